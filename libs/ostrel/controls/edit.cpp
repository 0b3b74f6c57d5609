#include "ostrel/controls/edit.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

CEdit::CEdit() = default;

CEdit::~CEdit() {
  delete m_pScrollBar;
  m_pScrollBar = nullptr;
}

int32_t CEdit::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t maxLength, uint32_t flags) {
  delete m_pScrollBar;
  m_pScrollBar = nullptr;
  RemoveAllTimers();
  CControlBase::Create(id);
  m_Flags = flags | CNTRL_TABSTOP;
  SetPos(x, y);
  SetSize(width, height);
  m_MaxLength = std::clamp(maxLength, 0, CNTRL_MAX_BUFFER - 1);
  m_SavedFirstVisible = m_SavedTopLine = m_SavedCaretLine = -1;
  m_ScrollBarWidth = EDIT_SCROLLBAR_WIDTH;
  m_FirstVisible = m_Caret = m_CaretLineStart = m_CaretX = m_CaretY = 0;
  m_TopLine = m_CaretLine = 1;
  m_Reserve = 0;
  TakeEditDefaults();
  SetText(text);
  if (flags & CNTRL_MULTILINE) {
    m_pScrollBar = xEditMakeSlider(id, x + width - m_ScrollBarWidth, y, m_ScrollBarWidth, height, 1, 1, 1, 1, 0, id);
    if (m_pScrollBar && m_pParent) m_pScrollBar->SetParent(m_WindowId, m_pParent);
    UpdateScrollBar();
  }
  return 1;
}

int32_t CEdit::ClearBuf() {
  if (EnsureBuffer()) m_pText[0] = '\0';
  m_Caret = m_FirstVisible = 0;
  m_TopLine = m_CaretLine = 1;
  Validate();
  return 1;
}

// --- The buffer ---

int32_t CEdit::Length() const {
  if (!m_pText) return 0;
  if (m_BufferOwned) return static_cast<int32_t>(strnlen(m_pText, static_cast<size_t>(m_BufferSize)));
  return static_cast<int32_t>(strnlen(m_pText, static_cast<size_t>(CNTRL_MAX_BUFFER) - 1));
}

int32_t CEdit::EnsureBuffer() {
  if (m_pText && m_BufferOwned && m_BufferSize > 0) {
    // Whoever wrote through the buffer may have filled it: it ends inside, whatever came in.
    m_pText[m_BufferSize - 1] = '\0';
  }
  const int32_t length = Length();
  const int64_t need = std::max<int64_t>(int64_t{m_MaxLength} + 1, int64_t{length} + 1);
  if (m_pText && m_BufferOwned && m_BufferSize >= need) return 1;
  if (need > CNTRL_MAX_BUFFER) return 0;
  char* buffer = new (std::nothrow) char[static_cast<size_t>(need)];
  if (!buffer) return 0;
  if (length > 0) std::memcpy(buffer, m_pText, static_cast<size_t>(length));
  buffer[length] = '\0';
  FreeText();
  m_pText = buffer;
  m_BufferOwned = 1;
  m_BufferSize = static_cast<int32_t>(need);
  return 1;
}

int32_t CEdit::SetText(const char* text) {
  const char* source = text ? text : "";
  const size_t length = strnlen(source, static_cast<size_t>(CNTRL_MAX_BUFFER) - 1);
  const int64_t need = std::max<int64_t>(int64_t{m_MaxLength} + 1, static_cast<int64_t>(length) + 1);
  if (m_pText && m_BufferOwned && m_BufferSize >= need) {
    // The text may be a part of the buffer itself.
    std::memmove(m_pText, source, length);
    m_pText[length] = '\0';
  } else {
    char* buffer = new (std::nothrow) char[static_cast<size_t>(need)];
    if (!buffer) return 0;
    std::memcpy(buffer, source, length);
    buffer[length] = '\0';
    FreeText();
    m_pText = buffer;
    m_BufferOwned = 1;
    m_BufferSize = static_cast<int32_t>(need);
  }
  ClampCaret();
  FormatText();
  Validate();
  return 1;
}

char* CEdit::AllocBuffer(int32_t size) {
  if (size < 1) return nullptr;
  char* buffer = CControlBase::AllocBuffer(std::max(size, m_MaxLength + 1));
  if (buffer) ClampCaret();
  return buffer;
}

int32_t CEdit::Copy(CControlBase* other) {
  if (!CControlBase::Copy(other)) return 0;
  EnsureBuffer();
  ClampCaret();
  SetSize(m_Width, m_Height);
  return 1;
}

void CEdit::ClampCaret() {
  if (m_pText && m_BufferOwned && m_BufferSize > 0) m_pText[m_BufferSize - 1] = '\0';
  const int32_t length = Length();
  m_Caret = std::clamp(m_Caret, 0, length);
  m_FirstVisible = std::clamp(m_FirstVisible, 0, length);
  if (MultiLine()) {
    Relayout();
    m_TopLine = std::clamp(m_TopLine, 1, static_cast<int32_t>(m_Lines.size()));
    m_FirstVisible = LineStart(m_TopLine);
  }
}

// --- Messages ---

void CEdit::MarkChanged() {
  if (CWinCtrl* wc = xWinCtrl()) wc->SendMessage(GUIMSG_TEXTCHANGED, m_WindowId, m_Id, 0, nullptr);
}

