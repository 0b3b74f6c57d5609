#include "ostrel/system/frameloop.h"

#include <unistd.h>

#include "ostrel/containers/objpool.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/otherwindows.h"
#include "ostrel/system/runtimeobjects.h"
#include "ostrel/system/timers.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"

namespace {
constexpr int32_t kStallClampMs = 250;
constexpr int32_t kDefaultMaxWaitMs = 20;
constexpr uint32_t kLoadDataStampMs = 100;

// Returns true when the pass must end at once with the quit code.
bool PumpWindowMessages(int32_t& quitCode) {
  xServeWindowLink();  // messages other programs sent, and wait for, go first
  TPlatformMessage m;
  while (PlatformDisplay()->PeekMessage(m)) {
    if (m.message == XMSG_QUIT) {
      if (sglb) sglb->m_hDC = nullptr;
      quitCode = static_cast<int32_t>(m.wParam);
      return true;
    }
    SystemWindowProc(sglb ? sglb->m_hMainWnd : nullptr, m.message, m.wParam, m.lParam);
  }
  return false;
}

// Measures the time since the last pass (clamped to 0..250 ms, right across clock wraps) and
// waits out the rest of the minimum frame time. Returns the measured time.
int32_t Pace() {
  const uint32_t now = xGetTime();
  const auto behind = static_cast<int32_t>(now - glb->m_LastFrameTime);
  if (behind > kStallClampMs) glb->m_LastFrameTime = now - kStallClampMs;
  if (behind < 0) glb->m_LastFrameTime = now;
  const auto elapsed = static_cast<int32_t>(now - glb->m_LastFrameTime);
  int32_t wait = glb->m_MinimumFrameTime - elapsed;
  if (glb->m_MinimumFrameTime != 0 && wait > 1) {
    if (glb->m_MaxWaitFlag == 1 && glb->m_MaxWait < wait) wait = glb->m_MaxWait;
    if (glb->m_WaitMode != 0 && glb->m_pWaitOrSocketsCallback) {
      glb->m_pWaitOrSocketsCallback(wait);
    } else if (wait > 0) {
      xSleep(static_cast<uint32_t>(wait));
    }
  }
  glb->m_LastFrameTime = xGetTime();
  return elapsed;
}

void CountUpdateSteps(int32_t elapsed) {
  if (glb->m_UpdateTime <= 0) {  // no step length: nothing to count, nothing to divide by
    glb->m_UpdateSteps = 0;
    glb->m_UpdateRemainder = 0;
    return;
  }
  const float total = static_cast<float>(elapsed) + glb->m_UpdateRemainder;
  const auto steps = static_cast<int32_t>(total / static_cast<float>(glb->m_UpdateTime));
  glb->m_UpdateSteps = steps;
  glb->m_UpdateRemainder = total - static_cast<float>(steps) * static_cast<float>(glb->m_UpdateTime);
}
}  // namespace

int32_t xHandler() {
  if (!glb) return 0;
  xUpdateObjTimers();
  xCurrentScreenFlipPage();
  int32_t quitCode = 0;
  if (PumpWindowMessages(quitCode)) return quitCode;
  const int32_t elapsed = Pace();
  CountUpdateSteps(elapsed);
  xCurrentScreenClearBuffer();
  xMusicTicker();
  glb->m_MaxWait = 0;
  glb->m_MaxWaitFlag = 0;
  xRunFramePools();
  return 0;
}

void SetMinimumFrameTime(int32_t ms) {
  if (glb) glb->m_MinimumFrameTime = ms;
}

void SetUpdateTime(int32_t ms) {
  if (glb) glb->m_UpdateTime = ms;
}

void xSetXHandlerWaitMode(int32_t mode) {
  if (glb) glb->m_WaitMode = mode;
}

void xSetXHandlerMaxWaitTime(int32_t ms) {
  if (!glb) return;
  if (ms < 0) ms = kDefaultMaxWaitMs;
  if (glb->m_MaxWaitFlag != 1 || ms < glb->m_MaxWait) glb->m_MaxWait = ms;
  glb->m_MaxWaitFlag = 1;
}

void SetWaitTimeOrSocketsCallback(TWaitOrSocketsFunc callback) {
  if (glb) glb->m_pWaitOrSocketsCallback = callback;
}

void DefaultWaitTimeOrSocketsCallback(int32_t ms) {
  if (ms > 0) xSleep(static_cast<uint32_t>(ms));
}

void SetLoadDataCallback(TLoadDataFunc callback) {
  if (glb) glb->m_pLoadDataCallback = callback;
}

void DefaultLoadDataCallback() {
  static uint32_t stamp = 0;
  const uint32_t now = xGetTime();
  if (xTimeDiff(stamp, now) > kLoadDataStampMs) stamp = now;
}

void xCallLoadDataCallback() {
  if (glb && glb->m_pLoadDataCallback) glb->m_pLoadDataCallback();
}

void xShowSystemWindow() { PlatformDisplay()->RaiseWindow(); }

void xExitProcessHard() { _exit(0); }
