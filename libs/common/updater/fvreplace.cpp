#include "common/updater/fvreplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "ostrel/base/xstring.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"

namespace {
mode_t DefaultMode(const std::string& target) {
  const mode_t mask = umask(0);
  umask(mask);
  return (FVExtension(target.c_str()) ? 0666 : 0777) & ~mask;
}

bool Flush(const std::string& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fdatasync(fd) == 0;
  return close(fd) == 0 && ok;
}

// The resolved name of a target whose folders have been made; empty when they cannot be.
std::string PrepareTarget(const char* target) {
  if (!target || !*target || !xCreateDirsForFile(target)) return {};
  std::string resolved = PlatformResolvePath(target);
  return resolved.empty() || resolved.back() == '/' ? std::string() : resolved;
}
}  // namespace

const char* FVExtension(const char* name) {
  if (!name) return nullptr;
  const char* dot = nullptr;
  for (const char* p = name; *p; ++p) {
    if (*p == '.') dot = p;
    else if (*p == '/' || *p == '\\') dot = nullptr;
  }
  return dot ? dot + 1 : nullptr;
}

bool FVIsCode(const char* name) {
  const char* ext = FVExtension(name);
  return !ext || xStricmp(ext, "dll") == 0 || xStricmp(ext, "exe") == 0 || xStricmp(ext, "so") == 0;
}

bool FVIsCheckedOnDisk(const char* name) {
  const char* ext = FVExtension(name);
  return FVIsCode(name) || (ext && xStricmp(ext, "xrs") == 0);
}

std::string FVJoin(const char* folder, const char* name) {
  std::string path = folder ? folder : "";
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + (name ? name : "");
}

int32_t FVFinishFile(const std::string& file, const std::string& target) {
  struct stat st;
  const mode_t mode = stat(target.c_str(), &st) == 0 ? ((st.st_mode & 07777) | S_IWUSR) : DefaultMode(target);
  return chmod(file.c_str(), mode) == 0 && Flush(file) ? 1 : 0;
}

CFVReplacement::~CFVReplacement() {
  if (m_Pending) unlink(m_Temp.c_str());
}

int32_t CFVReplacement::Begin(const char* target) {
  if (m_Pending) return 0;
  m_Target = PrepareTarget(target);
  if (m_Target.empty()) return 0;
  const size_t slash = m_Target.find_last_of('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  // Hidden, beside the target, so the final rename stays on one file system.
  std::string pattern = m_Target.substr(0, base) + "." + m_Target.substr(base) + ".new-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return 0;
  close(fd);
  m_Temp = name.data();
  m_Pending = true;
  return 1;
}

int32_t CFVReplacement::Commit() {
  if (!m_Pending) return 0;
  m_Pending = false;
  if (FVFinishFile(m_Temp, m_Target) && rename(m_Temp.c_str(), m_Target.c_str()) == 0) return 1;
  unlink(m_Temp.c_str());
  return 0;
}

int32_t FVMoveOver(const char* finished, const char* target) {
  if (!finished || !xFileExists(finished)) return 0;
  const std::string from = PlatformResolvePath(finished);
  const std::string to = PrepareTarget(target);
  if (to.empty()) return 0;
  if (!FVFinishFile(from, to)) return 0;
  if (rename(from.c_str(), to.c_str()) == 0) return 1;
  if (errno != EXDEV) return 0;
  CFVReplacement copy;
  if (!copy.Begin(to.c_str()) || !xCopyFile(copy.TempPath(), from.c_str()) || !copy.Commit()) return 0;
  unlink(from.c_str());
  return 1;
}
