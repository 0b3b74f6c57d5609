#include "ostrel/controls/editbase.h"

#include <string>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

int32_t xKeyEventValue(const TQueueChar& key) {
  return static_cast<int32_t>(uint32_t{key.m_Code} | (key.m_Flags & 0xFFFFu) << 16);
}

void CEditBase::TakeEditDefaults() {
  CWinCtrl* wc = xWinCtrl();
  TCntrlColor* const* sets = wc ? wc->GetDefaultButton() : nullptr;
  TakeDefaultLook(sets, false, -1);
  if (wc) m_Cursor = GUI_CURSOR_TEXT;
  m_pCaret = wc ? wc->GetDefaultCaret() : nullptr;
  m_pHoverColors = sets ? sets[LOOK_HIGHLIGHT] : nullptr;
  m_Look.m_Bevel = 1;
  m_HotKey = 0;
  m_Press = 0;
  m_Focused = m_FocusRequested = m_CaretShown = 0;
  AddTimer(EDIT_CARET_PERIOD);
}

void CEditBase::TimerHandler(uint32_t period) {
  CControlBase::TimerHandler(period);
  if (period != EDIT_CARET_PERIOD) return;
  m_CaretShown ^= 1;
  if (m_Focused && m_State != XGUI_RELEASED) Validate();
}

int32_t CEditBase::SetState(int32_t s) {
  const int32_t result = CControlBase::SetState(s);
  if (result && m_State == XGUI_RELEASED) {
    m_Focused = m_FocusRequested = 0;
    if (!(m_Flags & CNTRL_ALPHA)) xGuiAddClearAreaGui(ScreenRect());
    Validate();
  }
  return result;
}

void CEditBase::SendKeyMessage(const TQueueChar& key) {
  if (CWinCtrl* wc = xWinCtrl()) wc->SendMessage(GUIMSG_KEY, m_WindowId, m_Id, xKeyEventValue(key), nullptr);
}

void CEditBase::EndFocusMessage(bool mouse) {
  if (m_FocusRequested != m_Focused) {
    if (!(m_Flags & CNTRL_ALPHA) && !(mouse && m_RequestedState == XGUI_RELEASED)) xGuiAddClearAreaGui(ScreenRect());
    Validate();
  }
  m_Focused = m_FocusRequested;
  Invalidate();
}

const TQueueChar* CEditBase::KeyTaken(void* d) const {
  const auto* key = static_cast<const TQueueChar*>(d);
  return key && m_State == XGUI_HIGHLIGHT && m_Focused && (key->m_Flags & XKEYF_PRESSED) ? key : nullptr;
}

int32_t CEditBase::BarsTakeMouse(CControlBase* first, CControlBase* second, int32_t a, int32_t b, int32_t c) {
  for (CControlBase* bar : {first, second}) {
    if (bar && bar->GuiMsgHandler(GUIMSG_MOUSE, a, b, c, nullptr)) {
      m_Press = 0;
      return 1;
    }
  }
  return 0;
}

void CEditBase::FocusMessage(int32_t c) {
  m_FocusRequested = c == 1 ? 1 : 0;
  m_RequestedState = c == 1 ? XGUI_HIGHLIGHT : XGUI_RELEASED;
  EndFocusMessage(false);
}

int32_t CEditBase::EditMouse(int32_t a, int32_t b, int32_t c) {
  int32_t result = 0;
  const bool down = (c & 1) != 0;
  if (m_Rect.IsPntInRect(a, b)) {
    if (m_State != XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      result = 1;
    }
    if (!m_Press && !down) {
      m_Press = 1;
    } else if (m_Press == 1 && down) {
      if (m_State != XGUI_PRESSED) Notify(GUIMSG_HELD);
      if (m_pParent && m_pParent->GetFocus() != this) m_pParent->SetFocus(this);
      m_RequestedState = XGUI_PRESSED;
      m_FocusRequested = 1;
      PlaceCaretAt(a, b);
      result = 1;
    } else if (m_Press == 1 && !down && m_State == XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      Notify(GUIMSG_COMMAND);
      result = 1;
    }
  } else if (m_Press != 2) {
    if (m_State == XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      result = 1;
    }
    if (down) {
      // A click elsewhere takes the focus away.
      if (m_State == XGUI_HIGHLIGHT && !m_Press) {
        m_RequestedState = XGUI_RELEASED;
        m_FocusRequested = 0;
      }
    } else if (m_State == XGUI_HIGHLIGHT) {
      m_Press = 0;
    } else if (m_State == XGUI_RELEASED) {
      m_Press = 0;
      m_FocusRequested = 0;
    }
  }
  EndFocusMessage(true);
  return result;
}

int32_t CEditBase::CaretWidth() const { return m_pCaret ? m_pCaret->m_Width : 0; }

void CEditBase::DrawCaret(int32_t x, int32_t y) {
  if (m_Focused && m_CaretShown && m_pCaret) xGuiDrawBitmap(m_pCaret, 0, 0, x, y, m_pCaret->m_Width, m_pCaret->m_Height, 0);
}

void CEditBase::DrawFace(int32_t sx, int32_t sy, int32_t width, int32_t height) {
  const bool disabled = m_State == XGUI_DISABLED;
  TCntrlColor* set = m_Look.m_pColors[disabled ? LOOK_DISABLED : LOOK_NORMAL];
  xGuiPushClip();
  if (set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[2]);
  if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
  if ((m_Flags & CNTRL_EXTRUDED) && set && m_State >= XGUI_PRESSED && m_State <= XGUI_DISABLED)
    xDrawSunkenBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, set);
  if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(m_Look.m_pBitmaps[disabled ? LOOK_DISABLED : LOOK_NORMAL], sx, sy);
  CRect area;
  area.SetXYWH(sx + Inset(), sy + Inset(), width - 2 * Inset(), height - 2 * Inset());
  xGuiSetSubClip(area);
  m_Metrics.Use(m_Look.m_pFont);
}

void CEditBase::DrawRun(const char* text, int32_t from, int32_t to, bool stars, int32_t x, int32_t y, int32_t limit,
                        const TRGBA* colour) {
  // Only what fits is laid out, so a long text costs no more than a short one.
  std::string shown;
  int64_t width = 0;
  for (int32_t i = from; i < to && width <= limit; ++i) {
    const char ch = stars ? '*' : text[i];
    shown.push_back(ch);
    width += m_Metrics.Width(static_cast<uint8_t>(ch));
  }
  if (!shown.empty())
    xGuiDrawText(m_Look.m_pFont, shown.c_str(), x, y, 32767, m_Metrics.FontHeight(), colour, TEXT_SINGLELINE);
}
