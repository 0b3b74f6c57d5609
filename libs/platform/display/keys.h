// Virtual-key numbers: what a key message carries in wParam and what the key state is asked by.
// The modifiers come as the generic key (shift, control, alt) in messages; their sides are known
// to the key state only.
#pragma once

#include <cstdint>

enum : uint32_t {
  XVK_BACK = 0x08,
  XVK_TAB = 0x09,
  XVK_RETURN = 0x0D,
  XVK_SHIFT = 0x10,
  XVK_CONTROL = 0x11,
  XVK_MENU = 0x12,  // alt
  XVK_PAUSE = 0x13,
  XVK_CAPITAL = 0x14,
  XVK_ESCAPE = 0x1B,
  XVK_SPACE = 0x20,
  XVK_PRIOR = 0x21,
  XVK_NEXT = 0x22,
  XVK_END = 0x23,
  XVK_HOME = 0x24,
  XVK_LEFT = 0x25,
  XVK_UP = 0x26,
  XVK_RIGHT = 0x27,
  XVK_DOWN = 0x28,
  XVK_SNAPSHOT = 0x2C,
  XVK_INSERT = 0x2D,
  XVK_DELETE = 0x2E,
  XVK_0 = 0x30,  // to XVK_0 + 9
  XVK_A = 0x41,  // to XVK_A + 25
  XVK_LWIN = 0x5B,
  XVK_RWIN = 0x5C,
  XVK_APPS = 0x5D,
  XVK_NUMPAD0 = 0x60,  // to XVK_NUMPAD0 + 9
  XVK_MULTIPLY = 0x6A,
  XVK_ADD = 0x6B,
  XVK_SEPARATOR = 0x6C,
  XVK_SUBTRACT = 0x6D,
  XVK_DECIMAL = 0x6E,
  XVK_DIVIDE = 0x6F,
  XVK_F1 = 0x70,  // to XVK_F1 + 23
  XVK_F10 = 0x79,
  XVK_NUMLOCK = 0x90,
  XVK_SCROLL = 0x91,
  XVK_LSHIFT = 0xA0,
  XVK_RSHIFT = 0xA1,
  XVK_LCONTROL = 0xA2,
  XVK_RCONTROL = 0xA3,
  XVK_LMENU = 0xA4,
  XVK_RMENU = 0xA5,
  XVK_OEM_1 = 0xBA,      // ; :
  XVK_OEM_PLUS = 0xBB,   // = +
  XVK_OEM_COMMA = 0xBC,  // , <
  XVK_OEM_MINUS = 0xBD,  // - _
  XVK_OEM_PERIOD = 0xBE, // . >
  XVK_OEM_2 = 0xBF,      // / ?
  XVK_OEM_3 = 0xC0,      // ` ~
  XVK_OEM_4 = 0xDB,      // [ {
  XVK_OEM_5 = 0xDC,      // \ |
  XVK_OEM_6 = 0xDD,      // ] }
  XVK_OEM_7 = 0xDE,      // ' "
  XVK_OEM_102 = 0xE2,    // the extra key of European keyboards
  XVK_PACKET = 0xE7,     // a character typed without a key of its own (input methods)
};

inline constexpr int XVK_COUNT = 256;
