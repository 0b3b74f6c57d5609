#include "ostrelcomm/commtcp.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/packet.h"
#include "ostrelcomm/packetcache.h"
#include "ostrelcomm/proxyrules.h"
#include "ostrelcomm/tls.h"

namespace {

uint8_t* NewBlock(uint32_t size) { return static_cast<uint8_t*>(xCommAllocPacketBlock(size)); }

void ReplaceText(char*& field, char* text) {
  xFree(field);
  field = text;
}

}  // namespace

uint32_t xCommNextSocketSerial() {
  static uint32_t s_Serial = 0;
  return ++s_Serial;
}

// ---- clients ----

template <class Base>
CCommTcpClient<Base>::~CCommTcpClient() {
  Closedown();
  xFree(m_pProxyHost);
}

template <class Base>
CLList* CCommTcpClient<Base>::StartedList() const {
  if (!glb) return nullptr;
  return kRemote ? glb->m_pStartedRemoteClientList : glb->m_pStartedLocalClientList;
}

template <class Base>
int32_t CCommTcpClient<Base>::Register() {
  if constexpr (kRemote)
    return this->RegisterRemoteClient();
  else
    return this->RegisterLocalClient();
}

template <class Base>
int32_t CCommTcpClient<Base>::Unregister() {
  if constexpr (kRemote)
    return this->UnRegisterRemoteClient();
  else
    return this->UnRegisterLocalClient();
}

template <class Base>
void CCommTcpClient<Base>::ResetFraming() {
  m_Reader.Reset();
  xFree(m_pWriteBuffer);
  m_pWriteBuffer = nullptr;
  m_WriteFill = m_WriteSize = m_WriteBlockSize = 0;
  m_ReadState = COMM_READ_IDLE;
  m_WriteState = COMM_WRITE_IDLE;
  m_AwaitingFirstRecord = 0;
}

