#include "ostrelcomm/commnode.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/commbase.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtext.h"

namespace {

constexpr char kDefaultObjName[] = "default commnode object name";
constexpr char kDefaultLogName[] = "commnode.log";
constexpr char kSeparator[] = "\n---------------------------------------\n";

int32_t PassPayload(CCommNode*, const void*&, uint32_t&, int32_t&) { return 1; }

const char* TypeText(uint32_t type) {
  switch (type) {
    case CNODE_ANY: return "ANY";
    case CNODE_SERVER: return "SERVER";
    case CNODE_CLIENT: return "CLIENT";
    default: return "ERROR";
  }
}

// The sender's type against the receiver's for delivery inside the process: a client reaches
// every node but clients, a server every node but servers, and an ANY node reaches every node
// unless it is private (exactly 1) and the receiver is not.
bool DeliversTo(const CCommNode& from, const CCommNode& to) {
  switch (from.GetType()) {
    case CNODE_CLIENT: return to.GetType() != CNODE_CLIENT;
    case CNODE_SERVER: return to.GetType() != CNODE_SERVER;
    default:
      if (from.GetType() == CNODE_NONE || to.GetType() == CNODE_NONE) return false;
      return !(from.IsPrivate() == 1 && !to.IsPrivate());
  }
}

std::string WithNumbers(const char* base, const char* suffix, uint32_t a, uint32_t b, uint32_t c) {
  std::string name = base ? base : "";
  if (suffix) name += suffix;
  for (uint32_t n : {a, b, c})
    if (n) name += "_" + std::to_string(n);
  return name;
}

}  // namespace

CCommNode::CCommNode()
    : m_pObjName(xStrdup(kDefaultObjName)),
      m_pLogFileName(xStrdup(kDefaultLogName)),
      m_pSendHook(PassPayload),
      m_pRecvHook(PassPayload) {}

CCommNode::~CCommNode() {
  ExitCommNode();
  FreeWaiting();
}

// ---- naming ----

int32_t CCommNode::SetText(char*& field, const char* text, const char* what) {
  xFree(field);
  field = text ? xStrdup(text) : nullptr;
  if (text && !field) return xCommError("CCommNode::%s: Unable to allocate memory", what);
  return 1;
}

int32_t CCommNode::SetId(uint32_t id) {
  m_NodeId = id;
  m_IdSet = 1;
  return 1;
}

int32_t CCommNode::SetName(const char* name) {
  const int32_t ok = SetText(m_pName, name ? name : "", "SetName");
  m_NameSet = m_pName != nullptr;
  return ok;
}

int32_t CCommNode::SetName(const char* base, const char* suffix) {
  return SetName(WithNumbers(base, suffix, 0, 0, 0).c_str());
}

int32_t CCommNode::SetName(const char* base, uint32_t a, uint32_t b, uint32_t c) {
  return SetName(WithNumbers(base, nullptr, a, b, c).c_str());
}

int32_t CCommNode::SetName(const char* base, const char* suffix, uint32_t a, uint32_t b, uint32_t c) {
  return SetName(WithNumbers(base, suffix, a, b, c).c_str());
}

int32_t CCommNode::SetObjName(const char* name) { return SetText(m_pObjName, name ? name : "", "SetObjName"); }

int32_t CCommNode::SetObjName(const char* base, const char* suffix) {
  return SetObjName(WithNumbers(base, suffix, 0, 0, 0).c_str());
}

int32_t CCommNode::SetObjName(const char* base, uint32_t n) {
  return SetObjName((std::string(base ? base : "") + std::to_string(n)).c_str());
}

int32_t CCommNode::SetObjName(const char* base, const char* suffix, uint32_t n) {
  return SetObjName((WithNumbers(base, suffix, 0, 0, 0) + std::to_string(n)).c_str());
}

int32_t CCommNode::SetLogFileName(const char* name) {
  return SetText(m_pLogFileName, name ? name : kDefaultLogName, "SetLogFileName");
}

