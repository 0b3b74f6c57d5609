// Chip stacks probed pixel by pixel: the split of double and money amounts, the picture on green,
// the chips at their steps with the fraction chip on top, drawing and stamping on a headless
// screen, and moves with their end rule, rounding and stamp.
#include "common/widgets/chipstack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "chipstrip.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "support/guiharness.h"

namespace {
using TMoney = CChipStack::TMoney;

constexpr int32_t kW = kStripChipW, kH = kStripChipH;  // one chip
constexpr int32_t kScreenW = 320, kScreenH = 240;
const TRGBA& kGreen = kStripGreen;
const TRGBA (&kChipColours)[6] = kStripColours;

uint32_t Rgb(const TRGBA& c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

uint32_t BitmapPixel(const CBitmap& b, int32_t x, int32_t y) {
  TRGBA c(0, 0, 0);
  EXPECT_EQ(b.GetPixel(x, y, &c), 1);
  return Rgb(c);
}

class ChipStackTest : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(kScreenW, kScreenH, 24);
    MakeChipStrip(m_Strip);
    m_Stack.Init();
    m_Stack.SetChipBitmap(&m_Strip);
    m_Stack.SetDimension(kW, kH);
  }

  static CScreenBase& Screen() { return *glb->m_pCurrentScreen; }
  static void ClearScreen() { Screen().FillRect(0, 0, kScreenW, kScreenH, TRGBA(0, 0, 0)); }
  std::vector<int32_t> Counts() const {
    return std::vector<int32_t>(m_Stack.GetChipAmounts(), m_Stack.GetChipAmounts() + 6);
  }
  // The box of everything not black on the screen; false when all is black.
  static bool DrawnBox(CRect& box) {
    bool any = false;
    for (int32_t y = 0; y < kScreenH; ++y)
      for (int32_t x = 0; x < kScreenW; ++x)
        if (ScreenPixel(x, y) != 0) {
          if (!any) box.Set(x, y, x, y);
          box.Set(std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y));
          any = true;
        }
    return any;
  }
  // Where a stack was drawn, as the (x, y) the stack takes: its centre column and its bottom
  // less half a chip. The screen is cleared for the next frame.
  static std::pair<int32_t, int32_t> DrawnAt() {
    CRect box;
    if (!DrawnBox(box)) return {-1, -1};
    ClearScreen();
    return {box.left + kW / 2, box.bottom + 1 - kH / 2};
  }
  // Frames of a move until it ends, the place of each frame's picture.
  std::vector<std::pair<int32_t, int32_t>> RunMove(int32_t maxFrames = 100) {
    std::vector<std::pair<int32_t, int32_t>> frames;
    int32_t finished = 0;
    for (int32_t n = 0; n < maxFrames && !finished; ++n) {
      EXPECT_EQ(m_Stack.Move(finished), 1);
      frames.push_back(DrawnAt());
    }
    EXPECT_EQ(finished, 1);
    return frames;
  }

  CBitmap m_Strip;
  CChipStack m_Stack;
};

// The kinds of the chips of a stack, bottom up, probed in the centre column of a stack picture:
// each chip shows its lowest three rows below the next, the top chip shows whole.
void ExpectChips(const CBitmap& b, int32_t height, const std::vector<int>& kinds) {
  ASSERT_EQ(b.m_Width, kW);
  ASSERT_EQ(b.m_Height, height);
  const int32_t n = int32_t(kinds.size());
  for (int32_t y = 0; y < height - kH - 3 * (n - 1); ++y) EXPECT_EQ(BitmapPixel(b, kW / 2, y), Rgb(kGreen)) << y;
  for (int32_t i = 0; i < n; ++i) {
    SCOPED_TRACE(i);
    const int32_t top = height - kH - 3 * i;
    const uint32_t colour = Rgb(kChipColours[kinds[size_t(i)]]);
    EXPECT_EQ(BitmapPixel(b, kW / 2, top + kH - 1), colour);
    EXPECT_EQ(BitmapPixel(b, kW / 2, top + kH - 3), colour);
    if (i == n - 1) {
      EXPECT_EQ(BitmapPixel(b, kW / 2, top), colour);
      EXPECT_EQ(BitmapPixel(b, 0, top), Rgb(kGreen));  // a see-through corner
    } else {
      // The green corner of the chip above lets this chip show through.
      EXPECT_EQ(BitmapPixel(b, 0, top + kH - 4), colour);
    }
  }
}

