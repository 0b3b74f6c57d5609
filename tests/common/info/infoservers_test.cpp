// The info servers: one server from its seven texts, the list that "xrs/filemap.xrs" gives and its
// rotation, the error texts, and the script the install ships.
#include <gtest/gtest.h>

#include <filesystem>

#include "infofixture.h"
#include "ostrel/resources/resdata.h"

namespace {

TEST(IpServerConnection, FlagsAreOnForTrueInAnyCaseOrOne) {
  const std::pair<const char*, int32_t> cases[] = {
      {"TRUE", 1}, {"true", 1}, {"True", 1}, {"tRuE", 1}, {"1", 1},    {"FALSE", 0}, {"0", 0},
      {"yes", 0},  {"on", 0},   {"2", 0},    {"11", 0},   {"TRUEX", 0}, {"", 0},    {nullptr, 0},
  };
  for (const auto& [text, flag] : cases) {
    SCOPED_TRACE(text ? text : "(null)");
    EXPECT_EQ(IpServerConnection::ParseFlag(text), flag);
    IpServerConnection server("h", "c", "1", text, "p", text, "2");
    EXPECT_EQ(server.GetProxyFlag(), flag);
    EXPECT_EQ(server.GetProxyCryptFlag(), flag);
  }
}

TEST(IpServerConnection, PortsAreDecimalUpTo65535) {
  const std::pair<const char*, int32_t> cases[] = {
      {"7000", 7000}, {"1", 1},   {"65535", 65535}, {"007", 7},    {"65536", 0}, {"99999999999", 0},
      {"-1", 0},      {"+80", 0}, {"12ab", 0},      {" 80", 0},    {"", 0},      {nullptr, 0},
  };
  for (const auto& [text, port] : cases) {
    SCOPED_TRACE(text ? text : "(null)");
    EXPECT_EQ(IpServerConnection::ParsePort(text), port);
  }
}

TEST(IpServerConnection, KeepsItsOwnCopiesOfTheTexts) {
  std::string address = "10.0.0.1", casino = "Vorrin", proxy = "proxy.example";
  IpServerConnection server(address.c_str(), casino.c_str(), "7600", "TRUE", proxy.c_str(), "1", "8080");
  address.assign(40, 'x');
  casino.assign(40, 'y');
  proxy.assign(40, 'z');
  EXPECT_STREQ(server.GetAddress(), "10.0.0.1");
  EXPECT_STREQ(server.GetCasinoName(), "Vorrin");
  EXPECT_STREQ(server.GetProxyAddress(), "proxy.example");
  EXPECT_EQ(server.GetPort(), 7600);
  EXPECT_EQ(server.GetProxyPort(), 8080);
}

class InfoServers : public CInfoTest {};

TEST_F(InfoServers, ListHoldsTheStringServerFirstThenTheWholeItemsInFileOrder) {
  // The strings hold the flags before the proxy address; each value is told apart.
  m_Script.String(IC_STR_ADDRESS, "first.example")
      .String(IC_STR_CASINO, "FirstCasino")
      .String(IC_STR_PORT, "7600")
      .String(IC_STR_PROXY, "true")
      .String(IC_STR_PROXY_CRYPT, "FALSE")
      .String(IC_STR_PROXY_ADDRESS, "proxy.first")
      .String(IC_STR_PROXY_PORT, "8600");
  m_Script.Item({"a.example", "A", "7601", "FALSE", "proxy.a", "1", "8601"})
      .Item({"six.example", "Six", "7602", "FALSE", "proxy.six", "FALSE"})
      .Item({"c.example", "C", "7603", "1", "proxy.c", "TRUE", "8603", "extra"});
  WriteScript(m_Script);

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->NumServers(), 3);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "first.example");
  EXPECT_STREQ(m_pInfo->GetCasinoName(), "FirstCasino");
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), 7600);
  EXPECT_EQ(m_pInfo->GetProxyFlag(), 1);
  EXPECT_STREQ(m_pInfo->GetProxyIP(), "proxy.first");
  EXPECT_EQ(m_pInfo->GetProxyCryptFlag(), 0);
  EXPECT_EQ(m_pInfo->GetProxyPort(), 8600);

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "a.example");
  EXPECT_STREQ(m_pInfo->GetCasinoName(), "A");
  EXPECT_EQ(m_pInfo->GetProxyFlag(), 0);
  EXPECT_STREQ(m_pInfo->GetProxyIP(), "proxy.a");
  EXPECT_EQ(m_pInfo->GetProxyCryptFlag(), 1);
  EXPECT_EQ(m_pInfo->GetProxyPort(), 8601);

  // The item of six values is passed over; one of eight gives its first seven.
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "c.example");
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), 7603);
  EXPECT_EQ(m_pInfo->GetProxyPort(), 8603);

  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->NumServers(), 0);
  EXPECT_EQ(m_pInfo->GetFilemapServerIP(), nullptr);
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), 0);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
}

TEST_F(InfoServers, StringServerNeedsAllSevenStrings) {
  m_Script.FirstServer("first.example", 7600).Server("a.example", 7601);
  // The script without string 10006.
  std::string text = m_Script.Text();
  const size_t at = text.find("S10006");
  ASSERT_NE(at, std::string::npos);
  text.erase(at, text.find('\n', at) - at + 1);
  std::filesystem::create_directories(File("xrs"));
  WriteWholeFile(File("xrs/filemap.xrs"), text);
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->NumServers(), 1);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "a.example");
}

