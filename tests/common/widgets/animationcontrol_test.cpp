// The animation control on the test clock: each style's frames as the screen shows them tick by
// tick, the loop's callbacks, starts without animation, the stop-at frame, moves, the keep-visible
// rule, the control kept above the animation, and the item's failures.
#include "common/widgets/animationcontrol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ostrel/controls/static.h"
#include "tablewidgets.h"

namespace {
using namespace widgetpictures;
using TFrames = std::vector<int32_t>;

constexpr uint32_t kDelay = 50;  // the items' frame delay
constexpr int32_t kHidden = -2, kUnknown = -1;
constexpr uint32_t kIvory = Rgb(250, 245, 230);

struct SCall {
  ANIMSTATE m_State;
  int32_t m_Frame;
  int32_t m_Tick;
  bool operator==(const SCall& o) const {
    return m_State == o.m_State && m_Frame == o.m_Frame && m_Tick == o.m_Tick;
  }
};

class Animation : public CTableWidgetTest {
 protected:
  void SetUp() override {
    CTableWidgetTest::SetUp();
    ASSERT_EQ(LoadScript(WidgetsScript()), 1);
    OpenTable();
  }
  void TearDown() override {
    m_Anim.Destroy();
    CTableWidgetTest::TearDown();
  }
  static void OnEnd(void* user, CAnimationControl* control, ANIMSTATE state) {
    auto* self = static_cast<Animation*>(user);
    self->m_Calls.push_back({state, control->GetCurrentFrameNr(), self->m_Tick});
    if (self->m_OnEnd) self->m_OnEnd(state);
  }
  int32_t Make(const char* item, int32_t visible, CDialog* dialog = nullptr) {
    const int32_t made = m_Anim.Create(&m_Res, item, dialog ? dialog : m_pTable.get(), visible, &OnEnd, this);
    Settle();
    return made;
  }
  // The frame the screen shows in the middle of the static, kHidden while it is hidden.
  int32_t ShownFrame() {
    CStatic* s = m_Anim.GetStatic();
    if (!s || s->GetState() == XGUI_HIDDEN) return kHidden;
    const CRect r = s->ScreenRect();
    const uint32_t pixel = Seen(r.left + 8, r.top + 8);
    for (int k = 0; k < 5; ++k)
      if (pixel == Coin(k)) return k;
    return kUnknown;
  }
  // The timer's clock starts at the first frame after Start; then one tick a delay.
  TFrames Run(int32_t ticks) {
    Frame();
    TFrames shown;
    for (int32_t i = 0; i < ticks; ++i) {
      ++m_Tick;
      Advance(kDelay);
      shown.push_back(ShownFrame());
    }
    return shown;
  }

  CAnimationControl m_Anim;
  std::vector<SCall> m_Calls;
  std::function<void(ANIMSTATE)> m_OnEnd;
  int32_t m_Tick = 0;
};
}  // namespace

TEST_F(Animation, ALoopOfFiveCallsBackEveryFifthTickAndNeverStops) {
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  EXPECT_EQ(m_Anim.GetNumFrames(), 5);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  EXPECT_EQ(Run(15), (TFrames{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4}));
  EXPECT_EQ(m_Calls, (std::vector<SCall>{{ANIMSTATE_LOOP, 0, 5}, {ANIMSTATE_LOOP, 0, 10}, {ANIMSTATE_LOOP, 0, 15}}));
  EXPECT_EQ(m_Anim.IsAnimating(), 1);
  Run(200);
  EXPECT_EQ(m_Calls.size(), 43u);
  EXPECT_EQ(m_Anim.IsAnimating(), 1);
}

TEST_F(Animation, ALoopNotKeptVisibleHidesAtEachCallbackAndShowsAgain) {
  ASSERT_EQ(Make("CoinSpin", 0), 1);
  EXPECT_EQ(ShownFrame(), kHidden);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  EXPECT_EQ(Run(7), (TFrames{0, 1, 2, 3, kHidden, 0, 1}));
  ASSERT_EQ(m_Calls.size(), 1u);
  // A callback may end the loop for good.
  m_OnEnd = [&](ANIMSTATE) { m_Anim.StopAndHide(); };
  Run(10);
  EXPECT_EQ(m_Calls.size(), 2u);
  EXPECT_EQ(m_Anim.IsAnimating(), 0);
  EXPECT_EQ(ShownFrame(), kHidden);
}

