// The card table's set-up: Init's bounds and the textures, with every way a texture can be bad.
#include <gtest/gtest.h>

#include "fennictest.h"
#include "ostrel/graphics/bitmap.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {

TEST(TableInit, BoundsOfPocketsAndTheFaceSheet) {
  CCardTable table;
  struct {
    int32_t pockets, rows, columns, ranks, ok;
  } const kCases[] = {{16, 4, 13, 13, 1}, {1, 1, 1, 1, 1},   {256, 64, 64, 13, 1}, {0, 4, 13, 13, 0},
                      {257, 4, 13, 13, 0}, {-1, 4, 13, 13, 0}, {16, 0, 13, 13, 0},   {16, 4, 0, 13, 0},
                      {16, 65, 13, 13, 0}, {16, 4, 13, 0, 0}};
  for (const auto& c : kCases) {
    EXPECT_EQ(table.Init(c.pockets, c.rows, c.columns, c.ranks), c.ok) << c.pockets << " " << c.rows;
    if (c.ok) {
      EXPECT_EQ(table.GetNumPockets(), c.pockets);
    }
  }
  EXPECT_EQ(table.SetCardDimension(0, 1), 0);
  EXPECT_EQ(table.SetCardDimension(1, NAN), 0);
  EXPECT_EQ(table.SetCardDimension(-0.06, 0.09), 0);
}

class Textures : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_EQ(m_Table.Init(16, 4, 13, 13), 1);
    ASSERT_TRUE(WriteBmp24(Sheet(), 13 * 8, 4 * 10, [](int32_t x, int32_t y) {
      return TRGBA(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7);
    }));
    ASSERT_TRUE(WriteBmp24(Back(), 8, 10, [](int32_t, int32_t) { return TRGBA(20, 40, 160); }));
    ASSERT_EQ(m_Table.SetCardSize(8, 10), 1);
  }
  std::string Sheet() const { return m_Dir.File("faces.bmp"); }
  std::string Back() const { return m_Dir.File("back.bmp"); }
  int32_t Load(const std::string& sheet, const std::string& back) {
    m_Table.SetTextureNames(sheet.c_str(), back.c_str());
    return m_Table.LoadTextures();
  }
  bool Empty() const { return !m_Table.GetFaceSheet() && !m_Table.GetBack(); }

  CTempDir m_Dir;
  CCardTable m_Table;
};

TEST_F(Textures, LoadsTheSheetAndTheBack) {
  ASSERT_EQ(Load(Sheet(), Back()), 1);
  EXPECT_EQ(m_Table.GetFaceSheet()->m_Width, 104);
  EXPECT_EQ(m_Table.GetFaceSheet()->m_Height, 40);
  EXPECT_EQ(m_Table.GetBack()->m_Width, 8);
  TRGBA c;
  m_Table.GetFaceSheet()->GetPixel(100, 30, &c);
  EXPECT_EQ(c.r, 100);
  EXPECT_EQ(c.g, 30);
}

TEST_F(Textures, BadFilesAndSizesLoadNothing) {
  WriteWholeFile(m_Dir.File("garbage.bmp"), "BM this is not a picture");
  ASSERT_TRUE(WriteBmp24(m_Dir.File("small.bmp"), 12 * 8, 4 * 10, [](int32_t, int32_t) { return TRGBA(1, 2, 3); }));
  ASSERT_TRUE(WriteBmp24(m_Dir.File("short.bmp"), 13 * 8, 4 * 10 - 1, [](int32_t, int32_t) { return TRGBA(1, 2, 3); }));
  struct {
    const char* what;
    std::string sheet, back;
    int32_t width, height;
  } const kCases[] = {
      {"missing sheet", m_Dir.File("none.bmp"), Back(), 8, 10},
      {"missing back", Sheet(), m_Dir.File("none.bmp"), 8, 10},
      {"unreadable sheet", m_Dir.File("garbage.bmp"), Back(), 8, 10},
      {"unreadable back", Sheet(), m_Dir.File("garbage.bmp"), 8, 10},
      {"twelve columns", m_Dir.File("small.bmp"), Back(), 8, 10},
      {"a line short", m_Dir.File("short.bmp"), Back(), 8, 10},
      {"cells larger than the sheet allows", Sheet(), Back(), 9, 10},
      {"card width 0", Sheet(), Back(), 0, 10},
      {"card height below 0", Sheet(), Back(), 8, -10},
      {"no names", "", "", 8, 10},
  };
  for (const auto& c : kCases) {
    m_Table.SetCardSize(8, 10);
    ASSERT_EQ(Load(Sheet(), Back()), 1);
    m_Table.SetCardSize(c.width, c.height);
    EXPECT_EQ(Load(c.sheet, c.back), 0) << c.what;
    EXPECT_TRUE(Empty()) << c.what << ": nothing half-loaded is kept";
  }
}

TEST_F(Textures, ExitFreesTheTexturesAndInitStartsAgain) {
  ASSERT_EQ(Load(Sheet(), Back()), 1);
  m_Table.Exit();
  EXPECT_TRUE(Empty());
  ASSERT_EQ(m_Table.Init(16, 4, 13, 13), 1);
  EXPECT_EQ(m_Table.LoadTextures(), 1) << "names and card size are kept";
}

}  // namespace
