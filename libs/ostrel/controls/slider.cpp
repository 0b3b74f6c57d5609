#include "ostrel/controls/slider.h"

#include <algorithm>
#include <new>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/button.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/clock.h"

int64_t CSlider::ms_lTimeWhenPressed = -1;

namespace {
constexpr uint32_t kArrowFlags = CNTRL_EXTRUDED | CNTRL_HASBITMAP | CNTRL_BMTRANS;

int32_t To32(__int128 v) {
  return static_cast<int32_t>(std::clamp<__int128>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

CSlider::~CSlider() { FreeChildren(); }

template <typename F>
void CSlider::EachChild(F f) {
  for (CControlBase* child : {static_cast<CControlBase*>(m_pUp), static_cast<CControlBase*>(m_pDown),
                              static_cast<CControlBase*>(m_pThumb)})
    if (child) f(child);
}

void CSlider::FreeChildren() {
  // Detached first, so that going away asks no window anything.
  EachChild([](CControlBase* child) {
    child->SetParent(0, nullptr);
    delete child;
  });
  m_pUp = m_pDown = nullptr;
  m_pThumb = nullptr;
}

int32_t CSlider::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
                        int32_t maximum, int32_t value, int32_t page, uint32_t flags) {
  FreeChildren();
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  CControlBase::SetSize(width, height);
  SetHotkey(0);
  m_Look.m_Bevel = 1;
  m_Dragging = 0;
  m_Armed = 0;
  m_Minimum = minimum;
  m_Maximum = maximum;
  m_Page = page;
  m_LargestValue = To32(static_cast<int64_t>(maximum) - page + 1);
  CWinCtrl* wc = xWinCtrl();
  if (wc) {
    TCntrlColor* const* sets = wc->GetDefaultFrame();
    SetColors(sets[0], sets[1], sets[2], sets[3]);
  }

  m_pUp = new CButton;
  m_pDown = new CButton;
  m_pThumb = new CDragbutton;
  if (IsHorizontal()) {
    m_ButtonSize = height;
    m_pUp->Create(id + SLIDER_UP_ID, nullptr, x, y, height, height, 0, CNTRL_EXTRUDED);
    m_pDown->Create(id + SLIDER_DOWN_ID, nullptr, x + width - height, y, height, height, 0, CNTRL_EXTRUDED);
  } else {
    m_ButtonSize = width;
    m_pUp->Create(id + SLIDER_UP_ID, nullptr, x, y, width, width, 0, kArrowFlags);
    m_pDown->Create(id + SLIDER_DOWN_ID, nullptr, x, y + height - width, width, width, 0, kArrowFlags);
    if (wc) {
      CBitmap* const* up = wc->GetDefaultArrowUp();
      CBitmap* const* down = wc->GetDefaultArrowDown();
      m_pUp->SetBitmap(up[0], up[1], up[2], up[3]);
      m_pDown->SetBitmap(down[0], down[1], down[2], down[3]);
    }
  }
  m_ThumbLength = ComputeThumbLength();
  if (IsHorizontal())
    m_pThumb->Create(id + SLIDER_THUMB_ID, nullptr, x + m_ButtonSize, y, m_ThumbLength, height, 0, CNTRL_EXTRUDED);
  else
    m_pThumb->Create(id + SLIDER_THUMB_ID, nullptr, x, y + m_ButtonSize, width, m_ThumbLength, 0, CNTRL_EXTRUDED);
  // The thumb fills no face of its own: over the track it would show only as a bevel. The look's
  // face tiles, where it has them, make it stand out (a script's "Drag" chunk may replace them).
  if (CBitmap* const* tiles = wc ? wc->GetDefaultThumb() : nullptr; tiles && tiles[0]) {
    m_pThumb->SetBitmap(tiles[0], tiles[1], tiles[2], tiles[3]);
    m_pThumb->SetFlag(CNTRL_HASBITMAP | CNTRL_TILED);
  }
  EachChild([&](CControlBase* child) {
    child->SetCntrlMessagingSystem(id);
    if (m_pParent) child->SetParent(m_WindowId, m_pParent);
  });
  SetValue(value);
  return 1;
}

int32_t CSlider::TrackLength() const {
  return To32(static_cast<int64_t>(IsHorizontal() ? m_Width : m_Height) - 2 * static_cast<int64_t>(m_ButtonSize));
}

int32_t CSlider::ComputeThumbLength() const {
  // Sizes and ranges of a script are anything 32 bits hold: their products need more than 64.
  const __int128 track = TrackLength();
  const __int128 count = static_cast<__int128>(m_Maximum) - m_Minimum + 1;
  __int128 length = count >= 1 ? track * m_Page / count : track * m_Page;
  // A page larger than the range would reach over the far button.
  if (length > track && track >= SLIDER_MIN_THUMB) length = track;
  return To32(std::max<__int128>(length, SLIDER_MIN_THUMB));
}

void CSlider::ResizeThumb() {
  m_ThumbLength = ComputeThumbLength();
  if (!m_pThumb) return;
  if (IsHorizontal())
    m_pThumb->SetSize(m_ThumbLength, m_Height);
  else
    m_pThumb->SetSize(m_Width, m_ThumbLength);
}

int32_t CSlider::SetRange(int32_t minimum, int32_t maximum, int32_t page) {
  m_Minimum = minimum;
  m_Maximum = maximum;
  m_Page = page;
  ResizeThumb();
  m_LargestValue = To32(static_cast<int64_t>(maximum) - page + 1);
  SetValue(m_Value);
  return 1;
}

int32_t CSlider::GetRange(int32_t& minimum, int32_t& maximum, int32_t& page) const {
  minimum = m_Minimum;
  maximum = m_Maximum;
  page = m_Page;
  return 1;
}

int32_t CSlider::Clamp(int64_t value) const {
  // A page wider than the range leaves the largest value below the minimum: the minimum wins.
  value = std::min<int64_t>(value, m_LargestValue);
  return To32(std::max<int64_t>(value, m_Minimum));
}

int32_t CSlider::SetValue(int32_t value) {
  m_Value = Clamp(value);
  UpdateThumbPos();
  return 1;
}

int32_t CSlider::SetScrollWaitTime(uint32_t ms) {
  m_StepWait = To32(ms);
  return 1;
}

void CSlider::UpdateThumbPos() {
  __int128 along = static_cast<__int128>(TrackLength()) - m_ThumbLength;
  along *= static_cast<__int128>(m_Value) - m_Minimum;
  if (m_LargestValue > m_Minimum) along /= static_cast<__int128>(m_LargestValue) - m_Minimum;
  along += m_ButtonSize;
  m_ThumbX = IsHorizontal() ? To32(along) : 0;
  m_ThumbY = IsHorizontal() ? 0 : To32(along);
  if (m_pThumb) m_pThumb->SetPos(m_X + m_ThumbX, m_Y + m_ThumbY);
}

int32_t CSlider::ValueUnderPointer() const {
  const __int128 offset =
      (IsHorizontal() ? static_cast<__int128>(m_LastX) - m_X : static_cast<__int128>(m_LastY) - m_Y) - m_ButtonSize;
  const __int128 room = static_cast<__int128>(TrackLength()) - m_ThumbLength;
  const __int128 span = static_cast<__int128>(m_LargestValue) - m_Minimum;
  __int128 value = 0;
  if (room > 0) value = span == 0 ? offset : offset * span / room;
  // Counted from the minimum, as the thumb's place is.
  return Clamp(To32(std::clamp<__int128>(value + m_Minimum, INT32_MIN, INT32_MAX)));
}

int32_t CSlider::DragAfterMouse() {
  SetValue(ValueUnderPointer());
  return 1;
}

bool CSlider::TimingDue(int32_t wait) {
  const uint32_t now = xGetTime();
  if (ms_lTimeWhenPressed < 0) {
    ms_lTimeWhenPressed = now;
    m_Elapsed = 0;
    return false;
  }
  m_Elapsed = static_cast<int32_t>(now - static_cast<uint32_t>(ms_lTimeWhenPressed));
  return m_Elapsed > wait;
}

int32_t CSlider::PageUpDown() {
  if (!TimingDue(m_PageWait)) return 1;
  const int64_t target = ValueUnderPointer();
  // A page of one value still moves.
  const int64_t step = std::max<int64_t>(static_cast<int64_t>(m_Page) - 1, 1);
  const int64_t distance = target - m_Value;
  if (distance > -step && distance < step)
    SetValue(To32(target));
  else
    SetValue(Clamp(static_cast<int64_t>(m_Value) + (distance < 0 ? -step : step)));
  ms_lTimeWhenPressed = -1;
  return 1;
}

int32_t CSlider::ChildMessage(int32_t msg, int32_t child) {
  if (msg == GUIMSG_COMMAND) {
    // A hold ended.
    ms_lTimeWhenPressed = -1;
    return 1;
  }
  const int32_t which = child - m_Id;
  if (which == SLIDER_UP_ID || which == SLIDER_DOWN_ID) {
    if (TimingDue(m_StepWait)) {
      SetValue(Clamp(static_cast<int64_t>(m_Value) + (which == SLIDER_UP_ID ? -1 : 1)));
      ms_lTimeWhenPressed = xGetTime();
      m_Elapsed = 0;
    }
  } else if (which == SLIDER_THUMB_ID) {
    m_Dragging = 1;
    DragAfterMouse();
  } else {
    return 0;
  }
  Validate();
  return 1;
}

int32_t CSlider::MouseInput(int32_t a, int32_t b, int32_t c) {
  const bool down = (c & 1) != 0;
  if (!m_Rect.IsPntInRect(a, b)) {
    if (m_Press == 2) return 0;
    if (m_State == XGUI_PRESSED && down) {
      if (m_Dragging) DragAfterMouse();
      Validate();
      return 1;
    }
    if (!down) {
      m_Armed = 0;
      if (m_State == XGUI_PRESSED) {
        m_Dragging = 0;
        m_RequestedState = XGUI_RELEASED;
      }
    }
    return 0;
  }
  if (!down) {
    m_Armed = 1;
    if (m_State != XGUI_PRESSED) return 0;
    m_Dragging = 0;
    m_RequestedState = XGUI_RELEASED;
    return 1;
  }
  if (!m_Armed) return 0;
  if (m_Dragging)
    DragAfterMouse();
  else
    PageUpDown();
  Validate();
  m_RequestedState = XGUI_PRESSED;
  return 1;
}

int32_t CSlider::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  const int32_t entry = m_Value;
  ++m_Depth;
  int32_t result = 0;
  if (msg == GUIMSG_HELD || msg == GUIMSG_COMMAND) {
    result = ChildMessage(msg, b);
  } else {
    if (msg == GUIMSG_MOUSE) {
      m_LastX = a;
      m_LastY = b;
      // The button is up: no hold of any slider goes on.
      if (!(c & 1)) ms_lTimeWhenPressed = -1;
    }
    // A thumb dragged over an arrow does not press the arrow.
    const bool arrows = !(m_Dragging && msg == GUIMSG_MOUSE);
    if (arrows && ((m_pUp && m_pUp->GuiMsgHandler(msg, a, b, c, d)) ||
                   (m_pDown && m_pDown->GuiMsgHandler(msg, a, b, c, d)))) {
      result = 1;
    } else {
      result = m_pThumb ? m_pThumb->GuiMsgHandler(msg, a, b, c, d) : 0;
      if (msg == GUIMSG_KEY) {
        const auto* k = static_cast<const TQueueChar*>(d);
        if (k && m_HotKey && k->m_Code == static_cast<uint16_t>(m_HotKey)) {
          if (k->m_Flags & XKEYF_PRESSED)
            m_Press = 2;
          else if (m_Press == 2)
            m_Press = 0;
          m_RequestedState = XGUI_RELEASED;
          result = 1;
        }
      } else if (msg == GUIMSG_MOUSE) {
        if (MouseInput(a, b, c)) result = 1;
      }
      if (m_pParent && !m_pParent->IsActive() && m_RequestedState == XGUI_HIGHLIGHT) {
        m_Armed = 0;
        m_RequestedState = XGUI_RELEASED;
      }
      Invalidate();
    }
  }
  --m_Depth;
  if (m_Depth == 0 && m_Value != entry) Notify(GUIMSG_SLIDER);
  return result;
}

int32_t CSlider::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return 1;
  UpdateThumbPos();
  const int32_t sx = x + m_X;
  const int32_t sy = y + m_Y;
  if (!(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) {
    if (const TCntrlColor* set = m_Look.m_pColors[LOOK_NORMAL]) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[3]);
  } else if (m_Flags & CNTRL_ALPHA) {
    xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
  } else {
    xGuiAddClearArea(sx, sy, sx + m_Width, sy + m_Height);
  }
  if (m_Flags & CNTRL_EXTRUDED) xDrawBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, StateColors(), 0, 1, 3, 4, 5);
  if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(StateBitmap(), sx, sy);
  CControlBase::Draw(x, y, mode);
  if (m_pUp) m_pUp->Draw(x, y, mode);
  if (m_pDown) m_pDown->Draw(x, y, mode);
  if (m_pThumb && m_State != XGUI_DISABLED) m_pThumb->Draw(x, y, mode);
  return 1;
}

