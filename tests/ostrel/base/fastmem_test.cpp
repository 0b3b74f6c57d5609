#include <gtest/gtest.h>

#include <cpuid.h>

#include <cstring>
#include <random>
#include <vector>

#include "ostrel/base/fastmem.h"

TEST(CPUInfo, FlagsAreTheCpuidBits) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  ASSERT_TRUE(__get_cpuid(1, &a, &b, &c, &d));
  EXPECT_EQ(CCPUInfo::HasCPUID(), 1);
  EXPECT_EQ(CCPUInfo::HasMMX(), static_cast<int32_t>((d >> 23) & 1));
  EXPECT_EQ(CCPUInfo::HasSSE(), static_cast<int32_t>((d >> 25) & 1));
}

// Every size class of both copies (tails, whole blocks, both sides of the switch to glibc) at
// odd offsets gives what memcpy gives, and nothing beyond the block.
TEST(FastMem, CopiesEqualMemcpy) {
  std::mt19937 rng(11);
  for (size_t n : {size_t{0}, size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{4095}, size_t{4096},
                   size_t{4097 + 64}, size_t{0x2C000}, size_t{512 * 1024 - 1}, size_t{512 * 1024},
                   size_t{512 * 1024 + 77}, size_t{3 << 20}}) {
    for (size_t offset : {size_t{0}, size_t{3}}) {
      std::vector<uint8_t> src(n + 8), want(n + 16, 0xEE), got1(n + 16, 0xEE), got2(n + 16, 0xEE);
      for (auto& v : src) v = static_cast<uint8_t>(rng());
      std::memcpy(want.data() + offset, src.data() + 5 - offset, n);
      EXPECT_EQ(CFastMem::memcpy(got1.data() + offset, src.data() + 5 - offset, n), got1.data() + offset);
      EXPECT_EQ(CFastMem::memcpySSE(got2.data() + offset, src.data() + 5 - offset, n), got2.data() + offset);
      EXPECT_EQ(got1, want) << n << " at " << offset;
      EXPECT_EQ(got2, want) << n << " at " << offset;
    }
  }
  std::vector<uint8_t> any(100);
  CFastMem::Precache(any.data(), any.size());
  CFastMem::Precache(any.data(), 0);
}
