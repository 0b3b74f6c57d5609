#include "ostrel/graphics/fontcolor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ostrel/screens/screenbase.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Taller cells are drawn by keyed blits alone; the runs would cost more than they save.
constexpr int32_t kMaxRunHeight = 1024;

template <class T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
// d takes the bits of s where m is set.
template <class T>
void Blend(uint8_t* d, T dv, const uint8_t* s, const uint8_t* m) {
  dv = static_cast<T>(dv ^ ((dv ^ Load<T>(s)) & Load<T>(m)));
  std::memcpy(d, &dv, sizeof dv);
}

// Puts the bytes of s where m is 0xFF into the n bytes of each of rows rows of d, reading and
// writing only those bytes. A row goes in blocks from the front plus one block that ends at its
// end; that last block's target is read before the block it overlaps is written, so no read
// waits on a write. The block size is chosen once for all rows.
template <class T>
void BlendRows(uint8_t* d, int32_t dPitch, const uint8_t* s, int32_t sPitch, const uint8_t* m,
               int32_t n, int32_t rows) {
  const int32_t last = n - static_cast<int32_t>(sizeof(T));
  for (; rows > 0; --rows, d += dPitch, s += sPitch, m += n) {
    const T tail = Load<T>(d + last);
    for (int32_t o = 0; o < last; o += sizeof(T)) Blend(d + o, Load<T>(d + o), s + o, m + o);
    Blend(d + last, tail, s + last, m + last);
  }
}

#if defined(__SSE2__)
struct T128 {
  __m128i v;
  T128 operator&(T128 o) const { return {_mm_and_si128(v, o.v)}; }
  T128 operator^(T128 o) const { return {_mm_xor_si128(v, o.v)}; }
};
#else
using T128 = uint64_t;
#endif

void BlendBlock(uint8_t* d, int32_t dPitch, const uint8_t* s, int32_t sPitch, const uint8_t* m,
                int32_t n, int32_t rows) {
  if (n >= 16) {
    BlendRows<T128>(d, dPitch, s, sPitch, m, n, rows);
  } else if (n >= 8) {
    BlendRows<uint64_t>(d, dPitch, s, sPitch, m, n, rows);
  } else if (n >= 4) {
    BlendRows<uint32_t>(d, dPitch, s, sPitch, m, n, rows);
  } else if (n >= 2) {
    BlendRows<uint16_t>(d, dPitch, s, sPitch, m, n, rows);
  } else {
    BlendRows<uint8_t>(d, dPitch, s, sPitch, m, n, rows);
  }
}
}  // namespace

bool CFontColor::SameFormat(int32_t bits, int32_t bytesPerPixel, const TPixelFormat& f) const {
  const CBitmap& b = m_Bitmap;
  if (bits != b.m_BitsPerPixel || bytesPerPixel != b.m_BytesPerPixel) return false;
  switch (bits) {
    case 8:
      return bytesPerPixel == 1;
    case 16:
      return f == b.Format();
    case 24:
      return f.SameBytePlaces(b.Format());
    default:
      return false;
  }
}

// The keyed blit's key is the first pixel of the whole copy.
bool CFontColor::Opaque(const uint8_t* pixel) const {
  return std::memcmp(pixel, m_Bitmap.m_pData, m_Bitmap.m_BytesPerPixel) != 0;
}

