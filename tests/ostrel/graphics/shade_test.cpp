#include <gtest/gtest.h>

#include "ostrel/graphics/pixelformat.h"
#include "ostrel/graphics/shade.h"
#include "support/runtimefixture.h"

namespace {

class Shade : public CRuntimeTest {
 protected:
  void TearDown() override {
    DeleteShade();
    CRuntimeTest::TearDown();
  }
  SShadeTables& T() { return glb->m_Shade; }
};

uint16_t C15(int r, int g, int b) { return static_cast<uint16_t>(r << 10 | g << 5 | b); }
int Clamp(int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); }

}  // namespace

TEST_F(Shade, ScreenTableScalesFiveBitsToEachChannelWidth) {
  ASSERT_EQ(Set16Bit(11, 3, 5, 2, 0, 3), 1);  // 5-6-5
  EXPECT_EQ(T().To16[0], 0);
  for (int v = 0; v < 32; ++v) {
    EXPECT_EQ(T().To16[C15(0, v, 0)], (v * 63 / 31) << 5) << v;
    EXPECT_EQ(T().To16[C15(v, 0, 0)], v << 11) << v;
    EXPECT_EQ(T().To16[C15(0, 0, v)], v) << v;
  }
  EXPECT_EQ(T().To16[0x7FFF], 0xFFFF);
  ASSERT_EQ(Set16Bit(10, 3, 5, 3, 0, 3), 1);  // a second call replaces it: 5-5-5
  EXPECT_EQ(T().To16[0x7FFF], 0x7FFF);
  EXPECT_EQ(T().To16[C15(0, 31, 0)], 31 << 5);
  EXPECT_EQ(Set16Bit(11, 9, 5, 2, 0, 3), 0);  // no channel loses more than 8 bits
}

TEST_F(Shade, ShadowAndLightDarkenEveryChannelStoppingAtZero) {
  ASSERT_EQ(Set16Bit(10, 3, 5, 3, 0, 3), 1);
  ASSERT_EQ(PreCalcShade(), 1);
  EXPECT_EQ(xShadowPixel16(T(), C15(5, 20, 31)), C15(0, 13, 24));
  struct {
    uint32_t light;
    uint16_t out;
  } lights[] = {{255, C15(5, 20, 31)}, {248, C15(5, 20, 31)}, {200, C15(0, 14, 25)}, {0, C15(0, 0, 0)}};
  for (const auto& l : lights) EXPECT_EQ(xLightPixel16(T(), C15(5, 20, 31), l.light), l.out) << l.light;
  ASSERT_EQ(Set16Bit(11, 3, 5, 2, 0, 3), 1);  // 5-6-5: green passes through five bits
  EXPECT_EQ(xShadowPixel16(T(), 5 << 11 | 41 << 5 | 31), (13 * 63 / 31) << 5 | 24);
}

TEST_F(Shade, CubesClampEveryMove) {
  ASSERT_EQ(PreCalcShade(), 1);
  EXPECT_EQ(T().RedStep[3], 3 * 9216);
  EXPECT_EQ(T().GreenStep[3], 3 * 96);
  EXPECT_EQ(T().BlueStep[3], 3);
  EXPECT_EQ(T().GreyStep[7], 7 * 9313);
  const int colours[][3] = {{0, 0, 0}, {31, 31, 31}, {5, 20, 31}, {17, 0, 30}};
  const int moves[][3] = {{0, 0, 0}, {-31, 5, 31}, {-7, -7, -7}, {31, 31, 31}, {-31, -31, -31}, {2, -3, 1}};
  for (const auto& c : colours) {
    const uint16_t c15 = C15(c[0], c[1], c[2]);
    for (const auto& m : moves) {
      auto step = [](const int32_t* table, int v) { return v < 0 ? -table[-v] : table[v]; };
      const int32_t offset = step(T().RedStep, m[0]) + step(T().GreenStep, m[1]) + step(T().BlueStep, m[2]);
      EXPECT_EQ(T().ShadeEntry[c15][offset],
                C15(Clamp(c[0] + m[0], 31), Clamp(c[1] + m[1], 31), Clamp(c[2] + m[2], 31)));
      // Values with bit 15 set move like their 15-bit colour.
      EXPECT_EQ(T().ShadeEntry[c15 | 0x8000], T().ShadeEntry[c15]);
      if (m[0] >= 0 && m[1] >= 0 && m[2] >= 0) {
        EXPECT_EQ(T().BrightEntry[c15][m[0] * 4096 + m[1] * 64 + m[2]],
                  C15(Clamp(c[0] + m[0], 31), Clamp(c[1] + m[1], 31), Clamp(c[2] + m[2], 31)));
      }
    }
    EXPECT_EQ(T().BrightEntry[c15][32 * 4096 + 32 * 64 + 32], C15(31, 31, 31));
  }
  uint16_t* const cube = T().ShadeCube;
  EXPECT_EQ(PreCalcShade(), 1);  // at once, nothing rebuilt
  EXPECT_EQ(T().ShadeCube, cube);
  DeleteShade();
  EXPECT_EQ(T().ShadeCube, nullptr);
  EXPECT_EQ(T().To16, nullptr);
  ASSERT_EQ(PreCalcShade(), 1);  // built again after DeleteShade
  EXPECT_NE(T().ShadeCube, nullptr);
}

