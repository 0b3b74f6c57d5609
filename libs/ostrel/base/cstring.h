// The text type of the money and date classes and of many module callers. The buffer is always
// one byte longer than the text and ends in a zero byte; it is never null.
#pragma once

#include <cstdint>

template <int IntDigits, int FracDigits>
class CHugeFixedPoint;
class BDateTime;

class CString {
 public:
  CString();
  CString(const char* text);  // NOLINT: texts convert implicitly, as callers expect
  // The first length bytes of text, zero bytes included (a piece of a larger text).
  CString(const char* text, uint32_t length);
  CString(const CString& other);
  CString(CString&& other) noexcept;
  virtual ~CString();

  uint32_t Length() const { return m_Length; }
  operator char*() const { return m_pText; }
  char& operator[](uint32_t i) { return m_pText[i]; }
  const char& operator[](uint32_t i) const { return m_pText[i]; }

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  // A null text leaves the string unchanged.
  CString& operator=(const char* text);

  CString operator+(const CString& other) const;
  CString operator+(const char* text) const;
  CString& operator+=(const CString& other);
  CString& operator+=(const char* text);

  CString& operator<<(char c);  // a zero byte appends nothing
  CString& operator<<(const char* text);
  CString& operator<<(const CString& other);
  CString& operator<<(short v);
  CString& operator<<(int v);
  CString& operator<<(unsigned short v);
  CString& operator<<(unsigned int v);
  CString& operator<<(float v);
  CString& operator<<(double v);
  CString& operator<<(const CHugeFixedPoint<10, 10>& v);

  CString& operator>>(int& v);
  CString& operator>>(unsigned long& v);
  CString& operator>>(float& v);
  CString& operator>>(double& v);
  CString& operator>>(CHugeFixedPoint<10, 10>& v);
  CString& operator>>(CString& target);  // appends this text to target
  CString& operator>>(BDateTime& v);     // reads nothing

  bool operator==(const CString& other) const;
  bool operator!=(const CString& other) const { return !(*this == other); }
  bool operator==(const char* text) const;
  bool operator!=(const char* text) const { return !(*this == text); }

  // Formats (printf rules, C locale) and appends the result, whatever its length.
  CString& Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

  static constexpr uint32_t npos = 0xFFFFFFFFu;
  CString substr(uint32_t start, uint32_t count = npos) const;
  // Absolute position of needle at or after start; -1 when none, needle empty or start too far.
  int32_t Find(const char* needle, uint32_t start = 0) const;
  void Replace(const char* from, const char* to);
  int32_t TrimLeft();
  int32_t TrimRight();
  void MakeLower();
  void MakeUpper();

 private:
  void Assign(const char* text, uint32_t length);
  void Append(const char* text, uint32_t length);

  char* m_pText;
  uint32_t m_Length;
};
