// The HTTP client against the Python fault server: each misbehaviour ends with a correct file or
// with the right error code.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "clientfixture.h"
#include "support/httppeers.h"

namespace {

class FaultTest : public HTTPClientTest {
 protected:
  void SetUp() override {
    HTTPClientTest::SetUp();
    ASSERT_TRUE(m_Server.Start()) << "the fault server did not start";
    ASSERT_EQ(m_Client.Connect("127.0.0.1", m_Server.Port()), 1);
    m_Client.SetTimeouts(5, 3);
  }
  std::string Serve(const std::string& name, size_t size, uint32_t seed) {
    const std::string content = TestContent(size, seed);
    const std::string path = m_Server.Files() + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, content);
    return content;
  }
  // Each request as "CONNECTION TARGET RANGE".
  std::vector<std::string> Requests() const { return m_Server.Requests(); }
  std::set<std::string> Connections() const {
    std::set<std::string> connections;
    for (const std::string& r : Requests()) connections.insert(r.substr(0, r.find(' ')));
    return connections;
  }

  CFaultServer m_Server;
};

}  // namespace

TEST_F(FaultTest, BodiesEndByLengthChunksOrClose) {
  struct {
    const char* mode;
    size_t size;
    int32_t keepAfter;
  } cases[] = {
      {"plain", 30000, 1},    {"chunked", 100000, 1}, {"chunked", 0, 1},
      {"untilclose", 70000, 0}, {"untilclose", 0, 0},  {"continue", 5000, 1},
  };
  uint32_t seed = 20;
  for (const auto& c : cases) {
    const std::string name = std::string(c.mode) + std::to_string(c.size) + ".bin";
    const std::string content = Serve(name, c.size, ++seed);
    ASSERT_EQ(m_Client.RetrieveFile(name.c_str(), ("/" + std::string(c.mode) + "/" + name).c_str()), 1);
    ASSERT_EQ(Run(), ERun::Idle) << name;
    EXPECT_TRUE(ReadWholeFile(Local(name)) == content) << name;
    const auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 1u) << name;
    EXPECT_EQ(notes[0].m_Size, c.size) << name;
    EXPECT_EQ(m_Client.GetKeepAlive(), c.keepAfter) << name;
  }
  EXPECT_EQ(LogCount("Getting data. Unknown length"), 4);
}

