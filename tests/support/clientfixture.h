// The fixture of every test that drives the client's windows (client, lobby, cashier, play
// history, installer). Each test gets:
//   - a program folder of its own (CProgramFolder) as its working folder, with XDG_CONFIG_HOME,
//     XDG_DATA_HOME and XDG_RUNTIME_DIR inside it and VORRIN_DISPLAY=headless for children;
//   - the headless display, freshly reset (ConfigureDisplay adjusts it first);
//   - silent sound that counts the samples started (m_Sound);
//   - the test clock (m_pClock): with the client's pacing each pass of xHandler sleeps 20 ms
//     through xSleep, which moves the clock without waiting. Tests against peers that answer in
//     real time (downloads) override UsesRealClock;
//   - a launch recorder (m_Launches): xExecuteFile starts nothing, the argument vector is kept;
//   - the process globals created, but not the runtime: the test starts it, with
//     InitApplication (see casinotest.h) or StartRuntime, and drives it with Autopilot().
// TearDown ends whatever ran and puts the process back as it found it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell/launchrecorder.h"
#include "support/autopilot.h"
#include "support/programfolder.h"
#include "support/recordingsound.h"
#include "support/tempdir.h"
#include "support/testclock.h"

class CHeadlessDisplay;

class CClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  virtual void ConfigureDisplay(CHeadlessDisplay&) {}
  virtual bool UsesRealClock() const { return false; }

  // The runtime alone (xInit) with the client's 20 ms passes, for tests without the whole client.
  void StartRuntime();
  // Ends the runtime and gives the process fresh globals, as a new start of the program has.
  void RenewGlobals();
  // The autopilot with its frame budget, made on first use (once the runtime runs).
  CAutopilot& Autopilot(int32_t passBudget = CAutopilot::kDefaultBudget);
  static CHeadlessDisplay& Display();

  CProgramFolder m_Folder;
  std::unique_ptr<CTestClock> m_pClock;
  CRecordingSound m_Sound;
  std::unique_ptr<CLaunchRecorder> m_pLaunches;
  std::unique_ptr<CAutopilot> m_pPilot;

 private:
  void MakeGlobals();
  void FreeGlobals();
  void SetEnv(const char* name, const std::string& value);
  void RestoreEnv();

  std::unique_ptr<CWorkingDir> m_pWorkingDir;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_SavedEnv;
};
