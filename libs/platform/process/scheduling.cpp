#include "platform/process/scheduling.h"

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {
constexpr int kRealTimePriority = 1;  // above every ordinary process, below the system's own

std::vector<pid_t> Threads() {
  std::vector<pid_t> tids;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') tids.push_back(static_cast<pid_t>(std::atoi(e->d_name)));
    closedir(d);
  }
  if (tids.empty()) tids.push_back(0);
  return tids;
}

class CLinuxScheduler : public CSchedulerBase {
 public:
  bool Get(TSchedule& out) override {
    const int policy = sched_getscheduler(0);
    if (policy < 0) return false;
    out.m_RealTime = policy == SCHED_RR || policy == SCHED_FIFO;
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (nice == -1 && errno) return false;
    out.m_Nice = nice;
    return true;
  }

  // Nice values and policies belong to threads on Linux; the process's class is all of them.
  bool Set(const TSchedule& s) override {
    bool ok = true;
    for (pid_t tid : Threads()) {
      sched_param param{};
      if (s.m_RealTime) {
        param.sched_priority = kRealTimePriority;
        ok = sched_setscheduler(tid, SCHED_RR, &param) == 0 && ok;
        continue;
      }
      if (sched_getscheduler(tid) != SCHED_OTHER) ok = sched_setscheduler(tid, SCHED_OTHER, &param) == 0 && ok;
      ok = setpriority(PRIO_PROCESS, static_cast<id_t>(tid), s.m_Nice) == 0 && ok;
    }
    return ok;
  }
};

CLinuxScheduler g_Linux;
CSchedulerBase* g_Scheduler = &g_Linux;
}  // namespace

CSchedulerBase* PlatformScheduler() { return g_Scheduler; }
void PlatformSetScheduler(CSchedulerBase* scheduler) { g_Scheduler = scheduler ? scheduler : &g_Linux; }
