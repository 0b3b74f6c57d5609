// The seat arrows: the to-and-fro path of each arrow, the animation stepped by the test clock,
// and the arrow with its shadow drawn on a headless screen where fennic's camera and light put
// them.
#include "common/widgets/arrow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "polyfixture.h"

namespace {

const TRGBA kGround(60, 130, 80);
const TRGBA kGold(250, 200, 40);
const TRGBA kKey(255, 0, 255);
// The 24-bit shadow takes this much off each channel.
constexpr int32_t kShadowStep = 56;
constexpr double kWidth = 0.02, kHeight = 0.04;

// A triangle on the screen in pixels; Outside is how far a point lies outside it (negative: how
// far inside from its nearest edge).
struct TTriangle {
  double x[3], y[3];
  double Outside(double px, double py) const {
    const double turn = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]) > 0 ? 1 : -1;
    double worst = -1e300;
    for (int32_t k = 0; k < 3; ++k) {
      const int32_t j = (k + 1) % 3;
      const double ex = x[j] - x[k], ey = y[j] - y[k];
      worst = std::max(worst, -turn * (ex * (py - y[k]) - ey * (px - x[k])) / std::hypot(ex, ey));
    }
    return worst;
  }
};

// An arrow that notes the period of every step.
class CNotingArrow : public CArrow {
 public:
  void TimerHandler(uint32_t period) override {
    m_Periods.push_back(period);
    CArrow::TimerHandler(period);
  }
  std::vector<uint32_t> m_Periods;
};

// Three arrows whose points lie a multiple of 16 apart, so that every point of the path is exact:
// arrow i goes from A to B in the steps (B - A) / 16.
struct SArrowTable {
  double x[6] = {0, 16, -32, 32, 1.5, 1.5};
  double y[6] = {0, 32, 8, -8, 0.25, 16.25};
  double z[6] = {0, -48, 0, 0, -2, -18};
  double rx[3] = {0, -20, 10};
  double ry[3] = {0, 35, -15};
  double rz[3] = {0, 25, 180};
};

class ArrowTest : public CPolyWidgetTest {
 protected:
  void SetUp() override {
    CPolyWidgetTest::SetUp();
    m_Texture = Texture("arrow.bmp", 16, 32, [](int32_t x, int32_t y) { return x == 0 && y == 0 ? kKey : kGold; });
  }
  void InitArrow(CArrow& arrow) {
    ASSERT_EQ(arrow.Init(m_Texture.c_str(), &m_Camera, &m_Light, kWidth, kHeight), 1);
  }
  // Arrows over the table, between 10 and 25 cm above it; the second one turned about every axis.
  void CreateTableArrows(CArrow& arrow) {
    const double x[6] = {-0.05, 0.05, 0.08, 0.12, -0.15, -0.1};
    const double y[6] = {0.12, 0.18, 0.1, 0.2, 0.15, 0.25};
    const double z[6] = {0, 0.02, -0.05, -0.05, 0.1, 0.1};
    const double rx[3] = {0, -20, 0}, ry[3] = {0, 35, 0}, rz[3] = {0, 25, 90};
    ASSERT_EQ(arrow.CreateArrows(3, x, y, z, rx, ry, rz), 1);
  }
  static void FillGround() { Screen().FillRect(0, 0, kW, kH, kGround); }

  std::string m_Texture;
};

// ---- the path -----------------------------------------------------------------------------------

