#include "ostrel/graphics/jpgkernels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// The rotation constants of the integer IDCT, x 8192 and rounded.
constexpr int32_t F_0_298 = 2446, F_0_390 = 3196, F_0_541 = 4433, F_0_765 = 6270;
constexpr int32_t F_0_899 = 7373, F_1_175 = 9633, F_1_501 = 12299, F_1_847 = 15137;
constexpr int32_t F_1_961 = 16069, F_2_053 = 16819, F_2_562 = 20995, F_3_072 = 25172;
constexpr int kPass1Shift = 11;  // 13 constant bits less 2 kept fraction bits
constexpr int kPass2Shift = 18;  // 13 + 2 + 3 (the 8 of the transform)

// The JFIF products as (2^16 x whole part) + fraction, so that the fractions fit 16 bits.
constexpr int32_t FIX_1_40200 = 91881, FIX_1_77200 = 116130;
constexpr int32_t FIX_0_34414 = 22554, FIX_0_71414 = 46802;
constexpr int32_t kHalf = 1 << 15;

inline uint8_t Clamp255(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }
inline int16_t Sat16(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
inline uint8_t Sample(int32_t v) { return static_cast<uint8_t>(std::clamp(v, -128, 127) + 128); }

// One pass of the plain transform over 8 values step apart, with the wrap-around of the vector
// form: 16-bit sums of inputs, 32-bit sums of 16 x 16-bit products, saturation to 16 bits.
template <int Shift>
void Idct1D(const int16_t* in, int step, int16_t* out, int ostep) {
  auto s16 = [](int32_t v) { return static_cast<int16_t>(v); };
  auto mad = [](int16_t a, int16_t b, int32_t ca, int32_t cb) {
    return static_cast<uint32_t>(a * ca) + static_cast<uint32_t>(b * cb);
  };
  const int16_t i0 = in[0], i1 = in[step], i2 = in[2 * step], i3 = in[3 * step];
  const int16_t i4 = in[4 * step], i5 = in[5 * step], i6 = in[6 * step], i7 = in[7 * step];
  const uint32_t tmp3 = mad(i2, i6, F_0_541 + F_0_765, F_0_541);
  const uint32_t tmp2 = mad(i2, i6, F_0_541, F_0_541 - F_1_847);
  const uint32_t t0 = static_cast<uint32_t>(s16(i0 + i4)) << 13;
  const uint32_t t1 = static_cast<uint32_t>(s16(i0 - i4)) << 13;
  const uint32_t tmp10 = t0 + tmp3, tmp13 = t0 - tmp3, tmp11 = t1 + tmp2, tmp12 = t1 - tmp2;
  const int16_t z3 = s16(i7 + i3), z4 = s16(i5 + i1);
  const uint32_t z3p = mad(z3, z4, F_1_175 - F_1_961, F_1_175);
  const uint32_t z4p = mad(z3, z4, F_1_175, F_1_175 - F_0_390);
  const uint32_t o0 = mad(i7, i1, F_0_298 - F_0_899, -F_0_899) + z3p;
  const uint32_t o3 = mad(i7, i1, -F_0_899, F_1_501 - F_0_899) + z4p;
  const uint32_t o1 = mad(i5, i3, F_2_053 - F_2_562, -F_2_562) + z4p;
  const uint32_t o2 = mad(i5, i3, -F_2_562, F_3_072 - F_2_562) + z3p;
  auto d = [](uint32_t v) {
    return Sat16(static_cast<int32_t>(v + (1u << (Shift - 1))) >> Shift);
  };
  out[0] = d(tmp10 + o3);
  out[7 * ostep] = d(tmp10 - o3);
  out[1 * ostep] = d(tmp11 + o2);
  out[6 * ostep] = d(tmp11 - o2);
  out[2 * ostep] = d(tmp12 + o1);
  out[5 * ostep] = d(tmp12 - o1);
  out[3 * ostep] = d(tmp13 + o0);
  out[4 * ostep] = d(tmp13 - o0);
}

#if defined(__SSE2__)
struct SWide {
  __m128i lo, hi;  // lanes 0-3 and 4-7 as 32-bit values
};
inline SWide operator+(SWide a, SWide b) {
  return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)};
}
inline SWide operator-(SWide a, SWide b) {
  return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)};
}
inline __m128i Pair(int32_t a, int32_t b) {
  const auto x = static_cast<int16_t>(a), y = static_cast<int16_t>(b);
  return _mm_set_epi16(y, x, y, x, y, x, y, x);
}
// x * a + y * b per lane.
inline SWide Mad(__m128i x, __m128i y, __m128i ab) {
  return {_mm_madd_epi16(_mm_unpacklo_epi16(x, y), ab), _mm_madd_epi16(_mm_unpackhi_epi16(x, y), ab)};
}
inline SWide Shl13(__m128i x) {
  const __m128i z = _mm_setzero_si128();
  return {_mm_srai_epi32(_mm_unpacklo_epi16(z, x), 3), _mm_srai_epi32(_mm_unpackhi_epi16(z, x), 3)};
}
template <int Shift>
inline __m128i Descale(SWide v) {
  const __m128i r = _mm_set1_epi32(1 << (Shift - 1));
  return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(v.lo, r), Shift),
                         _mm_srai_epi32(_mm_add_epi32(v.hi, r), Shift));
}

