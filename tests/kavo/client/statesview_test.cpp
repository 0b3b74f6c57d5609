// The game states on the table as the set-up builds it, headless: the insurance windows of the
// player's seats with their take button, and the action buttons of the player's turn, with the
// server's records sent on a server node of the table's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <string>

#include "client/playerdata.h"
#include "fennic/cardtable.h"
#include "fennic/pocket.h"
#include "fennic/quaddraw.h"
#include "kavotablefixture.h"
#include "common/widgets/arrow.h"
#include "common/widgets/panel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/sound/soundtest.h"
#include "spothighlight.h"
#include "support/png.h"
#include "ostrel/resources/resflags.h"
#include "ostrelcomm/commnode.h"

namespace {
constexpr int32_t kPlayer = 7;  // the fixture's player

class CViewStateTable : public CBlackJackClientTable {
 public:
  int32_t CheckState() { return CheckChangeState(); }
  void SetMoney(int32_t seat, const char* amount) { m_Money[static_cast<size_t>(seat)] = TMoney(amount); }
  void SetTurn(int32_t seat) { m_TurnSeat = seat; }
  int32_t ActionDialogHomeY() const { return m_ActionDialogHomeY; }
  int32_t ActionDialogY() const {
    int32_t x = 0, y = 0;
    m_pActionDialog->GetPos(x, y);
    return y;
  }
  int32_t ProgressValue() const { return m_pTimeoutBar ? m_pTimeoutBar->GetValue() : -1; }
};

class CKavoStatesViewTest : public CKavoTableFixture {
 protected:
  void SetUp() override {
    CKavoTableFixture::SetUp();
    ASSERT_EQ(StartTable(std::make_unique<CViewStateTable>()), 1);
    m_pServer = std::make_unique<CCommNode>();
    m_pServer->SetLog(0);
    ASSERT_EQ(m_pServer->SetId(0), 1);
    ASSERT_EQ(m_pServer->SetName(KAVO_GAME_REGULAR, TABLE_NODE_TABLE, KAVO_TEST_TABLE_ID, 0, 0), 1);
    ASSERT_EQ(m_pServer->SetObjName(KAVO_GAME_REGULAR, TABLE_SUBTYPE_SERVER), 1);
    ASSERT_EQ(m_pServer->InitCommNode(CNODE_SERVER), 1);
  }
  void TearDown() override {
    m_pServer.reset();
    CKavoTableFixture::TearDown();
  }
  CViewStateTable& T() { return TableAs<CViewStateTable>(); }
  void Sit(int32_t seat, const char* bet, const char* money) {
    ASSERT_NE(T().AllocateSlot(seat, kPlayer), 0);
    T().GetPlayerRecord(seat)->SetBet(KAVO_HAND_1, CBlackJackClientTable::TMoney(bet));
    T().SetMoney(seat, money);
  }
  // The server's record, then the framework's step and the game state's pass.
  int32_t Receive(const std::string& text) {
    EXPECT_TRUE(m_pServer->SendInit());
    EXPECT_TRUE(m_pServer->SendPacket(text.c_str(), static_cast<uint32_t>(text.size())));
    T().CheckState();
    return T().GameStateHandler();
  }
  // Animations played to their end, a frame at a time.
  void PlayAnimations() {
    for (int32_t i = 0; i < 1000 && T().IsAnimationRunning(); ++i) {
      m_Clock.Advance(20);
      ASSERT_EQ(T().IdleHandler(), 1);
      Frame();
    }
    ASSERT_EQ(T().IsAnimationRunning(), 0);
  }
  static int32_t StateOf(CDialog* dialog, int32_t control) {
    CControlBase* c = dialog ? dialog->GetCtrl(control) : nullptr;
    return c ? c->GetState() : -1;
  }

