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
  XMSG_KEYDOWN = 256,
  XMSG_KEYUP = 257,
  XMSG_CHAR = 258,
  XMSG_MOUSEMOVE = 512,
  XMSG_LBUTTONDOWN = 513,
  XMSG_LBUTTONUP = 514,
  XMSG_LBUTTONDBLCLK = 515,
  XMSG_RBUTTONDOWN = 516,
  XMSG_RBUTTONUP = 517,
  XMSG_CASINO_INSTALLER = 32769,
};

// Mouse message key flags in wParam.
enum : uint32_t { XMK_LBUTTON = 0x0001, XMK_RBUTTON = 0x0002, XMK_SHIFT = 0x0004, XMK_CONTROL = 0x0008 };

inline intptr_t XMakePointParam(int32_t x, int32_t y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}

struct TPlatformMessage {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};