template <class Base>
int32_t CCommTcpClient<Base>::Startup() {
  if (m_StartCount) return 1;
  int32_t count = 0;
  if (!xStartupSockets(count, 1, &m_Crypt))
    return xCommError("%s::Startup: xStartupSockets returned FALSE (classname: %s objectname: %s)",
                      this->GetClassNameA(), this->GetClassNameA(), this->GetObjName());
  this->LogData(">Startup<", nullptr, 0);
  CLList* started = StartedList();
  if (!started || !started->IfNotInsertLast(this)) {
    xClosedownSockets(count, &m_Crypt);
    return xCommError("%s::Startup: Unable to enter the started list (classname: %s objectname: %s)",
                      this->GetClassNameA(), this->GetClassNameA(), this->GetObjName());
  }
  m_StartCount = count;
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::Closedown() {
  ResetFraming();
  if (m_StartCount) Disconnect();
  xCloseSocket(m_Socket);
  this->m_Connected = 0;
  xCommRemoveFromList(StartedList(), this);
  if (m_StartCount) {
    xClosedownSockets(m_StartCount, &m_Crypt);
    this->LogData(">Closedown<", nullptr, 0);
  }
  m_StartCount = 0;
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::OpenConnection(const char* host, uint32_t port, const char* proxyHost,
                                             uint32_t proxyPort) {
  ResetFraming();
  if (!m_StartCount) return 0;
  if (this->m_Connected) Disconnect();
  if (port > 65535 || (proxyHost && *proxyHost && proxyPort > 65535))
    return xCommError("CCommRemoteServer::Connect: port is invalid (>65525) (classname: %s objectname: %s)",
                      this->GetClassNameA(), this->GetObjName());
  m_SocketSerial = xCommNextSocketSerial();
  return xConnectSocket(host, port, proxyHost, proxyPort, m_Socket, &m_PeerAddress, &m_Crypt);
}

template <class Base>
int32_t CCommTcpClient<Base>::ConnectInit() {
  if (!Register()) return 0;
  this->LogData(">ConnectInit<", nullptr, 0);
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::ConnectExit() {
  int connected = this->m_Connected;
  xDisconnectSocket(m_Socket, connected, &m_Crypt);
  xCloseSocket(m_Socket);
  this->m_Connected = 0;
  ResetFraming();
  Unregister();
  this->LogData(">ConnectExit<", nullptr, 0);
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::Disconnect() {
  ResetFraming();
  if (m_StartCount && this->m_Connected) return ConnectExit();
  xCloseSocket(m_Socket);
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::ConnectStep(int32_t blocked, int32_t timeout) {
  if (!m_StartCount || m_Socket < 0 || this->m_Connected) return 0;
  // The target goes into the proxy's location header; a direct connection needs no name here.
  const char* host = "127.0.0.1";
  uint32_t port = 0;
  if constexpr (kRemote) {
    host = this->m_pRemoteHost;
    port = this->m_RemotePort;
  }
  const int32_t r = blocked ? xBlockedConnectHandler(host, port, m_pProxyHost, m_ProxyPort, m_Socket, this->m_Connected,
                                                     timeout, &m_Crypt)
                            : xNonBlockedConnectHandler(host, port, m_pProxyHost, m_ProxyPort, m_Socket,
                                                        this->m_Connected, &m_Crypt);
  if (!r) return 0;
  if (this->m_Connected && !ConnectInit()) {
    ConnectExit();
    return 0;
  }
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::IsFlushed() {
  if (kRemote && !this->m_Connected) return 1;
  return !m_pWriteBuffer && m_WriteState == COMM_WRITE_IDLE && this->m_SendQue.GetNumNodes() == 0 &&
         this->m_SocketOutList.GetNumNodes() == 0;
}

template <class Base>
int32_t CCommTcpClient<Base>::NeedProcessing() const {
  return m_Reader.HoldsBytes() || m_pWriteBuffer || this->m_RecvQue.GetNumNodes() ||
         this->m_SendQue.GetNumNodes();
}

// Packets already handed to the socket but not yet begun count too, so that a caller waiting for
// the socket to take more does not stall with them.
template <class Base>
int32_t CCommTcpClient<Base>::NeedWrite() const {
  return m_WriteState == COMM_WRITE_PACKET || this->m_SendQue.GetNumNodes() || this->m_SocketOutList.GetNumNodes();
}

template <class Base>
void CCommTcpClient<Base>::EmptyQues() {
  this->m_RecvQue.KillAllData();
  this->m_SendQue.KillAllData();
}

template <class Base>
int32_t CCommTcpClient<Base>::FramingFailed(const char* what) {
  xCloseSocket(m_Socket);
  this->m_Connected = 0;
  return xCommError("%s::Handler: %s (classname: %s objectname: %s)", this->GetClassNameA(), what,
                    this->GetClassNameA(), this->GetObjName());
}

template <class Base>
int32_t CCommTcpClient<Base>::AddWhole(const SReadPacket& whole) {
  if (whole.m_pPayload) return this->AddReadRecord(whole.m_pPacket, whole.m_pPayload, whole.m_PayloadSize);
  if (this->m_SocketInList.InsertLast(whole.m_pPacket)) return 1;
  xFree(whole.m_pPacket);
  return 0;
}

namespace {

// The out-list's first packet taken out of it with its size; null when the list is empty, and
// when the packet is invalid (then freed, and invalid set).
SXPacket* TakeQueued(CLList& outList, uint32_t& size, bool& invalid) {
  CNode* n = outList.HeadNode();
  if (!n) return nullptr;
  auto* packet = static_cast<SXPacket*>(n->m_pData);
  xCommRemoveFromList(&outList, packet);
  if (packet->GetPacketSize(size)) return packet;
  xFree(packet);
  invalid = true;
  return nullptr;
}

// The size of the out-list's first packet; 0 when there is none or it is invalid.
uint32_t QueuedSize(const CLList& outList) {
  const CNode* n = outList.HeadNode();
  uint32_t size = 0;
  if (n) static_cast<const SXPacket*>(n->m_pData)->GetPacketSize(size);
  return size;
}

bool Gathers(uint32_t size) { return size > 0 && size < COMM_GATHER_BELOW; }

}  // namespace

template <class Base>
int32_t CCommTcpClient<Base>::TakeNextWrite() {
  CLList& outList = this->m_SocketOutList;
  bool invalid = false;
  uint32_t size = 0;
  SXPacket* first = TakeQueued(outList, size, invalid);
  if (!first) return !invalid;
  uint8_t* gathered = nullptr;
  if (Gathers(size) && Gathers(QueuedSize(outList))) gathered = NewBlock(COMM_GATHER_BYTES);
  m_WriteFill = 0;
  m_WriteState = COMM_WRITE_PACKET;
  if (!gathered) {
    m_pWriteBuffer = reinterpret_cast<uint8_t*>(first);
    m_WriteSize = m_WriteBlockSize = size;
    return 1;
  }
  std::memcpy(gathered, first, size);
  xCommReleasePacketBlock(first, size);
  m_pWriteBuffer = gathered;
  m_WriteSize = size;
  m_WriteBlockSize = COMM_GATHER_BYTES;
  // An invalid packet has no size here: it stays queued and ends the link when its turn comes.
  for (uint32_t next = QueuedSize(outList); Gathers(next) && m_WriteSize + next <= COMM_GATHER_BYTES;
       next = QueuedSize(outList)) {
    SXPacket* packet = TakeQueued(outList, size, invalid);
    std::memcpy(gathered + m_WriteSize, packet, size);
    m_WriteSize += size;
    xCommReleasePacketBlock(packet, size);
  }
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::FramingStep(int32_t blocked, int32_t timeout, int32_t& again) {
  again = 0;
  if (m_ReadState < COMM_READ_IDLE || m_ReadState > COMM_READ_PACKET ||
      (m_WriteState != COMM_WRITE_IDLE && m_WriteState != COMM_WRITE_PACKET))
    return FramingFailed("invalid framing state");
  // Every call reads first thing, and a read reports an error pending on the socket.
  if (!this->m_Connected || m_Socket < 0) return FramingFailed("the connection is down");
  if (m_AwaitingFirstRecord && xTimeDiff(m_AdoptedAt, xGetTime()) > COMM_FIRST_RECORD_MS)
    return FramingFailed("no whole packet came in time after the connection was accepted");

  if (m_ReadState == COMM_READ_IDLE) {
    if (m_Reader.HoldsBytes()) return FramingFailed("a read buffer is held while idle");
    m_ReadState = COMM_READ_HEADER;
    again = 1;
  }
  if (m_WriteState == COMM_WRITE_IDLE) {
    if (m_pWriteBuffer) return FramingFailed("a write buffer is held while idle");
    if (!TakeNextWrite()) return FramingFailed("an invalid packet was queued");
    if (m_pWriteBuffer) again = 1;
  }

  // At a packet boundary the read goes ahead into this buffer; a packet read on has its own.
  uint8_t ahead[COMM_READ_AHEAD];
  CStreamReader::STarget read{nullptr, 0, 0};
  if (!m_ReadDry && m_ReadState == COMM_READ_HEADER) {
    read = m_Reader.Ahead(ahead);
  } else if (!m_ReadDry) {
    const char* failure = nullptr;
    read = m_Reader.Rest(m_Socket, failure);
    if (failure) return FramingFailed(failure);
  }
  uint32_t readFill = read.m_Fill;
  const uint32_t readTarget = static_cast<uint32_t>(std::min<uint64_t>(read.m_Limit, uint64_t{readFill} + COMM_MAX_TRANSFER));
  const void* writeBuffer = m_WriteState == COMM_WRITE_PACKET && !m_WriteFull ? m_pWriteBuffer : nullptr;
  const uint32_t writeTarget =
      writeBuffer ? static_cast<uint32_t>(std::min<uint64_t>(m_WriteSize, uint64_t{m_WriteFill} + COMM_MAX_TRANSFER)) : 0;
  const uint32_t writeBefore = m_WriteFill;
  const int32_t moved =
      blocked ? xBlockedHandler(m_Socket, this->m_Connected, read.m_pBuffer, readFill, readTarget, writeBuffer,
                                m_WriteFill, writeTarget, &m_Crypt, timeout)
              : xNonBlockedHandler(m_Socket, this->m_Connected, read.m_pBuffer, readFill, readTarget, writeBuffer,
                                   m_WriteFill, writeTarget, &m_Crypt);
  if (!moved) return FramingFailed("the socket failed");
  if (!this->m_Connected || m_Socket < 0) return FramingFailed("the peer closed the connection");
  // While bytes flow, another step follows at once, up to a budget per call that keeps one busy
  // link from holding up the frame.
  const uint32_t got = readFill - read.m_Fill;
  const uint64_t flowed = uint64_t{got} + (m_WriteFill - writeBefore);
  m_BytesThisCall += flowed;
  if (flowed && m_BytesThisCall < COMM_CALL_BUDGET) again = 1;
  // Once the socket gave or took less than asked, another try in this call would find nothing.
  const bool plain = xSocketIsPlain(&m_Crypt);
  if (read.m_pBuffer && (!got || (plain && readFill < readTarget))) m_ReadDry = 1;
  if (writeBuffer && (m_WriteFill == writeBefore || (plain && m_WriteFill < writeTarget))) m_WriteFull = 1;

  if (m_WriteState == COMM_WRITE_PACKET && m_WriteFill == m_WriteSize) {
    xCommReleasePacketBlock(m_pWriteBuffer, m_WriteBlockSize);
    m_pWriteBuffer = nullptr;
    m_WriteFill = m_WriteSize = m_WriteBlockSize = 0;
    m_WriteState = COMM_WRITE_IDLE;
    again = 1;
  }
  if (got && m_ReadState == COMM_READ_HEADER) {
    const int32_t before = this->m_SocketInList.GetNumNodes();
    if (const char* failure = m_Reader.CutAhead(ahead, readFill, this->m_SocketInList, m_Socket))
      return FramingFailed(failure);
    if (this->m_SocketInList.GetNumNodes() != before) m_AwaitingFirstRecord = 0;
    if (m_Reader.InPacket()) {
      m_ReadState = COMM_READ_PACKET;
      again = 1;
    }
  } else if (got) {
    SReadPacket whole;
    if (const char* failure = m_Reader.TookRest(got, whole)) return FramingFailed(failure);
    if (whole.m_pPacket) {
      if (!AddWhole(whole)) return FramingFailed("no memory for the in-list");
      m_ReadState = COMM_READ_IDLE;
      m_AwaitingFirstRecord = 0;
      again = 1;
    }
  }
  return 1;
}

template <class Base>
int32_t CCommTcpClient<Base>::DoHandler(int32_t mode, int32_t timeout) {
  if (!m_StartCount || !this->m_Connected) return 0;
  m_ReadDry = m_WriteFull = 0;
  m_BytesThisCall = 0;
  int32_t result = this->SendHandler();
  int32_t again = 1;
  for (int32_t i = 0; result && again && i < COMM_MAX_FRAMING_STEPS; ++i) result = FramingStep(mode, timeout, again);
  const int32_t received = this->RecvHandler();
  if (received && result) return result;
  // A loopback link ends only with its socket; a packet it refuses leaves it connected.
  if (!kRemote && this->m_Connected) return 0;
  ConnectExit();
  return 0;
}

template <class Base>
int32_t CCommTcpClient<Base>::AdoptSocket(int& acceptedSocket, const char* caller) {
  if (!m_StartCount)
    return xCommError("%s: startupCode is zero, this object is not initialized (classname: %s objectname: %s)", caller,
                      this->GetClassNameA(), this->GetObjName());
  if (this->m_Connected)
    return xCommError("%s: connected is TRUE,  this object is already connected (classname: %s objectname: %s)", caller,
                      this->GetClassNameA(), this->GetObjName());
  if (acceptedSocket < 0)
    return xCommError("%s: the server holds no accepted connection (classname: %s objectname: %s)", caller,
                      this->GetClassNameA(), this->GetObjName());
  xCloseSocket(m_Socket);
  // The link owns the socket from here; the server must not close it behind the link's back.
  m_Socket = acceptedSocket;
  m_SocketSerial = xCommNextSocketSerial();
  acceptedSocket = -1;
  m_Crypt.m_ModeSocket = -1;
  this->m_Connected = 1;
  ResetFraming();
  EmptyQues();
  m_AwaitingFirstRecord = 1;
  m_AdoptedAt = xGetTime();
  return 1;
}

template class CCommTcpClient<CCommLocalClientBase>;
template class CCommTcpClient<CCommRemoteClientBase>;

// ---- the loopback client ----

CCommLocalClient::~CCommLocalClient() { Closedown(); }

int32_t CCommLocalClient::Connect() {
  if (!m_StartCount || m_Connected) {
    ResetFraming();
    return 0;
  }
  return OpenConnection("127.0.0.1", m_Port, nullptr, 0);
}

int32_t CCommLocalClient::SetConnectFromServer(CCommLocalServerBase* server) {
  static const char kCaller[] = "CCommLocalClient::SetConnectFromServer";
  auto* tcp = dynamic_cast<CCommLocalServer*>(server);
  if (!tcp) return xCommError("%s: no loopback server (classname: %s objectname: %s)", kCaller, GetClassNameA(), GetObjName());
  int accepted = tcp->TakeConnectedSocket();
  const int32_t adopted = AdoptSocket(accepted, kCaller);
  xCloseSocket(accepted);
  if (!adopted) return 0;
  if (!ConnectInit()) {
    xCommError("%s: ConnectInit failed (classname: %s objectname: %s)", kCaller, GetClassNameA(), GetObjName());
    ConnectExit();
    return 0;
  }
  return 1;
}

// ---- the remote client ----

CCommRemoteClient::~CCommRemoteClient() {
  Closedown();
  xFree(m_pClientHost);
}

int32_t CCommRemoteClient::SetProxy(const char* host, uint32_t port) {
  if (port > 65535) return xCommError("CCommRemoteClient::SetProxy: port %u is invalid", port);
  m_ProxyPort = static_cast<uint16_t>(port);
  ReplaceText(m_pProxyHost, host ? xStrdup(host) : nullptr);
  if (host && !m_pProxyHost) return xCommError("CCommRemoteClient::SetProxy: Unable to allocate memory");
  return 1;
}

int32_t CCommRemoteClient::GetClientLocationFromProxy(const char*& host, uint16_t& port) const {
  host = m_pClientHost ? m_pClientHost : "";
  port = m_ClientPort;
  return m_ClientLocationFlag;
}

int32_t CCommRemoteClient::Connect() {
  if (!m_StartCount) {
    ResetFraming();
    return 0;
  }
  // The old connection goes first, so that its TLS session still closes properly.
  if (m_Connected) Disconnect();
  if (m_Encryption) {
    // A link asked for TLS never falls back to plain.
    if (!xSetClientEncryption(&m_Crypt))
      return xCommError("CCommRemoteClient::Connect: xSetClientEncryption returned FALSE (classname: %s objectname: %s)",
                        GetClassNameA(), GetObjName());
  } else if (m_Crypt.m_Kind == SOCKET_CRYPT_TLS) {
    xClearEncryption(&m_Crypt);
  }
  return OpenConnection(m_pRemoteHost, m_RemotePort, m_pProxyHost, m_ProxyPort);
}

// Reads the location header by which the proxy names its client: in steps, with the frame loop
// run between them, for at most COMM_PROXY_LOCATION_MS on the core clock.
int32_t CCommRemoteClient::ReadClientLocation() {
  static const char kCaller[] = "CCommRemoteClient::SetConnectFromServer";
  CProxyLocation location;
  uint32_t fill = 0, none = 0;
  const uint32_t start = xGetTime();
  const char* failure = nullptr;
  while (!failure && fill < PROXY_LOCATION_SIZE) {
    if (!m_Connected || m_Socket < 0) {
      failure = "Not connected.";
    } else if (!xNonBlockedHandler(m_Socket, m_Connected, location.GetData(), fill, PROXY_LOCATION_SIZE, nullptr, none,
                                   0, &m_Crypt)) {
      failure = "xNonBlockedHandler failed.";
    } else if (!m_Connected || m_Socket < 0) {
      failure = "socket disconnected.";
    } else if (fill < PROXY_LOCATION_SIZE) {
      if (xTimeDiff(start, xGetTime()) >= COMM_PROXY_LOCATION_MS)
        failure = "Timeout when trying to get client ip/port from proxyserver.";
      else if (glb)
        xHandler();
      xSleep(1);
    }
  }
  char* host = nullptr;
  uint16_t port = 0;
  if (!failure && !location.HeaderOk()) failure = "Trying to get client ip/port from proxyserver: Header is invalid.";
  if (!failure && !location.GetLocation(host, port)) failure = "GetLocation failed.";
  if (failure) {
    xCloseSocket(m_Socket);
    m_Connected = 0;
    return xCommError("%s: %s (classname: %s objectname: %s)", kCaller, failure, GetClassNameA(), GetObjName());
  }
  ReplaceText(m_pClientHost, host);
  m_ClientPort = port;
  m_ClientLocationFlag = 1;
  return 1;
}

int32_t CCommRemoteClient::SetConnectFromServer(CCommRemoteServerBase* server) {
  static const char kCaller[] = "CCommRemoteClient::SetConnectFromServer";
  auto* tcp = dynamic_cast<CCommRemoteServer*>(server);
  if (!tcp) return xCommError("%s: no remote server (classname: %s objectname: %s)", kCaller, GetClassNameA(), GetObjName());
  int accepted = tcp->TakeConnectedSocket();
  const int32_t adopted = AdoptSocket(accepted, kCaller);
  xCloseSocket(accepted);
  if (!adopted) return 0;
  // The KVT link's server side made at the accept goes with the socket.
  if (CSocketFilter* filter = tcp->TakeConnectedFilter()) {
    delete m_Crypt.m_pKvtLink;
    m_Crypt.m_pKvtLink = filter;
    m_Crypt.m_KvtFlag = 0;
  }
  m_ClientLocationFlag = 0;
  m_ClientPort = 0;
  ReplaceText(m_pClientHost, nullptr);
  auto fail = [&](const char* what) {
    xCloseSocket(m_Socket);
    m_Connected = 0;
    return xCommError("%s: %s (classname: %s objectname: %s)", kCaller, what, GetClassNameA(), GetObjName());
  };
  if (tcp->GetEncryptionFlag() &&
      !xMakeGivenServerSocketEncrypted(m_Socket, tcp->GetCertificate(), tcp->GetPrivateKey(), &m_Crypt))
    return fail("Unable to get encryption data from server object.");
  if (tcp->GetClientLocationFromProxy() && !ReadClientLocation()) return 0;
  if (!ConnectInit()) {
    xCommError("%s: ConnectInit failed (classname: %s objectname: %s)", kCaller, GetClassNameA(), GetObjName());
    ConnectExit();
    return 0;
  }
  return 1;
}

// ---- servers ----

template <class Base>
CCommTcpServer<Base>::~CCommTcpServer() {
  Closedown();
}

template <class Base>
int32_t CCommTcpServer<Base>::Startup() {
  if (m_StartCount) return 1;
  int32_t registered = 0;
  if constexpr (kLocal)
    registered = this->RegisterLocalServer();
  else
    registered = this->RegisterRemoteServer();
  if (!registered)
    return xCommError("%s::Startup: Unable to enter the server list (objectname: %s)", this->GetClassNameA(),
                      this->GetObjName());
  int32_t count = 0;
  CLList* started = glb ? (kLocal ? glb->m_pStartedLocalServerList : glb->m_pStartedRemoteServerList) : nullptr;
  if (!xStartupSockets(count, 0, &m_Crypt) || !started || !started->IfNotInsertLast(this)) {
    xClosedownSockets(count, &m_Crypt);
    if constexpr (kLocal)
      this->UnRegisterLocalServer();
    else
      this->UnRegisterRemoteServer();
    return xCommError("%s::Startup: xStartupSockets returned FALSE (objectname: %s)", this->GetClassNameA(),
                      this->GetObjName());
  }
  m_StartCount = count;
  return 1;
}

template <class Base>
int32_t CCommTcpServer<Base>::Closedown() {
  StopListen();
  xCloseSocket(m_AcceptedSocket);
  if (glb) xCommRemoveFromList(kLocal ? glb->m_pStartedLocalServerList : glb->m_pStartedRemoteServerList, this);
  if constexpr (kLocal)
    this->UnRegisterLocalServer();
  else
    this->UnRegisterRemoteServer();
  if (m_StartCount) xClosedownSockets(m_StartCount, &m_Crypt);
  m_StartCount = 0;
  return 1;
}

template <class Base>
int32_t CCommTcpServer<Base>::StartListen() {
  if (!m_StartCount) return 0;
  if (this->m_Port > 65535)
    return xCommError("CCommRemoteServer::StartListen: port is invalid (>65525) (classname: %s objectname: %s)",
                      this->GetClassNameA(), this->GetObjName());
  if (!xStartListenSocket(this->m_Port, m_ListenSocket, &m_Address, &m_Crypt, kLocal ? COMM_LOCAL_ADDRESS : 0))
    return xCommError("%s::StartListen: %s (objectname: %s)", this->GetClassNameA(), xGetSocketErrorText(),
                      this->GetObjName());
  this->m_Port = ntohs(m_Address.sin_port);
  m_SocketSerial = xCommNextSocketSerial();
  return 1;
}

template <class Base>
int32_t CCommTcpServer<Base>::StopListen() {
  int running = this->m_Running;
  if (m_StartCount) xStopListenSocket(m_ListenSocket, running, &m_Crypt);
  xCloseSocket(m_ListenSocket);
  this->m_Running = 0;
  return 1;
}

template <class Base>
int32_t CCommTcpServer<Base>::BlockedStartListenHandler(int32_t timeout) {
  (void)timeout;
  if (!m_StartCount || m_ListenSocket < 0) return 0;
  this->m_Running = 1;
  return 1;
}

template <class Base>
int32_t CCommTcpServer<Base>::AcceptStep(int32_t waitMs) {
  if (!m_StartCount || !this->m_Running || m_ListenSocket < 0) return 0;
  int running = this->m_Running, accepted = 0;
  const int32_t r = waitMs > 0 ? xBlockedListenHandler(m_ListenSocket, m_AcceptedSocket, &m_AcceptedAddress, running,
                                                       accepted, waitMs, &m_Crypt)
                               : xNonBlockedListenHandler(m_ListenSocket, m_AcceptedSocket, &m_AcceptedAddress,
                                                          running, accepted, &m_Crypt);
  this->m_Running = running;
  if (!r) return 0;
  // Every connection already waiting is taken in this pass (up to the cap), so that a burst of
  // clients does not overflow the listening queue while the frame loop turns.
  for (int32_t taken = 1; accepted; ++taken) {
    // A connection that the callback refused, or that no link adopted, is not left open.
    this->ExecuteCallback();
    xCloseSocket(m_AcceptedSocket);
    if (taken == SOCKET_ACCEPTS_PER_PASS || !this->m_Running || m_ListenSocket < 0) break;
    if (!xAcceptIncomingConnection(m_ListenSocket, m_AcceptedSocket, &m_AcceptedAddress, &m_Crypt)) break;
    accepted = m_AcceptedSocket >= 0;
  }
  return 1;
}

template class CCommTcpServer<CCommLocalServerBase>;
template class CCommTcpServer<CCommRemoteServerBase>;

CCommLocalServer::~CCommLocalServer() { Closedown(); }

CCommRemoteServer::~CCommRemoteServer() {
  Closedown();
  xFree(m_pCertificate);
  xFree(m_pPrivateKey);
}

int32_t CCommRemoteServer::SetEncryption(int32_t flag, const char* certificateFile, const char* keyFile) {
  m_Encryption = flag;
  ReplaceText(m_pCertificate, certificateFile ? xStrdup(certificateFile) : nullptr);
  ReplaceText(m_pPrivateKey, keyFile ? xStrdup(keyFile) : nullptr);
  if ((certificateFile && !m_pCertificate) || (keyFile && !m_pPrivateKey))
    return xCommError("CCommRemoteServer::SetEncryption: Unable to allocate memory");
  return 1;
}