  std::unique_ptr<CCommNode> m_pServer;
};

TEST_F(CKavoStatesViewTest, TheOfferOpensAWindowForEveryOwnSeatWithAStake) {
  Sit(1, "10", "1000");
  Sit(3, "10", "4");  // not even half the bet
  ASSERT_NE(T().AllocateSlot(4, kPlayer), 0);  // no bet
  ASSERT_EQ(Receive("ChangeGameState = 16\n"), 1);
  ASSERT_EQ(Receive("ChangeGameState = 10\n"), 1);
  ASSERT_EQ(Receive("Command = PlayerTimeOut\nTimeOut = 32\nServerTime = " + std::to_string(m_Clock.Now()) + "\n"), 1);
  ASSERT_EQ(Receive("ChangeGameState = 11\n"), 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CDialog* window = T().GetInsuranceDialog(seat);
    ASSERT_NE(window, nullptr) << seat;
    EXPECT_EQ(window->IsHidden(), !(seat == 1 || seat == 3)) << seat;
  }
  EXPECT_EQ(StateOf(T().GetInsuranceDialog(1), 208), XGUI_RELEASED);
  EXPECT_EQ(StateOf(T().GetInsuranceDialog(3), 208), XGUI_DISABLED) << "the money is short";
  // The server's echo closes the window.
  ASSERT_EQ(Receive("Slot = 1\nInsurance = 0\n"), 1);
  EXPECT_EQ(T().GetInsuranceDialog(1)->IsHidden(), 1);
  EXPECT_EQ(T().GetInsuranceDialog(3)->IsHidden(), 0);
}

TEST_F(CKavoStatesViewTest, TheTurnsButtonsFollowTheHand) {
  Sit(2, "10", "1000");
  CBlackJackPlayerData& record = *T().GetPlayerRecord(2);
  ASSERT_EQ(record.AddCard(7), 1);
  ASSERT_EQ(record.AddCard(20), 1);  // eight and eight
  T().SetTurn(2);
  T().SetTimeoutTime(30000, 30000);
  T().StartTimer();
  ASSERT_EQ(Receive("ChangeGameState = 5\n"), 1);
  for (int32_t button : {155, 156, 157, 158})
    EXPECT_EQ(StateOf(T().GetActionDialog(), button), XGUI_RELEASED) << button;
  ASSERT_EQ(record.AddCard(1), 1);
  ASSERT_EQ(T().GameStateHandler(), 1);
  for (int32_t button : {157, 158}) EXPECT_EQ(StateOf(T().GetActionDialog(), button), XGUI_DISABLED) << button;
  EXPECT_EQ(StateOf(T().GetActionDialog(), 155), XGUI_RELEASED);
}

// The pixels of a rectangle (less a border of 3) that two pictures have alike, and how many it has.
std::pair<int32_t, int32_t> AlikeIn(const TRgbImage& a, const TRgbImage& b, const CRect& r) {
  int32_t all = 0, alike = 0;
  for (int32_t y = r.top + 3; y <= r.bottom - 3; ++y)
    for (int32_t x = r.left + 3; x <= r.right - 3; ++x) {
      const size_t i = static_cast<size_t>((y * 800 + x) * 3);
      ++all;
      if (a.rgb[i] == b.rgb[i] && a.rgb[i + 1] == b.rgb[i + 1] && a.rgb[i + 2] == b.rgb[i + 2]) ++alike;
    }
  return {alike, all};
}

// As the server deals: the face-down card after the first pass, the up card after the second. The
// up card comes to rest over the face-down card, and stays whole over it when the dealer peeks
// under a ten and finds no ace.
TEST_F(CKavoStatesViewTest, TheUpCardRestsOverTheFaceDownCardAlsoAfterThePeek) {
  ASSERT_EQ(T().SetRoundActive(1), 1);  // the table in colour, as in play
  Frames(T().GetLayout().PanelAnimFrames + 2);
  ASSERT_EQ(Receive("ChangeGameState = 3\n"), 1);
  EXPECT_EQ(T().IsHoleCardDealt(), 1);
  PlayAnimations();
  const TRgbImage holeOnly = ShotBetweenTurns();
  ASSERT_EQ(Receive("ChangeGameState = 2\n"), 1);
  ASSERT_EQ(Receive("DealerCard = 48\n"), 1);  // the ten of spades: no red on its face
  PlayAnimations();
  const TRgbImage dealt = ShotBetweenTurns();
  CRect up, hole, overlap;
  ASSERT_EQ(T().GetCardTable().GetPocket(KAVO_DEALER)->GetClip(0, &up), 1);
  ASSERT_NE(T().GetHoleCardObject(), nullptr);
  ASSERT_EQ(T().GetCardTable().DrawObject(*T().GetHoleCardObject(), QUAD_MEASURE, &hole), 1);
  ASSERT_TRUE(overlap.Intersect(&up, &hole));
  const auto [backShows, overlapping] = AlikeIn(holeOnly, dealt, overlap);
  ASSERT_GT(overlapping, 100) << "the two cards overlap";
  EXPECT_EQ(backShows, 0) << "of " << overlapping << " pixels where the cards overlap the back shows";

  ASSERT_EQ(Receive("ChangeGameState = 13\n"), 1);
  ASSERT_EQ(Receive("ScanCard = -1\n"), 1);
  PlayAnimations();
  const TRgbImage peeked = ShotBetweenTurns();
  const auto [kept, whole] = AlikeIn(dealt, peeked, up);
  EXPECT_EQ(kept, whole) << "the peek left the up card whole and on top";
  if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) {
    WritePng(std::string(folder) + "/dealer_dealt.png", dealt);
    WritePng(std::string(folder) + "/dealer_peeked.png", peeked);
  }
}

