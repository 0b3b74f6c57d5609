// Every way through the CRC-32 that the processor has (the tables, carry-less folding 16 and 32
// bytes wide), and the one xCRCUpdate picks, against zlib: CRC-32/BZIP2 is zlib's crc32 over
// bit-reversed bytes, the result bit-reversed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <thread>
#include <vector>

#include "ostrel/files/crc.h"
#include "ostrel/files/crcengine.h"

namespace {
uint8_t Reverse8(uint8_t b) {
  b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

uint32_t Reverse32(uint32_t v) {
  uint32_t r = 0;
  for (int i = 0; i < 32; ++i, v >>= 1) r = r << 1 | (v & 1);
  return r;
}

uint32_t ZlibOracle(const uint8_t* p, size_t len) {
  std::vector<uint8_t> flipped(len);
  std::transform(p, p + len, flipped.begin(), Reverse8);
  return Reverse32(static_cast<uint32_t>(crc32(0, flipped.data(), static_cast<uInt>(len))));
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (uint8_t& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

using TUpdate = uint32_t (*)(uint32_t, const void*, size_t, uint32_t);

template <ECrcPath kPath>
uint32_t Via(uint32_t reg, const void* data, size_t len, uint32_t poly) {
  return xCRCUpdateVia(kPath, reg, data, len, poly);
}

struct SPath {
  const char* name;
  TUpdate update;
  bool present;
};

void PrintTo(const SPath& path, std::ostream* os) { *os << path.name; }

uint32_t Whole(TUpdate update, const uint8_t* p, size_t len, uint32_t poly = XCRC_POLY) {
  return len ? ~update(0xFFFFFFFFu, p, len, poly) : 0;
}

const SPath kPaths[] = {{"Chosen", xCRCUpdate, true},
                        {"Tables", Via<ECrcPath::Tables>, true},
                        {"Clmul", Via<ECrcPath::Clmul>, xCrcHasPath(ECrcPath::Clmul)},
                        {"WideClmul", Via<ECrcPath::WideClmul>, xCrcHasPath(ECrcPath::WideClmul)}};

class CrcPaths : public ::testing::TestWithParam<SPath> {
 protected:
  void SetUp() override {
    if (!GetParam().present) GTEST_SKIP() << "this processor lacks the instructions";
  }
};

TEST_P(CrcPaths, EveryShortLengthAtEveryAlignment) {
  alignas(64) uint8_t buffer[600 + 16];
  const std::vector<uint8_t> bytes = RandomBytes(sizeof buffer, 1);
  std::copy(bytes.begin(), bytes.end(), buffer);
  for (size_t offset = 0; offset < 16; ++offset)
    for (size_t len = 0; len <= 600; ++len)
      ASSERT_EQ(Whole(GetParam().update, buffer + offset, len), ZlibOracle(buffer + offset, len))
          << "offset " << offset << " length " << len;
}

TEST_P(CrcPaths, LargeBuffers) {
  for (size_t len : {4096u, 65535u, 65536u, 65537u, (1u << 20) + 13u, 3u * (1u << 20) + 7u}) {
    const std::vector<uint8_t> bytes = RandomBytes(len + 1, static_cast<uint32_t>(len));
    for (size_t offset : {0u, 1u})
      EXPECT_EQ(Whole(GetParam().update, bytes.data() + offset, len), ZlibOracle(bytes.data() + offset, len))
          << "length " << len << " offset " << offset;
  }
  // Runs of one value, where a lane's carried part is all ones or all zeros.
  for (uint8_t fill : {0x00, 0xFF, 0x80}) {
    const std::vector<uint8_t> same(100000, fill);
    EXPECT_EQ(Whole(GetParam().update, same.data(), same.size()), ZlibOracle(same.data(), same.size())) << +fill;
  }
}

TEST_P(CrcPaths, PiecewiseAcrossChunkBoundaries) {
  const std::vector<uint8_t> bytes = RandomBytes(20000, 3);
  const uint32_t want = ZlibOracle(bytes.data(), bytes.size());
  std::mt19937 rng(4);
  for (size_t chunk : {1u, 3u, 15u, 16u, 17u, 63u, 64u, 65u, 127u, 128u, 129u, 191u, 4096u, 0u}) {
    uint32_t reg = 0xFFFFFFFFu;
    for (size_t at = 0; at < bytes.size();) {
      // Chunk 0: random lengths from 0 to 400.
      const size_t n = std::min(chunk ? chunk : rng() % 401, bytes.size() - at);
      reg = GetParam().update(reg, bytes.data() + at, n, XCRC_POLY);
      at += n;
    }
    EXPECT_EQ(~reg, want) << "chunk " << chunk;
  }
}

INSTANTIATE_TEST_SUITE_P(Each, CrcPaths, ::testing::ValuesIn(kPaths),
                         [](const auto& info) { return std::string(info.param.name); });

// The folding constants are worked out for whichever polynomial is asked; the tables' answers
// (checked bit by bit against Python in crc_test) are the reference.
TEST_P(CrcPaths, OtherPolynomialsAgreeWithTheTables) {
  const std::vector<uint8_t> bytes = RandomBytes(5000 + 16, 5);
  for (uint32_t poly : {0x1EDC6F41u, 0x741B8CD7u, 0x00000001u, 0x80000000u, XCRC_POLY})
    for (size_t offset : {0u, 5u})
      for (size_t len : {0u, 1u, 127u, 128u, 129u, 255u, 256u, 257u, 400u, 1000u, 5000u})
        EXPECT_EQ(Whole(GetParam().update, bytes.data() + offset, len, poly),
                  Whole(Via<ECrcPath::Tables>, bytes.data() + offset, len, poly))
            << std::hex << poly << std::dec << " offset " << offset << " length " << len;
}

// Each thread keeps its own tables for an unusual polynomial; threads that alternate must not
// see each other's.
TEST(CrcPaths, ThreadsWithDifferentPolynomials) {
  const std::vector<uint8_t> bytes = RandomBytes(3000, 6);
  const uint32_t polys[] = {0x1EDC6F41u, 0x741B8CD7u, XCRC_POLY};
  uint32_t want[3];
  for (int i = 0; i < 3; ++i) want[i] = Whole(Via<ECrcPath::Tables>, bytes.data(), bytes.size(), polys[i]);
  int wrong[3] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 200; ++round) {
        const int i = (t + round) % 3;
        if (Whole(xCRCUpdate, bytes.data(), bytes.size(), polys[i]) != want[i]) ++wrong[t];
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong[0] + wrong[1] + wrong[2], 0);
}
}  // namespace
