#include "ostrel/base/fastmem.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define OSTREL_X86 1
#endif

namespace {
#if OSTREL_X86
bool Supports(int feature) {
  __builtin_cpu_init();
  return feature == 0 ? __builtin_cpu_supports("mmx") : __builtin_cpu_supports("sse2");
}
const bool kHasMMX = Supports(0);
const bool kHasSSE = Supports(1);
#else
const bool kHasMMX = false;
const bool kHasSSE = false;
#endif

constexpr size_t kLine = 64;
constexpr size_t kBlockLines = 64;

void* StandardCopy(void* dst, const void* src, size_t n) { return std::memcpy(dst, src, n); }
}  // namespace

int32_t CCPUInfo::HasCPUID() {
#if OSTREL_X86
  return 1;
#else
  return 0;
#endif
}
int32_t CCPUInfo::HasMMX() { return kHasMMX ? 1 : 0; }
int32_t CCPUInfo::HasSSE() { return kHasSSE ? 1 : 0; }

CFastMem::TCopyFunc CFastMem::memcpy = kHasSSE ? CFastMem::memcpySSE : StandardCopy;

void* CFastMem::memcpySSE(void* dst, const void* src, size_t n) {
#if OSTREL_X86
  auto* out = static_cast<uint8_t*>(dst);
  const auto* in = static_cast<const uint8_t*>(src);
  size_t lines = n / kLine;
  while (lines) {
    const size_t block = lines < kBlockLines ? lines : kBlockLines;
    Precache(in, block * kLine);
    for (size_t i = 0; i < block * kLine; i += 8) {
      long long word;
      std::memcpy(&word, in + i, 8);
      _mm_stream_si64(reinterpret_cast<long long*>(out + i), word);
    }
    in += block * kLine;
    out += block * kLine;
    lines -= block;
  }
  _mm_sfence();
  for (size_t rest = n % kLine; rest; --rest) *out++ = *in++;
  return dst;
#else
  return std::memcpy(dst, src, n);
#endif
}

void CFastMem::Precache(const void* src, size_t n) {
#if OSTREL_X86
  const auto* p = static_cast<const char*>(src);
  volatile char sink = 0;
  for (size_t i = 0; i < n; i += kLine) {
    _mm_prefetch(p + i, _MM_HINT_NTA);
    sink = p[i];
  }
  (void)sink;
#else
  (void)src;
  (void)n;
#endif
}
