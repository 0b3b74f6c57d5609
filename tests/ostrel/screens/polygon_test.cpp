// Textured polygons and their shadows probed in 8, 16 and 24 bits, degenerate shapes included.
#include <gtest/gtest.h>

#include <cmath>
#include <climits>
#include <vector>

#include "screentest.h"

namespace {
constexpr int32_t kW = 64, kH = 48;

class Polygon : public CScreenTest, public ::testing::WithParamInterface<int32_t> {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    Start(kW, kH, GetParam());
    // Each texel's colour tells its place: red = 8 x, green = 8 y, blue 200.
    Paint(m_Texture, 32, 32, [](int32_t x, int32_t y) { return Texel(x, y); });
    S().MakeScreenFormat(&m_Texture, 0);
    S().SetTexture(&m_Texture);
  }
  static TRGBA Texel(int32_t x, int32_t y) {
    return TRGBA(static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8), 200);
  }
  static int32_t Bits() { return GetParam(); }
  // The texel's raw value as the converted texture holds it.
  uint32_t RawTexel(int32_t x, int32_t y) const {
    const uint8_t* p = m_Texture.m_pData + y * m_Texture.m_Pitch + x * m_Texture.m_BytesPerPixel;
    uint32_t v = 0;
    for (int32_t i = m_Texture.m_BytesPerPixel - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }
  // A polygon in screen pixels (given doubled, as half pixels) with texture corners in texels.
  static void Quad(const int32_t (&xy)[8], const int32_t (&uv)[8]) {
    S().SetPolygon(2 * xy[0], 2 * xy[1], 0, 2 * xy[2], 2 * xy[3], 0, 2 * xy[4], 2 * xy[5], 0, 2 * xy[6], 2 * xy[7], 0);
    S().SetTextureCoords(uv[0] << 16, uv[1] << 16, uv[2] << 16, uv[3] << 16, uv[4] << 16, uv[5] << 16, uv[6] << 16,
                         uv[7] << 16);
  }
  static int32_t Changed() {
    int32_t n = 0;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) n += RawScreen(x, y) != 0;
    return n;
  }
  static int32_t Draw(CRect* out = nullptr) { return S().DrawPolygonScreen(out); }

  CBitmap m_Texture;
};

TEST_P(Polygon, RectangleMapsTexelsOneToOne) {
  // Screen (10, 10) .. (30, 20) takes texels (0, 0) .. (20, 10).
  Quad({10, 10, 30, 10, 30, 20, 10, 20}, {0, 0, 20, 0, 20, 10, 0, 10});
  CRect drawn;
  CRect* out = &drawn;
  ASSERT_EQ(Draw(out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(10, 10, 30, 20))));
  for (int32_t y = 10; y <= 20; ++y)
    for (int32_t x = 10; x <= 30; ++x) ASSERT_EQ(RawScreen(x, y), RawTexel(x - 10, y - 10)) << x << "," << y;
  EXPECT_EQ(Changed(), 21 * 11);
  // The half-pixel positions land halved.
  EXPECT_EQ(RawScreen(9, 10), 0u);
  EXPECT_EQ(RawScreen(31, 20), 0u);
}

TEST_P(Polygon, EitherWindingDraws) {
  Quad({10, 10, 10, 20, 30, 20, 30, 10}, {0, 0, 0, 10, 20, 10, 20, 0});
  ASSERT_EQ(Draw(), 1);
  EXPECT_EQ(RawScreen(25, 12), RawTexel(15, 2));
  EXPECT_EQ(Changed(), 21 * 11);
}

TEST_P(Polygon, RotatedSquareCoversItsInside) {
  // A diamond around (32, 24) with corners 14 pixels away; its texels are all alike.
  const TRGBA flat(120, 200, 40);
  CBitmap tex;
  Paint(tex, 4, 4, [&](int32_t, int32_t) { return flat; });
  S().MakeScreenFormat(&tex, 0);
  S().SetTexture(&tex);
  Quad({32, 10, 46, 24, 32, 38, 18, 24}, {0, 0, 3, 0, 3, 3, 0, 3});
  ASSERT_EQ(Draw(), 1);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const double d = std::fabs(x - 32.0) + std::fabs(y - 24.0);  // 14 on the edge
      if (d <= 12.5) {
        EXPECT_NE(RawScreen(x, y), 0u) << x << "," << y;
      } else if (d >= 15.5) {
        EXPECT_EQ(RawScreen(x, y), 0u) << x << "," << y;
      }
    }
}

