// Run-length coder for arrays of unsigned fixed-point fields of w = i + f bits (i integer bits,
// f fraction bits, 1 <= w <= 32). A packed value is a 0 bit and the field, a run of 2 to 16
// equal fields a 1 bit, the run length minus one in 4 bits and the field; longer runs are split.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"

class CRle {
 public:
  CRle() = default;

  // Sets the field layout; 0 (nothing changed) unless 1 <= i + f <= 32 with neither negative.
  int32_t Init(int32_t intBits, int32_t fracBits);

  // Bytes that count fields take unpacked, and that their packed form never exceeds.
  int64_t FieldBytes(int32_t count) const;
  int64_t PackedBytes(int32_t count) const;

  // Packs count fields read from in (FieldBytes(count) bytes) into out (PackedBytes(count)
  // bytes). Returns the number of bytes written, 0 when there is nothing to pack or no layout.
  int32_t Pack(const uint8_t* in, uint8_t* out, int32_t count);
  // Unpacks count fields from the inLen bytes at in into out (FieldBytes(count) bytes). Returns 1
  // when count fields were read, 0 when the input ran out first or there is no layout.
  int32_t Unpack(const uint8_t* in, int32_t inLen, uint8_t* out, int32_t count);

  // Each value times 2^f, cut toward zero, is a field; a value outside 0 to 2^i (exclusive) is
  // refused with result 0. Returns the packed size in bytes as Pack.
  int32_t PackDoubles(const double* values, uint8_t* out, int32_t count);
  // Each field divided by 2^f; 1 when count values were read, else 0 (values then untouched).
  int32_t UnpackDoubles(double* values, const uint8_t* in, int32_t inLen, int32_t count);
  // The same for money: negative, flagged or too large amounts are refused; amounts are cut below
  // 2^-f. Unpacked amounts are exact to the tenth decimal (cut there).
  int32_t PackMoneys(const CHugeFixedPoint<10, 10>* values, uint8_t* out, int32_t count);
  int32_t UnpackMoneys(CHugeFixedPoint<10, 10>* values, const uint8_t* in, int32_t inLen,
                       int32_t count);

  int32_t m_FracBits = 0;
  int32_t m_IntBits = 0;
  int32_t m_Width = 0;

 private:
  // A layout is set and the packed size of count fields fits 31 bits.
  bool Usable(int32_t count) const;
  // Unpacks into fields[]; 1 when count fields were read.
  int32_t UnpackFields(uint32_t* fields, const uint8_t* in, int32_t inLen, int32_t count);
  int32_t PackFields(const uint32_t* fields, uint8_t* out, int32_t count);
};
