#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "ostrel/crypto/random.h"
#include "ostrel/system/namedpipebase.h"
#include "support/pyoracle.h"

namespace {

const char kPublicPipe[] = "/tmp/PipeChoise";

// The machine's random-number service as the fake channels see it.
struct SFakeService {
  bool present = true;
  std::string nameAnswer = "rng-7";  // what the public channel answers
  std::string privateName = "rng-7";  // the private channel that exists
  bool answering = true;
  std::deque<std::string> answers;  // private channel answers, one per read
  std::vector<std::pair<std::string, uint32_t>> opened;
  int openChannels = 0;
};
SFakeService* g_Service = nullptr;

std::string Bytes(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

class CFakePipe : public CNamedPipeBase {
 public:
  ~CFakePipe() override { Close(); }
  int Create(const char*, uint32_t) override { return 0; }
  int Write(const void*, uint32_t) override { return 0; }
  int ClientReading() override { return 0; }
  int Open(const char* name, uint32_t timeout) override {
    Close();
    g_Service->opened.emplace_back(name, timeout);
    if (!g_Service->present) return 0;
    m_Public = std::strcmp(name, kPublicPipe) == 0;
    if (!m_Public && g_Service->privateName != name) return 0;
    m_Open = true;
    ++g_Service->openChannels;
    return 1;
  }
  int Close() override {
    if (m_Open) --g_Service->openChannels;
    m_Open = false;
    return 1;
  }
  int Read(void* buffer, uint32_t size, uint32_t& got) override {
    if (!m_Open || !g_Service->present || !g_Service->answering) return 0;
    std::string answer;
    if (m_Public) {
      answer = g_Service->nameAnswer;
    } else {
      if (g_Service->answers.empty()) return 0;
      answer = g_Service->answers.front();
      g_Service->answers.pop_front();
    }
    if (answer.size() > size) return 0;
    std::memcpy(buffer, answer.data(), answer.size());
    got = uint32_t(answer.size());
    return 1;
  }

 private:
  bool m_Open = false;
  bool m_Public = false;
};

CNamedPipeBase* MakeFakePipe() { return new CFakePipe; }

// Raw values handed to xSysRand in place of the service.
std::deque<uint32_t> g_Script;
int g_ScriptCalls = 0;
int ScriptedSource(uint32_t& out) {
  ++g_ScriptCalls;
  if (g_Script.empty()) return 0;
  out = g_Script.front();
  g_Script.pop_front();
  return 1;
}
int StuckSource(uint32_t& out) {
  out = 0xFFFFFFFF;
  return 1;
}

const uint32_t kSeeds[16] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210, 5,  6,  7,  8,
                             9,          10,         11,         12,         13, 14, 0xDEADBEEF, 0x0BADF00D};

// What a Blowfish counter generator seeded with kSeeds hands out, from OpenSSL's cipher.
std::vector<uint32_t> ExpectedBlowfishStream(const uint32_t* seeds, int count) {
  uint8_t key[56];
  for (int i = 0; i < 56; ++i) key[i] = uint8_t(seeds[i / 4] >> (8 * (i % 4)));
  BF_KEY bf;
  BF_set_key(&bf, 56, key);
  BF_LONG block[2] = {seeds[14], seeds[15]};
  std::vector<uint32_t> out;
  while (int(out.size()) < count) {
    out.push_back(uint32_t(block[0]));
    out.push_back(uint32_t(block[1]));
    BF_encrypt(block, &bf);
  }
  out.resize(size_t(count));
  return out;
}

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }
  void TearDown() override { Restart(); }
  void Restart() {
    xSetRandSource(nullptr);
    xSetRNGChannelFactory(nullptr);
    xResetRand();
    g_Script.clear();
    g_ScriptCalls = 0;
    g_Service = &m_Service;
  }
  void UseFakeService() { xSetRNGChannelFactory(MakeFakePipe); }
  void SeedFallback() { ASSERT_EQ(xSeedLGCRand(kSeeds, 16), 1); }

  SFakeService m_Service;
};