TEST_P(Polygon, TextureCoordinatesStayInsideTheTexture) {
  Quad({0, 0, 20, 0, 20, 10, 0, 10}, {-100, -100, 500, -100, 500, 900, -100, 900});
  ASSERT_EQ(Draw(), 1);
  EXPECT_EQ(RawScreen(0, 0), RawTexel(0, 0));
  EXPECT_EQ(RawScreen(20, 10), RawTexel(31, 31));
  S().SetTextureCoords(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
  EXPECT_EQ(Draw(), 1);
}

struct SDegenerate {
  const char* name;
  int32_t xy[8];
  int32_t drawn;   // the result
  int32_t pixels;  // pixels changed, -1: not counted
};

TEST_P(Polygon, DegenerateShapes) {
  const SDegenerate cases[] = {
      {"a point", {20, 20, 20, 20, 20, 20, 20, 20}, 0, 0},
      {"flat", {5, 20, 40, 20, 30, 20, 10, 20}, 0, 0},
      {"vertical line", {20, 5, 20, 15, 20, 25, 20, 15}, 1, 21},
      {"triangle", {20, 5, 20, 5, 30, 25, 10, 25}, 1, -1},
      {"bow tie", {10, 10, 30, 30, 30, 10, 10, 30}, 1, -1},
      {"above the screen", {10, -50, 30, -50, 30, -5, 10, -5}, 0, 0},
      {"past line 2047", {10, 2100, 30, 2100, 30, 2200, 10, 2200}, 0, 0},
      {"left of the screen", {-50, 10, -10, 10, -10, 20, -50, 20}, 0, 0},
      {"tall", {10, -3000, 20, -3000, 20, 3000, 10, 3000}, 1, 11 * kH},
  };
  for (const SDegenerate& c : cases) {
    SCOPED_TRACE(c.name);
    S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
    S().SetPolygon(c.xy[0] * 2, c.xy[1] * 2, 0, c.xy[2] * 2, c.xy[3] * 2, 0, c.xy[4] * 2, c.xy[5] * 2, 0, c.xy[6] * 2,
                   c.xy[7] * 2, 0);
    S().SetTextureCoords(0, 0, 31 << 16, 0, 31 << 16, 31 << 16, 0, 31 << 16);
    EXPECT_EQ(Draw(), c.drawn);
    if (c.pixels >= 0) {
      EXPECT_EQ(Changed(), c.pixels);
    }
  }
  // Corners at the ends of the coordinate range cover the screen without overflowing.
  S().SetPolygon(INT32_MIN, INT32_MIN, 0, INT32_MAX, INT32_MIN, 0, INT32_MAX, INT32_MAX, 0, INT32_MIN, INT32_MAX, 0);
  EXPECT_EQ(Draw(), 1);
  EXPECT_EQ(Changed(), kW * kH);
}

TEST_P(Polygon, WithoutAFittingTextureNothingIsDrawn) {
  Quad({10, 10, 30, 10, 30, 20, 10, 20}, {0, 0, 20, 0, 20, 10, 0, 10});
  S().SetTexture(nullptr);
  EXPECT_EQ(Draw(), 0);
  CBitmap other;
  if (Bits() == 24) {
    ASSERT_EQ(other.CreateRGB(4, 4, 16, 5, 5, 5, 10, 5, 0, 0), 1);
  } else {
    ASSERT_EQ(other.CreateRGB(4, 4, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  }
  S().SetTexture(&other);
  EXPECT_EQ(Draw(), 0);
  EXPECT_EQ(Changed(), 0);
}

TEST_P(Polygon, ClipAndAreas) {
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  S().SetClip(15, 12, 25, 18);
  Quad({10, 10, 30, 10, 30, 20, 10, 20}, {0, 0, 20, 0, 20, 10, 0, 10});
  CRect drawn;
  CRect* out = &drawn;
  ASSERT_EQ(Draw(out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(15, 12, 25, 18))));
  EXPECT_EQ(Changed(), 11 * 7);
  ASSERT_EQ(S().ClearAreas().Count(0), 1);
  EXPECT_TRUE(S().ClearAreas().Get(0, 0).IsEqual(&static_cast<const CRect&>(CRect(15, 12, 26, 19))));
  // Into the persistent buffer: the area reaches two further.
  CRect* none = nullptr;
  ASSERT_EQ(S().DrawPolygonPersistent(none), 1);
  ASSERT_EQ(S().PersistentClearAreas().Count(0), 1);
  EXPECT_TRUE(S().PersistentClearAreas().Get(0, 0).IsEqual(&static_cast<const CRect&>(CRect(15, 12, 27, 20))));
  EXPECT_EQ(PersistentPixel(15, 12), ScreenPixel(15, 12));
  EXPECT_EQ(PersistentPixel(14, 12), 0u);
}

TEST_P(Polygon, IntoABitmapInsideItsClip) {
  CBitmap target;
  if (Bits() == 8) {
    ASSERT_EQ(target.CreateIndex(16, 16, 8, S().GetPalette(), 0), 1);
  } else {
    Paint(target, 16, 16, [](int32_t, int32_t) { return TRGBA(0, 0, 0); });
    S().MakeScreenFormat(&target, 0);
  }
  target.m_ClipRect.Set(4, 4, 9, 9);
  target.m_Changed = 0;
  Quad({0, 0, 15, 0, 15, 15, 0, 15}, {0, 0, 15, 0, 15, 15, 0, 15});
  CRect drawn;
  CRect* out = &drawn;
  ASSERT_EQ(S().DrawPolygonBitmap(&target, out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(4, 4, 9, 9))));
  EXPECT_EQ(target.m_Changed, 1);
  auto raw = [&](int32_t x, int32_t y) {
    const uint8_t* p = target.m_pData + y * target.m_Pitch + x * target.m_BytesPerPixel;
    uint32_t v = 0;
    for (int32_t i = target.m_BytesPerPixel - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  };
  EXPECT_EQ(raw(4, 4), RawTexel(4, 4));
  EXPECT_EQ(raw(3, 4), 0u);
  EXPECT_EQ(raw(10, 10), 0u);
  EXPECT_EQ(S().PersistentClearAreas().Count(0), 0);
  // A shadow far below the bitmap's rows stays inside them.
  S().SetPolygon(0, 0, 0, 30, 0, 0, 30, 4000, 0, 0, 4000, 0);
  target.m_ClipRect.Set(0, 0, 15, 15);
  EXPECT_EQ(S().DrawShadowPolygonBitmap(&target, out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(0, 0, 15, 15))));
}

TEST_P(Polygon, IntoCallersMemoryAsOnTheScreen) {
  // A buffer with a wider pitch than its rows, drawn inside a clip: the same pixels as the
  // screen gets, and nothing outside the clip or in the spare bytes of each row.
  const int32_t bpp = Bits() / 8, pitch = 20 * bpp + 3, height = 16;
  std::vector<uint8_t> memory(static_cast<size_t>(pitch) * height, 0);
  const CRect clip(4, 4, 12, 9);
  Quad({0, 0, 15, 0, 15, 15, 0, 15}, {0, 0, 15, 0, 15, 15, 0, 15});
  CRect drawn;
  ASSERT_EQ(S().DrawPolygonSoftware(memory.data(), &clip, pitch, height, bpp, &drawn), 1);
  EXPECT_TRUE(drawn.IsEqual(&clip));
  auto raw = [&](int32_t x, int32_t y) {
    const uint8_t* p = memory.data() + y * pitch + x * bpp;
    uint32_t v = 0;
    for (int32_t i = bpp - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  };
  ASSERT_EQ(Draw(), 1);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < 20; ++x) {
      const bool inside = x >= 4 && x <= 12 && y >= 4 && y <= 9;
      ASSERT_EQ(raw(x, y), inside ? RawScreen(x, y) : 0u) << x << "," << y;
    }
  for (int32_t y = 0; y < height; ++y)
    for (int32_t i = 20 * bpp; i < pitch; ++i) ASSERT_EQ(memory[static_cast<size_t>(y * pitch + i)], 0) << y;

  // The shadow takes the same way in.
  std::vector<uint8_t> before = memory;
  ASSERT_EQ(S().DrawShadowPolygonSoftware(memory.data(), &clip, pitch, height, bpp, &drawn), 1);
  EXPECT_TRUE(drawn.IsEqual(&clip));
  EXPECT_NE(memory, before);

  // Descriptions of memory that cannot be drawn into are refused, and the memory left alone.
  struct SCase {
    bool pixels, clip;
    int32_t pitch, bytesPerPixel;
  };
  const SCase bad[] = {{false, true, pitch, bpp}, {true, false, pitch, bpp}, {true, true, pitch, 0},
                       {true, true, pitch, 4},    {true, true, bpp - 1, bpp}};
  for (const SCase& c : bad) {
    before = memory;
    EXPECT_EQ(S().DrawPolygonSoftware(c.pixels ? memory.data() : nullptr, c.clip ? &clip : nullptr, c.pitch, height,
                                      c.bytesPerPixel, &drawn),
              0);
    EXPECT_EQ(S().DrawShadowPolygonSoftware(c.pixels ? memory.data() : nullptr, c.clip ? &clip : nullptr, c.pitch,
                                            height, c.bytesPerPixel, &drawn),
              0);
    EXPECT_EQ(memory, before);
  }
  // A clip wholly outside the memory draws nothing.
  const CRect away(40, 40, 50, 50);
  EXPECT_EQ(S().DrawPolygonSoftware(memory.data(), &away, pitch, height, bpp, &drawn), 0);
}

TEST_P(Polygon, ShadowDarkensByDepth) {
  const TRGBA c(200, 160, 120);
  S().FillRect(0, 0, kW, kH, c);
  const uint32_t before = RawScreen(0, 0);
  S().SetPolygon(20, 20, 0, 60, 20, 0, 60, 40, 0, 20, 40, 0);  // (10, 10) .. (30, 20)
  CRect drawn;
  CRect* out = &drawn;
  ASSERT_EQ(S().DrawShadowPolygonScreen(out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(10, 10, 30, 20))));
  EXPECT_EQ(RawScreen(9, 10), before);
  EXPECT_EQ(RawScreen(31, 15), before);
  if (Bits() == 24) {
    EXPECT_EQ(RawScreen(10, 10), static_cast<uint32_t>(200 - 56) << 16 | (160 - 56) << 8 | (120 - 56));
  } else if (Bits() == 16) {
    EXPECT_EQ(RawScreen(10, 10), static_cast<uint32_t>(25 - 7) << 10 | (20 - 7) << 5 | (15 - 7));
  } else {
    EXPECT_EQ(RawScreen(10, 10), 0u);  // (x + y) even: black
    EXPECT_EQ(RawScreen(11, 10), before);
    EXPECT_EQ(RawScreen(11, 11), 0u);
  }
}

