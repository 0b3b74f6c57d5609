#include "ostrel/crypto/biginteger.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

CBigInteger::CRep::CRep() {
  std::memset(m_Digit, 0, sizeof m_Digit);
  std::memset(m_Member, 0, sizeof m_Member);
}

CBigInteger::CRep::~CRep() = default;

int CBigInteger::CRep::Init(const char* alphabet) {
  m_Alphabet.clear();
  std::memset(m_Digit, 0, sizeof m_Digit);
  std::memset(m_Member, 0, sizeof m_Member);
  if (alphabet == nullptr) return 0;
  size_t len = std::strlen(alphabet);
  if (len < 2 || len > 0xFFFFFFFFu) return 0;
  m_Alphabet.assign(alphabet, len);
  // Walk backwards so that a repeated character keeps its first position.
  for (size_t i = len; i-- > 0;) {
    m_Digit[uint8_t(alphabet[i])] = uint32_t(i);
    m_Member[uint8_t(alphabet[i])] = true;
  }
  return 1;
}

CBigInteger::CBigInteger() : m_Count(0), m_Base(0) { std::memset(m_Digit, 0, sizeof m_Digit); }

CBigInteger::~CBigInteger() = default;

void CBigInteger::Trim() {
  while (m_Count > 0 && m_Digit[m_Count - 1] == 0) --m_Count;
}

int CBigInteger::AddSmall(uint32_t value) {
  CBigInteger r(*this);
  uint64_t carry = value;
  for (int32_t i = 0; carry != 0; ++i) {
    if (i == r.m_Count) {
      if (r.m_Count == MAX_DIGITS) return 0;
      r.m_Digit[r.m_Count++] = 0;
    }
    uint64_t t = r.m_Digit[i] + carry;
    r.m_Digit[i] = uint32_t(t % m_Base);
    carry = t / m_Base;
  }
  Swap(r);
  return 1;
}

int CBigInteger::MulSmall(uint32_t factor) {
  // digit * factor + carry stays below base * max(base, factor) < 2^64, so any 32-bit factor
  // works directly, also one at or above the base.
  CBigInteger r(*this);
  uint64_t carry = 0;
  for (int32_t i = 0; i < r.m_Count; ++i) {
    uint64_t t = uint64_t(r.m_Digit[i]) * factor + carry;
    r.m_Digit[i] = uint32_t(t % m_Base);
    carry = t / m_Base;
  }
  while (carry != 0) {
    if (r.m_Count == MAX_DIGITS) return 0;
    r.m_Digit[r.m_Count++] = uint32_t(carry % m_Base);
    carry /= m_Base;
  }
  r.Trim();
  Swap(r);
  return 1;
}

int CBigInteger::Init(uint32_t base) {
  m_Count = 0;
  if (base < 2) {
    m_Base = 0;
    return 0;
  }
  m_Base = base;
  return 1;
}

int CBigInteger::Init(uint32_t base, uint32_t value) {
  if (!Init(base)) return 0;
  if (!AddSmall(value)) return Init(base), 0;
  return 1;
}

int CBigInteger::Init(uint32_t base, const CRep& rep, const char* text) {
  // "12x4;DROP" is not a number: checked before anything changes, so the old value stays.
  if (text != nullptr)
    for (const char* p = text; *p; ++p)
      if (!rep.HasChar(*p)) return 0;
  if (!Init(base)) return 0;
  uint32_t repBase = rep.GetBase();
  if (repBase < 2 || text == nullptr) return 0;
  // Most significant first, so leading zeros cost nothing and never overflow.
  for (const char* p = text; *p; ++p) {
    if (!MulSmall(repBase) || !AddSmall(rep.CharToDigit(*p))) return Init(base), 0;
  }
  return 1;
}

int CBigInteger::Init(uint32_t base, const CBigInteger& other) {
  if (!other.BaseOk() || base < 2) return Init(base), 0;
  if (other.m_Base == base) {
    if (&other != this) *this = other;
    return 1;
  }
  CBigInteger r;
  r.Init(base);
  for (int32_t i = other.m_Count; i-- > 0;) {
    if (!r.MulSmall(other.m_Base) || !r.AddSmall(other.m_Digit[i])) return Init(base), 0;
  }
  Swap(r);
  return 1;
}

