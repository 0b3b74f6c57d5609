#include "ostrelcomm/commbase.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtext.h"
#include "ostrelcomm/packet.h"
#include "ostrelcomm/packetcache.h"

namespace {

constexpr char kDefaultObjName[] = "default comm object";
constexpr char kDefaultLogName[] = "comm.log";
constexpr char kStars[] = "********************************************";  // 44
constexpr char kDefaultServerName[] = "default commserver object";
constexpr uint32_t kPingPeriod = 1000;

int32_t PassPacket(SXPacket*, SXPacketCNode*, int32_t&) { return 1; }

SXPacketCNode* AsNode(SXPacket* packet) { return static_cast<SXPacketCNode*>(packet); }

// A payload read apart from its node header, which stands in the socket in-list.
struct SApartPayload {
  const SXPacket* m_pHead;
  uint8_t* m_pPayload;
  uint32_t m_Size;
};

uint32_t StatedSize(const SXPacket* packet) {
  uint32_t size = 0;
  packet->GetPacketSize(size);
  return size;
}

bool TypesPair(uint32_t asked, uint32_t known) {
  switch (asked) {
    case CNODE_ANY: return known == CNODE_ANY || known == CNODE_SERVER || known == CNODE_CLIENT;
    case CNODE_CLIENT: return known == CNODE_ANY || known == CNODE_SERVER;
    case CNODE_SERVER: return known == CNODE_ANY || known == CNODE_CLIENT;
    default: return false;
  }
}

// Replaces a heap text; on failure the field is left cleared.
int32_t ReplaceText(char*& field, char* text) {
  xFree(field);
  field = text;
  return text != nullptr;
}

}  // namespace

class CCommPingTimer : public CTimer {
 public:
  explicit CCommPingTimer(CCommBase* link) : m_pLink(link) {}
  void TimerHandler(uint32_t) override {
    // A time-out is only reported; the link stays as it is.
    int32_t timedOut = 0;
    if (m_pLink->PingHandler(timedOut)) return;
    RemoveTimer(kPingPeriod);
    m_pLink->m_PingTimerActive = 0;
  }

 private:
  CCommBase* m_pLink;
};

CCommBase::CCommBase()
    : m_pObjName(xStrdup(kDefaultObjName)),
      m_pLogFileName(xStrdup(kDefaultLogName)),
      m_pSendHook(PassPacket),
      m_pRecvHook(PassPacket) {}

CCommBase::~CCommBase() {
  if (glb) {
    for (CLList* list : {glb->m_pLocalClientCommList, glb->m_pRemoteClientCommList,
                         glb->m_pStartedLocalClientList, glb->m_pStartedRemoteClientList})
      xCommRemoveFromList(list, this);
  }
  Cleanup();
  delete m_pPingTimer;
  xFree(m_pObjName);
  xFree(m_pLogFileName);
}

CCommRemoteClientBase::~CCommRemoteClientBase() { xFree(m_pRemoteHost); }

// ---- configuration ----

void CCommBase::SetPacketTypes(int32_t acceptRaw, int32_t acceptNode) {
  m_AcceptRaw = acceptRaw;
  m_AcceptNode = acceptNode;
}

void CCommBase::SetPacketCallbackSend(TCommPacketHook hook) { m_pSendHook = hook ? hook : PassPacket; }
void CCommBase::SetPacketCallbackRecv(TCommPacketHook hook) { m_pRecvHook = hook ? hook : PassPacket; }

int32_t CCommBase::SetObjName(const char* name) {
  if (!ReplaceText(m_pObjName, xStrdup(name ? name : kDefaultObjName)))
    return xCommError("CCommBase::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBase::SetObjName(const char* base, const char* suffix) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%s", base ? base : "", suffix ? suffix : "")))
    return xCommError("CCommBase::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBase::SetObjName(const char* base, uint32_t n) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%u", base ? base : "", n)))
    return xCommError("CCommBase::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBase::SetObjName(const char* base, const char* suffix, uint32_t n) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%s%u", base ? base : "", suffix ? suffix : "", n)))
    return xCommError("CCommBase::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBase::SetLogFileName(const char* name) {
  if (!ReplaceText(m_pLogFileName, xStrdup(name ? name : kDefaultLogName)))
    return xCommError("CCommBase::SetLogFileName: Unable to allocate memory");
  return 1;
}

