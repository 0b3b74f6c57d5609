// The inside of the CRC-32 (crc.h): the tables every path shares, and the two ways through them.
#pragma once

#include <cstddef>
#include <cstdint>

// Everything one polynomial needs: table k advances a byte through k further zero bytes, so
// sixteen input bytes fold into the register per step; fold[i] carries 128-bit lanes forward by
// 128 * (i + 1) bits (low half x^n mod P, high half x^(n+64) mod P) for the carry-less path.
struct SCrcTables {
  uint32_t poly = 0;
  uint32_t t[16][256] = {};
  uint64_t fold[4][2] = {};
};

// The tables of poly: the usual polynomial's are built at compile time; any other is built once
// per thread and kept until that thread asks for yet another.
const SCrcTables& xCrcTablesFor(uint32_t poly);

// The portable path, sixteen bytes a step through the tables.
uint32_t xCrcUpdateSliced(const SCrcTables& c, uint32_t reg, const uint8_t* p, size_t len);

// The carry-less multiplication path: folds whole 16-byte blocks from the front of p into *reg
// and returns how many bytes it took (0 when the processor lacks the instructions or len is
// short); the caller runs the rest through the tables.
size_t xCrcFoldBlocks(const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len);

// Whether this processor takes the carry-less path.
bool xCrcCanFold();

// The same register update as xCRCUpdate, through the tables only; for comparing the two paths.
uint32_t xCRCUpdateSliced(uint32_t reg, const void* data, size_t len, uint32_t poly);