// Until a seeding with exactly the words it needs, a generator gives nothing.
void ExpectSeedRules(CPseudoRNGBase& rng, int type, uint32_t needed) {
  EXPECT_EQ(rng.GetType(), type);
  EXPECT_EQ(rng.SeedsNeeded(), needed);
  uint32_t out = 77;
  EXPECT_EQ(rng.Rand(out), 0);
  EXPECT_EQ(out, 77u);
  const std::vector<uint32_t> seeds(needed + 1, 5489);
  EXPECT_EQ(rng.Seed(seeds.data(), needed + 1), 0);
  EXPECT_EQ(rng.Seed(seeds.data(), needed - 1), 0);
  EXPECT_EQ(rng.Seed(nullptr, needed), 0);
  EXPECT_EQ(rng.Rand(out), 0);
}

}  // namespace

// ---- Generators -------------------------------------------------------------------------------

TEST(MersenneTwister, ReferenceValueAndSeedRules) {
  CMersenneTwister mt;
  ExpectSeedRules(mt, 0, 1);
  const uint32_t seed = 5489;
  uint32_t out;
  ASSERT_EQ(mt.Seed(&seed, 1), 1);
  ASSERT_EQ(mt.Rand(out), 1);
  EXPECT_EQ(out, 3499211612u);
}

TEST(MersenneTwister, MatchesPythonsMT19937) {
  const uint32_t seeds[] = {5489, 0, 1, 0xFFFFFFFF, 19650218, 123456789};
  const int count = 1500;  // crosses two regenerations of the state
  std::ostringstream input;
  for (uint32_t s : seeds) input << s << ' ' << count << '\n';
  std::vector<std::string> expected = RunPythonTool("mt19937.py", input.str());
  ASSERT_EQ(expected.size(), std::size(seeds));
  for (size_t k = 0; k < std::size(seeds); ++k) {
    CMersenneTwister mt;
    ASSERT_EQ(mt.Seed(&seeds[k], 1), 1);
    std::ostringstream ours;
    for (int i = 0; i < count; ++i) {
      uint32_t v;
      ASSERT_EQ(mt.Rand(v), 1);
      ours << (i ? " " : "") << v;
    }
    EXPECT_EQ(ours.str(), expected[k]) << "seed " << seeds[k];
  }
}

TEST(MersenneTwister, ReseedingRestartsTheSequence) {
  CMersenneTwister mt;
  const uint32_t seed = 42;
  mt.Seed(&seed, 1);
  uint32_t first, v;
  mt.Rand(first);
  for (int i = 0; i < 700; ++i) mt.Rand(v);
  mt.Seed(&seed, 1);
  mt.Rand(v);
  EXPECT_EQ(v, first);
}

TEST(BlowfishRNG, HandsOutTheSeedBlockThenItsEncryptions) {
  CBlowfishRNG rng;
  ExpectSeedRules(rng, 1, 16);
  ASSERT_EQ(rng.Seed(kSeeds, 16), 1);
  uint32_t out;
  std::vector<uint32_t> expected = ExpectedBlowfishStream(kSeeds, 21);
  EXPECT_EQ(expected[0], 0xDEADBEEFu);
  EXPECT_EQ(expected[1], 0x0BADF00Du);
  for (uint32_t want : expected) {
    ASSERT_EQ(rng.Rand(out), 1);
    EXPECT_EQ(out, want);
  }
}

// ---- Fallback generator -----------------------------------------------------------------------

TEST_F(RandomTest, FallbackFollowsItsSeed) {
  EXPECT_EQ(xSeedLGCRand(kSeeds, 15), 0);
  EXPECT_EQ(xSeedLGCRand(nullptr, 16), 0);
  SeedFallback();
  for (uint32_t want : ExpectedBlowfishStream(kSeeds, 9)) EXPECT_EQ(CLGCRand(), want);
}

TEST_F(RandomTest, FallbackSeedsItselfOnFirstUse) {
  uint32_t a[4], b[4];
  for (auto& v : a) v = CLGCRand();
  xResetRand();
  for (auto& v : b) v = CLGCRand();
  EXPECT_NE(std::memcmp(a, b, sizeof a), 0);
}

