#include "ostrel/compression/zzipbwt.h"

#include "ostrel/compression/zzipmemory.h"
#include "ostrel/compression/zzipsais.h"

namespace {
// The text is walked from both ends at once, so two chains of cache misses overlap: forwards from
// the primary row through each row's successor, backwards from the end-mark row through each
// row's predecessor. An entry holds the next row above 8 bits of the byte to emit. Rows fit in 24
// bits below 16 MiB; larger blocks take 64-bit entries.
template <class TEntry>
bool Unsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  TZZipArray<TEntry> pred(static_cast<size_t>(n) + 1), succ(static_cast<size_t>(n) + 1);
  if (!pred || !succ) return false;
  uint32_t start[256];
  uint32_t sum = 1;  // row 0 starts with the end mark
  for (int c = 0; c < 256; ++c) {
    start[c] = sum;
    sum += counts[c];
  }
  // Row r's last byte is l[r] before the primary row and l[r - 1] after it; the primary row's is
  // the end mark, which no walk of n bytes reaches.
  auto link = [&](uint32_t r, uint8_t c) {
    const uint32_t p = start[c]++;
    pred[r] = static_cast<TEntry>(p) << 8 | c;
    succ[p] = static_cast<TEntry>(r) << 8 | c;
  };
  for (uint32_t r = 0; r < primary; ++r) link(r, l[r]);
  pred[primary] = 0;
  succ[0] = 0;
  for (uint32_t r = primary + 1; r <= n; ++r) link(r, l[r - 1]);

  const uint32_t half = n / 2;
  TEntry f = succ[primary], b = pred[0];
  uint32_t i = 0, j = n;
  for (; i < half; ++i) {
    out[i] = static_cast<uint8_t>(f);
    out[--j] = static_cast<uint8_t>(b);
    f = succ[f >> 8];
    b = pred[b >> 8];
  }
  if (i < j) out[i] = static_cast<uint8_t>(f);
  return true;
}
}  // namespace

bool ZZipBlockSort(const uint8_t* s, uint32_t n, uint8_t* out, uint32_t* primary) {
  TZZipArray<int32_t> sa(n);
  if (!sa || !ZZipSuffixArray(s, sa.Get(), static_cast<int32_t>(n))) return false;
  *primary = 0;
  if (n == 0) return true;
  uint8_t* o = out;
  *o++ = s[n - 1];  // the row of the end mark comes first
  const int32_t* p = sa.Get();
  for (uint32_t i = 0; i < n; ++i) {
    if (i + 32 < n) __builtin_prefetch(s + p[i + 32]);
    const int32_t j = p[i];
    if (j == 0)
      *primary = i + 1;
    else
      *o++ = s[j - 1];
  }
  return true;
}

bool ZZipBlockUnsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out) {
  if (primary < 1 || primary > n) return false;
  uint64_t total = 0;
  for (int c = 0; c < 256; ++c) total += counts[c];
  if (total != n) return false;
  return n < (1u << 24) ? Unsort<uint32_t>(l, n, primary, counts, out) : Unsort<uint64_t>(l, n, primary, counts, out);
}
