// The textured four-corner polygon: edge tables, spans with nearest-texel lookup, the optional
// blend level from the alpha buffer, and 2 by 2 supersampling. With a depth above 0 at every
// corner the texture follows the perspective (see perspectivespans.cpp); texels of the colour key
// are left out either way.
#include <algorithm>
#include <limits>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/drawtarget.h"
#include "ostrel/screens/polygonspans.h"
#include "ostrel/screens/screenbase.h"

namespace {
constexpr int32_t kLastLine = POLYGON_LINES - 1;

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t Clamp128(__int128 v) {
  return static_cast<int32_t>(v < std::numeric_limits<int32_t>::min()   ? std::numeric_limits<int32_t>::min()
                              : v > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                                        : v);
}

// One edge into one side's tables: x is kept in 16.16 fixed point, u and v step by their
// difference over the height. Only lines 0 .. 2047 are visited.
void FillEdge(int32_t xa, int32_t ya, int32_t ua, int32_t va, int32_t xb, int32_t yb, int32_t ub, int32_t vb,
              int32_t* xs, int32_t* us, int32_t* vs, uint8_t* set) {
  // A flat edge adds nothing (its ends are on the neighbouring edges); one that runs upwards is
  // not part of this side.
  if (yb <= ya) return;
  const int64_t dy = static_cast<int64_t>(yb) - ya;
  const int64_t xStep = ((static_cast<int64_t>(xb) - xa) * 65536) / dy;
  const int64_t uStep = (static_cast<int64_t>(ub) - ua) / dy, vStep = (static_cast<int64_t>(vb) - va) / dy;
  const int64_t first = std::max<int64_t>(ya, 0), last = std::min<int64_t>(yb, kLastLine);
  for (int64_t y = first; y <= last; ++y) {
    // 128 bits: a vertex far above line 0 makes k and the steps large together.
    const __int128 k = y - ya;
    xs[y] = Clamp128((static_cast<__int128>(xa) * 65536 + xStep * k) >> 16);
    us[y] = Clamp128(ua + uStep * k);
    vs[y] = Clamp128(va + vStep * k);
    set[y] = 1;
  }
}

// Linear interpolation of a 16.16 value across a span.
int32_t Lerp(int32_t a, int32_t b, int32_t pos, int32_t length) {
  if (length <= 0) return a;
  return Clamp32(a + (static_cast<int64_t>(b) - a) * pos / length);
}

}  // namespace

void xWriteTexel(const TSpanSink& s, uint8_t* p, const uint8_t* texel, int32_t x, int32_t y) {
  if (s.Key.Matches(texel)) return;
  const int32_t bpp = s.Target->BytesPerPixel;
  if (!s.Alpha) {
    xPutPixelBytes(p, texel, bpp);
    return;
  }
  const int32_t ax = (x >> s.AlphaShift) + s.AlphaX, ay = (y >> s.AlphaShift) + s.AlphaY;
  const uint32_t light = (ax >= 0 && ay >= 0 && ax < s.Alpha->m_Width && ay < s.Alpha->m_Height)
                             ? s.Alpha->m_pData[static_cast<int64_t>(ay) * s.Alpha->m_Pitch + ax]
                             : 255;
  if (bpp == 2) {
    xStore16(p, xLightPixel16(glb->m_Shade, xLoad16(texel), light));
  } else {
    xPutPixelBytes(p, texel, bpp);
    xDarken24(p, (SHADE_LEVELS - 1 - static_cast<int32_t>(light >> 3)) * 8);
  }
}

int32_t CScreenBase::CalcDrawList(const int32_t* x, const int32_t* y, CRect* box) {
  int32_t top = 0, bottom = 0;
  int32_t minX = x[0], maxX = x[0];
  for (int32_t i = 1; i < 4; ++i) {
    if (y[i] < y[top]) top = i;
    if (y[i] > y[bottom]) bottom = i;
    minX = std::min(minX, x[i]);
    maxX = std::max(maxX, x[i]);
  }
  if (box) box->Set(minX, y[top], maxX, y[bottom]);
  m_PolyTop = 0;
  m_PolyBottom = -1;
  if (y[bottom] < 0 || y[top] > kLastLine) return 0;
  const int32_t first = std::clamp(y[top], 0, kLastLine), last = std::clamp(y[bottom], 0, kLastLine);
  std::fill(m_LeftSet + first, m_LeftSet + last + 1, 0);
  std::fill(m_RightSet + first, m_RightSet + last + 1, 0);
  // One way round from the top vertex to the bottom one fills the first tables, the other way
  // the second.
  for (int32_t i = top; i != bottom; i = (i + 1) % 4) {
    const int32_t j = (i + 1) % 4;
    FillEdge(x[i], y[i], m_TexU[i], m_TexV[i], x[j], y[j], m_TexU[j], m_TexV[j], m_LeftX, m_LeftU, m_LeftV,
             m_LeftSet);
  }
  for (int32_t i = top; i != bottom; i = (i + 3) % 4) {
    const int32_t j = (i + 3) % 4;
    FillEdge(x[i], y[i], m_TexU[i], m_TexV[i], x[j], y[j], m_TexU[j], m_TexV[j], m_RightX, m_RightU, m_RightV,
             m_RightSet);
  }
  m_PolyTop = first;
  m_PolyBottom = last;
  // A polygon without height, or whose sides never meet a line, has nothing to draw.
  for (int32_t line = first; line <= last; ++line)
    if (m_LeftSet[line] && m_RightSet[line]) return 1;
  return 0;
}

