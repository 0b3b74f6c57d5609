#include "ostrelcomm/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/startuplog.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/proxyrules.h"
#include "ostrelcomm/tls.h"

namespace {

constexpr const char* kKernelPortRangeFile = "/proc/sys/net/ipv4/ip_local_port_range";
constexpr size_t kMaxHostName = 255;

char g_ErrorText[512];
std::string g_PortRangeFile;

void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_ErrorText, sizeof g_ErrorText, format, args);
  va_end(args);
  xprintf("%s\n", g_ErrorText);
}

bool Started(const SCryptData* crypt) { return crypt && crypt->m_Started; }

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

void DropFilter(SCryptData* crypt) {
  delete crypt->m_pKvtLink;
  crypt->m_pKvtLink = nullptr;
  crypt->m_KvtFlag = 0;
}

void DropTlsConnection(SCryptData* crypt) {
  xTlsFreeConnection(crypt->m_pTls);
  crypt->m_pTls = nullptr;
}

void DropTlsContext(SCryptData* crypt) {
  xTlsFreeContext(crypt->m_pTlsContext);
  crypt->m_pTlsContext = nullptr;
}

// What every failing step does: the socket goes, the caller's link is down, and the per-socket
// state (filter, TLS) goes with it.
void CloseFailed(int& sock, int& connected, SCryptData* crypt) {
  xCloseSocket(sock);
  connected = 0;
  if (!crypt) return;
  crypt->m_ModeSocket = -1;
  DropFilter(crypt);
  if (crypt->m_Kind == SOCKET_CRYPT_TLS) {
    DropTlsConnection(crypt);
    DropTlsContext(crypt);
  }
}

