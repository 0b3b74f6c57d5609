// The TCP links: a socket under the link base. Clients connect (the remote one directly or through
// the forwarding proxy); servers listen and hand each accepted socket to the application's accept
// callback, where a client adopts it with SetConnectFromServer. Everything is polled from the
// owner's per-frame code; only the blocked variants wait, and never longer than their time-out.
//
// On the byte stream the packets stand back to back exactly as their bytes are: the 12-byte
// header, whose size field counts the whole packet, then the rest.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <type_traits>

#include "ostrelcomm/commbase.h"
#include "ostrelcomm/socket.h"
#include "ostrelcomm/streamreader.h"

inline constexpr uint32_t COMM_LOCAL_PORT = 6001;
inline constexpr uint32_t COMM_LOCAL_ADDRESS = 0x7F000001u;  // 127.0.0.1
// The most one transfer of the framing asks for.
inline constexpr uint32_t COMM_MAX_TRANSFER = 1024000;
inline constexpr int32_t COMM_MAX_FRAMING_STEPS = 256;
// The bytes one handler call moves before it leaves the rest to the next call.
inline constexpr uint64_t COMM_CALL_BUDGET = 4ull * COMM_MAX_TRANSFER;
// How long an adopted connection may take to tell where the proxy's client comes from.
inline constexpr uint32_t COMM_PROXY_LOCATION_MS = 15000;
// How long a connection a server accepted may hold its link before a first whole packet came: a
// peer that connects and sends nothing, or a few bytes, does not keep a link for ever.
inline constexpr uint32_t COMM_FIRST_RECORD_MS = 30000;
// Packets smaller than COMM_GATHER_BELOW that wait one behind the other go out together, copied
// into one write of at most COMM_GATHER_BYTES: every write leaves at once (the socket does not
// hold short segments back), so a stream of small records would otherwise cost a system call and
// a segment each. Larger packets are written from their own blocks.
inline constexpr uint32_t COMM_GATHER_BELOW = 16 * 1024;
inline constexpr uint32_t COMM_GATHER_BYTES = 64 * 1024;

// A number never handed out before in this process, for a socket just taken.
uint32_t xCommNextSocketSerial();

// States of the stream framing.
enum {
  COMM_READ_IDLE = 1000,
  COMM_READ_HEADER = 1001,
  COMM_READ_PACKET = 1002,
  COMM_WRITE_IDLE = 2000,
  COMM_WRITE_PACKET = 2001,
};

// What the loopback and remote client links share; Base is CCommLocalClientBase or
// CCommRemoteClientBase.
template <class Base>
class CCommTcpClient : public Base {
 public:
  CCommTcpClient() = default;
  ~CCommTcpClient() override;

  int32_t BlockedHandler(int32_t timeout) override { return DoHandler(1, timeout); }
  int32_t NonBlockedHandler() override { return DoHandler(0, 0); }
  // Starts the socket layer for this link and enters the started-client list.
  int32_t Startup() override;
  // Drops the framing, disconnects, leaves the started list and stops the socket layer.
  int32_t Closedown() override;
  // Drops the framing; a connected link closes its socket and unregisters.
  int32_t Disconnect() override;
  // One look at the connection in progress (the blocked kind waits up to timeout ms); once it is
  // up the link registers. 1 while connecting or once connected, 0 when not started, without a
  // socket, already connected, or when the connection failed.
  int32_t BlockedConnectHandler(int32_t timeout) override { return ConnectStep(1, timeout); }
  int32_t NonBlockedConnectHandler() override { return ConnectStep(0, 0); }
  // 1 when nothing waits to be written (and, for a remote link, when it is not connected).
  int32_t IsFlushed() override;

  // Registers the link once its connection is up.
  int32_t ConnectInit();
  // Closes the socket and unregisters.
  int32_t ConnectExit();
  // 1 while a packet is part read, a packet is being written, or a queue holds packets.
  int32_t NeedProcessing() const;
  int32_t NeedWrite() const;
  int GetSocket() const { return m_Socket; }
  int* GetSocketPtr() { return &m_Socket; }
  // Changes whenever the link takes a new socket (which may reuse an old number); the socket wait
  // tells by it when a registration is stale.
  uint32_t GetSocketSerial() const { return m_SocketSerial; }
  int32_t IsStarted() const { return m_StartCount != 0; }
  // Frees every packet of the receive queue and the send queue.
  void EmptyQues();
  int32_t GetReadState() const { return m_ReadState; }
  // Bytes held for the packet being read: they grow with what arrives, not with what its header
  // claims.
  uint32_t GetReadCapacity() const { return m_Reader.Capacity(); }
  int32_t GetWriteState() const { return m_WriteState; }
  // The socket's encryption state (TLS, the KVT link), for its set-up functions.
  SCryptData* GetCryptData() { return &m_Crypt; }
  const SCryptData* GetCryptData() const { return &m_Crypt; }

