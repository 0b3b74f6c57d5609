// The inside of the CRC-32 (crc.h): the tables every path shares, and the ways through them.
#pragma once

#include <cstddef>
#include <cstdint>

// Everything one polynomial needs: table k advances a byte through k further zero bytes, so
// sixteen input bytes fold into the register per step; fold[i] carries 128-bit lanes forward by
// n = 128 * (i + 1) bits (low half x^n mod P, high half x^(n+64) mod P) for the carry-less paths.
struct SCrcTables {
  uint32_t poly = 0;
  uint32_t t[16][256] = {};
  uint64_t fold[8][2] = {};
};

// The tables of poly: the usual polynomial's are built at compile time; any other is built once
// per thread and kept until that thread asks for yet another.
const SCrcTables& xCrcTablesFor(uint32_t poly);

// The table path, sixteen bytes a step; every path ends with it.
uint32_t xCrcUpdateSliced(const SCrcTables& c, uint32_t reg, const uint8_t* p, size_t len);

// The tables alone; 16-byte carry-less multiplication (PCLMULQDQ); 32-byte (VPCLMULQDQ).
enum class ECrcPath { Tables, Clmul, WideClmul };

// Whether this processor can take the path.
bool xCrcHasPath(ECrcPath path);

// The fastest path this processor has.
ECrcPath xCrcBestPath();

// Folds whole blocks from the front of p into *reg along the path and returns how many bytes it
// took (0 for the tables, or when len is short); the caller runs the rest through the tables.
size_t xCrcFoldBlocks(ECrcPath path, const SCrcTables& c, uint32_t* reg, const uint8_t* p, size_t len);

// xCRCUpdate along a given path, one the processor has; for comparing the paths.
uint32_t xCRCUpdateVia(ECrcPath path, uint32_t reg, const void* data, size_t len, uint32_t poly);
