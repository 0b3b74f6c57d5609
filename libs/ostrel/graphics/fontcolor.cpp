#include "ostrel/graphics/fontcolor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {
// Taller cells are drawn by keyed blits alone; the runs would cost more than they save.
constexpr int32_t kMaxRunHeight = 1024;
}  // namespace

bool CFontColor::SameFormat(const CBitmapBase& t) const {
  const CBitmap& b = m_Bitmap;
  if (t.m_BitsPerPixel != b.m_BitsPerPixel || t.m_BytesPerPixel != b.m_BytesPerPixel) return false;
  switch (b.m_BitsPerPixel) {
    case 8:
      return t.m_BytesPerPixel == 1;
    case 16:
      return t.Format() == b.Format();
    case 24:
      return t.Format().SameBytePlaces(b.Format());
    default:
      return false;
  }
}

bool CFontColor::MakeRuns() {
  m_Runs.clear();
  std::fill(std::begin(m_First), std::end(m_First), 0u);
  const CBitmap& b = m_Bitmap;
  const int32_t bpp = b.m_BytesPerPixel;
  if (!b.m_pData || b.m_Width <= 0 || b.m_Height <= 0 || m_CharHeight > kMaxRunHeight) return false;
  if (b.m_BitsPerPixel != 8 && b.m_BitsPerPixel != 16 && b.m_BitsPerPixel != 24) return false;
  const uint8_t* key = b.m_pData;  // the keyed blit's key: the first pixel of the whole copy
  for (int32_t code = 0; code < FONT_CODES; ++code) {
    m_First[code] = static_cast<uint32_t>(m_Runs.size());
    const TFontChar& c = m_pChars[code];
    const int32_t cx = c.x - m_Left, cy = c.y - m_Top;
    const int32_t x0 = std::max(0, -cx), x1 = std::min<int32_t>(c.width, b.m_Width - cx);
    for (int32_t row = std::max(0, -cy); row < m_CharHeight && cy + row < b.m_Height; ++row) {
      const uint8_t* p = b.m_pData + static_cast<ptrdiff_t>(cy + row) * b.m_Pitch;
      int32_t x = x0;
      while (x < x1) {
        while (x < x1 && std::memcmp(p + static_cast<ptrdiff_t>(cx + x) * bpp, key, bpp) == 0) ++x;
        const int32_t start = x;
        while (x < x1 && std::memcmp(p + static_cast<ptrdiff_t>(cx + x) * bpp, key, bpp) != 0) ++x;
        if (x > start)
          m_Runs.push_back({static_cast<uint16_t>(row), static_cast<uint16_t>(start),
                            static_cast<uint16_t>(x - start)});
      }
    }
  }
  m_First[FONT_CODES] = static_cast<uint32_t>(m_Runs.size());
  return true;
}

void CFontColor::DrawGlyph(CBitmapBase* target, uint8_t code, int32_t x, int32_t y, int32_t w,
                           int32_t h) {
  if (w <= 0 || h <= 0 || code >= FONT_CODES) return;
  if (!m_RunsMade) {
    m_HasRuns = MakeRuns();
    m_RunsMade = true;
  }
  const TFontChar& c = m_pChars[code];
  if (!m_HasRuns || !SameFormat(*target)) {
    target->Blt(&m_Bitmap, c.x - m_Left, c.y - m_Top, x, y, w, h, BLT_MODE_KEY, 0, 0);
    return;
  }
  target->m_Changed = 1;
  CRect clip;
  const TPixelBuffer d = target->Buffer(&clip);
  const int32_t r0 = std::max(0, clip.top - y), r1 = std::min(h, clip.bottom + 1 - y);
  const int32_t c0 = std::max(0, clip.left - x), c1 = std::min(w, clip.right + 1 - x);
  if (r0 >= r1 || c0 >= c1) return;
  const ptrdiff_t bpp = m_Bitmap.m_BytesPerPixel;
  const ptrdiff_t sp = m_Bitmap.m_Pitch, dp = d.Pitch;
  const ptrdiff_t sx = c.x - m_Left, sy = c.y - m_Top;
  const uint8_t* src = m_Bitmap.m_pData;
  for (uint32_t k = m_First[code], end = m_First[code + 1]; k < end; ++k) {
    const TRun run = m_Runs[k];
    if (run.row < r0) continue;
    if (run.row >= r1) break;
    const int32_t s = std::max<int32_t>(run.start, c0);
    const int32_t e = std::min<int32_t>(run.start + run.length, c1);
    if (s >= e) continue;
    std::memcpy(d.Pixels + (y + run.row) * dp + (x + s) * bpp,
                src + (sy + run.row) * sp + (sx + s) * bpp, static_cast<size_t>((e - s) * bpp));
  }
}
