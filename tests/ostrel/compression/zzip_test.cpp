// The block compressor's front end and container: round trips, the packed layout, limits, damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ostrel/compression/zzip.h"
#include "ostrel/compression/zzipcodec.h"
#include "ostrel/compression/zzipfilters.h"
#include "ostrel/system/memhooks.h"
#include "support/tempdir.h"

namespace {
using Bytes = std::vector<uint8_t>;

uint32_t Le32(const Bytes& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

Bytes TextBytes(size_t n, unsigned seed) {
  static const char* const kWords[] = {"the ", "dealer ", "Hits ", "on soft ", "seventeen", ", ", "player ",
                                       "stands.\n", "Blackjack ", "pays ", "3 to 2 ", "insurance\r\n"};
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    const char* w = kWords[rng() % 12];
    b.insert(b.end(), w, w + std::strlen(w));
  }
  b.resize(n);
  return b;
}

// Something like machine code: call instructions to targets inside the block among other bytes.
Bytes CodeBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() + 16 < n) {
    const uint8_t pre[] = {0x48, 0x89, 0xE5, 0x48, 0x83, 0xEC, 0x10};
    b.insert(b.end(), pre, pre + 2 + rng() % 5);
    b.push_back(0xE8);
    const uint32_t target = rng() % static_cast<uint32_t>(n / 64 + 1) * 64;
    const uint32_t rel = target - static_cast<uint32_t>(b.size() + 4);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(rel >> (8 * i)));
  }
  b.resize(n, 0x90);
  return b;
}

Bytes RepetitiveBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) b.insert(b.end(), 1 + rng() % 2000, static_cast<uint8_t>(rng() % 3));
  b.resize(n);
  return b;
}

// Mostly zeros with a few small values among them.
Bytes SparseBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = rng() % 16 == 0 ? static_cast<uint8_t>(rng() % 4) : 0;
  return b;
}

Bytes WithLe32(Bytes b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
  return b;
}

// A block of the runtime's allocator, as the front end wants it.
struct SBlock {
  unsigned char* p = nullptr;
  explicit SBlock(const Bytes& b, size_t room = 0) {
    p = static_cast<unsigned char*>(xSysAllocMemFunc(b.size() + room + 1));
    if (!b.empty()) std::memcpy(p, b.data(), b.size());
  }
  ~SBlock() { xSysFreeMemFunc(p); }
  Bytes Get(uint32_t len) const { return Bytes(p, p + len); }
};

Bytes Pack(const Bytes& in) {
  CZZip z;
  SBlock b(in);
  uint32_t len = static_cast<uint32_t>(in.size());
  EXPECT_EQ(z.CompressBuffer(&b.p, len, 0, 0), 1);
  return b.Get(len);
}

// 1 with the data, or 0 with the codec's error.
struct SExpanded {
  int32_t ok;
  int32_t error;
  Bytes data;
};

SExpanded Unpack(const Bytes& packed, uint32_t limit = 0) {
  CZZip z;
  SBlock b(packed);
  uint32_t len = static_cast<uint32_t>(packed.size());
  const int32_t ok = z.ExpandBuffer(&b.p, len, limit);
  return {ok, CZZip::LastError(), ok ? b.Get(len) : Bytes()};
}

uint32_t ReferenceCheck(const Bytes& b) {
  uint32_t r = 0xFFFFFFFFu;
  for (uint8_t c : b) {
    r ^= c;
    r = r >> 8 | r << 24;
  }
  return r;
}

Bytes PackWith(const Bytes& in, int32_t filters) {
  Bytes b(in.size() + ZZIP_EXTRA_BYTES);
  std::memcpy(b.data(), in.data(), in.size());
  uint32_t len = 0;
  EXPECT_EQ(ZZipBlockCodec::Compress(b.data(), static_cast<uint32_t>(in.size()), &len, filters), 1);
  b.resize(len);
  return b;
}
}  // namespace

TEST(ZZipTest, CheckValueFollowsItsDefinition) {
  const Bytes data = RandomBytes(100, 3);
  for (size_t n = 0; n <= data.size(); ++n) {
    const Bytes part(data.begin(), data.begin() + static_cast<long>(n));
    EXPECT_EQ(ZZipBlockCodec::CheckValue(part.data(), static_cast<uint32_t>(n)), ReferenceCheck(part)) << n;
  }
}