void CCommNode::SetPacketCallbackSend(TCommNodeHook hook) { m_pSendHook = hook ? hook : PassPayload; }
void CCommNode::SetPacketCallbackRecv(TCommNodeHook hook) { m_pRecvHook = hook ? hook : PassPayload; }

void CCommNode::NewSessionIndex() {
  if (m_NodeType != CNODE_SERVER || m_SessionIndex == 0) return;
  m_SessionIndex = m_SessionIndex == UINT32_MAX ? 1 : m_SessionIndex + 1;
  FreeWaiting();
}

// ---- life ----

int32_t CCommNode::InitCommNode(uint32_t type) {
  if (!m_NameSet || !m_IdSet)
    return xCommError("CCommNode::InitCommNode: name or id not set (objectname:%s)", GetObjName());
  if (type != CNODE_ANY && type != CNODE_SERVER && type != CNODE_CLIENT)
    return xCommError("CCommNode::InitCommNode: invalid node type %u (objectname:%s)", type, GetObjName());
  m_NodeType = type;
  CLList* nodes = xCommNodeList(1);
  if (!nodes || !nodes->IfNotInsertLast(this))
    return xCommError("CCommNode::InitCommNode: Unable to insert listitem (objectname:%s)", GetObjName());
  m_Initialised = 1;
  if (!CommRegisterNodeOnComms(this)) {
    // Leave nothing behind: a half-started node would still receive on some links.
    LeaveLinks();
    xCommRemoveFromList(nodes, this);
    m_Initialised = 0;
    return xCommError("CCommNode::InitCommNode: Unable to register on the links (objectname:%s)", GetObjName());
  }
  Log("\n>INIT< ", nullptr, 0);
  return 1;
}

void CCommNode::ExitCommNode() {
  if (m_Initialised) Log("\n>EXIT< ", nullptr, 0);
  FreeWaiting();
  LeaveLinks();
  xCommRemoveFromList(xCommNodeList(0), this);
  m_Initialised = 0;
  m_SendOpen = 0;
  m_RecordHeld = 0;
  xFree(m_pObjName);
  m_pObjName = nullptr;
  xFree(m_pLogFileName);
  m_pLogFileName = nullptr;
  xFree(m_pName);
  m_pName = nullptr;
  m_NameSet = 0;
}

// Unregisters from every link, including one that stopped accepting nodes after the node was
// registered, so that no link keeps a pointer to this node.
void CCommNode::LeaveLinks() {
  CommUnregisterNodeFromComms(this);
  for (void* p : CCommSnapshot(&m_CommList)) {
    if (!xCommInList(&m_CommList, p)) continue;
    auto* link = static_cast<CCommBase*>(p);
    link->UnregisterCommNode(this);
    if (link->HasCommNode(this) || HasCommObject(link)) link->ForgetCommNode(this);
  }
  m_CommList.KillAll();
}

int32_t CCommNode::AddCommObject(CCommBase* link) {
  if (!m_Initialised || !link) return 0;
  return m_CommList.IfNotInsertLast(link) ? 1 : 0;
}

int32_t CCommNode::DeleteCommObject(CCommBase* link) { return xCommRemoveFromList(&m_CommList, link); }

int32_t CCommNode::HasCommObject(const CCommBase* link) const { return xCommInList(&m_CommList, link); }

// ---- sending ----

int32_t CCommNode::SendInit() {
  if (!m_Initialised || m_SendOpen) return 0;
  m_SendOpen = 1;
  Free();
  return 1;
}

int32_t CCommNode::SendKCBLPacket() { return SendKCBLPacket(this); }

