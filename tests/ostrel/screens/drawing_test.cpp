// Software drawing probed pixel by pixel in 8, 16 and 24 bits: fills, darkening, lines, bitmaps
// into the buffers, scaling, the grey copy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "screentest.h"

namespace {
constexpr int32_t kW = 64, kH = 48;

class Drawing : public CScreenTest, public ::testing::WithParamInterface<int32_t> {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    Start(kW, kH, GetParam());
  }
  static int32_t Bits() { return GetParam(); }
  // The raw pixel a colour becomes, by the formats' own rules (the grey ramp for 8 bits).
  static uint32_t Raw(const TRGBA& c) {
    if (Bits() == 24) return static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b;
    if (Bits() == 16) return static_cast<uint32_t>(c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3;
    int32_t best = 0, bestDistance = 1 << 30;
    for (int32_t i = 0; i < 255; ++i) {
      const int32_t d = (c.r - i) * (c.r - i) + (c.g - i) * (c.g - i) + (c.b - i) * (c.b - i);
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    return static_cast<uint32_t>(best);
  }
  static int32_t CountRaw(uint32_t raw) {
    int32_t n = 0;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) n += RawScreen(x, y) == raw;
    return n;
  }
};

TEST_P(Drawing, FillRectFillsOnlyTheVisiblePart) {
  const TRGBA c(200, 100, 50);
  S().FillRect(-10, -10, 20, 20, c);
  EXPECT_EQ(RawScreen(0, 0), Raw(c));
  EXPECT_EQ(RawScreen(9, 9), Raw(c));
  EXPECT_EQ(RawScreen(10, 9), 0u);
  EXPECT_EQ(RawScreen(9, 10), 0u);
  EXPECT_EQ(CountRaw(Raw(c)), 100);
  S().FillRect(60, 40, 100, 100, c);  // past the right and bottom edges
  EXPECT_EQ(RawScreen(63, 47), Raw(c));
  EXPECT_EQ(CountRaw(Raw(c)), 100 + 32);
  S().FillRect(5, 5, 0, 10, TRGBA(255, 255, 255));  // no width
  EXPECT_EQ(CountRaw(Raw(TRGBA(255, 255, 255))), 0);
}

TEST_P(Drawing, FillRectKeepsInsideTheClip) {
  S().SetClip(10, 10, 19, 19);
  S().FillRect(0, 0, kW, kH, TRGBA(255, 255, 255));
  EXPECT_EQ(CountRaw(Raw(TRGBA(255, 255, 255))), 100);
  S().SetClip(100, 100, 200, 200);  // nothing inside: not even pixel (0, 0)
  S().FillRect(0, 0, kW, kH, TRGBA(10, 10, 10));
  EXPECT_EQ(RawScreen(0, 0), 0u);
}

TEST_P(Drawing, FillRectAlphaDarkensByPercent) {
  const TRGBA c(200, 100, 56);
  S().FillRect(0, 0, kW, kH, c);
  const uint32_t before = RawScreen(0, 0);
  struct SCase {
    int32_t x, percent;
  };
  for (const SCase k : {SCase{0, 0}, SCase{1, 50}, SCase{2, 100}, SCase{3, 150}, SCase{4, -20}})
    S().FillRectAlpha(k.x, 0, 1, 1, k.percent);
  if (Bits() == 8) {  // left as it is
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(RawScreen(x, 0), before);
    return;
  }
  // Each 8-bit value (24 bits) or 5-bit channel (16 bits) lowered and stopped at 0.
  auto darker = [&](int32_t percent) {
    if (Bits() == 24) {
      const int32_t d = 255 * percent / 100;
      return Raw(TRGBA(static_cast<uint8_t>(std::max(0, c.r - d)), static_cast<uint8_t>(std::max(0, c.g - d)),
                       static_cast<uint8_t>(std::max(0, c.b - d))));
    }
    const int32_t level = percent * 31 / 100;
    auto ch = [&](int32_t v) { return static_cast<uint32_t>(std::max(0, (v >> 3) - level)); };
    return ch(c.r) << 10 | ch(c.g) << 5 | ch(c.b);
  };
  EXPECT_EQ(RawScreen(0, 0), before);  // 0 %: unchanged in both depths
  EXPECT_EQ(RawScreen(1, 0), darker(50));
  EXPECT_EQ(RawScreen(2, 0), 0u);
  EXPECT_EQ(RawScreen(3, 0), 0u);  // above 100 % is 100 %
  EXPECT_EQ(RawScreen(4, 0), before);
  EXPECT_EQ(RawScreen(5, 0), before);
}

TEST_P(Drawing, SinglePointLine) {
  S().DrawLine(10, 10, 10, 10, TRGBA(255, 255, 255));
  EXPECT_EQ(RawScreen(10, 10), Raw(TRGBA(255, 255, 255)));
  EXPECT_EQ(CountRaw(Raw(TRGBA(255, 255, 255))), 1);
}

TEST_P(Drawing, LinesFollowTheIdealLine) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> px(0, kW - 1), py(0, kH - 1);
  const TRGBA white(255, 255, 255);
  for (int32_t n = 0; n < 40; ++n) {
    S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
    const int32_t x1 = px(rng), y1 = py(rng), x2 = px(rng), y2 = py(rng);
    SCOPED_TRACE(::testing::Message() << x1 << "," << y1 << " - " << x2 << "," << y2);
    S().DrawLine(x1, y1, x2, y2, white);
    const bool alongX = std::abs(y2 - y1) <= std::abs(x2 - x1);
    const int32_t major = alongX ? std::abs(x2 - x1) : std::abs(y2 - y1);
    EXPECT_EQ(CountRaw(Raw(white)), major + 1);
    EXPECT_EQ(RawScreen(x1, y1), Raw(white));
    EXPECT_EQ(RawScreen(x2, y2), Raw(white));
    // One pixel per step along the major axis, within half a pixel of the exact line.
    std::map<int32_t, int32_t> perMajor;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        if (RawScreen(x, y) != Raw(white)) continue;
        const int32_t m = alongX ? x : y, minor = alongX ? y : x;
        ++perMajor[m];
        if (major == 0) continue;
        const double t = alongX ? static_cast<double>(x - x1) / (x2 - x1) : static_cast<double>(y - y1) / (y2 - y1);
        const double ideal = alongX ? y1 + t * (y2 - y1) : x1 + t * (x2 - x1);
        EXPECT_LE(std::fabs(minor - ideal), 0.5 + 1e-9) << x << "," << y;
      }
    for (const auto& [m, count] : perMajor) EXPECT_EQ(count, 1) << m;
  }
}

