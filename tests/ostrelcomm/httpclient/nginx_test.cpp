// The HTTP client against nginx on 127.0.0.1: whole files, several files over one connection,
// resume with a range, error replies with bodies, and Basic authorisation.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "clientfixture.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/socketwait.h"
#include "support/httppeers.h"

namespace {

class NginxTest : public HTTPClientTest {
 protected:
  void SetUp() override {
    HTTPClientTest::SetUp();
    ASSERT_TRUE(m_Nginx.Start()) << "nginx did not start";
    ASSERT_EQ(m_Client.Connect("127.0.0.1", m_Nginx.Port()), 1);
  }
  std::string Serve(const std::string& name, size_t size, uint32_t seed) {
    const std::string content = TestContent(size, seed);
    WriteWholeFile(m_Nginx.Www() + "/" + name, content);
    return content;
  }
  // The distinct connections of the requests nginx has logged.
  std::set<std::string> Connections() const {
    std::set<std::string> connections;
    for (const std::string& line : m_Nginx.AccessLog()) connections.insert(line.substr(0, line.find(' ')));
    return connections;
  }

  CNginxPeer m_Nginx;
};

}  // namespace

TEST_F(NginxTest, WholeFileWithNoteProgressAndSpeed) {
  const std::string content = Serve("big.bin", 3 << 20, 1);
  ASSERT_EQ(m_Client.RetrieveFile("got/big.bin", "/big.bin"), 1);
  EXPECT_EQ(m_Client.IsDownloading(), 1);
  EXPECT_EQ(m_Client.IsUserCommands(), 1);
  ASSERT_EQ(Run(5), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("got/big.bin")) == content);
  EXPECT_EQ(m_Client.IsDownloading(), 0);
  EXPECT_EQ(m_Client.IsUserCommands(), 0);
  EXPECT_EQ(m_Client.GetDownloadHasFileSize(), 1);
  EXPECT_EQ(m_Client.GetDownloadFileSize(), content.size());
  EXPECT_EQ(m_Client.GetDownloadBytesTransfered(), content.size());
  EXPECT_EQ(m_Client.GetDownloadLocalFileName(), nullptr);  // no file under way
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].m_HasSize, 1);
  EXPECT_EQ(notes[0].m_Size, content.size());
  EXPECT_EQ(notes[0].m_Local, "got/big.bin");
  EXPECT_EQ(notes[0].m_Remote, "/big.bin");
  // The clock moved 5 ms a frame: the speed is the bytes over that time.
  EXPECT_GT(notes[0].m_Time, 0u);
  EXPECT_EQ(notes[0].m_Time % 5, 0u);
  EXPECT_EQ(m_Client.GetDownloadSpeed(), static_cast<int32_t>(uint64_t{content.size()} * 1000 / notes[0].m_Time));
  EXPECT_EQ(m_Client.IsDownloadedNote(), 0);
  EXPECT_EQ(LogCount("Getting data. Length: 3145728"), 1);
  EXPECT_EQ(LogCount("File download complete:"), 1);
}

TEST_F(NginxTest, SeveralFilesOverOneKeptConnection) {
  std::vector<std::string> contents;
  for (int i = 0; i < 5; ++i) {
    contents.push_back(Serve("f" + std::to_string(i) + ".bin", 1000 + 7919 * i, 10 + i));
    ASSERT_EQ(m_Client.RetrieveFile(("f" + std::to_string(i)).c_str(), ("/f" + std::to_string(i) + ".bin").c_str()), 1);
  }
  ASSERT_EQ(Run(), ERun::Idle);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(notes[i].m_Local, "f" + std::to_string(i));  // in the order asked for
    EXPECT_TRUE(ReadWholeFile(Local("f" + std::to_string(i))) == contents[i]) << i;
  }
  EXPECT_EQ(m_Nginx.AccessLog().size(), 5u);
  EXPECT_EQ(Connections().size(), 1u);
  EXPECT_EQ(LogCount("Connecting to: 127.0.0.1:"), 1);
}

