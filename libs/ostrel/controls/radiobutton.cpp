#include "ostrel/controls/radiobutton.h"

#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/winctrl.h"

CRadiobutton::~CRadiobutton() {
  if (m_pGroup) m_pGroup->Remove(this);
}

int32_t CRadiobutton::Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                             int32_t captionOffset, int16_t hotKey, uint32_t flags) {
  CreateToggle(id, caption, x, y, width, height, captionOffset, hotKey, flags);
  // Round, with a dot when chosen: the look's pictures where it has them.
  CWinCtrl* wc = xWinCtrl();
  m_pRound = wc && wc->GetDefaultRadio()[0] ? wc->GetDefaultRadio() : nullptr;
  m_pGroup = nullptr;
  m_ValidateCaption = 1;
  return 1;
}

int32_t CRadiobutton::SetParent(int32_t windowId, CWindowBase* window, CGroupbox* group) {
  m_pGroup = group;
  return SetParent(windowId, window);
}

int32_t CRadiobutton::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  if (m_pCaption) m_pCaption->SetParent(windowId, window);
  return 1;
}

void CRadiobutton::Choose() {
  m_RequestedState = XGUI_CHECKED;
  // The others are cleared first, so the window hears their 7 before this one's 6.
  if (m_pGroup) m_pGroup->GuiMsgHandler(GUIMSG_RADIOCHOSEN, m_WindowId, m_Id, 1, nullptr);
  Notify(GUIMSG_CHECKED);
}

int32_t CRadiobutton::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED) return 0;
  switch (msg) {
    case GUIMSG_UNCHECKED:
      m_RequestedState = XGUI_UNCHECKED;
      m_Toggled = 0;
      Notify(GUIMSG_UNCHECKED);
      // At once: a group that is asked for its choice meanwhile must not see two.
      Invalidate();
      return 1;
    case GUIMSG_MOUSE: {
      const int32_t track = TrackMouse(a, b, c);
      // A press on a checked button changes nothing and tells nobody.
      if ((track & TRACK_PRESS) && m_State != XGUI_CHECKED) Choose();
      Invalidate();
      return (track & (TRACK_PRESS | TRACK_RELEASE)) ? 1 : 0;
    }
    case GUIMSG_KEY: {
      bool down = false;
      if (!IsHotKey(d, down) || !down) return 0;
      Choose();
      Invalidate();
      return 1;
    }
    default:
      return 0;
  }
}

int32_t CRadiobutton::SetState(int32_t s) {
  if (!CControlBase::SetState(s)) return 0;
  // Only a button that became checked clears the others: one that was unchecked must not
  // clear the button just chosen (as CGroupbox::SetSelected does in turn).
  if (m_State == XGUI_CHECKED && m_pGroup) m_pGroup->GuiMsgHandler(GUIMSG_RADIOCHOSEN, m_WindowId, m_Id, 1, nullptr);
  return 1;
}
