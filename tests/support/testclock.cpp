#include "support/testclock.h"

#include "platform/clock/clock.h"

namespace {
uint32_t g_Now = 0;
uint64_t g_Slept = 0;
uint32_t TestNow() { return g_Now; }
void TestSleep(uint32_t ms) {
  g_Now += ms;
  g_Slept += ms;
}
}  // namespace

CTestClock::CTestClock(uint32_t start) {
  g_Now = start;
  g_Slept = 0;
  PlatformSetClock(TestNow);
  PlatformSetSleep(TestSleep);
}

CTestClock::~CTestClock() {
  PlatformSetClock(nullptr);
  PlatformSetSleep(nullptr);
}

void CTestClock::Set(uint32_t now) { g_Now = now; }
void CTestClock::Advance(uint32_t ms) { g_Now += ms; }
uint32_t CTestClock::Now() const { return g_Now; }
uint64_t CTestClock::Slept() const { return g_Slept; }
