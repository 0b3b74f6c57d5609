#include "ostrel/compression/zzipstreams.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>

#include "ostrel/compression/zzipcoder.h"
#include "ostrel/compression/zzipmemory.h"
#include "ostrel/compression/zzipmtf.h"

namespace {
// ---- symbol stream ----

constexpr uint8_t kContextModel[27] = {0, 1, 7, 2, 3, 8, 4, 10, 9, 2, 12, 11, 2, 3, 8, 5, 5, 9, 4, 7, 8, 4, 10, 9, 6, 6, 13};
// The step after symbol s in context c: the next context (last + 3 x the one before + 9 x the one
// before that) in the low byte, its model above, so that one load gives both.
constexpr auto kNextStep = [] {
  std::array<uint16_t, 81> t{};
  for (int c = 0; c < 27; ++c)
    for (int s = 0; s < 3; ++s) {
      const int next = s + 3 * (c % 9);
      t[c * 3 + s] = static_cast<uint16_t>(next | kContextModel[next] << 8);
    }
  return t;
}();
constexpr uint32_t kModelLimit[14] = {256, 96, 128, 128, 144, 144, 144, 144, 144, 144, 144, 128, 128, 256};
constexpr uint32_t kRunLimit = 8192;

// The order of the three symbols from the top of the interval down, by their frequencies: the
// larger first, ties as the format has them.
struct SOrder {
  uint8_t top, mid, bottom, unused = 0;  // four bytes: copied as one word
};

constexpr SOrder OrderOf(bool f0LtF1, bool f0LtF2, bool f1LtF2, bool f2LtF0) {
  if (f0LtF1) {
    if (f0LtF2) return f1LtF2 ? SOrder{2, 1, 0} : SOrder{1, 2, 0};
    return {1, 0, 2};
  }
  if (f1LtF2) return f2LtF0 ? SOrder{0, 2, 1} : SOrder{2, 0, 1};
  return {0, 1, 2};
}

constexpr auto kOrders = [] {
  std::array<SOrder, 16> t{};
  for (int i = 0; i < 16; ++i) t[i] = OrderOf(i & 8, i & 4, i & 2, i & 1);
  return t;
}();

class CSymbolModels {
 public:
  // The three symbols from the top of the interval down, and the two cut points (the low ends of
  // the middle and the top part) for an interval of the given range.
  struct SSplit {
    uint8_t top, mid, bottom;
    uint32_t cutMid, cutTop;
  };

  SSplit Split(uint32_t range) const {
    const SModel& m = m_Models[m_Model];
    return {m.order.top, m.order.mid, m.order.bottom, zzipcoder::CReciprocals::Scale(range, m.fracMid),
            zzipcoder::CReciprocals::Scale(range, m.fracTop)};
  }

  // Zeros in a run, the most common symbols of a sorted block, go a shorter way: in the run
  // state in context 0 (model 0, which a zero keeps) with 0 the top symbol, a zero only moves the
  // interval's low end, its count grows, and the top part's share is all that coding the next
  // one needs (the rest of the model is brought up to date by SettleZeros).
  bool ZerosReady() const { return m_Run && m_Context == 0 && m_Models[0].order.top == 0; }
  // Takes the next symbol when it is such a zero: true. Otherwise nothing is taken.
  [[gnu::always_inline]] bool TakeZero(CZZipDecoder& dec) {
    SModel& m = m_Models[0];
    const uint32_t range = dec.Range();
    const uint32_t cut = zzipcoder::CReciprocals::Scale(range, m.fracTop);
    if (dec.Offset() < cut || m.order.top != 0) return false;
    dec.DecodeCut(cut, range);
    uint32_t c0 = m.count[0], c1 = m.count[1], c2 = m.count[2];
    if (c0 + c1 + c2 + 3 > kRunLimit) [[unlikely]] {
      m.count[0] = (c0 >> 1) + 2;
      m.count[1] = c1 >> 1;
      m.count[2] = c2 >> 1;
      SettleZeros();  // the halving may change the order
      return true;
    }
    m.count[0] = c0 + 2;
    // 0 grows on top: the top part is its share, the others' below it.
    m.fracTop = m_Recip.Fraction(c1 + c2 + 2, c0 + c1 + c2 + 5);
    return true;
  }
  void SettleZeros() {
    SModel& m = m_Models[0];
    Prepare(m, m.count[0] + 1, m.count[1] + 1, m.count[2] + 1);
  }

