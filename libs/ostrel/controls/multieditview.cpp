// The multi-line edit's input routing, view and drawing.
#include <algorithm>
#include <string>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keyboard.h"

int32_t CMultiEdit::TextLeft() const { return m_X + ((m_Flags & CNTRL_EXTRUDED) ? m_Look.m_Bevel : 0) + 2; }
int32_t CMultiEdit::TextTop() const { return m_Y + ((m_Flags & CNTRL_EXTRUDED) ? m_Look.m_Bevel : 0) + 2; }

void CMultiEdit::TimerHandler(uint32_t period) {
  CControlBase::TimerHandler(period);
  if (period != EDIT_CARET_PERIOD) return;
  m_CaretShown ^= 1;
  if (m_Focused && m_State != XGUI_RELEASED) Validate();
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
    m_pVBar->SetPos(m_X + m_TextWidth, m_Y);
    m_pVBar->SetSize(m_BarWidth, m_TextHeight);
  }
  if (m_pHBar) {
    m_pHBar->SetPos(m_X, m_Y + m_TextHeight);
    m_pHBar->SetSize(m_TextWidth, m_BarWidth);
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

int32_t CMultiEdit::SetState(int32_t s) {
  const int32_t result = CControlBase::SetState(s);
  if (result && m_State == XGUI_RELEASED) {
    m_Focused = m_FocusRequested = 0;
    if (!(m_Flags & CNTRL_ALPHA)) xGuiAddClearAreaGui(ScreenRect());
    Validate();
  }
  return result;
}

int32_t CMultiEdit::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  switch (msg) {
    case GUIMSG_KEY: {
      const auto* key = static_cast<const TQueueChar*>(d);
      if (key && m_State == XGUI_HIGHLIGHT && m_Focused && (key->m_Flags & XKEYF_PRESSED)) Key(*key);
      return 0;
    }
    case GUIMSG_MOUSE:
      return Mouse(a, b, c);
    case GUIMSG_SLIDER:
      if (b == MULTIEDIT_VSLIDER_ID && m_pVBar) {
        // The caret stays on its line; its row moves the other way.
        m_Upper = std::max(0, xEditSliderGetValue(m_pVBar) - 1);
        if (!SetLine(m_Line, 1)) m_Line = std::max(0, GetNumRows() - 1);
      } else if (b == MULTIEDIT_HSLIDER_ID && m_pHBar) {
        m_Offset = std::clamp(xEditSliderGetValue(m_pHBar) - 1, 0, m_LineSize - 1);
      } else {
        return 0;
      }
      Validate();
      return 0;
    case GUIMSG_FOCUS:
      m_FocusRequested = c == 1 ? 1 : 0;
      m_RequestedState = c == 1 ? XGUI_HIGHLIGHT : XGUI_RELEASED;
      if (m_FocusRequested != m_Focused) {
        if (!(m_Flags & CNTRL_ALPHA)) xGuiAddClearAreaGui(ScreenRect());
        Validate();
      }
      m_Focused = m_FocusRequested;
      Invalidate();
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

int32_t CMultiEdit::Mouse(int32_t a, int32_t b, int32_t c) {
  for (CControlBase* bar : {m_pVBar, m_pHBar}) {
    if (bar && bar->GuiMsgHandler(GUIMSG_MOUSE, a, b, c, nullptr)) {
      m_Press = 0;
      return 1;
    }
  }
  int32_t result = 0;
  const bool down = (c & 1) != 0;
  if (m_Rect.IsPntInRect(a, b)) {
    if (m_State != XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      result = 1;
    }
    if (!m_Press && !down) {
      m_Press = 1;
    } else if (m_Press == 1 && down) {
      if (m_State != XGUI_PRESSED) Notify(GUIMSG_HELD);
      if (m_pParent && m_pParent->GetFocus() != this) m_pParent->SetFocus(this);
      m_RequestedState = XGUI_PRESSED;
      m_FocusRequested = 1;
      Clamp();
      m_Metrics.Use(m_Look.m_pFont);
      const int32_t row = std::min(std::max(0, b - TextTop()) / m_Metrics.LineAdvance(), std::max(0, m_VisibleLines - 1));
      if (!SetLine(m_Upper + row, 1) && GetNumRows() > 0) SetLine(GetNumRows() - 1, 1);
      if (!m_Rows.empty()) {
        const char* line = Line(m_Line);
        const int32_t n = LineLength(m_Line);
        const int64_t distance = int64_t{a} - TextLeft();
        int64_t sum = 0;
        int32_t i = m_Offset;
        for (; i < n; ++i) {
          const int32_t w = m_Metrics.Width(static_cast<uint8_t>(line[i]));
          if (sum + w > distance) break;
          sum += w;
        }
        m_Caret = std::min(i, n);
      }
      result = 1;
    } else if (m_Press == 1 && !down && m_State == XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      Notify(GUIMSG_COMMAND);
      result = 1;
    }
  } else if (m_Press != 2) {
    if (m_State == XGUI_PRESSED) {
      m_RequestedState = XGUI_HIGHLIGHT;
      result = 1;
    }
    if (down) {
      if (m_State == XGUI_HIGHLIGHT && !m_Press) {
        m_RequestedState = XGUI_RELEASED;
        m_FocusRequested = 0;
      }
    } else if (m_State == XGUI_HIGHLIGHT) {
      m_Press = 0;
    } else if (m_State == XGUI_RELEASED) {
      m_Press = 0;
      m_FocusRequested = 0;
    }
  }
  if (m_FocusRequested != m_Focused) {
    if (!(m_Flags & CNTRL_ALPHA) && m_RequestedState != XGUI_RELEASED) xGuiAddClearAreaGui(ScreenRect());
    Validate();
  }
  m_Focused = m_FocusRequested;
  Invalidate();
  return result;
}

int32_t CMultiEdit::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  const int32_t sx = x + m_X, sy = y + m_Y;
  const bool disabled = m_State == XGUI_DISABLED;
  TCntrlColor* set = m_Look.m_pColors[disabled ? LOOK_DISABLED : LOOK_NORMAL];
  const int32_t inset = (m_Flags & CNTRL_EXTRUDED) ? m_Look.m_Bevel : 0;
  xGuiPushClip();
  if (set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[2]);
  if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
  if ((m_Flags & CNTRL_EXTRUDED) && set) xDrawSunkenBevel(sx, sy, m_Width, m_Height, m_Look.m_Bevel, set);
  if (m_Flags & CNTRL_HASBITMAP) DrawBitmap(m_Look.m_pBitmaps[disabled ? LOOK_DISABLED : LOOK_NORMAL], sx, sy);
  CRect area;
  area.SetXYWH(sx + inset, sy + inset, m_TextWidth - 2 * inset, m_TextHeight - 2 * inset);
  xGuiSetSubClip(area);
  m_Metrics.Use(m_Look.m_pFont);
  const int32_t tx = x + TextLeft(), ty = y + TextTop(), advance = m_Metrics.LineAdvance();
  for (int32_t k = 0; k < m_VisibleLines && m_Upper + k < GetNumRows(); ++k) {
    const int32_t i = m_Upper + k;
    const char* line = Line(i);
    const int32_t n = LineLength(i);
    // Only what fits is laid out; a line shorter than the offset shows nothing.
    std::string shown;
    int64_t width = 0;
    for (int32_t j = m_Offset; j < n && width <= m_TextWidth; ++j) {
      shown.push_back(line[j]);
      width += m_Metrics.Width(static_cast<uint8_t>(line[j]));
    }
    const TRGBA* colour = m_Rows[static_cast<size_t>(i)].m_pColor;
    if (!shown.empty())
      xGuiDrawText(m_Look.m_pFont, shown.c_str(), tx, ty + k * advance, 32767, m_Metrics.FontHeight(),
                   colour ? colour : &m_Look.m_TextColor, TEXT_SINGLELINE);
  }
  const int32_t row = m_Line - m_Upper;
  if (m_Focused && m_CaretShown && m_pCaret && row >= 0 && row < m_VisibleLines && !m_Rows.empty()) {
    const int64_t cx = m_Metrics.Width(Line(m_Line), std::min(m_Offset, m_Caret), m_Caret);
    if (cx <= m_TextWidth)
      xGuiDrawBitmap(m_pCaret, 0, 0, tx + static_cast<int32_t>(cx), ty + row * advance, m_pCaret->m_Width,
                     m_pCaret->m_Height, 0);
  }
  xGuiPopClip();
  CControlBase::Draw(x, y, mode);
  for (CControlBase* bar : {m_pVBar, m_pHBar})
    if (bar) bar->Draw(x, y, mode);
  return 1;
}
