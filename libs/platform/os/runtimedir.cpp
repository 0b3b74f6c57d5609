#include "platform/os/runtimedir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsFolder(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Another user could have made the folder first and would then see (or replace) our objects.
// Our own folder that others may enter is closed to them.
bool MakePrivate(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return false;
  return (st.st_mode & 077) == 0 || chmod(path.c_str(), 0700) == 0;
}

bool SafeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

}  // namespace

std::string PlatformRuntimeFolder() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg && xdg[0] == '/' && IsFolder(xdg)) return xdg;

  std::string path = "/tmp/vorrin-" + std::to_string(getuid());
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return MakePrivate(path) ? path : std::string();
}

std::string PlatformRuntimeObjectPath(const char* name, const char* suffix, size_t maxLength) {
  if (!name || !name[0]) return {};
  if (std::strncmp(name, "Global\\", 7) == 0)
    name += 7;
  else if (std::strncmp(name, "Local\\", 6) == 0)
    name += 6;
  if (!name[0]) return {};

  std::string file;
  for (const char* p = name; *p; ++p) {
    // A name made only of dots would be "." or "..".
    if (SafeChar(*p) && !(*p == '.' && p == name)) {
      file += *p;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(*p));
      file += hex;
    }
  }
  if (suffix) file += suffix;
  if (file.size() > 240) return {};

  std::string folder = PlatformRuntimeFolder();
  if (folder.empty()) return {};
  std::string path = folder + "/" + file;
  return path.size() > maxLength ? std::string() : path;
}
