// The side-bet table as its set-up builds it: a stack place on each seat's side-bet spot that
// follows the view, and a tear-down that leaves nothing of it, an open confirmation included.
#include <gtest/gtest.h>

#include <memory>

#include "client/playerdata.h"
#include "client/supersevenclienttable.h"
#include "kavotablefixture.h"
#include "ostrel/controls/static.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kTableId = KAVO_GAMEID_SUPERSEVEN * 1000 + 1;

class CSideSetupTable : public CSuperSevenClientTable {
 public:
  CSuperSevenPlayerData& Rec(int32_t seat) { return *static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat)); }
  void SideSpot(int32_t seat, int32_t& x, int32_t& y) const {
    x = m_SideBetSpots[seat][0];
    y = m_SideBetSpots[seat][1];
  }
  // The confirmation asked as the turn asks it.
  int32_t AskSplit() {
    m_PendingAction = KAVO_SS_ACTION_CONFIRMSPLIT;
    return CarryOutPendingAction();
  }
  // The decision time ran out: the table stands for the player.
  void TimeOut() { m_PendingAction = KAVO_ACTION_STAND; }
};

class KavoSideBetSetup : public CKavoTableFixture {
 protected:
  CSideSetupTable& T() { return TableAs<CSideSetupTable>(); }
};

TEST_F(KavoSideBetSetup, TheUnitStandsOnTheSideBetSpotOfEveryView) {
  ASSERT_EQ(StartTable(std::make_unique<CSideSetupTable>(), kTableId), 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    ASSERT_NE(T().GetSideStackStatic(seat), nullptr) << seat;
    EXPECT_EQ(T().GetSideStackStatic(seat)->GetState(), XGUI_HIDDEN) << seat;
  }
  T().Rec(1).SetBet(KAVO_HAND_1, TMoney(25));
  T().Rec(1).SetSideBet(1);
  T().Rec(3).SetBet(KAVO_HAND_1, TMoney(25));
  T().MarkBetsChanged();
  ASSERT_EQ(T().UpdateChipStacks(-1, 0), 1);
  for (int32_t view = 0; view < KAVO_VIEWS; ++view) {
    SCOPED_TRACE(view);
    ASSERT_EQ(T().SetCameraView(view), 1);
    EXPECT_EQ(T().GetSideStackAmount(1), 1);
    EXPECT_EQ(T().GetSideStackAmount(3), 0);
    CStatic* unit = T().GetSideStackStatic(1);
    ASSERT_NE(unit->GetState(), XGUI_HIDDEN);
    int32_t x = 0, y = 0;
    T().SideSpot(1, x, y);
    const CRect at = unit->ScreenRect();
    EXPECT_TRUE(at.IsPntInRect(x, y)) << x << "," << y << " outside " << at.left << "," << at.top << " - " << at.right
                                      << "," << at.bottom;
    EXPECT_EQ(T().GetSideStackStatic(3)->GetState(), XGUI_HIDDEN);
  }
  // The flag taken back clears the spot.
  T().Rec(1).SetSideBet(0);
  ASSERT_EQ(T().UpdateChipStacks(-1, 0), 1);
  EXPECT_EQ(T().GetSideStackAmount(1), 0);
  EXPECT_EQ(T().GetSideStackStatic(1)->GetState(), XGUI_HIDDEN);
}

TEST_F(KavoSideBetSetup, TheTearDownClosesTheConfirmationAndLeavesNothing) {
  ASSERT_EQ(StartTable(std::make_unique<CSideSetupTable>(), kTableId), 1);
  Frames(3);
  const int32_t windows = Leftovers().Windows;
  ASSERT_EQ(T().AskSplit(), 1);
  ASSERT_NE(T().GetConfirmationDialog(), nullptr);
  EXPECT_EQ(T().GetConfirmationDialog()->GetID(), KAVO_SS_DIALOG_SPLITSEVENS);
  EXPECT_EQ(T().GetPendingAction(), KAVO_SS_ACTION_CONFIRMING);
  EXPECT_EQ(Leftovers().Windows, windows + 1);
  // Asked again, the open one makes way for the new one.
  ASSERT_EQ(T().AskSplit(), 1);
  Frame();
  EXPECT_EQ(Leftovers().Windows, windows + 1);
  ASSERT_EQ(EndTable(), 1);
  EXPECT_EQ(T().GetConfirmationDialog(), nullptr);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_EQ(T().GetSideStackStatic(seat), nullptr) << seat;
  EXPECT_EQ(Leftovers(), Before());
}

TEST_F(KavoSideBetSetup, AnAnswerAfterTheTurnMovedOnChangesNothing) {
  ASSERT_EQ(StartTable(std::make_unique<CSideSetupTable>(), kTableId), 1);
  ASSERT_EQ(T().AskSplit(), 1);
  // The time-out stood for the player: the question is gone with it.
  T().TimeOut();
  T().AnswerSplitConfirmation(1);
  EXPECT_EQ(T().GetPendingAction(), KAVO_ACTION_STAND);
  ASSERT_EQ(T().AskSplit(), 1);
  T().AnswerSplitConfirmation(1);
  EXPECT_EQ(T().GetPendingAction(), KAVO_ACTION_SPLIT);
  // A second answer of the same question does not undo the first.
  T().AnswerSplitConfirmation(0);
  EXPECT_EQ(T().GetPendingAction(), KAVO_ACTION_SPLIT);
}

}  // namespace
