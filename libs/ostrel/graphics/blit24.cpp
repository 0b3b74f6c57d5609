// Workers with a 24-bit source.
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/blitrows.h"
#include "ostrel/graphics/palette.h"

namespace {
struct SBytePlaces {
  explicit SBytePlaces(const TPixelFormat& f)
      : r(xChannelByte(f.RedShift, 3)), g(xChannelByte(f.GreenShift, 3)),
        b(xChannelByte(f.BlueShift, 3)) {}
  int32_t r, g, b;
};

#if defined(__SSE2__)
// Byte i of the mask is 0xFF when bit i of the index is set.
constexpr std::array<uint64_t, 256> MakeByteMasks() {
  std::array<uint64_t, 256> m{};
  for (uint32_t v = 0; v < 256; ++v)
    for (uint32_t i = 0; i < 8; ++i)
      if (v & (1u << i)) m[v] |= uint64_t{0xFF} << (8 * i);
  return m;
}
constexpr std::array<uint64_t, 256> kByteMasks = MakeByteMasks();
#endif

// Keyed copy of rows between equal layouts.
class CKeyedCopy24 {
 public:
  explicit CKeyedCopy24(uint32_t key) : m_Key(key) {
#if defined(__SSE2__)
    // The key repeated every three bytes, at the phase of each vector of a 48-byte block, built
    // from 8-byte halves: every glyph pays for this, most never fill a vector.
    const uint64_t p0 = Repeated(key), p1 = Repeated(key >> 8 | key << 16), p2 = Repeated(key >> 16 | key << 8);
    m_K0 = _mm_set_epi64x(static_cast<int64_t>(p2), static_cast<int64_t>(p0));  // bytes 0, 8
    m_K1 = _mm_set_epi64x(static_cast<int64_t>(p0), static_cast<int64_t>(p1));  // bytes 16, 24
    m_K2 = _mm_set_epi64x(static_cast<int64_t>(p1), static_cast<int64_t>(p2));  // bytes 32, 40
#endif
  }

  void Row(const uint8_t* s, uint8_t* d, int32_t w) const {
    int32_t x = 0;
#if defined(__SSE2__)
    // Sixteen pixels a step: one bit per byte that matches the key's byte at its place, then
    // one bit per pixel whose three bytes all match. Steps without key pixels, or of key pixels
    // alone, cost one test; mixed ones blend through byte masks.
    constexpr uint64_t kFirstBytes = 0x249249249249;  // bit 3i: first byte of pixel i
    for (; x + 16 <= w; x += 16, s += 48, d += 48) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
      const uint64_t eq = static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, m_K0))) |
                          static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, m_K1))) << 16 |
                          static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, m_K2))) << 32;
      const uint64_t keyed = eq & (eq >> 1) & (eq >> 2) & kFirstBytes;
      if (keyed == kFirstBytes) continue;
      __m128i* out = reinterpret_cast<__m128i*>(d);
      if (keyed == 0) {
        _mm_storeu_si128(out, a);
        _mm_storeu_si128(out + 1, b);
        _mm_storeu_si128(out + 2, c);
        continue;
      }
      const uint64_t keep = keyed | keyed << 1 | keyed << 2;  // bytes that stay as they are
      Blend(out, a, keep);
      Blend(out + 1, b, keep >> 16);
      Blend(out + 2, c, keep >> 32);
    }
    // Narrow rows (glyphs): five pixels a step in one vector whose sixteenth byte stays as it
    // is, so only while six pixels or more are left.
    for (; x + 6 <= w; x += 5, s += 15, d += 15) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
      const uint32_t eq = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, m_K0)));
      const uint32_t keyed = eq & (eq >> 1) & (eq >> 2) & 0x1249;  // bit 3i: pixel i is the key
      Blend(reinterpret_cast<__m128i*>(d), a, keyed | keyed << 1 | keyed << 2 | 0x8000);
    }
#endif
    for (; x < w; ++x, s += 3, d += 3)
      if (xLoad24(s) != m_Key) std::memcpy(d, s, 3);
  }

 private:
#if defined(__SSE2__)
  static void Blend(__m128i* out, __m128i src, uint64_t keepBits) {
    const __m128i keep =
        _mm_set_epi64x(static_cast<int64_t>(kByteMasks[(keepBits >> 8) & 0xFF]),
                       static_cast<int64_t>(kByteMasks[keepBits & 0xFF]));
    const __m128i old = _mm_loadu_si128(out);
    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, src)));
  }

  // Eight bytes of the key's three, repeated from its first byte on.
  static uint64_t Repeated(uint32_t key) {
    const uint64_t k = key & 0xFFFFFFu;
    return k | k << 24 | k << 48;
  }

  __m128i m_K0, m_K1, m_K2;
