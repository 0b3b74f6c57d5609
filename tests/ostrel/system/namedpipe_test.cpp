#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/system/namedpipe.h"
#include "platform/os/localsocket.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"

namespace {

std::string Pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

std::string Block(uint32_t seq, uint32_t length, const std::string& data) {
  std::string b(8, 0);
  for (int i = 0; i < 4; ++i) {
    b[i] = static_cast<char>(seq >> (8 * i));
    b[4 + i] = static_cast<char>(length >> (8 * i));
  }
  return b + data;
}

class NamedPipe : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", m_Dir.Path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

  // Starts a server child under name and connects a client that waits timeout ms per answer.
  void Serve(const char* name, uint32_t timeout) {
    ASSERT_TRUE(m_Server.Start({"pipe-serve", name}));
    ASSERT_EQ(m_Server.ReadLine(), "ready");
    ASSERT_EQ(m_Client.Open(name, timeout), 1);
  }
  // Orders the child to take the next request and answer it.
  void Answer(const std::string& order) {
    m_Server.WriteLine("wait");
    m_Server.WriteLine(order);
  }
  // What the child reported on the last request and answer.
  std::string Report() {
    std::string asked = m_Server.ReadLine();
    return asked + " " + m_Server.ReadLine();
  }
  std::string Ask(CNamedPipe& pipe, uint32_t room, int* result) {
    char buf[NAMEDPIPE_MAX_DATA];
    uint32_t got = 12345;
    *result = pipe.Read(buf, room, got);
    return *result ? std::string(buf, got) : std::to_string(got);
  }

  CTempDir m_Dir;
  CSpawnedChild m_Server;
  CNamedPipe m_Client;
};

