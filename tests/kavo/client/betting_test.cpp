// The blackjack client's betting without the table's set-up: the limits it reads, the right-click
// rule, the spot map's values, the stacks each spot shows, the money over one player's seats, and
// every bet change through the validator and player protection, with the bets it would send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bettable.h"
#include "support/runtimefixture.h"

namespace {

class CBettingTest : public CRuntimeTest {
 protected:
  static int32_t MessageBox(const char*, const char*) { return 1; }
  void SetUp() override {
    CRuntimeTest::SetUp();
    CClientTableBase::SetMessageBoxFunc(MessageBox);
    CClientTableBase::Protection() = {};
    m_Table = std::make_unique<CBetTable>();
  }
  void TearDown() override {
    m_Table.reset();
    CClientTableBase::Protection() = {};
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CRuntimeTest::TearDown();
  }
  static TBetMoney LossToday() { return CClientTableBase::Protection().LossThisDay; }
  static TBetMoney M(const char* text) { return TBetMoney(text); }
  CBetTable& T() { return *m_Table; }
  std::unique_ptr<CBetTable> m_Table;
};

// ---- limits ----

const char kGoodLimits[] = "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 0\n";

TEST_F(CBettingTest, ReadsTheLimitsOfTheGameSpec) {
  ASSERT_TRUE(T().ReceiveGameSpec(kGoodLimits));
  ASSERT_EQ(T().ReadTableLimits(), 1);
  EXPECT_EQ(T().GetMinTable(), M("10"));
  EXPECT_EQ(T().GetMaxTable(), M("1000"));
  EXPECT_EQ(T().GetBetSign(), 1);
  EXPECT_TRUE(T().GetValidDoubleSums().empty());
  EXPECT_EQ(T().IsOneDeck(), 0);

  ASSERT_TRUE(T().ReceiveGameSpec(
      "MinTable = 5.50\nMaxTable = 500\nBetSign = 2\nValidDoubleSumsCount = 3\nValidDoubleSums = { 9, 10, 11}\n"));
  ASSERT_EQ(T().ReadTableLimits(), 1);
  EXPECT_EQ(T().GetMinTable(), M("5.5"));
  EXPECT_EQ(T().GetValidDoubleSums(), (std::vector<int32_t>{9, 10, 11}));
  EXPECT_EQ(T().GetBetSign(), 2);
}

TEST_F(CBettingTest, TheOneDeckTableKnowsItselfByItsId) {
  T().SetTableId(1022003);
  ASSERT_TRUE(T().ReceiveGameSpec(kGoodLimits));
  ASSERT_EQ(T().ReadTableLimits(), 1);
  EXPECT_EQ(T().IsOneDeck(), 1);
  T().SetTableId(1020003);
  ASSERT_EQ(T().ReadTableLimits(), 1);
  EXPECT_EQ(T().IsOneDeck(), 0);
}

TEST_F(CBettingTest, BadLimitsFailAndLeaveTheLimitsInForce) {
  struct SCase {
    const char* What;
    const char* Items;
  };
  const SCase cases[] = {
      {"no MinTable", "MaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"no MaxTable", "MinTable = 10\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"no BetSign", "MinTable = 10\nMaxTable = 1000\nValidDoubleSumsCount = 0\n"},
      {"no count", "MinTable = 10\nMaxTable = 1000\nBetSign = 1\n"},
      {"negative minimum", "MinTable = -10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"negative maximum", "MinTable = 10\nMaxTable = -1\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"minimum not money", "MinTable = ten\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"maximum overflows", "MinTable = 10\nMaxTable = 123456789012\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"minimum above maximum", "MinTable = 100\nMaxTable = 10\nBetSign = 1\nValidDoubleSumsCount = 0\n"},
      {"count 33", "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 33\nValidDoubleSums = { 9}\n"},
      {"count 4000000000",
       "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 4000000000\nValidDoubleSums = { 9}\n"},
      {"count without sums", "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 2\n"},
      {"fewer sums than counted",
       "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 3\nValidDoubleSums = { 9, 10}\n"},
      {"more sums than counted",
       "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 1\nValidDoubleSums = { 9, 10}\n"},
      {"sums not a list", "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 1\nValidDoubleSums = 9\n"},
  };
  // 33 totals, each one a hand could make, are still more than the table takes.
  std::string sums33 = "MinTable = 10\nMaxTable = 1000\nBetSign = 1\nValidDoubleSumsCount = 33\nValidDoubleSums = {";
  for (int32_t i = 0; i < 33; ++i) sums33 += (i ? ", " : " ") + std::to_string(4 + i % 18);
  sums33 += "}\n";
  std::vector<SCase> all(std::begin(cases), std::end(cases));
  all.push_back({"33 sums", sums33.c_str()});
  for (const SCase& c : all) {
    ASSERT_TRUE(T().ReceiveGameSpec(c.Items)) << c.What;
    EXPECT_EQ(T().ReadTableLimits(), 0) << c.What;
    EXPECT_EQ(T().GetMinTable(), M("5")) << c.What;
    EXPECT_EQ(T().GetMaxTable(), M("500")) << c.What;
    EXPECT_EQ(T().GetBetSign(), 0) << c.What;
    EXPECT_TRUE(T().GetValidDoubleSums().empty()) << c.What;
  }
}

// ---- the rules in whole units ----

TEST_F(CBettingTest, ARightClickTakesTheLargestChipThatDividesTheBet) {
  const int32_t cases[][2] = {{130, -5}, {125, -25}, {0, 0},     {500, -500}, {1500, -500}, {600, -100},
                              {250, -25}, {7, -1},   {1, -1},   {10, -5},    {100, -100},  {-5, 0}};
  for (const auto& c : cases) EXPECT_EQ(CBlackJackClientTable::RightClickAmount(c[0]), c[1]) << c[0];
}

TEST_F(CBettingTest, OnlySpotMapValuesOneToFiveAreSeats) {
  const int32_t cases[][2] = {{0, -1}, {1, 0}, {2, 1}, {5, 4}, {6, -1}, {10, -1}, {255, -1}, {-1, -1}};
  for (const auto& c : cases) EXPECT_EQ(CBlackJackClientTable::SeatOfSpotValue(c[0]), c[1]) << c[0];
}

TEST_F(CBettingTest, StacksStandOnTheSpotsOfTheirHands) {
  T().SetLimits("1", "1000");
  // Seat 0: an unsplit 40. Seat 1: a doubled unsplit 50. Seat 2: split, hand 1 doubled to 40,
  // hand 2 30. Seat 3: a finished hand. Seat 4: nothing.
  T().Rec(0).SetBet(1, M("40"));
  T().Rec(1).SetBet(1, M("50"));
  T().Rec(1).SetDoubled(1, 0);
  T().Rec(2).SetSplit(1);
  T().Rec(2).SetBet(1, M("40"));
  T().Rec(2).SetBet(2, M("30"));
  T().Rec(2).SetDoubled(1, 0);
  T().Rec(3).SetBet(1, M("20"));
  T().Rec(3).SetDone(1, 0, 0);
  T().MarkBetsChanged();
  ASSERT_EQ(T().UpdateChipStacks(-1, 0), 1);
  const int32_t want[KAVO_NUM_SEATS][KAVO_CHIP_SPOTS] = {
      {0, 0, 0, 0, 40, 0, 0, 0, 0},
      {0, 0, 0, 25, 0, 25, 0, 0, 0},
      {20, 0, 20, 0, 0, 0, 0, 30, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    for (int32_t spot = 0; spot < KAVO_CHIP_SPOTS; ++spot)
      EXPECT_EQ(T().GetSpotAmount(seat, spot), want[seat][spot]) << seat << "/" << spot;

  // Nothing moved: nothing is rebuilt.
  T().Rec(0).SetBet(1, M("60"));
  T().UpdateChipStacks(-1, 0);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 40);
  // Another view puts the spots elsewhere: the stacks follow.
  T().SetView(4);
  T().UpdateChipStacks(-1, 0);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 60);
  T().Rec(0).SetBet(1, M("40"));
  T().MarkBetsChanged();
  T().UpdateChipStacks(-1, 0);
  // A split seat's finished first hand leaves its row.
  T().Rec(2).SetDone(0, 1, 0);
  T().MarkBetsChanged();
  T().UpdateChipStacks(-1, 0);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 40);
  for (int32_t spot : {0, 1, 2, 4}) EXPECT_EQ(T().GetSpotAmount(2, spot), 0) << spot;
  EXPECT_EQ(T().GetSpotAmount(2, 7), 30);
}

