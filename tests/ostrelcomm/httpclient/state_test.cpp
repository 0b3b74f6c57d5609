// The HTTP client's states and time-outs on the test clock, against silent local sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clientfixture.h"
#include "support/httppeers.h"

namespace {

// A socket on 127.0.0.1 that listens and never answers.
class CSilentServer {
 public:
  explicit CSilentServer(int backlog) {
    m_Socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof sa;
    if (bind(m_Socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 && listen(m_Socket, backlog) == 0 &&
        getsockname(m_Socket, reinterpret_cast<sockaddr*>(&sa), &length) == 0)
      m_Port = ntohs(sa.sin_port);
  }
  ~CSilentServer() {
    for (int fd : m_Fillers) close(fd);
    close(m_Socket);
  }
  uint16_t Port() const { return m_Port; }
  // Connections that nobody accepts fill the queue, so the next one cannot complete.
  void FillQueue(int count) {
    for (int i = 0; i < count; ++i) {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      sockaddr_in sa{};
      sa.sin_family = AF_INET;
      sa.sin_port = htons(m_Port);
      sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
      m_Fillers.push_back(fd);
    }
    usleep(50000);
  }

 private:
  int m_Socket = -1;
  uint16_t m_Port = 0;
  std::vector<int> m_Fillers;
};

using StateTest = HTTPClientTest;

}  // namespace

TEST_F(StateTest, SilentServerTimesOutOnTheTestClock) {
  CSilentServer server(8);
  m_Client.SetTimeouts(5, 4);
  ASSERT_EQ(m_Client.Connect("127.0.0.1", server.Port()), 1);
  ASSERT_EQ(m_Client.RetrieveFile("never.bin", "/never.bin"), 1);
  // The clock stands still: nothing times out however often the client looks.
  EXPECT_EQ(Run(0, 300), ERun::Stuck);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_READHEADER);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_OK);
  EXPECT_EQ(m_Client.IsDownloading(), 1);
  EXPECT_STREQ(m_Client.GetDownloadLocalFileName(), "never.bin");
  EXPECT_STREQ(m_Client.GetDownloadRemoteFileName(), "/never.bin");
  // 4 s is not yet more than the data time-out; a step later it is.
  m_Clock.Advance(4000);
  EXPECT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_READHEADER);
  m_Clock.Advance(1);
  EXPECT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_TIMEOUT);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_RECONNECT);
  // Each reconnect waits out the time-out again, until the allowance is spent.
  EXPECT_EQ(Run(1000, 100), ERun::Failed);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  EXPECT_EQ(m_Client.Update(), 0);  // and says so again
  EXPECT_EQ(LogCount("[CHTTPClient::StateGetHeader] --- Time-out occured while executing network operation"),
            1 + HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(LogCount("Reconnecting to: 127.0.0.1:"), HTTP_RECONNECT_ALLOWANCE);
}

TEST_F(StateTest, ConnectThatNeverCompletesTimesOut) {
  CSilentServer server(0);
  server.FillQueue(4);
  m_Client.SetTimeouts(2, 20);
  ASSERT_EQ(m_Client.Connect("127.0.0.1", server.Port()), 1);
  EXPECT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_CONNECTING);
  EXPECT_EQ(Run(0, 50), ERun::Stuck);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_CONNECTING);
  EXPECT_EQ(Run(500, 100), ERun::Failed);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  EXPECT_EQ(LogCount("Time-out occured while connecting to server"), 1 + HTTP_RECONNECT_ALLOWANCE);
}

