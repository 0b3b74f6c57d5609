#include "platform/clock/clock.h"

#include <ctime>

namespace {
uint32_t SystemClockNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void SystemSleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

TPlatformClockFunc g_Clock = SystemClockNow;
TPlatformSleepFunc g_Sleep = SystemSleep;
}  // namespace

uint32_t PlatformClockNow() { return g_Clock(); }
void PlatformSleep(uint32_t ms) { g_Sleep(ms); }
void PlatformSetClock(TPlatformClockFunc now) { g_Clock = now ? now : SystemClockNow; }
void PlatformSetSleep(TPlatformSleepFunc sleep) { g_Sleep = sleep ? sleep : SystemSleep; }
