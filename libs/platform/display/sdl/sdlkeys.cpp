#include "platform/display/sdl/sdlkeys.h"

#include "platform/display/keys.h"

namespace {
constexpr uint32_t kClear = 0x0C;  // keypad 5 without num lock

uint32_t KeypadKey(SDL_Scancode sc, bool numLock) {
  static constexpr uint32_t kNavigation[10] = {XVK_INSERT, XVK_END,  XVK_DOWN, XVK_NEXT, XVK_LEFT,
                                               kClear,     XVK_RIGHT, XVK_HOME, XVK_UP,   XVK_PRIOR};
  const int digit = sc == SDL_SCANCODE_KP_0 ? 0 : sc - SDL_SCANCODE_KP_1 + 1;
  return numLock ? XVK_NUMPAD0 + digit : kNavigation[digit];
}
}  // namespace

uint32_t SdlVirtualKey(const SDL_Keysym& keysym) {
  if (keysym.sym >= SDLK_a && keysym.sym <= SDLK_z) return XVK_A + (keysym.sym - SDLK_a);
  const SDL_Scancode sc = keysym.scancode;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return XVK_A + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return XVK_0 + 1 + (sc - SDL_SCANCODE_1);
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return XVK_F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return XVK_F1 + 12 + (sc - SDL_SCANCODE_F13);
  if ((sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) || sc == SDL_SCANCODE_KP_0) {
    return KeypadKey(sc, (keysym.mod & KMOD_NUM) != 0);
  }
  switch (sc) {
    case SDL_SCANCODE_0: return XVK_0;
    case SDL_SCANCODE_RETURN: return XVK_RETURN;
    case SDL_SCANCODE_ESCAPE: return XVK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return XVK_BACK;
    case SDL_SCANCODE_TAB: return XVK_TAB;
    case SDL_SCANCODE_SPACE: return XVK_SPACE;
    case SDL_SCANCODE_MINUS: return XVK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return XVK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return XVK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return XVK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: return XVK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return XVK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return XVK_OEM_7;
    case SDL_SCANCODE_GRAVE: return XVK_OEM_3;
    case SDL_SCANCODE_COMMA: return XVK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return XVK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return XVK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH: return XVK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK: return XVK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return XVK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return XVK_SCROLL;
    case SDL_SCANCODE_PAUSE: return XVK_PAUSE;
    case SDL_SCANCODE_INSERT: return XVK_INSERT;
    case SDL_SCANCODE_HOME: return XVK_HOME;
    case SDL_SCANCODE_PAGEUP: return XVK_PRIOR;
    case SDL_SCANCODE_DELETE: return XVK_DELETE;
    case SDL_SCANCODE_END: return XVK_END;
    case SDL_SCANCODE_PAGEDOWN: return XVK_NEXT;
    case SDL_SCANCODE_RIGHT: return XVK_RIGHT;
    case SDL_SCANCODE_LEFT: return XVK_LEFT;
    case SDL_SCANCODE_DOWN: return XVK_DOWN;
    case SDL_SCANCODE_UP: return XVK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return XVK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return XVK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return XVK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return XVK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return XVK_ADD;
    case SDL_SCANCODE_KP_ENTER: return XVK_RETURN;
    case SDL_SCANCODE_KP_PERIOD: return (keysym.mod & KMOD_NUM) ? XVK_DECIMAL : XVK_DELETE;
    case SDL_SCANCODE_APPLICATION: return XVK_APPS;
    case SDL_SCANCODE_LCTRL: return XVK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return XVK_RCONTROL;
    case SDL_SCANCODE_LSHIFT: return XVK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return XVK_RSHIFT;
    case SDL_SCANCODE_LALT: return XVK_LMENU;
    case SDL_SCANCODE_RALT:
    case SDL_SCANCODE_MODE: return XVK_RMENU;
    case SDL_SCANCODE_LGUI: return XVK_LWIN;
    case SDL_SCANCODE_RGUI: return XVK_RWIN;
    default: return 0;
  }
}
