#include "ostrel/compression/zzipsais.h"

#include <algorithm>

#include "ostrel/compression/zzipmemory.h"

namespace {
// How far ahead the induce passes touch the text, to hide its cache misses.
constexpr int32_t kAhead = 24;

// One bit per position: set for S-type suffixes (smaller than the suffix after them).
class CTypes {
 public:
  bool Init(int32_t n) { return m_Bits.Reset(static_cast<size_t>(n) / 64 + 1); }
  uint64_t* Words() const { return m_Bits.Get(); }
  // Calls fn(i) for every LMS position in ascending order, a word of types at a time.
  template <class TFn>
  void ForEachLms(int32_t n, TFn fn) const {
    uint64_t carry = 1;  // position 0 is never LMS
    for (int32_t w = 0; w <= (n - 1) >> 6; ++w) {
      const uint64_t sBits = m_Bits[w];
      uint64_t lms = sBits & ~(sBits << 1 | carry);
      carry = sBits >> 63;
      while (lms) {
        fn(w * 64 + __builtin_ctzll(lms));
        lms &= lms - 1;
      }
    }
  }

 private:
  TZZipArray<uint64_t> m_Bits;
};

template <class T>
void ClassifyTypes(const T* s, int32_t n, CTypes& t) {
  uint64_t* words = t.Words();
  std::fill_n(words, static_cast<size_t>(n) / 64 + 1, 0);
  uint64_t nextS = 0;  // the last suffix is larger than the empty one after it
  uint64_t word = 0;
  for (int32_t i = n - 2; i >= 0; --i) {
    // In arithmetic rather than with jumps: on most data the outcome is anyone's guess.
    nextS = uint64_t{s[i] < s[i + 1]} | (uint64_t{s[i] == s[i + 1]} & nextS);
    word |= nextS << (i & 63);
    if ((i & 63) == 0) {
      words[i >> 6] = word;
      word = 0;
    }
  }
}

// start[c] is the first slot of bucket c, start[k] == n.
template <class T>
void BucketStarts(const T* s, int32_t n, int32_t k, int32_t* start) {
  std::fill_n(start, k + 1, 0);
  if constexpr (sizeof(T) == 1) {
    // Bytes (k is 256) are counted in four tables: with one, a run of a byte makes each count
    // wait for the one before it.
    int32_t part[3][256] = {};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
      ++start[s[i] + 1];
      ++part[0][s[i + 1]];
      ++part[1][s[i + 2]];
      ++part[2][s[i + 3]];
    }
    for (; i < n; ++i) ++start[s[i] + 1];
    for (int32_t c = 0; c < 256; ++c) start[c + 1] += part[0][c] + part[1][c] + part[2][c];
  } else {
    for (int32_t i = 0; i < n; ++i) ++start[s[i] + 1];
  }
  for (int32_t c = 0; c < k; ++c) start[c + 1] += start[c];
}

// Large alphabets (the reduced texts of the recursion) have bucket arrays too large for the
// cache: the bucket of the suffix at j is asked for ahead, once its symbol has come in (the text
// itself is asked for further ahead still).
template <class T>
void PrefetchBucket(const T* s, int32_t j, const int32_t* b) {
  if constexpr (sizeof(T) > 1) {
    if (j >= 0) __builtin_prefetch(b + s[j]);
  }
}

// L-type suffixes from the seeds in sa, left to right. j = sa[i] - 1 is L-type exactly when
// s[j] >= s[j + 1], since the only entries here are L-type or LMS.
template <class T>
void InduceL(const T* s, int32_t* sa, int32_t n, int32_t k, const int32_t* start, int32_t* b) {
  std::copy_n(start, k, b);
  sa[b[s[n - 1]]++] = n - 1;
  for (int32_t i = 0; i < n; ++i) {
    if (i + 2 * kAhead < n) {
      const int32_t ahead = sa[i + 2 * kAhead];
      if (ahead > 0) __builtin_prefetch(s + ahead - 1);
    }
    if (i + kAhead < n) PrefetchBucket(s, sa[i + kAhead] - 1, b);
    const int32_t j = sa[i] - 1;
    if (j >= 0 && s[j] >= s[j + 1]) sa[b[s[j]]++] = j;
  }
}

// S-type suffixes, right to left. Within bucket c the S-type entries fill from the end, so the
// scanned entry is S-type when it lies at or past the bucket's fill mark. With markLms an S-type
// entry whose predecessor is L-type (an LMS suffix) is left complemented for CollectLms.
//
// Each entry is final once the scan reaches it, and its preceding symbol is read anyway: with
// bwt, that symbol goes to bwt[i], which saves the block sort a pass of its own over the text in
// suffix order. The slot of suffix 0, which has no preceding symbol, is returned (-1 if none).
template <bool markLms, class T>
int32_t InduceS(const T* s, int32_t* sa, int32_t n, int32_t k, const int32_t* start, int32_t* b,
                uint8_t* bwt = nullptr) {
  std::copy_n(start + 1, k, b);
  int32_t zeroSlot = -1;
  for (int32_t i = n - 1; i >= 0; --i) {
    if (i >= 2 * kAhead) {
      const int32_t ahead = sa[i - 2 * kAhead];
      if (ahead > 0) __builtin_prefetch(s + ahead - 1);
    }
    if (i >= kAhead) PrefetchBucket(s, sa[i - kAhead] - 1, b);
    const int32_t j = sa[i] - 1;
    if (j < 0) {
      zeroSlot = i;
      continue;
    }
    const T c0 = s[j], c1 = s[j + 1];
    if constexpr (sizeof(T) == 1) {
      if (bwt) bwt[i] = c0;
    }
    const bool isS = i >= b[c1];
    if (c0 < c1 || (c0 == c1 && isS)) sa[--b[c0]] = j;
    else if (markLms && isS) sa[i] = ~sa[i];
  }
  return zeroSlot;
}

