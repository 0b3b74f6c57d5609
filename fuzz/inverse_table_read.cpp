// The ".tab" cache of the inverse colour table lies beside the palette and may be damaged or
// stale. Offers the input as the cache file of a fixed palette: whatever it holds, the table in
// use must be the palette's.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/graphics/inversetable.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/system/globals.h"

namespace {
// Entry i is (i * 37, i * 11, i * 73), each modulo 256; the seeds' good table is made for it.
struct SFixture {
  SFixture() {
    glb = new SGlobals(0);
    for (int i = 0; i < PALETTE_SIZE; ++i) {
      const TRGBA c(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11), static_cast<uint8_t>(i * 73));
      palette.SetIndex(&c, i);
    }
    base = (std::filesystem::temp_directory_path() / ("fuzz-itab-" + std::to_string(getpid()))).string();
    palette.SetName(base.c_str());
    xComputeInverseTable(palette, good);
  }
  CPalette palette;
  std::string base;
  uint8_t good[INVERSE_TABLE_SIZE];
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SFixture fx;
  {
    std::ofstream f(fx.base + ".tab", std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const uint8_t* table = nullptr;
  xGetInverseTable(&fx.palette, &table);
  if (!table) __builtin_trap();
  // A file that passed the checks is used as it is; all others are made again.
  const bool taken = size == INVERSE_TABLE_SIZE && std::equal(table, table + size, data);
  for (int i = 0; i < INVERSE_TABLE_SIZE; ++i)
    if (table[i] >= 255 || (!taken && table[i] != fx.good[i])) __builtin_trap();
  xDiscardInverseTable();
  return 0;
}
