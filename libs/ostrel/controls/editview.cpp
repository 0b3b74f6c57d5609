// The edit field's view: lines, caret placement, scrolling and drawing.
#include <algorithm>
#include <string>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keycodes.h"

void CEdit::Relayout() {
  m_Metrics.Use(m_Look.m_pFont);
  m_Metrics.Wrap(m_pText ? m_pText : "", Length(), m_Width - m_Reserve, m_Lines);
  m_LineCount = static_cast<int32_t>(m_Lines.size());
}

int32_t CEdit::VisibleLines() const { return std::max(1, m_Height / m_Metrics.LineAdvance()); }

int32_t CEdit::LineOf(int32_t i) const {
  return static_cast<int32_t>(std::upper_bound(m_Lines.begin(), m_Lines.end(), i) - m_Lines.begin());
}

int32_t CEdit::LineStart(int32_t line) const {
  if (m_Lines.empty()) return 0;
  const int32_t n = static_cast<int32_t>(m_Lines.size());
  return m_Lines[static_cast<size_t>(std::clamp(line, 1, n) - 1)];
}

int32_t CEdit::LineEnd(int32_t line) const {
  const int32_t n = static_cast<int32_t>(m_Lines.size());
  if (line < 1) line = 1;
  return line < n ? m_Lines[static_cast<size_t>(line)] - 1 : Length();
}

void CEdit::SetScrollRange() {
  if (!m_pScrollBar) return;
  xEditSliderRange(m_pScrollBar, 1, m_LineCount, VisibleLines());
  xEditSliderValue(m_pScrollBar, m_TopLine);
}

void CEdit::UpdateScrollBar() {
  if (!MultiLine()) return;
  m_Metrics.Use(m_Look.m_pFont);
  if (m_pScrollBar) {
    // The reserve while the text, wrapped at the full width, is higher than the field.
    m_Metrics.Wrap(m_pText ? m_pText : "", Length(), m_Width, m_Lines);
    const int64_t lines = static_cast<int64_t>(m_Lines.size());
    const int64_t height = (lines - 1) * m_Metrics.LineAdvance() + m_Metrics.FontHeight();
    m_Reserve = static_cast<int16_t>(height > m_Height ? m_ScrollBarWidth : 0);
  } else {
    m_Reserve = 0;
  }
  Relayout();
  m_TopLine = std::clamp(m_TopLine, 1, m_LineCount);
  m_FirstVisible = LineStart(m_TopLine);
  SetScrollRange();
}

int32_t CEdit::KeyUp(int32_t moveCaret) {
  if (m_Lines.empty()) Relayout();
  m_Caret = std::clamp(m_Caret, 0, Length());
  const int32_t line = LineOf(m_Caret);
  if (line <= 1) return 0;
  const int32_t column = m_Caret - LineStart(line);
  const int32_t target = line - 1;
  if (moveCaret) m_Caret = std::min(LineStart(target) + column, LineEnd(target));
  if (target < m_TopLine) m_TopLine = target;
  m_FirstVisible = LineStart(m_TopLine);
  m_CaretLine = target - m_TopLine + 1;
  return 1;
}

int32_t CEdit::KeyDown(int32_t moveCaret) {
  if (m_Lines.empty()) Relayout();
  m_Caret = std::clamp(m_Caret, 0, Length());
  const int32_t line = LineOf(m_Caret);
  if (line >= m_LineCount) return 0;
  const int32_t column = m_Caret - LineStart(line);
  const int32_t target = line + 1;
  if (moveCaret) m_Caret = std::min(LineStart(target) + column, LineEnd(target));
  if (target > m_TopLine + VisibleLines() - 1) m_TopLine = target - VisibleLines() + 1;
  m_FirstVisible = LineStart(m_TopLine);
  m_CaretLine = target - m_TopLine + 1;
  return 1;
}