TEST_F(Shade, ShadowTableScalesEachChannelWithoutFoldingRed) {
  ASSERT_EQ(PreCalcShade(), 1);  // factor 1/2
  for (int r : {0, 5, 31, 32, 37, 63})
    for (int g : {0, 9, 31})
      for (int b : {1, 30}) {
        const int index = r << 10 | g << 5 | b;
        EXPECT_EQ(T().Shadow[index], C15(r / 2, g / 2, b / 2)) << r << "," << g << "," << b;
      }
  ASSERT_EQ(CalcShadow(4.0f), 1);
  EXPECT_EQ(T().Shadow[C15(31, 16, 7)], C15(7, 4, 1));
  ASSERT_EQ(CalcShadow(0.5f), 1);  // brighter than full saturates
  EXPECT_EQ(T().Shadow[C15(31, 16, 7)], C15(31, 31, 14));
  EXPECT_EQ(CalcShadow(0.0f), 0);
}

TEST_F(Shade, ClampTableForTwentyFourBits) {
  PreCalcShade24();
  EXPECT_EQ(T().Clamp24[-10 + 256], 0);
  EXPECT_EQ(T().Clamp24[100 + 256], 100);
  EXPECT_EQ(T().Clamp24[300 + 256], 255);
  EXPECT_EQ(T().Clamp24[0], 0);
  EXPECT_EQ(T().Clamp24[767], 255);
}

TEST_F(Shade, ScreenPixelConversions) {
  ASSERT_EQ(Set16Bit(11, 3, 5, 2, 0, 3), 1);
  uint32_t r, g, b;
  xShadeUnpack(T(), 0xFFFF, r, g, b);  // each channel's top five bits, times 8
  EXPECT_EQ(r, 248u);
  EXPECT_EQ(g, 248u);
  EXPECT_EQ(b, 248u);
  EXPECT_EQ(xShadePack(T(), 248, 252, 248), 0xFFFF);
  EXPECT_EQ(xShadeTo15(T(), 0xFFFF), 0x7FFF);
  EXPECT_EQ(xShadeTo15(T(), 1 << 5), 0);  // green's lowest bit is below five bits
  // Half size: (248 + 248 + 0 + 0) / 4 = 124 in every channel.
  EXPECT_EQ(xFilterPixel16(T(), 0xFFFF, 0xFFFF, 0, 0), 15 << 11 | 31 << 5 | 15);
}

TEST(GreyPixel, EveryChannelGetsTheGreyAtItsOwnWidth) {
  // White: (31 + 31 + 31) / 6 = 15 at five bits; 30 in a six-bit green.
  EXPECT_EQ(xGreyPixel16(0xFFFF, PIXELFORMAT_565), 15 << 11 | 30 << 5 | 15);
  EXPECT_EQ(xGreyPixel16(0x7FFF, PIXELFORMAT_555), 15 << 10 | 15 << 5 | 15);
  EXPECT_EQ(xGreyPixel16(0, PIXELFORMAT_565), 0);
  EXPECT_EQ(xGreyPixel16(31 << 11, PIXELFORMAT_565), 5 << 11 | 10 << 5 | 5);
}
