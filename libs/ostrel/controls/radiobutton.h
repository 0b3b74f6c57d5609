// One choice of a set: the radio button checks itself when chosen and asks its group box to
// clear the others; only its group (or SetState) unchecks it.
#pragma once

#include "ostrel/controls/toggle.h"

class CGroupbox;

class CRadiobutton : public CToggleBase {
 public:
  using CControlBase::Create;
  using CControlBase::SetParent;
  CRadiobutton() = default;
  // Leaves its group.
  ~CRadiobutton() override;
  int32_t Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t captionOffset, int16_t hotKey, uint32_t flags);
  // The window, and the group that holds the button (or null).
  int32_t SetParent(int32_t windowId, CWindowBase* window, CGroupbox* group);
  // The caption learns the window too; the group stays.
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  // Message 7 comes from the group; a press or the hot key chooses the button.
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  // Becoming checked clears the other buttons of the group.
  int32_t SetState(int32_t s) override;
  CGroupbox* GetGroup() const { return m_pGroup; }
  void SetGroup(CGroupbox* group) { m_pGroup = group; }

 private:
  void Choose();
  CGroupbox* m_pGroup = nullptr;
};
