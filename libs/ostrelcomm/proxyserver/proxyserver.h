// The forwarding proxy: one listening port; each accepted connection names its target with a
// location header, is checked against the out-rules, connected onwards and relayed both ways
// until a side closes or it stays idle too long. Each side may be plain, TLS or (client side) the
// KVT link. Polled: the owner calls Handler once per frame (WaitForTraffic in between).
//
// The location header always comes in plain, before any TLS or KVT handshake of the client (as
// our client links send it); only the header's 48 bytes are taken off the socket, so whatever
// follows goes through the client side's decoding to the server. The client location sent on to
// the server travels inside the outgoing TLS, where the server's links read it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "ostrel/containers/llist.h"
#include "ostrelcomm/proxyrules.h"
#include "ostrelcomm/socket.h"

class CCommProxyServer;

// One queued unit of relayed traffic.
class CProxyData {
 public:
  enum : uint8_t { TYPE_CONNECT = 1, TYPE_DISCONNECT = 2, TYPE_DATA = 3 };
  CProxyData() = default;
  ~CProxyData();
  CProxyData(const CProxyData&) = delete;
  CProxyData& operator=(const CProxyData&) = delete;

  int32_t SetTypeConnect(const char* host, uint32_t port);
  int32_t SetTypeDisconnect();
  int32_t SetTypeData(const void* data, uint32_t size);
  // New copies (xFree); 0 for another type.
  int32_t GetTypeConnect(char*& host, uint32_t& port) const;
  int32_t GetTypeData(uint8_t*& data, uint32_t& size) const;
  uint8_t GetDataType() const { return m_Type; }
  // The data in place (type 3).
  const uint8_t* Data() const { return m_pData; }
  uint32_t Size() const { return m_Size; }

 private:
  void Clear();
  uint8_t m_Type = 0;
  char* m_pHost = nullptr;
  uint32_t m_Port = 0;
  uint8_t* m_pData = nullptr;
  uint32_t m_Size = 0;
};

// Connection states.
enum {
  PROXY_WAIT_TARGET = 2,
  PROXY_CONNECTING = 3,
  PROXY_SEND_CLIENT_LOCATION = 4,
  PROXY_ROUTING = 5,
  PROXY_CLOSING = 6,
  PROXY_CLOSE = 7,
  PROXY_CLOSED_WAIT = 8,
  PROXY_DONE = 9,
};

// Limits of the relay: a side is not read while the other side's queue holds this much.
inline constexpr uint32_t PROXY_QUEUE_BOUND = 256 * 1024;
inline constexpr uint32_t PROXY_READ_SIZE = 64 * 1024;
// Time limits of the steps before routing, and of flushing what is queued once a side closed.
inline constexpr uint32_t PROXY_STEP_TIMEOUT_MS = 60000;
inline constexpr uint32_t PROXY_FLUSH_TIMEOUT_MS = 10000;
inline constexpr uint32_t PROXY_UNCONNECTED_IDLE_MS = 300000;

class CProxyConnection {
 public:
  CProxyConnection(int acceptedSocket, CCommProxyServer* server, int32_t flag);
  ~CProxyConnection();
  CProxyConnection(const CProxyConnection&) = delete;
  CProxyConnection& operator=(const CProxyConnection&) = delete;

  // Copies every rule of the list (COutRule*); 0 when out of memory.
  int32_t AddOutRules(CLList* rules);
  int32_t SetIncomingEncryption(int32_t flag, const char* certificateFile, const char* keyFile);
  void SetOutgoingEncryption(int32_t flag) { m_OutgoingEncryption = flag; }
  void SetAllowBlowfishEncryption(int32_t flag) { m_AllowBlowfish = flag; }
  int32_t SetOnErrorForward(int32_t flag, const char* host, uint32_t port);
  int32_t SetServerInfo(const char* host, uint32_t port);
  int32_t SetClientInfo(const char* address);
  // The client's port, for the location header sent onwards.
  void SetClientPort(uint16_t port) { m_ClientPort = port; }

  int32_t Startup();
  // One step; 0 once the connection is over.
  int32_t Handler();
  int32_t Closedown();
  int32_t ConnectionError();
  int32_t ShouldForward(const CProxyLocation& header, uint32_t received) const;
  int32_t ActionTimeout() const;
  int32_t NeedClientWrite() const { return !m_ToClient.empty(); }
  int32_t NeedServerWrite() const { return !m_ToServer.empty(); }

