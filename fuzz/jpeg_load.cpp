// JPEG files arrive with downloads. Decodes the input as a file image, under the loader's own
// pixel limit and its check that the scan can fill the picture.
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
  CBitmap b;
  if (type->LoadMemory(data, static_cast<uint32_t>(size), &b, nullptr)) {
    if (b.m_BitsPerPixel != 24 || b.m_Pitch < 3 * b.m_Width) __builtin_trap();
  }
  return 0;
}