TEST_F(CBettingTest, ReportedStacksShowWhatTheServerTook) {
  T().Rec(0).SetBet(1, M("50"));
  T().Rec(0).SetReportedBet(1, M("30"));
  T().MarkBetsChanged();
  T().UpdateChipStacks(-1, 1);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 30);
  T().MarkBetsChanged();
  T().UpdateChipStacks(-1, 0);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 50);
  T().HideSeatChips(0);
  EXPECT_EQ(T().GetSpotAmount(0, 4), 0);
}

// ---- money over one player's seats ----

TEST_F(CBettingTest, TotalsRunOverThePlayersSeatsOnly) {
  T().Sit(0, CBetTable::kMe, "1000");
  T().Sit(2, CBetTable::kMe, "1000");
  T().Sit(4, CBetTable::kMe, "1000");
  T().Sit(1, 8, "500");
  struct SSeat {
    int32_t Seat;
    const char* Bet;
    const char* Win;
    int32_t Won, Insured;
  };
  struct SCase {
    const char* What;
    std::vector<SSeat> Seats;
    const char* TotalBet;
    const char* TotalReturn;
    int32_t NetWin;
  };
  const SCase cases[] = {
      {"won and lost", {{0, "10", "10", 0, 0}, {2, "20", "0", 0, 0}}, "30", "10", 0},
      {"natural and lost", {{0, "10", "0", 1, 0}, {2, "10", "0", 0, 0}}, "20", "15", 1},
      {"push", {{0, "10", "0", 0, 0}}, "10", "0", 0},
      {"insured and won", {{0, "20", "20", 0, 1}, {4, "10", "0", 0, 0}}, "40", "20", 1},
      {"insured and lost", {{0, "20", "0", 0, 1}}, "30", "0", 0},
      {"three wins", {{0, "10", "10", 0, 0}, {2, "10", "10", 0, 0}, {4, "10", "5", 0, 0}}, "30", "25", 1},
  };
  for (const SCase& c : cases) {
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) T().Rec(seat).Reset();
    // The other player's seat counts for him alone.
    T().Rec(1).SetBet(1, M("77"));
    T().Rec(1).SetWinAmount(1, M("77"));
    for (const SSeat& s : c.Seats) {
      CFlagRecord& r = T().Rec(s.Seat);
      r.SetBet(1, M(s.Bet));
      r.SetWinAmount(1, M(s.Win));
      r.SetWon(s.Won);
      r.SetInsuredFlag(s.Insured);
    }
    EXPECT_EQ(T().PlayerTotalBet(2), M(c.TotalBet)) << c.What;
    EXPECT_EQ(T().PlayerTotalReturn(0), M(c.TotalReturn)) << c.What;
    EXPECT_EQ(T().PlayerNetWin(4), c.NetWin) << c.What;
    EXPECT_EQ(T().OwnTotalBet(), M(c.TotalBet)) << c.What;
    EXPECT_EQ(T().PlayerTotalBet(1), M("77")) << c.What;
    EXPECT_EQ(T().PlayerNetWin(1), 1) << c.What;
  }
}

