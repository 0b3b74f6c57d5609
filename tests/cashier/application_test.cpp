// The application object in the test's own process: its exception and report, what Initialize
// reads from the main script, the default font it borrows, its timer and the close box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cashierclientapp.h"
#include "cashierentry.h"
#include "cashierfixture.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/font.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "shared/exception.h"

namespace {

const std::string kRule(79, '-');

TEST(CashierException, MissingPartsGetTheirDefaults) {
  for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
    const CException e(empty, empty, empty, 7);
    EXPECT_STREQ(e.GetMethod(), "Unknown");
    EXPECT_STREQ(e.GetMessage(), "N/A");
    EXPECT_STREQ(e.GetSource(), "Unknown");
    EXPECT_EQ(e.GetLine(), 7);
  }
  const int line = __LINE__ + 1;
  const CException here("M()", "what");
  EXPECT_STREQ(here.GetSource(), "application_test.cpp");
  EXPECT_EQ(here.GetLine(), line);
  try {
    throw here;
  } catch (const CException& caught) {
    EXPECT_EQ(caught.Text(), "Exception in method: M(), message: 'what', source: application_test.cpp, line: " +
                                 std::to_string(line) + "\n");
  }
}

TEST(CashierException, TheReportStandsBetweenTwoRulesAndIsCutAt1024) {
  const CException shortOne("CCashierClientApp::Initialize()", "Already initialized", "main", 12);
  const std::string longMessage(5000, 'x');
  const CException longOne("m", longMessage.c_str(), "main", 1);
  CCaughtReports reports;
  shortOne.Report();
  longOne.Report();
  const std::string shortText =
      "Exception in method: CCashierClientApp::Initialize(), message: 'Already initialized', source: main, line: 12\n";
  const std::string longText = longOne.Text();
  EXPECT_EQ(longText.size(), EXCEPTION_REPORT_SIZE - 1);
  EXPECT_EQ(longText, ("Exception in method: m, message: '" + longMessage).substr(0, EXCEPTION_REPORT_SIZE - 1));
  EXPECT_EQ(reports.Text(), kRule + "\n" + shortText + kRule + "\n" + kRule + "\n" + longText + kRule + "\n");
}

// An application whose message windows the test plays.
class CRecordingApp : public CCashierClientApp {
 public:
  using CCashierClientApp::CCashierClientApp;
  int32_t ShowPendingMessage(const TPendingMessage& message) override {
    m_Shown.push_back(message.m_Title);
    return m_CanShow;
  }
  void CloseAnsweredMessageWindows() override { ++m_Closes; }

  std::vector<std::string> m_Shown;
  int32_t m_CanShow = 1;
  int32_t m_Closes = 0;
};

class CashierApplication : public CCashierTest {
 protected:
  CArgumentWords m_Words{{"cash.example", "7000", "-u:john", "-p:secret"}};
};

TEST_F(CashierApplication, TheTimerShowsTheWaitingMessageUntilItCouldBeShown) {
  CRecordingApp app(0, m_Words.Count(), m_Words.Vector());
  ASSERT_EQ(app.Initialize(), 1);
  TPendingMessage message;
  std::snprintf(message.m_Title, sizeof message.m_Title, "Maintenance");
  message.m_Icon = 3;
  app.SetPendingMessage(message);
  EXPECT_EQ(app.GetPendingMessage().m_Pending, 1);

  app.m_CanShow = 0;
  app.TimerHandler(APPLICATION_TIMER_PERIOD);
  app.TimerHandler(APPLICATION_TIMER_PERIOD);
  EXPECT_EQ(app.m_Shown.size(), 2u) << "tried again on every tick";
  EXPECT_EQ(app.GetPendingMessage().m_Pending, 1);
  app.m_CanShow = 1;
  app.TimerHandler(APPLICATION_TIMER_PERIOD);
  EXPECT_EQ(app.GetPendingMessage().m_Pending, 0);
  app.TimerHandler(APPLICATION_TIMER_PERIOD);
  EXPECT_EQ(app.m_Shown, (std::vector<std::string>{"Maintenance", "Maintenance", "Maintenance"}));
  EXPECT_EQ(app.m_Closes, 4) << "answered windows are closed on every tick";

  // Registered by Initialize: the frames of a tenth of a second run it.
  app.SetPendingMessage(message);
  const uint32_t start = m_Clock.Now();
  while (m_Clock.Now() - start < 2 * APPLICATION_TIMER_PERIOD) {
    xHandler();
    m_Clock.Advance(5);
  }
  EXPECT_EQ(app.GetPendingMessage().m_Pending, 0);
  EXPECT_EQ(app.m_Shown.size(), 4u);
  EXPECT_GE(app.m_Closes, 5);
}

TEST_F(CashierApplication, ASecondInitializeIsRefused) {
  CCashierClientApp app(0, m_Words.Count(), m_Words.Vector());
  ASSERT_EQ(app.Initialize(), 1);
  CCaughtReports reports;
  EXPECT_EQ(app.Initialize(), 0);
  EXPECT_NE(reports.Text().find("method: CCashierClientApp::Initialize(), message: 'Already initialized'"),
            std::string::npos)
      << reports.Text();
  EXPECT_EQ(app.IsInitialized(), 1);
  // Exit clears the flag the check reads: the object may be set up again.
  app.Exit();
  EXPECT_EQ(app.Initialize(), 1);
}

