#include "support/guiharness.h"

#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/pixels.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/msgsys.h"
#include "platform/display/headless.h"

namespace {
std::vector<SGuiEvent> g_Events;
}  // namespace

void CGuiTest::SetUp() {
  CRuntimeTest::SetUp();
  g_Events.clear();
  // The first move only wakes the mouse.
  Display().QueueMouseMove(0, 0);
  xHandler();
}

void CGuiTest::Record(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  g_Events.push_back({event, windowId, controlId, value, user});
}

std::vector<SGuiEvent>& CGuiTest::Events() { return g_Events; }

std::vector<std::pair<int32_t, int32_t>> CGuiTest::EventsOf(int32_t event) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (const SGuiEvent& e : g_Events)
    if (e.m_Event == event) out.push_back({e.m_WindowId, e.m_ControlId});
  return out;
}

void CGuiTest::Frame() {
  xHandler();
  if (!glb->m_pCurrentScreen) xSendMsg(XMSG_BUS_CLEAR, 0, 0);
}

void CGuiTest::MoveTo(int32_t x, int32_t y) {
  Display().QueueMouseMove(x, y);
  Frame();
}

void CGuiTest::Press(int32_t x, int32_t y) {
  Display().QueueMouseButton(XMOUSE_LEFT, true, x, y);
  Frame();
}

void CGuiTest::Release(int32_t x, int32_t y) {
  Display().QueueMouseButton(XMOUSE_LEFT, false, x, y);
  Frame();
}

void CGuiTest::Click(int32_t x, int32_t y) {
  MoveTo(x, y);
  Press(x, y);
  Release(x, y);
}

void CGuiTest::KeyDown(uint32_t virtualKey) {
  Display().QueueKey(virtualKey, true);
  Frame();
}

void CGuiTest::KeyUp(uint32_t virtualKey) {
  Display().QueueKey(virtualKey, false);
  Frame();
}

void CGuiTest::Key(uint32_t virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}

CWinCtrl& CGuiTest::WC() { return *xWinCtrl(); }
CHeadlessDisplay& CGuiTest::Display() { return *PlatformHeadless(); }

void CGuiTest::StartScreen(int32_t width, int32_t height, int32_t bits) {
  CDibScreen* screen = sglb->m_pDibScreen;
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->AddWindowVideoMode(width, height, bits, -1), 1);
  ASSERT_EQ(screen->InitModeRez(width, height, bits, VMODE_WINDOW), 1);
  glb->m_pCurrentScreen = screen;
  ASSERT_EQ(screen->SetScreenWindowProperties(0, -1, -1), 1);
  TPlatformMessage m;
  while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
}

uint32_t CGuiTest::ScreenPixel(int32_t x, int32_t y) {
  CScreenBase* screen = glb->m_pCurrentScreen;
  const SVmode* mode = screen->GetActiveMode();
  uint32_t out = 0;
  PlatformPixelsToXrgb(screen->LockScreenBuffer() + static_cast<int64_t>(y) * mode->Pitch + x * 3, EPixelFormat::Bgr24,
                       nullptr, 1, &out);
  return out;
}
