#include "platform/files/xdgfolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {
bool IsAbsolute(const char* v) { return v && v[0] == '/'; }

std::string FromEnv(const char* name, const char* fallbackBelowHome) {
  const char* v = std::getenv(name);
  if (IsAbsolute(v)) return v;
  return PlatformHomeFolder() + fallbackBelowHome;
}
}  // namespace

std::string PlatformHomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && IsAbsolute(pw->pw_dir)) return pw->pw_dir;
  return "/tmp";
}

std::string PlatformXdgConfigHome() { return FromEnv("XDG_CONFIG_HOME", "/.config"); }
std::string PlatformXdgDataHome() { return FromEnv("XDG_DATA_HOME", "/.local/share"); }

std::vector<std::string> PlatformXdgDataDirs() {
  std::vector<std::string> dirs;
  const char* v = std::getenv("XDG_DATA_DIRS");
  std::string list = v && *v ? v : "/usr/local/share:/usr/share";
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(':', pos);
    if (end == std::string::npos) end = list.size();
    std::string dir = list.substr(pos, end - pos);
    if (!dir.empty() && dir[0] == '/') dirs.push_back(dir);
    pos = end + 1;
  }
  if (dirs.empty()) dirs = {"/usr/local/share", "/usr/share"};
  return dirs;
}
