// The 16-bit integer arithmetic coder: the interval [low, high] within 0..65535 is narrowed per
// symbol and rescaled whenever it lies in one half (a bit goes out) or straddles the middle within
// 16384..49151 (the bit is deferred). Bits are packed least significant first within each byte.
//
// Frequencies must total at most 16383, so that every symbol keeps a non-empty interval.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr uint32_t ZZIP_CODER_MAX_TOTAL = 16383;

namespace zzipbits {
// Reverses the bits within each byte of v.
inline uint64_t ReverseEachByte(uint64_t v) {
  v = (v >> 1 & 0x5555555555555555ull) | (v & 0x5555555555555555ull) << 1;
  v = (v >> 2 & 0x3333333333333333ull) | (v & 0x3333333333333333ull) << 2;
  return (v >> 4 & 0x0F0F0F0F0F0F0F0Full) | (v & 0x0F0F0F0F0F0F0F0Full) << 4;
}
}  // namespace zzipbits

// Writes bits first-to-last; more than the room is counted but not stored.
class CZZipBitWriter {
 public:
  CZZipBitWriter(uint8_t* out, size_t room) : m_pOut(out), m_Room(room) {}

  // The n (at most 32) low bits of v, most significant first.
  void Put(uint32_t v, int n) {
    m_Acc = m_Acc << n | v;
    m_Bits += n;
    if (m_Bits >= 32) Drain();
  }
  // n copies of one bit.
  void PutRun(uint32_t bit, uint32_t n) {
    for (; n >= 24; n -= 24) Put(bit ? 0xFFFFFF : 0, 24);
    if (n) Put(bit ? (1u << n) - 1 : 0, static_cast<int>(n));
  }
  // Pads the last byte with zero bits; the number of bytes written.
  size_t Finish() {
    if (m_Bits & 7) Put(0, 8 - (m_Bits & 7));
    while (m_Bits) Emit(static_cast<uint8_t>(m_Acc >> (m_Bits -= 8)));
    return m_Len;
  }
  bool Overflow() const { return m_Len > m_Room; }

 private:
  // The first 32 of the 32 to 63 bits held go out as four bytes in one piece.
  void Drain() {
    const uint32_t w = static_cast<uint32_t>(m_Acc >> (m_Bits -= 32));
    if (m_Room - m_Len < 4 || m_Len > m_Room) {
      for (int shift = 24; shift >= 0; shift -= 8) Emit(static_cast<uint8_t>(w >> shift));
      return;
    }
    const uint32_t bytes = static_cast<uint32_t>(zzipbits::ReverseEachByte(__builtin_bswap32(w)));
    std::memcpy(m_pOut + m_Len, &bytes, 4);
    m_Len += 4;
  }
  void Emit(uint8_t b) {
    if (m_Len < m_Room) m_pOut[m_Len] = static_cast<uint8_t>(zzipbits::ReverseEachByte(b));
    ++m_Len;
  }

  uint8_t* m_pOut;
  size_t m_Room;
  size_t m_Len = 0;
  uint64_t m_Acc = 0;
  int m_Bits = 0;
};

// Reads bits first-to-last; past the end of the input every bit is 0.
class CZZipBitReader {
 public:
  CZZipBitReader(const uint8_t* in, size_t len) : m_p(in), m_pEnd(in + len) { Refill(); }

  // The next n (0..32) bits, the first as the most significant.
  [[gnu::always_inline]] uint32_t Get(int n) {
    if (m_Bits < n) Refill();
    const uint32_t v = static_cast<uint32_t>((m_Acc >> 1) >> (63 - n));
    m_Acc <<= n;
    m_Bits -= n;
    return v;
  }

 private:
  void Refill() {
    if (m_pEnd - m_p >= 8) {
      uint64_t v;
      std::memcpy(&v, m_p, 8);
      m_Acc |= __builtin_bswap64(zzipbits::ReverseEachByte(v)) >> m_Bits;
      m_p += (63 - m_Bits) >> 3;
      m_Bits |= 56;
      return;
    }
    for (; m_Bits <= 56; m_Bits += 8) {
      const uint64_t b = m_p < m_pEnd ? zzipbits::ReverseEachByte(*m_p++) : 0;
      m_Acc |= b << (56 - m_Bits);
    }
  }