int32_t CEdit::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  // A hidden field takes nothing either: a click or a focus change would show it again.
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  switch (msg) {
    case GUIMSG_KEY:
      if (const TQueueChar* key = KeyTaken(d)) Key(*key);
      return 0;
    case GUIMSG_MOUSE:
      return BarsTakeMouse(m_Reserve ? m_pScrollBar : nullptr, nullptr, a, b, c) ? 1 : EditMouse(a, b, c);
    case GUIMSG_SLIDER:
      if (!m_pScrollBar || b != m_Id) return 0;
      Scrolled();
      m_Focused = m_FocusRequested;
      Invalidate();
      return 0;
    case GUIMSG_FOCUS:
      FocusMessage(c);
      return 0;
    case GUIMSG_HELD:
    case GUIMSG_COMMAND:
    case GUIMSG_HIGHLIGHT:
      if (m_pScrollBar && b >= m_Id + 10000 && b <= m_Id + 10002) m_pScrollBar->GuiMsgHandler(msg, a, b, c, d);
      Validate();
      m_Focused = m_FocusRequested;
      Invalidate();
      return 1;
    default:
      return 0;
  }
}

// --- Keys ---

void CEdit::Key(const TQueueChar& key) {
  ClampCaret();
  const bool readOnly = (m_Flags & CNTRL_READONLY) != 0;
  const bool multi = MultiLine();
  const uint16_t code = key.m_Code;
  switch (code) {
    case XKEY_BSPACE:
      if (readOnly || m_Caret == 0) break;
      --m_Caret;
      if (!multi && m_Caret < m_FirstVisible) --m_FirstVisible;
      DeleteAtCaret();
      break;
    case XKEY_DELETE:
      if (!readOnly) DeleteAtCaret();
      break;
    case XKEY_HOME:
      if (!readOnly) m_Caret = 0;
      break;
    case XKEY_END:
      if (!readOnly) m_Caret = Length();
      break;
    case XKEY_LEFT:
      if (m_Caret > 0) {
        --m_Caret;
        if (!multi && m_Caret < m_FirstVisible) --m_FirstVisible;
      }
      break;
    case XKEY_RIGHT:
      if (m_Caret < Length()) ++m_Caret;
      break;
    default:
      if (readOnly) break;
      // The window hears the key first, refused or not.
      SendKeyMessage(key);
      ClampCaret();
      Insert(code);
      break;
  }
  if (multi)
    FollowCaretMultiLine(code);
  else
    FollowCaretOneLine();
  Validate();
}

int32_t CEdit::Insert(uint16_t code) {
  if (code == XKEY_SHIFT || code == XKEY_UP || code == XKEY_DOWN || code == XKEY_TAB || code == XKEY_ENTER ||
      code >= 256 || code < 32)
    return 0;
  const char ch = static_cast<char>(code);
  if ((m_Flags & CNTRL_NUMERIC) && (ch < '0' || ch > '9')) return 0;
  if (m_pValid && !std::memchr(m_pValid, ch, std::strlen(m_pValid))) return 0;
  if (!EnsureBuffer()) return 0;
  const int32_t length = Length();
  m_Caret = std::clamp(m_Caret, 0, length);
  if (ch == ' ' && (m_Flags & CNTRL_TRIMLEFT) && m_Caret == 0) return 0;
  if (ch == ' ' && (m_Flags & CNTRL_TRIMRIGHT) && m_Caret == length) return 0;
  if (length >= m_MaxLength || int64_t{length} + 2 > m_BufferSize) return 0;
  char* at = m_pText + m_Caret;
  std::memmove(at + 1, at, static_cast<size_t>(length - m_Caret) + 1);
  *at = ch;
  ++m_Caret;
  MarkChanged();
  return 1;
}

int32_t CEdit::DeleteAtCaret() {
  if (!m_pText) return 0;
  int32_t length = Length();
  bool changed = false;
  if (m_Caret < length) {
    std::memmove(m_pText + m_Caret, m_pText + m_Caret + 1, static_cast<size_t>(length - m_Caret));
    --length;
    changed = true;
  }
  if ((m_Flags & CNTRL_TRIMLEFT) && m_Caret == 0) {
    int32_t spaces = 0;
    while (spaces < length && m_pText[spaces] == ' ') ++spaces;
    if (spaces > 0) {
      std::memmove(m_pText, m_pText + spaces, static_cast<size_t>(length - spaces) + 1);
      length -= spaces;
      changed = true;
    }
  }
  if ((m_Flags & CNTRL_TRIMRIGHT) && m_Caret >= length) {
    while (length > 0 && m_pText[length - 1] == ' ') {
      m_pText[--length] = '\0';
      changed = true;
    }
    m_Caret = length;
  }
  if (changed) MarkChanged();
  return changed ? 1 : 0;
}

void CEdit::FollowCaretOneLine() {
  FormatText();
  m_Metrics.Use(m_Look.m_pFont);
  // Home and a shortened text leave the view behind the caret: it comes back to it.
  m_FirstVisible = std::min(m_FirstVisible, m_Caret);
  const bool stars = (m_Flags & CNTRL_PASSWORD) != 0;
  auto width = [&](int32_t i) -> int64_t {
    return m_Metrics.Width(stars ? uint8_t{'*'} : static_cast<uint8_t>(m_pText[i]));
  };
  if (!m_pText) return;
  int64_t w = CaretWidth();
  for (int32_t i = m_FirstVisible; i < m_Caret; ++i) w += width(i);
  while (w > m_Width && m_FirstVisible < m_Caret) w -= width(m_FirstVisible++);
}