#endif
  uint32_t m_Key;
};

// Each source byte's share of the packed 16-bit pixel, so a pixel costs three lookups whatever
// the two layouts are.
struct SPackTables {
  SPackTables(const TPixelFormat& sf, const TPixelFormat& df) {
    const SBytePlaces at(sf);
    std::memset(t, 0, sizeof t);
    for (uint32_t v = 0; v < 256; ++v) {
      t[at.r][v] |= static_cast<uint16_t>(xPackChannel(v, df.RedShift, df.RedBits));
      t[at.g][v] |= static_cast<uint16_t>(xPackChannel(v, df.GreenShift, df.GreenBits));
      t[at.b][v] |= static_cast<uint16_t>(xPackChannel(v, df.BlueShift, df.BlueBits));
    }
  }
  uint16_t Pack(const uint8_t* p) const { return t[0][p[0]] | t[1][p[1]] | t[2][p[2]]; }
  uint16_t t[3][256];
};

// Error diffusion along one row: each channel carries the bits its field drops into the next
// pixel; nothing passes between rows.
void DitherRow(const uint8_t* s, uint16_t* d, int32_t w, const SBytePlaces& at,
               const TPixelFormat& df) {
  const int32_t rl = 8 - df.RedBits, gl = 8 - df.GreenBits, bl = 8 - df.BlueBits;
  const uint32_t rm = (1u << rl) - 1, gm = (1u << gl) - 1, bm = (1u << bl) - 1;
  uint32_t er = 0, eg = 0, eb = 0;
  for (int32_t x = 0; x < w; ++x, s += 3) {
    uint32_t r = s[at.r] + er, g = s[at.g] + eg, b = s[at.b] + eb;
    if (r > 255) r = 255;
    if (g > 255) g = 255;
    if (b > 255) b = 255;
    er = r & rm;
    eg = g & gm;
    eb = b & bm;
    d[x] = static_cast<uint16_t>(((r >> rl) << df.RedShift) | ((g >> gl) << df.GreenShift) |
                                 ((b >> bl) << df.BlueShift));
  }
}

// Key pixels get the key's value; any other pixel that came out with that value gets the other.
template <class TPixel>
void FixUpKey(const SBltRows& rows, uint32_t key, TPixel keyValue, TPixel other) {
  const int32_t w = rows.Width;
  xForEachRow(rows, [=](const uint8_t* s, uint8_t* d8) {
    TPixel* d = reinterpret_cast<TPixel*>(d8);
    for (int32_t x = 0; x < w; ++x, s += 3) {
      if (xLoad24(s) == key) d[x] = keyValue;
      else if (d[x] == keyValue) d[x] = other;
    }
  });
}

// Remembers recent nearest-colour answers; neighbouring pixels mostly repeat colours.
class CMatchCache {
 public:
  explicit CMatchCache(const CPalette& pal) : m_Pal(pal) {
    std::memset(m_Keys, 0xFF, sizeof m_Keys);
  }
  uint8_t Match(uint32_t rgb, const SBytePlaces& at, const uint8_t* p) {
    const uint32_t slot = (rgb ^ (rgb >> 9) ^ (rgb >> 17)) & (kSlots - 1);
    if (m_Keys[slot] != rgb) {
      const TRGBA c(p[at.r], p[at.g], p[at.b]);
      m_Keys[slot] = rgb;
      m_Values[slot] = static_cast<uint8_t>(m_Pal.FindMatch(&c));
    }
    return m_Values[slot];
  }

 private:
  static constexpr uint32_t kSlots = 256;
  const CPalette& m_Pal;
  uint32_t m_Keys[kSlots];
  uint8_t m_Values[kSlots];
};
}  // namespace