int32_t CEdit::CalcCursorXY() {
  if (m_Lines.empty()) Relayout();
  m_Caret = std::clamp(m_Caret, 0, Length());
  const int32_t line = LineOf(m_Caret);
  const int32_t visible = VisibleLines();
  if (line < m_TopLine) m_TopLine = line;
  if (line > m_TopLine + visible - 1) m_TopLine = line - visible + 1;
  m_TopLine = std::max(1, m_TopLine);
  m_FirstVisible = LineStart(m_TopLine);
  m_CaretLine = line - m_TopLine + 1;
  m_CaretLineStart = LineStart(line);
  m_CaretY = m_Metrics.LineAdvance() * (m_CaretLine - 1);
  const int64_t x = m_pText ? m_Metrics.Width(m_pText, m_CaretLineStart, m_Caret) : 0;
  m_CaretX = static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX / 2)) - 1;
  return 1;
}

void CEdit::FollowCaretMultiLine(uint16_t code) {
  UpdateScrollBar();
  if (!m_Reserve) {
    m_FirstVisible = 0;
    m_TopLine = 1;
  }
  const int32_t line = LineOf(m_Caret);
  const int32_t last = std::min(m_TopLine + VisibleLines() - 1, m_LineCount);
  if ((line < m_TopLine || line > last) && m_SavedTopLine >= 1) {
    m_TopLine = std::clamp(m_SavedTopLine, 1, m_LineCount);
    m_FirstVisible = LineStart(m_TopLine);
    m_CaretLine = std::max(1, m_SavedCaretLine);
    m_SavedFirstVisible = m_SavedTopLine = m_SavedCaretLine = -1;
  }
  if (code == XKEY_UP) KeyUp(1);
  if (code == XKEY_DOWN) KeyDown(1);
  CalcCursorXY();
  SetScrollRange();
  // The view the scroll bar left is brought back once only.
  m_SavedFirstVisible = m_SavedTopLine = m_SavedCaretLine = -1;
}

void CEdit::Scrolled() {
  ClampCaret();
  if (m_SavedTopLine < 0) {
    m_SavedFirstVisible = m_FirstVisible;
    m_SavedTopLine = m_TopLine;
    m_SavedCaretLine = m_CaretLine;
  }
  m_TopLine = std::clamp(xEditSliderGetValue(m_pScrollBar), 1, std::max(1, m_LineCount));
  m_FirstVisible = LineStart(m_TopLine);
  const int32_t line = LineOf(m_Caret);
  const int32_t last = std::min(m_TopLine + VisibleLines() - 1, m_LineCount);
  if (line >= m_TopLine && line <= last) {
    CalcCursorXY();
    m_SavedFirstVisible = m_FirstVisible;
    m_SavedTopLine = m_TopLine;
    m_SavedCaretLine = m_CaretLine;
  } else {
    m_CaretX = m_Width + 100;
    m_CaretY = m_Height + 100;
  }
  if ((m_Flags & CNTRL_TRANSPARENT) && !(m_Flags & CNTRL_ALPHA)) xGuiAddClearAreaGui(ScreenRect());
  Validate();
}

void CEdit::PlaceCaretAt(int32_t x, int32_t y) {
  ClampCaret();
  m_Metrics.Use(m_Look.m_pFont);
  const int32_t length = Length();
  const bool stars = (m_Flags & CNTRL_PASSWORD) != 0 && !MultiLine();
  int32_t from = m_FirstVisible, to = length;
  if (MultiLine()) {
    const int32_t row = std::max(0, y - TextTop()) / m_Metrics.LineAdvance() + 1;
    const int32_t line = m_TopLine + row - 1;
    if (line > m_LineCount) {
      m_Caret = length;
      CalcCursorXY();
      return;
    }
    from = LineStart(line);
    to = LineEnd(line);
  }
  const int64_t distance = int64_t{x} - TextLeft();
  int64_t sum = 0;
  int32_t i = from;
  for (; i < to && m_pText; ++i) {
    const int32_t w = m_Metrics.Width(stars ? uint8_t{'*'} : static_cast<uint8_t>(m_pText[i]));
    if (sum + w > distance) break;
    sum += w;
  }
  m_Caret = std::min(i, length);
  if (MultiLine()) CalcCursorXY();
}

