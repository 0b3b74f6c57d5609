// Slide shows on the test clock with a scripted random source: the phases with their pauses, the
// mask transitions frame by frame, one-shot shows, the callback, the selection and exchange, and
// shows read from a resource script.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ostrel/controls/controlbase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/slideshow.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/system/timers.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {
constexpr int32_t kW = 4, kH = 1;

std::deque<uint32_t> g_Raw;
int NextRaw(uint32_t& out) {
  out = g_Raw.empty() ? 0 : g_Raw.front();
  if (!g_Raw.empty()) g_Raw.pop_front();
  return 1;
}

struct SCall {
  uint32_t time;
  CControlBase* control;
  uint32_t hiding;
};
std::vector<SCall> g_Calls;
CTestClock* g_Clock = nullptr;
void OnTransition(void* user, CControlBase* control, uint32_t hiding) {
  g_Calls.push_back({g_Clock->Now() - *static_cast<uint32_t*>(user), control, hiding});
}

class SlideShow : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    g_Raw.clear();
    g_Calls.clear();
    g_Clock = &m_Clock;
    xSetRandSource(&NextRaw);
    m_Control.Create(7);
    m_Control.SetSize(kW, kH);
    m_Control.SetFlag(CNTRL_HASBITMAP | CNTRL_BMTRANS);
    m_T0 = m_Clock.Now();
  }
  void TearDown() override {
    xSetRandSource(nullptr);
    CRuntimeTest::TearDown();
  }

  // A picture of one colour, handed to the show (which deletes it).
  static CBitmap* Picture(const TRGBA& c) {
    auto* b = new CBitmap;
    EXPECT_EQ(b->CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    b->Fill(&c);
    return b;
  }
  // Frames in two rows of two: frame k covers (green) the pixels from k + 1 on; the rest is the
  // mask's key, its first pixel.
  void MakeMask() {
    ASSERT_EQ(m_Mask.CreateRGB(2 * kW, 2, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    const TRGBA key(255, 0, 255), cover(0, 255, 0);
    for (int32_t frame = 0; frame < 4; ++frame)
      for (int32_t x = 0; x < kW; ++x) m_Mask.PutPixel((frame % 2) * kW + x, frame / 2, x > frame ? &cover : &key);
  }

  // A show of the fixture's control with the mask as effect 0 (two frames a row, frames 0 to 3,
  // 10 ms each) and a red slide with its first and second ranges each of one value.
  void MaskedShow(int32_t oneShot, uint32_t pause, uint32_t shown, TSlideShowCallback callback = &OnTransition) {
    MakeMask();
    ASSERT_EQ(m_Show.CreateForControl(&m_Control, oneShot, callback, &m_T0), 1);
    ASSERT_EQ(m_Show.AddEffect(&m_Mask, 2, 3, 10), 0);
    ASSERT_EQ(m_Show.AddEntry(pause, pause, shown, shown, Picture(TRGBA(255, 0, 0)), 0), 1);
  }
  // Lower-case letters for the colours of the control's picture: r red, b blue, g green, y
  // yellow; "-" when it shows nothing, "(hidden)" when hidden.
  std::string Look() {
    if (m_Control.GetState() == XGUI_HIDDEN) return "(hidden)";
    const CBitmap* b = m_Control.GetLook().m_pBitmaps[LOOK_NORMAL];
    if (!b) return "-";
    std::string s;
    for (int32_t x = 0; x < kW; ++x) {
      TRGBA c;
      b->GetPixel(x, 0, &c);
      s += c.r == 255 && c.g == 0 ? 'r' : c.b == 255 && c.r == 0 ? 'b' : c.g == 255 && c.r == 0 ? 'g'
           : c.r == 255 && c.g == 255 ? 'y' : '?';
    }
    return s + ((m_Control.GetFlags() & CNTRL_BMTRANS) ? " keyed" : "");
  }
  // Passes of 1 ms; each change of what the control shows is noted with its time since the
  // fixture started.
  void Run(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
      m_Clock.Advance(1);
      xUpdateObjTimers();
      const std::string look = Look();
      if (look != m_LastLook) m_Trace.push_back(std::to_string(m_Clock.Now() - m_T0) + " " + look);
      m_LastLook = look;
    }
  }
  void Note() {
    m_LastLook = Look();
    m_Trace.push_back(std::to_string(m_Clock.Now() - m_T0) + " " + m_LastLook);
  }

  CControlBase m_Control;
  CBitmap m_Mask;
  CSlideShow m_Show;
  uint32_t m_T0 = 0;
  std::vector<std::string> m_Trace;
  std::string m_LastLook;
};

using TTrace = std::vector<std::string>;
}  // namespace