TEST_P(Drawing, LinesAreClippedAndRejected) {
  const TRGBA white(255, 255, 255);
  S().SetClip(10, 10, 20, 20);
  S().DrawLine(0, 15, 63, 15, white);  // across the clip: 11 pixels
  EXPECT_EQ(CountRaw(Raw(white)), 11);
  S().DrawLine(0, 5, 30, 9, white);  // above the clip
  S().DrawLine(0, 9, 9, 0, white);   // beside the corner
  S().DrawLine(-1000000000, -999999990, 1000000000, 1000000000, white);  // far ends, through the clip
  EXPECT_GT(CountRaw(Raw(white)), 11);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      if (!S().GetClip().IsPntInRect(x, y)) {
        ASSERT_EQ(RawScreen(x, y), 0u) << x << "," << y;
      }
}

TEST_P(Drawing, StraightLinesSetExactlyTheirRunInsideTheClip) {
  const TRGBA white(255, 255, 255);
  struct SCase {
    int32_t x1, y1, x2, y2;
    CRect expected;  // the pixels set, with the clip 5..40 x 3..30
  };
  const SCase cases[] = {
      {7, 4, 39, 4, CRect(7, 4, 39, 4)},      {39, 6, 7, 6, CRect(7, 6, 39, 6)},      // either way along x
      {9, 3, 9, 30, CRect(9, 3, 9, 30)},      {11, 30, 11, 3, CRect(11, 3, 11, 30)},  // either way along y
      {-50, 8, 500, 8, CRect(5, 8, 40, 8)},   {12, -9, 12, 99, CRect(12, 3, 12, 30)},  // cut at both ends
      {-9000, 2, 9000, 2, CRect(0, 0, -1, -1)}, {41, 0, 41, 47, CRect(0, 0, -1, -1)},  // beside the clip
  };
  for (const SCase& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.x1 << "," << k.y1 << " - " << k.x2 << "," << k.y2);
    S().SetClip(0, 0, kW - 1, kH - 1);
    S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
    S().SetClip(5, 3, 40, 30);
    S().DrawLine(k.x1, k.y1, k.x2, k.y2, white);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        ASSERT_EQ(RawScreen(x, y) == Raw(white), k.expected.IsPntInRect(x, y) != 0) << x << "," << y;
  }
}