TEST_F(ChipStackTest, SixHundredThirtySevenStacksGreedilyFromTheLargest) {
  CBitmap picture;
  int32_t height = -1;
  ASSERT_EQ(m_Stack.CreateChipBitmap(637.0, &picture, height), 1);
  EXPECT_EQ(height, 21 + kH);
  ExpectChips(picture, height, {4, 3, 2, 1, 1, 0, 0});

  CBitmap byMoney;
  ASSERT_EQ(m_Stack.CreateChipBitmap(TMoney("637"), &byMoney, height), 1);
  EXPECT_EQ(height, 21 + kH);
  ExpectChips(byMoney, height, {4, 3, 2, 1, 1, 0, 0});
  // Only a picture in the stack's own bitmap counts its chips.
  EXPECT_EQ(Counts(), std::vector<int32_t>(6, 0));
  ASSERT_EQ(m_Stack.Draw(637.0, 100, 150), 1);
  EXPECT_EQ(Counts(), (std::vector<int32_t>{2, 2, 1, 1, 1, 0}));
}

TEST_F(ChipStackTest, AFractionPutsTheFractionChipOnTop) {
  for (const bool money : {false, true}) {
    SCOPED_TRACE(money);
    ClearScreen();
    ASSERT_EQ(money ? m_Stack.Draw(TMoney("2.50"), 50, 50) : m_Stack.Draw(2.50, 50, 50), 1);
    EXPECT_EQ(Counts(), (std::vector<int32_t>{2, 0, 0, 0, 0, 1}));
    EXPECT_EQ(m_Stack.GetHeight(), 9 + kH);
    CBitmap picture;
    int32_t height = 0;
    ASSERT_EQ(money ? m_Stack.CreateChipBitmap(TMoney("2.50"), &picture, height)
                    : m_Stack.CreateChipBitmap(2.50, &picture, height),
              1);
    ExpectChips(picture, height, {0, 0, 5});
  }
  // A money fraction far below what a double tells apart still shows.
  int32_t height = 0;
  ASSERT_EQ(m_Stack.CreateChipBitmap(TMoney("1000000000.0000000001"), nullptr, height), 1);
  ASSERT_EQ(m_Stack.Draw(TMoney("1000000000.0000000001"), 50, 50), 1);
  EXPECT_EQ(Counts(), (std::vector<int32_t>{0, 0, 0, 0, 2000000, 1}));
}

TEST_F(ChipStackTest, WhatTheSmallestChipCannotHoldIsAFractionChip) {
  m_Stack.SetChipValues(5, 10, 25, 100, 500);
  ASSERT_EQ(m_Stack.Draw(7.0, 50, 50), 1);
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 0, 0, 0, 0, 1}));
  ASSERT_EQ(m_Stack.Draw(TMoney("40"), 50, 50), 1);
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 1, 1, 0, 0, 0}));
}

TEST_F(ChipStackTest, NothingOrLessDrawsNothing) {
  const TMoney flagged = [] {
    TMoney m("25");
    m.SetError(1);
    return m;
  }();
  struct SCase {
    const char* what;
    double amount;
    const TMoney* money;
  };
  const TMoney zero, negative("-25");
  for (const SCase& c : {SCase{"zero", 0.0, nullptr}, SCase{"negative", -25.0, nullptr},
                         SCase{"NaN", std::nan(""), nullptr}, SCase{"money zero", 0, &zero},
                         SCase{"money negative", 0, &negative}, SCase{"money flagged", 0, &flagged}}) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(m_Stack.Draw(25.0, 60, 60), 1);  // a picture from before, which must not show
    ClearScreen();
    CBitmap picture;
    int32_t height = -1;
    EXPECT_EQ(c.money ? m_Stack.CreateChipBitmap(*c.money, &picture, height)
                      : m_Stack.CreateChipBitmap(c.amount, &picture, height),
              0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(picture.m_pData, nullptr);
    EXPECT_EQ(c.money ? m_Stack.Draw(*c.money, 100, 100) : m_Stack.Draw(c.amount, 100, 100), 0);
    EXPECT_EQ(c.money ? m_Stack.Stamp(*c.money, 100, 100) : m_Stack.Stamp(c.amount, 100, 100), 0);
    CRect box;
    EXPECT_FALSE(DrawnBox(box));
    // A move of nothing ends at once, drawing nothing.
    EXPECT_EQ(c.money ? m_Stack.InitMove(1, *c.money, 0, 0, 100, 100) : m_Stack.InitMove(1, c.amount, 0, 0, 100, 100),
              1);
    int32_t finished = 0;
    EXPECT_EQ(m_Stack.Move(finished), 1);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(DrawnBox(box));
  }
}