// nginx decodes the request's target and opens the file of that name: each file arrives only when
// its name went out with a literal '%' escaped like any other byte.
TEST_F(NginxTest, NamesWithPercentAndBlanksReachTheirOwnFiles) {
  const char* names[] = {"a b%20c.bin", "100%.bin", "%41.bin", "%%.bin"};
  // Decoy files under the names a '%' taken as an escape would ask for.
  Serve("a b c.bin", 64, 99);
  Serve("A.bin", 64, 98);
  std::vector<std::string> contents;
  for (size_t i = 0; i < std::size(names); ++i) {
    contents.push_back(Serve(names[i], 500 + i, static_cast<uint32_t>(20 + i)));
    ASSERT_EQ(m_Client.RetrieveFile(("got" + std::to_string(i)).c_str(), ("/" + std::string(names[i])).c_str()), 1);
  }
  ASSERT_EQ(Run(), ERun::Idle);
  ASSERT_EQ(TakeNotes().size(), std::size(names));
  for (size_t i = 0; i < std::size(names); ++i)
    EXPECT_TRUE(ReadWholeFile(Local("got" + std::to_string(i))) == contents[i]) << names[i];
}

TEST_F(NginxTest, ResumeAppendsFromTheRangeStart) {
  const std::string content = Serve("resume.bin", 20000, 3);
  // The right first 8192 bytes, and a stale tail that must not survive.
  WriteWholeFile(Local("resume.bin"), content.substr(0, 8192) + std::string(5000, 'x'));
  ASSERT_EQ(m_Client.SetDownloadStartPosition(8192), 1);
  EXPECT_EQ(m_Client.GetDownloadStartPosition(), 8192);
  ASSERT_EQ(m_Client.RetrieveFile("resume.bin", "/resume.bin"), 1);
  EXPECT_EQ(m_Client.GetDownloadStartPosition(), 0);  // taken by the request
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("resume.bin")) == content);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].m_Size, 20000u);  // the start plus the part's length
  EXPECT_EQ(m_Client.GetDownloadFileSize(), 20000u - 8192u);
  EXPECT_EQ(LogCount("[CHTTPClient::InitGetData] --- Getting partial data: 8192-19999/20000"), 1);
  ASSERT_EQ(m_Nginx.AccessLog().size(), 1u);
  EXPECT_NE(m_Nginx.AccessLog()[0].find(" 206 "), std::string::npos);
}