TEST_P(Polygon, SupersamplingSoftensEdgesAbove8Bits) {
  const TRGBA flat(240, 160, 80);
  CBitmap tex;
  Paint(tex, 4, 4, [&](int32_t, int32_t) { return flat; });
  S().MakeScreenFormat(&tex, 0);
  S().SetTexture(&tex);
  S().SetPolygonMode(7, 1);
  // Half pixels 21 .. 61 wide: the left edge cuts screen column 10 in two.
  S().SetPolygon(21, 20, 0, 61, 20, 0, 61, 41, 0, 21, 41, 0);
  S().SetTextureCoords(0, 0, 3 << 16, 0, 3 << 16, 3 << 16, 0, 3 << 16);
  ASSERT_EQ(Draw(), 1);
  const uint32_t full = RawScreen(20, 15);
  EXPECT_EQ(RawScreen(9, 15), 0u);
  if (Bits() == 8) {  // no supersampling on indexed screens
    EXPECT_EQ(RawScreen(10, 15), full);
    return;
  }
  const uint32_t want = Bits() == 24 ? (120u << 16 | 80 << 8 | 40) : ((240u >> 3) / 2 << 10 | (160 >> 3) / 2 << 5 | (80 >> 3) / 2);
  EXPECT_EQ(full, Bits() == 24 ? (240u << 16 | 160 << 8 | 80) : ((240u >> 3) << 10 | (160 >> 3) << 5 | (80 >> 3)));
  EXPECT_EQ(RawScreen(10, 15), want);
}

