#include "ostrel/controls/toggle.h"

#include <algorithm>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

CToggleBase::~CToggleBase() {
  delete m_pCaption;
  m_pCaption = nullptr;
}

void CToggleBase::TimerHandler(uint32_t) {}

void CToggleBase::CreateToggle(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                               int32_t captionOffset, int16_t hotKey, uint32_t flags) {
  delete m_pCaption;
  m_pCaption = nullptr;
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  CControlBase::SetSize(width, height);
  SetHotkey(hotKey);
  m_Look.m_Bevel = 1;
  SetText(caption);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, false, -1);
  m_pCheck = wc ? wc->GetDefaultCheck() : nullptr;
  m_Toggled = 0;
  m_Press = 0;
  m_State = m_RequestedState = XGUI_UNCHECKED;
  // A negative width is no caption either: the box would stand outside the control.
  m_CaptionOffset = std::max(captionOffset, 0);
  m_NoCaption = m_CaptionOffset == 0 ? 1 : 0;
  if (!m_NoCaption) {
    // The caller keeps the caption text alive, as for the control's own.
    m_pCaption = new CStatic;
    m_pCaption->Create(caption, x + m_CaptionOffset, y, width - m_CaptionOffset, height, 0);
  }
  ComputeMouseArea();
}

void CToggleBase::ComputeMouseArea() {
  if (!m_pCaption) {
    m_Rect.SetXYWH(m_X, m_Y, m_Width, m_Height);
    return;
  }
  int32_t cx = 0, cy = 0;
  m_pCaption->GetPos(cx, cy);
  const char* text = m_pCaption->GetUnHashedBuffer(0);
  const int32_t size =
      text ? xGuiTextSize(m_pCaption->GetLook().m_pFont, text, TEXT_UNBOUNDED, TEXT_UNBOUNDED, 0) : 0;
  const int32_t w = std::max(m_CaptionOffset, cx + (size & 0xFFFF) - m_X);
  const int32_t h = std::max(m_CaptionOffset, cy + ((size >> 16) & 0xFFFF) - m_Y);
  m_Rect.SetXYWH(m_X, m_Y, w, h);
}

int32_t CToggleBase::SetTextColor(TRGBA colour) {
  if (m_pCaption) m_pCaption->SetTextColor(colour);
  return CControlBase::SetTextColor(colour);
}

int32_t CToggleBase::SetPos(int32_t x, int32_t y) {
  CControlBase::SetPos(x, y);
  if (m_pCaption) m_pCaption->SetPos(x + m_CaptionOffset + 1, y);
  ComputeMouseArea();
  return 1;
}

int32_t CToggleBase::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  if (m_pCaption) m_pCaption->SetSize(width - m_CaptionOffset - 1, height);
  ComputeMouseArea();
  return 1;
}

int32_t CToggleBase::ClearClipListIndex() {
  if (m_pCaption) m_pCaption->ClearClipListIndex();
  return CControlBase::ClearClipListIndex();
}

TCntrlColor* CToggleBase::ToggleColors() const {
  switch (m_State) {
    case XGUI_DISABLED: return m_Look.m_pColors[LOOK_DISABLED];
    case XGUI_CHECKED: return m_Look.m_pColors[LOOK_PRESSED];
    default: return m_Look.m_pColors[LOOK_NORMAL];
  }
}

CBitmap* CToggleBase::ToggleBitmap(bool checkFallback) const {
  switch (m_State) {
    case XGUI_DISABLED: return m_Look.m_pBitmaps[LOOK_DISABLED];
    case XGUI_CHECKED: {
      CBitmap* bm = m_Look.m_pBitmaps[LOOK_PRESSED];
      return bm || !checkFallback ? bm : m_pCheck;
    }
    default: return m_Look.m_pBitmaps[LOOK_NORMAL];
  }
}

int32_t CToggleBase::IsHotKey(void* d, bool& down) const {
  const auto* k = static_cast<const TQueueChar*>(d);
  if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
  down = (k->m_Flags & XKEYF_PRESSED) != 0;
  return 1;
}

int32_t CToggleBase::TrackMouse(int32_t a, int32_t b, int32_t c) {
  const bool down = (c & 1) != 0;
  if (!m_Rect.IsPntInRect(a, b)) {
    if (!down && m_Press != 2) {
      m_Toggled = 0;
      m_Press = 0;
    }
    return 0;
  }
  int32_t result = TRACK_INSIDE;
  if (!down && m_Press == 0) {
    m_Press = 1;
  } else if (m_Press == 1 && down && !m_Toggled) {
    m_Toggled = 1;
    result |= TRACK_PRESS;
  } else if (m_Press == 1 && !down && m_Toggled) {
    m_Toggled = 0;
    result |= TRACK_RELEASE;
  }
  return result;
}

