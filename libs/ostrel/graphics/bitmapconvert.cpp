// CBitmap's in-place conversions between depths, built on the pixel workers.
#include <memory>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blitrows.h"
#include "ostrel/graphics/inversetable.h"
#include "ostrel/graphics/palette.h"

namespace {
constexpr uint8_t kIndexFill = 127;
constexpr uint8_t kRGBFill = 255;

std::unique_ptr<uint8_t[]> NewPixels(int32_t pitch, int32_t height, uint8_t fill) {
  if (pitch < 0) return nullptr;
  const size_t n = static_cast<size_t>(pitch) * static_cast<size_t>(height);
  std::unique_ptr<uint8_t[]> p(new (std::nothrow) uint8_t[n]);
  if (p) xMemset(p.get(), fill, n);
  return p;
}

// 8 bits to 8 bits against another palette. Unless told otherwise the old first pixel's index
// is the colour key: key pixels take the key colour's best match, and every other pixel that
// would land there takes the second best, so the key stays recognisable.
void MapIndexed(const SBltRows& rows, const CPalette& from, const CPalette& to, uint8_t key,
                int32_t flags) {
  uint8_t map[PALETTE_SIZE];
  for (int32_t i = 0; i < PALETTE_SIZE; ++i)
    map[i] = static_cast<uint8_t>(to.FindMatch(&from.Entry(i)));
  if (!(flags & BLT_NO_KEY_FIXUP)) {
    const uint8_t best = static_cast<uint8_t>(to.FindMatch(&from.Entry(key)));
    const uint8_t second = static_cast<uint8_t>(to.FindSecondBest(&from.Entry(key)));
    for (int32_t i = 0; i < PALETTE_SIZE; ++i)
      if (map[i] == best) map[i] = second;
    map[key] = best;
  }
  const int32_t w = rows.Width;
  xForEachRow(rows, [w, &map](const uint8_t* s, uint8_t* d) {
    for (int32_t x = 0; x < w; ++x) d[x] = map[s[x]];
  });
}
}  // namespace

int32_t CBitmap::ConvertIndex(int32_t, int32_t, int32_t bits, const CPalette* palette,
                              int32_t flags) {
  m_ClipRect.Set(0, 0, m_Width - 1, m_Height - 1);
  m_ScreenSurface = 0;
  if (bits < 1 || bits > 8) return 0;
  if (palette && m_BitsPerPixel != 8 && !CopyPalette(*palette)) return 0;
  const int32_t pitch = xBitmapPitch(m_Width, m_Height, 1);
  if (m_BytesPerPixel == 1 && m_BitsPerPixel != 8 && m_BitsPerPixel == bits && m_Pitch == pitch)
    return 1;
  if (!m_pData) return 0;
  auto out = NewPixels(pitch, m_Height, kIndexFill);
  if (!out) return 0;

  const CPalette& target = palette ? *palette : PaletteOrGrey();
  CRect whole(0, 0, m_Width - 1, m_Height - 1);
  const TPixelBuffer src = {m_pData, m_Pitch, m_pPalette, Format(), &whole};
  const TPixelBuffer dst = {out.get(), pitch, &target, {}, &whole};
  if (m_BitsPerPixel == 8) {
    SBltRows rows;
    if (xBltRows(src, 0, 0, m_Width, m_Height, 1, dst, 0, 0, 1, rows))
      MapIndexed(rows, PaletteOrGrey(), target, m_pData[0], flags);
    if (!CopyPalette(target)) return 0;
  } else if (m_BitsPerPixel == 24) {
    // Through 5-5-5, the inverse colour table's index.
    const int32_t pitch15 = xBitmapPitch(m_Width, m_Height, 2);
    auto image15 = NewPixels(pitch15, m_Height, 0);
    const uint8_t* table = nullptr;
    xGetInverseTable(&target, &table);
    if (!image15 || !table) return 0;
    const TPixelBuffer mid = {image15.get(), pitch15, nullptr, PIXELFORMAT_555, &whole};
    xBlt24to16(src, 0, 0, m_Width, m_Height, BLT_MODE_COPY, flags, mid, 0, 0);
    xBlt16to8(mid, 0, 0, m_Width, m_Height, BLT_MODE_COPY, 0, dst, 0, 0);
    if (!(flags & BLT_NO_KEY_FIXUP))
      xKeyFix24to8(src, 0, 0, m_Width, m_Height, BLT_MODE_KEY, 0, dst, 0, 0);
    else
      xCallLoadDataCallback();
  }
  // Other depths have no defined picture: the fill value stays.
  AdoptPixels(out.release(), pitch);
  m_BitsPerPixel = bits;
  m_BytesPerPixel = 1;
  m_RGBFlag = 0;
  return 1;
}

int32_t CBitmap::ConvertRGB(int32_t, int32_t, int32_t bits, int32_t redBits, int32_t greenBits,
                            int32_t blueBits, int32_t redShift, int32_t greenShift,
                            int32_t blueShift, int32_t flags) {
  m_ClipRect.Set(0, 0, m_Width - 1, m_Height - 1);
  m_ScreenSurface = 0;
  const TPixelFormat to = {redBits, greenBits, blueBits, redShift, greenShift, blueShift};
  const int32_t bytes = (bits + 7) / 8;
  if (m_BytesPerPixel == bytes && m_BitsPerPixel == bits && Format() == to) return 1;
  if ((bits != 16 && bits != 24 && bits != 32) || !xIsValidPixelFormat(bits, to)) return 0;
  if (m_RGBFlag != 0 && m_RGBFlag != 1) return 1;
  if (m_RGBFlag == 1 && m_BitsPerPixel != 16 && m_BitsPerPixel != 24) return 0;
  if (!m_pData) return 0;
  const int32_t pitch = xBitmapPitch(m_Width, m_Height, bytes);
  auto out = NewPixels(pitch, m_Height, kRGBFill);
  if (!out) return 0;

  CRect whole(0, 0, m_Width - 1, m_Height - 1);
  const TPixelBuffer src = {m_pData, m_Pitch, m_pPalette, Format(), &whole};
  const TPixelBuffer dst = {out.get(), pitch, nullptr, to, &whole};
  const int32_t from = m_RGBFlag == 0 ? 8 : m_BitsPerPixel;
  if (bits != 32) xGetBltWorker(from, bits)(src, 0, 0, m_Width, m_Height, BLT_MODE_COPY, flags, dst, 0, 0);
  if (from == 24 && bits == 16) {
    if (!(flags & BLT_NO_KEY_FIXUP))
      xKeyFix24to16(src, 0, 0, m_Width, m_Height, BLT_MODE_KEY, 0, dst, 0, 0);
    else
      xCallLoadDataCallback();
  }
  AdoptPixels(out.release(), pitch);
  m_BytesPerPixel = bytes;
  m_BitsPerPixel = bits;
  SetFormat(to);
  m_RGBFlag = 1;
  return 1;
}
