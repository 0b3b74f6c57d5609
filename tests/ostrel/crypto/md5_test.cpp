#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/crypto/md5.h"
#include "support/pyoracle.h"

namespace {

std::string Base16(const std::string& text) {
  CMD5 md5;
  char out[CMD5::BASE16_SIZE];
  EXPECT_EQ(md5.DigestBase16(out, text.data(), text.size()), 1);
  return out;
}

std::vector<uint8_t> RandomBytes(std::mt19937& gen, size_t n) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(gen());
  return v;
}

}  // namespace

TEST(MD5, Rfc1321TestSuite) {
  const struct {
    const char* text;
    const char* digest;
  } kSuite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : kSuite) EXPECT_EQ(Base16(c.text), c.digest) << '"' << c.text << '"';
}

TEST(MD5, MatchesOpenSslOnRandomData) {
  std::mt19937 gen(99);
  std::vector<size_t> sizes;
  for (size_t n = 0; n <= 200; ++n) sizes.push_back(n);  // every padding case around 56 and 64
  for (size_t n : {511u, 4096u, 65537u, 1000003u}) sizes.push_back(n);
  CMD5 md5;  // one object for all: each digest starts over
  for (size_t n : sizes) {
    std::vector<uint8_t> data = RandomBytes(gen, n);
    uint8_t ours[CMD5::DIGEST_SIZE], ref[MD5_DIGEST_LENGTH];
    ASSERT_EQ(md5.DigestBinary(ours, data.data(), n), 1);
    MD5(data.data(), n, ref);
    ASSERT_EQ(0, memcmp(ours, ref, sizeof ref)) << "length " << n;
  }
}

TEST(MD5, PiecewiseEqualsWhole) {
  std::mt19937 gen(7);
  std::vector<uint8_t> data = RandomBytes(gen, 3000);
  uint8_t whole[16], pieces[16];
  CMD5 md5;
  md5.DigestBinary(whole, data.data(), data.size());
  for (size_t step : {1u, 3u, 63u, 64u, 65u, 1000u}) {
    md5.Init();
    for (size_t at = 0; at < data.size(); at += step) md5.Update(data.data() + at, std::min(step, data.size() - at));
    md5.Final(pieces);
    EXPECT_EQ(0, memcmp(whole, pieces, 16)) << "step " << step;
  }
}

TEST(MD5, RefusesNullBuffers) {
  CMD5 md5;
  uint8_t out[16];
  char text[CMD5::BASE16_SIZE];
  EXPECT_EQ(md5.DigestBinary(nullptr, "a", 1), 0);
  EXPECT_EQ(md5.DigestBinary(out, nullptr, 1), 0);
  EXPECT_EQ(md5.DigestBase16(nullptr, "a", 1), 0);
  ASSERT_EQ(md5.DigestBase16(text, nullptr, 0), 1);
  EXPECT_STREQ(text, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(MD5, DigestUUEncodeIsOneUULineOfTheDigest) {
  std::mt19937 gen(3);
  std::vector<std::string> inputs = {"", "abc", "message digest"};
  for (size_t n : {1u, 55u, 64u, 1000u}) {
    std::vector<uint8_t> bytes = RandomBytes(gen, n);
    inputs.emplace_back(bytes.begin(), bytes.end());
  }
  std::ostringstream hex;
  for (const std::string& s : inputs) {
    for (unsigned char c : s) hex << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    hex << '\n';
  }
  std::vector<std::string> expected = RunPythonTool("md5uu.py", hex.str());
  ASSERT_EQ(expected.size(), inputs.size());
  CMD5 md5;
  for (size_t i = 0; i < inputs.size(); ++i) {
    char* uu = md5.DigestUUEncode(inputs[i].data(), inputs[i].size());
    ASSERT_NE(uu, nullptr);
    EXPECT_EQ(std::string(uu), expected[i] + "\n");
    EXPECT_EQ(std::strlen(uu), 26u);  // length character, 24 characters, line feed
    xFree(uu);
  }
  EXPECT_EQ(md5.DigestUUEncode(nullptr, 1), nullptr);
}
