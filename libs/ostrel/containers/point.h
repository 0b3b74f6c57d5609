// A point of the toolkit's pixel coordinates.
#pragma once

#include <cstdint>

struct TPoint {
  int32_t x, y;
};
