// Every pixel worker against a reference written from the channel rules: every depth pair, with
// and without the colour key, clipped on each side and wholly outside, checking both the pixels
// written and the ones left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/graphics/inversetable.h"
#include "ostrel/graphics/palette.h"
#include "support/runtimefixture.h"

namespace {

constexpr int32_t kSrcW = 40, kSrcH = 9, kDstW = 36, kDstH = 8;
const CRect kSrcClip(1, 1, 38, 7);
const CRect kDstClip(2, 1, 33, 6);

struct SColour {
  int r, g, b;
};

// A deterministic byte stream.
uint32_t Noise(uint32_t n) {
  n = (n ^ 61) ^ (n >> 16);
  n *= 9;
  n ^= n >> 4;
  n *= 0x27d4eb2d;
  return n ^ (n >> 15);
}

struct SSide {
  int32_t bits;
  TPixelFormat format;
};

// ---- the reference: the channel rules, written out again ----

SColour Read(const CBitmap& b, int x, int y) {
  const uint8_t* p = b.m_pData + y * b.m_Pitch + x * b.m_BytesPerPixel;
  if (b.m_BitsPerPixel == 8) {
    const TRGBA& e = b.m_pPalette->m_Entries[*p];
    return {e.r, e.g, e.b};
  }
  if (b.m_BitsPerPixel == 16) {
    const uint32_t v = p[0] | p[1] << 8;
    auto ch = [v](int s, int w) { return static_cast<int>(static_cast<uint8_t>((v >> s) << (8 - w))); };
    return {ch(b.m_RedShift, b.m_RedBits), ch(b.m_GreenShift, b.m_GreenBits),
            ch(b.m_BlueShift, b.m_BlueBits)};
  }
  return {p[2 - b.m_RedShift / 8], p[2 - b.m_GreenShift / 8], p[2 - b.m_BlueShift / 8]};
}

int Nearest(const CPalette& pal, SColour c) {
  int best = 1 << 30, found = pal.m_FirstIndex;
  for (int i = pal.m_FirstIndex; i < pal.m_LastIndex; ++i) {
    const TRGBA& e = pal.m_Entries[i];
    const int d = (e.r - c.r) * (e.r - c.r) + (e.g - c.g) * (e.g - c.g) + (e.b - c.b) * (e.b - c.b);
    if (d < best) best = d, found = i;
  }
  return found;
}

std::vector<uint8_t> Encode(const CBitmap& b, SColour c) {
  if (b.m_BitsPerPixel == 8) return {static_cast<uint8_t>(Nearest(*b.m_pPalette, c))};
  if (b.m_BitsPerPixel == 16) {
    auto ch = [](int v, int s, int w) { return static_cast<uint32_t>((v >> (8 - w)) << s); };
    const uint32_t v = ch(c.r, b.m_RedShift, b.m_RedBits) | ch(c.g, b.m_GreenShift, b.m_GreenBits) |
                       ch(c.b, b.m_BlueShift, b.m_BlueBits);
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  }
  std::vector<uint8_t> out(3);
  out[2 - b.m_RedShift / 8] = static_cast<uint8_t>(c.r);
  out[2 - b.m_GreenShift / 8] = static_cast<uint8_t>(c.g);
  out[2 - b.m_BlueShift / 8] = static_cast<uint8_t>(c.b);
  return out;
}

std::vector<uint8_t> Raw(const CBitmap& b, int x, int y) {
  const uint8_t* p = b.m_pData + y * b.m_Pitch + x * b.m_BytesPerPixel;
  return {p, p + b.m_BytesPerPixel};
}

bool SameLayout(const CBitmap& a, const CBitmap& b) {
  if (a.m_BitsPerPixel != b.m_BitsPerPixel) return false;
  if (a.m_BitsPerPixel == 8) return true;
  return a.m_RedShift == b.m_RedShift && a.m_GreenShift == b.m_GreenShift &&
         a.m_BlueShift == b.m_BlueShift &&
         (a.m_BitsPerPixel == 24 || (a.m_RedBits == b.m_RedBits && a.m_GreenBits == b.m_GreenBits &&
                                     a.m_BlueBits == b.m_BlueBits));
}

// What the worker must leave at a destination pixel whose source is (sx, sy).
std::vector<uint8_t> Expected(const CBitmap& src, int sx, int sy, const CBitmap& dst,
                              const std::vector<uint8_t>& before, bool keyed) {
  const std::vector<uint8_t> raw = Raw(src, sx, sy), key = Raw(src, 0, 0);
  const std::vector<uint8_t> converted = SameLayout(src, dst) ? raw : Encode(dst, Read(src, sx, sy));
  if (!keyed) return converted;
  if (src.m_BitsPerPixel == 24 && dst.m_BitsPerPixel == 8)
    return converted == Encode(dst, Read(src, 0, 0)) ? before : converted;
  return raw == key ? before : converted;
}

// ---- the surfaces ----

void MakeSide(CBitmap& b, const SSide& side, int32_t w, int32_t h, const CPalette& pal) {
  const TPixelFormat& f = side.format;
  if (side.bits == 8)
    ASSERT_EQ(b.CreateIndex(w, h, 8, &pal, 0), 1);
  else
    ASSERT_EQ(b.CreateRGB(w, h, side.bits, f.RedBits, f.GreenBits, f.BlueBits, f.RedShift,
                          f.GreenShift, f.BlueShift, 0), 1);
}

// Noise, with the key's value in runs and single pixels, and pixels one byte off the key.
void FillSource(CBitmap& b, uint32_t seed) {
  const int n = b.m_BytesPerPixel;
  for (int y = 0; y < b.m_Height; ++y)
    for (int x = 0; x < b.m_Width; ++x) {
      uint8_t* p = b.m_pData + y * b.m_Pitch + x * n;
      for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(Noise(seed + (y * 1000 + x) * 4 + i));
      if (x == 0 && y == 0) continue;
      const int kind = (x / 3 + y) % 5 == 0 ? 1 : ((x * 7 + y) % 11 == 0 ? 2 : 0);
      if (kind) std::memcpy(p, b.m_pData, n);
      if (kind == 2 && n == 3) p[1] ^= 1;  // off the key by one byte
    }
}

void RandomPalette(CPalette& pal, uint32_t seed) {
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    const uint32_t v = Noise(seed + i);
    const TRGBA c(static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16));
    pal.SetIndex(&c, i);
  }
}