TEST_F(Animation, StartWithoutAnimationShowsItsFrameAndCallsBackAtOnce) {
  const struct {
    ANIMSTYLE style;
    int32_t frame;
  } table[] = {{ANIMSTYLE_FORWARD, 4}, {ANIMSTYLE_FORWARDBACK, 0}, {ANIMSTYLE_BACKWARD, 0}, {ANIMSTYLE_LOOP, 0}};
  ASSERT_EQ(Make("CoinSpin", 0), 1);
  for (const auto& row : table) {
    SCOPED_TRACE(row.style);
    m_Calls.clear();
    m_Tick = 0;
    m_Anim.Hide();
    m_Anim.Start(row.style, 0, 2);
    EXPECT_EQ(m_Calls, (std::vector<SCall>{{ANIMSTATE_END, row.frame, 0}}));
    EXPECT_EQ(m_Anim.IsAnimating(), 0);
    Settle();
    EXPECT_EQ(ShownFrame(), row.frame);
    Run(3);
    EXPECT_EQ(m_Calls.size(), 1u);
  }
  // Back and forth for ever runs whatever the flag says.
  m_Calls.clear();
  m_Anim.Start(ANIMSTYLE_PINGPONG, 0, -1);
  EXPECT_TRUE(m_Calls.empty());
  EXPECT_EQ(m_Anim.IsAnimating(), 1);
  EXPECT_EQ(Run(3), (TFrames{0, 1, 2}));
}

TEST_F(Animation, EachStyleShowsItsFrameSequence) {
  const struct {
    ANIMSTYLE style;
    TFrames shown;
    std::vector<SCall> calls;
  } table[] = {
      {ANIMSTYLE_FORWARD, {0, 1, 2, 3, 4, 4, 4}, {{ANIMSTATE_END, 4, 5}}},
      // Forward, the last frame held for a tick, back to frame 1; it ends with the last as its frame.
      {ANIMSTYLE_FORWARDBACK, {0, 1, 2, 3, 4, 4, 3, 2, 1, 1, 1}, {{ANIMSTATE_END, 4, 9}}},
      {ANIMSTYLE_BACKWARD, {4, 3, 2, 1, 0, 0, 0}, {{ANIMSTATE_END, 0, 5}}},
      {ANIMSTYLE_PINGPONG, {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 1}, {}},
  };
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  for (const auto& row : table) {
    SCOPED_TRACE(row.style);
    m_Calls.clear();
    m_Tick = 0;
    m_Anim.Start(row.style, 1, -1);
    EXPECT_EQ(Run(int32_t(row.shown.size())), row.shown);
    EXPECT_EQ(m_Calls, row.calls);
    EXPECT_EQ(m_Anim.IsAnimating(), row.calls.empty() ? 1 : 0);
  }
  // Style 5 keeps the last style given.
  m_Anim.Start(ANIMSTYLE_KEEP, 1, -1);
  EXPECT_EQ(m_Anim.GetStyle(), ANIMSTYLE_PINGPONG);
}

TEST_F(Animation, AStartFrameAndAStopAtFrame) {
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  m_Anim.Start(ANIMSTYLE_FORWARD, 1, 3);
  EXPECT_EQ(Run(3), (TFrames{3, 4, 4}));
  EXPECT_EQ(m_Calls.size(), 1u);
  // A start frame that is no frame is ignored.
  m_Anim.Start(ANIMSTYLE_BACKWARD, 1, 5);
  EXPECT_EQ(Run(1), (TFrames{4}));

  m_Calls.clear();
  m_Tick = 0;
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  m_Anim.StopAtFrame(2);
  EXPECT_EQ(Run(5), (TFrames{0, 1, 2, 2, 2}));
  EXPECT_EQ(m_Calls, (std::vector<SCall>{{ANIMSTATE_END, 2, 3}}));
  EXPECT_EQ(m_Anim.IsAnimating(), 0);
  // Once it stopped there, the next run goes by.
  m_Anim.Start(ANIMSTYLE_FORWARD, 1, -1);
  EXPECT_EQ(Run(5), (TFrames{0, 1, 2, 3, 4}));
}

