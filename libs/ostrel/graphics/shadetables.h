// Precomputed colour tables of the 16-bit software drawing, kept inline in the process globals.
#pragma once

#include <cstdint>

struct SShadeTables {
  uint16_t RedShift, RedLoss, GreenShift, GreenLoss, BlueShift, BlueLoss;
  uint16_t* To16;              // 32768 entries: 15-bit colour -> screen pixel
  uint16_t* ShadeCube;         // 96 x 96 x 96 clamped entries
  uint16_t** ShadeEntry;       // 65536 pointers into ShadeCube
  int32_t RedStep[32], GreenStep[32], BlueStep[32], GreyStep[32];
  uint16_t* BrightCube;        // 64 x 64 x 64 clamped entries
  uint16_t** BrightEntry;      // 65536 pointers into BrightCube
  uint16_t* Shadow;            // 65536 entries
  uint8_t Clamp24[768];
  uint8_t ShadeReady;
};
