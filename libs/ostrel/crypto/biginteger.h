// Unsigned integers of up to 255 digits in any base from 2 up, read from and written to text with
// a digit alphabet of the caller's choice.
#pragma once

#include <cstdint>
#include <string>

class CBigInteger {
 public:
  static constexpr int32_t MAX_DIGITS = 255;

  // A digit alphabet: the character at position d stands for digit d; its base is its length.
  class CRep {
   public:
    CRep();
    virtual ~CRep();

    // Copies the alphabet. 0 for null or fewer than 2 characters (the old alphabet is dropped).
    int Init(const char* alphabet);
    uint32_t GetBase() const { return uint32_t(m_Alphabet.size()); }
    // '0' for a digit outside the alphabet or without one.
    char DigitToChar(uint32_t d) const { return d < m_Alphabet.size() ? m_Alphabet[d] : '0'; }
    // The character's first position; 0 when absent.
    uint32_t CharToDigit(char c) const { return m_Digit[uint8_t(c)]; }
    bool HasChar(char c) const { return m_Member[uint8_t(c)]; }

   private:
    std::string m_Alphabet;
    uint32_t m_Digit[256];
    bool m_Member[256];
  };

  CBigInteger();
  virtual ~CBigInteger();

  // Every operation answers 1 or 0. A failing operation leaves the value as it was (an Init that
  // fails leaves the value zero, or no valid base at all when the base was refused).
  int Init(uint32_t base);
  int Init(uint32_t base, uint32_t value);
  // Text written with rep's alphabet, most significant character first; an empty text is zero. A
  // character outside the alphabet refuses the whole text and leaves the value as it was.
  int Init(uint32_t base, const CRep& rep, const char* text);
  int Init(uint32_t base, const CBigInteger& other);

  // The value in rep's alphabet, most significant digit first, as a new text the caller frees with
  // xFree; zero is the alphabet's first character. text is null after a failure.
  int Convert(const CRep& rep, char*& text) const;

  int operator+=(uint32_t value);
  int operator+=(const CBigInteger& other);
  int operator*=(uint32_t factor);
  int operator*=(const CBigInteger& other);
  // Multiplies by base^n: n zero digits at the bottom.
  int BaseShiftL(int32_t n);

  void Swap(CBigInteger& other);
  uint32_t GetBase() const { return m_Base; }
  int BaseOk() const { return m_Base >= 2; }

 private:
  int AddSmall(uint32_t value);
  int MulSmall(uint32_t factor);
  void Trim();

  uint32_t m_Digit[MAX_DIGITS];  // least significant first, each below the base
  int32_t m_Count;                // digits in use; 0 is the value zero
  uint32_t m_Base;                // 0 until Init
};
