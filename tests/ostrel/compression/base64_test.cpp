#include <gtest/gtest.h>

#include <string>

#include "ostrel/base/types.h"
#include "ostrel/compression/base64.h"
#include "support/tables.h"

namespace {

// Encode into a std::string; the result code goes to *result.
std::string Encode(const std::string& in, int32_t lineBreaks, int32_t* result = nullptr) {
  char* out = nullptr;
  int32_t len = -1;
  int32_t r = CBase64::Encode(in.data(), static_cast<int32_t>(in.size()), out, len, lineBreaks);
  if (result) *result = r;
  if (!out) return "<null>";
  std::string s(out, len);
  EXPECT_EQ(out[len], 0);
  xFree(out);
  return s;
}

// Decode; "<error>" when the decoder marks an error (it must then hand out nothing).
std::string Decode(const std::string& in) {
  char* out = reinterpret_cast<char*>(1);
  int32_t len = -1;
  int32_t r = CBase64::Decode(in.data(), static_cast<int32_t>(in.size()), out, len);
  if (r) {
    EXPECT_EQ(r, 1);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(len, 0);
    return "<error>";
  }
  std::string s(out, len);
  EXPECT_EQ(out[len], 0);
  xFree(out);
  return s;
}

}  // namespace

// Python's base64 module over random data of many lengths.
TEST(Base64, MatchesPythonBase64) {
  auto rows = ReadTable(VORRIN_TEST_DATA_DIR "/compression/base64.txt");
  ASSERT_GT(rows.size(), 80u);
  for (auto& row : rows) {
    std::string data = FromHex(row[0]), plain = FromHex(row[1]), lines = FromHex(row[2]);
    EXPECT_EQ(Encode(data, 0), plain) << row[0];
    EXPECT_EQ(Encode(data, 1), lines) << row[0];
    EXPECT_EQ(Decode(plain), data) << row[1];
    EXPECT_EQ(Decode(lines), data) << row[2];
  }
}

TEST(Base64, EncodeCases) {
  EXPECT_EQ(Encode("Man", 0), "TWFu");
  EXPECT_EQ(Encode("M", 0), "TQ==");
  EXPECT_EQ(Encode("Ma", 0), "TWE=");
  int32_t r = 0;
  EXPECT_EQ(Encode("", 0, &r), "");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Encode("", 1), "\r\n");
  std::string line57(57, 'a'), want(76, 'Y');
  for (size_t i = 1; i < want.size(); i += 4) want.replace(i - 1, 4, "YWFh");
  EXPECT_EQ(Encode(line57, 1), want + "\r\n\r\n");
  EXPECT_EQ(Encode(line57 + "a", 1), want + "\r\nYQ==\r\n");

  char* out = reinterpret_cast<char*>(1);
  int32_t len = 5;
  EXPECT_EQ(CBase64::Encode("x", -1, out, len, 0), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CBase64::Encode(nullptr, 3, out, len, 0), 0);
}

TEST(Base64, DecodeCases) {
  EXPECT_EQ(Decode("TW\r\nFu"), "Man");
  EXPECT_EQ(Decode(" T W\tF u \r\n"), "Man");
  EXPECT_EQ(Decode("TQ=="), "M");
  EXPECT_EQ(Decode("TWE="), "Ma");
  EXPECT_EQ(Decode("TQ"), "M");      // padding may be missing
  EXPECT_EQ(Decode("TWFu=*"), "Man");  // "=" ends the data
  EXPECT_EQ(Decode(""), "");
  EXPECT_EQ(Decode("TW*u"), "<error>");
  EXPECT_EQ(Decode("TWFu-"), "<error>");
  EXPECT_EQ(Decode(std::string("TW\0u", 4)), "<error>");
  EXPECT_EQ(Decode("TWFuT"), "<error>");  // a lone character carries no byte
  EXPECT_EQ(Decode("TWFuT==="), "<error>");
  char* out = nullptr;
  int32_t len = 0;
  EXPECT_EQ(CBase64::Decode("TWFu", -4, out, len), 1);
  EXPECT_EQ(CBase64::Decode(nullptr, 4, out, len), 1);
  // The reported length is the count of decoded bytes, not the allocation rule.
  EXPECT_EQ(CBase64::Decode("TQ==\r\n\r\n", 8, out, len), 0);
  EXPECT_EQ(len, 1);
  xFree(out);

  for (int c = 0; c < 256; ++c) {
    bool want = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '+' || c == '/';
    EXPECT_EQ(CBase64::IsBase64(static_cast<char>(c)), want ? 1 : 0) << c;
  }
}
