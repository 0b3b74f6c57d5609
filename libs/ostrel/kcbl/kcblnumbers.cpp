#include "ostrel/kcbl/kcblnumbers.h"

#include <charconv>
#include <initializer_list>
#include <cstdio>
#include <cstring>

#include "ostrel/base/xstring.h"

namespace {
const char* SkipSpace(const char* s) {
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The wrapped 32-bit value of an optionally signed decimal whose magnitude fits 32 bits.
bool Parse32(const char* s, uint32_t* value) {
  s = SkipSpace(s);
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  if (!IsDigit(*s)) return false;
  uint64_t magnitude = 0;
  for (; IsDigit(*s); ++s) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(*s - '0');
    if (magnitude > 0xFFFFFFFFu) return false;
  }
  const auto u = static_cast<uint32_t>(magnitude);
  *value = negative ? 0u - u : u;
  return true;
}

template <class T>
int32_t ParseFloating(const char* s, T* value) {
  if (!value) return 0;
  s = SkipSpace(s);
  if (*s == '+') {
    ++s;
    if (*s == '+' || *s == '-') return 0;
  }
  T v{};
  const auto r = std::from_chars(s, s + std::strlen(s), v, std::chars_format::general);
  if (r.ec != std::errc()) return 0;
  *value = v;
  return 1;
}
}  // namespace

int32_t xKCBLParseLong(const char* text, int32_t* value) {
  uint32_t u;
  if (!text || !value || !Parse32(text, &u)) return 0;
  *value = static_cast<int32_t>(u);
  return 1;
}

int32_t xKCBLParseULong(const char* text, uint32_t* value) {
  return text && value && Parse32(text, value) ? 1 : 0;
}

int32_t xKCBLParseFloat(const char* text, float* value) { return text ? ParseFloating(text, value) : 0; }
int32_t xKCBLParseDouble(const char* text, double* value) { return text ? ParseFloating(text, value) : 0; }

int32_t xKCBLParseBool(const char* text, int32_t* value) {
  if (!text || !value) return 0;
  for (const char* t : {"TRUE", "YES", "1"})
    if (xStricmp(text, t) == 0) return *value = 1, 1;
  for (const char* t : {"FALSE", "NO", "0"})
    if (xStricmp(text, t) == 0) return *value = 0, 1;
  return 0;
}

size_t xKCBLFormatDouble(double value, int32_t precision, char* out) {
  const int n = std::snprintf(out, KCBL_DOUBLE_TEXT, "%.*f", precision < 0 ? 6 : precision, value);
  return n < 0 ? 0 : static_cast<size_t>(n);
}