// The text is exported into its length plus one byte for the NUL, and the length alone is sent.
int32_t CCommNode::SendKCBLPacket(CKCBL* record) {
  if (!m_SendOpen) return 0;
  if (!record || !m_Initialised) {
    if (record) record->Free();
    CloseSend();
    return 0;
  }
  int32_t length = -1;
  char* text = nullptr;
  if (record->ExportSize(&length) && length >= 0)
    text = static_cast<char*>(::operator new(static_cast<size_t>(length) + 1, std::nothrow));
  if (!text || !record->Export(text, length + 1, &length, 0) || length < 0) {
    xFree(text);
    record->Free();
    CloseSend();
    return xCommError("CCommNode::SendKCBLPacket: Unable to export the record (objectname:%s)", GetObjName());
  }
  const int32_t sent = SendPacket(text, static_cast<uint32_t>(length));
  xFree(text);
  record->Free();
  if (!sent) CloseSend();
  return sent;
}

int32_t CCommNode::SendPacket(const void* data, uint32_t size) {
  if (!m_Initialised || (m_OutAckMode && !m_OutAcked) || !m_SendOpen) return 0;
  const void* payload = data;
  uint32_t payloadSize = size;
  int32_t deliver = 1;
  if (!m_pSendHook(this, payload, payloadSize, deliver)) return 0;
  if (!deliver) {
    CloseSend();
    return 1;
  }
  Log("\n>WRITE< ", payload, payloadSize);
  if (!xCommNodeList(1)) return 0;
  DeliverInProcess(payload, payloadSize);
  if (!SendOnLinks(payload, payloadSize)) return 0;
  CloseSend();
  return 1;
}

// Each receiving node copies the payload once, straight from the sender's data: the packet handed
// round carries the node header alone.
void CCommNode::DeliverInProcess(const void* data, uint32_t size) {
  CLList* nodes = xCommNodeList(0);
  SXPacket* head = nullptr;
  // Receive hooks may exit nodes while the walk goes on.
  for (void* p : CCommSnapshot(nodes)) {
    if (p == this || !xCommInList(nodes, p)) continue;
    auto* other = static_cast<CCommNode*>(p);
    if (other->GetId() != m_NodeId || !m_pName || !other->GetName() || std::strcmp(other->GetName(), m_pName) != 0)
      continue;
    if (!DeliversTo(*this, *other)) continue;
    // Nothing goes to a node that the whole packet could not reach.
    if (!head && uint64_t{size} + std::strlen(m_pName) + PACKET_NODE_HEADER_SIZE <= xGetMaxPacketSize())
      head = BuildPacket(PACKET_CNODEDATA, m_NodeId, m_pName, m_NodeType, m_SessionIndex, nullptr, 0);
    if (!head) return;
    SCommNodeRecord record{static_cast<const SXPacketCNode*>(head), static_cast<const uint8_t*>(data), size, nullptr};
    other->RecvIncomingRecord(record);
  }
  xFree(head);
}

int32_t CCommNode::SendOnLinks(const void* data, uint32_t size) {
  for (void* p : CCommSnapshot(&m_CommList)) {
    if (!xCommInList(&m_CommList, p)) continue;
    auto* link = static_cast<CCommBase*>(p);
    if (m_Private && !link->IsPrivate()) continue;
    if (!m_pName || !link->IsConnected()) continue;
    if (!link->SendCommNodeData(m_pName, m_NodeId, m_NodeType, m_SessionIndex, data, size)) return 0;
  }
  return 1;
}

// ---- receiving ----

SCommNodePacket* CCommNode::FirstWaiting() const {
  CNode* head = m_RecvQue.HeadNode();
  return head ? static_cast<SCommNodePacket*>(head->m_pData) : nullptr;
}

SCommNodePacket* CCommNode::TakeFirst() {
  SCommNodePacket* first = FirstWaiting();
  if (first) xCommRemoveFromList(&m_RecvQue, first);
  return first;
}

void CCommNode::FreeWaiting() {
  while (SCommNodePacket* entry = TakeFirst()) {
    xFree(entry->m_pData);
    delete entry;
  }
}

int32_t CCommNode::IsDataAvailable() const {
  if (m_RecordHeld) return 0;
  const SCommNodePacket* first = FirstWaiting();
  if (!first) return 0;
  return m_Snoop ? first->m_Seen : 1;
}

