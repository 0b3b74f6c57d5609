// Base64 with the standard alphabet of RFC 2045 and "=" padding, optionally broken into lines.
#pragma once

#include <cstdint>

class CBase64 {
 public:
  // out becomes a new zero-ended text (free it with xFree), outLen its length. With lineBreaks
  // non-zero, CR LF follows every 76 characters and the last group. Returns 1, or 0 with out null
  // for a negative length, a null input or a text that would not fit.
  static int32_t Encode(const void* in, int32_t len, char*& out, int32_t& outLen,
                        int32_t lineBreaks);
  // Skips CR, LF, blanks and tabs; "=" ends the data. out becomes a new block of the decoded
  // bytes followed by a zero byte (free it with xFree), outLen the count of decoded bytes.
  // Returns 0 on success and 1 on an error (a character outside the alphabet, a group of a
  // single character, a negative length), with out null and outLen 0.
  static int32_t Decode(const char* in, int32_t len, char*& out, int32_t& outLen);
  static int32_t IsBase64(char c);
};
