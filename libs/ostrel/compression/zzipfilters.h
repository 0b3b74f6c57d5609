// Filters that run before the block sort, named by the flags word of a packed block:
//   bit 0      runs: after 7 equal bytes a count byte (0..255) says how many more follow
//   bits 1-3   mode 3: the block is reversed; mode 4: first every 32-bit operand after a byte 0xE8
//              (an x86 call) is turned from relative into absolute form, then the block reversed
// The other filters of the format (text, case escape, record filters, last-byte delta) are not
// built here: the compressor never chooses them and the expander refuses blocks that name them.
#pragma once

#include <cstdint>

inline constexpr uint16_t ZZIP_FLAG_RUNS = 0x0001;
inline constexpr uint16_t ZZIP_FLAG_STORED = 0x8000;
inline constexpr int ZZIP_MODE_SHIFT = 1;
inline constexpr uint16_t ZZIP_MODE_MASK = 0x000E;
inline constexpr uint16_t ZZIP_MODE_REVERSED = 3;
inline constexpr uint16_t ZZIP_MODE_CALLS = 4;
// Every flag the expander understands in a coded block.
inline constexpr uint16_t ZZIP_KNOWN_FLAGS = ZZIP_FLAG_RUNS | ZZIP_MODE_MASK;

// The filters the compressor applies to the block s[0..n).
uint16_t ZZipChooseFilters(const uint8_t* s, uint32_t n);

// The run filter: out needs room for ZZipRunsLength bytes (up to n + n / 7); the filtered length.
uint32_t ZZipRunsEncode(const uint8_t* in, uint32_t n, uint8_t* out);
// Undoes it into exactly outLen bytes; false when the input does not give exactly that many.
bool ZZipRunsDecode(const uint8_t* in, uint32_t n, uint8_t* out, uint32_t outLen);
// The length the run filter would give.
uint32_t ZZipRunsLength(const uint8_t* in, uint32_t n);

// The x86 call operands from relative to absolute form (encode) and back (decode), in place.
void ZZipCallsEncode(uint8_t* s, uint32_t n);
void ZZipCallsDecode(uint8_t* s, uint32_t n);

void ZZipReverse(uint8_t* s, uint32_t n);
// out[i] = in[n - 1 - i]; the two must not overlap.
void ZZipReverseCopy(const uint8_t* in, uint32_t n, uint8_t* out);
