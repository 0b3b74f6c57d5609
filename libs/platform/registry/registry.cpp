#include "platform/registry/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/files/folders.h"
#include "platform/files/resolver.h"
#include "platform/files/xdgfolders.h"

namespace {
constexpr int kLockAttempts = 2500;  // 2 ms apart: five seconds
constexpr long kLockPauseNs = 2000000;

// Reads the whole file; a missing file gives an empty text.
bool ReadFile(const std::string& path, std::string& text) {
  text.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() + static_cast<size_t>(n) > XREG_MAX_FILE) ok = false;
    if (n <= 0 || !ok) break;
    text.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return ok;
}

// Temporary files of writers that died before renaming them; only called under the lock, when
// no writer can be busy.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* d = opendir(folder.c_str());
  if (!d) return;
  const std::string prefix = "registry.txt.tmp-";
  while (dirent* e = readdir(d))
    if (std::string(e->d_name).starts_with(prefix)) unlinkat(dirfd(d), e->d_name, 0);
  closedir(d);
}

// An open-file-description lock: released when the holder closes it or dies.
class CFolderLock {
 public:
  explicit CFolderLock(const std::string& folder) {
    m_Fd = open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_Fd < 0) return;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    for (int i = 0; i < kLockAttempts; ++i) {
      if (fcntl(m_Fd, F_OFD_SETLK, &fl) == 0) {
        m_Held = true;
        return;
      }
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) return;
      timespec pause{0, kLockPauseNs};
      nanosleep(&pause, nullptr);
    }
  }
  ~CFolderLock() {
    if (m_Fd >= 0) close(m_Fd);
  }
  CFolderLock(const CFolderLock&) = delete;
  CFolderLock& operator=(const CFolderLock&) = delete;
  bool Held() const { return m_Held; }

 private:
  int m_Fd = -1;
  bool m_Held = false;
};
}  // namespace

std::string PlatformRegistryFolder(ERegistryRoot root) {
  const std::string base = PlatformXdgConfigHome() + "/vorrin/registry/";
  switch (root) {
    case XREG_CURRENT_USER: return base + "user";
    case XREG_LOCAL_MACHINE: return base + "machine";
  }
  return "";
}

bool PlatformRegistryRead(ERegistryRoot root, CRegistryTree& tree) {
  const std::string folder = PlatformRegistryFolder(root);
  std::string text;
  tree = CRegistryTree();
  return !folder.empty() && ReadFile(folder + "/registry.txt", text) && tree.Parse(text);
}

bool PlatformRegistryChange(ERegistryRoot root, const std::function<bool(CRegistryTree&)>& edit) {
  const std::string folder = PlatformRegistryFolder(root);
  if (folder.empty() || !PlatformMakeFolderPath(folder, 0700)) return false;
  CFolderLock lock(folder);
  if (!lock.Held()) return false;
  const std::string file = folder + "/registry.txt";
  std::string text;
  CRegistryTree tree;
  if (!ReadFile(file, text) || !tree.Parse(text)) {
    // Keep the damaged file for whoever wants to look at it; start over without it.
    if (rename(file.c_str(), (folder + "/registry.damaged").c_str()) != 0 && errno != ENOENT) return false;
    tree = CRegistryTree();
  }
  RemoveStaleTemporaries(folder);
  if (!edit(tree)) return false;
  text = tree.Text();
  CRegistryTree check;
  if (!check.Parse(text)) return false;  // never write what could not be read back
  return PlatformWriteFileReplacing(file.c_str(), text.data(), static_cast<uint32_t>(text.size())) == 1;
}
