// A launcher for tests: records what would have started instead of starting it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/shell/launcher.h"

class CLaunchRecorder : public CLauncherBase {
 public:
  CLaunchRecorder() { PlatformSetLauncher(this); }
  ~CLaunchRecorder() override { PlatformSetLauncher(nullptr); }
  CLaunchRecorder(const CLaunchRecorder&) = delete;
  CLaunchRecorder& operator=(const CLaunchRecorder&) = delete;

  bool Start(const std::vector<std::string>& argv) override {
    m_Started.push_back(argv);
    return !argv.empty() && !m_Missing.count(argv[0]);
  }

  // Every start asked for, in order, the failed ones included.
  std::vector<std::vector<std::string>> m_Started;
  // Programs that act as if they were not installed.
  std::set<std::string> m_Missing;
};
