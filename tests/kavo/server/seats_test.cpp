// One player on several seats through the table's own tick: every seat he bets on stays his from
// round to round, whether his bets come in one frame (a record a seat) or the betting time is
// long; a second seat he leaves without a bet is given up at half the betting time. With a rigged
// shoe, rounds of two naturals, of one natural and of none keep both seats.
#include <string>
#include <vector>

#include "kavobot.h"
#include "kavoserverkit.h"
#include "seededrandom.h"
#include "server/scripteddeck.h"

namespace {
constexpr int32_t A = 0, C6 = 5, C7 = 6, C8 = 7, C9 = 8, T = 9, K = 12;

struct SCase {
  const char* m_Name;
  std::vector<int32_t> m_Seated;  // the seats taken, in that order (the first is his first seat)
  std::vector<int32_t> m_Betting;
  int32_t m_BetSeconds;
  bool m_StandOnly;
  int64_t m_Rounds;
};

void PrintTo(const SCase& c, std::ostream* out) { *out << c.m_Name; }

class KavoSeats : public CKavoTableTest, public ::testing::WithParamInterface<SCase> {
 protected:
  std::string Held() {
    std::string held;
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      held += m_pTable->GetPlayerConnection(seat)->IsHeld() ? 'H' : '-';
    return held;
  }
  static std::string Expected(const std::vector<int32_t>& seats) {
    std::string held(KAVO_NUM_SEATS, '-');
    for (int32_t seat : seats) held[static_cast<size_t>(seat)] = 'H';
    return held;
  }
};

TEST_P(KavoSeats, EverySeatBetOnStaysAndSettlesEachRound) {
  const SCase& c = GetParam();
  const CKavoSeededRandom random(17u);
  const int32_t rich = CreateMember("rich", "10000000");
  StartTable(KAVO_GAMEID_REGULAR, [&](CBlackJackServerTable& table) { table.SetBetTimeout(c.m_BetSeconds); });
  CKavoBot bot(*m_pClientTable, rich, c.m_Betting, 11);
  bot.SetStandOnly(c.m_StandOnly);
  for (int32_t seat : c.m_Seated) Seat(seat, rich);
  KavoPlayRounds(*m_pTable, bot, m_Clock, c.m_Rounds, [&](int64_t round) {
    // The first round still has every seat taken; from the second on only those bet on.
    ASSERT_EQ(Held(), Expected(round == 1 ? c.m_Seated : c.m_Betting)) << "round " << round;
  });
  ASSERT_FALSE(HasFatalFailure());
  const int64_t seats = static_cast<int64_t>(c.m_Betting.size());
  // Standing, each seat's hand is settled once a round; splits settle two.
  if (c.m_StandOnly) EXPECT_EQ(bot.Settlements(), seats * c.m_Rounds);
  else EXPECT_GE(bot.Settlements(), seats * c.m_Rounds);
  // His first seat is one he bet on.
  EXPECT_EQ(m_pTable->GetPlayerConnection(c.m_Betting.front())->m_SecondSeat, 0);
}

INSTANTIATE_TEST_SUITE_P(
    OnePlayer, KavoSeats,
    ::testing::Values(SCase{"TwoSeatsNoBetTime", {1, 3}, {1, 3}, 0, true, 30},
                      SCase{"TwoSeatsPlaying", {3, 1}, {3, 1}, 0, false, 30},
                      SCase{"FiveSeatsNoBetTime", {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, 0, true, 20},
                      SCase{"FiveSeatsForFunBetTime", {4, 2, 0, 1, 3}, {4, 2, 0, 1, 3}, 15, false, 20},
                      // Seat 3, a second seat without a bet, goes at half time; seat 0, his
                      // first, hands that role to seat 1 when the bets close, and goes too.
                      SCase{"SecondSeatsWithoutBetsGo", {0, 1, 2, 3}, {1, 2}, 15, true, 5}),
    [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.m_Name); });

TEST_F(CKavoTableTest, TwoSeatsKeepTheirPlayerThroughNaturals) {
  // Dealt highest seat first: seat 3, seat 1, then again, the dealer's up card, the hole card.
  const int32_t rich = CreateMember("rich", "10000000");
  StartTable();
  RigShoe({A, A, K, K, C6, T,          // both naturals: nobody left to play, the hole card shown
           A, T, K, C8, C9, T,         // a natural at seat 3, eighteen at seat 1 against nineteen
           T, T, C7, C9, C7, T});      // seventeen and nineteen against seventeen
  CKavoBot bot(*m_pClientTable, rich, {1, 3}, 3);
  bot.SetStandOnly(true);
  Seat(1, rich);
  Seat(3, rich);
  KavoPlayRounds(*m_pTable, bot, m_Clock, 3, [&](int64_t round) {
    for (int32_t seat : {1, 3})
      EXPECT_EQ(m_pTable->GetPlayerConnection(seat)->m_PlayerId, rich) << "seat " << seat << ", round " << round;
  });
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(bot.Settlements(), 6);
  EXPECT_EQ(static_cast<CKavoScriptedDeck*>(m_pTable->GetShoe())->CardsLeft(), 0u);
  EXPECT_EQ(std::string(Cash(rich).GetString()), std::string((TMoney("10000000") + bot.Ledger()).GetString()));
}
}  // namespace
