// Keys and focus handed straight to an edit control, as its window would route them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/controls/controlbase.h"
#include "ostrel/input/keyboard.h"

inline void EditFocus(CControlBase& c) { c.GuiMsgHandler(GUIMSG_FOCUS, 1, c.GetID(), 1, nullptr); }

inline void EditPress(CControlBase& c, uint16_t code) {
  TQueueChar k{code, XKEYF_PRESSED};
  c.GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &k);
}

inline void EditType(CControlBase& c, const std::vector<uint16_t>& keys) {
  for (uint16_t k : keys) EditPress(c, k);
}

inline void EditType(CControlBase& c, const std::string& text) {
  for (char ch : text) EditPress(c, static_cast<uint8_t>(ch));
}
