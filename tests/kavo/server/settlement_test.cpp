// Settlement of every kind of player hand against every kind of dealer hand: the chunk the
// clients get, the bookings and the balance that Python's sqlite3 reads back.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "kavoserverkit.h"

namespace {
// Card codes of the first suit; +13 is the same rank in the next suit.
constexpr int32_t A = 0, C2 = 1, C4 = 3, C5 = 4, C6 = 5, C7 = 6, C8 = 7, C9 = 8, Q = 11, K = 12;

struct SPlayerRow {
  const char* m_Name;
  std::vector<int32_t> m_Hand1;  // unsplit: the hand; split: the pair first, hand 1's draws after
  std::vector<int32_t> m_Hand2;  // split: hand 2's draws; empty: not split
  bool m_Doubled;
  // The condition per dealer column; for a split seat hand 2's, then hand 1's.
  std::vector<int32_t> m_Conditions2;
  std::vector<int32_t> m_Conditions1;
};

struct SDealerColumn {
  const char* m_Name;
  std::vector<int32_t> m_Cards;
};

const SDealerColumn kDealers[] = {
    {"natural", {A, K}},     {"three-card 21", {C7, C4, K}}, {"20", {K, Q}},
    {"17", {K, C7}},         {"bust", {K, C6, C9}},          {"22 with three cards", {K, C2, K}},
};

const SPlayerRow kPlayers[] = {
    {"natural", {A, K}, {}, false, {}, {2, 3, 3, 3, 3, 3}},
    {"three-card 21", {C5, C6, K}, {}, false, {}, {0, 2, 1, 1, 1, 1}},
    {"split aces, ace and king on hand 1", {A, A + 13, K}, {C9}, false, {0, 0, 2, 1, 1, 1}, {0, 2, 1, 1, 1, 1}},
    {"20", {K, Q}, {}, false, {}, {0, 0, 2, 1, 1, 1}},
    {"17", {K, C7}, {}, false, {}, {0, 0, 0, 2, 1, 1}},
    {"bust", {K, C6, C9}, {}, false, {}, {0, 0, 0, 0, 0, 0}},
    {"doubled 20", {C5, C5 + 13, K}, {}, true, {}, {0, 0, 2, 1, 1, 1}},
    {"split eights: 18 and 20", {C8, C8 + 13, K}, {C4 - 1, C9}, false, {0, 0, 2, 1, 1, 1}, {0, 0, 0, 1, 1, 1}},
};

// Gross return in cents of a bet for a condition.
int64_t GrossCents(int32_t condition, int64_t betCents) {
  switch (condition) {
    case KAVO_WIN_NATURAL: return betCents * 5 / 2;
    case KAVO_WIN_WON: return betCents * 2;
    case KAVO_WIN_PUSH: return betCents;
    default: return 0;
  }
}

std::string Money(int64_t cents) {
  char text[64];
  snprintf(text, sizeof text, "%lld.%02lld00000000", static_cast<long long>(cents / 100),
           static_cast<long long>(cents % 100));
  return text;
}

class CKavoSettlementTest : public CKavoTableTest {
 protected:
  static constexpr int32_t kSeat = 3;
  static constexpr int64_t kBet = 1050;

  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable();
    Seat(kSeat, m_Ann);
  }

  // The seat dealt as the row says, the dealer as the column.
  void Deal(const SPlayerRow& row, const SDealerColumn& dealer) {
    Record(kSeat).Reset();
    Record(KAVO_DEALER).Reset();
    PlaceBet(kSeat, "10.50");
    CBlackJackServerPlayer& seat = Record(kSeat);
    if (row.m_Hand2.empty()) {
      for (int32_t card : row.m_Hand1) ASSERT_EQ(seat.AddCard(card), 1);
      if (row.m_Doubled) seat.DoubleHandBet();
    } else {
      GiveCards(kSeat, {row.m_Hand1[0], row.m_Hand1[1]});
      seat.SetBetHand2(seat.GetBet());
      seat.DoSplit();
      seat.SetCurrentHand(KAVO_HAND_1);
      for (size_t i = 2; i < row.m_Hand1.size(); ++i) ASSERT_EQ(seat.AddCard(row.m_Hand1[i]), 1);
      seat.SetCurrentHand(KAVO_HAND_2);
      for (int32_t card : row.m_Hand2) ASSERT_EQ(seat.AddCard(card), 1);
    }
    for (int32_t card : dealer.m_Cards) ASSERT_EQ(Record(KAVO_DEALER).AddCard(card), 1);
  }

  std::string Chunk(int64_t net, int32_t condition, int64_t bet, int64_t betHand2, int32_t hand) {
    return "{ = PlayerData, KavoPlayerWin, " + std::to_string(m_Ann) + ", " + std::to_string(kSeat) +
           "; WinAmount = " + Money(net) + "; WinCondition = " + std::to_string(condition) + "; Bet = " + Money(bet) +
           "; BetHand2 = " + Money(betHand2) + "; Split = " + std::to_string(hand) + "; }";
  }
};

