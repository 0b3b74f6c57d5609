// The translator that both backends share: raw input of the desktop (keys, typed text, pointer)
// waits in one queue with the posted messages and becomes window messages only as the pump takes
// it, so the key state, the pointer position and the keyboard hook all stand at the event of the
// message at hand, as they did on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "platform/display/display.h"

// TRawKey::text besides a Windows-1252 character (0 = the layout typed nothing).
enum : int16_t {
  XKEYTEXT_LAYOUT = -1,     // the built-in US layout decides, on press and on release
  XKEYTEXT_ASPRESSED = -2,  // a release: the character its press had (letters follow shift again)
};

struct TRawKey {
  // The side keys for the modifiers (XVK_LSHIFT...); a generic one counts as the left side.
  uint32_t virtualKey;
  bool down;
  bool repeat = false;
  int16_t text = XKEYTEXT_LAYOUT;
  // Lock states the desktop reports with the event (1 on, 0 off); -1 lets the translator follow
  // the lock keys itself.
  int8_t capsLock = -1;
  int8_t numLock = -1;
};

enum : int32_t { XMOUSE_LEFT = 0, XMOUSE_RIGHT = 1, XMOUSE_MIDDLE = 2 };

class CQueuedDisplay : public CDisplayBackend {
 public:
  bool PeekMessage(TPlatformMessage& out) override;
  void PostMessage(const TPlatformMessage& message) override;
  bool IsKeyDown(uint32_t virtualKey) const override;
  bool IsKeyToggled(uint32_t virtualKey) const override;
  void GetPointerPos(int32_t& x, int32_t& y) const override;

  // Raw input; pointer places are client coordinates.
  void QueueKey(const TRawKey& key);
  void QueueKey(uint32_t virtualKey, bool down) { QueueKey(TRawKey{virtualKey, down}); }
  // Characters typed without a key of their own (input methods): each one is pressed and released
  // as XVK_PACKET.
  void QueueText(const char* cp1252, size_t length);
  void QueueMouseMove(int32_t x, int32_t y);
  void QueueMouseButton(int32_t button, bool down, int32_t x, int32_t y);
  void QueueMouseWheel(int32_t notches, int32_t x, int32_t y);
  // Raw events and messages not yet taken.
  size_t Pending() const { return m_Raw.size() + m_Ready.size(); }
  void ClearQueue();

 protected:
  // Moves the desktop's events into the raw queue; called when it has run dry.
  virtual void PumpEvents() {}
  // Where the client area's top-left corner lies on the desktop.
  virtual void ClientOrigin(int32_t& x, int32_t& y) const = 0;
  void SetPointer(int32_t x, int32_t y) {
    m_PointerX = x;
    m_PointerY = y;
  }
  // Forgets keys, buttons, locks and everything queued.
  void ResetInput();

 private:
  struct TRawEvent {
    enum EKind : uint8_t { Message, Key, MouseMove, MouseButton, MouseWheel } kind;
    TPlatformMessage message;
    TRawKey key;
    int32_t x;
    int32_t y;
    int32_t value;  // button or wheel notches
    bool down;
  };

  void Translate(const TRawEvent& e);
  void TranslateKey(const TRawKey& key);
  void TranslatePointer(const TRawEvent& e);
  uint8_t Character(const TRawKey& key) const;
  uint8_t LayoutCharacter(uint32_t vk) const;
  uintptr_t MouseKeyFlags() const;

  std::deque<TRawEvent> m_Raw;
  std::deque<TPlatformMessage> m_Ready;
  bool m_Down[XVK_COUNT] = {};
  bool m_Toggled[XVK_COUNT] = {};
  uint8_t m_PressCharacter[XVK_COUNT] = {};
  uint32_t m_Buttons = 0;  // XMK_ button bits
  int32_t m_PointerX = 0;
  int32_t m_PointerY = 0;
};
