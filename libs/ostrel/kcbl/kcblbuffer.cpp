#include "ostrel/kcbl/kcblbuffer.h"

#include <cstring>
#include <new>

namespace {
constexpr size_t kKeep = 64 * 1024;
}

bool CKCBLBuffer::Reserve(size_t n) {
  if (n <= m_Cap) return true;
  size_t cap = m_Cap < 256 ? 256 : m_Cap;
  while (cap < n) cap = cap > (SIZE_MAX >> 1) ? n : cap * 2;
  char* buf = static_cast<char*>(::operator new(cap, std::nothrow));
  if (!buf) return false;
  if (m_Cap) std::memcpy(buf, m_pBuf, m_Cap);
  ::operator delete(m_pBuf);
  m_pBuf = buf;
  m_Cap = cap;
  return true;
}

void CKCBLBuffer::Trim() {
  if (m_Cap > kKeep) {
    ::operator delete(m_pBuf);
    m_pBuf = nullptr;
    m_Cap = 0;
  }
  if (m_Values.capacity() > kKeep / sizeof(SKCBLValue)) std::vector<SKCBLValue>().swap(m_Values);
}
