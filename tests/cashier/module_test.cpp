// cashier.so as the client loads it: "cashier.dll" through the module contract, its three entries
// by name and type, and the fields that its argument words give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cashierclientapp.h"
#include "cashierfixture.h"
#include "common/tables/moduleentries.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"

namespace {

// The module's own application, read through the module's own accessor.
using TAppOfModule = CCashierClientApp* (*)();

class CashierModule : public CCashierTest {
 protected:
  void SetUp() override {
    CCashierTest::SetUp();
    ASSERT_EQ(m_Module.Load(VORRIN_DIST_DIR "/cashier.dll", DYNLIB_INHERIT_OSTREL), 1);
    m_Init = reinterpret_cast<TCashierInit>(m_Module.GetSymbol(CASHIER_INIT_ENTRY));
    m_Ticker = reinterpret_cast<TCashierTicker>(m_Module.GetSymbol(CASHIER_TICKER_ENTRY));
    m_Exit = reinterpret_cast<TCashierExit>(m_Module.GetSymbol(CASHIER_EXIT_ENTRY));
    m_App = reinterpret_cast<TAppOfModule>(m_Module.GetSymbol("_Z16CashierClientAppv"));
    ASSERT_TRUE(m_Init && m_Ticker && m_Exit);
    ASSERT_NE(m_App, nullptr) << "the module's accessor of its application";
  }
  void TearDown() override {
    if (m_App && m_App()) m_Exit();
    m_Module.Close();
    CCashierTest::TearDown();
  }
  int32_t Init(const std::vector<std::string>& words, int32_t log = 0) {
    CArgumentWords argv(words);
    // The client's pair is not read: a pointer that cannot be followed shows it.
    return m_Init(reinterpret_cast<void*>(0x10), log, argv.Count(), argv.Vector());
  }

