#include "ostrel/controls/button.h"

#include <cstring>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/keyboard.h"

namespace {
// Whether the window lets a control highlight: active, or highlighting while inactive.
bool CanHighlight(CWindowBase* window) {
  return !window || window->IsActive() || (window->GetFlags() & XWIN_HIGHLIGHTIFINACTIVE);
}
}  // namespace

int32_t CButton::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                        int16_t hotKey, uint32_t flags) {
  CControlBase::Create(id);
  m_Flags = flags;
  SetPos(x, y);
  SetSize(width, height);
  SetHotkey(hotKey);
  m_Look.m_Bevel = 1;
  m_Look.m_BitmapX = 0;
  m_Look.m_BitmapY = 0;
  m_Press = 0;
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, true, GUITEMPLATE_BUTTON);
  SetText(text);
  return 1;
}

int32_t CButton::SetDefault() {
  if (CWinCtrl* wc = xWinCtrl()) wc->SetTemplate(GUITEMPLATE_BUTTON, this);
  return 1;
}

int32_t CButton::IsHit(int32_t x, int32_t y, uint32_t shapeFlags) const {
  if (!m_Rect.IsPntInRect(x, y)) return 0;
  if ((m_Flags & shapeFlags) != shapeFlags || (m_Flags & (CNTRL_EXTRUDED | CNTRL_BTNTRANSCLICK))) return 1;
  const CBitmap* bm = m_Look.m_pBitmaps[LOOK_NORMAL];
  if (!bm || !bm->m_pData || (bm->m_BytesPerPixel != 2 && bm->m_BytesPerPixel != 3)) return 1;
  const int32_t px = x - m_X - m_Look.m_BitmapX;
  const int32_t py = y - m_Y - m_Look.m_BitmapY;
  if (px < 0 || py < 0 || px >= bm->m_Width || py >= bm->m_Height) return 0;
  const int64_t bpp = bm->m_BytesPerPixel;
  const uint8_t* pixel = bm->m_pData + static_cast<int64_t>(py) * bm->m_Pitch + px * bpp;
  return std::memcmp(pixel, bm->m_pData, static_cast<size_t>(bpp)) != 0 ? 1 : 0;
}

int32_t CButton::HotKeyInput(void* key, int32_t& sent) {
  const auto* k = static_cast<const TQueueChar*>(key);
  if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
  if (k->m_Flags & XKEYF_PRESSED) {
    m_RequestedState = XGUI_PRESSED;
    m_Press = 2;
    Notify(GUIMSG_HELD);
    sent = 1;
  } else if (m_Press == 2) {
    m_RequestedState = XGUI_RELEASED;
    Notify(GUIMSG_COMMAND);
    m_CommandSent = 1;
    m_Press = 0;
    sent = 1;
  }
  return 1;
}

int32_t CButton::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  m_CommandSent = 0;
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  int32_t sent = 0;
  if (msg == GUIMSG_KEY) {
    if (!HotKeyInput(d, sent)) return 0;
    Invalidate();
    return 1;
  }
  if (msg != GUIMSG_MOUSE) return 0;
  const bool inside = IsHit(a, b, CNTRL_TRANSPARENT | CNTRL_HASBITMAP | CNTRL_BMTRANS) != 0;
  const bool down = (c & 1) != 0;
  const bool highlight = CanHighlight(m_pParent);
  if (inside) {
    if (m_State != XGUI_PRESSED && !down) {
      if (highlight) {
        m_RequestedState = XGUI_HIGHLIGHT;
        if (m_State == XGUI_RELEASED) {
          Notify(GUIMSG_HIGHLIGHT);
          sent = 1;
        }
      } else {
        m_RequestedState = XGUI_RELEASED;
        if (m_State == XGUI_HIGHLIGHT) {
          Notify(GUIMSG_LEAVE);
          sent = 1;
        }
      }
    }
    if (m_Press == 0 && down) m_Press = 1;
    if (m_Press == 1) {
      if (down) {
        m_RequestedState = XGUI_PRESSED;
        Notify(GUIMSG_HELD);
        sent = 1;
      } else if (m_State == XGUI_PRESSED) {
        m_RequestedState = XGUI_HIGHLIGHT;
        Notify(GUIMSG_COMMAND);
        m_CommandSent = 1;
        sent = 1;
      }
    }
  } else if (m_Press != 2) {
    if (m_State == XGUI_PRESSED) m_RequestedState = XGUI_HIGHLIGHT;
    if (!down) {
      if (m_State == XGUI_HIGHLIGHT) {
        Notify(GUIMSG_LEAVE);
        sent = 1;
      }
      m_Press = 0;
      m_RequestedState = XGUI_RELEASED;
    } else if (m_State == XGUI_HIGHLIGHT && m_Press == 0) {
      Notify(GUIMSG_LEAVE);
      sent = 1;
      m_RequestedState = XGUI_RELEASED;
    }
  }
  // An inactive window shows no highlight.
  if (m_RequestedState == XGUI_HIGHLIGHT && !highlight) {
    m_RequestedState = XGUI_RELEASED;
    if (m_State == XGUI_HIGHLIGHT) {
      Notify(GUIMSG_LEAVE);
      sent = 1;
    }
  }
  const int32_t changed = Invalidate();
  // Also while the mouse rests on it, so a window does not let the mouse through its buttons.
  return (sent || changed || inside) ? 1 : 0;
}

