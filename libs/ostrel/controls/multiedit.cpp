#include "ostrel/controls/multiedit.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/controls/edit.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

CMultiEdit::~CMultiEdit() { CMultiEdit::Destroy(); }

int32_t CMultiEdit::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t lineSize, uint32_t flags) {
  Destroy();
  CControlBase::Create(id);
  m_Flags = flags | CNTRL_TABSTOP | CNTRL_MULTILINE;
  CControlBase::SetPos(x, y);
  CControlBase::SetSize(width, height);
  m_LineSize = std::clamp(lineSize, 2, CNTRL_MAX_BUFFER);
  TakeEditDefaults();
  m_Upper = m_Line = m_Caret = m_Offset = m_AddedRows = 0;
  m_Metrics.Use(m_Look.m_pFont);
  m_TextWidth = width - ((flags & CNTRL_EDITVSLIDER) ? m_BarWidth : 0);
  m_TextHeight = height - ((flags & CNTRL_EDITHSLIDER) ? m_BarWidth : 0);
  m_VisibleLines = std::max(0, m_TextHeight) / m_Metrics.LineAdvance();
  if (flags & CNTRL_EDITVSLIDER)
    m_pVBar = xEditMakeSlider(MULTIEDIT_VSLIDER_ID, x + m_TextWidth, y, m_BarWidth, m_TextHeight, 1,
                              std::max(1, m_VisibleLines), 1, std::max(1, m_VisibleLines), 0, id);
  if (flags & CNTRL_EDITHSLIDER)
    m_pHBar = xEditMakeSlider(MULTIEDIT_HSLIDER_ID, x, y + m_TextHeight, m_TextWidth, m_BarWidth, 1, m_LineSize, 1, 1,
                              CNTRL_HSLIDER, id);
  if (!text || !text[0])
    StoreLine("", 0, m_Rows.size());
  else
    SetTextBuffer(text, 0);
  m_Line = 0;
  m_Caret = 0;
  return 1;
}

int32_t CMultiEdit::Destroy() {
  CControlBase::Destroy();
  m_Rows.clear();
  delete m_pVBar;
  delete m_pHBar;
  m_pVBar = m_pHBar = nullptr;
  m_Line = m_Upper = m_Caret = 0;
  return 1;
}

int32_t CMultiEdit::KillText() {
  m_Rows.clear();
  m_Line = m_Upper = m_Caret = 0;
  return 1;
}

// --- Lines ---

int32_t CMultiEdit::LineLength(int32_t i) const {
  if (i < 0 || i >= GetNumRows()) return 0;
  return static_cast<int32_t>(strnlen(Line(i), static_cast<size_t>(m_LineSize)));
}

bool CMultiEdit::Full() const {
  return GetNumRows() >= MULTIEDIT_MAX_ROWS || (!m_pVBar && GetNumRows() >= m_VisibleLines);
}

int32_t CMultiEdit::StoreLine(const char* text, size_t length, size_t at) {
  if (Full()) return 0;
  TRowEntry row;
  row.m_pLine.reset(new (std::nothrow) char[static_cast<size_t>(m_LineSize)]);
  if (!row.m_pLine) return 0;
  length = std::min(length, static_cast<size_t>(m_LineSize) - 1);
  std::memcpy(row.m_pLine.get(), text, length);
  row.m_pLine[length] = '\0';
  m_Rows.insert(m_Rows.begin() + static_cast<std::ptrdiff_t>(std::min(at, m_Rows.size())), std::move(row));
  return 1;
}

int32_t CMultiEdit::SetTextBuffer(const char* text, int32_t append) {
  if (!append) KillText();
  m_AddedRows = 0;
  if (!text) text = "";
  m_Metrics.Use(m_Look.m_pFont);
  const size_t most = static_cast<size_t>(m_LineSize) - 1;
  std::string work;
  int64_t width = 0;
  auto store = [&](size_t length) {
    if (!StoreLine(work.data(), length, m_Rows.size())) return false;
    ++m_AddedRows;
    return true;
  };
  int32_t result = 1;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') {
      if (!store(work.size())) return 0;
      work.clear();
      width = 0;
      continue;
    }
    // Lines hold at most line size - 1 characters.
    if (work.size() >= most) {
      if (!store(work.size())) return 0;
      work.clear();
      width = 0;
    }
    work.push_back(*p);
    width += m_Metrics.Width(static_cast<uint8_t>(*p));
    // A line takes at least one character, however wide.
    if (m_pHBar || width < m_TextWidth || work.size() < 2) continue;
    const size_t space = work.find_last_of(' ', work.size() - 2);
    if (space != std::string::npos && space > 0 && !(m_Flags & CNTRL_NOWORDWRAP)) {
      if (!store(space)) return 0;
      work.erase(0, space + 1);
    } else {
      if (!store(work.size() - 1)) return 0;
      work.erase(0, work.size() - 1);
    }
    width = m_Metrics.Width(work.data(), 0, static_cast<int32_t>(work.size()));
  }
  if (!store(work.size())) result = 0;
  SetVerticalRange();
  return result;
}

