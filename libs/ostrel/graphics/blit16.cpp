// Workers with a 16-bit source.
#include "ostrel/base/xstring.h"
#include "ostrel/graphics/blitrows.h"

namespace {
// Unpacks one channel to 8 bits and packs it into another field, all shifts fixed per call.
struct SRepack {
  SRepack(int32_t srcShift, int32_t srcBits, int32_t dstShift, int32_t dstBits)
      : in(srcShift), up(8 - srcBits), down(8 - dstBits), out(dstShift) {}
  uint32_t operator()(uint32_t p) const {
    return (static_cast<uint32_t>(static_cast<uint8_t>((p >> in) << up)) >> down) << out;
  }
  int32_t in, up, down, out;
};
}  // namespace

int32_t xBlt16to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                   int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 2, dst, dstX, dstY, 2, rows)) return 0;
  const int32_t w = rows.Width;
  const bool keyed = mode == BLT_MODE_KEY;
  const uint16_t key = *reinterpret_cast<const uint16_t*>(src.Pixels);
  const TPixelFormat& sf = src.Format;
  const TPixelFormat& df = dst.Format;
  if (sf == df) {
    if (!keyed) {
      xForEachRow(rows, [w](const uint8_t* s, uint8_t* d) { xMemcpy(d, s, 2 * size_t(w)); });
      return 1;
    }
    xForEachRow(rows, [w, key](const uint8_t* s8, uint8_t* d8) {
      const uint16_t* s = reinterpret_cast<const uint16_t*>(s8);
      uint16_t* d = reinterpret_cast<uint16_t*>(d8);
      for (int32_t x = 0; x < w; ++x) d[x] = s[x] == key ? d[x] : s[x];
    });
    return 1;
  }
  const SRepack r(sf.RedShift, sf.RedBits, df.RedShift, df.RedBits);
  const SRepack g(sf.GreenShift, sf.GreenBits, df.GreenShift, df.GreenBits);
  const SRepack b(sf.BlueShift, sf.BlueBits, df.BlueShift, df.BlueBits);
  xForEachRow(rows, [=](const uint8_t* s8, uint8_t* d8) {
    const uint16_t* s = reinterpret_cast<const uint16_t*>(s8);
    uint16_t* d = reinterpret_cast<uint16_t*>(d8);
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = s[x];
      const uint16_t q = static_cast<uint16_t>(r(p) | g(p) | b(p));
      d[x] = keyed && p == key ? d[x] : q;
    }
  });
  return 1;
}

int32_t xBlt16to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t, const TPixelBuffer& dst, int32_t dstX,
                   int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 2, dst, dstX, dstY, 3, rows)) return 0;
  const int32_t w = rows.Width;
  const bool keyed = mode == BLT_MODE_KEY;
  const uint16_t key = *reinterpret_cast<const uint16_t*>(src.Pixels);
  const TPixelFormat& sf = src.Format;
  const int32_t ri = xChannelByte(dst.Format.RedShift, 3);
  const int32_t gi = xChannelByte(dst.Format.GreenShift, 3);
  const int32_t bi = xChannelByte(dst.Format.BlueShift, 3);
  xForEachRow(rows, [=](const uint8_t* s8, uint8_t* d) {
    const uint16_t* s = reinterpret_cast<const uint16_t*>(s8);
    for (int32_t x = 0; x < w; ++x, d += 3) {
      const uint32_t p = s[x];
      if (keyed && p == key) continue;
      d[ri] = xUnpackChannel(p, sf.RedShift, sf.RedBits);
      d[gi] = xUnpackChannel(p, sf.GreenShift, sf.GreenBits);
      d[bi] = xUnpackChannel(p, sf.BlueShift, sf.BlueBits);
    }
  });
  return 1;
}
