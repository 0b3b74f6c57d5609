// A point: frame corners of sprites and cursors.
#pragma once

#include <cstdint>

struct TPoint {
  int32_t x;
  int32_t y;
};