// A timer's clock starts at the pass after it was set, so each pause below lasts one pass more.
TEST_F(SlideShow, PausesAndShowingTimesFollowTheRandomDraws) {
  ASSERT_EQ(m_Show.CreateForControl(&m_Control, 0, &OnTransition, &m_T0), 1);
  ASSERT_EQ(m_Show.AddEntry(100, 200, 300, 400, Picture(TRGBA(255, 0, 0)), -1), 1);
  ASSERT_EQ(m_Show.AddEntry(0, 0, 50, 50, Picture(TRGBA(0, 0, 255)), -1), 1);
  ASSERT_EQ(m_Show.AddEntry(20, 20, 30, 10, Picture(TRGBA(255, 255, 0)), -1), 1);  // bounds either way
  EXPECT_EQ(m_Show.GetDelay(), 100u);  // the first pause drawn (raw 0) as the show was made
  g_Raw = {50, 7, 0, 30};
  m_Show.Start();  // at once: the first slide for 350 ms
  Note();
  EXPECT_EQ(m_Show.GetPhase(), SLIDE_PHASE_SHOWN);
  EXPECT_EQ(m_Show.GetDelay(), 350u);
  Run(1000);
  const TTrace want = {
      "0 rrrr keyed",
      "353 bbbb keyed",  // no pause: shown over the red one as soon as it goes
      "404 (hidden)",    // 50 ms shown, then 20 ms hidden
      "425 yyyy keyed",  // 17 ms (10 + 7)
      "443 (hidden)",    // 100 ms (raw 0)
      "544 rrrr keyed",  // 330 ms (300 + 30)
      "877 bbbb keyed",  "928 (hidden)", "949 yyyy keyed",
      "960 (hidden)",  // 10 ms: the random source has run dry and gives 0
  };
  EXPECT_EQ(m_Trace, want);
  EXPECT_TRUE(g_Calls.empty());  // no transitions: no callback
}

TEST_F(SlideShow, MaskFramesUncoverAndCoverAndTheNextComesOverThePrevious) {
  MaskedShow(0, 5, 40);
  ASSERT_EQ(m_Show.AddEntry(0, 0, 40, 40, Picture(TRGBA(0, 0, 255)), 0), 1);
  m_Show.Start();
  Note();
  Run(300);
  const TTrace want = {
      "0 -",
      // Uncovered on its own, one frame each 10 ms: the covered parts green, the key, and the
      // first pixel always, so that it is the key of the control's keyed drawing.
      "11 gggg keyed", "21 grgg keyed", "31 grrg keyed", "41 grrr keyed",
      // 40 ms shown, then the blue one comes over it, frame by frame, no longer keyed; the
      // first frame looks like the red one alone.
      "105 rrrr", "115 rbrr", "125 rbbr", "135 rbbb",
      // 40 ms shown, then covered again the way it came (frame 3 looks as before), and hidden
      // for the red one's pause.
      "207 rbbr", "217 rbrr", "227 rrrr", "237 (hidden)",
      "254 gggg keyed", "264 grgg keyed", "274 grrg keyed", "284 grrr keyed",
  };
  EXPECT_EQ(m_Trace, want);
  const std::vector<std::pair<uint32_t, uint32_t>> calls = {{51, 0}, {145, 0}, {237, 1}, {294, 0}};
  ASSERT_EQ(g_Calls.size(), calls.size());
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(g_Calls[i].time, calls[i].first) << i;
    EXPECT_EQ(g_Calls[i].hiding, calls[i].second) << i;
    EXPECT_EQ(g_Calls[i].control, &m_Control);
  }
}

