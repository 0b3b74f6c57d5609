// Money amounts as the casino writes them: a number format such as "%5.2f" set into the
// casino's currency pattern ("EUR %s", "%s kr"), behind whatever text the buffer already holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/base/money.h"

class CTranslate {
 public:
  CTranslate() = default;

  // Keeps the pointer (not a copy): the pattern must outlive its use. Null sets none.
  void SetCurrency(const char* pattern) { m_pCurrency = pattern; }
  const char* GetCurrency() const { return m_pCurrency; }

  // Appends the amount to the text in buffer (a caller that wants only the amount empties it
  // first), written with numberFormat inside the currency pattern. The buffer's text and the
  // pattern are kept as text. A pattern that does not hold exactly one "%s" and no other '%'
  // counts as none, and none means "$%s"; a number format that is not one floating conversion
  // ("%5.2f", "%.0f", "%+08.3e") is taken as "%.2f". The result is cut to size bytes with its
  // terminator. 1 when it was written whole; 0 when cut, and for a null buffer or size 0.
  int32_t CreateCurrStr(char* buffer, size_t size, const char* numberFormat,
                        const CHugeFixedPoint<10, 10>& amount) const;
  template <size_t N>
  int32_t CreateCurrStr(char (&buffer)[N], const char* numberFormat, const CHugeFixedPoint<10, 10>& amount) const {
    return CreateCurrStr(buffer, N, numberFormat, amount);
  }

 private:
  const char* m_pCurrency = nullptr;
};

// 1 when pattern holds exactly one "%s" and no other '%'.
int32_t xIsCurrencyPattern(const char* pattern);
// 1 when format is exactly one floating conversion of a double ("%%" aside): flags, a width and
// a precision of at most two digits each, no '*' and no length modifier.
int32_t xIsFloatFormat(const char* format);