// ---- bet changes ----

TEST_F(CBettingTest, ABetWithinTheLimitsIsPlacedAndSent) {
  T().Sit(2, CBetTable::kMe, "100");
  T().SetRealMoney(1);
  ASSERT_EQ(T().ChangeBet(25, 2, 1), 1);
  EXPECT_EQ(T().Rec(2).GetBet(1), M("25"));
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{2, 0, M("25")}}));
  EXPECT_EQ(T().GetSpotAmount(2, 4), 25);
  EXPECT_EQ(T().IsBetPlacedThisRound(), 1);
  // Chips come off; none below nothing.
  ASSERT_EQ(T().ChangeBet(-5, 2, 1), 1);
  EXPECT_EQ(T().Rec(2).GetBet(1), M("20"));
  EXPECT_EQ(T().ChangeBet(-25, 2, 1), 0);
  EXPECT_EQ(T().Rec(2).GetBet(1), M("20"));
  EXPECT_EQ(T().Sent.size(), 2u);
}

TEST_F(CBettingTest, TheValidatorsRefusalsGoToTheChat) {
  T().Sit(0, CBetTable::kMe, "300");
  T().Sit(1, CBetTable::kMe, "300");
  T().SetLimits("5", "100");
  T().Rec(0).SetBet(1, M("90"));
  EXPECT_EQ(T().ChangeBet(25, 0, 1), 0);
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Maximum bet is 100 per seat");
  EXPECT_EQ(T().Rec(0).GetBet(1), M("90"));
  EXPECT_EQ(T().ChangeBet(10, 0, 1), 1);  // the maximum itself passes
  // The player's total over his two seats may not pass his cash.
  T().Rec(0).SetBet(1, M("50"));
  T().Rec(1).SetBet(1, M("90"));
  T().SetCash(0, "150");
  T().SetCash(1, "150");
  T().Sent.clear();
  EXPECT_EQ(T().ChangeBet(20, 0, 1), 0);  // 70 + 90 > 150
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Not enough money");
  EXPECT_EQ(T().Rec(0).GetBet(1), M("50"));
  EXPECT_EQ(T().ChangeBet(10, 0, 1), 1);  // 60 + 90 = 150
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{0, 0, M("60")}}));
}

