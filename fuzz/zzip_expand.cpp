// Packed blocks arrive inside archives and packed files from servers. The whole input is the
// packed block; whatever expands must pack and expand back to itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ostrel/compression/zzip.h"
#include "ostrel/system/memhooks.h"

namespace {
// Larger blocks only take longer to reach the same code.
constexpr uint32_t kLimit = 1u << 20;

unsigned char* Copy(const uint8_t* data, size_t size) {
  auto* p = static_cast<unsigned char*>(xSysAllocMemFunc(size + 1));
  if (size) std::memcpy(p, data, size);
  return p;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kLimit + 64) return 0;
  static CZZip zz;
  unsigned char* buf = Copy(data, size);
  uint32_t len = static_cast<uint32_t>(size);
  if (zz.ExpandBuffer(&buf, len, kLimit)) {
    const uint32_t unpacked = len;
    unsigned char* again = Copy(buf, len);
    uint32_t packedLen = len;
    if (!zz.CompressBuffer(&again, packedLen, 0, 1) || !zz.ExpandBuffer(&again, packedLen, unpacked) ||
        packedLen != unpacked || (unpacked && std::memcmp(again, buf, unpacked) != 0))
      abort();
    xSysFreeMemFunc(again);
  }
  xSysFreeMemFunc(buf);
  return 0;
}