int32_t CMultiEdit::GetTextBuffer(char*& out) {
  out = nullptr;
  uint64_t size = 1;
  for (int32_t i = 0; i < GetNumRows(); ++i) size += static_cast<uint64_t>(LineLength(i)) + 1;
  auto* text = static_cast<char*>(::operator new(static_cast<size_t>(size), std::nothrow));
  if (!text) return 0;
  char* p = text;
  for (int32_t i = 0; i < GetNumRows(); ++i) {
    const int32_t n = LineLength(i);
    std::memcpy(p, Line(i), static_cast<size_t>(n));
    p += n;
    *p++ = '\n';
  }
  *p = '\0';
  out = text;
  return 1;
}

void CMultiEdit::SetVerticalRange() {
  if (!m_pVBar) return;
  xEditSliderRange(m_pVBar, 1, std::max(1, GetNumRows() - 1 + m_VisibleLines), std::max(1, m_VisibleLines));
  xEditSliderValue(m_pVBar, m_Upper + 1);
}

void CMultiEdit::ShowLast() {
  if (GetNumRows() > 0) SetLine(GetNumRows() - 1, 0);
  SetVerticalRange();
}

int32_t CMultiEdit::AddNewLine(const char* text) {
  const int32_t result = SetTextBuffer(text, 1);
  ShowLast();
  Validate();
  return result;
}

int32_t CMultiEdit::DeleteFirstLine() {
  if (!m_Rows.empty()) m_Rows.pop_front();
  ShowLast();
  Validate();
  return 1;
}

int32_t CMultiEdit::SetLine(int32_t line, int32_t keepView) {
  if (line < 0 || line >= GetNumRows()) return 0;
  m_Line = line;
  m_Caret = std::min(m_Caret, LineLength(line));
  if (!keepView) {
    const int32_t visible = std::max(1, m_VisibleLines);
    m_Upper = line < visible ? 0 : line - visible + 1;
    if (m_pVBar) xEditSliderValue(m_pVBar, line);
  }
  return 1;
}

int32_t CMultiEdit::SetTextOnLine(int32_t line, const char* text) {
  if (line < 1 || line > GetNumRows()) return 0;
  char* buffer = Line(line - 1);
  const size_t n = text ? strnlen(text, static_cast<size_t>(m_LineSize) - 1) : 0;
  if (n) std::memmove(buffer, text, n);
  buffer[n] = '\0';
  Clamp();
  Validate();
  return 1;
}

char* CMultiEdit::GetTextOnLine(int32_t line) {
  if (line < 1 || line > GetNumRows()) return nullptr;
  return Line(line - 1);
}

int32_t CMultiEdit::SetTextColorOnLine(int32_t line, TRGBA* colour) {
  if (line < 1 || line > GetNumRows()) return 0;
  m_Rows[static_cast<size_t>(line - 1)].m_pColor = colour;
  if (colour && m_Look.m_pFont) m_Look.m_pFont->CreateColor(colour);
  Validate();
  return 1;
}

void CMultiEdit::Clamp() {
  m_Line = std::clamp(m_Line, 0, std::max(0, GetNumRows() - 1));
  m_Caret = std::clamp(m_Caret, 0, LineLength(m_Line));
  m_Upper = std::max(0, m_Upper);
  // Whoever wrote through a line buffer may have filled it: it ends inside.
  if (!m_Rows.empty()) Line(m_Line)[m_LineSize - 1] = '\0';
}

// --- Keys ---

