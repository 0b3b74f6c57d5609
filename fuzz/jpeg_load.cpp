// JPEG files arrive with downloads. Decodes the input as a file image. Pictures whose headers
// declare more than 4 million pixels are skipped: their decoding is correct but slow and large.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/jpgpic.h"
#include "ostrel/system/globals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CJPGPic* type = [] {
    glb = new SGlobals(1);
    return new CJPGPic;
  }();
  uint32_t width = 0, height = 0;
  for (size_t i = 0; i + 9 <= size; ++i) {
    if (data[i] != 0xFF) continue;
    if (data[i + 1] == 0xC0) {
      height = std::max<uint32_t>(height, data[i + 5] << 8 | data[i + 6]);
      width = std::max<uint32_t>(width, data[i + 7] << 8 | data[i + 8]);
    } else if (data[i + 1] == 0xDC) {
      height = std::max<uint32_t>(height, data[i + 4] << 8 | data[i + 5]);
    }
  }
  if (static_cast<uint64_t>(width) * height > (1u << 22)) return 0;
  CBitmap b;
  if (type->LoadMemory(data, static_cast<uint32_t>(size), &b, nullptr)) {
    if (b.m_BitsPerPixel != 24 || b.m_Pitch < 3 * b.m_Width) __builtin_trap();
  }
  return 0;
}
