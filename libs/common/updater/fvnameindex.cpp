#include "common/updater/fvnameindex.h"

namespace {
// Eight bytes with 'A'-'Z' turned to 'a'-'z'; other bytes, those above 127 too, as they are.
uint64_t Lower8(uint64_t x) {
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const uint64_t seven = x & ~kHigh;
  const uint64_t atLeastA = seven + 0x3F3F3F3F3F3F3F3Full;     // bit 7 set from 'A' on
  const uint64_t aboveZ = seven + 0x2525252525252525ull;       // bit 7 set from '[' on
  const uint64_t upper = atLeastA & ~aboveZ & ~x & kHigh;
  return x | (upper >> 2);
}

uint64_t Mix(uint64_t h, uint64_t x) {
  h = (h ^ x) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 32);
}
}  // namespace

uint64_t FVFoldedHash(const char* name, uint32_t* length) {
  const size_t n = std::strlen(name);
  uint64_t h = 0x243F6A8885A308D3ull ^ n;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    std::memcpy(&x, name + i, 8);
    h = Mix(h, Lower8(x));
  }
  if (i < n) {
    uint64_t x = 0;
    std::memcpy(&x, name + i, n - i);
    h = Mix(h, Lower8(x));
  }
  *length = static_cast<uint32_t>(n);
  return h ^ (h >> 29);
}

bool FVFoldedEqual(const char* a, const char* b, uint32_t length) {
  if (std::memcmp(a, b, length) == 0) return true;
  for (uint32_t i = 0; i < length; ++i)
    if (xToLowerAscii(a[i]) != xToLowerAscii(b[i])) return false;
  return true;
}
