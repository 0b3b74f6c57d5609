#include <gtest/gtest.h>

#include <string>

#include "kcbldump.h"
#include "ostrel/kcbl/kcbl.h"

namespace {
struct SReadCase {
  const char* name;
  std::string text;
  const char* tree;  // KcblDump of the result
  int32_t result = 1;
};

std::string Read(const std::string& text, int32_t* result = nullptr) {
  CKCBL k;
  const int32_t r = k.Import(text.c_str(), static_cast<int32_t>(text.size()));
  if (result) *result = r;
  return KcblDump(k);
}
}  // namespace

TEST(KcblReader, TextFormat) {
  const SReadCase cases[] = {
      {"bare value", "k = abc", "[k] t(abc)\n"},
      {"blanks outside quotes are dropped", "k = a b\t c", "[k] t(abc)\n"},
      {"quoted blanks stay", "k = \"a b\"", "[k] t(a\\x20b)\n"},
      {"empty quotes give an empty value", "k = \"\"", "[k] t()\n"},
      {"equals with nothing gives an empty value", "k =", "[k] t()\n"},
      {"escapes", R"(k = "\n\t\r\"\\\q")", "[k] t(\\x0A\\x09\\x0D\"\\x5Cq)\n"},
      {"quoted parts join the value", "k = ab\"c d\"e", "[k] t(abc\\x20de)\n"},
      {"high bytes in quotes", "k = \"\xE9\x80\xFF\"", "[k] t(\\xE9\\x80\\xFF)\n"},
      {"control bytes in quotes", "k = \"\x01\x7F\"", "[k] t(\\x01\\x7F)\n"},
      {"commas and equals separate alike", "k, a = b, c", "[k] t(a) t(b) t(c)\n"},
      {"a = b = c", "a = b = c", "[a] t(b) t(c)\n"},
      {"empty values between separators", "k = a,,b", "[k] t(a) t() t(b)\n"},
      {"quoted keyword", "\"a b\" = 1", "[a\\x20b] t(1)\n"},
      {"comment line", "; a comment ", "[;\\x20a\\x20comment\\x20]\n"},
      {"comment joins a keyword", "key  ;  note", "[key;\\x20\\x20note]\n"},
      {"comment value", "k = a ; note", "[k] t(a) c(;\\x20note)\n"},
      {"comment right after equals", "k = ;note", "[k] t() c(;note)\n"},
      {"comment after a comma is dropped", "k = a, ;note\n  b", "[k] t(a) t(b)\n"},
      {"comment ends the line even before a quote", "k = a ;x\n\"b\"", "[k] t(a) c(;x)\n[b]\n"},
      {"comma continues the line", "k = a,\n\n   b, c", "[k] t(a) t(b) t(c)\n"},
      {"quote continues the value", "k = \"ab\"\n   \"cd\"", "[k] t(abcd)\n"},
      {"quote continues a bare value", "k = ab\n\"cd\"", "[k] t(abcd)\n"},
      {"text ends on a continuation line", "k = a,\nb", "[k] t(a) t(b)\n"},
      {"text ends after a comma", "k = a,", "[k] t(a) t()\n"},
      {"array", "k = {1, 2, 3}", "[k] a3[1|2|3]\n"},
      {"array then a value", "k = { 1, 2 }, x", "[k] a2[1|2] t(x)\n"},
      {"array then a comment", "k = {1, 2}\t\t;c", "[k] a2[1|2] c(;c)\n"},
      {"array ended by a comment", "k = {1, 2 ;c", "[k] a2[1|2] c(;c)\n"},
      {"empty arrays", "k = {}, { }", "[k] a0[] a0[]\n"},
      {"one empty element", "k = {\"\"}", "[k] a1[]\n"},
      {"brace inside an element stays", "k = {a}b, c}", "[k] a2[a}b|c]\n"},
      {"doubled closing brace", "k = {a}}", "[k] a1[a}]\n"},
      {"nested braces are flattened", "k = {1, {2, 3}}", "[k] a3[1|2|3}]\n"},
      {"quoted elements", "k = {\"a b\", \",\"}", "[k] a2[a\\x20b|,]\n"},
      {"array over lines", "k = {1,\n 2}", "[k] a2[1|2]\n"},
      {"brace in a plain value", "k = a}b", "[k] t(a}b)\n"},
      {"blank lines are items", "a\n\n\nb\n", "[a]\n[]\n[]\n[b]\n"},
      {"empty text", "", "[]\n"},
      {"crlf", "a = 1\r\nb = 2\r\n", "[a] t(1)\n[b] t(2)\n"},
      {"chunks",
       "{ = Outer\n    a = 1\n    { = Inner\n        b = 2\n    }\n    c = 3\n}\nd = 4\n",
       "[{] t(Outer)\n  [a] t(1)\n  [{] t(Inner)\n    [b] t(2)\n  [c] t(3)\n[d] t(4)\n"},
      {"stray closing brace at the top", "}\na = 1", "[a] t(1)\n"},
      {"raw data", "[ = ASCIIDATA\nline 1\n  line 2\n]\nk = v\n",
       "[\\x5B] t(ASCIIDATA) t(line\\x201\\x0A\\x20\\x20line\\x202\\x0A)\n[k] t(v)\n"},
      {"raw data header with more values", "[ = one, ASCIIDATA2\nx\n]",
       "[\\x5B] t(one) t(ASCIIDATA2) t(x\\x0A)\n"},
      {"empty raw data", "[ = ASCIIDATA\n]\n", "[\\x5B] t(ASCIIDATA) t()\n"},
      {"raw data with crlf", "[ = ASCIIDATA\r\n\r\nx\r\n]\r\n", "[\\x5B] t(ASCIIDATA) t(\\x0D\\x0Ax\\x0D\\x0A)\n"},
      {"raw text starting with a blank line", "[ = ASCIIDATA\n\nx\n]", "[\\x5B] t(ASCIIDATA) t(\\x0Ax\\x0A)\n"},
      {"raw text starting with a quote", "[ = ASCIIDATA\n  \"q\"\n]", "[\\x5B] t(ASCIIDATA) t(\\x20\\x20\"q\"\\x0A)\n"},
      {"deeper closing bracket does not close", "{ = c\n    [ = ASCIIDATA\n         ]\n  ]\n}\nz",
       "[{] t(c)\n  [\\x5B] t(ASCIIDATA) t(\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x20\\x5D\\x0A)\n[z]\n"},
  };
  for (const auto& c : cases) {
    int32_t result = -1;
    EXPECT_EQ(Read(c.text, &result), c.tree) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
  }
}

