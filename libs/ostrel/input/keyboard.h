// The keyboard of the toolkit: a queue of typed keys and a table of key states, filled from the
// keyboard hook on the program's one thread. The window manager reads the queue once a frame.
#pragma once

#include <cstdint>

#include "ostrel/input/keycodes.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/keyhook.h"

// One queued key: the key code, and the flags (16 bits of them): XKEYF_PRESSED for a press, and
// the sides of control, alt and shift held at that moment.
struct TQueueChar {
  uint16_t m_Code;
  uint32_t m_Flags;
};

inline constexpr int32_t KEYBOARD_QUEUE_SIZE = 128;  // holds one less

class CKeyboardBase {
 public:
  // Clears queue and states.
  CKeyboardBase();
  CKeyboardBase(const CKeyboardBase&) = delete;
  CKeyboardBase& operator=(const CKeyboardBase&) = delete;
  virtual ~CKeyboardBase();

  // Bit 0 empties the queue; bit 1 clears every key state and the down count.
  virtual void Clear(uint16_t what);
  virtual int32_t IsKeyWaiting();
  // 0 when the queue is empty or out is null; else the oldest entry, taken off.
  virtual int32_t GetNext(TQueueChar* out);
  // The code's state & 3 (bit 0 down now, bit 1 pressed since last asked); clears bit 1.
  virtual int32_t IsPressed(uint16_t code);
  // The number of keys down.
  virtual int32_t GetPressed();
  virtual void AddKeyToQueue(uint16_t code, int16_t flags, int16_t addModifiers) = 0;
  virtual void SetKeyState(uint16_t code, int16_t down) = 0;

 protected:
  // Appends unless the queue is full; false when the key was dropped.
  bool Append(uint16_t code, uint32_t flags);
  bool IsDown(uint16_t code) const { return code < XKEY_STATE_COUNT && (m_State[code] & 1) != 0; }

  TQueueChar m_Queue[KEYBOARD_QUEUE_SIZE];
  int32_t m_Head;  // next to read
  int32_t m_Tail;  // next to write
  uint8_t m_State[XKEY_STATE_COUNT];
  int32_t m_NumPressed;
};

class CKeyboard : public CKeyboardBase, public CWinMsg {
 public:
  // Registers for the key messages (answered 0) and installs the hook.
  CKeyboard();
  ~CKeyboard() override;

  // The modifier flags (add-modifiers 1) come from the sides of shift, control and alt that are
  // down. Code 22 (Ctrl+V) pastes the clipboard text into the focused control.
  void AddKeyToQueue(uint16_t code, int16_t flags, int16_t addModifiers) override;
  void SetKeyState(uint16_t code, int16_t down) override;
  intptr_t WinMsgHandler(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // Hands clipboard text to the window manager (its GUI message 23); does nothing without one.
  virtual void Paste(const char* text);

  // The hook routine: what the process's keyboard (glb) makes of one key event.
  static intptr_t HookProc(int32_t code, const TPlatformKey& key);

 protected:
  void HandleKey(const TPlatformKey& key);

  TKeyboardHook m_hHook = 0;
};
