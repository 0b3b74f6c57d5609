#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "casino/mainclient/percentencode.h"
#include "support/pyoracle.h"
#include "support/tables.h"

namespace {

TEST(PercentEncode, KeepsOnlyTheUnreservedCharacters) {
  EXPECT_EQ(xPercentEncode(""), "");
  EXPECT_EQ(xPercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(xPercentEncode("a b=c&d+e/f?g#h%i"), "a%20b%3Dc%26d%2Be%2Ff%3Fg%23h%25i");
  EXPECT_EQ(xPercentEncode(std::string("\0\xFF\x80", 3)), "%00%FF%80");
}

// Byte strings of every value, with runs of the characters that decide most (unreserved ones,
// '%', blanks, NUL, high bytes), against Python's urllib.parse.quote(s, safe="-._~").
TEST(PercentEncode, EqualsPythonsQuoteOverRandomBytes) {
  std::mt19937 random(76);
  const std::string interesting = std::string("-._~% /=&+?#\0\x7F\x80\xFF" "aZ9", 20);
  std::vector<std::string> inputs = {"", std::string(1, '\0')};
  for (int n = 0; n < 400; ++n) {
    std::string bytes(random() % 64, '\0');
    for (char& c : bytes)
      c = random() % 3 == 0 ? interesting[random() % interesting.size()] : static_cast<char>(random() % 256);
    inputs.push_back(bytes);
  }
  std::string lines;
  for (const std::string& bytes : inputs) lines += Hex(bytes) + "\n";
  const std::vector<std::string> expected = RunPythonTool("percent_quote.py", lines);
  ASSERT_EQ(expected.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(xPercentEncode(inputs[i]), expected[i]) << Hex(inputs[i]);
}

}  // namespace
