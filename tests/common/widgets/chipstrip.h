// The chip strip the chip-stack pictures are tested with, made in code: six chips side by side,
// each chip width + 1 pixel apart, each a block of its colour with its 2 by 2 corners left
// see-through green.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "ostrel/graphics/bitmap.h"

inline constexpr int32_t kStripChipW = 20, kStripChipH = 12;  // one chip
inline const TRGBA kStripGreen(0, 255, 0);
// The chips of 1, 5, 25, 100 and 500, then the fraction chip.
inline const TRGBA kStripColours[6] = {{230, 230, 230}, {200, 30, 30}, {30, 60, 200},
                                       {20, 20, 20},    {140, 40, 170}, {230, 190, 20}};

inline void MakeChipStrip(CBitmap& strip) {
  constexpr int32_t w = kStripChipW, h = kStripChipH;
  ASSERT_EQ(strip.CreateRGB(6 * (w + 1), h, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  strip.Fill(&kStripGreen);
  for (int32_t k = 0; k < 6; ++k)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const bool corner = (x < 2 || x >= w - 2) && (y < 2 || y >= h - 2);
        if (!corner) strip.PutPixel(k * (w + 1) + x, y, &kStripColours[k]);
      }
}