TEST_F(CBettingTest, OnlyASentBetIsStakedWithPlayerProtection) {
  T().Sit(3, CBetTable::kMe, "1000");
  T().SetRealMoney(1);
  CClientTableBase::Protection().LossPerDay = M("100");
  // Within the limit: staked once sent.
  EXPECT_EQ(T().ChangeBetProtected(3, 25), 1);
  EXPECT_EQ(LossToday(), M("25"));
  // Sending fails: the bet is neither kept nor staked.
  T().FailSends = true;
  EXPECT_EQ(T().ChangeBetProtected(3, 25), -1);
  EXPECT_EQ(T().Rec(3).GetBet(1), M("25"));
  EXPECT_EQ(LossToday(), M("25"));
  T().FailSends = false;
  // Beyond the loss limit: refused, nothing sent or staked.
  const size_t sent = T().Sent.size();
  EXPECT_EQ(T().ChangeBetProtected(3, 100), 0);
  EXPECT_EQ(T().Rec(3).GetBet(1), M("25"));
  EXPECT_EQ(LossToday(), M("25"));
  EXPECT_EQ(T().Sent.size(), sent);
  EXPECT_EQ(std::string(T().GetLastDealerLine()).rfind("<Dealer> ", 0), 0u);
  // The validator refuses: protection stakes nothing either.
  T().SetLimits("5", "30");
  EXPECT_EQ(T().ChangeBetProtected(3, 25), 0);
  EXPECT_EQ(LossToday(), M("25"));
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Maximum bet is 30 per seat");
  // Taking chips off gives them back.
  EXPECT_EQ(T().ChangeBetProtected(3, -5), 1);
  EXPECT_EQ(LossToday(), M("20"));
}

// ---- the end of betting ----

TEST_F(CBettingTest, ClosingSendsTheFinalBetsAndGivesTheRefusedOnesBack) {
  T().SetRealMoney(1);  // the day's losses count real money only
  T().SetLimits("5", "100");
  T().Sit(0, CBetTable::kMe, "1000");
  T().Sit(1, CBetTable::kMe, "1000");
  T().Sit(3, CBetTable::kMe, "1000");
  T().Sit(4, 8, "1000");
  CClientTableBase::Protection().LossThisDay = M("50");
  T().Rec(0).SetBet(1, M("3"));   // below the minimum
  T().Rec(1).SetBet(1, M("40"));  // fine
  T().Rec(4).SetBet(1, M("2"));   // another player's
  ASSERT_EQ(T().CloseBetting(), 1);
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Minimum bet is 5 per seat");
  EXPECT_EQ(LossToday(), M("47"));
  // The refused bet goes to the server as none; the seat without a bet as none.
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{0, 1, M("0")}, {1, 1, M("40")}, {3, 1, M("0")}}));
  EXPECT_TRUE(T().Rec(0).GetReportedBet(1).IsZero());
  EXPECT_EQ(T().Rec(0).GetBet(1), M("3"));  // for its way back
  EXPECT_EQ(T().Rec(1).GetReportedBet(1), M("40"));
  EXPECT_EQ(T().Rec(0).GetOldBet(), M("3"));
  EXPECT_EQ(T().Rec(1).GetOldBet(), M("40"));
  EXPECT_EQ(T().IsBettingClosed(), 1);
  EXPECT_EQ(T().GetBetSent(), 1);
  // The framework's own close at the end of the time does it no second time.
  ASSERT_EQ(T().CloseBetting(), 1);
  EXPECT_EQ(T().Sent.size(), 3u);
  EXPECT_EQ(LossToday(), M("47"));
  // No more changes once betting is closed.
  EXPECT_EQ(T().RepeatBets(), 1);
  EXPECT_EQ(T().Sent.size(), 3u);
}

