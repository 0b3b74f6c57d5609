// Fifty rounds of mixed play at each for-fun table (1020, 1021, 1022) through the table's own
// tick, with a rigged shoe and scripted decisions: splits, doubles, insurance taken and refused,
// naturals, busts and, at 1021, side bets with and without sevens. After every round the balance
// is the starting balance plus the nets worked out by hand below, and the player's records said
// as much. Then every booking, read with Python's sqlite3, moves the balance it stores by its
// amount, and the bookings of each round sum to that round's net.
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "kavobot.h"
#include "kavoserverkit.h"
#include "server/scripteddeck.h"
#include "stova/stovaconn.h"
#include "support/pyoracle.h"

namespace {
constexpr int32_t A = 0, C2 = 1, C3 = 2, C4 = 3, C5 = 4, C6 = 5, C7 = 6, C8 = 7, C9 = 8, T = 9, J = 10, Q = 11,
                  K = 12;
constexpr int32_t S = KAVO_RANKS;  // the same rank in the next suit
constexpr int32_t Hit = KAVO_ACTION_HIT, Stand = KAVO_ACTION_STAND, Dbl = KAVO_ACTION_DOUBLE,
                  Split = KAVO_ACTION_SPLIT;
// The answer to the turn the table gives again after a hit that busts; it reads none.
constexpr int32_t Unread = KAVO_ACTION_STAND;
constexpr int32_t kBet = 10;
constexpr int32_t kRepeats = 5;  // ten rounds of each table, five times over

struct SRound {
  const char* m_Name;
  // The shoe: the seats' first cards from the highest seat, their second cards, the dealer's up
  // and hole cards, then every card the decisions and the dealer draw, in order.
  std::vector<int32_t> m_Cards;
  std::vector<int32_t> m_Actions;    // every turn, highest seat first
  std::vector<int32_t> m_Insurance;  // every seat's answer, highest seat first
  bool m_SideBet;
  int32_t m_Net;  // the round's net for the player, whole units
};

struct STable {
  const char* m_Name;
  int32_t m_GameId;
  std::vector<int32_t> m_Seats;  // highest first
  std::vector<SRound> m_Rounds;
};

void PrintTo(const STable& t, std::ostream* out) { *out << t.m_Name; }

// Two seats (3, then 1) of one player at 10 each.
const std::vector<SRound> kRegular = {
    {"both stand, the dealer busts", {T, C9, C8, T + S, C6, T + 2 * S, K}, {Stand, Stand}, {}, false, 20},
    {"a double won, a hit busts", {C6, T, C5, C6 + S, C9, C8, T + S, K}, {Dbl, Hit, Unread}, {}, false, 10},
    {"eights split, one hand hit to 21", {C8, T, C8 + S, C7, T + S, C9, T + 2 * S, C3, K},
     {Split, Stand, Hit, Stand, Stand}, {}, false, -10},
    {"insurance paid against the dealer's natural", {T, C5, C9, C6, A, K}, {}, {1, 0}, false, -10},
    {"insurance lost, a natural paid, the other stands", {A, T, K, C9, A + S, C7}, {Stand}, {1, 1}, false, 15},
    {"a push and a five-card eighteen", {C9, C2, C8, C3, T, C7, C4, C3 + S, C6}, {Stand, Hit, Hit, Hit, Stand}, {},
     false, 10},
    {"a hit and a double both bust", {T, T + 2 * S, C6, C5, C5 + S, C9, T + S, K}, {Hit, Unread, Dbl}, {}, false,
     -30},
    {"a natural pushes the dealer's, found by the peek", {A, C9, Q, C9 + S, K, A + S}, {}, {}, false, -10},
    {"aces split, a double pushes", {A, C4, A + S, C4 + S, C8, T, K, C9, T + S}, {Split, Dbl}, {}, false, 20},
    {"the dealer stands on soft seventeen", {A, T, C6, Q, C6 + S, A + S, C3}, {Hit, Stand, Stand}, {}, false, 20},
};

// The same two seats; a side bet is one unit on each seat.
const std::vector<SRound> kSideBet = {
    {"side bets lost, the dealer busts", {T, C9, C8, T + S, C6, T + 2 * S, K}, {Stand, Stand}, {}, true, 18},
    {"a seven first (3) on a double, two sevens (30) hit", {C7, C7 + S, C4, C7 + 2 * S, C9, C8, T, C5},
     {Dbl, Hit, Stand}, {}, true, 63},
    {"three sevens of one code (1500)", {C7, C2, C7, C3, T, C8, C7}, {Hit, Stand, Stand}, {}, true, 1499},
    {"sevens split: hand 2's cards pay 3", {C7, T, C7 + S, T + S, C6, T + 2 * S, C2, J, K},
     {Split, Stand, Stand, Stand}, {}, true, 32},
    {"insurance paid, side bets lost", {T, C5, C9, C6, A, K}, {}, {1, 0}, true, -12},
    {"insurance lost, a natural paid with its side bet", {A, T, K, C9, A + S, C7}, {Stand}, {1, 1}, true, 13},
    {"everyone busts, side bets lost", {T, T + 2 * S, C6, C5, C5 + S, C9, T + S, K}, {Hit, Unread, Dbl}, {}, true,
     -32},
    {"a bust hand's seven still wins its side bet", {C7, C9, T, T + S, C9 + S, C8, K}, {Hit, Unread, Stand}, {},
     true, 2},
    {"no side bet, the dealer busts", {T, C9, C8, T + S, C6, T + 2 * S, K}, {Stand, Stand}, {}, false, 20},
    {"no side bet, eights split", {C8, T, C8 + S, C7, T + S, C9, T + 2 * S, C3, K}, {Split, Stand, Hit, Stand, Stand},
     {}, false, -10},
};

// One seat (2): the one-deck table seats one player only.
const std::vector<SRound> kOneDeck = {
    {"a stand, the dealer busts", {T, C8, C6, T + S, K}, {Stand}, {}, false, 10},
    {"a double won", {C6, C5, C9, C8, T}, {Dbl}, {}, false, 20},
    {"eights split, one hand hit to 21", {C8, C8 + S, T + S, C9, T, C3, K}, {Split, Stand, Hit, Stand}, {}, false, 0},
    {"insurance paid against the dealer's natural", {T, C9, A, K}, {}, {1}, false, 0},
    {"insurance lost, the natural paid", {A, K, A + S, C7}, {}, {1}, false, 10},
    {"hit to eighteen against seventeen", {C2, C3, T, C7, C4, C3 + S, C6}, {Hit, Hit, Hit, Stand}, {}, false, 10},
    {"a hit busts", {T, C6, C5, C9, T + S}, {Hit, Unread}, {}, false, -10},
    {"naturals push", {A, Q, K, A + S}, {}, {}, false, 0},
    {"a double busts", {T, C5, C9, C8, K}, {Dbl}, {}, false, -20},
    {"insurance refused, the dealer's natural", {T, C9, A, Q}, {}, {0}, false, -10},
};

// The bookings carry the test clock's seconds, so that each falls into its round.
class KavoBookings : public CKavoTableTest, public ::testing::WithParamInterface<STable> {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    s_pClock = &m_Clock;
    xSetStovaClock([]() -> int64_t { return s_pClock->Now() / 1000; });
  }
  void TearDown() override {
    xSetStovaClock(nullptr);
    s_pClock = nullptr;
    CKavoTableTest::TearDown();
  }

