// LZSS streams arrive from servers (packed session data, archive entries). The first two bytes
// choose the room of the output; the rest is the stream.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ostrel/compression/lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t room = (uint32_t{data[0]} << 8 | data[1]) * 4;
  const uint8_t* in = data + 2;
  const uint32_t inLen = static_cast<uint32_t>(size - 2);
  static CLzss lz;

  uint32_t counted = 0;
  const int32_t countOk = lz.ExpandBuffer(in, inLen, nullptr, &counted);
  std::vector<uint8_t> out(room);
  uint32_t len = room;
  const int32_t ok = lz.ExpandBuffer(in, inLen, out.data(), &len);
  // With room or without, the stream is the same: same verdict on its end, same length.
  if (room && (ok != (countOk && counted <= room) || (countOk && len != counted))) abort();
  return 0;
}
