#include "ostrelcomm/packet.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrelcomm/packetcache.h"

static_assert(sizeof(SXPacket) == PACKET_HEADER_SIZE);

namespace {

uint32_t g_MaxPacketSize = PACKET_DEFAULT_MAX_SIZE;

constexpr uint32_t kNodeIdOffset = 12;
constexpr uint32_t kSessionOffset = 16;
constexpr uint32_t kNodeTypeOffset = 20;
constexpr uint32_t kNameSizeOffset = 24;
constexpr uint32_t kNameOffset = 28;
constexpr uint32_t kUidOffset = 13;
constexpr uint32_t kUidBytes = 16;

bool IsNodePacketType(uint8_t type) {
  return type == PACKET_CNODEDATA || type == PACKET_REGISTERCNODE || type == PACKET_UNREGISTERCNODE;
}

bool IsNodeType(uint32_t type) { return type >= CNODE_ANY && type <= CNODE_CLIENT; }

uint8_t* NewBlock(uint64_t size) {
  if (size > UINT32_MAX) return nullptr;
  return static_cast<uint8_t*>(xCommAllocPacketBlock(size));
}

// A payload without data is zeros: no heap bytes left over from earlier use go out on the wire.
void FillPayload(uint8_t* to, const void* data, uint32_t size) {
  if (!size) return;
  if (data)
    std::memcpy(to, data, size);
  else
    std::memset(to, 0, size);
}

}  // namespace

void xSetMaxPacketSize(uint32_t size) {
  g_MaxPacketSize = size ? size : PACKET_DEFAULT_MAX_SIZE;
}

uint32_t xGetMaxPacketSize() { return g_MaxPacketSize; }

// ---- header ----

void SXPacket::SXPacket_Init() {
  std::memset(Bytes(), 0, 8);
  WriteU32(8, PACKET_HEADER_SIZE);
}

void SXPacket::MakePacket(uint8_t type, uint32_t size) {
  std::memcpy(m_Magic, "PCKT", 4);
  m_PacketType = type;
  m_SplitIndex = 0;
  m_MaxSplitIndex = 0;
  m_SplitId = 0;
  WriteU32(8, size);
}

int32_t SXPacket::ValidateHeader() const {
  const uint32_t size = RawSize();
  if (size < PACKET_HEADER_SIZE || size > g_MaxPacketSize) return 0;
  if (m_PacketType < PACKET_RAWDATA || m_PacketType > PACKET_SPLIT) return 0;
  return std::memcmp(m_Magic, "PCKT", 4) == 0;
}

int32_t SXPacket::GetPacketType(uint8_t& type) const {
  if (!ValidateHeader()) return 0;
  type = m_PacketType;
  return 1;
}

int32_t SXPacket::GetSplitIndex(uint8_t& index) const {
  if (!ValidateHeader()) return 0;
  index = m_SplitIndex;
  return 1;
}

int32_t SXPacket::GetMaxSplitIndex(uint8_t& index) const {
  if (!ValidateHeader()) return 0;
  index = m_MaxSplitIndex;
  return 1;
}

int32_t SXPacket::GetSplitId(uint8_t& id) const {
  if (!ValidateHeader()) return 0;
  id = m_SplitId;
  return 1;
}

int32_t SXPacket::GetPacketSize(uint32_t& size) const {
  if (!ValidateHeader()) return 0;
  size = RawSize();
  return 1;
}

int32_t SXPacket::GetDataPtr(void*& data) {
  if (!ValidateHeader()) return 0;
  data = Bytes() + PACKET_HEADER_SIZE;
  return 1;
}

int32_t SXPacket::GetFullHeaderSize(uint32_t& size) const {
  if (!ValidateHeader()) return 0;
  size = PACKET_HEADER_SIZE;
  return 1;
}

int32_t SXPacket::MakeNewPacket(SXPacket*& out) const {
  const uint32_t size = RawSize();
  uint8_t* block = NewBlock(size);
  if (!block) return 0;
  std::memcpy(block, Bytes(), size);
  out = reinterpret_cast<SXPacket*>(block);
  return 1;
}

// ---- node header ----

void SXPacketCNode::SXPacketCNode_Init() {
  SXPacket_Init();
  SetNodeType(0);
  SetNodeId(0);
  SetNodeSessionIndex(0);
  SetNodeNameSize(0);
  Bytes()[kNameOffset] = 0;
}

// Sizes are compared in 64 bits so that no name size can wrap the test.
int32_t SXPacketCNode::ValidateNodeHeader() const {
  if (!ValidateHeader() || !IsNodePacketType(m_PacketType)) return 0;
  const uint64_t size = RawSize();
  if (size < PACKET_NODE_HEADER_SIZE) return 0;
  if (size < uint64_t{ReadU32(kNameSizeOffset)} + PACKET_NODE_HEADER_SIZE) return 0;
  return IsNodeType(ReadU32(kNodeTypeOffset));
}