template <int Shift>
inline void Idct8(__m128i* v) {
  const SWide tmp3 = Mad(v[2], v[6], Pair(F_0_541 + F_0_765, F_0_541));
  const SWide tmp2 = Mad(v[2], v[6], Pair(F_0_541, F_0_541 - F_1_847));
  const SWide t0 = Shl13(_mm_add_epi16(v[0], v[4])), t1 = Shl13(_mm_sub_epi16(v[0], v[4]));
  const SWide tmp10 = t0 + tmp3, tmp13 = t0 - tmp3, tmp11 = t1 + tmp2, tmp12 = t1 - tmp2;
  const __m128i z3 = _mm_add_epi16(v[7], v[3]), z4 = _mm_add_epi16(v[5], v[1]);
  const SWide z3p = Mad(z3, z4, Pair(F_1_175 - F_1_961, F_1_175));
  const SWide z4p = Mad(z3, z4, Pair(F_1_175, F_1_175 - F_0_390));
  const SWide o0 = Mad(v[7], v[1], Pair(F_0_298 - F_0_899, -F_0_899)) + z3p;
  const SWide o3 = Mad(v[7], v[1], Pair(-F_0_899, F_1_501 - F_0_899)) + z4p;
  const SWide o1 = Mad(v[5], v[3], Pair(F_2_053 - F_2_562, -F_2_562)) + z4p;
  const SWide o2 = Mad(v[5], v[3], Pair(-F_2_562, F_3_072 - F_2_562)) + z3p;
  v[0] = Descale<Shift>(tmp10 + o3);
  v[7] = Descale<Shift>(tmp10 - o3);
  v[1] = Descale<Shift>(tmp11 + o2);
  v[6] = Descale<Shift>(tmp11 - o2);
  v[2] = Descale<Shift>(tmp12 + o1);
  v[5] = Descale<Shift>(tmp12 - o1);
  v[3] = Descale<Shift>(tmp13 + o0);
  v[4] = Descale<Shift>(tmp13 - o0);
}

inline void Transpose(__m128i* r) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// 8 samples of one colour channel from 16-bit lanes y, cb - 128, cr - 128.
inline __m128i HiWord(__m128i lo, __m128i hi) {
  return _mm_packs_epi32(_mm_srai_epi32(lo, 16), _mm_srai_epi32(hi, 16));
}
inline void Convert8(__m128i y, __m128i cb, __m128i cr, __m128i* r, __m128i* g, __m128i* b) {
  const __m128i two = _mm_set1_epi16(2);
  // (f x v + 2^15) >> 16 as madd of (v, 2) with (f, 2^14).
  const __m128i crr = Pair(FIX_1_40200 - 65536, 1 << 14);
  const __m128i cbb = Pair(FIX_1_77200 - 2 * 65536, 1 << 14);
  const __m128i gg = Pair(-FIX_0_34414, 65536 - FIX_0_71414);
  const __m128i half = _mm_set1_epi32(kHalf);
  const __m128i rv = HiWord(_mm_madd_epi16(_mm_unpacklo_epi16(cr, two), crr),
                            _mm_madd_epi16(_mm_unpackhi_epi16(cr, two), crr));
  const __m128i bv = HiWord(_mm_madd_epi16(_mm_unpacklo_epi16(cb, two), cbb),
                            _mm_madd_epi16(_mm_unpackhi_epi16(cb, two), cbb));
  const __m128i gv =
      HiWord(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), gg), half),
             _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), gg), half));
  *r = _mm_add_epi16(_mm_add_epi16(y, cr), rv);
  *b = _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(cb, cb)), bv);
  *g = _mm_sub_epi16(_mm_add_epi16(y, gv), cr);
}
#endif
}  // namespace

void xJpegIdctPlain(const int16_t* coef, uint8_t* out, int32_t stride) {
  int16_t work[64], rows[64];
  for (int c = 0; c < 8; ++c) Idct1D<kPass1Shift>(coef + c, 8, work + c, 8);
  for (int r = 0; r < 8; ++r) Idct1D<kPass2Shift>(work + 8 * r, 1, rows + 8 * r, 1);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) out[r * stride + c] = Sample(rows[8 * r + c]);
}

