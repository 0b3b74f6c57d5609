#include <memory>

#include "ostrel/files/crc.h"
#include "ostrel/files/crcengine.h"

namespace {
// x^n mod P: the register after n zero bits, starting from 1.
constexpr uint32_t PowerOfX(uint32_t n, uint32_t poly) {
  uint32_t r = 1;
  for (uint32_t i = 0; i < n; ++i) r = (r & 0x80000000u) ? (r << 1) ^ poly : r << 1;
  return r;
}

constexpr void Build(SCrcTables& c, uint32_t poly) {
  c.poly = poly;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i << 24;
    for (int b = 0; b < 8; ++b) r = (r & 0x80000000u) ? (r << 1) ^ poly : r << 1;
    c.t[0][i] = r;
  }
  for (int k = 1; k < 16; ++k)
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t prev = c.t[k - 1][i];
      c.t[k][i] = (prev << 8) ^ c.t[0][prev >> 24];
    }
  for (uint32_t i = 0; i < 8; ++i) {
    const uint32_t bits = 128 * (i + 1);
    c.fold[i][0] = PowerOfX(bits, poly);
    c.fold[i][1] = PowerOfX(bits + 64, poly);
  }
}

constexpr SCrcTables Built(uint32_t poly) {
  SCrcTables c;
  Build(c, poly);
  return c;
}

constexpr SCrcTables kUsual = Built(XCRC_POLY);
static_assert(kUsual.t[0][1] == XCRC_POLY && kUsual.fold[0][0] == PowerOfX(128, XCRC_POLY));

inline uint32_t LoadBE(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
}  // namespace

const SCrcTables& xCrcTablesFor(uint32_t poly) {
  if (poly == XCRC_POLY) return kUsual;
  thread_local std::unique_ptr<SCrcTables> other;
  if (!other || other->poly != poly) {
    if (!other) other = std::make_unique<SCrcTables>();
    Build(*other, poly);
  }
  return *other;
}

uint32_t xCrcUpdateSliced(const SCrcTables& c, uint32_t reg, const uint8_t* p, size_t len) {
  auto fold = [&c](uint32_t x, int k) {
    return c.t[k + 3][x >> 24] ^ c.t[k + 2][(x >> 16) & 0xFF] ^ c.t[k + 1][(x >> 8) & 0xFF] ^ c.t[k][x & 0xFF];
  };
  for (; len >= 16; len -= 16, p += 16)
    reg = fold(reg ^ LoadBE(p), 12) ^ fold(LoadBE(p + 4), 8) ^ fold(LoadBE(p + 8), 4) ^ fold(LoadBE(p + 12), 0);
  for (; len; --len, ++p) reg = (reg << 8) ^ c.t[0][(reg >> 24) ^ *p];
  return reg;
}
