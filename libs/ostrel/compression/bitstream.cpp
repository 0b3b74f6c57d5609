#include "ostrel/compression/bitstream.h"

void CBitStream::InitStream(uint8_t* buffer, uint32_t size) {
  m_pBuffer = buffer;
  m_Size = buffer ? size : 0;
  m_Overrun = 0;
  FlushBitbuf();
}

void CBitStream::FlushBitbuf() {
  m_BitBuf = 0;
  m_BitCount = 0;
  m_Index = 0;
}

void CBitStream::PutBits(uint32_t value, int32_t bits) {
  for (int32_t b = bits - 1; b >= 0; --b) {
    m_BitBuf = static_cast<uint8_t>(m_BitBuf << 1 | ((value >> b) & 1));
    if (++m_BitCount == 8) FlushBits();
  }
}

void CBitStream::FlushBits() {
  if (!m_BitCount) return;
  uint8_t byte = static_cast<uint8_t>(m_BitBuf << (8 - m_BitCount));
  if (m_Index < m_Size) m_pBuffer[m_Index++] = byte;
  else m_Overrun = 1;
  m_BitBuf = 0;
  m_BitCount = 0;
}

uint32_t CBitStream::GetBits(int32_t bits) {
  uint32_t value = 0;
  for (int32_t b = 0; b < bits; ++b) {
    if (!m_BitCount) {
      if (m_Index < m_Size) {
        m_BitBuf = m_pBuffer[m_Index++];
      } else {
        m_BitBuf = 0;
        m_Overrun = 1;
      }
      m_BitCount = 8;
    }
    value = value << 1 | ((m_BitBuf >> 7) & 1);
    m_BitBuf = static_cast<uint8_t>(m_BitBuf << 1);
    --m_BitCount;
  }
  return value;
}
