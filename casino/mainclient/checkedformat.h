// Formats for one value that come from resource scripts or from servers ("Downloading %s").
// Such a format is used only when it holds exactly one conversion of the value's kind ("%%"
// aside) with flags and a width and precision of at most two digits each, and no '*' or length
// modifier; anything else ("%s%s", "%n", "%x" for a text, "%*d", a lone '%') gives way to the
// plain form, so no argument is ever read that the caller did not give.
#pragma once

#include <cstddef>
#include <cstdint>

enum class EValueKind : int32_t {
  Text,      // "%s", flag '-' only; plain "%s"
  Integer,   // d i u o x X; plain "%d"
  Floating,  // f F e E g G a A; plain "%.2f"
};

// 1 when format is one conversion of that kind as above.
int32_t xIsOneValueFormat(const char* format, EValueKind kind);

// Write the value through format, or through the plain form when format does not pass, with
// snprintf into buffer, cut to size bytes with the terminator. 1 when written whole; 0 when cut,
// and for a null buffer or size 0. A null text counts as empty.
int32_t xCheckedFormatText(char* buffer, size_t size, const char* format, const char* text);
int32_t xCheckedFormatInteger(char* buffer, size_t size, const char* format, int32_t value);
int32_t xCheckedFormatFloating(char* buffer, size_t size, const char* format, double value);

template <size_t N>
int32_t xCheckedFormatText(char (&buffer)[N], const char* format, const char* text) {
  return xCheckedFormatText(buffer, N, format, text);
}
template <size_t N>
int32_t xCheckedFormatInteger(char (&buffer)[N], const char* format, int32_t value) {
  return xCheckedFormatInteger(buffer, N, format, value);
}
template <size_t N>
int32_t xCheckedFormatFloating(char (&buffer)[N], const char* format, double value) {
  return xCheckedFormatFloating(buffer, N, format, value);
}
