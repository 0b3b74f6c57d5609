// How the process is scheduled: a nice value under the ordinary policy, or the round-robin
// real-time policy. The scheduler is a seam so tests can see and refuse changes.
#pragma once

#include <cstdint>

struct TSchedule {
  bool m_RealTime = false;
  int32_t m_Nice = 0;  // -20 .. 19; not used while real-time
  bool operator==(const TSchedule&) const = default;
};

class CSchedulerBase {
 public:
  virtual ~CSchedulerBase() = default;
  virtual bool Get(TSchedule& out) = 0;
  // Applies to every thread of the process; false when the system refuses (an ordinary user may
  // lower the priority but not raise it).
  virtual bool Set(const TSchedule& schedule) = 0;
};

CSchedulerBase* PlatformScheduler();
// The caller keeps ownership; null restores the system's scheduler.
void PlatformSetScheduler(CSchedulerBase* scheduler);
