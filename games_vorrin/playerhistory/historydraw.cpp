#include "historydraw.h"

#include <algorithm>
#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/bitmap.h"

namespace {
SHistoryGridLook g_Look;

// Columns x1 .. x2 - 1 and rows y1 .. y2 - 1, cut to the target's clip rectangle; false when
// nothing is left.
bool Clip(const CBitmap& target, int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2) {
  CRect clip;
  target.Buffer(&clip);
  x1 = std::max<int64_t>(x1, clip.left);
  y1 = std::max<int64_t>(y1, clip.top);
  x2 = std::min<int64_t>(x2, int64_t{clip.right} + 1);
  y2 = std::min<int64_t>(y2, int64_t{clip.bottom} + 1);
  return target.m_pData && x1 < x2 && y1 < y2;
}

// 24-bit rows are filled three bytes at a time with the pixel's own bytes; other depths pixel
// by pixel.
void Fill(CBitmap& target, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const TRGBA& colour) {
  if (!Clip(target, x1, y1, x2, y2)) return;
  const auto x = static_cast<int32_t>(x1), width = static_cast<int32_t>(x2 - x1);
  for (auto y = static_cast<int32_t>(y1); y < y2; ++y) {
    if (target.m_BitsPerPixel != 24) {
      for (int32_t i = 0; i < width; ++i) target.PutPixel(x + i, y, &colour);
      continue;
    }
    target.PutPixel(x, y, &colour);
    uint8_t* first = target.m_pData + static_cast<size_t>(y) * static_cast<size_t>(target.m_Pitch) + size_t{3} * x;
    if (width > 1)
      xMemset24(first + 3, uint32_t{first[0]} << 16 | uint32_t{first[1]} << 8 | first[2],
                static_cast<uint32_t>(width - 1));
  }
  target.m_Changed = 1;
}
}  // namespace

void xSetHistoryGridLook(const TRGBA& grid, const TRGBA& select, const TRGBA& font, CFont* pFont) {
  g_Look.m_Grid = grid;
  g_Look.m_Select = select;
  g_Look.m_Font = font;
  g_Look.m_pFont = pFont;
}

const SHistoryGridLook& xHistoryGridLook() { return g_Look; }

void xHistoryHLine(CBitmap* target, int64_t x1, int64_t x2, int64_t y, const TRGBA& colour) {
  if (target) Fill(*target, std::min(x1, x2), y, std::max(x1, x2) + 1, y + 1, colour);
}

void xHistoryVLine(CBitmap* target, int64_t x, int64_t y1, int64_t y2, const TRGBA& colour) {
  if (target) Fill(*target, x, std::min(y1, y2), x + 1, std::max(y1, y2) + 1, colour);
}

void xHistoryFillRect(CBitmap* target, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const TRGBA& colour) {
  if (target) Fill(*target, x1, y1, x2, y2, colour);
}

void xHistoryBlit(CBitmap* target, CBitmapBase* source, int64_t x, int64_t y) {
  if (!target || !source || !source->m_pData) return;
  int64_t x1 = x, y1 = y, x2 = x + source->m_Width, y2 = y + source->m_Height;
  if (!Clip(*target, x1, y1, x2, y2)) return;
  // Only the visible part is handed on, so the copy's own arithmetic stays well inside 32 bits.
  target->Blt(source, static_cast<int32_t>(x1 - x), static_cast<int32_t>(y1 - y), static_cast<int32_t>(x1),
              static_cast<int32_t>(y1), static_cast<int32_t>(x2 - x1), static_cast<int32_t>(y2 - y1), BLT_MODE_COPY,
              1, 0);
}
