// A panel that groups controls of the same window: they move, change state and redraw with it.
// The children are not owned (the dialog owns them).
#pragma once

#include <vector>

#include "ostrel/controls/controlbase.h"

// Moves a control by (dx, dy).
void xMoveControl(CControlBase* control, int32_t dx, int32_t dy);
// Puts a child of a container-like control (container, menu) into the parent's window after it,
// keeping its place in client coordinates.
void xAddChildToWindow(CWindowBase* window, CControlBase* child);

class CControlContainer : public CControlBase {
 public:
  using CControlBase::Create;
  // The text is not kept.
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height, int16_t hotKey,
                 uint32_t flags);
  // The child's own position counts from the container's top-left corner.
  int32_t Add(CControlBase* child);
  int32_t Remove(CControlBase* child);
  const std::vector<CControlBase*>& GetChildIterator() const { return m_Children; }

  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t SetState(int32_t s) override;
  int32_t Validate() override;
  int32_t Validate(CRect* area, int32_t index) override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;

 private:
  std::vector<CControlBase*> m_Children;
};
