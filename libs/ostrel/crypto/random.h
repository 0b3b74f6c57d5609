// Random numbers: two seeded generators behind one interface, the process-wide fallback generator,
// the client of the machine's random-number service, and the uniform draw xRand.
#pragma once

#include <cstdint>
#include <memory>

#include "ostrel/crypto/blowfish.h"

class CNamedPipeBase;

class CPseudoRNGBase {
 public:
  virtual ~CPseudoRNGBase() = default;
  virtual int GetType() const = 0;
  virtual uint32_t SeedsNeeded() const = 0;
  // 0 unless seeds is not null and count equals SeedsNeeded().
  virtual int Seed(const uint32_t* seeds, uint32_t count) = 0;
  // 0 while never seeded.
  virtual int Rand(uint32_t& out) = 0;
};

// MT19937 with the reference single-word seeding.
class CMersenneTwister : public CPseudoRNGBase {
 public:
  static constexpr uint32_t STATE_SIZE = 624;

  CMersenneTwister();
  int GetType() const override { return 0; }
  uint32_t SeedsNeeded() const override { return 1; }
  int Seed(const uint32_t* seeds, uint32_t count) override;
  int Rand(uint32_t& out) override;

 private:
  uint32_t m_State[STATE_SIZE];
  uint32_t m_Index;  // STATE_SIZE + 1 while not seeded
  uint32_t m_Mag01[2];
};

// A Blowfish counter generator: words 0-13 of the seed are the key, words 14 and 15 the first
// block; the block is handed out word by word and then enciphered in place for the next pair.
class CBlowfishRNG : public CPseudoRNGBase {
 public:
  static constexpr uint32_t SEED_WORDS = 16;

  CBlowfishRNG();
  ~CBlowfishRNG() override;
  int GetType() const override { return 1; }
  uint32_t SeedsNeeded() const override { return SEED_WORDS; }
  int Seed(const uint32_t* seeds, uint32_t count) override;
  int Rand(uint32_t& out) override;

 private:
  int m_Seeded;
  uint8_t m_Key[CBlowfish::MAX_KEY_LEN];
  uint32_t m_Index;  // next word of the block to hand out; 2 = both given
  uint32_t m_Block[2];
  CBlowfish m_Cipher;
};

// The link to the machine's random-number service: the public channel "/tmp/PipeChoise" names a
// private channel, which then answers each read with one 4-byte value in host order.
class CRNGClient {
 public:
  static constexpr uint32_t WAIT_MS = 15000;
  static constexpr uint32_t MAX_NAME = 255;

  CRNGClient();
  virtual ~CRNGClient();
  CRNGClient(const CRNGClient&) = delete;
  CRNGClient& operator=(const CRNGClient&) = delete;

  int Init();
  int Rand(uint32_t& out);
  int Exit();

 private:
  std::unique_ptr<CNamedPipeBase> m_pPipe;
};

// The process-wide fallback generator (a CBlowfishRNG seeded on first use).
uint32_t CLGCRand();
// CLGCRand() / 2^32: in [0, 1).
double CLGCRandDouble();
// One raw value from the random-number service, or from the fallback when the service never
// answered. 0 only when an established service stopped answering.
int xSysRand(uint32_t& out);
// Uniform in 0..n-1 (0 for n = 0). *fromService is 1 unless the service failed during this draw
// and the fallback had to answer. The third argument is accepted for callers that pass it.
uint32_t xRand(uint32_t n, int* fromService = nullptr, int = 0);

// Seams for tests and tools; they change process-wide state.
using TRandSourceFunc = int (*)(uint32_t& out);
using TRNGChannelFactory = CNamedPipeBase* (*)();
// While set, xSysRand takes its raw values (and its result) from this function.
void xSetRandSource(TRandSourceFunc source);
// The channels CRNGClient talks through; null restores the system's own.
void xSetRNGChannelFactory(TRNGChannelFactory factory);
// Restarts the fallback from 16 given words: the next two CLGCRand values are seeds[14] and
// seeds[15]. 0 unless count is 16.
int xSeedLGCRand(const uint32_t* seeds, uint32_t count);
// Forgets the service client and the fallback generator, so the next draw starts as in a new
// process. The seams stay as set.
void xResetRand();