TEST_P(Polygon, AlphaBufferDarkensTexelsAbove8Bits) {
  const TRGBA flat(240, 160, 80);
  CBitmap tex;
  Paint(tex, 4, 4, [&](int32_t, int32_t) { return flat; });
  S().MakeScreenFormat(&tex, 0);
  S().SetTexture(&tex);
  ASSERT_EQ(S().SetAlphaBufferMode(1), 1);
  // Full light (255) on the left half, none on the right.
  CBitmap light;
  Paint(light, kW, kH, [](int32_t x, int32_t) { return x < 32 ? TRGBA(255, 255, 255) : TRGBA(0, 0, 0); });
  ASSERT_EQ(S().DrawBitmapAlpha(&light, 0, 0, 0, 0, -1, -1, 0, 0), 1);
  EXPECT_EQ(light.m_BitsPerPixel, 8);  // made grey in place
  EXPECT_GE(S().GetAlphaBitmap()->m_pData[5], 248);  // full light: level 31
  EXPECT_EQ(S().GetAlphaBitmap()->m_pData[40], 0);
  S().SetPolygon(40, 20, 0, 88, 20, 0, 88, 40, 0, 40, 40, 0);  // (20, 10) .. (44, 20)
  S().SetTextureCoords(0, 0, 3 << 16, 0, 3 << 16, 3 << 16, 0, 3 << 16);
  ASSERT_EQ(Draw(), 1);
  if (Bits() == 8) {
    EXPECT_EQ(RawScreen(40, 15), RawScreen(25, 15));
    return;
  }
  const uint32_t lit = Bits() == 24 ? (240u << 16 | 160 << 8 | 80) : ((240u >> 3) << 10 | (160 >> 3) << 5 | (80 >> 3));
  EXPECT_EQ(RawScreen(25, 15), lit);
  // Dark: 24 bits lose 31 x 8 per byte, 16 bits 31 levels.
  EXPECT_EQ(RawScreen(40, 15), 0u);
}

