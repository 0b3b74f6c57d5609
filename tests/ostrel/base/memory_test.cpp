#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "ostrel/base/byteorder.h"
#include "ostrel/base/fastmem.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/globals.h"

namespace {
std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}
}  // namespace

TEST(Memcpy, BothSidesOfTheFastLimitCopyExactly) {
  for (size_t n : {size_t{1}, size_t{63}, XMEMCPY_FAST_LIMIT - 1, XMEMCPY_FAST_LIMIT,
                   XMEMCPY_FAST_LIMIT + 65}) {
    const auto src = RandomBytes(n + 3, static_cast<uint32_t>(n));
    std::vector<uint8_t> dst(n + 8, 0xEE);
    // Odd offsets on both sides: the tuned copy must not assume alignment.
    EXPECT_EQ(xMemcpy(dst.data() + 1, src.data() + 3, n), dst.data() + 1);
    EXPECT_EQ(std::memcmp(dst.data() + 1, src.data() + 3, n), 0) << n;
    EXPECT_EQ(dst[0], 0xEE);
    EXPECT_EQ(dst[n + 1], 0xEE) << "wrote past the block at n=" << n;
  }
}

TEST(Memcpy, TunedCopyHandlesTailsAndBlocks) {
  for (size_t n : {size_t{1}, size_t{64}, size_t{4096}, size_t{4096 + 64 + 7}, size_t{200000}}) {
    const auto src = RandomBytes(n, 7);
    std::vector<uint8_t> dst(n + 1, 0);
    CFastMem::memcpySSE(dst.data(), src.data(), n);
    EXPECT_EQ(std::memcmp(dst.data(), src.data(), n), 0) << n;
  }
}

TEST(Memset16, WritesExactlyCountValuesAtAnyAlignment) {
  for (size_t offset : {0, 2}) {
    for (uint32_t count : {0u, 1u, 2u, 3u, 4u, 7u}) {
      alignas(4) uint8_t buf[32];
      std::memset(buf, 0xEE, sizeof(buf));
      xMemset16(buf + offset, 0xA1B2, count);
      for (uint32_t i = 0; i < count; ++i) {
        uint16_t v;
        std::memcpy(&v, buf + offset + 2 * i, 2);
        EXPECT_EQ(v, 0xA1B2);
      }
      for (size_t i = offset + 2 * count; i < sizeof(buf); ++i) EXPECT_EQ(buf[i], 0xEE) << count;
      for (size_t i = 0; i < offset; ++i) EXPECT_EQ(buf[i], 0xEE);
    }
  }
}

TEST(Memset24, WritesHighMiddleLowBytes) {
  uint8_t buf[8];
  std::memset(buf, 0xEE, sizeof(buf));
  xMemset24(buf, 0xFF112233u, 2);
  const uint8_t expected[8] = {0x11, 0x22, 0x33, 0x11, 0x22, 0x33, 0xEE, 0xEE};
  EXPECT_EQ(std::memcmp(buf, expected, 8), 0);
  xMemset24(buf, 0x445566, 0);
  EXPECT_EQ(std::memcmp(buf, expected, 8), 0);
}

TEST(MemZero, ClearsEveryByte) {
  uint8_t buf[11];
  std::memset(buf, 0xEE, sizeof(buf));
  xMemZero(buf + 1, 9);
  EXPECT_EQ(buf[0], 0xEE);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(buf[i], 0);
  EXPECT_EQ(buf[10], 0xEE);
}

TEST(CheckForCharInBlock, BothFormsRespectTheirBounds) {
  const char text[] = "abcdef";
  EXPECT_EQ(xCheckForCharInBlock(text, text + 3, 'c'), 1);
  EXPECT_EQ(xCheckForCharInBlock(text, text + 3, 'd'), 0);
  EXPECT_EQ(xCheckForCharInBlock(text, size_t{4}, 'd'), 1);
  EXPECT_EQ(xCheckForCharInBlock(text, size_t{0}, 'a'), 0);
}

TEST(ByteOrder, StandardOrderIsBigEndian) {
  uint32_t v = 0;
  const uint8_t bytes[4] = {0x11, 0x22, 0x33, 0x44};
  std::memcpy(&v, bytes, 4);
  const uint32_t converted = XULONG_FromProcToStd(v);
  uint8_t out[4];
  std::memcpy(out, &converted, 4);
  EXPECT_EQ(out[0], 0x44);
  EXPECT_EQ(out[3], 0x11);
  EXPECT_EQ(XULONG_FromStdToProc(XULONG_FromProcToStd(0x12345678u)), 0x12345678u);
  EXPECT_EQ(XUWORD_FromProcToStd(0x1234), 0x3412);
  EXPECT_EQ(XDOUBLE_FromStdToProc(XDOUBLE_FromProcToStd(1.5)), 1.5);
  EXPECT_EQ(XFLOAT_FromStdToProc(XFLOAT_FromProcToStd(-2.25f)), -2.25f);
}

TEST(ByteOrder, RemembersTheHostOrderInTheGlobals) {
  SGlobals globals(1);
  glb = &globals;
  EXPECT_EQ(globals.m_ByteOrder, 0);
  XUWORD_FromProcToStd(1);
  EXPECT_EQ(globals.m_ByteOrder, 2);  // this suite runs on little-endian hosts
  glb = nullptr;
}
