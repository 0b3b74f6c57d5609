#include "ostrel/base/money.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "ostrel/base/cstring.h"
#include "ostrel/system/debug.h"

namespace {

// Digits here are plain arrays of n values 0-9, most significant first.

int CompareMagnitude(const uint8_t* a, const uint8_t* b, int n) {
  for (int k = 0; k < n; ++k)
    if (a[k] != b[k]) return a[k] < b[k] ? -1 : 1;
  return 0;
}

// r = a + b; returns the carry out of the top digit.
int AddMagnitude(uint8_t* r, const uint8_t* a, const uint8_t* b, int n) {
  int carry = 0;
  for (int k = n - 1; k >= 0; --k) {
    int s = a[k] + b[k] + carry;
    carry = s >= 10;
    r[k] = static_cast<uint8_t>(carry ? s - 10 : s);
  }
  return carry;
}

// r = a - b, a >= b.
void SubtractMagnitude(uint8_t* r, const uint8_t* a, const uint8_t* b, int n) {
  int borrow = 0;
  for (int k = n - 1; k >= 0; --k) {
    int s = a[k] - b[k] - borrow;
    borrow = s < 0;
    r[k] = static_cast<uint8_t>(borrow ? s + 10 : s);
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bounded writer for Print: remembers when the text did not fit.
struct TTextOut {
  char* buffer;
  size_t size;
  size_t pos = 0;
  bool full = false;
  void Put(char c) {
    if (pos + 1 < size) buffer[pos++] = c;
    else full = true;
  }
};

// No display or record needs a wider field; GetString refuses wider ones.
constexpr int32_t kMaxPrintWidth = 4096;

}  // namespace

template <int I, int D>
void CHugeFixedPoint<I, D>::Clear() {
  memset(m_Digits, 0, sizeof m_Digits);
  m_Sign = 0;
}

template <int I, int D>
bool CHugeFixedPoint<I, D>::IsZero() const {
  for (uint8_t d : m_Digits)
    if (d) return false;
  return true;
}

template <int I, int D>
CHugeFixedPoint<I, D>& CHugeFixedPoint<I, D>::operator=(const char* text) {
  m_Error = 0;
  if (!Translate(text, *this)) m_Error = 1;
  return *this;
}

// Blanks and tabs may lead; "-" is the only sign; at most I integer digits (leading zeros
// beyond them are allowed) and at most D decimals that count: further decimals are cut, but must
// still be digits. A text without any digit ("", "-", ".", "-.") is no number.
template <int I, int D>
int32_t CHugeFixedPoint<I, D>::Translate(const char* text, CHugeFixedPoint& value) {
  value.Clear();
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  if (!*p) return 0;

  uint8_t digits[I + D] = {};
  bool anyDigit = false;
  auto invalid = [](char c) {
    xprintf("CRITICAL ERROR: CHugeFixedPoint::Translate(): szBuf contains invalid characters "
              "(ASCII '%u')!",
              static_cast<unsigned>(static_cast<unsigned char>(c)));
    return 0;
  };

  const char* dot = strchr(p, '.');
  if (dot) {
    for (const char* q = dot + 1; *q; ++q) {
      if (!IsDigit(*q)) return invalid(*q);
      if (q - (dot + 1) < D) digits[I + (q - (dot + 1))] = static_cast<uint8_t>(*q - '0');
      anyDigit = true;
    }
  }

  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  const char* end = dot ? dot : p + strlen(p);
  for (const char* q = p; q < end; ++q)
    if (!IsDigit(*q)) return invalid(*q);
  for (const char* q = p; q < end; ++q) {
    ptrdiff_t place = I - (end - q);  // the last character lands on the units place
    if (place >= 0) digits[place] = static_cast<uint8_t>(*q - '0');
    else if (*q != '0') {
      xprintf("CRITICAL ERROR: CHugeFixedPoint::Translate(): szBuf has more than %d integer "
                "digits!",
                I);
      return 0;
    }
    anyDigit = true;
  }
  if (!anyDigit) {
    xprintf("CRITICAL ERROR: CHugeFixedPoint::Translate(): szBuf holds no digits!");
    return 0;
  }

  memcpy(value.m_Digits, digits, sizeof digits);
  value.m_Sign = negative && !value.IsZero() ? HFP_NEGATIVE : 0;
  return 1;
}

template <int I, int D>
void CHugeFixedPoint<I, D>::FromLong(int32_t value) {
  Clear();
  // 64 bits: the magnitude of the most negative long has no 32-bit form.
  int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
  for (int k = I - 1; k >= 0 && magnitude; --k) {
    m_Digits[k] = static_cast<uint8_t>(magnitude % 10);
    magnitude /= 10;
  }
  m_Sign = value < 0 ? HFP_NEGATIVE : 0;
}

// The double's fixed text with eleven decimals, always in the C locale's form, read back.
template <int I, int D>
int32_t CHugeFixedPoint<I, D>::FromDouble(double value) {
  Clear();
  if (!std::isfinite(value)) {
    xprintf("CHugeFixedPoint::FromDouble(): not a finite number");
    return 0;
  }
  char text[400];  // a double's widest %.11f text is about 325 characters
  auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 11);
  if (ec != std::errc()) return 0;
  *end = 0;
  return Translate(text, *this);
}

// Natural width (intWidth < 0) prints the integer digits from the first non-zero one. A given
// width visits the last intWidth integer places (all of them, after intWidth - I blanks of
// padding, when it is I or more), and leading zero places become blanks. The sign goes in front
// of the first printed digit. decWidth < 0 means D decimals; decimals are cut, never rounded.
template <int I, int D>
int32_t CHugeFixedPoint<I, D>::Print(const CHugeFixedPoint& value, char* buffer, size_t size,
                                     int32_t intWidth, int32_t decWidth) {
  if (!buffer || !size) return 0;
  if (decWidth < 0 || decWidth > D) decWidth = D;
  bool negative = value.IsNegative();
  bool complete = true;
  TTextOut out{buffer, size};

  if (intWidth > I)
    for (int64_t k = int64_t(intWidth) - I - (negative ? 1 : 0); k > 0; --k) out.Put(' ');
  int first = intWidth < 0 || intWidth >= I ? 0 : I - intWidth;
  for (int k = 0; k < first; ++k)
    if (value.m_Digits[k]) complete = false;
  bool started = false;
  for (int k = first; k < I; ++k) {
    uint8_t d = value.m_Digits[k];
    if (!started && !d) {
      if (intWidth >= 0) out.Put(' ');
      continue;
    }
    if (!started && negative) out.Put('-');
    started = true;
    out.Put(static_cast<char>('0' + d));
  }
  if (!started) {
    if (negative) out.Put('-');
    out.Put('0');
  }
  if (decWidth > 0) {
    out.Put('.');
    for (int k = 0; k < decWidth; ++k) out.Put(static_cast<char>('0' + value.m_Digits[I + k]));
  }
  if (out.full) {
    buffer[0] = 0;
    return 0;
  }
  buffer[out.pos] = 0;
  return complete ? 1 : 0;
}

template <int I, int D>
size_t CHugeFixedPoint<I, D>::PrintSize(int32_t intWidth, int32_t decWidth) {
  if (decWidth < 0 || decWidth > D) decWidth = D;
  // Padding and visited places together take intWidth; 2 for the sign and a lone '0'; the point,
  // the decimals and the terminator.
  size_t places = intWidth < 0 ? size_t(I) : size_t(intWidth);
  return places + 2 + (decWidth > 0 ? 1 + size_t(decWidth) : 0) + 1;
}

template <int I, int D>
CString CHugeFixedPoint<I, D>::GetString(int32_t intWidth, int32_t decWidth) const {
  if (intWidth > kMaxPrintWidth) return CString();
  char text[kMaxPrintWidth + D + 8];
  Print(*this, text, intWidth, decWidth);
  return CString(text);
}

template <int I, int D>
void CHugeFixedPoint<I, D>::Add(CHugeFixedPoint& a, const CHugeFixedPoint& b) {
  bool negA = a.IsNegative(), negB = b.IsNegative();
  bool overflow = false;
  if (negA == negB) {
    overflow = AddMagnitude(a.m_Digits, a.m_Digits, b.m_Digits, I + D) != 0;
  } else if (CompareMagnitude(a.m_Digits, b.m_Digits, I + D) >= 0) {
    SubtractMagnitude(a.m_Digits, a.m_Digits, b.m_Digits, I + D);
  } else {
    SubtractMagnitude(a.m_Digits, b.m_Digits, a.m_Digits, I + D);
    negA = negB;
  }
  a.m_Sign = negA && !a.IsZero() ? HFP_NEGATIVE : 0;
  if (b.m_Error || overflow) a.m_Error = 1;
}

// Schoolbook product of the two magnitudes, every place kept (no carry is lost in a partial
// row); then the places 10^(I-1) down to 10^-D are taken: lower places are cut (truncation toward
// zero), any non-zero higher place is an overflow.
template <int I, int D>
void CHugeFixedPoint<I, D>::Multiply(CHugeFixedPoint& a, const CHugeFixedPoint& b) {
  constexpr int N = I + D;
  uint32_t column[2 * N] = {};  // column[k]: place k counted from the most significant
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) column[i + j + 1] += uint32_t(a.m_Digits[i]) * b.m_Digits[j];
  uint8_t product[2 * N];
  uint32_t carry = 0;
  for (int k = 2 * N - 1; k >= 0; --k) {
    uint32_t s = column[k] + carry;
    product[k] = static_cast<uint8_t>(s % 10);
    carry = s / 10;
  }
  // product[2N-1] is the 10^-2D place; the kept places are product[I .. I + N - 1].
  bool overflow = false;
  for (int k = 0; k < I; ++k)
    if (product[k]) overflow = true;
  bool negative = a.IsNegative() != b.IsNegative();
  memcpy(a.m_Digits, product + I, N);
  a.m_Sign = negative && !a.IsZero() ? HFP_NEGATIVE : 0;
  if (b.m_Error || overflow) a.m_Error = 1;
}

