#include "ostrelcomm/packetcache.h"

#include <malloc.h>

#include <bit>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"

namespace {

// Smaller blocks the C library's own caches serve well.
constexpr uint64_t kMinKept = 1024;
constexpr int kFirstClass = 10;  // log2 of kMinKept
constexpr int kClasses = 64 - kFirstClass;
// A class holds blocks of 2^c to 2^(c+1) - 1 bytes; a stream of records of one size finds its
// block in the last few kept.
constexpr int kMaxPerClass = 1024;
constexpr int kProbes = 4;
constexpr uint64_t kMaxKeptBytes = 32ull * 1024 * 1024;

struct SKeptBlock {
  void* m_pBlock;
  uint64_t m_Size;
};

int ClassOf(uint64_t size) { return std::bit_width(size) - 1 - kFirstClass; }

}  // namespace

// Blocks a link has finished with, by size class, newest last. Streams of records allocate and
// free hundreds of blocks in a burst; without this the C library gives the memory back to the
// system after each burst and faults it in afresh for the next.
struct SPacketBlockCache {
  SKeptBlock* m_pKept[kClasses];
  int m_Count[kClasses];
  uint64_t m_Bytes;
};

namespace {

SPacketBlockCache* Cache(bool create) {
  if (!glb) return nullptr;
  if (!glb->m_pPacketBlockCache && create) glb->m_pPacketBlockCache = new (std::nothrow) SPacketBlockCache{};
  return glb->m_pPacketBlockCache;
}

// A kept block of the class that holds size to twice size bytes, taken out of the cache; null
// when none.
void* TakeFrom(SPacketBlockCache* cache, int c, uint64_t size) {
  if (c >= kClasses || !cache->m_pKept[c]) return nullptr;
  SKeptBlock* kept = cache->m_pKept[c];
  int& count = cache->m_Count[c];
  for (int i = count - 1; i >= 0 && i >= count - kProbes; --i) {
    if (kept[i].m_Size < size || kept[i].m_Size > 2 * size) continue;
    void* block = kept[i].m_pBlock;
    cache->m_Bytes -= kept[i].m_Size;
    kept[i] = kept[--count];
    return block;
  }
  return nullptr;
}

}  // namespace

void* xCommAllocPacketBlock(uint64_t size) {
  if (size >= kMinKept) {
    if (SPacketBlockCache* cache = Cache(false)) {
      const int c = ClassOf(size);
      if (void* block = TakeFrom(cache, c, size)) return block;
      if (void* block = TakeFrom(cache, c + 1, size)) return block;
    }
  }
  return ::operator new(static_cast<size_t>(size), std::nothrow);
}

void xCommReleasePacketBlock(void* block, uint64_t size) {
  if (!block) return;
  SPacketBlockCache* cache = size >= kMinKept ? Cache(true) : nullptr;
  const int c = cache ? ClassOf(size) : 0;
  if (cache && !cache->m_pKept[c]) cache->m_pKept[c] = new (std::nothrow) SKeptBlock[kMaxPerClass];
  if (!cache || !cache->m_pKept[c] || cache->m_Count[c] == kMaxPerClass || cache->m_Bytes + size > kMaxKeptBytes) {
    xFree(block);
    return;
  }
  cache->m_pKept[c][cache->m_Count[c]++] = {block, size};
  cache->m_Bytes += size;
}

void xCommFreePacketBlocks() {
  if (!glb || !glb->m_pPacketBlockCache) return;
  SPacketBlockCache* cache = glb->m_pPacketBlockCache;
  for (int c = 0; c < kClasses; ++c) {
    for (int i = 0; i < cache->m_Count[c]; ++i) xFree(cache->m_pKept[c][i].m_pBlock);
    delete[] cache->m_pKept[c];
  }
  delete cache;
  glb->m_pPacketBlockCache = nullptr;
}

void xCommKeepFreedMemory() {
  static bool s_Done = false;
  if (s_Done) return;
  s_Done = true;
  // Blocks up to this size come from the heap rather than from a mapping of their own, which
  // would be unmapped on free; the heap's top is given back only beyond the second figure.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}
