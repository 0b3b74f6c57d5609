#include "ostrel/base/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/base/xstring.h"

namespace {
char* NewBuffer(uint32_t length) {
  auto* p = new char[static_cast<size_t>(length) + 1];
  p[length] = 0;
  return p;
}

uint32_t LengthOf(const char* text) { return static_cast<uint32_t>(std::strlen(text)); }
}  // namespace

CString::CString() : m_pText(NewBuffer(0)), m_Length(0) {}

CString::CString(const char* text) : m_pText(nullptr), m_Length(0) {
  const uint32_t length = text ? LengthOf(text) : 0;
  m_pText = NewBuffer(length);
  if (length) std::memcpy(m_pText, text, length);
  m_Length = length;
}

CString::CString(const char* text, uint32_t length) : m_pText(NewBuffer(length)), m_Length(length) {
  if (length) std::memcpy(m_pText, text, length);
}

CString::CString(const CString& other) : m_pText(NewBuffer(other.m_Length)), m_Length(other.m_Length) {
  std::memcpy(m_pText, other.m_pText, m_Length);
}

CString::CString(CString&& other) noexcept : m_pText(other.m_pText), m_Length(other.m_Length) {
  other.m_pText = NewBuffer(0);
  other.m_Length = 0;
}

CString::~CString() { delete[] m_pText; }

// The text may lie inside the current buffer (trims, substrings): copy before freeing.
void CString::Assign(const char* text, uint32_t length) {
  if (length != m_Length) {
    char* fresh = NewBuffer(length);
    std::memcpy(fresh, text, length);
    delete[] m_pText;
    m_pText = fresh;
    m_Length = length;
    return;
  }
  std::memmove(m_pText, text, length);
  m_pText[length] = 0;
}

void CString::Append(const char* text, uint32_t length) {
  if (!length) return;
  char* joined = NewBuffer(m_Length + length);
  std::memcpy(joined, m_pText, m_Length);
  std::memcpy(joined + m_Length, text, length);
  delete[] m_pText;
  m_pText = joined;
  m_Length += length;
}

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.m_pText, other.m_Length);
  return *this;
}

CString& CString::operator=(CString&& other) noexcept {
  if (this != &other) {
    delete[] m_pText;
    m_pText = other.m_pText;
    m_Length = other.m_Length;
    other.m_pText = NewBuffer(0);
    other.m_Length = 0;
  }
  return *this;
}

CString& CString::operator=(const char* text) {
  if (text) Assign(text, LengthOf(text));
  return *this;
}

CString CString::operator+(const CString& other) const {
  CString joined(*this);
  joined += other;
  return joined;
}

CString CString::operator+(const char* text) const {
  CString joined(*this);
  joined += text;
  return joined;
}

// Append builds the joined buffer before freeing the old one, so appending oneself is safe.
CString& CString::operator+=(const CString& other) {
  Append(other.m_pText, other.m_Length);
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text) Append(text, LengthOf(text));
  return *this;
}

CString& CString::operator<<(char c) {
  if (c) Append(&c, 1);
  return *this;
}
CString& CString::operator<<(const char* text) { return *this += text; }
CString& CString::operator<<(const CString& other) { return *this += other; }
CString& CString::operator<<(short v) { return Print("%d", v); }
CString& CString::operator<<(int v) { return Print("%d", v); }
CString& CString::operator<<(unsigned short v) { return Print("%u", v); }
CString& CString::operator<<(unsigned int v) { return Print("%u", v); }
CString& CString::operator<<(float v) { return Print("%f", static_cast<double>(v)); }
CString& CString::operator<<(double v) { return Print("%f", v); }

CString& CString::operator>>(int& v) {
  v = static_cast<int>(std::atol(m_pText));
  return *this;
}
CString& CString::operator>>(unsigned long& v) {
  v = std::strtoul(m_pText, nullptr, 10);
  return *this;
}
CString& CString::operator>>(float& v) {
  v = static_cast<float>(std::atof(m_pText));
  return *this;
}
CString& CString::operator>>(double& v) {
  v = std::atof(m_pText);
  return *this;
}
CString& CString::operator>>(CString& target) {
  target += *this;
  return *this;
}
CString& CString::operator>>(BDateTime&) { return *this; }

bool CString::operator==(const CString& other) const {
  return m_Length == other.m_Length && std::memcmp(m_pText, other.m_pText, m_Length) == 0;
}

bool CString::operator==(const char* text) const { return std::strcmp(m_pText, text ? text : "") == 0; }

CString& CString::Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed > 0) {
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    Append(text.data(), static_cast<uint32_t>(needed));
  }
  va_end(args);
  return *this;
}

CString CString::substr(uint32_t start, uint32_t count) const {
  CString part;
  if (start > m_Length || count == 0) return part;
  uint32_t take = m_Length - start;
  if (count != npos && count < take) take = count;
  part.Assign(m_pText + start, take);
  return part;
}

int32_t CString::Find(const char* needle, uint32_t start) const {
  if (!needle || !*needle || start > m_Length) return -1;
  const char* hit = std::strstr(m_pText + start, needle);
  return hit ? static_cast<int32_t>(hit - m_pText) : -1;
}

void CString::Replace(const char* from, const char* to) {
  if (!m_Length || !from || !*from) return;
  const size_t fromLength = std::strlen(from);
  const char* replacement = to ? to : "";
  std::string result;
  size_t at = 0;
  bool replaced = false;
  for (const char* hit; (hit = std::strstr(m_pText + at, from)) != nullptr;) {
    const size_t pos = static_cast<size_t>(hit - m_pText);
    result.append(m_pText + at, pos - at).append(replacement);
    at = pos + fromLength;
    replaced = true;
  }
  if (!replaced) return;
  result.append(m_pText + at, m_Length - at);
  Assign(result.data(), static_cast<uint32_t>(result.size()));
}

int32_t CString::TrimLeft() {
  if (m_Length == 0 || m_pText[0] != ' ') return 0;
  uint32_t skip = 0;
  while (skip < m_Length && m_pText[skip] == ' ') ++skip;
  Assign(m_pText + skip, m_Length - skip);
  return 1;
}

int32_t CString::TrimRight() {
  uint32_t keep = m_Length;
  while (keep > 0 && m_pText[keep - 1] == ' ') --keep;
  if (keep == m_Length) return 0;
  Assign(m_pText, keep);
  return 1;
}

void CString::MakeLower() {
  for (uint32_t i = 0; i < m_Length; ++i) m_pText[i] = xToLowerAscii(m_pText[i]);
}

void CString::MakeUpper() {
  for (uint32_t i = 0; i < m_Length; ++i) m_pText[i] = xToUpperAscii(m_pText[i]);
}
