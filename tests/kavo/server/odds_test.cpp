// The dealer's outcomes and the side bet's rows of the rules harness and the real shoe, against
// the exact odds Python's fractions give (tests/tools/dealer_odds.py), by a chi-square test at
// the 0.1 % level.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/cards/deck.h"
#include "kavoprotocol.h"
#include "server/rulesharness.h"
#include "seededrandom.h"
#include "server/settlement.h"
#include "support/pyoracle.h"

namespace {
constexpr int64_t kRounds = KavoTestRounds(1000000, 100000);
// The chi-square's 0.1 % critical values by degrees of freedom.
const std::map<int32_t, double> kCritical = {{5, 20.515}, {6, 22.458}};


using TRow = std::array<double, KAVO_DEALER_OUTCOMES>;
struct SOdds {
  std::map<std::string, TRow> m_Rows;  // "S17 all", "H17 up 3", ...
  std::vector<double> m_Side;
};

double Fraction(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::stod(text);
  return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
}

const SOdds& Odds() {
  static const SOdds odds = [] {
    SOdds out;
    for (const std::string& line : RunPythonTool("dealer_odds.py", "6\n")) {
      std::istringstream in(line);
      std::vector<std::string> words;
      for (std::string w; in >> w;) words.push_back(w);
      if (words.empty()) continue;
      if (words[0] == "SIDE") {
        for (size_t i = 1; i < words.size(); ++i) out.m_Side.push_back(Fraction(words[i]));
        continue;
      }
      const size_t first = words[1] == "up" ? 3 : 2;
      std::string key = words[0] + " " + words[1] + (first == 3 ? " " + words[2] : "");
      TRow row{};
      for (size_t i = 0; i < row.size() && first + i < words.size(); ++i) row[i] = Fraction(words[first + i]);
      out.m_Rows[key] = row;
    }
    return out;
  }();
  return odds;
}

// The statistic over the classes with a chance above 0, and their number less one.
template <class TCounts, class TExpected>
double ChiSquare(const TCounts& counts, const TExpected& expected, size_t classes, int32_t& freedom) {
  double total = 0;
  for (size_t i = 0; i < classes; ++i) total += static_cast<double>(counts[i]);
  double chi = 0;
  freedom = -1;
  for (size_t i = 0; i < classes; ++i) {
    if (expected[i] <= 0) {
      EXPECT_EQ(counts[i], 0) << "class " << i << " cannot occur";
      continue;
    }
    const double e = expected[i] * total;
    chi += (static_cast<double>(counts[i]) - e) * (static_cast<double>(counts[i]) - e) / e;
    ++freedom;
  }
  return chi;
}

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
  ASSERT_EQ(Odds().m_Rows.size(), 22u) << "the oracle's output";
  const STally tally = Tally(h17, 4242 + static_cast<uint32_t>(h17));
  int32_t freedom = 0;
  const double all = ChiSquare(tally.m_All, Odds().m_Rows.at(rule + " all"), KAVO_DEALER_OUTCOMES, freedom);
  EXPECT_EQ(freedom, 6);
  EXPECT_LT(all, kCritical.at(6)) << rule << " overall";
  for (int32_t up = 0; up < 10; ++up) {
    const double chi = ChiSquare(tally.m_Up[static_cast<size_t>(up)], Odds().m_Rows.at(rule + " up " + std::to_string(up)),
                                 KAVO_DEALER_OUTCOMES, freedom);
    EXPECT_EQ(freedom, up == 0 || up == 9 ? 6 : 5) << up;
    EXPECT_LT(chi, kCritical.at(freedom)) << rule << " up rank " << up;
  }
  // The other rule's expectation is seen to be wrong where the rules differ.
  if (!h17 && kRounds >= 1000000) {
    const std::string other = "H17";
    EXPECT_GT(ChiSquare(tally.m_All, Odds().m_Rows.at(other + " all"), KAVO_DEALER_OUTCOMES, freedom), kCritical.at(6));
    for (int32_t up : {0, 1, 2, 3, 5}) {
      const double chi = ChiSquare(tally.m_Up[static_cast<size_t>(up)],
                                   Odds().m_Rows.at(other + " up " + std::to_string(up)), KAVO_DEALER_OUTCOMES, freedom);
      EXPECT_GT(chi, kCritical.at(freedom)) << "up rank " << up;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, KavoDealerOdds, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int32_t>& info) { return info.param ? "H17" : "S17"; });

TEST(KavoSideBetOdds, ThreeCardDealsFromFreshShoesMatchTheExactRows) {
  ASSERT_EQ(Odds().m_Side.size(), 6u);
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
  const double chi = ChiSquare(counts, Odds().m_Side, counts.size(), freedom);
  EXPECT_EQ(freedom, 5);
  EXPECT_LT(chi, kCritical.at(5));
}
}  // namespace
