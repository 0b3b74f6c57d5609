// The CRC register as polynomial arithmetic: a 128-bit lane holds the input's bits in order,
// highest power first, and carrying a lane forward over n more bits is multiplying it by x^n, done
// modulo P with the two precomputed halves so that it never grows past 96 bits. Four lanes run side
// by side over 64 bytes a step, then fold into one; what remains is a 16-byte value whose register
// the tables give.
#include "ostrel/files/crcengine.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace {
// Four 16-byte lanes.
constexpr size_t kStep = 64;

#define VORRIN_CRC_FOLD_TARGET __attribute__((target("pclmul,ssse3")))

// Bytes in stream order, the first at the top.
VORRIN_CRC_FOLD_TARGET inline __m128i Load(const uint8_t* p) {
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// lane * x^n + next, modulo P, with k = {x^n mod P, x^(n+64) mod P}.
VORRIN_CRC_FOLD_TARGET inline __m128i Fold(__m128i lane, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11)), next);
}

VORRIN_CRC_FOLD_TARGET inline __m128i Constants(const SCrcTables& c, size_t lanes) {
  return _mm_set_epi64x(static_cast<long long>(c.fold[lanes - 1][1]), static_cast<long long>(c.fold[lanes - 1][0]));
}

VORRIN_CRC_FOLD_TARGET size_t FoldWithClmul(const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len) {
  const uint8_t* const start = p;
  // The register so far is the first 32 bits of the input, added in.
  __m128i x0 = _mm_xor_si128(Load(p), _mm_set_epi32(static_cast<int>(*reg), 0, 0, 0));
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  p += kStep;
  len -= kStep;
  const __m128i step = Constants(c, 4);
  for (; len >= kStep; len -= kStep, p += kStep) {
    x0 = Fold(x0, step, Load(p));
    x1 = Fold(x1, step, Load(p + 16));
    x2 = Fold(x2, step, Load(p + 32));
    x3 = Fold(x3, step, Load(p + 48));
  }
  __m128i sum = Fold(x0, Constants(c, 3), Fold(x1, Constants(c, 2), Fold(x2, Constants(c, 1), x3)));
  for (; len >= 16; len -= 16, p += 16) sum = Fold(sum, Constants(c, 1), Load(p));
  // The register of these sixteen bytes from zero is the register of everything taken.
  alignas(16) uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), Load(reinterpret_cast<const uint8_t*>(&sum)));
  *reg = xCrcUpdateSliced(c, 0, rest, sizeof rest);
  return static_cast<size_t>(p - start);
}
}  // namespace

bool xCrcCanFold() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return can;
}

size_t xCrcFoldBlocks(const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len) {
  // Below two steps the tables are as quick.
  if (len < 2 * kStep || !xCrcCanFold()) return 0;
  return FoldWithClmul(c, reg, p, len);
}
#else
bool xCrcCanFold() { return false; }

size_t xCrcFoldBlocks(const SCrcTables&, uint32_t*, const uint8_t*, size_t) { return 0; }
#endif
