#include "ostrel/input/keycodes.h"

#include "platform/display/keys.h"

uint16_t xKeyCodeOfVirtualKey(uint32_t vk) {
  if (vk >= XVK_0 && vk < XVK_0 + 10) return static_cast<uint16_t>(vk);
  if (vk >= XVK_A && vk < XVK_A + 26) return static_cast<uint16_t>(vk);
  if (vk >= XVK_NUMPAD0 && vk < XVK_NUMPAD0 + 10) return static_cast<uint16_t>(XKEY_NP0 + vk - XVK_NUMPAD0);
  if (vk >= XVK_F1 && vk < XVK_F1 + 24) return static_cast<uint16_t>(XKEY_F1 + vk - XVK_F1);
  switch (vk) {
    case XVK_BACK: return XKEY_BSPACE;
    case XVK_TAB: return XKEY_TAB;
    case XVK_RETURN: return XKEY_ENTER;
    case 0x16: return XKEY_PASTE;
    case XVK_ESCAPE: return XKEY_ESC;
    case XVK_SPACE: return XKEY_SPACE;
    case XVK_INSERT: return XKEY_INSERT;
    case XVK_DELETE: return XKEY_DELETE;
    case XVK_HOME: return XKEY_HOME;
    case XVK_END: return XKEY_END;
    case XVK_PRIOR: return XKEY_PAGEUP;
    case XVK_NEXT: return XKEY_PAGEDOWN;
    case XVK_LEFT: return XKEY_LEFT;
    case XVK_UP: return XKEY_UP;
    case XVK_RIGHT: return XKEY_RIGHT;
    case XVK_DOWN: return XKEY_DOWN;
    case XVK_SHIFT: return XKEY_SHIFT;
    case XVK_CONTROL: return XKEY_CTRL;
    case XVK_MENU: return XKEY_ALT;
    case XVK_NUMLOCK: return XKEY_NUMLOCK;
    case XVK_DIVIDE: return XKEY_NPDIVIDE;
    case XVK_MULTIPLY: return XKEY_NPMULTIPLY;
    case XVK_SUBTRACT: return XKEY_NPSUBTRACT;
    case XVK_ADD: return XKEY_NPADD;
    case XVK_DECIMAL: return XKEY_NPDECIMAL;
    case XVK_SNAPSHOT: return XKEY_PRINTSCR;
    case XVK_SCROLL: return XKEY_SCROLL;
    case XVK_PAUSE: return XKEY_BREAK;
    case XVK_CAPITAL: return XKEY_CAPSLOCK;
    default: return XKEY_NONE;
  }
}
