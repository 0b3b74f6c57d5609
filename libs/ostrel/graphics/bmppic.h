// Windows bitmap files: the 40-byte information header, 8 (palette, plain or run-length), 16, 24
// and 32 bits, rows bottom-up. 16-bit files keep their 5-5-5 words; 32-bit files become 24-bit.
#pragma once

#include "ostrel/graphics/pictype.h"

class CBMPPic : public CPicType {
 public:
  using CPicType::Load;
  int32_t Load(CBitmapBase* bitmap, void* data) override;
  int32_t IsType(const char* name, const char* extension) override;
  int32_t GetDesc(const char** extension, const char** description) override;

 private:
  int32_t ReadPalette(CBitmapBase* bitmap, uint32_t colours);
  int32_t ReadPlain(CBitmapBase* bitmap, int32_t fileBytesPerPixel);
  int32_t ReadRLE8(CBitmapBase* bitmap);
};