TEST_P(Drawing, BitmapsOnTheScreenByDepthAndKey) {
  // A 24-bit picture with the key (magenta) in its first pixel.
  CBitmap pic;
  Paint(pic, 8, 8, [](int32_t x, int32_t y) { return x < 4 && y < 4 ? TRGBA(255, 0, 255) : TRGBA(0, 255, 0); });
  S().DrawBitmapScreen(&pic, 0, 0, 10, 10, -1, -1, BLT_MODE_KEY, 0);
  EXPECT_EQ(RawScreen(10, 10), 0u);  // key: not drawn
  EXPECT_EQ(RawScreen(17, 17), Raw(TRGBA(0, 255, 0)));
  S().DrawBitmapScreen(&pic, 0, 0, 30, 10, 8, 8, BLT_MODE_COPY, 0);
  EXPECT_EQ(RawScreen(30, 10), Raw(TRGBA(255, 0, 255)));

  CBitmap pic16;
  ASSERT_EQ(pic16.CreateRGB(4, 4, 16, 5, 5, 5, 10, 5, 0, 0), 1);
  const TRGBA blue(0, 0, 255);
  pic16.Fill(&blue);
  S().DrawBitmapScreen(&pic16, 0, 0, 40, 30, -1, -1, 0, 0);
  // 16 on 8 bits: not drawn; into 24 bits a 5-bit channel becomes its top bits.
  EXPECT_EQ(RawScreen(41, 31), Bits() == 8 ? 0u : Bits() == 16 ? Raw(blue) : 0xF8u);

  CBitmap pic8;
  CPalette pal;
  pal.m_Entries[3] = TRGBA(255, 255, 255);
  ASSERT_EQ(pic8.CreateIndex(4, 4, 8, &pal, 0), 1);
  std::fill(pic8.m_pData, pic8.m_pData + pic8.m_Pitch * 4, 3);
  S().DrawBitmapScreen(&pic8, 0, 0, 50, 30, -1, -1, 0, 0);
  EXPECT_EQ(RawScreen(51, 31), Bits() == 8 ? 3u : Raw(TRGBA(255, 255, 255)));
}

TEST_P(Drawing, ScreenCopiesOutAndBack) {
  S().FillRect(5, 5, 4, 4, TRGBA(255, 255, 255));
  CBitmap saved;
  if (Bits() == 8) {
    ASSERT_EQ(saved.CreateIndex(6, 6, 8, S().GetPalette(), 0), 1);
  } else {
    Paint(saved, 6, 6, [](int32_t, int32_t) { return TRGBA(0, 0, 0); });
    S().MakeScreenFormat(&saved, 1);
  }
  ASSERT_EQ(S().UpdateSpriteRestore(4, 4, -1, -1, 0, 0, &saved), 1);
  S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
  ASSERT_EQ(S().RestoreSpriteScreen(&saved, 40, 20, -1, -1), 1);
  EXPECT_EQ(RawScreen(40, 20), 0u);
  EXPECT_EQ(RawScreen(41, 21), Raw(TRGBA(255, 255, 255)));
  EXPECT_EQ(RawScreen(44, 24), Raw(TRGBA(255, 255, 255)));
  EXPECT_EQ(RawScreen(45, 25), 0u);
  // Off the screen's edge the saved picture lines up with what it was taken from.
  S().FillRect(0, 0, 3, 3, TRGBA(255, 255, 255));
  S().UpdateSpriteRestore(-2, -2, -1, -1, 0, 0, &saved);
  S().FillRect(0, 0, kW, kH, TRGBA(0, 0, 0));
  S().RestoreSpriteScreen(&saved, -2, -2, -1, -1);
  EXPECT_EQ(RawScreen(0, 0), Raw(TRGBA(255, 255, 255)));
  EXPECT_EQ(RawScreen(2, 2), Raw(TRGBA(255, 255, 255)));
  EXPECT_EQ(RawScreen(3, 3), 0u);
}

