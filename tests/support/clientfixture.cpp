#include "support/clientfixture.h"

#include <cstdlib>

#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "platform/display/display.h"
#include "platform/display/headless.h"
#include "platform/sound/sound.h"

namespace {
constexpr int32_t kClientFrameMs = 20;
}  // namespace

void CClientTest::SetEnv(const char* name, const std::string& value) {
  const char* old = std::getenv(name);
  m_SavedEnv.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  setenv(name, value.c_str(), 1);
}

void CClientTest::RestoreEnv() {
  for (auto it = m_SavedEnv.rbegin(); it != m_SavedEnv.rend(); ++it) {
    if (it->second)
      setenv(it->first.c_str(), it->second->c_str(), 1);
    else
      unsetenv(it->first.c_str());
  }
  m_SavedEnv.clear();
}

void CClientTest::SetUp() {
  SetEnv("XDG_CONFIG_HOME", m_Folder.ConfigHome());
  SetEnv("XDG_DATA_HOME", m_Folder.DataHome());
  SetEnv("XDG_RUNTIME_DIR", m_Folder.RuntimeDir());
  SetEnv("VORRIN_DISPLAY", "headless");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  m_pWorkingDir = std::make_unique<CWorkingDir>(m_Folder.Path());
  PlatformHeadless()->Reset();
  ConfigureDisplay(*PlatformHeadless());
  PlatformSetDisplay(PlatformHeadlessDisplay());
  PlatformSetSound(&m_Sound);
  if (!UsesRealClock()) m_pClock = std::make_unique<CTestClock>(1000);
  m_pLaunches = std::make_unique<CLaunchRecorder>();
  MakeGlobals();
}

void CClientTest::MakeGlobals() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCreateGlobals(), 1);
}

void CClientTest::FreeGlobals() {
  m_pPilot.reset();
  if (sglb && sglb->m_hMainWnd) xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
}

void CClientTest::RenewGlobals() {
  FreeGlobals();
  PlatformHeadless()->Clear();
  MakeGlobals();
}

void CClientTest::StartRuntime() {
  ASSERT_EQ(xInit(), 1);
  SetMinimumFrameTime(kClientFrameMs);
  SetUpdateTime(kClientFrameMs);
}

CAutopilot& CClientTest::Autopilot(int32_t passBudget) {
  if (!m_pPilot) m_pPilot = std::make_unique<CAutopilot>(passBudget);
  return *m_pPilot;
}

CHeadlessDisplay& CClientTest::Display() { return *PlatformHeadless(); }

void CClientTest::TearDown() {
  FreeGlobals();
  PlatformSetDisplay(nullptr);
  PlatformSetSound(nullptr);
  m_pLaunches.reset();
  m_pClock.reset();
  m_pWorkingDir.reset();
  RestoreEnv();
}