TEST_F(ArrowTest, PathGoesFromTheFirstPointToTheSecondInSixteenthsAndBack) {
  CArrow arrow;
  InitArrow(arrow);
  SArrowTable t;
  ASSERT_EQ(arrow.CreateArrows(3, t.x, t.y, t.z, t.rx, t.ry, t.rz), 1);
  EXPECT_EQ(arrow.GetNumArrows(), 3);
  // Each arrow's step (B - A) / 16, exact in binary.
  const double step[3][3] = {{1, 2, -3}, {4, -1, 0}, {0, 1, -1}};
  for (int32_t i = 0; i < 3; ++i)
    for (int32_t p = 0; p < CArrow::PATH_POINTS; ++p) {
      // Out: A + p steps; back: B - (p - 16) steps.
      const double k = p < 16 ? p : 32 - p;
      const double want[3] = {t.x[2 * i] + k * step[i][0], t.y[2 * i] + k * step[i][1], t.z[2 * i] + k * step[i][2]};
      double got[3];
      ASSERT_EQ(arrow.GetPathPoint(i, p, &got[0], &got[1], &got[2]), 1);
      for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(got[c], want[c]) << "arrow " << i << " point " << p << " axis " << c;
    }
  // The ends: point 0 is A, point 16 is B, point 31 one step short of A.
  double x, y, z;
  ASSERT_EQ(arrow.GetPathPoint(1, 16, &x, &y, &z), 1);
  EXPECT_EQ(x, 32);
  EXPECT_EQ(y, -8);
  ASSERT_EQ(arrow.GetPathPoint(1, 31, &x, &y, &z), 1);
  EXPECT_EQ(x, -28);
  EXPECT_EQ(arrow.GetPathPoint(3, 0, &x, &y, &z), 0);
  EXPECT_EQ(arrow.GetPathPoint(0, 32, &x, &y, &z), 0);
}

// The tables hold 15 arrows; a bad call keeps the arrows there were.
TEST_F(ArrowTest, CreateArrowsRefusesWhatTheTablesCannotHold) {
  CArrow arrow;
  SArrowTable t;
  EXPECT_EQ(arrow.CreateArrows(3, t.x, t.y, t.z, t.rx, t.ry, t.rz), 0) << "before Init";
  InitArrow(arrow);
  ASSERT_EQ(arrow.CreateArrows(3, t.x, t.y, t.z, t.rx, t.ry, t.rz), 1);

  std::vector<double> many(2 * 16, 1.0);
  ASSERT_EQ(arrow.CreateArrows(15, many.data(), many.data(), many.data(), many.data(), many.data(), many.data()), 1);
  EXPECT_EQ(arrow.GetNumArrows(), 15);
  ASSERT_EQ(arrow.CreateArrows(3, t.x, t.y, t.z, t.rx, t.ry, t.rz), 1);

  double nan[6] = {0, 0, 0, 0, 0, 0};
  nan[3] = std::numeric_limits<double>::quiet_NaN();
  double inf[3] = {0, std::numeric_limits<double>::infinity(), 0};
  struct {
    const char* what;
    int32_t count;
    const double *x, *y, *z, *rx, *ry, *rz;
  } const kCases[] = {
      {"16 arrows", 16, many.data(), many.data(), many.data(), many.data(), many.data(), many.data()},
      {"no arrows", 0, t.x, t.y, t.z, t.rx, t.ry, t.rz},
      {"a negative count", -1, t.x, t.y, t.z, t.rx, t.ry, t.rz},
      {"no x", 3, nullptr, t.y, t.z, t.rx, t.ry, t.rz},
      {"no y", 3, t.x, nullptr, t.z, t.rx, t.ry, t.rz},
      {"no z", 3, t.x, t.y, nullptr, t.rx, t.ry, t.rz},
      {"no rx", 3, t.x, t.y, t.z, nullptr, t.ry, t.rz},
      {"no ry", 3, t.x, t.y, t.z, t.rx, nullptr, t.rz},
      {"no rz", 3, t.x, t.y, t.z, t.rx, t.ry, nullptr},
      {"a point not a number", 3, t.x, nan, t.z, t.rx, t.ry, t.rz},
      {"an endless turn", 3, t.x, t.y, t.z, t.rx, t.ry, inf},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(arrow.CreateArrows(c.count, c.x, c.y, c.z, c.rx, c.ry, c.rz), 0) << c.what;
    EXPECT_EQ(arrow.GetNumArrows(), 3) << c.what;
    double x;
    ASSERT_EQ(arrow.GetPathPoint(1, 16, &x, nullptr, nullptr), 1);
    EXPECT_EQ(x, 32) << c.what;
  }
}

// ---- the animation ------------------------------------------------------------------------------