template <int I, int D>
int CHugeFixedPoint<I, D>::Compare(const CHugeFixedPoint& a, const CHugeFixedPoint& b) {
  bool negA = a.IsNegative(), negB = b.IsNegative();
  if (negA != negB) return negA ? -1 : 1;
  int c = CompareMagnitude(a.m_Digits, b.m_Digits, I + D);
  return negA ? -c : c;
}

template <int I, int D>
CHugeFixedPoint<I, D> CHugeFixedPoint<I, D>::operator-() const {
  CHugeFixedPoint r(*this);
  r.m_Sign = IsNegative() || IsZero() ? 0 : HFP_NEGATIVE;
  return r;
}

template <int I, int D>
CHugeFixedPoint<I, D>& CHugeFixedPoint<I, D>::operator*=(double b) {
  CHugeFixedPoint factor;
  if (!factor.FromDouble(b)) factor.m_Error = 1;
  Multiply(*this, factor);
  return *this;
}

template <int I, int D>
CHugeFixedPoint<I, D>& CHugeFixedPoint<I, D>::operator/=(double b) {
  char text[I + D + 8];
  Print(*this, text, -1, -1);
  double dividend = 0;
  std::from_chars(text, text + strlen(text), dividend);
  int32_t flagged = m_Error;
  m_Error = FromDouble(dividend / b) ? flagged : 1;
  return *this;
}

template class CHugeFixedPoint<10, 10>;

CString& CString::operator<<(const CHugeFixedPoint<10, 10>& v) { return *this += v.GetString(-1, -1); }

CString& CString::operator>>(CHugeFixedPoint<10, 10>& v) {
  v.m_Error = CHugeFixedPoint<10, 10>::Translate(m_pText, v) ? 0 : 1;
  return *this;
}