TEST_P(Polygon, ColourKeyLeavesItsTexelsOut) {
  // The texture's first pixel is the key; a column of key texels runs down its middle.
  const TRGBA key(255, 0, 255), body(40, 180, 90);
  CBitmap tex;
  Paint(tex, 8, 8, [&](int32_t x, int32_t y) { return (x == 0 && y == 0) || x == 4 ? key : body; });
  S().MakeScreenFormat(&tex, 0);
  S().SetTexture(&tex);
  const uint8_t* first = tex.m_pData;
  uint32_t raw = 0;
  for (int32_t i = tex.m_BytesPerPixel - 1; i >= 0; --i) raw = (raw << 8) | first[i];
  Quad({10, 10, 17, 10, 17, 17, 10, 17}, {0, 0, 7, 0, 7, 7, 0, 7});
  ASSERT_EQ(S().SetTextureKey(1, raw), 1);
  ASSERT_EQ(Draw(), 1);
  EXPECT_EQ(RawScreen(10, 10), 0u) << "the key texel is not drawn";
  EXPECT_EQ(RawScreen(14, 12), 0u);
  EXPECT_NE(RawScreen(13, 12), 0u);
  EXPECT_EQ(Changed(), 64 - 1 - 8);
  ASSERT_EQ(S().SetTextureKey(0, raw), 1);
  ASSERT_EQ(Draw(), 1);
  EXPECT_EQ(Changed(), 64) << "without the key every texel is drawn";
}

// With a depth at each corner the polygon is drawn in perspective: texels follow 1/z, and
// pixels count as covered by their centres.
TEST_P(Polygon, PerspectiveOfEqualDepthsMapsPixelCentres) {
  // (10, 10) .. (30, 20) at one depth takes texels (0, 0) .. (20, 10): 20 x 10 pixels, each the
  // texel under its centre.
  S().SetPolygon(20, 20, 2, 60, 20, 2, 60, 40, 2, 20, 40, 2);
  S().SetTextureCoords(0, 0, 20 << 16, 0, 20 << 16, 10 << 16, 0, 10 << 16);
  CRect drawn;
  CRect* out = &drawn;
  ASSERT_EQ(Draw(out), 1);
  EXPECT_TRUE(drawn.IsEqual(&static_cast<const CRect&>(CRect(10, 10, 29, 19))));
  for (int32_t y = 10; y < 20; ++y)
    for (int32_t x = 10; x < 30; ++x) ASSERT_EQ(RawScreen(x, y), RawTexel(x - 10, y - 10)) << x << "," << y;
  EXPECT_EQ(Changed(), 20 * 10);
}

