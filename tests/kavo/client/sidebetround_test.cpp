// Rounds at the side-bet table in one process: the headless side-bet client table as its set-up
// builds it, the in-process side-bet server table on the player database, the test clock and
// rigged shoes. The side bet's unit stands on its own spot, its result flies once per round and
// seat (to the dealer when lost, from him when won), a split that would break a seven asks first,
// and the cash shown ends equal to the balance booked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "client/playerdata.h"
#include "client/supersevenclienttable.h"
#include "kavoroundfixture.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/mouse.h"
#include "platform/display/headless.h"
#include "support/png.h"
#include "spothighlight.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

constexpr int32_t kSeat = 2;
constexpr int32_t kCashControl = 175;
constexpr int32_t kTableId = KAVO_GAMEID_SUPERSEVEN * 1000 + 1;

constexpr int32_t Card(int32_t rank, int32_t suit = 0) { return suit * 13 + rank; }
constexpr int32_t kEight = 7, kNine = 8, kSeven = 6, kTen = 9, kKing = 12;

class CSideServer : public CSuperSevenServerTable {
 public:
  int32_t ClientPresentationTimedOut(int32_t seat) override {
    ++m_PresentationTimeOuts;
    return CSuperSevenServerTable::ClientPresentationTimedOut(seat);
  }
  int32_t m_PresentationTimeOuts = 0;
};

class CSideClient : public CSuperSevenClientTable {
 public:
  int32_t FinishPresentation() override {
    ++m_Presented;
    return CSuperSevenClientTable::FinishPresentation();
  }
  void Decide() {
    if (GetGameState() != KAVO_GS_WAITACTION || m_TurnSeat != kSeat || m_PendingAction || m_ActionSent) return;
    if (m_Decisions.empty()) return;
    m_PendingAction = m_Decisions.front();
    m_Decisions.pop_front();
  }
  CSuperSevenPlayerData& Rec(int32_t seat) { return *static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat)); }
  // Pixels of the persistent layer that differ from the table picture where the side-bet spot's
  // stacks stand (the lit seat spot, when lit, is the turn's and left out).
  int32_t SideSpotResidue(int32_t seat) {
    CBitmap* picture = GetCardTable().GetTablePicture();
    const CBitmap* persistent = glb->m_pCurrentScreen->GetPersistentBitmap();
    if (!picture || !persistent) return -1;
    CRect lit;
    if (IsSpotLit() && GetSpotHighlight()) lit = GetSpotHighlight()->GetLitArea(seat);
    const int32_t w = GetLayout().ChipXSize, h = GetLayout().ChipYSize;
    const int32_t sx = m_SideBetSpots[seat][0], sy = m_SideBetSpots[seat][1];
    int32_t differing = 0;
    for (int32_t y = std::max(0, sy - 3 * h); y <= std::min(picture->m_Height - 1, sy + h / 2); ++y)
      for (int32_t x = std::max(0, sx - w / 2); x <= std::min(picture->m_Width - 1, sx + w / 2); ++x) {
        if (!lit.IsNull() && lit.IsPntInRect(x, y)) continue;
        differing += std::memcmp(picture->m_pData + y * picture->m_Pitch + 3 * x,
                                 persistent->m_pData + y * persistent->m_Pitch + 3 * x, 3) != 0;
      }
    return differing;
  }
  const char* CashText() {
    CControlBase* control = m_MainDialog.GetCtrl(kCashControl + kSeat);
    return control ? control->GetTextBuffer(0) : nullptr;
  }
  void RegularSpotOf(int32_t seat, int32_t& x, int32_t& y) const { GetChipSpot(seat, 4, x, y); }
  void SideSpotOf(int32_t seat, int32_t& x, int32_t& y) const {
    x = m_SideBetSpots[seat][0];
    y = m_SideBetSpots[seat][1];
  }

  std::deque<int32_t> m_Decisions;
  int32_t m_Presented = 0;
};

