// Downloads from pyftpdlib: password logins, multi-line replies, and the server dropping the
// command or the data connection.
#include <algorithm>

#include "ftpfixture.h"

namespace {

class PyFtpTest : public FtpClientTest {
 protected:
  void StartPeer(const std::vector<std::string>& options = {}, const char* password = CPyFtpPeer::kPassword) {
    ASSERT_TRUE(m_Peer.Start(options));
    ConnectTo(m_Peer.Port());
    ASSERT_EQ(m_Client.SetLoginName(CPyFtpPeer::kLogin), 1);
    ASSERT_EQ(m_Client.SetLoginPassword(password), 1);
  }
  std::string Put(const std::string& name, size_t size, uint32_t seed = 1) {
    const std::string content = TestContent(size, seed);
    WriteWholeFile(m_Peer.Root() + "/" + name, content);
    return content;
  }
  int Count(const std::string& command) const {
    const auto commands = m_Peer.Commands();
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
  }

  CPyFtpPeer m_Peer;
};

TEST_F(PyFtpTest, PasswordLoginWithMultiLineRepliesInBothModes) {
  StartPeer({"--long-banner", "--long-login"});
  const std::string content = Put("a.bin", 150000);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  m_Client.SetNormalMode();
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(Count("USER player"), 1);
  EXPECT_EQ(Count("PASS s3cret"), 1);
  EXPECT_EQ(Count("PASV"), 1);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 2u);
  // This server names no size: the notes give what came.
  EXPECT_EQ(notes[0].m_HasSize, 0);
  EXPECT_EQ(notes[0].m_Size, 150000u);
  EXPECT_EQ(FullLogCount("Didn't find any filesize"), 2);
}

// The 227 reply names another host, where a listener waits on the server's passive port: the data
// connection still goes to the host of the command connection, and the file comes in passive mode.
TEST_F(PyFtpTest, PassiveReplyNamingAnotherHostStillFetchesFromTheServer) {
  CSilentListener decoy(0x7F000002u);  // 127.0.0.2
  ASSERT_NE(decoy.Port(), 0);
  StartPeer({"--pasv-address=127.0.0.2", "--pasv-port=" + std::to_string(decoy.Port())});
  const std::string content = Put("a.bin", 70000);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(decoy.TakeConnections(), 0);
  EXPECT_EQ(Count("PASV"), 1);
  const auto commands = m_Peer.Commands();
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("PORT", 0) == 0; }),
            0);
  EXPECT_EQ(FullLogCount("Connecting dataport 127.0.0.1:" + std::to_string(decoy.Port())), 1);
}

TEST_F(PyFtpTest, RefusedPasswordAsksForAnotherAndLogsInAgain) {
  StartPeer({}, "wrong");
  const std::string content = Put("a.bin", 1000);
  static int s_Asked = 0;
  m_Client.SetLoginPasswordErrorCallback(
      [](char*& text, void*) -> int32_t {
        ++s_Asked;
        text = const_cast<char*>(CPyFtpPeer::kPassword);
        return 1;
      },
      nullptr);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(s_Asked, 1);
  EXPECT_EQ(Count("USER player"), 2);
  EXPECT_EQ(Count("PASS wrong"), 1);
  EXPECT_EQ(Count("PASS s3cret"), 1);
}

TEST_F(PyFtpTest, RefusedPasswordWithoutAnotherFails) {
  StartPeer({}, "wrong");
  m_Client.SetLoginPasswordErrorCallback([](char*&, void*) -> int32_t { return 0; }, nullptr);
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(ErrorText(), "Unable to login: The password was refused.");
}

TEST_F(PyFtpTest, MissingFileFailsWith550) {
  StartPeer();
  ASSERT_EQ(Run(), EFtpRun::Idle);
  m_Client.RetrieveFile(Local("x").c_str(), "nope.bin");
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(ErrorText(), "Ftp error(550): File unavailable (file not found). (file: nope.bin)");
}

TEST_F(PyFtpTest, DroppedCommandConnectionsReconnectTwiceBetweenDownloads) {
  StartPeer();
  const std::string a = Put("drop-control-2-a.bin", 20000, 1);
  const std::string b = Put("drop-control-2-b.bin", 20000, 2);
  Put("drop-control-3-c.bin", 20000, 3);
  // Two drops, two reconnects: the file comes on the third try.
  ASSERT_TRUE(Fetch("drop-control-2-a.bin", a)) << ErrorText();
  EXPECT_EQ(m_Client.GetReconnectCount(), 0) << "a completed download resets the count";
  EXPECT_EQ(Count("USER player"), 3);
  ASSERT_TRUE(Fetch("drop-control-2-b.bin", b)) << ErrorText();
  // A third drop is one too many.
  m_Client.RetrieveFile(Local("c").c_str(), "drop-control-3-c.bin");
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(m_Client.GetReconnectCount(), 2);
  EXPECT_NE(ErrorText().find("Maximum reconnects without a successful download reached. Giving up."),
            std::string::npos)
      << ErrorText();
  EXPECT_EQ(Count("RETR drop-control-3-c.bin"), 3);
}

TEST_F(PyFtpTest, ShortDataIsRetriedWhenTheSizeIsKnown) {
  StartPeer({"--sizes"});
  const std::string content = Put("drop-data-2-a.bin", 100000);
  ASSERT_TRUE(Fetch("drop-data-2-a.bin", content)) << ErrorText();
  EXPECT_EQ(Count("RETR drop-data-2-a.bin"), 3);
  EXPECT_EQ(m_Client.GetReconnectCount(), 0);
  EXPECT_EQ(FullLogCount("we don't have the whole file. Retrying the operation."), 2);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].m_HasSize, 1);
  EXPECT_EQ(notes[0].m_Size, 100000u);
}

TEST_F(PyFtpTest, SevenDataRetriesChangingModeEveryThird) {
  StartPeer({"--sizes"});
  Put("drop-data-9-a.bin", 10000);
  ASSERT_EQ(Run(), EFtpRun::Idle);
  m_Client.RetrieveFile(Local("a").c_str(), "drop-data-9-a.bin");
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(ErrorText(), "Unable to connect to server. Maximum number of retries reached. Giving up.");
  EXPECT_EQ(Count("RETR drop-data-9-a.bin"), 8);
  // Tries 1-3 passive, 4-6 normal, 7-8 passive again.
  EXPECT_EQ(Count("PASV"), 5);
  EXPECT_EQ(FullLogCount("Changing to normal mode."), 1);
  EXPECT_EQ(FullLogCount("Changing to passive mode."), 1);
  EXPECT_EQ(m_Client.IsPassiveMode(), 1);
}

TEST_F(PyFtpTest, DataRetriesDoNotUseUpReconnects) {
  StartPeer({"--sizes"});
  const std::string content = Put("drop-data-4-a.bin", 10000);
  ASSERT_TRUE(Fetch("drop-data-4-a.bin", content)) << ErrorText();
  EXPECT_EQ(Count("RETR drop-data-4-a.bin"), 5);
}

}  // namespace
