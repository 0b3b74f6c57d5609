#include "ostrel/dialogs/frame.h"

#include "ostrel/controls/bevel.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"

int32_t CFrame::Create(const char*, int32_t width, int32_t height, CWindowBase* window) {
  CControlBase::Create(XCNTRL_FRAME);
  m_Flags = CNTRL_FRAMECNTRL;
  m_Look.m_Bevel = 2;
  CControlBase::SetPos(0, 0);
  CControlBase::SetSize(width, height);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultFrame() : nullptr, false, GUITEMPLATE_FRAME);
  const uint32_t windowFlags = window ? window->GetFlags() : 0;
  CTitlebar* titlebar = window ? window->GetTitlebar() : nullptr;
  if (windowFlags & XWIN_BORDER) {
    SetFlag(CNTRL_EXTRUDED);
    const int32_t bevel = m_Look.m_Bevel;
    if (titlebar) {
      titlebar->SetPos(bevel + 1, bevel + 1);
      titlebar->SetSize(width - (2 * bevel + 2), TITLEBAR_HEIGHT);
    }
  } else if (titlebar) {
    titlebar->SetPos(1, 1);
    titlebar->SetSize(width - 2, TITLEBAR_HEIGHT);
  }
  if (windowFlags & XWIN_ALPHA) SetFlag(CNTRL_TRANSPARENT | CNTRL_ALPHA);
  if (window) SetParent(window->GetID(), window);
  return 1;
}

int32_t CFrame::SetDefault() {
  if (CWinCtrl* wc = xWinCtrl()) wc->SetTemplate(GUITEMPLATE_FRAME, this);
  return 1;
}

int32_t CFrame::SetPos(int32_t x, int32_t y) { return CControlBase::SetPos(x + 1, y + 1); }
int32_t CFrame::SetSize(int32_t width, int32_t height) { return CControlBase::SetSize(width + 2, height + 2); }

int32_t CFrame::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (msg != GUIMSG_MOUSE) return StaticInput(msg, a, b, d, false);
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  const bool inside = m_Rect.IsPntInRect(a, b);
  const bool down = (c & 1) != 0;
  if (!down) {
    m_Press = 0;
    m_RequestedState = XGUI_RELEASED;
  } else if (inside && m_Press == 0) {
    m_Press = 1;
    m_RequestedState = XGUI_PRESSED;
  }
  Invalidate();
  const bool plainTransparent = (m_Flags & CNTRL_TRANSPARENT) && !(m_Flags & CNTRL_HASBITMAP);
  return inside && !plainTransparent ? 1 : 0;
}

int32_t CFrame::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State != XGUI_HIDDEN) {
    const int32_t sx = x + m_X;
    const int32_t sy = y + m_Y;
    const TCntrlColor* set = StateColors();
    FillFace(sx, sy, set, true);
    if (m_Flags & CNTRL_EXTRUDED)
      xDrawRaisedBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, set, (m_Flags & CNTRL_BUTTONBORDER) != 0);
    if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(StateBitmap(), sx, sy);
  }
  return CControlBase::Draw(x, y, mode);
}
