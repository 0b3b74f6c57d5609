// Storage for the items and chunks of one import: taken in large blocks and given back all at
// once, so that reading and dropping a big text or a stream of packets costs a few allocations
// instead of one per item. An item deleted alone stays in its block until the next release.
#pragma once

#include <cstddef>

class CKCBLArena {
 public:
  CKCBLArena() = default;
  ~CKCBLArena();
  CKCBLArena(const CKCBLArena&) = delete;
  CKCBLArena& operator=(const CKCBLArena&) = delete;

  // n bytes aligned for pointers; null when memory runs out.
  void* Alloc(size_t n);
  // Gives everything back; one small block is kept for the next import.
  void Release();

 private:
  struct SBlock {
    SBlock* m_pNext;
    size_t m_Size;  // bytes behind the header
  };
  static constexpr size_t kHeader = (sizeof(SBlock) + 15) & ~size_t(15);

  SBlock* m_pBlocks = nullptr;  // the newest first
  char* m_pPos = nullptr;
  char* m_pEnd = nullptr;
  size_t m_NextSize = 4096;
};
