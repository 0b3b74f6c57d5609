#include "ostrelcomm/packetcache.h"

#include <new>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"

// Smaller blocks the C library recycles well by itself.
constexpr uint64_t kMinKept = 64 * 1024;
constexpr int kMaxKept = 16;
constexpr uint64_t kMaxKeptBytes = 32ull * 1024 * 1024;

struct SPacketBlockCache {
  void* m_pBlock[kMaxKept];
  uint64_t m_Size[kMaxKept];
  int m_Count;
  uint64_t m_Bytes;
};

namespace {

SPacketBlockCache* Cache(bool create) {
  if (!glb) return nullptr;
  if (!glb->m_pPacketBlockCache && create) glb->m_pPacketBlockCache = new (std::nothrow) SPacketBlockCache{};
  return glb->m_pPacketBlockCache;
}

}  // namespace

void* xCommAllocPacketBlock(uint64_t size) {
  if (size >= kMinKept) {
    if (SPacketBlockCache* cache = Cache(false)) {
      // The smallest kept block that fits, and not one so large that most of it would idle.
      int best = -1;
      for (int i = 0; i < cache->m_Count; ++i)
        if (cache->m_Size[i] >= size && cache->m_Size[i] <= 2 * size && (best < 0 || cache->m_Size[i] < cache->m_Size[best]))
          best = i;
      if (best >= 0) {
        void* block = cache->m_pBlock[best];
        cache->m_Bytes -= cache->m_Size[best];
        --cache->m_Count;
        cache->m_pBlock[best] = cache->m_pBlock[cache->m_Count];
        cache->m_Size[best] = cache->m_Size[cache->m_Count];
        return block;
      }
    }
  }
  return ::operator new(static_cast<size_t>(size), std::nothrow);
}

void xCommReleasePacketBlock(void* block, uint64_t size) {
  if (!block) return;
  SPacketBlockCache* cache = size >= kMinKept ? Cache(true) : nullptr;
  if (!cache || cache->m_Count == kMaxKept || cache->m_Bytes + size > kMaxKeptBytes) {
    xFree(block);
    return;
  }
  cache->m_pBlock[cache->m_Count] = block;
  cache->m_Size[cache->m_Count] = size;
  ++cache->m_Count;
  cache->m_Bytes += size;
}

void xCommFreePacketBlocks() {
  if (!glb || !glb->m_pPacketBlockCache) return;
  SPacketBlockCache* cache = glb->m_pPacketBlockCache;
  for (int i = 0; i < cache->m_Count; ++i) xFree(cache->m_pBlock[i]);
  delete cache;
  glb->m_pPacketBlockCache = nullptr;
}
