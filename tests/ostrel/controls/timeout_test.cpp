#include <gtest/gtest.h>

#include <cmath>

#include "ostrel/controls/timeout.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/drawpie.h"
#include "support/guiharness.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

class Timeout : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_Face.CreateRGB(44, 41, 24, 8, 8, 8, 16, 8, 0, 0);
    m_Face.Fill(&kWhite);
  }
  // A 41 by 41 pie of radius 20 about (20, 20) over a white face, drawn in black (colour 2 of
  // its colour set).
  void Make(CTimeout& t, int32_t minimum, int32_t maximum) {
    ASSERT_EQ(t.Create(9, 10, 10, 41, 41, 20, 20, 20, 0), 1);
    t.SetRange(minimum, maximum);
    t.SetBitmap(&m_Face, &m_Face, &m_Face, &m_Face);
    m_Black.m_Col[2] = TRGBA(0, 0, 0, 0);
    t.SetColors(&m_Black, &m_Black, &m_Black, &m_Black);
  }
  // f of every pixel of the work picture inside the box x0..x1, y0..y1 (half-open), summed.
  template <typename F>
  static int32_t Sum(CBitmap* b, int32_t x0, int32_t y0, int32_t x1, int32_t y1, F f) {
    int32_t n = 0;
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) {
        TRGBA c;
        b->GetPixel(x, y, &c);
        n += f(c);
      }
    return n;
  }
  // Black pixels in the box.
  static int32_t Black(CBitmap* b, int32_t x0 = 0, int32_t y0 = 0, int32_t x1 = 40, int32_t y1 = 40) {
    return Sum(b, x0, y0, x1, y1, [](const TRGBA& c) { return c.r == 0 && c.g == 0 && c.b == 0 ? 1 : 0; });
  }
  // The pie's ink in the box: how far each pixel went from the white face toward black, in
  // 255ths, so that a smoothed edge counts by its share.
  static int32_t Ink(CBitmap* b, int32_t x0 = 0, int32_t y0 = 0, int32_t x1 = 40, int32_t y1 = 40) {
    return Sum(b, x0, y0, x1, y1, [](const TRGBA& c) { return 255 - c.r; });
  }
  static inline const TRGBA kWhite{255, 255, 255, 0};
  CBitmap m_Face;
  TCntrlColor m_Black;
};

TEST_F(Timeout, PieCoversThePartOfTheRangeStillToRun) {
  CTimeout t;
  Make(t, 0, 100);
  t.SetValue(0);
  ASSERT_EQ(t.PaintPie(), 1);
  const int32_t full = Ink(t.GetWorkBitmap());
  // The disc of radius 20, its edge pixels by their share: pi r^2.
  EXPECT_NEAR(full / 255.0, kPi * 400, kPi * 400 * 0.005);
  EXPECT_EQ(full % 4, 0);
  struct SRow {
    int32_t min, max, value;
    int32_t quarters;  // of the disc, from the top clockwise
  } rows[] = {
      {0, 100, 0, 4},   {0, 100, 25, 3},  {0, 100, 50, 2}, {0, 100, 75, 1},
      // Ended: nothing left, no pie (not the whole disc that coinciding start and end points give).
      {0, 100, 100, 0}, {1000, 1400, 1400, 0},
      // Any minimum: three quarters still to run.
      {25, 125, 50, 3}, {-100, 100, 0, 2}, {1000, 1400, 1300, 1},
  };
  for (const SRow& r : rows) {
    CTimeout p;
    Make(p, r.min, r.max);
    p.SetValue(r.value);
    ASSERT_EQ(p.PaintPie(), 1);
    CBitmap* w = p.GetWorkBitmap();
    EXPECT_EQ(Ink(w), full * r.quarters / 4) << r.min << ".." << r.max << " at " << r.value;
    // Which quarters: top-right first, then bottom-right, bottom-left, top-left.
    const int32_t quarter = full / 4;
    const int32_t counts[4] = {Ink(w, 20, 0, 40, 20), Ink(w, 20, 20, 40, 40), Ink(w, 0, 20, 20, 40),
                               Ink(w, 0, 0, 20, 20)};
    for (int32_t q = 0; q < 4; ++q) EXPECT_EQ(counts[q], q < r.quarters ? quarter : 0) << r.value << " quarter " << q;
    // Outside the disc the face stays.
    TRGBA corner;
    w->GetPixel(0, 0, &corner);
    EXPECT_EQ(corner.r, 255);
  }
}

// The pie is the look's: the face colour of the time-out colour sets the window manager hands
// out, and its arc is smoothed against the dial rather than cut in steps.
TEST_F(Timeout, PieTakesTheLooksColourWithSmoothedEdges) {
  TCntrlColor look;
  look.m_Col[2] = TRGBA(26, 92, 62, 0);
  WC().SetDefaultTimeout(&look, &look, &look, &look);
  CTimeout t;
  ASSERT_EQ(t.Create(9, 10, 10, 41, 41, 20, 20, 20, 0), 1);
  t.SetBitmap(&m_Face, &m_Face, &m_Face, &m_Face);
  t.SetValue(25);
  ASSERT_EQ(t.PaintPie(), 1);
  CBitmap* w = t.GetWorkBitmap();
  int32_t pie = 0, blended = 0, black = 0;
  for (int32_t y = 0; y < 41; ++y)
    for (int32_t x = 0; x < 41; ++x) {
      TRGBA c;
      w->GetPixel(x, y, &c);
      if (c.r == 26 && c.g == 92 && c.b == 62) ++pie;
      else if (c.r > 26 && c.r < 255 && c.g > 92 && c.g < 255) ++blended;
      if (c.r == 0 && c.g == 0 && c.b == 0) ++black;
    }
  EXPECT_NEAR(pie, kPi * 400 * 3 / 4, 80);
  // Three quarters of the arc (about 94 pixels) pass through pixels only partly covered.
  EXPECT_GT(blended, 60);
  EXPECT_EQ(black, 0);
}

