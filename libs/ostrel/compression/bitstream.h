// Bits in a caller's byte buffer, most significant first.
#pragma once

#include <cstdint>

class CBitStream {
 public:
  CBitStream() { InitStream(nullptr, 0); }

  // Starts over at the beginning of buffer, which holds size bytes.
  void InitStream(uint8_t* buffer, uint32_t size);
  // Writes the low bits (0 to 32) of value.
  void PutBits(uint32_t value, int32_t bits);
  // Reads bits (0 to 32); past the end of the buffer the missing bits read as 0.
  uint32_t GetBits(int32_t bits);
  // Pads the pending bits with zero bits at the bottom and stores the byte.
  void FlushBits();
  // Clears bit buffer, bit count and byte index: starts over at the buffer's beginning.
  void FlushBitbuf();

  // Bytes stored (writing) or taken (reading) so far.
  uint32_t GetIndex() const { return m_Index; }
  // 1 once a read or a write went past the end of the buffer.
  int32_t Overrun() const { return m_Overrun; }

 private:
  uint8_t* m_pBuffer;
  uint32_t m_Size;
  uint8_t m_BitBuf;
  int32_t m_BitCount;  // pending bits to store, or unread bits of m_BitBuf
  uint32_t m_Index;
  int32_t m_Overrun;
};