struct SClipCase {
  const char* name;
  int32_t sx, sy, w, h, dx, dy;
  bool drawn;
  int32_t outX, outY, outW, outH, fromX, fromY;  // the destination rectangle and its source
};

const SClipCase kClipCases[] = {
    {"inside", 2, 2, 4, 3, 3, 2, true, 3, 2, 4, 3, 2, 2},
    {"source left", -1, 2, 5, 2, 4, 2, true, 6, 2, 3, 2, 1, 2},
    {"source right", 36, 3, 5, 2, 2, 1, true, 2, 1, 3, 2, 36, 3},
    {"source top", 2, 0, 2, 3, 3, 0, true, 3, 1, 2, 2, 2, 1},
    {"source bottom", 3, 6, 2, 4, 4, 3, true, 4, 3, 2, 2, 3, 6},
    {"destination left", 1, 2, 8, 2, -3, 2, true, 2, 2, 3, 2, 6, 2},
    {"destination right", 2, 2, 4, 2, 31, 2, true, 31, 2, 3, 2, 2, 2},
    {"destination top", 2, 2, 2, 4, 3, -1, true, 3, 1, 2, 2, 2, 4},
    {"destination bottom", 2, 1, 3, 4, 3, 5, true, 3, 5, 3, 2, 2, 1},
    {"every side", 0, 0, 40, 9, 0, 0, true, 2, 1, 32, 6, 2, 1},
    {"right of the source clip", 39, 2, 4, 2, 3, 2, false, 0, 0, 0, 0, 0, 0},
    {"left of the source clip", -5, 2, 5, 2, 3, 2, false, 0, 0, 0, 0, 0, 0},
    {"below the destination clip", 2, 2, 4, 2, 3, 7, false, 0, 0, 0, 0, 0, 0},
    {"right of the destination clip", 2, 2, 4, 2, 34, 2, false, 0, 0, 0, 0, 0, 0},
    {"empty", 2, 2, 0, 2, 3, 2, false, 0, 0, 0, 0, 0, 0},
};