TEST_F(ArrowTest, FrameStepsEveryPeriodAndWrapsFromTheLastPointToTheFirst) {
  CNotingArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  arrow.StartArrow(1);
  EXPECT_EQ(arrow.GetCurrentArrow(), 1);
  Frame();  // the timer's clock starts
  EXPECT_EQ(arrow.GetFrame(), 0);
  Advance(19);
  EXPECT_EQ(arrow.GetFrame(), 0) << "a step waits for a whole period";
  Advance(1);
  EXPECT_EQ(arrow.GetFrame(), 1);
  for (int32_t step = 2; step <= 31; ++step) {
    Advance(CArrow::DEFAULT_PERIOD);
    ASSERT_EQ(arrow.GetFrame(), step);
  }
  Advance(CArrow::DEFAULT_PERIOD);
  EXPECT_EQ(arrow.GetFrame(), 0) << "after point 31 comes point 0";
  // A slow pass owes every period that went by.
  Advance(40 * CArrow::DEFAULT_PERIOD);
  EXPECT_EQ(arrow.GetFrame(), 40 % 32);
  EXPECT_EQ(arrow.m_Periods, std::vector<uint32_t>(72, CArrow::DEFAULT_PERIOD));

  arrow.StopArrow();
  EXPECT_EQ(arrow.GetCurrentArrow(), -1);
  Advance(10 * CArrow::DEFAULT_PERIOD);
  EXPECT_EQ(arrow.GetFrame(), 8) << "a stopped arrow does not move";
}

TEST_F(ArrowTest, PeriodChangeRestartsTheTimerAtTheNewPeriod) {
  CNotingArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  arrow.StartArrow(0);
  Frame();
  Advance(20);
  ASSERT_EQ(arrow.GetFrame(), 1);
  arrow.SetUpdateSpeed(50);
  EXPECT_EQ(arrow.GetUpdateSpeed(), 50u);
  Advance(20);  // the step at the old period restarts the timer
  EXPECT_EQ(arrow.GetFrame(), 2);
  Frame();  // the new timer's clock starts
  Advance(40);
  EXPECT_EQ(arrow.GetFrame(), 2) << "the old period no longer steps";
  Advance(10);
  EXPECT_EQ(arrow.GetFrame(), 3);
  Advance(100);
  EXPECT_EQ(arrow.GetFrame(), 5);
  EXPECT_EQ(arrow.m_Periods, (std::vector<uint32_t>{20, 20, 50, 50, 50}));

  // A new arrow starts at the period set.
  arrow.StartArrow(2);
  Frame();
  Advance(50);
  EXPECT_EQ(arrow.GetFrame(), 6);
  EXPECT_EQ(arrow.m_Periods.back(), 50u);
}

// A stop right after a speed change ends the timer still running at the old period.
TEST_F(ArrowTest, StopEndsTheTimerOfEveryPeriod) {
  CNotingArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  arrow.StartArrow(0);
  Frame();
  arrow.SetUpdateSpeed(35);
  arrow.StopArrow();
  Advance(1000);
  EXPECT_TRUE(arrow.m_Periods.empty());
  EXPECT_EQ(arrow.GetFrame(), 0);
}

// The timers refuse a period of 0 or below; the arrow keeps to the nearest they accept.
TEST_F(ArrowTest, SpeedBelowOneMillisecondStepsEveryMillisecond) {
  CNotingArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  for (int64_t period : {int64_t{0}, int64_t{-20}}) {
    arrow.SetUpdateSpeed(period);
    EXPECT_EQ(arrow.GetUpdateSpeed(), 1u) << period;
  }
  arrow.SetUpdateSpeed(int64_t{1} << 40);
  EXPECT_EQ(arrow.GetUpdateSpeed(), uint32_t{INT32_MAX});
  arrow.SetUpdateSpeed(0);
  arrow.StartArrow(0);
  Frame();
  Advance(5);
  EXPECT_EQ(arrow.GetFrame(), 5);
}

TEST_F(ArrowTest, StartArrowTakesOnlyArrowsThatExist) {
  CArrow arrow;
  InitArrow(arrow);
  arrow.StartArrow(0);
  EXPECT_EQ(arrow.GetCurrentArrow(), -1) << "no arrows made yet";
  CreateTableArrows(arrow);
  for (int32_t n : {-1, -2, 3, 15, std::numeric_limits<int32_t>::min()}) {
    arrow.StartArrow(n);
    EXPECT_EQ(arrow.GetCurrentArrow(), -1) << n;
  }
  arrow.StartArrow(2);
  EXPECT_EQ(arrow.GetCurrentArrow(), 2);
  arrow.StartArrow(7);
  EXPECT_EQ(arrow.GetCurrentArrow(), 2) << "a bad number leaves the arrow shown";
  // Fewer arrows made again: the shown one is gone, so it is no longer shown.
  SArrowTable t;
  ASSERT_EQ(arrow.CreateArrows(2, t.x, t.y, t.z, t.rx, t.ry, t.rz), 1);
  EXPECT_EQ(arrow.GetCurrentArrow(), -1);
}

