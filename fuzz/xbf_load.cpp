// Font files come with the installed data and with downloaded modules. Loads the input as an XBF
// file, then measures and draws with it in a colour and without.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bmppic.h"
#include "ostrel/graphics/font.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
// The picture-type list lives in the globals; the BMP type registers itself there.
CBMPPic* Setup() {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCreateGlobals();
  return new CBMPPic;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CBMPPic* bmp = Setup();
  (void)bmp;
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz-xbf-" + std::to_string(getpid()))).string();
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CFont font;
  if (!font.Load(path.c_str())) {
    if (font.GetPicture()) __builtin_trap();  // a failed load keeps no picture
    return 0;
  }
  // Every code, a control code taking its amount from the end, and code 255.
  char text[300];
  for (int i = 0; i < 254; ++i) text[i] = static_cast<char>(i + 1);
  std::snprintf(text + 254, sizeof text - 254, "AB CD\n\xff" "EF");
  const int32_t size16 = font.GetTextSize(text, 200, -1, 0);
  CBitmap target;
  if (!target.CreateRGB(120, 60, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  const TRGBA colour(200, 100, 50);
  for (int flags : {0, TEXT_CENTER | TEXT_VCENTER, TEXT_RIGHT | TEXT_SINGLELINE}) {
    font.Text(&target, text, -5, 3, 110, 50, &colour, nullptr, flags);
    font.Text(&target, text, 7, -2, 110, 50, nullptr, nullptr, flags);
  }
  TTextInfo info;
  font.GetLineIndex(text, 100, -1, 2, &info, 0);
  if (font.GetTextSize(text, 200, -1, 0) != size16) __builtin_trap();  // measuring is repeatable
  return 0;
}
