#include "platform/os/namedmutex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os/runtimedir.h"

namespace {

constexpr off_t kPresenceByte = 0;
constexpr off_t kOwnerByte = 1;

int SetLock(int fd, short type, off_t byte, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  int r;
  do {
    r = fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl);
  } while (r != 0 && errno == EINTR);
  return r;
}

// Another open file description holds a lock on the byte (our own never conflicts with itself).
bool HeldElsewhere(int fd, off_t byte) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

int OpenLockFile(const char* name, bool create) {
  std::string path = PlatformRuntimeObjectPath(name, ".mutex", 4000);
  if (path.empty()) return -1;
  int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  int fd;
  do {
    fd = open(path.c_str(), flags, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int PlatformNamedMutexCreate(const char* name, int32_t* created) {
  if (created) *created = 0;
  int fd = OpenLockFile(name, true);
  if (fd < 0) return -1;
  // Exactly one of several simultaneous creators gets the exclusive presence lock and is the
  // one that made the mutex; it then steps down to the shared lock everyone else waits for.
  bool isNew = SetLock(fd, F_WRLCK, kPresenceByte, false) == 0;
  if (SetLock(fd, F_RDLCK, kPresenceByte, !isNew) != 0) {
    close(fd);
    return -1;
  }
  if (created) *created = isNew ? 1 : 0;
  return fd;
}

int PlatformNamedMutexOpen(const char* name) {
  int fd = OpenLockFile(name, false);
  if (fd < 0) return -1;
  if (SetLock(fd, F_RDLCK, kPresenceByte, true) != 0 || !HeldElsewhere(fd, kPresenceByte)) {
    close(fd);
    return -1;
  }
  return fd;
}

int32_t PlatformNamedMutexTryAcquire(int handle) {
  return handle >= 0 && SetLock(handle, F_WRLCK, kOwnerByte, false) == 0 ? 1 : 0;
}

int32_t PlatformNamedMutexRelease(int handle) {
  return handle >= 0 && SetLock(handle, F_UNLCK, kOwnerByte, false) == 0 ? 1 : 0;
}

int32_t PlatformNamedMutexClose(int handle) { return handle >= 0 && close(handle) == 0 ? 1 : 0; }