// The dealer's value text goes along with his cards as they spread on the felt, keeping its
// distance from the last one drawn; a seat's text stays where the view put it; clearing the
// texts for the next round puts the dealer's back.
TEST_F(CKavoStatesViewTest, TheDealersValueTextFollowsHisCards) {
  for (int32_t view : {2, 0}) {
    SCOPED_TRACE("view " + std::to_string(view));
    ASSERT_EQ(T().SetCameraView(view), 1);
    CBlackJackPlayerData& dealer = *T().GetPlayerRecord(KAVO_DEALER);
    CBlackJackPlayerData& seat = *T().GetPlayerRecord(2);
    dealer.Reset();
    seat.Reset();
    CControlBase* text = T().GetMainDialog().GetCtrl(164);
    CControlBase* seatText = T().GetMainDialog().GetCtrl(161);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(seatText, nullptr);
    int32_t seatX = 0, seatY = 0;
    seatText->GetPos(seatX, seatY);
    int32_t lastX = T().GetDealerValueX(), gapX = 0, gapY = 0;
    const int32_t cards[] = {1, 2, 0, 1, 2};  // two, three, ace, two, three: 9/19 at most
    for (int32_t n = 1; n <= 5; ++n) {
      ASSERT_EQ(dealer.AddCard(cards[n - 1]), 1);
      ASSERT_EQ(dealer.DrawHand(), 1);
      T().ShowSeatHandValue(KAVO_DEALER);
      CRect drawn;
      ASSERT_EQ(T().GetCardTable().GetPocket(KAVO_DEALER)->GetTotalClip(&drawn), 1);
      int32_t x = 0, y = 0;
      text->GetPos(x, y);
      if (n == 1) {
        EXPECT_EQ(x, T().GetDealerValueX()) << "one card: the view's place";
        EXPECT_EQ(y, T().GetDealerValueY());
        gapX = x - drawn.right;
        gapY = y - drawn.bottom;
        continue;
      }
      EXPECT_NE(x, lastX) << n << " cards: the text moved";
      EXPECT_NEAR(x - drawn.right, gapX, 2) << n << " cards";
      EXPECT_NEAR(y - drawn.bottom, gapY, 2) << n << " cards";
      lastX = x;
    }
    ASSERT_EQ(seat.AddCard(9), 1);
    ASSERT_EQ(seat.AddCard(8), 1);
    T().ShowSeatHandValue(2);
    int32_t x = 0, y = 0;
    seatText->GetPos(x, y);
    EXPECT_EQ(x, seatX);
    EXPECT_EQ(y, seatY);
    T().ClearValueTexts();
    text->GetPos(x, y);
    EXPECT_EQ(x, T().GetDealerValueX());
    EXPECT_EQ(y, T().GetDealerValueY());
  }
}

