#include "common/cards/pokercalc.h"

#include <algorithm>

namespace {
// Inside the evaluation an ace is worth 13, above the king; only the five-high straight turns it
// into 0 for a moment.
constexpr int32_t kAceHigh = 13;
constexpr int32_t kAceLow = 0;
// Full house: the three's weights count this many times the pair's.
constexpr int32_t kFullHouseThreeFactor = 3000;

using TCardRef = cardarray*;

int32_t Weight(const cardarray* c) { return int32_t(1) << c->m_Value; }

int32_t Weights(const TCardRef* cards, int32_t count) {
  int32_t sum = 0;
  for (int32_t i = 0; i < count; ++i) sum += Weight(cards[i]);
  return sum;
}

int32_t BySuit(const cardarray* c) { return c->m_Suit << 4 | c->m_Value; }
int32_t ByValue(const cardarray* c) { return c->m_Value << 2 | c->m_Suit; }

// Higher keys first; seven cards at most, so insertion is the quickest sort.
template <int32_t (*Key)(const cardarray*)>
void SortDown(TCardRef* cards, int32_t count) {
  for (int32_t i = 1; i < count; ++i) {
    TCardRef c = cards[i];
    const int32_t key = Key(c);
    int32_t j = i;
    for (; j > 0 && Key(cards[j - 1]) < key; --j) cards[j] = cards[j - 1];
    cards[j] = c;
  }
}

void SetAces(TCardRef* cards, int32_t count, int32_t from, int32_t to) {
  for (int32_t i = 0; i < count; ++i)
    if (cards[i]->m_Value == from) cards[i]->m_Value = to;
}

// Cards sorted by suit: the first suit with five cards or more goes first (its highest five
// leading); returns its number of cards, 0 when no suit has five.
int32_t TakeFlush(TCardRef* cards, int32_t count) {
  int32_t start = 0;
  for (int32_t i = 1; i <= count; ++i) {
    if (i < count && cards[i]->m_Suit == cards[start]->m_Suit) continue;
    if (i - start >= 5) {
      std::rotate(cards, cards + start, cards + i);
      return i - start;
    }
    start = i;
  }
  return 0;
}

// Cards of distinct values, higher first: the highest run of five values in a row goes first.
bool TakeStraight(TCardRef* cards, int32_t count) {
  int32_t steps = 0;
  for (int32_t j = 0; j + 1 < count; ++j) {
    if (cards[j]->m_Value != cards[j + 1]->m_Value + 1) {
      steps = 0;
    } else if (++steps == 4) {
      std::rotate(cards, cards + j - 3, cards + j + 2);
      return true;
    }
  }
  return false;
}

// The same, trying the ace below the two when the ace above the king makes none; weights gets the
// straight's weights (the low ace weighing 1). The aces are worth 13 again afterwards.
bool TakeStraightEitherAce(TCardRef* cards, int32_t count, int32_t& weights) {
  if (TakeStraight(cards, count)) {
    weights = Weights(cards, 5);
    return true;
  }
  SetAces(cards, count, kAceHigh, kAceLow);
  SortDown<ByValue>(cards, count);
  const bool found = TakeStraight(cards, count);
  if (found) weights = Weights(cards, 5);
  SetAces(cards, count, kAceLow, kAceHigh);
  return found;
}
}  // namespace

int32_t CPokerCalc::BestHand(const cardarray* cards, int32_t count, int32_t& category, int32_t boardOnly) {
  m_Score = m_RestValue = m_NumInPlay = m_NumGiven = 0;
  category = POKER_NOTHING;
  if (count < 0 || count > MAX_CARDS || (count > 0 && !cards)) return 0;
  for (int32_t i = 0; i < count; ++i)
    if (cards[i].m_Suit < 0 || cards[i].m_Suit > 3 || cards[i].m_Value < 0 || cards[i].m_Value > 12) return 0;
  for (int32_t i = 0; i < count; ++i) {
    m_Cards[i] = cards[i];
    if (m_Cards[i].m_Value == kAceLow) m_Cards[i].m_Value = kAceHigh;
  }
  m_NumGiven = count;
  const int32_t first = boardOnly ? 2 : 0;
  const int32_t end = boardOnly ? std::min(count, 6) : count;
  m_NumInPlay = std::max(0, end - first);
  for (int32_t i = 0; i < m_NumInPlay; ++i) m_pOrder[i] = &m_Cards[first + i];
  category = HandCompare();
  for (int32_t i = 0; i < count; ++i)
    if (m_Cards[i].m_Value == kAceHigh) m_Cards[i].m_Value = kAceLow;
  return m_Score;
}

int32_t CPokerCalc::GetSortedCards(cardarray* out) const {
  if (!out) return 0;
  for (int32_t i = 0; i < m_NumInPlay; ++i) out[i] = *m_pOrder[i];
  return m_NumInPlay;
}

int32_t CPokerCalc::HandCompare() {
  m_Score = m_RestValue = 0;
  if (m_NumInPlay <= 0) return POKER_NOTHING;
  SortDown<BySuit>(m_pOrder, m_NumInPlay);
  const int32_t suited = TakeFlush(m_pOrder, m_NumInPlay);
  const int32_t category = suited ? FlushHand(suited) : PairedOrPlainHand();
  Kickers(category);
  return category;
}

