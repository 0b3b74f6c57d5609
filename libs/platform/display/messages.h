// Window-message numbers and packing that the receivers of the toolkit expect. The display
// backends translate their own events into these.
#pragma once

#include <cstdint>

enum : uint32_t {
  XMSG_SIZE = 5,
  XMSG_PAINT = 15,
  XMSG_CLOSE = 16,
  XMSG_QUIT = 18,
  XMSG_ACTIVATEAPP = 28,
  XMSG_SETCURSOR = 32,
  XMSG_KEYDOWN = 256,
  XMSG_KEYUP = 257,
  XMSG_CHAR = 258,
  XMSG_SYSKEYDOWN = 260,
  XMSG_SYSKEYUP = 261,
  XMSG_SYSCHAR = 262,
  XMSG_MOUSEMOVE = 512,
  XMSG_LBUTTONDOWN = 513,
  XMSG_LBUTTONUP = 514,
  XMSG_LBUTTONDBLCLK = 515,
  XMSG_RBUTTONDOWN = 516,
  XMSG_RBUTTONUP = 517,
  XMSG_MBUTTONDOWN = 519,
  XMSG_MBUTTONUP = 520,
  XMSG_MOUSEWHEEL = 522,
  XMSG_CASINO_INSTALLER = 32769,
};

// Mouse message key flags in wParam.
enum : uint32_t {
  XMK_LBUTTON = 0x0001,
  XMK_RBUTTON = 0x0002,
  XMK_SHIFT = 0x0004,
  XMK_CONTROL = 0x0008,
  XMK_MBUTTON = 0x0010,
};

// XMSG_SIZE wParam; lParam is the client width | height << 16.
enum : uint32_t { XSIZE_RESTORED = 0, XSIZE_MINIMIZED = 1, XSIZE_MAXIMIZED = 2 };

// Key message lParam: repeat count in bits 0-15, then these.
enum : uint32_t {
  XKF_EXTENDED = 1u << 24,
  XKF_ALTDOWN = 1u << 29,
  XKF_REPEAT = 1u << 30,   // the key was down before
  XKF_UP = 1u << 31,       // the key is being released
};

// One wheel notch; XMSG_MOUSEWHEEL carries notches * 120 in the high word of wParam.
inline constexpr int32_t XWHEEL_DELTA = 120;

inline intptr_t XMakePointParam(int32_t x, int32_t y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}

// The signed halves of a packed point.
inline int32_t XPointParamX(intptr_t p) { return static_cast<int16_t>(static_cast<uint32_t>(p) & 0xFFFFu); }
inline int32_t XPointParamY(intptr_t p) { return static_cast<int16_t>((static_cast<uint32_t>(p) >> 16) & 0xFFFFu); }

struct TPlatformMessage {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};