int32_t CButton::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return 1;
  DrawButtonFace(x + m_X, y + m_Y, true);
  return CControlBase::Draw(x, y, mode);
}

// --- Drag buttons ---

int32_t CDragbutton::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                            int16_t hotKey, uint32_t flags) {
  CButton::Create(id, text, x, y, width, height, hotKey, flags);
  // The normal set for the first three slots.
  if (CWinCtrl* wc = xWinCtrl()) {
    TCntrlColor* const* sets = wc->GetDefaultButton();
    SetColors(sets[0], sets[0], sets[0], sets[3]);
    m_Cursor = wc->GetDefaultCursor();
  }
  return 1;
}

int32_t CDragbutton::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  m_CommandSent = 0;
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  int32_t sent = 0;
  if (msg == GUIMSG_KEY) {
    if (!HotKeyInput(d, sent)) return 0;
    Invalidate();
    return 1;
  }
  if (msg != GUIMSG_MOUSE) return 0;
  const bool inside = IsHit(a, b, CNTRL_TRANSPARENT | CNTRL_HASBITMAP) != 0;
  const bool down = (c & 1) != 0;
  if (m_Press == 1) {
    if (down) {
      // The hold goes on outside, shown highlighted, and resumes inside.
      m_RequestedState = inside ? XGUI_PRESSED : XGUI_HIGHLIGHT;
      if (inside) {
        Notify(GUIMSG_HELD);
        sent = 1;
      }
    } else {
      if (inside) {
        Notify(GUIMSG_COMMAND);
        m_CommandSent = 1;
        sent = 1;
      }
      m_Press = 0;
      m_RequestedState = inside && CanHighlight(m_pParent) ? XGUI_HIGHLIGHT : XGUI_RELEASED;
    }
  } else if (m_Press == 0) {
    if (inside && down) {
      m_Press = 1;
      m_RequestedState = XGUI_PRESSED;
      Notify(GUIMSG_HELD);
      sent = 1;
    } else {
      m_RequestedState = inside && CanHighlight(m_pParent) ? XGUI_HIGHLIGHT : XGUI_RELEASED;
    }
  }
  const int32_t changed = Invalidate();
  return (sent || changed || inside) ? 1 : 0;
}

int32_t CDragbutton::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return 1;
  const int32_t sx = x + m_X;
  const int32_t sy = y + m_Y;
  xGuiPushClip();
  if (m_Flags & CNTRL_EXTRUDED)
    xDrawRaisedBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, StateColors(), (m_Flags & CNTRL_BUTTONBORDER) != 0);
  CRect area;
  area.SetXYWH(sx, sy, m_Width - 1, m_Height - 1);
  if (m_Flags & CNTRL_EXTRUDED) area.Inflate(-m_Look.m_Bevel, -m_Look.m_Bevel);
  if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(StateBitmap(), sx, sy);
  DrawCntrlText(area, false);
  xGuiPopClip();
  return CControlBase::Draw(x, y, mode);
}
