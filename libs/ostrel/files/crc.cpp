#include "ostrel/files/crc.h"

namespace {
// Eight tables: table k advances a byte through k further zero bytes, so eight input bytes
// fold into the register per step. Rebuilt whenever another polynomial is asked for.
struct SCrcTables {
  uint32_t poly = 0;
  bool built = false;
  uint32_t t[8][256];
};

SCrcTables g_Crc;

const SCrcTables& TablesFor(uint32_t poly) {
  if (!g_Crc.built || g_Crc.poly != poly) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int b = 0; b < 8; ++b) r = (r & 0x80000000u) ? (r << 1) ^ poly : r << 1;
      g_Crc.t[0][i] = r;
    }
    for (int k = 1; k < 8; ++k)
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
  for (; len >= 8; len -= 8, p += 8) {
    uint32_t x = reg ^ LoadBE(p);
    uint32_t y = LoadBE(p + 4);
    reg = c.t[7][x >> 24] ^ c.t[6][(x >> 16) & 0xFF] ^ c.t[5][(x >> 8) & 0xFF] ^ c.t[4][x & 0xFF] ^
          c.t[3][y >> 24] ^ c.t[2][(y >> 16) & 0xFF] ^ c.t[1][(y >> 8) & 0xFF] ^ c.t[0][y & 0xFF];
  }
  for (; len; --len, ++p) reg = (reg << 8) ^ c.t[0][(reg >> 24) ^ *p];
  return reg;
}

int32_t xCalcCRC(const void* data, uint32_t len, uint32_t* crc, uint32_t poly) {
  if (!crc || (!data && len)) return 0;
  *crc = len ? ~xCRCUpdate(0xFFFFFFFFu, data, len, poly) : 0;
  return 1;
}
