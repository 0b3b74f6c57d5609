// The link base: one connection between two processes, seen from one end, above its socket. It
// knows which local nodes it announces to the far side and which far-side nodes were announced to
// it, queues packets for sending and raw packets for reading, hands node packets to local nodes
// and routes them to the other links of the process.
//
// The concrete links (loopback and remote, over TCP) put a socket under it: they set the connected
// flag, register themselves once their connection is up, drain the send queue into the socket and
// hand every packet they read to RecvPacketFromRemote (a large node record read with its payload
// apart to RecvNodeRecordFromRemote).
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CCommNode;
class CCommPingTimer;
class CCommRemoteServerBase;
struct SXPacket;
struct SXPacketCNode;
struct SCommNodeRecord;

// Packet hook of a link: sees every packet sent (SendPacket) or received (RecvPacketFromRemote),
// also viewed as a node packet. 0 fails the call; clearing deliver drops the packet with success.
using TCommPacketHook = int32_t (*)(SXPacket* packet, SXPacketCNode* nodePacket, int32_t& deliver);

// A node that the far side announced; several announcements of one node are counted.
struct SOtherSideNode {
  uint32_t m_NodeId;
  uint32_t m_NodeType;
  char* m_pName;
  uint32_t m_RefCount;
};

class CCommBase {
 public:
  CCommBase();
  // Leaves every node it carries and the library's registries, so that neither keeps a pointer
  // to a link that is gone.
  virtual ~CCommBase();
  CCommBase(const CCommBase&) = delete;
  CCommBase& operator=(const CCommBase&) = delete;

  virtual int32_t IsPrivate() = 0;
  virtual int32_t BlockedHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedHandler() = 0;
  virtual const char* GetClassNameA() = 0;

  // ---- configuration ----
  void SetPacketTypes(int32_t acceptRaw, int32_t acceptNode);
  int32_t GetAcceptRaw() const { return m_AcceptRaw; }
  int32_t GetAcceptNode() const { return m_AcceptNode; }
  int32_t AcceptNodes() const { return m_AcceptNode; }
  void SetAcceptNodeRoutingFromOtherComm(int32_t flag) { m_AcceptRouting = flag; }
  int32_t AcceptNodeRoutingFromOtherComm() const { return m_AcceptRouting; }

  void SetInAckMode(int32_t flag) { m_InAckMode = flag; }
  void SetOutAckMode(int32_t flag) { m_OutAckMode = flag; }
  void AckInData() { m_InAcked = 1; }
  void AckOutData() { m_OutAcked = 1; }

  void SetNeverRouteNode_To_Client(uint8_t flag) { m_NeverRouteToClient = flag; }
  void SetNeverRouteNode_To_Server(uint8_t flag) { m_NeverRouteToServer = flag; }
  void SetNeverRouteNode_From_Client(uint8_t flag) { m_NeverRouteFromClient = flag; }
  void SetNeverRouteNode_From_Server(uint8_t flag) { m_NeverRouteFromServer = flag; }
  uint8_t GetNeverRouteNode_To_Client() const { return m_NeverRouteToClient; }
  uint8_t GetNeverRouteNode_To_Server() const { return m_NeverRouteToServer; }
  uint8_t GetNeverRouteNode_From_Client() const { return m_NeverRouteFromClient; }
  uint8_t GetNeverRouteNode_From_Server() const { return m_NeverRouteFromServer; }

  void SetPacketCallbackSend(TCommPacketHook hook);
  void SetPacketCallbackRecv(TCommPacketHook hook);

  // A null name gives "default comm object"; 0 when out of memory.
  int32_t SetObjName(const char* name);
  int32_t SetObjName(const char* base, const char* suffix);
  int32_t SetObjName(const char* base, uint32_t n);
  int32_t SetObjName(const char* base, const char* suffix, uint32_t n);
  const char* GetObjName() const { return m_pObjName ? m_pObjName : ""; }
  // A null name gives "comm.log".
  int32_t SetLogFileName(const char* name);
  void SetLog(int32_t flag) { m_Log = flag; }

  int32_t IsConnected() const { return m_Connected; }

  // ---- nodes ----
  // Queues a register packet for the node and joins it to the this-side list; 1 without a second
  // packet when it stands there already. Needs the accept-node flag.
  int32_t RegisterCommNode(CCommNode* node);
  // Queues an unregister packet and drops the node from the this-side list; 0 when it was not
  // there or nodes are not accepted.
  int32_t UnregisterCommNode(CCommNode* node);
  int32_t HasCommNode(const CCommNode* node) const;
  // Drops the node from this link without telling the far side (for a node that goes away while
  // the link refuses to unregister it).
  void ForgetCommNode(CCommNode* node);
  // Announces this link's far-side nodes on the target link; nothing when not connected.
  int32_t SendOtherSideNodes(CCommBase* target);
  // 1 when the far side announced a node of that id and name (exact length and bytes) whose type
  // pairs with type: ANY pairs with all three, CLIENT with ANY or SERVER, SERVER with ANY or CLIENT.
  int32_t HasOtherSideNode(const char* name, uint32_t nameLength, uint32_t id, uint32_t type);

