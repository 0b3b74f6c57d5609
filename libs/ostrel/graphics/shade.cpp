#include "ostrel/graphics/shade.h"

#include <new>

#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kCubeOffset = 32;
constexpr int32_t kRedStep = SHADE_CUBE_SIDE * SHADE_CUBE_SIDE;  // 9216
constexpr int32_t kGreenStep = SHADE_CUBE_SIDE;                  // 96
// 1/31 as the single-precision constant the screen table has always been made with.
constexpr float kOneThirtyFirst = 0.032258064f;
constexpr float kDefaultShadowDivisor = 2.0f;

template <class T>
void FreeTable(T*& p) {
  delete[] p;
  p = nullptr;
}

int32_t Clamp5(int32_t v) { return v < 0 ? 0 : (v > 31 ? 31 : v); }

uint16_t Colour15(int32_t r, int32_t g, int32_t b) {
  return static_cast<uint16_t>((r << 10) | (g << 5) | b);
}

// The value scaled from 0 .. 31 to 0 .. max, truncated.
uint32_t Scale5(int32_t v, int32_t max) {
  return static_cast<uint32_t>(static_cast<float>(v * max) * kOneThirtyFirst);
}

// A cube of side^3 15-bit colours, red slowest: entry (R, G, B) is (R - offset, G - offset,
// B - offset), each clamped to 0 .. 31. entries[c] is colour c's own entry: its channels plus
// offset. Values with bit 15 set take their 15-bit colour's entry, so every documented move
// stays inside the cube.
void BuildCube(uint16_t* cube, uint16_t** entries, int32_t side, int32_t offset) {
  uint16_t* e = cube;
  for (int32_t r = 0; r < side; ++r)
    for (int32_t g = 0; g < side; ++g)
      for (int32_t b = 0; b < side; ++b)
        *e++ = Colour15(Clamp5(r - offset), Clamp5(g - offset), Clamp5(b - offset));
  for (int32_t c = 0; c < SHADE_ENTRIES; ++c) {
    const int32_t c15 = c & (SHADE_COLOURS - 1);
    const int32_t r = (c15 >> 10) + offset, g = ((c15 >> 5) & 31) + offset, b = (c15 & 31) + offset;
    entries[c] = cube + (r * side + g) * side + b;
  }
}

void FreeCubes(SShadeTables& t) {
  FreeTable(t.ShadeCube);
  FreeTable(t.ShadeEntry);
  FreeTable(t.BrightCube);
  FreeTable(t.BrightEntry);
  FreeTable(t.Shadow);
  t.ShadeReady = 0;
}
}  // namespace

uint16_t Set16Bit(uint16_t redShift, uint16_t redLoss, uint16_t greenShift, uint16_t greenLoss,
                  uint16_t blueShift, uint16_t blueLoss) {
  if (!glb || redLoss > 8 || greenLoss > 8 || blueLoss > 8 || redShift > 15 || greenShift > 15 ||
      blueShift > 15)
    return 0;
  SShadeTables& t = glb->m_Shade;
  t.RedShift = redShift;
  t.RedLoss = redLoss;
  t.GreenShift = greenShift;
  t.GreenLoss = greenLoss;
  t.BlueShift = blueShift;
  t.BlueLoss = blueLoss;
  if (!t.To16) t.To16 = new (std::nothrow) uint16_t[SHADE_COLOURS];
  if (!t.To16) return 0;
  const int32_t rMax = (1 << (8 - redLoss)) - 1, gMax = (1 << (8 - greenLoss)) - 1,
                bMax = (1 << (8 - blueLoss)) - 1;
  for (int32_t c = 0; c < SHADE_COLOURS; ++c)
    t.To16[c] = static_cast<uint16_t>((Scale5(c >> 10, rMax) << redShift) |
                                      (Scale5((c >> 5) & 31, gMax) << greenShift) |
                                      (Scale5(c & 31, bMax) << blueShift));
  return 1;
}

int32_t PreCalcShade() {
  if (!glb) return 0;
  SShadeTables& t = glb->m_Shade;
  if (t.ShadeReady) return 1;
  FreeCubes(t);
  t.ShadeCube = new (std::nothrow) uint16_t[SHADE_CUBE_SIDE * SHADE_CUBE_SIDE * SHADE_CUBE_SIDE];
  t.ShadeEntry = new (std::nothrow) uint16_t*[SHADE_ENTRIES];
  t.BrightCube =
      new (std::nothrow) uint16_t[BRIGHT_CUBE_SIDE * BRIGHT_CUBE_SIDE * BRIGHT_CUBE_SIDE];
  t.BrightEntry = new (std::nothrow) uint16_t*[SHADE_ENTRIES];
  if (!t.ShadeCube || !t.ShadeEntry || !t.BrightCube || !t.BrightEntry ||
      !CalcShadow(kDefaultShadowDivisor)) {
    FreeCubes(t);
    return 0;
  }
  BuildCube(t.ShadeCube, t.ShadeEntry, SHADE_CUBE_SIDE, kCubeOffset);
  BuildCube(t.BrightCube, t.BrightEntry, BRIGHT_CUBE_SIDE, 0);
  for (int32_t i = 0; i < SHADE_LEVELS; ++i) {
    t.RedStep[i] = i * kRedStep;
    t.GreenStep[i] = i * kGreenStep;
    t.BlueStep[i] = i;
    t.GreyStep[i] = i * (kRedStep + kGreenStep + 1);
  }
  t.ShadeReady = 1;
  return 1;
}

int32_t CalcShadow(float divisor) {
  if (!glb || !(divisor > 0.0f)) return 0;
  SShadeTables& t = glb->m_Shade;
  if (!t.Shadow) t.Shadow = new (std::nothrow) uint16_t[SHADE_ENTRIES];
  if (!t.Shadow) return 0;
  const float factor = 1.0f / divisor;
  auto scaled = [factor](int32_t v) {
    const float s = static_cast<float>(v * 8) * factor;
    return s >= 255.0f ? 255u : static_cast<uint32_t>(s);
  };
  // Red takes six bits of the index (bit 15 is red's top bit), so the 64 red values land on
  // 64 different rows instead of folding onto the first 32.
  for (int32_t r = 0; r < 64; ++r)
    for (int32_t g = 0; g < 32; ++g)
      for (int32_t b = 0; b < 32; ++b)
        t.Shadow[(r << 10) | (g << 5) | b] = xPack15(scaled(r), scaled(g), scaled(b));
  return 1;
}

void PreCalcShade24() {
  if (!glb) return;
  uint8_t* c = glb->m_Shade.Clamp24;
  for (int32_t i = 0; i < CLAMP24_SIZE; ++i)
    c[i] = static_cast<uint8_t>(i < 256 ? 0 : (i < 512 ? i - 256 : 255));
}

void DeleteShade() {
  if (!glb) return;
  FreeCubes(glb->m_Shade);
  FreeTable(glb->m_Shade.To16);
}