// ---- this-side nodes ----

int32_t CCommBase::HasCommNode(const CCommNode* node) const { return xCommInList(&m_ThisSideNodes, node); }

int32_t CCommBase::RegisterCommNode(CCommNode* node) {
  if (!node || !m_AcceptNode) return 0;
  if (HasCommNode(node)) return 1;
  SXPacket* packet = BuildPacket(PACKET_REGISTERCNODE, node->GetId(), node->GetName(), node->GetType(), 0,
                                 nullptr, 0);
  if (!packet) return 0;
  if (!m_SendQue.InsertLast(packet)) {
    xFree(packet);
    return 0;
  }
  LogData(">Add commnode to comm (thissidenode)<", node->GetName(), static_cast<uint32_t>(std::strlen(node->GetName() ? node->GetName() : "")));
  if (m_ThisSideNodes.InsertLast(node)) {
    LogData(">Sending packet (register comm node)<", packet, StatedSize(packet));
    if (node->AddCommObject(this)) return 1;
    xCommRemoveFromList(&m_ThisSideNodes, node);
  }
  xCommRemoveFromList(&m_SendQue, packet);
  xFree(packet);
  return 0;
}

int32_t CCommBase::UnregisterCommNode(CCommNode* node) {
  if (!node || !m_AcceptNode) return 0;
  if (!HasCommNode(node)) return 0;
  // Without memory for the packet the far side is not told, but the node still leaves, so that
  // neither side keeps a pointer to the other.
  SXPacket* packet = BuildPacket(PACKET_UNREGISTERCNODE, node->GetId(), node->GetName(), node->GetType(), 0,
                                 nullptr, 0);
  if (packet && !m_SendQue.InsertLast(packet)) {
    xFree(packet);
    packet = nullptr;
  }
  if (packet) LogData(">Sending packet (unregister comm node)<", packet, StatedSize(packet));
  ForgetCommNode(node);
  LogData(">Remove commNode fromcomm (thissidenode)<", nullptr, 0);
  return 1;
}

void CCommBase::ForgetCommNode(CCommNode* node) {
  node->DeleteCommObject(this);
  xCommRemoveFromList(&m_ThisSideNodes, node);
}

void CCommBase::DetachFromNodes() {
  for (void* p : CCommSnapshot(&m_ThisSideNodes))
    if (HasCommNode(static_cast<CCommNode*>(p))) ForgetCommNode(static_cast<CCommNode*>(p));
  m_ThisSideNodes.KillAll();
}

// ---- other-side nodes ----

// Far-side names compare without regard to case, for registering and unregistering alike.
SOtherSideNode* CCommBase::FindOtherSideNode(uint32_t id, uint32_t type, const char* name, uint32_t nameSize) {
  for (CNode* n = m_OtherSideNodes.HeadNode(); n; n = n->m_pNext) {
    auto* entry = static_cast<SOtherSideNode*>(n->m_pData);
    if (entry->m_NodeId != id || entry->m_NodeType != type) continue;
    if (std::strlen(entry->m_pName) != nameSize) continue;
    if (xStrnicmp(entry->m_pName, name, nameSize) == 0) return entry;
  }
  return nullptr;
}

int32_t CCommBase::AddOtherSideNode(const SXPacketCNode* packet) {
  uint32_t id, type, nameSize;
  if (!packet->GetNodeId(id) || !packet->GetNodeType(type) || !packet->GetNodeNameSize(nameSize)) return 0;
  const char* name = packet->GetNodeName();
  if (!name) return 0;
  if (SOtherSideNode* entry = FindOtherSideNode(id, type, name, nameSize)) {
    ++entry->m_RefCount;
    return 1;
  }
  auto* entry = new (std::nothrow) SOtherSideNode{id, type, xStrndup(name, nameSize), 1};
  if (!entry || !entry->m_pName || !m_OtherSideNodes.InsertLast(entry)) {
    if (entry) xFree(entry->m_pName);
    delete entry;
    return 0;
  }
  LogData(">Add commnode to comm (othersidenode)<", name, nameSize);
  LogData(">RECV:Comm node register<", nullptr, 0);
  return 1;
}

