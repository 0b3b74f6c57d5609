// Bitmap fonts are described by items of downloaded resource scripts. The input up to its first
// zero byte is the item's values after the picture name; the rest is the text printed with the
// font into a small picture, from a pen position and line spacing taken from its first bytes.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bitmapfont.h"
#include "ostrel/graphics/bmppic.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
// A 48 x 5 picture of twelve 8-bit grey cells 4 wide, the last column of each the key colour.
std::string Picture() {
  const int w = 48, h = 5;
  std::string s(54 + 1024, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  };
  s[0] = 'B';
  s[1] = 'M';
  put32(10, 54 + 1024);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  s[26] = 1;
  s[28] = 8;
  for (int i = 0; i < 256; ++i) s[54 + 4 * i] = s[55 + 4 * i] = s[56 + 4 * i] = static_cast<char>(i);
  for (int i = 0; i < w * h; ++i) s += static_cast<char>(i % w % 4 == 3 ? 0 : 10 * (i % w / 4 + 1));
  return s;
}

std::string Setup() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCreateGlobals();
  new CBMPPic;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz-bitmapfont-" + std::to_string(getpid()) + ".bmp")).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << Picture();
  return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string picture = Setup();
  const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t valuesLength = end ? static_cast<size_t>(end - data) : size;
  const std::string values(reinterpret_cast<const char*>(data), valuesLength);
  const std::string script = "{ = Data\nFont = \"" + picture + "\", " + values + "\n}\n";
  CKCBL kcbl;
  if (!kcbl.Import(script.c_str(), -1)) return 0;
  kcbl.MainChunk();
  CBitmapFont font;
  if (!font.Create("Font", &kcbl, 0)) return 0;

  std::string rest = end ? std::string(reinterpret_cast<const char*>(end + 1), size - valuesLength - 1) : "";
  int32_t numbers[3] = {0, 0, 0};
  const size_t taken = std::min(rest.size(), sizeof numbers);
  std::memcpy(numbers, rest.data(), taken);
  rest.erase(0, taken);
  CBitmap target;
  if (!target.CreateRGB(40, 30, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  font.Print(&target, {numbers[0], numbers[1]}, numbers[2], rest.c_str());
  return 0;
}
