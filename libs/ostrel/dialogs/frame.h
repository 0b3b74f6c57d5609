// The frame of a window: drawn like a static over the window's area, bevelled with XWIN_BORDER,
// see-through with XWIN_ALPHA; it takes the mouse over the window unless it is a plain
// transparent frame.
#pragma once

#include "ostrel/controls/controlbase.h"

class CFrame : public CControlBase {
 public:
  using CControlBase::Create;
  // Id 1003, bevel 2, at the window's origin with the window's size; places the window's title
  // bar inside it.
  int32_t Create(const char* text, int32_t width, int32_t height, CWindowBase* window);
  int32_t SetDefault() override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t SetSize(int32_t width, int32_t height) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
};