  int32_t ThisSideNodes_First() { return m_ThisSideNodes.First(); }
  int32_t ThisSideNodes_Exists() { return m_ThisSideNodes.Exists(); }
  int32_t ThisSideNodes_Next() { return m_ThisSideNodes.Next(); }
  CCommNode* ThisSideNodes_Get() { return static_cast<CCommNode*>(m_ThisSideNodes.Get()); }
  int32_t OtherSideNodes_First() { return m_OtherSideNodes.First(); }
  int32_t OtherSideNodes_Exists() { return m_OtherSideNodes.Exists(); }
  int32_t OtherSideNodes_Next() { return m_OtherSideNodes.Next(); }
  SOtherSideNode* OtherSideNodes_Get() { return static_cast<SOtherSideNode*>(m_OtherSideNodes.Get()); }

  // ---- data ----
  int32_t SendRawData(const void* data, uint32_t size);
  // A copy of the first raw packet's payload (freed with xFree, NUL behind it) and its size.
  int32_t RecvRawData(void*& data, uint32_t& size);
  // The node-data send of a node that stands on this link.
  int32_t SendCommNodeData(const char* name, uint32_t id, uint32_t type, uint32_t sessionIndex,
                           const void* data, uint32_t size);
  // Queues the packet (the queue owns it on success); on 0 the caller keeps it.
  int32_t SendPacket(SXPacket* packet);
  // A packet read from the far side; takes ownership in every case.
  int32_t RecvPacketFromRemote(SXPacket* packet);
  // A node-data packet read from the far side with its payload apart: head holds its node header
  // (as a packet of that size), payload the payload's bytes and a NUL. It is handled as
  // RecvPacketFromRemote handles the whole packet, and the one node that queues it takes the
  // payload's block over instead of a copy. Takes ownership of both in every case.
  int32_t RecvNodeRecordFromRemote(SXPacket* head, uint8_t* payload, uint32_t payloadSize);
  // Empties the this-side list and frees the far-side entries and every queued packet.
  void Cleanup();

  int32_t SendQueAdd(SXPacket* packet);
  int32_t SendQueFirst() { return m_SendQue.First(); }
  int32_t SendQueNext() { return m_SendQue.Next(); }
  int32_t SendQueExists() { return m_SendQue.Exists(); }
  SXPacket* SendQueGetPacket() { return static_cast<SXPacket*>(m_SendQue.Get()); }
  // Removes and frees the packet under the cursor.
  int32_t SendQueDelete();
  int32_t RecvQueFirst() { return m_RecvQue.First(); }
  int32_t RecvQueNext() { return m_RecvQue.Next(); }
  int32_t RecvQueExists() { return m_RecvQue.Exists(); }
  SXPacket* RecvQueGetPacket() { return static_cast<SXPacket*>(m_RecvQue.Get()); }
  int32_t RecvQueDelete();
  int32_t NumSendQuePackets() const { return m_SendQue.GetNumNodes(); }
  int32_t NumRecvQuePackets() const { return m_RecvQue.GetNumNodes(); }

  // ---- the socket side (driven by the concrete link's handler) ----
  // Moves the send queue, in order, behind the packets already handed to the socket.
  int32_t SendHandler();
  // Hands the packets read from the socket to RecvPacketFromRemote. Ping packets wait for the
  // ping step only while this link pings; other protocol packets and split pieces (which nothing
  // builds) are dropped, so no packet of the far side can stall or fill the list.
  int32_t RecvHandler();
  int32_t NumSocketOutPackets() const { return m_SocketOutList.GetNumNodes(); }
  int32_t NumSocketInPackets() const { return m_SocketInList.GetNumNodes(); }

  // ---- ping (a 1000 ms object timer, made when a role is first switched on) ----
  // Answer the far side's pings.
  void SetPingClient(uint8_t flag);
  // Send pings every interval and watch for answers.
  void SetPingServer(uint32_t flag);
  void SetPingInterval(uint32_t ms) { m_PingInterval = ms; }
  void SetPingTimeout(uint32_t ms) { m_PingTimeout = ms; }
  uint8_t GetPingClient() const { return m_AnswerPings; }
  uint8_t GetPingServer() const { return m_SendPings; }
  // 1 while the ping timer is registered (a failed ping step ends it for this link).
  int32_t PingTimerActive() const { return m_PingTimerActive; }
  // One ping step; timedOut is 1 while an answer is overdue. 0 when not connected or out of
  // memory, which ends the ping timer.
  int32_t PingHandler(int32_t& timedOut);