struct SPair {
  const char* name;
  SSide src, dst;
};

const SPair kPairs[] = {
    {"8 to 8", {8, {}}, {8, {}}},
    {"8 to 16", {8, {}}, {16, PIXELFORMAT_565}},
    {"8 to 24", {8, {}}, {24, PIXELFORMAT_RGB24}},
    {"16 to 16, equal layouts", {16, PIXELFORMAT_565}, {16, PIXELFORMAT_565}},
    {"16 to 16", {16, PIXELFORMAT_555}, {16, PIXELFORMAT_565}},
    {"16 to 24", {16, PIXELFORMAT_555}, {24, PIXELFORMAT_BGR24}},
    {"24 to 8", {24, PIXELFORMAT_BGR24}, {8, {}}},
    {"24 to 16", {24, PIXELFORMAT_BGR24}, {16, PIXELFORMAT_565}},
    {"24 to 24, equal places", {24, PIXELFORMAT_RGB24}, {24, PIXELFORMAT_RGB24}},
    {"24 to 24", {24, PIXELFORMAT_BGR24}, {24, PIXELFORMAT_RGB24}},
};

class PixelWorkers : public CRuntimeTest {};

}  // namespace

TEST_F(PixelWorkers, EveryDepthPairKeyAndClip) {
  CPalette srcPal, dstPal;
  RandomPalette(srcPal, 100);
  RandomPalette(dstPal, 200);
  for (const SPair& pair : kPairs) {
    CBitmap src, dst;
    MakeSide(src, pair.src, kSrcW, kSrcH, srcPal);
    MakeSide(dst, pair.dst, kDstW, kDstH, dstPal);
    FillSource(src, 7);
    const TBltWorker worker = xGetBltWorker(pair.src.bits, pair.dst.bits);
    ASSERT_NE(worker, nullptr) << pair.name;
    for (int32_t mode : {BLT_MODE_COPY, BLT_MODE_KEY}) {
      for (const SClipCase& c : kClipCases) {
        SCOPED_TRACE(std::string(pair.name) + ", " + c.name + (mode ? ", key" : ""));
        FillSource(dst, 99);  // something to tell untouched pixels by
        const std::vector<uint8_t> before(dst.m_pData, dst.m_pData + dst.m_Pitch * kDstH);
        CRect sc = kSrcClip, dc = kDstClip;
        const TPixelBuffer s = {src.m_pData, src.m_Pitch, src.m_pPalette, src.Format(), &sc};
        const TPixelBuffer d = {dst.m_pData, dst.m_Pitch, dst.m_pPalette, dst.Format(), &dc};
        EXPECT_EQ(worker(s, c.sx, c.sy, c.w, c.h, mode, 0, d, c.dx, c.dy), c.drawn ? 1 : 0);
        int wrong = 0;
        for (int y = 0; y < kDstH; ++y)
          for (int x = 0; x < kDstW; ++x) {
            const int n = dst.m_BytesPerPixel;
            const std::vector<uint8_t> was(before.begin() + y * dst.m_Pitch + x * n,
                                           before.begin() + y * dst.m_Pitch + x * n + n);
            const bool inside = c.drawn && x >= c.outX && x < c.outX + c.outW && y >= c.outY &&
                                y < c.outY + c.outH;
            const std::vector<uint8_t> want =
                inside ? Expected(src, c.fromX + x - c.outX, c.fromY + y - c.outY, dst, was, mode == 1)
                       : was;
            if (Raw(dst, x, y) != want && ++wrong <= 3)
              ADD_FAILURE() << "pixel " << x << "," << y << (inside ? " (written)" : " (untouched)");
          }
        EXPECT_EQ(wrong, 0);
      }
    }
  }
}

