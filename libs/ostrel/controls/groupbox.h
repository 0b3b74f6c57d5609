// Holds a set of radio buttons so that choosing one clears the others. The buttons are not
// owned (the dialog owns them) and are not in the window's list: the group passes them the
// mouse and the keys and draws them.
#pragma once

#include <vector>

#include "ostrel/controls/controlbase.h"

class CRadiobutton;

class CGroupbox : public CControlBase {
 public:
  using CControlBase::Create;
  CGroupbox() = default;
  // The buttons forget the group.
  ~CGroupbox() override;
  // The text is stored, not drawn.
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
  // The button's position counts from the group's; the first button added is checked. Returns
  // the button's place in the list (1 for the first), 0 for null.
  int32_t Add(CRadiobutton* button);
  int32_t Remove(CRadiobutton* button);
  // The id of the first checked button, -1 when none is.
  int32_t GetSelected() override;
  // 1 when a button had the id: those are checked, all others not.
  int32_t SetSelected(int32_t id) override;

  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t Validate() override;
  // Its own area and its buttons'; always 1.
  int32_t Validate(CRect* area, int32_t index) override;
  int32_t ClearClipListIndex() override;

  const std::vector<CRadiobutton*>& GetButtons() const { return m_Buttons; }
  TCntrlColor* GetCurrentColors() const { return m_pCurrent; }

 private:
  std::vector<CRadiobutton*> m_Buttons;
  TCntrlColor* m_pCurrent = nullptr;  // the group's set, or that of the button under the mouse
};