// The framing hands the socket what is ready and writes the rest once there is room, so the tail
// of every partial write is a short segment. Nagle's rule would hold each such tail back until the
// far side acknowledged the last one (tens of ms with delayed acknowledgements): a record of 1 MiB
// then took ten times as long as over a plain socket. Small packets are gathered into one write
// by the framing instead.
void SendWithoutDelay(int sock) {
  const int on = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int PendingError(int sock) {
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

// poll on one socket; the revents, 0 on time-out, -1 on failure. An interrupted wait counts as a
// time-out so callers look again.
int PollOne(int sock, short events, int32_t ms) {
  pollfd p{sock, events, 0};
  int r = poll(&p, 1, ms < 0 ? 0 : ms);
  if (r < 0) return errno == EINTR ? 0 : -1;
  return r == 0 ? 0 : (p.revents ? p.revents : 0);
}

// Between attempts of a step that waits on the core clock: the frame loop runs (timers, other
// links), and the clock moves on at least a little.
void RunFrameBetweenSteps() {
  if (glb) xHandler();
  xSleep(1);
}

// ---- TLS ----
// A socket marked for TLS without a context is refused rather than carried in plain text.
int32_t TlsAttach(SCryptData* crypt, int sock, int32_t acceptState) {
  DropTlsConnection(crypt);
  crypt->m_pTls = xTlsCreateConnection(crypt->m_pTlsContext, sock, acceptState);
  if (!crypt->m_pTls) {
    Report("xSocketLayer: no TLS connection for the %s socket", acceptState ? "accepted" : "connected");
    return 0;
  }
  xprintf("xSocketLayer: TLS %s state, cipher %s\n", acceptState ? "accept" : "connect",
          xTlsCipherName(crypt->m_pTls));
  return 1;
}

// Bytes moved (0: none now), -2 when the peer ended the TLS session, -1 on failure.
int32_t TlsTransfer(SCryptData* crypt, void* data, uint32_t size, int32_t write) {
  const int32_t n = write ? xTlsWrite(crypt->m_pTls, data, size) : xTlsRead(crypt->m_pTls, data, size);
  if (n == TLS_PEER_CLOSED) return -2;
  if (n < 0) Report("xSocketHandler: TLS %s failed", write ? "write" : "read");
  return n < 0 ? -1 : n;
}

// ---- one transfer in each direction ----

bool UsesTls(const SCryptData* crypt) { return crypt->m_Kind == SOCKET_CRYPT_TLS && !crypt->m_KvtFlag; }
bool UsesFilter(const SCryptData* crypt) { return crypt->m_KvtFlag && crypt->m_pKvtLink; }

// Bytes written, 0 when the socket takes none now; -1 after closing a failed socket.
int32_t WriteSome(int& sock, int& connected, const uint8_t* data, uint32_t size, SCryptData* crypt) {
  if (UsesFilter(crypt)) {
    const int32_t n = crypt->m_pKvtLink->Write(sock, data, size);
    if (n == -2) return 0;
    if (n <= 0) {
      Report("xSocketHandler: write through the stream filter failed");
      CloseFailed(sock, connected, crypt);
      return -1;
    }
    return n;
  }
  if (UsesTls(crypt)) {
    // A peer that ended the session shows at the read; the write moved nothing.
    const int32_t n = TlsTransfer(crypt, const_cast<uint8_t*>(data), size, 1);
    if (n < 0) CloseFailed(sock, connected, crypt);
    return n == -2 ? 0 : n;
  }
  const ssize_t n = send(sock, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n >= 0) return static_cast<int32_t>(n);
  if (WouldBlock(errno)) return 0;
  Report("xSocketHandler: send failed: %s", std::strerror(errno));
  CloseFailed(sock, connected, crypt);
  return -1;
}

// Bytes read, 0 when none are ready; -1 after closing a failed socket, -2 when the peer closed
// (the socket is closed too).
int32_t ReadSome(int& sock, int& connected, uint8_t* buffer, uint32_t size, SCryptData* crypt) {
  if (UsesFilter(crypt)) {
    const int32_t n = crypt->m_pKvtLink->Read(sock, buffer, size);
    if (n == -2) return 0;
    if (n == 0) {
      CloseFailed(sock, connected, crypt);
      return -2;
    }
    if (n < 0) {
      Report("xSocketHandler: read through the stream filter failed");
      CloseFailed(sock, connected, crypt);
      return -1;
    }
    return n;
  }
  if (UsesTls(crypt)) {
    const int32_t n = TlsTransfer(crypt, buffer, size, 0);
    if (n < 0) CloseFailed(sock, connected, crypt);
    return n;
  }
  const ssize_t n = recv(sock, buffer, size, MSG_DONTWAIT);
  if (n > 0) return static_cast<int32_t>(n);
  if (n == 0) {
    CloseFailed(sock, connected, crypt);
    return -2;
  }
  if (WouldBlock(errno)) return 0;
  Report("xSocketHandler: recv failed: %s", std::strerror(errno));
  CloseFailed(sock, connected, crypt);
  return -1;
}

// ---- the connect step ----

// Writes the location header that tells the proxy where to go: in steps on the core clock with
// the frame loop between them (blockMs 0), or waiting on the socket for at most blockMs.
int32_t SendProxyHeader(const char* host, uint32_t port, int& sock, int& connected, SCryptData* crypt,
                        int32_t blockMs) {
  CProxyLocation location;
  if (!location.SetLocation(host, port)) {
    Report("xConnectSocket: the target %s:%u does not fit a proxy location header", host ? host : "", port);
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  const uint8_t* data = location.GetData();
  uint32_t sent = 0;
  const uint32_t start = xGetTime();
  while (sent < PROXY_LOCATION_SIZE) {
    const ssize_t n = send(sock, data + sent, PROXY_LOCATION_SIZE - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && !WouldBlock(errno)) {
      Report("xConnectSocket: sending the proxy header failed: %s", std::strerror(errno));
      CloseFailed(sock, connected, crypt);
      return 0;
    }
    if (blockMs > 0) {
      if (PollOne(sock, POLLOUT, blockMs) <= 0) {
        Report("xConnectSocket: timeout when sending the proxy header");
        CloseFailed(sock, connected, crypt);
        return 0;
      }
    } else {
      if (xTimeDiff(start, xGetTime()) >= SOCKET_PROXY_HEADER_MS) {
        Report("xConnectSocket: timeout when sending the proxy header");
        CloseFailed(sock, connected, crypt);
        return 0;
      }
      RunFrameBetweenSteps();
    }
  }
  return 1;
}

int32_t ConnectStep(const char* host, uint32_t port, const char* proxyHost, int& sock, int& connected,
                    SCryptData* crypt, int32_t waitMs) {
  const int events = PollOne(sock, POLLOUT, waitMs);
  if (events < 0) {
    Report("xConnectSocket: poll failed: %s", std::strerror(errno));
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  const int error = PendingError(sock);
  if (error || (events & (POLLERR | POLLHUP | POLLNVAL))) {
    Report("xConnectSocket: connection failed: %s", std::strerror(error ? error : ECONNREFUSED));
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  if (!(events & POLLOUT)) return 1;

  if (crypt->m_Kind == SOCKET_CRYPT_TLS && !TlsAttach(crypt, sock, 0)) {
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  // Through a proxy the header goes out in plain. The KVT link runs only when the client side was
  // switched on (xSetClientKVTEncryption); its handshake follows the header.
  if (proxyHost && *proxyHost && !SendProxyHeader(host, port, sock, connected, crypt, waitMs)) return 0;
  if (crypt->m_pKvtLink) crypt->m_pKvtLink->OnConnected();

  const int on = 1;
  setsockopt(sock, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  SendWithoutDelay(sock);
  connected = 1;
  return 1;
}

int32_t ListenStep(int& listenSock, int& acceptedSock, sockaddr_in* address, int& running, int& accepted,
                   int32_t waitMs, SCryptData* crypt) {
  accepted = 0;
  if (!Started(crypt) || listenSock < 0) return 0;
  const int events = PollOne(listenSock, POLLIN, waitMs);
  if (events < 0 || (events & (POLLERR | POLLNVAL))) {
    Report("xListenHandler: the listening socket failed");
    int ignored = 0;
    CloseFailed(listenSock, ignored, crypt);
    running = 0;
    return 0;
  }
  if (!(events & POLLIN)) return 1;
  if (!xAcceptIncomingConnection(listenSock, acceptedSock, address, crypt)) return 0;
  accepted = acceptedSock >= 0;
  return 1;
}

void NotePortInEphemeralRange(uint32_t port) {
  uint16_t low = 0, high = 0;
  if (!xGetEphemeralPortRange(low, high)) {
    xLogStartupInfo("Could not get ephemeral port range. Collision detection is disabled.\n");
    return;
  }
  if (port >= low && port <= high)
    xLogStartupInfo("Statically allocated port (%hu) lies inside the dynamic port range (%hu -> %hu)\n",
                    static_cast<unsigned short>(port), low, high);
}

int32_t SocketAddress(int sock, bool remote, uint32_t& ip, uint16_t& port) {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  const int r = remote ? getpeername(sock, reinterpret_cast<sockaddr*>(&sa), &length)
                       : getsockname(sock, reinterpret_cast<sockaddr*>(&sa), &length);
  if (r != 0 || sa.sin_family != AF_INET) return 0;
  ip = ntohl(sa.sin_addr.s_addr);
  port = ntohs(sa.sin_port);
  return 1;
}

uint32_t LookUpName(const char* host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) return 0;
  uint32_t ip = 0;
  for (addrinfo* a = list; a && !ip; a = a->ai_next)
    if (a->ai_family == AF_INET) ip = ntohl(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
  freeaddrinfo(list);
  return ip;
}

}  // namespace

SCryptData::~SCryptData() {
  DropFilter(this);
  DropTlsConnection(this);
  DropTlsContext(this);
  xFree(m_pCertificateFile);
  xFree(m_pKeyFile);
}

const char* xGetSocketErrorText() { return g_ErrorText; }

int32_t xSocketHasPending(const SCryptData* crypt) {
  if (!crypt) return 0;
  if (crypt->m_KvtFlag && crypt->m_pKvtLink) return crypt->m_pKvtLink->HasPending();
  return crypt->m_Kind == SOCKET_CRYPT_TLS ? xTlsHasPending(crypt->m_pTls) : 0;
}

// ---- start and stop ----

int32_t xStartupSockets(int32_t& count, int32_t role, SCryptData* crypt) {
  if (!crypt) return 0;
  const int32_t n = sglb ? ++sglb->m_SocketStartCount : 1;
  // A peer that goes away must not end the process with SIGPIPE (TLS writes through write()).
  if (n == 1) signal(SIGPIPE, SIG_IGN);
  count = n;
  crypt->m_Started = 1;
  crypt->m_Role = role;
  return 1;
}

int32_t xClosedownSockets(int32_t& count, SCryptData* crypt) {
  if (!Started(crypt)) return 0;
  if (crypt->m_Kind == SOCKET_CRYPT_TLS) {
    crypt->m_Kind = 0;
    crypt->m_Role = 0;
    DropFilter(crypt);
    DropTlsConnection(crypt);
    DropTlsContext(crypt);
    xFree(crypt->m_pCertificateFile);
    xFree(crypt->m_pKeyFile);
    crypt->m_pCertificateFile = nullptr;
    crypt->m_pKeyFile = nullptr;
  }
  count = 0;
  return 1;
}

// ---- connecting ----

int32_t xConnectSocket(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort, int& sock,
                       sockaddr_in* address, SCryptData* crypt) {
  if (!Started(crypt) || !host || !*host || port == 0 || port > 65535) return 0;
  const bool proxy = proxyHost && *proxyHost;
  if (proxy && (proxyPort == 0 || proxyPort > 65535)) return 0;
  xCloseSocket(sock);
  const char* target = proxy ? proxyHost : host;
  const uint32_t ip = xSocketGetAddr(target, crypt);
  if (!ip) {
    if (std::strlen(target) < 200)
      Report("xConnectSocket: Can't find server: %s", target);
    else
      Report("xConnectSocket: Can't find server specified");
    return 0;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Report("xConnectSocket: socket failed: %s", std::strerror(errno));
    return 0;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(proxy ? proxyPort : port));
  sa.sin_addr.s_addr = htonl(ip);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 && errno != EINPROGRESS && errno != EINTR) {
    Report("xConnectSocket: connect failed: %s", std::strerror(errno));
    close(fd);
    return 0;
  }
  if (address) *address = sa;
  sock = fd;
  crypt->m_ModeSocket = fd;
  crypt->m_ModeNonBlocking = 1;
  return 1;
}

int32_t xNonBlockedConnectHandler(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort,
                                  int& sock, int& connected, SCryptData* crypt) {
  (void)proxyPort;
  if (!Started(crypt) || sock < 0) return 0;
  if (!MakeSocketNonBlocking(sock, connected, crypt)) return 0;
  return ConnectStep(host, port, proxyHost, sock, connected, crypt, 0);
}

int32_t xBlockedConnectHandler(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort,
                               int& sock, int& connected, int32_t timeout, SCryptData* crypt) {
  (void)proxyPort;
  if (!Started(crypt) || sock < 0) return 0;
  return ConnectStep(host, port, proxyHost, sock, connected, crypt, timeout > 0 ? timeout : SOCKET_DEFAULT_BLOCK_MS);
}

int32_t xDisconnectSocket(int& sock, int& connected, SCryptData* crypt) {
  if (!Started(crypt)) return 0;
  if (sock < 0) return 1;
  connected = 0;
  if (crypt->m_Kind == SOCKET_CRYPT_TLS) xTlsShutdown(crypt->m_pTls);
  DropTlsConnection(crypt);
  crypt->m_ModeSocket = -1;
  shutdown(sock, SHUT_RDWR);
  const int r = close(sock);
  sock = -1;
  DropFilter(crypt);
  if (r != 0 && errno != EINTR) {
    Report("xDisconnectSocket: close failed: %s", std::strerror(errno));
    return 0;
  }
  return 1;
}

void xCloseSocket(int& sock) {
  if (sock < 0) return;
  shutdown(sock, SHUT_RDWR);
  close(sock);
  sock = -1;
}

void xCloseSocketSimple(int& sock) {
  if (sock < 0) return;
  close(sock);
  sock = -1;
}

int32_t SetSocketBlockingMode(int& sock, int& connected, int32_t nonBlocking, SCryptData* crypt) {
  if (!Started(crypt) || sock < 0) return 0;
  nonBlocking = nonBlocking != 0;
  if (crypt->m_ModeSocket == sock && crypt->m_ModeNonBlocking == nonBlocking) return 1;
  const int flags = fcntl(sock, F_GETFL);
  const int wanted = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  if (flags < 0 || (wanted != flags && fcntl(sock, F_SETFL, wanted) != 0)) {
    Report("SetSocketBlockingMode: fcntl failed: %s", std::strerror(errno));
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  crypt->m_ModeSocket = sock;
  crypt->m_ModeNonBlocking = nonBlocking;
  return 1;
}

int32_t MakeSocketBlocking(int& sock, int& connected, SCryptData* crypt) {
  return SetSocketBlockingMode(sock, connected, 0, crypt);
}

int32_t MakeSocketNonBlocking(int& sock, int& connected, SCryptData* crypt) {
  return SetSocketBlockingMode(sock, connected, 1, crypt);
}

int32_t xCheckConnectionUp(int& sock, int& connected, SCryptData* crypt) {
  if (!Started(crypt) || sock < 0) return 0;
  const int error = PendingError(sock);
  if (error) {
    Report("xCheckConnectionUp: %s", std::strerror(error));
    CloseFailed(sock, connected, crypt);
    return 0;
  }
  return 1;
}

// ---- transfer ----

int32_t xSocketIsPlain(const SCryptData* crypt) {
  return crypt && crypt->m_Kind != SOCKET_CRYPT_TLS && !crypt->m_pKvtLink;
}

int32_t xSocketHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                       const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt) {
  if (!Started(crypt) || sock < 0) return 0;
  if (CSocketFilter* filter = crypt->m_pKvtLink; filter && !crypt->m_KvtFlag) {
    if (!filter->IsFinished()) {
      if (filter->Handshake(sock) < 0) {
        Report("xSocketHandler: the stream filter's handshake failed");
        CloseFailed(sock, connected, crypt);
        return 0;
      }
      if (!filter->IsFinished()) return 1;
    }
    if (filter->IsEnabled())
      crypt->m_KvtFlag = 1;
    else
      DropFilter(crypt);
  }
  if (writeBuffer && writeFill < writeTarget) {
    const int32_t n =
        WriteSome(sock, connected, static_cast<const uint8_t*>(writeBuffer) + writeFill, writeTarget - writeFill, crypt);
    if (n < 0) return 0;
    writeFill += static_cast<uint32_t>(n);
    // The peer ended the session: the link is down, not failed.
    if (sock < 0) return 1;
  }
  if (readBuffer && readFill < readTarget) {
    const int32_t n = ReadSome(sock, connected, static_cast<uint8_t*>(readBuffer) + readFill, readTarget - readFill, crypt);
    if (n == -2) return 1;
    if (n < 0) return 0;
    readFill += static_cast<uint32_t>(n);
  }
  return 1;
}

int32_t xNonBlockedHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                           const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt) {
  if (!MakeSocketNonBlocking(sock, connected, crypt)) return 0;
  return xSocketHandler(sock, connected, readBuffer, readFill, readTarget, writeBuffer, writeFill, writeTarget, crypt);
}

int32_t xBlockedHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                        const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt,
                        int32_t timeout) {
  // The socket stays non-blocking: waiting is done here, with a limit, so that neither a silent
  // peer nor one that stops reading holds the caller for ever.
  if (!MakeSocketNonBlocking(sock, connected, crypt)) return 0;
  const int32_t limit = timeout > 0 ? timeout : SOCKET_DEFAULT_BLOCK_MS;
  const uint32_t start = xGetTime();
  const uint32_t readStart = readFill;
  for (;;) {
    if (!xSocketHandler(sock, connected, readBuffer, readFill, readTarget, writeBuffer, writeFill, writeTarget, crypt))
      return 0;
    if (sock < 0) return 1;
    const bool writeDone = !writeBuffer || writeFill >= writeTarget;
    const bool readDone = !readBuffer || readFill >= readTarget || readFill > readStart;
    if (writeDone && readDone) return 1;
    const uint32_t elapsed = xTimeDiff(start, xGetTime());
    if (elapsed >= static_cast<uint32_t>(limit)) return 1;
    const short events = static_cast<short>((writeDone ? 0 : POLLOUT) | (readDone ? 0 : POLLIN));
    const int r = PollOne(sock, events, limit - static_cast<int32_t>(elapsed));
    if (r == 0) return 1;
    if (r < 0) {
      Report("xBlockedHandler: poll failed: %s", std::strerror(errno));
      CloseFailed(sock, connected, crypt);
      return 0;
    }
  }
}

// ---- listening ----

int32_t xStartListenSocket(uint32_t port, int& sock, sockaddr_in* address, SCryptData* crypt, uint32_t bindAddress) {
  if (!Started(crypt)) return 0;
  if (port > 65535) {
    Report("xStartListenSocket: port %u is invalid", port);
    return 0;
  }
  if (port != 0) NotePortInEphemeralRange(port);
  xCloseSocket(sock);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Report("xStartListenSocket: socket failed: %s", std::strerror(errno));
    return 0;
  }
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  sa.sin_addr.s_addr = htonl(bindAddress);
  socklen_t length = sizeof sa;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, SOMAXCONN) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
    Report("xStartListenSocket: cannot listen on port %u: %s", port, std::strerror(errno));
    close(fd);
    return 0;
  }
  if (address) *address = sa;
  sock = fd;
  return 1;
}