TEST_F(Timeout, ValueRangeAndAngles) {
  CTimeout t;
  Make(t, 0, 100);
  int32_t lo = -1, hi = -1;
  t.GetRange(lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 100);
  struct SRow {
    int32_t set, value;
    double angle;
  } rows[] = {{-5, 0, -kPi / 2}, {0, 0, -kPi / 2}, {25, 25, kPi}, {50, 50, kPi / 2}, {100, 100, 3 * kPi / 2},
              {250, 100, 3 * kPi / 2}};
  for (const SRow& r : rows) {
    EXPECT_EQ(t.SetValue(r.set), 1);
    EXPECT_EQ(t.GetValue(), r.value);
    EXPECT_NEAR(t.EndAngle(), r.angle, 1e-6) << r.set;
  }
  // Without a face to draw over there is nothing to paint.
  CTimeout bare;
  ASSERT_EQ(bare.Create(1, 0, 0, 10, 10, 5, 5, 4, 0), 1);
  EXPECT_EQ(bare.PaintPie(), 0);
  EXPECT_EQ(bare.GetWorkBitmap()->m_Width, 12);
  EXPECT_EQ(bare.Destroy(), 1);
  EXPECT_EQ(bare.GetWorkBitmap(), nullptr);
  CTimeout none;
  EXPECT_EQ(none.Create(1, 0, 0, 10, 0, 5, 5, 4, 0), 0);
  EXPECT_EQ(none.Create(1, 0, 0, 30000, 30000, 5, 5, 4, 0), 0);
  EXPECT_EQ(none.GetWorkBitmap(), nullptr);
}

TEST_F(Timeout, FillPieFollowsThePlatformRules) {
  CBitmap b;
  b.CreateRGB(20, 20, 24, 8, 8, 8, 16, 8, 0, 0);
  const TRGBA ink(0, 0, 0, 0);
  struct SRow {
    int32_t x1, y1, x2, y2;
    bool clockwise;
    int32_t quarters;
  } rows[] = {
      {10, 0, 10, 0, true, 4},    // coincident points: the whole ellipse
      {10, 0, 10, 5, true, 4},    // coincident radials too
      {10, 0, 20, 10, true, 1},   // top to right, clockwise: one quarter
      {10, 0, 20, 10, false, 3},  // the other way round
      {10, 0, 0, 10, true, 3},
  };
  b.Fill(&kWhite);
  ASSERT_EQ(xFillPie(&b, 0, 0, 20, 20, 10, 0, 10, 0, ink), 1);
  const int32_t full = Black(&b, 0, 0, 20, 20);
  for (const SRow& r : rows) {
    b.Fill(&kWhite);
    ASSERT_EQ(xFillPie(&b, 0, 0, 20, 20, r.x1, r.y1, r.x2, r.y2, ink, r.clockwise), 1);
    EXPECT_EQ(Black(&b, 0, 0, 20, 20), full * r.quarters / 4) << r.x2 << "," << r.y2 << " " << r.clockwise;
  }
  // An ellipse twice as wide as high, and a box reaching out of the bitmap.
  b.Fill(&kWhite);
  ASSERT_EQ(xFillPie(&b, 0, 5, 20, 15, 0, 0, 0, 0, ink), 1);
  EXPECT_NEAR(Black(&b, 0, 0, 20, 20), kPi * 10 * 5, 8);
  EXPECT_EQ(Black(&b, 0, 0, 20, 5), 0);
  b.Fill(&kWhite);
  ASSERT_EQ(xFillPie(&b, -20, -20, 20, 20, 0, 0, 0, 0, ink), 1);
  EXPECT_NEAR(Black(&b, 0, 0, 20, 20), kPi * 400 / 4, 12);
  EXPECT_EQ(xFillPie(nullptr, 0, 0, 20, 20, 0, 0, 0, 0, ink), 0);
  EXPECT_EQ(xFillPie(&b, 5, 5, 5, 20, 0, 0, 0, 0, ink), 0);
}

TEST_F(Timeout, DrawsThePieOverItsFaceOnTheScreen) {
  StartScreen(320, 240);
  CWindow window;
  window.Create(1, "", 100, 100, 100, 100, 0);
  WC().AddWindow(&window, &Record, nullptr);
  CTimeout t;
  Make(t, 0, 100);
  window.AddCntrl(&t, ADDCNTRL_LAST);
  t.SetValue(50);
  Frame();
  Frame();
  // The window's client origin plus the control's place plus the pie's centre.
  int32_t x = 0, y = 0;
  t.GetPos(x, y);
  const int32_t cx = 100 + x + 20, cy = 100 + y + 20;
  EXPECT_EQ(ScreenPixel(cx + 10, cy), 0x000000u);
  EXPECT_EQ(ScreenPixel(cx - 10, cy), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(cx - 19, cy - 19), 0xFFFFFFu);
  // Disabled it takes nothing; otherwise the mouse inside.
  EXPECT_EQ(t.GuiMsgHandler(GUIMSG_MOUSE, x + 1, y + 1, 0, nullptr), 1);
  EXPECT_EQ(t.GuiMsgHandler(GUIMSG_MOUSE, x - 1, y, 0, nullptr), 0);
  t.SetState(XGUI_DISABLED);
  EXPECT_EQ(t.GuiMsgHandler(GUIMSG_MOUSE, x + 1, y + 1, 0, nullptr), 0);
  window.RemoveCntrl(&t);
}
}  // namespace
