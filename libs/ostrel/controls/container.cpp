#include "ostrel/controls/container.h"

#include <algorithm>

#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"

int32_t CControlContainer::Create(int32_t id, const char*, int32_t x, int32_t y, int32_t width, int32_t height,
                                  int16_t hotKey, uint32_t flags) {
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  SetSize(width, height);
  SetHotkey(hotKey);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, false, -1);
  return 1;
}

void xMoveControl(CControlBase* control, int32_t dx, int32_t dy) {
  int32_t x = 0, y = 0;
  control->GetPos(x, y);
  control->SetPos(x + dx, y + dy);
}

void xAddChildToWindow(CWindowBase* window, CControlBase* child) {
  // The child keeps its place against its parent, which stands in the client area already;
  // AddCntrl moves a control into the client area, so the child is moved back by as much first.
  window->RemoveCntrl(child);
  int32_t dx = 0, dy = 0;
  window->ClientOffset(dx, dy);
  xMoveControl(child, -dx, -dy);
  window->AddCntrl(child, ADDCNTRL_LAST);
}

int32_t CControlContainer::Add(CControlBase* child) {
  if (!child || child == this) return 0;
  m_Children.push_back(child);
  xMoveControl(child, m_X, m_Y);
  // The container stands in client coordinates already: so does the child.
  if (m_pParent) xAddChildToWindow(m_pParent, child);
  return 1;
}

int32_t CControlContainer::Remove(CControlBase* child) {
  auto it = std::find(m_Children.begin(), m_Children.end(), child);
  if (it == m_Children.end()) return 0;
  m_Children.erase(it);
  if (m_pParent) m_pParent->RemoveCntrl(child);
  return 1;
}

int32_t CControlContainer::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  if (!window) return 1;
  for (CControlBase* child : m_Children) xAddChildToWindow(m_pParent, child);
  return 1;
}

int32_t CControlContainer::SetState(int32_t s) {
  for (CControlBase* child : m_Children) child->SetState(s);
  return CControlBase::SetState(s);
}

int32_t CControlContainer::Validate() {
  for (CControlBase* child : m_Children) child->Validate();
  return CControlBase::Validate();
}

int32_t CControlContainer::Validate(CRect* area, int32_t index) {
  for (CControlBase* child : m_Children) child->Validate(area, index);
  return CControlBase::Validate(area, index);
}

int32_t CControlContainer::SetPos(int32_t x, int32_t y) {
  const int32_t dx = x - m_X;
  const int32_t dy = y - m_Y;
  for (CControlBase* child : m_Children) xMoveControl(child, dx, dy);
  return CControlBase::SetPos(x, y);
}

int32_t CControlContainer::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return 1;
  DrawButtonFace(x + m_X, y + m_Y, true);
  return CControlBase::Draw(x, y, mode);
}

int32_t CControlContainer::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t, void* d) {
  return StaticInput(msg, a, b, d, false);
}