TEST(ZZipTest, RoundTripsEveryKindOfBlock) {
  using TMaker = Bytes (*)(size_t, unsigned);
  const TMaker makers[] = {RandomBytes, TextBytes, CodeBytes, RepetitiveBytes};
  const size_t sizes[] = {1, 2, 63, 64, 65, 200, 3071, 3072, 3073, 70000, 1 << 20};
  unsigned seed = 1;
  for (TMaker make : makers) {
    for (size_t n : sizes) {
      const Bytes in = make(n, seed++);
      const Bytes packed = Pack(in);
      ASSERT_LE(packed.size(), n + 32) << n;
      const SExpanded out = Unpack(packed);
      ASSERT_EQ(out.ok, 1) << n << " error " << out.error;
      EXPECT_TRUE(out.data == in) << n;
    }
  }
}

TEST(ZZipTest, EveryFilterRoundTrips) {
  const Bytes inputs[] = {TextBytes(50000, 4), CodeBytes(50000, 5), RepetitiveBytes(50000, 6), RandomBytes(5000, 7)};
  const int32_t filters[] = {0, ZZIP_FLAG_RUNS, ZZIP_MODE_REVERSED << ZZIP_MODE_SHIFT, ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT,
                             ZZIP_FLAG_RUNS | ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT};
  for (const Bytes& in : inputs) {
    for (int32_t f : filters) {
      const SExpanded out = Unpack(PackWith(in, f));
      ASSERT_EQ(out.ok, 1) << f;
      EXPECT_TRUE(out.data == in) << f;
    }
  }
}

TEST(ZZipTest, CompressorChoosesFiltersThatPay) {
  EXPECT_EQ(ZZipChooseFilters(TextBytes(50000, 1).data(), 50000), 0);
  EXPECT_EQ(ZZipChooseFilters(RepetitiveBytes(50000, 1).data(), 50000) & ZZIP_FLAG_RUNS, ZZIP_FLAG_RUNS);
  EXPECT_EQ(ZZipChooseFilters(CodeBytes(50000, 1).data(), 50000) & ZZIP_MODE_MASK, ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT);
  EXPECT_EQ(ZZipChooseFilters(RandomBytes(50000, 1).data(), 50000), ZZIP_MODE_REVERSED << ZZIP_MODE_SHIFT);
  EXPECT_EQ(ZZipChooseFilters(CodeBytes(3000, 1).data(), 3000), 0);  // too short to bother
}

TEST(ZZipTest, RunFilterAndCallFilterByHand) {
  // Seven equal bytes, then a count of the ones beyond them.
  const Bytes runs = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 3};
  Bytes out(runs.size());
  const uint32_t len = ZZipRunsEncode(runs.data(), static_cast<uint32_t>(runs.size()), out.data());
  out.resize(len);
  EXPECT_EQ(out, (Bytes{1, 1, 1, 1, 1, 1, 1, 3, 2, 2, 2, 2, 2, 2, 2, 0, 3}));
  EXPECT_EQ(ZZipRunsLength(runs.data(), static_cast<uint32_t>(runs.size())), len);
  Bytes back(runs.size());
  EXPECT_TRUE(ZZipRunsDecode(out.data(), len, back.data(), static_cast<uint32_t>(back.size())));
  EXPECT_EQ(back, runs);
  EXPECT_FALSE(ZZipRunsDecode(out.data(), len, back.data(), static_cast<uint32_t>(back.size()) - 1));
  EXPECT_FALSE(ZZipRunsDecode(out.data(), 7, back.data(), static_cast<uint32_t>(back.size())));  // count missing

  // A call at 16 to relative +0x20 becomes absolute 0x35; far operands stay as they are.
  Bytes code(32, 0x90);
  const uint8_t call[] = {0xE8, 0x20, 0, 0, 0}, far[] = {0xE8, 0, 0, 0, 0x12};  // 0x12000000: not near
  std::memcpy(code.data() + 16, call, 5);
  std::memcpy(code.data(), far, 5);
  Bytes calls = code;
  ZZipCallsEncode(calls.data(), 32);
  EXPECT_EQ(Le32(calls, 17), 0x35u);
  EXPECT_EQ(Le32(calls, 1), 0x12000000u);
  ZZipCallsDecode(calls.data(), 32);
  EXPECT_EQ(calls, code);

  // The length the run filter would give is the length it gives, runs or none.
  for (const Bytes& in : {RandomBytes(1000, 3), TextBytes(1000, 3), RepetitiveBytes(3000, 3), Bytes(300, 7)}) {
    for (size_t n : {in.size(), in.size() - 1, size_t{9}, size_t{8}}) {
      Bytes filtered(n + n / 7 + 1);
      EXPECT_EQ(ZZipRunsLength(in.data(), static_cast<uint32_t>(n)),
                ZZipRunsEncode(in.data(), static_cast<uint32_t>(n), filtered.data()))
          << n;
    }
  }

  // Reversal, around the lengths where it turns whole words.
  for (size_t n = 0; n <= 40; ++n) {
    Bytes b = RandomBytes(n, static_cast<unsigned>(n)), want = b;
    std::reverse(want.begin(), want.end());
    ZZipReverse(b.data(), static_cast<uint32_t>(n));
    EXPECT_EQ(b, want) << n;
  }
}

