#include "platform/shell/launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>

extern char** environ;

namespace {
class CSpawnLauncher : public CLauncherBase {
 public:
  bool Start(const std::vector<std::string>& argv) override {
    ReapFinished();
    if (argv.empty() || argv[0].empty()) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The child starts with default signal handling (this process ignores SIGPIPE), an empty
    // mask, and a process group of its own, so it outlives signals aimed at ours.
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) return false;
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return false;
    m_Children.push_back(pid);
    return true;
  }

 private:
  // Children are never waited for; their exit status is collected at the next start so they do
  // not linger as zombies.
  void ReapFinished() {
    std::erase_if(m_Children, [](pid_t pid) {
      int status = 0;
      return waitpid(pid, &status, WNOHANG) != 0;
    });
  }

  std::vector<pid_t> m_Children;
};

CSpawnLauncher g_SpawnLauncher;
CLauncherBase* g_Launcher = &g_SpawnLauncher;
}  // namespace

CLauncherBase* PlatformLauncher() { return g_Launcher; }
void PlatformSetLauncher(CLauncherBase* launcher) { g_Launcher = launcher ? launcher : &g_SpawnLauncher; }
