// The dealer's outcomes and the side bet's rows of the rules harness and the real shoe, against
// the exact odds Python's fractions give (tests/tools/dealer_odds.py), by a chi-square test at
// the 0.1 % level.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "common/cards/deck.h"
#include "dealerodds.h"
#include "kavoprotocol.h"
#include "server/rulesharness.h"
#include "seededrandom.h"
#include "server/settlement.h"

namespace {
constexpr int64_t kRounds = KavoTestRounds(1000000, 100000);

struct STally {
  std::array<int64_t, KAVO_DEALER_OUTCOMES> m_All{};
  std::array<std::array<int64_t, KAVO_DEALER_OUTCOMES>, 10> m_Up{};
};

STally Tally(int32_t h17, uint32_t seed) {
  const CKavoSeededRandom random(seed);
  SKavoRules rules;
  rules.m_DrawOnSoft17 = h17;
  CKavoRulesHarness harness(rules);
  STally tally;
  for (int64_t i = 0; i < kRounds; ++i) {
    SKavoRoundResult result;
    if (!harness.PlayRound(result)) break;
    ++tally.m_All[static_cast<size_t>(result.m_DealerOutcome)];
    ++tally.m_Up[static_cast<size_t>(result.m_UpRank)][static_cast<size_t>(result.m_DealerOutcome)];
  }
  return tally;
}

class KavoDealerOdds : public ::testing::TestWithParam<int32_t> {};

TEST_P(KavoDealerOdds, TheHarnessDealerMatchesTheExactOddsOverallAndPerUpCard) {
  const int32_t h17 = GetParam();
  const std::string rule = h17 ? "H17" : "S17";
  ASSERT_EQ(KavoExactOdds().m_Rows.size(), 22u) << "the oracle's output";
  const STally tally = Tally(h17, 4242 + static_cast<uint32_t>(h17));
  int32_t freedom = 0;
  const double all =
      KavoChiSquare(tally.m_All, KavoExactOdds().m_Rows.at(rule + " all"), KAVO_DEALER_OUTCOMES, freedom);
  EXPECT_EQ(freedom, 6);
  EXPECT_LT(all, KavoChiSquareCritical(6)) << rule << " overall";
  for (int32_t up = 0; up < 10; ++up) {
    const double chi =
        KavoChiSquare(tally.m_Up[static_cast<size_t>(up)],
                      KavoExactOdds().m_Rows.at(rule + " up " + std::to_string(up)), KAVO_DEALER_OUTCOMES, freedom);
    EXPECT_EQ(freedom, up == 0 || up == 9 ? 6 : 5) << up;
    EXPECT_LT(chi, KavoChiSquareCritical(freedom)) << rule << " up rank " << up;
  }
  // The other rule's expectation is seen to be wrong where the rules differ.
  if (!h17 && kRounds >= 1000000) {
    const std::string other = "H17";
    EXPECT_GT(KavoChiSquare(tally.m_All, KavoExactOdds().m_Rows.at(other + " all"), KAVO_DEALER_OUTCOMES, freedom),
              KavoChiSquareCritical(6));
    for (int32_t up : {0, 1, 2, 3, 5}) {
      const double chi =
          KavoChiSquare(tally.m_Up[static_cast<size_t>(up)],
                        KavoExactOdds().m_Rows.at(other + " up " + std::to_string(up)), KAVO_DEALER_OUTCOMES, freedom);
      EXPECT_GT(chi, KavoChiSquareCritical(freedom)) << "up rank " << up;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, KavoDealerOdds, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int32_t>& info) { return info.param ? "H17" : "S17"; });

TEST(KavoSideBetOdds, ThreeCardDealsFromFreshShoesMatchTheExactRows) {
  ASSERT_EQ(KavoExactOdds().m_Side.size(), 6u);
  const CKavoSeededRandom random(777);
  CDeck shoe;
  ASSERT_EQ(shoe.Init(6, KAVO_CARDS_PER_DECK), 1);
  const std::map<int32_t, size_t> row = {{0, 0}, {3, 1}, {30, 2}, {100, 3}, {500, 4}, {1500, 5}};
  std::array<int64_t, 6> counts{};
  for (int64_t i = 0; i < kRounds; ++i) {
    int32_t cards[3];
    for (int32_t& card : cards) card = shoe.GetCard();
    ++counts[row.at(KavoSideBetWin(cards, 3))];
    for (int32_t card : cards) ASSERT_EQ(shoe.AddCard(card), 1);
  }
  int32_t freedom = 0;
  const double chi = KavoChiSquare(counts, KavoExactOdds().m_Side, counts.size(), freedom);
  EXPECT_EQ(freedom, 5);
  EXPECT_LT(chi, KavoChiSquareCritical(5));
}
}  // namespace
