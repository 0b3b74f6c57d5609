// Key codes of the keyboard queue and state table (16-bit). Characters are queued as their
// Windows-1252 codes; the keys without a character have codes from 256 on. Resource scripts name
// them with the same XKEY_ names.
#pragma once

#include <cstdint>

enum : uint16_t {
  XKEY_NONE = 0,
  XKEY_BSPACE = 8,
  XKEY_TAB = 9,
  XKEY_ENTER = 13,
  XKEY_PASTE = 22,  // Ctrl+V: the queue pastes the clipboard when it takes this code
  XKEY_ESC = 27,
  XKEY_SPACE = 32,
  XKEY_0 = 48,  // to XKEY_0 + 9
  XKEY_A = 65,  // to XKEY_A + 25
  XKEY_INSERT = 256,
  XKEY_DELETE = 257,
  XKEY_HOME = 258,
  XKEY_END = 259,
  XKEY_PAGEUP = 260,
  XKEY_PAGEDOWN = 261,
  XKEY_LEFT = 262,
  XKEY_UP = 263,
  XKEY_RIGHT = 264,
  XKEY_DOWN = 265,
  XKEY_SHIFT = 266,
  XKEY_LSHIFT = 267,
  XKEY_RSHIFT = 268,
  XKEY_CTRL = 269,
  XKEY_LCTRL = 270,
  XKEY_RCTRL = 271,
  XKEY_ALT = 272,
  XKEY_LALT = 273,
  XKEY_RALT = 274,
  XKEY_WIN = 275,
  XKEY_LWIN = 276,
  XKEY_RWIN = 277,
  XKEY_NUMLOCK = 278,
  XKEY_NPDIVIDE = 279,
  XKEY_NPMULTIPLY = 280,
  XKEY_NPSUBTRACT = 281,
  XKEY_NPADD = 282,
  XKEY_NPENTER = 283,
  XKEY_NPDECIMAL = 284,
  XKEY_NP0 = 285,  // to XKEY_NP0 + 9
  XKEY_PRINTSCR = 295,
  XKEY_SCROLL = 296,
  XKEY_BREAK = 297,
  XKEY_CAPSLOCK = 298,
  XKEY_F1 = 299,  // to XKEY_F24
  XKEY_F24 = 322,
};

inline constexpr int XKEY_STATE_COUNT = 323;

// Modifier bits of a queued key's flags, beside bit 0 (pressed).
enum : uint32_t {
  XKEYF_PRESSED = 0x01,
  XKEYF_LCTRL = 0x02,
  XKEYF_RCTRL = 0x04,
  XKEYF_LALT = 0x08,
  XKEYF_RALT = 0x10,
  XKEYF_LSHIFT = 0x20,
  XKEYF_RSHIFT = 0x40,
};

// The key code a virtual key stands for; 0 for the keys that have none.
uint16_t xKeyCodeOfVirtualKey(uint32_t virtualKey);
