// UU-style line encoding without begin and end lines: each line holds up to 45 bytes as a length
// character (count + 0x20) and groups of four characters (6-bit value + 0x20), then a line feed.
#pragma once

#include <cstdint>

// Characters UUEncode writes for len bytes (no terminator is written).
int64_t UUEncodeSize(int32_t len);
// Encodes len bytes into out, which must hold UUEncodeSize(len) characters. Returns the number of
// characters written, 0 for an empty input, -1 for a negative length or null pointers.
int32_t UUEncode(const void* in, char* out, int32_t len);
// The same into a buffer of outSize characters; -1 (nothing written) when it would not fit.
int32_t UUEncode(const void* in, char* out, int32_t len, int32_t outSize);

// Decodes at most len characters of text line by line until a line with a byte count of 0, an
// empty line, a zero byte or the end. A line ends at LF, CR LF, CR or a zero byte; characters
// missing at its end count as blanks. Returns the number of bytes written to out, or -1 when
// they would exceed outSize (or for a negative length or null pointers).
int32_t UUDecode(const char* in, void* out, int32_t len, int32_t outSize);
