#include "ostrel/base/xstring.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ostrel/base/fastmem.h"
#include "ostrel/base/types.h"

void* xMemchr(const void* p, int c, size_t n) { return const_cast<void*>(std::memchr(p, c, n)); }
int xMemcmp(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n); }
void* xMemset(void* p, int c, size_t n) { return std::memset(p, c, n); }

void* xMemcpy(void* dst, const void* src, size_t n) {
  if (n < XMEMCPY_FAST_LIMIT) return std::memcpy(dst, src, n);
  return CFastMem::memcpy(dst, src, n);
}

void xMemZero(void* p, size_t n) { std::memset(p, 0, n); }

void xMemset16(void* p, uint16_t value, uint32_t count) {
  if (count == 0) return;
  auto* out = static_cast<uint8_t*>(p);
  if (reinterpret_cast<uintptr_t>(out) & 3) {
    std::memcpy(out, &value, 2);
    out += 2;
    --count;
  }
  const uint32_t pair = static_cast<uint32_t>(value) | (static_cast<uint32_t>(value) << 16);
  for (; count >= 2; count -= 2, out += 4) std::memcpy(out, &pair, 4);
  if (count) std::memcpy(out, &value, 2);
}

void xMemset24(void* p, uint32_t rgb, uint32_t count) {
  auto* out = static_cast<uint8_t*>(p);
  const uint8_t b0 = static_cast<uint8_t>(rgb >> 16), b1 = static_cast<uint8_t>(rgb >> 8),
                b2 = static_cast<uint8_t>(rgb);
  for (uint32_t i = 0; i < count; ++i, out += 3) {
    out[0] = b0;
    out[1] = b1;
    out[2] = b2;
  }
}

int32_t xCheckForCharInBlock(const char* from, const char* to, char c) {
  if (!from || !to || to <= from) return 0;
  return std::memchr(from, static_cast<unsigned char>(c), static_cast<size_t>(to - from)) ? 1 : 0;
}

int32_t xCheckForCharInBlock(const char* p, size_t n, char c) {
  if (!p || n == 0) return 0;
  return std::memchr(p, static_cast<unsigned char>(c), n) ? 1 : 0;
}

size_t xStrlen(const char* s) { return std::strlen(s); }
char* xStrcpy(char* dst, const char* src) { return std::strcpy(dst, src); }
char* xStrncpy(char* dst, const char* src, size_t n) { return std::strncpy(dst, src, n); }
char* xStrcat(char* dst, const char* src) { return std::strcat(dst, src); }
char* xStrncat(char* dst, const char* src, size_t n) { return std::strncat(dst, src, n); }
char* xStrchr(const char* s, int c) { return const_cast<char*>(std::strchr(s, c)); }
char* xStrrchr(const char* s, int c) { return const_cast<char*>(std::strrchr(s, c)); }
int xStrcmp(const char* a, const char* b) { return std::strcmp(a, b); }
int xStrncmp(const char* a, const char* b, size_t n) { return std::strncmp(a, b, n); }
char* xStrstr(const char* h, const char* n) { return const_cast<char*>(std::strstr(h, n)); }
char* xStrpbrk(const char* s, const char* a) { return const_cast<char*>(std::strpbrk(s, a)); }

int xStrnicmp(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(xToLowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(xToLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

int xStricmp(const char* a, const char* b) { return xStrnicmp(a, b, static_cast<size_t>(-1)); }

char* xStrUpperCase(char* s) {
  for (char* p = s; p && *p; ++p) *p = xToUpperAscii(*p);
  return s;
}

char* xStrLowerCase(char* s) {
  for (char* p = s; p && *p; ++p) *p = xToLowerAscii(*p);
  return s;
}

int32_t xStrHasContent(const char* s) { return (s && *s) ? 1 : 0; }

int32_t xStrHasContentMD5(const char* s) {
  return (xStrHasContent(s) && std::strcmp(s, "d41d8cd98f00b204e9800998ecf8427e") != 0) ? 1 : 0;
}

char* xStrcatVariableTRUEFALSE(char* dst, const char* text, int32_t value) {
  std::strcat(dst, text);
  if (value == 1) return std::strcat(dst, "TRUE");
  if (value == 0) return std::strcat(dst, "FALSE");
  char number[16];
  std::snprintf(number, sizeof(number), "%d", value);
  return std::strcat(dst, number);
}

char* xStrcatVariableSTRING(char* dst, const char* text, const char* value) {
  std::strcat(dst, text);
  return std::strcat(dst, value);
}

char* xStrndup(const char* s, size_t n) {
  if (!s) return nullptr;
  auto* copy = static_cast<char*>(::operator new(n + 1, std::nothrow));
  if (!copy) return nullptr;
  // The source may be shorter than n; never read past its terminator.
  const size_t have = strnlen(s, n);
  std::memcpy(copy, s, have);
  std::memset(copy + have, 0, n + 1 - have);
  return copy;
}

char* xStrdup(const char* s) { return s ? xStrndup(s, std::strlen(s)) : nullptr; }

int32_t xStrReplace(char*& field, const char* text) {
  char* copy = xStrdup(text);
  if (text && !copy) return 0;
  xFree(field);
  field = copy;
  return 1;
}

int32_t xStrCntSet(const char* s, const char* set) {
  if (!s || !set) return 0;
  int32_t count = 0;
  for (; *s; ++s)
    if (std::strchr(set, *s)) ++count;
  return count;
}

char* xStrRemoveSet(char* s, const char* set) {
  if (!s || !set) return s;
  char* out = s;
  for (const char* in = s; *in; ++in)
    if (!std::strchr(set, *in)) *out++ = *in;
  *out = 0;
  return s;
}

const char* xStuffSet(const char* src, char* dst, size_t dstSize, const char* set) {
  if (!src || !dst || !dstSize || !set) return src;
  const size_t count = static_cast<size_t>(xStrCntSet(src, set));
  if (count == 0 || std::strlen(src) + 2 * count + 1 > dstSize) return src;
  char* out = dst;
  for (const char* in = src; *in; ++in) {
    *out++ = *in;
    if (std::strchr(set, *in)) *out++ = *in;
  }
  *out = 0;
  return dst;
}
