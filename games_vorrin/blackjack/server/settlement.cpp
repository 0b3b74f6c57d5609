#include "settlement.h"

#include "kavoprotocol.h"

SKavoHandTotal KavoNormaliseTotal(int32_t soft, int32_t hard, int32_t count, int32_t split) {
  if (soft == 21) return {21, count == 2 && !split ? 1 : 0};
  if (soft > 21) return {hard, 0};
  return {soft, 0};
}

SKavoOutcome KavoSettleHand(const SKavoHandTotal& player, const SKavoHandTotal& dealer,
                            const CHugeFixedPoint<10, 10>& bet) {
  using TMoney = CHugeFixedPoint<10, 10>;
  static const TMoney kNaturalPays("2.5");
  if (player.m_Natural) {
    if (dealer.m_Natural) return {bet, KAVO_WIN_PUSH};
    return {bet * kNaturalPays, KAVO_WIN_NATURAL};
  }
  if (player.m_Total <= 21 && !dealer.m_Natural) {
    // The sum is the exact double, without a digit-by-digit product on every won hand.
    if (dealer.m_Total > 21 || dealer.m_Total < player.m_Total) return {bet + bet, KAVO_WIN_WON};
    if (dealer.m_Total == player.m_Total) return {bet, KAVO_WIN_PUSH};
  }
  return {TMoney(), KAVO_WIN_LOST};
}

CHugeFixedPoint<10, 10> KavoNetWin(const SKavoOutcome& outcome, const CHugeFixedPoint<10, 10>& bet) {
  CHugeFixedPoint<10, 10> net = outcome.m_Gross - bet;
  return net.IsNegative() ? CHugeFixedPoint<10, 10>() : net;
}

int32_t KavoSideBetWin(const int32_t* cards, int32_t count) {
  const auto seven = [&](int32_t i) { return cards && i < count && KavoCardRank(cards[i]) == KAVO_RANK_SEVEN; };
  if (!seven(0)) return 0;
  if (!seven(1)) return 3;
  const bool twoEqual = cards[0] == cards[1];
  if (!seven(2)) return twoEqual ? 100 : 30;
  return twoEqual && cards[1] == cards[2] ? 1500 : 500;
}