int32_t CScreenBase::MakeDrawList(CRect* box) {
  int32_t x[4], y[4];
  for (int32_t i = 0; i < 4; ++i) {
    x[i] = m_PolyX[i] >> 1;
    y[i] = m_PolyY[i] >> 1;
  }
  return CalcDrawList(x, y, box);
}

int32_t CScreenBase::MakeFilterDrawList(CRect* box, int32_t* minX, int32_t* minY) {
  const int32_t mx = *std::min_element(m_PolyX, m_PolyX + 4), my = *std::min_element(m_PolyY, m_PolyY + 4);
  if (minX) *minX = mx;
  if (minY) *minY = my;
  int32_t x[4], y[4];
  for (int32_t i = 0; i < 4; ++i) {
    x[i] = Clamp32(static_cast<int64_t>(m_PolyX[i]) - mx);
    y[i] = Clamp32(static_cast<int64_t>(m_PolyY[i]) - my);
  }
  return CalcDrawList(x, y, box);
}

void CScreenBase::CopyFiltered(const uint8_t* work, int32_t workPitch, uint8_t* target, int32_t targetPitch,
                               int32_t width, int32_t height, int32_t bytesPerPixel, const TPixelFormat& f) {
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* a = work + static_cast<int64_t>(2 * y) * workPitch;
    const uint8_t* b = a + workPitch;
    uint8_t* out = target + static_cast<int64_t>(y) * targetPitch;
    for (int32_t x = 0; x < width; ++x, out += bytesPerPixel) {
      const int64_t o0 = static_cast<int64_t>(2 * x) * bytesPerPixel, o1 = o0 + bytesPerPixel;
      if (bytesPerPixel == 2) {
        const uint32_t p[4] = {xLoad16(a + o0), xLoad16(a + o1), xLoad16(b + o0), xLoad16(b + o1)};
        uint32_t r = 0, g = 0, bl = 0;
        for (uint32_t q : p) {
          r += xUnpackChannel(q, f.RedShift, f.RedBits);
          g += xUnpackChannel(q, f.GreenShift, f.GreenBits);
          bl += xUnpackChannel(q, f.BlueShift, f.BlueBits);
        }
        xStore16(out, xPack16(f, r / 4, g / 4, bl / 4));
      } else {
        for (int32_t c = 0; c < bytesPerPixel; ++c)
          out[c] = static_cast<uint8_t>((a[o0 + c] + a[o1 + c] + b[o0 + c] + b[o1 + c]) / 4);
      }
    }
  }
}

bool CScreenBase::TextureFits(const TDrawTarget& target) const {
  const CBitmap* tex = m_pTexture;
  // The texel is copied as it is, so it must have the target's size.
  return tex && tex->m_pData && tex->m_Width >= 1 && tex->m_Height >= 1 &&
         tex->m_BytesPerPixel == target.BytesPerPixel;
}

bool CScreenBase::PerspectiveWanted() const {
  return std::all_of(m_PolyZ, m_PolyZ + 4, [](float z) { return z > 0 && z <= std::numeric_limits<float>::max(); });
}

