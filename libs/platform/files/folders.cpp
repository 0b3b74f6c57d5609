#include "platform/files/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/files/resolver.h"

namespace {
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool LessFolded(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(Fold(a[i])), y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names that differ in case only: a fixed order all the same
}
}  // namespace

std::string PlatformCurrentFolder() {
  std::string buf(256, '\0');
  for (;;) {
    if (getcwd(buf.data(), buf.size())) {
      buf.resize(std::char_traits<char>::length(buf.c_str()));
      return buf;
    }
    if (errno != ERANGE || buf.size() > (1u << 20)) return "";
    buf.resize(buf.size() * 2);
  }
}

bool PlatformSetCurrentFolder(const char* path) {
  if (!path || !*path) return false;
  return chdir(PlatformResolvePath(path).c_str()) == 0;
}

bool PlatformCanEnterFolder(const char* path) {
  if (!path || !*path) return false;
  int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (here < 0) return false;
  const bool entered = chdir(PlatformResolvePath(path).c_str()) == 0;
  const bool back = !entered || fchdir(here) == 0;
  close(here);
  return entered && back;
}

bool PlatformListFolder(const char* folder, std::vector<TFolderEntry>& out) {
  out.clear();
  if (!folder) return false;
  std::string dir = PlatformResolvePath(folder);
  if (dir.empty()) dir = ".";
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    if (std::string_view(e->d_name) == ".") continue;
    TFolderEntry entry;
    entry.m_Name = e->d_name;
    struct stat st;
    // Links count as what they lead to; a broken one as a file.
    entry.m_Folder = fstatat(dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    out.push_back(std::move(entry));
  }
  closedir(d);
  std::sort(out.begin(), out.end(), [](const TFolderEntry& a, const TFolderEntry& b) { return LessFolded(a.m_Name, b.m_Name); });
  return true;
}

uint64_t PlatformUnixToFileTime(int64_t seconds, uint32_t nanoseconds) {
  if (seconds < -kSecondsFrom1601To1970) return 0;
  return static_cast<uint64_t>(seconds + kSecondsFrom1601To1970) * 10000000u + nanoseconds / 100u;
}

bool PlatformFileWriteTime(const char* path, uint64_t& fileTime) {
  if (!path) return false;
  int fd = open(PlatformResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  const bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  close(fd);
  if (!ok) return false;
  fileTime = PlatformUnixToFileTime(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
  return true;
}

bool PlatformMakeFolderPath(const std::string& path, uint32_t mode) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PlatformMakeReadWrite(const char* path) {
  if (!path) return false;
  const std::string name = PlatformResolvePath(path);
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return false;
  return chmod(name.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
}