  int* GetClientSocketPtr() { return &m_ClientSocket; }
  int* GetServerSocketPtr() { return &m_ServerSocket; }
  const SCryptData* GetClientCrypt() const { return &m_ClientCrypt; }
  const SCryptData* GetServerCrypt() const { return &m_ServerCrypt; }
  // The flag the server gave at construction.
  int32_t GetFlag() const { return m_Flag; }
  int32_t GetState() const { return m_State; }
  const char* GetClientIp() const { return m_pClientIp ? m_pClientIp : ""; }
  const char* GetServerHost() const { return m_pServerHost ? m_pServerHost : ""; }
  uint32_t GetServerPort() const { return m_ServerPort; }
  const char* GetConnectTime() const { return m_pConnectTime ? m_pConnectTime : ""; }
  const char* GetDisconnectTime() const { return m_pDisconnectTime ? m_pDisconnectTime : ""; }
  uint32_t GetServerToClientBytes() const { return m_ServerToClientBytes; }
  uint32_t GetClientToServerBytes() const { return m_ClientToServerBytes; }
  uint32_t GetMinActionTime() const { return m_MinActionTime; }
  // Bytes waiting in each queue (the relay's memory).
  uint64_t QueuedToClient() const { return m_ToClientBytes; }
  uint64_t QueuedToServer() const { return m_ToServerBytes; }
  // The sockets to wait on, with the directions that would move something now; 0 when a side
  // holds bytes inside TLS or the KVT link, so the wait must not block.
  int32_t WaitEntries(std::vector<CSockWait>& entries) const;
  void LogState();
  // "%lu-%lu-%lu %lu:%lu:%lu" of the wall clock, as a new text (xFree).
  static char* GetFormattedDateString();

 private:
  int32_t WaitTarget();
  int32_t StartServerConnection(const char* host, uint32_t port);
  int32_t Connecting();
  int32_t SendClientLocation();
  int32_t Route();
  int32_t Flush();
  // One direction of the relay: the side it reads, the side it writes and the queue between.
  struct SDirection {
    int& fromSock;
    int& fromConnected;
    SCryptData* fromCrypt;
    uint32_t& fromAction;
    int& toSock;
    int& toConnected;
    SCryptData* toCrypt;
    uint32_t& toAction;
    std::deque<std::unique_ptr<CProxyData>>& queue;
    uint64_t& queued;
    uint32_t& offset;
    uint32_t& counter;
    int32_t toServer;
  };
  SDirection Direction(int32_t toServer);
  // Bytes moved; -1 on failure (the socket layer closed the socket).
  int32_t ReadSide(SDirection d);
  int32_t WriteSide(SDirection d);
  bool BothUp() const;
  int32_t Fail(const char* phase, const char* text);
  void Log(const char* phase, const char* text);
  void Touch(uint32_t& when);

  CCommProxyServer* m_pServer;
  int32_t m_Flag;
  int32_t m_State = PROXY_WAIT_TARGET;
  int m_ClientSocket = -1;
  int m_ClientConnected = 0;
  int m_ServerSocket = -1;
  int m_ServerConnected = 0;
  SCryptData m_ClientCrypt;
  SCryptData m_ServerCrypt;
  int32_t m_ClientStart = 0;
  int32_t m_ServerStart = 0;
  int32_t m_Started = 0;
  std::deque<std::unique_ptr<CProxyData>> m_ToClient;
  std::deque<std::unique_ptr<CProxyData>> m_ToServer;
  uint64_t m_ToClientBytes = 0;
  uint64_t m_ToServerBytes = 0;
  uint32_t m_ToClientOffset = 0;
  uint32_t m_ToServerOffset = 0;
  CProxyLocation m_Received;
  uint32_t m_ReceivedFill = 0;
  CProxyLocation m_Sent;
  uint32_t m_SentFill = 0;
  CLList m_Rules;
  COutRule* m_pRule = nullptr;
  int32_t m_IncomingEncryption = 0;
  char* m_pCertificateFile = nullptr;
  char* m_pKeyFile = nullptr;
  int32_t m_OutgoingEncryption = 0;
  int32_t m_AllowBlowfish = 0;
  int32_t m_OnErrorForward = 0;
  char* m_pForwardHost = nullptr;
  uint32_t m_ForwardPort = 0;
  int32_t m_ClientLocationForward = 0;
  char* m_pServerHost = nullptr;
  uint32_t m_ServerPort = 0;
  char* m_pClientIp = nullptr;
  uint16_t m_ClientPort = 0;
  char* m_pConnectTime = nullptr;
  char* m_pDisconnectTime = nullptr;
  uint32_t m_ServerToClientBytes = 0;
  uint32_t m_ClientToServerBytes = 0;
  uint32_t m_ClientAction = 0;
  uint32_t m_ServerAction = 0;
  uint32_t m_StateStart = 0;
  uint32_t m_MinActionTime = 300000;
};

using TProxySpawnCallback = void (*)();

class CCommProxyServer {
 public:
  CCommProxyServer();
  ~CCommProxyServer();
  CCommProxyServer(const CCommProxyServer&) = delete;
  CCommProxyServer& operator=(const CCommProxyServer&) = delete;