// --- Place, parent, redraw ---

int32_t CEdit::SetPos(int32_t x, int32_t y) {
  const int32_t dx = x - m_X, dy = y - m_Y;
  CControlBase::SetPos(x, y);
  if (m_pScrollBar) xMoveControl(m_pScrollBar, dx, dy);
  return 1;
}

int32_t CEdit::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  if (m_pScrollBar) {
    // The scroll bar keeps to the right edge.
    xPlaceControl(m_pScrollBar, m_X + width - m_ScrollBarWidth, m_Y, m_ScrollBarWidth, height);
    UpdateScrollBar();
  }
  return 1;
}

int32_t CEdit::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  if (m_pScrollBar) m_pScrollBar->SetParent(windowId, window);
  return 1;
}

int32_t CEdit::ClearClipListIndex() {
  CControlBase::ClearClipListIndex();
  if (m_pScrollBar) m_pScrollBar->ClearClipListIndex();
  return 1;
}

int32_t CEdit::Validate() {
  CControlBase::Validate();
  if (m_pScrollBar) {
    UpdateScrollBar();
    m_pScrollBar->Validate();
  }
  return 1;
}

int32_t CEdit::LineTop() const {
  if (MultiLine() || !(m_Flags & CNTRL_CENTERV)) return TextTop();
  // As a static of the same place centres its text, so that the field's text and the label
  // beside it share a baseline.
  const int32_t inset = Inset() + 1;
  return m_Y + inset + std::max(0, (m_Height - 2 * inset - m_Metrics.FontHeight()) / 2);
}

int32_t CEdit::DrawExtruded(int32_t x, int32_t y, TCntrlColor* set) {
  xDrawSunkenBevel(x, y, m_Width, m_Height, m_Look.m_Bevel, set);
  return 1;
}

int32_t CEdit::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  DrawFace(x + m_X, y + m_Y, m_Width, m_Height);
  const int32_t tx = x + TextLeft(), ty = y + TextTop();
  const int32_t length = Length();
  if (MultiLine()) {
    if (m_Lines.empty()) Relayout();
    const int32_t advance = m_Metrics.LineAdvance();
    const int32_t visible = VisibleLines() + 1;
    for (int32_t k = 0; k < visible && m_TopLine + k <= m_LineCount && m_pText; ++k) {
      const int32_t line = m_TopLine + k;
      const int32_t from = LineStart(line);
      int32_t to = line < m_LineCount ? LineStart(line + 1) : length;
      while (to > from && m_Metrics.IsNewLine(static_cast<uint8_t>(m_pText[to - 1]))) --to;
      DrawRun(m_pText, from, to, false, tx, ty + k * advance, m_Width, &m_Look.m_TextColor);
    }
    DrawCaret(tx + m_CaretX, ty + m_CaretY);
  } else if (m_pText) {
    const bool stars = (m_Flags & CNTRL_PASSWORD) != 0;
    const int32_t lineY = y + LineTop();
    DrawRun(m_pText, m_FirstVisible, length, stars, tx, lineY, m_Width, &m_Look.m_TextColor);
    // The caret may have been set anywhere since the last edit.
    const int32_t caret = std::clamp(m_Caret, 0, length);
    int64_t caretX = 0;
    for (int32_t i = m_FirstVisible; i < caret && caretX <= m_Width; ++i)
      caretX += m_Metrics.Width(stars ? uint8_t{'*'} : static_cast<uint8_t>(m_pText[i]));
    if (caretX <= m_Width) DrawCaret(tx + static_cast<int32_t>(caretX) + 1, lineY);
  }
  xGuiPopClip();
  CControlBase::Draw(x, y, mode);
  if (m_pScrollBar && m_Reserve) m_pScrollBar->Draw(x, y, mode);
  return 1;
}