// Each turn starts the arrow at its hand (a split seat's second hand is the seat count on), stops
// it on 21 or a bust; the player's own turn alone lights its spot and slides the buttons in.
TEST_F(CKavoStatesViewTest, EveryTurnShowsItsHandAndOnlyTheOwnBringsTheButtons) {
  Sit(2, "10", "1000");
  ASSERT_NE(T().AllocateSlot(3, 77), 0);  // another player
  CBlackJackPlayerData& own = *T().GetPlayerRecord(2);
  CBlackJackPlayerData& other = *T().GetPlayerRecord(3);
  ASSERT_EQ(other.AddCard(9), 1);
  ASSERT_EQ(other.AddCard(5), 1);
  ASSERT_NE(T().GetArrow(), nullptr);
  ASSERT_NE(T().GetSpotHighlight(), nullptr);
  const int32_t frames = T().GetLayout().PanelAnimFrames + 2;
  auto turn = [&](int32_t seat, int32_t player, int32_t hand) {
    EXPECT_EQ(Receive("ChangeGameState = 4\n"), 1);
    EXPECT_EQ(Receive("{ = PlayerData, Turn, " + std::to_string(player) + ", " + std::to_string(seat) +
                      "\n Split = " + std::to_string(hand) + "\n}\n"),
              1);
  };

  turn(3, 77, 0);
  EXPECT_EQ(T().GetArrow()->GetCurrentArrow(), 3);
  EXPECT_EQ(T().GetSpotHighlight()->GetSelected(), -1);
  Frames(frames);
  EXPECT_EQ(T().ActionDialogY(), 600) << "another's turn keeps the buttons away";

  ASSERT_EQ(own.AddCard(8), 1);
  ASSERT_EQ(own.AddCard(8 + 13), 1);  // nine and nine
  turn(2, kPlayer, 0);
  EXPECT_EQ(T().GetArrow()->GetCurrentArrow(), 2);
  EXPECT_EQ(T().GetSpotHighlight()->GetSelected(), 2);
  EXPECT_EQ(T().IsSpotLit(), 1);
  Frames(frames);
  EXPECT_EQ(T().ActionDialogY(), T().ActionDialogHomeY()) << "the own turn slides them in";

  turn(3, 77, 0);
  EXPECT_EQ(T().GetSpotHighlight()->GetSelected(), -1) << "the own spot goes dark";
  EXPECT_EQ(T().IsSpotLit(), 0);
  Frames(frames);
  EXPECT_EQ(T().ActionDialogY(), 600);

  ASSERT_EQ(own.DoSplit(), 0);
  own.SetCurrentHand(KAVO_HAND_2);
  ASSERT_EQ(own.AddCard(12), 1);  // nine and king: 19
  turn(2, kPlayer, KAVO_HAND_2);
  EXPECT_EQ(T().GetArrow()->GetCurrentArrow(), KAVO_NUM_SEATS + 2) << "the second hand's arrow";
  ASSERT_EQ(own.AddCard(1), 1);  // and a two: 21
  turn(2, kPlayer, KAVO_HAND_2);
  EXPECT_EQ(T().GetArrow()->GetCurrentArrow(), -1) << "21 plays itself";
  ASSERT_EQ(other.AddCard(12), 1);  // ten, six and king
  turn(3, 77, 0);
  EXPECT_EQ(T().GetArrow()->GetCurrentArrow(), -1) << "a bust plays itself";
}

