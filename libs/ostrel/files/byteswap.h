// Byte reversal of numeric fields, in place.
#pragma once

#include <cstdint>
#include <cstring>

inline void XUWORD_SwapBytes(uint16_t* v) { *v = __builtin_bswap16(*v); }
inline void XULONG_SwapBytes(uint32_t* v) { *v = __builtin_bswap32(*v); }

inline void XFLOAT_SwapBytes(float* v) {
  uint32_t u;
  std::memcpy(&u, v, 4);
  u = __builtin_bswap32(u);
  std::memcpy(v, &u, 4);
}

inline void XDOUBLE_SwapBytes(double* v) {
  uint64_t u;
  std::memcpy(&u, v, 8);
  u = __builtin_bswap64(u);
  std::memcpy(v, &u, 8);
}
