#include "ostrel/controls/groupbox.h"

#include <algorithm>

#include "ostrel/controls/bevel.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

namespace {
TCntrlColor* GroupColors() {
  CWinCtrl* wc = xWinCtrl();
  return wc ? wc->GetDefaultFourth()[0] : nullptr;
}
}  // namespace

CGroupbox::~CGroupbox() {
  for (CRadiobutton* b : m_Buttons) b->SetGroup(nullptr);
}

int32_t CGroupbox::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                          uint32_t flags) {
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  SetSize(width, height);
  SetHotkey(0);
  m_Look.m_Bevel = 2;
  SetText(text);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultFrame() : nullptr, false, -1);
  m_pCurrent = GroupColors();
  return 1;
}

int32_t CGroupbox::Add(CRadiobutton* button) {
  if (!button || std::find(m_Buttons.begin(), m_Buttons.end(), button) != m_Buttons.end()) return 0;
  if (m_pParent)
    button->SetParent(m_WindowId, m_pParent, this);
  else
    button->SetGroup(this);  // so that it clears the others before the group has a window
  xMoveControl(button, m_X, m_Y);
  m_Buttons.push_back(button);
  if (m_Buttons.size() == 1) button->SetState(XGUI_CHECKED);
  return static_cast<int32_t>(m_Buttons.size());
}

int32_t CGroupbox::Remove(CRadiobutton* button) {
  auto it = std::find(m_Buttons.begin(), m_Buttons.end(), button);
  if (it == m_Buttons.end()) return 0;
  m_Buttons.erase(it);
  if (button->GetGroup() == this) button->SetGroup(nullptr);
  return 1;
}

int32_t CGroupbox::GetSelected() {
  for (CRadiobutton* b : m_Buttons)
    if (b->GetState() == XGUI_CHECKED) return b->GetID();
  return -1;
}

int32_t CGroupbox::SetSelected(int32_t id) {
  int32_t found = 0;
  // The others first, so that the chosen one is not cleared after it was checked.
  for (CRadiobutton* b : m_Buttons)
    if (b->GetID() != id) b->SetState(XGUI_UNCHECKED);
  for (CRadiobutton* b : m_Buttons)
    if (b->GetID() == id) {
      b->SetState(XGUI_CHECKED);
      found = 1;
    }
  return found;
}

int32_t CGroupbox::SetPos(int32_t x, int32_t y) {
  const int32_t dx = x - m_X;
  const int32_t dy = y - m_Y;
  for (CRadiobutton* b : m_Buttons) xMoveControl(b, dx, dy);
  return CControlBase::SetPos(x, y);
}

int32_t CGroupbox::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  for (CRadiobutton* b : m_Buttons) b->SetParent(windowId, window, this);
  return 1;
}

int32_t CGroupbox::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED) return 0;
  // Buttons may be removed by a callback meanwhile: walk a copy.
  const std::vector<CRadiobutton*> buttons = m_Buttons;
  if (msg == GUIMSG_KEY) {
    for (CRadiobutton* button : buttons) button->GuiMsgHandler(msg, a, b, c, d);
    const auto* k = static_cast<const TQueueChar*>(d);
    if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
    if (k->m_Flags & XKEYF_PRESSED) {
      m_Press = 2;
      m_RequestedState = XGUI_RELEASED;
    } else if (m_Press == 2) {
      m_Press = 0;
    }
    Invalidate();
    return 1;
  }
  if (msg == GUIMSG_RADIOCHOSEN) {
    for (CRadiobutton* button : buttons)
      if (button->GetID() != b) button->GuiMsgHandler(GUIMSG_UNCHECKED, a, button->GetID(), 0, nullptr);
    return 1;
  }
  if (msg != GUIMSG_MOUSE) return 0;
  for (CRadiobutton* button : buttons) {
    if (button->GuiMsgHandler(msg, a, b, c, d) == 1) {
      m_pCurrent = button->GetLook().m_pColors[LOOK_NORMAL];
      return 1;
    }
  }
  m_pCurrent = GroupColors();
  const bool inside = m_Rect.IsPntInRect(a, b);
  const bool down = (c & 1) != 0;
  int32_t result = 0;
  if (!inside) {
    if (!down && m_State == XGUI_PRESSED) {
      m_Press = 0;
      m_RequestedState = XGUI_RELEASED;
    }
  } else if (down) {
    if (m_Press == 0) m_Press = 1;
    if (m_Press == 1) result = 1;
  } else if (m_Press == 1) {
    if (m_State == XGUI_PRESSED) {
      m_RequestedState = XGUI_RELEASED;
      result = 1;
    }
    m_Press = 0;
  }
  const bool active = !m_pParent || m_pParent->IsActive() || (m_pParent->GetFlags() & XWIN_HIGHLIGHTIFINACTIVE);
  if (!active && m_RequestedState == XGUI_HIGHLIGHT) {
    m_RequestedState = XGUI_RELEASED;
    m_Press = 0;
  }
  Invalidate();
  return result;
}

int32_t CGroupbox::Draw(int32_t x, int32_t y, int32_t mode) {
  const int32_t drawn = IsSkipped(mode) ? 0 : 1;
  if (drawn && m_State != XGUI_HIDDEN) {
    const int32_t sx = x + m_X;
    const int32_t sy = y + m_Y;
    const TCntrlColor* set = nullptr;
    switch (m_State) {
      case XGUI_PRESSED: set = m_Look.m_pColors[LOOK_PRESSED]; break;
      case XGUI_HIGHLIGHT: set = m_Look.m_pColors[LOOK_HIGHLIGHT]; break;
      case XGUI_DISABLED: set = m_Look.m_pColors[LOOK_DISABLED]; break;
      default: set = m_Look.m_pColors[LOOK_NORMAL];
    }
    xGuiPushClip();
    if (set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[4]);
    if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
    if ((m_Flags & CNTRL_EXTRUDED) && set) xDrawFlatFrame(sx, sy, m_Width, m_Height, set->m_Col[1], set->m_Col[0]);
    if (m_Flags & CNTRL_HASBITMAP)
      if (CBitmap* bm = StateBitmap()) DrawBitmap(bm, sx, sy);
    xGuiPopClip();
    CControlBase::Draw(x, y, mode);
  }
  for (CRadiobutton* button : m_Buttons) button->Draw(x, y, mode);
  return drawn;
}

int32_t CGroupbox::Validate() {
  for (int32_t mode = 0; mode < 3; ++mode) SetSkipMark(mode, 0);
  for (CRadiobutton* b : m_Buttons) b->Validate();
  return CControlBase::Validate();
}

int32_t CGroupbox::Validate(CRect* area, int32_t index) {
  // The window draws a control once per area in its clip list: with none the group and its
  // buttons would never show.
  for (CRadiobutton* b : m_Buttons) b->Validate(area, index);
  CControlBase::Validate(area, index);
  return 1;
}

int32_t CGroupbox::ClearClipListIndex() {
  for (CRadiobutton* b : m_Buttons) b->ClearClipListIndex();
  return CControlBase::ClearClipListIndex();
}
