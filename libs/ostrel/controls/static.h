// Static text or picture; title-bar and check-box captions are statics.
#pragma once

#include "ostrel/controls/controlbase.h"

class CStatic : public CControlBase {
 public:
  using CControlBase::Create;
  // Id 1004 (a dialog sets its own), bevel 1, no hot key.
  int32_t Create(const char* text, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
  int32_t SetDefault() override;
  // Takes the mouse while it is inside, so a static over another control shields it.
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
};

