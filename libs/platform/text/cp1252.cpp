#include "platform/text/cp1252.h"

#include <cstdint>

namespace {
// Code points of 0x80-0x9F; 0 where Windows-1252 leaves the byte undefined.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePoint(unsigned char c) {
  if (c < 0x80 || c >= 0xA0) return c;
  return kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ToCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}
}  // namespace

std::string PlatformCp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) AppendUtf8(out, CodePoint(c));
  return out;
}

std::string PlatformUtf8ToCp1252(const std::string& text) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || end - p <= extra) {
      out += '?';
      ++p;
      continue;
    }
    uint32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
    bool ok = true;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kSmallest[extra]) {  // overlong forms hide characters such as NUL
      out += '?';
      ++p;
      continue;
    }
    out += ToCp1252(cp);
    p += extra + 1;
  }
  return out;
}
