// The packet framing: every unit that crosses a link, and every record one node hands to another in
// the same process, is one heap block that starts with a 12-byte header ("PCKT", type, three split
// bytes, the whole size). Node packets carry a node header behind it. The records below are views
// of such a block, read and written in place; every multi-byte field is big-endian.
//
// A block always holds at least the size that its header states (the framing allocates exactly that
// size), and the accessors read no further than that size.
#pragma once

#include <cstdint>

inline constexpr uint8_t PACKET_RAWDATA = 1;
inline constexpr uint8_t PACKET_CNODEDATA = 2;
inline constexpr uint8_t PACKET_REGISTERCNODE = 3;
inline constexpr uint8_t PACKET_UNREGISTERCNODE = 4;
inline constexpr uint8_t PACKET_PROTOCOL = 5;
inline constexpr uint8_t PACKET_SPLIT = 6;

inline constexpr uint32_t CNODE_NONE = 0;
inline constexpr uint32_t CNODE_ANY = 1;
inline constexpr uint32_t CNODE_SERVER = 2;
inline constexpr uint32_t CNODE_CLIENT = 3;

inline constexpr uint8_t PROTOCOL_PING = 1;
inline constexpr uint8_t PROTOCOL_PINGANSWER = 2;
inline constexpr uint8_t PROTOCOL_GETUID = 3;
inline constexpr uint8_t PROTOCOL_GETUIDANSWER = 4;

inline constexpr uint32_t PACKET_HEADER_SIZE = 12;
inline constexpr uint32_t PACKET_NODE_HEADER_SIZE = 29;  // plus the name's length
inline constexpr uint32_t PACKET_PROTOCOL_SIZE = 13;
inline constexpr uint32_t PACKET_DEFAULT_MAX_SIZE = 64u * 1024u * 1024u;

// The largest packet size a header may state; larger headers are invalid, and BuildPacket refuses
// to build larger packets. 0 restores the default (64 MiB).
void xSetMaxPacketSize(uint32_t size);
uint32_t xGetMaxPacketSize();

// Header of every packet.
struct SXPacket {
  void SXPacket_Init();
  void MakePacket(uint8_t type, uint32_t size);
  int32_t ValidateHeader() const;

  int32_t GetPacketType(uint8_t& type) const;
  int32_t GetSplitIndex(uint8_t& index) const;
  int32_t GetMaxSplitIndex(uint8_t& index) const;
  int32_t GetSplitId(uint8_t& id) const;
  int32_t GetPacketSize(uint32_t& size) const;
  int32_t GetDataPtr(void*& data);
  int32_t GetFullHeaderSize(uint32_t& size) const;

  void SetSplitIndex(uint8_t index) { m_SplitIndex = index; }
  void SetMaxSplitIndex(uint8_t index) { m_MaxSplitIndex = index; }
  void SetSplitId(uint8_t id) { m_SplitId = id; }
  // The size field alone, without validation (for a header whose payload is kept apart).
  void SetPacketSize(uint32_t size) { WriteU32(8, size); }

  // A heap copy of the whole packet (its stated size); 0 when no memory.
  int32_t MakeNewPacket(SXPacket*& out) const;

 protected:
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }
  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
  // Most significant byte first on every host: the standard byte order of files and packets.
  uint32_t ReadU32(uint32_t offset) const {
    const uint8_t* p = Bytes() + offset;
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  }
  void WriteU32(uint32_t offset, uint32_t value) {
    uint8_t* p = Bytes() + offset;
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
  }
  // The stated size without validation.
  uint32_t RawSize() const { return ReadU32(8); }

  char m_Magic[4];
  uint8_t m_PacketType;
  uint8_t m_SplitIndex;
  uint8_t m_MaxSplitIndex;
  uint8_t m_SplitId;
  uint32_t m_PacketSize;
};

// Node packets (types 2 to 4): id, session index, node type, name size, name, NUL, data.
struct SXPacketCNode : SXPacket {
  void SXPacketCNode_Init();
  int32_t ValidateNodeHeader() const;

