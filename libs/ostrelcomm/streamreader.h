// The reading half of a link's stream framing: packets cut out of the bytes read from the socket.
//
// At a packet boundary the link reads ahead into a buffer on its stack, and every packet that came
// whole is cut out of it at once, so a stream of small records costs one read for many of them. A
// packet that did not come whole is read on into a block of its own as its bytes arrive; the room
// grows with what came, never with what the header claims. Node-data packets of COMM_APART_FROM
// bytes and more are read with their payload apart from their node header, straight into the
// block that the receiving node keeps: a large record is not copied on its way in.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

struct SXPacket;

// Bytes read ahead at a packet boundary.
inline constexpr uint32_t COMM_READ_AHEAD = 16 * 1024;
// Node-data packets from this size on are read with their payload apart.
inline constexpr uint32_t COMM_APART_FROM = 32 * 1024;
// The longest node header (29 bytes and the name) read apart; a packet with a longer name is read
// whole.
inline constexpr uint32_t COMM_APART_HEAD = 512;
// How much the room for a packet being read grows at a time, against what already came.
inline constexpr uint32_t COMM_READ_GROWTH = 4;

// A packet that became whole: packet alone, or a node header (packet) with its payload apart
// (payload's bytes, then a NUL).
struct SReadPacket {
  SXPacket* m_pPacket = nullptr;
  uint8_t* m_pPayload = nullptr;
  uint32_t m_PayloadSize = 0;
};

class CStreamReader {
 public:
  CStreamReader() = default;
  ~CStreamReader() { Reset(); }
  CStreamReader(const CStreamReader&) = delete;
  CStreamReader& operator=(const CStreamReader&) = delete;

  // Where the next bytes go and how many may come.
  struct STarget {
    uint8_t* m_pBuffer;
    uint32_t m_Fill;
    uint32_t m_Limit;
  };

  // Drops whatever is held of an unfinished packet.
  void Reset();
  // 1 while a packet that did not come whole is read on.
  int32_t InPacket() const { return m_Size != 0; }
  // 1 while bytes of an unfinished packet (or header) are held.
  int32_t HoldsBytes() const { return m_HeaderFill != 0 || m_Size != 0; }
  // Bytes held for the packet being read.
  uint32_t Capacity() const { return m_Capacity + m_PayloadCapacity; }

  // The next read at a packet boundary goes into ahead (COMM_READ_AHEAD bytes), behind the part
  // of a header already held.
  STarget Ahead(uint8_t* ahead) const;
  // Cuts the packets out of ahead's first count bytes: whole ones are appended to packets, the
  // start of one that is not whole becomes the packet read on (sock: what waits on it sizes the
  // first room). Null, or what went wrong.
  const char* CutAhead(const uint8_t* ahead, uint32_t count, CLList& packets, int sock);

  // The next read of the packet being read on; its room grows first when it is full, by what
  // waits on sock. Null buffer, with failure set, when out of memory.
  STarget Rest(int sock, const char*& failure);
  // Counts the bytes read into Rest's target; when the packet is whole, hands it over in whole
  // (the reader then starts afresh). Null, or what went wrong.
  const char* TookRest(uint32_t count, SReadPacket& whole);

 private:
  // 1 when the packet's room is full and must grow before the next read.
  int32_t RestIsFull() const;
  const char* Begin(const uint8_t* bytes, uint32_t have, uint32_t size, uint32_t waiting);
  // Moves the packet's first have bytes (of which head are the node header) into a header block
  // and a payload block; what held them before is released.
  const char* GoApart(const uint8_t* bytes, uint32_t have, uint32_t head, uint32_t waiting);
  // The node-header size to read apart for the packet's first have bytes; 0 when it is read
  // whole or not known yet (then unknown is set).
  uint32_t ApartHead(const uint8_t* bytes, uint32_t have, bool& unknown) const;

  uint8_t m_Header[12] = {};
  uint32_t m_HeaderFill = 0;    // a header not yet whole, at a packet boundary
  uint32_t m_Size = 0;          // the packet read on (0: none)
  uint8_t* m_pBlock = nullptr;  // its bytes, or its node header alone when the payload is apart
  uint32_t m_Fill = 0;
  uint32_t m_Capacity = 0;
  uint8_t* m_pPayload = nullptr;  // the payload read apart
  uint32_t m_PayloadFill = 0;
  uint32_t m_PayloadSize = 0;
  uint32_t m_PayloadCapacity = 0;
  uint32_t m_HeadSize = 0;
};
