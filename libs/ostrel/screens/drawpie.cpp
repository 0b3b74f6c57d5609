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

int32_t xFillPieSmooth(CBitmap* bitmap, double cx, double cy, double radius, double start, double sweep,
                       const TRGBA& colour) {
  if (!bitmap || !bitmap->m_pData || !(radius > 0) || !(sweep > 0)) return 0;
  const bool full = sweep >= kTwoPi;
  auto inside = [&](double dx, double dy) {
    return dx * dx + dy * dy <= radius * radius && (full || Sweep(start, std::atan2(dy, dx)) <= sweep);
  };
  constexpr int32_t kSamples = 4;
  const auto first = [](double v) { return static_cast<int32_t>(std::clamp(std::floor(v), -1.0, 1e9)); };
  const int32_t x0 = std::max(first(cx - radius), 0), xe = std::min(first(cx + radius) + 1, bitmap->m_Width);
  const int32_t y0 = std::max(first(cy - radius), 0), ye = std::min(first(cy + radius) + 1, bitmap->m_Height);
  for (int32_t y = y0; y < ye; ++y) {
    for (int32_t x = x0; x < xe; ++x) {
      int32_t hits = 0;
      for (int32_t sy = 0; sy < kSamples; ++sy)
        for (int32_t sx = 0; sx < kSamples; ++sx)
          hits += inside(x + (sx + 0.5) / kSamples - cx, y + (sy + 0.5) / kSamples - cy) ? 1 : 0;
      if (!hits) continue;
      TRGBA under(0, 0, 0, 0);
      bitmap->GetPixel(x, y, &under);
      const auto mix = [&](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>((a * (kSamples * kSamples - hits) + b * hits + kSamples * kSamples / 2) /
                                    (kSamples * kSamples));
      };
      const TRGBA out(mix(under.r, colour.r), mix(under.g, colour.g), mix(under.b, colour.b), colour.a);
      bitmap->PutPixel(x, y, &out);
    }
  }
  bitmap->m_Changed = 1;
  return 1;
}
