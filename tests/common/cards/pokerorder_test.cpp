// Every five-card deal ranked against an independent evaluator (tests/tools/poker_ranks.py and
// its committed output), and seven-card deals against the best of their five-card subsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "common/cards/pokercalc.h"
#include "pokerhands.h"
#include "support/tables.h"
#include "support/tempdir.h"

namespace {
using pokertest::Card;
using pokertest::Rank;
using pokertest::SRanked;

const std::string kOracle = VORRIN_TEST_TOOLS_DIR "/poker_ranks.txt";

// A class of hands: its ranks (2 to 14, the ace 14) highest first, and whether it is suited.
int32_t ClassKey(const int32_t* ranksDown, bool suited) {
  int32_t key = suited;
  for (int i = 0; i < 5; ++i) key = key * 15 + ranksDown[i];
  return key;
}
constexpr int32_t kKeys = 2 * 15 * 15 * 15 * 15 * 15;

int32_t HandKey(const cardarray* five) {
  int32_t ranks[5];
  bool suited = true;
  for (int i = 0; i < 5; ++i) {
    ranks[i] = five[i].m_Value == 0 ? 14 : five[i].m_Value + 1;
    suited = suited && five[i].m_Suit == five[0].m_Suit;
  }
  std::sort(ranks, ranks + 5, std::greater<int32_t>());
  return ClassKey(ranks, suited);
}

struct SOracleClass {
  int32_t category, deals;
};

// The classes weakest first, and the index of every class key (-1 for none).
struct SOracle {
  std::vector<SOracleClass> classes;
  std::vector<int32_t> index = std::vector<int32_t>(kKeys, -1);
};

SOracle LoadOracle() {
  SOracle o;
  for (const TTableRow& row : ReadTable(kOracle)) {
    if (row.size() != 4) continue;
    int32_t ranks[5];
    std::istringstream in(row[1]);
    for (int32_t& r : ranks) in >> r;
    o.index[ClassKey(ranks, row[2] == "1")] = int32_t(o.classes.size());
    o.classes.push_back({std::stoi(row[0]), std::stoi(row[3])});
  }
  return o;
}

TEST(PokerOrder, TheCommittedOracleIsWhatItsScriptWrites) {
  CTempDir dir;
  const std::string out = dir.File("ranks.txt");
  const std::string command = "python3 '" VORRIN_TEST_TOOLS_DIR "/poker_ranks.py' '" + out + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string written = ReadWholeFile(out);
  EXPECT_FALSE(written.empty());
  EXPECT_TRUE(written == ReadWholeFile(kOracle));
}

TEST(PokerOrder, EveryFiveCardDealRanksAsTheIndependentEvaluator) {
  const SOracle oracle = LoadOracle();
  ASSERT_EQ(oracle.classes.size(), 7462u);
  std::vector<SRanked> byClass(oracle.classes.size());
  std::vector<int32_t> deals(oracle.classes.size());
  std::vector<int64_t> perCategory(11);
  std::set<std::pair<int32_t, int32_t>> distinct;
  CPokerCalc calc;
  cardarray five[5];
  int64_t mismatches = 0;
  for (int a = 0; a < 52; ++a)
    for (int b = a + 1; b < 52; ++b)
      for (int c = b + 1; c < 52; ++c)
        for (int d = c + 1; d < 52; ++d)
          for (int e = d + 1; e < 52; ++e) {
            five[0] = Card(a), five[1] = Card(b), five[2] = Card(c), five[3] = Card(d), five[4] = Card(e);
            const SRanked r = Rank(calc, five, 5);
            const int32_t i = oracle.index[HandKey(five)];
            ASSERT_GE(i, 0) << pokertest::Text(five, 5);
            if (deals[i]++ == 0) {
              byClass[i] = r;
              distinct.insert({r.score, r.rest});
            } else if (!(byClass[i] == r) && mismatches++ < 5) {
              ADD_FAILURE() << "one class, two ranks: " << pokertest::Text(five, 5);
            }
            ++perCategory[r.category];
          }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(perCategory, (std::vector<int64_t>{123420, 1179120, 1098240, 123552, 54912, 10200, 5108, 3744, 624,
                                               36, 4}));
  EXPECT_EQ(distinct.size(), 7462u);
  for (size_t i = 0; i < oracle.classes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(deals[i], oracle.classes[i].deals);
    EXPECT_EQ(byClass[i].category, oracle.classes[i].category);
    if (i > 0) {
      EXPECT_LT(byClass[i - 1].Key(), byClass[i].Key());
    }
  }
}

// Deals of count cards from a seeded shuffle; each must rank as its best five-card subset, and
// its first five sorted cards alone must rank the same.
void CheckAgainstSubsets(int32_t count, int32_t deals, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int> deck(52);
  for (int i = 0; i < 52; ++i) deck[i] = i;
  CPokerCalc calc, check;
  int64_t failures = 0;
  for (int32_t n = 0; n < deals && failures < 5; ++n) {
    cardarray cards[7];
    for (int32_t i = 0; i < count; ++i) {
      std::swap(deck[i], deck[i + rng() % (52 - i)]);
      cards[i] = Card(deck[i]);
    }
    const SRanked r = Rank(calc, cards, count);
    const SRanked best = pokertest::BestOfFives(check, cards, count);
    cardarray sorted[7];
    const int32_t inPlay = calc.GetSortedCards(sorted);
    const SRanked front = Rank(check, sorted, 5);
    std::multiset<std::pair<int, int>> given, back;
    for (int32_t i = 0; i < count; ++i) {
      given.insert({cards[i].m_Suit, cards[i].m_Value});
      back.insert({sorted[i].m_Suit, sorted[i].m_Value});
    }
    if (!(r == best) || !(front == r) || inPlay != count || given != back) {
      ++failures;
      ADD_FAILURE() << pokertest::Text(cards, count) << ": " << r.category << "/" << r.score << "/" << r.rest
                    << ", best five " << best.category << "/" << best.score << "/" << best.rest << ", sorted "
                    << pokertest::Text(sorted, inPlay);
    }
  }
}

// The sanitizers slow the evaluation some fifty times; they take a tenth of the deals.
#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t kSampleDeals = 100000;
#else
constexpr int32_t kSampleDeals = 1000000;
#endif

TEST(PokerOrder, SevenCardDealsRankAsTheirBestFive) { CheckAgainstSubsets(7, kSampleDeals, 7); }

TEST(PokerOrder, SixCardDealsRankAsTheirBestFive) { CheckAgainstSubsets(6, kSampleDeals / 10, 6); }

}  // namespace
