// The socket layer under the links: free functions over POSIX TCP sockets. Every socket is
// non-blocking, close-on-exec and writes never raise SIGPIPE; waiting is done with poll, so the
// "blocked" variants wait at most their time-out and never on a silent peer for ever.
//
// Each function takes the socket by reference (closing it sets it to -1) and the socket's
// SCryptData, which must have been started (xStartupSockets); a function handed a missing or
// unstarted SCryptData fails with 0. A function that fails on a socket closes it and clears the
// caller's connected flag, so the caller sees a closed link at its next step.
//
// Address numbers are host order (a.b.c.d is a << 24 | ... | d), ports plain numbers.
#pragma once

#include <cstdint>

class CLList;
struct sockaddr_in;
struct ssl_ctx_st;
struct ssl_st;

// A transformation of the byte stream between the socket and the link (the KVT link): it runs a
// handshake first and then carries every byte. The socket layer owns it through SCryptData.
class CSocketFilter {
 public:
  virtual ~CSocketFilter() = default;
  // One handshake step: 0 to go on (IsFinished tells whether it is done), negative on a socket
  // error.
  virtual int32_t Handshake(int sock) = 0;
  virtual int32_t IsFinished() const = 0;
  // After the handshake: 1 when the filter carries the stream, 0 when the stream stays plain.
  virtual int32_t IsEnabled() const = 0;
  // Bytes of data taken (all of them once a frame is out), -2 while a frame is still going out,
  // 0 or -1 on a socket error.
  virtual int32_t Write(int sock, const void* data, uint32_t size) = 0;
  // Plain bytes copied, -2 when none are ready, 0 when the peer closed, -1 on error.
  virtual int32_t Read(int sock, void* buffer, uint32_t size) = 0;
  // 1 while bytes wait inside the filter, so a wait on the socket must not block.
  virtual int32_t HasPending() const { return 0; }
  // The socket's connection is up (connected or accepted): the handshake's clock starts now.
  virtual void OnConnected() {}
};

inline constexpr int32_t SOCKET_CRYPT_TLS = 1;

// The encryption state of one socket; all zero until started.
struct SCryptData {
  SCryptData() = default;
  // Frees the filter, the TLS connection and context and the file names.
  ~SCryptData();
  SCryptData(const SCryptData&) = delete;
  SCryptData& operator=(const SCryptData&) = delete;

  int32_t m_Started = 0;
  int32_t m_Kind = 0;  // SOCKET_CRYPT_TLS or 0 (plain)
  int32_t m_Role = 0;  // as given to xStartupSockets: 1 for client links
  int32_t m_KvtMode = 0;
  int32_t m_KvtFlag = 0;  // 1 while the KVT link carries the data
  CSocketFilter* m_pKvtLink = nullptr;
  char* m_pCertificateFile = nullptr;
  char* m_pKeyFile = nullptr;
  ssl_ctx_st* m_pTlsContext = nullptr;
  ssl_st* m_pTls = nullptr;
  int32_t m_Spare = 0;
  // The blocking mode last set on this socket, so that the per-step switch costs no system call.
  int m_ModeSocket = -1;
  int32_t m_ModeNonBlocking = 0;
};

// One entry of the socket wait.
enum {
  SOCKWAIT_LOCAL_CLIENT = 1,
  SOCKWAIT_REMOTE_CLIENT = 2,
  SOCKWAIT_LOCAL_SERVER = 3,
  SOCKWAIT_REMOTE_SERVER = 4,
  SOCKWAIT_PROXY_CLIENT_SIDE = 5,
  SOCKWAIT_PROXY_SERVER_SIDE = 6,
  SOCKWAIT_PROXY_SERVER = 7,
  SOCKWAIT_WATCHED = 8,  // a socket another object asked the wait to watch (xSockWaitWatch)
};

struct CSockWait {
  int m_Socket = -1;
  int32_t m_Readable = 0;
  int32_t m_Writable = 0;
  int32_t m_ReadInterest = 0;
  int32_t m_WriteInterest = 0;
  void* m_pOwner = nullptr;
  int32_t m_Kind = 0;
};

// The most connections a server takes from its listening socket in one pass: enough to empty the
// queue of a burst in a few frames, few enough that the frame loop keeps its pace.
inline constexpr int32_t SOCKET_ACCEPTS_PER_PASS = 64;

// How long the blocked variants wait when the caller names no time-out.
inline constexpr int32_t SOCKET_DEFAULT_BLOCK_MS = 10000;
// How long the connect step waits for the proxy header to go out.
inline constexpr uint32_t SOCKET_PROXY_HEADER_MS = 15000;

// ---- start and stop ----
// Raises the process's start count (in sglb) and stores it in count; marks the SCryptData started
// with the role. The first start ignores SIGPIPE for the process.
int32_t xStartupSockets(int32_t& count, int32_t role, SCryptData* crypt);
// For TLS state: clears kind and role and frees the filter, TLS objects and file names. Clears
// count. The process's start count is never lowered.
int32_t xClosedownSockets(int32_t& count, SCryptData* crypt);

// ---- connecting ----
// Starts a non-blocking connection to the proxy (when proxyHost is given) or to host. 0 without
// host, with a port outside 1-65535, or when the name cannot be resolved (the layer's error text
// says so).
int32_t xConnectSocket(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort, int& sock,
                       sockaddr_in* address, SCryptData* crypt);
