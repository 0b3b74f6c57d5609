#include "ostrel/controls/bevel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

void CControlBase::FillFace(int32_t sx, int32_t sy, const TCntrlColor* set, bool darken) {
  if (set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[2]);
  if (darken && (m_Flags & CNTRL_ALPHA)) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
}

void CControlBase::DrawButtonFace(int32_t sx, int32_t sy, bool withText) {
  const TCntrlColor* set = StateColors();
  xGuiPushClip();
  FillFace(sx, sy, set, false);
  if (m_Flags & CNTRL_EXTRUDED)
    xDrawRaisedBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, set, (m_Flags & CNTRL_BUTTONBORDER) != 0);
  if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(StateBitmap(), sx, sy);
  if (withText) {
    CRect area;
    area.SetXYWH(sx, sy, m_Width, m_Height);
    if (m_Flags & CNTRL_EXTRUDED) area.Inflate(-m_Look.m_Bevel, -m_Look.m_Bevel);
    if (m_State == XGUI_PRESSED) area.Move(1, 1);
    DrawCntrlText(area, false);
  }
  xGuiPopClip();
}

void CControlBase::DrawCntrlText(const CRect& area, bool singleLine) {
  const char* text = GetTextBuffer(0);
  if (!text || !text[0] || !m_Look.m_pFont) return;
  const int32_t w = area.right - area.left + 1;
  const int32_t h = area.bottom - area.top + 1;
  if (w <= 0 || h <= 0) return;
  int32_t flags = singleLine ? TEXT_SINGLELINE : 0;
  if (m_Flags & CNTRL_CENTERH) flags |= TEXT_CENTER;
  if (m_Flags & CNTRL_CENTERV) flags |= TEXT_VCENTER;
  if (m_Flags & CNTRL_RIGHTJUSTIFIED) flags |= TEXT_RIGHT;
  xGuiPushClip();
  xGuiSetSubClip(area);
  xGuiDrawText(m_Look.m_pFont, text, area.left, area.top, w, h, &m_Look.m_TextColor, flags);
  xGuiPopClip();
}

int32_t CControlBase::StaticInput(int32_t msg, int32_t a, int32_t b, void* d, bool takeWhenHidden) {
  if (m_State == XGUI_DISABLED || (m_State == XGUI_HIDDEN && !takeWhenHidden)) return 0;
  if (msg == GUIMSG_MOUSE) return m_Rect.IsPntInRect(a, b) ? 1 : 0;
  if (msg == GUIMSG_KEY) {
    const auto* k = static_cast<const TQueueChar*>(d);
    if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
    m_RequestedState = XGUI_RELEASED;
    Invalidate();
    return 1;
  }
  return 0;
}