// A new round takes the last one's turn down: the bar, the lit spot, the buttons and the chips.
TEST_F(CKavoStatesViewTest, ANewRoundTakesTheTurnDown) {
  Sit(2, "10", "1000");
  CBlackJackPlayerData& own = *T().GetPlayerRecord(2);
  ASSERT_EQ(own.AddCard(7), 1);
  ASSERT_EQ(own.AddCard(20), 1);
  ASSERT_EQ(Receive("ChangeGameState = 4\n"), 1);
  ASSERT_EQ(Receive("{ = PlayerData, Turn, 7, 2\n Split = 0\n}\n"), 1);
  T().SetTimeoutTime(30000, 30000);
  T().StartTimer();
  ASSERT_EQ(Receive("ChangeGameState = 5\n"), 1);
  ASSERT_EQ(T().GetSpotHighlight()->GetSelected(), 2);
  ASSERT_GT(T().ProgressValue(), 0);
  ASSERT_EQ(StateOf(T().GetActionDialog(), 155), XGUI_RELEASED);
  ASSERT_EQ(Receive("ChangeGameState = 1\n"), 1);
  EXPECT_EQ(T().ProgressValue(), 0);
  EXPECT_EQ(T().GetSpotHighlight()->GetSelected(), -1);
  EXPECT_EQ(T().IsSpotLit(), 0);
  EXPECT_EQ(T().GetTurnSeat(), KAVO_NUM_SEATS);
  for (int32_t button : {155, 156, 157, 158})
    EXPECT_EQ(StateOf(T().GetActionDialog(), button), XGUI_DISABLED) << button;
  CDialog* chips = T().GetPanel() ? T().GetPanel()->GetDialog(PANEL_SECTION_CHIPS) : nullptr;
  ASSERT_NE(chips, nullptr);
  for (int32_t chip = 0; chip < PANEL_NUM_CHIPS; ++chip) EXPECT_EQ(StateOf(chips, PANEL_CTRL_CHIP1 + chip), XGUI_DISABLED);
}

// The table heard through SDL's disk output, whose slow buffers keep a started sample playing
// for the test's length (the silent device ends every sample at once).
class CKavoStatesSoundTest : public CKavoStatesViewTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 30);
    CKavoStatesViewTest::SetUp();
  }
  void TearDown() override {
    CKavoStatesViewTest::TearDown();
    UseDummyAudio();
  }
};

// The own seat's win plays the win sample; a loss does not.
TEST_F(CKavoStatesSoundTest, AWinPlaysTheWinSample) {
  CMilesMusic music;  // the table's sound on, every sample loaded
  ASSERT_EQ(StartTable(std::make_unique<CViewStateTable>(), KAVO_TEST_TABLE_ID, -1, &music), 1);
  ASSERT_EQ(T().GetSoundOn(), 1);
  T().GetSamples()->Enable(1);  // as the player's sound option does
  ASSERT_NE(T().GetSamples()->FindSample(2), nullptr);
  Sit(2, "10", "1000");
  CBlackJackPlayerData& own = *T().GetPlayerRecord(2);
  ASSERT_EQ(own.AddCard(9), 1);
  ASSERT_EQ(own.AddCard(8), 1);
  struct SCase {
    const char* Win;
    int32_t Condition, Plays;
  } cases[] = {{"0", 0, 0}, {"10", 1, 1}};
  for (const SCase& c : cases) {
    T().GetSamples()->Stop(2);
    ASSERT_EQ(Receive("ChangeGameState = 6\n"), 1);
    ASSERT_EQ(Receive(std::string("{ = PlayerData, KavoPlayerWin, 7, 2\n WinAmount = ") +
                      std::string(CBlackJackClientTable::TMoney(c.Win).GetString()) + "\n WinCondition = " +
                      std::to_string(c.Condition) + "\n Bet = " + std::string(CBlackJackClientTable::TMoney("10").GetString()) +
                      "\n BetHand2 = 0\n Split = 0\n}\n"),
              1);
    EXPECT_EQ(T().GetSamples()->IsPlaying(2), c.Plays) << c.Win;
  }
  ASSERT_EQ(EndTable(), 1);  // before the music goes
}

}  // namespace