  [[gnu::always_inline]] void Update(uint32_t sym) {
    SModel& m = m_Models[m_Model];
    // Worked on in registers: reading counts back right after storing one stalls the loads.
    uint32_t c0 = m.count[0], c1 = m.count[1], c2 = m.count[2];
    const bool zero = sym == 0;
    const bool turnOn = !m_Run && zero && m_Model == 0;
    m_Run = turnOn || (m_Run && zero);  // kept by zeros, ended by anything else
    if (turnOn) {
      c0 = (c0 >> 1) + 3;
      c1 >>= 1;
      c2 >>= 1;
    }
    const uint32_t limit = m_Run ? kRunLimit : kModelLimit[m_Model];
    if (c0 + c1 + c2 + 3 > limit) {
      c0 >>= 1;
      c1 >>= 1;
      c2 >>= 1;
    }
    c0 += zero ? 2 : 0;
    c1 += sym == 1 ? 2 : 0;
    c2 += sym == 2 ? 2 : 0;
    m.count[0] = c0;
    m.count[1] = c1;
    m.count[2] = c2;
    Prepare(m, c0 + 1, c1 + 1, c2 + 1);
    const uint32_t step = kNextStep[m_Context * 3 + sym];
    m_Context = step & 0xFF;
    m_Model = step >> 8;
  }

 private:
  // The counts, and what coding with them needs: the order of the symbols and the low ends of
  // the middle and the top part as fractions of the interval.
  struct SModel {
    uint32_t count[3] = {0, 0, 0};
    SOrder order = {0, 1, 2};
    uint64_t fracMid = 0, fracTop = 0;
  };

  void Prepare(SModel& m, uint32_t f0, uint32_t f1, uint32_t f2) const {
    m.order = kOrders[(f0 < f1) << 3 | (f0 < f2) << 2 | (f1 < f2) << 1 | (f2 < f0)];
    // The bottom part is the smallest count and the top part the largest, whichever symbols they
    // are: min and max give the cut points without waiting for the order.
    const uint32_t total = f0 + f1 + f2;
    const uint32_t least = std::min(std::min(f0, f1), f2), most = std::max(std::max(f0, f1), f2);
    m.fracMid = m_Recip.Fraction(least, total);
    m.fracTop = m_Recip.Fraction(total - most, total);
  }

 public:
  CSymbolModels() {
    for (SModel& m : m_Models) Prepare(m, 1, 1, 1);
  }

 private:
  const zzipcoder::CReciprocals& m_Recip = zzipcoder::Reciprocals();
  SModel m_Models[14];
  uint32_t m_Context = 0;
  uint32_t m_Model = 0;
  bool m_Run = true;
};

// ---- literal stream ----

struct SLiteralParam {
  uint32_t bucketInc, offsetInc, limit;
};

SLiteralParam ParamOf(uint8_t param) {
  return {1u << (param & 7), 1u << (param >> 3 & 7), 1024u << (param >> 6)};
}

// An adaptive frequency model of up to 128 symbols, kept as cumulative counts: cum[s] is the
// total below symbol s, cum[0] = 0 and cum[n] the whole. cum[1..n] lie eight to a vector, so that
// finding and updating a symbol takes no branch per symbol; V is the number of vectors the
// model's n takes, which the caller names so that the loops have a fixed length.
class CFreqModel {
 public:
  void Init(uint32_t n, uint32_t inc, uint32_t limit) {
    m_N = n;
    m_Inc = inc;
    m_Limit = limit;
    m_Total = n;
    for (uint32_t i = 0; i <= kMaxSymbols; ++i) Cum()[i] = static_cast<int16_t>(i <= n ? i : kPad);
  }

  template <uint32_t V>
  [[gnu::always_inline]] uint32_t Code(CZZipEncoder& enc, uint32_t sym) {
    const uint64_t unit = UnitOf(enc.Range(), m_Total);
    enc.EncodeCut(Cut(CumAt(sym), unit), Cut(CumAt(sym + 1), unit));
    Update<V>(sym);
    return sym;
  }