TEST_F(Animation, TheKeepVisibleRule) {
  for (int32_t visible : {0, 1}) {
    SCOPED_TRACE(visible);
    m_Calls.clear();
    ASSERT_EQ(Make("CoinSpin", visible), 1);
    EXPECT_EQ(ShownFrame(), visible ? 0 : kHidden);
    m_Anim.Start(ANIMSTYLE_FORWARD, 1, -1);
    EXPECT_EQ(Run(6), (TFrames{0, 1, 2, 3, visible ? 4 : kHidden, visible ? 4 : kHidden}));
    ASSERT_EQ(m_Calls.size(), 1u);
    // A hidden animation gives its place back to the felt.
    EXPECT_EQ(Seen(48, 118), visible ? Coin(4) : Felt(48, 118));
    m_Anim.Destroy();
  }
}

TEST_F(Animation, ItMovesByItsStepEveryTick) {
  ASSERT_EQ(Make("CoinSlide", 1), 1);
  EXPECT_EQ(m_Anim.GetDeltaX(), 3);
  EXPECT_EQ(m_Anim.GetDeltaY(), -2);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  const TFrames shown = Run(4);
  int32_t x = 0, y = 0;
  m_Anim.GetPos(x, y);
  EXPECT_EQ(x, 40 + 4 * 3);
  EXPECT_EQ(y, 110 - 4 * 2);
  EXPECT_EQ(m_Anim.GetOriginalPosX(), 40);
  EXPECT_EQ(m_Anim.GetOriginalPosY(), 110);
  const CRect r = m_Anim.GetStatic()->ScreenRect();
  EXPECT_EQ(r.left, 52);
  EXPECT_EQ(r.top, 102);
  EXPECT_EQ(shown, (TFrames{0, 1, 2, 3}));
  // A keyed strip: its magenta corners let the table show through.
  EXPECT_NE(Seen(52, 102), kKey);
  EXPECT_EQ(Seen(60, 110), Coin(3));

  m_Anim.SetDeltaX(0);
  m_Anim.SetDeltaY(5);
  m_Anim.SetPos(100, 20);
  Run(2);
  m_Anim.GetPos(x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 30);
}

TEST_F(Animation, TheNamedControlStaysDrawnAboveTheAnimation) {
  // Without a name the animation, added last, covers the ivory shield.
  std::string text = WidgetsScript();
  text.replace(text.find(", IDS_SHIELD\n"), 12, "\n");
  ASSERT_EQ(LoadScript(text), 1);
  OpenTable();
  ASSERT_EQ(Make("CoinUnder", 1), 1);
  EXPECT_EQ(Seen(67, 67), Coin(0));
  m_Anim.Destroy();
  ASSERT_EQ(LoadScript(WidgetsScript()), 1);
  OpenTable();
  ASSERT_EQ(Make("CoinUnder", 1), 1);
  EXPECT_EQ(Seen(67, 67), kIvory);
  EXPECT_EQ(Seen(62, 68), Coin(0));
  int32_t x = 0, y = 0;
  Ctrl(IDS_SHIELD)->GetPos(x, y);
  EXPECT_EQ(x, 64);
  EXPECT_EQ(y, 64);
}

TEST_F(Animation, TheNamedControlKeepsItsPlaceBelowATitleBar) {
  CloseTable();
  CDialog titled;
  ASSERT_EQ(titled.Create(&m_Res, 520, &Record, 0, nullptr), 1);
  ASSERT_EQ(Make("CoinUnder", 1, &titled), 1);
  int32_t x = 0, y = 0;
  titled.GetCtrl(IDS_SHIELD)->GetPos(x, y);
  EXPECT_EQ(x, 64);
  EXPECT_EQ(y, 64 + 16);
  m_Anim.GetStatic()->GetPos(x, y);
  EXPECT_EQ(y, 60 + 16);
  EXPECT_EQ(Seen(67, 67 + 16), kIvory);
  EXPECT_EQ(Seen(62, 68 + 16), Coin(0));
  m_Anim.Destroy();
  titled.Destroy();
}

