#include "ostrel/compression/base64.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineLength = 76;

int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

char* Allocate(int64_t size) { return static_cast<char*>(::operator new(size, std::nothrow)); }

}  // namespace

int32_t CBase64::IsBase64(char c) { return Value(c) >= 0 ? 1 : 0; }

int32_t CBase64::Encode(const void* in, int32_t len, char*& out, int32_t& outLen,
                        int32_t lineBreaks) {
  out = nullptr;
  outLen = 0;
  if (len < 0 || (!in && len > 0)) return 0;
  int64_t chars = int64_t(len / 3) * 4 + 8;
  int64_t size = chars + chars / kLineLength * 2 + 2;
  if (size > INT32_MAX) return 0;
  char* text = Allocate(size);
  if (!text) return 0;
  memset(text, '!', size);

  const uint8_t* p = static_cast<const uint8_t*>(in);
  int64_t pos = 0;
  int line = 0;
  int32_t i = 0;
  for (; len - i >= 3; i += 3) {
    uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8 | p[i + 2];
    for (int s = 18; s >= 0; s -= 6) text[pos++] = kAlphabet[(v >> s) & 63];
    line += 4;
    if (lineBreaks && line >= kLineLength) {
      text[pos++] = '\r';
      text[pos++] = '\n';
      line = 0;
    }
  }
  int rest = len - i;
  if (rest) {
    uint32_t v = uint32_t(p[i]) << 16 | (rest == 2 ? uint32_t(p[i + 1]) << 8 : 0);
    text[pos++] = kAlphabet[(v >> 18) & 63];
    text[pos++] = kAlphabet[(v >> 12) & 63];
    text[pos++] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    text[pos++] = '=';
  }
  if (lineBreaks) {
    text[pos++] = '\r';
    text[pos++] = '\n';
  }
  text[pos] = 0;
  out = text;
  outLen = static_cast<int32_t>(pos);
  return 1;
}

int32_t CBase64::Decode(const char* in, int32_t len, char*& out, int32_t& outLen) {
  out = nullptr;
  outLen = 0;
  if (len < 0 || (!in && len > 0)) return 1;
  char* bytes = Allocate((int64_t(len) / 4 + 1) * 3);
  if (!bytes) return 1;

  int64_t pos = 0;
  uint32_t group = 0;
  int have = 0;
  for (int32_t i = 0; i < len; ++i) {
    char c = in[i];
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    if (c == '=') break;
    int v = Value(c);
    if (v < 0) {
      xFree(bytes);
      return 1;
    }
    group = group << 6 | uint32_t(v);
    if (++have == 4) {
      bytes[pos++] = static_cast<char>(group >> 16);
      bytes[pos++] = static_cast<char>(group >> 8);
      bytes[pos++] = static_cast<char>(group);
      group = 0;
      have = 0;
    }
  }
  // Two characters carry one byte, three carry two; a lone character carries none.
  if (have == 1) {
    xFree(bytes);
    return 1;
  }
  if (have >= 2) bytes[pos++] = static_cast<char>(group >> (have == 2 ? 4 : 10));
  if (have == 3) bytes[pos++] = static_cast<char>(group >> 2);
  bytes[pos] = 0;
  out = bytes;
  outLen = static_cast<int32_t>(pos);
  return 0;
}
