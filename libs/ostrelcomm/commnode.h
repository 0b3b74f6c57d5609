// A node: a named, typed endpoint. Two nodes of equal id and name and complementary types (client
// and server) form a conversation: what one sends reaches the other, first inside the process and
// then over every connected link the sender stands on. Received packets wait in the node's queue
// until the owner takes them.
//
// The node is itself the outgoing KCBL record: the owner calls SendInit, builds the record with
// the KCBL operations on the node and sends it with SendKCBLPacket. A received record is read into
// m_RecvKCBL by RecvKCBLPacket and released with RecvKCBLFree.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrelcomm/packet.h"

class CCommBase;
class CCommNode;

// Packet hook of a node: sees each payload sent or received and may replace it (the replacement
// stays the hook's). 0 fails the call; clearing deliver drops the payload with success.
using TCommNodeHook = int32_t (*)(CCommNode* node, const void*& data, uint32_t& size, int32_t& deliver);

// One received payload; data is followed by a NUL byte not counted in size.
struct SCommNodePacket {
  uint8_t* m_pData;
  uint32_t m_Size;
  uint8_t m_Seen;
};

// A node-data packet on its way to the nodes: its node header and its payload. The payload lies
// inside head (a whole packet) or apart from it, in a block of its own (the payload's bytes, then a
// NUL) that the one node to queue it may take over instead of copying it.
struct SCommNodeRecord {
  const SXPacketCNode* m_pHead;
  const uint8_t* m_pPayload;
  uint32_t m_PayloadSize;
  uint8_t* m_pBlock;  // the payload's own block when a node may take it; null once taken
};

class CCommNode : public CKCBL {
 public:
  CCommNode();
  virtual ~CCommNode();
  CCommNode(const CCommNode&) = delete;
  CCommNode& operator=(const CCommNode&) = delete;

  // ---- naming and set-up; 1, or 0 when memory runs out ----
  int32_t SetId(uint32_t id);
  int32_t SetName(const char* name);
  int32_t SetName(const char* base, const char* suffix);
  // base, then "_<n>" for each of a, b, c that is not 0.
  int32_t SetName(const char* base, uint32_t a, uint32_t b, uint32_t c);
  int32_t SetName(const char* base, const char* suffix, uint32_t a, uint32_t b, uint32_t c);
  int32_t SetObjName(const char* name);
  int32_t SetObjName(const char* base, const char* suffix);
  int32_t SetObjName(const char* base, uint32_t n);
  int32_t SetObjName(const char* base, const char* suffix, uint32_t n);
  // A null name restores "commnode.log".
  int32_t SetLogFileName(const char* name);
  void SetLog(int32_t flag) { m_Log = flag; }

  uint32_t GetId() const { return m_NodeId; }
  const char* GetName() const { return m_pName; }
  uint32_t GetType() const { return m_NodeType; }
  const char* GetObjName() const { return m_pObjName ? m_pObjName : ""; }
  uint32_t GetSessionIndex() const { return m_SessionIndex; }
  int32_t IsPrivate() const { return m_Private; }
  int32_t IsInitialised() const { return m_Initialised; }

  void SetPrivate(int32_t flag) { m_Private = flag; }
  // Non-zero sets the session index to 1, zero to 0 (none).
  void SetUseSessionIndex(int32_t flag) { m_SessionIndex = flag ? 1 : 0; }
  // On a server node that uses session indices: the next index (after 4294967295 comes 1), and
  // every packet still waiting is dropped.
  void NewSessionIndex();
  void SetDebugSessionIndex(int32_t flag) { m_DebugSession = flag; }

  void SetPacketCallbackSend(TCommNodeHook hook);
  void SetPacketCallbackRecv(TCommNodeHook hook);

  void SetInAckMode(int32_t flag) { m_InAckMode = flag; }
  void SetOutAckMode(int32_t flag) { m_OutAckMode = flag; }
  void AckInData() { m_InAcked = 1; }
  void AckOutData() { m_OutAcked = 1; }

  // Enters the node registry and registers the node on every client link that accepts nodes; a
  // failure leaves it nowhere. type is CNODE_ANY, CNODE_SERVER or CNODE_CLIENT.
  int32_t InitCommNode(uint32_t type);
  // Drops waiting packets, unregisters from every link, leaves the registry, and forgets the
  // name and object name.
  void ExitCommNode();

