// The keyboard hook: routines that see every key event of the window just before its key message
// is handed out, newest first, as the system's keyboard hook did. A routine passes the event on
// by calling PlatformCallNextKeyboardHook; a non-zero result swallows the key message.
#pragma once

#include <cstdint>

struct TPlatformKey {
  uint32_t virtualKey;  // generic for the modifiers (XVK_SHIFT, not XVK_LSHIFT)
  bool down;
  bool repeat;          // auto-repeat of a key that is held
  uint8_t character;    // Windows-1252 character the layout gives, press and release alike; 0 none
  intptr_t lParam;      // the key message's lParam
};

// Hook codes: the event is being taken off the queue, or only looked at.
enum : int32_t { XHC_ACTION = 0, XHC_NOREMOVE = 3 };

using TKeyboardHookProc = intptr_t (*)(int32_t code, const TPlatformKey& key);
using TKeyboardHook = uint32_t;  // 0 is no hook

TKeyboardHook PlatformSetKeyboardHook(TKeyboardHookProc proc);
// False when the hook is not installed.
bool PlatformUnhookKeyboard(TKeyboardHook hook);
// Calls the routine installed before `current`; 0 when there is none.
intptr_t PlatformCallNextKeyboardHook(TKeyboardHook current, int32_t code, const TPlatformKey& key);
// Calls the newest routine (the backends do, for each key event); 0 without hooks.
intptr_t PlatformRunKeyboardHooks(int32_t code, const TPlatformKey& key);