int32_t xStopListenSocket(int& sock, int& running, SCryptData* crypt) {
  if (!Started(crypt)) return 0;
  xCloseSocket(sock);
  running = 0;
  return 1;
}

int32_t xBlockedStartListenHandler(int& sock, int32_t timeout, SCryptData* crypt) {
  (void)timeout;
  return Started(crypt) && sock >= 0;
}

int32_t xNonBlockedListenHandler(int& listenSock, int& acceptedSock, sockaddr_in* address, int& running,
                                 int& accepted, SCryptData* crypt) {
  return ListenStep(listenSock, acceptedSock, address, running, accepted, 0, crypt);
}

int32_t xBlockedListenHandler(int& listenSock, int& acceptedSock, sockaddr_in* address, int& running,
                              int& accepted, int32_t timeout, SCryptData* crypt) {
  return ListenStep(listenSock, acceptedSock, address, running, accepted,
                    timeout > 0 ? timeout : SOCKET_DEFAULT_BLOCK_MS, crypt);
}

int32_t xAcceptIncomingConnection(int listenSock, int& acceptedSock, sockaddr_in* address, SCryptData* crypt) {
  if (!Started(crypt) || listenSock < 0) return 0;
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  const int fd = accept4(listenSock, reinterpret_cast<sockaddr*>(&sa), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) {
    acceptedSock = -1;
    // A connection that was reset before it could be taken is not the listener's failure.
    if (WouldBlock(errno) || errno == ECONNABORTED || errno == EPROTO) return 1;
    Report("xAcceptIncomingConnection: accept failed: %s", std::strerror(errno));
    return 0;
  }
  acceptedSock = fd;
  SendWithoutDelay(fd);
  if (crypt->m_KvtMode) {
    DropFilter(crypt);
    crypt->m_pKvtLink = new (std::nothrow) CKvtLink(1, crypt->m_KvtMode, 1);
    if (!crypt->m_pKvtLink) {
      Report("xAcceptIncomingConnection: out of memory");
      xCloseSocket(acceptedSock);
      return 0;
    }
  }
  if (crypt->m_Kind == SOCKET_CRYPT_TLS && !TlsAttach(crypt, fd, 1)) {
    int ignored = 0;
    CloseFailed(acceptedSock, ignored, crypt);
    return 0;
  }
  if (address) *address = sa;
  return 1;
}

