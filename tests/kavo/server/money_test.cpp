// Whole rounds through the server table's own tick, with the bot playing at random: money is
// neither created nor lost. After every round the balance in the database is the starting
// balance plus what the bot's ledger read in the records, and at the end also plus the sum of
// the table's bookings (Python's sqlite3). With stray and malformed records thrown in, every
// round still ends.

#include "kavobot.h"
#include "kavoserverkit.h"
#include "seededrandom.h"

namespace {
// The long suite builds this file again for ten thousand rounds.
#ifndef KAVO_MONEY_ROUNDS
#define KAVO_MONEY_ROUNDS 1000
#endif
constexpr int64_t kRounds = KavoTestRounds(KAVO_MONEY_ROUNDS, 300);


struct SCase {
  const char* m_Name;
  int32_t m_GameId;
  int32_t m_Mischief;
  int64_t m_Rounds;
};

class KavoMoney : public CKavoTableTest, public ::testing::WithParamInterface<SCase> {};

TEST_P(KavoMoney, TheBalanceFollowsTheLedgerAndTheBookings) {
  const SCase& c = GetParam();
  const CKavoSeededRandom random(99u);
  const int32_t rich = CreateMember("rich", "10000000");
  StartTable(c.m_GameId, [](CBlackJackServerTable& table) { table.SetTripleSevenEnabled(1); });
  const TMoney start = Cash(rich);
  const std::vector<int32_t> seats = {1, 3};
  CKavoBot bot(*m_pClientTable, rich, seats, 5);
  bot.SetSideBet(c.m_GameId == KAVO_GAMEID_SUPERSEVEN);
  bot.SetMischief(c.m_Mischief);
  for (int32_t seat : seats) Seat(seat, rich);
  int64_t checked = 0, ticks = 0;
  while (bot.Rounds() <= c.m_Rounds && ticks < c.m_Rounds * 400) {
    ++ticks;
    ASSERT_EQ(m_pTable->ServerHandler(), 1) << "tick " << ticks;
    const int64_t before = bot.Rounds();
    bot.Poll();
    m_Clock.Advance(500);
    if (bot.Rounds() != before) {
      // A new round began: the last one is settled and booked.
      ASSERT_EQ(std::string(Cash(rich).GetString()), std::string((start + bot.Ledger()).GetString()))
          << "round " << bot.Rounds();
      ++checked;
    }
    // A crashed user's seats come back between rounds.
    if (m_pTable->GetState() == SERVERSTATE_IDLE || m_pTable->GetState() == SERVERSTATE_NEWROUND)
      for (int32_t seat : seats)
        if (!m_pTable->GetPlayerConnection(seat)->IsHeld()) Seat(seat, rich);
  }
  EXPECT_GE(checked, c.m_Rounds) << "every round ends";
  EXPECT_GT(bot.Settlements(), c.m_Rounds / 2);
  int64_t booked = 0;
  for (const std::string& row : Bookings(rich)) booked += std::stoll(row.substr(row.find(' ') + 1));
  EXPECT_EQ(BalanceCents(rich), 1000000000 + booked);
  EXPECT_EQ(Cash(rich), start + bot.Ledger());
}

INSTANTIATE_TEST_SUITE_P(
    Tables, KavoMoney,
    ::testing::Values(SCase{"Regular", KAVO_GAMEID_REGULAR, 0, kRounds}, SCase{"SideBet", KAVO_GAMEID_SUPERSEVEN, 0, kRounds},
                      SCase{"RegularStray", KAVO_GAMEID_REGULAR, 20, kRounds / 10},
                      SCase{"SideBetStray", KAVO_GAMEID_SUPERSEVEN, 20, kRounds / 10}),
    [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.m_Name); });
}  // namespace
