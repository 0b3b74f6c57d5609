// Big integers read from outside text: any alphabet, any text, any base must neither crash nor
// lose the value on the way back to text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/crypto/biginteger.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  uint32_t base;
  std::memcpy(&base, data, 4);
  if (data[4] & 1) base = 2 + base % 300;  // small bases overflow soonest
  size_t alphaLen = data[5];
  data += 6;
  size -= 6;
  if (alphaLen > size) alphaLen = size;
  std::string alphabet(reinterpret_cast<const char*>(data), alphaLen);
  std::string text(reinterpret_cast<const char*>(data + alphaLen), size - alphaLen);
  alphabet = alphabet.c_str();  // both end at their first zero byte, as C texts do
  text = text.c_str();

  CBigInteger::CRep rep;
  if (!rep.Init(alphabet.c_str())) return 0;
  CBigInteger v;
  if (!v.Init(base, rep, text.c_str())) return 0;

  // With a repeated character the written text reads back as another value.
  bool distinct = true;
  for (uint32_t i = 0; i < rep.GetBase(); ++i) distinct = distinct && rep.CharToDigit(alphabet[i]) == i;

  char* out = nullptr;
  if (v.Convert(rep, out) && distinct) {
    CBigInteger back;
    if (!back.Init(base, rep, out)) std::abort();
    char* again = nullptr;
    if (!back.Convert(rep, again) || std::strcmp(out, again) != 0) std::abort();
    xFree(again);
  }
  if (out) xFree(out);
  CBigInteger w(v);
  w *= v;
  w += v;
  w += 0xFFFFFFFFu;
  w *= 0xFFFFFFFFu;
  w.BaseShiftL(int32_t(data[0] % 8));
  CBigInteger::CRep decimal;
  decimal.Init("0123456789");
  if (w.Convert(decimal, out)) xFree(out);
  return 0;
}