bool CScreenBase::PolygonExtent(const TDrawTarget& target, bool filter, CRect* drawn, int32_t* minX, int32_t* minY) {
  CRect box;
  if (PerspectiveWanted()) {
    // Pixels whose centres the polygon may cover: x from ceil(min - 1/2) to ceil(max - 1/2) - 1,
    // at double resolution when filtering, halved back to screen pixels.
    const int64_t lx = *std::min_element(m_PolyX, m_PolyX + 4), hx = *std::max_element(m_PolyX, m_PolyX + 4);
    const int64_t ly = *std::min_element(m_PolyY, m_PolyY + 4), hy = *std::max_element(m_PolyY, m_PolyY + 4);
    *minX = static_cast<int32_t>(lx);
    *minY = static_cast<int32_t>(ly);
    if (filter)
      box.Set(Clamp32(lx >> 1), Clamp32(ly >> 1), Clamp32((hx - 1) >> 1), Clamp32((hy - 1) >> 1));
    else
      box.Set(Clamp32(lx >> 1), Clamp32(ly >> 1), Clamp32((hx >> 1) - 1), Clamp32((hy >> 1) - 1));
    if (box.right < box.left || box.bottom < box.top) return false;
  } else {
    if (!(filter ? MakeFilterDrawList(&box, minX, minY) : MakeDrawList(&box))) return false;
    if (filter) {
      box.Set(Clamp32((static_cast<int64_t>(*minX) + box.left) >> 1),
              Clamp32((static_cast<int64_t>(*minY) + box.top) >> 1),
              Clamp32((static_cast<int64_t>(*minX) + box.right) >> 1),
              Clamp32((static_cast<int64_t>(*minY) + box.bottom) >> 1));
    }
  }
  CRect clip(target.Clip);
  return drawn->Intersect(&box, &clip) != 0;
}

void CScreenBase::AffineSpans(const TSpanSink& sink, const CRect& lines) const {
  const CBitmap& tex = *m_pTexture;
  const TDrawTarget& out = *sink.Target;
  for (int32_t line = m_PolyTop; line <= m_PolyBottom; ++line) {
    if (!m_LeftSet[line] || !m_RightSet[line]) continue;
    const int64_t ty = static_cast<int64_t>(line) + sink.OffsetY;
    if (ty < lines.top || ty > lines.bottom) continue;
    int32_t xa = m_LeftX[line], xb = m_RightX[line];
    int32_t ua = m_LeftU[line], ub = m_RightU[line], va = m_LeftV[line], vb = m_RightV[line];
    // Either winding draws.
    if (xa > xb) {
      std::swap(xa, xb);
      std::swap(ua, ub);
      std::swap(va, vb);
    }
    const int64_t left = std::max<int64_t>(static_cast<int64_t>(xa) + sink.OffsetX, lines.left);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(xb) + sink.OffsetX, lines.right);
    const int32_t length = Clamp32(static_cast<int64_t>(xb) - xa);
    const auto y = static_cast<int32_t>(ty);
    for (int64_t x = left; x <= right; ++x) {
      const auto pos = static_cast<int32_t>(x - sink.OffsetX - xa);
      const uint8_t* texel = xTexelAt(tex, Lerp(ua, ub, pos, length) >> 16, Lerp(va, vb, pos, length) >> 16);
      xWriteTexel(sink, out.At(static_cast<int32_t>(x), y), texel, static_cast<int32_t>(x), y);
    }
  }
}

int32_t CScreenBase::DrawPolygonInto(const TDrawTarget& target, CRect* result) {
  if (!TextureFits(target)) return 0;
  const bool filter = m_PolygonFilter != 0 && target.BytesPerPixel != 1;
  CRect drawn;
  int32_t minX = 0, minY = 0;
  if (!PolygonExtent(target, filter, &drawn, &minX, &minY)) return 0;

  const bool blend = m_AlphaMode == 1 && m_pAlpha && m_pAlpha->m_pData && target.BytesPerPixel != 1 &&
                     (target.BytesPerPixel == 3 || xShadeReady());
  const TTexelKey key{m_TextureKeyOn != 0, m_TextureKey, target.BytesPerPixel};
  TDrawTarget work;
  std::vector<uint8_t> workPixels;
  TSpanSink sink{&target, 0, 0, blend ? m_pAlpha : nullptr, 0, 0, 0, key};
  if (filter) {
    // The box at double size, each target pixel repeated 2 by 2; the tables are relative to the
    // polygon's corner (minX, minY) in half pixels.
    const int32_t w = drawn.right - drawn.left + 1, h = drawn.bottom - drawn.top + 1;
    work.BytesPerPixel = target.BytesPerPixel;
    work.Width = 2 * w;
    work.Height = 2 * h;
    work.Pitch = work.Width * work.BytesPerPixel;
    work.Format = target.Format;
    workPixels.resize(static_cast<size_t>(work.Pitch) * static_cast<size_t>(work.Height));
    work.Pixels = workPixels.data();
    work.Clip.Set(0, 0, work.Width - 1, work.Height - 1);
    for (int32_t y = 0; y < work.Height; ++y)
      for (int32_t x = 0; x < work.Width; ++x)
        xPutPixelBytes(work.At(x, y), target.At(drawn.left + x / 2, drawn.top + y / 2), work.BytesPerPixel);
    sink = {&work,
            Clamp32(static_cast<int64_t>(minX) - 2 * static_cast<int64_t>(drawn.left)),
            Clamp32(static_cast<int64_t>(minY) - 2 * static_cast<int64_t>(drawn.top)),
            sink.Alpha,
            1,
            drawn.left,
            drawn.top,
            key};
  }

  const CRect& lines = filter ? work.Clip : drawn;
  if (PerspectiveWanted()) {
    // Corners in the pixels written: screen pixels, or half pixels from the work buffer's corner.
    double x[4], y[4];
    for (int32_t i = 0; i < 4; ++i) {
      x[i] = filter ? m_PolyX[i] - 2.0 * drawn.left : m_PolyX[i] / 2.0;
      y[i] = filter ? m_PolyY[i] - 2.0 * drawn.top : m_PolyY[i] / 2.0;
    }
    PerspectiveSpans(sink, lines, x, y);
  } else {
    AffineSpans(sink, lines);
  }
  if (filter) {
    CopyFiltered(work.Pixels, work.Pitch, target.At(drawn.left, drawn.top), target.Pitch,
                 drawn.right - drawn.left + 1, drawn.bottom - drawn.top + 1, target.BytesPerPixel, target.Format);
  }
  if (result) *result = drawn;
  return 1;
}