TEST_P(Drawing, PersistentBitmapsAndTheirAreas) {
  CBitmap pic;
  Paint(pic, 10, 10, [](int32_t, int32_t) { return TRGBA(255, 255, 255); });
  S().MakeScreenFormat(&pic, 0);
  EXPECT_EQ(S().DrawBitmapPersistent(&pic, 0, 0, 0, 0, -1, -1, 0, 0), 0);  // persistent mode off
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  S().SetClip(0, 0, 39, 39);
  EXPECT_EQ(S().DrawBitmapPersistent(&pic, 0, 0, 35, 2, -1, -1, 0, 0), 1);
  // Clipped to the screen's clip: the area is what was drawn.
  ASSERT_EQ(S().PersistentClearAreas().Count(0), 1);
  const CRect area = S().PersistentClearAreas().Get(0, 0);
  EXPECT_TRUE(area.IsEqual(&static_cast<const CRect&>(CRect(35, 2, 39, 11))));
  const uint32_t white = Raw(TRGBA(255, 255, 255));
  EXPECT_NE(PersistentPixel(39, 2), 0u);
  EXPECT_EQ(PersistentPixel(40, 2), 0u);
  EXPECT_EQ(RawScreen(35, 2), 0u);  // the screen gets it at the clear
  S().ClearBuffer();
  EXPECT_EQ(RawScreen(35, 2), white);
  EXPECT_EQ(RawScreen(39, 11), white);
  EXPECT_EQ(RawScreen(40, 11), 0u);
  EXPECT_EQ(S().PersistentClearAreas().Count(0), 0);
  EXPECT_EQ(S().PersistentClearAreas().Count(1), 1);  // still waiting on the other page
  EXPECT_EQ(S().DrawBitmapPersistent(&pic, 0, 0, 50, 50, -1, -1, 0, 0), 0);  // outside the clip
}

TEST_P(Drawing, ScaledBitmapsStretchToTheDestination) {
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  // 2 by 2 with the key (magenta) top-left.
  CBitmap pic;
  // Colours that stay apart on the grey ramp too.
  const TRGBA quad[4] = {TRGBA(255, 0, 255), TRGBA(255, 0, 0), TRGBA(255, 255, 255), TRGBA(64, 64, 64)};
  Paint(pic, 2, 2, [&](int32_t x, int32_t y) { return quad[y * 2 + x]; });
  S().MakeScreenFormat(&pic, 0);
  CRect src(0, 0, 1, 1), dst(10, 10, 17, 17);
  ASSERT_EQ(S().DrawBitmapPersistentScale(&pic, &src, &dst, BLT_MODE_COPY), 1);
  CRect key(1, 1, 1, 1), keyDst(30, 30, 33, 33);
  ASSERT_EQ(S().DrawBitmapPersistentScale(&pic, &key, &keyDst, BLT_MODE_KEY), 1);  // keyed by magenta, which it lacks
  S().ClearBuffer();
  auto at = [&](int32_t x, int32_t y) { return RawScreen(x, y); };
  // The source pixels as the conversion left them.
  auto source = [&](int32_t i) {
    const uint8_t* p = pic.m_pData + (i / 2) * pic.m_Pitch + (i % 2) * pic.m_BytesPerPixel;
    uint32_t v = 0;
    for (int32_t k = pic.m_BytesPerPixel - 1; k >= 0; --k) v = (v << 8) | p[k];
    return v;
  };
  EXPECT_EQ(at(10, 10), source(0));
  EXPECT_EQ(at(13, 13), source(0));
  EXPECT_EQ(at(14, 13), source(1));
  EXPECT_EQ(at(17, 10), source(1));
  EXPECT_EQ(at(10, 14), source(2));
  EXPECT_EQ(at(17, 17), source(3));
  EXPECT_EQ(at(18, 18), 0u);
  EXPECT_EQ(at(30, 30), source(3));
  EXPECT_EQ(at(33, 33), source(3));
  for (int32_t i = 1; i < 4; ++i) EXPECT_NE(source(i), source(0));
  // A huge destination is made only where it shows.
  CRect huge(-1000000, -1000000, 1000000, 1000000);
  ASSERT_EQ(S().DrawBitmapPersistentScale(&pic, &src, &huge, BLT_MODE_COPY), 1);
  S().ClearBuffer();
  EXPECT_EQ(at(0, 0), source(0));
  EXPECT_EQ(at(kW - 1, kH - 1), source(3));
}