TEST_F(SlideShow, AOneShotShowStopsOnceTheFirstPictureIsUncovered) {
  MaskedShow(1, 5, 40);
  ASSERT_EQ(m_Show.AddEntry(5, 5, 40, 40, Picture(TRGBA(0, 0, 255)), 0), 1);
  m_Show.Start(30);
  Note();
  Run(500);
  EXPECT_EQ(m_Trace, (TTrace{"0 -", "42 gggg keyed", "52 grgg keyed", "62 grrg keyed", "72 grrr keyed"}));
  ASSERT_EQ(g_Calls.size(), 1u);
  EXPECT_EQ(g_Calls[0].hiding, 0u);
  EXPECT_EQ(m_Show.IsOverPrevious(), 1);
  EXPECT_EQ(m_Show.IsEffectRunning(), 0);
  m_Show.Start();  // a picture is up: nothing happens
  Run(100);
  EXPECT_EQ(m_Trace.size(), 5u);

  // Taken away through the effect, then the control is hidden.
  m_Trace.clear();
  m_Show.RemovePicture(1);
  Run(100);
  // Frame 3 first, which looks as before.
  EXPECT_EQ(m_Trace, (TTrace{"621 grrg keyed", "631 grgg keyed", "641 gggg keyed", "651 (hidden)"}));
  ASSERT_EQ(g_Calls.size(), 2u);
  EXPECT_EQ(g_Calls[1].hiding, 1u);
  EXPECT_EQ(g_Calls[1].time, 651u);
}

TEST_F(SlideShow, SelectionExchangeAndRemoval) {
  ASSERT_EQ(m_Show.CreateForControl(&m_Control, 1, &OnTransition, &m_T0), 1);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), -1);
  EXPECT_EQ(m_Show.RemoveCurrentEntry(1), 0);
  const TRGBA colours[5] = {TRGBA(255, 0, 0), TRGBA(0, 0, 255), TRGBA(0, 255, 0), TRGBA(255, 255, 0),
                            TRGBA(1, 2, 3)};
  std::vector<CBitmap*> pictures;
  for (const TRGBA& c : colours) {
    pictures.push_back(Picture(c));
    ASSERT_EQ(m_Show.AddEntry(1, 1, 1, 1, pictures.back(), -1), 1);
  }
  EXPECT_EQ(m_Show.GetNumOfSlides(), 5);
  EXPECT_EQ(m_Show.GetEntryBitmap(3), pictures[3]);
  EXPECT_EQ(m_Show.GetEntryBitmap(5), nullptr);
  EXPECT_EQ(m_Show.Goto(5), 0);
  EXPECT_EQ(m_Show.Goto(-1), 0);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 0);
  m_Show.Prev();
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 4);  // wraps at the start
  m_Show.Next();
  m_Show.Next();
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 1);

  // Without an effect the selected picture is shown at once, over what was there.
  m_Show.Exchange();
  EXPECT_EQ(Look(), "bbbb");
  EXPECT_EQ(m_Show.IsOverPrevious(), 1);
  ASSERT_EQ(g_Calls.size(), 1u);
  EXPECT_EQ(g_Calls[0].hiding, 0u);
  ASSERT_EQ(m_Show.Goto(3), 1);
  m_Show.Exchange();
  EXPECT_EQ(Look(), "yyyy");
  m_Show.RemovePicture(1);  // no effect: at once
  EXPECT_EQ(Look(), "(hidden)");
  EXPECT_EQ(m_Show.IsOverPrevious(), 0);
  ASSERT_EQ(g_Calls.size(), 3u);
  EXPECT_EQ(g_Calls[2].hiding, 1u);

  // Removing the selected slide, which is also the one playing: the control lets go of it.
  m_Show.Exchange();
  EXPECT_EQ(Look(), "yyyy");
  EXPECT_EQ(m_Show.RemoveCurrentEntry(1), 1);
  EXPECT_EQ(m_Control.GetLook().m_pBitmaps[LOOK_NORMAL], nullptr);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 4);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 3);  // the one that took its place
  EXPECT_EQ(m_Show.GetEntryBitmap(3), pictures[4]);
  m_Show.Goto(3);
  CBitmap* kept = m_Show.GetEntryBitmap(3);
  EXPECT_EQ(m_Show.RemoveCurrentEntry(0), 1);  // the picture stays the caller's
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 0);    // past the end: the first
  delete kept;
  while (m_Show.GetNumOfSlides() > 0) EXPECT_EQ(m_Show.RemoveCurrentEntry(1), 1);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), -1);
  m_Show.Start();  // nothing to play
  EXPECT_EQ(m_Show.GetPhase(), 0);
}