  // ---- log ("comm.log") ----
  void LogData(const char* tag, const void* data, uint32_t size);
  void LogRoute(CCommBase* from, const char* tag, const void* packet, uint32_t size);

 protected:
  // Entering and leaving a registered-link list of the library (the local or remote client list).
  int32_t RegisterClient(CLList* list, int32_t remote);
  int32_t UnRegisterClient(CLList* list, int32_t remote);

  int32_t m_AcceptRaw = 0;
  int32_t m_AcceptNode = 0;
  int32_t m_AcceptRouting = 1;
  CLList m_ThisSideNodes;
  CLList m_OtherSideNodes;
  CLList m_SendQue;
  CLList m_RecvQue;
  int32_t m_Connected = 0;
  int32_t m_InAcked = 0;
  int32_t m_OutAcked = 0;
  int32_t m_InAckMode = 0;
  int32_t m_OutAckMode = 0;
  int32_t m_Log = 0;
  char* m_pObjName = nullptr;
  char* m_pLogFileName = nullptr;
  uint8_t m_NeverRouteToClient = 0;
  uint8_t m_NeverRouteToServer = 0;
  uint8_t m_NeverRouteFromClient = 0;
  uint8_t m_NeverRouteFromServer = 0;
  TCommPacketHook m_pSendHook;
  TCommPacketHook m_pRecvHook;
  // Appends a node-data packet read with its payload apart to the socket in-list (head stands
  // there, the payload beside it); 0 (both freed) when out of memory.
  int32_t AddReadRecord(SXPacket* head, uint8_t* payload, uint32_t payloadSize);

  // Packets handed to the socket (owned), and complete packets read from it (owned). A node-data
  // packet read with its payload apart stands in the in-list as its node header; the payload waits
  // in m_ApartPayloads.
  CLList m_SocketOutList;
  CLList m_SocketInList;
  CLList m_ApartPayloads;
  uint32_t m_LastPingTime = 0;
  uint8_t m_PingSent = 0;
  uint8_t m_AwaitingAnswer = 0;
  uint32_t m_PingInterval = 15000;
  uint32_t m_PingTimeout = 30000;
  uint8_t m_AnswerPings = 0;
  uint8_t m_SendPings = 0;
  CCommPingTimer* m_pPingTimer = nullptr;
  int32_t m_PingTimerActive = 0;

 private:
  friend class CCommPingTimer;
  void StartPingTimer();
  // Puts a ping or ping answer in front of the socket out-list; 0 when out of memory.
  int32_t QueueProtocolPacket(uint8_t protocolType);
  // 1 when the packet is a protocol packet that this link's ping step takes.
  bool PingStepTakes(const SXPacket* packet) const;

  SOtherSideNode* FindOtherSideNode(uint32_t id, uint32_t type, const char* name, uint32_t nameSize);
  int32_t AddOtherSideNode(const SXPacketCNode* packet);
  void RemoveOtherSideNode(const SXPacketCNode* packet);
  // Hands a node-data packet on: routed, then to the local nodes of its id and name.
  // payloadInside when record.m_pHead is the whole packet.
  int32_t RecvNodeData(SCommNodeRecord& record, bool payloadInside);
  // The this-side nodes that a node-data packet of this id and name is handed to.
  int32_t CountReceivingNodes(uint32_t id, const char* name, uint32_t nameSize);
  // Takes the payload read apart for a node header that left the in-list; null when it has none.
  uint8_t* TakeApartPayload(const SXPacket* head, uint32_t& payloadSize);
  void FreeOtherSideNodes();
  void DetachFromNodes();
  // Queues a freshly built packet (freed when refused) and clears the out-acked flag.
  int32_t SendBuilt(SXPacket* packet);
  void WriteLog(const char* tag, CCommBase* from, const void* data, uint32_t size);
};

// A loopback link (127.0.0.1): not private, so nodes that are private do not send over it.
class CCommLocalClientBase : public CCommBase {
 public:
  int32_t IsPrivate() override { return 0; }
  const char* GetClassNameA() override { return "CCommLocalClientBase"; }
  virtual int32_t Startup() = 0;
  virtual int32_t Closedown() = 0;
  virtual int32_t Connect() = 0;
  virtual int32_t Disconnect() = 0;
  virtual int32_t BlockedConnectHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedConnectHandler() = 0;
  virtual int32_t IsFlushed() = 0;

  // Called once the connection is up: enters the local-client registry, registers every node and
  // has the other links announce their far-side nodes here.
  int32_t RegisterLocalClient();
  // On disconnect: unregisters every node and leaves the registry.
  int32_t UnRegisterLocalClient();
};

