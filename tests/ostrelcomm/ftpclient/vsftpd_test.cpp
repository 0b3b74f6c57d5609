// Downloads from vsftpd: both transfer modes, resume, the greeting and login paths, missing files.
#include <algorithm>

#include "ftpfixture.h"

namespace {

class VsftpdTest : public FtpClientTest {
 protected:
  void StartPeer(const CVsftpdPeer::SOptions& options = {}) {
    ASSERT_TRUE(m_Peer.Start(options));
    ConnectTo(m_Peer.Port());
    ASSERT_EQ(m_Client.SetLoginName("anonymous"), 1);
  }
  std::string Put(const std::string& name, size_t size, uint32_t seed = 1) {
    const std::string content = TestContent(size, seed);
    WriteWholeFile(m_Peer.Root() + "/" + name, content);
    return content;
  }
  bool Sent(const std::string& command) const {
    const auto commands = m_Peer.Commands();
    return std::find(commands.begin(), commands.end(), command) != commands.end();
  }

  CVsftpdPeer m_Peer;
};

TEST_F(VsftpdTest, PassiveDownloadWithoutPassword) {
  StartPeer();
  const std::string content = Put("a.bin", 300000);
  const std::string small = Put("small.bin", 512, 2);
  ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
  EXPECT_STREQ(m_Client.GetStateString(), "Ready.");
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  ASSERT_TRUE(Fetch("small.bin", small)) << ErrorText();
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].m_Remote, "a.bin");
  EXPECT_EQ(notes[0].m_Local, Local("a.bin"));
  EXPECT_EQ(notes[0].m_HasSize, 1);
  EXPECT_EQ(notes[0].m_Size, 300000u);
  EXPECT_EQ(notes[1].m_Size, 512u);
  EXPECT_EQ(m_Client.IsDownloadedNote(), 0);
  // 230 came to USER: no password went out.
  const std::string sent = ReadWholeFile(Local(FTP_LOG_SEND));
  EXPECT_NE(sent.find("USER anonymous\r\nTYPE I\r\nPASV\r\nRETR a.bin\r\n"), std::string::npos) << sent;
  EXPECT_EQ(sent.find("PASS"), std::string::npos);
  EXPECT_NE(ReadWholeFile(Local(FTP_LOG_RECV)).find("220 "), std::string::npos);
  // Quarters for the large file only.
  EXPECT_EQ(FullLogCount("Downloading: 25%"), 1);
  EXPECT_EQ(FullLogCount("Downloading: 100% (finished downloading)"), 1);
  EXPECT_EQ(m_Client.GetCompletedCount(), 2);
  EXPECT_EQ(m_Client.GetDownloadBytesTransfered(), 0u);
  EXPECT_STREQ(m_Client.GetDownloadLocalFileName(), "");
}

TEST_F(VsftpdTest, BlockingConnectWaitsForTheConnection) {
  ASSERT_TRUE(m_Peer.Start());
  const std::string content = Put("a.bin", 1000);
  m_Client.SetBlockingConnectOn();
  ASSERT_EQ(m_Client.Connect("127.0.0.1", m_Peer.Port()), 1) << ErrorText();
  ASSERT_EQ(m_Client.SetLoginName("anonymous"), 1);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
}

TEST_F(VsftpdTest, NormalModeAnnouncesTheCommandConnectionsAddress) {
  StartPeer();
  const std::string content = Put("a.bin", 200000);
  m_Client.SetNormalMode();
  ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(m_Client.IsPassiveMode(), 0);
  const auto commands = m_Peer.Commands();
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                          [](const std::string& c) { return c.rfind("PORT 127,0,0,1,", 0) == 0; }),
            2);
  EXPECT_FALSE(Sent("PASV"));
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].m_Size, 200000u);
}