TEST_F(CBettingTest, ClosingRefusesAboveTheMaximumAndTheFreeMoney) {
  T().SetLimits("5", "100");
  T().Sit(0, CBetTable::kMe, "150");
  T().Sit(1, CBetTable::kMe, "150");
  T().Rec(0).SetBet(1, M("120"));
  ASSERT_EQ(T().CloseBetting(), 1);
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Maximum bet is 100 per seat");

  CBetTable other;
  other.SetLimits("5", "100");
  other.Sit(0, CBetTable::kMe, "150");
  other.Sit(1, CBetTable::kMe, "150");
  other.Rec(0).SetBet(1, M("100"));
  other.Rec(1).SetBet(1, M("60"));
  ASSERT_EQ(other.CloseBetting(), 1);
  EXPECT_STREQ(other.GetLastDealerLine(), "<Dealer> Not enough money");
}

TEST_F(CBettingTest, RepeatedBetsComeOnceARound) {
  T().SetLimits("5", "100");
  T().Sit(0, CBetTable::kMe, "1000");
  T().Sit(2, CBetTable::kMe, "1000");
  T().Rec(0).SetOldBet(M("30"));
  T().Rec(2).SetOldBet(M("150"));  // above today's maximum
  ASSERT_EQ(T().RepeatBets(), 1);
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{0, 0, M("30")}}));
  EXPECT_EQ(T().Rec(0).GetBet(1), M("30"));
  EXPECT_TRUE(T().Rec(2).GetBet(1).IsZero());
  EXPECT_STREQ(T().GetLastDealerLine(), "<Dealer> Maximum bet is 100 per seat");
  ASSERT_EQ(T().RepeatBets(), 1);
  EXPECT_EQ(T().Sent.size(), 1u);
  // A new round opens it again.
  T().OpenBetting();
  T().Rec(0).SetBet(1, M("0"));
  ASSERT_EQ(T().RepeatBets(), 1);
  EXPECT_EQ(T().Sent.size(), 2u);
}

// The betting handler reads the other seats' bets off the table node each frame: a table whose
// node is gone has no round to bet in (the framework ends it), and answers 0.
TEST_F(CBettingTest, BettingOpensAgainWhenTheFrameworkStartsARound) {
  class CLinkedTable : public CBetTable {
   public:
    CLinkedTable() { m_pTableNode = new CCommNode; }
    void DropTableNode() {
      delete m_pTableNode;
      m_pTableNode = nullptr;
    }
  } table;
  table.Sit(0, CBetTable::kMe, "1000");
  table.SetLimits("5", "100");
  table.Rec(0).SetBet(1, M("10"));
  ASSERT_EQ(table.CloseBetting(), 1);
  EXPECT_EQ(table.IsBettingOpen(), 0);
  EXPECT_EQ(table.BetClickAllowed(), 1);
  EXPECT_EQ(table.IsBettingClosed(), 1) << "the bets sent stay closed";
  table.SetBetSent(0);  // as the framework's new round does
  EXPECT_EQ(table.BetClickAllowed(), 1);
  EXPECT_EQ(table.IsBettingClosed(), 0);
  EXPECT_EQ(table.IsBettingOpen(), 1);
  EXPECT_EQ(table.Sent, (std::vector<SSentBet>{{0, 1, M("10")}})) << "the final bet went once";
  table.DropTableNode();
  EXPECT_EQ(table.BetClickAllowed(), 0);
}

// ---- seats ----

TEST_F(CBettingTest, TheOneDeckTableGivesOnePlayerOneSeat) {
  T().Sit(1, CBetTable::kMe, "1000");
  T().SetMaxHands(3);
  EXPECT_EQ(T().MaxOwnSeats(), 3);
  EXPECT_EQ(T().CanRequestSeat(), 0);  // betting open, room for more
  T().SetOneDeck(1);
  EXPECT_EQ(T().MaxOwnSeats(), 1);
  EXPECT_EQ(T().CanRequestSeat(), 1);
  T().SetMaxHands(0);
  T().SetOneDeck(0);
  EXPECT_EQ(T().MaxOwnSeats(), 1);
  T().SetMaxHands(9);
  EXPECT_EQ(T().MaxOwnSeats(), KAVO_NUM_SEATS);
}

