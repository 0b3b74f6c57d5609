// The CRC register as polynomial arithmetic: a 128-bit lane holds the input's bits in order,
// highest power first, and carrying a lane forward over n more bits is multiplying it by x^n, done
// modulo P with the two precomputed halves so that it never grows past 96 bits. Several lanes run
// side by side a step at a time, then fold into one; what remains is a 16-byte value whose
// register the tables give.
#include "ostrel/files/crcengine.h"

#include <initializer_list>

#if defined(__x86_64__)
#include <immintrin.h>

#define VORRIN_CRC_CLMUL __attribute__((target("pclmul,ssse3")))
#define VORRIN_CRC_WIDE __attribute__((target("vpclmulqdq,pclmul,avx2")))

namespace {
constexpr size_t kBlock = 16;
constexpr size_t kStep = 4 * kBlock;             // four lanes of one block
constexpr size_t kWideStep = 4 * 2 * kBlock;     // four lanes of two blocks

// Bytes in stream order, the first at the top.
VORRIN_CRC_CLMUL inline __m128i Load(const uint8_t* p) {
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// {x^n mod P, x^(n+64) mod P} for n the bits of the given number of blocks.
VORRIN_CRC_CLMUL inline __m128i Constants(const SCrcTables& c, size_t blocks) {
  return _mm_set_epi64x(static_cast<long long>(c.fold[blocks - 1][1]), static_cast<long long>(c.fold[blocks - 1][0]));
}

// lane * x^n + next, modulo P, with k = Constants(n).
VORRIN_CRC_CLMUL inline __m128i Fold(__m128i lane, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11)), next);
}

// Takes the whole blocks left into the lane, then the lane's register into *reg; returns the
// bytes taken.
VORRIN_CRC_CLMUL inline size_t Finish(const SCrcTables& c, __m128i lane, const uint8_t* p, size_t len, uint32_t* reg) {
  const uint8_t* const start = p;
  for (; len >= kBlock; len -= kBlock, p += kBlock) lane = Fold(lane, Constants(c, 1), Load(p));
  // The register of these sixteen bytes from zero is the register of everything taken.
  alignas(16) uint8_t rest[kBlock];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), Load(reinterpret_cast<const uint8_t*>(&lane)));
  *reg = xCrcUpdateSliced(c, 0, rest, sizeof rest);
  return static_cast<size_t>(p - start);
}

// The register so far is the first 32 bits of the input, added in.
VORRIN_CRC_CLMUL inline __m128i WithRegister(__m128i first, uint32_t reg) {
  return _mm_xor_si128(first, _mm_set_epi32(static_cast<int>(reg), 0, 0, 0));
}

VORRIN_CRC_CLMUL size_t FoldClmul(const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len) {
  __m128i x0 = WithRegister(Load(p), *reg);
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  size_t at = kStep;
  const __m128i step = Constants(c, 4);
  for (; len - at >= kStep; at += kStep) {
    x0 = Fold(x0, step, Load(p + at));
    x1 = Fold(x1, step, Load(p + at + 16));
    x2 = Fold(x2, step, Load(p + at + 32));
    x3 = Fold(x3, step, Load(p + at + 48));
  }
  const __m128i lane = Fold(x0, Constants(c, 3), Fold(x1, Constants(c, 2), Fold(x2, Constants(c, 1), x3)));
  return at + Finish(c, lane, p + at, len - at, reg);
}

// Two blocks side by side in each half of a 256-bit register.
VORRIN_CRC_WIDE inline __m256i LoadWide(const uint8_t* p) {
  const __m256i reverse = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11,
                                           10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), reverse);
}

VORRIN_CRC_WIDE inline __m256i ConstantsWide(const SCrcTables& c, size_t blocks) {
  return _mm256_broadcastsi128_si256(Constants(c, blocks));
}

VORRIN_CRC_WIDE inline __m256i FoldWide(__m256i lanes, __m256i k, __m256i next) {
  return _mm256_xor_si256(
      _mm256_xor_si256(_mm256_clmulepi64_epi128(lanes, k, 0x00), _mm256_clmulepi64_epi128(lanes, k, 0x11)), next);
}

VORRIN_CRC_WIDE size_t FoldWideClmul(const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len) {
  __m256i y0 = _mm256_xor_si256(LoadWide(p), _mm256_set_epi32(0, 0, 0, 0, static_cast<int>(*reg), 0, 0, 0));
  __m256i y1 = LoadWide(p + 32), y2 = LoadWide(p + 64), y3 = LoadWide(p + 96);
  size_t at = kWideStep;
  const __m256i step = ConstantsWide(c, 8);
  for (; len - at >= kWideStep; at += kWideStep) {
    y0 = FoldWide(y0, step, LoadWide(p + at));
    y1 = FoldWide(y1, step, LoadWide(p + at + 32));
    y2 = FoldWide(y2, step, LoadWide(p + at + 64));
    y3 = FoldWide(y3, step, LoadWide(p + at + 96));
  }
  const __m256i y =
      FoldWide(y0, ConstantsWide(c, 6), FoldWide(y1, ConstantsWide(c, 4), FoldWide(y2, ConstantsWide(c, 2), y3)));
  // The low half is one block ahead of the high.
  const __m128i lane = Fold(_mm256_castsi256_si128(y), Constants(c, 1), _mm256_extracti128_si256(y, 1));
  return at + Finish(c, lane, p + at, len - at, reg);
}
}  // namespace

bool xCrcHasPath(ECrcPath path) {
  static const bool clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  static const bool wide = clmul && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
  switch (path) {
    case ECrcPath::Tables: return true;
    case ECrcPath::Clmul: return clmul;
    case ECrcPath::WideClmul: return wide;
  }
  return false;
}

size_t xCrcFoldBlocks(ECrcPath path, const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len) {
  // Below two steps the tables are as quick.
  if (path == ECrcPath::WideClmul && len >= 2 * kWideStep) return FoldWideClmul(c, reg, p, len);
  if (path != ECrcPath::Tables && len >= 2 * kStep) return FoldClmul(c, reg, p, len);
  return 0;
}
#else
bool xCrcHasPath(ECrcPath path) { return path == ECrcPath::Tables; }

size_t xCrcFoldBlocks(ECrcPath, const SCrcTables&, uint32_t*, const uint8_t*, size_t) { return 0; }
#endif

ECrcPath xCrcBestPath() {
  for (ECrcPath path : {ECrcPath::WideClmul, ECrcPath::Clmul})
    if (xCrcHasPath(path)) return path;
  return ECrcPath::Tables;
}