TEST(ZZipTest, SmallAndIncompressibleBlocksAreStored) {
  for (size_t n : {size_t{1}, size_t{64}, size_t{100000}}) {
    const Bytes in = n == 64 ? TextBytes(64, 1) : RandomBytes(n, 9);
    const Bytes packed = Pack(in);
    ASSERT_EQ(packed.size(), n + 14);
    EXPECT_EQ(Le32(packed, 0), n);
    EXPECT_EQ(Le32(packed, 4), ReferenceCheck(in));
    EXPECT_EQ(packed[8] | packed[9] << 8, 0x8000);
    EXPECT_EQ(Le32(packed, 10), n);
    EXPECT_TRUE(Bytes(packed.begin() + 14, packed.end()) == in);
  }
}

TEST(ZZipTest, LargeBlocksWithSomethingToPackAreCoded) {
  // Large blocks are tried on samples first; a packable part must not be missed for the rest.
  Bytes in = RandomBytes(2 << 20, 14);
  const Bytes text = TextBytes(1 << 19, 15);
  std::copy(text.begin(), text.end(), in.begin() + (1 << 20));
  const Bytes packed = Pack(in);
  EXPECT_LT(packed.size(), in.size() - text.size() / 2);
  EXPECT_TRUE(Unpack(packed).data == in);
}

TEST(ZZipTest, CodedBlockLayout) {
  const Bytes in = TextBytes(20000, 2);
  const Bytes packed = Pack(in);
  ASSERT_LT(packed.size(), in.size() / 2);
  EXPECT_EQ(Le32(packed, 0), 20000u);
  EXPECT_EQ(Le32(packed, 4), ReferenceCheck(in));
  EXPECT_EQ(packed[8] | packed[9] << 8, 0);
  EXPECT_EQ(Le32(packed, 10), 20000u);  // m: no filter changed the length
  EXPECT_LT(Le32(packed, 14), 20000u);  // k
  const uint32_t primary = Le32(packed, 18);
  EXPECT_GE(primary, 1u);
  EXPECT_LE(primary, 20000u);
  const uint32_t a = Le32(packed, 23);
  const uint32_t b = Le32(packed, 27 + a);
  EXPECT_EQ(31 + a + b, packed.size());
}

