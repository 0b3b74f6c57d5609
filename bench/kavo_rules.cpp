// Blackjack rounds a second: the rules harness (the server table's shoe, totals, dealer rule,
// settlement and seat record) against a minimal simulator of the same rules written here with
// integer totals and std::mt19937, both from a fresh six-deck shoe each round and the same
// strategy table; and whole rounds of the server table, run by its own tick on the test clock
// with the protocol bot playing one or five seats over the in-process nodes (the database on a
// temporary folder), the rate to set beside the harness's.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <random>
#include <vector>

#include "kavobot.h"
#include "kavoprotocol.h"
#include "kavoserverkit.h"
#include "ostrel/crypto/random.h"
#include "ratioreporter.h"
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

// The test kit's process and table, set up and torn down around one benchmark run.
class CServerTableRun : public CKavoTableTest {
 public:
  // One player a seat, as a full table has them.
  explicit CServerTableRun(int32_t seats) {
    SetUp();
    std::vector<std::pair<int32_t, int32_t>> players;
    for (int32_t seat = 0; seat < seats; ++seat)
      players.emplace_back(seat, CreateMember(("rich" + std::to_string(seat)).c_str(), "100000000"));
    StartTable();
    m_pBot = std::make_unique<CKavoBot>(*m_pClientTable, players, 5);
    for (const auto& [seat, player] : players) Seat(seat, player);
  }
  ~CServerTableRun() override {
    m_pBot.reset();
    TearDown();
  }
  // Ticks until the bot sees the next round begin; false when the table fails.
  bool Round() {
    const int64_t rounds = m_pBot->Rounds();
    while (m_pBot->Rounds() == rounds) {
      if (m_pTable->ServerHandler() != 1) return false;
      m_pBot->Poll();
      m_Clock.Advance(500);
    }
    return true;
  }
  const CKavoBot& Bot() const { return *m_pBot; }
  void TestBody() override {}

 private:
  std::unique_ptr<CKavoBot> m_pBot;
};

// Arguments: the seats; 1 keeps the database in the memory folder, 0 on the disk, where every
// booking waits for the disk to confirm it.
void BM_ServerTable(benchmark::State& state) {
  const char* old = getenv("TMPDIR");
  const std::string kept = old ? old : "";
  if (state.range(1)) setenv("TMPDIR", "/dev/shm", 1);
  const std::unique_ptr<CServerTableRun> run = std::make_unique<CServerTableRun>(static_cast<int32_t>(state.range(0)));
  if (old) setenv("TMPDIR", kept.c_str(), 1);
  else unsetenv("TMPDIR");
  run->Round();  // past the first betting phase
  for (auto _ : state)
    if (!run->Round()) {
      state.SkipWithError("the table failed");
      break;
    }
  state.SetItemsProcessed(state.iterations());
  // Settled hands a round: that every seat played.
  state.counters["hands"] = static_cast<double>(run->Bot().Settlements()) / static_cast<double>(run->Bot().Rounds());
}
BENCHMARK(BM_ServerTable)
    ->ArgNames({"seats", "memory"})
    ->Args({1, 1})
    ->Args({5, 1})
    ->Args({1, 0})
    ->Args({5, 0})
    ->Unit(benchmark::kMicrosecond);
}  // namespace

// The medians side by side: the harness against the reference, the table against the harness;
// by the wall clock and by the processor time, which a loaded machine stretches less.
class CKavoReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.aggregate_name == "median")
        m_Medians[run.run_name.str()] = {run.GetAdjustedRealTime() * Nanoseconds(run),
                                         run.GetAdjustedCPUTime() * Nanoseconds(run)};
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (int clock = 0; clock < 2; ++clock) {
      const char* name = clock ? "processor time" : "wall clock";
      const double harness = Time("BM_Harness", clock), reference = Time("BM_Reference", clock);
      if (harness > 0 && reference > 0)
        std::printf("\n%s: harness %.0f rounds/s, reference %.0f rounds/s, harness round / reference round %.2f "
                    "(goal within 15)\n",
                    name, 1e9 / harness, 1e9 / reference, harness / reference);
      for (const char* seats : {"1", "5"})
        for (const char* memory : {"1", "0"}) {
          const double table = Time(std::string("BM_ServerTable/seats:") + seats + "/memory:" + memory, clock);
          if (table > 0 && harness > 0)
            std::printf("%s: server table, %s seat(s), database %s: %.0f rounds/s, %.5f of the harness's rate\n", name,
                        seats, *memory == '1' ? "in memory" : "on disk", 1e9 / table, harness / table);
        }
    }
  }

 private:
  static double Nanoseconds(const Run& run) {
    switch (run.time_unit) {
      case benchmark::kMicrosecond: return 1e3;
      case benchmark::kMillisecond: return 1e6;
      case benchmark::kSecond: return 1e9;
      default: return 1;
    }
  }
  double Time(const std::string& name, int clock) const {
    const auto at = m_Medians.find(name);
    return at == m_Medians.end() ? 0 : (clock ? at->second.second : at->second.first);
  }
  std::map<std::string, std::pair<double, double>> m_Medians;  // wall and processor nanoseconds a round
};

int main(int argc, char** argv) {
  CKavoReporter reporter;
  return xRunRepeatedBenchmarks(argc, argv, &reporter);
}