int32_t CCommNode::ImportRecord(const SCommNodePacket& packet) {
  m_RecvKCBL.Free();
  // Every payload is NUL-terminated and the length bounds the read as well.
  if (packet.m_Size > INT32_MAX ||
      !m_RecvKCBL.Import(reinterpret_cast<const char*>(packet.m_pData), static_cast<int32_t>(packet.m_Size))) {
    m_RecvKCBL.Free();
    return 0;
  }
  m_RecvKCBL.MainChunk();
  m_RecvKCBL.FirstItem();
  return 1;
}

int32_t CCommNode::RecvKCBLPacket() {
  m_RecvKCBL.Free();
  if (!MayTake()) return 0;
  SCommNodePacket* entry = TakeFirst();
  if (!entry) return 0;
  const int32_t ok = ImportRecord(*entry);
  xFree(entry->m_pData);
  delete entry;
  m_RecordHeld = ok;
  return ok;
}

void CCommNode::RecvKCBLFree() {
  m_RecordHeld = 0;
  m_RecvKCBL.Free();
}

int32_t CCommNode::SnoopRecvKCBLPacket() {
  // A record the owner holds is not overwritten.
  if (!m_Snoop || m_RecordHeld || !MayTake()) return 0;
  SCommNodePacket* first = FirstWaiting();
  if (!first) return 0;
  first->m_Seen = 1;
  return ImportRecord(*first);
}

void CCommNode::SnoopFreeKCBL() {
  if (!m_Snoop) return;
  m_RecordHeld = 0;
  m_RecvKCBL.Free();
}

int32_t CCommNode::RecvPacket(void*& data, uint32_t& size) {
  if (!MayTake()) return 0;
  SCommNodePacket* entry = TakeFirst();
  if (!entry) return 0;
  data = entry->m_pData;
  size = entry->m_Size;
  delete entry;
  m_RecordHeld = 1;
  return 1;
}

int32_t CCommNode::SnoopIsDataAvailable() const {
  if (!m_Snoop || m_RecordHeld) return 0;
  const SCommNodePacket* first = FirstWaiting();
  return first && !first->m_Seen;
}

int32_t CCommNode::SnoopRecvPacket(void*& data, uint32_t& size) {
  if (!m_Snoop || !MayTake()) return 0;
  SCommNodePacket* first = FirstWaiting();
  if (!first) return 0;
  data = first->m_pData;
  size = first->m_Size;
  first->m_Seen = 1;
  return 1;
}

void CCommNode::SnoopFree() {
  if (m_Snoop) m_RecordHeld = 0;
}

int32_t CCommNode::SnoopDeletePacket() {
  if (!m_Snoop) return 0;
  SCommNodePacket* first = TakeFirst();
  if (!first) return 0;
  xFree(first->m_pData);
  delete first;
  return 1;
}

int32_t CCommNode::RecvIncomingFromComm(SXPacket* packet) {
  SCommNodeRecord record{static_cast<const SXPacketCNode*>(packet), nullptr, 0, nullptr};
  return RecvIncoming(record, true);
}

int32_t CCommNode::RecvIncomingRecord(SCommNodeRecord& record) { return RecvIncoming(record, false); }

