// The multi-line edit's input routing, view and drawing.
#include <algorithm>
#include <string>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

int32_t CMultiEdit::SetFont(CFont* font, const TRGBA* colour) {
  CControlBase::SetFont(font, colour);
  SetSize(m_Width, m_Height);
  return 1;
}

int32_t CMultiEdit::SetPos(int32_t x, int32_t y) {
  CControlBase::SetPos(x, y);
  PlaceBars();
  return 1;
}

int32_t CMultiEdit::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  m_Metrics.Use(m_Look.m_pFont);
  m_TextWidth = width - (m_pVBar ? m_BarWidth : 0);
  m_TextHeight = height - (m_pHBar ? m_BarWidth : 0);
  m_VisibleLines = std::max(0, m_TextHeight) / m_Metrics.LineAdvance();
  PlaceBars();
  SetVerticalRange();
  return 1;
}

void CMultiEdit::PlaceBars() {
  // Each bar keeps to its edge and the length of the text area.
  if (m_pVBar) {
    xPlaceControl(m_pVBar, m_X + m_TextWidth, m_Y, m_BarWidth, m_TextHeight);
  }
  if (m_pHBar) {
    xPlaceControl(m_pHBar, m_X, m_Y + m_TextHeight, m_TextWidth, m_BarWidth);
  }
}

int32_t CMultiEdit::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  for (CControlBase* bar : {m_pVBar, m_pHBar})
    if (bar) bar->SetParent(windowId, window);
  return 1;
}

int32_t CMultiEdit::ClearClipListIndex() {
  CControlBase::ClearClipListIndex();
  for (CControlBase* bar : {m_pVBar, m_pHBar})
    if (bar) bar->ClearClipListIndex();
  return 1;
}

int32_t CMultiEdit::Validate() {
  CControlBase::Validate();
  for (CControlBase* bar : {m_pVBar, m_pHBar})
    if (bar) bar->Validate();
  return 1;
}

int32_t CMultiEdit::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  switch (msg) {
    case GUIMSG_KEY:
      if (const TQueueChar* key = KeyTaken(d)) Key(*key);
      return 0;
    case GUIMSG_MOUSE:
      return BarsTakeMouse(m_pVBar, m_pHBar, a, b, c) ? 1 : EditMouse(a, b, c);
    case GUIMSG_SLIDER:
      if (b == MULTIEDIT_VSLIDER_ID && m_pVBar) {
        // The caret stays on its line; its row moves the other way.
        m_Upper = std::max(0, xEditSliderGetValue(m_pVBar) - 1);
        if (!SetLine(m_Line, 1)) m_Line = std::max(0, GetNumRows() - 1);
        Clamp();
      } else if (b == MULTIEDIT_HSLIDER_ID && m_pHBar) {
        m_Offset = std::clamp(xEditSliderGetValue(m_pHBar) - 1, 0, m_LineSize - 1);
      } else {
        return 0;
      }
      Validate();
      return 0;
    case GUIMSG_FOCUS:
      FocusMessage(c);
      return 0;
    case GUIMSG_HELD:
    case GUIMSG_COMMAND:
    case GUIMSG_HIGHLIGHT: {
      const int32_t v = MULTIEDIT_VSLIDER_ID + 10000, h = MULTIEDIT_HSLIDER_ID + 10000;
      if (m_pVBar && b >= v && b <= v + 2) m_pVBar->GuiMsgHandler(msg, a, b, c, d);
      if (m_pHBar && b >= h && b <= h + 2) m_pHBar->GuiMsgHandler(msg, a, b, c, d);
      Validate();
      return 1;
    }
    default:
      return 0;
  }
}

void CMultiEdit::PlaceCaretAt(int32_t x, int32_t y) {
  Clamp();
  m_Metrics.Use(m_Look.m_pFont);
  const int32_t row = std::min(std::max(0, y - TextTop()) / m_Metrics.LineAdvance(), std::max(0, m_VisibleLines - 1));
  if (!SetLine(m_Upper + row, 1) && GetNumRows() > 0) SetLine(GetNumRows() - 1, 1);
  if (m_Rows.empty()) return;
  const char* line = Line(m_Line);
  const int32_t n = LineLength(m_Line);
  const int64_t distance = int64_t{x} - TextLeft();
  int64_t sum = 0;
  int32_t i = m_Offset;
  for (; i < n; ++i) {
    const int32_t w = m_Metrics.Width(static_cast<uint8_t>(line[i]));
    if (sum + w > distance) break;
    sum += w;
  }
  m_Caret = std::min(i, n);
}

int32_t CMultiEdit::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  DrawFace(x + m_X, y + m_Y, m_TextWidth, m_TextHeight);
  const int32_t tx = x + TextLeft(), ty = y + TextTop(), advance = m_Metrics.LineAdvance();
  // A line shorter than the offset shows nothing.
  for (int32_t k = 0; k < m_VisibleLines && m_Upper + k < GetNumRows(); ++k) {
    const int32_t i = m_Upper + k;
    const TRGBA* colour = m_Rows[static_cast<size_t>(i)].m_pColor;
    DrawRun(Line(i), m_Offset, LineLength(i), false, tx, ty + k * advance, m_TextWidth,
            colour ? colour : &m_Look.m_TextColor);
  }
  const int32_t row = m_Line - m_Upper;
  if (row >= 0 && row < m_VisibleLines && !m_Rows.empty()) {
    const int32_t caret = std::min(m_Caret, LineLength(m_Line));
    const int64_t cx = m_Metrics.Width(Line(m_Line), std::min(m_Offset, caret), caret);
    if (cx <= m_TextWidth) DrawCaret(tx + static_cast<int32_t>(cx), ty + row * advance);
  }
  xGuiPopClip();
  CControlBase::Draw(x, y, mode);
  for (CControlBase* bar : {m_pVBar, m_pHBar})
    if (bar) bar->Draw(x, y, mode);
  return 1;
}