TEST_P(Polygon, PerspectiveFollowsTheDepth) {
  // A strip receding from depth 1 on the left to depth 3 on the right, 60 pixels wide, 30
  // texels of u. The screen's middle sees the plane at the harmonic mean of the depths, 1.5, a
  // quarter of the way along it: texel 7, where an affine mapping would give 15.
  S().SetPolygon(0, 20, 1, 120, 20, 3, 120, 40, 3, 0, 40, 1);
  S().SetTextureCoords(0, 0, 30 << 16, 0, 30 << 16, 4 << 16, 0, 4 << 16);
  ASSERT_EQ(Draw(), 1);
  // The pixel left of the middle has its centre at 29.5 of 60: u = 30 s / 3 / (1 - s + s / 3).
  // Between exact points every few pixels the texels are stepped: a texel either side may show.
  auto near = [&](int32_t x, double u) {
    const uint32_t got = RawScreen(x, 15);
    for (int32_t t : {static_cast<int32_t>(u) - 1, static_cast<int32_t>(u), static_cast<int32_t>(u) + 1})
      if (t >= 0 && got == RawTexel(t, 2)) return std::abs(t + 0.5 - u) <= 1.5;
    return false;
  };
  for (int32_t x : {0, 10, 29, 30, 45, 59}) {
    const double s = (x + 0.5) / 60, u = 30 * s / 3 / (1 - s + s / 3);
    EXPECT_TRUE(near(x, u)) << x;
  }
  EXPECT_TRUE(near(30, 7.5)) << "an affine mapping gives 15";
  EXPECT_FALSE(near(30, 15.5));
}

TEST_P(Polygon, PerspectiveNeighboursShareNoPixelAndLeaveNoCrack) {
  // A quad cut along a slanted line into two: each pixel of the whole is drawn by exactly one half.
  const int32_t whole[8] = {13, 9, 101, 17, 93, 83, 7, 77}, cutTop[2] = {57, 13}, cutBottom[2] = {50, 80};
  const float z[4] = {1, 2, 3, 1.5f};
  auto draw = [&](const int32_t (&c)[8]) {
    S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
    S().SetPolygon(c[0], c[1], z[0], c[2], c[3], z[1], c[4], c[5], z[2], c[6], c[7], z[3]);
    S().SetTextureCoords(0, 0, 31 << 16, 0, 31 << 16, 31 << 16, 0, 31 << 16);
    Draw();
    std::vector<bool> on;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) on.push_back(RawScreen(x, y) != 0);
    return on;
  };
  const std::vector<bool> all = draw(whole);
  const std::vector<bool> left = draw({whole[0], whole[1], cutTop[0], cutTop[1], cutBottom[0], cutBottom[1], whole[6], whole[7]});
  const std::vector<bool> right = draw({cutTop[0], cutTop[1], whole[2], whole[3], whole[4], whole[5], cutBottom[0], cutBottom[1]});
  int32_t covered = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_FALSE(left[i] && right[i]) << "pixel " << i << " drawn twice";
    ASSERT_EQ(left[i] || right[i], static_cast<bool>(all[i])) << "pixel " << i;
    covered += all[i];
  }
  EXPECT_GT(covered, 1000);
}

TEST_P(Polygon, MeasureReportsTheRectangleADrawReportsAndHoldsEveryPixel) {
  uint32_t seed = 99;
  auto next = [&](int32_t lo, int32_t hi) {
    seed = seed * 1103515245u + 12345u;
    return lo + static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(hi - lo + 1));
  };
  S().SetClip(3, 2, kW - 5, kH - 4);
  for (int32_t trial = 0; trial < 120; ++trial) {
    const bool perspective = trial % 2 == 0;
    S().SetPolygonMode(0, trial % 3 == 0);
    int32_t c[8];
    for (int32_t& v : c) v = next(-30, 2 * kW + 30);
    const float z = perspective ? 1.0f : 0.0f;
    S().SetPolygon(c[0], c[1], z, c[2], c[3], z * 2, c[4], c[5], z * 3, c[6], c[7], z);
    S().SetTextureCoords(0, 0, 31 << 16, 0, 31 << 16, 31 << 16, 0, 31 << 16);
    S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
    CRect measured, drawn;
    const int32_t wouldDraw = S().MeasurePolygon(&measured);
    CRect* out = &drawn;
    ASSERT_EQ(Draw(out), wouldDraw) << trial;
    if (!wouldDraw) {
      ASSERT_EQ(Changed(), 0) << trial;
      continue;
    }
    EXPECT_TRUE(measured.IsEqual(&drawn)) << trial;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        if (RawScreen(x, y) != 0) {
          ASSERT_TRUE(drawn.IsPntInRect(x, y)) << trial << ": " << x << "," << y;
        }
      }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, Polygon, ::testing::Values(8, 16, 24),
                         [](const ::testing::TestParamInfo<int32_t>& i) { return std::to_string(i.param) + "bit"; });
}  // namespace
