// What the player sees on his own turn in a whole round against the in-process server table: the
// hand values, the seat's arrow and the action buttons his hand allows, as the screen shows them
// (not only as the controls hold them). With VORRIN_KAVO_SHOTS=<folder> the turn's picture is
// left there to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "client/playerdata.h"
#include "common/widgets/arrow.h"
#include "kavoroundfixture.h"
#include "ostrel/controls/controlbase.h"
#include "platform/display/headless.h"
#include "support/png.h"

namespace {
constexpr int32_t kSeat = 2;
constexpr int32_t kSeatValue = 159 + kSeat, kDealerValue = 164;
constexpr int32_t kSplit = 157, kHit = 155;
// Card codes: rank (ace 0 ... king 12) + 13 x suit.
constexpr int32_t kEight = 7, kFive = 4, kNineOfHearts = 21, kFourOfHearts = 16;

class CTurnClient : public CBlackJackClientTable {
 public:
  bool OwnTurn() const { return GetGameState() == KAVO_GS_WAITACTION && m_TurnSeat == kSeat; }
};

class KavoTurnPictures : public CKavoRoundFixture {
 protected:
  CTurnClient& Client() { return TableAs<CTurnClient>(); }
  // Eight and five for the seat (no pair), the dealer's nine up: the player's turn, the action
  // dialog slid in.
  void PlayToOwnTurn() {
    Open(std::make_unique<CTurnClient>(), std::make_unique<CBlackJackServerTable>(), KAVO_TEST_TABLE_ID, kSeat);
    ASSERT_FALSE(HasFatalFailure());
    SetShoe({kEight, kFive, kNineOfHearts, kFourOfHearts});
    ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; }));
    ASSERT_EQ(Client().ChangeBet(25, kSeat, 1), 1);
    ASSERT_TRUE(RunUntil([&] { return Client().OwnTurn() && Client().GetAnimationNumber() == CBlackJackClientTable::KAVO_ANIM_NONE; }));
    int32_t frames = Client().GetLayout().PanelAnimFrames + 2;
    ASSERT_TRUE(RunUntil([&] { return --frames < 0; }));
  }
  static uint32_t At(const TRgbImage& i, int32_t x, int32_t y) {
    const uint8_t* p = &i.rgb[static_cast<size_t>((y * i.width + x) * 3)];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
  static int32_t Differing(const TRgbImage& a, const TRgbImage& b, const CRect& r) {
    int32_t n = 0;
    for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
      for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x) n += At(a, x, y) != At(b, x, y);
    return n;
  }
  static CRect Box(CControlBase* c) {
    int32_t x = 0, y = 0, w = 0, h = 0;
    c->GetPos(x, y);
    c->GetSize(w, h);
    return CRect(x, y, x + w - 1, y + h - 1);
  }
  // What the window showed at the last frame's flip, without touching any control.
  static TRgbImage Shown() {
    TRgbImage image{800, 600, {}};
    image.rgb.reserve(800 * 600 * 3);
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t p = Display().Pixel(x, y);
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
      }
    return image;
  }
  bool Steps(int32_t n) {
    return RunUntil([&] { return --n < 0; });
  }
  static void Keep(const TRgbImage& image, const std::string& name) {
    if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) ASSERT_TRUE(WritePng(std::string(folder) + "/" + name, image));
  }
};

// The values stand on the screen during the turn: taking a value text away changes its box.
TEST_F(KavoTurnPictures, TheHandValuesShowDuringTheOwnTurn) {
  PlayToOwnTurn();
  if (HasFatalFailure()) return;
  const TRgbImage shown = ShotBetweenTurns();
  Keep(shown, "turn_own.png");
  for (int32_t id : {kSeatValue, kDealerValue}) {
    CControlBase* text = Client().GetMainDialog().GetCtrl(id);
    ASSERT_NE(text, nullptr) << id;
    ASSERT_STRNE(text->GetTextBuffer(0), "") << id;
    const int32_t state = text->GetState();
    text->SetState(XGUI_HIDDEN);
    text->Invalidate();
    const TRgbImage without = ShotBetweenTurns();
    text->SetState(state);
    text->Invalidate();
    EXPECT_GT(Differing(shown, without, Box(text)), 20) << "value text " << id << " \"" << text->GetTextBuffer(0)
                                                        << "\" is not on the screen";
  }
}

