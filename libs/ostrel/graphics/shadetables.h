// Precomputed colour tables of the 16-bit software drawing, kept inline in the process globals
// (plain data: the globals are cleared as one block). 15-bit colours have red in bits 10-14,
// green in 5-9 and blue in 0-4. See shade.h for the functions that build and use them.
#pragma once

#include <cstdint>

inline constexpr int32_t SHADE_COLOURS = 32768;      // 15-bit colours
inline constexpr int32_t SHADE_ENTRIES = 65536;      // every 16-bit value
inline constexpr int32_t SHADE_LEVELS = 32;
inline constexpr int32_t SHADE_CUBE_SIDE = 96;       // channels -32 .. 63 around 0 .. 31
inline constexpr int32_t BRIGHT_CUBE_SIDE = 64;      // channels 0 .. 63
inline constexpr int32_t CLAMP24_SIZE = 768;

struct SShadeTables {
  // The 16-bit screen's layout: shift and loss (8 - width) of each channel.
  uint16_t RedShift, RedLoss, GreenShift, GreenLoss, BlueShift, BlueLoss;
  uint16_t* To16;  // SHADE_COLOURS: 15-bit colour -> screen pixel
  // SHADE_CUBE_SIDE^3, red slowest: entry (R, G, B) is the 15-bit colour of
  // (R - 32, G - 32, B - 32), each clamped to 0 .. 31.
  uint16_t* ShadeCube;
  // SHADE_ENTRIES: the entry of a colour's own channels (each + 32); moving from it by
  // RedStep[i] + GreenStep[j] + BlueStep[k] changes the channels by i, j, k with clamping. Values
  // with bit 15 set point where their 15-bit colour does, so every move stays inside the cube.
  uint16_t** ShadeEntry;
  int32_t RedStep[SHADE_LEVELS];    // i * 9216
  int32_t GreenStep[SHADE_LEVELS];  // i * 96
  int32_t BlueStep[SHADE_LEVELS];   // i
  int32_t GreyStep[SHADE_LEVELS];   // i * 9313: all three channels
  // BRIGHT_CUBE_SIDE^3: entry (R, G, B) is the 15-bit colour (min(R, 31), min(G, 31),
  // min(B, 31)); BrightEntry as ShadeEntry, for moves of 0 .. 32 per channel.
  uint16_t* BrightCube;
  uint16_t** BrightEntry;
  // SHADE_ENTRIES: at (red << 10) | (green << 5) | blue, red 0 .. 63, each channel times the
  // shadow factor, as a 15-bit colour.
  uint16_t* Shadow;
  // Index value + 256 clamps -256 .. 511 to 0 .. 255.
  uint8_t Clamp24[CLAMP24_SIZE];
  uint8_t ShadeReady;  // PreCalcShade has built the cubes
};