TEST_F(CashierApplication, ASecondApplicationIsRefusedBySingletonCheck) {
  CCashierClientApp first(0, m_Words.Count(), m_Words.Vector());
  try {
    CCashierClientApp second(0, m_Words.Count(), m_Words.Vector());
    ADD_FAILURE() << "a second application was made";
  } catch (const CException& e) {
    EXPECT_STREQ(e.GetMethod(), "CApplication::CApplication()");
    EXPECT_STREQ(e.GetMessage(), "An instance of this object already exists (Singleton).");
  }
  EXPECT_EQ(CashierClientApp(), &first);
  EXPECT_EQ(CApplication::Instance(), &first);
}

TEST_F(CashierApplication, TheMainScriptGivesNameDefaultPrefixTimeoutAndPacing) {
  struct {
    const char* m_Script;
    const char* m_Name;
    const char* m_Prefix;
    uint32_t m_Timeout;
  } const rows[] = {
      {"{ = Strings\n IDS_A = 20054, \"Kasse\"\n IDS_B = 20800, \"LONGPREFIX12\"\n}\n"
       "{ = Data\n NETWORKMAXTIMEOUT = 5\n}\n",
       "Kasse", "LONGPREFI", 5},
      {"{ = Strings\n IDS_A = 20054, \"Kasse\"\n}\n", "Kasse", "", CASHIER_NETWORK_TIMEOUT_DEFAULT},
      {"{ = Data\n NETWORKMAXTIMEOUT = 40\n}\n", "", "", 40},
  };
  for (const auto& row : rows) {
    WriteMainScript(row.m_Script);
    ASSERT_EQ(CashierStart(0, m_Words.Count(), m_Words.Vector()), 1) << row.m_Script;
    EXPECT_STREQ(CashierClientApp()->GetName(), row.m_Name);
    EXPECT_STREQ(CashierClientApp()->GetPrefix(), row.m_Prefix);
    EXPECT_EQ(CashierNetworkMaxTimeout(), row.m_Timeout);
    EXPECT_EQ(glb->m_MinimumFrameTime, CASHIER_FRAME_TIME);
    EXPECT_EQ(glb->m_UpdateTime, CASHIER_FRAME_TIME);
    EXPECT_EQ(CashierEnd(), 1);
  }
  // The prefix of the command line wins over the script's.
  CArgumentWords words({"h", "1", "-prefix:XY"});
  StageMainScript();
  ASSERT_EQ(CashierStart(0, words.Count(), words.Vector()), 1);
  EXPECT_STREQ(CashierClientApp()->GetPrefix(), "XY");
  EXPECT_EQ(CashierNetworkMaxTimeout(), CASHIER_NETWORK_TIMEOUT_DEFAULT);
  EXPECT_EQ(CashierEnd(), 1);
}

TEST_F(CashierApplication, TheWindowManagersDefaultFontIsGivenBack) {
  CWinCtrl* windows = glb->m_pWinCtrl;
  ASSERT_NE(windows, nullptr);
  CFont own;
  windows->SetDefaultFont(&own);
  // The script sets a default font of its own, which Exit must take back before the script goes.
  WriteMainScript("{ = Fonts\n CashierFont = " VORRIN_DIST_DIR "/fonts/sans11.xbf\n}\n"
                  "{ = Defaults\n Font = CashierFont\n}\n");
  ASSERT_EQ(CashierStart(0, m_Words.Count(), m_Words.Vector()), 1);
  EXPECT_NE(windows->GetDefaultFont(), &own);
  EXPECT_NE(windows->GetDefaultFont(), nullptr);
  EXPECT_EQ(CashierEnd(), 1);
  EXPECT_EQ(windows->GetDefaultFont(), &own);

  // Refused before it took the font: the font is left alone.
  CArgumentWords refused({"", "1"});
  EXPECT_EQ(CashierStart(0, refused.Count(), refused.Vector()), 0);
  EXPECT_EQ(windows->GetDefaultFont(), &own);
  windows->SetDefaultFont(nullptr);
}

TEST_F(CashierApplication, TheCloseBoxAsksToLeaveUnlessTheCashierIsLeaving) {
  CCashierClientApp app(0, m_Words.Count(), m_Words.Vector());
  for (int32_t state = 0; state <= 15; ++state) {
    const bool leaving = state == CASHIER_RUN_LEAVE || state == CASHIER_RUN_LEAVEWAIT || state == CASHIER_RUN_QUIT;
    for (void* user : {static_cast<void*>(&app), static_cast<void*>(nullptr)}) {
      app.SetRunState(state);
      CCashierClientApp::CloseBoxHandler(GUIMSG_COMMAND, 410, XCNTRL_CLOSE, 0, user);
      EXPECT_EQ(app.GetRunState(), leaving ? state : CASHIER_RUN_LEAVE) << state;
    }
    app.SetRunState(state);
    CCashierClientApp::CloseBoxHandler(GUIMSG_COMMAND, 410, 403, 0, &app);
    CCashierClientApp::CloseBoxHandler(GUIMSG_COMMAND + 1, 410, XCNTRL_CLOSE, 0, &app);
    EXPECT_EQ(app.GetRunState(), state) << "other controls and events change nothing";
  }
}

}  // namespace