// Whether a[0, len) and b[0, len) are equal. Most substrings are short: a call of memcmp for
// each would cost more than the comparing.
template <class T>
bool SameSymbols(const T* a, const T* b, int32_t len) {
  for (int32_t i = 0; i < len; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Moves the marked LMS suffixes, in their order, to the front; returns their count.
int32_t CollectLms(int32_t* sa, int32_t n) {
  int32_t m = 0;
  for (int32_t i = 0; i < n; ++i)
    if (sa[i] < 0) sa[m++] = ~sa[i];
  return m;
}

// With bwt (bytes only), also the symbol before each sorted suffix, as InduceS gives it, and in
// *zeroSlot the slot of suffix 0.
template <class T>
bool Sais(const T* s, int32_t* sa, int32_t n, int32_t k, uint8_t* bwt = nullptr, int32_t* zeroSlot = nullptr) {
  if (n <= 1) {
    if (n == 1) sa[0] = 0;
    if (zeroSlot) *zeroSlot = 0;
    return true;
  }
  CTypes t;
  TZZipArray<int32_t> start(static_cast<size_t>(k) + 1), b(static_cast<size_t>(k));
  if (!t.Init(n) || !start || !b) return false;
  ClassifyTypes(s, n, t);
  BucketStarts(s, n, k, start.Get());

  // Stage 1: sort the LMS substrings by inducing from the LMS positions in any order.
  std::fill_n(sa, n, -1);
  std::copy_n(start.Get() + 1, k, b.Get());
  t.ForEachLms(n, [&](int32_t i) { sa[--b[s[i]]] = i; });
  InduceL(s, sa, n, k, start.Get(), b.Get());
  InduceS<true>(s, sa, n, k, start.Get(), b.Get());
  const int32_t m = CollectLms(sa, n);

  // Name the substrings. LMS positions are at least two apart, so position / 2 is a free slot:
  // it first holds the substring's length (through the next LMS position), then its name. The
  // last substring runs into the end of the text and equals no other; it keeps length 0.
  std::fill(sa + m, sa + n, 0);
  int32_t prevLms = -1;
  t.ForEachLms(n, [&](int32_t i) {
    if (prevLms >= 0) sa[m + (prevLms >> 1)] = i - prevLms + 1;
    prevLms = i;
  });
  int32_t names = 0;
  for (int32_t i = 0, prev = 0, prevLen = 0; i < m; ++i) {
    if (i + kAhead < m) {
      const int32_t ahead = sa[i + kAhead];
      __builtin_prefetch(s + ahead);
      __builtin_prefetch(sa + m + (ahead >> 1));
    }
    const int32_t p = sa[i];
    const int32_t len = sa[m + (p >> 1)];
    if (len == 0 || len != prevLen || !SameSymbols(s + p, s + prev, len)) ++names;
    prev = p;
    prevLen = len;
    sa[m + (p >> 1)] = names;  // one more than the name: empty slots hold 0
  }
  for (int32_t i = n - 1, j = n - 1; i >= m; --i)
    if (sa[i] > 0) sa[j--] = sa[i] - 1;

  // Stage 2: order the LMS suffixes, recursing while names repeat.
  int32_t* reduced = sa + n - m;
  if (names < m) {
    if (!Sais<int32_t>(reduced, sa, m, names)) return false;
  } else {
    for (int32_t i = 0; i < m; ++i) sa[reduced[i]] = i;
  }
  int32_t j = 0;
  t.ForEachLms(n, [&](int32_t i) { reduced[j++] = i; });
  for (int32_t i = 0; i < m; ++i) {
    if (i + kAhead < m) __builtin_prefetch(reduced + sa[i + kAhead]);
    sa[i] = reduced[sa[i]];
  }

  // Stage 3: seed the sorted LMS suffixes at their bucket ends and induce the rest.
  std::fill(sa + m, sa + n, -1);
  std::copy_n(start.Get() + 1, k, b.Get());
  for (int32_t i = m - 1; i >= 0; --i) {
    const int32_t p = sa[i];
    sa[i] = -1;
    sa[--b[s[p]]] = p;
  }
  InduceL(s, sa, n, k, start.Get(), b.Get());
  const int32_t zero = InduceS<false>(s, sa, n, k, start.Get(), b.Get(), bwt);
  if (zeroSlot) *zeroSlot = zero;
  return true;
}
}  // namespace

bool ZZipSuffixArray(const uint8_t* s, int32_t* sa, int32_t n) { return Sais<uint8_t>(s, sa, n, 256); }

bool ZZipSuffixArrayBwt(const uint8_t* s, int32_t* sa, int32_t n, uint8_t* bwt, int32_t* zeroSlot) {
  return Sais<uint8_t>(s, sa, n, 256, bwt, zeroSlot);
}