TEST_F(RandomTest, FallbackDoubleStaysBelowOne) {
  uint32_t seeds[16] = {};
  seeds[14] = 0xFFFFFFFF;
  seeds[15] = 0;
  ASSERT_EQ(xSeedLGCRand(seeds, 16), 1);
  double top = CLGCRandDouble();
  EXPECT_LT(top, 1.0);
  EXPECT_EQ(top, 1.0 - 0x1p-32);
  EXPECT_EQ(CLGCRandDouble(), 0.0);
}

// ---- Uniform draw -----------------------------------------------------------------------------

TEST_F(RandomTest, DrawRejectsTheUnevenTop) {
  struct {
    uint32_t n;
    std::vector<uint32_t> raw;
    uint32_t result;
    size_t used;
  } cases[] = {
      {1, {0xFFFFFFFF}, 0, 1},
      {6, {0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFB}, 0xFFFFFFFBu % 6, 5},
      {6, {0xFFFFFFFC, 13}, 1, 2},  // floor(0xFFFFFFFF / 6) * 6 itself would favour 0
      {3, {0xFFFFFFFF, 0xFFFFFFFE}, 0xFFFFFFFEu % 3, 2},
      {0x80000000, {0xFFFFFFFF}, 0x7FFFFFFF, 1},  // a power of two rejects nothing
      {0x80000001, {0x80000001, 0x80000000}, 0x80000000, 2},
      {10, {12345}, 5, 1},
  };
  xSetRandSource(ScriptedSource);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    g_Script.assign(c.raw.begin(), c.raw.end());
    g_ScriptCalls = 0;
    int fromService = -1;
    EXPECT_EQ(xRand(c.n, &fromService), c.result);
    EXPECT_EQ(size_t(g_ScriptCalls), c.used);
    EXPECT_EQ(fromService, 1);
  }
  int fromService = -1;
  EXPECT_EQ(xRand(0, &fromService), 0u);
  EXPECT_EQ(fromService, 1);
  EXPECT_EQ(g_ScriptCalls, 1);  // n = 0 draws nothing
}

TEST_F(RandomTest, DrawFallsBackWhenTheSourceFails) {
  SeedFallback();
  xSetRandSource(ScriptedSource);  // empty script: every draw fails
  int fromService = -1;
  EXPECT_EQ(xRand(1000, &fromService), 0xDEADBEEFu % 1000);
  EXPECT_EQ(fromService, 0);
  EXPECT_EQ(xRand(1000), 0x0BADF00Du % 1000);
}

TEST_F(RandomTest, DrawStopsAskingASourceThatOnlySendsRejects) {
  SeedFallback();
  xSetRandSource(StuckSource);
  int fromService = -1;
  EXPECT_EQ(xRand(6, &fromService), 0xDEADBEEFu % 6);
  EXPECT_EQ(fromService, 0);
}

// ---- Random-number service --------------------------------------------------------------------

TEST_F(RandomTest, WithoutAChannelTheFallbackAnswers) {
  SeedFallback();
  uint32_t v = 0;
  EXPECT_EQ(xSysRand(v), 1);
  EXPECT_EQ(v, 0xDEADBEEFu);
  int fromService = -1;
  EXPECT_EQ(xRand(1000, &fromService), 0x0BADF00Du % 1000);
  EXPECT_EQ(fromService, 1);
}

TEST_F(RandomTest, AbsentServiceIsAskedOnceAndTheFallbackAnswers) {
  SeedFallback();
  UseFakeService();
  m_Service.present = false;
  int fromService = -1;
  EXPECT_EQ(xRand(1000, &fromService), 0xDEADBEEFu % 1000);
  EXPECT_EQ(fromService, 1);
  m_Service.present = true;
  m_Service.answers = {Bytes(7)};
  EXPECT_EQ(xRand(1000, &fromService), 0x0BADF00Du % 1000);
  EXPECT_EQ(fromService, 1);
  EXPECT_EQ(m_Service.opened.size(), 1u);
}

