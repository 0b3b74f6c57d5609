// A colour as four bytes in the order red, green, blue, alpha.
#pragma once

#include <cstdint>

struct TRGBA {
  TRGBA() = default;  // uninitialised, like the plain struct it stands for
  TRGBA(uint8_t red, uint8_t green, uint8_t blue) : r(red), g(green), b(blue), a(0) {}
  TRGBA(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
      : r(red), g(green), b(blue), a(alpha) {}

  void Set(uint8_t red, uint8_t green, uint8_t blue) { Set(red, green, blue, 0); }
  void Set(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    r = red;
    g = green;
    b = blue;
    a = alpha;
  }
  int32_t operator==(const TRGBA& o) const {
    return r == o.r && g == o.g && b == o.b && a == o.a;
  }
  int32_t operator!=(const TRGBA& o) const { return !(*this == o); }

  uint8_t r, g, b, a;
};
static_assert(sizeof(TRGBA) == 4);