TEST_F(Animation, StopsHidingAndShowing) {
  ASSERT_EQ(Make("CoinSpin", 0), 1);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  Run(2);
  m_Anim.Stop();
  EXPECT_EQ(m_Anim.IsAnimating(), 0);
  EXPECT_EQ(Run(2), (TFrames{2, 2}));
  m_Anim.StopAndShowFrame(4);
  Settle();
  EXPECT_EQ(ShownFrame(), 4);
  m_Anim.StopAndShowFrame(9);  // no such frame: the current stays
  Settle();
  EXPECT_EQ(m_Anim.GetCurrentFrameNr(), 4);
  m_Anim.Hide();
  Settle();
  EXPECT_EQ(ShownFrame(), kHidden);
  m_Anim.Show();
  Settle();
  EXPECT_EQ(ShownFrame(), 4);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  Run(1);
  m_Anim.StopAndHide();
  EXPECT_EQ(Run(2), (TFrames{kHidden, kHidden}));
  EXPECT_TRUE(m_Calls.empty());
}

TEST_F(Animation, TheDelayAndTheAccessors) {
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  EXPECT_EQ(m_Anim.GetFrameDelay(), kDelay);
  EXPECT_EQ(m_Anim.Is("coinspin"), 1);
  EXPECT_EQ(m_Anim.Is("CoinSlide"), 0);
  EXPECT_EQ(m_Anim.Is(nullptr), 0);
  m_Anim.SetUserData(77);
  EXPECT_EQ(m_Anim.GetUserData(), 77);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  Run(2);
  // A running animation goes on at the new delay: one frame in two delays of the old.
  m_Anim.SetFrameDelay(2 * kDelay);
  EXPECT_EQ(Run(4), (TFrames{1, 2, 2, 3}));
  m_Anim.SetFrameDelay(0);  // never a timer of no period
  EXPECT_EQ(m_Anim.GetFrameDelay(), 1u);

  m_Anim.SetAnimationCtrlFlags(CNTRL_BMTRANS);
  EXPECT_NE(m_Anim.GetStatic()->GetFlags() & CNTRL_BMTRANS, 0u);
  m_Anim.ClearAnimationCtrlFlags(CNTRL_BMTRANS | CNTRL_TRANSPARENT);
  EXPECT_EQ(m_Anim.GetStatic()->GetFlags() & (CNTRL_BMTRANS | CNTRL_TRANSPARENT), 0u);
}