// Cards sorted by suit with the flush's suit first. A five-high straight flush is looked for among
// the suit's cards only, which is where sorting all the cards by suit again would find it.
int32_t CPokerCalc::FlushHand(int32_t suited) {
  TCardRef* const p = m_pOrder;
  int32_t weights = 0;
  if (TakeStraightEitherAce(p, suited, weights)) {
    const int32_t category = p[0]->m_Value == kAceHigh ? POKER_ROYALFLUSH : POKER_STRAIGHTFLUSH;
    m_Score = kPokerScoreBase[category] + weights;
    Arrange(p, 5);
    return category;
  }
  SortDown<BySuit>(p, m_NumInPlay);
  TakeFlush(p, m_NumInPlay);
  m_Score = kPokerScoreBase[POKER_FLUSH] + Weights(p, 5);
  Arrange(p, 5);
  return POKER_FLUSH;
}

int32_t CPokerCalc::PairedOrPlainHand() {
  TCardRef* const p = m_pOrder;
  const int32_t n = m_NumInPlay;
  SortDown<ByValue>(p, n);

  int32_t four = -1;
  for (int32_t i = 0; i + 3 < n; ++i)
    if (p[i]->m_Value == p[i + 3]->m_Value) four = i;
  if (four >= 0) {
    m_Score = kPokerScoreBase[POKER_FOUR] + Weights(p + four, 4);
    Arrange(p + four, 4);
    return POKER_FOUR;
  }

  TCardRef distinct[MAX_CARDS];
  int32_t numDistinct = 0;
  for (int32_t i = 0; i < n; ++i)
    if (i == 0 || p[i]->m_Value != p[i - 1]->m_Value) distinct[numDistinct++] = p[i];
  int32_t weights = 0;
  if (numDistinct >= 5 && TakeStraightEitherAce(distinct, numDistinct, weights)) {
    m_Score = kPokerScoreBase[POKER_STRAIGHT] + weights;
    Arrange(distinct, 5);
    return POKER_STRAIGHT;
  }

  int32_t threes[2], numThrees = 0;
  for (int32_t i = 0; i + 2 < n && numThrees < 2; ++i)
    if (p[i]->m_Value == p[i + 2]->m_Value) {
      threes[numThrees++] = i;
      i += 2;
    }
  if (numThrees > 0) {
    const int32_t three = threes[0];
    int32_t pair = numThrees == 2 ? threes[1] : -1;
    for (int32_t i = 0; pair < 0 && i + 1 < n; ++i)
      if ((i + 1 < three || i > three + 2) && p[i]->m_Value == p[i + 1]->m_Value) pair = i;
    if (pair < 0) {
      m_Score = kPokerScoreBase[POKER_THREE] + Weights(p + three, 3);
      Arrange(p + three, 3);
      return POKER_THREE;
    }
    const TCardRef hand[5] = {p[three], p[three + 1], p[three + 2], p[pair], p[pair + 1]};
    m_Score = kPokerScoreBase[POKER_FULLHOUSE] + kFullHouseThreeFactor * Weights(hand, 3) + Weights(hand + 3, 2);
    Arrange(hand, 5);
    return POKER_FULLHOUSE;
  }

  int32_t pairs[3], numPairs = 0;
  for (int32_t i = 0; i + 1 < n; ++i)
    if (p[i]->m_Value == p[i + 1]->m_Value) pairs[numPairs++] = i++;
  if (numPairs == 1) {
    m_Score = kPokerScoreBase[POKER_PAIR] + Weights(p + pairs[0], 2);
    Arrange(p + pairs[0], 2);
    return POKER_PAIR;
  }
  if (numPairs >= 2) {
    const TCardRef hand[4] = {p[pairs[0]], p[pairs[0] + 1], p[pairs[1]], p[pairs[1] + 1]};
    m_Score = kPokerScoreBase[POKER_TWOPAIRS] + Weights(hand, 4);
    Arrange(hand, 4);
    return POKER_TWOPAIRS;
  }

  // Jack or better: a value above the ten's 9.
  const int32_t category = p[0]->m_Value > 9 ? POKER_HIGHCARD : POKER_NOTHING;
  m_Score = kPokerScoreBase[category] + Weight(p[0]);
  return category;
}

void CPokerCalc::Arrange(cardarray* const* hand, int32_t handSize) {
  TCardRef order[MAX_CARDS];
  uint32_t taken = 0;
  for (int32_t i = 0; i < handSize; ++i) {
    order[i] = hand[i];
    taken |= 1u << (hand[i] - m_Cards);
  }
  int32_t k = handSize;
  for (int32_t i = 0; i < m_NumInPlay; ++i)
    if (!(taken & 1u << (m_pOrder[i] - m_Cards))) order[k++] = m_pOrder[i];
  SortDown<ByValue>(order + handSize, m_NumInPlay - handSize);
  std::copy(order, order + m_NumInPlay, m_pOrder);
}

void CPokerCalc::Kickers(int32_t category) {
  // The first kicker's place among the first five cards; none for the five-card hands.
  int32_t first;
  switch (category) {
    case POKER_NOTHING:
    case POKER_HIGHCARD: first = 1; break;
    case POKER_PAIR: first = 2; break;
    case POKER_THREE: first = 3; break;
    case POKER_TWOPAIRS:
    case POKER_FOUR: first = 4; break;
    default: return;
  }
  const int32_t last = std::min(m_NumInPlay, int32_t(5));
  for (int32_t i = first; i < last; ++i) m_RestValue += Weight(m_pOrder[i]);
}
