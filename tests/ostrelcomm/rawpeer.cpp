#include "rawpeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

int RawListen(uint16_t& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(kLoopbackIp);
  socklen_t length = sizeof sa;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
    ADD_FAILURE() << "cannot listen: " << std::strerror(errno);
    if (fd >= 0) close(fd);
    return -1;
  }
  port = ntohs(sa.sin_port);
  return fd;
}

int RawAccept(int listener) {
  pollfd p{listener, POLLIN, 0};
  if (poll(&p, 1, 10000) != 1) return -1;
  int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  const int on = 1;
  if (fd >= 0) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

int RawConnect(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(kLoopbackIp);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

std::string RawRead(int fd, size_t size) {
  std::string out;
  while (out.size() < size) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10000) != 1) break;
    char buffer[65536];
    ssize_t n = recv(fd, buffer, std::min(sizeof buffer, size - out.size()), 0);
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return out;
}

bool RawWrite(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

uint16_t ClosedPort() {
  uint16_t port = 0;
  int fd = RawListen(port);
  close(fd);
  return port;
}

int Pending(int fd) {
  int n = 0;
  if (ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}