TEST(ZZipTest, FrontEndArguments) {
  CZZip z;
  EXPECT_EQ(CZZip::ExtraBytesNeededForCompression(), 32);
  uint32_t len = 10;
  EXPECT_EQ(z.CompressBuffer(nullptr, len, 0, 0), 1);
  EXPECT_EQ(len, 0u);
  unsigned char* none = nullptr;
  len = 10;
  EXPECT_EQ(z.CompressBuffer(&none, len, 0, 0), 1);
  EXPECT_EQ(len, 0u);
  len = 5;
  EXPECT_EQ(z.ExpandBuffer(&none, len, 0), 1);

  // Room given and shrink: the block is cut to the packed length.
  const Bytes in = TextBytes(5000, 3);
  SBlock b(in, 32);
  len = 5000;
  ASSERT_EQ(z.CompressBuffer(&b.p, len, 1, 1), 1);
  EXPECT_LT(len, 5000u);
  const SExpanded out = Unpack(b.Get(len));
  EXPECT_TRUE(out.data == in);

  // A packed block announcing length 0 expands to nothing with limit 0.
  SBlock zero(Bytes{0, 0, 0, 0, 1, 2});
  len = 6;
  EXPECT_EQ(z.ExpandBuffer(&zero.p, len, 0), 1);
  EXPECT_EQ(len, 0u);
}

TEST(ZZipTest, LimitOfExpansion) {
  const Bytes in = TextBytes(10000, 4);
  const Bytes packed = Pack(in);
  EXPECT_TRUE(Unpack(packed, 0).data == in);      // the length from the header
  EXPECT_TRUE(Unpack(packed, 10000).data == in);
  EXPECT_TRUE(Unpack(packed, 50000).data == in);
  const SExpanded small = Unpack(packed, 9999);
  EXPECT_EQ(small.ok, 0);
  EXPECT_EQ(small.error, ZZIP_ERR_ARG);

  // Refused before anything is replaced: the caller's block stays.
  CZZip z;
  SBlock b(packed);
  unsigned char* before = b.p;
  uint32_t len = static_cast<uint32_t>(packed.size());
  EXPECT_EQ(z.ExpandBuffer(&b.p, len, 100), 0);
  EXPECT_EQ(b.p, before);
  // Longer than any packing of 10000 bytes: refused too.
  Bytes longer = packed;
  longer.resize(10000 + 33);
  EXPECT_EQ(Unpack(longer).error, ZZIP_ERR_ARG);
  EXPECT_EQ(Unpack(Bytes{1, 2, 3}).error, ZZIP_ERR_ARG);
}

TEST(ZZipTest, ABlockWithOneByteMoreThanTwoToThe24TimesComesBack) {
  // The inverse sort keeps counts of equal bytes in 24 bits: past that, one byte's count wraps.
  std::mt19937 rng(17);
  Bytes in((1u << 24) + 300000, 'a');
  for (size_t i = 0; i < in.size(); i += 1 + rng() % 512) in[i] = static_cast<uint8_t>('b' + rng() % 4);
  ASSERT_GT(std::count(in.begin(), in.end(), 'a'), 1 << 24);
  const Bytes packed = PackWith(in, 0);  // no run filter: the sorted block keeps every byte
  ASSERT_EQ(Le32(packed, 10), in.size());
  const SExpanded out = Unpack(packed);
  ASSERT_EQ(out.ok, 1) << out.error;
  EXPECT_TRUE(out.data == in);
}

TEST(ZZipTest, AnEmptyBlockIsNoDataWhenALengthIsAskedFor) {
  CZZip z;
  SBlock empty(Bytes{});
  uint32_t len = 0;
  EXPECT_EQ(z.ExpandBuffer(&empty.p, len, 100), 0);
  EXPECT_EQ(CZZip::LastError(), ZZIP_ERR_ARG);
  EXPECT_EQ(len, 0u);
  // Without a limit nothing was asked for, and nothing is what comes back.
  EXPECT_EQ(z.ExpandBuffer(&empty.p, len, 0), 1);
  EXPECT_EQ(len, 0u);
}

TEST(ZZipTest, TwentyMebibytesAndNotOneByteMore) {
  Bytes in = TextBytes(ZZIP_MAX_BLOCK, 5);
  for (size_t i = 0; i < in.size(); i += 4096) in[i] = static_cast<uint8_t>(i >> 12);
  const Bytes packed = Pack(in);
  const SExpanded out = Unpack(packed);
  ASSERT_EQ(out.ok, 1);
  EXPECT_TRUE(out.data == in);

  in.push_back('x');
  CZZip z;
  SBlock b(in, 32);
  uint32_t len = static_cast<uint32_t>(in.size());
  EXPECT_EQ(z.CompressBuffer(&b.p, len, 1, 0), 0);
  EXPECT_EQ(CZZip::LastError(), ZZIP_ERR_ARG);

  // A block announcing more than 20 MiB is refused even with a generous limit.
  Bytes big = Pack(TextBytes(1000, 6));
  big[0] = 1;
  big[1] = 0;
  big[2] = 0x40;
  big[3] = 0x01;  // 0x1400001
  EXPECT_EQ(Unpack(big, 0x2000000).error, ZZIP_ERR_ARG);
}

