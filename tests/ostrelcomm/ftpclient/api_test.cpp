// The client's operations called out of order or with bad arguments, without a server.
#include "ftpfixture.h"

namespace {

TEST(FtpClientApi, OperationsOutOfOrderAreRefusedWithTheirTexts) {
  CFtpClient client;
  EXPECT_EQ(client.Connect("127.0.0.1", 21), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Startup has not been called.");
  EXPECT_EQ(client.Update(), 0);
  ASSERT_EQ(client.Startup(), 1);
  EXPECT_EQ(client.Startup(), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Startup is already called.");
  EXPECT_EQ(client.Update(), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Connect has not been called.");
  EXPECT_EQ(client.SetLoginName("anonymous"), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Connect must be called before Login.");
  client.SetBlockingConnectOff();
  EXPECT_EQ(client.Connect(static_cast<const char*>(nullptr), 21), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Hostname is NULL (invalid).");
  CSilentListener silent;
  ASSERT_EQ(client.Connect("127.0.0.1", silent.Port()), 1);
  EXPECT_STREQ(client.GetStateString(), "Connecting...");
  EXPECT_EQ(client.Connect("127.0.0.1", silent.Port()), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "Connect must be the first function to call.");
  EXPECT_EQ(client.Disconnect(), 1);
  EXPECT_EQ(client.GetState(), 0);
  EXPECT_STREQ(client.GetStateString(), "");
  // By url, as the download manager connects.
  const std::string url = "ftp://127.0.0.1:" + std::to_string(silent.Port());
  EXPECT_EQ(client.Connect(url.c_str()), 1);
  EXPECT_EQ(client.GetState(), FTPCONNECTING);
}

TEST(FtpClientApi, NamesWithLineBreaksNeverReachTheWire) {
  CFtpClient client;
  ASSERT_EQ(client.Startup(), 1);
  client.SetBlockingConnectOff();
  CSilentListener silent;
  ASSERT_EQ(client.Connect("127.0.0.1", silent.Port()), 1);
  EXPECT_EQ(client.SetLoginName("a\r\nDELE x"), 0);
  EXPECT_EQ(client.SetLoginPassword("p\nq"), 0);
  EXPECT_EQ(client.RetrieveFile("local", "a\r\nDELE b"), 0);
  EXPECT_EQ(client.RetrieveFile("local", nullptr), 0);
  EXPECT_EQ(client.RetrieveFile(nullptr, "remote"), 0);
  EXPECT_EQ(client.IsUserCommands(), 0);
  EXPECT_EQ(client.SetLoginName(nullptr), 1);
  EXPECT_EQ(client.RetrieveFile("local", "dir/remote file"), 1);
  EXPECT_EQ(client.IsUserCommands(), 1);
  EXPECT_EQ(client.SendFile("a", "b"), 0);
}

TEST(FtpClientApi, StartPositionsAreTakenByTheirFileAndNotesStartEmpty) {
  CFtpClient client;
  EXPECT_EQ(client.SetDownloadStartPosition(5000), 1);
  EXPECT_EQ(client.GetDownloadStartPosition(), 4096);
  EXPECT_EQ(client.SetDownloadStartPosition(4095), 1);
  EXPECT_EQ(client.GetDownloadStartPosition(), 0);
  EXPECT_EQ(client.DefaultPort(), 21);
  EXPECT_EQ(client.IsDownloadedNote(), 0);
  uint32_t time = 0, size = 0;
  int32_t hasSize = 0;
  char* local = nullptr;
  char* remote = nullptr;
  EXPECT_EQ(client.GetDownloadedNote(time, hasSize, size, local, remote), 0);
  EXPECT_STREQ(client.FtpGetErrorTxt(), "No downloaded notes exists");
  EXPECT_EQ(local, nullptr);
  EXPECT_EQ(client.GetDownloadSpeed(), 0);
  EXPECT_EQ(client.IsPassiveMode(), 1);
}

}  // namespace