 protected:
  static constexpr bool kRemote = std::is_base_of_v<CCommRemoteClientBase, Base>;

  // Handler(mode, timeout): mode 1 blocked. 0 unless started and connected.
  int32_t DoHandler(int32_t mode, int32_t timeout);
  int32_t ConnectStep(int32_t blocked, int32_t timeout);
  // Opens the non-blocking connection (to the proxy when one is given).
  int32_t OpenConnection(const char* host, uint32_t port, const char* proxyHost, uint32_t proxyPort);
  // The first part of adopting a server's accepted socket: the checks, the socket, a clean
  // framing and empty queues. 0 (reported) when the link cannot take it.
  int32_t AdoptSocket(int& acceptedSocket, const char* caller);
  // One framing step; again is 1 when another is wanted. 0 closes the socket.
  int32_t FramingStep(int32_t blocked, int32_t timeout, int32_t& again);
  int32_t FramingFailed(const char* what);
  // Hands a packet that became whole to the socket in-list.
  int32_t AddWhole(const SReadPacket& whole);
  // Takes what goes out next from the socket out-list: its first packet, or several small ones
  // gathered into one block. 0 (the packet freed) when a queued packet is invalid.
  int32_t TakeNextWrite();
  void ResetFraming();
  int32_t Register();
  int32_t Unregister();
  CLList* StartedList() const;

  int m_Socket = -1;
  uint32_t m_SocketSerial = 0;
  sockaddr_in m_PeerAddress{};
  CStreamReader m_Reader;
  uint8_t* m_pWriteBuffer = nullptr;  // a packet, or small packets gathered
  uint32_t m_WriteFill = 0;
  uint32_t m_WriteSize = 0;
  uint32_t m_WriteBlockSize = 0;
  int32_t m_WriteState = COMM_WRITE_IDLE;
  int32_t m_ReadState = COMM_READ_IDLE;
  int32_t m_StartCount = 0;
  SCryptData m_Crypt;
  // Within one handler call: directions in which the socket had no more to give or take (not
  // tried again in that call), and the bytes moved.
  int32_t m_ReadDry = 0;
  int32_t m_WriteFull = 0;
  uint64_t m_BytesThisCall = 0;
  // An adopted connection until its first packet is whole, and since when.
  int32_t m_AwaitingFirstRecord = 0;
  uint32_t m_AdoptedAt = 0;
  // The forwarding proxy (remote links only; none for loopback ones).
  char* m_pProxyHost = nullptr;
  uint16_t m_ProxyPort = 0;
};

// What the two servers share; Base is CCommLocalServerBase or CCommRemoteServerBase.
template <class Base>
class CCommTcpServer : public Base {
 public:
  CCommTcpServer() = default;
  ~CCommTcpServer() override;

  // Enters the registered-server list, starts the socket layer, enters the started-server list.
  int32_t Startup() override;
  int32_t Closedown() override;
  // Listens on the port set (0: one the system picks; GetPortA then tells which).
  int32_t StartListen() override;
  int32_t StopListen() override;
  int32_t BlockedStartListenHandler(int32_t timeout) override;
  int32_t NonBlockedStartListenHandler() override { return BlockedStartListenHandler(0); }
  // One accept step (the blocked kind waits up to timeout ms for a connection): an accepted
  // connection goes to the accept callback, and is closed unless a link adopted it.
  int32_t BlockedHandler(int32_t timeout) override { return AcceptStep(timeout > 0 ? timeout : SOCKET_DEFAULT_BLOCK_MS); }
  int32_t NonBlockedHandler() override { return AcceptStep(0); }

  int GetConnectedSocket() const { return m_AcceptedSocket; }
  void CloseConnectedSocket() { xCloseSocket(m_AcceptedSocket); }
  // Hands the accepted socket over; the server forgets it.
  int TakeConnectedSocket() {
    const int sock = m_AcceptedSocket;
    m_AcceptedSocket = -1;
    return sock;
  }
  // Hands over the KVT link object made for the accepted socket (none: null).
  CSocketFilter* TakeConnectedFilter() {
    CSocketFilter* filter = m_Crypt.m_pKvtLink;
    m_Crypt.m_pKvtLink = nullptr;
    return filter;
  }
  // The listening socket's encryption state: a KVT mode set here gives every accepted socket the
  // KVT link's server side.
  SCryptData* GetCryptData() { return &m_Crypt; }
  int GetListenSocket() const { return m_ListenSocket; }
  uint32_t GetSocketSerial() const { return m_SocketSerial; }
  // The address of the last accepted connection.
  const sockaddr_in& GetConnectedAddress() const { return m_AcceptedAddress; }
  int32_t IsStarted() const { return m_StartCount != 0; }

