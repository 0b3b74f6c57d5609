// CPokerCalc::BestHand over 10^6 seeded seven-card deals against a prime-product lookup evaluator
// (five-card tables, the best of the 21 five-card subsets), built here from its published
// description: each card a word with a one-hot rank bit, a one-hot suit nibble, the rank and the
// rank's prime; a five-card hand ranks by a flush table indexed by its rank bits, a table of
// five distinct ranks by the same bits, or else by a binary search for the product of its primes.
// Prints the load of the machine and the median ratio of five repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "common/cards/pokercalc.h"
#include "ratioreporter.h"

namespace {

constexpr int kDeals = 1000000;

// ---- the prime-product evaluator ----------------------------------------------------------------

constexpr uint32_t kPrimes[13] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41};  // deuce .. ace

// rank 0 (deuce) .. 12 (ace), suit 0..3.
uint32_t KevCard(int rank, int suit) {
  return (1u << (16 + rank)) | (0x1000u << suit) | uint32_t(rank) << 8 | kPrimes[rank];
}

class CPrimeProductEvaluator {
 public:
  CPrimeProductEvaluator() { Build(); }

  // 1 (royal flush) .. 7462 (seven-high); lower is better.
  uint16_t Eval5(uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, uint32_t c5) const {
    const uint32_t q = (c1 | c2 | c3 | c4 | c5) >> 16;
    if (c1 & c2 & c3 & c4 & c5 & 0xF000) return m_Flushes[q];
    if (const uint16_t s = m_Unique5[q]) return s;
    const uint32_t product = (c1 & 0xFF) * (c2 & 0xFF) * (c3 & 0xFF) * (c4 & 0xFF) * (c5 & 0xFF);
    const auto it = std::lower_bound(m_Products.begin(), m_Products.end(), product);
    return m_Values[size_t(it - m_Products.begin())];
  }

  uint16_t Eval7(const uint32_t* c) const {
    uint16_t best = 9999;
    for (int a = 0; a < 7; ++a)
      for (int b = a + 1; b < 7; ++b)
        for (int d = b + 1; d < 7; ++d)
          for (int e = d + 1; e < 7; ++e)
            for (int f = e + 1; f < 7; ++f) best = std::min(best, Eval5(c[a], c[b], c[d], c[e], c[f]));
    return best;
  }

 private:
  // A rank class: its five ranks (highest first) and whether suited; strength by the standard
  // ranking, as a tuple compared element by element.
  struct SClass {
    std::array<int, 5> ranks;
    bool suited;
    std::array<int, 6> strength;
  };

  static std::array<int, 6> Strength(std::array<int, 5> ranks, bool suited) {
    int count[13] = {};
    for (int r : ranks) ++count[r];
    // Groups ordered by size, then rank.
    std::vector<std::pair<int, int>> groups;
    for (int r = 12; r >= 0; --r)
      if (count[r]) groups.push_back({count[r], r});
    std::stable_sort(groups.begin(), groups.end(), [](auto a, auto b) { return a.first > b.first; });
    int top = -1;
    if (groups.size() == 5) {
      if (ranks[0] - ranks[4] == 4) top = ranks[0];
      if (ranks[0] == 12 && ranks[1] == 3) top = 3;  // the five-high straight
    }
    int category;
    if (top >= 0 && suited) category = 8;
    else if (groups[0].first == 4) category = 7;
    else if (groups[0].first == 3 && groups[1].first == 2) category = 6;
    else if (suited) category = 5;
    else if (top >= 0) category = 4;
    else if (groups[0].first == 3) category = 3;
    else if (groups[0].first == 2 && groups[1].first == 2) category = 2;
    else if (groups[0].first == 2) category = 1;
    else category = 0;
    std::array<int, 6> s{category, -1, -1, -1, -1, -1};
    if (top >= 0) {
      s[1] = top;
    } else {
      for (size_t i = 0; i < groups.size(); ++i) s[i + 1] = groups[i].second;
    }
    return s;
  }

