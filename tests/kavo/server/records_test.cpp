// The seat record's hands: cards, totals, naturals, sevens, splits, doubles and bust marks.
#include "kavoserverkit.h"

namespace {
class CKavoRecordTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable();
    Seat(1, m_Ann);
    PlaceBet(1, "10");
  }
};

TEST_F(CKavoRecordTest, CardsOfTheHands) {
  CBlackJackServerPlayer& seat = Record(1);
  EXPECT_EQ(seat.AddCard(52), 0);
  EXPECT_EQ(seat.AddCard(-1), 0);
  GiveCards(1, {13, 22});
  EXPECT_EQ(seat.GetHandCard(1, 0, 1), 13);
  EXPECT_EQ(seat.GetHandCard(2, 0, 0), 9);
  EXPECT_EQ(seat.GetHandCard(0, 0, 1), -1);
  EXPECT_EQ(seat.GetHandCard(3, 0, 1), -1);
  EXPECT_EQ(seat.GetHandCard(1, 1, 1), -1);
  EXPECT_EQ(seat.IsNatural(), 1);
  int32_t soft = 0, hard = 0;
  seat.GetTotals(soft, hard);
  EXPECT_EQ(soft, 21);
  EXPECT_EQ(hard, 11);
  seat.Reset();
  EXPECT_EQ(seat.GetCurrentHand(), KAVO_HAND_2);
  EXPECT_EQ(seat.GetNumCards(), 0);
  GiveCards(1, {6, 19, 32});
  EXPECT_EQ(seat.IsTripleSeven(), 1);
  GiveCards(1, {1});
  EXPECT_EQ(seat.IsTripleSeven(), 0) << "exactly three cards";
}

TEST_F(CKavoRecordTest, SplitsOfEqualValueOnce) {
  struct SCase {
    int32_t m_First, m_Second, m_CanSplit, m_Aces;
  } cases[] = {{9, 11, 1, 0}, {12, 22, 1, 0}, {7, 20, 1, 0}, {0, 26, 1, 1}, {7, 8, 0, 0}, {0, 12, 0, 0}};
  for (const SCase& c : cases) {
    CBlackJackServerPlayer& seat = Record(1);
    seat.Reset();
    GiveCards(1, {c.m_First, c.m_Second});
    EXPECT_EQ(seat.CanSplit(), c.m_CanSplit) << c.m_First << " " << c.m_Second;
    if (!c.m_CanSplit) continue;
    EXPECT_EQ(seat.DoSplit(), c.m_Aces);
    EXPECT_EQ(seat.IsSplit(), 1);
    EXPECT_EQ(seat.GetNumCards(KAVO_HAND_1), 1);
    EXPECT_EQ(seat.GetNumCards(KAVO_HAND_2), 1);
    EXPECT_EQ(seat.GetHandCard(1, 1, 1), c.m_Second);
    // A split hand that draws a second card of equal value splits no further.
    seat.SetCurrentHand(KAVO_HAND_1);
    GiveCards(1, {c.m_First});
    EXPECT_EQ(seat.CanSplit(), 0);
  }
}

TEST_F(CKavoRecordTest, BustMarksAndTheStakeAtRisk) {
  CBlackJackServerPlayer& seat = Record(1);
  GiveCards(1, {7, 20});
  seat.SetBetHand2(seat.GetBet());
  seat.DoSplit();
  seat.SetCurrentHand(KAVO_HAND_2);
  seat.MarkBust();
  EXPECT_EQ(seat.IsAllBust(), 0);
  seat.SetCurrentHand(KAVO_HAND_1);
  seat.MarkBust();
  EXPECT_EQ(seat.IsAllBust(), 1);
  EXPECT_EQ(seat.GetTotalStake(), TMoney(20));
  seat.SetCurrentHand(KAVO_HAND_2);
  seat.DoubleHandBet();
  seat.MarkDoubled(KAVO_HAND_2);
  EXPECT_EQ(seat.GetBetHand2(), TMoney(20));
  EXPECT_EQ(seat.IsDoubled(KAVO_HAND_2), 1);
  EXPECT_EQ(seat.IsDoubled(KAVO_HAND_1), 0);
  EXPECT_EQ(seat.GetTotalStake(), TMoney(30));
}

TEST_F(CKavoRecordTest, ABalanceThatCannotBeReadRefusesInsuranceAndFailsTheBet) {
  m_pStova->m_FailGetUserCash = true;
  EXPECT_EQ(m_pTable->AnswerInsurance(1, 1), 1);
  EXPECT_EQ(Packets(), std::vector<std::string>{"Slot = 1; Insurance = 0"});
  EXPECT_EQ(Record(1).TakeBet(TMoney(5), 1), 0);
  EXPECT_TRUE(Packets().empty());
}
}  // namespace