  // Kept by the links: the links the node stands on.
  int32_t AddCommObject(CCommBase* link);
  int32_t DeleteCommObject(CCommBase* link);
  int32_t HasCommObject(const CCommBase* link) const;

  // The incoming record, filled by RecvKCBLPacket.
  CKCBL m_RecvKCBL;

  // ---- sending: SendInit, then the record or the block ----
  // Opens a send and clears the outgoing record.
  int32_t SendInit();
  // Exports the record and sends the text; the record is freed and the send closed whatever the
  // outcome.
  int32_t SendKCBLPacket();
  int32_t SendKCBLPacket(CKCBL* record);
  // Sends an exported text or byte block: to matching nodes of the process, then on every
  // connected link. A failure leaves the send open.
  int32_t SendPacket(const void* data, uint32_t size);

  // ---- receiving ----
  int32_t IsDataAvailable() const;
  // Takes the first waiting packet and reads it, no further than its size, into m_RecvKCBL, with
  // the cursor on the first item. The record is then held until RecvKCBLFree.
  int32_t RecvKCBLPacket();
  void RecvKCBLFree();
  // Hands the first waiting block (freed by the caller with xFree; a NUL follows its size bytes).
  int32_t RecvPacket(void*& data, uint32_t& size);
  void RecvFree() { m_RecordHeld = 0; }
  int32_t NumWaitingPackets() const { return m_RecvQue.GetNumNodes(); }

  // ---- snooping: a second reader that sees each packet before the owner ----
  void SnoopSetSnooping(int32_t flag) { m_Snoop = flag; }
  int32_t SnoopIsDataAvailable() const;
  // Reads the first waiting packet into m_RecvKCBL without taking it, and marks it seen.
  int32_t SnoopRecvKCBLPacket();
  void SnoopFreeKCBL();
  int32_t SnoopRecvPacket(void*& data, uint32_t& size);
  void SnoopFree();
  int32_t SnoopDeletePacket();

  // The entry by which other nodes of the process and the links hand a node packet to this node.
  int32_t RecvIncomingFromComm(SXPacket* packet);
  // The same for a packet whose payload lies apart from its header (record.m_pHead holds the
  // header alone); a queued payload takes record.m_pBlock over when it is offered.
  int32_t RecvIncomingRecord(SCommNodeRecord& record);

 protected:
  // The first waiting packet, or null.
  SCommNodePacket* FirstWaiting() const;
  // Unlinks the first waiting packet and hands it over.
  SCommNodePacket* TakeFirst();
  void FreeWaiting();
  // Reads a payload into m_RecvKCBL with the cursor on its first item.
  int32_t ImportRecord(const SCommNodePacket& packet);
  int32_t MayTake() const { return !m_InAckMode || m_InAcked; }
  void CloseSend() { m_SendOpen = 0; }
  void Log(const char* tag, const void* data, uint32_t size);

  int32_t m_Initialised = 0;
  int32_t m_NameSet = 0;
  int32_t m_IdSet = 0;
  int32_t m_Private = 1;
  CLList m_RecvQue;
  int32_t m_Snoop = 0;
  CLList m_CommList;
  char* m_pObjName = nullptr;
  char* m_pLogFileName = nullptr;
  int32_t m_Log = 0;
  uint32_t m_NodeId = 0;
  char* m_pName = nullptr;
  uint32_t m_SessionIndex = 0;
  int32_t m_DebugSession = 0;
  uint32_t m_NodeType = CNODE_NONE;
  int32_t m_InAcked = 1;
  int32_t m_OutAcked = 1;
  int32_t m_InAckMode = 1;
  int32_t m_OutAckMode = 1;
  int32_t m_RecordHeld = 0;
  int32_t m_SendOpen = 0;
  TCommNodeHook m_pSendHook;
  TCommNodeHook m_pRecvHook;

 private:
  void DeliverInProcess(const void* data, uint32_t size);
  // The receive step of both entries; payloadInside when the record's head is the whole packet.
  int32_t RecvIncoming(SCommNodeRecord& record, bool payloadInside);
  // Queues a payload: the record's own block when it holds exactly these bytes, else a copy.
  int32_t QueuePayload(SCommNodeRecord& record, const void* payload, uint32_t size);
  int32_t SendOnLinks(const void* data, uint32_t size);
  void LeaveLinks();
  int32_t SetText(char*& field, const char* text, const char* what);
};
