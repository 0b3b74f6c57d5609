// The Blowfish block cipher on 64-bit blocks held as two 32-bit halves.
#pragma once

#include <cstdint>

class CBlowfish {
 public:
  static constexpr int32_t MIN_KEY_LEN = 1;
  static constexpr int32_t MAX_KEY_LEN = 56;

  CBlowfish();
  virtual ~CBlowfish();

  // Key schedule for a key of 1 to 56 bytes. 0 for a null key or a length outside that range;
  // the cipher is then left cleared.
  int Init(const uint8_t* key, int32_t len);
  // One block in place, 16 rounds. How the halves map to bytes is the caller's business.
  void Encrypt(uint32_t* left, uint32_t* right) const;
  void Decrypt(uint32_t* left, uint32_t* right) const;

 private:
  uint32_t F(uint32_t x) const {
    return ((m_S[0][x >> 24] + m_S[1][(x >> 16) & 0xFF]) ^ m_S[2][(x >> 8) & 0xFF]) + m_S[3][x & 0xFF];
  }
  void Clear();

  uint32_t m_P[18];
  uint32_t m_S[4][256];
};
