#include "ostrel/screens/drawpie.h"

#include <algorithm>
#include <cmath>

#include "ostrel/graphics/bitmap.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;

// The angle from a to b, going the positive way round, in [0, 2 pi).
double Sweep(double a, double b) {
  double d = std::fmod(b - a, kTwoPi);
  if (d < 0) d += kTwoPi;
  return d;
}
}  // namespace

int32_t xFillPie(CBitmap* bitmap, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x1, int32_t y1,
                 int32_t x2, int32_t y2, const TRGBA& colour, bool clockwise) {
  if (!bitmap || !bitmap->m_pData || right <= left || bottom <= top) return 0;
  const double cx = (static_cast<double>(left) + right) / 2;
  const double cy = (static_cast<double>(top) + bottom) / 2;
  const double rx = (static_cast<double>(right) - left) / 2;
  const double ry = (static_cast<double>(bottom) - top) / 2;
  // With y pointing down a growing angle turns clockwise on the screen.
  double start = std::atan2(y1 - cy, x1 - cx);
  double end = std::atan2(y2 - cy, x2 - cx);
  if (!clockwise) std::swap(start, end);
  const double sweep = Sweep(start, end);
  const bool full = (x1 == x2 && y1 == y2) || sweep == 0;
  const int32_t x0 = std::max(left, 0), xe = std::min(right, bitmap->m_Width);
  const int32_t y0 = std::max(top, 0), ye = std::min(bottom, bitmap->m_Height);
  for (int32_t y = y0; y < ye; ++y) {
    const double dy = y + 0.5 - cy;
    for (int32_t x = x0; x < xe; ++x) {
      const double dx = x + 0.5 - cx;
      if ((dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) > 1.0) continue;
      if (!full && Sweep(start, std::atan2(dy, dx)) > sweep) continue;
      bitmap->PutPixel(x, y, &colour);
    }
  }
  bitmap->m_Changed = 1;
  return 1;
}
