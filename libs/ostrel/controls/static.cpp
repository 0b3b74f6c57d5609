#include "ostrel/controls/static.h"

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/winctrl.h"

int32_t CStatic::Create(const char* text, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  CControlBase::Create(XCNTRL_STATIC);
  m_Flags = flags;
  SetPos(x, y);
  SetSize(width, height);
  SetHotkey(0);
  m_Look.m_Bevel = 1;
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, false, GUITEMPLATE_STATIC);
  SetText(text);
  return 1;
}

int32_t CStatic::SetDefault() {
  if (CWinCtrl* wc = xWinCtrl()) wc->SetTemplate(GUITEMPLATE_STATIC, this);
  return 1;
}

int32_t CStatic::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t, void* d) {
  return StaticInput(msg, a, b, d, false);
}

int32_t CStatic::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State != XGUI_HIDDEN) {
    const int32_t sx = x + m_X;
    const int32_t sy = y + m_Y;
    const TCntrlColor* normal = m_Look.m_pColors[LOOK_NORMAL];
    xGuiPushClip();
    FillFace(sx, sy, normal, true);
    if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(StateBitmap(), sx, sy);
    if (m_Flags & CNTRL_EXTRUDED) xDrawSunkenBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, normal);
    const int32_t inset = ((m_Flags & CNTRL_EXTRUDED) ? m_Look.m_Bevel : 0) + 1;
    CRect area;
    area.SetXYWH(sx, sy, m_Width, m_Height);
    area.Inflate(-inset, -inset);
    // The same inner margin on both sides, so that right-aligned text keeps clear of the bevel.
    area.left += 1;
    area.right -= 1;
    DrawCntrlText(area, (m_Flags & CNTRL_NOWORDWRAP) != 0);
    xGuiPopClip();
  }
  return CControlBase::Draw(x, y, mode);
}
