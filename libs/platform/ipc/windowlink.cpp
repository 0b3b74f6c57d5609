#include "platform/ipc/windowlink.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/os/runtimedir.h"

namespace {
constexpr uint32_t kRequestMagic = 0x514D5756;  // "VWMQ"
constexpr uint32_t kReplyMagic = 0x524D5756;    // "VWMR"
constexpr size_t kReplySize = 12;
constexpr int kBacklog = 16;
constexpr size_t kMaxPending = 32;
constexpr int kMaxServedPerCall = 64;
constexpr uint32_t kPendingLifeMs = 5000;  // a connection that sends nothing is dropped after this
constexpr int kPollSliceMs = 20;

struct SPending {
  int m_Fd;
  uint32_t m_Since;
};

int g_ListenFd = -1;
std::string g_ListenName;
TWindowRequestHandler g_Handler = nullptr;
std::vector<SPending> g_Pending;

// "\0vorrin-window/<uid>/<session>/<title in lower case>": the session is a hash of the runtime
// folder, so that programs of one desktop session find each other and sessions with a folder of
// their own (each test of a parallel run) stay apart. A title too long for a socket name is
// replaced by its hash.
uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::string Hex64(uint64_t value) {
  char hex[20];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(value));
  return hex;
}

std::string SocketName(const char* title) {
  std::string folded;
  for (const char* p = title; *p; ++p) folded += (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p + 32) : *p;
  std::string name = std::string(1, '\0') + "vorrin-window/" + std::to_string(geteuid()) + "/" +
                     Hex64(Fnv1a(PlatformRuntimeFolder())) + "/";
  if (name.size() + folded.size() <= sizeof(sockaddr_un::sun_path)) return name + folded;
  return name + "#" + Hex64(Fnv1a(folded));
}

socklen_t Address(const std::string& name, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
}

// Only programs of the same user may talk to each other's windows.
bool SameUser(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == geteuid();
}

void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
uint32_t Get32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void AcceptWaiting(int listenFd) {
  for (;;) {
    int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    if (!SameUser(fd)) {
      close(fd);
      continue;
    }
    if (g_Pending.size() == kMaxPending) {  // someone floods us: the oldest waits longest, drop it
      close(g_Pending.front().m_Fd);
      g_Pending.erase(g_Pending.begin());
    }
    g_Pending.push_back({fd, PlatformClockNow()});
  }
}

// Takes the first waiting connection whose request has arrived out of the list. Connections that
// closed, sent garbage or stayed silent too long are dropped on the way.
bool TakeReadyRequest(int& fd, TWindowRequest& request) {
  const uint32_t now = PlatformClockNow();
  for (size_t i = 0; i < g_Pending.size();) {
    SPending p = g_Pending[i];
    uint8_t buf[64];
    ssize_t n = recv(p.m_Fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR) && now - p.m_Since < kPendingLifeMs) {
      ++i;
      continue;
    }
    g_Pending.erase(g_Pending.begin() + static_cast<long>(i));
    if (n > 0 && PlatformDecodeWindowRequest(buf, static_cast<size_t>(n), request)) {
      fd = p.m_Fd;
      return true;
    }
    close(p.m_Fd);
  }
  return false;
}

// A connected socket to the window's listener, or -1. busy: the window exists but its queue of
// connections is full.
int Connect(const char* title, bool& busy) {
  busy = false;
  if (!title) return -1;
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un addr;
  socklen_t len = Address(SocketName(title), addr);
  int rc;
  while ((rc = connect(fd, reinterpret_cast<sockaddr*>(&addr), len)) != 0 && errno == EINTR) {
  }
  if (rc != 0 || !SameUser(fd)) {
    busy = rc != 0 && errno == EAGAIN;
    close(fd);
    return -1;
  }
  return fd;
}

