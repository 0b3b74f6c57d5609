// A pixel buffer as the software drawing of the screens writes it, and the per-pixel helpers
// shared by fills, lines, polygons, shadows and the grey copy.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/graphics/pixelformat.h"
#include "ostrel/graphics/rgba.h"
#include "ostrel/graphics/shade.h"
#include "ostrel/system/globals.h"

struct TDrawTarget {
  uint8_t* Pixels = nullptr;
  int32_t Pitch = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BytesPerPixel = 0;
  TPixelFormat Format{};
  const CPalette* Palette = nullptr;  // 8-bit targets
  CRect Clip;                          // inclusive, inside the pixels

  uint8_t* At(int32_t x, int32_t y) const {
    return Pixels + static_cast<int64_t>(y) * Pitch + static_cast<int64_t>(x) * BytesPerPixel;
  }
};

// Cuts the clip to the pixels; false when nothing is left.
inline bool xFitClip(TDrawTarget& t) {
  t.Clip.Normalize();
  t.Clip.Set(std::max(t.Clip.left, 0), std::max(t.Clip.top, 0), std::min(t.Clip.right, t.Width - 1),
             std::min(t.Clip.bottom, t.Height - 1));
  return t.Pixels && t.BytesPerPixel >= 1 && t.BytesPerPixel <= 3 && t.Clip.left <= t.Clip.right &&
         t.Clip.top <= t.Clip.bottom;
}

// The raw bytes of a colour in the target's format: the palette's nearest entry, a 16-bit word,
// or the three bytes each taking the channel whose shift places it there.
inline void xMakeTargetPixel(const TDrawTarget& t, const TRGBA& c, uint8_t out[3]) {
  out[0] = out[1] = out[2] = 0;
  if (t.BytesPerPixel == 1) {
    out[0] = static_cast<uint8_t>((t.Palette ? *t.Palette : xGreyPalette()).FindMatch(&c));
  } else if (t.BytesPerPixel == 2) {
    const uint32_t p = xPack16(t.Format, c.r, c.g, c.b);
    out[0] = static_cast<uint8_t>(p);
    out[1] = static_cast<uint8_t>(p >> 8);
  } else {
    out[xChannelByte(t.Format.RedShift, 3)] = c.r;
    out[xChannelByte(t.Format.GreenShift, 3)] = c.g;
    out[xChannelByte(t.Format.BlueShift, 3)] = c.b;
  }
}

// Fixed-size copies: a memcpy of a run-time size is a library call for every pixel.
inline void xPutPixelBytes(uint8_t* p, const uint8_t* px, int32_t bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1: p[0] = px[0]; break;
    case 2: std::memcpy(p, px, 2); break;
    default: std::memcpy(p, px, 3); break;
  }
}

// count pixels of the one colour px from p on.
inline void xFillPixelRow(uint8_t* p, const uint8_t* px, int32_t bytesPerPixel, int32_t count) {
  if (count < 1) return;
  if (bytesPerPixel == 1) {
    std::memset(p, px[0], static_cast<size_t>(count));
    return;
  }
  // The first pixel, then copies of what is written so far, doubling each time.
  const size_t total = static_cast<size_t>(count) * static_cast<size_t>(bytesPerPixel);
  xPutPixelBytes(p, px, bytesPerPixel);
  for (size_t done = static_cast<size_t>(bytesPerPixel); done < total;) {
    const size_t n = std::min(done, total - done);
    std::memcpy(p + done, p, n);
    done += n;
  }
}

inline uint32_t xLoad16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
inline void xStore16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// Every byte of a 24-bit pixel made darker by amount (0 .. 255), stopping at 0.
inline void xDarken24(uint8_t* p, int32_t amount) {
  for (int32_t i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(std::max(0, p[i] - amount));
}

// The 16-bit shade tables are usable (PreCalcShade and Set16Bit have run).
inline bool xShadeReady() {
  return glb && glb->m_Shade.ShadeReady && glb->m_Shade.To16 && glb->m_Shade.ShadeEntry;
}
