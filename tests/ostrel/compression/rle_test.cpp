#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "ostrel/base/money.h"
#include "ostrel/compression/bitstream.h"
#include "ostrel/compression/rle.h"

namespace {

using Money = CHugeFixedPoint<10, 10>;

std::vector<uint8_t> Fields(const std::vector<uint32_t>& values, int32_t width) {
  std::vector<uint8_t> bytes((values.size() * width + 7) / 8 + 1, 0xEE);
  CBitStream bits;
  bits.InitStream(bytes.data(), static_cast<uint32_t>(bytes.size()));
  for (uint32_t v : values) bits.PutBits(v, width);
  bits.FlushBits();
  bytes.resize(bits.GetIndex());
  return bytes;
}

std::vector<uint8_t> Pack(CRle& rle, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> in = Fields(values, rle.m_Width);
  int32_t count = static_cast<int32_t>(values.size());
  std::vector<uint8_t> out(rle.PackedBytes(count) + 8, 0xEE);
  int32_t n = rle.Pack(in.data(), out.data(), count);
  EXPECT_LE(n, rle.PackedBytes(count));
  for (size_t k = n; k < out.size(); ++k) EXPECT_EQ(out[k], 0xEE) << "overrun";
  out.resize(n);
  return out;
}

}  // namespace

