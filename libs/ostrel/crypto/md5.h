// The MD5 message digest (RFC 1321) with binary, base-16 and UU-encoded results.
#pragma once

#include <cstddef>
#include <cstdint>

class CMD5 {
 public:
  static constexpr int DIGEST_SIZE = 16;
  static constexpr int BASE16_SIZE = 33;  // 32 lowercase hexadecimal digits and a zero byte
  static constexpr int UU_SIZE = 32;      // the block that DigestUUEncode hands out

  CMD5();
  virtual ~CMD5();

  // Each Digest call starts over, so one object serves any number of messages.
  // 0 for a null output, or null data with a length.
  int DigestBinary(uint8_t* out, const void* data, size_t len);
  int DigestBase16(char* out, const void* data, size_t len);
  // A new UU_SIZE block: one UU line of the digest (length character, 24 characters, line feed)
  // and a zero byte. The caller frees it with xFree. Null when no memory (or for null data with a
  // length).
  char* DigestUUEncode(const void* data, size_t len);

  // The same digest in pieces: Init, any number of Update, Final.
  void Init();
  void Update(const void* data, size_t len);
  void Final(uint8_t* out);

 private:
  void Transform(const uint8_t* block);

  uint32_t m_State[4];
  uint32_t m_Count[2];  // bits hashed so far, low word first
  uint8_t m_Buffer[64];
};
