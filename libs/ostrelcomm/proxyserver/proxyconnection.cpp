#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <algorithm>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/proxyserver/proxyserver.h"
#include "ostrelcomm/tls.h"

namespace {

constexpr char kWaitTarget[] = "Wait for IP/port";
constexpr char kConnecting[] = "Connect to server";
constexpr char kClientLocation[] = "Send client IP/port";
constexpr char kRouting[] = "Routing data";

// One relay step's read buffer; the library runs on one thread.
uint8_t g_ReadBuffer[PROXY_READ_SIZE];

}  // namespace

// ---- CProxyData ----

CProxyData::~CProxyData() { Clear(); }

void CProxyData::Clear() {
  xFree(m_pHost);
  xFree(m_pData);
  m_pHost = nullptr;
  m_pData = nullptr;
  m_Size = 0;
  m_Port = 0;
  m_Type = 0;
}

int32_t CProxyData::SetTypeConnect(const char* host, uint32_t port) {
  Clear();
  if (!host || !(m_pHost = xStrdup(host))) return 0;
  m_Port = port;
  m_Type = TYPE_CONNECT;
  return 1;
}

int32_t CProxyData::SetTypeDisconnect() {
  Clear();
  m_Type = TYPE_DISCONNECT;
  return 1;
}

int32_t CProxyData::SetTypeData(const void* data, uint32_t size) {
  Clear();
  if (size) {
    m_pData = static_cast<uint8_t*>(::operator new(size, std::nothrow));
    if (!m_pData) return 0;
    std::memcpy(m_pData, data, size);
  }
  m_Size = size;
  m_Type = TYPE_DATA;
  return 1;
}

int32_t CProxyData::GetTypeConnect(char*& host, uint32_t& port) const {
  if (m_Type != TYPE_CONNECT || !(host = xStrdup(m_pHost))) return 0;
  port = m_Port;
  return 1;
}

int32_t CProxyData::GetTypeData(uint8_t*& data, uint32_t& size) const {
  if (m_Type != TYPE_DATA) return 0;
  data = static_cast<uint8_t*>(::operator new(m_Size ? m_Size : 1, std::nothrow));
  if (!data) return 0;
  if (m_Size) std::memcpy(data, m_pData, m_Size);
  size = m_Size;
  return 1;
}

// ---- CProxyConnection ----

CProxyConnection::CProxyConnection(int acceptedSocket, CCommProxyServer* server, int32_t flag)
    : m_pServer(server), m_Flag(flag), m_ClientSocket(acceptedSocket), m_ClientConnected(acceptedSocket >= 0) {
  const uint32_t now = xGetTime();
  m_ClientAction = m_ServerAction = m_StateStart = now;
  m_pConnectTime = GetFormattedDateString();
}

CProxyConnection::~CProxyConnection() {
  Closedown();
  if (m_ClientStart) xClosedownSockets(m_ClientStart, &m_ClientCrypt);
  if (m_ServerStart) xClosedownSockets(m_ServerStart, &m_ServerCrypt);
  if (glb) xCommRemoveFromList(glb->m_pProxyConnectionList, this);
  for (CNode* n = m_Rules.HeadNode(); n; n = n->m_pNext) delete static_cast<COutRule*>(n->m_pData);
  m_Rules.KillAll();
  delete m_pRule;
  for (char* text : {m_pCertificateFile, m_pKeyFile, m_pForwardHost, m_pServerHost, m_pClientIp, m_pConnectTime,
                     m_pDisconnectTime})
    xFree(text);
}

char* CProxyConnection::GetFormattedDateString() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char text[64];
  std::snprintf(text, sizeof text, "%lu-%lu-%lu %lu:%lu:%lu", static_cast<unsigned long>(t.tm_year + 1900),
                static_cast<unsigned long>(t.tm_mon + 1), static_cast<unsigned long>(t.tm_mday),
                static_cast<unsigned long>(t.tm_hour), static_cast<unsigned long>(t.tm_min),
                static_cast<unsigned long>(t.tm_sec));
  return xStrdup(text);
}

int32_t CProxyConnection::AddOutRules(CLList* rules) {
  for (CNode* n = rules ? rules->HeadNode() : nullptr; n; n = n->m_pNext) {
    COutRule* copy = static_cast<COutRule*>(n->m_pData)->Duplicate();
    if (!copy) return 0;
    if (!m_Rules.InsertLast(copy)) {
      delete copy;
      return 0;
    }
  }
  return 1;
}

