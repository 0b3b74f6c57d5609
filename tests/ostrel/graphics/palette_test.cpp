#include <gtest/gtest.h>

#include <string>

#include "ostrel/graphics/palette.h"
#include "support/tempdir.h"

namespace {
void Set(CPalette& p, int index, int r, int g, int b) {
  const TRGBA c(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
  p.SetIndex(&c, index);
}

// A palette whose every entry is far from everything the cases ask for.
void FarAway(CPalette& p) {
  for (int i = 0; i < PALETTE_SIZE; ++i) Set(p, i, 0, 255, 0);
}
}  // namespace

TEST(Palette, NewPaletteIsAGreyRampNamedPal) {
  CPalette p;
  EXPECT_STREQ(p.GetName(), ".pal");
  EXPECT_EQ(p.m_FirstIndex, 0);
  EXPECT_EQ(p.m_LastIndex, 255);
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    TRGBA c(1, 1, 1, 9);
    ASSERT_EQ(p.GetIndex(&c, i), 1);
    EXPECT_TRUE(c == TRGBA(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 9));
  }
}

TEST(Palette, FindMatchAndSecondBest) {
  struct {
    const char* name;
    void (*setup)(CPalette&);
    TRGBA colour;
    int match, second;
  } cases[] = {
      {"the last index is never matched", [](CPalette&) {}, TRGBA(255, 255, 255), 254, 255},
      {"exact match", [](CPalette&) {}, TRGBA(17, 17, 17), 17, 16},
      {"ties go to the lower index",
       [](CPalette& p) {
         FarAway(p);
         Set(p, 3, 10, 10, 10);
         Set(p, 7, 10, 10, 12);
       },
       TRGBA(10, 10, 11), 3, 7},
      {"the first exact match wins",
       [](CPalette& p) {
         FarAway(p);
         Set(p, 40, 1, 2, 3);
         Set(p, 20, 1, 2, 3);
       },
       TRGBA(1, 2, 3), 20, 40},
      {"alpha takes no part",
       [](CPalette& p) {
         FarAway(p);
         Set(p, 5, 9, 9, 9);
       },
       TRGBA(9, 9, 9, 200), 5, 0},
      {"search bounds",
       [](CPalette& p) {
         p.m_FirstIndex = 100;
         p.m_LastIndex = 110;
       },
       TRGBA(0, 0, 0), 100, 101},
      {"the excluded last index is the second best's",
       [](CPalette& p) {
         p.m_FirstIndex = 100;
         p.m_LastIndex = 110;
       },
       TRGBA(255, 255, 255), 109, 110},
      {"first equal to last",
       [](CPalette& p) { p.m_FirstIndex = p.m_LastIndex = 50; }, TRGBA(0, 0, 0), 50, 50},
      {"first above last",
       [](CPalette& p) {
         p.m_FirstIndex = 60;
         p.m_LastIndex = 50;
       },
       TRGBA(55, 55, 55), 60, 60},
  };
  for (const auto& c : cases) {
    CPalette p;
    c.setup(p);
    EXPECT_EQ(p.FindMatch(&c.colour), c.match) << c.name;
    EXPECT_EQ(p.FindSecondBest(&c.colour), c.second) << c.name;
  }
}

TEST(Palette, IndexAccessOutsideThePalette) {
  CPalette p;
  const TRGBA c(1, 2, 3, 4);
  EXPECT_EQ(p.SetIndex(&c, 256), 1);
  EXPECT_EQ(p.SetIndex(&c, -1), 1);
  TRGBA out(9, 9, 9, 9);
  EXPECT_EQ(p.GetIndex(&out, 256), 0);
  EXPECT_TRUE(out == TRGBA(0, 0, 0, 0));
  ASSERT_EQ(p.SetIndex(&c, 255), 1);
  out.Set(0, 0, 0, 9);
  ASSERT_EQ(p.GetIndex(&out, 255), 1);
  EXPECT_TRUE(out == TRGBA(1, 2, 3, 9));  // alpha neither set nor read
  EXPECT_EQ(p.m_Entries[255].a, 0);
}

TEST(Palette, SetPaletteAndClone) {
  TRGBA colours[PALETTE_SIZE];
  TRGBA* pointers[PALETTE_SIZE];
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    colours[i] = TRGBA(static_cast<uint8_t>(255 - i), 0, static_cast<uint8_t>(i), 7);
    pointers[i] = &colours[i];
  }
  CPalette p, q;
  ASSERT_EQ(p.SetPalette(pointers), 1);
  p.m_FirstIndex = 3;
  p.m_LastIndex = 200;
  ASSERT_EQ(p.SetName("pics/table"), 1);
  ASSERT_EQ(q.Clone(&p), 1);
  EXPECT_STREQ(q.GetName(), "pics/table");
  EXPECT_NE(q.GetName(), p.GetName());
  EXPECT_EQ(q.m_FirstIndex, 3);
  EXPECT_EQ(q.m_LastIndex, 200);
  for (int i = 0; i < PALETTE_SIZE; ++i) EXPECT_TRUE(q.m_Entries[i] == colours[i]);
  EXPECT_EQ(q.Clone(nullptr), 0);
}

TEST(Palette, LoadReadsRecordsAfterTheHeader) {
  CTempDir dir;
  // A RIFF palette: "RIFF", size, "PAL ", "data", size, version, count, then the records.
  std::string file = std::string("RIFF\x14\x04\0\0PAL data\x10\x04\0\0\0\x03\0\x01", 24);
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    file += static_cast<char>(i);
    file += static_cast<char>(255 - i);
    file += static_cast<char>(i / 2);
    file += '\x7F';  // flags: ignored
  }
  WriteWholeFile(dir.File("Table.pal"), file);
  CPalette p;
  p.m_Entries[10].a = 33;
  ASSERT_EQ(p.Load(dir.File("Table.pal").c_str()), 1);
  EXPECT_EQ(std::string(p.GetName()), dir.File("Table.pal"));
  EXPECT_TRUE(p.m_Entries[10] == TRGBA(10, 245, 5, 33));
  EXPECT_TRUE(p.m_Entries[255] == TRGBA(255, 0, 127, 0));

  // Cut in the middle of record 100: the records before it are read, the rest stay.
  WriteWholeFile(dir.File("short.pal"), file.substr(0, 24 + 4 * 100 + 2));
  CPalette s;
  EXPECT_EQ(s.Load(dir.File("short.pal").c_str()), 0);
  EXPECT_TRUE(s.m_Entries[99] == TRGBA(99, 156, 49, 0));
  EXPECT_TRUE(s.m_Entries[100] == TRGBA(100, 100, 100, 0));
  WriteWholeFile(dir.File("tiny.pal"), "RIFF");
  EXPECT_EQ(s.Load(dir.File("tiny.pal").c_str()), 0);
  CPalette m;
  EXPECT_EQ(m.Load(dir.File("missing.pal").c_str()), 0);
  EXPECT_STREQ(m.GetName(), ".pal");
}
