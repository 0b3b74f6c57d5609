// Poker hands one by one: each category's score and kickers, the hand's cards put first, the
// board-only flag, hands of fewer than five cards, and refused input.
#include "common/cards/pokercalc.h"

#include <gtest/gtest.h>

#include "pokerhands.h"

namespace {
using pokertest::Cards;
using pokertest::Rank;

// Weights of the ranks inside the evaluation (the ace above the king).
constexpr int32_t A = 1 << 13, K = 1 << 12, Q = 1 << 11, J = 1 << 10, T = 1 << 9, N9 = 1 << 8, N8 = 1 << 7,
                  N7 = 1 << 6, N6 = 1 << 5, N5 = 1 << 4, N4 = 1 << 3, N3 = 1 << 2, N2 = 1 << 1;

// The ranks of the cards in play in their final order.
std::string SortedRanks(const CPokerCalc& calc) {
  cardarray out[7];
  const int32_t n = calc.GetSortedCards(out);
  std::string ranks;
  for (int32_t i = 0; i < n; ++i) ranks += "A23456789TJQK"[out[i].m_Value];
  return ranks;
}

struct SHandCase {
  const char* cards;
  int32_t boardOnly, category, score, rest;
  const char* sorted;
};

void PrintTo(const SHandCase& c, std::ostream* os) { *os << '"' << c.cards << (c.boardOnly ? "\" board only" : "\""); }

class PokerHands : public ::testing::TestWithParam<SHandCase> {};

TEST_P(PokerHands, ScoreKickersAndOrder) {
  const SHandCase& c = GetParam();
  const std::vector<cardarray> cards = Cards(c.cards);
  CPokerCalc calc;
  int32_t category = -1;
  EXPECT_EQ(calc.BestHand(cards.data(), int32_t(cards.size()), category, c.boardOnly), c.score);
  EXPECT_EQ(category, c.category);
  EXPECT_EQ(calc.GetRestValue(), c.rest);
  EXPECT_EQ(SortedRanks(calc), c.sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Categories, PokerHands,
    ::testing::Values(
        // The five-high straight: the ace weighs 1 there.
        SHandCase{"Ah 2s 3d 4c 5h", 0, POKER_STRAIGHT, 0x800000 + 31, 0, "5432A"},
        SHandCase{"Ah Ad 2s 3c 4h 5d Ks", 0, POKER_STRAIGHT, 0x800000 + 31, 0, "5432AAK"},
        SHandCase{"Ts Js Qs Ks As", 0, POKER_ROYALFLUSH, 0x20000000 + A + K + Q + J + T, 0, "AKQJT"},
        SHandCase{"As 2s 3s 4s 5s 9h Kd", 0, POKER_STRAIGHTFLUSH, 0x10000000 + 31, 0, "5432AK9"},
        SHandCase{"Ad 2d 3d 4d 5d 6c 7c", 0, POKER_STRAIGHTFLUSH, 0x10000000 + 31, 0, "5432A76"},
        SHandCase{"2d 3d 4d 5d 6d Ad", 0, POKER_STRAIGHTFLUSH, 0x10000000 + N6 + N5 + N4 + N3 + N2, 0, "65432A"},
        SHandCase{"9s 8s 7s 6s 5s Th Jd", 0, POKER_STRAIGHTFLUSH, 0x10000000 + N9 + N8 + N7 + N6 + N5, 0, "98765JT"},
        SHandCase{"8h 8d 8s 8c Kh Kd 2s", 0, POKER_FOUR, 0x8000000 + 4 * N8, K, "8888KK2"},
        // Two threes: the higher makes the three, two of the other the pair.
        SHandCase{"Kh Kd Ks Qh Qd Qs 2c", 0, POKER_FULLHOUSE, 0x2000000 + 3000 * 3 * K + 2 * Q, 0, "KKKQQQ2"},
        SHandCase{"7h 7d 7s 4c 4h 9d 9s", 0, POKER_FULLHOUSE, 0x2000000 + 3000 * 3 * N7 + 2 * N9, 0, "7779944"},
        SHandCase{"Ah Ad As Kc Kh", 0, POKER_FULLHOUSE, 0x2000000 + 3000 * 3 * A + 2 * K, 0, "AAAKK"},
        // Flushes take the suit's five highest, also over a straight of mixed suits.
        SHandCase{"2h 5h 7h 9h Jh Kh 3h", 0, POKER_FLUSH, 0x1000000 + K + J + N9 + N7 + N5, 0, "KJ97532"},
        SHandCase{"2h 5h 7h 9h Jh 8d 6c", 0, POKER_FLUSH, 0x1000000 + J + N9 + N7 + N5 + N2, 0, "J975286"},
        SHandCase{"9h 8d 7s 6c 5h 5d 2s", 0, POKER_STRAIGHT, 0x800000 + N9 + N8 + N7 + N6 + N5, 0, "9876552"},
        SHandCase{"4h 5d 6s 7c 8h 9d Ks", 0, POKER_STRAIGHT, 0x800000 + N9 + N8 + N7 + N6 + N5, 0, "98765K4"},
        SHandCase{"Qh Qd Qs 9c 4h 2d 7s", 0, POKER_THREE, 0x400000 + 3 * Q, N9 + N7, "QQQ9742"},
        SHandCase{"Kh Kd Qs Qc 2h 2d Ad", 0, POKER_TWOPAIRS, 0x200000 + 2 * K + 2 * Q, A, "KKQQA22"},
        SHandCase{"Kh Kd Qs Qc Jh Jd 2d", 0, POKER_TWOPAIRS, 0x200000 + 2 * K + 2 * Q, J, "KKQQJJ2"},
        SHandCase{"Th Td 4s 9c 2h", 0, POKER_PAIR, 0x100000 + 2 * T, N9 + N4 + N2, "TT942"},
        SHandCase{"Jh 9d 7s 4c 2h", 0, POKER_HIGHCARD, 0x80000 + J, N9 + N7 + N4 + N2, "J9742"},
        SHandCase{"Ah 9d 7s 4c 2h 3d 6s", 0, POKER_HIGHCARD, 0x80000 + A, N9 + N7 + N6 + N4, "A976432"},
        // No pair and nothing above a ten: the score is the highest card's weight.
        SHandCase{"2h 4d 6c 8s Th", 0, POKER_NOTHING, T, N8 + N6 + N4 + N2, "T8642"},
        // Board only: the third to the sixth card; the seventh's pair with the board is not made.
        SHandCase{"Ah Ad 9c 9d Kh 3s 3c", 1, POKER_PAIR, 0x100000 + 2 * N9, K + N3, "99K3"},
        SHandCase{"Ah Ad 9c 9d Kh 3s 3c", 0, POKER_TWOPAIRS, 0x200000 + 2 * A + 2 * N9, K, "AA99K33"},
        SHandCase{"Ah Ad 9c", 1, POKER_NOTHING, N9, 0, "9"},
        SHandCase{"Ah Ad", 1, POKER_NOTHING, 0, 0, ""},
        // Fewer than five cards.
        SHandCase{"Ah Ad", 0, POKER_PAIR, 0x100000 + 2 * A, 0, "AA"},
        SHandCase{"5h 5d 5s", 0, POKER_THREE, 0x400000 + 3 * N5, 0, "555"},
        SHandCase{"5h 5d 5s 5c", 0, POKER_FOUR, 0x8000000 + 4 * N5, 0, "5555"},
        SHandCase{"5h 5d Ks Kc", 0, POKER_TWOPAIRS, 0x200000 + 2 * K + 2 * N5, 0, "KK55"},
        SHandCase{"Qh 5d", 0, POKER_HIGHCARD, 0x80000 + Q, N5, "Q5"},
        SHandCase{"As", 0, POKER_HIGHCARD, 0x80000 + A, 0, "A"},
        SHandCase{"", 0, POKER_NOTHING, 0, 0, ""}));

TEST(PokerCalc, CategoriesStayApart) {
  // The strongest full house stays below the weakest four of a kind, and every base is a bound.
  CPokerCalc calc;
  const auto fullHouse = Cards("Ah Ad As Kc Kh"), four = Cards("2h 2d 2s 2c 3h");
  int32_t category;
  EXPECT_LT(calc.BestHand(fullHouse.data(), 5, category, 0), calc.BestHand(four.data(), 5, category, 0));
  for (int i = 1; i < 11; ++i) EXPECT_LT(kPokerScoreBase[i - 1], kPokerScoreBase[i]);
  EXPECT_EQ(calc.HandName(3), nullptr);
}

TEST(PokerCalc, RefusedInputRanksNothing) {
  const std::vector<cardarray> good = Cards("Ah Ad As Kc Kh 2c 3c");
  struct SCase {
    const char* what;
    std::vector<cardarray> cards;
    int32_t count;
  } cases[] = {
      {"negative count", good, -1},
      {"eight cards", [&] { auto c = good; c.push_back({0, 5}); return c; }(), 8},
      {"suit 4", [&] { auto c = good; c[3].m_Suit = 4; return c; }(), 7},
      {"suit -1", [&] { auto c = good; c[6].m_Suit = -1; return c; }(), 7},
      {"value 13", [&] { auto c = good; c[0].m_Value = 13; return c; }(), 7},
      {"value -1", [&] { auto c = good; c[2].m_Value = -1; return c; }(), 7},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    CPokerCalc calc;
    int32_t category = -1;
    ASSERT_GT(calc.BestHand(good.data(), 7, category, 0), 0);  // a hand first, to see it go
    EXPECT_EQ(calc.BestHand(c.cards.data(), c.count, category, 0), 0);
    EXPECT_EQ(category, POKER_NOTHING);
    EXPECT_EQ(calc.GetRestValue(), 0);
    cardarray out[8];
    EXPECT_EQ(calc.GetSortedCards(out), 0);
  }
  CPokerCalc calc;
  int32_t category = -1;
  EXPECT_EQ(calc.BestHand(nullptr, 3, category, 0), 0);
  EXPECT_EQ(category, POKER_NOTHING);
  EXPECT_EQ(calc.BestHand(nullptr, 0, category, 0), 0);
}

TEST(PokerCalc, TheCallersCardsStayAsGiven) {
  const std::vector<cardarray> cards = Cards("Ah Kd As 2c 3c 4c 5c");
  std::vector<cardarray> copy = cards;
  CPokerCalc calc;
  int32_t category;
  calc.BestHand(copy.data(), 7, category, 0);
  for (size_t i = 0; i < cards.size(); ++i) {
    EXPECT_EQ(copy[i].m_Suit, cards[i].m_Suit);
    EXPECT_EQ(copy[i].m_Value, cards[i].m_Value);
  }
  // The aces come back out as value 0.
  cardarray out[7];
  ASSERT_EQ(calc.GetSortedCards(out), 7);
  EXPECT_EQ(pokertest::Text(out, 7), "5c 4c 3c 2c Ah As Kd");
}

}  // namespace
