// Bitmaps into the screen buffer and the persistent and alpha buffers, and copies back out of the
// screen buffer, all through the pixel workers.
#include <algorithm>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/graphics/inversetable.h"
#include "ostrel/screens/drawtarget.h"
#include "ostrel/screens/screenbase.h"

namespace {
// The clip as the workers take it: a whole buffer's rectangle, or a drawing clip cut to it.
CRect Bounds(int32_t width, int32_t height) { return CRect(0, 0, width - 1, height - 1); }

bool CutTo(CRect& clip, const CRect& bounds) {
  clip.Normalize();
  clip.Set(std::max(clip.left, bounds.left), std::max(clip.top, bounds.top), std::min(clip.right, bounds.right),
           std::min(clip.bottom, bounds.bottom));
  return clip.left <= clip.right && clip.top <= clip.bottom;
}

bool HasPixels(const CBitmap* b) { return b && b->m_pData && b->m_Width > 0 && b->m_Height > 0; }

// One copy between two buffers inside their clips; drawn gets the destination rectangle written.
int32_t Copy(const TPixelBuffer& src, int32_t srcBits, int32_t srcX, int32_t srcY, const TPixelBuffer& dst,
             int32_t dstBits, int32_t dstX, int32_t dstY, int32_t width, int32_t height, int32_t mode, int32_t flags,
             CRect* drawn) {
  const TBltWorker worker = xGetBltWorker(srcBits, dstBits);
  if (!worker || width < 1 || height < 1) return 0;
  if (!ClipBlitRects(srcX, srcY, width, height, src.Clip, dstX, dstY, dst.Clip)) return 0;
  worker(src, srcX, srcY, width, height, mode, flags, dst, dstX, dstY);
  if (drawn) drawn->Set(dstX, dstY, dstX + width - 1, dstY + height - 1);
  return 1;
}
}  // namespace

int32_t CScreenBase::BlitToScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                  int32_t width, int32_t height, int32_t mode, const CRect& dstClip, CRect* drawn) {
  uint8_t* pixels = LockScreenBuffer();
  if (!pixels || !m_pActiveMode || !HasPixels(bitmap)) return 0;
  if (width == -1) width = bitmap->m_Width;
  if (height == -1) height = bitmap->m_Height;
  CRect srcClip, clip(dstClip);
  int32_t done = 0;
  if (CutTo(clip, WholeScreen())) {
    const TPixelBuffer src = bitmap->Buffer(&srcClip);
    const TPixelBuffer dst{pixels, m_pActiveMode->Pitch, &m_Palette, m_pActiveMode->Format(), &clip};
    done = Copy(src, bitmap->m_BitsPerPixel, srcX, srcY, dst, m_pActiveMode->BitsPerPixel, dstX, dstY, width, height,
                mode, 0, drawn);
  }
  ReleaseScreenBuffer();
  return done;
}

int32_t CScreenBase::BlitFromScreen(CBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height) {
  uint8_t* pixels = LockScreenBuffer();
  if (!pixels || !m_pActiveMode || !HasPixels(bitmap)) return 0;
  if (width == -1) width = bitmap->m_Width;
  if (height == -1) height = bitmap->m_Height;
  CRect srcClip = WholeScreen(), dstClip;
  const TPixelBuffer src{pixels, m_pActiveMode->Pitch, &m_Palette, m_pActiveMode->Format(), &srcClip};
  const TPixelBuffer dst = bitmap->Buffer(&dstClip);
  const int32_t done =
      Copy(src, m_pActiveMode->BitsPerPixel, x, y, dst, bitmap->m_BitsPerPixel, 0, 0, width, height, 0, 0, nullptr);
  bitmap->m_Changed = 1;
  ReleaseScreenBuffer();
  return done;
}

void CScreenBase::RestoreFromPersistent(const CRect& area) {
  if (!HasPixels(m_pPersistent) || CAreaList::IsKilled(area)) return;
  CRect r(area);
  r.Normalize();
  BlitToScreen(m_pPersistent, r.left, r.top, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, 0,
               WholeScreen(), nullptr);
}