  int32_t GetNodeId(uint32_t& id) const;
  int32_t GetNodeSessionIndex(uint32_t& index) const;
  int32_t GetNodeType(uint32_t& type) const;
  int32_t GetNodeNameSize(uint32_t& size) const;
  // The name inside the packet, or null unless it fits and is NUL-terminated where stated.
  const char* GetNodeName() const;
  int32_t GetFullNodeHeaderSize(uint32_t& size) const;
  int32_t GetNodeDataPtr(void*& data);

  void SetNodeId(uint32_t id) { WriteU32(12, id); }
  void SetNodeSessionIndex(uint32_t index) { WriteU32(16, index); }
  void SetNodeType(uint32_t type) { WriteU32(20, type); }
  void SetNodeNameSize(uint32_t size) { WriteU32(24, size); }
  // Copies the name and its NUL only when its length equals the stored name size.
  void SetNodeName(const char* name);

  // The fields without validation, for a reader that has validated the node header once.
  uint32_t RawNodeId() const { return ReadU32(12); }
  uint32_t RawSessionIndex() const { return ReadU32(16); }
  uint32_t RawNodeType() const { return ReadU32(20); }
  uint32_t RawNameSize() const { return ReadU32(24); }
};

// Protocol packets (type 5): byte 12 is the protocol type.
struct SXPacketProtocolHeader : SXPacket {
  void SXPacketProtocolHeader_Init();
  uint8_t GetProtocolType() const { return Bytes()[12]; }

 protected:
  void SetProtocolType(uint8_t type) { Bytes()[12] = type; }
};

struct SXPacketProtocolPing : SXPacketProtocolHeader {
  void SXPacketProtocolPing_Init();
};

struct SXPacketProtocolPingAnswer : SXPacketProtocolHeader {
  void SXPacketProtocolPingAnswer_Init();
};

struct SXPacketProtocolGetUID : SXPacketProtocolHeader {
  void SXPacketProtocolGetUID_Init();
};

// Needs a block of 29 bytes.
struct SXPacketProtocolGetUIDAnswer : SXPacketProtocolHeader {
  void SXPacketProtocolGetUIDAnswer_Init();
  void SetUID(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
};

// A new packet: raw data (type 1; the node fields are ignored) or a node packet (types 2 to 4; a
// null name is the empty name, the node type must be 1 to 3). Null for any other type, a size
// above the maximum, or no memory. The caller frees it with xFree.
SXPacket* BuildPacket(uint8_t packetType, uint32_t nodeId, const char* name, uint32_t nodeType,
                      uint32_t sessionIndex, const void* data, uint32_t dataSize);

// A new ping (PROTOCOL_PING) or ping answer (PROTOCOL_PINGANSWER), 13 bytes; null otherwise or
// when no memory.
SXPacket* BuildProtocolPacket(uint8_t protocolType);

// Reads a raw or node packet in place: data and name point into the packet (no NUL follows the
// payload there). 0 on an invalid packet or another type; the out-arguments are then untouched.
int32_t ViewPacket(const SXPacket* packet, uint8_t& packetType, uint32_t& nodeId, const char*& name,
                   uint32_t& nodeType, uint32_t& sessionIndex, const void*& data, uint32_t& dataSize);

// The whole node packet for a node header (head: a node packet whose size covers its header, and
// possibly more) and a payload kept apart from it; null above the maximum size or without memory.
SXPacket* JoinNodePacket(const SXPacketCNode* head, const void* payload, uint32_t payloadSize);

// Reads a raw or node packet. data is a fresh heap copy of the payload (freed with xFree) that is
// followed by a NUL byte not counted in dataSize; name points into the packet. 0 on an invalid
// packet, another type, or no memory (nothing is then left allocated).
int32_t ExtractPacket(const SXPacket* packet, uint8_t& packetType, uint32_t& nodeId, const char*& name,
                      uint32_t& nodeType, uint32_t& sessionIndex, void*& data, uint32_t& dataSize);