TEST_F(SlideShow, StopAndHideRestoresTheControlAndRewinds) {
  m_Control.SetFlag(CNTRL_TRANSPARENT);
  m_Control.RemoveFlag(CNTRL_BMTRANS);
  ASSERT_EQ(m_Show.CreateForControl(&m_Control, 0, &OnTransition, nullptr), 1);  // no user: no callback
  ASSERT_EQ(m_Show.AddEntry(0, 0, 10, 10, Picture(TRGBA(255, 0, 0)), -1), 1);
  ASSERT_EQ(m_Show.AddEntry(0, 0, 10, 10, Picture(TRGBA(0, 0, 255)), -1), 1);
  m_Show.Start();
  Run(15);
  EXPECT_EQ(m_Show.GetPlayingSlideNr(), 1);
  m_Show.Next();
  m_Control.SetFlag(CNTRL_CHECKED);  // changed by someone meanwhile
  m_Show.StopAndHide();
  EXPECT_EQ(Look(), "(hidden)");
  EXPECT_EQ(m_Control.GetFlags(), static_cast<uint32_t>(CNTRL_HASBITMAP | CNTRL_TRANSPARENT));
  EXPECT_EQ(m_Show.GetPlayingSlideNr(), 0);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 0);
  Note();
  m_Trace.clear();
  Run(100);
  EXPECT_TRUE(m_Trace.empty());  // no timer left
  EXPECT_TRUE(g_Calls.empty());
}

TEST_F(SlideShow, AShownTimeEqualToTheEffectPeriodIsNotTakenForAFrame) {
  MaskedShow(0, 5, 10);
  m_Show.Start();
  Note();
  Run(120);
  // Uncovered, 10 ms shown, covered, hidden: the timer of the same period is the slide's.
  const TTrace want = {"0 -", "11 gggg keyed", "21 grgg keyed", "31 grrg keyed", "41 grrr keyed",
                       "83 grrg keyed", "93 grgg keyed", "103 gggg keyed", "113 (hidden)"};
  EXPECT_EQ(m_Trace, want);
  ASSERT_EQ(g_Calls.size(), 2u);
  EXPECT_EQ(g_Calls[1].hiding, 1u);
}

namespace {
// Stops the show it is given from inside the callback.
CSlideShow* g_StopMe = nullptr;
void StopFromCallback(void*, CControlBase*, uint32_t) {
  if (g_StopMe) g_StopMe->StopAndHide();
}
}  // namespace