TEST(ZZipTest, EveryDamagedByteIsCaught) {
  const Bytes originals[] = {TextBytes(3000, 7), RepetitiveBytes(4000, 8), RandomBytes(40, 9)};
  const Bytes packs[] = {Pack(originals[0]), PackWith(originals[1], ZZIP_FLAG_RUNS | ZZIP_MODE_CALLS << ZZIP_MODE_SHIFT),
                         Pack(originals[2])};
  for (int which = 0; which < 3; ++which) {
    const Bytes& packed = packs[which];
    for (size_t i = 0; i < packed.size(); ++i) {
      for (uint8_t flip : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
        Bytes bad = packed;
        bad[i] ^= flip;
        const SExpanded out = Unpack(bad);
        // Padding bits at a stream's end may change without harm; anything else must fail.
        if (out.ok) {
          EXPECT_TRUE(out.data == originals[which]) << which << " byte " << i;
        } else {
          EXPECT_TRUE(out.error == ZZIP_ERR_CHECK || out.error == ZZIP_ERR_ARG) << out.error;
        }
      }
    }
    for (size_t cut = 1; cut < packed.size(); cut += 1 + cut / 8) {
      const SExpanded out = Unpack(Bytes(packed.begin(), packed.end() - static_cast<long>(cut)));
      EXPECT_EQ(out.ok, 0);
    }
  }
}

TEST(ZZipTest, APrimaryIndexNoSortCanHaveWrittenIsRefused) {
  // Long runs of three byte values: with most wrong indexes the walk back from the end mark
  // closes early, and what it leaves out is runs of zeros that the check value does not see.
  const Bytes in = RepetitiveBytes(4000, 2);
  const Bytes packed = PackWith(in, 0);
  const uint32_t primary = Le32(packed, 18);
  uint32_t through = 0;
  for (uint32_t p = 1; p <= 4000; ++p) {
    if (p == primary) continue;
    const SExpanded out = Unpack(WithLe32(packed, 18, p));
    through += static_cast<uint32_t>(out.ok);
    if (!out.ok) {
      EXPECT_EQ(out.error, ZZIP_ERR_CHECK) << p;
    }
  }
  EXPECT_EQ(through, 0u);
  EXPECT_TRUE(Unpack(packed).data == in);
}

// The check value is the XOR of the bytes in four lanes (byte i in lane (i - n) mod 4): bytes
// that change places within their lane leave it as it is.
TEST(ZZipTest, WhatTheCheckValueCannotSee) {
  // A stored block has nothing else: two of its bytes exchanged four places apart get through.
  const Bytes noise = RandomBytes(100, 21);
  Bytes stored = Pack(noise);
  ASSERT_EQ(stored.size(), noise.size() + 14);
  ASSERT_NE(stored[14 + 10], stored[14 + 14]);
  std::swap(stored[14 + 10], stored[14 + 14]);
  const SExpanded swapped = Unpack(stored);
  EXPECT_EQ(swapped.ok, 1);
  EXPECT_FALSE(swapped.data == noise);

  // In a coded block a damaged primary index that still links every row into one walk makes
  // another text of the same pieces in another order. Of every wrong index of this block, three
  // do so with every byte kept in its lane.
  const Bytes in = SparseBytes(4000, 1);
  const Bytes packed = PackWith(in, 0);
  const uint32_t primary = Le32(packed, 18);
  Bytes sorted = in;
  std::sort(sorted.begin(), sorted.end());
  uint32_t through = 0;
  for (uint32_t p = 1; p <= 4000; ++p) {
    if (p == primary) continue;
    SExpanded out = Unpack(WithLe32(packed, 18, p));
    if (!out.ok) continue;
    ++through;
    EXPECT_FALSE(out.data == in);
    EXPECT_EQ(ReferenceCheck(out.data), ReferenceCheck(in));
    std::sort(out.data.begin(), out.data.end());
    EXPECT_TRUE(out.data == sorted) << p;
  }
  EXPECT_EQ(through, 3u);
}