TEST_F(NginxTest, ResumeBeyondTheLocalFileFetchesTheWholeFile) {
  const std::string content = Serve("short.bin", 20000, 4);
  WriteWholeFile(Local("short.bin"), content.substr(0, 4000));
  m_Client.SetDownloadStartPosition(8192);
  ASSERT_EQ(m_Client.RetrieveFile("short.bin", "/short.bin"), 1);
  m_Client.SetDownloadStartPosition(100);
  ASSERT_EQ(m_Client.RetrieveFile("missing-locally.bin", "/short.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("short.bin")) == content);
  EXPECT_TRUE(ReadWholeFile(Local("missing-locally.bin")) == content);
  for (const std::string& line : m_Nginx.AccessLog()) EXPECT_NE(line.find(" 200 "), std::string::npos) << line;
  EXPECT_EQ(LogCount("Local file shorter than"), 2);
}

TEST_F(NginxTest, ErrorRepliesAreReadOffAndTheConnectionGoesOn) {
  Serve("small.bin", 1000, 5);
  const std::string good = Serve("good.bin", 50000, 6);
  // The local file is longer than the remote one: the range cannot be served (416).
  const std::string local = TestContent(3000, 7);
  WriteWholeFile(Local("small.bin"), local);
  m_Client.SetDownloadStartPosition(2000);
  ASSERT_EQ(m_Client.RetrieveFile("small.bin", "/small.bin"), 1);
  ASSERT_EQ(m_Client.RetrieveFile("missing.bin", "/no/such/file.bin"), 1);
  ASSERT_EQ(m_Client.RetrieveFile("good.bin", "/good.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].m_Local, "good.bin");
  EXPECT_TRUE(ReadWholeFile(Local("good.bin")) == good);
  EXPECT_TRUE(ReadWholeFile(Local("small.bin")) == local);  // untouched
  EXPECT_EQ(ReadWholeFile(Local("missing.bin")), "");      // never made
  EXPECT_EQ(LogCount("Unknown response received"), 1);
  EXPECT_EQ(LogCount("File not found: /no/such/file.bin"), 1);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_UNKNOWN);
  const auto log = m_Nginx.AccessLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_NE(log[0].find(" 416 "), std::string::npos);
  EXPECT_NE(log[1].find(" 404 "), std::string::npos);
  EXPECT_NE(log[2].find(" 200 "), std::string::npos);
  EXPECT_EQ(Connections().size(), 1u);
}

TEST_F(NginxTest, BasicAuthorisation) {
  const std::string content = Serve("secret/vault.bin", 4000, 8);
  ASSERT_EQ(m_Client.SetLoginName(CNginxPeer::kLogin), 1);
  ASSERT_EQ(m_Client.SetLoginPassword(CNginxPeer::kPassword), 1);
  ASSERT_EQ(m_Client.RetrieveFile("vault.bin", "/secret/vault.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("vault.bin")) == content);

  // A wrong password, and no login at all, are refused for good.
  for (const char* password : {"wrong", ""}) {
    CHTTPClient client;
    ASSERT_EQ(client.Startup(), 1);
    ASSERT_EQ(client.Connect("127.0.0.1", m_Nginx.Port()), 1);
    client.SetLoginName(CNginxPeer::kLogin);
    client.SetLoginPassword(password);
    ASSERT_EQ(client.RetrieveFile("refused.bin", "/secret/vault.bin"), 1);
    EXPECT_EQ(Run(client), ERun::Failed) << password;
    EXPECT_EQ(client.GetLastErrorCode(), DOWNLOAD_ERR_UNAUTHORIZED);
    EXPECT_EQ(client.GetState(), HTTPSTATE_REFUSED);
    EXPECT_EQ(client.Update(), 1);  // reported once; the client stays
    EXPECT_EQ(client.GetState(), HTTPSTATE_REFUSED);
    EXPECT_EQ(client.IsDownloadedNote(), 0);
  }
  EXPECT_EQ(ReadWholeFile(Local("refused.bin")), "");
  EXPECT_EQ(LogCount("Unauthorized request"), 2);
}

// A program whose frame loop waits on the library's socket wait: while the download waits on its
// socket the wait watches that socket and ends when bytes come, instead of sleeping the frame away
// (the test clock would count such a sleep); once the client is idle the frame sleeps again.
TEST_F(NginxTest, TheFrameLoopsSocketWaitWakesTheDownload) {
  auto globals = std::make_unique<SGlobals>(0);
  auto sysGlobals = std::make_unique<SSysGlobals>();
  glb = globals.get();
  sglb = sysGlobals.get();
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  xSetXHandlerWaitMode(1);
  const std::string content = Serve("big.bin", 4 << 20, 3);
  ASSERT_EQ(m_Client.RetrieveFile("got.bin", "/big.bin"), 1);
  int watchedWaits = 0;
  for (int i = 0; i < 20000 && !(m_Client.IsWaitingForUserCommands() && !m_Client.IsUserCommands()); ++i) {
    ASSERT_EQ(m_Client.Update(), 1);
    const int32_t state = m_Client.GetState();
    const bool awaiting = state == HTTPSTATE_CONNECTING || state == HTTPSTATE_SENDREQUEST ||
                          state == HTTPSTATE_READHEADER || state == HTTPSTATE_READBODY;
    const uint64_t slept = m_Clock.Slept();
    xWaitTimeOrSockets(2000);
    if (awaiting) {
      ++watchedWaits;
      ASSERT_EQ(m_Clock.Slept(), slept) << "state " << state << ": the wait slept instead of watching the socket";
    }
  }
  EXPECT_GT(watchedWaits, 0);
  EXPECT_TRUE(ReadWholeFile(Local("got.bin")) == content);
  const uint64_t slept = m_Clock.Slept();
  xWaitTimeOrSockets(20);
  EXPECT_EQ(m_Clock.Slept(), slept + 20) << "idle, the client watches nothing";
  xCommClosedown();
  delete glb->m_pNodeList;
  glb = nullptr;
  sglb = nullptr;
}
