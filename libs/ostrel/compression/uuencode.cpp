#include "ostrel/compression/uuencode.h"

namespace {

constexpr int kLineBytes = 45;

char Encode6(uint32_t v) { return static_cast<char>((v & 63) + 0x20); }
uint32_t Decode6(char c) { return (static_cast<uint8_t>(c) - 0x20u) & 63; }

}  // namespace

int64_t UUEncodeSize(int32_t len) {
  if (len <= 0) return 0;
  int64_t n = len;
  return (n + 2) / 3 * 4 + (n + kLineBytes - 1) / kLineBytes * 2;
}

int32_t UUEncode(const void* in, char* out, int32_t len) {
  if (len < 0 || ((!in || !out) && len > 0)) return -1;
  int64_t size = UUEncodeSize(len);
  if (size > INT32_MAX) return -1;
  const uint8_t* p = static_cast<const uint8_t*>(in);
  int64_t pos = 0;
  for (int32_t start = 0; start < len; start += kLineBytes) {
    int32_t count = len - start < kLineBytes ? len - start : kLineBytes;
    out[pos++] = Encode6(uint32_t(count));
    for (int32_t i = 0; i < count; i += 3) {
      // The last group is completed with zero bytes, which the count tells the decoder to skip.
      uint32_t v = uint32_t(p[start + i]) << 16;
      if (i + 1 < count) v |= uint32_t(p[start + i + 1]) << 8;
      if (i + 2 < count) v |= p[start + i + 2];
      for (int s = 18; s >= 0; s -= 6) out[pos++] = Encode6(v >> s);
    }
    out[pos++] = '\n';
  }
  return static_cast<int32_t>(pos);
}

int32_t UUEncode(const void* in, char* out, int32_t len, int32_t outSize) {
  if (len < 0 || UUEncodeSize(len) > outSize) return -1;
  return UUEncode(in, out, len);
}

int32_t UUDecode(const char* in, void* out, int32_t len, int32_t outSize) {
  if (len < 0 || (!in && len > 0)) return -1;
  uint8_t* o = static_cast<uint8_t*>(out);
  int32_t written = 0;
  int32_t pos = 0;
  while (pos < len) {
    int32_t end = pos;
    while (end < len && in[end] != '\n' && in[end] != '\r' && in[end] != 0) ++end;
    if (end == pos) break;
    int32_t count = static_cast<int32_t>(Decode6(in[pos]));
    if (count == 0) break;
    if (!o || count > outSize - written) return -1;
    auto at = [&](int32_t k) { return pos + 1 + k < end ? Decode6(in[pos + 1 + k]) : 0u; };
    for (int32_t i = 0, k = 0; i < count; i += 3, k += 4) {
      uint32_t v = at(k) << 18 | at(k + 1) << 12 | at(k + 2) << 6 | at(k + 3);
      o[written++] = static_cast<uint8_t>(v >> 16);
      if (i + 1 < count) o[written++] = static_cast<uint8_t>(v >> 8);
      if (i + 2 < count) o[written++] = static_cast<uint8_t>(v);
    }
    if (end >= len || in[end] == 0) break;
    pos = end + 1;
    if (in[end] == '\r' && pos < len && in[pos] == '\n') ++pos;
  }
  return written;
}
