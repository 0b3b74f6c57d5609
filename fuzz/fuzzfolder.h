// What the fuzz targets that need a working folder share: a crash on a broken expectation, and
// a fresh folder under /tmp made the working folder and removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

inline void FuzzCheck(bool ok) {
  if (!ok) __builtin_trap();
}

// Makes a folder from the template (ending in XXXXXX), enters it, and removes it at exit. Once
// per process.
inline void FuzzEnterTempFolder(const char* pattern) {
  static char folder[256];
  snprintf(folder, sizeof folder, "%s", pattern);
  FuzzCheck(mkdtemp(folder) != nullptr && chdir(folder) == 0);
  atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
}