int32_t CSlider::Destroy() {
  FreeChildren();
  return CControlBase::Destroy();
}

int32_t CSlider::SetPos(int32_t x, int32_t y) {
  const int64_t dx = static_cast<int64_t>(x) - m_X;
  const int64_t dy = static_cast<int64_t>(y) - m_Y;
  CControlBase::SetPos(x, y);
  EachChild([&](CControlBase* child) {
    int32_t cx = 0, cy = 0;
    child->GetPos(cx, cy);
    child->SetPos(To32(cx + dx), To32(cy + dy));
  });
  return 1;
}

int32_t CSlider::SetSize(int32_t width, int32_t height) {
  const int64_t dw = static_cast<int64_t>(width) - m_Width;
  const int64_t dh = static_cast<int64_t>(height) - m_Height;
  CControlBase::SetSize(width, height);
  if (m_pDown) {
    int32_t cx = 0, cy = 0;
    m_pDown->GetPos(cx, cy);
    if (IsHorizontal())
      m_pDown->SetPos(To32(cx + dw), cy);
    else
      m_pDown->SetPos(cx, To32(cy + dh));
  }
  return 1;
}

int32_t CSlider::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  EachChild([&](CControlBase* child) { child->SetParent(windowId, window); });
  return 1;
}

int32_t CSlider::SetCntrlMessagingSystem(int32_t parentId) {
  CControlBase::SetCntrlMessagingSystem(parentId);
  EachChild([&](CControlBase* child) { child->SetCntrlMessagingSystem(parentId); });
  return 1;
}

int32_t CSlider::SetState(int32_t s) {
  const int32_t result = CControlBase::SetState(s);
  EachChild([&](CControlBase* child) { child->SetState(s); });
  return result;
}

int32_t CSlider::ClearClipListIndex() {
  CControlBase::ClearClipListIndex();
  EachChild([](CControlBase* child) { child->ClearClipListIndex(); });
  return 1;
}

int32_t CSlider::Validate() {
  CControlBase::Validate();
  EachChild([](CControlBase* child) { child->Validate(); });
  return 1;
}

// The window draws a control once for each of its dirty rectangles; the children draw inside
// the slider's, so only the slider keeps a list.
int32_t CSlider::Validate(CRect* area, int32_t index) {
  CControlBase::Validate(area, index);
  return 1;
}
