#include "common/info/translate.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
constexpr const char* kDefaultPattern = "$%s";
constexpr const char* kDefaultNumberFormat = "%.2f";
constexpr int kMaxFieldDigits = 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips at most kMaxFieldDigits digits; false when more follow.
bool SkipField(const char*& p) {
  int n = 0;
  while (IsDigit(*p)) {
    if (++n > kMaxFieldDigits) return false;
    ++p;
  }
  return true;
}

// The amount through its decimal text, as the amount's own digits say it.
double ToDouble(const CHugeFixedPoint<10, 10>& amount) {
  char text[CHugeFixedPoint<10, 10>::kDigits + 8];
  if (!CHugeFixedPoint<10, 10>::Print(amount, text, -1, -1)) return 0.0;
  double value = 0.0;
  std::from_chars(text, text + strlen(text), value);
  return value;
}
}  // namespace

int32_t xIsCurrencyPattern(const char* pattern) {
  if (!pattern) return 0;
  const char* first = strchr(pattern, '%');
  if (!first || first[1] != 's') return 0;
  return strchr(first + 2, '%') == nullptr;
}

int32_t xIsFloatFormat(const char* format) {
  if (!format) return 0;
  int conversions = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p && strchr("-+ #0", *p)) ++p;
    if (!SkipField(p)) return 0;
    if (*p == '.') {
      ++p;
      if (!SkipField(p)) return 0;
    }
    if (!*p || !strchr("fFeEgGaA", *p)) return 0;
    ++conversions;
  }
  return conversions == 1;
}

int32_t CTranslate::CreateCurrStr(char* buffer, size_t size, const char* numberFormat,
                                  const CHugeFixedPoint<10, 10>& amount) const {
  if (!buffer || !size) return 0;
  const char* pattern = xIsCurrencyPattern(m_pCurrency) ? m_pCurrency : kDefaultPattern;
  const char* format = xIsFloatFormat(numberFormat) ? numberFormat : kDefaultNumberFormat;

  // Ten integer digits at most, a width and a precision of at most 99: well below 128.
  char number[128];
  if (snprintf(number, sizeof number, format, ToDouble(amount)) < 0) number[0] = '\0';

  const char* slot = strstr(pattern, "%s");
  std::string text(buffer, strnlen(buffer, size));
  text.append(pattern, static_cast<size_t>(slot - pattern));
  text += number;
  text += slot + 2;

  const bool whole = text.size() < size;
  const size_t keep = whole ? text.size() : size - 1;
  memcpy(buffer, text.data(), keep);
  buffer[keep] = '\0';
  return whole ? 1 : 0;
}
