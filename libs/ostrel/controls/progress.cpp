#include "ostrel/controls/progress.h"

#include <algorithm>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/winctrl.h"

int32_t CProgress::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  CControlBase::Create(id);
  m_Flags = flags;
  SetPos(x, y);
  SetSize(width, height);
  m_Look.m_Bevel = 1;
  m_Value = 0;
  m_First = 0;
  m_Second = 100;
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultFourth() : nullptr, false, -1);
  return 1;
}

int32_t CProgress::BarWidth() const {
  if (m_First == m_Second) return 0;
  const int64_t inner = static_cast<int64_t>(m_Width) - (2 * static_cast<int64_t>(m_Look.m_Bevel) + 2);
  if (inner <= 0) return 0;
  // The share of the range that the value has covered, within 0 and 1.
  const int64_t span = static_cast<int64_t>(m_Second) - m_First;
  int64_t done = static_cast<int64_t>(m_Value) - m_First;
  if (span > 0)
    done = std::clamp<int64_t>(done, 0, span);
  else
    done = std::clamp<int64_t>(done, span, 0);
  return static_cast<int32_t>(done * inner / span);
}

int32_t CProgress::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t, void* d) {
  return StaticInput(msg, a, b, d, true);
}

int32_t CProgress::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State != XGUI_HIDDEN) {
    const int32_t sx = x + m_X;
    const int32_t sy = y + m_Y;
    const TCntrlColor* normal = m_Look.m_pColors[LOOK_NORMAL];
    xGuiPushClip();
    FillFace(sx, sy, normal, true);
    xDrawSunkenBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, StateColors());
    if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(m_Look.m_pBitmaps[LOOK_NORMAL], sx, sy);
    const int32_t inset = m_Look.m_Bevel + 1;
    const int32_t barHeight = m_Height - (2 * m_Look.m_Bevel + 2);
    const int32_t barWidth = BarWidth();
    if (normal && m_First != m_Second && barWidth > 0 && barHeight > 0)
      xGuiFillRect(sx + inset, sy + inset, barWidth, barHeight, normal->m_Col[0]);
    xGuiPopClip();
  }
  return CControlBase::Draw(x, y, mode);
}
