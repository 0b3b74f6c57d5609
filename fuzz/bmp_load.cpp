// BMP files arrive with downloads. Decodes the input as a file image. Pictures whose headers
// declare more than 4 million pixels are skipped: their decoding is correct but slow and large.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bmppic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CBMPPic type;
  if (size >= 26) {
    auto le = [&](size_t at) {
      return static_cast<int32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                  static_cast<uint32_t>(data[at + 3]) << 24);
    };
    if (std::llabs(static_cast<int64_t>(le(18)) * le(22)) > (1 << 22)) return 0;
  }
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