int32_t CCommNode::RecvIncoming(SCommNodeRecord& record, bool payloadInside) {
  if (!m_Initialised) return 0;
  if (m_InAckMode && !m_InAcked)
    return xCommError("CCommNode::RecvIncomingFromComm:Old data not acked (id:%u name:%s type:%u objectname:%s",
                      m_NodeId, m_pName ? m_pName : "", m_NodeType, GetObjName());
  const SXPacketCNode* node = record.m_pHead;
  uint8_t type;
  if (!node || !node->GetPacketType(type))
    return xCommError("CCommNode::RecvIncomingFromComm:GetPacketType failed (id:%u name:%s type:%u objectname:%s",
                      m_NodeId, m_pName ? m_pName : "", m_NodeType, GetObjName());
  if (type != PACKET_CNODEDATA) return 1;
  uint32_t id, nameSize;
  if (!node->GetNodeId(id)) return 0;
  if (id != m_NodeId) return xCommError("CCommNode::RecvIncomingFromComm:idOut != nodeId");
  const char* name = node->GetNodeName();
  if (!name || !m_pName || !node->GetNodeNameSize(nameSize)) return 0;
  if (!xCommSameName(m_pName, name, nameSize)) return 1;

  uint8_t viewType;
  uint32_t viewId, senderType, session, inside;
  const char* viewName;
  const void* view;
  if (!ViewPacket(node, viewType, viewId, viewName, senderType, session, view, inside)) return 0;
  if (viewType != PACKET_CNODEDATA || viewId != m_NodeId || !xCommSameName(m_pName, viewName, nameSize)) return 0;
  const void* data = payloadInside ? view : record.m_pPayload;
  const uint32_t dataSize = payloadInside ? inside : record.m_PayloadSize;
  if (senderType == CNODE_SERVER && m_NodeType == CNODE_CLIENT) {
    if (session) m_SessionIndex = session;
  } else if (senderType == CNODE_CLIENT && m_NodeType == CNODE_SERVER && m_SessionIndex &&
             session != m_SessionIndex) {
    return 1;
  }

  const void* payload = data;
  uint32_t payloadSize = dataSize;
  int32_t deliver = 1;
  if (!m_pRecvHook(this, payload, payloadSize, deliver)) return 0;
  if (!deliver) return 1;
  Log("\n>READ< ", payload, payloadSize);
  return QueuePayload(record, payload, payloadSize);
}

// The queue keeps a NUL behind every payload, so that it can be read as text safely.
int32_t CCommNode::QueuePayload(SCommNodeRecord& record, const void* payload, uint32_t size) {
  uint8_t* block = nullptr;
  if (record.m_pBlock && payload == record.m_pBlock && size == record.m_PayloadSize) {
    block = record.m_pBlock;
  } else {
    block = static_cast<uint8_t*>(::operator new(uint64_t{size} + 1, std::nothrow));
    if (!block) return 0;
    // A payload sent without data is zeros, as on a link.
    if (size && payload)
      std::memcpy(block, payload, size);
    else
      std::memset(block, 0, size);
    block[size] = 0;
  }
  auto* entry = new (std::nothrow) SCommNodePacket{block, size, 0};
  if (!entry || !m_RecvQue.InsertLast(entry)) {
    if (block != record.m_pBlock) xFree(block);
    delete entry;
    return 0;
  }
  if (block == record.m_pBlock) record.m_pBlock = nullptr;
  return 1;
}

// ---- log ("commnode.log") ----

void CCommNode::Log(const char* tag, const void* data, uint32_t size) {
  if (!m_Log) return;
  FILE* f = xCommOpenLog(m_pLogFileName ? m_pLogFileName : kDefaultLogName);
  if (!f) return;
  std::fputs(kSeparator, f);
  std::fputs(kSeparator, f);
  std::fputs(tag, f);
  std::fprintf(f, "  | Object name: %s", m_pObjName ? m_pObjName : "No objectname is available");
  std::fprintf(f, "  | Node name: %s", m_pName ? m_pName : "No nodename is available");
  std::fprintf(f, "  | Node id: %u", m_NodeId);
  std::fprintf(f, "  | Node type: %s\n\n", TypeText(m_NodeType));
  std::fprintf(f, "Timestamp: %u", xGetTime());
  std::fprintf(f, "  |   Address: %lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)));
  if (data) {
    std::fputs("\n-\n", f);
    xCommLogBytes(f, data, size);
    std::fputs("\n-\n", f);
  }
  std::fputs(kSeparator, f);
  std::fputs(kSeparator, f);
  std::fclose(f);
}
