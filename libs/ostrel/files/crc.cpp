#include "ostrel/files/crc.h"

#include "ostrel/files/crcengine.h"

uint32_t xCRCUpdateVia(ECrcPath path, uint32_t reg, const void* data, size_t len, uint32_t poly) {
  const SCrcTables& c = xCrcTablesFor(poly);
  const uint8_t* p = static_cast<const uint8_t*>(data);
  const size_t folded = xCrcFoldBlocks(path, c, &reg, p, len);
  return xCrcUpdateSliced(c, reg, p + folded, len - folded);
}

uint32_t xCRCUpdate(uint32_t reg, const void* data, size_t len, uint32_t poly) {
  static const ECrcPath best = xCrcBestPath();
  return xCRCUpdateVia(best, reg, data, len, poly);
}

int32_t xCalcCRC(const void* data, uint32_t len, uint32_t* crc, uint32_t poly) {
  if (!crc || (!data && len)) return 0;
  *crc = len ? ~xCRCUpdate(0xFFFFFFFFu, data, len, poly) : 0;
  return 1;
}
