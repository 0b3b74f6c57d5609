// The flag, state and mode words that resource scripts write by name (XWIN_, CNTRL_, XGUI_,
// ANIM_), and the lookup of those names and of the key names (XKEY_).
#pragma once

#include <cstdint>

// Window flags.
enum : uint32_t {
  XWIN_TITLEBAR = 0x1,
  XWIN_FRAME = 0x2,
  XWIN_CLOSE = 0x4,
  XWIN_MODAL = 0x8,
  XWIN_SIZE = 0x10,
  XWIN_DRAG = 0x20,
  XWIN_CENTER = 0x40,
  XWIN_POPUP = 0x80,
  XWIN_AUTORESIZE = 0x100,
  XWIN_BORDER = 0x200,
  XWIN_ALPHA = 0x400,
  XWIN_HIGHLIGHTIFINACTIVE = 0x800,
  XWIN_SYSTEMWINDOW = 0x1000,
  XWIN_ZORDERFIRST = 0x2000,
  XWIN_ZORDERLAST = 0x4000,
  XWIN_ZORDER = 0x8000,
  XWIN_ALWAYSLAST = 0x10000,
  // Without script names: set by programs on their own windows, and kept by the toolkit.
  XWIN_NOCLICKTOFRONT = 0x20000000,  // a click neither raises nor activates the window
  XWIN_HIDDEN = 0x40000000,
  XWIN_DRAGGING = 0x80000000,
};

// Control flags.
enum : uint32_t {
  CNTRL_EXTRUDED = 0x1,
  CNTRL_TRANSPARENT = 0x2,
  CNTRL_HASBITMAP = 0x4,
  CNTRL_TILED = 0x8,
  CNTRL_ANIMNORMAL = 0x10,
  CNTRL_ANIMPRESSED = 0x20,
  CNTRL_ANIMHIGHLIGHT = 0x40,
  CNTRL_ALPHA = 0x80,
  CNTRL_BMTRANS = 0x100,
  CNTRL_CHECKED = 0x200,
  CNTRL_HSLIDER = 0x400,
  CNTRL_CENTERH = 0x800,
  CNTRL_CENTERV = 0x1000,
  CNTRL_MULTILINE = 0x2000,
  CNTRL_READONLY = 0x4000,
  CNTRL_TABSTOP = 0x8000,
  CNTRL_BUTTONBORDER = 0x10000,
  CNTRL_EDITVSLIDER = 0x20000,
  CNTRL_EDITHSLIDER = 0x40000,
  CNTRL_CLOSEBOX = 0x80000,   // no script name: a title bar that makes a close box
  CNTRL_FRAMECNTRL = 0x100000,  // no script name: marks a window's frame
  CNTRL_PASSWORD = 0x200000,
  CNTRL_NOWORDWRAP = 0x400000,
  CNTRL_BTNTRANSCLICK = 0x800000,
  CNTRL_INITIALCAPITAL = 0x1000000,
  CNTRL_UPPERCASE = 0x2000000,
  CNTRL_LOWERCASE = 0x4000000,
  CNTRL_NUMERIC = 0x8000000,
  CNTRL_TRIMLEFT = 0x10000000,
  CNTRL_TRIMRIGHT = 0x20000000,
  CNTRL_MD5 = 0x40000000,
  CNTRL_RIGHTJUSTIFIED = 0x80000000,
};

// Control states.
enum : int32_t {
  XGUI_PRESSED = 1,
  XGUI_RELEASED = 2,
  XGUI_HIGHLIGHT = 3,
  XGUI_DISABLED = 4,
  XGUI_HIDDEN = 5,
  XGUI_CHECKED = 6,
  XGUI_UNCHECKED = 7,
  XGUI_NOSAVEDSTATE = 22,
};

// Animation play modes.
enum : int32_t {
  ANIM_ONCE = 1,
  ANIM_LOOP = 2,
  ANIM_PINGPONG = 4,
  ANIM_BACKLOOP = 16,  // no script name: backwards, wrapping from the first frame to the last
};

// The value of one flag, state or mode name, compared without regard to case; 0 when unknown.
int32_t xResFlagByName(const char* name, uint32_t* value);
// The value of a text of names joined by runs of blanks, tabs or "|": 1 with the names' values
// ORed, 0 when a name is unknown (a trailing separator leaves an empty, unknown name). A text
// starting with "0", and the empty text, give 0 and succeed.
int32_t xResFlagsOfText(const char* text, uint32_t* flags);
// The key code of a key name (XKEY_ names and "NULL"), without regard to case; 0 when unknown.
int32_t xResKeyByName(const char* name, uint16_t* code);
