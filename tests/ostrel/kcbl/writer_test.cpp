#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kcbldump.h"
#include "ostrel/kcbl/kcbl.h"

namespace {
std::string Reread(const std::string& text) {
  CKCBL k;
  if (!k.Import(text.c_str(), static_cast<int32_t>(text.size()))) return "<malformed>";
  return KcblDump(k);
}
}  // namespace

TEST(KcblWriter, ValuesBareOrQuoted) {
  struct {
    const char* value;
    const char* line;
  } const cases[] = {
      {"abc123", "k = abc123\n"},
      {"a b", "k = \"a b\"\n"},
      {"", "k = \"\"\n"},
      {"a\tb\nc\rd\"e\\f", "k = \"a\\tb\\nc\\rd\\\"e\\\\f\"\n"},
      {"\xE9t\xE9", "k = \"\xE9t\xE9\"\n"},
      {"\x01", "k = \"\x01\"\n"},
      {"a,b", "k = \"a,b\"\n"},
      {"a=b", "k = \"a=b\"\n"},
      {"{x}", "k = \"{x}\"\n"},
      {"back\\slash", "k = back\\slash\n"},
  };
  for (const auto& c : cases) {
    CKCBL k;
    ASSERT_EQ(k.NewItem("k", KSTRING, c.value, KEND), 1);
    const std::string text = KcblExport(k);
    EXPECT_EQ(text, c.line) << c.value;
    EXPECT_EQ(Reread(text), "[k] t(" + KcblShow(c.value) + ")\n") << c.value;
  }
}

TEST(KcblWriter, ItemsChunksCommentsArrays) {
  CKCBL k;
  const int32_t longs[] = {1, -2, 3};
  k.NewItem("solo", KEND);
  k.NewChunk(KSTRING, "Strings", KEND);
  k.NewItem("a", KLONG, 1, KEND);
  k.NewChunk(KSTRING, "Inner", KSTRING, "two words", KEND);
  k.NewItem("deep", KSTRING, "x", KEND);
  k.ExitChunk();
  k.NewItem("b", KLONGARRAY, 3, longs, KEND);
  k.ExitChunk();
  k.NewItem("c", KSTRING, "a", KSTRING, "; note", KSTRING, "b", KEND);
  k.NewItem("d", KLONGARRAY, 3, longs, KSTRING, ";tail", KEND);
  k.NewItem("e", KLONGARRAY, 0, longs, KLONGARRAY, 1, longs, KEND);
  k.NewItem("", KEND);
  k.NewItem("; a comment line", KEND);
  const std::string want =
      "solo\n"
      "{ = Strings\n"
      "    a = 1\n"
      "    { = Inner, \"two words\"\n"
      "        deep = x\n"
      "    }\n"
      "    b = { 1, -2, 3}\n"
      "}\n"
      "c = a, \t\t; note\n"
      "\tb\n"
      "d = { 1, -2, 3}\t\t;tail\n"
      "e = { }, { 1}\n"
      "\n"
      "; a comment line\n";
  EXPECT_EQ(KcblExport(k), want);
  // The comment that other values follow is lost on reading, the values after it are kept.
  EXPECT_EQ(Reread(want),
            "[solo]\n[{] t(Strings)\n  [a] t(1)\n  [{] t(Inner) t(two\\x20words)\n    [deep] t(x)\n"
            "  [b] a3[1|-2|3]\n[c] t(a) t(b)\n[d] a3[1|-2|3] c(;tail)\n[e] a0[] a1[1]\n[]\n"
            "[;\\x20a\\x20comment\\x20line]\n");
}

TEST(KcblWriter, KeywordsStandBareAndQuoteOnlyWhatTheyMust) {
  CKCBL k;
  ASSERT_EQ(k.Import("\"a b\" = 1\nName = 2\n{x}[y] = 3\n", -1), 1);
  EXPECT_EQ(KcblExport(k), "a\" \"b = 1\nName = 2\n{x}[y] = 3\n");
  EXPECT_EQ(Reread(KcblExport(k)), "[a\\x20b] t(1)\n[Name] t(2)\n[{x}\\x5By\\x5D] t(3)\n");
}

TEST(KcblWriter, ArrayElementsThatCannotStandBareAreQuoted) {
  CKCBL k;
  ASSERT_EQ(k.Import("k = {\"a b\", \"\", \"}\", x}", -1), 1);
  const std::string text = KcblExport(k);
  EXPECT_EQ(text, "k = { \"a b\", \"\", \"}\", x}\n");
  EXPECT_EQ(Reread(text), "[k] a4[a\\x20b||}|x]\n");
}

