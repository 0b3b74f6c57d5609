// Base64 from outside: Decode must stay within its input and output, and what it decodes must
// encode and decode again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ostrel/base/types.h"
#include "ostrel/compression/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  char* out = nullptr;
  int32_t len = 0;
  if (CBase64::Decode(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), out, len)) {
    if (out || len) abort();
    return 0;
  }
  if (out[len] != 0) abort();
  char* text = nullptr;
  int32_t textLen = 0;
  if (!CBase64::Encode(out, len, text, textLen, static_cast<int32_t>(size & 1))) abort();
  char* again = nullptr;
  int32_t againLen = 0;
  if (CBase64::Decode(text, textLen, again, againLen) || againLen != len ||
      memcmp(again, out, len) != 0)
    abort();
  xFree(again);
  xFree(text);
  xFree(out);
  return 0;
}