void CCommBase::RemoveOtherSideNode(const SXPacketCNode* packet) {
  uint32_t id, type, nameSize;
  if (!packet->GetNodeId(id) || !packet->GetNodeType(type) || !packet->GetNodeNameSize(nameSize)) return;
  const char* name = packet->GetNodeName();
  if (!name) return;
  SOtherSideNode* entry = FindOtherSideNode(id, type, name, nameSize);
  if (!entry || --entry->m_RefCount) return;
  xCommRemoveFromList(&m_OtherSideNodes, entry);
  xFree(entry->m_pName);
  delete entry;
}

void CCommBase::FreeOtherSideNodes() {
  for (void* p : CCommSnapshot(&m_OtherSideNodes)) {
    auto* entry = static_cast<SOtherSideNode*>(p);
    xFree(entry->m_pName);
    delete entry;
  }
  m_OtherSideNodes.KillAll();
}

int32_t CCommBase::SendOtherSideNodes(CCommBase* target) {
  if (!target) return 0;
  if (!m_Connected) return 1;
  for (void* p : CCommSnapshot(&m_OtherSideNodes)) {
    const auto* entry = static_cast<SOtherSideNode*>(p);
    SXPacket* packet = BuildPacket(PACKET_REGISTERCNODE, entry->m_NodeId, entry->m_pName, entry->m_NodeType, 0,
                                   nullptr, 0);
    if (!packet) return 0;
    if (!target->SendPacket(packet)) {
      xFree(packet);
      return 0;
    }
  }
  return 1;
}

int32_t CCommBase::HasOtherSideNode(const char* name, uint32_t nameLength, uint32_t id, uint32_t type) {
  if (!m_AcceptNode || !name) return 0;
  for (CNode* n = m_OtherSideNodes.HeadNode(); n; n = n->m_pNext) {
    const auto* entry = static_cast<SOtherSideNode*>(n->m_pData);
    if (entry->m_NodeId == id && xCommSameName(entry->m_pName, name, nameLength) && TypesPair(type, entry->m_NodeType))
      return 1;
  }
  return 0;
}

// ---- data ----

int32_t CCommBase::SendPacket(SXPacket* packet) {
  if (!m_Connected || !packet) return 0;
  int32_t deliver = 1;
  if (!m_pSendHook(packet, AsNode(packet), deliver)) return 0;
  if (!deliver) {
    xFree(packet);
    return 1;
  }
  if (!m_AcceptNode && !m_AcceptRaw) return 0;
  if (!SendQueAdd(packet)) return 0;
  LogData(">Sending packet<", packet, StatedSize(packet));
  return 1;
}

int32_t CCommBase::SendRawData(const void* data, uint32_t size) {
  if (!m_Connected || (m_OutAckMode && !m_OutAcked) || !m_AcceptRaw) return 0;
  return SendBuilt(BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, data, size));
}

int32_t CCommBase::SendBuilt(SXPacket* packet) {
  if (!packet) return 0;
  if (!SendPacket(packet)) {
    xFree(packet);
    return 0;
  }
  m_OutAcked = 0;
  return 1;
}

int32_t CCommBase::RecvRawData(void*& data, uint32_t& size) {
  for (CNode* n = m_RecvQue.HeadNode(); n; n = n->m_pNext) {
    auto* packet = static_cast<SXPacket*>(n->m_pData);
    uint8_t type;
    if (!packet->GetPacketType(type)) return 0;
    if (type != PACKET_RAWDATA) continue;
    uint8_t t;
    uint32_t id, nodeType, session;
    const char* name;
    if (!ExtractPacket(packet, t, id, name, nodeType, session, data, size)) return 0;
    xCommRemoveFromList(&m_RecvQue, packet);
    xFree(packet);
    return 1;
  }
  return 0;
}