TEST(BitStream, MostSignificantFirstAndFlush) {
  uint8_t buf[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  CBitStream bits;
  bits.InitStream(buf, sizeof buf);
  bits.PutBits(1, 1);
  bits.PutBits(0b0010, 4);
  bits.PutBits(0xABC, 12);
  bits.FlushBits();
  EXPECT_EQ(bits.GetIndex(), 3u);
  EXPECT_EQ(buf[0], 0x95);  // 1 0010 101
  EXPECT_EQ(buf[1], 0x5E);  // 01011110
  EXPECT_EQ(buf[2], 0x00);  // 0 and seven zero bits of padding
  bits.InitStream(buf, 3);
  EXPECT_EQ(bits.GetBits(1), 1u);
  EXPECT_EQ(bits.GetBits(4), 2u);
  EXPECT_EQ(bits.GetBits(12), 0xABCu);
  EXPECT_EQ(bits.GetBits(32), 0u);
  EXPECT_EQ(bits.Overrun(), 1);  // read past the third byte
  bits.FlushBitbuf();
  EXPECT_EQ(bits.GetBits(5), 0x12u);  // starts over at the beginning
  bits.InitStream(buf, 1);
  bits.PutBits(0xFFFF, 16);
  EXPECT_EQ(bits.Overrun(), 1);
  EXPECT_EQ(buf[1], 0x5E);  // untouched
}

TEST(Rle, PacksTheDocumentedLayout) {
  CRle rle;
  EXPECT_EQ(rle.m_Width, 0);
  ASSERT_EQ(rle.Init(8, 0), 1);
  // 1 0010 00000101, 0 00000111, zero padding
  EXPECT_EQ(Pack(rle, {5, 5, 5, 7}), (std::vector<uint8_t>{0x90, 0x28, 0x1C}));
  // 17 equal values: a run of 16 and a single one.
  EXPECT_EQ(Pack(rle, std::vector<uint32_t>(17, 0xFF)),
            (std::vector<uint8_t>{0xFF, 0xFB, 0xFC}));  // 1 1111 11111111 0 11111111 00
  EXPECT_EQ(rle.Init(0, 0), 0);
  EXPECT_EQ(rle.Init(20, 13), 0);
  EXPECT_EQ(rle.Init(-1, 4), 0);
  EXPECT_EQ(rle.m_Width, 8);
}

TEST(Rle, RoundTripsEveryWidth) {
  std::mt19937 rng(16);
  for (int32_t width = 1; width <= 32; ++width) {
    CRle rle;
    ASSERT_EQ(rle.Init(width, 0), 1);
    std::vector<uint32_t> values;
    for (int k = 0; k < 300; ++k) {
      uint32_t v = width == 32 ? rng() : rng() & ((1u << width) - 1);
      int run = rng() % 4 == 0 ? static_cast<int>(rng() % 40) : 1;
      for (int r = 0; r < run; ++r) values.push_back(v);
    }
    int32_t count = static_cast<int32_t>(values.size());
    std::vector<uint8_t> packed = Pack(rle, values);
    std::vector<uint8_t> out(rle.FieldBytes(count), 0xEE);
    ASSERT_EQ(rle.Unpack(packed.data(), static_cast<int32_t>(packed.size()), out.data(), count), 1);
    EXPECT_EQ(out, Fields(values, width)) << width;
    // Cut input: the unpacker says so instead of inventing values.
    EXPECT_EQ(rle.Unpack(packed.data(), static_cast<int32_t>(packed.size()) / 2, out.data(), count), 0);
  }
}

TEST(Rle, Doubles) {
  CRle rle;
  ASSERT_EQ(rle.Init(12, 4), 1);
  const double in[] = {1.5, 1.5, 1.5, 0.0625, 4095.9375, 3.99, 0.01};
  std::vector<uint8_t> packed(rle.PackedBytes(7));
  int32_t n = rle.PackDoubles(in, packed.data(), 7);
  ASSERT_GT(n, 0);
  double out[7];
  ASSERT_EQ(rle.UnpackDoubles(out, packed.data(), n, 7), 1);
  const double want[] = {1.5, 1.5, 1.5, 0.0625, 4095.9375, 3.9375, 0.0};  // cut at 1/16
  for (int k = 0; k < 7; ++k) EXPECT_EQ(out[k], want[k]) << k;

  // Values that have no field are refused rather than wrapped.
  for (double bad : {-1.0, 4096.0, std::nan(""), 1e300}) {
    const double v[] = {1.0, bad};
    EXPECT_EQ(rle.PackDoubles(v, packed.data(), 2), 0) << bad;
  }
  // Whole-number fields (f = 0) are stored too.
  ASSERT_EQ(rle.Init(8, 0), 1);
  const double whole[] = {3, 3, 200};
  n = rle.PackDoubles(whole, packed.data(), 3);
  double back[3] = {-1, -1, -1};
  ASSERT_EQ(rle.UnpackDoubles(back, packed.data(), n, 3), 1);
  EXPECT_EQ(back[0], 3);
  EXPECT_EQ(back[2], 200);
  EXPECT_EQ(rle.UnpackDoubles(back, packed.data(), 1, 3), 0);
}

TEST(Rle, Moneys) {
  CRle rle;
  ASSERT_EQ(rle.Init(24, 8), 1);
  const char* texts[] = {"12.5", "12.5", "0.00390625", "16777215.99609375", "0.0039"};
  Money in[5];
  for (int k = 0; k < 5; ++k) in[k] = texts[k];
  std::vector<uint8_t> packed(rle.PackedBytes(5));
  int32_t n = rle.PackMoneys(in, packed.data(), 5);
  ASSERT_GT(n, 0);
  Money out[5];
  ASSERT_EQ(rle.UnpackMoneys(out, packed.data(), n, 5), 1);
  // Fields are whole multiples of 2^-8: smaller parts are cut.
  const char* want[] = {"12.5000000000", "12.5000000000", "0.0039062500", "16777215.9960937500",
                        "0.0000000000"};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(std::string(out[k].GetString()), want[k]) << k;
    EXPECT_EQ(out[k].m_Error, 0);
  }

  Money negative("-1"), tooLarge("16777216"), flagged("1");
  flagged.m_Error = 1;
  for (const Money& bad : {negative, tooLarge, flagged}) {
    Money v[2] = {Money("1"), bad};
    EXPECT_EQ(rle.PackMoneys(v, packed.data(), 2), 0);
  }

  // More fraction bits than decimals: exact division, cut at the tenth decimal.
  ASSERT_EQ(rle.Init(4, 12), 1);
  Money tiny[2] = {Money("0.0002441407"), Money("15.9997558593")};
  n = rle.PackMoneys(tiny, packed.data(), 2);
  ASSERT_EQ(rle.UnpackMoneys(out, packed.data(), n, 2), 1);
  EXPECT_EQ(std::string(out[0].GetString()), "0.0002441406");  // 2^-12 = 0.000244140625
  EXPECT_EQ(std::string(out[1].GetString()), "15.9995117187");  // 65534 / 4096

  ASSERT_EQ(rle.Init(32, 0), 1);
  Money big[1] = {Money("4294967295")};
  n = rle.PackMoneys(big, packed.data(), 1);
  ASSERT_GT(n, 0);
  Money back[1];
  ASSERT_EQ(rle.UnpackMoneys(back, packed.data(), n, 1), 1);
  EXPECT_EQ(std::string(back[0].GetString()), "4294967295.0000000000");
}