int32_t SXPacketCNode::GetNodeId(uint32_t& id) const {
  if (!ValidateNodeHeader()) return 0;
  id = ReadU32(kNodeIdOffset);
  return 1;
}

int32_t SXPacketCNode::GetNodeSessionIndex(uint32_t& index) const {
  if (!ValidateNodeHeader()) return 0;
  index = ReadU32(kSessionOffset);
  return 1;
}

int32_t SXPacketCNode::GetNodeType(uint32_t& type) const {
  if (!ValidateNodeHeader()) return 0;
  const uint32_t t = ReadU32(kNodeTypeOffset);
  if (!IsNodeType(t)) return 0;
  type = t;
  return 1;
}

int32_t SXPacketCNode::GetNodeNameSize(uint32_t& size) const {
  if (!ValidateNodeHeader()) return 0;
  size = ReadU32(kNameSizeOffset);
  return 1;
}

const char* SXPacketCNode::GetNodeName() const {
  if (!ValidateNodeHeader()) return nullptr;
  const uint32_t n = ReadU32(kNameSizeOffset);
  if (Bytes()[kNameOffset + n] != 0) return nullptr;
  return reinterpret_cast<const char*>(Bytes() + kNameOffset);
}

int32_t SXPacketCNode::GetFullNodeHeaderSize(uint32_t& size) const {
  if (!ValidateNodeHeader()) return 0;
  size = ReadU32(kNameSizeOffset) + PACKET_NODE_HEADER_SIZE;
  return 1;
}

int32_t SXPacketCNode::GetNodeDataPtr(void*& data) {
  if (!ValidateNodeHeader()) return 0;
  data = Bytes() + PACKET_NODE_HEADER_SIZE + ReadU32(kNameSizeOffset);
  return 1;
}

void SXPacketCNode::SetNodeName(const char* name) {
  const size_t n = std::strlen(name);
  if (n != ReadU32(kNameSizeOffset)) return;
  std::memcpy(Bytes() + kNameOffset, name, n + 1);
}

// ---- protocol records ----

void SXPacketProtocolHeader::SXPacketProtocolHeader_Init() {
  SXPacket_Init();
  SetProtocolType(0);
}

void SXPacketProtocolPing::SXPacketProtocolPing_Init() {
  SXPacketProtocolHeader_Init();
  MakePacket(PACKET_PROTOCOL, PACKET_PROTOCOL_SIZE);
  SetProtocolType(PROTOCOL_PING);
}

void SXPacketProtocolPingAnswer::SXPacketProtocolPingAnswer_Init() {
  SXPacketProtocolHeader_Init();
  MakePacket(PACKET_PROTOCOL, PACKET_PROTOCOL_SIZE);
  SetProtocolType(PROTOCOL_PINGANSWER);
}

void SXPacketProtocolGetUID::SXPacketProtocolGetUID_Init() {
  SXPacketProtocolHeader_Init();
  SetProtocolType(PROTOCOL_GETUID);
}

void SXPacketProtocolGetUIDAnswer::SXPacketProtocolGetUIDAnswer_Init() {
  SXPacketProtocolHeader_Init();
  SetProtocolType(PROTOCOL_GETUIDANSWER);
  std::memset(Bytes() + kUidOffset, 0, kUidBytes);
}

void SXPacketProtocolGetUIDAnswer::SetUID(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  WriteU32(kUidOffset, a);
  WriteU32(kUidOffset + 4, b);
  WriteU32(kUidOffset + 8, c);
  WriteU32(kUidOffset + 12, d);
}

// ---- builders ----

SXPacket* BuildPacket(uint8_t packetType, uint32_t nodeId, const char* name, uint32_t nodeType,
                      uint32_t sessionIndex, const void* data, uint32_t dataSize) {
  if (packetType == PACKET_RAWDATA) {
    const uint64_t size = uint64_t{dataSize} + PACKET_HEADER_SIZE;
    if (size > g_MaxPacketSize) return nullptr;
    uint8_t* block = NewBlock(size);
    if (!block) return nullptr;
    auto* packet = reinterpret_cast<SXPacket*>(block);
    packet->SXPacket_Init();
    packet->MakePacket(PACKET_RAWDATA, static_cast<uint32_t>(size));
    FillPayload(block + PACKET_HEADER_SIZE, data, dataSize);
    return packet;
  }
  if (!IsNodePacketType(packetType)) return nullptr;
  if (!name) name = "";
  if (!IsNodeType(nodeType)) return nullptr;
  const uint64_t n = std::strlen(name);
  const uint64_t size = n + dataSize + PACKET_NODE_HEADER_SIZE;
  if (size > g_MaxPacketSize) return nullptr;
  uint8_t* block = NewBlock(size);
  if (!block) return nullptr;
  auto* packet = reinterpret_cast<SXPacketCNode*>(block);
  packet->SXPacketCNode_Init();
  packet->MakePacket(packetType, static_cast<uint32_t>(size));
  packet->SetNodeNameSize(static_cast<uint32_t>(n));
  packet->SetNodeName(name);
  packet->SetNodeId(nodeId);
  packet->SetNodeSessionIndex(sessionIndex);
  packet->SetNodeType(nodeType);
  FillPayload(block + PACKET_NODE_HEADER_SIZE + n, data, dataSize);
  return packet;
}

