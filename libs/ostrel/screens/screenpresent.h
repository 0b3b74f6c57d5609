// A screen buffer as the display backend takes it: the pixel layout of a mode and the
// rectangles in the backend's form.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/screens/vmode.h"
#include "platform/display/display.h"

// 8-bit modes are indexed, 16-bit ones 5-5-5 or (with six green bits) 5-6-5 with red highest,
// 24-bit ones keep blue in the first byte.
inline EPixelFormat xDisplayFormat(const SVmode& m) {
  if (m.BytesPerPixel == 1) return EPixelFormat::Indexed8;
  if (m.BytesPerPixel == 2) return m.GreenBits == 6 ? EPixelFormat::Rgb565 : EPixelFormat::Rgb555;
  return EPixelFormat::Bgr24;
}

// An inclusive rectangle as position and size.
inline TDisplayRect xDisplayRect(const CRect& r) {
  return {r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1};
}

inline TDisplayFramebuffer xDisplayFramebuffer(const uint8_t* pixels, const SVmode& m) {
  return {pixels, m.Pitch, m.Width, m.Height, xDisplayFormat(m)};
}
