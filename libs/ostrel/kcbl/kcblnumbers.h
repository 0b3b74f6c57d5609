// Numbers of typed items as text, both ways, locale-free and with 32-bit longs.
#pragma once

#include <cstddef>
#include <cstdint>

// Read as scanf's "%ld", "%lu", "%f", "%lf" read: leading white space skipped, an optional sign,
// the number, the rest ignored. 0 when the text does not start with a number. Longs: a number
// whose magnitude needs more than 32 bits fails; one that fits wraps to 32 bits as on the 32-bit
// runtime ("-1" read unsigned is 0xFFFFFFFF, "4294967295" read signed is -1).
int32_t xKCBLParseLong(const char* text, int32_t* value);
int32_t xKCBLParseULong(const char* text, uint32_t* value);
int32_t xKCBLParseFloat(const char* text, float* value);
int32_t xKCBLParseDouble(const char* text, double* value);
// "TRUE", "YES", "1" give 1, "FALSE", "NO", "0" give 0, without regard to case; else 0 is returned.
int32_t xKCBLParseBool(const char* text, int32_t* value);

// Bytes that any double's text needs with up to 10 decimals, NUL included.
inline constexpr size_t KCBL_DOUBLE_TEXT = 400;
// "%.*f" in the C locale; precision -1 means 6. Returns the length.
size_t xKCBLFormatDouble(double value, int32_t precision, char* out);
