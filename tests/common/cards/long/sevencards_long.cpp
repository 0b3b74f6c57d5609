// Every seven-card deal: the number in each category against the published counts, and each
// deal's category against a classifier written here from the rank and suit counts alone. Built
// apart from the card suite and labelled "long"; under the sanitizers it takes a fixed sample of
// 10^6 deals spread evenly over the enumeration and checks the classifier only.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "common/cards/pokercalc.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSample = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSample = true;
#else
constexpr bool kSample = false;
#endif
#else
constexpr bool kSample = false;
#endif

constexpr int64_t kAllDeals = 133784560;
constexpr int64_t kSampleDeals = 1000000;

// The category by counting: ranks 0 (deuce) .. 12 (ace), a bit per rank with the ace also below
// the deuce for the five-high straight.
int32_t Classify(const cardarray* cards, int count) {
  int rankCount[13] = {}, suitCount[4] = {};
  uint32_t ranks = 0, suitRanks[4] = {};
  for (int i = 0; i < count; ++i) {
    const int rank = cards[i].m_Value == 0 ? 12 : cards[i].m_Value - 1;
    ++rankCount[rank];
    ++suitCount[cards[i].m_Suit];
    ranks |= 1u << rank;
    suitRanks[cards[i].m_Suit] |= 1u << rank;
  }
  // The top rank of the highest straight in a rank set, -1 when none.
  auto straightTop = [](uint32_t set) {
    const uint32_t withLowAce = set << 1 | (set >> 12 & 1);  // bit 0 the low ace, bit r + 1 rank r
    for (int top = 13; top >= 4; --top)
      if ((withLowAce >> (top - 4) & 0x1F) == 0x1F) return top - 1;
    return -1;
  };
  for (int s = 0; s < 4; ++s)
    if (suitCount[s] >= 5) {
      const int top = straightTop(suitRanks[s]);
      if (top == 12) return POKER_ROYALFLUSH;
      if (top >= 0) return POKER_STRAIGHTFLUSH;
    }
  int fours = 0, threes = 0, pairs = 0;
  for (int c : rankCount) {
    fours += c == 4;
    threes += c == 3;
    pairs += c == 2;
  }
  if (fours) return POKER_FOUR;
  if (threes >= 2 || (threes && pairs)) return POKER_FULLHOUSE;
  for (int s = 0; s < 4; ++s)
    if (suitCount[s] >= 5) return POKER_FLUSH;
  if (straightTop(ranks) >= 0) return POKER_STRAIGHT;
  if (threes) return POKER_THREE;
  if (pairs >= 2) return POKER_TWOPAIRS;
  if (pairs) return POKER_PAIR;
  return ranks >= 1u << 9 ? POKER_HIGHCARD : POKER_NOTHING;  // a jack (rank 9) or better
}

TEST(SevenCards, EveryDealCountsAsPublished) {
  const int64_t stride = kSample ? kAllDeals / kSampleDeals : 1;
  std::array<int64_t, 11> perCategory{};
  int64_t dealt = 0, checked = 0, wrong = 0;
  CPokerCalc calc;
  cardarray cards[7];
  int c[7];
  for (c[0] = 0; c[0] < 52; ++c[0])
    for (c[1] = c[0] + 1; c[1] < 52; ++c[1])
      for (c[2] = c[1] + 1; c[2] < 52; ++c[2])
        for (c[3] = c[2] + 1; c[3] < 52; ++c[3])
          for (c[4] = c[3] + 1; c[4] < 52; ++c[4])
            for (c[5] = c[4] + 1; c[5] < 52; ++c[5])
              for (c[6] = c[5] + 1; c[6] < 52; ++c[6]) {
                if (dealt++ % stride != 0 || checked == (kSample ? kSampleDeals : kAllDeals)) continue;
                ++checked;
                for (int i = 0; i < 7; ++i) cards[i] = {c[i] % 4, c[i] / 4};
                int32_t category;
                calc.BestHand(cards, 7, category, 0);
                ++perCategory[size_t(category)];
                if (category != Classify(cards, 7) && wrong++ < 5)
                  ADD_FAILURE() << "deal " << dealt - 1 << ": category " << category << ", counted "
                                << Classify(cards, 7);
              }
  EXPECT_EQ(dealt, kAllDeals);
  EXPECT_EQ(wrong, 0);
  if (kSample) {
    EXPECT_EQ(checked, kSampleDeals);
    return;
  }
  const std::array<int64_t, 11> published{279720,  23294460 - 279720, 58627800, 31433400, 6461620, 6180020,
                                          4047644, 3473184,            224848,   37260,    4324};
  EXPECT_EQ(perCategory, published);
}

}  // namespace