  int32_t SetName(const char* name);
  const char* GetName() const { return m_pName ? m_pName : ""; }
  // 0 (a port the system picks; GetListenPort then tells which) to 65535.
  int32_t SetListenPort(uint32_t port);
  uint32_t GetListenPort() const { return m_ListenPort; }
  void SetCreateProcess(int32_t flag) { m_CreateProcess = flag; }
  void SetProcessSpawnCallback(TProxySpawnCallback callback) { m_pSpawnCallback = callback; }
  int32_t SetLogFile(const char* name);
  int32_t SetHistoryLogFile(const char* name);
  int32_t SetIncomingEncryption(int32_t flag, const char* certificateFile, const char* keyFile);
  void SetOutgoingEncryption(int32_t flag) { m_OutgoingEncryption = flag; }
  void SetAllowBlowfishEncryption(int32_t flag) { m_AllowBlowfish = flag; }
  int32_t SetOnErrorForward(int32_t flag, const char* host, uint32_t port);

  int32_t AddRule_Start();
  int32_t AddRule_SetName(const char* name);
  int32_t AddRule_SetForceOutgoingEncryption(int32_t flag);
  int32_t AddRule_SetClientLocationForward(int32_t flag);
  int32_t AddRule_SetMinActionTime(uint32_t minutes);
  int32_t AddRule_IpString(const char* ip);
  int32_t AddRule_IpString(const char* first, const char* last);
  int32_t AddRule_Ip(uint32_t ip);
  int32_t AddRule_IpRange(uint32_t first, uint32_t last);
  int32_t AddRule_PortRange(uint32_t first, uint32_t last);
  int32_t AddRule_End();
  // Takes ownership of the rule; 0 (and the rule freed) when out of memory.
  int32_t AddOutRule(COutRule* rule);

  int32_t Startup();
  int32_t Handler(int32_t& done);
  int32_t Closedown();
  // Waits up to ms for traffic on the listening socket or any connection.
  void WaitForTraffic(int32_t ms);

  // 1 when the other server (a newly read configuration) is the same proxy: name, port and
  // process mode.
  int32_t ReloadMatch(const CCommProxyServer* other) const;
  int32_t ReloadFromNew(const CCommProxyServer* other);

  void RequestLogState() { m_LogStateRequested = 1; }
  int32_t ShouldLogState() const { return m_LogStateRequested; }
  void LogStateHandler();
  void LogState();
  void LogInfo();
  void AddFromClientToServerBytes(uint32_t n) { m_ClientToServerBytes += n; }
  void AddFromServerToClientBytes(uint32_t n) { m_ServerToClientBytes += n; }
  uint64_t GetClientToServerBytes() const { return m_ClientToServerBytes; }
  uint64_t GetServerToClientBytes() const { return m_ServerToClientBytes; }
  void AddHistoryConnection(const CProxyConnection* connection);
  // A line of the proxy's log (also to the debug sink).
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

  int32_t IsListening() const { return m_Listening; }
  int* GetListeningSocketPtr() { return &m_ListenSocket; }
  CLList* GetConnections() { return &m_Connections; }
  CLList* GetRules() { return &m_Rules; }
  int32_t GetListenFailures() const { return m_ListenFailures; }
  // Children of the process mode not yet reaped.
  size_t ChildCount() const { return m_Children.size(); }
  // Reaps children that ended (also done by Handler); their number.
  int32_t ReapChildren();

 private:
  int32_t StartListening();
  int32_t ListenHandler();
  int32_t ListenFailed();
  int32_t ServeAccepted(int sock, const sockaddr_in& address);
  void FreeConnections();
  void FreeRules(CLList& rules);

  char* m_pName = nullptr;
  uint32_t m_ListenPort = 0;
  int32_t m_CreateProcess = 0;
  TProxySpawnCallback m_pSpawnCallback = nullptr;
  char* m_pLogFile = nullptr;
  char* m_pHistoryLogFile = nullptr;
  int32_t m_IncomingEncryption = 0;
  char* m_pCertificateFile = nullptr;
  char* m_pKeyFile = nullptr;
  int32_t m_OutgoingEncryption = 0;
  int32_t m_AllowBlowfish = 0;
  int32_t m_OnErrorForward = 0;
  char* m_pForwardHost = nullptr;
  uint32_t m_ForwardPort = 0;
  CLList m_Rules;
  COutRule* m_pNewRule = nullptr;
  CLList m_Connections;
  int m_ListenSocket = -1;
  int32_t m_Listening = 0;
  int32_t m_StartCount = 0;
  SCryptData m_Crypt;
  int32_t m_Started = 0;
  int32_t m_ListenFailures = 0;
  uint32_t m_LastListenFailure = 0;
  int32_t m_Relisten = 0;
  uint64_t m_ClientToServerBytes = 0;
  uint64_t m_ServerToClientBytes = 0;
  int32_t m_LogStateRequested = 0;
  uint32_t m_LastInfo = 0;
  int32_t m_InfoWritten = 0;
  std::vector<pid_t> m_Children;
};
