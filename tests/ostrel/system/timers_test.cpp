#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ostrel/system/timers.h"
#include "support/runtimefixture.h"

namespace {
class CCountingTimer : public CTimer {
 public:
  void TimerHandler(uint32_t period) override {
    m_Periods.push_back(period);
    if (m_OnCall) m_OnCall();
  }
  size_t Calls() const { return m_Periods.size(); }

  std::vector<uint32_t> m_Periods;
  std::function<void()> m_OnCall;
};

class Timers : public CRuntimeTest {
 protected:
  // One run of the timers after `ms` of clock time.
  void Run(uint32_t ms) {
    m_Clock.Advance(ms);
    xUpdateObjTimers();
  }
};
}  // namespace

TEST_F(Timers, CallsFollowElapsedTimeExactly) {
  CCountingTimer t;
  ASSERT_EQ(t.AddTimer(20), 1);
  Run(0);  // the first update only starts the timer's clock
  struct Step {
    uint32_t ms;
    size_t calls;
  } steps[] = {{15, 0}, {15, 1}, {15, 1}, {100, 5}, {5, 0}, {0, 0}, {19, 1}, {10, 0}, {1, 1}};
  size_t total = 0;
  for (const auto& s : steps) {
    Run(s.ms);
    total += s.calls;
    EXPECT_EQ(t.Calls(), total) << "after a pass of " << s.ms;
  }
  for (uint32_t p : t.m_Periods) EXPECT_EQ(p, 20u);
}

TEST_F(Timers, TimersKeepTheirOwnClocks) {
  CCountingTimer fast, slow;
  fast.AddTimer(10);
  slow.AddTimer(1000);
  slow.AddTimer(1000);  // the same pair twice is one timer
  Run(0);
  for (int i = 0; i < 200; ++i) Run(7);  // 1400 ms in passes of 7
  EXPECT_EQ(fast.Calls(), 140u);
  EXPECT_EQ(slow.Calls(), 1u);
}

TEST_F(Timers, OneObjectMayRunSeveralPeriods) {
  CCountingTimer t;
  t.AddTimer(20);
  t.AddTimer(1000);
  Run(0);
  Run(1000);
  EXPECT_EQ(t.Calls(), 51u);
  t.RemoveTimer(20);
  Run(1000);
  EXPECT_EQ(t.Calls(), 52u);
}

TEST_F(Timers, AHandlerThatRemovesItsOwnTimerGetsNoFurtherCall) {
  CCountingTimer t;
  t.AddTimer(10);
  t.m_OnCall = [&] { t.RemoveTimer(10); };
  Run(0);
  Run(100);
  EXPECT_EQ(t.Calls(), 1u);
  Run(100);
  EXPECT_EQ(t.Calls(), 1u);
}

TEST_F(Timers, AHandlerMayDeleteAnotherTimerObject) {
  CCountingTimer first;
  auto* second = new CCountingTimer;
  first.AddTimer(10);
  second->AddTimer(10);
  first.m_OnCall = [&] {
    delete second;  // its destructor removes its timers
    second = nullptr;
  };
  Run(0);
  Run(50);
  EXPECT_EQ(first.Calls(), 5u);
  EXPECT_EQ(second, nullptr);
}

TEST_F(Timers, TimersAddedDuringAPassStartInTheNextOne) {
  CCountingTimer outer, added;
  outer.AddTimer(10);
  outer.m_OnCall = [&] { added.AddTimer(10); };
  Run(0);
  Run(30);
  EXPECT_EQ(added.Calls(), 0u);
  Run(30);  // starts its clock only
  EXPECT_EQ(added.Calls(), 0u);
  Run(30);
  EXPECT_EQ(added.Calls(), 3u);
}

TEST_F(Timers, NoPeriodIsLostAcrossTheClockWrap) {
  CCountingTimer t;
  t.AddTimer(20);
  m_Clock.Set(0xFFFFFF00u);
  Run(0);
  // Passes of 16 ms from 0xFFFFFF00 land exactly on 0 after 16 of them.
  for (int i = 0; i < 50; ++i) Run(16);
  EXPECT_EQ(t.Calls(), 40u);
}

TEST_F(Timers, RemoveAllClearsPendingAndActive) {
  CCountingTimer t;
  t.AddTimer(10);
  Run(0);
  t.AddTimer(30);  // still pending
  t.RemoveAllTimers();
  Run(100);
  EXPECT_EQ(t.Calls(), 0u);
}

// A period of 0 would owe every pass an unbounded number of calls. The handler removes its timer
// after a bound, so that a loop that accepted one ends instead of hanging the suite.
TEST_F(Timers, PeriodsOfZeroAndBelowAreRefused) {
  for (const uint32_t period : {0u, static_cast<uint32_t>(-1), 0x80000000u}) {
    CCountingTimer t;
    t.m_OnCall = [&] {
      if (t.Calls() >= 1000) t.RemoveAllTimers();
    };
    EXPECT_EQ(xAddTimer(&t, period), 0) << period;
    EXPECT_EQ(t.AddTimer(period), 0) << period;
    Run(0);
    Run(10);
    EXPECT_EQ(t.Calls(), 0u) << period;
  }
  CCountingTimer longest;
  EXPECT_EQ(longest.AddTimer(0x7FFFFFFFu), 1);
}

TEST_F(Timers, DerivedPeriodsClampToTheAcceptedRange) {
  const struct {
    int64_t ms;
    uint32_t period;
  } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {20, 20}, {0x7FFFFFFF, 0x7FFFFFFFu}, {0x80000000LL, 0x7FFFFFFFu}, {INT64_MIN, 1}};
  for (const auto& c : cases) EXPECT_EQ(xClampTimerPeriod(c.ms), c.period) << c.ms;
}

TEST(TimersWithoutGlobals, RemovalsDoNothing) {
  CCountingTimer t;
  EXPECT_EQ(t.AddTimer(10), 0);
  t.RemoveTimer(10);
  xUpdateObjTimers();
}
