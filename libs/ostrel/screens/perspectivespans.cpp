// Perspective-correct spans of the textured polygon: 1/z and the texture coordinates over z run
// linearly across the screen, so each pixel's texel is found by one division. Pixels are
// sampled at their centres and covered when the centre lies inside (left and top edges in,
// right and bottom out), so polygons that share an edge share no pixel and leave no crack.
#include <algorithm>
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

// A span's texture walk: 1/z and the coordinates over z at its first pixel and their steps.
struct TSpanWalk {
  double Q, UQ, VQ, DQ, DUQ, DVQ;
};

// Texels between exact points are stepped linearly: every this many pixels the division is
// made again, which keeps the drift far below a texel at the table's angles.
constexpr int32_t kExactEvery = 8;

// A texture coordinate in 16.16 fixed point, inside 0 .. limit texels.
int32_t Fixed(double texels, int32_t limit) {
  return static_cast<int32_t>(std::clamp(texels, 0.0, static_cast<double>(limit)) * 65536.0);
}

// The common case of a span, written in place: no blending, texels of Bpp bytes copied as they
// are unless they are the key.
template <int32_t Bpp>
void PlainRun(uint8_t* p, int32_t count, TSpanWalk w, const CBitmap& tex, const TTexelKey& key) {
  const int32_t maxX = tex.m_Width - 1, maxY = tex.m_Height - 1;
  double z = 1.0 / w.Q;
  int32_t u = Fixed(w.UQ * z, tex.m_Width), v = Fixed(w.VQ * z, tex.m_Height);
  while (count > 0) {
    const int32_t n = std::min(count, kExactEvery);
    w.Q += w.DQ * n;
    w.UQ += w.DUQ * n;
    w.VQ += w.DVQ * n;
    z = 1.0 / w.Q;
    const int32_t uEnd = Fixed(w.UQ * z, tex.m_Width), vEnd = Fixed(w.VQ * z, tex.m_Height);
    const int32_t du = (uEnd - u) / n, dv = (vEnd - v) / n;
    for (int32_t i = 0; i < n; ++i, p += Bpp, u += du, v += dv) {
      const int32_t tx = std::min(u >> 16, maxX), ty = std::min(v >> 16, maxY);
      const uint8_t* t = tex.m_pData + static_cast<int64_t>(ty) * tex.m_Pitch + static_cast<int64_t>(tx) * Bpp;
      if (key.On) {
        uint32_t value = t[0];
        if constexpr (Bpp > 1) value |= static_cast<uint32_t>(t[1]) << 8;
        if constexpr (Bpp > 2) value |= static_cast<uint32_t>(t[2]) << 16;
        if (value == key.Value) continue;
      }
      p[0] = t[0];
      if constexpr (Bpp > 1) p[1] = t[1];
      if constexpr (Bpp > 2) p[2] = t[2];
    }
    u = uEnd;
    v = vEnd;
    count -= n;
  }
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
    TSpanWalk walk{left.Q + dq * start, left.UQ + duq * start, left.VQ + dvq * start, dq, duq, dvq};
    uint8_t* p = out.At(from, line);
    if (!sink.Alpha) {
      switch (out.BytesPerPixel) {
        case 1: PlainRun<1>(p, to - from + 1, walk, tex, sink.Key); continue;
        case 2: PlainRun<2>(p, to - from + 1, walk, tex, sink.Key); continue;
        default: PlainRun<3>(p, to - from + 1, walk, tex, sink.Key); continue;
      }
    }
    for (int32_t px = from; px <= to; ++px, p += out.BytesPerPixel) {
      const double w = 1.0 / walk.Q;
      xWriteTexel(sink, p, xTexelAt(tex, TexelIndex(walk.UQ * w), TexelIndex(walk.VQ * w)), px, line);
      walk.Q += dq;
      walk.UQ += duq;
      walk.VQ += dvq;
    }
  }
}