bool CFontColor::MakeRuns() {
  m_Runs.clear();
  m_Masks.clear();
  std::fill(std::begin(m_First), std::end(m_First), 0u);
  std::fill(std::begin(m_Ink), std::end(m_Ink), TInk{kNotMade, 0, 0, 0, 0});
  const CBitmap& b = m_Bitmap;
  const int32_t bpp = b.m_BytesPerPixel;
  if (!b.m_pData || b.m_Width <= 0 || b.m_Height <= 0 || m_CharHeight > kMaxRunHeight) return false;
  if (b.m_BitsPerPixel != 8 && b.m_BitsPerPixel != 16 && b.m_BitsPerPixel != 24) return false;
  for (int32_t code = 0; code < FONT_CODES; ++code) {
    m_First[code] = static_cast<uint32_t>(m_Runs.size());
    const TFontChar& c = m_pChars[code];
    const int32_t cx = c.x - m_Left, cy = c.y - m_Top;
    const int32_t x0 = std::max(0, -cx), x1 = std::min<int32_t>(c.width, b.m_Width - cx);
    for (int32_t row = std::max(0, -cy); row < m_CharHeight && cy + row < b.m_Height; ++row) {
      const uint8_t* p = b.m_pData + static_cast<ptrdiff_t>(cy + row) * b.m_Pitch;
      int32_t x = x0;
      while (x < x1) {
        while (x < x1 && !Opaque(p + static_cast<ptrdiff_t>(cx + x) * bpp)) ++x;
        const int32_t start = x;
        while (x < x1 && Opaque(p + static_cast<ptrdiff_t>(cx + x) * bpp)) ++x;
        if (x > start)
          m_Runs.push_back({static_cast<uint16_t>(row), static_cast<uint16_t>(start),
                            static_cast<uint16_t>(x - start)});
      }
    }
  }
  m_First[FONT_CODES] = static_cast<uint32_t>(m_Runs.size());
  return true;
}

const CFontColor::TInk& CFontColor::MakeInk(uint8_t code) {
  TInk& ink = m_Ink[code];
  ink = {kNoMasks, 0, 0, 0, 0};
  const CBitmap& b = m_Bitmap;
  const TFontChar& c = m_pChars[code];
  const int32_t bpp = b.m_BytesPerPixel, cx = c.x - m_Left, cy = c.y - m_Top;
  if (cx < 0 || cy < 0 || cx + c.width > b.m_Width || cy + m_CharHeight > b.m_Height) return ink;
  const auto pixel = [&](int32_t x, int32_t y) {
    return b.m_pData + static_cast<ptrdiff_t>(cy + y) * b.m_Pitch +
           static_cast<ptrdiff_t>(cx + x) * bpp;
  };
  int32_t left = c.width, right = -1, top = m_CharHeight, bottom = -1;
  for (int32_t y = 0; y < m_CharHeight; ++y)
    for (int32_t x = 0; x < c.width; ++x)
      if (Opaque(pixel(x, y))) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = y;
      }
  ink.at = static_cast<uint32_t>(m_Masks.size());
  if (right < 0) return ink;  // nothing but key
  ink.left = static_cast<uint16_t>(left);
  ink.top = static_cast<uint16_t>(top);
  ink.width = static_cast<uint16_t>(right - left + 1);
  ink.height = static_cast<uint16_t>(bottom - top + 1);
  const int32_t n = ink.width * bpp;
  m_Masks.resize(ink.at + static_cast<size_t>(ink.height) * n, 0);
  uint8_t* m = &m_Masks[ink.at];
  for (int32_t y = top; y <= bottom; ++y, m += n)
    for (int32_t x = left; x <= right; ++x)
      if (Opaque(pixel(x, y))) std::memset(m + (x - left) * bpp, 0xFF, static_cast<size_t>(bpp));
  return ink;
}

void CFontColor::MakeRunsOnce() {
  if (m_RunsMade) return;
  m_HasRuns = MakeRuns();
  m_RunsMade = true;
}

CFontColor::STarget CFontColor::Prepare(CBitmapBase* target) {
  MakeRunsOnce();
  STarget t;
  t.bitmap = target;
  t.screen = nullptr;
  const TPixelBuffer d = target->Buffer(&t.clip);
  t.pixels = d.Pixels;
  t.pitch = d.Pitch;
  t.sameFormat = m_HasRuns && t.pixels &&
                 SameFormat(target->m_BitsPerPixel, target->m_BytesPerPixel, target->Format());
  target->m_Changed = 1;
  return t;
}

