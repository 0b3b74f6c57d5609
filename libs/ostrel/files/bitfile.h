// A bit stream over a file; bits are taken and given most significant first.
#pragma once

#include "ostrel/files/file.h"

class CBitFile : public CFile {
 public:
  CBitFile() = default;
  ~CBitFile() override;

  int32_t Open(const char* path, int32_t flags) override;

  // Past the end of the file the bits are 0.
  int32_t ReadBit();
  // n bits (1 to 16 kept), the first read the most significant; 0 for n below 1.
  uint32_t ReadBits(int32_t n);
  int32_t WriteBit(int32_t bit);
  // Bits n-1 down to 0 of value.
  int32_t WriteBits(uint32_t value, int32_t n);
  // Pads pending bits with zeros to a whole byte and writes it.
  int32_t FlushBits();
  void FlushBitbuf();

 private:
  uint8_t m_BitBuf = 0;
  uint8_t m_BitCount = 0;
};
