// A box that the player ticks and unticks (state 6 checked, 7 not checked).
#pragma once

#include "ostrel/controls/toggle.h"

class CCheckbox : public CToggleBase {
 public:
  using CControlBase::Create;
  // captionOffset: the side of the box and where the caption starts; 0 gives the button look.
  int32_t Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t captionOffset, int16_t hotKey, uint32_t flags);
  // Toggles on the press (once per press) and on the hot key; sends 6 or 7, and 2 when the hot
  // key is released.
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  // The other box's caption into this one's, then the base part.
  int32_t Copy(CControlBase* other) override;
};