TEST_F(CKavoSettlementTest, EveryPlayerHandAgainstEveryDealerHand) {
  // Each case's balance through the table's own library; every booking and the final balance
  // through Python's sqlite3 at the end.
  std::vector<std::string> expectedBookings;
  const int64_t start = BalanceCents(m_Ann);
  int64_t total = 0;
  for (const SPlayerRow& row : kPlayers) {
    for (size_t column = 0; column < std::size(kDealers); ++column) {
      const SDealerColumn& dealer = kDealers[column];
      SCOPED_TRACE(std::string(row.m_Name) + " against " + dealer.m_Name);
      Deal(row, dealer);
      const TMoney before = Cash(m_Ann);
      m_pTable->SetSettledCards(0);

      int32_t any = 0;
      ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
      EXPECT_EQ(any, 1);

      const bool split = !row.m_Hand2.empty();
      const int64_t bet = row.m_Doubled ? kBet * 2 : kBet;
      const int64_t betHand2 = split ? kBet : 0;
      std::string packet;
      std::vector<std::string> bookings;
      int64_t delta = 0, netSum = 0;
      // Hand 2 before hand 1.
      const auto expectHand = [&](int32_t condition, int32_t hand) {
        const int64_t gross = GrossCents(condition, bet);
        packet += (packet.empty() ? "" : "; ") + Chunk(std::max<int64_t>(gross - bet, 0), condition, bet, betHand2, hand);
        bookings.push_back("50 " + std::to_string(-bet));
        bookings.push_back("54 " + std::to_string(gross));
        delta += gross - bet;
        netSum += std::max<int64_t>(gross - bet, 0);
      };
      if (split) expectHand(row.m_Conditions2[column], KAVO_HAND_2);
      expectHand(row.m_Conditions1[column], split ? KAVO_HAND_1 : KAVO_HAND_UNSPLIT);

      EXPECT_EQ(Packets(), std::vector<std::string>{packet});
      expectedBookings.insert(expectedBookings.end(), bookings.begin(), bookings.end());
      total += delta;
      EXPECT_EQ(Cash(m_Ann) - before, TMoney(Money(std::abs(delta)).c_str()) * (delta < 0 ? -1 : 1));
      const int32_t cards = static_cast<int32_t>(row.m_Hand1.size() + row.m_Hand2.size());
      EXPECT_EQ(m_pTable->GetSettledCards(), cards);
      EXPECT_EQ(Record(kSeat).GetRoundResult(), TMoney(Money(netSum).c_str()));
    }
  }
  EXPECT_EQ(Bookings(m_Ann), expectedBookings);
  EXPECT_EQ(BalanceCents(m_Ann), start + total);
}
}  // namespace

namespace {
// ---- insurance ----

class CKavoInsuranceTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable();
  }
  std::string Echo(int32_t seat, int32_t value) {
    return "Slot = " + std::to_string(seat) + "; Insurance = " + std::to_string(value);
  }
  // Ann at the seat with a bet of 10, insured.
  void InsuredSeat(int32_t seat) {
    Seat(seat, m_Ann);
    PlaceBet(seat, "10");
    m_pTable->AnswerInsurance(seat, 1);
  }
  // The same, then split on two eights: hand 2 draws a king (18), hand 1 a queen (18).
  void InsuredSplitSeat(int32_t seat) {
    InsuredSeat(seat);
    GiveCards(seat, {7, 20});
    Record(seat).SetBetHand2(Record(seat).GetBet());
    Record(seat).DoSplit();
    Record(seat).SetCurrentHand(KAVO_HAND_2);
    GiveCards(seat, {12});
    Record(seat).SetCurrentHand(KAVO_HAND_1);
    GiveCards(seat, {11});
  }
  std::string InsuranceWin(int32_t playerId, int32_t seat, const char* amount) {
    return "{ = PlayerData, KavoInsuranceWin, " + std::to_string(playerId) + ", " + std::to_string(seat) +
           "; WinAmount = " + amount + "; }";
  }
};

TEST_F(CKavoInsuranceTest, FundsAreCheckedAgainstHalfTheBet) {
  const int32_t short_ = CreateMember("short", "149.99");
  const int32_t enough = CreateMember("enough", "150");
  Seat(4, short_);
  Seat(1, enough);
  PlaceBet(4, "100");
  PlaceBet(1, "100");
  // Free money after the stake: 49.99 and 50 against an insurance of 50.
  ASSERT_EQ(m_pTable->AnswerInsurance(4, 1), 1);
  ASSERT_EQ(m_pTable->AnswerInsurance(1, 7), 1);
  EXPECT_EQ(Packets(), (std::vector<std::string>{Echo(4, 0), Echo(1, 7)}));
  EXPECT_EQ(Record(4).IsInsured(), 0);
  EXPECT_EQ(Record(1).IsInsured(), 7);
  TMoney pending;
  m_pTable->GetPendingCash(pending, enough);
  EXPECT_EQ(pending, TMoney(150));
}

