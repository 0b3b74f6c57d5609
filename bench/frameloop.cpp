// One pass of the frame loop with 100 object timers due and 100 bus receivers, as a screen's page
// flip would drive them. The pass does not wait (no minimum frame time).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "ostrel/system/frameloop.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/timers.h"
#include "platform/clock/clock.h"

namespace {
uint32_t g_Now = 1000;
uint32_t BenchNow() { return g_Now; }

class CTicker : public CTimer {
 public:
  void TimerHandler(uint32_t) override { benchmark::DoNotOptimize(++m_Calls); }
  uint64_t m_Calls = 0;
};

class CReceiver : public CMsgSys {
 public:
  int32_t MsgHandler(uint32_t, TMsgParam a, TMsgParam) override {
    benchmark::DoNotOptimize(m_Sum += a);
    return 0;
  }
  int64_t m_Sum = 0;
};

void BM_HandlerPass(benchmark::State& state) {
  PlatformSetClock(BenchNow);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCreateGlobals();
  xInit();
  SetMinimumFrameTime(0);
  SetUpdateTime(20);
  std::vector<std::unique_ptr<CTicker>> timers;
  std::vector<std::unique_ptr<CReceiver>> receivers;
  for (int i = 0; i < 100; ++i) {
    timers.push_back(std::make_unique<CTicker>());
    timers.back()->AddTimer(1);
    receivers.push_back(std::make_unique<CReceiver>());
    xRegisterMsgHandler(receivers.back().get(), 2, i % 7);
  }
  xHandler();
  for (auto _ : state) {
    ++g_Now;  // every timer is due once per pass
    xSendMsg(2, 1, 0);
    benchmark::DoNotOptimize(xHandler());
  }
  state.counters["timer_calls_per_pass"] =
      static_cast<double>(timers[0]->m_Calls) / static_cast<double>(state.iterations());
  timers.clear();
  receivers.clear();
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  PlatformSetClock(nullptr);
}
BENCHMARK(BM_HandlerPass);
}  // namespace

BENCHMARK_MAIN();