SXPacket* BuildProtocolPacket(uint8_t protocolType) {
  if (protocolType != PROTOCOL_PING && protocolType != PROTOCOL_PINGANSWER) return nullptr;
  uint8_t* block = NewBlock(PACKET_PROTOCOL_SIZE);
  if (!block) return nullptr;
  if (protocolType == PROTOCOL_PING)
    reinterpret_cast<SXPacketProtocolPing*>(block)->SXPacketProtocolPing_Init();
  else
    reinterpret_cast<SXPacketProtocolPingAnswer*>(block)->SXPacketProtocolPingAnswer_Init();
  return reinterpret_cast<SXPacket*>(block);
}

namespace {

// A copy of size bytes with a NUL behind them, so that text payloads can be read as C strings.
void* CopyPayload(const uint8_t* from, uint32_t size) {
  auto* copy = NewBlock(uint64_t{size} + 1);
  if (!copy) return nullptr;
  if (size) std::memcpy(copy, from, size);
  copy[size] = 0;
  return copy;
}

}  // namespace

int32_t ViewPacket(const SXPacket* packet, uint8_t& packetType, uint32_t& nodeId, const char*& name,
                   uint32_t& nodeType, uint32_t& sessionIndex, const void*& data, uint32_t& dataSize) {
  uint8_t type;
  uint32_t size;
  if (!packet || !packet->GetPacketType(type) || !packet->GetPacketSize(size)) return 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(packet);
  if (type == PACKET_RAWDATA) {
    packetType = type;
    nodeId = 0;
    name = nullptr;
    data = bytes + PACKET_HEADER_SIZE;
    dataSize = size - PACKET_HEADER_SIZE;
    return 1;
  }
  const auto* node = static_cast<const SXPacketCNode*>(packet);
  // One validation answers for every field read below.
  if (!IsNodePacketType(type) || !node->ValidateNodeHeader()) return 0;
  const uint32_t nameSize = node->RawNameSize();
  packetType = type;
  nodeId = node->RawNodeId();
  nodeType = node->RawNodeType();
  sessionIndex = node->RawSessionIndex();
  name = node->GetNodeName();
  data = bytes + PACKET_NODE_HEADER_SIZE + nameSize;
  dataSize = size - nameSize - PACKET_NODE_HEADER_SIZE;
  return 1;
}

SXPacket* JoinNodePacket(const SXPacketCNode* head, const void* payload, uint32_t payloadSize) {
  uint32_t headSize;
  if (!head || !head->GetFullNodeHeaderSize(headSize)) return nullptr;
  const uint64_t size = uint64_t{headSize} + payloadSize;
  if (size > g_MaxPacketSize) return nullptr;
  uint8_t* block = NewBlock(size);
  if (!block) return nullptr;
  std::memcpy(block, head, headSize);
  if (payloadSize) std::memcpy(block + headSize, payload, payloadSize);
  // The head's bytes stand as they came; only the size now counts the payload.
  auto* packet = reinterpret_cast<SXPacket*>(block);
  packet->SetPacketSize(static_cast<uint32_t>(size));
  return packet;
}

int32_t ExtractPacket(const SXPacket* packet, uint8_t& packetType, uint32_t& nodeId, const char*& name,
                      uint32_t& nodeType, uint32_t& sessionIndex, void*& data, uint32_t& dataSize) {
  nodeId = 0;
  name = nullptr;
  data = nullptr;
  dataSize = 0;
  uint8_t type;
  uint32_t id = 0, ntype = 0, session = 0, payloadSize;
  const char* packetName = nullptr;
  const void* payload;
  if (!ViewPacket(packet, type, id, packetName, ntype, session, payload, payloadSize)) return 0;
  nodeId = id;
  void* copy = CopyPayload(static_cast<const uint8_t*>(payload), payloadSize);
  if (!copy) return 0;
  packetType = type;
  if (type != PACKET_RAWDATA) {
    nodeType = ntype;
    sessionIndex = session;
    name = packetName;
  }
  data = copy;
  dataSize = payloadSize;
  return 1;
}