int32_t CCommBase::SendCommNodeData(const char* name, uint32_t id, uint32_t type, uint32_t sessionIndex,
                                    const void* data, uint32_t size) {
  if (!m_Connected) return 0;
  if (!m_AcceptNode) return 1;
  bool standsHere = false;
  for (CNode* n = m_ThisSideNodes.HeadNode(); n && !standsHere; n = n->m_pNext) {
    const auto* node = static_cast<CCommNode*>(n->m_pData);
    standsHere = node->GetId() == id && name && xCommSameName(node->GetName(), name, static_cast<uint32_t>(std::strlen(name)));
  }
  if (!standsHere) return 0;
  return SendBuilt(BuildPacket(PACKET_CNODEDATA, id, name, type, sessionIndex, data, size));
}

int32_t CCommBase::RecvPacketFromRemote(SXPacket* packet) {
  if (!packet) return 0;
  uint8_t type;
  if (!packet->GetPacketType(type)) {
    xFree(packet);
    return 0;
  }
  int32_t deliver = 1;
  if (!m_pRecvHook(packet, AsNode(packet), deliver)) {
    xFree(packet);
    return 0;
  }
  if (!deliver) {
    xFree(packet);
    return 1;
  }
  int32_t result = 0;
  if (type == PACKET_REGISTERCNODE && m_AcceptNode) {
    result = AddOtherSideNode(AsNode(packet));
    if (result) CommRouteRegisterPacket(this, packet);
  } else if (type == PACKET_UNREGISTERCNODE && m_AcceptNode) {
    RemoveOtherSideNode(AsNode(packet));
    result = 1;
  } else if (type == PACKET_RAWDATA && m_AcceptRaw) {
    if (m_InAckMode && !m_InAcked) {
      xFree(packet);
      return 0;
    }
    if (m_RecvQue.InsertLast(packet)) {
      m_InAcked = 0;
      LogData(">RECV:RawData<", nullptr, 0);
      return 1;
    }
  } else if (type == PACKET_CNODEDATA && m_AcceptNode) {
    SCommNodeRecord record{AsNode(packet), nullptr, 0, nullptr};
    result = RecvNodeData(record, true);
  }
  // A large block read from the socket serves the next large packet.
  xCommReleasePacketBlock(packet, StatedSize(packet));
  return result;
}

int32_t CCommBase::RecvNodeRecordFromRemote(SXPacket* head, uint8_t* payload, uint32_t payloadSize) {
  if (!head || !payload) {
    xFree(head);
    xFree(payload);
    return 0;
  }
  // A hook, a refusal or a route sees the packet whole, as it came.
  if (m_pRecvHook != PassPacket || !m_AcceptNode || CommNodeDataGoesOn(this, head)) {
    SXPacket* whole = JoinNodePacket(AsNode(head), payload, payloadSize);
    xFree(head);
    xCommReleasePacketBlock(payload, uint64_t{payloadSize} + 1);
    if (!whole)
      return xCommError("CCommBase::RecvNodeRecordFromRemote: no memory for the packet (classname: %s objectname: %s)",
                        GetClassNameA(), GetObjName());
    return RecvPacketFromRemote(whole);
  }
  uint32_t id = 0, nameSize = 0;
  const char* name = AsNode(head)->GetNodeName();
  const bool readable = name && AsNode(head)->GetNodeId(id) && AsNode(head)->GetNodeNameSize(nameSize);
  // Only a payload that no second node reads afterwards may be taken over.
  SCommNodeRecord record{AsNode(head), payload, payloadSize, nullptr};
  if (readable && CountReceivingNodes(id, name, nameSize) == 1) record.m_pBlock = payload;
  const bool offered = record.m_pBlock != nullptr;
  const int32_t result = RecvNodeData(record, false);
  // A block that a node took over belongs to its queue now.
  if (!offered || record.m_pBlock) xCommReleasePacketBlock(payload, uint64_t{payloadSize} + 1);
  xFree(head);
  return result;
}

