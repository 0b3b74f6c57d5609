#include <gtest/gtest.h>

#include <string>

#include "ostrel/graphics/inversetable.h"
#include "ostrel/graphics/palette.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {

// The nearest entry below the last searchable index, written out again.
int Nearest(const CPalette& p, int r, int g, int b) {
  int best = 1 << 30, found = p.m_FirstIndex;
  for (int i = p.m_FirstIndex; i < p.m_LastIndex; ++i) {
    const TRGBA& e = p.m_Entries[i];
    const int d = (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
    if (d < best) best = d, found = i;
  }
  return found;
}

void Colourful(CPalette& p, int seed) {
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA c(static_cast<uint8_t>(i * 37 + seed), static_cast<uint8_t>(i * 11 + 3 * seed),
                  static_cast<uint8_t>(i * 73));
    p.SetIndex(&c, i);
  }
}

class InverseTable : public CRuntimeTest {
 protected:
  std::string TableOf(const CPalette& p) { return std::string(p.GetName()) + ".tab"; }
  // Takes the process's table, then drops it so the next call starts again.
  std::string Fresh(const CPalette& p, int32_t expect = 1) {
    const uint8_t* t = nullptr;
    EXPECT_EQ(xGetInverseTable(&p, &t), expect);
    std::string out = t ? std::string(reinterpret_cast<const char*>(t), INVERSE_TABLE_SIZE) : "";
    xDiscardInverseTable();
    return out;
  }
  CTempDir m_Dir;
};

}  // namespace

TEST_F(InverseTable, EntriesAreTheNearestOfTheFiveBitColours) {
  CPalette p;
  Colourful(p, 1);
  ASSERT_EQ(p.SetName(m_Dir.File("main").c_str()), 1);
  const std::string table = Fresh(p);
  for (int i = 0; i < INVERSE_TABLE_SIZE; ++i)
    ASSERT_EQ(static_cast<uint8_t>(table[i]), Nearest(p, (i >> 10) << 3, ((i >> 5) & 31) << 3, (i & 31) << 3)) << i;
  EXPECT_EQ(ReadWholeFile(m_Dir.File("main.tab")), table);  // cached beside the palette
}

TEST_F(InverseTable, AGoodCacheFileIsRead) {
  CPalette p;
  Colourful(p, 2);
  ASSERT_EQ(p.SetName(m_Dir.File("main.pal").c_str()), 1);
  std::string table = Fresh(p);
  // Change one entry the read check does not look at: the file, not a new table, is used.
  table[1] = static_cast<char>(table[1] == 5 ? 6 : 5);
  WriteWholeFile(TableOf(p), table);
  EXPECT_EQ(Fresh(p), table);
}

TEST_F(InverseTable, AShortLongOrDamagedCacheIsMadeAgain) {
  CPalette p, other;
  Colourful(p, 3);
  Colourful(other, 40);
  ASSERT_EQ(p.SetName(m_Dir.File("main.pal").c_str()), 1);
  ASSERT_EQ(other.SetName(m_Dir.File("other.pal").c_str()), 1);
  const std::string good = Fresh(p);
  const std::string stale = Fresh(other);
  std::string unreachable = good;
  unreachable[1000] = static_cast<char>(255);  // the last index is never a match
  const std::string files[] = {good.substr(0, 100), good + "x", std::string(INVERSE_TABLE_SIZE, 0),
                               stale, unreachable, ""};
  for (const std::string& f : files) {
    WriteWholeFile(TableOf(p), f);
    EXPECT_EQ(Fresh(p), good) << f.size();
    EXPECT_EQ(ReadWholeFile(TableOf(p)), good) << f.size();  // written again
  }
}

TEST_F(InverseTable, KeptForTheRestOfTheProcess) {
  CPalette first, second;
  Colourful(first, 5);
  Colourful(second, 90);
  ASSERT_EQ(first.SetName(m_Dir.File("first").c_str()), 1);
  ASSERT_EQ(second.SetName(m_Dir.File("second").c_str()), 1);
  const uint8_t *a = nullptr, *b = nullptr;
  ASSERT_EQ(xGetInverseTable(&first, &a), 1);
  ASSERT_EQ(xGetInverseTable(&second, &b), 1);
  EXPECT_EQ(a, b);  // the second palette gets the first's table
  EXPECT_EQ(glb->m_pColourMapCache, a);
  EXPECT_FALSE(ReadWholeFile(m_Dir.File("first.tab")).empty());
  EXPECT_TRUE(ReadWholeFile(m_Dir.File("second.tab")).empty());
  xDiscardInverseTable();
  EXPECT_EQ(glb->m_pColourMapCache, nullptr);
  ASSERT_EQ(xGetInverseTable(&second, &b), 1);
  EXPECT_EQ(static_cast<int>(b[0]), Nearest(second, 0, 0, 0));
}

TEST_F(InverseTable, FileNamesAndWriteFailures) {
  CPalette unnamed;
  Colourful(unnamed, 6);
  ASSERT_EQ(unnamed.SetName(""), 1);
  CWorkingDir here(m_Dir.Path());
  EXPECT_FALSE(Fresh(unnamed).empty());
  EXPECT_TRUE(ReadWholeFile(m_Dir.File(".tab")).empty());  // a bare ".tab" is never written

  CPalette fresh;  // the default name gives ".pal.tab"
  EXPECT_FALSE(Fresh(fresh).empty());
  EXPECT_EQ(ReadWholeFile(m_Dir.File(".pal.tab")).size(), static_cast<size_t>(INVERSE_TABLE_SIZE));

  CPalette lost;
  ASSERT_EQ(lost.SetName(m_Dir.File("no/such/folder/x").c_str()), 1);
  const std::string table = Fresh(lost, 0);  // 0, but the table is there all the same
  EXPECT_EQ(table.size(), static_cast<size_t>(INVERSE_TABLE_SIZE));
}