// ---- addresses ----

uint32_t xGetLocalIp() {
  char name[kMaxHostName + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return 0;
  return LookUpName(name);
}

int32_t xGetLocalSocketIpPort(int sock, uint32_t& ip, uint16_t& port) { return SocketAddress(sock, false, ip, port); }

int32_t xGetRemoteSocketIpPort(int sock, uint32_t& ip, uint16_t& port) { return SocketAddress(sock, true, ip, port); }

uint32_t xSocketGetAddr(const char* host, SCryptData* crypt) {
  if (!Started(crypt) || !host || !*host || std::strlen(host) > kMaxHostName) return 0;
  uint32_t ip = 0;
  if (FromIpStringToIpNum(host, ip)) return ip;
  if (xIsDottedText(host)) return 0;
  return LookUpName(host);
}

int32_t xGetEphemeralPortRange(uint16_t& low, uint16_t& high) {
  const char* path = g_PortRangeFile.empty() ? kKernelPortRangeFile : g_PortRangeFile.c_str();
  FILE* f = std::fopen(path, "re");
  if (!f) return 0;
  char line[64] = {};
  const bool got = std::fgets(line, sizeof line, f) != nullptr;
  std::fclose(f);
  unsigned a = 0, b = 0;
  char rest = 0;
  if (!got || std::sscanf(line, "%u %u %c", &a, &b, &rest) != 2 || a < 1 || b > 65535 || a > b) return 0;
  low = static_cast<uint16_t>(a);
  high = static_cast<uint16_t>(b);
  return 1;
}

void xSetEphemeralPortRangeFile(const char* path) { g_PortRangeFile = path ? path : ""; }

// ---- the socket wait ----

void xWaitTimeOrSocketsLowLevel(int32_t ms, CLList* entries) {
  std::vector<pollfd> fds;
  std::vector<CSockWait*> owners;
  for (CNode* n = entries ? entries->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* entry = static_cast<CSockWait*>(n->m_pData);
    if (!entry) continue;
    entry->m_Readable = 0;
    entry->m_Writable = 0;
    if (entry->m_Socket < 0) continue;
    fds.push_back({entry->m_Socket, static_cast<short>(POLLIN | (entry->m_WriteInterest ? POLLOUT : 0)), 0});
    owners.push_back(entry);
  }
  if (fds.empty()) {
    if (ms > 0) xSleep(static_cast<uint32_t>(ms));
    return;
  }
  if (poll(fds.data(), fds.size(), ms < 0 ? 0 : ms) <= 0) return;
  for (size_t i = 0; i < fds.size(); ++i) {
    owners[i]->m_Readable = (fds[i].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) != 0;
    owners[i]->m_Writable = (fds[i].revents & POLLOUT) != 0;
  }
}
