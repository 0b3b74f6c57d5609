// Helpers of the poker tests: cards from short texts, and the best five-card hand among more
// cards found by trying every five-card subset.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "common/cards/pokercalc.h"

namespace pokertest {

// "As Td 2c": rank A 2-9 T J Q K, suit s h d c (suits 0 to 3).
inline std::vector<cardarray> Cards(const std::string& text) {
  static const std::string kRanks = "A23456789TJQK", kSuits = "shdc";
  std::vector<cardarray> out;
  for (size_t i = 0; i + 1 < text.size(); i += 3)
    out.push_back({int32_t(kSuits.find(text[i + 1])), int32_t(kRanks.find(text[i]))});
  return out;
}

inline std::string Text(const cardarray* cards, int32_t count) {
  static const std::string kRanks = "A23456789TJQK", kSuits = "shdc";
  std::string out;
  for (int32_t i = 0; i < count; ++i) {
    if (i) out += ' ';
    out += kRanks[cards[i].m_Value];
    out += kSuits[cards[i].m_Suit];
  }
  return out;
}

// Card i of a deck of 52 (value i / 4, suit i % 4).
inline cardarray Card(int i) { return {i % 4, i / 4}; }

struct SRanked {
  int32_t category = 0, score = 0, rest = 0;
  auto Key() const { return std::tie(score, rest); }
  bool operator==(const SRanked& o) const {
    return category == o.category && score == o.score && rest == o.rest;
  }
};

inline SRanked Rank(CPokerCalc& calc, const cardarray* cards, int32_t count, int32_t boardOnly = 0) {
  SRanked r;
  r.score = calc.BestHand(cards, count, r.category, boardOnly);
  r.rest = calc.GetRestValue();
  return r;
}

// The strongest of the five-card subsets by (score, rest).
inline SRanked BestOfFives(CPokerCalc& calc, const cardarray* cards, int32_t count) {
  SRanked best;
  bool any = false;
  cardarray five[5];
  for (int a = 0; a < count; ++a)
    for (int b = a + 1; b < count; ++b)
      for (int c = b + 1; c < count; ++c)
        for (int d = c + 1; d < count; ++d)
          for (int e = d + 1; e < count; ++e) {
            five[0] = cards[a], five[1] = cards[b], five[2] = cards[c], five[3] = cards[d], five[4] = cards[e];
            const SRanked r = Rank(calc, five, 5);
            if (!any || best.Key() < r.Key()) best = r;
            any = true;
          }
  return best;
}

}  // namespace pokertest
