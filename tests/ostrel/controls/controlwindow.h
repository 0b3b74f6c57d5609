// Control tests in a registered window at (100, 100) without title bar, so control coordinates
// are window coordinates.
#pragma once

#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "support/guiharness.h"

class CControlWindowTest : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_Window.Create(1, "", 100, 100, 300, 200, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    Events().clear();
  }
  CWindow m_Window;
};
