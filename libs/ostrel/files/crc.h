// The system's CRC-32: CRC-32/BZIP2 with a caller-given polynomial (every caller passes
// 0x04C11DB7): most significant bit first, register starts at 0xFFFFFFFF, result complemented.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t XCRC_POLY = 0x04C11DB7u;

// Stores the CRC of len bytes in *crc (0 for an empty input); 1, or 0 for a null pointer.
int32_t xCalcCRC(const void* data, uint32_t len, uint32_t* crc, uint32_t poly);

// Runs bytes through the register as it stands (no start value, no complement), so long inputs
// can go piece by piece: crc = ~xCRCUpdate(...xCRCUpdate(0xFFFFFFFF, a)..., b).
uint32_t xCRCUpdate(uint32_t reg, const void* data, size_t len, uint32_t poly);
