// The arithmetic coder against a bit-at-a-time transcription of the classic 16-bit coder.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ostrel/compression/zzipcoder.h"

namespace {
struct SSymbol {
  uint32_t cumLow, cumHigh, total;
};

// The textbook loop: one rescaling step per bit, bits packed least significant first.
std::vector<uint8_t> ReferenceEncode(const std::vector<SSymbol>& syms) {
  uint32_t low = 0, high = 0xFFFF, follow = 0;
  std::vector<int> bits;
  auto out = [&](int b) {
    bits.push_back(b);
    for (; follow; --follow) bits.push_back(!b);
  };
  for (const SSymbol& s : syms) {
    const uint32_t range = high - low + 1;
    high = low + range * s.cumHigh / s.total - 1;
    low = low + range * s.cumLow / s.total;
    for (;;) {
      if (high < 0x8000) {
        out(0);
      } else if (low >= 0x8000) {
        out(1);
        low -= 0x8000;
        high -= 0x8000;
      } else if (low >= 0x4000 && high < 0xC000) {
        ++follow;
        low -= 0x4000;
        high -= 0x4000;
      } else {
        break;
      }
      low = 2 * low;
      high = 2 * high + 1;
    }
  }
  ++follow;
  out(low < 0x4000 ? 0 : 1);
  std::vector<uint8_t> bytes((bits.size() + 7) / 8);
  for (size_t i = 0; i < bits.size(); ++i) bytes[i / 8] |= static_cast<uint8_t>(bits[i] << (i % 8));
  return bytes;
}

std::vector<SSymbol> RandomSymbols(std::mt19937& rng, size_t count, uint32_t maxTotal) {
  std::vector<SSymbol> syms;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t total = 2 + rng() % (maxTotal - 1);
    // Mostly likely symbols, now and then a rare one, so long deferred runs occur too.
    uint32_t width = rng() % 8 ? total - 1 - rng() % (total / 50 + 1) : 1 + rng() % 3;
    if (width > total) width = total;
    const uint32_t low = rng() % (total - width + 1);
    syms.push_back({low, low + width, total});
  }
  return syms;
}
}  // namespace

TEST(ZZipCoderTest, EncoderMatchesTheClassicCoderBitForBit) {
  std::mt19937 rng(11);
  for (uint32_t maxTotal : {3u, 100u, 4000u, ZZIP_CODER_MAX_TOTAL}) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{10}, size_t{5000}}) {
      const std::vector<SSymbol> syms = RandomSymbols(rng, count, maxTotal);
      std::vector<uint8_t> buf(count * 2 + 16);
      CZZipBitWriter w(buf.data(), buf.size());
      CZZipEncoder enc(w);
      for (const SSymbol& s : syms) enc.Encode(s.cumLow, s.cumHigh, s.total);
      enc.Finish();
      buf.resize(w.Finish());
      EXPECT_EQ(buf, ReferenceEncode(syms)) << maxTotal << " " << count;

      CZZipDecoder dec(buf.data(), buf.size());
      for (const SSymbol& s : syms) {
        const uint32_t t = dec.Target(s.total);
        ASSERT_GE(t, s.cumLow);
        ASSERT_LT(t, s.cumHigh);
        dec.Decode(s.cumLow, s.cumHigh, s.total);
      }
    }
  }
}

TEST(ZZipCoderTest, WriterCountsPastItsRoomWithoutWriting) {
  std::vector<uint8_t> buf(4, 0xAA);
  CZZipBitWriter w(buf.data(), 2);
  for (int i = 0; i < 5; ++i) w.Put(0x5A, 8);
  EXPECT_EQ(w.Finish(), 5u);
  EXPECT_TRUE(w.Overflow());
  EXPECT_EQ(buf[0], 0x5A);  // 0101 1010 reversed is 0101 1010
  EXPECT_EQ(buf[2], 0xAA);
  EXPECT_EQ(buf[3], 0xAA);
}

TEST(ZZipCoderTest, ReaderGivesZerosPastTheEnd) {
  const uint8_t in[3] = {0x01, 0x80, 0xFF};  // first bits: 1000 0000 0000 0001 1111 1111
  CZZipBitReader r(in, 3);
  EXPECT_EQ(r.Get(1), 1u);
  EXPECT_EQ(r.Get(15), 1u);
  EXPECT_EQ(r.Get(0), 0u);
  EXPECT_EQ(r.Get(8), 0xFFu);
  EXPECT_EQ(r.Get(16), 0u);
  EXPECT_EQ(r.Get(32), 0u);
}

// The coder's cut points: range * part / total by reciprocal, as the models use it (a count of at
// most the total times a range of up to 2^16, either way round), against the division. Every
// total, with the extreme and a spread of parts and ranges.
TEST(ZZipCoderTest, ReciprocalCutsEqualTheDivision) {
  const zzipcoder::CReciprocals& r = zzipcoder::Reciprocals();
  std::mt19937 rng(7);
  uint64_t wrong = 0;
  for (uint32_t total = 1; total <= ZZIP_CODER_MAX_TOTAL; ++total) {
    for (int i = 0; i < 48; ++i) {
      const uint32_t part = i == 0 ? total : i == 1 ? total - 1 : i == 2 ? 1 : rng() % (total + 1);
      const uint32_t range = i < 3 ? 0x10000 - (i & 1) : i < 6 ? 0x4001 + (rng() & 3) : rng() % 0x10001;
      const uint64_t want = uint64_t{range} * part / total;
      wrong += r.Scale(range, r.Fraction(part, total)) != want;
      wrong += r.Scale(part, r.Fraction(range, total)) != want;
    }
  }
  EXPECT_EQ(wrong, 0u);
}
