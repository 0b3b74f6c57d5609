// The working space in which items are put together before they are stored: a block of bytes
// and a value table, both kept between lines and between imports so that reading a stream of
// small records allocates nothing but the items themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/kcbl/kcbltree.h"

class CKCBLBuffer {
 public:
  CKCBLBuffer() = default;
  ~CKCBLBuffer() { ::operator delete(m_pBuf); }
  CKCBLBuffer(const CKCBLBuffer&) = delete;
  CKCBLBuffer& operator=(const CKCBLBuffer&) = delete;

  // Room for at least n bytes; false when memory runs out. Pointers into the block move.
  bool Reserve(size_t n);
  char* Data() const { return m_pBuf; }
  size_t Capacity() const { return m_Cap; }
  // Gives back a large block after a big import, so one huge text does not pin its memory.
  void Trim();

  std::vector<SKCBLValue> m_Values;

 private:
  char* m_pBuf = nullptr;
  size_t m_Cap = 0;
};
