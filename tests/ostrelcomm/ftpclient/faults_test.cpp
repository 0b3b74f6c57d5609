// Every debug switch against vsftpd, and the time-outs on the test clock against servers that go
// silent.
#include <algorithm>

#include "ftpfixture.h"

namespace {

class FtpFaultTest : public FtpClientTest {
 protected:
  void StartPeer(const CVsftpdPeer::SOptions& options = {}) {
    ASSERT_TRUE(m_Peer.Start(options));
    m_Content = TestContent(40000, 7);
    WriteWholeFile(m_Peer.Root() + "/a.bin", m_Content);
    m_Client.DebugSetDeadSite("127.0.0.1", DeadLoopbackPort());
  }
  void Login() {
    ConnectTo(m_Peer.Port());
    ASSERT_EQ(m_Client.SetLoginName("anonymous"), 1);
    ASSERT_EQ(m_Client.SetLoginPassword("guest@"), 1);
  }
  int Count(const std::string& prefix) const {
    const auto commands = m_Peer.Commands();
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
  }

  CVsftpdPeer m_Peer;
  std::string m_Content;
};

TEST_F(FtpFaultTest, StopConnectGoesToTheDeadSiteFirst) {
  StartPeer();
  m_Client.DebugStopConnect(1);
  Login();
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Debugging: StopConnect: Connecting to 127.0.0.1:"), 1);
  EXPECT_EQ(Count("USER"), 1);
}

TEST_F(FtpFaultTest, AlwaysStopSiteNeverReachesTheServer) {
  StartPeer();
  m_Client.DebugAlwaysStopSite("127.0.0.1");
  // The dead port refuses at once or while connecting; either way no login follows.
  if (m_Client.Connect("127.0.0.1", m_Peer.Port())) {
    EXPECT_EQ(Run(), EFtpRun::Failed);
  }
  EXPECT_EQ(Count("USER"), 0);
  EXPECT_GE(FullLogCount("Debugging: StopConnect"), 2);
  EXPECT_EQ(m_Client.GetState(), m_Client.GetState() == 0 ? 0 : FTPERROR);
}

TEST_F(FtpFaultTest, StopConnectToASiteThatNeverAnswersTimesOut) {
  StartPeer();
  CSilentListener silent;
  m_Client.DebugSetDeadSite("127.0.0.1", silent.Port());
  m_Client.DebugStopConnect(1);
  Login();
  ASSERT_TRUE(RunTo(FTPWAITINGFORLOGIN));
  // The greeting may take 30 seconds, not a millisecond more (RunTo's last step took one).
  m_Clock.Advance(FTP_GREETING_TIMEOUT_MS - 1);
  ASSERT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetState(), FTPWAITINGFORLOGIN);
  m_Clock.Advance(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Timeout while trying to wait for login (30) [FTPWAITINGFORLOGIN]."), 1);
}

TEST_F(FtpFaultTest, SilentServerUsesUpTheReconnects) {
  CSilentListener silent;
  ConnectTo(silent.Port());
  ASSERT_EQ(m_Client.SetLoginName("anonymous"), 1);
  for (int reconnects = 0; reconnects <= FTP_MAX_RECONNECTS; ++reconnects) {
    ASSERT_TRUE(RunTo(FTPWAITINGFORLOGIN));
    m_Clock.Advance(FTP_GREETING_TIMEOUT_MS + 1);
    if (reconnects < FTP_MAX_RECONNECTS) {
      ASSERT_EQ(m_Client.Update(), 1);
      EXPECT_EQ(m_Client.GetReconnectCount(), reconnects + 1);
    } else {
      EXPECT_EQ(m_Client.Update(), 0);
    }
  }
  EXPECT_EQ(ErrorText(), "Unable to reconnect. Maximum reconnects without a successful download reached. Giving up.");
}

TEST_F(FtpFaultTest, StopFileConnectSpoilsOneDataConnectionInEachMode) {
  StartPeer();
  Login();
  m_Client.DebugStopFileConnect(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Debugging: StopFileConnect: connecting to port"), 1);
  m_Client.SetNormalMode();
  m_Client.DebugStopFileConnect(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Debugging: StopFileConnect: announcing port"), 1);
  EXPECT_EQ(Count("RETR a.bin"), 3) << "the server could not connect once";
  EXPECT_EQ(m_Client.GetDataRetryCount(), 0);
}

TEST_F(FtpFaultTest, AlwaysStopPassiveChangesToNormalModeOnTheThirdRetry) {
  StartPeer();
  Login();
  m_Client.DebugAlwaysStopPassive();
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(m_Client.IsPassiveMode(), 0);
  EXPECT_EQ(Count("PASV"), 3);
  EXPECT_EQ(Count("PORT"), 1);
}

TEST_F(FtpFaultTest, BothModesStoppedGivesUpAfterSevenRetries) {
  StartPeer();
  Login();
  m_Client.DebugAlwaysStopPassive();
  m_Client.DebugAlwaysStopNormal();
  m_Client.RetrieveFile(Local("a.bin").c_str(), "a.bin");
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(ErrorText(), "Unable to connect to server. Maximum number of retries reached. Giving up.");
  EXPECT_EQ(Count("PASV") + Count("PORT"), 1 + FTP_MAX_DATA_RETRIES);
}

TEST_F(FtpFaultTest, StopLoginAndStopPasswordTimeOutAndLogInAgain) {
  StartPeer({.m_AnonymousPassword = true});
  Login();
  m_Client.DebugStopLogin(1);
  m_Client.DebugStopPassword(1);
  ASSERT_TRUE(RunTo(FTPWAITLOGINANSWER));
  m_Clock.Advance(FTP_STATE_TIMEOUT_MS + 1);
  ASSERT_TRUE(RunTo(FTPWAITPASSWORDANSWER));
  m_Clock.Advance(FTP_STATE_TIMEOUT_MS + 1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Timeout while trying to get login answer (20) [FTPWAITLOGINANSWER]."), 1);
  EXPECT_EQ(FullLogCount("Timeout while trying to get password answer (20) [FTPWAITPASSWORDANSWER]."), 1);
  EXPECT_EQ(Count("USER"), 2);
  EXPECT_EQ(Count("PASS"), 1);
}

TEST_F(FtpFaultTest, StopPortAndStopRecvDropTheCommandConnection) {
  StartPeer();
  Login();
  m_Client.SetNormalMode();
  m_Client.DebugStopPort(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  m_Client.DebugStopRecv(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << ErrorText();
  EXPECT_EQ(FullLogCount("Debugging: StopPort"), 1);
  EXPECT_EQ(FullLogCount("Debugging: StopRecv"), 1);
  EXPECT_EQ(Count("USER"), 3);
  EXPECT_EQ(m_Client.GetReconnectCount(), 0);
}

TEST_F(FtpFaultTest, StopFileSizeIgnoresTheAnnouncedSize) {
  StartPeer();
  Login();
  m_Client.DebugStopFileSize(1);
  ASSERT_TRUE(Fetch("a.bin", m_Content));
  ASSERT_TRUE(Fetch("a.bin", m_Content));
  m_Client.DebugAlwaysStopFileSize();
  ASSERT_TRUE(Fetch("a.bin", m_Content));
  ASSERT_TRUE(Fetch("a.bin", m_Content));
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0].m_HasSize, 0);
  EXPECT_EQ(notes[1].m_HasSize, 1);
  EXPECT_EQ(notes[2].m_HasSize, 0);
  EXPECT_EQ(notes[3].m_HasSize, 0);
  for (const SFtpNote& n : notes) EXPECT_EQ(n.m_Size, m_Content.size());
}

TEST_F(FtpFaultTest, StopFileDownloadTimeStopsTheArmedDownloadOnce) {
  StartPeer();
  const std::string big = TestContent(6 << 20, 9);
  WriteWholeFile(m_Peer.Root() + "/big.bin", big);
  Login();
  m_Client.DebugMessupKey('q');
  m_Client.DebugStopFileDownloadTime(1, 3);
  ASSERT_TRUE(Fetch("a.bin", m_Content)) << "the download before the armed one runs";
  ASSERT_TRUE(Fetch("big.bin", big, 5)) << ErrorText();
  EXPECT_EQ(FullLogCount("Debugging: StopFileDownloadTime"), 1);
  EXPECT_EQ(Count("RETR big.bin"), 2);
}

TEST_F(FtpFaultTest, SilentDataTimesOutAndTheFileComesAfterAReconnect) {
  CPyFtpPeer peer;
  ASSERT_TRUE(peer.Start());
  const std::string content = TestContent(30000, 3);
  WriteWholeFile(peer.Root() + "/stall-data-1-a.bin", content);
  m_Client.SetTimeouts(-1, 5);
  ConnectTo(peer.Port());
  ASSERT_EQ(m_Client.SetLoginName(CPyFtpPeer::kLogin), 1);
  ASSERT_EQ(m_Client.SetLoginPassword(CPyFtpPeer::kPassword), 1);
  m_Client.RetrieveFile(Local("a.bin").c_str(), "stall-data-1-a.bin");
  ASSERT_TRUE(RunTo(FTPDOWNLOADDOWNLOADING, 0)) << ErrorText();
  for (int i = 0; i < 50; ++i) ASSERT_EQ(m_Client.Update(), 1);
  m_Clock.Advance(5000);
  ASSERT_EQ(m_Client.Update(), 1);
  EXPECT_EQ(m_Client.GetState(), FTPDOWNLOADDOWNLOADING) << "five seconds of silence are allowed";
  m_Clock.Advance(1);
  ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
  EXPECT_EQ(ReadWholeFile(Local("a.bin")), content);
  EXPECT_EQ(FullLogCount("Timeout while trying to download (5) [FTPDOWNLOADDOWNLOADING]."), 1);
}

}  // namespace
