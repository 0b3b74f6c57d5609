// UU text from outside (play-history records, stored values): UUDecode must stay within the input
// length and the output size whatever the line counts claim.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ostrel/compression/uuencode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  // The first byte picks the output room, so refusals are exercised too.
  int32_t room = data[0] * 4;
  const char* text = reinterpret_cast<const char*>(data + 1);
  int32_t len = static_cast<int32_t>(size - 1);
  std::vector<char> input(text, text + len);  // exactly len bytes: reads beyond are caught
  std::vector<uint8_t> out(room);
  int32_t n = UUDecode(input.data(), out.data(), len, room);
  if (n < -1 || n > room) abort();

  // Encoding the input and decoding it again gives it back.
  std::vector<char> encoded(UUEncodeSize(len));
  int32_t chars = UUEncode(input.data(), encoded.data(), len);
  if (chars != static_cast<int32_t>(encoded.size())) abort();
  std::vector<char> back(len);
  if (UUDecode(encoded.data(), back.data(), chars, len) != len) abort();
  if (len && memcmp(back.data(), input.data(), len) != 0) abort();
  return 0;
}