TEST_F(InfoServers, MissingScriptGivesNoServerUntilItIsThere) {
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  EXPECT_EQ(m_pInfo->GetFilemapServerIP(), nullptr);
  // Every request needs a current server.
  EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
  EXPECT_STREQ(m_pInfo->GetErrorMessage(), IC_CONNECT_FAILED_TEXT);
  EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
  EXPECT_EQ(m_pInfo->RequestCasinoFilemap(&m_Progress), 0);
  EXPECT_TRUE(m_Progress.m_Calls.empty());
  WriteScript(m_Script.Server("a.example", 7601));
  EXPECT_EQ(m_pInfo->SetNextserver(), 1);
}

TEST_F(InfoServers, ScriptWithoutServersGivesZeroAndFlushReadsItAgain) {
  WriteScript(m_Script);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  WriteScript(m_Script.Server("a.example", 7601));
  // Loaded once: the new file counts only after Flush.
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
  m_pInfo->Flush();
  EXPECT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "a.example");
}

TEST_F(InfoServers, ErrorTextsFallBackToTheConnectTextAndItsBuiltInDefault) {
  CClosedPort closed;
  for (bool withConnectText : {true, false}) {
    SCOPED_TRACE(withConnectText ? "script names 10007 only" : "script names none");
    CInfoScript script;
    std::string text = script.FirstServer("127.0.0.1", closed.Port()).Text();
    for (int32_t id : {IC_STR_CONNECT_FAILED, IC_STR_NO_CONNECTION_ANSWER, IC_STR_NO_FILEMAP, IC_STR_NO_INFO}) {
      if (withConnectText && id == IC_STR_CONNECT_FAILED) continue;
      const size_t at = text.find("S" + std::to_string(id));
      text.erase(at, text.find('\n', at) - at + 1);
    }
    std::filesystem::create_directories(File("xrs"));
    WriteWholeFile(File("xrs/filemap.xrs"), text);
    m_pInfo = std::make_unique<CRecordingInfoConnection>();
    ASSERT_EQ(m_pInfo->SetNextserver(), 1);
    const char* expected = withConnectText ? "Unable to connect (test)" : IC_CONNECT_FAILED_TEXT;
    EXPECT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 0);
    EXPECT_STREQ(m_pInfo->GetErrorMessage(), expected);
    // No link: the info request fails with its own text, which the script lacks.
    EXPECT_EQ(m_pInfo->RequestCasinoConnectInfo(&m_Progress), 0);
    EXPECT_STREQ(m_pInfo->GetErrorMessage(), expected);
  }
}

TEST_F(InfoServers, ShippedScriptNamesTheFirstServerTheTextsAndFurtherServers) {
  const std::string shipped = std::string(VORRIN_DIST_DIR) + "/xrs/filemap.xrs";
  ASSERT_TRUE(std::filesystem::exists(shipped));
  std::filesystem::create_directories(File("xrs"));
  std::filesystem::copy_file(shipped, File("xrs/filemap.xrs"));

  CResData script;
  ASSERT_EQ(script.Load("xrs/filemap.xrs"), 1);
  EXPECT_STREQ(script.GetResString(IC_STR_CONNECT_FAILED), IC_CONNECT_FAILED_TEXT);
  for (int32_t id = IC_STR_ADDRESS; id <= IC_STR_NO_INFO; ++id) EXPECT_NE(script.GetResString(id), nullptr) << id;
  ASSERT_EQ(script.EnterDataChunk(), 1);
  const std::pair<const char*, uint32_t> timeouts[] = {
      {"IC_CONNECT_TIMEOUT", IC_CONNECT_TIMEOUT_DEFAULT}, {"RCF_TIMEOUT", RCF_TIMEOUT_DEFAULT},
      {"RCFS_TIMEOUT", RCFS_TIMEOUT_DEFAULT},             {"RCC_TIMEOUT", RCC_TIMEOUT_DEFAULT},
      {"RCI_TIMEOUT", RCI_TIMEOUT_DEFAULT},               {"MIN_TIMEOUT", MIN_TIMEOUT_DEFAULT},
  };
  for (const auto& [key, value] : timeouts) {
    uint32_t read = 0;
    EXPECT_EQ(script.GetItem(key, KULONG, &read, KEND), 1) << key;
    EXPECT_EQ(read, value) << key;
  }
  script.ExitDataChunk();

  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_STREQ(m_pInfo->GetFilemapServerIP(), "127.0.0.1");
  EXPECT_STREQ(m_pInfo->GetCasinoName(), "Vorrin");
  EXPECT_EQ(m_pInfo->GetFilemapServerPort(), 7600);
  EXPECT_EQ(m_pInfo->GetProxyFlag(), 0);
  EXPECT_EQ(m_pInfo->NumServers(), 3);
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  EXPECT_EQ(m_pInfo->GetProxyFlag(), 1);
  EXPECT_EQ(m_pInfo->GetProxyCryptFlag(), 1);
  EXPECT_EQ(m_pInfo->SetNextserver(), 0);
}

}  // namespace