  template <uint32_t V>
  [[gnu::always_inline]] uint32_t Code(CZZipDecoder& dec) {
    const uint32_t range = dec.Range();
    const uint64_t unit = UnitOf(range, m_Total);
    const uint32_t sym = Find<V>(dec, range);
    dec.DecodeCut(Cut(CumAt(sym), unit), Cut(CumAt(sym + 1), unit));
    Update<V>(sym);
    return sym;
  }

 private:
  // The symbol is the number of cum[1..n-1] at or below the target ((offset + 1) * total - 1)
  // / range; cum[n] and the padding behind it lie above.
  template <uint32_t V>
  [[gnu::always_inline]] uint32_t Find(const CZZipDecoder& dec, uint32_t range) {
    const uint32_t total = m_Total;
    if constexpr (V == 1) {
      // Eight counts: scalar products and compares keep the latency short (no trip through the
      // vector unit and back).
      const uint32_t goal = (dec.Offset() + 1) * total - 1;
      uint32_t sym = 0;
#pragma GCC unroll 7
      for (uint32_t i = 1; i < 8; ++i) sym += CumAt(i) * range <= goal;
      return sym;
    }
    // Count the lanes above the target (each compare gives -1), in two sums so that the adds do
    // not wait on each other.
    __m128i above[2] = {_mm_setzero_si128(), _mm_setzero_si128()};
    if constexpr (V >= 8) {
      // The large models: one division costs less than the products of all their counts.
      const __m128i target = _mm_set1_epi16(static_cast<int16_t>(dec.Target(total)));
      for (uint32_t v = 0; v < V; ++v) above[v & 1] = _mm_sub_epi16(above[v & 1], _mm_cmpgt_epi16(Vector(v), target));
    } else {
      // cum lies above the target where cum * range > goal = (offset + 1) * total - 1: comparing
      // the products leaves no division to wait for. Each is below 2^31 and is taken in 16-bit
      // halves (range may be 2^16 itself, which adds cum to the high half).
      const uint32_t goal = (dec.Offset() + 1) * total - 1;
      const __m128i flip = _mm_set1_epi16(INT16_MIN);  // unsigned order as signed
      const __m128i goalHigh = _mm_set1_epi16(static_cast<int16_t>((goal >> 16) ^ 0x8000));
      const __m128i goalLow = _mm_set1_epi16(static_cast<int16_t>((goal & 0xFFFF) ^ 0x8000));
      const __m128i rangeLow = _mm_set1_epi16(static_cast<int16_t>(range));
      const __m128i rangeHigh = _mm_set1_epi16(static_cast<int16_t>(0 - (range >> 16)));
      for (uint32_t v = 0; v < V; ++v) {
        const __m128i cum = Vector(v);
        const __m128i high = _mm_xor_si128(
            _mm_add_epi16(_mm_mulhi_epu16(cum, rangeLow), _mm_and_si128(cum, rangeHigh)), flip);
        const __m128i low = _mm_xor_si128(_mm_mullo_epi16(cum, rangeLow), flip);
        const __m128i gt = _mm_or_si128(_mm_cmpgt_epi16(high, goalHigh),
                                        _mm_and_si128(_mm_cmpeq_epi16(high, goalHigh), _mm_cmpgt_epi16(low, goalLow)));
        above[v & 1] = _mm_sub_epi16(above[v & 1], gt);
      }
    }
    // Each lane holds at most 16: add the bytes of each half, then the halves.
    const __m128i sums = _mm_sad_epu8(_mm_add_epi16(above[0], above[1]), _mm_setzero_si128());
    return V * 8 - static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi64(sums, _mm_srli_si128(sums, 8))));
  }

  static constexpr uint32_t kMaxSymbols = 128;
  static constexpr int16_t kPad = 0x7FFF;  // above any count: never at or below a target

  // cum[1] starts a vector.
  int16_t* Cum() { return m_Slots + 7; }
  uint32_t CumAt(uint32_t i) { return static_cast<uint32_t>(Cum()[i]); }
  __m128i* VectorAt(uint32_t v) { return reinterpret_cast<__m128i*>(m_Slots + 8) + v; }
  __m128i Vector(uint32_t v) { return _mm_load_si128(VectorAt(v)); }

  // The interval's share of one count, range / total: worked out while the symbol is still being
  // found, it leaves one product for each cut point to wait for.
  uint64_t UnitOf(uint32_t range, uint32_t total) const { return m_Recip.Fraction(range, total); }
  // range * cum / total, as the coder would compute it (the same product as range times cum's
  // fraction of the total).
  static uint32_t Cut(uint32_t cum, uint64_t unit) { return zzipcoder::CReciprocals::Scale(cum, unit); }

  template <uint32_t V>
  [[gnu::always_inline]] void Update(uint32_t sym) {
    // cum[i] grows for sym < i, that is lane i - 1 from sym up; the padding behind cum[n] stays
    // where the sums saturate.
    const __m128i inc = _mm_set1_epi16(static_cast<int16_t>(m_Inc));
    const __m128i below = _mm_set1_epi16(static_cast<int16_t>(sym - 1));
    __m128i lane = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    for (uint32_t v = 0; v < V; ++v) {
      const __m128i grows = _mm_cmpgt_epi16(lane, below);
      _mm_store_si128(VectorAt(v), _mm_adds_epi16(Vector(v), _mm_and_si128(grows, inc)));
      lane = _mm_add_epi16(lane, _mm_set1_epi16(8));
    }
    m_Total += m_Inc;
    if (m_Total > m_Limit) Halve();
  }
  void Halve() {
    uint32_t below = 0, prev = 0;
    for (uint32_t i = 1; i <= m_N; ++i) {
      const uint32_t f = CumAt(i) - prev;
      prev = CumAt(i);
      below += (f + 1) >> 1;
      Cum()[i] = static_cast<int16_t>(below);
    }
    m_Total = below;
  }

  alignas(16) int16_t m_Slots[8 + kMaxSymbols];
  const zzipcoder::CReciprocals& m_Recip = zzipcoder::Reciprocals();
  uint32_t m_N = 0;
  uint32_t m_Total = 0;  // cum[n], kept apart: reading it back from the vectors just stored stalls
  uint32_t m_Inc = 1;
  uint32_t m_Limit = 1024;
};