int32_t CCommBase::CountReceivingNodes(uint32_t id, const char* name, uint32_t nameSize) {
  int32_t count = 0;
  for (CNode* n = m_ThisSideNodes.HeadNode(); n; n = n->m_pNext) {
    const auto* local = static_cast<const CCommNode*>(n->m_pData);
    if (local->GetId() == id && xCommSameName(local->GetName(), name, nameSize)) ++count;
  }
  return count;
}

// A node-data packet from the far side: routed on, then handed to the local nodes of its id and
// name (whatever their type; the node applies its own session rule). The packet stays the caller's.
int32_t CCommBase::RecvNodeData(SCommNodeRecord& record, bool payloadInside) {
  if (m_InAckMode && !m_InAcked) return 0;
  const SXPacketCNode* node = record.m_pHead;
  uint32_t id, nameSize;
  if (!node->GetNodeId(id) || !node->GetNodeNameSize(nameSize)) return 0;
  const char* name = node->GetNodeName();
  if (!name) return 0;
  bool known = false;
  for (CNode* n = m_OtherSideNodes.HeadNode(); n && !known; n = n->m_pNext) {
    const auto* entry = static_cast<SOtherSideNode*>(n->m_pData);
    known = entry->m_NodeId == id && xCommSameName(entry->m_pName, name, nameSize);
  }
  LogData(">RECV:Node data<", nullptr, 0);
  const int32_t routed = CommRouteNodeData(this, node);
  if (!known && !routed) return 0;
  bool accepted = false;
  // A node's receive hook may exit nodes, which leaves this list meanwhile.
  for (void* p : CCommSnapshot(&m_ThisSideNodes)) {
    if (!HasCommNode(static_cast<CCommNode*>(p))) continue;
    auto* local = static_cast<CCommNode*>(p);
    const bool match = local->GetId() == id && xCommSameName(local->GetName(), name, nameSize);
    const int32_t taken = !match                 ? 0
                          : payloadInside ? local->RecvIncomingFromComm(const_cast<SXPacketCNode*>(node))
                                          : local->RecvIncomingRecord(record);
    if (taken == 1) {
      accepted = true;
      LogData(">RECV:Node data\t- ACCEPT -<", local->GetName(), nameSize);
    } else {
      const char* localName = local->GetName() ? local->GetName() : "";
      LogData(">RECV:Node data\t- DENY -<", localName, static_cast<uint32_t>(std::strlen(localName)));
    }
  }
  if (!accepted) LogData(">RECV:Node data\t- NOT SENT TO ANY NODE -<", nullptr, 0);
  m_InAcked = 0;
  return 1;
}

int32_t CCommBase::AddReadRecord(SXPacket* head, uint8_t* payload, uint32_t payloadSize) {
  auto* apart = new (std::nothrow) SApartPayload{head, payload, payloadSize};
  if (!apart || !m_ApartPayloads.InsertLast(apart) || !m_SocketInList.InsertLast(head)) {
    if (apart) xCommRemoveFromList(&m_ApartPayloads, apart);
    delete apart;
    xFree(head);
    xFree(payload);
    return 0;
  }
  return 1;
}

uint8_t* CCommBase::TakeApartPayload(const SXPacket* head, uint32_t& payloadSize) {
  for (CNode* n = m_ApartPayloads.HeadNode(); n; n = n->m_pNext) {
    auto* apart = static_cast<SApartPayload*>(n->m_pData);
    if (apart->m_pHead != head) continue;
    uint8_t* payload = apart->m_pPayload;
    payloadSize = apart->m_Size;
    xCommRemoveFromList(&m_ApartPayloads, apart);
    delete apart;
    return payload;
  }
  return nullptr;
}

void CCommBase::Cleanup() {
  DetachFromNodes();
  FreeOtherSideNodes();
  m_SendQue.KillAllData();
  m_RecvQue.KillAllData();
  m_SocketOutList.KillAllData();
  m_SocketInList.KillAllData();
  for (CNode* n = m_ApartPayloads.HeadNode(); n; n = n->m_pNext) xFree(static_cast<SApartPayload*>(n->m_pData)->m_pPayload);
  m_ApartPayloads.KillAllData();
}

