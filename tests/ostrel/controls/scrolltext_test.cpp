#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/scrolltext.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/system/timers.h"
#include "support/guiharness.h"

namespace {
// Letters A to D, 5 pixels wide with a spacing of 1; the word space is 4 pixels.
class ScrollText : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_Picture.CreateRGB(20, 8, 24, 8, 8, 8, 16, 8, 0, 0);
    // White ink inside each cell; the black around it is the key.
    const TRGBA white(255, 255, 255, 0);
    for (int32_t y = 2; y < 6; ++y)
      for (int32_t x = 0; x < 20; ++x)
        if (x % 5 >= 1 && x % 5 <= 3) m_Picture.PutPixel(x, y, &white);
    const TCharData chars[] = {{0, 0, 5}, {5, 0, 5}, {10, 0, 5}, {15, 0, 5}, {0, 0, 65535}};
    ASSERT_EQ(m_Font.SetFont(&m_Picture, chars, 'A', 8, 1), 1);
  }
  // A marquee 20 wide over the font: pad 20 / 4 + 1 = 6 spaces.
  void Make(CScrollText& s, const char* text) {
    ASSERT_EQ(s.Create(nullptr, 0, 0, 20, 10, 1, 0), 1);
    s.SetFont(&m_Font, nullptr);
    ASSERT_EQ(s.SetText(text), 1);
  }
  static void Ticks(CScrollText& s, int32_t n, uint32_t period = 50) {
    for (int32_t i = 0; i < n; ++i) s.TimerHandler(period);
  }
  CBitmap m_Picture;
  CFont m_Font;
};

TEST_F(ScrollText, TextMovesLeftCharacterByCharacter) {
  CScrollText s;
  Make(s, "AB");
  EXPECT_EQ(s.GetPadLength(), 6);
  EXPECT_STREQ(s.GetPaddedText(), "      AB");
  EXPECT_STREQ(s.GetTextBuffer(0), "AB");
  EXPECT_EQ(s.GetID(), 1004);
  // The work picture holds the padded text from its start: A begins after six spaces.
  CBitmap* work = s.GetWorkBitmap();
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(work->m_Width, 36);
  auto lit = [&](int32_t x0, int32_t x1) {
    int32_t n = 0;
    for (int32_t y = 0; y < work->m_Height; ++y)
      for (int32_t x = x0; x < x1; ++x) {
        TRGBA c;
        work->GetPixel(x, y, &c);
        if (c.r || c.g || c.b) ++n;
      }
    return n;
  };
  EXPECT_EQ(lit(0, 24), 0);
  EXPECT_GT(lit(24, 29), 0);

  ASSERT_EQ(s.Start(50), 1);
  EXPECT_EQ(s.IsScrolling(), 1);
  struct SRow {
    int32_t ticks, position, offset;
  } rows[] = {
      {3, 0, 3},   // a space is 4 pixels
      {1, 1, 0},   // the fourth moves on
      {20, 6, 0},  // six spaces, 24 ticks
      {5, 6, 5},   // A is 5 + 1 pixels
      {1, 7, 0},
      {6, 0, 0},   // moving on at the text's end wraps
      {1, 0, 1},
  };
  for (const SRow& r : rows) {
    Ticks(s, r.ticks);
    EXPECT_EQ(s.GetPosition(), r.position);
    EXPECT_EQ(s.GetPixelOffset(), r.offset);
  }
  // After moving on, the picture starts at the new position.
  Ticks(s, 23);
  EXPECT_EQ(s.GetPosition(), 6);
  EXPECT_GT(lit(0, 5), 0);
  // Only its own period moves it; more pixels a frame move faster.
  Ticks(s, 10, 20);
  EXPECT_EQ(s.GetPixelOffset(), 0);
  s.SetPixPerFrame(3);
  Ticks(s, 2);
  EXPECT_EQ(s.GetPosition(), 7);
  EXPECT_EQ(s.GetPixelOffset(), 0);
}

TEST_F(ScrollText, PauseBytesHoldTheTextFor25PeriodsEach) {
  for (const char pause : {'\x01', '\x03', '\x06'}) {
    CScrollText s;
    const char text[] = {'A', pause, 'B', 0};
    Make(s, text);
    ASSERT_EQ(s.Start(50), 1);
    Ticks(s, 24 + 6);  // the spaces and A
    ASSERT_EQ(s.GetPosition(), 7);
    Ticks(s, 1);
    EXPECT_EQ(s.GetPosition(), 8);
    EXPECT_EQ(s.GetPauseCount(), pause * 25);
    Ticks(s, pause * 25);
    EXPECT_EQ(s.GetPosition(), 8);
    EXPECT_EQ(s.GetPixelOffset(), 0);
    EXPECT_EQ(s.GetPauseCount(), 0);
    Ticks(s, 1);
    EXPECT_EQ(s.GetPixelOffset(), 1);
  }
}

