// Poker hands of up to seven cards ranked into a category and one comparable score, with a second
// number for the kickers: of two hands the one with the higher score wins, and on equal scores
// the one with the higher rest value.
#pragma once

#include <cstdint>

// One card: suit 0 to 3; value 0 ace, 1 two, ..., 9 ten, 10 jack, 11 queen, 12 king.
struct cardarray {
  int32_t m_Suit;
  int32_t m_Value;
};

// Hand categories, the result of HandCompare and BestHand's out-value.
enum EPokerHand : int32_t {
  POKER_NOTHING = 0,        // no pair, nothing above a ten
  POKER_HIGHCARD = 1,       // no pair, the highest card a jack or better
  POKER_PAIR = 2,
  POKER_TWOPAIRS = 3,
  POKER_THREE = 4,
  POKER_STRAIGHT = 5,
  POKER_FLUSH = 6,
  POKER_FULLHOUSE = 7,
  POKER_FOUR = 8,
  POKER_STRAIGHTFLUSH = 9,
  POKER_ROYALFLUSH = 10,
};

// The score of every hand of a category lies at or above its base and below the next one's.
inline constexpr int32_t kPokerScoreBase[11] = {0,         0x80000,   0x100000,  0x200000,
                                                0x400000,  0x800000,  0x1000000, 0x2000000,
                                                0x8000000, 0x10000000, 0x20000000};

class CPokerCalc {
 public:
  static constexpr int32_t MAX_CARDS = 7;

  CPokerCalc() = default;
  virtual ~CPokerCalc() = default;

  // Evaluates count cards and returns the score; category gets the hand's category. With
  // boardOnly non-zero only the cards at indexes 2 to 5 (those given) are in play. A count outside
  // 0 to 7, or a card outside suits 0-3 and values 0-12, gives category 0 and score 0 with no
  // card in play.
  int32_t BestHand(const cardarray* cards, int32_t count, int32_t& category, int32_t boardOnly);
  // The cards in play in their final order, the hand's cards first; returns their number.
  int32_t GetSortedCards(cardarray* out) const;
  // The kickers' weights of the last evaluation.
  int32_t GetRestValue() const { return m_RestValue; }
  int32_t GetScore() const { return m_Score; }
  // No names are kept.
  const char* HandName(int32_t) const { return nullptr; }

  // Ranks the cards in play (aces valued 13), reordering them hand first; sets the score and the
  // rest value and returns the category.
  virtual int32_t HandCompare();

 private:
  int32_t FlushHand(int32_t suited);
  int32_t PairedOrPlainHand();
  // The hand first (in its order), then every other card in play by value, higher first.
  void Arrange(cardarray* const* hand, int32_t handSize);
  void Kickers(int32_t category);

  int32_t m_Score = 0;
  int32_t m_RestValue = 0;
  cardarray m_Cards[MAX_CARDS] = {};
  cardarray* m_pOrder[MAX_CARDS] = {};
  int32_t m_NumInPlay = 0;
  int32_t m_NumGiven = 0;
};