TEST_F(ChipStackTest, DrawPutsTheBottomHalfAChipBelowThePoint) {
  ASSERT_EQ(m_Stack.Draw(637.0, 100, 150), 1);
  const int32_t left = 100 - kW / 2, bottom = 150 + kH / 2 - 1, top = bottom - (21 + kH) + 1;
  EXPECT_EQ(ScreenPixel(100, bottom), Rgb(kChipColours[4]));
  EXPECT_EQ(ScreenPixel(100, bottom + 1), 0u);
  EXPECT_EQ(ScreenPixel(left, bottom), 0u);  // the green corner is see-through
  EXPECT_EQ(ScreenPixel(left, bottom - 3), Rgb(kChipColours[4]));
  EXPECT_EQ(ScreenPixel(left - 1, bottom - 3), 0u);
  EXPECT_EQ(ScreenPixel(left + kW - 1, bottom - 3), Rgb(kChipColours[4]));
  EXPECT_EQ(ScreenPixel(left + kW, bottom - 3), 0u);
  EXPECT_EQ(ScreenPixel(100, top + 2), 0u);  // the green above the top chip
  EXPECT_EQ(ScreenPixel(100, top + 3), Rgb(kChipColours[0]));
  CRect box;
  ASSERT_TRUE(DrawnBox(box));
  EXPECT_EQ(box.left, left);
  EXPECT_EQ(box.right, left + kW - 1);
  EXPECT_EQ(box.top, top + 3);
  EXPECT_EQ(box.bottom, bottom);
}

TEST_F(ChipStackTest, AHugeAmountStaysWithinTheScreen) {
  for (const bool money : {false, true}) {
    SCOPED_TRACE(money);
    ClearScreen();
    ASSERT_EQ(money ? m_Stack.Draw(TMoney("100000000"), 100, kScreenH - kH / 2) : m_Stack.Draw(1e8, 100, kScreenH - kH / 2), 1);
    EXPECT_EQ(Counts(), (std::vector<int32_t>{0, 0, 0, 0, 200000, 0}));  // the counts stay exact
    EXPECT_LE(m_Stack.GetHeight(), kScreenH);
    EXPECT_EQ(m_Stack.GetHeight(), 3 * ((kScreenH - kH) / 3) + kH);
    CRect box;
    ASSERT_TRUE(DrawnBox(box));
    EXPECT_LE(box.top, 3);  // it fills the screen's height
    EXPECT_EQ(box.bottom, kScreenH - 1);
  }
  // The fraction chip stays on top of a cut stack.
  CBitmap picture;
  int32_t height = 0;
  ASSERT_EQ(m_Stack.CreateChipBitmap(1e8 + 0.5, &picture, height), 1);
  EXPECT_EQ(BitmapPixel(picture, kW / 2, height - kH - 3 * ((kScreenH - kH) / 3 - 1)), Rgb(kChipColours[5]));
  // Counts past 2^31 - 1 stop there.
  ASSERT_EQ(m_Stack.Draw(1e300, 100, 100), 1);
  EXPECT_EQ(m_Stack.GetChipAmounts()[4], std::numeric_limits<int32_t>::max());
}

TEST_F(ChipStackTest, StampShowsAfterTheNextClearBuffer) {
  ASSERT_EQ(Screen().SetPersistentMode(1), 1);
  ASSERT_EQ(m_Stack.Stamp(TMoney("637"), 100, 150), 1);
  const int32_t bottom = 150 + kH / 2 - 1;
  EXPECT_EQ(ScreenPixel(100, bottom), 0u);  // not on the screen yet
  Screen().ClearBuffer();
  EXPECT_EQ(ScreenPixel(100, bottom), Rgb(kChipColours[4]));
  EXPECT_EQ(ScreenPixel(100, bottom - 18 - kH + 1), Rgb(kChipColours[0]));
  EXPECT_EQ(ScreenPixel(100 - kW / 2, bottom), 0u);
}