TEST_F(SlideShow, ACallbackThatStopsTheShowEndsIt) {
  g_StopMe = &m_Show;
  MaskedShow(0, 5, 10, &StopFromCallback);
  m_Show.Start();
  Run(200);
  g_StopMe = nullptr;
  EXPECT_EQ(m_Trace.back(), "51 (hidden)");
  EXPECT_EQ(m_Show.IsEffectRunning(), 0);
  EXPECT_EQ(m_Show.GetPlayingSlideNr(), 0);
}

namespace {
const char kScript[] = R"(
{ = Bitmaps
    { = sheet.bmp
        PicA = 0, 0, 4, 1
        PicB = 8, 2, 4, 1
        Mask = 0, 4, 8, 2
    }
}
{ = Data
    Show = TRUE, Slides, Effects
    Effects = 2, 2, 3, 10, 0, 1, 0, 5, 1
    Slides = 100, 200, PicA, 300, 400, 0, 0, 0, PicB, 50, 50, 1, 7, 7
    Plain = FALSE, Slides2, ""
    Slides2 = 1, 2, PicB, 3, 4, -1
    Broken = FALSE, Slides3, ""
    Slides3 = 1, 2, PicA, 3, 4, -1, 5, 6, Missing, 7, 8, -1
    Short = FALSE, Slides2
    NoSlides = FALSE, Nowhere, ""
    BadEffects = 9, 1, 1, 1
}
)";
}  // namespace