// A link to another host: private.
class CCommRemoteClientBase : public CCommBase {
 public:
  ~CCommRemoteClientBase() override;
  int32_t IsPrivate() override { return 1; }
  const char* GetClassNameA() override { return "CCommRemoteClientBase"; }
  virtual int32_t Startup() = 0;
  virtual int32_t Closedown() = 0;
  virtual int32_t Connect() = 0;
  virtual int32_t Disconnect() = 0;
  virtual int32_t BlockedConnectHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedConnectHandler() = 0;
  virtual int32_t SetConnectFromServer(CCommRemoteServerBase* server) = 0;
  virtual int32_t IsFlushed() = 0;
  virtual int32_t SetEncryption(int32_t flag) = 0;
  virtual int32_t Handler(int32_t mode, int32_t timeout) = 0;

  // Stores a copy of the host; 0 when out of memory.
  int32_t SetRemoteLocation(const char* host, uint32_t port);
  const char* GetRemoteHost() const { return m_pRemoteHost; }
  uint32_t GetRemotePort() const { return m_RemotePort; }

  int32_t RegisterRemoteClient();
  int32_t UnRegisterRemoteClient();

 protected:
  char* m_pRemoteHost = nullptr;
  uint32_t m_RemotePort = 0;
};

class CCommBaseServer;
// Called for each accepted connection with the server, the user pointer and value given to
// SetCallbackFunction; 0 has the connection closed.
using TCommAcceptCallback = int32_t (*)(CCommBaseServer* server, void* user, int32_t value);

// What listening links share: the object name and the accept callback.
class CCommBaseServer {
 public:
  CCommBaseServer();
  virtual ~CCommBaseServer();
  CCommBaseServer(const CCommBaseServer&) = delete;
  CCommBaseServer& operator=(const CCommBaseServer&) = delete;
  virtual const char* GetClassNameA() = 0;

  // A null name gives "default comm object"; 0 when out of memory.
  int32_t SetObjName(const char* name);
  int32_t SetObjName(const char* base, const char* suffix);
  int32_t SetObjName(const char* base, uint32_t n);
  int32_t SetObjName(const char* base, const char* suffix, uint32_t n);
  const char* GetObjName() const { return m_pObjName ? m_pObjName : ""; }

  // A null callback restores the default, which refuses every connection.
  void SetCallbackFunction(TCommAcceptCallback callback, void* user, int32_t value);
  // The callback's result while the server runs; 0 when it does not.
  int32_t ExecuteCallback();
  int32_t IsRunning() const { return m_Running; }
  // 1 always; the port to listen on (0: one the system picks; after listening, the port taken).
  int32_t SetPortA(uint32_t port) {
    m_Port = port;
    return 1;
  }
  uint32_t GetPortA() const { return m_Port; }

 protected:
  uint32_t m_Port = 0;
  char* m_pObjName = nullptr;
  TCommAcceptCallback m_pCallback;
  void* m_pCallbackUser = nullptr;
  int32_t m_CallbackValue = 0;
  int32_t m_Running = 0;
};

// A loopback server (127.0.0.1).
class CCommLocalServerBase : public CCommBaseServer {
 public:
  // Leaves the registries.
  ~CCommLocalServerBase() override;
  const char* GetClassNameA() override { return "CCommLocalServerBase"; }
  virtual int32_t Startup() = 0;
  virtual int32_t Closedown() = 0;
  virtual int32_t StartListen() = 0;
  virtual int32_t StopListen() = 0;
  virtual int32_t BlockedStartListenHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedStartListenHandler() = 0;
  virtual int32_t BlockedHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedHandler() = 0;

  int32_t LocalServerRunning() const { return m_Running; }
  int32_t RegisterLocalServer();
  int32_t UnRegisterLocalServer();
};

// A server for other hosts.
class CCommRemoteServerBase : public CCommBaseServer {
 public:
  ~CCommRemoteServerBase() override;
  const char* GetClassNameA() override { return "CCommRemoteServerBase"; }
  virtual int32_t Startup() = 0;
  virtual int32_t Closedown() = 0;
  virtual int32_t StartListen() = 0;
  virtual int32_t StopListen() = 0;
  virtual int32_t BlockedStartListenHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedStartListenHandler() = 0;
  virtual int32_t BlockedHandler(int32_t timeout) = 0;
  virtual int32_t NonBlockedHandler() = 0;
  virtual int32_t SetEncryption(int32_t flag, const char* certificateFile, const char* keyFile) = 0;
  virtual int32_t GetEncryptionFlag() = 0;

  int32_t RemoteServerRunning() const { return m_Running; }
  int32_t RegisterRemoteServer();
  int32_t UnRegisterRemoteServer();
};
