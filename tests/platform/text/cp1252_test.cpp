#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/text/cp1252.h"

namespace {
std::vector<std::string> PythonLines(const std::string& args) {
  std::vector<std::string> lines;
  FILE* p = popen(("python3 " VORRIN_TEST_TOOLS_DIR "/cp1252_table.py " + args).c_str(), "r");
  if (!p) return lines;
  char buf[64];
  while (fgets(buf, sizeof buf, p)) {
    std::string s(buf);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    lines.push_back(s);
  }
  pclose(p);
  return lines;
}

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

// The five bytes the code page leaves open keep their own number, as Windows maps them.
constexpr unsigned char kOpen[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
bool IsOpen(unsigned b) {
  for (unsigned char o : kOpen) {
    if (o == b) return true;
  }
  return false;
}
}  // namespace

TEST(Cp1252, EveryByteDecodesAsPythonsCodec) {
  const std::vector<std::string> want = PythonLines("decode");
  ASSERT_EQ(want.size(), 256u) << "python3 oracle did not answer";
  for (unsigned b = 1; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const std::string utf8 = PlatformUtf8FromCp1252(&c, 1);
    if (IsOpen(b)) {
      EXPECT_EQ(want[b], "-");
      EXPECT_EQ(PlatformCp1252ToUnicode(static_cast<uint8_t>(b)), b);
    } else {
      EXPECT_EQ(Hex(utf8), want[b]) << b;
    }
    // And back again, byte for byte.
    EXPECT_EQ(PlatformCp1252FromUtf8(utf8.data(), utf8.size()), std::string(1, c)) << b;
  }
}

TEST(Cp1252, CodePointsEncodeAsPythonsCodec) {
  const std::vector<std::string> lines = PythonLines("encode 0x3000");
  ASSERT_GT(lines.size(), 200u) << "python3 oracle did not answer";
  std::map<uint32_t, int32_t> want;
  for (const auto& l : lines) {
    unsigned cp = 0, b = 0;
    ASSERT_EQ(sscanf(l.c_str(), "%x %x", &cp, &b), 2);
    want[cp] = static_cast<int32_t>(b);
  }
  for (uint32_t cp = 0; cp < 0x3000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const auto it = want.find(cp);
    const int32_t expected = it != want.end() ? it->second : (IsOpen(cp) ? static_cast<int32_t>(cp) : -1);
    EXPECT_EQ(PlatformUnicodeToCp1252(cp), expected) << std::hex << cp;
  }
}

TEST(Cp1252, TextOutsideTheCodePageAndMalformedUtf8IsDropped) {
  struct {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"Caf\xC3\xA9 \xE2\x82\xAC" "5", "Caf\xE9 \x80" "5"},          // é and the euro sign
      {"\xE6\x97\xA5\xE6\x9C\xAC-ok", "-ok"},                          // CJK has no place
      {"a\xF0\x9F\x99\x82" "b", "ab"},                                 // nor emoji
      {"a\xC0\x80" "b", "ab"},                                         // overlong NUL
      {"a\xED\xA0\x80" "b", "ab"},                                     // surrogate
      {"a\xC3", "a"},                                                  // cut short
      {"a\xF8\x88\x80\x80\x80" "b", "ab"},                             // five-byte form
      {"\xE2\x82" "x", "x"},                                           // broken continuation
      {"\xC2\x81\xC2\x80", "\x81"},                                    // open byte kept, C1 control dropped
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(PlatformCp1252FromUtf8(c.utf8)), Hex(c.cp1252)) << c.utf8;
  const char withNul[] = {'a', '\0', 'b'};
  EXPECT_EQ(PlatformCp1252FromUtf8(withNul, 3), "ab");
  EXPECT_EQ(PlatformCp1252FromUtf8(nullptr), "");
  EXPECT_EQ(PlatformUtf8FromCp1252(nullptr), "");
}
