#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

namespace {
std::string Owned(char* s) {
  std::string r = s ? s : "<null>";
  xFree(s);
  return r;
}
}  // namespace

TEST(Text, CaseBlindComparisonIgnoresLocale) {
  EXPECT_EQ(xStricmp("HeLLo", "hello"), 0);
  EXPECT_LT(xStricmp("abc", "ABD"), 0);
  EXPECT_GT(xStrnicmp("abz", "ABC", 3), 0);
  EXPECT_EQ(xStrnicmp("abz", "ABC", 2), 0);
  // Bytes above 127 are not letters: no case folding.
  EXPECT_NE(xStricmp("\xC4", "\xE4"), 0);
  char text[] = "MiXed \xC4";
  EXPECT_STREQ(xStrUpperCase(text), "MIXED \xC4");
  EXPECT_STREQ(xStrLowerCase(text), "mixed \xC4");
}

TEST(Text, ContentTests) {
  EXPECT_EQ(xStrHasContent(nullptr), 0);
  EXPECT_EQ(xStrHasContent(""), 0);
  EXPECT_EQ(xStrHasContent("x"), 1);
  EXPECT_EQ(xStrHasContentMD5("d41d8cd98f00b204e9800998ecf8427e"), 0);
  EXPECT_EQ(xStrHasContentMD5("d41d8cd98f00b204e9800998ecf8427f"), 1);
  EXPECT_EQ(xStrHasContentMD5(""), 0);
}

TEST(Text, CatVariable) {
  struct Case {
    int32_t value;
    const char* expected;
  } cases[] = {{1, "v=TRUE"}, {0, "v=FALSE"}, {7, "v=7"}, {-2147483647 - 1, "v=-2147483648"}};
  for (const auto& c : cases) {
    char buf[64] = "";
    xStrcatVariableTRUEFALSE(buf, "v=", c.value);
    EXPECT_STREQ(buf, c.expected);
  }
  char buf[32] = "a";
  EXPECT_STREQ(xStrcatVariableSTRING(buf, "b", "c"), "abc");
}

TEST(Text, DuplicatesAreFreshCopies) {
  EXPECT_EQ(xStrdup(nullptr), nullptr);
  EXPECT_EQ(xStrndup(nullptr, 3), nullptr);
  EXPECT_EQ(Owned(xStrdup("abc")), "abc");
  EXPECT_EQ(Owned(xStrndup("abcdef", 3)), "abc");
  // A source shorter than n is not read past its end.
  char* d = xStrndup("ab", 5);
  EXPECT_STREQ(d, "ab");
  EXPECT_EQ(d[5], 0);
  xFree(d);
}

TEST(Text, ReplacedTextsAreOwnedCopies) {
  char source[] = "first";
  char* field = nullptr;
  ASSERT_EQ(xStrReplace(field, source), 1);
  source[0] = 'F';
  EXPECT_STREQ(field, "first");
  ASSERT_EQ(xStrReplace(field, "second"), 1);
  EXPECT_STREQ(field, "second");
  ASSERT_EQ(xStrReplace(field, nullptr), 1);
  EXPECT_EQ(field, nullptr);
}

TEST(Text, Sets) {
  EXPECT_EQ(xStrCntSet("a,b,,c", ","), 3);
  EXPECT_EQ(xStrCntSet(nullptr, ","), 0);
  EXPECT_EQ(xStrCntSet("abc", nullptr), 0);
  char s[] = "a-b-c";
  EXPECT_STREQ(xStrRemoveSet(s, "-"), "abc");
  char t[] = "x.y;z";
  EXPECT_STREQ(xStrRemoveSet(t, ".;"), "xyz");
}

TEST(Text, StuffSet) {
  struct Case {
    const char* src;
    size_t size;
    bool stuffed;
    const char* expected;
  } cases[] = {
      {"a,b", 6, true, "a,,b"},
      {"a,b", 5, false, "a,b"},  // 3 + 2*1 + 1 > 5: the source comes back
      {"ab", 10, false, "ab"},   // nothing to stuff
      {",,", 7, true, ",,,,"},
  };
  for (const auto& c : cases) {
    char dst[16];
    std::memset(dst, 'Z', sizeof(dst));
    const char* r = xStuffSet(c.src, dst, c.size, ",");
    EXPECT_STREQ(r, c.expected) << c.src << " " << c.size;
    EXPECT_EQ(r == dst, c.stuffed);
    if (!c.stuffed) {
      EXPECT_EQ(dst[0], 'Z');
    }
  }
  char dst[4];
  EXPECT_STREQ(xStuffSet("a,b", dst, 0, ","), "a,b");
  EXPECT_EQ(xStuffSet(nullptr, dst, 4, ","), nullptr);
}