class KavoSideBetRounds : public CKavoRoundFixture {
 protected:
  void Open() {
    auto server = std::make_unique<CSideServer>();
    m_pSideServer = server.get();
    CKavoRoundFixture::Open(std::make_unique<CSideClient>(), std::move(server), kTableId, kSeat);
  }
  CSideClient& Client() { return TableAs<CSideClient>(); }
  void BetweenHalves() override { Client().Decide(); }

  // Betting open on a rigged shoe, the seat's bet of 25 placed with the side bet.
  void BetWithSideBet(const std::vector<int32_t>& shoe, const std::vector<int32_t>& decisions) {
    SetShoe(shoe);
    Client().m_Decisions.assign(decisions.begin(), decisions.end());
    ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; })) << "betting";
    Client().Rec(kSeat).SetSideBet(1);
    ASSERT_EQ(Client().ChangeBet(25, kSeat, 1), 1);
    Client().UpdateChipStacks(kSeat, 0);
    EXPECT_EQ(Client().GetSideStackAmount(kSeat), 1) << "the unit on the side-bet spot";
  }
  // To the end of the round's presentation; whether the seat was split on the way.
  void PlayOut(bool* split = nullptr) {
    const int32_t presented = Client().m_Presented;
    ASSERT_TRUE(RunUntil([&] {
      if (split && Client().Rec(kSeat).IsSplit()) *split = true;
      return Client().m_Presented > presented;
    })) << "presented";
    EXPECT_EQ(m_pSideServer->m_PresentationTimeOuts, 0);
  }
  void ExpectCashIsBalance() {
    const TMoney balance = Balance();
    EXPECT_TRUE(RunUntil([&] { return Client().GetSeatMoney(kSeat) == balance; }, 2000));
    char shown[64] = {};
    TMoney::Print(balance, shown, -1, 2);
    EXPECT_DOUBLE_EQ(CashOf(Client().CashText()), std::atof(shown)) << Client().CashText();
  }

  CSideServer* m_pSideServer = nullptr;  // m_pServer
};

struct SSidePath {
  const char* What;
  std::vector<int32_t> Shoe;  // the seat's two cards, the dealer's up and hole cards, then draws
  std::vector<int32_t> Decisions;
  const char* Net;  // the balance's change over the round
};

const SSidePath kSidePaths[] = {
    // 25 lost with the unit.
    {"lost", {Card(kTen), Card(kSeven), Card(kNine, 1), Card(kTen, 1)}, {KAVO_ACTION_STAND}, "-26"},
    // A first seven pays 3; the hand pushes.
    {"first seven", {Card(kSeven), Card(kTen), Card(kNine, 1), Card(kEight, 1)}, {KAVO_ACTION_STAND}, "3"},
    // Two sevens of one code pay 100 though the hand busts.
    {"two sevens then bust", {Card(kSeven), Card(kSeven), Card(kNine, 1), Card(kEight, 1), Card(kKing)},
     {KAVO_ACTION_HIT}, "75"},
    // The third card a seven of another code: 500, the 21 against 17, and the table's bonus for
    // three sevens.
    {"three sevens", {Card(kSeven), Card(kSeven, 1), Card(kNine, 1), Card(kEight, 1), Card(kSeven, 2)},
     {KAVO_ACTION_HIT}, "550"},
};

class KavoSideBetPaths : public KavoSideBetRounds, public ::testing::WithParamInterface<SSidePath> {};

