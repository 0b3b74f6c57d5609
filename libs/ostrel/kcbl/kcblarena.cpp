#include "ostrel/kcbl/kcblarena.h"

#include <new>
#include <utility>

namespace {
constexpr size_t kAlign = alignof(void*);
constexpr size_t kMaxBlock = 1 << 20;
constexpr size_t kKeep = 64 * 1024;
}  // namespace

CKCBLArena::~CKCBLArena() {
  while (SBlock* b = m_pBlocks) {
    m_pBlocks = b->m_pNext;
    ::operator delete(b);
  }
}

void* CKCBLArena::Alloc(size_t n) {
  n = (n + kAlign - 1) & ~(kAlign - 1);
  if (static_cast<size_t>(m_pEnd - m_pPos) < n) {
    size_t size = m_NextSize;
    if (size < n) size = n;
    auto* b = static_cast<SBlock*>(::operator new(kHeader + size, std::nothrow));
    if (!b) return nullptr;
    b->m_pNext = m_pBlocks;
    b->m_Size = size;
    m_pBlocks = b;
    m_pPos = reinterpret_cast<char*>(b) + kHeader;
    m_pEnd = m_pPos + size;
    if (m_NextSize < kMaxBlock) m_NextSize *= 2;
  }
  void* p = m_pPos;
  m_pPos += n;
  return p;
}

void CKCBLArena::Release() {
  SBlock* keep = nullptr;
  while (SBlock* b = m_pBlocks) {
    m_pBlocks = b->m_pNext;
    if (b->m_Size <= kKeep && (!keep || b->m_Size > keep->m_Size)) std::swap(keep, b);
    ::operator delete(b);  // null after a swap with an empty keep
  }
  m_pBlocks = keep;
  m_pPos = m_pEnd = nullptr;
  if (keep) {
    keep->m_pNext = nullptr;
    m_pPos = reinterpret_cast<char*>(keep) + kHeader;
    m_pEnd = m_pPos + keep->m_Size;
  }
  m_NextSize = keep ? keep->m_Size * 2 : 4096;
}
