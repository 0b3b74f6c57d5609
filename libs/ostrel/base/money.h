// Money: an exact decimal fixed-point number of I integer and D fraction digits, kept digit by
// digit with a sign byte and an error flag. Every amount of the system is a CHugeFixedPoint<10,10>.
//
// The text forms are shared with peers and stored records, so they never change: natural width
// prints "12.5000000000", "-0.2500000000", "0.0000000000"; decimals are cut, never rounded;
// multiplication truncates toward zero. Doubles become money through their eleven-decimal text.
//
// Failures are visible: a conversion that fails returns 0 and leaves the value zero, and the
// operators set m_Error. The flag travels through arithmetic (the right operand's flag is taken
// over) and is also raised when a result does not fit the I integer digits; the digits then hold
// the wrapped value (the carry out of the top digit is dropped).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/base/cstring.h"

// Sign byte of a negative value; 0 means not negative.
inline constexpr uint8_t HFP_NEGATIVE = 156;

template <int I, int D>
class CHugeFixedPoint {
  static_assert(I >= 1 && D >= 0 && I + D <= 40, "unsupported money layout");

 public:
  static constexpr int kIntDigits = I;
  static constexpr int kDecDigits = D;
  static constexpr int kDigits = I + D;

  // Most significant first: m_Digits[I - 1] is the units place, m_Digits[I] the tenths.
  uint8_t m_Digits[I + D];
  uint8_t m_Sign;   // 0 or HFP_NEGATIVE; a zero is never negative
  int32_t m_Error;  // 0, or 1 after a failed conversion, an overflow or a flagged operand

  CHugeFixedPoint() { Clear(); m_Error = 0; }
  explicit CHugeFixedPoint(int32_t value) { m_Error = 0; FromLong(value); }
  // Error flag 1 when the text is not a number.
  explicit CHugeFixedPoint(const char* text) { *this = text; }
  CHugeFixedPoint(const CHugeFixedPoint&) = default;
  CHugeFixedPoint& operator=(const CHugeFixedPoint&) = default;
  CHugeFixedPoint& operator=(const char* text);

  // Conversions. Translate and FromDouble return 1 on success and 0 on failure, leave the value
  // zero when they fail, and never touch the error flag; FromLong always succeeds.
  static int32_t Translate(const char* text, CHugeFixedPoint& value);
  void FromLong(int32_t value);
  int32_t FromDouble(double value);

  // Writes the value as text (widths -1: natural integer width, D decimals; see money.cpp).
  // Returns 1 when the whole text was written and shows every non-zero integer digit; 0 for a
  // null or too small buffer (an empty text is left when there is room for it) and when a
  // narrow intWidth cut off non-zero high digits (the cut text is still written).
  static int32_t Print(const CHugeFixedPoint& value, char* buffer, size_t size, int32_t intWidth,
                       int32_t decWidth);
  template <size_t N>
  static int32_t Print(const CHugeFixedPoint& value, char (&buffer)[N], int32_t intWidth,
                       int32_t decWidth) {
    return Print(value, buffer, N, intWidth, decWidth);
  }
  // Bytes (terminator included) that always suffice for Print with these widths.
  static size_t PrintSize(int32_t intWidth, int32_t decWidth);
  // The Print text as a string; empty when no working buffer can be had.
  CString GetString(int32_t intWidth = -1, int32_t decWidth = -1) const;

  // a = a + b, a = a * b (exact, product truncated below the last decimal). a's flag becomes 1
  // when b carries the flag or when the result overflows I integer digits.
  static void Add(CHugeFixedPoint& a, const CHugeFixedPoint& b);
  static void Multiply(CHugeFixedPoint& a, const CHugeFixedPoint& b);
  // Signed comparison: -1, 0 or 1.
  static int Compare(const CHugeFixedPoint& a, const CHugeFixedPoint& b);

