#include "roundtext.h"

#include <charconv>
#include <cstring>

#include "common/info/translate.h"
#include "ostrel/base/money.h"

namespace {
using TMoney = CHugeFixedPoint<10, 10>;

// The end of the value that begins at value: its ";" or the text's end.
const char* ValueEnd(const char* value) {
  const char* end = std::strchr(value, ';');
  return end ? end : value + std::strlen(value);
}

// A decimal number of 32 bits at the start of [p, end): blanks and one sign may lead, whatever
// follows the digits is ignored.
bool ReadNumber(const char* p, const char* end, int32_t& value) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  const auto [rest, error] = std::from_chars(p, end, value);
  return error == std::errc() && rest != p;
}

bool IsWhole(const TMoney& amount) {
  for (int i = TMoney::kIntDigits; i < TMoney::kDigits; ++i)
    if (amount.m_Digits[i]) return false;
  return true;
}
}  // namespace

const char* FindKeyValue(const char* text, const char* key) {
  if (!text || !key || !*key) return nullptr;
  const size_t keyLength = std::strlen(key);
  const bool anywhere = key[0] == ';';
  for (const char* at = std::strstr(text, key); at; at = std::strstr(at + 1, key))
    if (anywhere || at == text || at[-1] == ';') return at + keyLength;
  return nullptr;
}

void GetKeyString(const char* text, const char* key, char* out, size_t size) {
  if (!out || !size) return;
  out[0] = '\0';
  const char* value = FindKeyValue(text, key);
  if (!value) return;
  size_t n = static_cast<size_t>(ValueEnd(value) - value);
  if (n > size - 1) n = size - 1;
  std::memcpy(out, value, n);
  out[n] = '\0';
}

int32_t GetKeyLong(const char* text, const char* key) {
  const char* value = FindKeyValue(text, key);
  int32_t number = 0;
  return value && ReadNumber(value, ValueEnd(value), number) ? number : -1;
}

int32_t GetKeyLongs(const char* text, const char* key, int32_t* out, int32_t max, const char* delimiters) {
  const char* value = FindKeyValue(text, key);
  if (!value || !out || max <= 0) return 0;
  const char* end = ValueEnd(value);
  const auto isDelimiter = [delimiters](char c) { return delimiters && *delimiters && std::strchr(delimiters, c); };
  int32_t count = 0;
  for (const char* p = value; p < end && count < max;) {
    if (isDelimiter(*p)) {
      ++p;
      continue;
    }
    const char* pieceEnd = p;
    while (pieceEnd < end && !isDelimiter(*pieceEnd)) ++pieceEnd;
    if (!ReadNumber(p, pieceEnd, out[count])) break;
    ++count;
    p = pieceEnd;
  }
  return count;
}

int32_t GetKeyMoney(const CTranslate& translate, const char* text, const char* key, char* out, size_t size) {
  if (!out || !size) return 0;
  out[0] = '\0';
  const char* found = FindKeyValue(text, key);
  if (!found) return 0;
  char value[HISTORY_VALUE_SIZE];
  GetKeyString(text, key, value);
  TMoney amount;
  if (!TMoney::Translate(value, amount)) return 0;
  if (!translate.CreateCurrStr(out, size, IsWhole(amount) ? "%.0f" : "%.2f", amount)) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}