void CMultiEdit::Key(const TQueueChar& key) {
  if (m_Rows.empty()) StoreLine("", 0, 0);
  if (m_Rows.empty()) return;
  Clamp();
  const bool readOnly = (m_Flags & CNTRL_READONLY) != 0;
  switch (key.m_Code) {
    case XKEY_BSPACE:
      if (!readOnly) Backspace();
      break;
    case XKEY_DELETE:
      if (!readOnly) Delete();
      break;
    case XKEY_ENTER:
      if (!readOnly) Split();
      break;
    case XKEY_LEFT:
      if (m_Caret > 0) {
        --m_Caret;
      } else if (m_Line > 0) {
        --m_Line;
        m_Caret = LineLength(m_Line);
      }
      break;
    case XKEY_RIGHT:
      if (m_Caret < LineLength(m_Line)) {
        ++m_Caret;
      } else if (m_Line + 1 < GetNumRows()) {
        ++m_Line;
        m_Caret = 0;
      }
      break;
    case XKEY_UP:
      if (m_Line > 0) --m_Line;
      m_Caret = std::min(m_Caret, LineLength(m_Line));
      break;
    case XKEY_DOWN:
      if (m_Line + 1 < GetNumRows()) ++m_Line;
      m_Caret = std::min(m_Caret, LineLength(m_Line));
      break;
    default:
      if (!readOnly) Type(key);
      break;
  }
  FollowCaret();
}

void CMultiEdit::Backspace() {
  if (m_Caret > 0) {
    char* line = Line(m_Line);
    const int32_t n = LineLength(m_Line);
    std::memmove(line + m_Caret - 1, line + m_Caret, static_cast<size_t>(n - m_Caret) + 1);
    --m_Caret;
    return;
  }
  if (m_Line == 0) return;
  const int32_t join = LineLength(m_Line - 1);
  if (!Join(m_Line - 1)) return;
  --m_Line;
  m_Caret = join;
}

void CMultiEdit::Delete() {
  const int32_t n = LineLength(m_Line);
  if (m_Caret < n) {
    char* line = Line(m_Line);
    std::memmove(line + m_Caret, line + m_Caret + 1, static_cast<size_t>(n - m_Caret));
    return;
  }
  if (m_Line + 1 < GetNumRows()) Join(m_Line);
}

int32_t CMultiEdit::Join(int32_t i) {
  const int32_t a = LineLength(i), b = LineLength(i + 1);
  if (int64_t{a} + b > m_LineSize - 1) return 0;
  std::memcpy(Line(i) + a, Line(i + 1), static_cast<size_t>(b));
  Line(i)[a + b] = '\0';
  m_Rows.erase(m_Rows.begin() + i + 1);
  return 1;
}

void CMultiEdit::Split() {
  if (Full()) return;
  if (m_Caret == 0) {
    if (StoreLine("", 0, static_cast<size_t>(m_Line))) ++m_Line;
    return;
  }
  const char* line = Line(m_Line);
  const int32_t n = LineLength(m_Line);
  if (!StoreLine(line + m_Caret, static_cast<size_t>(n - m_Caret), static_cast<size_t>(m_Line) + 1)) return;
  Line(m_Line)[m_Caret] = '\0';
  ++m_Line;
  m_Caret = 0;
}

void CMultiEdit::Type(const TQueueChar& key) {
  // Keys without a character (codes below 32 and the named keys from 256) are never typed.
  if (key.m_Code < 32 || key.m_Code >= 256) return;
  const int32_t n = LineLength(m_Line);
  if (n >= m_LineSize - 1) return;
  const auto ch = static_cast<uint8_t>(key.m_Code);
  char* line = Line(m_Line);
  if (!m_pHBar) {
    const int64_t w = m_Metrics.Width(line, 0, n) + m_Metrics.Width(ch) + (m_pCaret ? m_pCaret->m_Width : 0);
    if (w > m_TextWidth) return;
  }
  std::memmove(line + m_Caret + 1, line + m_Caret, static_cast<size_t>(n - m_Caret) + 1);
  line[m_Caret++] = static_cast<char>(ch);
  SendKeyMessage(key);
}

void CMultiEdit::FollowCaret() {
  Clamp();
  m_Metrics.Use(m_Look.m_pFont);
  if (m_Caret < m_Offset) m_Offset = 0;
  const char* line = m_Rows.empty() ? "" : Line(m_Line);
  const int64_t caret = m_pCaret ? m_pCaret->m_Width : 0;
  int64_t w = caret + m_Metrics.Width(line, std::min(m_Offset, m_Caret), m_Caret);
  while (w > m_TextWidth && m_Offset < m_Caret) w -= m_Metrics.Width(static_cast<uint8_t>(line[m_Offset++]));
  const int32_t visible = std::max(1, m_VisibleLines);
  if (m_Line < m_Upper) m_Upper = m_Line;
  if (m_Line - m_Upper >= visible) m_Upper = m_Line - visible + 1;
  SetVerticalRange();
  if (m_pHBar) xEditSliderValue(m_pHBar, m_Offset + 1);
  Validate();
}