TEST_F(VsftpdTest, ResumeStartsOnAWholeBlockInBothModes) {
  StartPeer();
  const std::string content = Put("r.bin", 100000);
  ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "normal");
    if (passive)
      m_Client.SetPassiveMode();
    else
      m_Client.SetNormalMode();
    // The local file holds the first 5000 bytes and stale bytes behind them.
    WriteWholeFile(Local("r.bin"), content.substr(0, 5000) + std::string(70000, 'x'));
    ASSERT_EQ(m_Client.SetDownloadStartPosition(5000), 1);
    EXPECT_EQ(m_Client.GetDownloadStartPosition(), 4096);
    ASSERT_EQ(m_Client.RetrieveFile(Local("r.bin").c_str(), "r.bin"), 1);
    EXPECT_EQ(m_Client.GetDownloadStartPosition(), 0) << "taken by the file";
    ASSERT_TRUE(RunTo(FTPDOWNLOADDOWNLOADING)) << ErrorText();
    EXPECT_GE(m_Client.GetDownloadBytesTransfered(), 4096u);
    ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
    EXPECT_EQ(ReadWholeFile(Local("r.bin")), content);
    const auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].m_Size, 100000u);
  }
  const auto commands = m_Peer.Commands();
  const auto rest = std::find(commands.begin(), commands.end(), "REST 4096");
  ASSERT_NE(rest, commands.end());
  EXPECT_EQ(*(rest - 1), "PASV");
  EXPECT_EQ(*(rest + 1), "RETR r.bin");
  // Normal mode: PORT, then REST, then RETR.
  const auto port = std::find_if(commands.begin(), commands.end(),
                                 [](const std::string& c) { return c.rfind("PORT ", 0) == 0; });
  ASSERT_NE(port, commands.end());
  ASSERT_LT(port + 2, commands.end());
  EXPECT_EQ(*(port + 1), "REST 4096");
  EXPECT_EQ(*(port + 2), "RETR r.bin");
}

TEST_F(VsftpdTest, ResumeOfAShortLocalFileGetsAllOfIt) {
  StartPeer();
  const std::string content = Put("r.bin", 30000);
  ASSERT_EQ(Run(), EFtpRun::Idle) << ErrorText();
  WriteWholeFile(Local("r.bin"), content.substr(0, 1000));
  m_Client.SetDownloadStartPosition(8192);
  ASSERT_TRUE(Fetch("r.bin", content)) << ErrorText();
  EXPECT_FALSE(Sent("REST 8192"));
}

TEST_F(VsftpdTest, MultiLineGreetingAndPasswordFromTheCallback) {
  StartPeer({.m_AnonymousPassword = true, .m_LongBanner = true});
  const std::string content = Put("a.bin", 1000);
  ASSERT_EQ(m_Client.SetLoginName("anonymous"), 1);
  static int s_Asked = 0;
  m_Client.SetLoginPasswordCallback(
      [](char*& text, void*) -> int32_t {
        ++s_Asked;
        text = const_cast<char*>("guest@");
        return 1;
      },
      nullptr);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(s_Asked, 1);
  EXPECT_TRUE(Sent("PASS <password>") || Sent("PASS guest@"));
  EXPECT_NE(ReadWholeFile(Local(FTP_LOG_RECV)).find("220-Welcome to the casino test site."), std::string::npos);
}

TEST_F(VsftpdTest, RefusedLoginNameAsksForAnother) {
  StartPeer();
  const std::string content = Put("a.bin", 1000);
  ASSERT_EQ(m_Client.SetLoginName("player"), 1);
  static int s_Asked = 0;
  m_Client.SetLoginNameErrorCallback(
      [](char*& text, void*) -> int32_t {
        ++s_Asked;
        text = const_cast<char*>("anonymous");
        return 1;
      },
      nullptr);
  ASSERT_TRUE(Fetch("a.bin", content)) << ErrorText();
  EXPECT_EQ(s_Asked, 1);
  EXPECT_TRUE(Sent("USER player"));
  EXPECT_TRUE(Sent("USER anonymous"));
}

TEST_F(VsftpdTest, RefusedLoginNameWithoutCallbackFails) {
  StartPeer();
  ASSERT_EQ(m_Client.SetLoginName("player"), 1);
  EXPECT_EQ(Run(), EFtpRun::Failed);
  EXPECT_EQ(m_Client.GetState(), FTPERROR);
  EXPECT_STREQ(m_Client.GetStateString(), "Error...");
  EXPECT_EQ(m_Client.Update(), 0) << "stays failed";
}

TEST_F(VsftpdTest, MissingFileFailsWith550) {
  StartPeer();
  ASSERT_EQ(Run(), EFtpRun::Idle);
  ASSERT_EQ(m_Client.RetrieveFile(Local("nope.bin").c_str(), "nope.bin"), 1);
  EXPECT_EQ(Run(), EFtpRun::Failed);
  const char* operation = nullptr;
  EXPECT_EQ(std::string(m_Client.FtpGetErrorTxt(&operation)),
            "Ftp error(550): File unavailable (file not found). (file: nope.bin)");
  EXPECT_STREQ(operation, "Update");
  EXPECT_NE(FullLog().find("Ftp error: (Update): Ftp error(550)"), std::string::npos);
}

}  // namespace
