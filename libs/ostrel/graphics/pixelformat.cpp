#include "ostrel/graphics/pixelformat.h"

int32_t xIsValidChannel(int32_t bits, int32_t width, int32_t shift) {
  if (width == 0) return 1;
  if (width < 0 || width > 8 || shift < 0) return 0;
  if (bits == 8 || bits == 16) return shift + width <= bits;
  if (bits == 24 || bits == 32) return shift / 8 < bits / 8;
  return 0;
}

int32_t xIsValidPixelFormat(int32_t bits, const TPixelFormat& f) {
  return xIsValidChannel(bits, f.RedBits, f.RedShift) &&
         xIsValidChannel(bits, f.GreenBits, f.GreenShift) &&
         xIsValidChannel(bits, f.BlueBits, f.BlueShift);
}
