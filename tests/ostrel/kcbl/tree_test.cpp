#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kcbldump.h"
#include "ostrel/kcbl/kcbl.h"
#include "support/tempdir.h"

namespace {
const char kDoc[] =
    "a = 1\n"
    "{ = First\n"
    "    x = 1\n"
    "    { = Deep\n"
    "        y = 2\n"
    "    }\n"
    "}\n"
    "b = 2, two\n"
    "{ = Second, alt\n"
    "}\n"
    "B = 3, TWO, three\n"
    "; comment\n";

class KcblTree : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(k.Import(kDoc, -1), 1); }
  std::string Kw() { return k.GetKeyword() ? k.GetKeyword() : "<none>"; }
  CKCBL k;
};
}  // namespace

TEST_F(KcblTree, ImportLeavesTheCursorOnTheFirstItem) {
  EXPECT_EQ(Kw(), "a");
  EXPECT_EQ(k.ItemType(), 1);
  EXPECT_EQ(k.NextItem(0), 1);
  EXPECT_EQ(k.ItemType(), 2);
  EXPECT_EQ(k.GetNumStrings(), 1);
  EXPECT_STREQ(k.GetString(0), "First");
  EXPECT_EQ(k.GetString(1), nullptr);
  EXPECT_EQ(k.GetString(-1), nullptr);
}

TEST_F(KcblTree, DepthFirstWalk) {
  // Keyword and result of each NextItem(1); an empty keyword stands for no current item.
  std::vector<std::string> seen;
  k.FirstItem();
  for (int i = 0; i < 14; ++i) {
    const int32_t r = k.NextItem(1);
    seen.push_back(std::to_string(r) + (k.ItemExists() ? Kw() : ""));
  }
  EXPECT_EQ(seen[0], "1{");
  EXPECT_EQ(seen[1], "1x");
  EXPECT_EQ(seen[2], "1{");
  EXPECT_EQ(seen[3], "1y");
  EXPECT_EQ(seen[4], "0");   // out of Deep: no item follows it in First
  EXPECT_EQ(seen[5], "0b");  // out of First, past its opening item
  EXPECT_EQ(seen[6], "1{");
  EXPECT_EQ(seen[7], "1");   // Second is empty: entered, no current item
  EXPECT_EQ(seen[8], "0B");
  EXPECT_EQ(seen[9], "1; comment");
  EXPECT_EQ(seen[10], "0");  // the end of the top chunk, where it stays
  EXPECT_EQ(seen[13], "0");
}

TEST_F(KcblTree, EnterAndExitChunks) {
  EXPECT_EQ(k.EnterChunk(), 0);  // "a" opens nothing
  EXPECT_EQ(k.ExitChunk(), 0);
  k.RestartMode(0);
  EXPECT_EQ(k.EnterChunk("second"), 1);
  EXPECT_EQ(k.GetRestartMode(), 1);
  EXPECT_EQ(k.ItemExists(), 0);
  EXPECT_EQ(k.ExitChunk(), 1);
  EXPECT_EQ(Kw(), "{");
  EXPECT_STREQ(k.GetString(0), "Second");
  EXPECT_EQ(k.EnterChunk("FIRST"), 1);
  EXPECT_EQ(Kw(), "x");
  EXPECT_EQ(k.EnterChunk("Deep"), 0);  // only top-level chunks by name
  EXPECT_EQ(k.EnterChunk(""), 0);
  EXPECT_EQ(k.EnterChunk(nullptr), 0);
  k.MainChunk();
  k.FirstItem();
  k.NextItem(0);
  EXPECT_EQ(k.PushChunk(), 1);
  k.EnterChunk();
  k.NextItem(0);
  k.EnterChunk();
  EXPECT_EQ(Kw(), "y");
  EXPECT_EQ(k.PopChunk(), 1);
  EXPECT_EQ(Kw(), "{");
  EXPECT_EQ(k.PopChunk(), 0);
  EXPECT_EQ(Kw(), "{");
}

