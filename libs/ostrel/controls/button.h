// Push buttons (OK and Cancel of every dialog, the close box of title bars) and drag buttons,
// which stay held while the mouse button is down (the thumb and arrows of sliders).
#pragma once

#include "ostrel/controls/controlbase.h"

class CButton : public CControlBase {
 public:
  using CControlBase::Create;
  // Bevel 1, the default button look (or the registered template's), not held.
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height, int16_t hotKey,
                 uint32_t flags);
  // Registers this button as the template of new buttons.
  int32_t SetDefault() override;
  // Sends 1 while held, 2 when a press ends inside, 3 on entering, 20 on leaving.
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;

 protected:
  // The mouse at (x, y) (window-relative) hits the button: its rectangle, or for a see-through
  // colour-keyed bitmap button only the bitmap's pixels that differ from its top-left one.
  int32_t IsHit(int32_t x, int32_t y, uint32_t shapeFlags) const;
  // The hot-key part of input; 1 when the key was the hot key.
  int32_t HotKeyInput(void* key, int32_t& sent);
  // 1 when the last GuiMsgHandler call sent the command.
  int32_t m_CommandSent = 0;
};

class CDragbutton : public CButton {
 public:
  using CButton::Create;
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height, int16_t hotKey,
                 uint32_t flags);
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
};