CFontColor::STarget CFontColor::Prepare(CScreenBase* screen) {
  MakeRunsOnce();
  STarget t;
  t.bitmap = nullptr;
  t.screen = screen;
  const SVmode* m = screen->GetActiveMode();
  t.pixels = m ? screen->LockScreenBuffer() : nullptr;
  t.pitch = m ? m->Pitch : 0;
  const CRect whole = screen->WholeScreen();
  t.clip = screen->GetClip();
  t.clip.Normalize();
  t.clip.Set(std::max(t.clip.left, whole.left), std::max(t.clip.top, whole.top),
             std::min(t.clip.right, whole.right), std::min(t.clip.bottom, whole.bottom));
  if (!t.pixels || screen->IsClipEmpty()) t.clip.Set(0, 0, -1, -1);
  t.sameFormat = m_HasRuns && t.pixels && SameFormat(m->BitsPerPixel, m->BytesPerPixel, m->Format());
  return t;
}

void CFontColor::DrawGlyph(const STarget& t, uint8_t code, int32_t x, int32_t y, int32_t w,
                           int32_t h) {
  if (w <= 0 || h <= 0 || code >= FONT_CODES) return;
  const TFontChar& c = m_pChars[code];
  if (!t.sameFormat) {
    if (t.bitmap)
      t.bitmap->Blt(&m_Bitmap, c.x - m_Left, c.y - m_Top, x, y, w, h, BLT_MODE_KEY, 0, 0);
    else if (t.clip.left <= t.clip.right)
      t.screen->DrawBitmapScreenGui(&m_Bitmap, c.x - m_Left, c.y - m_Top, x, y, w, h, BLT_MODE_KEY, 0);
    return;
  }
  // Ink that neither the cut width nor the clip touches is blended row by row under its mask;
  // a cut height only drops rows.
  const TInk& ink = m_Ink[code].at == kNotMade ? MakeInk(code) : m_Ink[code];
  if (ink.at != kNoMasks) {
    const int32_t x0 = x + ink.left, y0 = y + ink.top;
    const int32_t rows = std::min<int32_t>(ink.height, h - ink.top);
    if (ink.width == 0 || rows <= 0) return;
    if (ink.left + ink.width <= w && x0 >= t.clip.left && x0 + ink.width - 1 <= t.clip.right &&
        y0 >= t.clip.top && y0 + rows - 1 <= t.clip.bottom) {
      const int32_t bpp = m_Bitmap.m_BytesPerPixel, n = ink.width * bpp;
      const uint8_t* mask = &m_Masks[ink.at];
      const uint8_t* src = m_Bitmap.m_pData +
                           ptrdiff_t{c.y - m_Top + ink.top} * m_Bitmap.m_Pitch +
                           ptrdiff_t{c.x - m_Left + ink.left} * bpp;
      uint8_t* dst = t.pixels + ptrdiff_t{y0} * t.pitch + ptrdiff_t{x0} * bpp;
      BlendBlock(dst, t.pitch, src, m_Bitmap.m_Pitch, mask, n, rows);
      return;
    }
  }
  DrawRuns(t, code, x, y, w, h);
}

void CFontColor::DrawRuns(const STarget& t, uint8_t code, int32_t x, int32_t y, int32_t w,
                          int32_t h) {
  const TFontChar& c = m_pChars[code];
  const int32_t r0 = std::max(0, t.clip.top - y), r1 = std::min(h, t.clip.bottom + 1 - y);
  const int32_t c0 = std::max(0, t.clip.left - x), c1 = std::min(w, t.clip.right + 1 - x);
  if (r0 >= r1 || c0 >= c1) return;
  const ptrdiff_t bpp = m_Bitmap.m_BytesPerPixel;
  const ptrdiff_t sp = m_Bitmap.m_Pitch, dp = t.pitch;
  const ptrdiff_t sx = c.x - m_Left, sy = c.y - m_Top;
  const uint8_t* src = m_Bitmap.m_pData;
  for (uint32_t k = m_First[code], end = m_First[code + 1]; k < end; ++k) {
    const TRun run = m_Runs[k];
    if (run.row < r0) continue;
    if (run.row >= r1) break;
    const int32_t s = std::max<int32_t>(run.start, c0);
    const int32_t e = std::min<int32_t>(run.start + run.length, c1);
    if (s >= e) continue;
    std::memcpy(t.pixels + (y + run.row) * dp + (x + s) * bpp,
                src + (sy + run.row) * sp + (sx + s) * bpp, static_cast<size_t>((e - s) * bpp));
  }
}