int32_t CProxyConnection::SetIncomingEncryption(int32_t flag, const char* certificateFile, const char* keyFile) {
  m_IncomingEncryption = flag;
  return xStrReplace(m_pCertificateFile, certificateFile) && xStrReplace(m_pKeyFile, keyFile);
}

int32_t CProxyConnection::SetOnErrorForward(int32_t flag, const char* host, uint32_t port) {
  m_OnErrorForward = flag;
  m_ForwardPort = port;
  return xStrReplace(m_pForwardHost, host);
}

int32_t CProxyConnection::SetServerInfo(const char* host, uint32_t port) {
  m_ServerPort = port;
  return xStrReplace(m_pServerHost, host);
}

int32_t CProxyConnection::SetClientInfo(const char* address) { return xStrReplace(m_pClientIp, address); }

int32_t CProxyConnection::Startup() {
  if (m_Started) return 1;
  if (!xStartupSockets(m_ClientStart, 0, &m_ClientCrypt) || !xStartupSockets(m_ServerStart, 1, &m_ServerCrypt))
    return Fail("Startup", "xStartupSockets returned FALSE.");
  // The KVT link's server side goes first, so that an encrypted socket keeps it under TLS too.
  if (!xSetServerKVTEncryption(&m_ClientCrypt, m_AllowBlowfish ? 1 : 0))
    return Fail("Startup", "Unable to set the KVT link.");
  if (m_IncomingEncryption &&
      !xMakeGivenServerSocketEncrypted(m_ClientSocket, m_pCertificateFile, m_pKeyFile, &m_ClientCrypt))
    return Fail("Startup", "Unable to make the client socket encrypted.");
  if (m_OutgoingEncryption && !xSetClientEncryption(&m_ServerCrypt))
    return Fail("Startup", "Unable to set outgoing encryption.");
  if (!glb || !glb->m_pProxyConnectionList || !glb->m_pProxyConnectionList->IfNotInsertLast(this))
    return Fail("Startup", "Out of memory.");
  m_Started = 1;
  m_StateStart = xGetTime();
  return 1;
}

void CProxyConnection::Log(const char* phase, const char* text) {
  if (m_pServer)
    m_pServer->Log("CProxyConnection::Handler(%s): %s", phase, text);
  else
    xCommError("CProxyConnection::Handler(%s): %s", phase, text);
}

int32_t CProxyConnection::Fail(const char* phase, const char* text) {
  Log(phase, text);
  return ConnectionError();
}

int32_t CProxyConnection::ConnectionError() {
  Closedown();
  m_State = PROXY_DONE;
  return 0;
}

int32_t CProxyConnection::Closedown() {
  int connected = m_ClientConnected;
  if (m_ClientSocket >= 0) xDisconnectSocket(m_ClientSocket, connected, &m_ClientCrypt);
  xCloseSocket(m_ClientSocket);
  connected = m_ServerConnected;
  if (m_ServerSocket >= 0) xDisconnectSocket(m_ServerSocket, connected, &m_ServerCrypt);
  xCloseSocket(m_ServerSocket);
  m_ClientConnected = m_ServerConnected = 0;
  m_ToClient.clear();
  m_ToServer.clear();
  m_ToClientBytes = m_ToServerBytes = 0;
  m_ToClientOffset = m_ToServerOffset = 0;
  if (!m_pDisconnectTime) m_pDisconnectTime = GetFormattedDateString();
  return 1;
}

void CProxyConnection::Touch(uint32_t& when) { when = xGetTime(); }

int32_t CProxyConnection::ShouldForward(const CProxyLocation& header, uint32_t received) const {
  return m_OnErrorForward && received >= 4 && !header.HeaderOk();
}

int32_t CProxyConnection::ActionTimeout() const {
  const uint32_t now = xGetTime();
  const uint32_t idleClient = xTimeDiff(m_ClientAction, now);
  const uint32_t idleServer = xTimeDiff(m_ServerAction, now);
  const uint64_t idle = idleClient < idleServer ? idleClient : idleServer;
  // Minutes times 60000 overflows 32 bits from about 71583 minutes on (the default is 300000).
  const bool up = m_ClientConnected && m_ServerConnected && m_State >= PROXY_ROUTING;
  const uint64_t limit = up ? static_cast<uint64_t>(m_MinActionTime) * 60000u : PROXY_UNCONNECTED_IDLE_MS;
  return idle > limit;
}