int32_t CCommBase::SendQueAdd(SXPacket* packet) { return packet && m_SendQue.InsertLast(packet) ? 1 : 0; }

int32_t CCommBase::SendQueDelete() {
  void* packet = m_SendQue.Get();
  if (!packet) return 0;
  m_SendQue.Delete(1);
  xFree(packet);
  return 1;
}

int32_t CCommBase::RecvQueDelete() {
  void* packet = m_RecvQue.Get();
  if (!packet) return 0;
  m_RecvQue.Delete(1);
  xFree(packet);
  return 1;
}

// ---- log ----

void CCommBase::WriteLog(const char* tag, CCommBase* from, const void* data, uint32_t size) {
  if (!m_Log) return;
  FILE* f = xCommOpenLog(m_pLogFileName ? m_pLogFileName : kDefaultLogName);
  if (!f) return;
  std::fprintf(f, "%s\n%s\n%s", kStars, kStars, tag ? tag : "");
  if (from) {
    std::fprintf(f, " | From object: %s | From class: %s | To object(this): %s | To class(this): %s\n",
                 from->GetObjName(), from->GetClassNameA(), GetObjName(), GetClassNameA());
  } else {
    std::fprintf(f, " | Object name: %s | Class name: %s\n", m_pObjName ? m_pObjName : "No object name",
                 GetClassNameA());
  }
  std::fprintf(f, "Timestamp: %u  |  Address: %lu\n", xGetTime(),
               static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)));
  if (data) {
    std::fputs("*********\n", f);
    xCommLogBytes(f, data, size);
    std::fputs("\n*********\n", f);
  }
  std::fprintf(f, "%s\n%s\n\n", kStars, kStars);
  std::fclose(f);
}

void CCommBase::LogData(const char* tag, const void* data, uint32_t size) { WriteLog(tag, nullptr, data, size); }

void CCommBase::LogRoute(CCommBase* from, const char* tag, const void* packet, uint32_t size) {
  WriteLog(tag, from, packet, size);
}

// ---- registration of the link itself ----

int32_t CCommBase::RegisterClient(CLList* list, int32_t remote) {
  if (!list || !list->IfNotInsertLast(this)) return 0;
  if (!(remote ? AddRemoteCommToCommNode(this) : AddLocalCommToCommNode(this))) return 0;
  LogData(">Register<", nullptr, 0);
  return CommAnnounceOtherSideNodes(this);
}

int32_t CCommBase::UnRegisterClient(CLList* list, int32_t remote) {
  LogData(">UnRegister<", nullptr, 0);
  if (remote)
    RemoveRemoteCommFromCommNode(this);
  else
    RemoveLocalCommFromCommNode(this);
  return xCommRemoveFromList(list, this);
}

int32_t CCommLocalClientBase::RegisterLocalClient() {
  return RegisterClient(glb ? glb->m_pLocalClientCommList : nullptr, 0);
}

int32_t CCommLocalClientBase::UnRegisterLocalClient() {
  return UnRegisterClient(glb ? glb->m_pLocalClientCommList : nullptr, 0);
}

int32_t CCommRemoteClientBase::RegisterRemoteClient() {
  return RegisterClient(glb ? glb->m_pRemoteClientCommList : nullptr, 1);
}

int32_t CCommRemoteClientBase::UnRegisterRemoteClient() {
  return UnRegisterClient(glb ? glb->m_pRemoteClientCommList : nullptr, 1);
}

int32_t CCommRemoteClientBase::SetRemoteLocation(const char* host, uint32_t port) {
  m_RemotePort = port;
  if (!ReplaceText(m_pRemoteHost, xStrdup(host ? host : "")))
    return xCommError("CCommRemoteClientBase::SetRemoteLocation: Unable to allocate memory");
  return 1;
}

// ---- the socket side ----

int32_t CCommBase::SendHandler() {
  while (CNode* n = m_SendQue.HeadNode()) {
    void* packet = n->m_pData;
    if (!m_SocketOutList.InsertLast(packet))
      return xCommError("CCommBase::SendHandler: Unable to insert listitem (classname: %s objectname: %s)",
                        GetClassNameA(), GetObjName());
    xCommRemoveFromList(&m_SendQue, packet);
  }
  return 1;
}

