#include "ostrel/files/bitfile.h"

CBitFile::~CBitFile() { Close(); }

int32_t CBitFile::Open(const char* path, int32_t flags) {
  FlushBitbuf();
  return CFile::Open(path, flags);
}

int32_t CBitFile::ReadBit() {
  if (m_BitCount == 0) {
    signed char b = 0;
    if (!ReadByte(&b)) b = 0;
    m_BitBuf = static_cast<uint8_t>(b);
    m_BitCount = 8;
  }
  int32_t bit = m_BitBuf >> 7;
  m_BitBuf = static_cast<uint8_t>(m_BitBuf << 1);
  --m_BitCount;
  return bit;
}

uint32_t CBitFile::ReadBits(int32_t n) {
  uint32_t v = 0;
  for (int32_t i = 0; i < n; ++i) v = ((v << 1) | static_cast<uint32_t>(ReadBit())) & 0xFFFFu;
  return v;
}

int32_t CBitFile::WriteBit(int32_t bit) {
  m_BitBuf = static_cast<uint8_t>((m_BitBuf << 1) | (bit ? 1 : 0));
  if (++m_BitCount < 8) return 1;
  int32_t ok = WriteByte(static_cast<signed char>(m_BitBuf));
  FlushBitbuf();
  return ok;
}

int32_t CBitFile::WriteBits(uint32_t value, int32_t n) {
  int32_t ok = 1;
  for (int32_t i = n - 1; i >= 0; --i)
    if (!WriteBit(i < 32 ? static_cast<int32_t>((value >> i) & 1u) : 0)) ok = 0;
  return ok;
}

int32_t CBitFile::FlushBits() {
  int32_t ok = 1;
  if (m_BitCount) ok = WriteByte(static_cast<signed char>(m_BitBuf << (8 - m_BitCount)));
  FlushBitbuf();
  return ok;
}

void CBitFile::FlushBitbuf() {
  m_BitBuf = 0;
  m_BitCount = 0;
}