  CDynamicLibrary m_Module;
  TCashierInit m_Init = nullptr;
  TCashierTicker m_Ticker = nullptr;
  TCashierExit m_Exit = nullptr;
  TAppOfModule m_App = nullptr;
};

TEST_F(CashierModule, ExportsTheContractAndTheThreeEntries) {
  EXPECT_NE(m_Module.GetSymbol("DynamicInheritOstrel"), nullptr);
  EXPECT_EQ(m_App(), nullptr);
  EXPECT_EQ(m_Ticker(), 0) << "no cashier runs";
  EXPECT_EQ(m_Exit(), 1) << "exiting without a cashier is no failure";
}

struct SProxy {
  int32_t m_Use, m_Flag;
  const char* m_Host;
  int32_t m_Port;
};
constexpr SProxy kNoProxy{0, 0, "", 0};

struct SArgumentsRow {
  const char* m_Case;
  std::vector<std::string> m_Words;
  const char* m_Host;
  int32_t m_Port;
  const char* m_User;
  const char* m_Password;
  const char* m_Prefix;
  SProxy m_Cashier = kNoProxy;
  SProxy m_Process = kNoProxy;
};

// "VOR" is the staged script's default prefix (string 20800).
const SArgumentsRow kArguments[] = {
    {"the client's five words",
     {"cash.example", "7000", "([CashierProxy=1,1,proxy.example,8443;CpProxy=1,0,cp.example,3128;])", "-u:john smith",
      "-p:pa ss"},
     "cash.example", 7000, "john smith", "pa ss", "VOR", {1, 1, "proxy.example", 8443}, {1, 0, "cp.example", 3128}},
    {"the client's words with an empty proxy text", {"cash.example", "7000", "-u:john", "-p:secret"},
     "cash.example", 7000, "john", "secret", "VOR"},
    {"a user over three words", {"h", "1", "-u:a", "b", "c", "-p:x"}, "h", 1, "a b c", "x", "VOR"},
    {"a password of three words", {"h", "1", "-u:a", "-p:x", "y", "z"}, "h", 1, "a", "x y z", "VOR"},
    {"a prefix after the password", {"h", "1", "-u:a", "-p:x", "-prefix:ABC"}, "h", 1, "a", "x -prefix:ABC", "ABC"},
    {"a prefix before the user", {"h", "1", "-prefix:ABC", "-u:a", "-p:x"}, "h", 1, "a", "x", "ABC"},
    {"the last prefix counts", {"h", "1", "-prefix:A", "-prefix:B"}, "h", 1, "", "", "B"},
    {"a later user word replaces", {"h", "1", "-u:a", "-u:b", "-p:x"}, "h", 1, "b", "x", "VOR"},
    {"one argument", {"h"}, "", 0, "", "", "VOR"},
    {"no arguments", {}, "", 0, "", "", "VOR"},
    {"a third word without \"(\"", {"h", "1", "x([CashierProxy=1,1,p,80;])"}, "h", 1, "", "", "VOR"},
    {"a proxy text as the fourth word", {"h", "1", "-u:a", "([CashierProxy=1,1,p,80;])"}, "h", 1,
     "a ([CashierProxy=1,1,p,80;])", "", "VOR"},
    {"CashierProxy with three values", {"h", "1", "([CashierProxy=1,1,p;])"}, "h", 1, "", "", "VOR"},
    {"CashierProxy with four values", {"h", "1", "([CashierProxy=1,1,p,80;])"}, "h", 1, "", "", "VOR",
     {1, 1, "p", 80}},
    {"CashierProxy without its use flag", {"h", "1", "([CashierProxy=x,1,p,80;])"}, "h", 1, "", "", "VOR"},
    {"CashierProxy without its second flag", {"h", "1", "([CashierProxy=1,x,p,80;])"}, "h", 1, "", "", "VOR",
     {0, 0, "p", 80}},
    {"CashierProxy with two values", {"h", "1", "([CashierProxy=1,1;])"}, "h", 1, "", "", "VOR"},
    {"CpProxy alone", {"h", "1", "([CpProxy=1,1,cp,81;])"}, "h", 1, "", "", "VOR", kNoProxy, {1, 1, "cp", 81}},
    {"a proxy number as %ld reads it", {"h", "1", "([CashierProxy=1,0,p,80x;])"}, "h", 1, "", "", "VOR",
     {1, 0, "p", 80}},
    {"the longest fields", {std::string(49, 'h'), "65535", "-prefix:123456789", "-u:" + std::string(99, 'u'),
                            "-p:" + std::string(99, 'p')},
     nullptr, 65535, nullptr, nullptr, "123456789"},
    {"a port with blanks", {"h", " 80 "}, "h", 80, "", "", "VOR"},
};

TEST_F(CashierModule, ArgumentWordsGiveTheFields) {
  for (const SArgumentsRow& row : kArguments) {
    ASSERT_EQ(Init(row.m_Words), 1) << row.m_Case;
    const CCashierClientApp* app = m_App();
    ASSERT_NE(app, nullptr) << row.m_Case;
    const std::vector<std::string>& w = row.m_Words;
    EXPECT_EQ(std::string(app->GetHost()), row.m_Host ? row.m_Host : w[0]) << row.m_Case;
    EXPECT_EQ(app->GetPort(), row.m_Port) << row.m_Case;
    EXPECT_EQ(std::string(app->GetUserName()), row.m_User ? row.m_User : w[3].substr(3)) << row.m_Case;
    EXPECT_EQ(std::string(app->GetPassword()), row.m_Password ? row.m_Password : w[4].substr(3)) << row.m_Case;
    EXPECT_EQ(std::string(app->GetPrefix()), row.m_Prefix) << row.m_Case;
    EXPECT_EQ(app->HasCredentials(), *app->GetUserName() && *app->GetPassword()) << row.m_Case;
    for (const auto& [got, want] : {std::pair{&app->GetCashierProxy(), row.m_Cashier},
                                    std::pair{&app->GetProcessProxy(), row.m_Process}}) {
      EXPECT_EQ(got->m_Use, want.m_Use) << row.m_Case;
      EXPECT_EQ(got->m_Flag, want.m_Flag) << row.m_Case;
      EXPECT_EQ(got->m_Host, want.m_Host) << row.m_Case;
      EXPECT_EQ(got->m_Port, want.m_Port) << row.m_Case;
    }
    EXPECT_EQ(app->GetRunState(), CASHIER_RUN_START) << row.m_Case;
    EXPECT_EQ(m_Exit(), 1) << row.m_Case;
    EXPECT_EQ(m_App(), nullptr) << row.m_Case;
  }
}

TEST_F(CashierModule, UnusableWordsAreRefused) {
  const std::vector<std::vector<std::string>> refused = {
      {"", "7000"},
      {"h", ""},
      {"", ""},
      {"h", "0"},
      {"h", "65536"},
      {"h", "-1"},
      {"h", "abc"},
      {"h", "80abc"},
      {"h", "99999999999"},
      {std::string(50, 'h'), "80"},
      {"h", "80", "-u:" + std::string(100, 'u'), "-p:x"},
      {"h", "80", "-u:x", "-p:" + std::string(100, 'p')},
      {"h", "80", "-u:" + std::string(50, 'u'), std::string(49, 'u'), "-p:x"},  // 100 once joined
      {"h", "80", "-u:x", "-p:" + std::string(50, 'p'), std::string(49, 'p')},
      {"h", "80", "-prefix:1234567890"},
  };
  const int32_t timers = Timers();
  for (const auto& words : refused) {
    CCaughtReports reports;
    EXPECT_EQ(Init(words), 0) << words[0] << " " << words[1];
    const std::string& text = reports.Text();
    EXPECT_NE(text.find("Exception in method: CCashierClientApp::Initialize(), message: 'Invalid command-line "
                        "arguments.'"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Failed to initialize the cashierclient application object."), std::string::npos) << text;
    EXPECT_EQ(m_App(), nullptr) << "the half-built cashier is gone";
    EXPECT_EQ(Timers(), timers) << "and its timer with it";
  }
  // Nothing of the refused ones stands in the way of the next start.
  EXPECT_EQ(Init({"h", "80"}), 1);
}

TEST_F(CashierModule, WithoutItsScriptTheStartFailsCleanlyAndCanBeTriedAgain) {
  RemoveMainScript();
  const int32_t timers = Timers();
  {
    CCaughtReports reports;
    EXPECT_EQ(Init({"h", "80"}), 0);
    EXPECT_NE(reports.Text().find("message: 'Failed to load resource file'"), std::string::npos) << reports.Text();
  }
  EXPECT_EQ(m_App(), nullptr);
  EXPECT_EQ(Timers(), timers);
  xHandler();
  StageMainScript();
  ASSERT_EQ(Init({"h", "80"}), 1);
  EXPECT_EQ(Timers(), timers + 1);
  EXPECT_STREQ(m_App()->GetName(), "Cashier");
  EXPECT_EQ(m_Exit(), 1);
  EXPECT_EQ(Timers(), timers);
}

TEST_F(CashierModule, ASecondCashierIsRefusedAndTheFirstGoesOn) {
  ASSERT_EQ(Init({"first", "80"}), 1);
  CCashierClientApp* first = m_App();
  {
    CCaughtReports reports;
    EXPECT_EQ(Init({"second", "81"}), 0);
    EXPECT_NE(reports.Text().find("Exception in method: CApplication::CApplication(), message: 'An instance of this "
                                  "object already exists (Singleton).'"),
              std::string::npos)
        << reports.Text();
  }
  ASSERT_EQ(m_App(), first);
  EXPECT_STREQ(first->GetHost(), "first");
  EXPECT_EQ(m_Exit(), 1);
  EXPECT_EQ(m_App(), nullptr);
  EXPECT_EQ(m_Exit(), 1);
}

TEST_F(CashierModule, TheLogFlagComesFromTheClientOrTheDebugOptions) {
  ASSERT_EQ(Init({"h", "80"}, 0), 1);
  EXPECT_EQ(m_App()->GetLogFlag(), 0);
  m_Exit();
  ASSERT_EQ(Init({"h", "80"}, 1), 1);
  EXPECT_EQ(m_App()->GetLogFlag(), 1);
  m_Exit();
  WriteWholeFile(m_Folder.File("cashierclient_debugoptions.cfg"), "debugflag = on\n");
  ASSERT_EQ(Init({"h", "80"}, 0), 1);
  EXPECT_EQ(m_App()->GetLogFlag(), 1);
  m_Exit();
  xStartStdDebug(0);
}

}  // namespace
