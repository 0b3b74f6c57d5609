#include <gtest/gtest.h>

#include <string>

#include "ostrel/base/cstring.h"

namespace {
std::string S(const CString& s) { return std::string(static_cast<char*>(s), s.Length()); }
}  // namespace

TEST(CString, ConstructionAndAssignment) {
  CString empty;
  EXPECT_EQ(empty.Length(), 0u);
  EXPECT_STREQ(static_cast<char*>(empty), "");
  CString fromNull(nullptr);
  EXPECT_EQ(fromNull.Length(), 0u);
  CString a("abc");
  CString b(a);
  b[0] = 'x';
  EXPECT_EQ(S(a), "abc");
  EXPECT_EQ(S(b), "xbc");
  a = static_cast<const char*>(nullptr);
  EXPECT_EQ(S(a), "abc");
  a = "longer text";
  EXPECT_EQ(S(a), "longer text");
  a = a;  // self-assignment keeps the text
  EXPECT_EQ(S(a), "longer text");
  CString moved(std::move(a));
  EXPECT_EQ(S(moved), "longer text");
  EXPECT_EQ(a.Length(), 0u);
  EXPECT_STREQ(static_cast<char*>(a), "");
}

TEST(CString, JoinAndStream) {
  CString s("a");
  s += "b";
  s += CString("c");
  s += s;  // appending itself
  EXPECT_EQ(S(s), "abcabc");
  EXPECT_EQ(S(CString("x") + "y" + CString("z")), "xyz");

  CString t;
  t << 'q' << '\0' << "|" << CString("w") << "|" << static_cast<short>(-3) << "|" << 42 << "|"
    << static_cast<unsigned short>(65535) << "|" << 4000000000u << "|" << 1.5f << "|" << 0.25;
  EXPECT_EQ(S(t), "q|w|-3|42|65535|4000000000|1.500000|0.250000");
}

TEST(CString, ReadsChain) {
  int i = 0;
  double d = 0;
  unsigned long u = 0;
  float f = 0;
  CString("123abc") >> i >> d >> u >> f;
  EXPECT_EQ(i, 123);
  EXPECT_EQ(d, 123.0);
  EXPECT_EQ(u, 123ul);
  EXPECT_EQ(f, 123.0f);
  CString target("x");
  CString("yz") >> target;
  EXPECT_EQ(S(target), "xyz");
}

TEST(CString, Comparisons) {
  EXPECT_TRUE(CString("ab") == CString("ab"));
  EXPECT_TRUE(CString("ab") != CString("abc"));
  EXPECT_TRUE(CString("ab") == "ab");
  EXPECT_TRUE(CString("ab") != "a");
  EXPECT_TRUE(CString() == static_cast<const char*>(nullptr));
}

TEST(CString, PrintHasNoLengthLimit) {
  CString s("<");
  const std::string big(1000, 'x');
  s.Print("%s|%d", big.c_str(), 7);
  EXPECT_EQ(S(s), "<" + big + "|7");
}

TEST(CString, SubstrAndFind) {
  const CString hello("hello");
  EXPECT_EQ(hello.Find("lo", 0), 3);
  EXPECT_EQ(hello.Find("l", 3), 3);
  EXPECT_EQ(hello.Find("", 0), -1);
  EXPECT_EQ(hello.Find("h", 1), -1);
  EXPECT_EQ(hello.Find("o", 6), -1);
  EXPECT_EQ(S(hello.substr(1, 3)), "ell");
  EXPECT_EQ(S(hello.substr(1)), "ello");
  EXPECT_EQ(S(hello.substr(5)), "");
  EXPECT_EQ(S(hello.substr(6)), "");
  EXPECT_EQ(S(hello.substr(0, 0)), "");
  EXPECT_EQ(S(hello.substr(2, 100)), "llo");
}

TEST(CString, Replace) {
  struct Case {
    const char* text;
    const char* from;
    const char* to;
    const char* expected;
  } cases[] = {
      {"aaa", "aa", "b", "ba"},       {"abcabc", "b", "XYZ", "aXYZcaXYZc"}, {"abc", "x", "y", "abc"},
      {"", "a", "b", ""},             {"aaaa", "a", "aa", "aaaaaaaa"},       {"a.b.c", ".", "", "abc"},
  };
  for (const auto& c : cases) {
    CString s(c.text);
    s.Replace(c.from, c.to);
    EXPECT_EQ(S(s), c.expected) << c.text;
  }
}

TEST(CString, Trims) {
  CString s("  x  ");
  EXPECT_EQ(s.TrimLeft(), 1);
  EXPECT_EQ(S(s), "x  ");
  EXPECT_EQ(s.TrimLeft(), 0);
  EXPECT_EQ(s.TrimRight(), 1);
  EXPECT_EQ(S(s), "x");
  EXPECT_EQ(s.TrimRight(), 0);
  CString blanks("   ");
  EXPECT_EQ(blanks.TrimLeft(), 1);
  EXPECT_EQ(blanks.Length(), 0u);
  CString blanks2("   ");
  EXPECT_EQ(blanks2.TrimRight(), 1);
  EXPECT_EQ(blanks2.Length(), 0u);
  CString tab("\tx");
  EXPECT_EQ(tab.TrimLeft(), 0);  // only the blank counts
}

TEST(CString, CaseChangesOnlyAsciiLetters) {
  CString s("aZ9\xE4");
  s.MakeUpper();
  EXPECT_EQ(S(s), "AZ9\xE4");
  s.MakeLower();
  EXPECT_EQ(S(s), "az9\xE4");
}

TEST(CString, FromAPieceKeepsZeroBytes) {
  const char text[] = "ab\0cd-rest";
  const CString piece(text, 5);
  EXPECT_EQ(piece.Length(), 5u);
  EXPECT_EQ(S(piece), std::string("ab\0cd", 5));
  EXPECT_EQ(piece[5], '\0');
  EXPECT_EQ(CString(text, 0).Length(), 0u);
  CString copy(piece);
  EXPECT_TRUE(copy == piece);
}