// The seat's arrow glides over the felt during the turn: stopping it changes the felt.
TEST_F(KavoTurnPictures, TheSeatsArrowShowsDuringTheOwnTurn) {
  PlayToOwnTurn();
  if (HasFatalFailure()) return;
  CArrow* arrow = Client().GetArrow();
  ASSERT_NE(arrow, nullptr);
  ASSERT_EQ(arrow->GetCurrentArrow(), kSeat);
  ASSERT_TRUE(Steps(3));
  const TRgbImage with = Shown();
  Keep(with, "turn_arrow.png");
  arrow->StopArrow();
  ASSERT_TRUE(Steps(3));
  const TRgbImage without = Shown();
  // The felt between the dealer's cards and the seat's time bar; nothing else moves there.
  EXPECT_GT(Differing(with, without, CRect(0, 150, 799, 470)), 100) << "the arrow is not on the screen";
}

// Eight and five are no pair: SPLIT is disabled and must look it. Its label is not drawn in the
// bright white of the buttons the hand allows.
TEST_F(KavoTurnPictures, ADisabledActionButtonLooksDisabled) {
  PlayToOwnTurn();
  if (HasFatalFailure()) return;
  CDialog* actions = Client().GetActionDialog();
  ASSERT_NE(actions, nullptr);
  ASSERT_EQ(actions->GetCtrl(kSplit)->GetState(), XGUI_DISABLED);
  ASSERT_EQ(actions->GetCtrl(kHit)->GetState(), XGUI_RELEASED);
  ASSERT_TRUE(Steps(2));
  const TRgbImage shown = Shown();
  auto bright = [&](int32_t id) {
    const CRect r = actions->GetCtrl(id)->ScreenRect();
    int32_t n = 0;
    for (int32_t y = r.top; y <= r.bottom; ++y)
      for (int32_t x = r.left; x <= r.right; ++x) {
        const uint32_t p = At(shown, x, y);
        n += (p >> 16 & 0xff) > 225 && (p >> 8 & 0xff) > 225 && (p & 0xff) > 225;
      }
    return n;
  };
  EXPECT_GT(bright(kHit), 20) << "the offered button's label";
  EXPECT_EQ(bright(kSplit), 0) << "SPLIT is drawn like an offered button";
}

// Taken seats cannot be sat at: their SIT DOWN buttons, disabled, draw nothing over the felt, the
// cards or the player's own name plate.
TEST_F(KavoTurnPictures, TheSitDownButtonsOfTakenSeatsDrawNothing) {
  PlayToOwnTurn();
  if (HasFatalFailure()) return;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CControlBase* sit = Client().GetMainDialog().GetCtrl(122 + seat);
    ASSERT_NE(sit, nullptr) << seat;
    if (sit->GetState() != XGUI_DISABLED) continue;
    ASSERT_TRUE(Steps(2));
    const TRgbImage shown = Shown();
    sit->SetState(XGUI_HIDDEN);
    ASSERT_TRUE(Steps(2));
    const TRgbImage hidden = Shown();
    sit->SetState(XGUI_DISABLED);
    EXPECT_EQ(Differing(shown, hidden, sit->ScreenRect()), 0) << "the SIT DOWN of seat " << seat << " shows";
  }
  EXPECT_EQ(Client().GetMainDialog().GetCtrl(122 + kSeat)->GetState(), XGUI_DISABLED) << "the own seat's";
}

}  // namespace