int32_t CScreenBase::MeasurePolygon(CRect* out) {
  TDrawTarget t;
  if (!ScreenTarget(t)) return 0;
  ReleaseScreenBuffer();
  CRect drawn;
  int32_t minX = 0, minY = 0;
  const bool filter = m_PolygonFilter != 0 && t.BytesPerPixel != 1;
  if (!TextureFits(t) || !PolygonExtent(t, filter, &drawn, &minX, &minY)) return 0;
  if (out) *out = drawn;
  return 1;
}

int32_t CScreenBase::SetTextureKey(int32_t on, uint32_t key) {
  m_TextureKeyOn = on ? 1 : 0;
  m_TextureKey = key;
  return 1;
}

int32_t CScreenBase::DrawPolygonSoftware(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height,
                                         int32_t bytesPerPixel, CRect* result) {
  TDrawTarget t;
  return MemoryTarget(pixels, clip, pitch, height, bytesPerPixel, t) ? DrawPolygonInto(t, result) : 0;
}

int32_t CScreenBase::PolygonIntoBitmap(CBitmap* bitmap, CRect*& out, bool shadow, bool persistent) {
  TDrawTarget t;
  if (!BitmapTarget(bitmap, t)) return 0;
  if (persistent) {
    CRect clip(m_Clip), inside(t.Clip);
    if (m_ClipEmpty || !t.Clip.Intersect(&clip, &inside)) return 0;
  }
  if (!t.Palette) t.Palette = &m_Palette;
  CRect drawn;
  const int32_t done = shadow ? DrawShadowPolygonInto(t, &drawn) : DrawPolygonInto(t, &drawn);
  if (!done) return 0;
  bitmap->m_Changed = 1;
  if (persistent) AddClearAreaPersistent(drawn.left, drawn.top, drawn.right + 2, drawn.bottom + 2);
  if (out) *out = drawn;
  return 1;
}

int32_t CScreenBase::DrawPolygonPersistent(CRect*& out) {
  return m_PersistentMode == 1 ? PolygonIntoBitmap(m_pPersistent, out, false, true) : 0;
}

int32_t CScreenBase::DrawPolygonBitmap(CBitmap* bitmap, CRect*& out) {
  return PolygonIntoBitmap(bitmap, out, false, false);
}

int32_t CScreenBase::DrawShadowPolygonPersistent(CRect*& out) {
  return m_PersistentMode == 1 ? PolygonIntoBitmap(m_pPersistent, out, true, true) : 0;
}

int32_t CScreenBase::DrawShadowPolygonBitmap(CBitmap* bitmap, CRect*& out) {
  return PolygonIntoBitmap(bitmap, out, true, false);
}

int32_t CScreenBase::DrawPolygonScreen(CRect*& out) {
  TDrawTarget t;
  if (!ScreenTarget(t)) return 0;
  CRect drawn;
  const int32_t done = DrawPolygonInto(t, &drawn);
  ReleaseScreenBuffer();
  if (!done) return 0;
  AddClearArea(drawn.left, drawn.top, drawn.right + 1, drawn.bottom + 1);
  if (out) {
    *out = drawn;
    out->Normalize();
  }
  return 1;
}

int32_t CScreenBase::DrawShadowPolygonScreen(CRect*& out) {
  TDrawTarget t;
  if (!ScreenTarget(t)) return 0;
  CRect drawn;
  const int32_t done = DrawShadowPolygonInto(t, &drawn);
  ReleaseScreenBuffer();
  if (!done) return 0;
  AddClearArea(drawn.left, drawn.top, drawn.right + 2, drawn.bottom + 2);
  if (out) *out = drawn;
  return 1;
}
