#include "ostrel/crypto/blowfish.h"

#include <cstring>

namespace {
#include "ostrel/crypto/blowfishpi.inc"
}  // namespace

CBlowfish::CBlowfish() { Clear(); }

CBlowfish::~CBlowfish() { Clear(); }

void CBlowfish::Clear() {
  // volatile so that the wipe of key material in the destructor is not dropped.
  volatile uint32_t* p = m_P;
  for (int i = 0; i < 18; ++i) p[i] = 0;
  volatile uint32_t* s = &m_S[0][0];
  for (int i = 0; i < 4 * 256; ++i) s[i] = 0;
}

int CBlowfish::Init(const uint8_t* key, int32_t len) {
  Clear();
  if (key == nullptr || len < MIN_KEY_LEN || len > MAX_KEY_LEN) return 0;
  std::memcpy(m_P, kInitP, sizeof m_P);
  std::memcpy(m_S, kInitS, sizeof m_S);

  int32_t k = 0;
  for (int i = 0; i < 18; ++i) {
    uint32_t word = 0;
    for (int j = 0; j < 4; ++j) {
      word = (word << 8) | key[k];
      if (++k == len) k = 0;
    }
    m_P[i] ^= word;
  }

  uint32_t l = 0, r = 0;
  for (int i = 0; i < 18; i += 2) {
    Encrypt(&l, &r);
    m_P[i] = l;
    m_P[i + 1] = r;
  }
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 256; i += 2) {
      Encrypt(&l, &r);
      m_S[b][i] = l;
      m_S[b][i + 1] = r;
    }
  }
  return 1;
}

void CBlowfish::Encrypt(uint32_t* left, uint32_t* right) const {
  uint32_t l = *left, r = *right;
  for (int i = 0; i < 16; i += 2) {
    l ^= m_P[i];
    r ^= F(l);
    r ^= m_P[i + 1];
    l ^= F(r);
  }
  l ^= m_P[16];
  r ^= m_P[17];
  *left = r;
  *right = l;
}

void CBlowfish::Decrypt(uint32_t* left, uint32_t* right) const {
  uint32_t l = *left, r = *right;
  for (int i = 17; i > 1; i -= 2) {
    l ^= m_P[i];
    r ^= F(l);
    r ^= m_P[i - 1];
    l ^= F(r);
  }
  l ^= m_P[1];
  r ^= m_P[0];
  *left = r;
  *right = l;
}