// Keyed copies between equal 24-bit layouts take vectors of sixteen or five pixels and single
// pixels by the row's width: every width, against the reference and the pixels beside the row.
TEST_F(PixelWorkers, KeyedEqualLayoutsAtEveryWidth) {
  constexpr int32_t kW = 50, kH = 3;
  CPalette pal;
  CBitmap src, dst;
  MakeSide(src, {24, PIXELFORMAT_RGB24}, kW, kH, pal);
  MakeSide(dst, {24, PIXELFORMAT_RGB24}, kW, kH, pal);
  FillSource(src, 11);
  const TBltWorker worker = xGetBltWorker(24, 24);
  ASSERT_NE(worker, nullptr);
  for (int32_t w = 1; w <= 45; ++w) {
    SCOPED_TRACE(w);
    FillSource(dst, 99);
    const std::vector<uint8_t> before(dst.m_pData, dst.m_pData + dst.m_Pitch * kH);
    CRect sc(0, 0, kW - 1, kH - 1), dc(0, 0, kW - 1, kH - 1);
    const TPixelBuffer s = {src.m_pData, src.m_Pitch, src.m_pPalette, src.Format(), &sc};
    const TPixelBuffer d = {dst.m_pData, dst.m_Pitch, dst.m_pPalette, dst.Format(), &dc};
    ASSERT_EQ(worker(s, 1, 0, w, kH, BLT_MODE_KEY, 0, d, 2, 0), 1);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const std::vector<uint8_t> was(before.begin() + y * dst.m_Pitch + x * 3,
                                       before.begin() + y * dst.m_Pitch + x * 3 + 3);
        const bool inside = x >= 2 && x < 2 + w;
        ASSERT_EQ(Raw(dst, x, y), inside ? Expected(src, x - 1, y, dst, was, true) : was) << x << "," << y;
      }
  }
}

TEST_F(PixelWorkers, SixteenToEightLooksUpTheInverseTable) {
  CPalette pal;
  RandomPalette(pal, 300);
  ASSERT_EQ(pal.SetName(""), 1);  // no cache file
  CBitmap src, dst;
  MakeSide(src, {16, PIXELFORMAT_555}, kSrcW, kSrcH, pal);
  MakeSide(dst, {8, {}}, kDstW, kDstH, pal);
  FillSource(src, 5);
  for (const SClipCase& c : kClipCases) {
    SCOPED_TRACE(c.name);
    FillSource(dst, 99);
    const std::vector<uint8_t> before(dst.m_pData, dst.m_pData + dst.m_Pitch * kDstH);
    CRect sc = kSrcClip, dc = kDstClip;
    const TPixelBuffer s = {src.m_pData, src.m_Pitch, nullptr, PIXELFORMAT_555, &sc};
    const TPixelBuffer d = {dst.m_pData, dst.m_Pitch, &pal, {}, &dc};
    EXPECT_EQ(xBlt16to8(s, c.sx, c.sy, c.w, c.h, BLT_MODE_KEY, 0, d, c.dx, c.dy), c.drawn ? 1 : 0);
    for (int y = 0; y < kDstH; ++y)
      for (int x = 0; x < kDstW; ++x) {
        const bool inside = c.drawn && x >= c.outX && x < c.outX + c.outW && y >= c.outY &&
                            y < c.outY + c.outH;
        int want = before[y * dst.m_Pitch + x];
        if (inside) {
          // The 15-bit value's colour at five bits a channel; bit 15 takes no part.
          const SColour col = Read(src, c.fromX + x - c.outX, c.fromY + y - c.outY);
          want = Nearest(pal, {col.r & 0xF8, col.g & 0xF8, col.b & 0xF8});
        }
        ASSERT_EQ(dst.m_pData[y * dst.m_Pitch + x], want) << x << "," << y;
      }
  }
}