TEST_F(CBettingTest, CanRequestSeatFollowsTheSeatsHeld) {
  T().SetMaxHands(2);
  EXPECT_EQ(T().CanRequestSeat(), 0);  // no seat yet
  T().Sit(0, CBetTable::kMe, "1000");
  EXPECT_EQ(T().CanRequestSeat(), 0);
  T().CloseBetting();
  EXPECT_EQ(T().CanRequestSeat(), 1);
  T().OpenBetting();
  T().Sit(3, CBetTable::kMe, "1000");
  EXPECT_EQ(T().CanRequestSeat(), 1);  // two of two
}

TEST_F(CBettingTest, AFreeSeatIsAskedForWithItsBetWaiting) {
  T().Sit(0, CBetTable::kMe, "1000");
  T().SetRealMoney(1);
  T().SetCurrentChip(25);
  T().RequestSeat(3, 25);
  EXPECT_EQ(T().GetSeatRequest(), 3);
  EXPECT_EQ(T().GetPendingBet(3), 25);
  EXPECT_EQ(LossToday(), M("25"));
  EXPECT_TRUE(T().Sent.empty());
  // A second wish while one is pending stakes nothing.
  T().RequestSeat(4, 25);
  EXPECT_EQ(T().GetPendingBet(4), 0);
  EXPECT_EQ(LossToday(), M("25"));
  // Granted: the bet is placed and sent.
  T().Sit(3, CBetTable::kMe, "1000");
  ASSERT_EQ(T().SeatAllocated(3, CBetTable::kMe, 1), 1);
  EXPECT_EQ(T().Rec(3).GetBet(1), M("25"));
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{3, 0, M("25")}}));
  EXPECT_EQ(LossToday(), M("25"));
  EXPECT_EQ(T().GetPendingBet(3), 0);
  EXPECT_EQ(T().GetSeatRequest(), -1);
}

TEST_F(CBettingTest, APendingBetComesBackWhenTheSeatComesLateOrNot) {
  T().Sit(0, CBetTable::kMe, "1000");
  T().SetRealMoney(1);
  T().RequestSeat(2, 25);
  ASSERT_EQ(LossToday(), M("25"));
  // Refused.
  ASSERT_EQ(T().SeatAllocated(2, CBetTable::kMe, -1), 1);
  EXPECT_TRUE(LossToday().IsZero());
  EXPECT_EQ(T().GetPendingBet(2), 0);
  EXPECT_EQ(T().GetSeatRequest(), -1);
  // Granted after betting closed.
  T().ClearWish();
  T().RequestSeat(2, 25);
  ASSERT_EQ(LossToday(), M("25"));
  T().CloseBetting();
  T().Sit(2, CBetTable::kMe, "1000");
  const size_t sent = T().Sent.size();
  ASSERT_EQ(T().SeatAllocated(2, CBetTable::kMe, 1), 1);
  EXPECT_TRUE(LossToday().IsZero());
  EXPECT_TRUE(T().Rec(2).GetBet(1).IsZero());
  EXPECT_EQ(T().Sent.size(), sent);
}

TEST_F(CBettingTest, TheOnlySeatBringsItsView) {
  T().Sit(4, CBetTable::kMe, "1000");
  ASSERT_EQ(T().SeatAllocated(4, CBetTable::kMe, 1), 1);
  EXPECT_EQ(T().GetViewIndex(), 4);
  EXPECT_EQ(T().Views, (std::vector<int32_t>{4}));
  // A second seat keeps the view; another player's seat too.
  T().Sit(1, CBetTable::kMe, "1000");
  ASSERT_EQ(T().SeatAllocated(1, CBetTable::kMe, 1), 1);
  T().Sit(0, 8, "1000");
  ASSERT_EQ(T().SeatAllocated(0, 8, 0), 1);
  EXPECT_EQ(T().GetViewIndex(), 4);
  EXPECT_EQ(T().Views.size(), 1u);
}

TEST_F(CBettingTest, AFreedSeatGivesItsOpenBetBackAndStartsAfresh) {
  T().Sit(1, CBetTable::kMe, "1000");
  T().SetRealMoney(1);
  ASSERT_EQ(T().ChangeBetProtected(1, 25), 1);
  ASSERT_EQ(LossToday(), M("25"));
  T().Rec(1).SetOldBet(M("40"));
  ASSERT_EQ(T().SeatFreed(1, CBetTable::kMe), 1);
  EXPECT_TRUE(LossToday().IsZero());
  EXPECT_TRUE(T().Rec(1).GetBet(1).IsZero());
  EXPECT_TRUE(T().Rec(1).GetOldBet().IsZero());
  EXPECT_EQ(T().GetSpotAmount(1, 4), 0);
}

}  // namespace