 protected:
  static constexpr bool kLocal = std::is_base_of_v<CCommLocalServerBase, Base>;
  int32_t AcceptStep(int32_t waitMs);

  int m_ListenSocket = -1;
  uint32_t m_SocketSerial = 0;
  sockaddr_in m_Address{};
  int m_AcceptedSocket = -1;
  sockaddr_in m_AcceptedAddress{};
  int32_t m_StartCount = 0;
  SCryptData m_Crypt;
};

class CCommLocalServer;

// A loopback client: connects to 127.0.0.1 at the loopback port (6001 unless set).
class CCommLocalClient : public CCommTcpClient<CCommLocalClientBase> {
 public:
  ~CCommLocalClient() override;
  const char* GetClassNameA() override { return "CCommLocalClient"; }
  // 0 when not started or already connected.
  int32_t Connect() override;
  int32_t Handler(int32_t mode, int32_t timeout) { return DoHandler(mode, timeout); }
  int32_t SetPortA(uint32_t port) {
    m_Port = port;
    return 1;
  }
  uint32_t GetPortA() const { return m_Port; }
  // Adopts the loopback server's accepted socket, as a remote client does a remote server's.
  int32_t SetConnectFromServer(CCommLocalServerBase* server);

 private:
  uint32_t m_Port = COMM_LOCAL_PORT;
};

class CCommRemoteServer;

class CCommRemoteClient : public CCommTcpClient<CCommRemoteClientBase> {
 public:
  ~CCommRemoteClient() override;
  const char* GetClassNameA() override { return "CCommRemoteClient"; }
  int32_t Connect() override;
  int32_t Handler(int32_t mode, int32_t timeout) override { return DoHandler(mode, timeout); }
  int32_t SetConnectFromServer(CCommRemoteServerBase* server) override;
  // TLS from the next Connect on; 1.
  int32_t SetEncryption(int32_t flag) override {
    m_Encryption = flag;
    return 1;
  }
  int32_t GetEncryption() const { return m_Encryption; }
  // Go through the forwarding proxy at host and port (a null host: directly); 0 for a port above
  // 65535 or when out of memory.
  int32_t SetProxy(const char* host, uint32_t port);
  int32_t GetClientLocationFromProxyFlag() const { return m_ClientLocationFlag; }
  // Where the proxy's client comes from, as the proxy told; 0 (and the empty host) when it did not.
  int32_t GetClientLocationFromProxy(const char*& host, uint16_t& port) const;

 private:
  int32_t ReadClientLocation();

  int32_t m_Encryption = 0;
  int32_t m_ClientLocationFlag = 0;
  char* m_pClientHost = nullptr;
  uint16_t m_ClientPort = 0;
};

class CCommLocalServer : public CCommTcpServer<CCommLocalServerBase> {
 public:
  CCommLocalServer() { m_Port = COMM_LOCAL_PORT; }
  ~CCommLocalServer() override;
  const char* GetClassNameA() override { return "CCommLocalServer"; }
};

class CCommRemoteServer : public CCommTcpServer<CCommRemoteServerBase> {
 public:
  ~CCommRemoteServer() override;
  const char* GetClassNameA() override { return "CCommRemoteServer"; }
  // Makes every adopted socket a TLS server socket with these files; 0 when out of memory.
  int32_t SetEncryption(int32_t flag, const char* certificateFile, const char* keyFile) override;
  int32_t GetEncryptionFlag() override { return m_Encryption; }
  const char* GetCertificate() const { return m_pCertificate; }
  const char* GetPrivateKey() const { return m_pPrivateKey; }
  // Adopting links first read a location header naming the proxy's client.
  void SetClientLocationFromProxy(int32_t flag) { m_ClientLocationFromProxy = flag; }
  int32_t GetClientLocationFromProxy() const { return m_ClientLocationFromProxy; }

 private:
  int32_t m_Encryption = 0;
  char* m_pCertificate = nullptr;
  char* m_pPrivateKey = nullptr;
  int32_t m_ClientLocationFromProxy = 0;
};