TEST(KcblWriter, LongValuesSplitAtTheMaximumLineLength) {
  struct {
    int32_t max;
    const char* keyword;
    std::string value;
    const char* text;
  } const cases[] = {
      {20, "k", std::string(50, 'x'),
       "k = \"xxxxxxxxxxxxxx\"\n    \"xxxxxxxxxxxxxx\"\n    \"xxxxxxxxxxxxxx\"\n    \"xxxxxxxx\"\n"},
      // The column after " = " plus 3 is the least maximum.
      {5, "keyword", "abcd", "keyword = \"a\"\n          \"b\"\n          \"c\"\n          \"d\"\n"},
      // An escape pair is one step and never split.
      {5, "keyword", "\n\n", "keyword = \"\\n\"\n          \"\\n\"\n"},
  };
  for (const auto& c : cases) {
    CKCBL k;
    k.SetMaxLineLength(c.max);
    ASSERT_EQ(k.NewItem(c.keyword, KSTRING, c.value.c_str(), KEND), 1);
    const std::string text = KcblExport(k);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(Reread(text), "[" + std::string(c.keyword) + "] t(" + KcblShow(c.value.c_str()) + ")\n");
  }
  // Bare values count against everything written for the item so far, over all its lines.
  CKCBL k;
  k.SetMaxLineLength(20);
  k.NewItem("k", KSTRING, "aaaa", KSTRING, "bbbb", KSTRING, "cccc", KSTRING, "dddd", KSTRING, "eeee", KEND);
  EXPECT_EQ(KcblExport(k), "k = aaaa, bbbb, cccc, \"d\"\n    \"ddd\", \"eeee\"\n");
  EXPECT_EQ(Reread(KcblExport(k)), "[k] t(aaaa) t(bbbb) t(cccc) t(dddd) t(eeee)\n");
  k.SetMaxLineLength(-5);  // ignored
  k.SetMaxLineLength(0);   // back to the default
  EXPECT_EQ(KcblExport(k), "k = aaaa, bbbb, cccc, dddd, eeee\n");
}

TEST(KcblWriter, RawData) {
  CKCBL k;
  k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "\"quoted\" first\n  ]deeper\n", KEND);
  k.NewChunk(KSTRING, "c", KEND);
  k.NewChunk(KSTRING, "d", KEND);
  k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "x\r\n", KEND);
  const std::string text = KcblExport(k);
  EXPECT_EQ(text,
            "[ = ASCIIDATA\n\"quoted\" first\n  ]deeper\n]\n"
            "{ = c\n    { = d\n        [ = ASCIIDATA\nx\r\n    ]\n    }\n}\n");
  EXPECT_EQ(Reread(text),
            "[\\x5B] t(ASCIIDATA) t(\"quoted\"\\x20first\\x0A\\x20\\x20\\x5Ddeeper\\x0A)\n"
            "[{] t(c)\n  [{] t(d)\n    [\\x5B] t(ASCIIDATA) t(x\\x0D\\x0A)\n");
  // The header stays bare whatever the line length.
  k.SetMaxLineLength(1);
  EXPECT_EQ(Reread(KcblExport(k)), Reread(text));
}

TEST(KcblWriter, RawDataThatWouldNotReadBackFailsTheExport) {
  struct {
    const char* name;
    int depth;
    const char* header;
    const char* raw;
  } const cases[] = {
      {"header", 0, "ASCII", "x\n"},
      {"quoted header", 0, "ASCIIDATA x", "x\n"},
      {"no final line end", 0, "ASCIIDATA", "x"},
      {"bad byte", 0, "ASCIIDATA", "\xE9\n"},
      {"closing line inside", 0, "ASCIIDATA", "a\n]\n"},
      {"closing line inside a chunk", 1, "ASCIIDATA", "a\n]\n"},
  };
  for (const auto& c : cases) {
    CKCBL k;
    k.NewItem("first", KEND);
    if (c.depth) k.NewChunk(KSTRING, "c", KEND);
    ASSERT_EQ(k.NewItem("[", KSTRING, c.header, KSTRING, c.raw, KEND), 1) << c.name;
    int32_t len = 0;
    EXPECT_EQ(k.ExportSize(&len), 0) << c.name;
    EXPECT_EQ(len, -1) << c.name;
  }
  CKCBL k;
  k.NewItem("first", KEND);
  k.NewItem("[", KSTRING, "ASCIIDATA", KEND);  // no raw text at all
  int32_t len = 0;
  EXPECT_EQ(k.ExportSize(&len), 0);
  // First in the text, where a line may start with a quote, it is an item like any other.
  CKCBL first;
  first.NewItem("[", KSTRING, "ASCIIDATA", KEND);
  EXPECT_EQ(KcblExport(first), "\"[\" = ASCIIDATA\n");
  EXPECT_EQ(Reread(KcblExport(first)), "[\\x5B] t(ASCIIDATA)\n");
  // Indented less deeply the same line is plain text.
  CKCBL top;
  top.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, " ]\n", KEND);
  EXPECT_EQ(Reread(KcblExport(top)), "[\\x5B] t(ASCIIDATA) t(\\x20\\x5D\\x0A)\n");
  // In a chunk, a line of the text that would close it there moves the item out to the left.
  CKCBL deep;
  deep.NewChunk(KSTRING, "c", KEND);
  deep.NewChunk(KSTRING, "d", KEND);
  deep.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "a\n  ]\n", KEND);
  EXPECT_EQ(KcblExport(deep), "{ = c\n    { = d\n [ = ASCIIDATA\na\n  ]\n]\n    }\n}\n");
  EXPECT_EQ(Reread(KcblExport(deep)),
            "[{] t(c)\n  [{] t(d)\n    [\\x5B] t(ASCIIDATA) t(a\\x0A\\x20\\x20\\x5D\\x0A)\n");
}

