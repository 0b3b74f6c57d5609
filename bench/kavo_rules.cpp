// Blackjack rounds a second: the rules harness (the server table's shoe, totals, dealer rule,
// settlement and seat record) against a minimal simulator of the same rules written here with
// integer totals and std::mt19937, both from a fresh six-deck shoe each round and the same
// strategy table.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>

#include "kavoprotocol.h"
#include "ostrel/crypto/random.h"
#include "server/rulesharness.h"

namespace {
std::mt19937 g_HarnessRandom(7);
int HarnessSource(uint32_t& out) {
  out = static_cast<uint32_t>(g_HarnessRandom());
  return 1;
}

// The reference: ranks 0 (ace) to 9 (ten-value) counted in a fresh shoe.
class CReferenceBlackjack {
 public:
  int32_t Round() {
    m_Counts = {24, 24, 24, 24, 24, 24, 24, 24, 24, 96};
    m_Left = 312;
    const int32_t p1 = Draw(), p2 = Draw(), up = Draw(), hole = Draw();
    const bool dealerNatural = (up == 0 && hole == 9) || (up == 9 && hole == 0);
    const bool natural = (p1 == 0 && p2 == 9) || (p1 == 9 && p2 == 0);
    int32_t net = 0;
    SHand hands[2];
    int32_t count = 1;
    if (!dealerNatural && !natural) {
      if (p1 == p2 && CKavoRulesHarness::SplitsPair(p1, up)) {
        count = 2;
        hands[0] = Start(p1);
        hands[1] = Start(p2);
        for (int32_t h : {1, 0}) {
          Add(hands[h], Draw());
          if (p1 != 0) Play(hands[h], up);
        }
      } else {
        hands[0] = Start(p1);
        Add(hands[0], p2);
        Play(hands[0], up);
      }
    }
    SHand dealer = Start(up);
    Add(dealer, hole);
    while (Total(dealer) < 17) Add(dealer, Draw());
    if (dealerNatural) return natural ? 0 : -2;
    if (natural) return 3;
    const int32_t d = Total(dealer);
    for (int32_t h = 0; h < count; ++h) {
      const int32_t p = Total(hands[h]);
      int32_t r = -2;
      if (p <= 21) r = d > 21 || d < p ? 2 : d == p ? 0 : -2;
      net += r * hands[h].m_Multiple;
    }
    return net;
  }

 private:
  struct SHand {
    int32_t m_Hard = 0, m_Aces = 0, m_Cards = 0, m_Multiple = 1;
  };
  static SHand Start(int32_t rank) {
    SHand hand;
    Add(hand, rank);
    return hand;
  }
  static void Add(SHand& hand, int32_t rank) {
    hand.m_Hard += rank + 1;
    hand.m_Aces += rank == 0;
    ++hand.m_Cards;
  }
  static bool Soft(const SHand& hand) { return hand.m_Aces && hand.m_Hard + 10 <= 21; }
  static int32_t Total(const SHand& hand) { return Soft(hand) ? hand.m_Hard + 10 : hand.m_Hard; }
  int32_t Draw() {
    int32_t r = static_cast<int32_t>(m_Random() % static_cast<uint32_t>(m_Left));
    --m_Left;
    for (int32_t rank = 0;; ++rank) {
      r -= m_Counts[static_cast<size_t>(rank)];
      if (r < 0) {
        --m_Counts[static_cast<size_t>(rank)];
        return rank;
      }
    }
  }
  void Play(SHand& hand, int32_t up) {
    for (;;) {
      const int32_t hard = hand.m_Hard;
      if (hard > 21) return;
      const int32_t soft = hand.m_Aces ? hard + 10 : hard;
      const int32_t action = CKavoRulesHarness::Strategy(soft, hard, up, hand.m_Cards == 2);
      if (action == KAVO_ACTION_STAND) return;
      Add(hand, Draw());
      if (action == KAVO_ACTION_DOUBLE) {
        hand.m_Multiple = 2;
        return;
      }
    }
  }
  std::array<int32_t, 10> m_Counts{};
  int32_t m_Left = 0;
  std::mt19937 m_Random{7};
};

void BM_Harness(benchmark::State& state) {
  xSetRandSource(HarnessSource);
  CKavoRulesHarness harness({});
  int64_t net = 0;
  for (auto _ : state) {
    SKavoRoundResult result;
    harness.PlayRound(result);
    net += result.m_NetHalfUnits;
  }
  benchmark::DoNotOptimize(net);
  xSetRandSource(nullptr);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Harness);

void BM_Reference(benchmark::State& state) {
  CReferenceBlackjack reference;
  int64_t net = 0;
  for (auto _ : state) net += reference.Round();
  benchmark::DoNotOptimize(net);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Reference);
}  // namespace

BENCHMARK_MAIN();
