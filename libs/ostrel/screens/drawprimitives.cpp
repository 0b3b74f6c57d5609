// Rectangle fills and darkening, lines and their clipping, straight into the screen buffer.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/drawtarget.h"
#include "ostrel/screens/screenbase.h"

namespace {
constexpr int32_t kOutBelow = 1, kOutAbove = 2, kOutRight = 4, kOutLeft = 8;
constexpr int32_t kShadeLevels = SHADE_LEVELS - 1;  // 31: the darkest level

int32_t Percent(int32_t percent) { return std::clamp(percent, 0, 100); }

// A horizontal or vertical line, cut to the target's clip: the pixels a stepped line would set.
void DrawStraightLine(const TDrawTarget& t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const uint8_t* px) {
  const int32_t left = std::max(std::min(x1, x2), t.Clip.left), right = std::min(std::max(x1, x2), t.Clip.right);
  const int32_t top = std::max(std::min(y1, y2), t.Clip.top), bottom = std::min(std::max(y1, y2), t.Clip.bottom);
  if (left > right || top > bottom) return;
  if (top == bottom) {
    xFillPixelRow(t.At(left, top), px, t.BytesPerPixel, right - left + 1);
    return;
  }
  for (int32_t y = top; y <= bottom; ++y) xPutPixelBytes(t.At(left, y), px, t.BytesPerPixel);
}
}  // namespace

bool CScreenBase::ScreenTarget(TDrawTarget& t) {
  if (!m_pActiveMode || m_ClipEmpty) return false;
  const SVmode& mode = *m_pActiveMode;
  t = {.Pixels = LockScreenBuffer(), .Pitch = mode.Pitch, .Width = mode.Width, .Height = mode.Height,
       .BytesPerPixel = mode.BytesPerPixel, .Format = mode.Format(), .Palette = &m_Palette, .Clip = m_Clip};
  const bool ok = xFitClip(t);
  if (!ok && t.Pixels) ReleaseScreenBuffer();
  return ok;
}

bool CScreenBase::BitmapTarget(CBitmap* bitmap, TDrawTarget& t) {
  if (!bitmap) return false;
  t = {.Pixels = bitmap->m_pData, .Pitch = bitmap->m_Pitch, .Width = bitmap->m_Width, .Height = bitmap->m_Height,
       .BytesPerPixel = bitmap->m_BytesPerPixel, .Format = bitmap->Format(), .Palette = bitmap->m_pPalette,
       .Clip = bitmap->m_ClipRect};
  return xFitClip(t);
}

bool CScreenBase::MemoryTarget(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height,
                               int32_t bytesPerPixel, TDrawTarget& t) {
  // What the width needs; null pixels and sizes above 3 the clip fitting refuses.
  if (!clip || !m_pActiveMode || bytesPerPixel < 1 || pitch < bytesPerPixel) return false;
  t = {.Pixels = pixels, .Pitch = pitch, .Width = pitch / bytesPerPixel, .Height = height,
       .BytesPerPixel = bytesPerPixel, .Format = m_pActiveMode->Format(), .Palette = &m_Palette, .Clip = *clip};
  return xFitClip(t);
}

void CScreenBase::FillRect(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& colour) {
  TDrawTarget t;
  if (width < 1 || height < 1 || !ScreenTarget(t)) return;
  CRect r, area;
  area.SetXYWH(x, y, width, height);
  if (r.Intersect(&area, &t.Clip)) {
    uint8_t px[3];
    xMakeTargetPixel(t, colour, px);
    // One row filled, then copied to the others.
    uint8_t* first = t.At(r.left, r.top);
    const int32_t width = r.right - r.left + 1;
    xFillPixelRow(first, px, t.BytesPerPixel, width);
    const auto rowBytes = static_cast<size_t>(width) * static_cast<size_t>(t.BytesPerPixel);
    for (int32_t row = r.top + 1; row <= r.bottom; ++row) std::memcpy(t.At(r.left, row), first, rowBytes);
  }
  ReleaseScreenBuffer();
}