int32_t CScreenBase::DrawBitmapPersistent(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                          int32_t width, int32_t height, int32_t mode, int32_t) {
  if (m_PersistentMode != 1 || !HasPixels(m_pPersistent) || !HasPixels(bitmap) || m_ClipEmpty) return 0;
  if (width == -1) width = bitmap->m_Width;
  if (height == -1) height = bitmap->m_Height;
  CRect srcClip, dstClip(m_Clip);
  bitmap->Buffer(&srcClip);
  if (!CutTo(dstClip, Bounds(m_pPersistent->m_Width, m_pPersistent->m_Height)) ||
      !ClipBlitRects(srcX, srcY, width, height, &srcClip, dstX, dstY, &dstClip))
    return 0;
  m_pPersistent->Blt(bitmap, srcX, srcY, dstX, dstY, width, height, mode, 1, 0);
  if (m_pActiveMode && m_pActiveMode->Indexed && m_pPersistent->m_pPalette && bitmap->m_pPalette)
    m_pPersistent->m_pPalette->Clone(bitmap->m_pPalette);
  AddClearAreaPersistent(dstX, dstY, dstX + width - 1, dstY + height - 1);
  return 1;
}

int32_t CScreenBase::DrawBitmapPersistentScale(CBitmap* bitmap, CRect* src, CRect* dst, int32_t mode) {
  if (m_PersistentMode != 1 || !HasPixels(m_pPersistent) || !HasPixels(bitmap) || !src || !dst || m_ClipEmpty)
    return 0;
  const int32_t bits = bitmap->m_BitsPerPixel;
  if (bits != 8 && bits != 16 && bits != 24) return 0;
  CRect s(*src), d(*dst);
  s.Normalize();
  d.Normalize();
  if (!CutTo(s, Bounds(bitmap->m_Width, bitmap->m_Height))) return 0;
  CRect visible(d), clip(m_Clip);
  if (!CutTo(clip, Bounds(m_pPersistent->m_Width, m_pPersistent->m_Height)) || !CutTo(visible, clip)) return 0;
  // Only the visible part is made, at most the size of the buffer. The row above it repeats the
  // source's first pixel, the colour key of the keyed copy.
  const int64_t srcW = static_cast<int64_t>(s.right) - s.left + 1, srcH = static_cast<int64_t>(s.bottom) - s.top + 1;
  const int64_t dstW = static_cast<int64_t>(d.right) - d.left + 1, dstH = static_cast<int64_t>(d.bottom) - d.top + 1;
  const int32_t w = visible.right - visible.left + 1, h = visible.bottom - visible.top + 1;
  CBitmap scaled;
  const int32_t made = bits == 8 ? scaled.CreateIndex(w, h + 1, 8, bitmap->m_pPalette, 0)
                                 : scaled.CreateRGB(w, h + 1, bits, bitmap->m_RedBits, bitmap->m_GreenBits,
                                                    bitmap->m_BlueBits, bitmap->m_RedShift, bitmap->m_GreenShift,
                                                    bitmap->m_BlueShift, 0);
  if (!made) return 0;
  const int32_t bpp = bitmap->m_BytesPerPixel;
  for (int32_t x = 0; x < w; ++x)
    std::copy(bitmap->m_pData, bitmap->m_pData + bpp, scaled.m_pData + static_cast<int64_t>(x) * bpp);
  for (int32_t y = 0; y < h; ++y) {
    const int64_t sy = s.top + (static_cast<int64_t>(visible.top - d.top + y) * srcH) / dstH;
    const uint8_t* srcRow = bitmap->m_pData + sy * bitmap->m_Pitch;
    uint8_t* row = scaled.m_pData + static_cast<int64_t>(y + 1) * scaled.m_Pitch;
    for (int32_t x = 0; x < w; ++x) {
      const int64_t sx = s.left + (static_cast<int64_t>(visible.left - d.left + x) * srcW) / dstW;
      std::copy(srcRow + sx * bpp, srcRow + sx * bpp + bpp, row + static_cast<int64_t>(x) * bpp);
    }
  }
  m_pPersistent->Blt(&scaled, 0, 1, visible.left, visible.top, w, h, mode, 1, 0);
  AddClearAreaPersistent(visible.left, visible.top, visible.right, visible.bottom);
  return 1;
}

int32_t CScreenBase::DrawBitmapAlpha(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                     int32_t width, int32_t height, int32_t mode, int32_t) {
  if (m_AlphaMode != 1 || !HasPixels(m_pAlpha) || !HasPixels(bitmap)) return 0;
  // The process keeps one inverse table; the grey ramp must not borrow the screen palette's.
  xDiscardInverseTable();
  const int32_t converted = bitmap->ConvertIndex(-1, -1, 8, &m_GreyPalette, 1);
  xDiscardInverseTable();
  if (!converted) return 0;
  m_pAlpha->Blt(bitmap, srcX, srcY, dstX, dstY, width, height, mode, 0, 0);
  return 1;
}