// ---- drawing ------------------------------------------------------------------------------------

// At a step on the way back, the tip lies where the camera shows the path point plus the tip
// corner turned by the arrow's rotation, and the shadow where the light casts the triangle.
TEST_F(ArrowTest, TipAndShadowLandWhereCameraAndLightPutThem) {
  CArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  arrow.StartArrow(1);
  Frame();
  Advance(21 * CArrow::DEFAULT_PERIOD);
  ASSERT_EQ(arrow.GetFrame(), 21);
  FillGround();
  ASSERT_EQ(arrow.Handler(), 1);

  TVec3 at;
  ASSERT_EQ(arrow.GetPathPoint(1, 21, &at.x, &at.y, &at.z), 1);
  const TVec3 corners[3] = {at + Turn({0, -kHeight, 0}, -20, 35, 25), at + Turn({kWidth, kHeight, 0}, -20, 35, 25),
                            at + Turn({-kWidth, kHeight, 0}, -20, 35, 25)};
  double tipX, tipY, baseX, baseY;
  ASSERT_TRUE(OnScreen(corners[0], &tipX, &tipY));
  ASSERT_TRUE(OnScreen(at + Turn({0, kHeight, 0}, -20, 35, 25), &baseX, &baseY));

  const auto gold = ScreenPixelsWhere([](uint32_t c) { return c == Rgb(kGold); });
  ASSERT_GT(gold.size(), 300u);
  // Along the arrow towards its tip: the farthest gold pixel is at the tip, none beyond it.
  const double length = std::hypot(tipX - baseX, tipY - baseY);
  const double dx = (tipX - baseX) / length, dy = (tipY - baseY) / length;
  auto along = [&](const std::pair<int32_t, int32_t>& p) { return (p.first + 0.5 - tipX) * dx + (p.second + 0.5 - tipY) * dy; };
  const auto farthest = *std::max_element(gold.begin(), gold.end(), [&](auto& a, auto& b) { return along(a) < along(b); });
  EXPECT_LE(along(farthest), 0.75);
  EXPECT_GE(along(farthest), -3.0) << "the tip is narrower than a pixel only near its point";
  EXPECT_LE(std::fabs((farthest.first + 0.5 - tipX) * dy - (farthest.second + 0.5 - tipY) * dx), 1.0);
  // And the middle of the triangle is drawn.
  const int32_t midX = static_cast<int32_t>((tipX + 2 * baseX) / 3), midY = static_cast<int32_t>((tipY + 2 * baseY) / 3);
  EXPECT_EQ(ScreenPixel(midX, midY), Rgb(kGold));

  // The shadow: the ground darkened inside the cast triangle, nothing else touched.
  const TRGBA dark(kGround.r - kShadowStep, kGround.g - kShadowStep, kGround.b - kShadowStep);
  const auto shade = ScreenPixelsWhere([&](uint32_t c) { return c == Rgb(dark); });
  ASSERT_GT(shade.size(), 100u);
  TTriangle cast;
  for (int32_t k = 0; k < 3; ++k) ASSERT_TRUE(OnScreen(Cast(corners[k]), &cast.x[k], &cast.y[k]));
  for (const auto& [x, y] : shade) ASSERT_LE(cast.Outside(x + 0.5, y + 0.5), 1.0) << "shadow at " << x << ", " << y;
  // Inside it, 1.5 pixels from its edges, every pixel is shadow unless the arrow covers it.
  int32_t inside = 0;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      if (cast.Outside(x + 0.5, y + 0.5) <= -1.5) {
        ++inside;
        const uint32_t c = ScreenPixel(x, y);
        ASSERT_TRUE(c == Rgb(dark) || c == Rgb(kGold)) << x << ", " << y;
      }
  EXPECT_GT(inside, 100);
  EXPECT_LT(dark.r + dark.g + dark.b, kGround.r + kGround.g + kGround.b);
  const auto other = ScreenPixelsWhere(
      [&](uint32_t c) { return c != Rgb(kGround) && c != Rgb(kGold) && c != Rgb(dark); });
  EXPECT_TRUE(other.empty()) << other.size() << " pixels of another colour";
  if (HasFailure()) SaveScreen("arrow_tip_shadow");
}