  const uint8_t* m_p;
  const uint8_t* m_pEnd;
  uint64_t m_Acc = 0;
  int m_Bits = 0;
};

namespace zzipcoder {
// range * part / total without a division, exact for range * part < 2^30 and totals up to
// ZZIP_CODER_MAX_TOTAL: the error of the rounded-up reciprocal stays below 2^-14, less than
// 1 / total.
class CReciprocals {
 public:
  CReciprocals() {
    m_R[0] = 0;
    for (uint32_t t = 1; t <= ZZIP_CODER_MAX_TOTAL; ++t) m_R[t] = (uint64_t{1} << 44) / t + 1;
  }
  // part / total as a fraction with 44 bits behind the point; Scale(range, it) is then exactly
  // range * part / total, rounded down.
  uint64_t Fraction(uint32_t part, uint32_t total) const { return part * m_R[total]; }
  // One 64-bit product suffices where range * part <= 2^16 * total (a range of the coder times a
  // count, or the other way round): range * part * m_R[total] stays below 2^60 + 2^30.
  static uint32_t Scale(uint32_t range, uint64_t fraction) { return static_cast<uint32_t>(range * fraction >> 44); }

 private:
  uint64_t m_R[ZZIP_CODER_MAX_TOTAL + 1];
};

inline const CReciprocals& Reciprocals() {
  static const CReciprocals r;
  return r;
}

inline constexpr uint32_t kHalf = 0x8000;
inline constexpr uint32_t kFirstQuarter = 0x4000;

// The coders keep the interval [low, high] as low and above = 0xFFFF - high: rescaling then
// shifts zeros into both, where high would take ones.
//
// The common leading bits of low and high (0..16) and, behind them, the number of straddling
// bits (low 01..., high 10...) that the rescaling removes. Both come from the interval as it is,
// so that the second need not wait for the first shift: the straddling bits are those where low
// has a 1 and high a 0, right behind the first bit in which they differ (low 0, high 1).
inline int CommonBits(uint32_t low, uint32_t above) { return std::countl_zero(~(low ^ above) & 0xFFFF) - 16; }
inline int StraddleBits(uint32_t low, uint32_t above, int common) {
  const auto x = static_cast<uint32_t>(uint64_t{low & above} << (common + 17));
  return std::countl_zero(~x);
}
}  // namespace zzipcoder

class CZZipEncoder {
 public:
  explicit CZZipEncoder(CZZipBitWriter& out) : m_Out(out) {}

  // Codes the part [cumLow, cumHigh) of total.
  void Encode(uint32_t cumLow, uint32_t cumHigh, uint32_t total) {
    const uint32_t range = Range();
    m_Above = 0x10000 - m_Low - range * cumHigh / total;
    m_Low += range * cumLow / total;
    Rescale();
  }
  // Codes with ready cut points: the part from the interval's low + lowCut to low + highCut - 1.
  [[gnu::always_inline]] void EncodeCut(uint32_t lowCut, uint32_t highCut) {
    m_Above = 0x10000 - m_Low - highCut;
    m_Low += lowCut;
    Rescale();
  }
  uint32_t Range() const { return 0x10000 - m_Above - m_Low; }
  // Two bits that pin the final interval; the decoder reads zeros after them.
  void Finish() {
    ++m_Pending;
    PutWithPending(m_Low >= zzipcoder::kFirstQuarter, 1);
  }

