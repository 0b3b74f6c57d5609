#include "casino/mainclient/checkedformat.h"

#include <cstdio>
#include <cstring>

#include "common/info/translate.h"

namespace {
constexpr int kMaxFieldDigits = 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips at most kMaxFieldDigits digits; false when more follow.
bool SkipField(const char*& p) {
  for (int n = 0; IsDigit(*p); ++p)
    if (++n > kMaxFieldDigits) return false;
  return true;
}

// The flags that each conversion of a kind takes without undefined behaviour.
bool FlagsFit(EValueKind kind, char conversion, const char* flags, size_t count) {
  const char* allowed = "-";
  if (kind == EValueKind::Integer) allowed = strchr("oxX", conversion) ? "-+ 0#" : "-+ 0";
  for (size_t i = 0; i < count; ++i)
    if (!strchr(allowed, flags[i])) return false;
  return true;
}

// One conversion of text or integer kind at p (just past its '%'); p ends on its last character.
bool ScanConversion(const char*& p, EValueKind kind) {
  const char* flags = p;
  while (*p && strchr("-+ #0", *p)) ++p;
  const size_t flagCount = static_cast<size_t>(p - flags);
  if (!SkipField(p)) return false;
  if (*p == '.') {
    ++p;
    if (!SkipField(p)) return false;
  }
  const char* kinds = kind == EValueKind::Text ? "s" : "diuoxX";
  return *p && strchr(kinds, *p) && FlagsFit(kind, *p, flags, flagCount);
}

// The conversion character of the one conversion of that kind in format; 0 when format does not
// pass (floating formats are not scanned here).
char OnlyConversion(const char* format, EValueKind kind) {
  char conversion = 0;
  for (const char* p = strchr(format, '%'); p; p = strchr(p, '%')) {
    ++p;
    if (*p == '%') {
      ++p;
      continue;
    }
    if (conversion || !ScanConversion(p, kind)) return 0;
    conversion = *p++;
  }
  return conversion;
}

int32_t Finish(char* buffer, size_t size, int written) {
  if (written < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(written) < size;
}
}  // namespace

int32_t xIsOneValueFormat(const char* format, EValueKind kind) {
  if (!format) return 0;
  if (kind == EValueKind::Floating) return xIsFloatFormat(format);
  return OnlyConversion(format, kind) != 0;
}

// The format passed the check above, which is what makes these calls sound.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

int32_t xCheckedFormatText(char* buffer, size_t size, const char* format, const char* text) {
  if (!buffer || !size) return 0;
  if (!xIsOneValueFormat(format, EValueKind::Text)) format = "%s";
  return Finish(buffer, size, snprintf(buffer, size, format, text ? text : ""));
}

int32_t xCheckedFormatInteger(char* buffer, size_t size, const char* format, int32_t value) {
  if (!buffer || !size) return 0;
  const char conversion = format ? OnlyConversion(format, EValueKind::Integer) : 0;
  if (!conversion) format = "%d";
  const bool isUnsigned = conversion != 0 && strchr("uoxX", conversion) != nullptr;
  const int written = isUnsigned ? snprintf(buffer, size, format, static_cast<uint32_t>(value))
                                 : snprintf(buffer, size, format, value);
  return Finish(buffer, size, written);
}

int32_t xCheckedFormatFloating(char* buffer, size_t size, const char* format, double value) {
  if (!buffer || !size) return 0;
  if (!xIsOneValueFormat(format, EValueKind::Floating)) format = "%.2f";
  return Finish(buffer, size, snprintf(buffer, size, format, value));
}

#pragma GCC diagnostic pop
