// Baseline sequential JPEG in JFIF files: Huffman coding, 8-bit samples, one or three components,
// restart intervals, the integer inverse DCT and sample replication. Always a 24-bit bitmap with
// blue, green, red in memory. Everything else is refused.
#pragma once

#include <memory>

#include "ostrel/graphics/pictype.h"

class CJPGPic : public CPicType {
 public:
  CJPGPic();
  ~CJPGPic() override;

  using CPicType::Load;
  int32_t Load(CBitmapBase* bitmap, void* data) override;
  int32_t IsType(const char* name, const char* extension) override;
  int32_t GetDesc(const char** extension, const char** description) override;

  struct SState;  // one load's tables, frame and scan (jpgpic.cpp)

 private:
  int32_t Byte(uint32_t* value);
  int32_t Word(uint32_t* value);
  int32_t ReadHeaders();
  int32_t NextMarker(uint8_t* code);
  int32_t SegmentLength(uint32_t* length);
  int32_t ReadJFIF(uint8_t code);
  int32_t ReadTables(uint8_t code, int32_t* done);
  int32_t ReadDQT(uint32_t end);
  int32_t ReadDHT(uint32_t end);
  int32_t ReadFrame();
  int32_t ReadScan();
  int32_t SetUp(CBitmapBase* bitmap);
  int32_t Decode(CBitmapBase* bitmap);

  std::unique_ptr<SState> m_pState;
};
