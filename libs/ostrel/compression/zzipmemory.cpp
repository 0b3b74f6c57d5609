#include "ostrel/compression/zzipmemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {
TZZipAllocFunc g_Alloc = std::malloc;
TZZipReallocFunc g_Realloc = std::realloc;
TZZipFreeFunc g_Free = std::free;
}  // namespace

void ZZipSetMemoryHooks(TZZipAllocFunc alloc, TZZipReallocFunc realloc, TZZipFreeFunc free) {
  g_Alloc = alloc ? alloc : std::malloc;
  g_Realloc = realloc ? realloc : std::realloc;
  g_Free = free ? free : std::free;
}

void* ZZipAlloc(size_t size) { return g_Alloc(size); }
void* ZZipRealloc(void* block, size_t size) { return g_Realloc(block, size); }
void ZZipFree(void* block) {
  if (block) g_Free(block);
}

void ZZipAdviseLarge(void* block, size_t size) {
  constexpr uintptr_t kLarge = uintptr_t{2} << 20;
  if (size < 2 * kLarge) return;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(block) + kLarge - 1) & ~(kLarge - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(block) + size) & ~(kLarge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}
