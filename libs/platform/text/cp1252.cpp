#include "platform/text/cp1252.h"

#include <cstring>

namespace {
// 0x80-0x9F; the rest of the code page is Latin-1.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one well-formed sequence at text[i] (no overlongs, no surrogates, at most U+10FFFF);
// returns its length, or 0 for a malformed one (the caller skips one byte).
size_t DecodeUtf8(const uint8_t* s, size_t n, uint32_t& cp) {
  const uint8_t b0 = s[0];
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  uint32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
    min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
    min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}
}  // namespace

uint32_t PlatformCp1252ToUnicode(uint8_t byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
}

int32_t PlatformUnicodeToCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int32_t>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return 0x80 + i;
  }
  return -1;
}

std::string PlatformUtf8FromCp1252(const char* text, size_t length) {
  std::string out;
  if (!text) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) AppendUtf8(out, PlatformCp1252ToUnicode(static_cast<uint8_t>(text[i])));
  return out;
}

std::string PlatformUtf8FromCp1252(const char* text) {
  return PlatformUtf8FromCp1252(text, text ? std::strlen(text) : 0);
}

std::string PlatformCp1252FromUtf8(const char* text, size_t length) {
  std::string out;
  if (!text) return out;
  const auto* s = reinterpret_cast<const uint8_t*>(text);
  size_t i = 0;
  while (i < length) {
    uint32_t cp = 0;
    const size_t len = DecodeUtf8(s + i, length - i, cp);
    if (len == 0) {
      ++i;
      continue;
    }
    i += len;
    const int32_t b = PlatformUnicodeToCp1252(cp);
    if (b > 0) out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string PlatformCp1252FromUtf8(const char* text) {
  return PlatformCp1252FromUtf8(text, text ? std::strlen(text) : 0);
}
