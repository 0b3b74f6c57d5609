// The text-entry field: one line that scrolls sideways under the caret, or (CNTRL_MULTILINE)
// word-wrapped lines with a vertical scroll bar. It filters what may be typed, can show stars,
// and reports presses (1, 2), keys it does not take itself (0) and text changes (21).
//
// The field always owns its text buffer, of at least the maximum length plus one bytes: texts
// given to it are copied in, so typing never writes into a caller's string.
#pragma once

#include <vector>

#include "ostrel/controls/editbase.h"
#include "ostrel/controls/editslider.h"

class CBitmap;
class CSlider;
struct TQueueChar;

inline constexpr int32_t EDIT_SCROLLBAR_WIDTH = 13;
class CEdit : public CEditBase {
 public:
  CEdit();
  ~CEdit() override;

  using CControlBase::Create;
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t maxLength, uint32_t flags);
  int32_t ClearBuf();
  void SetCaretPos(int32_t caret) { m_Caret = caret; }
  int32_t GetCaretPos() const { return m_Caret; }
  // Not copied: the string must outlive its use. Null accepts any character.
  void SetValidCharacters(const char* valid) { m_pValid = valid; }
  const char* GetValidCharacters() const { return m_pValid; }
  // Multi-line caret steps; 0 when there is no line to go to.
  int32_t KeyUp(int32_t moveCaret);
  int32_t KeyDown(int32_t moveCaret);
  int32_t CalcCursorXY();

  int32_t Copy(CControlBase* other) override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t Validate() override;
  using CControlBase::Validate;
  int32_t ClearClipListIndex() override;
  // The text is copied into the field's own buffer.
  int32_t SetText(const char* text) override;
  // Never smaller than the maximum length plus one.
  char* AllocBuffer(int32_t size) override;
  int32_t DrawExtruded(int32_t x, int32_t y, TCntrlColor* set);

  int32_t GetMaxLength() const { return m_MaxLength; }
  int32_t GetFirstVisible() const { return m_FirstVisible; }
  int32_t GetTopLine() const { return m_TopLine; }
  int32_t GetCaretLine() const { return m_CaretLine; }
  int32_t GetCaretX() const { return m_CaretX; }
  int32_t GetCaretY() const { return m_CaretY; }
  int32_t GetLineCount() const { return m_LineCount; }
  int32_t GetScrollReserve() const { return m_Reserve; }
  CSlider* GetScrollBar() const { return xEditSlider(m_pScrollBar); }

 private:
  bool MultiLine() const { return (m_Flags & CNTRL_MULTILINE) != 0; }
  // Window-relative top of a one-line field's text: centred with CNTRL_CENTERV.
  int32_t LineTop() const;
  int32_t Length() const;
  // Makes the buffer hold at least the maximum length plus one and the text; 0 when it cannot.
  int32_t EnsureBuffer();
  // Caret and view back inside the text (a paste or SetText may have shortened it).
  void ClampCaret();
  void Key(const TQueueChar& key);
  // 1 when the character was inserted.
  int32_t Insert(uint16_t code);
  int32_t DeleteAtCaret();
  void FollowCaretOneLine();
  void FollowCaretMultiLine(uint16_t code);
  void PlaceCaretAt(int32_t x, int32_t y) override;
  void Scrolled();
  void MarkChanged();
  // Lines of the whole text at the text width (field width less the reserve).
  void Relayout();
  int32_t VisibleLines() const;
  // The line (from 1) holding text index i.
  int32_t LineOf(int32_t i) const;
  int32_t LineStart(int32_t line) const;
  // The last caret position on the line.
  int32_t LineEnd(int32_t line) const;
  // The reserve and the scroll bar's range after a change of text or size.
  void UpdateScrollBar();
  void SetScrollRange();

  int32_t m_MaxLength = 0;
  int32_t m_FirstVisible = 0;
  int32_t m_CaretX = 0, m_CaretY = 0;
  int32_t m_TopLine = 1;
  int32_t m_CaretLineStart = 0;
  int32_t m_Caret = 0;
  CControlBase* m_pScrollBar = nullptr;  // a CSlider
  int32_t m_ScrollBarWidth = EDIT_SCROLLBAR_WIDTH;
  int16_t m_Reserve = 0;
  int32_t m_CaretLine = 1;
  int32_t m_LineCount = 1;
  int32_t m_SavedFirstVisible = -1, m_SavedTopLine = -1, m_SavedCaretLine = -1;
  const char* m_pValid = nullptr;

  std::vector<int32_t> m_Lines;
};
