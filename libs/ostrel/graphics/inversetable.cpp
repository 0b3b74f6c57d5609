#include "ostrel/graphics/inversetable.h"

#include <string>

#include "ostrel/files/file.h"
#include "ostrel/graphics/blitrows.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/memhooks.h"
#include "platform/files/resolver.h"

namespace {
// Entries checked against the palette when a cache file is read: a prime stride touches every
// region of the colour cube at a few hundred nearest-colour searches.
constexpr int32_t kCheckStride = 61;

TRGBA ColourOf(int32_t entry) {
  return TRGBA(static_cast<uint8_t>((entry >> 10) << 3), static_cast<uint8_t>(((entry >> 5) & 31) << 3),
               static_cast<uint8_t>((entry & 31) << 3));
}

// A table the palette could have made: every index reachable and a spread of entries exact.
bool Plausible(const CPalette& palette, const uint8_t* table) {
  const int32_t first = palette.m_FirstIndex;
  const int32_t last = first < palette.m_LastIndex ? palette.m_LastIndex - 1 : first;
  for (int32_t i = 0; i < INVERSE_TABLE_SIZE; ++i)
    if (table[i] < first || table[i] > last) return false;
  for (int32_t i = 0; i < INVERSE_TABLE_SIZE; i += kCheckStride) {
    const TRGBA c = ColourOf(i);
    if (table[i] != palette.FindMatch(&c)) return false;
  }
  return true;
}

bool ReadCache(const std::string& name, const CPalette& palette, uint8_t* table) {
  CFile file;
  uint32_t size = 0;
  if (!file.Open(name.c_str(), XFILE_READ)) return false;
  if (!file.GetSize(&size) || size != INVERSE_TABLE_SIZE || !file.Read(table, size) ||
      !Plausible(palette, table)) {
    xprintf("xGetInverseTable: cache %s is damaged, making it again", name.c_str());
    return false;
  }
  return true;
}
}  // namespace

void xComputeInverseTable(const CPalette& palette, uint8_t* table) {
  for (int32_t i = 0; i < INVERSE_TABLE_SIZE; ++i) {
    if ((i & 1023) == 0) xCallLoadDataCallback();
    const TRGBA c = ColourOf(i);
    table[i] = static_cast<uint8_t>(palette.FindMatch(&c));
  }
}

int32_t xGetInverseTable(const CPalette* palette, const uint8_t** table) {
  *table = nullptr;
  if (!glb) return 0;
  if (glb->m_pColourMapCache) {
    *table = static_cast<const uint8_t*>(glb->m_pColourMapCache);
    return 1;
  }
  const CPalette& pal = palette ? *palette : xGreyPalette();
  auto* made = static_cast<uint8_t*>(xSysAllocMemFunc(INVERSE_TABLE_SIZE));
  if (!made) return 0;
  const std::string name = std::string(pal.GetName() ? pal.GetName() : "") + ".tab";
  const bool named = name != ".tab";
  int32_t result = 1;
  if (!named || !ReadCache(name, pal, made)) {
    xComputeInverseTable(pal, made);
    if (named && !PlatformWriteFileReplacing(name.c_str(), made, INVERSE_TABLE_SIZE)) {
      xprintf("xGetInverseTable: cannot write %s", name.c_str());
      result = 0;
    }
  }
  glb->m_pColourMapCache = made;
  *table = made;
  return result;
}

void xDiscardInverseTable() {
  if (!glb) return;
  xSysFreeMemFunc(glb->m_pColourMapCache);
  glb->m_pColourMapCache = nullptr;
}

int32_t xBlt16to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t, int32_t, const TPixelBuffer& dst, int32_t dstX,
                  int32_t dstY) {
  SBltRows rows;
  if (!xBltRows(src, srcX, srcY, width, height, 2, dst, dstX, dstY, 1, rows)) return 0;
  const uint8_t* table = nullptr;
  const int32_t result = xGetInverseTable(dst.Palette, &table);
  if (!table) return 0;
  const int32_t w = rows.Width;
  xForEachRow(rows, [w, table](const uint8_t* s8, uint8_t* d) {
    const uint16_t* s = reinterpret_cast<const uint16_t*>(s8);
    for (int32_t x = 0; x < w; ++x) d[x] = table[s[x] & (INVERSE_TABLE_SIZE - 1)];
  });
  return result;
}