TEST_F(SlideShow, ShowsAreReadFromTheDataChunk) {
  CWorkingDir here{std::string(VORRIN_TEST_DATA_DIR) + "/resources"};
  CResData res;
  ASSERT_EQ(res.Import(kScript), 1);
  CBitmap* picA = res.GetBm("PicA", nullptr, nullptr);
  CBitmap* picB = res.GetBm("PicB", nullptr, nullptr);
  ASSERT_NE(picA, nullptr);
  ASSERT_NE(picB, nullptr);

  g_Raw = {30};
  ASSERT_EQ(m_Show.Create(&m_Control, &res, "Show", &OnTransition, &m_T0), 1);
  EXPECT_EQ(m_Show.IsOneShot(), 1);
  EXPECT_EQ(m_Show.GetNumOfEffects(), 2);  // the fifth value starts no effect
  ASSERT_EQ(m_Show.GetNumOfSlides(), 2);   // nor do the last two a slide
  EXPECT_EQ(m_Show.GetEntryBitmap(0), picA);
  EXPECT_EQ(m_Show.GetEntryBitmap(1), picB);
  EXPECT_EQ(m_Show.GetDelay(), 130u);
  EXPECT_EQ(m_Show.GetPlayingSlideNr(), 0);
  EXPECT_EQ(m_Show.GetCurrentSlideNr(), 0);
  EXPECT_EQ(m_Show.GetWorkBitmap().m_Width, kW);
  m_Show.Start();
  EXPECT_EQ(m_Show.IsEffectRunning(), 1);  // slide 0 has effect 0
  m_Show.Stop();

  ASSERT_EQ(m_Show.Create(&m_Control, &res, "Plain", &OnTransition, &m_T0), 1);
  EXPECT_EQ(m_Show.IsOneShot(), 0);
  EXPECT_EQ(m_Show.GetNumOfEffects(), 0);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 1);

  // What was read before a missing picture stays.
  EXPECT_EQ(m_Show.Create(&m_Control, &res, "Broken", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 1);
  EXPECT_EQ(m_Show.Create(&m_Control, &res, "Short", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.Create(&m_Control, &res, "NoSlides", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.Create(&m_Control, &res, "Missing", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.Create(&m_Control, nullptr, "Show", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 0);

  // Effects alone, for a one-shot show the program fills.
  ASSERT_EQ(m_Show.CreateEmpty(&m_Control, &res, "Effects", &OnTransition, &m_T0), 1);
  EXPECT_EQ(m_Show.IsOneShot(), 1);
  EXPECT_EQ(m_Show.GetNumOfEffects(), 2);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 0);
  EXPECT_EQ(m_Show.CreateEmpty(&m_Control, &res, "BadEffects", &OnTransition, &m_T0), 0);
  EXPECT_EQ(m_Show.CreateEmpty(&m_Control, &res, "Nothing", &OnTransition, &m_T0), 0);

  // The cursor of the script is left where the caller can still use it.
  ASSERT_EQ(res.EnterDataChunk(), 1);
  EXPECT_EQ(res.FindItem("Show"), 1);
  res.ExitDataChunk();
}

TEST_F(SlideShow, EffectsOfOddValuesStillEnd) {
  MakeMask();
  ASSERT_EQ(m_Show.CreateForControl(&m_Control, 1, &OnTransition, &m_T0), 1);
  ASSERT_EQ(m_Show.AddEffect(&m_Mask, 0, -5, 0), 0);           // no frames per row, no steps, no period
  ASSERT_EQ(m_Show.AddEffect(&m_Mask, 2, 0x7FFFFFFF, 1), 1);   // more frames than the mask holds
  ASSERT_EQ(m_Show.AddEntry(5, 5, 10, 10, Picture(TRGBA(255, 0, 0)), 0), 1);
  m_Show.Start();
  Note();
  Run(10);
  EXPECT_EQ(m_Trace, (TTrace{"0 -", "2 grrr keyed"}));  // one frame without a mask, then the end
  ASSERT_EQ(g_Calls.size(), 1u);
  EXPECT_EQ(g_Calls[0].time, 3u);

  EXPECT_EQ(m_Show.AddEntry(5, 5, 10, 10, nullptr, 0), 0);
  EXPECT_EQ(m_Show.GetNumOfSlides(), 1);

  // Frames past the mask's end leave the picture uncovered.
  ASSERT_EQ(m_Show.AddEntry(5, 5, 10, 10, Picture(TRGBA(0, 0, 255)), 1), 1);
  m_Show.Goto(1);
  m_Show.Exchange();
  Run(10);
  EXPECT_EQ(m_Trace.back().substr(m_Trace.back().find(' ')), " rbbb");
  // Taken away at once in the middle of it: the transition stops there.
  m_Show.RemovePicture(0);
  EXPECT_EQ(m_Show.IsEffectRunning(), 0);
  Note();
  Run(50);
  EXPECT_EQ(m_Trace.back().substr(m_Trace.back().find(' ')), " (hidden)");
}

TEST_F(SlideShow, AControlWithoutAreaStillPlaysItsTimes) {
  m_Control.SetSize(0, 0);
  MaskedShow(1, 5, 10);
  EXPECT_EQ(m_Show.GetWorkBitmap().m_pData, nullptr);
  m_Show.Start();
  Run(100);
  ASSERT_EQ(g_Calls.size(), 1u);  // the frames pass without drawing
  EXPECT_EQ(g_Calls[0].time, 51u);
  EXPECT_EQ(m_Control.GetLook().m_pBitmaps[LOOK_NORMAL], nullptr);
}

TEST_F(SlideShow, APictureSmallerThanTheControlLeavesTheRestKeyed) {
  MakeMask();
  ASSERT_EQ(m_Show.CreateForControl(&m_Control, 1, &OnTransition, &m_T0), 1);
  ASSERT_EQ(m_Show.AddEffect(&m_Mask, 2, 3, 10), 0);
  auto* small = new CBitmap;
  ASSERT_EQ(small->CreateRGB(2, 1, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  const TRGBA red(255, 0, 0);
  small->Fill(&red);
  ASSERT_EQ(m_Show.AddEntry(5, 5, 10, 10, small, 0), 1);
  m_Show.Start();
  Run(60);
  EXPECT_EQ(m_Trace, (TTrace{"1 -", "11 gggg keyed", "21 grgg keyed"}));  // the rest never shows
}
