// The move-to-front step of the block compressor, in its variant: a value above 1 moves its byte
// to the front; value 1 exchanges the first two entries, but only when the previous value was not
// 0; value 0 changes nothing. The list starts as 0..255 with a previous value of 0.
#pragma once

#include <emmintrin.h>

#include <cstdint>

class CZZipMtf {
 public:
  CZZipMtf() {
    for (int i = 0; i < 256; ++i) m_List[i] = static_cast<uint8_t>(i);
  }

  uint32_t Encode(uint8_t c) {
    const uint32_t i = Find(c);
    if (i < 2)
      Near(i);
    else
      ToFront(i);
    return i;
  }
  uint8_t Decode(uint32_t i) {
    if (i < 2) return Near(i);
    const uint8_t c = m_List[i];
    ToFront(i);
    return c;
  }
  uint8_t Front() const { return m_List[0]; }
  // Values 0 and 1 without branches: the byte they name, swapping the first two where due.
  uint8_t Near(uint32_t i) {
    const uint8_t a = m_List[0], b = m_List[1];
    const bool swap = i == 1 && m_Prev != 0;
    m_List[0] = swap ? b : a;
    m_List[1] = swap ? a : b;
    m_Prev = i;
    return i ? b : a;
  }
  // Values of 2 or more: entry i moves to the front.
  void ToFront(uint32_t i) {
    const uint8_t c = m_List[i];
    // Entries [0, i) move up one place: 16 at a time from the top down (each load comes before
    // the store that overlaps it), then what is left below 16 within one vector.
    uint32_t p = i;
    while (p >= 16) {
      p -= 16;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(m_List + p + 1),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_List + p)));
    }
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_List));
    const __m128i moves = _mm_cmplt_epi8(kLanes(), _mm_set1_epi8(static_cast<char>(p + 1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(m_List),
                     _mm_or_si128(_mm_and_si128(moves, _mm_slli_si128(v, 1)), _mm_andnot_si128(moves, v)));
    m_List[0] = c;
    m_Prev = i;
  }

 private:
  static __m128i kLanes() { return _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }

  uint32_t Find(uint8_t c) const {
    if (m_List[0] == c) return 0;
    const __m128i key = _mm_set1_epi8(static_cast<char>(c));
    for (uint32_t i = 0;; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_List + i));
      const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, key));
      if (mask) return i + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }

  uint8_t m_List[256];
  uint32_t m_Prev = 0;
};
