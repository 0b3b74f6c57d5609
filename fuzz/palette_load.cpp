// ".pal" palettes are read from the install folder and from downloaded packages. Loads the input
// as a palette file and searches it.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/graphics/palette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz-pal-" + std::to_string(getpid()))).string();
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CPalette p;
  p.Load(path.c_str());
  if (size > 0) {
    p.m_FirstIndex = data[0];
    p.m_LastIndex = data[size - 1];
  }
  const TRGBA c(size > 1 ? data[1] : 0, size > 2 ? data[2] : 0, 77);
  const int32_t m = p.FindMatch(&c), s = p.FindSecondBest(&c);
  if (m < 0 || m > 255 || s < 0 || s > 255) __builtin_trap();
  return 0;
}
