// Perspective-correct spans of the textured polygon: 1/z and the texture coordinates over z run
// linearly across the screen, so each pixel's texel is found by one division. Pixels are
// sampled at their centres and covered when the centre lies inside (left and top edges in,
// right and bottom out), so polygons that share an edge share no pixel and leave no crack.
#include <cmath>

#include "ostrel/screens/polygonspans.h"
#include "ostrel/screens/screenbase.h"

namespace {
// The values carried along the edges and across the spans.
struct TVarying {
  double X, Q, UQ, VQ;  // x; 1/z; u/z and v/z in texels
};

TVarying Mix(const TVarying& a, const TVarying& b, double t) {
  return {a.X + (b.X - a.X) * t, a.Q + (b.Q - a.Q) * t, a.UQ + (b.UQ - a.UQ) * t, a.VQ + (b.VQ - a.VQ) * t};
}

// The texel coordinate of a value, kept inside what an int can hold (the lookup clamps it).
int32_t TexelIndex(double v) {
  return v < -1e9 ? -1 : v > 1e9 ? 1000000000 : static_cast<int32_t>(std::floor(v));
}
}  // namespace

void CScreenBase::PerspectiveSpans(const TSpanSink& sink, const CRect& lines, const double (&x)[4],
                                   const double (&y)[4]) const {
  const CBitmap& tex = *m_pTexture;
  const TDrawTarget& out = *sink.Target;
  TVarying corner[4];
  for (int32_t i = 0; i < 4; ++i) {
    const double q = 1.0 / m_PolyZ[i];
    corner[i] = {x[i], q, m_TexU[i] / 65536.0 * q, m_TexV[i] / 65536.0 * q};
  }
  for (int32_t line = lines.top; line <= lines.bottom; ++line) {
    // Where the line through the pixel centres crosses the edges: the leftmost and the rightmost
    // crossing bound the span (the polygon is convex, as any flat shape seen in perspective).
    const double centre = line + 0.5;
    TVarying left{}, right{};
    int32_t crossings = 0;
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t j = (i + 1) % 4;
      const double ya = y[i], yb = y[j];
      if (ya == yb || centre < std::min(ya, yb) || centre >= std::max(ya, yb)) continue;
      const TVarying at = Mix(corner[i], corner[j], (centre - ya) / (yb - ya));
      if (crossings == 0 || at.X < left.X) left = at;
      if (crossings == 0 || at.X > right.X) right = at;
      ++crossings;
    }
    if (crossings < 2 || !(right.X > left.X)) continue;
    const double first = std::ceil(left.X - 0.5), last = std::ceil(right.X - 0.5) - 1;
    const int32_t from = static_cast<int32_t>(std::max<double>(first, lines.left));
    const int32_t to = static_cast<int32_t>(std::min<double>(last, lines.right));
    if (from > to) continue;
    const double width = right.X - left.X;
    const double dq = (right.Q - left.Q) / width, duq = (right.UQ - left.UQ) / width,
                 dvq = (right.VQ - left.VQ) / width;
    const double start = from + 0.5 - left.X;
    double q = left.Q + dq * start, uq = left.UQ + duq * start, vq = left.VQ + dvq * start;
    uint8_t* p = out.At(from, line);
    for (int32_t px = from; px <= to; ++px, p += out.BytesPerPixel, q += dq, uq += duq, vq += dvq) {
      const double w = 1.0 / q;
      xWriteTexel(sink, p, xTexelAt(tex, TexelIndex(uq * w), TexelIndex(vq * w)), px, line);
    }
  }
}
