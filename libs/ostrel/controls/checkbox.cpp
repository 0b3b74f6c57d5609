#include "ostrel/controls/checkbox.h"

#include "ostrel/controls/static.h"

int32_t CCheckbox::Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                          int32_t captionOffset, int16_t hotKey, uint32_t flags) {
  CreateToggle(id, caption, x, y, width, height, captionOffset, hotKey, flags);
  return 1;
}

int32_t CCheckbox::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  CControlBase::GuiMsgHandler(msg, a, b, c, d);
  if (m_State == XGUI_DISABLED || (m_Flags & CNTRL_READONLY)) return 0;
  if (msg == GUIMSG_KEY) {
    bool down = false;
    if (!IsHotKey(d, down)) return 0;
    if (down) {
      m_RequestedState = m_RequestedState == XGUI_CHECKED ? XGUI_UNCHECKED : XGUI_CHECKED;
      Notify(m_RequestedState);
      m_Press = 2;
    } else if (m_Press == 2) {
      Notify(GUIMSG_COMMAND);
      m_Press = 0;
    }
    Invalidate();
    return 1;
  }
  if (msg != GUIMSG_MOUSE) return 0;
  int32_t result = m_pCaption && m_pCaption->GuiMsgHandler(msg, a, b, c, d) ? 1 : 0;
  const int32_t track = TrackMouse(a, b, c);
  if (track & TRACK_INSIDE) result = 1;
  if (track & TRACK_PRESS) {
    // A state that is neither (2 after the window was enabled) counts as not checked.
    m_RequestedState = m_State == XGUI_CHECKED ? XGUI_UNCHECKED : XGUI_CHECKED;
    Notify(m_RequestedState);
  }
  Invalidate();
  return result;
}

int32_t CCheckbox::SetParent(int32_t windowId, CWindowBase* window) {
  if (m_pCaption) m_pCaption->SetParent(windowId, window);
  return CControlBase::SetParent(windowId, window);
}

int32_t CCheckbox::Copy(CControlBase* other) {
  auto* box = dynamic_cast<CCheckbox*>(other);
  if (box && box != this && m_pCaption && box->m_pCaption) m_pCaption->Copy(box->m_pCaption);
  return CControlBase::Copy(other);
}