TEST_F(Animation, CallbacksMayRestartOrDestroyTheAnimation) {
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  int32_t restarts = 0;
  m_OnEnd = [&](ANIMSTATE) {
    if (++restarts < 3) m_Anim.Start(ANIMSTYLE_BACKWARD, 1, 1);
  };
  m_Anim.Start(ANIMSTYLE_FORWARD, 1, 3);
  // A timer started inside a tick counts from the next frame: the last frame shows a tick longer.
  EXPECT_EQ(Run(9), (TFrames{3, 4, 4, 1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(restarts, 3);
  m_OnEnd = [&](ANIMSTATE) { m_Anim.Destroy(); };
  const int32_t controls = m_pTable->NumGuiCtrls();
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  Run(6);
  EXPECT_EQ(m_Anim.GetStatic(), nullptr);
  EXPECT_EQ(m_pTable->NumGuiCtrls(), controls - 1);
}

TEST_F(Animation, DestroyGivesTheStaticBackOrForgetsItWhenTheDialogWent) {
  const int32_t before = m_pTable->NumGuiCtrls();
  ASSERT_EQ(Make("CoinSpin", 1), 1);
  EXPECT_EQ(m_pTable->NumGuiCtrls(), before + 1);
  m_Anim.Destroy();
  EXPECT_EQ(m_pTable->NumGuiCtrls(), before);
  EXPECT_EQ(m_Anim.GetNumFrames(), 0);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);  // nothing to run
  EXPECT_EQ(m_Anim.IsAnimating(), 0);

  ASSERT_EQ(Make("CoinSpin", 1), 1);
  m_Anim.Start(ANIMSTYLE_LOOP, 1, -1);
  m_pTable->Destroy();  // deletes the static with its records
  m_Anim.Destroy();
  EXPECT_EQ(m_Anim.IsAnimating(), 0);
  Run(3);
}

TEST_F(Animation, ItemFailuresAreSaidAndAddNothing) {
  const std::string item = "CoinSpin = CoinStrip, 40, 110, 16, 16, 5, 50, 0, 0, 0";
  const struct {
    const char* name;
    std::string replacement;
    const char* said;
  } table[] = {
      {"no item", "CoinSpan = CoinStrip, 40, 110, 16, 16, 5, 50, 0, 0, 0", "Could not find CoinSpin item."},
      {"no values", "CoinSpin = CoinStrip, 40, 110", "Could not get CoinSpin item."},
      {"no flag", "CoinSpin = CoinStrip, 40, 110, 16, 16, 5, 50, 0, 0", "Could not get CoinSpin item."},
      {"a bad flag", "CoinSpin = CoinStrip, 40, 110, 16, 16, 5, 50, 0, 0, maybe", "Could not get CoinSpin item."},
      {"a word for a number", "CoinSpin = CoinStrip, 40, 110, wide, 16, 5, 50, 0, 0, 0", "Could not get CoinSpin item."},
      {"negative width", "CoinSpin = CoinStrip, 40, 110, -16, 16, 5, 50, 0, 0, 0", "has no frame size or no frames"},
      {"zero height", "CoinSpin = CoinStrip, 40, 110, 16, 0, 5, 50, 0, 0, 0", "has no frame size or no frames"},
      {"no frames", "CoinSpin = CoinStrip, 40, 110, 16, 16, 0, 50, 0, 0, 0", "has no frame size or no frames"},
      {"an unsigned huge count", "CoinSpin = CoinStrip, 40, 110, 16, 16, 4294967295, 50, 0, 0, 0",
       "has no frame size or no frames"},
      {"no bitmap", "CoinSpin = CoinStripe, 40, 110, 16, 16, 5, 50, 0, 0, 0", "Couldn't get bitmap: CoinStripe"},
      {"more frames than the strip", "CoinSpin = CoinStrip, 40, 110, 16, 16, 7, 50, 0, 0, 0", "holds fewer than 7 frames"},
      {"a count of two billion", "CoinSpin = CoinStrip, 40, 110, 1, 1, 2000000000, 50, 0, 0, 0",
       "has more than 4096 frames"},
      {"more frames than a 1 by 1 strip holds", "CoinSpin = CoinStrip, 40, 110, 1, 1, 1537, 50, 0, 0, 0",
       "holds fewer than 1537 frames"},
      {"a frame wider than the strip", "CoinSpin = CoinStrip, 40, 110, 49, 16, 1, 50, 0, 0, 0", "holds fewer than 1 frames"},
      {"a strip name too long", "CoinSpin = " + std::string(300, 'x') + ", 40, 110, 16, 16, 5, 50, 0, 0, 0",
       "Could not get CoinSpin item."},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(LoadScript(ScriptWith(item, row.replacement)), 1);
    OpenTable();
    const int32_t before = m_pTable->NumGuiCtrls();
    std::string said = Said([&] { EXPECT_EQ(Make("CoinSpin", 1), 0); });
    EXPECT_NE(said.find(row.said), std::string::npos) << said;
    EXPECT_EQ(m_pTable->NumGuiCtrls(), before);
    EXPECT_EQ(m_Anim.GetNumFrames(), 0);
  }
  std::string said = Said([&] { EXPECT_EQ(m_Anim.Create(&m_Res, "CoinSpin", nullptr, 1, nullptr, nullptr), 0); });
  EXPECT_NE(said.find("No script, name or dialog"), std::string::npos);
  ASSERT_EQ(LoadScript(ScriptWith("{ = Data", "{ = Date")), 1);
  OpenTable();
  said = Said([&] { EXPECT_EQ(Make("CoinSpin", 1), 0); });
  EXPECT_NE(said.find("Could not enter datachunk."), std::string::npos);
}