bool CCommBase::PingStepTakes(const SXPacket* packet) const {
  uint32_t size = 0;
  if (!m_PingTimerActive || !packet->GetPacketSize(size) || size < PACKET_PROTOCOL_SIZE) return false;
  const uint8_t protocol = static_cast<const SXPacketProtocolHeader*>(packet)->GetProtocolType();
  return (protocol == PROTOCOL_PING && m_AnswerPings) || (protocol == PROTOCOL_PINGANSWER && m_SendPings);
}

int32_t CCommBase::RecvHandler() {
  CNode* n = m_SocketInList.HeadNode();
  while (n) {
    auto* packet = static_cast<SXPacket*>(n->m_pData);
    CNode* next = n->m_pNext;
    uint8_t type;
    if (!packet->GetPacketType(type))
      return xCommError("CCommBase::RecvHandler: GetPacketType failed (classname: %s objectname: %s)",
                        GetClassNameA(), GetObjName());
    if (type == PACKET_PROTOCOL && PingStepTakes(packet)) {
      n = next;
      continue;
    }
    xCommRemoveFromList(&m_SocketInList, packet);
    if (type == PACKET_PROTOCOL || type == PACKET_SPLIT) {
      if (type == PACKET_SPLIT)
        xCommError("CCommBase::RecvHandler: a split packet cannot be joined and is dropped (classname: %s objectname: %s)",
                   GetClassNameA(), GetObjName());
      xFree(packet);
      n = next;
      continue;
    }
    uint32_t payloadSize = 0;
    uint8_t* payload = TakeApartPayload(packet, payloadSize);
    if (!(payload ? RecvNodeRecordFromRemote(packet, payload, payloadSize) : RecvPacketFromRemote(packet)))
      return xCommError("CCommBase::RecvHandler: RecvPacketFromRemote failed (classname: %s objectname: %s)",
                        GetClassNameA(), GetObjName());
    // Delivery may have run hooks that touched the list; start again from its head.
    n = m_SocketInList.HeadNode();
  }
  return 1;
}

// ---- ping ----

void CCommBase::StartPingTimer() {
  if (m_pPingTimer) return;
  m_pPingTimer = new (std::nothrow) CCommPingTimer(this);
  if (m_pPingTimer && m_pPingTimer->AddTimer(kPingPeriod)) m_PingTimerActive = 1;
}

void CCommBase::SetPingClient(uint8_t flag) {
  m_AnswerPings = flag;
  if (flag) StartPingTimer();
}

void CCommBase::SetPingServer(uint32_t flag) {
  m_SendPings = flag != 0;
  if (flag) StartPingTimer();
}

int32_t CCommBase::QueueProtocolPacket(uint8_t protocolType) {
  SXPacket* packet = BuildProtocolPacket(protocolType);
  if (!packet) return 0;
  if (!m_SocketOutList.InsertFirst(packet)) {
    xFree(packet);
    return 0;
  }
  return 1;
}