int32_t CToggleBase::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return 1;
  const int32_t sx = x + m_X;
  const int32_t sy = y + m_Y;
  xGuiPushClip();
  if (m_pCaption)
    DrawBox(sx, sy);
  else
    DrawButtonLook(sx, sy);
  xGuiPopClip();
  if (m_pCaption) {
    if (m_ValidateCaption) m_pCaption->Validate();
    m_pCaption->Draw(x, y, mode);
  }
  return CControlBase::Draw(x, y, mode);
}

bool CToggleBase::DrawRoundBox(int32_t sx, int32_t sy) {
  // Only a button that brings no pictures of its own takes the look's.
  if (!m_pRound || !(m_Flags & CNTRL_HASBITMAP)) return false;
  for (const CBitmap* own : m_Look.m_pBitmaps)
    if (own) return false;
  int32_t slot = LOOK_NORMAL;
  if (m_State == XGUI_DISABLED) slot = LOOK_DISABLED;
  else if (m_State == XGUI_CHECKED) slot = LOOK_PRESSED;
  else if (m_State == XGUI_HIGHLIGHT) slot = LOOK_HIGHLIGHT;
  CBitmap* bm = m_pRound[slot];
  if (!bm || bm->m_Width <= 0 || bm->m_Height <= 0) return false;
  const int32_t s = m_CaptionOffset;
  CRect box;
  box.SetXYWH(sx, sy, s, s);
  xGuiPushClip();
  xGuiSetSubClip(box);
  xGuiDrawBitmap(bm, 0, 0, sx + (s - bm->m_Width) / 2, sy + (s - bm->m_Height) / 2, bm->m_Width, bm->m_Height, 1);
  xGuiPopClip();
  return true;
}

void CToggleBase::DrawBox(int32_t sx, int32_t sy) {
  if (DrawRoundBox(sx, sy)) return;
  const int32_t s = m_CaptionOffset;
  if (const TCntrlColor* set = ToggleColors(); set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA)))
    xGuiFillRect(sx, sy, s, s, set->m_Col[2]);
  if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, s, s, m_Look.m_Alpha);
  const TCntrlColor* normal = m_Look.m_pColors[LOOK_NORMAL];
  if ((m_Flags & CNTRL_EXTRUDED) && normal) xDrawFlatFrame(sx, sy, s, s, normal->m_Col[1], normal->m_Col[0]);
  CBitmap* bm = (m_Flags & CNTRL_HASBITMAP) ? ToggleBitmap(true) : nullptr;
  if (!bm || bm->m_Width <= 0 || bm->m_Height <= 0) return;
  CRect box;
  box.SetXYWH(sx, sy, s, s);
  if (m_Flags & CNTRL_EXTRUDED) box.Inflate(-m_Look.m_Bevel, -m_Look.m_Bevel);
  if (box.right < box.left || box.bottom < box.top) return;
  const int32_t mode = (m_Flags & CNTRL_BMTRANS) ? 1 : 0;
  xGuiPushClip();
  xGuiSetSubClip(box);
  if (m_Flags & CNTRL_TILED) {
    for (int32_t ty = box.top; ty <= box.bottom; ty += bm->m_Height)
      for (int32_t tx = box.left; tx <= box.right; tx += bm->m_Width)
        xGuiDrawBitmap(bm, 0, 0, tx, ty, bm->m_Width, bm->m_Height, mode);
  } else {
    xGuiDrawBitmap(bm, 0, 0, box.left, box.top, std::min(bm->m_Width, box.right - box.left + 1),
                   std::min(bm->m_Height, box.bottom - box.top + 1), mode);
  }
  xGuiPopClip();
}

void CToggleBase::DrawButtonLook(int32_t sx, int32_t sy) {
  const TCntrlColor* set = ToggleColors();
  FillFace(sx, sy, set, true);
  CRect area;
  area.SetXYWH(sx, sy, m_Width, m_Height);
  if (m_Flags & CNTRL_EXTRUDED) {
    xDrawRaisedBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, set, (m_Flags & CNTRL_BUTTONBORDER) != 0);
    area.Inflate(-m_Look.m_Bevel, -m_Look.m_Bevel);
  }
  if (m_Flags & CNTRL_HASBITMAP)
    if (CBitmap* bm = ToggleBitmap(false)) DrawBitmap(bm, sx, sy);
  if (m_State == XGUI_PRESSED) area.Move(1, 1);
  DrawCntrlText(area, false);
}