int32_t CProxyConnection::Handler() {
  switch (m_State) {
    case PROXY_WAIT_TARGET:
      return WaitTarget();
    case PROXY_CONNECTING:
      return Connecting();
    case PROXY_SEND_CLIENT_LOCATION:
      return SendClientLocation();
    case PROXY_ROUTING:
      return Route();
    case PROXY_CLOSING:
      return Flush();
    case PROXY_CLOSE:
      Closedown();
      m_State = PROXY_CLOSED_WAIT;
      m_StateStart = xGetTime();
      return 1;
    case PROXY_CLOSED_WAIT:
      if (xTimeDiff(m_StateStart, xGetTime()) >= 1000) m_State = PROXY_DONE;
      return 1;
    default:
      return 0;
  }
}

int32_t CProxyConnection::WaitTarget() {
  if (!m_ClientConnected || m_ClientSocket < 0)
    return Fail(kWaitTarget, "Lost connection to client (clientConnected flag is FALSE).");
  // Looked at without taking: only the header itself is read off the socket, so whatever the
  // client sent behind it (or in its place, when forwarded) stays for the relay and its decoding.
  const ssize_t n = recv(m_ClientSocket, m_Received.GetData(), PROXY_LOCATION_SIZE, MSG_PEEK | MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
    return Fail(kWaitTarget, "Lost connection to client (xBlockedHandler returned FALSE).");
  if (n > 0) {
    m_ReceivedFill = static_cast<uint32_t>(n);
    Touch(m_ClientAction);
  }
  if (ShouldForward(m_Received, m_ReceivedFill)) {
    if (!SetServerInfo(m_pForwardHost, m_ForwardPort)) return Fail(kWaitTarget, "Out of memory.");
    Log(kWaitTarget, "No location header, forwarding to the on-error host.");
    return StartServerConnection(m_pForwardHost, m_ForwardPort);
  }
  if (m_ReceivedFill < PROXY_LOCATION_SIZE) {
    // A client that sent part of a header and went away is seen only by its hang-up.
    pollfd p{m_ClientSocket, POLLRDHUP, 0};
    if (m_ReceivedFill && poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)))
      return Fail(kWaitTarget, "Lost connection to client (xBlockedHandler returned FALSE).");
    if (xTimeDiff(m_StateStart, xGetTime()) > PROXY_STEP_TIMEOUT_MS)
      return Fail(kWaitTarget, "Timeout, didn't receive initial remote IP/port.");
    return 1;
  }
  if (recv(m_ClientSocket, m_Received.GetData(), PROXY_LOCATION_SIZE, MSG_DONTWAIT) != PROXY_LOCATION_SIZE)
    return Fail(kWaitTarget, "Lost connection to client (xBlockedHandler returned FALSE).");
  char* host = nullptr;
  uint16_t port = 0;
  if (!m_Received.HeaderOk() || !m_Received.GetLocation(host, port))
    return Fail(kWaitTarget, "Unable to parse IP/port from client.");
  COutRule* match = nullptr;
  for (CNode* n = m_Rules.HeadNode(); n && !match; n = n->m_pNext) {
    auto* rule = static_cast<COutRule*>(n->m_pData);
    if (rule->MatchesTarget(host, port)) match = rule;
  }
  if (!match) {
    xFree(host);
    return Fail(kWaitTarget, "Ip and port does not match any rule. Dropping connection");
  }
  delete m_pRule;
  m_pRule = match->Duplicate();
  if (!m_pRule || !SetServerInfo(host, port)) {
    xFree(host);
    return Fail(kWaitTarget, "Out of memory.");
  }
  xFree(host);
  m_MinActionTime = m_pRule->GetMinActionTime();
  m_ClientLocationForward = m_pRule->GetClientLocationForward();
  if (m_pRule->GetForceOutgoingEncryption() && m_ServerCrypt.m_Kind != SOCKET_CRYPT_TLS &&
      !xSetClientEncryption(&m_ServerCrypt))
    return Fail(kWaitTarget, "Unable to set outgoing encryption.");
  return StartServerConnection(m_pServerHost, m_ServerPort);
}

int32_t CProxyConnection::StartServerConnection(const char* host, uint32_t port) {
  if (!xConnectSocket(host, port, nullptr, 0, m_ServerSocket, nullptr, &m_ServerCrypt))
    return Fail(kWaitTarget, "xConnectSocket failed.");
  m_State = PROXY_CONNECTING;
  m_StateStart = xGetTime();
  return 1;
}