// One look at a connection in progress: 1 while connecting (connected 0) or once it is up
// (connected 1); 0 when it failed (the socket is closed). Through a proxy, the location header
// for host and port goes out first (at most SOCKET_PROXY_HEADER_MS on the core clock, with the
// frame loop run between attempts).
int32_t xNonBlockedConnectHandler(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort,
                                  int& sock, int& connected, SCryptData* crypt);
// The same, waiting up to timeout ms (SOCKET_DEFAULT_BLOCK_MS when timeout <= 0) for the
// connection; 1 with connected 0 when it is still in progress after that.
int32_t xBlockedConnectHandler(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort,
                               int& sock, int& connected, int32_t timeout, SCryptData* crypt);
// Shuts both directions down and closes; 1 with nothing changed when there is no socket.
int32_t xDisconnectSocket(int& sock, int& connected, SCryptData* crypt);
void xCloseSocket(int& sock);
void xCloseSocketSimple(int& sock);

int32_t SetSocketBlockingMode(int& sock, int& connected, int32_t nonBlocking, SCryptData* crypt);
int32_t MakeSocketBlocking(int& sock, int& connected, SCryptData* crypt);
int32_t MakeSocketNonBlocking(int& sock, int& connected, SCryptData* crypt);
// Reads the socket's pending error; an error closes the socket (0).
int32_t xCheckConnectionUp(int& sock, int& connected, SCryptData* crypt);

// 1 when the socket's bytes pass as they are (no TLS, no KVT link, not even one still shaking
// hands): a short read then means nothing more waits, and a short write that the socket is full.
int32_t xSocketIsPlain(const SCryptData* crypt);

// ---- transfer ----
// One write (when writeBuffer is given and writeFill < writeTarget) and one read (likewise) of
// what the socket takes or has. A peer that closed shows as result 1 with connected 0 and the
// socket closed; any other error closes the socket and gives 0.
int32_t xSocketHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                       const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt);
// The blocking kind: writes until writeTarget is reached and reads until at least one byte came
// (or the read target is reached), waiting at most timeout ms (SOCKET_DEFAULT_BLOCK_MS when
// timeout <= 0) for the socket; a time-out is result 1 with what was moved so far.
int32_t xBlockedHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                        const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt,
                        int32_t timeout = 0);
int32_t xNonBlockedHandler(int& sock, int& connected, void* readBuffer, uint32_t& readFill, uint32_t readTarget,
                           const void* writeBuffer, uint32_t& writeFill, uint32_t writeTarget, SCryptData* crypt);

// ---- listening ----
// Listens on port (0: a port the system picks) at bindAddress (0: every address), with the
// system's largest backlog, so that a burst of connections waits in the queue rather than being
// dropped. A fixed port inside the ephemeral range is noted in the start-up log.
int32_t xStartListenSocket(uint32_t port, int& sock, sockaddr_in* address, SCryptData* crypt,
                           uint32_t bindAddress = 0);
int32_t xStopListenSocket(int& sock, int& running, SCryptData* crypt);
// 1 when the socket listens.
int32_t xBlockedStartListenHandler(int& sock, int32_t timeout, SCryptData* crypt);
// One look at the listening socket: an error closes it (0); a pending connection is accepted
// (accepted 1, acceptedSock set); 1.
int32_t xNonBlockedListenHandler(int& listenSock, int& acceptedSock, sockaddr_in* address, int& running,
                                 int& accepted, SCryptData* crypt);
// The same, waiting up to timeout ms (SOCKET_DEFAULT_BLOCK_MS when timeout <= 0) for a connection.
int32_t xBlockedListenHandler(int& listenSock, int& acceptedSock, sockaddr_in* address, int& running,
                              int& accepted, int32_t timeout, SCryptData* crypt);
// Accepts one connection as a non-blocking socket; nothing pending is success with no socket.
int32_t xAcceptIncomingConnection(int listenSock, int& acceptedSock, sockaddr_in* address, SCryptData* crypt);

// ---- addresses ----
// The machine's first IPv4 address; 0 when it has none.
uint32_t xGetLocalIp();
int32_t xGetLocalSocketIpPort(int sock, uint32_t& ip, uint16_t& port);
int32_t xGetRemoteSocketIpPort(int sock, uint32_t& ip, uint16_t& port);
// A dotted address or the first IPv4 address of the name; 0 when it cannot be had.
uint32_t xSocketGetAddr(const char* host, SCryptData* crypt);
// The kernel's range of ports it hands out by itself; 0 when it cannot be read.
int32_t xGetEphemeralPortRange(uint16_t& low, uint16_t& high);
// Where that range is read from (tests); null restores the kernel's file.
void xSetEphemeralPortRangeFile(const char* path);

// 1 when TLS or the KVT link holds received bytes that the next read hands out without the socket
// turning readable.
int32_t xSocketHasPending(const SCryptData* crypt);

// The text of the layer's last error ("" when none).
const char* xGetSocketErrorText();

// ---- the socket wait ----
// Waits up to ms for any entry's socket to become readable (or writable, for write interest) or
// to show an error, and marks the entries; returns early as soon as one does. Entries without a
// socket take no part; with no socket at all it sleeps.
void xWaitTimeOrSocketsLowLevel(int32_t ms, CLList* entries);
