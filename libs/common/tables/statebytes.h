// The byte forms of the server table's state store, shared by everything that writes into it:
// a long is 4 bytes and a double 8, least significant byte first, whatever the host's order.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline void xStatePutLong(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline uint32_t xStateGetLong(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void xStatePutDouble(std::vector<uint8_t>& out, double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

inline double xStateGetDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