int32_t CProxyConnection::Connecting() {
  if (!m_ClientConnected || m_ClientSocket < 0)
    return Fail(kConnecting, "Lost connection to client (clientConnected flag is FALSE).");
  if (!xNonBlockedConnectHandler(m_pServerHost, m_ServerPort, nullptr, 0, m_ServerSocket, m_ServerConnected,
                                 &m_ServerCrypt))
    return Fail(kConnecting, "Unable to connect to server.");
  if (!m_ServerConnected) {
    if (xTimeDiff(m_StateStart, xGetTime()) > PROXY_STEP_TIMEOUT_MS)
      return Fail(kConnecting, "Timeout, wasn't able to connect to server.");
    return 1;
  }
  Touch(m_ServerAction);
  m_State = m_ClientLocationForward ? PROXY_SEND_CLIENT_LOCATION : PROXY_ROUTING;
  m_StateStart = xGetTime();
  return 1;
}

int32_t CProxyConnection::SendClientLocation() {
  if (m_SentFill == 0) {
    uint32_t ip = 0;
    if (!m_pClientIp || !FromIpStringToIpNum(m_pClientIp, ip) || !m_Sent.SetLocation(m_pClientIp, m_ClientPort))
      return Fail(kClientLocation, "Unable to set clientip.");
  }
  uint32_t none = 0;
  // Through the socket layer, so that it travels inside outgoing TLS like everything after it.
  if (!xNonBlockedHandler(m_ServerSocket, m_ServerConnected, nullptr, none, 0, m_Sent.GetData(), m_SentFill,
                          PROXY_LOCATION_SIZE, &m_ServerCrypt) ||
      m_ServerSocket < 0)
    return Fail(kClientLocation, "Lost connection to server (xBlockedHandler returned FALSE).");
  if (m_SentFill < PROXY_LOCATION_SIZE) {
    if (xTimeDiff(m_StateStart, xGetTime()) > PROXY_STEP_TIMEOUT_MS)
      return Fail(kClientLocation, "Timeout, unable to send client IP/port to server.");
    return 1;
  }
  Touch(m_ServerAction);
  m_State = PROXY_ROUTING;
  m_StateStart = xGetTime();
  return 1;
}

CProxyConnection::SDirection CProxyConnection::Direction(int32_t toServer) {
  if (toServer)
    return {m_ClientSocket, m_ClientConnected, &m_ClientCrypt, m_ClientAction, m_ServerSocket, m_ServerConnected,
            &m_ServerCrypt, m_ServerAction, m_ToServer, m_ToServerBytes, m_ToServerOffset, m_ClientToServerBytes, 1};
  return {m_ServerSocket, m_ServerConnected, &m_ServerCrypt, m_ServerAction, m_ClientSocket, m_ClientConnected,
          &m_ClientCrypt, m_ClientAction, m_ToClient, m_ToClientBytes, m_ToClientOffset, m_ServerToClientBytes, 0};
}

// Reads one chunk from the sending side. While nothing waits in the queue the chunk is written on
// at once and only what the other side did not take is queued: no copy on the usual path.
int32_t CProxyConnection::ReadSide(SDirection d) {
  if (d.fromSock < 0 || d.queued >= PROXY_QUEUE_BOUND) return 0;
  uint32_t fill = 0, none = 0;
  if (!xNonBlockedHandler(d.fromSock, d.fromConnected, g_ReadBuffer, fill, PROXY_READ_SIZE, nullptr, none, 0,
                          d.fromCrypt))
    return -1;
  if (!fill) return 0;
  d.counter += fill;
  if (m_pServer) {
    if (d.toServer)
      m_pServer->AddFromClientToServerBytes(fill);
    else
      m_pServer->AddFromServerToClientBytes(fill);
  }
  Touch(d.fromAction);
  uint32_t written = 0;
  if (d.queue.empty() && d.toSock >= 0) {
    if (!xNonBlockedHandler(d.toSock, d.toConnected, nullptr, none, 0, g_ReadBuffer, written, fill, d.toCrypt))
      return -1;
    if (written) Touch(d.toAction);
  }
  if (written < fill) {
    auto record = std::unique_ptr<CProxyData>(new (std::nothrow) CProxyData);
    if (!record || !record->SetTypeData(g_ReadBuffer + written, fill - written)) {
      Log(kRouting, d.toServer ? "Recvclient: Out of memory." : "Recvserver: Out of memory.");
      return -1;
    }
    d.queue.push_back(std::move(record));
    d.queued += fill - written;
  }
  return static_cast<int32_t>(fill);
}

