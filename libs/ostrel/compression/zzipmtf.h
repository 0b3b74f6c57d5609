// The move-to-front step of the block compressor, in its variant: a value above 1 moves its byte
// to the front; value 1 exchanges the first two entries, but only when the previous value was not
// 0; value 0 changes nothing. The list starts as 0..255 with a previous value of 0.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

class CZZipMtf {
 public:
  CZZipMtf() {
    for (int i = 0; i < 256; ++i) m_List[i] = static_cast<uint8_t>(i);
  }

  uint32_t Encode(uint8_t c) {
    const uint32_t i = Find(c);
    Update(i);
    return i;
  }
  uint8_t Decode(uint32_t i) {
    const uint8_t c = m_List[i];
    Update(i);
    return c;
  }

 private:
  uint32_t Find(uint8_t c) const {
    if (m_List[0] == c) return 0;
    const __m128i key = _mm_set1_epi8(static_cast<char>(c));
    for (uint32_t i = 0;; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_List + i));
      const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, key));
      if (mask) return i + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
  void Update(uint32_t i) {
    if (i >= 2) {
      const uint8_t c = m_List[i];
      std::memmove(m_List + 1, m_List, i);
      m_List[0] = c;
    } else if (i == 1 && m_Prev != 0) {
      const uint8_t c = m_List[1];
      m_List[1] = m_List[0];
      m_List[0] = c;
    }
    m_Prev = i;
  }

  uint8_t m_List[256];
  uint32_t m_Prev = 0;
};