namespace {
int g_LoadCalls;
void CountLoadCall() { ++g_LoadCalls; }

// A 24-bit RGB bitmap of one colour per pixel, given row by row.
void Make24(CBitmap& b, int w, int h, const std::vector<SColour>& pixels) {
  ASSERT_EQ(b.CreateRGB(w, h, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  for (int i = 0; i < w * h; ++i) {
    const TRGBA c(static_cast<uint8_t>(pixels[i].r), static_cast<uint8_t>(pixels[i].g),
                  static_cast<uint8_t>(pixels[i].b));
    ASSERT_EQ(b.PutPixel(i % w, i / w, &c), 1);
  }
}

uint16_t Pixel16(const CBitmap& b, int x, int y) {
  const uint8_t* p = b.m_pData + y * b.m_Pitch + 2 * x;
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
}  // namespace

TEST(ClipBlitRects, FarPositionsDoNotWrapIntoTheClip) {
  const CRect clip(0, 0, 99, 99);
  struct {
    int32_t sx, w, dx;
    int32_t result, outSx, outW, outDx;
  } cases[] = {
      {INT32_MAX - 5, 20, 0, 0, 0, 0, 0},           // the end would wrap below zero
      {-2147483000, INT32_MAX, 5, 0, 0, 0, 0},      // the destination start would wrap back
      {INT32_MIN + 1, INT32_MAX, 10, 0, 0, 0, 0},   // ends at -1
      {-10, 1000, 50, 1, 0, 40, 60},
  };
  for (const auto& c : cases) {
    int32_t sx = c.sx, sy = 0, w = c.w, h = 1, dx = c.dx, dy = 0;
    ASSERT_EQ(ClipBlitRects(sx, sy, w, h, &clip, dx, dy, &clip), c.result) << c.sx;
    if (c.result) {
      EXPECT_EQ(sx, c.outSx);
      EXPECT_EQ(w, c.outW);
      EXPECT_EQ(dx, c.outDx);
    }
  }
}

TEST_F(PixelWorkers, DitheringCarriesEachChannelAlongTheRowOnly) {
  // Red 4 into five bits: 4, then 4 + 4 = 8, ...; green 2 into six bits the same; blue 255 is
  // capped and stays full.
  const int w = 6;
  CBitmap src, dst;
  Make24(src, w, 2, std::vector<SColour>(2 * w, {4, 2, 255}));
  ASSERT_EQ(dst.CreateRGB(w, 2, 16, 5, 6, 5, 11, 5, 0, 0), 1);
  ASSERT_EQ(dst.Blt(&src, 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 1, 0), 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < w; ++x) {
      const uint16_t p = Pixel16(dst, x, y);
      EXPECT_EQ(p >> 11, x % 2) << x << "," << y;
      EXPECT_EQ((p >> 5) & 63, x % 2) << x << "," << y;
      EXPECT_EQ(p & 31, 31) << x << "," << y;
    }
  // Flags 0, or the colour key, do not dither.
  for (int32_t mode : {BLT_MODE_COPY, BLT_MODE_KEY}) {
    const TRGBA black(0, 0, 0);
    dst.Fill(&black);
    CBitmap keyed;
    Make24(keyed, w, 1, {{9, 9, 9}, {4, 2, 255}, {4, 2, 255}, {4, 2, 255}, {4, 2, 255}, {4, 2, 255}});
    dst.Blt(mode == BLT_MODE_KEY ? &keyed : &src, 0, 0, 0, 0, -1, 1, mode, mode == BLT_MODE_KEY ? 1 : 0, 0);
    for (int x = 1; x < w; ++x) EXPECT_EQ(Pixel16(dst, x, 0), 31) << "mode " << mode << " x " << x;
  }
}

TEST_F(PixelWorkers, KeyFixUp24To16LeavesTheKeyValueToKeyPixelsAlone) {
  struct {
    SColour key, lookalike;  // the lookalike packs to the key's 16-bit value
    uint16_t keyPixel, moved;
  } cases[] = {
      {{255, 0, 255}, {250, 2, 252}, 0xF81F, 0xF81E},  // blue 31 steps down
      {{0, 0, 0}, {3, 3, 7}, 0x0000, 0x0001},          // blue 0 steps up
      {{0, 0, 24}, {1, 1, 30}, 0x0003, 0x0004},        // blue 3 is still below 4
  };
  for (const auto& c : cases) {
    CBitmap b;
    Make24(b, 4, 2, {c.key, c.lookalike, {10, 20, 30}, c.key, c.lookalike, c.key, {200, 100, 50}, c.lookalike});
    ASSERT_EQ(b.ConvertRGB(-1, -1, 16, 5, 6, 5, 11, 5, 0, 0), 1);
    const uint16_t want[8] = {c.keyPixel, c.moved, 0x08A3, c.keyPixel, c.moved, c.keyPixel, 0xCB26, c.moved};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Pixel16(b, i % 4, i / 4), want[i]) << i;
  }
  // BLT_NO_KEY_FIXUP leaves the lookalikes on the key's value.
  CBitmap b;
  Make24(b, 2, 1, {{255, 0, 255}, {250, 2, 252}});
  ASSERT_EQ(b.ConvertRGB(-1, -1, 16, 5, 6, 5, 11, 5, 0, BLT_NO_KEY_FIXUP), 1);
  EXPECT_EQ(Pixel16(b, 1, 0), 0xF81F);
}

TEST_F(PixelWorkers, KeyFixUp24To8MovesLookalikesToTheSecondBest) {
  CPalette pal;  // grey ramp
  pal.SetName("");
  CBitmap src;
  // The key (100, 100, 100) and a lookalike nearest to entry 100 as well.
  Make24(src, 3, 1, {{100, 100, 100}, {101, 100, 99}, {50, 50, 50}});
  CBitmap dst;
  ASSERT_EQ(dst.CreateIndex(3, 1, 8, &pal, 0), 1);
  CRect whole(0, 0, 2, 0);
  const TPixelBuffer s = {src.m_pData, src.m_Pitch, nullptr, src.Format(), &whole};
  const TPixelBuffer d = {dst.m_pData, dst.m_Pitch, &pal, {}, &whole};
  ASSERT_EQ(xBlt24to8(s, 0, 0, 3, 1, BLT_MODE_COPY, 0, d, 0, 0), 1);
  EXPECT_EQ(dst.m_pData[1], 100);
  ASSERT_EQ(xKeyFix24to8(s, 0, 0, 3, 1, BLT_MODE_KEY, 0, d, 0, 0), 1);
  EXPECT_EQ(dst.m_pData[0], 100);
  EXPECT_EQ(dst.m_pData[1], 99);  // second best of grey 100: 99 before 101
  EXPECT_EQ(dst.m_pData[2], 50);
}

TEST_F(PixelWorkers, LoadDataCallbackBeforeEvery32ndRow) {
  SetLoadDataCallback(CountLoadCall);
  struct {
    int rows, calls;
  } cases[] = {{1, 1}, {32, 1}, {33, 2}, {70, 3}};
  for (const auto& c : cases) {
    CBitmap src, dst;
    ASSERT_EQ(src.CreateRGB(3, c.rows, 16, 5, 6, 5, 11, 5, 0, 0), 1);
    ASSERT_EQ(dst.CreateRGB(3, c.rows, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    g_LoadCalls = 0;
    dst.Blt(&src, 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 0, 0);
    EXPECT_EQ(g_LoadCalls, c.calls) << c.rows << " rows";
  }
  // A conversion whose after-step has no fix-up to do calls it once more.
  CBitmap b;
  ASSERT_EQ(b.CreateRGB(3, 40, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  g_LoadCalls = 0;
  ASSERT_EQ(b.ConvertRGB(-1, -1, 16, 5, 6, 5, 11, 5, 0, BLT_NO_KEY_FIXUP), 1);
  EXPECT_EQ(g_LoadCalls, 3);
  SetLoadDataCallback(nullptr);
}