bool SendRequest(int fd, const TWindowRequest& request) {
  uint8_t buf[XWINREQ_SIZE];
  PlatformEncodeWindowRequest(request, buf);
  ssize_t n;
  while ((n = send(fd, buf, sizeof buf, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  return n == static_cast<ssize_t>(sizeof buf);
}
}  // namespace

void PlatformEncodeWindowRequest(const TWindowRequest& request, uint8_t out[XWINREQ_SIZE]) {
  Put32(out, kRequestMagic);
  Put32(out + 4, request.m_Kind);
  Put32(out + 8, request.m_Message);
  Put32(out + 12, static_cast<uint32_t>(request.m_WParam));
  Put32(out + 16, static_cast<uint32_t>(request.m_LParam));
}

bool PlatformDecodeWindowRequest(const uint8_t* data, size_t n, TWindowRequest& out) {
  if (!data || n != XWINREQ_SIZE || Get32(data) != kRequestMagic) return false;
  const uint32_t kind = Get32(data + 4);
  if (kind < XWINREQ_MESSAGE || kind > XWINREQ_MINIMISE) return false;
  out.m_Kind = kind;
  out.m_Message = Get32(data + 8);
  out.m_WParam = static_cast<int32_t>(Get32(data + 12));
  out.m_LParam = static_cast<int32_t>(Get32(data + 16));
  return true;
}

bool PlatformWindowListen(const char* title, TWindowRequestHandler handler) {
  if (!title) return false;
  const std::string name = SocketName(title);
  g_Handler = handler;
  if (g_ListenFd >= 0 && name == g_ListenName) return true;
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr;
  socklen_t len = Address(name, addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, kBacklog) != 0) {
    close(fd);
    return false;
  }
  if (g_ListenFd >= 0) {  // what reached the old name is still served
    AcceptWaiting(g_ListenFd);
    close(g_ListenFd);
  }
  g_ListenFd = fd;
  g_ListenName = name;
  return true;
}

void PlatformWindowStopListening() {
  if (g_ListenFd >= 0) close(g_ListenFd);
  g_ListenFd = -1;
  g_ListenName.clear();
  for (const SPending& p : g_Pending) close(p.m_Fd);
  g_Pending.clear();
  g_Handler = nullptr;
}

bool PlatformWindowListening() { return g_ListenFd >= 0; }

void PlatformWindowServe() {
  if (g_ListenFd < 0) return;
  AcceptWaiting(g_ListenFd);
  int fd;
  TWindowRequest request;
  for (int served = 0; served < kMaxServedPerCall && TakeReadyRequest(fd, request); ++served) {
    const int64_t result = g_Handler ? g_Handler(request) : 0;
    uint8_t reply[kReplySize];
    Put32(reply, kReplyMagic);
    std::memcpy(reply + 4, &result, 8);
    send(fd, reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);  // a sender that gave up is gone
    close(fd);
  }
}

bool PlatformWindowExists(const char* title) {
  bool busy;
  int fd = Connect(title, busy);
  if (fd >= 0) close(fd);
  return fd >= 0 || busy;
}

bool PlatformWindowNotify(const char* title, uint32_t kind) {
  bool busy;
  int fd = Connect(title, busy);
  if (fd < 0) return busy;
  SendRequest(fd, {kind, 0, 0, 0});
  close(fd);
  return true;
}

EWindowSendResult PlatformWindowSend(const char* title, const TWindowRequest& request, uint32_t timeoutMs,
                                     int64_t& result) {
  bool busy;
  int fd = Connect(title, busy);
  if (fd < 0) return busy ? XWINSEND_NO_ANSWER : XWINSEND_NOT_FOUND;
  if (!SendRequest(fd, request)) {
    close(fd);
    return XWINSEND_NO_ANSWER;
  }
  const uint32_t start = PlatformClockNow();
  EWindowSendResult outcome = XWINSEND_NO_ANSWER;
  std::vector<pollfd> fds;
  for (;;) {
    const uint32_t elapsed = PlatformClockNow() - start;
    if (elapsed >= timeoutMs) break;
    fds.assign(1, {fd, POLLIN, 0});
    if (g_ListenFd >= 0) {
      fds.push_back({g_ListenFd, POLLIN, 0});
      for (const SPending& p : g_Pending) fds.push_back({p.m_Fd, POLLIN, 0});
    }
    const int slice = static_cast<int>(std::min<uint32_t>(timeoutMs - elapsed, kPollSliceMs));
    if (poll(fds.data(), fds.size(), slice) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      uint8_t reply[32];
      ssize_t n = recv(fd, reply, sizeof reply, MSG_DONTWAIT);
      if (n == static_cast<ssize_t>(kReplySize) && Get32(reply) == kReplyMagic) {
        std::memcpy(&result, reply + 4, 8);
        outcome = XWINSEND_ANSWERED;
        break;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    if (fds[0].revents & (POLLHUP | POLLERR)) break;  // the receiver went away without a result
    bool ownTraffic = false;
    for (size_t i = 1; i < fds.size(); ++i) ownTraffic = ownTraffic || fds[i].revents != 0;
    if (ownTraffic) PlatformWindowServe();
  }
  close(fd);
  return outcome;
}