// A literal v is coded as v - 2 = (2^b - 1) + r: the bucket b, then (for b > 0) the offset r
// with the model of bucket b.
class CLiteralModels {
 public:
  explicit CLiteralModels(uint8_t param) {
    const SLiteralParam p = ParamOf(param);
    m_Bucket.Init(8, p.bucketInc, p.limit);
    for (uint32_t b = 0; b < 8; ++b) m_Offset[b].Init(1u << b, p.offsetInc, p.limit);
  }
  [[gnu::always_inline]] void Encode(CZZipEncoder& enc, uint32_t v) {
    const uint32_t x = v - 1;  // (v - 2) + 1 = 2^b + r
    const uint32_t b = 31 - static_cast<uint32_t>(__builtin_clz(x));
    m_Bucket.Code<1>(enc, b);
    CodeOffset(b, enc, x - (1u << b));
  }
  // The value, or 256 or more when the stream names one out of range.
  [[gnu::always_inline]] uint32_t Decode(CZZipDecoder& dec) {
    const uint32_t b = m_Bucket.Code<1>(dec);
    // Buckets 0-3 fit one vector and are taken by index rather than through the switch; bucket 0
    // has one symbol, whose part is the whole interval, so it moves the coder not at all.
    return (1u << b) + (b < 4 ? m_Offset[b].Code<1>(dec) : CodeOffset(b, dec)) + 1;
  }

 private:
  // Codes the offset in bucket b (nothing for bucket 0) with the loops sized for it; the offset.
  template <class TCoder, class... TOffset>
  [[gnu::always_inline]] uint32_t CodeOffset(uint32_t b, TCoder& coder, TOffset... r) {
    switch (b) {
      case 1: return m_Offset[1].Code<1>(coder, r...);
      case 2: return m_Offset[2].Code<1>(coder, r...);
      case 3: return m_Offset[3].Code<1>(coder, r...);
      case 4: return m_Offset[4].Code<2>(coder, r...);
      case 5: return m_Offset[5].Code<4>(coder, r...);
      case 6: return m_Offset[6].Code<8>(coder, r...);
      case 7: return m_Offset[7].Code<16>(coder, r...);
      default: return 0;
    }
  }

