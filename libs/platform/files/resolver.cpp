#include "platform/files/resolver.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i)
    if (b[i] == 0 || FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return b[i] == 0;
}

bool NameExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The entry of dir that equals name without regard to case; the byte-wise smallest when several
// do, so the choice never depends on the order the folder lists them in.
bool FindNoCase(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (dirent* e = readdir(d)) {
    if (!EqualNoCase(name, e->d_name)) continue;
    if (!any || std::strcmp(e->d_name, found.c_str()) < 0) found = e->d_name;
    any = true;
  }
  closedir(d);
  return any;
}

}  // namespace

std::string PlatformNormalizePath(const char* path) {
  std::string out;
  if (!path) return out;
  const char* p = path;
  char first = FoldAscii(p[0]);
  if (first >= 'a' && first <= 'z' && p[1] == ':') p += 2;
  for (; *p; ++p) {
    char c = *p == '\\' ? '/' : *p;
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

std::string PlatformResolvePath(const char* path) {
  std::string norm = PlatformNormalizePath(path);
  if (norm.empty() || NameExists(norm)) return norm;

  std::string result = norm[0] == '/' ? "/" : "";
  bool matching = true;
  size_t pos = 0;
  while (pos < norm.size()) {
    size_t end = norm.find('/', pos);
    if (end == std::string::npos) end = norm.size();
    std::string comp = norm.substr(pos, end - pos);
    pos = end + 1;
    if (comp.empty()) continue;
    std::string candidate = Join(result, comp);
    if (matching && comp != "." && comp != ".." && !NameExists(candidate)) {
      std::string found;
      if (FindNoCase(result, comp, found))
        candidate = Join(result, found);
      else
        matching = false;  // nothing below a missing component can exist
    }
    result = candidate;
  }
  if (norm.back() == '/' && !result.empty() && result.back() != '/') result += '/';
  return result;
}

FILE* PlatformOpenFile(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  std::string name = PlatformResolvePath(path);
  if (name.empty()) return nullptr;
  std::string m = std::string(mode) + "e";  // close-on-exec
  FILE* f = fopen(name.c_str(), m.c_str());
  if (!f) return nullptr;
  struct stat st;
  if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    fclose(f);
    errno = EISDIR;
    return nullptr;
  }
  return f;
}

int32_t PlatformFileExists(const char* path) {
  if (!path) return 0;
  std::string name = PlatformResolvePath(path);
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st;
  bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular ? 1 : 0;
}

int32_t PlatformFolderExists(const char* path) {
  if (!path) return 0;
  struct stat st;
  return stat(PlatformResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int32_t PlatformPathExists(const char* path) {
  return path && NameExists(PlatformResolvePath(path)) ? 1 : 0;
}

int32_t PlatformFileWritable(const char* path) {
  if (!path) return 0;
  std::string name = PlatformResolvePath(path);
  struct stat st;
  if (stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return (st.st_mode & S_IWUSR) && access(name.c_str(), W_OK) == 0 ? 1 : 0;
}

int32_t PlatformDeleteFile(const char* path) {
  if (!path) return 0;
  return unlink(PlatformResolvePath(path).c_str()) == 0 ? 1 : 0;
}

int32_t PlatformRenameNoReplace(const char* oldPath, const char* newPath) {
  if (!oldPath || !newPath) return 0;
  std::string from = PlatformResolvePath(oldPath);
  std::string to = PlatformResolvePath(newPath);
  if (from.empty() || to.empty()) return 0;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 1;
  if (errno != EINVAL && errno != ENOSYS) return 0;
  // File systems without the no-replace flag: a hard link fails when the target exists.
  if (link(from.c_str(), to.c_str()) == 0) return unlink(from.c_str()) == 0 ? 1 : 0;
  if (errno == EEXIST || NameExists(to)) return 0;
  return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int32_t PlatformMakeFolder(const char* path) {
  if (!path) return 0;
  std::string name = PlatformResolvePath(path);
  if (name.empty()) return 0;
  if (mkdir(name.c_str(), 0777) == 0) return 1;
  struct stat st;
  return errno == EEXIST && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int32_t PlatformWriteFileReplacing(const char* path, const void* data, uint32_t n) {
  if (!path || (!data && n)) return 0;
  std::string target = PlatformResolvePath(path);
  if (target.empty() || target.back() == '/') return 0;
  std::vector<char> temp(target.begin(), target.end());
  const char suffix[] = ".tmp-XXXXXX";
  temp.insert(temp.end(), suffix, suffix + sizeof suffix);
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return 0;
  mode_t mask = umask(0);
  umask(mask);
  struct stat old;
  mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
  bool ok = fchmod(fd, mode) == 0;
  const char* p = static_cast<const char*>(data);
  for (uint32_t left = n; ok && left;) {
    ssize_t w = write(fd, p, left);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false;
    else {
      p += w;
      left -= static_cast<uint32_t>(w);
    }
  }
  ok = ok && fdatasync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.data(), target.c_str()) == 0;
  if (!ok) unlink(temp.data());
  return ok ? 1 : 0;
}

int32_t PlatformSameFile(const char* a, const char* b) {
  if (!a || !b) return 0;
  struct stat sa, sb;
  if (stat(PlatformResolvePath(a).c_str(), &sa) != 0 || stat(PlatformResolvePath(b).c_str(), &sb) != 0) return 0;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
}

int32_t PlatformTruncateFile(const char* path, uint64_t size) {
  if (!path || size > static_cast<uint64_t>(INT64_MAX)) return 0;
  return truncate(PlatformResolvePath(path).c_str(), static_cast<off_t>(size)) == 0 ? 1 : 0;
}

namespace {
// The real path (every link resolved) of an existing name; empty when it has none.
std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string result = real;
  free(real);
  return result;
}

bool IsBelow(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}
}  // namespace

int32_t PlatformStaysInsideFolder(const char* folder, const char* name) {
  if (!name) return 0;
  const std::string base = folder && *folder ? PlatformResolvePath(folder) : std::string(".");
  const std::string norm = PlatformNormalizePath(name);
  if (norm.empty() || norm[0] == '/') return 0;
  const std::string root = RealPath(base);
  // A folder that is still to be made holds nothing yet: only the name's own form counts.
  if (root.empty()) {
    for (size_t pos = 0; pos <= norm.size();) {
      size_t end = norm.find('/', pos);
      if (end == std::string::npos) end = norm.size();
      if (norm.compare(pos, end - pos, "..") == 0 && end - pos == 2) return 0;
      pos = end + 1;
    }
    return NameExists(base) ? 0 : 1;
  }
  std::string prefix = base;
  for (size_t pos = 0; pos < norm.size();) {
    size_t end = norm.find('/', pos);
    if (end == std::string::npos) end = norm.size();
    const std::string comp = norm.substr(pos, end - pos);
    pos = end + 1;
    if (comp.empty() || comp == ".") continue;
    if (comp == "..") return 0;
    const std::string next = PlatformResolvePath(Join(prefix, comp).c_str());
    struct stat st;
    // Nothing below a missing part exists: what is made there is made inside.
    if (lstat(next.c_str(), &st) != 0) return 1;
    if (S_ISLNK(st.st_mode) && !IsBelow(RealPath(next), root)) return 0;
    prefix = next;
  }
  return 1;
}