TEST_F(ChipStackTest, WithoutAnimationAMoveEndsOnItsFirstCallAtTheTarget) {
  m_Stack.SetAnimation(0);
  ASSERT_EQ(m_Stack.InitMove(0, 25.0, 20, 30, 200, 120), 1);
  const auto frames = RunMove();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], std::make_pair(200, 120));
  int32_t finished = 0;
  EXPECT_EQ(m_Stack.Move(finished), 1);  // done moves stay done
  EXPECT_EQ(finished, 1);
  CRect box;
  EXPECT_FALSE(DrawnBox(box));
}

TEST_F(ChipStackTest, AMoveEndsWhereEitherCoordinateReachesItsTarget) {
  using TFrames = std::vector<std::pair<int32_t, int32_t>>;
  struct SCase {
    const char* what;
    int32_t steps, fromX, fromY, toX, toY;
    TFrames frames;
  } cases[] = {
      {"right", 4, 20, 50, 120, 50, {{20, 50}, {45, 50}, {70, 50}, {95, 50}}},
      {"left", 4, 120, 50, 20, 50, {{120, 50}, {95, 50}, {70, 50}, {45, 50}}},
      {"down", 2, 60, 40, 60, 100, {{60, 40}, {60, 70}}},
      {"up", 2, 60, 100, 60, 40, {{60, 100}, {60, 70}}},
      // Halves round down, more than a half up.
      {"half steps", 4, 100, 50, 106, 50, {{100, 50}, {101, 50}, {103, 50}, {104, 50}}},
      {"half steps back", 4, 106, 50, 100, 50, {{106, 50}, {104, 50}, {103, 50}, {101, 50}}},
      {"three quarters", 4, 100, 50, 107, 50, {{100, 50}, {102, 50}, {103, 50}, {105, 50}}},
      // Nowhere to go: one picture, then done.
      {"standing", 4, 80, 80, 80, 80, {{80, 80}}},
      // Fewer than one step counts as one.
      {"no steps", 0, 20, 50, 120, 50, {{20, 50}}},
      {"negative steps", -3, 20, 50, 120, 50, {{20, 50}}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    m_Stack.SetSpeed(c.steps);
    ASSERT_EQ(m_Stack.InitMove(0, TMoney("1"), c.fromX, c.fromY, c.toX, c.toY), 1);
    EXPECT_TRUE(m_Stack.IsMoving());
    EXPECT_EQ(RunMove(), c.frames);
    EXPECT_FALSE(m_Stack.IsMoving());
  }
}

TEST_F(ChipStackTest, AMoveWithTheStampFlagLeavesTheStackAtTheTarget) {
  ASSERT_EQ(Screen().SetPersistentMode(1), 1);
  m_Stack.SetSpeed(3);
  ASSERT_EQ(m_Stack.InitMove(1, 637.0, 30, 60, 90, 60), 1);
  const auto frames = RunMove();
  EXPECT_EQ(frames, (std::vector<std::pair<int32_t, int32_t>>{{30, 60}, {50, 60}, {70, 60}}));
  EXPECT_EQ(Counts(), (std::vector<int32_t>{2, 2, 1, 1, 1, 0}));
  Screen().ClearBuffer();
  EXPECT_EQ(DrawnAt(), std::make_pair(90, 60));
}

TEST_F(ChipStackTest, WithoutItsBitmapAStackDrawsNothing) {
  CChipStack bare;  // no Init
  bare.SetChipBitmap(&m_Strip);
  bare.SetDimension(kW, kH);
  EXPECT_EQ(bare.Draw(637.0, 100, 100), 0);
  ASSERT_EQ(bare.InitMove(0, 637.0, 0, 0, 100, 100), 1);
  int32_t finished = 0;
  EXPECT_EQ(bare.Move(finished), 1);
  EXPECT_EQ(finished, 1);
  int32_t height = 0;
  CBitmap picture;
  EXPECT_EQ(bare.CreateChipBitmap(637.0, &picture, height), 1);  // into another bitmap it works
  EXPECT_EQ(height, 21 + kH);
  CRect box;
  EXPECT_FALSE(DrawnBox(box));
  m_Stack.Exit();
  EXPECT_EQ(m_Stack.Draw(637.0, 100, 100), 0);
}

}  // namespace
