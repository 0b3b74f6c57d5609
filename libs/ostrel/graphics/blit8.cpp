// Workers with an 8-bit indexed source.
#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/blitrows.h"
#include "ostrel/graphics/palette.h"

namespace {
const CPalette& PaletteOf(const TPixelBuffer& b) { return b.Palette ? *b.Palette : xGreyPalette(); }
}  // namespace

int32_t xBlt8to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                 int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                 int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 1, dst, dstX, dstY, 1, rows)) return 0;
  const int32_t w = rows.Width;
  if (mode != BLT_MODE_KEY) {
    xForEachRow(rows, [w](const uint8_t* s, uint8_t* d) { xMemcpy(d, s, w); });
    return 1;
  }
  const uint8_t key = src.Pixels[0];
  xForEachRow(rows, [w, key](const uint8_t* s, uint8_t* d) {
    for (int32_t x = 0; x < w; ++x) d[x] = s[x] == key ? d[x] : s[x];
  });
  return 1;
}

int32_t xBlt8to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                  int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 1, dst, dstX, dstY, 2, rows)) return 0;
  const CPalette& pal = PaletteOf(src);
  uint16_t table[PALETTE_SIZE];
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA& e = pal.Entry(i);
    table[i] = static_cast<uint16_t>(xPack16(dst.Format, e.r, e.g, e.b));
  }
  const int32_t w = rows.Width;
  if (mode != BLT_MODE_KEY) {
    xForEachRow(rows, [w, &table](const uint8_t* s, uint8_t* d8) {
      uint16_t* d = reinterpret_cast<uint16_t*>(d8);
      for (int32_t x = 0; x < w; ++x) d[x] = table[s[x]];
    });
    return 1;
  }
  const uint8_t key = src.Pixels[0];
  xForEachRow(rows, [w, key, &table](const uint8_t* s, uint8_t* d8) {
    uint16_t* d = reinterpret_cast<uint16_t*>(d8);
    for (int32_t x = 0; x < w; ++x)
      if (s[x] != key) d[x] = table[s[x]];
  });
  return 1;
}

int32_t xBlt8to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                  int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 1, dst, dstX, dstY, 3, rows)) return 0;
  const CPalette& pal = PaletteOf(src);
  const int32_t ri = xChannelByte(dst.Format.RedShift, 3);
  const int32_t gi = xChannelByte(dst.Format.GreenShift, 3);
  const int32_t bi = xChannelByte(dst.Format.BlueShift, 3);
  uint8_t table[PALETTE_SIZE][4] = {};  // bytes no channel covers come out 0
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA& e = pal.Entry(i);
    table[i][ri] = e.r;
    table[i][gi] = e.g;
    table[i][bi] = e.b;
  }
  const int32_t w = rows.Width;
  const bool keyed = mode == BLT_MODE_KEY;
  const uint8_t key = src.Pixels[0];
  xForEachRow(rows, [w, keyed, key, &table](const uint8_t* s, uint8_t* d) {
    for (int32_t x = 0; x < w; ++x, d += 3) {
      if (keyed && s[x] == key) continue;
      std::memcpy(d, table[s[x]], 3);
    }
  });
  return 1;
}
