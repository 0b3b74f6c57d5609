// What the two span walkers of the textured polygon share: where a span's pixels go, the texel
// lookup and the colour key.
#pragma once

#include <algorithm>
#include <cstdint>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/drawtarget.h"

// The texel at (tx, ty), clamped to the texture.
inline const uint8_t* xTexelAt(const CBitmap& tex, int32_t tx, int32_t ty) {
  tx = std::clamp(tx, 0, tex.m_Width - 1);
  ty = std::clamp(ty, 0, tex.m_Height - 1);
  return tex.m_pData + static_cast<int64_t>(ty) * tex.m_Pitch + static_cast<int64_t>(tx) * tex.m_BytesPerPixel;
}

// The transparent texel value, if any: its bytes, low first, compared at the texture's size.
struct TTexelKey {
  bool On = false;
  uint32_t Value = 0;
  int32_t BytesPerPixel = 0;

  bool Matches(const uint8_t* texel) const {
    if (!On) return false;
    uint32_t v = texel[0];
    if (BytesPerPixel > 1) v |= static_cast<uint32_t>(texel[1]) << 8;
    if (BytesPerPixel > 2) v |= static_cast<uint32_t>(texel[2]) << 16;
    return v == Value;
  }
};

// Where and how a span is written: the target pixels, the table coordinates' offset in them,
// the alpha buffer and the screen position its pixels stand for.
struct TSpanSink {
  const TDrawTarget* Target;
  int32_t OffsetX, OffsetY;  // table x, y -> target x, y
  const CBitmap* Alpha;      // null: no blending
  int32_t AlphaShift;        // target x, y >> shift ...
  int32_t AlphaX, AlphaY;    // ... + these = alpha buffer x, y
  TTexelKey Key;
};

// One texel into the target at (x, y), darkened by the alpha buffer when there is one; key texels
// are skipped.
void xWriteTexel(const TSpanSink& s, uint8_t* p, const uint8_t* texel, int32_t x, int32_t y);
