#include "ostrel/system/processes.h"

#include <unistd.h>

#include <algorithm>

#include "platform/process/scheduling.h"

namespace {
constexpr int32_t kIdleNice = 19;
constexpr int32_t kNormalNice = 0;
constexpr int32_t kHighNice = -10;

TSchedule ScheduleFor(int32_t p) {
  if (p <= 25) return {false, kIdleNice};
  if (p >= 90) return {true, 0};
  if (p < 65) return {false, kNormalNice};
  return {false, kHighNice};
}

int32_t ScaleOf(const TSchedule& s) {
  if (s.m_RealTime) return 90;
  if (s.m_Nice == kIdleNice) return 25;
  if (s.m_Nice == kHighNice) return 65;
  return 50;
}
}  // namespace

int32_t xGetProcessId() { return static_cast<int32_t>(getpid()); }
int32_t xGetThreadID() { return static_cast<int32_t>(gettid()); }

int32_t TryCreateNewProcess(int32_t& may, int32_t& reason) {
  may = 1;
  reason = 0;
  return 1;
}

int32_t xSetPriority(int32_t p) { return PlatformScheduler()->Set(ScheduleFor(p)) ? 1 : 0; }

int32_t xGetPriority(int32_t& p) {
  TSchedule s;
  if (!PlatformScheduler()->Get(s)) return 0;
  p = ScaleOf(s);
  return 1;
}

int32_t xIncPriority(int32_t n) {
  int32_t p = 0;
  if (!xGetPriority(p)) return 0;
  return xSetPriority(static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(p) + n, 0, 100)));
}

int32_t xDecPriority(int32_t n) {
  int32_t p = 0;
  if (!xGetPriority(p)) return 0;
  return xSetPriority(static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(p) - n, 0, 100)));
}
