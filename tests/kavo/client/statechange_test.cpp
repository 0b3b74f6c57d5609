// The set-up table after a reconnect and when the player asks to leave: the music and options
// again, the view of the first active own seat, the player protection of a remote table, and the
// check that keeps a player with a bet on the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "kavotablefixture.h"
#include "ostrel/controls/static.h"
#include "ostrel/sound/milesmusic.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kAnn = 7;

// Music that remembers what it was asked to load.
class CHeardMusic : public CMilesMusic {
 public:
  int32_t Load(const char* name) override {
    Loaded.push_back(name ? name : "");
    return 1;
  }
  std::vector<std::string> Loaded;
};

class CStateTable : public CBlackJackClientTable {
 public:
  void SetBetting() { m_ClientState = TABLE_CLIENTSTATE_BETTING; }
  void SetSlot(int32_t seat, int32_t mode) { m_SlotStatus[static_cast<size_t>(seat)] = mode; }
  // The seat's "bet here" arrow.
  bool ArrowShown(int32_t seat) const { return m_pSeatStatics[seat] && m_pSeatStatics[seat]->GetState() != XGUI_HIDDEN; }
  int32_t WantSeat() const { return m_WantAllocSeat; }
  void SetRemote(int32_t on) { m_RealMoney = on; }
  void SetView(int32_t view) { m_ViewIndex = view; }
  void SetMaxHandsForTest(int32_t n) { m_MaxNumHands = n; }
};

class KavoStateChange : public CKavoTableFixture {
 protected:
  void SetUp() override {
    CKavoTableFixture::SetUp();
    CClientTableBase::Protection() = {};
  }
  void TearDown() override {
    CClientTableBase::Protection() = {};
    CKavoTableFixture::TearDown();
  }
  CStateTable& T() { return TableAs<CStateTable>(); }
  // Ann on the seats; the ones given as active are marked joined by the framework's data.
  void Sit(std::initializer_list<int32_t> seats, std::initializer_list<int32_t> active) {
    for (int32_t seat : seats) ASSERT_NE(T().AllocateSlot(seat, kAnn), 0);
    for (int32_t seat : active) T().GetPlayerConnection(seat)->m_Joined = 1;
  }
};

TEST_F(KavoStateChange, ReconnectLoadsTheMusicAndTakesTheFirstActiveOwnSeatsView) {
  CHeardMusic music;
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>(), KAVO_TEST_TABLE_ID, -1, &music), 1);
  Sit({1, 3, 4}, {3, 4});
  ASSERT_EQ(T().UpdateAfterStateChange(), 1);
  ASSERT_FALSE(music.Loaded.empty());
  EXPECT_STREQ(music.Loaded.back().c_str(), T().GetMainScript().GetResString(10700));  // the table's tune
  EXPECT_EQ(T().GetViewIndex(), 3);
  EndTable();  // the table stops its music on the way out
}

TEST_F(KavoStateChange, ReconnectWithTheMiddleSeatActiveKeepsTheMiddleView) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({2}, {2});
  T().SetView(4);
  ASSERT_EQ(T().UpdateAfterStateChange(), 1);
  EXPECT_EQ(T().GetViewIndex(), 2);
}

TEST_F(KavoStateChange, ReconnectWithoutAnActiveOwnSeatKeepsTheView) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({0}, {});
  ASSERT_EQ(T().UpdateAfterStateChange(), 1);
  EXPECT_EQ(T().GetViewIndex(), KAVO_VIEW_DEFAULT);
}

TEST_F(KavoStateChange, ReconnectKeepsTheSeatWishOfAPlayForFunTable) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  ASSERT_EQ(T().SetWantToAllocSlot(4), 1);
  ASSERT_EQ(T().UpdateAfterStateChange(), 1);
  EXPECT_EQ(T().WantSeat(), 4);
}

TEST_F(KavoStateChange, ReconnectAtARemoteTableCountsTheOwnStakesInProtection) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({1}, {1});
  T().SetRemote(1);
  T().PlayerProtectionSetBet(TMoney());
  ASSERT_EQ(T().UpdateAfterStateChange(), 1);
  // The own total bet as the betting block reports it (none before it lands) is committed.
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, T().GetClientPlayerTotalBet());
}

TEST_F(KavoStateChange, APlayerWithABetOnTheTableStays) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({1, 2}, {1, 2});
  T().GetPlayerRecord(2)->SetBet(1, TMoney("15"));
  ASSERT_EQ(T().ExitGame(), 1);
  EXPECT_EQ(T().IsLeaving(), 0);
  // Once the bet is settled he may go.
  T().GetPlayerRecord(2)->Reset();
  T().ExitGame();
  EXPECT_EQ(T().IsLeaving(), 1);
}

TEST_F(KavoStateChange, QuittingTheProgramLeavesEvenWithABet) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({1}, {1});
  T().GetPlayerRecord(1)->SetBet(1, TMoney("15"));
  glb->m_UserWantsToQuit = 1;
  T().ExitGame();
  glb->m_UserWantsToQuit = 0;
  EXPECT_EQ(T().IsLeaving(), 1);
}

// The seats' arrows while the seated player bets: on the free seats he may still take and on his
// own, never on another's; at the one-deck table only on his own.
struct SArrowCase {
  const char* Name;
  int32_t TableId;
  int32_t MaxHands;  // how many seats Ann may hold (the layout's MAXNUMHANDS)
  bool Free, Own, Others;
};

class KavoSeatArrows : public KavoStateChange, public ::testing::WithParamInterface<SArrowCase> {};

TEST_P(KavoSeatArrows, OnlyWhereABetMayGo) {
  const SArrowCase& c = GetParam();
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>(), c.TableId), 1);
  Sit({1}, {1});
  const int32_t bob = 9;
  ASSERT_NE(T().AllocateSlot(3, bob), 0);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) T().SetSlot(seat, seat == 1 || seat == 3 ? 1 : 0);
  T().SetMaxHandsForTest(c.MaxHands);
  T().SetBetting();
  ASSERT_EQ(T().ShowSeatPanel(), 1);
  ASSERT_EQ(T().IsSitting(), 1);
  EXPECT_EQ(T().ArrowShown(0), c.Free);
  EXPECT_EQ(T().ArrowShown(1), c.Own);
  EXPECT_EQ(T().ArrowShown(3), c.Others);
}

const SArrowCase kArrows[] = {
    {"regular", KAVO_TEST_TABLE_ID, 5, true, true, false},
    {"regularAllHandsHeld", KAVO_TEST_TABLE_ID, 1, false, true, false},
    {"oneDeck", KAVO_TEST_ONEDECK_TABLE_ID, 5, false, true, false},
};

INSTANTIATE_TEST_SUITE_P(Tables, KavoSeatArrows, ::testing::ValuesIn(kArrows),
                         [](const ::testing::TestParamInfo<SArrowCase>& info) { return info.param.Name; });

TEST_F(KavoStateChange, NoArrowsOutsideTheBettingTime) {
  ASSERT_EQ(StartTable(std::make_unique<CStateTable>()), 1);
  Sit({1}, {1});
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) T().SetSlot(seat, seat == 1 ? 1 : 0);
  ASSERT_EQ(T().ShowSeatPanel(), 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_FALSE(T().ArrowShown(seat)) << seat;
}

}  // namespace