TEST(KcblWriter, ExportNeverWritesPastItsSize) {
  CKCBL k;
  k.NewItem("a", KLONG, 1, KEND);
  int32_t len = 0;
  ASSERT_EQ(k.ExportSize(&len), 1);
  ASSERT_EQ(len, 6);
  char buf[16];
  for (int32_t size : {6, 3, 1}) {
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(k.Export(buf, size, &len, 0), 0) << size;
    EXPECT_EQ(len, -1);
    EXPECT_EQ(buf[0], 0);
    for (int32_t i = size; i < 16; ++i) ASSERT_EQ(buf[i], '#') << size;
  }
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(k.Export(buf, -1, &len, 0), 0);
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(k.Export(buf, 7, &len, 0), 1);
  EXPECT_STREQ(buf, "a = 1\n");
  EXPECT_EQ(buf[7], '#');
  EXPECT_EQ(len, 6);
  // Measuring ignores the size.
  EXPECT_EQ(k.Export(buf, 2, &len, 1), 1);
  EXPECT_EQ(len, 6);
  EXPECT_EQ(k.Export(nullptr, 2, &len, 0), 1);
  EXPECT_EQ(len, 6);
}

TEST(KcblWriter, EmptyExportHasLengthOne) {
  CKCBL k;
  char buf[4] = "xyz";
  int32_t len = 0;
  EXPECT_EQ(k.Export(buf, 4, &len, 0), 1);
  EXPECT_EQ(len, 1);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(k.ExportSize(&len), 1);
  EXPECT_EQ(len, 1);
  k.NewItem("a", KEND);
  std::memcpy(buf, "xyz", 4);
  EXPECT_EQ(k.Export(buf, 0, &len, 0), 1);
  EXPECT_EQ(len, 1);
  EXPECT_STREQ(buf, "xyz");
  k.Free();
  EXPECT_EQ(k.ExportSize(&len), 1);
  EXPECT_EQ(len, 1);
}

TEST(KcblWriter, ExportKeepsTheCursor) {
  CKCBL k;
  ASSERT_EQ(k.Import("a\n{ = c\n    x\n    y\n}\n[ = ASCIIDATA\nno end", -1), 0);
  k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "no end", KEND);  // a raw item that fails
  k.EnterChunk("c");
  k.NextItem(0);
  int32_t len = 0;
  EXPECT_EQ(k.ExportSize(&len), 0);
  EXPECT_STREQ(k.GetKeyword(), "y");
  k.MainChunk();
  k.FindItem("[");
  k.KillItem();
  k.EnterChunk("c");
  k.NextItem(0);
  char buf[64];
  EXPECT_EQ(k.Export(buf, sizeof buf, &len, 0), 1);
  EXPECT_STREQ(buf, "a\n{ = c\n    x\n    y\n}\n");
  EXPECT_STREQ(k.GetKeyword(), "y");
  EXPECT_EQ(k.ExitChunk(), 1);
  EXPECT_EQ(k.ExitChunk(), 0);
}

TEST(KcblWriter, CanonicalTextReadsAndWritesIdentically) {
  const std::string text =
      "; Lobby settings\n"
      "Server = casino.example, 6001\n"
      "\n"
      "{ = Tables\n"
      "    Name = \"Blackjack 1\"\n"
      "    Limits = { 1, 5, 500}\t\t; chips\n"
      "    Flags = XWIN_TITLEBAR|XWIN_CLOSE\n"
      "    { = Seats, 7\n"
      "        Empty = TRUE\n"
      "    }\n"
      "    [ = ASCIIDATA\n"
      "Free text, \"as it is\"\n"
      "]\n"
      "}\n"
      "Motd = \"Welcome\\nGood luck\"\n";
  CKCBL k;
  ASSERT_EQ(k.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
  EXPECT_EQ(KcblExport(k), text);
}