TEST_F(ScrollText, StopByteStopsAndFreesTheText) {
  CScrollText s;
  Make(s, "A\x07" "B");
  ASSERT_EQ(s.Start(50), 1);
  Ticks(s, 30);
  EXPECT_EQ(s.IsScrolling(), 1);
  Ticks(s, 1);
  EXPECT_EQ(s.IsScrolling(), 0);
  EXPECT_EQ(s.GetPaddedText(), nullptr);
  EXPECT_EQ(s.GetTextBuffer(0), nullptr);
  // Without a text a start does nothing; a new text starts again.
  EXPECT_EQ(s.Start(50), 0);
  EXPECT_EQ(s.IsScrolling(), 0);
  Ticks(s, 5);
  ASSERT_EQ(s.SetText("CD"), 1);
  EXPECT_EQ(s.Start(40), 1);
  Ticks(s, 2, 40);
  EXPECT_EQ(s.GetPixelOffset(), 2);
  EXPECT_EQ(s.Stop(), 1);
  EXPECT_EQ(s.IsScrolling(), 0);
  EXPECT_EQ(s.GetPaddedText(), nullptr);
  CScrollText huge;
  EXPECT_EQ(huge.Create("x", 0, 0, 30000, 30000, 1, 0), 0);
  CScrollText empty;
  ASSERT_EQ(empty.Create(nullptr, 0, 0, 20, 10, 1, 0), 1);
  EXPECT_EQ(empty.Start(50), 0);
}

TEST_F(ScrollText, AFontWithoutWordSpaceAmountPadsOneSpaceAPixel) {
  m_Font.SetBasic(32, FONT_RIGHT, 0);
  CScrollText s;
  Make(s, "A");
  EXPECT_EQ(s.GetPadLength(), 21);
  EXPECT_EQ(std::string(s.GetPaddedText()), std::string(21, ' ') + "A");
  // And without any font.
  CScrollText bare;
  ASSERT_EQ(bare.Create("xy", 0, 0, 7, 10, 1, 0), 1);
  bare.SetFont(nullptr, nullptr);
  ASSERT_EQ(bare.SetText("xy"), 1);
  EXPECT_EQ(bare.GetPadLength(), 8);
}

TEST_F(ScrollText, RunsOnTheObjectTimersOfTheLoop) {
  CScrollText s;
  Make(s, "AB");
  ASSERT_EQ(s.Start(50), 1);
  for (int32_t i = 0; i < 10; ++i) {
    m_Clock.Advance(50);
    Frame();
  }
  EXPECT_GT(s.GetPosition() * 4 + s.GetPixelOffset(), 0);
}

// A marquee whose handler stops its timers after a bound, so that an unbounded pass ends.
class CBoundedScrollText : public CScrollText {
 public:
  void TimerHandler(uint32_t period) override {
    m_Periods.push_back(period);
    if (m_Periods.size() >= 1000) RemoveAllTimers();
    CScrollText::TimerHandler(period);
  }
  std::vector<uint32_t> m_Periods;
};

TEST_F(ScrollText, ADelayOfZeroScrollsOneStepAMillisecond) {
  CBoundedScrollText s;
  Make(s, "AB");
  ASSERT_EQ(s.Start(0), 1);
  xUpdateObjTimers();  // starts the timer's clock
  m_Clock.Advance(5);
  xUpdateObjTimers();
  EXPECT_EQ(s.m_Periods, std::vector<uint32_t>(5, 1u));
}
}  // namespace

namespace {
TEST_F(ScrollText, DrawsItsPictureShiftedByThePixelOffset) {
  StartScreen(320, 240);
  CWindow window;
  window.Create(1, "", 100, 100, 100, 50, 0);
  WC().AddWindow(&window, &Record, nullptr);
  CScrollText s;
  Make(s, "A");
  window.AddCntrl(&s, ADDCNTRL_LAST);
  int32_t x = 0, y = 0;
  s.GetPos(x, y);
  const int32_t left = 100 + x, top = 100 + y;
  // Column c of A's cell is lit for c = 1 to 3, rows 2 to 5, drawn one row down.
  auto litColumns = [&]() {
    std::string row;
    for (int32_t c = 0; c < 20; ++c) row += ScreenPixel(left + c, top + 4) == 0xFFFFFFu ? '#' : '.';
    return row;
  };
  s.Validate();
  Frame();
  EXPECT_EQ(litColumns(), "....................");  // A starts at 24, beyond the control
  ASSERT_EQ(s.Start(50), 1);
  s.SetPixPerFrame(2);
  Ticks(s, 9);  // 18 pixels: four spaces and 2 more
  Frame();
  EXPECT_EQ(litColumns(), ".......###..........");
  window.RemoveCntrl(&s);
}
}  // namespace