TEST_F(KcblTree, FindItem) {
  k.RestartMode(1);
  EXPECT_EQ(k.FindItem("b"), 1);
  EXPECT_STREQ(k.GetString(0), "2");
  EXPECT_EQ(k.FindItem("b"), 1);  // starts at the current item: the same one again
  EXPECT_STREQ(k.GetString(0), "2");
  k.NextItem(0);
  EXPECT_EQ(k.FindItem("b"), 1);  // case-insensitive, the next match
  EXPECT_STREQ(k.GetString(0), "3");
  k.NextItem(0);
  EXPECT_EQ(k.FindItem("b"), 1);  // wraps to the first item
  EXPECT_STREQ(k.GetString(0), "2");
  EXPECT_EQ(k.FindItem("b", nullptr, "TWO"), 0);  // nulls are skipped: "TWO" is held against value 0
  EXPECT_EQ(k.FindItem("b", nullptr, "3"), 1);
  EXPECT_STREQ(k.GetString(1), "TWO");
  EXPECT_EQ(k.FindItem("b", "3", "two", "THREE"), 1);
  EXPECT_EQ(k.FindItem("b", "3", "two", "four"), 0);
  EXPECT_EQ(k.FindItem("b", "2", "two", "three"), 0);  // fewer values than asked
  EXPECT_EQ(k.FindItem("x"), 0);                       // sub-chunks are not searched
  EXPECT_EQ(k.FindItem(nullptr), 0);
  EXPECT_EQ(k.FindSubChunk("second", "ALT"), 1);
  EXPECT_EQ(k.FindRawdata(nullptr), 0);
  EXPECT_EQ(k.GetRawdata(), 1);

  // Restart mode off: no wrap, and no search without a current item.
  EXPECT_EQ(k.RestartMode(0), 1);
  k.FirstItem();
  k.NextItem(0);
  k.NextItem(0);
  k.NextItem(0);  // on "{ = Second"
  EXPECT_EQ(k.FindItem("a"), 0);
  EXPECT_EQ(k.FindItem("; comment"), 1);
  k.NextItem(0);
  EXPECT_EQ(k.ItemExists(), 0);
  EXPECT_EQ(k.FindItem("a"), 0);
  k.RestartMode(1);
  EXPECT_EQ(k.FindItem("a"), 1);
}

TEST_F(KcblTree, KillItem) {
  EXPECT_EQ(k.KillItem(), 1);  // "a": the cursor goes to the placeholder
  EXPECT_EQ(k.ItemExists(), 1);
  EXPECT_EQ(k.KillItem(), 0);
  EXPECT_EQ(k.IsComment(), 1);
  EXPECT_EQ(k.FindItem("; I don't exist"), 0);
  EXPECT_EQ(k.NextItem(0), 1);
  EXPECT_EQ(Kw(), "{");
  // A chunk that sits on the chunk stack goes with its item.
  k.EnterChunk();
  k.NextItem(0);
  k.EnterChunk();
  k.PushChunk();
  k.ExitChunk();
  k.ExitChunk();
  EXPECT_EQ(k.KillItem(), 1);
  EXPECT_EQ(k.PopChunk(), 0);
  EXPECT_EQ(k.NextItem(0), 1);
  EXPECT_EQ(Kw(), "b");
  EXPECT_EQ(KcblDump(k), "[b] t(2) t(two)\n[{] t(Second) t(alt)\n[B] t(3) t(TWO) t(three)\n[;\\x20comment]\n");
  k.FindItem("; comment");
  EXPECT_EQ(k.KillItem(), 1);
  EXPECT_EQ(Kw(), "B");
  EXPECT_EQ(k.NextItem(0), 0);
  EXPECT_EQ(k.KillItem(), 0);
  k.Free();
  EXPECT_EQ(k.FirstItem(), 0);
  EXPECT_EQ(k.ItemExists(), 0);
  EXPECT_EQ(k.KillItem(), 0);
  EXPECT_EQ(k.GetKeyword(), nullptr);
  EXPECT_EQ(k.GetDataType(0), 0);
  EXPECT_EQ(k.IsComment(), 0);
}