  bool IsZero() const;
  bool IsNegative() const { return m_Sign == HFP_NEGATIVE && !IsZero(); }
  int32_t GetError() const { return m_Error; }
  void SetError(int32_t error) { m_Error = error ? 1 : 0; }
  // Zero, not negative; the error flag stays.
  void Clear();

  CHugeFixedPoint operator-() const;

  CHugeFixedPoint& operator+=(const CHugeFixedPoint& b) { Add(*this, b); return *this; }
  CHugeFixedPoint& operator-=(const CHugeFixedPoint& b) { Add(*this, -b); return *this; }
  CHugeFixedPoint& operator*=(const CHugeFixedPoint& b) { Multiply(*this, b); return *this; }
  CHugeFixedPoint operator+(const CHugeFixedPoint& b) const { CHugeFixedPoint r(*this); return r += b; }
  CHugeFixedPoint operator-(const CHugeFixedPoint& b) const { CHugeFixedPoint r(*this); return r -= b; }
  CHugeFixedPoint operator*(const CHugeFixedPoint& b) const { CHugeFixedPoint r(*this); return r *= b; }

  CHugeFixedPoint& operator+=(int32_t b) { return *this += CHugeFixedPoint(b); }
  CHugeFixedPoint& operator-=(int32_t b) { return *this -= CHugeFixedPoint(b); }
  CHugeFixedPoint& operator*=(int32_t b) { return *this *= CHugeFixedPoint(b); }
  CHugeFixedPoint operator+(int32_t b) const { CHugeFixedPoint r(*this); return r += b; }
  CHugeFixedPoint operator-(int32_t b) const { CHugeFixedPoint r(*this); return r -= b; }
  CHugeFixedPoint operator*(int32_t b) const { CHugeFixedPoint r(*this); return r *= b; }

  // Through the double's eleven-decimal text; flag 1 when that conversion fails.
  CHugeFixedPoint& operator*=(double b);
  CHugeFixedPoint operator*(double b) const { CHugeFixedPoint r(*this); return r *= b; }
  // Through doubles: the quotient has a double's precision, not the exact decimal one. Division
  // by zero (or by a NaN) sets the flag and leaves zero; a flagged dividend stays flagged.
  CHugeFixedPoint& operator/=(double b);
  CHugeFixedPoint operator/(double b) const { CHugeFixedPoint r(*this); return r /= b; }

  // No silent cut of a double to a long: these have no defined meaning and do not compile.
  CHugeFixedPoint& operator+=(double) = delete;
  CHugeFixedPoint& operator-=(double) = delete;
  CHugeFixedPoint operator+(double) const = delete;
  CHugeFixedPoint operator-(double) const = delete;
  bool operator<(double) const = delete;
  bool operator<=(double) const = delete;
  bool operator>(double) const = delete;
  bool operator>=(double) const = delete;
  bool operator==(double) const = delete;
  bool operator!=(double) const = delete;

  bool operator<(const CHugeFixedPoint& b) const { return Compare(*this, b) < 0; }
  bool operator<=(const CHugeFixedPoint& b) const { return Compare(*this, b) <= 0; }
  bool operator>(const CHugeFixedPoint& b) const { return Compare(*this, b) > 0; }
  bool operator>=(const CHugeFixedPoint& b) const { return Compare(*this, b) >= 0; }
  bool operator==(const CHugeFixedPoint& b) const { return Compare(*this, b) == 0; }
  bool operator!=(const CHugeFixedPoint& b) const { return Compare(*this, b) != 0; }
  bool operator<(int32_t b) const { return *this < CHugeFixedPoint(b); }
  bool operator<=(int32_t b) const { return *this <= CHugeFixedPoint(b); }
  bool operator>(int32_t b) const { return *this > CHugeFixedPoint(b); }
  bool operator>=(int32_t b) const { return *this >= CHugeFixedPoint(b); }
  bool operator==(int32_t b) const { return *this == CHugeFixedPoint(b); }
  bool operator!=(int32_t b) const { return *this != CHugeFixedPoint(b); }
};

extern template class CHugeFixedPoint<10, 10>;
