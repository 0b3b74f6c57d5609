#include "ostrel/compression/zzipfilters.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kRunStart = 7;    // equal bytes before a count byte
constexpr uint32_t kRunMax = kRunStart + 255;
// Blocks below this size are too short for the filters to pay.
constexpr uint32_t kFilterMinBlock = 3072;

uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void Store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
bool HasZeroByte(uint64_t v) { return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0; }

// Only operands within +-16 MiB are converted (their top byte is 0x00 or 0xFF), modulo 2^25, so
// the converted value stays in that set and the decoder converts exactly the same operands.
bool IsNearOperand(uint32_t v) {
  const uint32_t top = v >> 24;
  return top == 0 || top == 0xFF;
}
uint32_t SignExtend25(uint32_t v) { return v & 0x1000000 ? v | 0xFE000000 : v & 0x1FFFFFF; }

template <bool encode>
void Calls(uint8_t* s, uint32_t n) {
  if (n < 5) return;
  for (uint32_t i = 0; i + 5 <= n; ++i) {
    // The library's search skips the other bytes many at a time.
    const void* next = std::memchr(s + i, 0xE8, n - 4 - i);
    if (!next) break;
    i = static_cast<uint32_t>(static_cast<const uint8_t*>(next) - s);
    const uint32_t v = Load32(s + i + 1);
    if (IsNearOperand(v)) {
      const uint32_t pos = i + 5;  // calls are relative to the next instruction
      Store32(s + i + 1, SignExtend25(encode ? v + pos : v - pos));
    }
    i += 4;
  }
}

// Calls whose absolute target lands inside the block: code shows many, other data next to none.
bool LooksLikeX86(const uint8_t* s, uint32_t n) {
  uint32_t inside = 0;
  for (const uint8_t* p = s; (p = static_cast<const uint8_t*>(std::memchr(p, 0xE8, s + n - p))) != nullptr; ++p) {
    const uint32_t i = static_cast<uint32_t>(p - s);
    if (i + 5 > n) break;
    if (Load32(p + 1) + i + 5 < n) ++inside;
  }
  return inside >= 32 && inside >= n / 4096;
}

// Text sorts best as it is; binary data sort better by what precedes them, so they are reversed.
bool LooksLikeText(const uint8_t* s, uint32_t n) {
  uint32_t text = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t c = s[i];
    text += (c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n' || c == '\r';
  }
  return text >= n - n / 10;
}
}  // namespace

uint16_t ZZipChooseFilters(const uint8_t* s, uint32_t n) {
  uint16_t flags = 0;
  if (n < kFilterMinBlock) return flags;
  // Runs only pay when they shorten the block well; the sort handles short ones fine.
  const uint32_t runLen = ZZipRunsLength(s, n);
  if (runLen < n - n / 4) flags |= ZZIP_FLAG_RUNS;
  if (LooksLikeX86(s, n))
    flags |= ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT;
  else if (!LooksLikeText(s, n))
    flags |= ZZIP_MODE_REVERSED << ZZIP_MODE_SHIFT;
  return flags;
}

uint32_t ZZipRunsLength(const uint8_t* in, uint32_t n) {
  uint32_t len = 0;
  for (uint32_t i = 0; i < n;) {
    // Most data have no two equal bytes side by side: eight runs of one at a time while so.
    if (i + 9 <= n && !HasZeroByte(Load64(in + i) ^ Load64(in + i + 1))) {
      len += 8;
      i += 8;
      continue;
    }
    const uint8_t c = in[i];
    uint32_t run = 1;
    while (i + run < n && in[i + run] == c && run < kRunMax) ++run;
    len += run < kRunStart ? run : kRunStart + 1;
    i += run;
  }
  return len;
}

uint32_t ZZipRunsEncode(const uint8_t* in, uint32_t n, uint8_t* out) {
  uint32_t o = 0;
  for (uint32_t i = 0; i < n;) {
    const uint8_t c = in[i];
    uint32_t run = 1;
    while (i + run < n && in[i + run] == c && run < kRunMax) ++run;
    if (run < kRunStart) {
      std::memset(out + o, c, run);
      o += run;
    } else {
      std::memset(out + o, c, kRunStart);
      out[o + kRunStart] = static_cast<uint8_t>(run - kRunStart);
      o += kRunStart + 1;
    }
    i += run;
  }
  return o;
}

bool ZZipRunsDecode(const uint8_t* in, uint32_t n, uint8_t* out, uint32_t outLen) {
  uint32_t o = 0, same = 0;
  int prev = -1;
  for (uint32_t i = 0; i < n;) {
    const uint8_t c = in[i++];
    if (o == outLen) return false;
    out[o++] = c;
    same = c == prev ? same + 1 : 1;
    prev = c;
    if (same < kRunStart) continue;
    if (i == n) return false;  // the count byte is missing
    const uint32_t more = in[i++];
    if (more > outLen - o) return false;
    std::memset(out + o, c, more);
    o += more;
    same = 0;
    prev = -1;
  }
  return o == outLen;
}

void ZZipCallsEncode(uint8_t* s, uint32_t n) { Calls<true>(s, n); }
void ZZipCallsDecode(uint8_t* s, uint32_t n) { Calls<false>(s, n); }

void ZZipReverse(uint8_t* s, uint32_t n) {
  // Eight bytes from each end at a time, turned round with a byte swap.
  uint32_t i = 0, j = n;
  for (; j - i >= 16; i += 8, j -= 8) {
    uint64_t a, b;
    std::memcpy(&a, s + i, 8);
    std::memcpy(&b, s + j - 8, 8);
    a = __builtin_bswap64(a);
    b = __builtin_bswap64(b);
    std::memcpy(s + i, &b, 8);
    std::memcpy(s + j - 8, &a, 8);
  }
  std::reverse(s + i, s + j);
}

void ZZipReverseCopy(const uint8_t* in, uint32_t n, uint8_t* out) {
  uint32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, in + n - 8 - i, 8);
    w = __builtin_bswap64(w);
    std::memcpy(out + i, &w, 8);
  }
  for (; i < n; ++i) out[i] = in[n - 1 - i];
}