TEST_P(KavoSideBetPaths, TheResultFliesOncePerRoundAndTheCashShownIsTheBalance) {
  const SSidePath& path = GetParam();
  Open();
  if (HasFatalFailure()) return;
  const TMoney before = Balance();
  BetWithSideBet(path.Shoe, path.Decisions);
  if (HasFatalFailure()) return;
  PlayOut();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Client().GetSideResultFlights(kSeat), 1);
  ExpectCashIsBalance();
  EXPECT_EQ(Balance() - before, TMoney(path.Net));
  // The next round opens with nothing of the side bet left on the table.
  ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; }));
  EXPECT_EQ(Client().GetSideStackAmount(kSeat), 0);
  EXPECT_EQ(Client().GetSideStackStatic(kSeat)->GetState(), XGUI_HIDDEN);
  EXPECT_EQ(Client().Rec(kSeat).GetSideBet(), 0);
  // The regular spots' light and cards are the regular table's; the side-bet spot is clean.
  EXPECT_EQ(Client().SideSpotResidue(kSeat), 0);
  EXPECT_EQ(Client().GetSideResultFlights(kSeat), 1);
}

// Two sevens under the side bet: the split asks first, and only "Yes" splits.
class KavoSideBetSplit : public KavoSideBetRounds, public ::testing::WithParamInterface<bool> {
 protected:
  void Press(int32_t button) {
    CDialog* dialog = Client().GetConfirmationDialog();
    ASSERT_NE(dialog, nullptr);
    CControlBase* control = dialog->GetCtrl(button);
    ASSERT_NE(control, nullptr);
    const CRect at = control->ScreenRect();
    const int32_t x = (at.left + at.right) / 2, y = (at.top + at.bottom) / 2;
    Display().QueueMouseMove(x, y);
    for (bool down : {true, false}) {
      Display().QueueMouseButton(XMOUSE_LEFT, down, x, y);
      ASSERT_TRUE(Step());
    }
  }
};

TEST_P(KavoSideBetSplit, ASplitWithASevenUnderTheSideBetAsksAndTheAnswerDecides) {
  const bool yes = GetParam();
  Open();
  if (HasFatalFailure()) return;
  std::vector<int32_t> decisions = {KAVO_ACTION_SPLIT, KAVO_ACTION_STAND};
  if (yes) decisions.push_back(KAVO_ACTION_STAND);
  BetWithSideBet({Card(kSeven), Card(kSeven, 1), Card(kNine, 1), Card(kEight, 1), Card(kTen), Card(kKing)}, decisions);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(RunUntil([&] { return Client().GetConfirmationDialog() != nullptr; })) << "asked";
  EXPECT_EQ(Client().GetPendingAction(), KAVO_SS_ACTION_CONFIRMING);
  // The question holds the turn: nothing goes to the server while it is open.
  for (int32_t i = 0; i < 10; ++i) ASSERT_TRUE(Step());
  EXPECT_FALSE(Client().Rec(kSeat).IsSplit());
  EXPECT_EQ(Client().IsActionSent(), 0);
  Press(yes ? KAVO_SS_SPLITSEVENS_YES : KAVO_SS_SPLITSEVENS_NO);
  if (HasFatalFailure()) return;
  EXPECT_NE(Client().GetPendingAction(), KAVO_SS_ACTION_CONFIRMING) << "answered by the button";
  bool split = false;
  PlayOut(&split);
  if (HasFatalFailure()) return;
  EXPECT_EQ(split, yes);
  EXPECT_EQ(Client().GetConfirmationDialog(), nullptr);
  EXPECT_EQ(Client().GetSideResultFlights(kSeat), 1);
  ExpectCashIsBalance();
}

