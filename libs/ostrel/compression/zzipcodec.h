// ZZipBlockCodec: packs a whole memory block (up to 20 MiB) in place. A packed block, integers
// little-endian:
//    0  4  unpacked length n
//    4  4  check value of the unpacked data
//    8  2  flags: bit 15 stored; the others name the filters applied before sorting
//   stored:  10  4  length L (= n), then the L bytes
//   coded:   10  4  m, the length of the sorted block
//            14  4  k, the number of literals
//            18  4  primary index of the block sort
//            22  1  parameter of the literal models
//            23  4  length A of the coded literal stream, then its A bytes
//            27+A 4 length B of the coded symbol stream, then its B bytes
// A packed block is never more than 32 bytes longer than the data.
#pragma once

#include <cstdint>

#include "ostrel/compression/zzipmemory.h"

inline constexpr uint32_t ZZIP_MAX_BLOCK = 0x1400000;  // 20 MiB
inline constexpr uint32_t ZZIP_EXTRA_BYTES = 32;
inline constexpr uint32_t ZZIP_STORE_UP_TO = 64;

// Last error codes.
inline constexpr int32_t ZZIP_OK = 0;
inline constexpr int32_t ZZIP_ERR_MEMORY = -1;  // no work area to be had
inline constexpr int32_t ZZIP_ERR_CHECK = -2;   // the expanded data are not what was packed
inline constexpr int32_t ZZIP_ERR_ARG = -4;     // no data, too much data, or a malformed block

// Filters chosen by the compressor itself.
inline constexpr int32_t ZZIP_FILTERS_AUTO = -1;

class ZZipBlockCodec {
 public:
  static int32_t LastError();
  // Records an error found by the front end; always 0.
  static int32_t Refuse(int32_t error);
  static void SetMemoryHooks(TZZipAllocFunc alloc, TZZipReallocFunc realloc, TZZipFreeFunc free);

  // The check value: a register from 0xFFFFFFFF takes each byte into its low byte and turns
  // right by 8 bits.
  static uint32_t CheckValue(const uint8_t* data, uint32_t n);

  // Packs block[0..n) in place; block has room for n + ZZIP_EXTRA_BYTES. filters is
  // ZZIP_FILTERS_AUTO or a flags word of filters to apply. 1 with the packed length, or 0.
  static int32_t Compress(uint8_t* block, uint32_t n, uint32_t* packedLen, int32_t filters = ZZIP_FILTERS_AUTO);

  // The unpacked length a packed block announces: its first four bytes.
  static uint32_t UnpackedLength(const uint8_t* block);

  // Expands the packed block[0..len) in place; block has room for room bytes, which the unpacked
  // length must not exceed. Besides the block it takes a little over four bytes per unpacked
  // byte. 1 with the unpacked length, or 0.
  static int32_t Expand(uint8_t* block, uint32_t len, uint32_t room, uint32_t* unpackedLen);
};