TEST_F(RandomTest, ServiceValuesFeedTheDraw) {
  UseFakeService();
  m_Service.answers = {Bytes(123456), Bytes(0xFFFFFFFF), Bytes(4000000001u)};
  int fromService = -1;
  EXPECT_EQ(xRand(1000, &fromService), 456u);
  EXPECT_EQ(fromService, 1);
  EXPECT_EQ(xRand(1000, &fromService), 1u);  // 0xFFFFFFFF is rejected for n = 1000
  EXPECT_EQ(fromService, 1);
  ASSERT_EQ(m_Service.opened.size(), 2u);
  EXPECT_EQ(m_Service.opened[0], std::make_pair(std::string(kPublicPipe), CRNGClient::WAIT_MS));
  EXPECT_EQ(m_Service.opened[1], std::make_pair(std::string("rng-7"), CRNGClient::WAIT_MS));
  EXPECT_EQ(m_Service.openChannels, 1);  // the public channel was closed again
}

TEST_F(RandomTest, ServiceThatCannotBeReachedAgainStaysDead) {
  SeedFallback();
  UseFakeService();
  m_Service.answers = {Bytes(5)};
  int fromService = -1;
  EXPECT_EQ(xRand(10, &fromService), 5u);
  EXPECT_EQ(fromService, 1);

  m_Service.present = false;  // gone: the reconnection fails too
  EXPECT_EQ(xRand(1000, &fromService), 0xDEADBEEFu % 1000);
  EXPECT_EQ(fromService, 0);

  // Back again, but the process no longer asks: a hung service must not stall every draw.
  m_Service.present = true;
  m_Service.answers = {Bytes(77)};
  m_Service.opened.clear();
  uint32_t v = 0;
  EXPECT_EQ(xSysRand(v), 1);
  EXPECT_EQ(v, 0x0BADF00Du);
  EXPECT_EQ(xRand(100, &fromService), ExpectedBlowfishStream(kSeeds, 3)[2] % 100);
  EXPECT_EQ(fromService, 1);
  EXPECT_TRUE(m_Service.opened.empty());
}

TEST_F(RandomTest, ClientTakesOnlyASoundPrivateName) {
  UseFakeService();
  const std::string longest(CRNGClient::MAX_NAME, 'n');
  struct {
    std::string answer;
    int result;
    std::string opens;
  } cases[] = {
      {"rng-7", 1, "rng-7"},
      {"", 0, ""},
      {std::string("\0abc", 4), 0, ""},
      {std::string("ab\0cd", 5), 1, "ab"},
      {longest, 1, longest},  // no terminator from the service: the name still ends
      {longest + "n", 0, ""},  // longer than a name may be
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.size());
    m_Service.nameAnswer = c.answer;
    m_Service.privateName = c.opens;
    m_Service.opened.clear();
    CRNGClient client;
    EXPECT_EQ(client.Init(), c.result);
    ASSERT_GE(m_Service.opened.size(), 1u);
    if (c.result) {
      ASSERT_EQ(m_Service.opened.size(), 2u);
      EXPECT_EQ(m_Service.opened[1].first, c.opens);
    } else {
      EXPECT_EQ(m_Service.opened.size(), 1u);
    }
  }
  EXPECT_EQ(m_Service.openChannels, 0);  // every client closed its channel
}

TEST_F(RandomTest, ClientValuesAreExactlyFourBytes) {
  UseFakeService();
  CRNGClient client;
  ASSERT_EQ(client.Init(), 1);
  m_Service.answers = {"abc", "abcdefgh", Bytes(0x12345678), ""};
  uint32_t v = 9;
  EXPECT_EQ(client.Rand(v), 0);
  EXPECT_EQ(client.Rand(v), 0);
  EXPECT_EQ(v, 9u);
  EXPECT_EQ(client.Rand(v), 1);
  EXPECT_EQ(v, 0x12345678u);
  EXPECT_EQ(client.Rand(v), 0);
  EXPECT_EQ(client.Exit(), 1);
  EXPECT_EQ(m_Service.openChannels, 0);
  EXPECT_EQ(client.Rand(v), 0);
}