// On the player's turn the side bet's unit stands on its spot, drawn over the table; the picture
// goes to VORRIN_KAVO_SHOTS when that names a folder.
TEST_F(KavoSideBetRounds, TheUnitStandsOnItsSpotWhileTheRoundIsPlayed) {
  Open();
  if (HasFatalFailure()) return;
  BetWithSideBet({Card(kSeven, 1), Card(kTen), Card(kNine, 1), Card(kEight, 1)}, {});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(RunUntil([&] {
    return Client().GetGameState() == KAVO_GS_WAITACTION && Client().GetTurnSeat() == kSeat &&
           Client().GetAnimationNumber() == 0;
  })) << "the turn";
  for (int32_t i = 0; i < 5; ++i) ASSERT_TRUE(Step());
  CStatic* stack = Client().GetSideStackStatic(kSeat);
  ASSERT_NE(stack, nullptr);
  EXPECT_NE(stack->GetState(), XGUI_HIDDEN);
  const TRgbImage shot = ShotBetweenTurns();
  // The chip covers its spot: most of its rectangle is not the table's felt.
  const CRect r = stack->ScreenRect();
  const CBitmap* picture = Client().GetTablePicture();
  int32_t off = 0, all = 0;
  for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
    for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x, ++all) {
      const uint8_t* sp = &shot.rgb[static_cast<size_t>((y * 800 + x) * 3)];
      const uint8_t* pp = picture->m_pData + static_cast<int64_t>(y) * picture->m_Pitch + 3 * x;
      off += sp[0] != pp[2] || sp[1] != pp[1] || sp[2] != pp[0];
    }
  EXPECT_GT(off, all / 2) << off << " of " << all;
  int32_t sx = 0, sy = 0;
  Client().SideSpotOf(kSeat, sx, sy);
  EXPECT_TRUE(r.IsPntInRect(sx, sy)) << "the stack at " << r.left << "," << r.top << " - " << r.right << "," << r.bottom;
  if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS"))
    ASSERT_TRUE(WritePng(std::string(folder) + "/client_superseven_round.png", shot));
  Client().m_Decisions.push_back(KAVO_ACTION_STAND);
  PlayOut();
}

// The player bets as he sees the table: a chip on the seat's bet spot, then a click on the red
// seven beside it; the server takes the side bet with the bet.
TEST_F(KavoSideBetRounds, TheSideBetIsPlacedByClicksOnTheTableAsDrawn) {
  Open();
  if (HasFatalFailure()) return;
  SetShoe({Card(kTen), Card(kSeven), Card(kNine, 1), Card(kTen, 1)});
  Client().m_Decisions.assign({KAVO_ACTION_STAND});
  ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; })) << "betting";
  Client().SetCurrentChip(25);
  auto click = [&](int32_t x, int32_t y) {
    Display().QueueMouseMove(x, y);
    ASSERT_TRUE(Step());
    for (bool down : {true, false}) {
      Display().QueueMouseButton(XMOUSE_LEFT, down, x, y);
      ASSERT_TRUE(Step());
    }
  };
  int32_t x = 0, y = 0;
  Client().RegularSpotOf(kSeat, x, y);
  click(x, y);
  if (HasFatalFailure()) return;
  EXPECT_EQ(Client().Rec(kSeat).GetBet(KAVO_HAND_1), TMoney(25)) << "bet spot at " << x << "," << y;
  Client().SideSpotOf(kSeat, x, y);
  click(x, y);
  if (HasFatalFailure()) return;
  EXPECT_EQ(Client().Rec(kSeat).GetSideBet(), 1) << "side-bet spot at " << x << "," << y;
  EXPECT_EQ(Client().GetSideStackAmount(kSeat), 1);
  const TMoney before = Balance();
  PlayOut();
  if (HasFatalFailure()) return;
  // 25 and the unit lost.
  EXPECT_EQ(Balance() - before, TMoney(-26));
  EXPECT_EQ(Client().GetSideResultFlights(kSeat), 1);
  ExpectCashIsBalance();
}

INSTANTIATE_TEST_SUITE_P(Answers, KavoSideBetSplit, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Yes" : "No"; });

INSTANTIATE_TEST_SUITE_P(Paths, KavoSideBetPaths, ::testing::ValuesIn(kSidePaths),
                         [](const ::testing::TestParamInfo<SSidePath>& info) {
                           std::string name;
                           for (const char* c = info.param.What; *c; ++c)
                             if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')) name += *c;
                           return name;
                         });

}  // namespace
