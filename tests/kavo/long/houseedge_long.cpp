// The house edge of the blackjack rules, measured with the rules harness over ten million rounds
// per rule set and set against the published figures; the edge of each authored limits script is
// printed. Under the sanitizers the runs are shorter and the bounds widen with them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "kavoprotocol.h"
#include "ostrel/resources/resdata.h"
#include "kavo/server/seededrandom.h"
#include "server/rulesharness.h"

namespace {
constexpr int64_t kRounds = KavoTestRounds(10000000, 200000);


struct SEdge {
  double m_Edge;  // the player's loss per initial bet
  double m_StandardError;
};

SEdge Measure(const SKavoRules& rules, uint32_t seed) {
  const CKavoSeededRandom random(seed);
  CKavoRulesHarness harness(rules);
  int64_t net = 0;
  double squares = 0;
  for (int64_t i = 0; i < kRounds; ++i) {
    SKavoRoundResult result;
    if (!harness.PlayRound(result)) break;
    net += result.m_NetHalfUnits;
    squares += 0.25 * result.m_NetHalfUnits * result.m_NetHalfUnits;
  }
  const double mean = 0.5 * static_cast<double>(net) / static_cast<double>(kRounds);
  return {-mean, std::sqrt((squares / static_cast<double>(kRounds) - mean * mean) / static_cast<double>(kRounds))};
}

TEST(KavoHouseEdge, SixDecksStandAndHitSoft17MatchThePublishedFigures) {
  struct SCase {
    const char* m_Name;
    int32_t m_H17;
    double m_Published;
  } const cases[] = {{"S17", 0, 0.0045}, {"H17", 1, 0.0066}};
  for (const SCase& c : cases) {
    SKavoRules rules;
    rules.m_DrawOnSoft17 = c.m_H17;
    const SEdge edge = Measure(rules, 17 + c.m_H17);
    printf("six decks %s: house edge %.3f %% +- %.3f %% over %lld rounds\n", c.m_Name, 100 * edge.m_Edge,
           100 * edge.m_StandardError, static_cast<long long>(kRounds));
    EXPECT_NEAR(edge.m_Edge, c.m_Published, 3 * edge.m_StandardError) << c.m_Name;
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(KavoHouseEdge, EachLimitsScriptsEdgeIsPrinted) {
  struct STable {
    const char* m_Script;
    int32_t m_Decks;
  } const tables[] = {{"kavo_limits.xrs", 6}, {"kavo_ss_limits.xrs", 6}, {"kavo_onedeck_limits.xrs", 1}};
  for (const STable& t : tables) {
    const std::string text = ReadFile(std::string(VORRIN_KAVO_DATA) + "/" + t.m_Script);
    ASSERT_FALSE(text.empty()) << t.m_Script;
    CResData limits;
    ASSERT_EQ(limits.Import(text.c_str()), 1) << t.m_Script;
    ASSERT_EQ(limits.EnterDataChunk(), 1);
    SKavoRules rules;
    rules.m_Decks = t.m_Decks;
    limits.GetItem("DRAWONSOFT17", KBOOL, &rules.m_DrawOnSoft17, KEND);
    limits.GetItem("TRIPLESEVENENABLED", KBOOL, &rules.m_TripleSeven, KEND);
    uint32_t count = 0;
    if (limits.GetItem("VALIDDOUBLESUMSCOUNT", KULONG, &count, KEND) && count > 0) {
      rules.m_DoubleSums.resize(count);
      ASSERT_EQ(limits.GetItem("VALIDDOUBLESUMS", KULONGARRAY, static_cast<int32_t>(count), rules.m_DoubleSums.data(),
                               KEND),
                1);
    }
    const SEdge edge = Measure(rules, 1000 + t.m_Decks);
    printf("%s (%d deck%s, %s, doubles %s, triple seven %s): house edge %.3f %% +- %.3f %%\n", t.m_Script,
           t.m_Decks, t.m_Decks == 1 ? "" : "s", rules.m_DrawOnSoft17 ? "H17" : "S17",
           rules.m_DoubleSums.empty() ? "any two" : "10 and 11", rules.m_TripleSeven ? "on" : "off",
           100 * edge.m_Edge, 100 * edge.m_StandardError);
    // Every table keeps an edge for the house.
    EXPECT_GT(edge.m_Edge, 0.0) << t.m_Script;
  }
}
}  // namespace
