// Text as a list of lines, each in a buffer of the same fixed size and with a colour of its own:
// the chat and message panes (AddNewLine, DeleteFirstLine) and a small line editor (Enter
// splits, Backspace and Delete join). Text given to it is word-wrapped at the field width.
// Scroll bars are optional: vertical (CNTRL_EDITVSLIDER, id 100), horizontal (CNTRL_EDITHSLIDER,
// id 200).
#pragma once

#include <deque>
#include <memory>

#include "ostrel/controls/editbase.h"
#include "ostrel/controls/editslider.h"

struct TQueueChar;

inline constexpr int32_t MULTIEDIT_VSLIDER_ID = 100;
inline constexpr int32_t MULTIEDIT_HSLIDER_ID = 200;
// A text that would need more lines is cut there (SetTextBuffer answers 0).
inline constexpr int32_t MULTIEDIT_MAX_ROWS = 1 << 16;

struct TRowEntry {
  std::unique_ptr<char[]> m_pLine;  // line size bytes
  TRGBA* m_pColor = nullptr;        // not owned; null: the control's text colour
};

class CMultiEdit : public CEditBase {
 public:
  CMultiEdit() = default;
  ~CMultiEdit() override;

  using CControlBase::Create;
  // lineSize: bytes of every line buffer (at least 2).
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t lineSize, uint32_t flags);
  // Word-wraps the text into lines appended after the others (all deleted first unless append).
  // 0 when the field cannot take all the lines; those made so far stay.
  int32_t SetTextBuffer(const char* text, int32_t append);
  // Every line followed by "\n"; the caller frees the text with xFree. 0 when out of memory.
  int32_t GetTextBuffer(char*& out);
  using CControlBase::GetTextBuffer;
  // Appends the text's lines and shows the last one.
  int32_t AddNewLine(const char* text);
  int32_t DeleteFirstLine();
  int32_t GetNumAddedRows() const { return m_AddedRows; }
  // The caret to line (from 0); keepView leaves the view where it is. 0 beyond the last line.
  int32_t SetLine(int32_t line, int32_t keepView);
  // Lines from 1.
  int32_t SetTextOnLine(int32_t line, const char* text);
  char* GetTextOnLine(int32_t line);
  int32_t SetTextColorOnLine(int32_t line, TRGBA* colour);
  int32_t KillText();
  int32_t Destroy() override;

  int32_t GetNumRows() const { return static_cast<int32_t>(m_Rows.size()); }
  int32_t GetUpperLineNr() const { return m_Upper; }
  int32_t GetVisibleLines() const { return m_VisibleLines; }
  void SetUpperLineNr(int32_t upper) { m_Upper = upper < 0 ? 0 : upper; }
  int32_t GetCaretLine() const { return m_Line; }
  int32_t GetCaretPos() const { return m_Caret; }
  int32_t GetCaretRow() const { return m_Line - m_Upper; }
  int32_t GetHorizontalOffset() const { return m_Offset; }
  int32_t GetLineSize() const { return m_LineSize; }
  CSlider* GetVerticalBar() const { return xEditSlider(m_pVBar); }
  CSlider* GetHorizontalBar() const { return xEditSlider(m_pHBar); }

  // The visible lines follow the font's line advance.
  int32_t SetFont(CFont* font, const TRGBA* colour) override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t ClearClipListIndex() override;
  int32_t Validate() override;
  using CControlBase::Validate;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;

 private:
  char* Line(int32_t i) const { return m_Rows[static_cast<size_t>(i)].m_pLine.get(); }
  int32_t LineLength(int32_t i) const;
  // A new row holding text[0, length) (cut to the line size); 0 when the field is full.
  int32_t StoreLine(const char* text, size_t length, size_t at);
  bool Full() const;
  // The caret's line and index back inside the lines.
  void Clamp();
  void PlaceCaretAt(int32_t x, int32_t y) override;
  void Key(const TQueueChar& key);
  void Backspace();
  void Delete();
  void Split();
  void Type(const TQueueChar& key);
  // Joins line i + 1 to the end of line i; 0 (nothing changed) when the two do not fit one buffer.
  int32_t Join(int32_t i);
  // After keys and scrolling: the offset, the view and the scroll bars follow the caret.
  void FollowCaret();
  void ShowLast();
  void SetVerticalRange();
  void PlaceBars();

  int32_t m_Upper = 0;
  int32_t m_Line = 0;  // the caret's line
  int32_t m_VisibleLines = 1;
  int32_t m_Caret = 0;
  int32_t m_LineSize = 2;
  int32_t m_Offset = 0;
  int32_t m_AddedRows = 0;
  CControlBase* m_pVBar = nullptr;  // CSlider
  CControlBase* m_pHBar = nullptr;
  int32_t m_TextWidth = 0, m_TextHeight = 0;
  int32_t m_BarWidth = 13;
  std::deque<TRowEntry> m_Rows;
};
