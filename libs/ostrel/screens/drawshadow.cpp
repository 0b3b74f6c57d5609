// Darkening: the shadow polygon and the grey copy of the screen into the persistent buffer.
#include <algorithm>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/drawtarget.h"
#include "ostrel/screens/screenbase.h"

namespace {
// The shadow of 24-bit pixels: the seven levels of the 16-bit shadow, at eight bits.
constexpr int32_t kShadow24 = 7 * 8;

uint8_t BlackIndex(const CPalette* palette) {
  const TRGBA black(0, 0, 0);
  return static_cast<uint8_t>((palette ? *palette : xGreyPalette()).FindMatch(&black));
}
}  // namespace

int32_t CScreenBase::DrawShadowPolygonInto(const TDrawTarget& target, CRect* result) {
  if (target.BytesPerPixel == 2 && !xShadeReady()) return 0;
  CRect box, drawn;
  if (!MakeDrawList(&box)) return 0;
  CRect clip(target.Clip);
  if (!drawn.Intersect(&box, &clip)) return 0;
  const uint8_t black = BlackIndex(target.Palette);
  for (int32_t y = std::max(m_PolyTop, drawn.top); y <= std::min(m_PolyBottom, drawn.bottom); ++y) {
    if (!m_LeftSet[y] || !m_RightSet[y]) continue;
    const int32_t a = std::min(m_LeftX[y], m_RightX[y]), b = std::max(m_LeftX[y], m_RightX[y]);
    const int32_t left = std::max(a, drawn.left), right = std::min(b, drawn.right);
    uint8_t* p = target.At(left, y);
    if (target.BytesPerPixel == 3) {
      // Byte by byte, which the compiler runs many at a time.
      for (int32_t i = 0, n = 3 * (right - left + 1); i < n; ++i)
        p[i] = static_cast<uint8_t>(std::max(0, p[i] - kShadow24));
      continue;
    }
    for (int32_t x = left; x <= right; ++x, p += target.BytesPerPixel) {
      if (target.BytesPerPixel == 1) {
        // Every second pixel, shifted by one on odd lines: a checkerboard.
        if (((x + y) & 1) == 0) *p = black;
      } else if (target.BytesPerPixel == 2) {
        xStore16(p, xShadowPixel16(glb->m_Shade, xLoad16(p)));
      } else {
        xDarken24(p, kShadow24);
      }
    }
  }
  if (result) *result = drawn;
  return 1;
}

int32_t CScreenBase::DrawShadowPolygonSoftware(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height,
                                               int32_t bytesPerPixel, CRect* result) {
  TDrawTarget t;
  return MemoryTarget(pixels, clip, pitch, height, bytesPerPixel, t) ? DrawShadowPolygonInto(t, result) : 0;
}

int32_t CScreenBase::ScreenToPersistentGray() {
  CBitmap* p = m_pPersistent;
  if (!m_pActiveMode || !p || !p->m_pData || p->m_BytesPerPixel != m_pActiveMode->BytesPerPixel) return 1;
  const uint8_t* screen = LockScreenBuffer();
  if (!screen) return 1;
  const SVmode& m = *m_pActiveMode;
  const int32_t width = std::min(m.Width, p->m_Width), height = std::min(m.Height, p->m_Height);
  const TPixelFormat f = m.Format();
  const uint8_t black = BlackIndex(&m_Palette);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* s = screen + static_cast<int64_t>(y) * m.Pitch;
    uint8_t* d = p->m_pData + static_cast<int64_t>(y) * p->m_Pitch;
    for (int32_t x = 0; x < width; ++x) {
      if (m.BytesPerPixel == 1) {
        d[x] = ((x + y) & 1) == 0 ? s[x] : black;
      } else if (m.BytesPerPixel == 2) {
        xStore16(d + 2 * x, xGreyPixel16(xLoad16(s + 2 * x), f));
      } else {
        const auto grey = static_cast<uint8_t>((s[3 * x] + s[3 * x + 1] + s[3 * x + 2]) / 6);
        d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = grey;
      }
    }
  }
  ReleaseScreenBuffer();
  p->m_Changed = 1;
  // The dimmed picture is shown at once, not only where something happens to be restored.
  const CRect whole = WholeScreen();
  AddClearAreaPersistent(whole.left, whole.top, whole.right, whole.bottom);
  return 1;
}