 private:
  // Without branches for the usual case: which bits go out is as unpredictable as the data.
  [[gnu::always_inline]] void Rescale() {
    const int k = zzipcoder::CommonBits(m_Low, m_Above);
    if (m_Pending > kFewPending && k) [[unlikely]] {
      PutWithPending(m_Low >> (16 - k), k);
    } else {
      // k bits go out: the first, the deferred bits (each its opposite), the other k - 1. For
      // k = 0 nothing does, and the deferred bits wait.
      // (More than kFewPending deferred bits come here only with k = 0: the mask keeps the shifts
      // in range, and what they make is not put out.)
      const uint32_t some = 0u - (k != 0), rest = static_cast<uint32_t>(k) - (some & 1);
      const uint32_t pending = m_Pending & kFewPending;
      const uint32_t first = m_Low >> 15, deferred = (1u << pending) - 1;
      const uint32_t lead = first << pending | (deferred & (first - 1));
      const uint32_t bits = lead << rest | ((m_Low << 1) & 0xFFFF) >> (16 - rest);
      m_Out.Put(bits & some, static_cast<int>((rest + 1 + pending) & some));
      m_Pending &= ~some;
    }
    const int u = zzipcoder::StraddleBits(m_Low, m_Above, k);
    m_Pending += static_cast<uint32_t>(u);
    // Both steps in one shift: after the common bits the top bits are 0 in low and in above
    // alike, and what the mask clears of the straddling step is all that changes.
    m_Low = (m_Low << (k + u)) & 0x7FFF;
    m_Above = (m_Above << (k + u)) & 0x7FFF;
  }
  // k bits of v; the deferred bits, each the opposite of the first, follow the first.
  void PutWithPending(uint32_t v, int k) {
    const uint32_t first = v >> (k - 1) & 1;
    m_Out.Put(first, 1);
    if (m_Pending) {
      m_Out.PutRun(first ^ 1, m_Pending);
      m_Pending = 0;
    }
    if (k > 1) m_Out.Put(v & ((1u << (k - 1)) - 1), k - 1);
  }

  // Up to this many deferred bits go out with the others in one piece of at most 32 bits; one
  // less than a power of two, so that it serves as a mask too.
  static constexpr uint32_t kFewPending = 15;

  CZZipBitWriter& m_Out;
  uint32_t m_Low = 0;
  uint32_t m_Above = 0;
  uint32_t m_Pending = 0;
};

class CZZipDecoder {
 public:
  CZZipDecoder(const uint8_t* in, size_t len) : m_In(in, len) { m_Offset = m_In.Get(16); }

  uint32_t Range() const { return 0x10000 - m_Above - m_Low; }
  // Where the code value lies, as a count of total.
  uint32_t Target(uint32_t total) const { return ((m_Offset + 1) * total - 1) / Range(); }
  // Offset of the code value from the interval's low end, for cut-point decoding.
  uint32_t Offset() const { return m_Offset; }
  void Decode(uint32_t cumLow, uint32_t cumHigh, uint32_t total) {
    const uint32_t range = Range();
    m_Above = 0x10000 - m_Low - range * cumHigh / total;
    m_Low += range * cumLow / total;
    m_Offset -= range * cumLow / total;
    Rescale();
  }
  [[gnu::always_inline]] void DecodeCut(uint32_t lowCut, uint32_t highCut) {
    m_Above = 0x10000 - m_Low - highCut;
    m_Low += lowCut;
    m_Offset -= lowCut;
    Rescale();
  }

 private:
  // Without branches: shifts by 0 leave everything as it is.
  [[gnu::always_inline]] void Rescale() {
    const int k = zzipcoder::CommonBits(m_Low, m_Above);
    const int u = zzipcoder::StraddleBits(m_Low, m_Above, k);
    m_Low = (m_Low << (k + u)) & 0x7FFF;
    m_Above = (m_Above << (k + u)) & 0x7FFF;
    // The code value lies within the interval whatever bits came in, so its offset from the low
    // end only ever doubles, taking a new bit, at each of the k + u steps.
    m_Offset = m_Offset << (k + u) | m_In.Get(k + u);
  }

  CZZipBitReader m_In;
  uint32_t m_Low = 0;
  uint32_t m_Above = 0;
  uint32_t m_Offset;  // of the code value from low
};