  struct SBooking {
    int64_t m_Type, m_Second, m_Cents, m_BalanceCents;
  };
  // Every booking of the player in order, read with Python's sqlite3.
  std::vector<SBooking> ReadBookings(int32_t playerId) {
    std::vector<SBooking> out;
    for (const std::string& row : RunPythonTool(
             "stova_rows.py", m_Dir.File(STOVA_FILE_NAME) +
                                  "\nSELECT type, time, CAST(ROUND(CAST(amount AS REAL) * 100) AS INTEGER), "
                                  "CAST(ROUND(CAST(balance AS REAL) * 100) AS INTEGER) FROM bookings WHERE user_id = " +
                                  std::to_string(playerId) + " ORDER BY id")) {
      long long type = 0, second = 0, cents = 0, balance = 0;
      if (sscanf(row.c_str(), "%lld\t%lld\t%lld\t%lld", &type, &second, &cents, &balance) == 4)
        out.push_back({type, second, cents, balance});
    }
    return out;
  }

  static inline CTestClock* s_pClock = nullptr;
};

TEST_P(KavoBookings, EveryRoundsBookingsMakeTheBalance) {
  const STable& t = GetParam();
  const int32_t rich = CreateMember("rich", "100000");
  const int64_t startCents = 100000 * 100;
  StartTable(t.m_GameId);
  if (t.m_GameId == KAVO_GAMEID_ONEDECK) {
    // A private table's record, as the one-deck table requires.
    c2stovaTable record;
    record.Longs()[1] = rich;
    record.Longs()[3] = 2;
    record.Longs()[6] = 1;
    record.Longs()[7] = 1;
    ASSERT_EQ(m_pTable->ParseRecord(record), 1);
    ASSERT_EQ(m_pTable->IsOneDeck(), 1);
  }
  std::vector<int32_t> cards;
  std::deque<int32_t> actions, insurance;
  std::vector<bool> sides;
  std::vector<const SRound*> played;
  for (int32_t repeat = 0; repeat < kRepeats; ++repeat)
    for (const SRound& round : t.m_Rounds) {
      cards.insert(cards.end(), round.m_Cards.begin(), round.m_Cards.end());
      actions.insert(actions.end(), round.m_Actions.begin(), round.m_Actions.end());
      insurance.insert(insurance.end(), round.m_Insurance.begin(), round.m_Insurance.end());
      sides.push_back(round.m_SideBet);
      played.push_back(&round);
    }
  m_pTable->SetShoe(new CKavoScriptedDeck(cards));
  CKavoBot bot(*m_pClientTable, rich, t.m_Seats, 1);
  bot.SetBet(kBet);
  bot.Script(actions, insurance, sides);
  for (int32_t seat : t.m_Seats) Seat(seat, rich);

  std::vector<int64_t> roundEnds;  // the second by which each round had booked everything
  int64_t expected = 0;
  // The last round's new-round record comes before its deal, for which no card is left.
  KavoPlayRounds(*m_pTable, bot, m_Clock, static_cast<int64_t>(played.size()), [&](int64_t round) {
    if (round == 1) return;
    const SRound& ended = *played[static_cast<size_t>(round - 2)];
    expected += ended.m_Net;
    roundEnds.push_back(m_Clock.Now() / 1000);
    const std::string what = "round " + std::to_string(round - 1) + ": " + ended.m_Name;
    ASSERT_EQ(Cash(rich), TMoney(100000) + TMoney(static_cast<int32_t>(expected))) << what;
    ASSERT_EQ(std::string(bot.Ledger().GetString()), std::string(TMoney(static_cast<int32_t>(expected)).GetString()))
        << what;
    for (int32_t seat : t.m_Seats) ASSERT_TRUE(m_pTable->GetPlayerConnection(seat)->IsHeld()) << what;
  });
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(static_cast<CKavoScriptedDeck*>(m_pTable->GetShoe())->CardsLeft(), 0u) << "every card was dealt";
  EXPECT_EQ(bot.ScriptedActionsLeft(), 0u) << "every decision was asked for";

  // Each booking moves the balance by its amount, from none before the member's first; each
  // round's game bookings sum to its net.
  const std::vector<SBooking> bookings = ReadBookings(rich);
  int64_t balance = 0, cumulative = 0;
  size_t next = 0;
  for (; next < bookings.size() && bookings[next].m_Type < KAVO_BOOKING_STAKE; ++next) {
    balance += bookings[next].m_Cents;
    ASSERT_EQ(bookings[next].m_BalanceCents, balance) << "booking " << next;
  }
  ASSERT_EQ(balance, startCents) << "the member's own bookings come first";
  for (size_t r = 0; r < played.size(); ++r) {
    int64_t net = 0;
    for (; next < bookings.size() && bookings[next].m_Second <= roundEnds[r]; ++next) {
      EXPECT_GE(bookings[next].m_Type, KAVO_BOOKING_STAKE) << "booking " << next;
      balance += bookings[next].m_Cents;
      net += bookings[next].m_Cents;
      ASSERT_EQ(bookings[next].m_BalanceCents, balance) << "booking " << next;
    }
    cumulative += played[r]->m_Net;
    EXPECT_EQ(net, played[r]->m_Net * 100) << "round " << r + 1 << ": " << played[r]->m_Name;
    EXPECT_EQ(balance, startCents + cumulative * 100) << "round " << r + 1;
  }
  EXPECT_EQ(next, bookings.size()) << "no booking after the last round";
  EXPECT_EQ(BalanceCents(rich), balance);
}

INSTANTIATE_TEST_SUITE_P(
    ForFun, KavoBookings,
    ::testing::Values(STable{"Regular", KAVO_GAMEID_REGULAR, {3, 1}, kRegular},
                      STable{"SideBet", KAVO_GAMEID_SUPERSEVEN, {3, 1}, kSideBet},
                      STable{"OneDeck", KAVO_GAMEID_ONEDECK, {2}, kOneDeck}),
    [](const ::testing::TestParamInfo<STable>& info) { return std::string(info.param.m_Name); });
}  // namespace