#if defined(__SSE2__)
void xJpegIdct(const int16_t* coef, uint8_t* out, int32_t stride) {
  __m128i v[8];
  for (int i = 0; i < 8; ++i) v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * i));
  Idct8<kPass1Shift>(v);
  Transpose(v);
  Idct8<kPass2Shift>(v);
  Transpose(v);
  const __m128i centre = _mm_set1_epi8(static_cast<char>(0x80));
  for (int i = 0; i < 4; ++i) {
    const __m128i b = _mm_xor_si128(_mm_packs_epi16(v[2 * i], v[2 * i + 1]), centre);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * i * stride), b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (2 * i + 1) * stride), _mm_srli_si128(b, 8));
  }
}
#else
void xJpegIdct(const int16_t* coef, uint8_t* out, int32_t stride) {
  xJpegIdctPlain(coef, out, stride);
}
#endif

uint8_t xJpegIdctDC(int16_t dc) { return Sample((Sat16(dc * 4) + 16) >> 5); }

void xJpegBuildColourTables(SJpegColourTables* t) {
  for (int32_t i = 0; i < 256; ++i) {
    const int32_t x = i - 128;
    t->CrR[i] = (FIX_1_40200 * x + kHalf) >> 16;
    t->CbB[i] = (FIX_1_77200 * x + kHalf) >> 16;
    t->CrG[i] = -FIX_0_71414 * x;
    t->CbG[i] = -FIX_0_34414 * x + kHalf;
  }
}

void xJpegYCbCrToBGRPlain(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                          int32_t count, const SJpegColourTables& t) {
  for (int32_t i = 0; i < count; ++i, out += 3) {
    const int32_t l = y[i], u = cb[i], v = cr[i];
    out[0] = Clamp255(l + t.CbB[u]);
    out[1] = Clamp255(l + ((t.CbG[u] + t.CrG[v]) >> 16));
    out[2] = Clamp255(l + t.CrR[v]);
  }
}

#if defined(__SSE2__)
void xJpegYCbCrToBGR(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                     int32_t count, const SJpegColourTables& t) {
  const __m128i zero = _mm_setzero_si128(), centre = _mm_set1_epi16(128);
  int32_t i = 0;
  // Each pixel is stored as 4 bytes whose last one the next pixel overwrites: the loop stops
  // while at least one pixel of the row is left to the plain tail.
  for (; i + 16 < count; i += 16, out += 48) {
    const __m128i yy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i));
    const __m128i uu = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + i));
    const __m128i vv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + i));
    __m128i r[2], g[2], b[2];
    Convert8(_mm_unpacklo_epi8(yy, zero), _mm_sub_epi16(_mm_unpacklo_epi8(uu, zero), centre),
             _mm_sub_epi16(_mm_unpacklo_epi8(vv, zero), centre), &r[0], &g[0], &b[0]);
    Convert8(_mm_unpackhi_epi8(yy, zero), _mm_sub_epi16(_mm_unpackhi_epi8(uu, zero), centre),
             _mm_sub_epi16(_mm_unpackhi_epi8(vv, zero), centre), &r[1], &g[1], &b[1]);
    const __m128i rb = _mm_packus_epi16(r[0], r[1]), gb = _mm_packus_epi16(g[0], g[1]);
    const __m128i bb = _mm_packus_epi16(b[0], b[1]);
    const __m128i bg[2] = {_mm_unpacklo_epi8(bb, gb), _mm_unpackhi_epi8(bb, gb)};
    const __m128i r0[2] = {_mm_unpacklo_epi8(rb, zero), _mm_unpackhi_epi8(rb, zero)};
    for (int h = 0; h < 2; ++h) {
      const __m128i px[2] = {_mm_unpacklo_epi16(bg[h], r0[h]), _mm_unpackhi_epi16(bg[h], r0[h])};
      for (int q = 0; q < 2; ++q) {
        uint8_t* o = out + 24 * h + 12 * q;
        alignas(16) uint32_t w[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(w), px[q]);
        for (int k = 0; k < 4; ++k) __builtin_memcpy(o + 3 * k, &w[k], 4);
      }
    }
  }
  xJpegYCbCrToBGRPlain(y + i, cb + i, cr + i, out, count - i, t);
}
#else
void xJpegYCbCrToBGR(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                     int32_t count, const SJpegColourTables& t) {
  xJpegYCbCrToBGRPlain(y, cb, cr, out, count, t);
}
#endif

void xJpegGreyToBGR(const uint8_t* y, uint8_t* out, int32_t count) {
  for (int32_t i = 0; i < count; ++i, out += 3) out[0] = out[1] = out[2] = y[i];
}

void xJpegReplicate(const uint8_t* in, uint8_t* out, int32_t count, int32_t factor) {
  int32_t x = 0;
#if defined(__SSE2__)
  if (factor == 2) {
    for (; x + 32 <= count; x += 32) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x / 2));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi8(v, v));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 16), _mm_unpackhi_epi8(v, v));
    }
  }
#endif
  for (; x < count; ++x) out[x] = in[x / factor];
}