TEST_F(FaultTest, ConnectionHeadersAreTokenLists) {
  for (int i = 0; i < 3; ++i) {
    Serve("k" + std::to_string(i), 2000, 30 + i);
    ASSERT_EQ(m_Client.RetrieveFile(("k" + std::to_string(i)).c_str(), ("/http10keep/k" + std::to_string(i)).c_str()), 1);
  }
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_EQ(TakeNotes().size(), 3u);
  EXPECT_EQ(Connections().size(), 1u);  // HTTP/1.0 kept open by "Keep-Alive, x-extra"

  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(m_Client.RetrieveFile(("c" + std::to_string(i)).c_str(), ("/tokenclose/k" + std::to_string(i)).c_str()), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_EQ(TakeNotes().size(), 3u);
  // "x-extra, close": the first goes over the kept connection, each later one needs its own.
  EXPECT_EQ(Connections().size(), 3u);
  EXPECT_EQ(m_Client.GetKeepAlive(), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadWholeFile(Local("c" + std::to_string(i))), TestContent(2000, 30 + i));
}

TEST_F(FaultTest, SilenceMidBodyTimesOutThenReconnectsRunOut) {
  Serve("drip.bin", 5000, 40);
  ASSERT_EQ(m_Client.RetrieveFile("drip.bin", "/drip/drip.bin"), 1);
  // The first connection and both reconnects each get ten bytes and then run into the data
  // time-out; the clock moves only once the bytes are in.
  for (int attempt = 0; attempt <= HTTP_RECONNECT_ALLOWANCE; ++attempt) {
    for (int i = 0; i < 20000 && (m_Client.GetState() != HTTPSTATE_READBODY || m_Client.GetDownloadBytesTransfered() < 10);
         ++i) {
      ASSERT_EQ(m_Client.Update(), 1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_EQ(m_Client.GetState(), HTTPSTATE_READBODY);
    ASSERT_EQ(m_Client.GetDownloadBytesTransfered(), 10u);
    m_Clock.Advance(3000);
    EXPECT_EQ(m_Client.Update(), 1);
    EXPECT_EQ(m_Client.GetState(), HTTPSTATE_READBODY);  // not more than the time-out yet
    m_Clock.Advance(1);
    EXPECT_EQ(m_Client.Update(), 1);
    EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_TIMEOUT);
    EXPECT_EQ(m_Client.GetState(), HTTPSTATE_RECONNECT);
  }
  EXPECT_EQ(m_Client.Update(), 0);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  EXPECT_EQ(LogCount("[CHTTPClient::StateGetData] --- Time-out occured while executing network operation"),
            1 + HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(LogCount("Reconnecting to: 127.0.0.1:"), HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(LogCount("Maximum number of reconnects reached"), 1);
  EXPECT_EQ(Requests().size(), 3u);
  EXPECT_EQ(m_Client.IsDownloadedNote(), 0);
  EXPECT_EQ(ReadWholeFile(Local("drip.bin")).size(), 10u);  // what came stays
}

TEST_F(FaultTest, CloseMidBodyIsRetriedAndNeverTakenAsWhole) {
  const std::string content = Serve("half.bin", 40000, 41);
  ASSERT_EQ(m_Client.RetrieveFile("once.bin", "/closeonce/half.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("once.bin")) == content);
  EXPECT_EQ(TakeNotes().size(), 1u);
  EXPECT_EQ(LogCount("Socket disconnected while reading or writing"), 1);

  ASSERT_EQ(m_Client.RetrieveFile("always.bin", "/closemid/half.bin"), 1);
  EXPECT_EQ(Run(), ERun::Failed);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  EXPECT_EQ(LogCount("Socket disconnected while reading or writing"), 1 + 1 + HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(m_Client.IsDownloadedNote(), 0);
  EXPECT_EQ(ReadWholeFile(Local("always.bin")).size(), 20000u);
}

TEST_F(FaultTest, OverlongHeaderLineIsRefused) {
  Serve("long.bin", 100, 42);
  ASSERT_EQ(m_Client.RetrieveFile("long.bin", "/longheader/long.bin"), 1);
  EXPECT_EQ(Run(), ERun::Failed);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_PARSE);
  EXPECT_EQ(LogCount("Error found while parsing response"), 1);
  EXPECT_EQ(m_Client.IsDownloading(), 0);  // the request is dropped
  EXPECT_EQ(ReadWholeFile(Local("long.bin")), "");
}

TEST_F(FaultTest, WrongOrIgnoredRangesGetTheWholeFile) {
  const std::string content = Serve("ranged.bin", 30000, 43);
  // A part that starts elsewhere than asked: asked again without a range.
  WriteWholeFile(Local("bad.bin"), content.substr(0, 8192));
  m_Client.SetDownloadStartPosition(8192);
  ASSERT_EQ(m_Client.RetrieveFile("bad.bin", "/badrange/ranged.bin"), 1);
  // A whole file for a range: it replaces the local one, whatever that held.
  WriteWholeFile(Local("ignored.bin"), std::string(9000, 'g'));
  m_Client.SetDownloadStartPosition(8192);
  ASSERT_EQ(m_Client.RetrieveFile("ignored.bin", "/ignorerange/ranged.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("bad.bin")) == content);
  EXPECT_TRUE(ReadWholeFile(Local("ignored.bin")) == content);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].m_Size, 30000u);
  EXPECT_EQ(notes[1].m_Size, 30000u);
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], "1 /badrange/ranged.bin bytes=8192-");
  EXPECT_EQ(requests[1], "1 /badrange/ranged.bin ");
  EXPECT_EQ(requests[2], "1 /ignorerange/ranged.bin bytes=8192-");
  EXPECT_EQ(LogCount("Range not as asked for"), 1);
}

TEST_F(FaultTest, IdleConnectionClosedBetweenFilesIsReopened) {
  std::vector<std::string> contents;
  for (int i = 0; i < 4; ++i) {
    contents.push_back(Serve("i" + std::to_string(i), 3000 + i, 50 + i));
    ASSERT_EQ(m_Client.RetrieveFile(("i" + std::to_string(i)).c_str(), ("/idleclose/i" + std::to_string(i)).c_str()), 1);
  }
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_EQ(TakeNotes().size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(ReadWholeFile(Local("i" + std::to_string(i))) == contents[i]) << i;
  EXPECT_EQ(Connections().size(), 4u);
  EXPECT_EQ(m_Client.GetReconnectAllowance(), HTTP_RECONNECT_ALLOWANCE);
}

TEST_F(FaultTest, PathsWithBlanksAndOtherStatuses) {
  const std::string content = Serve("dir with space/file name%.bin", 1234, 60);
  ASSERT_EQ(m_Client.RetrieveFile("spaced.bin", "/plain/dir with space/file name%.bin"), 1);
  ASSERT_EQ(m_Client.RetrieveFile("error.bin", "/status/500/x"), 1);
  ASSERT_EQ(m_Client.RetrieveFile("gone.bin", "/status/410/x"), 1);
  ASSERT_EQ(m_Client.RetrieveFile("after.bin", "/plain/dir with space/file name%.bin"), 1);
  EXPECT_EQ(m_Client.RetrieveFile("evil.bin", "/plain/x\r\nX-Evil: 1"), DOWNLOAD_ERR_PARAMETERS);
  EXPECT_EQ(m_Client.RetrieveFile(nullptr, "/plain/x"), DOWNLOAD_ERR_PARAMETERS);
  EXPECT_EQ(m_Client.RetrieveFile("x", nullptr), DOWNLOAD_ERR_PARAMETERS);
  ASSERT_EQ(Run(), ERun::Idle);
  EXPECT_TRUE(ReadWholeFile(Local("spaced.bin")) == content);
  EXPECT_TRUE(ReadWholeFile(Local("after.bin")) == content);
  EXPECT_EQ(TakeNotes().size(), 2u);
  EXPECT_EQ(LogCount("Unknown response received"), 2);
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], "1 /plain/dir%20with%20space/file%20name%25.bin ");
  EXPECT_EQ(Connections().size(), 1u);  // the error bodies were read off
}