// The arrow follows its path: each step draws it one sixteenth further along.
TEST_F(ArrowTest, EachStepDrawsTheArrowAtItsPathPoint) {
  CArrow arrow;
  InitArrow(arrow);
  CreateTableArrows(arrow);
  arrow.StartArrow(0);  // upright, unturned: the tip straight below the path point
  Frame();
  for (int32_t step : {0, 8, 16, 24, 31}) {
    while (arrow.GetFrame() != step) Advance(CArrow::DEFAULT_PERIOD);
    FillGround();
    ASSERT_EQ(arrow.Handler(), 1);
    TVec3 at;
    ASSERT_EQ(arrow.GetPathPoint(0, step, &at.x, &at.y, &at.z), 1);
    double tipX, tipY;
    ASSERT_TRUE(OnScreen(at + TVec3{0, -kHeight, 0}, &tipX, &tipY));
    const auto gold = ScreenPixelsWhere([](uint32_t c) { return c == Rgb(kGold); });
    ASSERT_FALSE(gold.empty()) << step;
    // Straight down to the tip; a thin point covers no pixel centre for its last pixels.
    const auto lowest = *std::max_element(gold.begin(), gold.end(), [](auto& a, auto& b) { return a.second < b.second; });
    EXPECT_LE(lowest.second + 0.5, tipY + 0.75) << step;
    EXPECT_GE(lowest.second + 0.5, tipY - 3.0) << step;
    EXPECT_NEAR(lowest.first + 0.5, tipX, 1.0) << step;
  }
}

TEST_F(ArrowTest, NothingIsDrawnBeforeInitOrWhileNoArrowIsShown) {
  CArrow arrow;
  FillGround();
  EXPECT_EQ(arrow.Handler(), 0);
  InitArrow(arrow);
  CreateTableArrows(arrow);
  EXPECT_EQ(arrow.Handler(), 1);
  arrow.StartArrow(1);
  arrow.StopArrow();
  EXPECT_EQ(arrow.Handler(), 1);
  EXPECT_TRUE(ScreenPixelsWhere([](uint32_t c) { return c != Rgb(kGround); }).empty());

  arrow.StartArrow(1);
  arrow.Exit();
  EXPECT_EQ(arrow.GetCurrentArrow(), -1);
  EXPECT_EQ(arrow.GetNumArrows(), 0);
  EXPECT_EQ(arrow.Handler(), 0);
  EXPECT_TRUE(ScreenPixelsWhere([](uint32_t c) { return c != Rgb(kGround); }).empty());
}

TEST_F(ArrowTest, TextureThatCannotBeLoadedFailsInit) {
  WriteWholeFile(m_Dir.File("broken.bmp"), "BM this is not a picture");
  struct {
    const char* what;
    std::string name;
  } const kCases[] = {
      {"missing", m_Dir.File("nothing.bmp")},
      {"not a picture", m_Dir.File("broken.bmp")},
      {"no picture type", m_Dir.File("arrow.txt")},
  };
  for (const auto& c : kCases) {
    CArrow arrow;
    EXPECT_EQ(arrow.Init(c.name.c_str(), &m_Camera, &m_Light, kWidth, kHeight), 0) << c.what;
    EXPECT_EQ(arrow.Handler(), 0) << c.what;
  }
  CArrow arrow;
  EXPECT_EQ(arrow.Init(nullptr, &m_Camera, &m_Light, kWidth, kHeight), 0);
  EXPECT_EQ(arrow.Init(m_Texture.c_str(), &m_Camera, &m_Light, std::nan(""), kHeight), 0);
  // A good one after a failed one.
  InitArrow(arrow);
}

// Without a screen mode no texture can be made for it.
TEST_F(ArrowTest, InitFailsWithoutAScreen) {
  glb->m_pCurrentScreen = nullptr;
  CArrow arrow;
  EXPECT_EQ(arrow.Init(m_Texture.c_str(), &m_Camera, &m_Light, kWidth, kHeight), 0);
}

}  // namespace