TEST_F(CKavoInsuranceTest, AnswersArriveAsClientChunks) {
  Seat(2, m_Ann);
  PlaceBet(2, "10");
  SendClient(m_Ann, 2, KAVO_MSG_INSURANCE, "Insurance = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->ReadInsurance(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Packets(), std::vector<std::string>{Echo(2, 1)});
  EXPECT_EQ(Record(2).HasAnsweredInsurance(), 1);
}

TEST_F(CKavoInsuranceTest, DealerBlackjackPaysTheInsuredBetOnceWithTheFirstSettledHand) {
  // Insured, then split: the insurance result goes with hand 2, settled first.
  InsuredSplitSeat(2);
  m_pTable->SetHoleCard(25);  // a king under the ace
  GiveCards(KAVO_DEALER, {0});
  Packets();
  int32_t pays = 0;
  ASSERT_EQ(m_pTable->ResolveInsurance(pays), 1);
  EXPECT_EQ(pays, 1);
  EXPECT_EQ(Packets(), std::vector<std::string>{InsuranceWin(m_Ann, 2, "10.0000000000") + "; Pays = 1; Card = 25"});
  EXPECT_EQ(Record(2).GetInsuranceResult(), TMoney(10));
  GiveCards(KAVO_DEALER, {25});
  const TMoney before = Cash(m_Ann);
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  // Both hands lose 10; the insurance returns the bet once.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 1000", "50 -1000", "54 0"}));
  EXPECT_EQ(Cash(m_Ann) - before, TMoney(-10));
}

TEST_F(CKavoInsuranceTest, NoTenUnderTakesTheInsuranceStakeWithTheSettlement) {
  InsuredSeat(2);
  GiveCards(2, {12, 11});
  m_pTable->SetHoleCard(5);
  GiveCards(KAVO_DEALER, {0});
  Packets();
  int32_t pays = 1;
  ASSERT_EQ(m_pTable->ResolveInsurance(pays), 1);
  EXPECT_EQ(pays, 0);
  EXPECT_EQ(Packets(), std::vector<std::string>{InsuranceWin(m_Ann, 2, "0.0000000000") + "; Pays = 0"});
  EXPECT_EQ(Record(2).GetInsuranceResult(), TMoney(-5));
  GiveCards(KAVO_DEALER, {5, 12});  // ace, six, king: 17
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1500", "54 2000"}));
  EXPECT_EQ(Record(2).GetInsuranceResult(), TMoney());
}

TEST_F(CKavoInsuranceTest, InsuredNaturalAgainstDealerBlackjack) {
  InsuredSeat(2);
  GiveCards(2, {13, 24});
  m_pTable->SetHoleCard(12);
  GiveCards(KAVO_DEALER, {0});
  int32_t pays = 0;
  ASSERT_EQ(m_pTable->ResolveInsurance(pays), 1);
  GiveCards(KAVO_DEALER, {12});
  Packets();
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  // The natural pushes, the insurance pays the bet: +10 in all.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000"}));
  const std::vector<std::string> packets = Packets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_NE(packets[0].find("WinAmount = 0.0000000000; WinCondition = 2;"), std::string::npos);
}

TEST_F(CKavoInsuranceTest, DoublingAfterInsuranceKeepsTheInsuranceStakeAsTaken) {
  InsuredSeat(2);
  Record(2).DoubleHandBet();
  TMoney pending;
  m_pTable->GetPendingCash(pending, m_Ann);
  EXPECT_EQ(pending, TMoney(25));  // 20 staked, 5 insured
}

TEST_F(CKavoInsuranceTest, HandTwoFailingToBookLeavesHandOneToCarryTheInsurance) {
  const int32_t bob = CreateMember("bob", "100");
  Seat(3, bob);
  PlaceBet(3, "10");
  GiveCards(3, {12, 11});
  InsuredSplitSeat(2);
  m_pTable->SetHoleCard(12);
  GiveCards(KAVO_DEALER, {0});
  int32_t pays = 0;
  ASSERT_EQ(m_pTable->ResolveInsurance(pays), 1);
  GiveCards(KAVO_DEALER, {12});
  Packets();
  // Bob (seat 3) books first; Ann's hand 2 is the second booking and fails.
  m_pStova->m_FailDecIncAt = 2;
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  const std::vector<std::string> packets = WithName(Packets(), KAVO_MSG_PLAYERWIN);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_NE(packets[0].find(", " + std::to_string(bob) + ", 3;"), std::string::npos);
  EXPECT_NE(packets[0].find("Split = 1"), std::string::npos);
  EXPECT_EQ(packets[0].find("Split = 2"), std::string::npos);
  // Hand 1 lost 10 and took the insurance's 10 with it; hand 2 booked nothing.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 1000"}));
  EXPECT_EQ(Bookings(bob), (std::vector<std::string>{"50 -1000", "54 0"}));
}
}  // namespace
