// Texts into fixed record fields: always zero-ended, cut to the field, never read past it.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Copies at most size - 1 bytes of text (a null text gives an empty field) and ends the field.
void StovaCopyField(char* field, size_t size, std::string_view text);
inline void StovaCopyField(char* field, size_t size, const char* text) {
  StovaCopyField(field, size, text ? std::string_view(text, strnlen(text, size)) : std::string_view());
}
template <size_t N>
void StovaCopyField(char (&field)[N], const char* text) {
  StovaCopyField(field, N, text);
}
template <size_t N>
void StovaCopyField(char (&field)[N], std::string_view text) {
  StovaCopyField(field, N, text);
}

// The text of a field that a caller filled, up to its zero or its last byte, whichever comes
// first, and at most size - 1 bytes (the width the database keeps).
template <size_t N>
std::string_view StovaFieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N - 1));
}

// A caller's text argument cut to a width of size - 1 bytes; null stays null.
std::string_view StovaCutText(const char* text, size_t size);
