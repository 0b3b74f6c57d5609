// The rules harness: the strategy table's corners, and a short run whose house edge and dealer
// bust rate sit where the published figures put them.
#include <gtest/gtest.h>

#include <cmath>

#include "kavoprotocol.h"
#include "seededrandom.h"
#include "server/rulesharness.h"

namespace {

TEST(KavoRulesHarness, TheStrategyTable) {
  using H = CKavoRulesHarness;
  constexpr int32_t A = 0, T = 9;
  struct SCase {
    int32_t m_Soft, m_Hard, m_Up, m_CanDouble, m_Action;
  } const cases[] = {
      {9, 9, 2, 1, KAVO_ACTION_DOUBLE},    {9, 9, 1, 1, KAVO_ACTION_HIT},      {10, 10, 8, 1, KAVO_ACTION_DOUBLE},
      {10, 10, T, 1, KAVO_ACTION_HIT},     {11, 11, T, 1, KAVO_ACTION_DOUBLE}, {11, 11, A, 1, KAVO_ACTION_HIT},
      {11, 11, 5, 0, KAVO_ACTION_HIT},     {12, 12, 3, 1, KAVO_ACTION_STAND},  {12, 12, 1, 1, KAVO_ACTION_HIT},
      {16, 16, 5, 1, KAVO_ACTION_STAND},   {16, 16, 6, 1, KAVO_ACTION_HIT},    {17, 17, A, 1, KAVO_ACTION_STAND},
      {13, 3, 5, 1, KAVO_ACTION_DOUBLE},   {13, 3, 4, 1, KAVO_ACTION_HIT},     {16, 6, 3, 1, KAVO_ACTION_DOUBLE},
      {17, 7, 2, 1, KAVO_ACTION_DOUBLE},   {18, 8, 2, 1, KAVO_ACTION_DOUBLE},  {18, 8, 2, 0, KAVO_ACTION_STAND},
      {18, 8, 1, 1, KAVO_ACTION_STAND},    {18, 8, 8, 1, KAVO_ACTION_HIT},     {18, 8, A, 1, KAVO_ACTION_HIT},
      {19, 9, 5, 1, KAVO_ACTION_STAND},    {26, 16, 5, 1, KAVO_ACTION_STAND},  {26, 16, 6, 1, KAVO_ACTION_HIT},
  };
  for (const SCase& c : cases)
    EXPECT_EQ(H::Strategy(c.m_Soft, c.m_Hard, c.m_Up, c.m_CanDouble), c.m_Action)
        << c.m_Soft << "/" << c.m_Hard << " against rank " << c.m_Up;
  struct SPair {
    int32_t m_Pair, m_Up, m_Splits;
  } const pairs[] = {{A, A, 1}, {7, T, 1}, {1, 6, 1}, {1, 7, 0}, {3, 4, 1}, {3, 3, 0}, {8, 6, 0},
                     {8, 7, 1}, {8, A, 0}, {4, 5, 0}, {T, 5, 0}, {5, 1, 1}, {5, 6, 0}};
  for (const SPair& p : pairs) EXPECT_EQ(H::SplitsPair(p.m_Pair, p.m_Up), p.m_Splits) << p.m_Pair << " " << p.m_Up;
}

TEST(KavoRulesHarness, AShortRunLandsNearThePublishedEdge) {
  const CKavoSeededRandom random(20240611);
  constexpr int64_t kRounds = KavoTestRounds(200000, 20000);
  CKavoRulesHarness harness({});
  int64_t net = 0, busts = 0;
  double squares = 0;
  for (int32_t i = 0; i < kRounds; ++i) {
    SKavoRoundResult result;
    ASSERT_EQ(harness.PlayRound(result), 1);
    net += result.m_NetHalfUnits;
    squares += 0.25 * result.m_NetHalfUnits * result.m_NetHalfUnits;
    busts += result.m_DealerOutcome == KAVO_DEALER_BUST;
  }
  const double mean = 0.5 * static_cast<double>(net) / kRounds;
  const double se = std::sqrt((squares / kRounds - mean * mean) / kRounds);
  EXPECT_NEAR(mean, -0.0045, 4 * se);
  // A six-deck S17 dealer busts about 28.4 % of the time when played out every round.
  EXPECT_NEAR(static_cast<double>(busts) / kRounds, 0.284, 0.01);
}
}  // namespace
