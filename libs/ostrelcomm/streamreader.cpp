#include "ostrelcomm/streamreader.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>

#include "ostrel/base/types.h"
#include "ostrelcomm/packet.h"
#include "ostrelcomm/packetcache.h"

namespace {

constexpr uint32_t kTypeOffset = 4;
constexpr uint32_t kNameSizeOffset = 24;

uint32_t ReadBE(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

uint8_t* NewBlock(uint64_t size) { return static_cast<uint8_t*>(xCommAllocPacketBlock(size)); }

// The bytes waiting on the socket, as a hint for the room a packet needs.
uint32_t Waiting(int sock) {
  int waiting = 0;
  if (sock < 0 || ioctl(sock, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
  return static_cast<uint32_t>(waiting);
}

// Room for a packet part of which fill bytes were read and waiting more wait on the socket: four
// times what came. A peer that only claims a size holds next to nothing; a packet whose bytes come
// about as fast as they are read gets its whole room at once, and growing fourfold keeps the
// copying to a third of the packet however the bytes trickle in.
uint64_t RoomFor(uint64_t fill, uint32_t waiting, uint64_t size) {
  return std::min<uint64_t>(size, uint64_t{COMM_READ_GROWTH} * (fill + waiting));
}

// A bigger block for fill bytes; the old one is released. Null (the old one kept) without memory.
uint8_t* Regrow(uint8_t*& block, uint32_t fill, uint32_t& capacity, uint64_t room) {
  uint8_t* grown = NewBlock(room);
  if (!grown) return nullptr;
  if (fill) std::memcpy(grown, block, fill);
  xCommReleasePacketBlock(block, capacity);
  block = grown;
  capacity = static_cast<uint32_t>(room);
  return grown;
}

}  // namespace

void CStreamReader::Reset() {
  xFree(m_pBlock);
  xFree(m_pPayload);
  m_pBlock = m_pPayload = nullptr;
  m_HeaderFill = m_Size = m_Fill = m_Capacity = 0;
  m_PayloadFill = m_PayloadSize = m_PayloadCapacity = m_HeadSize = 0;
}

CStreamReader::STarget CStreamReader::Ahead(uint8_t* ahead) const {
  std::memcpy(ahead, m_Header, m_HeaderFill);
  return {ahead, m_HeaderFill, COMM_READ_AHEAD};
}

const char* CStreamReader::CutAhead(const uint8_t* ahead, uint32_t count, CLList& packets, int sock) {
  uint32_t at = 0;
  m_HeaderFill = 0;
  while (count - at >= PACKET_HEADER_SIZE) {
    // The header is judged in an aligned copy.
    std::memcpy(m_Header, ahead + at, PACKET_HEADER_SIZE);
    const auto* header = reinterpret_cast<const SXPacket*>(m_Header);
    uint32_t size = 0;
    if (!header->ValidateHeader() || !header->GetPacketSize(size)) return "invalid packet header";
    if (count - at < size) return Begin(ahead + at, count - at, size, Waiting(sock));
    uint8_t* packet = NewBlock(size);
    if (!packet) return "no memory for a packet";
    std::memcpy(packet, ahead + at, size);
    if (!packets.InsertLast(packet)) {
      xFree(packet);
      return "no memory for the in-list";
    }
    at += size;
  }
  m_HeaderFill = count - at;
  std::memcpy(m_Header, ahead + at, m_HeaderFill);
  return nullptr;
}

uint32_t CStreamReader::ApartHead(const uint8_t* bytes, uint32_t have, bool& unknown) const {
  unknown = false;
  if (bytes[kTypeOffset] != PACKET_CNODEDATA || m_Size < COMM_APART_FROM) return 0;
  if (have < kNameSizeOffset + 4) {
    unknown = true;
    return 0;
  }
  const uint64_t head = uint64_t{ReadBE(bytes + kNameSizeOffset)} + PACKET_NODE_HEADER_SIZE;
  // A header that does not leave room for a payload is judged by the node, on the whole packet.
  return head <= COMM_APART_HEAD && head < m_Size ? static_cast<uint32_t>(head) : 0;
}

const char* CStreamReader::Begin(const uint8_t* bytes, uint32_t have, uint32_t size, uint32_t waiting) {
  m_Size = size;
  bool unknown = false;
  const uint32_t head = ApartHead(bytes, have, unknown);
  if (head && head <= have) return GoApart(bytes, have, head, waiting);
  // A node header still to come is read alone first, so that the payload can go apart.
  const uint64_t room = unknown || head ? std::min<uint64_t>(size, COMM_APART_HEAD) : RoomFor(have, waiting, size);
  m_pBlock = NewBlock(room);
  if (!m_pBlock) return "no memory for a packet";
  std::memcpy(m_pBlock, bytes, have);
  m_Fill = have;
  m_Capacity = static_cast<uint32_t>(room);
  return nullptr;
}

const char* CStreamReader::GoApart(const uint8_t* bytes, uint32_t have, uint32_t head, uint32_t waiting) {
  const uint32_t payloadSize = m_Size - head;
  const uint32_t part = have - head;
  // Header and payload hold no more than the whole would; the payload's block ends with room for
  // its NUL.
  const uint64_t room = RoomFor(have, waiting, m_Size) - head;
  const uint64_t payloadRoom = room >= payloadSize ? uint64_t{payloadSize} + 1 : room;
  uint8_t* header = NewBlock(head);
  uint8_t* payload = header ? NewBlock(payloadRoom) : nullptr;
  if (!payload) {
    xFree(header);
    return "no memory for a packet";
  }
  std::memcpy(header, bytes, head);
  if (part) std::memcpy(payload, bytes + head, part);
  xCommReleasePacketBlock(m_pBlock, m_Capacity);
  m_pBlock = header;
  m_Fill = m_Capacity = m_HeadSize = head;
  m_pPayload = payload;
  m_PayloadFill = part;
  m_PayloadSize = payloadSize;
  m_PayloadCapacity = static_cast<uint32_t>(payloadRoom);
  return nullptr;
}

int32_t CStreamReader::RestIsFull() const {
  return m_pPayload ? m_PayloadFill >= m_PayloadCapacity : m_Fill >= m_Capacity;
}

CStreamReader::STarget CStreamReader::Rest(int sock, const char*& failure) {
  failure = nullptr;
  const uint32_t waiting = RestIsFull() ? Waiting(sock) : 0;
  if (m_pPayload) {
    if (m_PayloadFill >= m_PayloadCapacity) {
      const uint64_t room = RoomFor(m_PayloadFill, waiting, m_PayloadSize);
      if (!Regrow(m_pPayload, m_PayloadFill, m_PayloadCapacity, room >= m_PayloadSize ? uint64_t{m_PayloadSize} + 1 : room))
        failure = "no memory for a packet";
    }
    return {failure ? nullptr : m_pPayload, m_PayloadFill, std::min(m_PayloadCapacity, m_PayloadSize)};
  }
  if (m_Fill >= m_Capacity) {
    bool unknown = false;
    const uint32_t head = ApartHead(m_pBlock, m_Fill, unknown);
    if (head && head <= m_Fill) {
      failure = GoApart(m_pBlock, m_Fill, head, waiting);
      if (failure) return {nullptr, 0, 0};
      return {m_pPayload, m_PayloadFill, std::min(m_PayloadCapacity, m_PayloadSize)};
    }
    if (!Regrow(m_pBlock, m_Fill, m_Capacity, RoomFor(m_Fill, waiting, m_Size))) failure = "no memory for a packet";
  }
  return {failure ? nullptr : m_pBlock, m_Fill, m_Capacity};
}

const char* CStreamReader::TookRest(uint32_t count, SReadPacket& whole) {
  whole = SReadPacket{};
  if (m_pPayload) {
    m_PayloadFill += count;
    if (m_PayloadFill < m_PayloadSize) return nullptr;
    m_pPayload[m_PayloadSize] = 0;
    // The header stands as a packet of its own size.
    auto* head = reinterpret_cast<SXPacket*>(m_pBlock);
    head->SetPacketSize(m_HeadSize);
    whole = {head, m_pPayload, m_PayloadSize};
  } else {
    m_Fill += count;
    if (m_Fill < m_Size) return nullptr;
    auto* packet = reinterpret_cast<SXPacket*>(m_pBlock);
    if (!packet->ValidateHeader()) return "invalid packet";
    whole.m_pPacket = packet;
  }
  m_pBlock = m_pPayload = nullptr;
  Reset();
  return nullptr;
}
