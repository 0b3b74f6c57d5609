// BMP files arrive with downloads. Decodes the input as a file image, under the loader's own
// pixel limit.
#include <cstddef>
#include <cstdint>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bmppic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CBMPPic type;
  CBitmap b;
  if (type.LoadMemory(data, static_cast<uint32_t>(size), &b, nullptr)) {
    if (b.m_Width <= 0 || b.m_Height <= 0 || b.m_Pitch < b.m_Width * b.m_BytesPerPixel)
      __builtin_trap();
    // Every pixel of the result can be read.
    TRGBA c;
    b.GetPixel(b.m_Width - 1, b.m_Height - 1, &c);
  }
  return 0;
}
