// Processor features and the block copy used for large copies.
#pragma once

#include <cstddef>
#include <cstdint>

class CCPUInfo {
 public:
  static int32_t HasCPUID();
  static int32_t HasMMX();
  static int32_t HasSSE();
};

class CFastMem {
 public:
  using TCopyFunc = void* (*)(void* dst, const void* src, size_t n);
  // Chosen at load: with SSE, memcpySSE for blocks below 512 KiB and glibc's memcpy from there
  // on, where it is faster; else the standard copy. Copies exactly as memcpy does.
  static TCopyFunc memcpy;
  // Streams 64-byte lines in 4 KB blocks, touching each block's source first, with non-temporal
  // stores so a large copy does not flush the cache.
  static void* memcpySSE(void* dst, const void* src, size_t n);
  static void Precache(const void* src, size_t n);
};