int CBigInteger::Convert(const CRep& rep, char*& text) const {
  text = nullptr;
  if (!BaseOk() || rep.GetBase() < 2) return 0;
  CBigInteger v;
  if (!v.Init(rep.GetBase(), *this)) return 0;
  size_t len = v.m_Count > 0 ? size_t(v.m_Count) : 1;
  char* out = static_cast<char*>(::operator new(len + 1, std::nothrow));
  if (out == nullptr) return 0;
  if (v.m_Count == 0) {
    out[0] = rep.DigitToChar(0);
  } else {
    for (int32_t i = 0; i < v.m_Count; ++i) out[i] = rep.DigitToChar(v.m_Digit[v.m_Count - 1 - i]);
  }
  out[len] = 0;
  text = out;
  return 1;
}

int CBigInteger::operator+=(uint32_t value) { return BaseOk() ? AddSmall(value) : 0; }

int CBigInteger::operator+=(const CBigInteger& other) {
  if (!BaseOk()) return 0;
  CBigInteger o;
  if (!o.Init(m_Base, other)) return 0;
  CBigInteger r(*this);
  int32_t n = std::max(r.m_Count, o.m_Count);
  uint64_t carry = 0;
  for (int32_t i = 0; i < n || carry != 0; ++i) {
    if (i == MAX_DIGITS) return 0;
    uint64_t t = carry + (i < r.m_Count ? r.m_Digit[i] : 0) + (i < o.m_Count ? o.m_Digit[i] : 0);
    r.m_Digit[i] = uint32_t(t % m_Base);
    carry = t / m_Base;
    r.m_Count = std::max(r.m_Count, i + 1);
  }
  Swap(r);
  return 1;
}

int CBigInteger::operator*=(uint32_t factor) { return BaseOk() ? MulSmall(factor) : 0; }

int CBigInteger::operator*=(const CBigInteger& other) {
  if (!BaseOk()) return 0;
  CBigInteger o;
  if (!o.Init(m_Base, other)) return 0;
  if (m_Count == 0 || o.m_Count == 0) {
    m_Count = 0;
    return 1;
  }
  // One row per digit of the other factor, summed with carries; the product has at most
  // m_Count + o.m_Count digits, of which at most MAX_DIGITS may remain.
  uint32_t row[2 * MAX_DIGITS] = {};
  int32_t n = m_Count + o.m_Count;
  for (int32_t j = 0; j < o.m_Count; ++j) {
    uint64_t carry = 0;
    for (int32_t i = 0; i < m_Count; ++i) {
      uint64_t t = uint64_t(m_Digit[i]) * o.m_Digit[j] + row[i + j] + carry;
      row[i + j] = uint32_t(t % m_Base);
      carry = t / m_Base;
    }
    for (int32_t k = j + m_Count; carry != 0; ++k) {
      uint64_t t = row[k] + carry;
      row[k] = uint32_t(t % m_Base);
      carry = t / m_Base;
    }
  }
  while (n > 0 && row[n - 1] == 0) --n;
  if (n > MAX_DIGITS) return 0;
  std::memcpy(m_Digit, row, sizeof(uint32_t) * size_t(n));
  m_Count = n;
  return 1;
}

int CBigInteger::BaseShiftL(int32_t n) {
  if (!BaseOk() || n < 0) return 0;
  if (m_Count == 0 || n == 0) return 1;
  if (n > MAX_DIGITS - m_Count) return 0;
  std::memmove(m_Digit + n, m_Digit, sizeof(uint32_t) * size_t(m_Count));
  std::fill(m_Digit, m_Digit + n, 0u);
  m_Count += n;
  return 1;
}

void CBigInteger::Swap(CBigInteger& other) {
  std::swap(m_Digit, other.m_Digit);
  std::swap(m_Count, other.m_Count);
  std::swap(m_Base, other.m_Base);
}
