#include "platform/os/localsocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

bool MakeAddress(const char* path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (!path || !path[0] || std::strlen(path) >= sizeof addr.sun_path) return false;
  std::strcpy(addr.sun_path, path);
  return true;
}

int NewSocket() { return socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0); }

int ConnectTo(const sockaddr_un& addr) {
  int fd = NewSocket();
  if (fd < 0) return -1;
  int r;
  do {
    r = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The inode of each socket file a listener of this process made, so that closing removes only
// its own file and never one that a later server put in its place.
struct SListenerFile {
  int fd;
  dev_t dev;
  ino_t ino;
};
std::vector<SListenerFile>& ListenerFiles() {
  static std::vector<SListenerFile> files;
  return files;
}

}  // namespace

size_t PlatformLocalPathMax() { return sizeof(sockaddr_un::sun_path) - 1; }

int PlatformLocalListen(const char* path) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return -1;
  struct stat st;
  if (lstat(path, &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return -1;
    int live = ConnectTo(addr);
    if (live >= 0) {
      close(live);
      return -1;
    }
    unlink(path);
  }
  int fd = NewSocket();
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0 ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0 || lstat(path, &st) != 0) {
    close(fd);
    return -1;
  }
  // A descriptor number comes back once closed: an entry left by a listener closed without
  // Unlisten must not stand for this one.
  auto& files = ListenerFiles();
  std::erase_if(files, [fd](const SListenerFile& f) { return f.fd == fd; });
  files.push_back({fd, st.st_dev, st.st_ino});
  return fd;
}

void PlatformLocalUnlisten(int fd, const char* path) {
  if (fd < 0) return;
  auto& files = ListenerFiles();
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].fd != fd) continue;
    struct stat st;
    if (path && lstat(path, &st) == 0 && st.st_dev == files[i].dev && st.st_ino == files[i].ino)
      unlink(path);
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
    break;
  }
  close(fd);
}

int PlatformLocalAccept(int listenFd) {
  if (listenFd < 0) return -1;
  int fd;
  do {
    fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int PlatformLocalConnect(const char* path) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr)) return -1;
  int fd = ConnectTo(addr);
  if (fd < 0) return -1;
  // A socket in a shared folder such as /tmp may belong to anyone; only trust our own user's
  // processes and the system's.
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 ||
      (cred.uid != getuid() && cred.uid != 0)) {
    close(fd);
    return -1;
  }
  return fd;
}

void PlatformLocalClose(int fd) {
  if (fd >= 0) close(fd);
}

int32_t PlatformLocalSend(int fd, const void* data, size_t n) {
  if (fd < 0) return 0;
  ssize_t r;
  do {
    r = send(fd, data, n, MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (r < 0 && errno == EINTR);
  return r >= 0 && static_cast<size_t>(r) == n ? 1 : 0;
}

int64_t PlatformLocalReceive(int fd, void* buf, size_t cap) {
  if (fd < 0) return -1;
  iovec iov{buf, cap};
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  ssize_t r;
  do {
    r = recvmsg(fd, &msg, MSG_DONTWAIT | MSG_TRUNC);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? -2 : -1;
  // A zero-length read is the peer's hang-up; the channels never send empty messages.
  if (r == 0) return -1;
  return r;
}

int PlatformWaitReadable(const int* fds, int count, int32_t timeoutMs) {
  if (count <= 0) return -2;
  std::vector<pollfd> p(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) p[i] = {fds[i], POLLIN, 0};
  int r;
  do {
    r = poll(p.data(), p.size(), timeoutMs < 0 ? -1 : timeoutMs);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return -2;
  if (r == 0) return -1;
  for (int i = 0; i < count; ++i)
    if (p[i].revents) return i;
  return -1;
}

int PlatformWaitFd(int fd, short events, int32_t timeoutMs) {
  pollfd p{fd, events, 0};
  int r;
  do {
    r = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return -1;
  return r > 0 ? 1 : 0;
}