  CFreqModel m_Bucket;
  CFreqModel m_Offset[8];
};

constexpr uint32_t kOverflowCheck = 1u << 16;

// The two streams share nothing but their order: the encoder codes each literal as its byte
// comes, the decoder decodes literal i in step i, ahead of its use, so that the two chains of
// work overlap. The move-to-front step runs in the same loop.

[[gnu::always_inline]] inline int32_t EncodeStreams(const uint8_t* block, uint32_t m, uint8_t param,
                                                   uint8_t* literalOut, size_t literalRoom, uint8_t* symbolOut,
                                                   size_t symbolRoom, SZZipStreams& result) {
  CZZipBitWriter litBits(literalOut, literalRoom), symBits(symbolOut, symbolRoom);
  CZZipEncoder litEnc(litBits), symEnc(symBits);
  CSymbolModels symbols;
  CLiteralModels literals(param);
  CZZipMtf mtf;
  uint32_t k = 0;
  for (uint32_t i = 0; i < m; ++i) {
    const uint32_t v = mtf.Encode(block[i]);
    const uint32_t sym = v < 2 ? v : 2;
    const CSymbolModels::SSplit s = symbols.Split(symEnc.Range());
    const bool top = sym == s.top, mid = sym == s.mid;
    symEnc.EncodeCut(top ? s.cutTop : mid ? s.cutMid : 0, top ? symEnc.Range() : mid ? s.cutTop : s.cutMid);
    symbols.Update(sym);
    if (v >= 2) {
      literals.Encode(litEnc, v);
      ++k;
    }
    if ((i & (kOverflowCheck - 1)) == 0 && (litBits.Overflow() || symBits.Overflow())) return 0;
  }
  litEnc.Finish();
  symEnc.Finish();
  result.literals = k;
  result.literalLen = litBits.Finish();
  result.symbolLen = symBits.Finish();
  return !litBits.Overflow() && !symBits.Overflow();
}

[[gnu::always_inline]] inline int32_t DecodeStreams(const uint8_t* literalIn, size_t literalLen,
                                                   const uint8_t* symbolIn, size_t symbolLen, uint32_t m, uint32_t k,
                                                   uint8_t param, uint8_t* lits, uint32_t primary, uint32_t* rows,
                                                   uint32_t counts[256]) {
  // Literal i is decoded in step i, and the move-to-front step of a symbol 2 takes literal j,
  // j being the number of 2s before it: never one not yet decoded. A damaged stream may hold more
  // 2s than literals; those take the spare entry at k, and the count is checked at the end.
  lits[k] = 2;
  CZZipDecoder litDec(literalIn, literalLen), symDec(symbolIn, symbolLen);
  CSymbolModels symbols;
  CLiteralModels literals(param);
  CZZipMtf mtf;
  std::fill_n(counts, 256, 0);
  uint32_t twos = 0, outOfRange = 0;
  auto literal = [&](uint32_t i) __attribute__((always_inline)) {
    if (i < k) {
      const uint32_t v = literals.Decode(litDec);
      outOfRange |= v >> 8;
      lits[i] = static_cast<uint8_t>(v);
    }
  };
  // The bytes before the primary row's place, then the rest behind it (the primary row ends in
  // the end mark).
  uint32_t* row = rows;
  uint32_t i = 0;
  for (int part = 0; part < 2; ++part) {
    const uint32_t end = part == 0 ? primary : m;
    while (i < end) {
      if (symbols.ZerosReady()) {
        // Each zero repeats the byte in front of the list.
        const uint32_t from = i;
        const uint8_t c = mtf.Front();
        uint32_t entry = counts[c] << 8 | c;
        for (; i < end && symbols.TakeZero(symDec); ++i, entry += 1u << 8) {
          literal(i);
          *row++ = entry;
        }
        if (i > from) {
          counts[c] += i - from;
          mtf.Near(0);
          symbols.SettleZeros();
        }
        if (i == end) break;
      }
      const CSymbolModels::SSplit s = symbols.Split(symDec.Range());
      const uint32_t off = symDec.Offset();
      const bool inTop = off >= s.cutTop, inMid = off >= s.cutMid;
      const uint32_t sym = inTop ? s.top : inMid ? s.mid : s.bottom;
      symDec.DecodeCut(inTop ? s.cutTop : inMid ? s.cutMid : 0, inTop ? symDec.Range() : inMid ? s.cutTop : s.cutMid);
      symbols.Update(sym);
      literal(i);
      const uint8_t c = sym == 2 ? mtf.Decode(lits[std::min(twos++, k)]) : mtf.Near(sym);
      *row++ = counts[c]++ << 8 | c;
      ++i;
    }
    if (part == 0) *row++ = 0;
  }
  return twos == k && !outOfRange;
}

