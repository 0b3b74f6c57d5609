// The packed form of the block compressor is fixed: packed blocks live in archives and files
// written by earlier builds. Each input below must keep packing to exactly the bytes it packed to
// when the format was settled (recorded as their CRC and length), and must come back unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ostrel/compression/zzipcodec.h"
#include "ostrel/compression/zzipfilters.h"
#include "ostrel/compression/zzipstreams.h"
#include "ostrel/files/crc.h"

namespace {
using Bytes = std::vector<uint8_t>;

// Words drawn with falling frequencies, in lines of varying indentation, with numbers: near
// enough to sources and documents that every model of the coder gets to adapt and rescale.
Bytes Prose(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> words;
  for (int i = 0; i < 600; ++i) {
    std::string w;
    const unsigned len = 1 + rng() % 9;
    for (unsigned j = 0; j < len; ++j) w += static_cast<char>('a' + rng() % 26);
    if (rng() % 7 == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
    words.push_back(w);
  }
  Bytes b;
  while (b.size() < n) {
    std::string line(2 * (rng() % 5), ' ');
    const unsigned count = 2 + rng() % 10;
    for (unsigned i = 0; i < count; ++i) {
      // Word i is about 1 / (i + 1) as likely as word 0.
      const unsigned r = rng() % 600;
      line += words[r * r / 600 * r / 600];
      line += rng() % 11 == 0 ? std::to_string(rng() % 10000) + ", " : " ";
    }
    line += rng() % 3 ? ";\n" : "\r\n";
    b.insert(b.end(), line.begin(), line.end());
  }
  b.resize(n);
  return b;
}

// Instructions with calls to targets inside the block.
Bytes Code(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  const uint8_t ops[][4] = {{0x48, 0x89, 0xE5, 0}, {0x48, 0x83, 0xEC, 0x10}, {0x55, 0, 0, 0}, {0x8B, 0x45, 0xFC, 0},
                            {0x31, 0xC0, 0, 0},   {0xC3, 0, 0, 0},          {0x0F, 0x1F, 0x40, 0}};
  const uint8_t opLen[] = {3, 4, 1, 3, 2, 1, 3};
  Bytes b;
  while (b.size() + 16 < n) {
    const unsigned op = rng() % 9;
    if (op < 7) {
      b.insert(b.end(), ops[op], ops[op] + opLen[op]);
    } else {
      b.push_back(0xE8);
      const uint32_t target = rng() % static_cast<uint32_t>(n / 32 + 1) * 32;
      const uint32_t rel = target - static_cast<uint32_t>(b.size() + 4);
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(rel >> (8 * i)));
    }
  }
  b.resize(n, 0xCC);
  return b;
}

// 16-byte records: a counter, a small value, a float, a tag.
Bytes Records(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (uint32_t i = 0; b.size() < n; ++i) {
    float f = static_cast<float>(rng() % 1000) / 8.0f;
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    const uint32_t fields[] = {i * 3, static_cast<uint32_t>(rng() % 300), bits,
                               0x41000000u | static_cast<uint32_t>(rng() % 5)};
    for (uint32_t v : fields)
      for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  }
  b.resize(n);
  return b;
}

// Bytes of a steeply falling distribution in a shuffled order: move-to-front values of every size.
Bytes Skewed(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  uint8_t order[256];
  for (int i = 0; i < 256; ++i) order[i] = static_cast<uint8_t>(i);
  for (int i = 255; i > 0; --i) std::swap(order[i], order[rng() % static_cast<unsigned>(i + 1)]);
  Bytes b(n);
  for (auto& c : b) {
    unsigned r = 0;
    while (r < 255 && rng() % 8 < 3) ++r;
    c = order[r];
  }
  return b;
}

Bytes Runs(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    // One draw per statement: the order of draws within one expression is up to the compiler.
    const auto c = static_cast<uint8_t>(rng() % 5);
    const auto draw = static_cast<uint32_t>(rng());
    const uint32_t len = 1 + draw % (rng() % 2 ? 12 : 400);
    b.insert(b.end(), len, c);
  }
  b.resize(n);
  return b;
}

