#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ostrel/compression/uuencode.h"
#include "support/tables.h"

namespace {

std::string Encode(const std::string& in) {
  std::string out(UUEncodeSize(static_cast<int32_t>(in.size())), '\x7f');
  int32_t n = UUEncode(in.data(), out.data(), static_cast<int32_t>(in.size()));
  EXPECT_EQ(n, static_cast<int32_t>(out.size()));
  return out;
}

// Decodes with room for outSize bytes; "<refused>" for -1.
std::string Decode(const std::string& in, int32_t outSize = 4096) {
  std::string out(outSize + 16, '\x7f');
  int32_t n = UUDecode(in.data(), out.data(), static_cast<int32_t>(in.size()), outSize);
  for (size_t k = outSize; k < out.size(); ++k) EXPECT_EQ(out[k], '\x7f') << "overrun";
  if (n < 0) return "<refused>";
  return out.substr(0, n);
}

}  // namespace

// Python's binascii.b2a_uu over 45-byte lines.
TEST(UUEncode, MatchesPythonBinascii) {
  auto rows = ReadTable(VORRIN_TEST_DATA_DIR "/compression/uu.txt");
  ASSERT_GT(rows.size(), 80u);
  for (auto& row : rows) {
    std::string data = FromHex(row[0]), text = FromHex(row[1]);
    EXPECT_EQ(Encode(data), text) << row[0];
    EXPECT_EQ(Decode(text), data) << row[1];
  }
}

TEST(UUEncode, LineLayout) {
  std::string text = Encode(std::string(45, 'x'));
  EXPECT_EQ(text.size(), 62u);
  EXPECT_EQ(text[0], 'M');
  EXPECT_EQ(text.find('\n'), 61u);
  text = Encode(std::string(46, 'x'));
  EXPECT_EQ(text.size(), 62u + 6u);
  EXPECT_EQ(text[62], '!');
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find_first_not_of(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_\n"),
            std::string::npos);
  EXPECT_EQ(UUEncode("", nullptr, 0), 0);
  EXPECT_EQ(UUEncode("x", nullptr, -1), -1);
  char small[5];
  EXPECT_EQ(UUEncode("abc", small, 3, 5), -1);  // needs 6
  char exact[6];
  EXPECT_EQ(UUEncode("abc", exact, 3, 6), 6);
}

TEST(UUEncode, RoundTripsRandomData) {
  std::mt19937 rng(45);
  for (int len = 0; len < 400; len += 1 + len / 8) {
    std::string data(len, 0);
    for (auto& c : data) c = static_cast<char>(rng());
    EXPECT_EQ(Decode(Encode(data)), data) << len;
  }
}

TEST(UUDecode, LineEnds) {
  std::string data(100, 0);
  for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<char>(k * 7);
  std::string text = Encode(data), crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Decode(crlf), data);  // CR LF lines no longer end the decoding early
  EXPECT_EQ(Decode(text + std::string(1, '\0') + "#86)C\n"), data);  // a zero byte ends it
  EXPECT_EQ(Decode(text + "`\n#86)C\n"), data);                      // so does a count of 0
  EXPECT_EQ(Decode(text.substr(0, text.size() - 1)), data);           // the last LF may be missing
  EXPECT_EQ(Decode(""), "");
  EXPECT_EQ(Decode("\n#86)C\n"), "");  // an empty line ends it
}

TEST(UUDecode, ShortLinesAreFilledWithBlanks) {
  // "#" counts 3 bytes; the missing characters are blanks (zero values).
  EXPECT_EQ(Decode("#86)C\n"), "abc");
  EXPECT_EQ(Decode("#86\n"), std::string("a`\0", 3));  // two characters: 12 bits
  EXPECT_EQ(Decode("#\n"), std::string(3, '\0'));
  // Trailing blanks stripped in transit come back.
  std::string zeros(45, '\0');
  std::string text = Encode(zeros);
  EXPECT_EQ(Decode("M\n"), zeros);
  EXPECT_EQ(text, "M" + std::string(60, ' ') + "\n");
}

// A line's count may promise far more bytes than its characters carry; the output is bounded.
TEST(UUDecode, NeverWritesPastTheOutput) {
  std::string hostile;
  for (int k = 0; k < 50; ++k) hostile += "_\n";  // 63 bytes from every two characters
  EXPECT_EQ(Decode(hostile, 100), "<refused>");
  EXPECT_EQ(Decode(hostile, 63 * 50).size(), 63u * 50u);
  EXPECT_EQ(Decode("#86)C\n", 2), "<refused>");
  EXPECT_EQ(Decode("#86)C\n", 3), "abc");
  EXPECT_EQ(UUDecode("#86)C\n", nullptr, 6, 3), -1);
  EXPECT_EQ(UUDecode(nullptr, nullptr, 5, 0), -1);
  // The input length is honoured: nothing beyond len is read.
  std::string two = Encode("abcdef");
  EXPECT_EQ(Decode(two.substr(0, 3)), std::string("a`\0\0\0\0", 6));
}
