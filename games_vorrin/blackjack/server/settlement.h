// The outcome of one blackjack hand against the dealer: the gross return and the condition the
// clients show. Pure, so that the seat's settlement and the round simulations share one rule.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"

// A hand's total as settlement compares it: a soft 21 stays 21 (a natural when two cards and not
// split), a soft total above 21 falls back to the hard total, any other soft total stands.
struct SKavoHandTotal {
  int32_t m_Total;
  int32_t m_Natural;
};
SKavoHandTotal KavoNormaliseTotal(int32_t soft, int32_t hard, int32_t count, int32_t split);

struct SKavoOutcome {
  CHugeFixedPoint<10, 10> m_Gross;  // what the hand returns, stake included
  int32_t m_Condition;              // EKavoWinCondition
};
// natural beats anything but a dealer natural (2.5 x bet; push against one); a standing hand
// beats a bust or lower dealer (2 x bet) and pushes an equal one; everything else loses.
SKavoOutcome KavoSettleHand(const SKavoHandTotal& player, const SKavoHandTotal& dealer,
                            const CHugeFixedPoint<10, 10>& bet);

// The "KavoPlayerWin" amount: the gross return less the bet, never below 0.
CHugeFixedPoint<10, 10> KavoNetWin(const SKavoOutcome& outcome, const CHugeFixedPoint<10, 10>& bet);

// The side bet's net win in units for a seat's first three cards (fewer count the missing ones
// as no seven): a seven first 3; two sevens 30, or 100 of one code; three sevens 500, or 1500 of
// one code; a first card that is no seven 0.
int32_t KavoSideBetWin(const int32_t* cards, int32_t count);
