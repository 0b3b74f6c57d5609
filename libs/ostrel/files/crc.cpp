#include "ostrel/files/crc.h"

namespace {
// Sixteen tables: table k advances a byte through k further zero bytes, so sixteen input
// bytes fold into the register per step. Rebuilt whenever another polynomial is asked for.
struct SCrcTables {
  uint32_t poly = 0;
  bool built = false;
  uint32_t t[16][256];
};

SCrcTables g_Crc;

const SCrcTables& TablesFor(uint32_t poly) {
  if (!g_Crc.built || g_Crc.poly != poly) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int b = 0; b < 8; ++b) r = (r & 0x80000000u) ? (r << 1) ^ poly : r << 1;
      g_Crc.t[0][i] = r;
    }
    for (int k = 1; k < 16; ++k)
      for (uint32_t i = 0; i < 256; ++i) {
        uint32_t prev = g_Crc.t[k - 1][i];
        g_Crc.t[k][i] = (prev << 8) ^ g_Crc.t[0][prev >> 24];
      }
    g_Crc.poly = poly;
    g_Crc.built = true;
  }
  return g_Crc;
}

inline uint32_t LoadBE(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
}  // namespace

uint32_t xCRCUpdate(uint32_t reg, const void* data, size_t len, uint32_t poly) {
  const SCrcTables& c = TablesFor(poly);
  const uint8_t* p = static_cast<const uint8_t*>(data);
  auto fold = [&c](uint32_t x, int k) {
    return c.t[k + 3][x >> 24] ^ c.t[k + 2][(x >> 16) & 0xFF] ^ c.t[k + 1][(x >> 8) & 0xFF] ^ c.t[k][x & 0xFF];
  };
  for (; len >= 16; len -= 16, p += 16)
    reg = fold(reg ^ LoadBE(p), 12) ^ fold(LoadBE(p + 4), 8) ^ fold(LoadBE(p + 8), 4) ^ fold(LoadBE(p + 12), 0);
  for (; len; --len, ++p) reg = (reg << 8) ^ c.t[0][(reg >> 24) ^ *p];
  return reg;
}

int32_t xCalcCRC(const void* data, uint32_t len, uint32_t* crc, uint32_t poly) {
  if (!crc || (!data && len)) return 0;
  *crc = len ? ~xCRCUpdate(0xFFFFFFFFu, data, len, poly) : 0;
  return 1;
}