int32_t CCommBase::PingHandler(int32_t& timedOut) {
  timedOut = 0;
  if (!m_AnswerPings && !m_SendPings) return 1;
  if (!m_Connected) return 0;
  int32_t pings = 0, answers = 0;
  for (void* p : CCommSnapshot(&m_SocketInList)) {
    auto* packet = static_cast<SXPacket*>(p);
    uint8_t type;
    uint32_t size;
    if (!packet->GetPacketType(type) || !packet->GetPacketSize(size)) return 0;
    if (type != PACKET_PROTOCOL || size < PACKET_PROTOCOL_SIZE) continue;
    const uint8_t protocol = static_cast<SXPacketProtocolHeader*>(packet)->GetProtocolType();
    if (protocol == PROTOCOL_PING && m_AnswerPings)
      ++pings;
    else if (protocol == PROTOCOL_PINGANSWER && m_SendPings)
      ++answers;
    else
      continue;
    xCommRemoveFromList(&m_SocketInList, packet);
    xFree(packet);
  }
  if (pings) {
    for (int32_t i = 0; i < pings; ++i)
      if (!QueueProtocolPacket(PROTOCOL_PINGANSWER)) return 0;
    NonBlockedHandler();
  }
  if (m_SendPings) {
    if (answers) m_AwaitingAnswer = 0;
    const uint32_t now = xGetTime();
    if (m_Connected && (!m_PingSent || (xTimeDiff(m_LastPingTime, now) >= m_PingInterval && !m_AwaitingAnswer))) {
      if (!QueueProtocolPacket(PROTOCOL_PING)) return 0;
      m_PingSent = 1;
      m_AwaitingAnswer = 1;
      m_LastPingTime = now;
      NonBlockedHandler();
    }
    if (m_AwaitingAnswer && xTimeDiff(m_LastPingTime, xGetTime()) >= m_PingTimeout) timedOut = 1;
  }
  return 1;
}

// ---- servers ----

CCommBaseServer::CCommBaseServer() : m_pObjName(xStrdup(kDefaultServerName)), m_pCallback(nullptr) {
  SetCallbackFunction(nullptr, nullptr, 0);
}

CCommBaseServer::~CCommBaseServer() { xFree(m_pObjName); }

int32_t CCommBaseServer::SetObjName(const char* name) {
  if (!ReplaceText(m_pObjName, xStrdup(name ? name : kDefaultObjName)))
    return xCommError("CCommBaseServer::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBaseServer::SetObjName(const char* base, const char* suffix) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%s", base ? base : "", suffix ? suffix : "")))
    return xCommError("CCommBaseServer::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBaseServer::SetObjName(const char* base, uint32_t n) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%u", base ? base : "", n)))
    return xCommError("CCommBaseServer::SetObjName: Unable to allocate memory");
  return 1;
}

int32_t CCommBaseServer::SetObjName(const char* base, const char* suffix, uint32_t n) {
  if (!ReplaceText(m_pObjName, xCommFormatName("%s%s%u", base ? base : "", suffix ? suffix : "", n)))
    return xCommError("CCommBaseServer::SetObjName: Unable to allocate memory");
  return 1;
}

void CCommBaseServer::SetCallbackFunction(TCommAcceptCallback callback, void* user, int32_t value) {
  m_pCallback = callback ? callback : [](CCommBaseServer*, void*, int32_t) -> int32_t { return 0; };
  m_pCallbackUser = user;
  m_CallbackValue = value;
}

int32_t CCommBaseServer::ExecuteCallback() { return m_Running ? m_pCallback(this, m_pCallbackUser, m_CallbackValue) : 0; }

namespace {

CLList* ServerList(bool local) {
  if (!glb) return nullptr;
  return local ? glb->m_pLocalServerCommList : glb->m_pRemoteServerCommList;
}

CLList* StartedServerList(bool local) {
  if (!glb) return nullptr;
  return local ? glb->m_pStartedLocalServerList : glb->m_pStartedRemoteServerList;
}

void LeaveServerLists(CCommBaseServer* server, bool local) {
  xCommRemoveFromList(ServerList(local), server);
  xCommRemoveFromList(StartedServerList(local), server);
}

}  // namespace

CCommLocalServerBase::~CCommLocalServerBase() { LeaveServerLists(this, true); }
CCommRemoteServerBase::~CCommRemoteServerBase() { LeaveServerLists(this, false); }

int32_t CCommLocalServerBase::RegisterLocalServer() {
  CLList* list = ServerList(true);
  return list && list->IfNotInsertLast(this) ? 1 : 0;
}

int32_t CCommLocalServerBase::UnRegisterLocalServer() { return xCommRemoveFromList(ServerList(true), this); }

int32_t CCommRemoteServerBase::RegisterRemoteServer() {
  CLList* list = ServerList(false);
  return list && list->IfNotInsertLast(this) ? 1 : 0;
}

int32_t CCommRemoteServerBase::UnRegisterRemoteServer() { return xCommRemoveFromList(ServerList(false), this); }
