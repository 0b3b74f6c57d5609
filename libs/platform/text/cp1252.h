// Windows-1252, the system's one text encoding, against the UTF-8 of the desktop (window titles,
// the clipboard, typed text). Conversions happen only at that edge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Every byte has a code point: the five bytes the code page leaves open (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the control characters of the same number, as Windows maps them.
uint32_t PlatformCp1252ToUnicode(uint8_t byte);
// The byte of a code point, or -1 when the code page has none.
int32_t PlatformUnicodeToCp1252(uint32_t codePoint);

std::string PlatformUtf8FromCp1252(const char* text, size_t length);
std::string PlatformUtf8FromCp1252(const char* text);
// Characters outside the code page and malformed sequences are dropped; so is U+0000, which would
// end the text early on our side.
std::string PlatformCp1252FromUtf8(const char* text, size_t length);
std::string PlatformCp1252FromUtf8(const char* text);