int32_t xBlt24to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                   int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 3, dst, dstX, dstY, 3, rows)) return 0;
  const int32_t w = rows.Width;
  const bool keyed = mode == BLT_MODE_KEY;
  const uint32_t key = xLoad24(src.Pixels);
  if (src.Format.SameBytePlaces(dst.Format)) {
    if (keyed) {
      const CKeyedCopy24 copy(key);
      xForEachRow(rows, [w, &copy](const uint8_t* s, uint8_t* d) { copy.Row(s, d, w); });
    } else {
      xForEachRow(rows, [w](const uint8_t* s, uint8_t* d) { xMemcpy(d, s, 3 * size_t(w)); });
    }
    return 1;
  }
  const SBytePlaces from(src.Format), to(dst.Format);
  xForEachRow(rows, [=](const uint8_t* s, uint8_t* d) {
    for (int32_t x = 0; x < w; ++x, s += 3, d += 3) {
      if (keyed && xLoad24(s) == key) continue;
      const uint8_t r = s[from.r], g = s[from.g], b = s[from.b];
      d[to.r] = r;
      d[to.g] = g;
      d[to.b] = b;
    }
  });
  return 1;
}

int32_t xBlt24to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                   int32_t dstX, int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 3, dst, dstX, dstY, 2, rows)) return 0;
  const int32_t w = rows.Width;
  if (mode != BLT_MODE_KEY && flags) {
    const SBytePlaces at(src.Format);
    const TPixelFormat& df = dst.Format;
    xForEachRow(rows, [&](const uint8_t* s, uint8_t* d) {
      DitherRow(s, reinterpret_cast<uint16_t*>(d), w, at, df);
    });
    return 1;
  }
  const SPackTables pack(src.Format, dst.Format);
  if (mode != BLT_MODE_KEY) {
    xForEachRow(rows, [w, &pack](const uint8_t* s, uint8_t* d8) {
      uint16_t* d = reinterpret_cast<uint16_t*>(d8);
      for (int32_t x = 0; x < w; ++x, s += 3) d[x] = pack.Pack(s);
    });
    return 1;
  }
  const uint32_t key = xLoad24(src.Pixels);
  xForEachRow(rows, [w, key, &pack](const uint8_t* s, uint8_t* d8) {
    uint16_t* d = reinterpret_cast<uint16_t*>(d8);
    for (int32_t x = 0; x < w; ++x, s += 3)
      if (xLoad24(s) != key) d[x] = pack.Pack(s);
  });
  return 1;
}

int32_t xBlt24to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                  int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 3, dst, dstX, dstY, 1, rows)) return 0;
  const CPalette& pal = dst.Palette ? *dst.Palette : xGreyPalette();
  const SBytePlaces at(src.Format);
  CMatchCache cache(pal);
  const bool keyed = mode == BLT_MODE_KEY;
  const uint32_t key = xLoad24(src.Pixels);
  const uint8_t keyMatch = cache.Match(key, at, src.Pixels);
  const int32_t w = rows.Width;
  xForEachRow(rows, [&](const uint8_t* s, uint8_t* d) {
    for (int32_t x = 0; x < w; ++x, s += 3) {
      const uint8_t m = cache.Match(xLoad24(s), at, s);
      if (!keyed || m != keyMatch) d[x] = m;
    }
  });
  return 1;
}

int32_t xKeyFix24to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                      int32_t height, int32_t, int32_t, const TPixelBuffer& dst, int32_t dstX,
                      int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 3, dst, dstX, dstY, 2, rows)) return 0;
  const TPixelFormat& df = dst.Format;
  const uint32_t key = xLoad24(src.Pixels);
  const uint16_t keyPixel = SPackTables(src.Format, df).Pack(src.Pixels);
  // The key's neighbour along the blue field: up while the field is small, else down.
  const uint32_t blueMask = xChannelMask(df.BlueShift, df.BlueBits);
  const uint32_t blue = (keyPixel & blueMask) >> df.BlueShift;
  const uint32_t moved = blue < 4 ? blue + 1 : blue - 1;
  const uint16_t other =
      static_cast<uint16_t>((keyPixel & ~blueMask) | ((moved << df.BlueShift) & blueMask));
  FixUpKey<uint16_t>(rows, key, keyPixel, other);
  return 1;
}

int32_t xKeyFix24to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                     int32_t height, int32_t, int32_t, const TPixelBuffer& dst, int32_t dstX,
                     int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 3, dst, dstX, dstY, 1, rows)) return 0;
  const CPalette& pal = dst.Palette ? *dst.Palette : xGreyPalette();
  const SBytePlaces at(src.Format);
  const TRGBA keyColour(src.Pixels[at.r], src.Pixels[at.g], src.Pixels[at.b]);
  const uint32_t key = xLoad24(src.Pixels);
  const uint8_t best = static_cast<uint8_t>(pal.FindMatch(&keyColour));
  const uint8_t second = static_cast<uint8_t>(pal.FindSecondBest(&keyColour));
  FixUpKey<uint8_t>(rows, key, best, second);
  return 1;
}
