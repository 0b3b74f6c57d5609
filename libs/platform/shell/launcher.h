// Starts the programs that the shell functions hand work to (other programs of the system, the
// desktop's opener, a browser). Never through a shell: each argument reaches the program as given.
#pragma once

#include <string>
#include <vector>

class CLauncherBase {
 public:
  virtual ~CLauncherBase() = default;
  // argv[0] is a path, or a bare name looked up on PATH. true when the program started; its end
  // is not waited for.
  virtual bool Start(const std::vector<std::string>& argv) = 0;
};

// The launcher in use: the system's posix_spawn one unless a test installed another.
CLauncherBase* PlatformLauncher();
// The caller keeps ownership; null restores the system's launcher.
void PlatformSetLauncher(CLauncherBase* launcher);