void CScreenBase::FillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent) {
  TDrawTarget t;
  if (width < 1 || height < 1 || !ScreenTarget(t)) return;
  percent = Percent(percent);
  CRect r, area;
  area.SetXYWH(x, y, width, height);
  const bool shade16 = t.BytesPerPixel == 2 && xShadeReady();
  if (r.Intersect(&area, &t.Clip) && (shade16 || t.BytesPerPixel == 3)) {
    const int32_t level = percent * kShadeLevels / 100;
    const int32_t amount = 255 * percent / 100;
    for (int32_t row = r.top; row <= r.bottom; ++row) {
      uint8_t* p = t.At(r.left, row);
      for (int32_t col = r.left; col <= r.right; ++col, p += t.BytesPerPixel) {
        if (shade16) {
          xStore16(p, xShadeDarken(glb->m_Shade, xLoad16(p), level));
        } else {
          xDarken24(p, amount);
        }
      }
    }
  }
  ReleaseScreenBuffer();
}

int32_t CScreenBase::CompOutCode(int32_t x, int32_t y) const {
  int32_t code = 0;
  if (y > m_Clip.bottom) {
    code |= kOutBelow;
  } else if (y < m_Clip.top) {
    code |= kOutAbove;
  }
  if (x > m_Clip.right) {
    code |= kOutRight;
  } else if (x < m_Clip.left) {
    code |= kOutLeft;
  }
  return code;
}

uint32_t CScreenBase::ClipLine(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) {
  if (m_ClipEmpty) return 0;
  int32_t c1 = CompOutCode(x1, y1), c2 = CompOutCode(x2, y2);
  if (c1 & c2) return 0;
  while (c1 | c2) {
    const bool first = c1 != 0;
    const int32_t code = first ? c1 : c2;
    // 64 bits: the products of far-off end points do not fit 32.
    const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
    int64_t x, y;
    if (code & (kOutBelow | kOutAbove)) {
      if (dy == 0) return 0;
      y = (code & kOutBelow) ? m_Clip.bottom : m_Clip.top;
      x = x1 + dx * (y - y1) / dy;
    } else {
      if (dx == 0) return 0;
      x = (code & kOutRight) ? m_Clip.right : m_Clip.left;
      y = y1 + dy * (x - x1) / dx;
    }
    if (first) {
      x1 = static_cast<int32_t>(x);
      y1 = static_cast<int32_t>(y);
      c1 = CompOutCode(x1, y1);
    } else {
      x2 = static_cast<int32_t>(x);
      y2 = static_cast<int32_t>(y);
      c2 = CompOutCode(x2, y2);
    }
    if (c1 & c2) return 0;
  }
  return 1;
}

void CScreenBase::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const TRGBA& colour) {
  if (!ClipLine(x1, y1, x2, y2)) return;
  TDrawTarget t;
  if (!ScreenTarget(t)) return;
  uint8_t px[3];
  xMakeTargetPixel(t, colour, px);
  if (x1 == x2 || y1 == y2) {
    // The frames and bevels of the controls: straight runs, no stepping.
    DrawStraightLine(t, x1, y1, x2, y2, px);
    ReleaseScreenBuffer();
    return;
  }
  const int32_t adx = std::abs(x2 - x1), ady = std::abs(y2 - y1);
  const bool alongX = ady <= adx;
  // Start at the end with the smaller coordinate on the major axis.
  if ((alongX && x2 < x1) || (!alongX && y2 < y1)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int32_t major = alongX ? adx : ady, minor = alongX ? ady : adx;
  const int32_t minorStep = alongX ? (y2 < y1 ? -1 : 1) : (x2 < x1 ? -1 : 1);
  int32_t error = 2 * minor - major, x = x1, y = y1;
  for (int32_t i = 0; i <= major; ++i) {
    // The clipped end points lie inside the clip; the check guards the rounding between them.
    if (t.Clip.IsPntInRect(x, y)) xPutPixelBytes(t.At(x, y), px, t.BytesPerPixel);
    if (error > 0) {
      (alongX ? y : x) += minorStep;
      error += 2 * (minor - major);
    } else {
      error += 2 * minor;
    }
    (alongX ? x : y) += 1;
  }
  ReleaseScreenBuffer();
}