TEST_F(StateTest, RefusedConnectionsEndWithTheReconnectLimit) {
  ASSERT_EQ(m_Client.Connect("127.0.0.1", FreeLoopbackPort()), 1);
  EXPECT_EQ(Run(0, 100), ERun::Failed);
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  EXPECT_EQ(LogCount("Could not connect to host"), 1 + HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(LogCount("Connecting to: 127.0.0.1:"), 1);
}

TEST_F(StateTest, QueueWithoutAServerWaitsForConnect) {
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_NOCONNECTION);
  EXPECT_EQ(m_Client.IsWaitingForUserCommands(), 0);
  EXPECT_EQ(m_Client.IsUserCommands(), 1);
  EXPECT_EQ(m_Client.IsDownloading(), 0);
  EXPECT_EQ(m_Client.Update(), 1);  // nothing to do
  ASSERT_EQ(m_Client.RetrieveFile("a", "/a"), 1);
  EXPECT_EQ(m_Client.IsDownloading(), 1);
  EXPECT_EQ(m_Client.Update(), 1);  // takes the queue: needs a connection
  EXPECT_EQ(m_Client.Update(), 0);  // and has no server
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_PARAMETERS);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_NOCONNECTION);
  EXPECT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetPendingCount(), 1);  // still queued for when a server is named
}

TEST_F(StateTest, NotesLoginsAndLogs) {
  uint32_t time = 1, size = 1;
  int32_t hasSize = 1;
  char* local = nullptr;
  char* remote = nullptr;
  EXPECT_EQ(m_Client.IsDownloadedNote(), 0);
  EXPECT_EQ(m_Client.GetDownloadedNote(time, hasSize, size, local, remote), 0);
  EXPECT_EQ(local, nullptr);
  EXPECT_EQ(LogCount("No downloaded notes exists"), 1);
  EXPECT_EQ(m_Client.GetDownloadHasFileSize(), 0);
  EXPECT_EQ(m_Client.GetDownloadFileSize(), 0u);
  EXPECT_EQ(m_Client.GetDownloadLocalFileName(), nullptr);
  EXPECT_EQ(m_Client.GetStateString(), nullptr);
  EXPECT_EQ(m_Client.SetLoginName("user"), 1);
  EXPECT_EQ(m_Client.SetLoginName(nullptr), 1);
  EXPECT_EQ(m_Client.SetLoginPassword(""), 1);

  std::vector<std::string> appLines;
  m_Client.SetAppLogCallback([](char* text, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(text); },
                             &appLines);
  const std::string long_text(5000, 'z');
  m_Client.LogApp("%s|%d", long_text.c_str(), 7);
  ASSERT_EQ(appLines.size(), 1u);
  EXPECT_EQ(appLines[0], long_text + "|7");
  ASSERT_EQ(m_Client.Connect("127.0.0.1", FreeLoopbackPort()), 1);
  m_Client.Update();
  EXPECT_GE(appLines.size(), 2u);
  EXPECT_NE(appLines[1].find("[CHTTPClient::StateConnect] --- Connecting to: 127.0.0.1:"), std::string::npos);
}

TEST_F(StateTest, ReconnectAndDisconnectOnRequest) {
  CSilentServer server(8);
  ASSERT_EQ(m_Client.Connect("127.0.0.1", server.Port()), 1);
  EXPECT_EQ(m_Client.Reconnect(), 0);  // nothing allowed before a first connection
  EXPECT_EQ(m_Client.GetLastErrorCode(), DOWNLOAD_ERR_RECONNECTS);
  ASSERT_EQ(m_Client.Connect("127.0.0.1", server.Port()), 1);
  ASSERT_EQ(Run(0, 1000), ERun::Idle);
  EXPECT_EQ(m_Client.GetReconnectAllowance(), HTTP_RECONNECT_ALLOWANCE);
  EXPECT_EQ(m_Client.Reconnect(), 1);
  EXPECT_EQ(m_Client.GetReconnectAllowance(), HTTP_RECONNECT_ALLOWANCE - 1);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_CONNECTING);
  ASSERT_EQ(Run(0, 1000), ERun::Idle);
  EXPECT_EQ(m_Client.Disconnect(), 1);
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_NOCONNECTION);
  EXPECT_EQ(m_Client.Update(), 1);  // with a server named, it connects again
  EXPECT_EQ(m_Client.GetState(), HTTPSTATE_CONNECT);
  EXPECT_EQ(LogCount("Reconnecting to: 127.0.0.1:"), 1);
}
