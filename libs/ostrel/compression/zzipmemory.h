// Work areas of the block compressor. Every block the codec takes comes through three hooks that
// the front end installs (the runtime's allocator); until then the C allocator serves.
#pragma once

#include <cstddef>
#include <cstdint>

using TZZipAllocFunc = void* (*)(size_t size);
using TZZipReallocFunc = void* (*)(void* block, size_t size);
using TZZipFreeFunc = void (*)(void* block);

void ZZipSetMemoryHooks(TZZipAllocFunc alloc, TZZipReallocFunc realloc, TZZipFreeFunc free);
void* ZZipAlloc(size_t size);
void* ZZipRealloc(void* block, size_t size);
void ZZipFree(void* block);
// Asks for large pages behind a big work area: the sort and its inverse touch it at random, and
// with small pages nearly every access would also miss the address cache.
void ZZipAdviseLarge(void* block, size_t size);

// An array of T from the hooks, released at the end of its scope. Empty when none could be had.
template <class T>
class TZZipArray {
 public:
  TZZipArray() = default;
  explicit TZZipArray(size_t count) { Reset(count); }
  ~TZZipArray() { ZZipFree(m_p); }
  TZZipArray(const TZZipArray&) = delete;
  TZZipArray& operator=(const TZZipArray&) = delete;

  bool Reset(size_t count) {
    ZZipFree(m_p);
    m_p = static_cast<T*>(ZZipAlloc(count ? count * sizeof(T) : 1));
    if (m_p) ZZipAdviseLarge(m_p, count * sizeof(T));
    return m_p != nullptr;
  }
  T* Get() const { return m_p; }
  T& operator[](size_t i) const { return m_p[i]; }
  explicit operator bool() const { return m_p != nullptr; }

 private:
  T* m_p = nullptr;
};
