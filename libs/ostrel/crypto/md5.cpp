#include "ostrel/crypto/md5.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/compression/uuencode.h"

namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t Load32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void Store32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

#define MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);           \
  a = Rotl(a, s) + b;

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

}  // namespace

CMD5::CMD5() { Init(); }

CMD5::~CMD5() = default;

void CMD5::Init() {
  m_State[0] = 0x67452301;
  m_State[1] = 0xEFCDAB89;
  m_State[2] = 0x98BADCFE;
  m_State[3] = 0x10325476;
  m_Count[0] = m_Count[1] = 0;
  std::memset(m_Buffer, 0, sizeof m_Buffer);
}

void CMD5::Update(const void* data, size_t len) {
  if (len == 0) return;
  const uint8_t* in = static_cast<const uint8_t*>(data);
  size_t used = (m_Count[0] >> 3) & 63;
  uint64_t bits = (uint64_t(m_Count[1]) << 32 | m_Count[0]) + (uint64_t(len) << 3);
  m_Count[0] = uint32_t(bits);
  m_Count[1] = uint32_t(bits >> 32);

  if (used) {
    size_t room = 64 - used;
    if (len < room) {
      std::memcpy(m_Buffer + used, in, len);
      return;
    }
    std::memcpy(m_Buffer + used, in, room);
    Transform(m_Buffer);
    in += room;
    len -= room;
  }
  for (; len >= 64; in += 64, len -= 64) Transform(in);
  if (len) std::memcpy(m_Buffer, in, len);
}

void CMD5::Final(uint8_t* out) {
  uint8_t length[8];
  Store32(length, m_Count[0]);
  Store32(length + 4, m_Count[1]);
  static const uint8_t kPad[64] = {0x80};
  size_t used = (m_Count[0] >> 3) & 63;
  Update(kPad, used < 56 ? 56 - used : 120 - used);
  Update(length, 8);
  for (int i = 0; i < 4; ++i) Store32(out + 4 * i, m_State[i]);
  Init();
}

int CMD5::DigestBinary(uint8_t* out, const void* data, size_t len) {
  if (out == nullptr || (data == nullptr && len != 0)) return 0;
  Init();
  Update(data, len);
  Final(out);
  return 1;
}

int CMD5::DigestBase16(char* out, const void* data, size_t len) {
  uint8_t digest[DIGEST_SIZE];
  if (out == nullptr || !DigestBinary(digest, data, len)) return 0;
  static const char kHex[] = "0123456789abcdef";
  for (int i = 0; i < DIGEST_SIZE; ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 15];
  }
  out[2 * DIGEST_SIZE] = 0;
  return 1;
}

char* CMD5::DigestUUEncode(const void* data, size_t len) {
  uint8_t digest[DIGEST_SIZE];
  if (!DigestBinary(digest, data, len)) return nullptr;
  char* out = static_cast<char*>(::operator new(UU_SIZE, std::nothrow));
  if (out == nullptr) return nullptr;
  int32_t n = UUEncode(digest, out, DIGEST_SIZE, UU_SIZE - 1);
  if (n < 0) {
    xFree(out);
    return nullptr;
  }
  out[n] = 0;
  return out;
}

void CMD5::Transform(const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = Load32(block + 4 * i);
  uint32_t a = m_State[0], b = m_State[1], c = m_State[2], d = m_State[3];

  MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7)
  MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12)
  MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17)
  MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22)
  MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7)
  MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12)
  MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17)
  MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22)
  MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7)
  MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12)
  MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17)
  MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22)
  MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7)
  MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12)
  MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17)
  MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22)

  MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5)
  MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9)
  MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14)
  MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20)
  MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5)
  MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9)
  MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14)
  MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20)
  MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5)
  MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9)
  MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14)
  MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20)
  MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5)
  MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9)
  MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14)
  MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20)

  MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4)
  MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11)
  MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16)
  MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23)
  MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4)
  MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11)
  MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16)
  MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23)
  MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4)
  MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11)
  MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16)
  MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23)
  MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4)
  MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11)
  MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16)
  MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23)

  MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6)
  MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10)
  MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15)
  MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21)
  MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6)
  MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10)
  MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15)
  MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21)
  MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6)
  MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10)
  MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15)
  MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21)
  MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6)
  MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10)
  MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15)
  MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21)

  m_State[0] += a;
  m_State[1] += b;
  m_State[2] += c;
  m_State[3] += d;
}

#undef MD5_STEP
#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I
