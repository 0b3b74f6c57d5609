// The machine's random source replaced, while the object lives, by a seeded std::mt19937, so
// that the shoe deals the same rounds on every run; and the size of a statistical run, smaller
// under the sanitizers.
#pragma once

#include <cstdint>
#include <random>

#include "ostrel/crypto/random.h"

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool KAVO_TEST_SANITIZED = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool KAVO_TEST_SANITIZED = true;
#else
inline constexpr bool KAVO_TEST_SANITIZED = false;
#endif
#else
inline constexpr bool KAVO_TEST_SANITIZED = false;
#endif

// full rounds normally, sanitized rounds under the sanitizers.
inline constexpr int64_t KavoTestRounds(int64_t full, int64_t sanitized) {
  return KAVO_TEST_SANITIZED ? sanitized : full;
}

class CKavoSeededRandom {
 public:
  explicit CKavoSeededRandom(uint32_t seed) {
    Engine().seed(seed);
    xSetRandSource(Source);
  }
  ~CKavoSeededRandom() { xSetRandSource(nullptr); }
  CKavoSeededRandom(const CKavoSeededRandom&) = delete;
  CKavoSeededRandom& operator=(const CKavoSeededRandom&) = delete;

 private:
  static std::mt19937& Engine() {
    static std::mt19937 engine;
    return engine;
  }
  static int Source(uint32_t& out) {
    out = static_cast<uint32_t>(Engine()());
    return 1;
  }
};
