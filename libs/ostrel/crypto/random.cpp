#include "ostrel/crypto/random.h"

#include <sys/random.h>

#include <cstdlib>
#include <cstring>

#include "ostrel/system/clock.h"
#include "ostrel/system/namedpipe.h"

// ---- Mersenne Twister -------------------------------------------------------------------------

CMersenneTwister::CMersenneTwister() : m_State{}, m_Index(STATE_SIZE + 1), m_Mag01{0, 0x9908B0DFu} {}

int CMersenneTwister::Seed(const uint32_t* seeds, uint32_t count) {
  if (seeds == nullptr || count != SeedsNeeded()) return 0;
  m_State[0] = seeds[0];
  for (uint32_t i = 1; i < STATE_SIZE; ++i)
    m_State[i] = 1812433253u * (m_State[i - 1] ^ (m_State[i - 1] >> 30)) + i;
  m_Index = STATE_SIZE;
  return 1;
}

int CMersenneTwister::Rand(uint32_t& out) {
  constexpr uint32_t M = 397, UPPER = 0x80000000u, LOWER = 0x7FFFFFFFu;
  if (m_Index > STATE_SIZE) return 0;
  if (m_Index == STATE_SIZE) {
    uint32_t i = 0, y;
    for (; i < STATE_SIZE - M; ++i) {
      y = (m_State[i] & UPPER) | (m_State[i + 1] & LOWER);
      m_State[i] = m_State[i + M] ^ (y >> 1) ^ m_Mag01[y & 1];
    }
    for (; i < STATE_SIZE - 1; ++i) {
      y = (m_State[i] & UPPER) | (m_State[i + 1] & LOWER);
      m_State[i] = m_State[i + M - STATE_SIZE] ^ (y >> 1) ^ m_Mag01[y & 1];
    }
    y = (m_State[STATE_SIZE - 1] & UPPER) | (m_State[0] & LOWER);
    m_State[STATE_SIZE - 1] = m_State[M - 1] ^ (y >> 1) ^ m_Mag01[y & 1];
    m_Index = 0;
  }
  uint32_t y = m_State[m_Index++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  out = y;
  return 1;
}

// ---- Blowfish counter generator ---------------------------------------------------------------

CBlowfishRNG::CBlowfishRNG() : m_Seeded(0), m_Key{}, m_Index(0), m_Block{} {}

CBlowfishRNG::~CBlowfishRNG() {
  volatile uint8_t* key = m_Key;
  for (size_t i = 0; i < sizeof m_Key; ++i) key[i] = 0;
}

int CBlowfishRNG::Seed(const uint32_t* seeds, uint32_t count) {
  if (seeds == nullptr || count != SEED_WORDS) return 0;
  // The key is the first 14 words as the little-endian machines that made this generator laid
  // them out, so every host draws the same sequence from the same seed.
  for (uint32_t i = 0; i < sizeof m_Key; ++i) m_Key[i] = uint8_t(seeds[i / 4] >> (8 * (i % 4)));
  m_Cipher.Init(m_Key, sizeof m_Key);
  m_Block[0] = seeds[14];
  m_Block[1] = seeds[15];
  m_Seeded = 1;
  return 1;
}

int CBlowfishRNG::Rand(uint32_t& out) {
  if (!m_Seeded) return 0;
  if (m_Index >= 2) {
    m_Index = 0;
    m_Cipher.Encrypt(&m_Block[0], &m_Block[1]);
  }
  out = m_Block[m_Index++];
  return 1;
}

// ---- Process-wide state -----------------------------------------------------------------------

namespace {

const char kServicePipe[] = "/tmp/PipeChoise";

// A service that keeps sending values the draw must reject is broken; after this many the draw
// stops asking it.
constexpr int kMaxServiceRejects = 64;

// The service listens on a local socket under its channel's name.
CNamedPipeBase* SystemChannel() { return new CNamedPipe; }

struct SRandState {
  std::unique_ptr<CBlowfishRNG> fallback;
  std::unique_ptr<CRNGClient> client;
  bool clientTried = false;
  bool linkStood = false;
  TRandSourceFunc source = nullptr;
  TRNGChannelFactory factory = nullptr;
};

SRandState& State() {
  static SRandState state;
  return state;
}

// The fallback's 16 seed words: the kernel's entropy; without it, the C library's generator
// seeded with the clock, four values a word, the first in the top byte.
void MakeSeedWords(uint32_t* words) {
  const size_t size = CBlowfishRNG::SEED_WORDS * sizeof(uint32_t);
  if (getrandom(words, size, GRND_NONBLOCK) == ssize_t(size)) return;
  std::srand(xGetTime());
  for (uint32_t i = 0; i < CBlowfishRNG::SEED_WORDS; ++i) {
    uint32_t w = 0;
    for (int j = 0; j < 4; ++j) w = (w << 8) | (uint32_t(std::rand()) & 0xFF);
    words[i] = w;
  }
}

}  // namespace

CRNGClient::CRNGClient() = default;

CRNGClient::~CRNGClient() { Exit(); }

int CRNGClient::Init() {
  if (!m_pPipe) {
    TRNGChannelFactory factory = State().factory ? State().factory : SystemChannel;
    m_pPipe.reset(factory());
    if (!m_pPipe) return 0;
  }
  if (!m_pPipe->Open(kServicePipe, WAIT_MS)) return 0;
  // Room for the terminator beyond the longest name, and the name ends at the first zero byte
  // even when the service sends none.
  char name[MAX_NAME + 1] = {};
  uint32_t got = 0;
  int ok = m_pPipe->Read(name, MAX_NAME, got);
  m_pPipe->Close();
  if (!ok || got == 0 || got > MAX_NAME) return 0;
  name[got] = 0;
  if (name[0] == 0) return 0;
  return m_pPipe->Open(name, WAIT_MS);
}

int CRNGClient::Rand(uint32_t& out) {
  if (!m_pPipe) return 0;
  uint32_t value = 0, got = 0;
  if (!m_pPipe->Read(&value, sizeof value, got) || got != sizeof value) return 0;
  out = value;
  return 1;
}

int CRNGClient::Exit() { return m_pPipe ? m_pPipe->Close() : 1; }

uint32_t CLGCRand() {
  SRandState& s = State();
  if (!s.fallback) {
    uint32_t seeds[CBlowfishRNG::SEED_WORDS];
    MakeSeedWords(seeds);
    s.fallback = std::make_unique<CBlowfishRNG>();
    s.fallback->Seed(seeds, CBlowfishRNG::SEED_WORDS);
    std::memset(seeds, 0, sizeof seeds);
  }
  uint32_t r;
  if (s.fallback->Rand(r)) return r;
  return uint32_t(std::rand());
}

double CLGCRandDouble() { return CLGCRand() * 0x1p-32; }

int xSysRand(uint32_t& out) {
  SRandState& s = State();
  if (s.source) return s.source(out);
  if (!s.clientTried) {
    s.clientTried = true;
    s.client = std::make_unique<CRNGClient>();
    s.linkStood = s.client->Init() != 0;
  }
  if (!s.linkStood) {
    out = CLGCRand();
    return 1;
  }
  if (s.client->Rand(out)) return 1;
  s.client->Exit();
  if (s.client->Init() && s.client->Rand(out)) return 1;
  // A service that cannot be reached again stays dead: every later draw would otherwise wait out
  // its connection time-outs.
  s.client->Exit();
  s.linkStood = false;
  return 0;
}

uint32_t xRand(uint32_t n, int* fromService, int) {
  if (fromService) *fromService = 1;
  if (n == 0) return 0;
  // Accept only below the largest multiple of n that fits in 32 bits, so every residue has the
  // same number of raw values behind it.
  const uint64_t accept = (uint64_t(1) << 32) - (uint64_t(1) << 32) % n;
  for (int rejects = 0;; ++rejects) {
    uint32_t r;
    if (rejects >= kMaxServiceRejects || !xSysRand(r)) {
      if (fromService) *fromService = 0;
      r = CLGCRand();
    }
    if (r < accept) return r % n;
  }
}

void xSetRandSource(TRandSourceFunc source) { State().source = source; }

void xSetRNGChannelFactory(TRNGChannelFactory factory) { State().factory = factory; }

int xSeedLGCRand(const uint32_t* seeds, uint32_t count) {
  auto rng = std::make_unique<CBlowfishRNG>();
  if (!rng->Seed(seeds, count)) return 0;
  State().fallback = std::move(rng);
  return 1;
}

void xResetRand() {
  SRandState& s = State();
  s.client.reset();
  s.fallback.reset();
  s.clientTried = false;
  s.linkStood = false;
}