TEST(ZZipTest, HostileHeadersAreRefused) {
  const Bytes packed = Pack(TextBytes(5000, 10));
  ASSERT_EQ(packed[8] | packed[9] << 8, 0);
  const uint32_t a = Le32(packed, 23);
  auto with = [&](size_t at, uint32_t v) {
    Bytes b = packed;
    for (size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    return b;
  };
  auto flags = [&](uint16_t f) {
    Bytes b = packed;
    b[8] = static_cast<uint8_t>(f);
    b[9] = static_cast<uint8_t>(f >> 8);
    return b;
  };
  const Bytes cases[] = {
      with(10, 5001),            // m above n
      with(10, 4000),            // m short of n without the run filter
      with(10, 0),               // m 0
      with(14, 5001),            // more literals than symbols
      with(18, 0),               // primary index 0
      with(18, 5001),            // primary index past the block
      with(23, 0xFFFFFFF0u),     // A far beyond the block
      with(23, a + 1),           // A and B disagree with the length
      with(27 + a, 0),           // B short
      flags(0x0080),             // text filter: not built
      flags(0x0100),             // last-byte filter: not built
      flags(0x0010),             // record filter
      flags(0x0002),             // mode 1
      flags(0x000A),             // mode 5
      flags(0x4000),             // unknown bit
  };
  for (const Bytes& b : cases) {
    const SExpanded out = Unpack(b);
    EXPECT_EQ(out.ok, 0);
    EXPECT_TRUE(out.error == ZZIP_ERR_ARG || out.error == ZZIP_ERR_CHECK);
  }
  // Stored blocks must hold exactly their announced length.
  Bytes stored = Pack(RandomBytes(100, 11));
  stored[10] = 99;
  EXPECT_EQ(Unpack(stored).error, ZZIP_ERR_ARG);
}

namespace {
void* FailingAlloc(size_t) { return nullptr; }
void* FailingRealloc(void*, size_t) { return nullptr; }
}  // namespace

TEST(ZZipTest, NoWorkAreaGivesErrorMinusOne) {
  CZZip z;  // installs the runtime's allocator first
  const Bytes in = TextBytes(5000, 12);
  const Bytes packed = Pack(in);
  Bytes block(5000 + 32);
  std::memcpy(block.data(), in.data(), in.size());
  ZZipBlockCodec::SetMemoryHooks(FailingAlloc, FailingRealloc, xSysFreeMemFunc);
  uint32_t len = 0;
  EXPECT_EQ(ZZipBlockCodec::Compress(block.data(), 5000, &len), 0);
  EXPECT_EQ(ZZipBlockCodec::LastError(), ZZIP_ERR_MEMORY);
  Bytes p = packed;
  p.resize(5000 + 32);
  EXPECT_EQ(ZZipBlockCodec::Expand(p.data(), static_cast<uint32_t>(packed.size()), 5000, &len), 0);
  EXPECT_EQ(ZZipBlockCodec::LastError(), ZZIP_ERR_MEMORY);
  ZZipBlockCodec::SetMemoryHooks(xSysAllocMemFunc, xSysReallocMemFunc, xSysFreeMemFunc);
  EXPECT_EQ(ZZipBlockCodec::Expand(p.data(), static_cast<uint32_t>(packed.size()), 5000, &len), 1);
  EXPECT_EQ(ZZipBlockCodec::LastError(), ZZIP_OK);
}

namespace {
// Hooks that keep count of the bytes the codec holds, and of the most it held at once.
size_t g_Held = 0, g_MostHeld = 0;
void* CountingAlloc(size_t size) {
  auto* p = static_cast<size_t*>(std::malloc(size + 16));
  if (!p) return nullptr;
  *p = size;
  g_MostHeld = std::max(g_MostHeld, g_Held += size);
  return p + 2;
}
void CountingFree(void* block) {
  if (!block) return;
  size_t* p = static_cast<size_t*>(block) - 2;
  g_Held -= *p;
  std::free(p);
}
void* CountingRealloc(void* block, size_t size) {
  void* fresh = CountingAlloc(size);
  if (fresh && block) std::memcpy(fresh, block, std::min(size, *(static_cast<size_t*>(block) - 2)));
  if (fresh) CountingFree(block);
  return fresh;
}
}  // namespace

TEST(ZZipTest, ExpandingTakesLittleMoreThanFourBytesPerByteBesidesTheBlock) {
  CZZip z;
  for (const Bytes& in : {TextBytes(1 << 20, 22), CodeBytes(1 << 20, 23), RepetitiveBytes(1 << 20, 24)}) {
    const Bytes packed = Pack(in);
    Bytes block(in.size() + ZZIP_EXTRA_BYTES);
    std::memcpy(block.data(), packed.data(), packed.size());
    ZZipBlockCodec::SetMemoryHooks(CountingAlloc, CountingRealloc, CountingFree);
    g_Held = g_MostHeld = 0;
    uint32_t len = 0;
    const int32_t ok = ZZipBlockCodec::Expand(block.data(), static_cast<uint32_t>(packed.size()),
                                              static_cast<uint32_t>(block.size()), &len);
    ZZipBlockCodec::SetMemoryHooks(xSysAllocMemFunc, xSysReallocMemFunc, xSysFreeMemFunc);
    ASSERT_EQ(ok, 1);
    EXPECT_TRUE(Bytes(block.begin(), block.begin() + len) == in);
    EXPECT_EQ(g_Held, 0u);
    EXPECT_LE(g_MostHeld, 4 * in.size() + in.size() / 8);
  }
}

TEST(ZZipTest, Files) {
  CTempDir dir;
  CZZip z;
  const Bytes in = TextBytes(30000, 13);
  WriteWholeFile(dir.File("in.txt"), std::string(in.begin(), in.end()));
  ASSERT_EQ(z.CompressFile(dir.File("in.txt").c_str(), dir.File("packed/deeper/in.zz").c_str()), 1);
  const std::string packed = ReadWholeFile(dir.File("packed/deeper/in.zz"));
  EXPECT_TRUE(Bytes(packed.begin(), packed.end()) == Pack(in));
  ASSERT_EQ(z.ExpandFile(dir.File("packed/deeper/in.zz").c_str(), dir.File("out/in.txt").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("out/in.txt")), std::string(in.begin(), in.end()));

  WriteWholeFile(dir.File("empty"), "");
  EXPECT_EQ(z.CompressFile(dir.File("empty").c_str(), dir.File("empty.zz").c_str()), 1);
  EXPECT_EQ(z.ExpandFile(dir.File("empty.zz").c_str(), dir.File("empty.out").c_str()), 1);
  EXPECT_TRUE(std::filesystem::exists(dir.File("empty.out")));
  EXPECT_EQ(ReadWholeFile(dir.File("empty.out")), "");

  EXPECT_EQ(z.CompressFile(nullptr, dir.File("x").c_str()), 0);
  EXPECT_EQ(z.CompressFile(dir.File("in.txt").c_str(), nullptr), 0);
  EXPECT_EQ(z.ExpandFile(nullptr, dir.File("x").c_str()), 0);
  EXPECT_EQ(z.CompressFile(dir.File("missing").c_str(), dir.File("x").c_str()), 0);
  EXPECT_EQ(z.ExpandFile(dir.File("in.txt").c_str(), dir.File("x").c_str()), 0);  // not packed
  // The block must fill the file exactly: a byte more or less is damage.
  for (const std::string& bad : {packed + "x", packed.substr(0, packed.size() - 1)}) {
    WriteWholeFile(dir.File("bad.zz"), bad);
    EXPECT_EQ(z.ExpandFile(dir.File("bad.zz").c_str(), dir.File("bad.out").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.out")));
  }

  std::filesystem::resize_file(dir.File("empty"), ZZIP_MAX_BLOCK + 1);  // too large to read
  EXPECT_EQ(z.CompressFile(dir.File("empty").c_str(), dir.File("big.zz").c_str()), 0);
}