int32_t CProxyConnection::WriteSide(SDirection d) {
  if (d.queue.empty() || d.toSock < 0) return 0;
  CProxyData* record = d.queue.front().get();
  if (record->GetDataType() != CProxyData::TYPE_DATA) {
    Log(kRouting, d.toServer ? "Sendserver: a record that is not data." : "Sendclient: a record that is not data.");
    return -1;
  }
  const uint32_t before = d.offset;
  uint32_t none = 0;
  if (!xNonBlockedHandler(d.toSock, d.toConnected, nullptr, none, 0, record->Data(), d.offset, record->Size(),
                          d.toCrypt))
    return -1;
  const uint32_t moved = d.offset - before;
  if (d.offset >= record->Size()) {
    d.queued -= record->Size();
    d.offset = 0;
    d.queue.pop_front();
  }
  if (moved) Touch(d.toAction);
  return static_cast<int32_t>(moved);
}

bool CProxyConnection::BothUp() const {
  return m_ClientSocket >= 0 && m_ServerSocket >= 0 && m_ClientConnected && m_ServerConnected;
}

int32_t CProxyConnection::Route() {
  // A few rounds while bytes move, then the other connections get their turn. A side is read
  // only while the other side's queue has room, so a slow reader holds the sender back instead
  // of growing the queue without end.
  for (int round = 0; round < 16 && BothUp(); ++round) {
    int32_t moved = 0;
    bool failed = false;
    for (int32_t toServer : {1, 0}) {
      const int32_t out = WriteSide(Direction(toServer));
      const int32_t in = out < 0 ? -1 : ReadSide(Direction(toServer));
      failed |= out < 0 || in < 0;
      moved += std::max(out, 0) + std::max(in, 0);
    }
    if (failed) break;
    if (!moved) return 1;
  }
  if (!BothUp()) {
    m_State = PROXY_CLOSING;
    m_StateStart = xGetTime();
  }
  return 1;
}

// What one side sent before the other closed still goes out to the side that remains.
int32_t CProxyConnection::Flush() {
  bool failed = false, pending = false;
  for (int32_t toServer : {1, 0}) {
    SDirection d = Direction(toServer);
    if (d.toSock < 0 || !d.toConnected) continue;
    failed |= WriteSide(d) < 0;
    pending |= !d.queue.empty() && d.toSock >= 0 && d.toConnected;
  }
  if (failed || !pending || xTimeDiff(m_StateStart, xGetTime()) > PROXY_FLUSH_TIMEOUT_MS) m_State = PROXY_CLOSE;
  return 1;
}

int32_t CProxyConnection::WaitEntries(std::vector<CSockWait>& entries) const {
  if (xSocketHasPending(&m_ClientCrypt) || xSocketHasPending(&m_ServerCrypt) || m_State == PROXY_CLOSE) return 0;
  auto add = [&](int sock, int32_t read, int32_t write) {
    if (sock < 0 || (!read && !write)) return;
    CSockWait entry;
    entry.m_Socket = sock;
    entry.m_ReadInterest = read;
    entry.m_WriteInterest = write;
    entries.push_back(entry);
  };
  switch (m_State) {
    case PROXY_WAIT_TARGET:
      add(m_ClientSocket, 1, 0);
      break;
    case PROXY_CONNECTING:
    case PROXY_SEND_CLIENT_LOCATION:
      add(m_ServerSocket, 1, 1);
      add(m_ClientSocket, 0, 0);
      break;
    case PROXY_ROUTING:
    case PROXY_CLOSING:
      add(m_ClientSocket, m_ToServerBytes < PROXY_QUEUE_BOUND, !m_ToClient.empty());
      add(m_ServerSocket, m_ToClientBytes < PROXY_QUEUE_BOUND, !m_ToServer.empty());
      break;
    default:
      break;
  }
  return 1;
}

void CProxyConnection::LogState() {
  if (!m_pServer) return;
  m_pServer->Log("Connection state %d client %s:%u server %s:%u connecttime: %s client->server: %u server->client: %u "
                 "queued: %llu/%llu",
                 m_State, GetClientIp(), m_ClientPort, GetServerHost(), m_ServerPort, GetConnectTime(),
                 m_ClientToServerBytes, m_ServerToClientBytes, static_cast<unsigned long long>(m_ToServerBytes),
                 static_cast<unsigned long long>(m_ToClientBytes));
}
