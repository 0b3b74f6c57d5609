// GUI tests on the headless display: frames that route the mouse and the keyboard through the
// window manager, clicks and keys, and a record of what window callbacks heard.
#pragma once

#include <cstdint>
#include <vector>

#include "support/runtimefixture.h"

class CWinCtrl;
class CHeadlessDisplay;

struct SGuiEvent {
  int32_t m_Event, m_WindowId, m_ControlId, m_Value;
  void* m_pUser;
  bool operator==(const SGuiEvent& o) const {
    return m_Event == o.m_Event && m_WindowId == o.m_WindowId && m_ControlId == o.m_ControlId && m_Value == o.m_Value;
  }
};

class CGuiTest : public CRuntimeTest {
 protected:
  void SetUp() override;

  // The callback that records into Events().
  static void Record(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  static std::vector<SGuiEvent>& Events();
  // The recorded events of one kind, as (window, control) pairs.
  static std::vector<std::pair<int32_t, int32_t>> EventsOf(int32_t event);

  // One pass of the loop, with the input routed even while no screen sends the message for it.
  static void Frame();
  static void MoveTo(int32_t x, int32_t y);
  static void Press(int32_t x, int32_t y);
  static void Release(int32_t x, int32_t y);
  static void Click(int32_t x, int32_t y);
  // A key pressed (one frame) and released (one frame); virtualKey as the display knows keys.
  static void Key(uint32_t virtualKey);
  static void KeyDown(uint32_t virtualKey);
  static void KeyUp(uint32_t virtualKey);
  static CWinCtrl& WC();
  static CHeadlessDisplay& Display();

  // A window mode of the windowed screen as the current screen: from then on each frame draws
  // the windows and the screen routes the input.
  static void StartScreen(int32_t width, int32_t height, int32_t bits = 24);
  // 0x00RRGGBB of a pixel of the screen buffer (24-bit modes).
  static uint32_t ScreenPixel(int32_t x, int32_t y);
};