TEST(KcblReader, MalformedLinesStopTheImport) {
  const SReadCase cases[] = {
      {"high byte outside quotes", "a = 1\nk = \xE9\nb = 2", "[a] t(1)\n", 0},
      {"control byte outside quotes", "a = 1\nk = x\x01y", "[a] t(1)\n", 0},
      {"delete outside quotes", "k\x7F", "", 0},
      {"line end in quotes", "a = 1\nk = \"ab\ncd\"", "[a] t(1)\n", 0},
      {"escaped line end in quotes", "k = \"ab\\\ncd\"", "", 0},
      {"unterminated quote", "k = \"ab", "", 0},
      {"backslash at the end", "k = \"ab\\", "", 0},
      {"brace inside a bare value", "k = ab{c}", "", 0},
      {"raw data without values", "[\nx\n]", "", 0},
      {"raw data with a quoted header", "[ = \"ASCIIDATA\"\nx\n]", "", 0},
      {"raw data with another header", "[ = asciidata\nx\n]", "", 0},
      {"raw data never closed", "a\n[ = ASCIIDATA\nx\n", "[a]\n", 0},
      {"raw data at the end of the text", "[ = ASCIIDATA", "", 0},
      {"bad byte in raw text", "[ = ASCIIDATA\nx\x02\n]", "", 0},
  };
  for (const auto& c : cases) {
    int32_t result = -1;
    EXPECT_EQ(Read(c.text, &result), c.tree) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
  }
}

TEST(KcblReader, ImportStopsAtLengthOrNul) {
  CKCBL k;
  const char text[] = "a = 1\nb = 2";
  EXPECT_EQ(k.Import(text, 5), 1);
  EXPECT_EQ(KcblDump(k), "[a] t(1)\n");
  // No NUL at all within the length: nothing past it is read.
  std::string packet = "x = \"abc\"";
  EXPECT_EQ(k.Import(packet.data(), 7), 0);  // the quote is cut open
  EXPECT_EQ(k.Import("a = 1\0b = 2", 11), 1);
  EXPECT_EQ(KcblDump(k), "[a] t(1)\n");
  EXPECT_EQ(k.Import("c = 3", -1), 1);
  EXPECT_EQ(KcblDump(k), "[c] t(3)\n");
  EXPECT_EQ(k.Import(nullptr, 3), 0);
}

TEST(KcblReader, NestingIsBounded) {
  auto nested = [](int levels) {
    std::string s;
    for (int i = 0; i < levels; ++i) s += "{ = c\n";
    s += "leaf = 1\n";
    for (int i = 0; i < levels; ++i) s += "}\n";
    return s;
  };
  CKCBL k;
  const std::string ok = nested(KCBL_MAX_DEPTH);
  EXPECT_EQ(k.Import(ok.c_str(), -1), 1);
  int depth = 0;
  k.MainChunk();
  k.FirstItem();
  while (k.EnterChunk()) ++depth;
  EXPECT_EQ(depth, KCBL_MAX_DEPTH);
  EXPECT_STREQ(k.GetKeyword(), "leaf");
  // One level more fails cleanly; a very deep text costs no stack to read, write or free.
  const std::string deep = nested(KCBL_MAX_DEPTH + 1);
  EXPECT_EQ(k.Import(deep.c_str(), -1), 0);
  std::string huge;
  for (int i = 0; i < 200000; ++i) huge += "{\n";
  EXPECT_EQ(k.Import(huge.c_str(), -1), 0);
  EXPECT_EQ(k.ExportSize(&depth), 1);
}

TEST(KcblReader, ManyBlankLinesReadInLinearTime) {
  // Each blank line looks ahead over the ones behind it; that look-ahead must not be repeated.
  std::string text(1 << 20, '\n');
  text += "k = v";
  CKCBL k;
  ASSERT_EQ(k.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
  int32_t n = 0;
  for (k.FirstItem(); k.ItemExists(); k.NextItem(0)) ++n;
  EXPECT_EQ(n, (1 << 20) + 1);
}