TEST_F(NamedPipe, AClientGetsTheAnswersOfAServerProcess) {
  Serve("RandomService", 60000);
  int r = 0;
  for (const std::string text : {"first", "second", "x"}) {
    Answer("write " + text);
    EXPECT_EQ(Ask(m_Client, NAMEDPIPE_MAX_DATA, &r), text);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(Report(), "asked=1 write=1");
  }
  Answer("writen 1020");
  EXPECT_EQ(Ask(m_Client, NAMEDPIPE_MAX_DATA, &r), Pattern(1020));
  EXPECT_EQ(Report(), "asked=1 write=1");
  // A relative name is a socket in the runtime folder.
  struct stat st;
  ASSERT_EQ(lstat(m_Dir.File("RandomService.pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
}

TEST_F(NamedPipe, AnswersThatDoNotFitAreRefused) {
  Serve("Sizes", 100);
  int r = 1;
  // The server cannot send more than the block holds; the client hears nothing.
  Answer("writen 1021");
  EXPECT_EQ(Ask(m_Client, NAMEDPIPE_MAX_DATA, &r), "12345");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Report(), "asked=1 write=0");
  // An answer larger than the room leaves got alone.
  Answer("write hello world");
  EXPECT_EQ(Ask(m_Client, 5, &r), "12345");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Report(), "asked=1 write=1");
  Answer("write hello");
  EXPECT_EQ(Ask(m_Client, 5, &r), "hello");
}

TEST_F(NamedPipe, ALateAnswerNeverAnswersTheNextRequest) {
  Serve("Late", 50);
  int r = 1;
  m_Server.WriteLine("wait");
  EXPECT_EQ(Ask(m_Client, NAMEDPIPE_MAX_DATA, &r), "12345");  // times out
  EXPECT_EQ(r, 0);
  EXPECT_EQ(m_Server.ReadLine(), "asked=1");
  m_Server.WriteLine("write late");
  EXPECT_EQ(m_Server.ReadLine(), "write=1");
  Answer("write fresh");
  EXPECT_EQ(Ask(m_Client, NAMEDPIPE_MAX_DATA, &r), "fresh");
  EXPECT_EQ(r, 1);
}

TEST_F(NamedPipe, AServerAnswersAClientProcess) {
  const std::string path = m_Dir.File("answers");
  CNamedPipe server;
  ASSERT_EQ(server.Create(path.c_str(), 60000), 1);
  EXPECT_EQ(server.Write("early", 5), 0);  // nobody asked
  CSpawnedChild client;
  ASSERT_TRUE(client.Start({"pipe-ask", path, "3"}));
  ASSERT_EQ(server.ClientReading(), 1);
  EXPECT_EQ(server.Write(Pattern(1021).data(), 1021), 0);
  EXPECT_EQ(server.Write(Pattern(1020).data(), 1020), 1);
  EXPECT_EQ(client.ReadLine(), "got=" + Pattern(1020));
  for (const char* text : {"one", "two"}) {
    ASSERT_EQ(server.ClientReading(), 1);
    EXPECT_EQ(server.Write(text, static_cast<uint32_t>(std::strlen(text))), 1);
    EXPECT_EQ(client.ReadLine(), std::string("got=") + text);
  }
  EXPECT_EQ(client.Wait(), 0);
}

TEST_F(NamedPipe, TheNameMustBeFreeAndTheServerThere) {
  CNamedPipe a, b, client;
  EXPECT_EQ(a.Create(nullptr, 0), 0);
  EXPECT_EQ(a.Create("", 0), 0);
  EXPECT_EQ(client.Open("Nobody", 0), 0);
  uint32_t got = 0;
  char buf[4];
  EXPECT_EQ(client.Read(buf, sizeof buf, got), 0);
  ASSERT_EQ(a.Create("Busy", 0), 1);
  EXPECT_EQ(b.Create("Busy", 0), 0);
  EXPECT_EQ(a.ClientReading(), 0);  // nobody asks
  ASSERT_EQ(client.Open("Busy", 0), 1);
  EXPECT_EQ(a.Close(), 1);
  EXPECT_EQ(client.Read(buf, sizeof buf, got), 0);  // the server went away
  // Its socket went with it, and a socket file that nobody listens on is taken over.
  EXPECT_EQ(access(m_Dir.File("Busy.pipe").c_str(), F_OK), -1);
  int stale = PlatformLocalListen(m_Dir.File("Stale.pipe").c_str());
  ASSERT_GE(stale, 0);
  close(stale);
  EXPECT_EQ(b.Create("Stale", 0), 1);
  // Anything else under the name is left alone.
  WriteWholeFile(m_Dir.File("File.pipe"), "data");
  EXPECT_EQ(a.Create("File", 0), 0);
  EXPECT_EQ(ReadWholeFile(m_Dir.File("File.pipe")), "data");
}

// A server that breaks the rules, played by hand on a raw socket.
TEST_F(NamedPipe, TheClientTrustsNoAnswerBeyondTheBlock) {
  const std::string path = m_Dir.File("forged");
  struct SCase {
    const char* what;
    std::string message;
    int result;
  } cases[] = {
      {"length beyond the block", Block(1, 5000, "short"), 0},
      {"length beyond the data", Block(1, 6, "short"), 0},
      {"longer than a block", Block(1, 1021, Pattern(1021)), 0},
      {"shorter than a header", std::string("\x01\0\0\0\x05", 5), 0},
      {"the answer", Block(1, 5, "right"), 1},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    int listener = PlatformLocalListen(path.c_str());
    ASSERT_GE(listener, 0);
    CNamedPipe client;
    ASSERT_EQ(client.Open(path.c_str(), 1000), 1);
    int conn = PlatformLocalAccept(listener);
    ASSERT_GE(conn, 0);
    ASSERT_EQ(send(conn, c.message.data(), c.message.size(), 0), static_cast<ssize_t>(c.message.size()));
    int r = -1;
    EXPECT_EQ(Ask(client, NAMEDPIPE_MAX_DATA, &r), c.result ? "right" : "12345");
    EXPECT_EQ(r, c.result);
    PlatformLocalClose(conn);
    PlatformLocalUnlisten(listener, path.c_str());
  }
}

TEST_F(NamedPipe, AnswersToEarlierRequestsAreSkipped) {
  const std::string path = m_Dir.File("stale");
  int listener = PlatformLocalListen(path.c_str());
  ASSERT_GE(listener, 0);
  CNamedPipe client;
  ASSERT_EQ(client.Open(path.c_str(), 1000), 1);
  int conn = PlatformLocalAccept(listener);
  ASSERT_GE(conn, 0);
  for (const std::string& m : {Block(0, 5, "stale"), Block(7, 5, "wrong"), Block(1, 5, "fresh")})
    ASSERT_EQ(send(conn, m.data(), m.size(), 0), static_cast<ssize_t>(m.size()));
  int r = 0;
  EXPECT_EQ(Ask(client, NAMEDPIPE_MAX_DATA, &r), "fresh");
  PlatformLocalClose(conn);
  PlatformLocalUnlisten(listener, path.c_str());
}

}  // namespace