TEST_P(Drawing, GreyCopyHalvesIntoThePersistentBuffer) {
  S().FillRect(0, 0, kW, kH, TRGBA(248, 120, 64));
  EXPECT_EQ(S().ScreenToPersistentGray(), 1);  // no persistent buffer: nothing
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  S().SetScreenToPersistentGrey();
  S().FlipPage();  // the screen makes it on bus message 2
  EXPECT_EQ(S().GetGreyRequest(), 0);
  const CBitmap& p = *S().GetPersistentBitmap();
  auto raw = [&](int32_t x, int32_t y) {
    uint32_t v = 0;
    for (int32_t i = p.m_BytesPerPixel - 1; i >= 0; --i) v = (v << 8) | p.m_pData[y * p.m_Pitch + x * p.m_BytesPerPixel + i];
    return v;
  };
  if (Bits() == 24) {
    const uint32_t g = (248 + 120 + 64) / 6;
    EXPECT_EQ(raw(5, 5), g << 16 | g << 8 | g);
  } else if (Bits() == 16) {
    const uint32_t g = (31 + 15 + 8) / 6;
    EXPECT_EQ(raw(5, 5), g << 10 | g << 5 | g);
  } else {
    EXPECT_EQ(raw(4, 6), RawScreen(4, 6));
    EXPECT_EQ(raw(5, 6), 0u);  // black
  }
  // Shown at the next clear over the whole screen.
  S().ClearBuffer();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

INSTANTIATE_TEST_SUITE_P(Depths, Drawing, ::testing::Values(8, 16, 24),
                         [](const ::testing::TestParamInfo<int32_t>& i) { return std::to_string(i.param) + "bit"; });

class ClipLine : public CScreenTest {};

TEST_F(ClipLine, CohenSutherlandCases) {
  Start(kW, kH, 24);
  S().SetClip(10, 10, 20, 20);
  struct SCase {
    int32_t x1, y1, x2, y2;
    uint32_t result;
    int32_t cx1, cy1, cx2, cy2;
  };
  const SCase cases[] = {
      {12, 12, 18, 18, 1, 12, 12, 18, 18},  // inside
      {0, 15, 30, 15, 1, 10, 15, 20, 15},   // across
      {15, 0, 15, 30, 1, 15, 10, 15, 20},   // down
      {0, 5, 30, 5, 0, 0, 0, 0, 0},         // horizontal above
      {0, 0, 9, 9, 0, 0, 0, 0, 0},          // beside the corner, both outside
      {5, 14, 14, 5, 0, 0, 0, 0, 0},        // cuts past the corner without entering
      {0, 0, 30, 30, 1, 10, 10, 20, 20},    // diagonal
      {15, 15, 40, 15, 1, 15, 15, 20, 15},  // one end inside
  };
  for (const SCase& c : cases) {
    int32_t x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    SCOPED_TRACE(::testing::Message() << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
    ASSERT_EQ(S().ClipLine(x1, y1, x2, y2), c.result);
    if (c.result) {
      EXPECT_EQ(x1, c.cx1);
      EXPECT_EQ(y1, c.cy1);
      EXPECT_EQ(x2, c.cx2);
      EXPECT_EQ(y2, c.cy2);
    }
  }
  EXPECT_EQ(S().CompOutCode(25, 25), 1 | 4);
  EXPECT_EQ(S().CompOutCode(5, 5), 2 | 8);
  EXPECT_EQ(S().CompOutCode(15, 15), 0);
}
}  // namespace
