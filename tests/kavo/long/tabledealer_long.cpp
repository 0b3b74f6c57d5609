// The dealer's hands as the real server table plays them: the bot stands at two seats for twenty
// thousand rounds run by the table's own tick on the test clock, and the dealer's final hands
// and up cards pass a chi-square test against the exact odds at the 0.1 % level.
//
// Why the exact odds of a fresh shoe "with only the dealer's cards removed" are the right
// expectation although the seats' four cards leave the shoe first: the shoe is refilled every
// round and deals uniformly, so the cards come in the order of a uniformly random permutation of
// the 312. The bot always stands (and never insures), so the seats take exactly the first four
// cards whatever they are, and the dealer's up card, hole card and draws are the permutation's
// cards from the fifth on; a uniformly random permutation looks the same from any fixed position,
// so those cards are distributed as the first cards of a fresh shoe, and the dealer's rule reads
// only his own cards. Hits, doubles or splits would break this: how many cards the seats take
// would then depend on the cards, and the dealer would draw from a shoe biased by them.
// Rounds in which both seats had naturals are left out, since the table reveals the hole card
// there without playing the dealer's hand; that is about one round in 450, and the condition
// (four given cards out of 312) shifts the dealer's odds far below what this test can see.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dealerodds.h"
#include "kavobot.h"
#include "kavoserverkit.h"
#include "seededrandom.h"

namespace {
constexpr int64_t kRounds = KavoTestRounds(20000, 2000);

struct SCase {
  const char* m_Name;
  int32_t m_DrawOnSoft17;
};

// The rounds book money, and every booking waits for the disk; the odds do not depend on it,
// so the suite keeps its database in memory where the machine has a memory folder.
void PrintTo(const SCase& c, std::ostream* out) { *out << c.m_Name; }

class KavoTableDealer : public CKavoTableTest, public ::testing::WithParamInterface<SCase> {
 public:
  static void SetUpTestSuite() {
    const char* old = getenv("TMPDIR");
    s_OldTmp = old ? old : "";
    s_HadTmp = old != nullptr;
    if (std::filesystem::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 1);
  }
  static void TearDownTestSuite() {
    if (s_HadTmp) setenv("TMPDIR", s_OldTmp.c_str(), 1);
    else unsetenv("TMPDIR");
  }

 private:
  static inline std::string s_OldTmp;
  static inline bool s_HadTmp = false;
};

TEST_P(KavoTableDealer, TheDealersHandsAndUpCardsMatchTheExactOdds) {
  const SCase& c = GetParam();
  const CKavoSeededRandom random(31u + static_cast<uint32_t>(c.m_DrawOnSoft17));
  // Two players at two seats (one player on both plays the same; the seats test shows it).
  const std::vector<std::pair<int32_t, int32_t>> seats = {{1, CreateMember("ann1", "100000000")},
                                                          {3, CreateMember("bob3", "100000000")}};
  StartTable(KAVO_GAMEID_REGULAR, [&](CBlackJackServerTable& table) { table.SetDrawOnSoft17(c.m_DrawOnSoft17); });
  CKavoBot bot(*m_pClientTable, seats, 8);
  bot.SetStandOnly(true);
  for (const auto& [seat, player] : seats) Seat(seat, player);

  std::array<int64_t, KAVO_DEALER_OUTCOMES> outcomes{};
  std::array<int64_t, 10> upRanks{};
  int64_t tallied = 0, leftOut = 0, ticks = 0;
  bool seen = false, allBust = false;
  while (tallied + leftOut < kRounds && ticks < kRounds * 400) {
    ++ticks;
    ASSERT_EQ(m_pTable->ServerHandler(), 1) << "tick " << ticks;
    bot.Poll();
    m_Clock.Advance(500);
    const int32_t state = m_pTable->GetRoundState();
    if (state == KAVO_RS_ALLBUST) allBust = true;
    if (state != KAVO_RS_ENDOFROUND) {
      seen = false;
      continue;
    }
    const CBlackJackServerPlayer& dealer = *m_pTable->GetDealer();
    if (seen || dealer.GetNumCards() < 2) continue;
    seen = true;
    if (allBust) {
      allBust = false;
      ++leftOut;
      continue;
    }
    const int32_t outcome = KavoDealerOutcome(dealer);
    ASSERT_GE(outcome, 0) << "the dealer stopped below 17";
    ASSERT_LT(outcome, KAVO_DEALER_OUTCOMES);
    ++outcomes[static_cast<size_t>(outcome)];
    const int32_t rank = KavoCardRank(dealer.GetHandCard(1, 0, 1));
    ++upRanks[static_cast<size_t>(rank > KAVO_RANK_TEN ? KAVO_RANK_TEN : rank)];
    ++tallied;
  }
  ASSERT_EQ(tallied + leftOut, kRounds) << "every round ends";
  // Two naturals come in about one round of 450.
  EXPECT_LT(leftOut, kRounds / 150) << "only rounds of two naturals are left out";
  EXPECT_GE(bot.Settlements(), 2 * tallied - tallied / 10) << "both seats play";

  int32_t freedom = 0;
  const double chi =
      KavoChiSquare(outcomes, KavoExactOdds().m_Rows.at(std::string(c.m_Name) + " all"), KAVO_DEALER_OUTCOMES, freedom);
  EXPECT_EQ(freedom, 6);
  EXPECT_LT(chi, KavoChiSquareCritical(6)) << c.m_Name << " over " << tallied << " rounds";
  // The up card: each rank 1/13, the ten-values together 4/13.
  std::array<double, 10> uniform{};
  uniform.fill(1.0 / 13);
  uniform[KAVO_RANK_TEN] = 4.0 / 13;
  const double upChi = KavoChiSquare(upRanks, uniform, upRanks.size(), freedom);
  EXPECT_EQ(freedom, 9);
  EXPECT_LT(upChi, KavoChiSquareCritical(9));
  printf("%s through the table: %lld rounds tallied, %lld left out; chi-square %.2f (outcomes), %.2f (up cards)\n",
         c.m_Name, static_cast<long long>(tallied), static_cast<long long>(leftOut), chi, upChi);
}

INSTANTIATE_TEST_SUITE_P(Rules, KavoTableDealer, ::testing::Values(SCase{"S17", 0}, SCase{"H17", 1}),
                         [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.m_Name); });
}  // namespace