Bytes Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

// Noise with a stretch of prose in it.
Bytes Mixed(size_t n, unsigned seed) {
  Bytes b = Noise(n, seed);
  const Bytes text = Prose(n / 4, seed + 1);
  std::copy(text.begin(), text.end(), b.begin() + static_cast<long>(n / 2));
  return b;
}

struct SGolden {
  const char* name;
  Bytes (*make)(size_t, unsigned);
  size_t n;
  unsigned seed;
  int32_t filters;
  uint32_t packedLen;
  uint32_t crc;
};

constexpr int32_t kAuto = ZZIP_FILTERS_AUTO;
constexpr int32_t kRev = ZZIP_MODE_REVERSED << ZZIP_MODE_SHIFT;
constexpr int32_t kCalls = ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT;

const SGolden kGolden[] = {
    {"prose 65", Prose, 65, 1, kAuto, 79, 0x2BCB3740},
    {"prose 3072", Prose, 3072, 2, kAuto, 1567, 0x34A9A9A0},
    {"prose 200k", Prose, 200000, 3, kAuto, 43003, 0x1C786313},
    {"prose 1.5M", Prose, 1536 << 10, 4, kAuto, 312525, 0xFA3EAE76},
    {"prose 6M", Prose, 6 << 20, 5, kAuto, 1137032, 0xC5CB4096},
    {"code 400k", Code, 400000, 6, kAuto, 104080, 0x0E15039B},
    {"records 300k", Records, 300000, 7, kAuto, 90819, 0x8CE19CF2},
    {"skewed 200k", Skewed, 200000, 8, kAuto, 46510, 0xFDF42DE6},
    {"runs 100k", Runs, 100000, 9, kAuto, 1333, 0x868E9999},
    {"noise 100k", Noise, 100000, 10, kAuto, 100014, 0xFEDE4D1F},
    {"mixed 2M", Mixed, 2 << 20, 11, kAuto, 1709014, 0xFF9FB761},
    {"prose reversed", Prose, 50000, 12, kRev, 12053, 0x668F414B},
    {"prose runs calls", Prose, 50000, 13, ZZIP_FLAG_RUNS | kCalls, 12622, 0xC8510AF1},
    {"skewed plain", Skewed, 50000, 14, 0, 11641, 0xA9910A49},
};
}  // namespace

// Both builds of the coders: the one the processor running the tests takes, and the plain one.
class ZZipGoldenTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { ZZipKeepToPlainX86(GetParam()); }
  void TearDown() override { ZZipKeepToPlainX86(false); }
};

INSTANTIATE_TEST_SUITE_P(Builds, ZZipGoldenTest, testing::Values(false, true));

TEST_P(ZZipGoldenTest, PackedBytesNeverChange) {
  for (const SGolden& g : kGolden) {
    const Bytes in = g.make(g.n, g.seed);
    Bytes block(in.size() + ZZIP_EXTRA_BYTES);
    std::memcpy(block.data(), in.data(), in.size());
    uint32_t len = 0;
    ASSERT_EQ(ZZipBlockCodec::Compress(block.data(), static_cast<uint32_t>(in.size()), &len, g.filters), 1) << g.name;
    uint32_t crc = 0;
    xCalcCRC(block.data(), len, &crc, XCRC_POLY);
    EXPECT_EQ(len, g.packedLen) << g.name;
    EXPECT_EQ(crc, g.crc) << g.name << std::hex << " crc 0x" << crc;

    uint32_t unpacked = 0;
    block.resize(in.size() + ZZIP_EXTRA_BYTES);
    ASSERT_EQ(ZZipBlockCodec::Expand(block.data(), len, static_cast<uint32_t>(block.size()), &unpacked), 1) << g.name;
    block.resize(unpacked);
    EXPECT_TRUE(block == in) << g.name;
  }
}
