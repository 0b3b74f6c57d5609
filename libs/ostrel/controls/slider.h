// The scroll bar and slider of the toolkit: two arrow buttons and a draggable thumb over a track.
// It stands alone in dialogs and serves as the scroll bar of edits, list boxes and combo boxes.
// The children are not in the window's list: the slider hands them their input and draws them,
// and they report to it through their message target (the slider's id). A control that keeps a
// slider as its scroll bar, outside the window's list, points the slider (and so its children)
// at itself with SetCntrlMessagingSystem, hands messages 1 and 2 whose b is the slider's id +
// 10000 to + 10002 on to the slider's GuiMsgHandler, and then hears message 14 itself.
#pragma once

#include <cstdint>

#include "ostrel/controls/controlbase.h"

class CButton;
class CDragbutton;

// Child ids, added to the slider's id.
inline constexpr int32_t SLIDER_UP_ID = 10000;
inline constexpr int32_t SLIDER_DOWN_ID = 10001;
inline constexpr int32_t SLIDER_THUMB_ID = 10002;
inline constexpr int32_t SLIDER_MIN_THUMB = 6;
inline constexpr int32_t SLIDER_DEFAULT_WAIT = 100;

class CSlider : public CControlBase {
 public:
  CSlider() = default;
  ~CSlider() override;
  CSlider(const CSlider&) = delete;
  CSlider& operator=(const CSlider&) = delete;

  using CControlBase::Create;
  // Vertical unless flags has CNTRL_HSLIDER. The value is clamped into the range.
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum, int32_t maximum,
                 int32_t value, int32_t page, uint32_t flags);
  // New range and page: the thumb's length follows, the value is clamped.
  int32_t SetRange(int32_t minimum, int32_t maximum, int32_t page);
  int32_t GetRange(int32_t& minimum, int32_t& maximum, int32_t& page) const;
  // Clamped to the minimum and the largest value (maximum - page + 1); no redraw.
  int32_t SetValue(int32_t value);
  int32_t GetValue() const { return m_Value; }
  // The time between two steps of a held arrow button.
  int32_t SetScrollWaitTime(uint32_t ms);

  int32_t Destroy() override;
  int32_t SetPos(int32_t x, int32_t y) override;
  // The far button follows the change; the thumb keeps its length.
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t SetCntrlMessagingSystem(int32_t parentId) override;
  int32_t SetState(int32_t s) override;
  int32_t ClearClipListIndex() override;
  int32_t Validate() override;
  int32_t Validate(CRect* area, int32_t index) override;
  // Sends 14 whenever a message changed the value.
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;

  // The value under the last pointer position, as dragging sets it.
  int32_t DragAfterMouse();
  // One paging step toward the last pointer position, paced by the page wait.
  int32_t PageUpDown();

  int32_t GetLargestValue() const { return m_LargestValue; }
  int32_t GetPage() const { return m_Page; }
  int32_t GetThumbLength() const { return m_ThumbLength; }
  int32_t GetButtonSize() const { return m_ButtonSize; }
  // The thumb's offset inside the slider, as the last Draw (or UpdateThumbPos) placed it.
  int32_t GetThumbX() const { return m_ThumbX; }
  int32_t GetThumbY() const { return m_ThumbY; }
  void UpdateThumbPos();
  int32_t IsDragging() const { return m_Dragging; }
  int32_t IsHorizontal() const { return (m_Flags & CNTRL_HSLIDER) != 0; }
  CButton* GetUpButton() const { return m_pUp; }
  CButton* GetDownButton() const { return m_pDown; }
  CDragbutton* GetThumb() const { return m_pThumb; }

  // The time of the last press or step of any slider; -1 while no timing runs.
  static int64_t ms_lTimeWhenPressed;

 private:
  int32_t TrackLength() const;
  int32_t ComputeThumbLength() const;
  void ResizeThumb();
  int32_t Clamp(int64_t value) const;
  // The value that a pointer at the last position stands for.
  int32_t ValueUnderPointer() const;
  // Whether more than wait ms passed since the timing started; the first call starts it.
  bool TimingDue(int32_t wait);
  // Message 1 or 2 of a child.
  int32_t ChildMessage(int32_t msg, int32_t child);
  int32_t MouseInput(int32_t a, int32_t b, int32_t c);
  void FreeChildren();
  template <typename F>
  void EachChild(F f);

  int32_t m_Minimum = 0, m_Maximum = 0;
  int32_t m_Value = 0;
  int32_t m_Page = 1;
  int32_t m_LargestValue = 0;
  int32_t m_ButtonSize = 0;
  int32_t m_ThumbX = 0, m_ThumbY = 0;
  int32_t m_ThumbLength = SLIDER_MIN_THUMB;
  int32_t m_StepWait = SLIDER_DEFAULT_WAIT;
  int32_t m_LastX = 0, m_LastY = 0;
  int32_t m_Dragging = 0;
  int32_t m_Elapsed = 0;
  int32_t m_PageWait = SLIDER_DEFAULT_WAIT;
  CButton* m_pUp = nullptr;
  CButton* m_pDown = nullptr;
  CDragbutton* m_pThumb = nullptr;
  int32_t m_Armed = 0;
  // Messages of the children arrive inside the slider's own handling; only the outermost call
  // reports a changed value.
  int32_t m_Depth = 0;
};