// Each coder is built twice: for any x86-64, and as clones of which the loader takes the one for
// x86-64-v3 where the processor has it (its shifts and bit counts are shorter). Tests can keep
// to the first build, which the machines they run on would not take.
bool g_PlainOnly = false;

int32_t EncodePlain(const uint8_t* block, uint32_t m, uint8_t param, uint8_t* literalOut, size_t literalRoom,
                    uint8_t* symbolOut, size_t symbolRoom, SZZipStreams& result) {
  return EncodeStreams(block, m, param, literalOut, literalRoom, symbolOut, symbolRoom, result);
}
__attribute__((target_clones("arch=x86-64-v3", "default"))) int32_t EncodeCloned(
    const uint8_t* block, uint32_t m, uint8_t param, uint8_t* literalOut, size_t literalRoom, uint8_t* symbolOut,
    size_t symbolRoom, SZZipStreams& result) {
  return EncodeStreams(block, m, param, literalOut, literalRoom, symbolOut, symbolRoom, result);
}

int32_t DecodePlain(const uint8_t* literalIn, size_t literalLen, const uint8_t* symbolIn, size_t symbolLen, uint32_t m,
                    uint32_t k, uint8_t param, uint8_t* lits, uint32_t primary, uint32_t* rows, uint32_t counts[256]) {
  return DecodeStreams(literalIn, literalLen, symbolIn, symbolLen, m, k, param, lits, primary, rows, counts);
}
__attribute__((target_clones("arch=x86-64-v3", "default"))) int32_t DecodeCloned(
    const uint8_t* literalIn, size_t literalLen, const uint8_t* symbolIn, size_t symbolLen, uint32_t m, uint32_t k,
    uint8_t param, uint8_t* lits, uint32_t primary, uint32_t* rows, uint32_t counts[256]) {
  return DecodeStreams(literalIn, literalLen, symbolIn, symbolLen, m, k, param, lits, primary, rows, counts);
}
}  // namespace

void ZZipKeepToPlainX86(bool keep) { g_PlainOnly = keep; }

int32_t ZZipEncodeStreams(const uint8_t* block, uint32_t m, uint8_t param, uint8_t* literalOut, size_t literalRoom,
                          uint8_t* symbolOut, size_t symbolRoom, SZZipStreams& result) {
  return (g_PlainOnly ? EncodePlain : EncodeCloned)(block, m, param, literalOut, literalRoom, symbolOut, symbolRoom,
                                                     result);
}

int32_t ZZipDecodeStreams(const uint8_t* literalIn, size_t literalLen, const uint8_t* symbolIn, size_t symbolLen,
                          uint32_t m, uint32_t k, uint8_t param, uint8_t* literalArea, uint32_t primary,
                          uint32_t* rows, uint32_t counts[256]) {
  if (k > m) return 0;
  TZZipArray<uint8_t> own;
  if (!literalArea) {
    if (!own.Reset(size_t{k} + 1)) return -1;
    literalArea = own.Get();
  }
  return (g_PlainOnly ? DecodePlain : DecodeCloned)(literalIn, literalLen, symbolIn, symbolLen, m, k, param,
                                                     literalArea, primary, rows, counts);
}

uint8_t ZZipChooseParam(uint32_t, uint32_t) { return 5 | 3 << 3 | 2 << 6; }