  void Build() {
    std::vector<SClass> classes;
    for (int a = 12; a >= 0; --a)
      for (int b = a; b >= 0; --b)
        for (int c = b; c >= 0; --c)
          for (int d = c; d >= 0; --d)
            for (int e = d; e >= 0; --e) {
              if (a == e) continue;  // five of one rank
              const std::array<int, 5> r{a, b, c, d, e};
              const bool distinct = a > b && b > c && c > d && d > e;
              classes.push_back({r, false, Strength(r, false)});
              if (distinct) classes.push_back({r, true, Strength(r, true)});
            }
    std::sort(classes.begin(), classes.end(), [](const SClass& x, const SClass& y) { return x.strength > y.strength; });
    std::vector<std::pair<uint32_t, uint16_t>> products;
    for (size_t i = 0; i < classes.size(); ++i) {
      const SClass& k = classes[i];
      const uint16_t value = uint16_t(i + 1);
      uint32_t bits = 0, product = 1;
      for (int r : k.ranks) {
        bits |= 1u << r;
        product *= kPrimes[r];
      }
      const bool distinct = __builtin_popcount(bits) == 5;
      if (k.suited) m_Flushes[bits] = value;
      else if (distinct) m_Unique5[bits] = value;
      else products.push_back({product, value});
    }
    std::sort(products.begin(), products.end());
    for (const auto& [p, v] : products) {
      m_Products.push_back(p);
      m_Values.push_back(v);
    }
  }

  std::array<uint16_t, 7937> m_Flushes{};
  std::array<uint16_t, 7937> m_Unique5{};
  std::vector<uint32_t> m_Products;
  std::vector<uint16_t> m_Values;
};

// ---- the deals ----------------------------------------------------------------------------------

struct SDeals {
  std::vector<cardarray> ours;  // seven a deal
  std::vector<uint32_t> kev;
};

const SDeals& Deals() {
  static const SDeals deals = [] {
    SDeals d;
    std::mt19937 rng(2024);
    std::array<int, 52> deck;
    std::iota(deck.begin(), deck.end(), 0);
    for (int n = 0; n < kDeals; ++n) {
      for (int i = 0; i < 7; ++i) {
        std::swap(deck[i], deck[i + rng() % (52 - i)]);
        const int value = deck[i] / 4, suit = deck[i] % 4;  // value 0 the ace
        d.ours.push_back({suit, value});
        d.kev.push_back(KevCard(value == 0 ? 12 : value - 1, suit));
      }
    }
    return d;
  }();
  return deals;
}

void BestHand(benchmark::State& state) {
  const SDeals& d = Deals();
  CPokerCalc calc;
  for (auto _ : state) {
    int64_t sum = 0;
    for (int n = 0; n < kDeals; ++n) {
      int32_t category;
      sum += calc.BestHand(&d.ours[size_t(n) * 7], 7, category, 0) + category;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kDeals);
}

void PrimeProduct(benchmark::State& state) {
  const SDeals& d = Deals();
  static const CPrimeProductEvaluator eval;
  for (auto _ : state) {
    int64_t sum = 0;
    for (int n = 0; n < kDeals; ++n) sum += eval.Eval7(&d.kev[size_t(n) * 7]);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kDeals);
}

// Both evaluators must order every deal alike before their speed means anything.
bool SameOrder() {
  const SDeals& d = Deals();
  const CPrimeProductEvaluator eval;
  CPokerCalc calc;
  std::vector<std::pair<std::pair<int32_t, int32_t>, int>> ours(kDeals / 10);
  std::vector<std::pair<int, int>> kev(kDeals / 10);
  for (int n = 0; n < kDeals / 10; ++n) {
    int32_t category;
    const int32_t score = calc.BestHand(&d.ours[size_t(n) * 7], 7, category, 0);
    ours[n] = {{score, calc.GetRestValue()}, n};
    kev[n] = {-eval.Eval7(&d.kev[size_t(n) * 7]), n};
  }
  std::sort(ours.begin(), ours.end());
  std::sort(kev.begin(), kev.end());
  for (int n = 0; n + 1 < kDeals / 10; ++n) {
    const bool oursTie = ours[n].first == ours[n + 1].first;
    const int a = ours[n].second, b = ours[n + 1].second;
    const int ka = -eval.Eval7(&d.kev[size_t(a) * 7]), kb = -eval.Eval7(&d.kev[size_t(b) * 7]);
    if (oursTie ? ka != kb : ka >= kb) return false;
  }
  return true;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

BENCHMARK(BestHand)->Name("BestHand7/ostrel")->Unit(benchmark::kMillisecond);
BENCHMARK(PrimeProduct)->Name("BestHand7/primeproduct")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // Five repetitions unless the command line asks otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  static char repetitions[] = "--benchmark_repetitions=5";
  args.insert(args.begin() + 1, repetitions);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  argc = count;
  argv = args.data();
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SameOrder()) {
    std::fprintf(stderr, "the two evaluators order the deals differently\n");
    return 1;
  }
  std::printf("load before: %s\n", LoadAverage().c_str());
  CRatioReporter reporter("primeproduct", "<= 1.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("load after: %s\n", LoadAverage().c_str());
  benchmark::Shutdown();
  return 0;
}
