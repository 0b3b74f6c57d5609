// The shade, brightening, shadow and clamp tables of the 16-bit software drawing (kept in
// glb->m_Shade, see shadetables.h), and the per-pixel conversions the screens draw with.
// Programs build them once the screen layout is known: Set16Bit, PreCalcShade, PreCalcShade24;
// DeleteShade at exit.
#pragma once

#include <cstdint>

#include "ostrel/graphics/shadetables.h"

// Stores the screen layout and rebuilds the 15-to-screen table; 0 when it cannot be allocated.
uint16_t Set16Bit(uint16_t redShift, uint16_t redLoss, uint16_t greenShift, uint16_t greenLoss,
                  uint16_t blueShift, uint16_t blueLoss);
// The shade cube with its entries and steps, the brightening cube and the shadow table at half
// brightness; 1 at once once built. 0 when a table cannot be allocated.
int32_t PreCalcShade();
// Rebuilds the shadow table with the factor 1 / divisor; 0 when it cannot be allocated or the
// divisor is not positive.
int32_t CalcShadow(float divisor);
void PreCalcShade24();
// Frees every table, so PreCalcShade and Set16Bit build them again.
void DeleteShade();

// A 15-bit colour from 8-bit channels (their top five bits).
inline uint16_t xPack15(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
}
// A screen pixel's channels as 8-bit values of their top five bits.
inline void xShadeUnpack(const SShadeTables& t, uint32_t pixel, uint32_t& r, uint32_t& g,
                         uint32_t& b) {
  r = static_cast<uint8_t>((pixel >> t.RedShift) << t.RedLoss) & 0xF8u;
  g = static_cast<uint8_t>((pixel >> t.GreenShift) << t.GreenLoss) & 0xF8u;
  b = static_cast<uint8_t>((pixel >> t.BlueShift) << t.BlueLoss) & 0xF8u;
}
inline uint16_t xShadePack(const SShadeTables& t, uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint16_t>(((r >> t.RedLoss) << t.RedShift) |
                               ((g >> t.GreenLoss) << t.GreenShift) |
                               ((b >> t.BlueLoss) << t.BlueShift));
}
inline uint16_t xShadeTo15(const SShadeTables& t, uint32_t pixel) {
  uint32_t r, g, b;
  xShadeUnpack(t, pixel, r, g, b);
  return xPack15(r, g, b);
}
// A screen pixel with every channel darkened by level (0 .. 31), stopping at 0.
inline uint16_t xShadeDarken(const SShadeTables& t, uint32_t pixel, int32_t level) {
  return t.To16[t.ShadeEntry[xShadeTo15(t, pixel)][-t.GreyStep[level]]];
}
// The software shadow: every channel darkened by 7.
inline uint16_t xShadowPixel16(const SShadeTables& t, uint32_t pixel) {
  return xShadeDarken(t, pixel, 7);
}
// A textured polygon's pixel under light 0 .. 255.
inline uint16_t xLightPixel16(const SShadeTables& t, uint32_t texel, uint32_t light) {
  return xShadeDarken(t, texel, 31 - static_cast<int32_t>(light / 8));
}
// The half-size filtered copy: the four pixels' channels averaged.
inline uint16_t xFilterPixel16(const SShadeTables& t, uint32_t p0, uint32_t p1, uint32_t p2,
                               uint32_t p3) {
  uint32_t r[4], g[4], b[4];
  xShadeUnpack(t, p0, r[0], g[0], b[0]);
  xShadeUnpack(t, p1, r[1], g[1], b[1]);
  xShadeUnpack(t, p2, r[2], g[2], b[2]);
  xShadeUnpack(t, p3, r[3], g[3], b[3]);
  return xShadePack(t, (r[0] + r[1] + r[2] + r[3]) / 4, (g[0] + g[1] + g[2] + g[3]) / 4,
                    (b[0] + b[1] + b[2] + b[3]) / 4);
}