TEST_F(KcblTree, KillingADeepTreeCostsNoStack) {
  k.Free();
  for (int i = 0; i < KCBL_MAX_DEPTH; ++i) ASSERT_EQ(k.NewChunk(KLONG, i, KEND), 1);
  ASSERT_EQ(k.NewChunk(KLONG, 0, KEND), 0);  // deeper than can be read back
  k.MainChunk();
  k.FirstItem();
  EXPECT_EQ(k.KillItem(), 1);
  EXPECT_EQ(k.FirstItem(), 0);
}

TEST_F(KcblTree, DataTypesAndComments) {
  ASSERT_EQ(k.Import("k = a, {1, 2}\t\t;c\n\tkey\n\n;x\nq = \";not a comment\", \"\xFD\"", -1), 1);
  EXPECT_EQ(k.GetDataType(0), 2);
  EXPECT_EQ(k.GetDataType(1), 3);
  EXPECT_EQ(k.GetDataType(2), 1);
  EXPECT_EQ(k.GetDataType(3), 2);
  EXPECT_EQ(k.GetDataType(-1), 2);
  EXPECT_EQ(k.IsComment(), 0);
  int32_t n = 0;
  EXPECT_EQ(k.GetNumArrayItems(1, &n), 1);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(k.GetNumArrayItems(0, &n), 0);
  EXPECT_EQ(static_cast<unsigned char>(k.GetString(1)[0]), 0xFD);
  k.NextItem(0);
  EXPECT_EQ(Kw(), "key");
  k.NextItem(0);
  EXPECT_EQ(k.IsComment(), 1);  // blank line
  k.NextItem(0);
  EXPECT_EQ(k.IsComment(), 1);
  // Quoted texts that start like a comment or an array are plain texts and stay quoted.
  k.NextItem(0);
  EXPECT_EQ(k.GetDataType(0), 2);
  EXPECT_EQ(k.GetDataType(1), 2);
  EXPECT_EQ(k.GetNumArrayItems(1, &n), 0);
  k.FirstItem();
  k.KillItem();
  EXPECT_EQ(KcblExport(k), "key\n\n;x\nq = \";not a comment\", \"\xFD\"\n");
}

TEST(KcblFiles, SaveAndLoad) {
  CTempDir dir;
  CKCBL k;
  k.NewItem("Name", KSTRING, "two words", KEND);
  k.NewChunk(KSTRING, "Sub", KEND);
  k.NewItem("n", KLONG, 5, KEND);
  const std::string path = dir.File("options.cfg");
  ASSERT_EQ(k.Save(path.c_str()), 1);
  EXPECT_EQ(ReadWholeFile(path), "Name = \"two words\"\n{ = Sub\n    n = 5\n}\n");
  CKCBL l;
  ASSERT_EQ(l.Load(path.c_str()), 1);
  EXPECT_EQ(KcblDump(l), "[Name] t(two\\x20words)\n[{] t(Sub)\n  [n] t(5)\n");
  // Names go through the resolver: another case and backslashes find the same file.
  ASSERT_EQ(l.Load((dir.Path() + "\\OPTIONS.CFG").c_str()), 1);
  EXPECT_EQ(l.EnterChunk("sub"), 1);

  WriteWholeFile(dir.File("bad.cfg"), "a = 1\nb = \xE9\n");
  EXPECT_EQ(l.Load(dir.File("bad.cfg").c_str()), 0);
  EXPECT_EQ(KcblDump(l), "[a] t(1)\n");
  EXPECT_EQ(l.Load(dir.File("missing.cfg").c_str()), 0);
  EXPECT_EQ(l.FirstItem(), 0);
  WriteWholeFile(dir.File("empty.cfg"), "");
  EXPECT_EQ(l.Load(dir.File("empty.cfg").c_str()), 1);
  EXPECT_EQ(KcblDump(l), "[]\n");

  EXPECT_EQ(k.Save(dir.File("no/such/folder/x.cfg").c_str()), 0);
  k.NewItem("[", KSTRING, "ASCIIDATA", KSTRING, "no line end", KEND);
  EXPECT_EQ(k.Save(dir.File("raw.cfg").c_str()), 0);
  CKCBL empty;
  EXPECT_EQ(empty.Save(dir.File("empty2.cfg").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("empty2.cfg")), "");
}
