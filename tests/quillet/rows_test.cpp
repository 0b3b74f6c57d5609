// Rows, groups and their order, drawn on a headless 24-bit bitmap and read back pixel by pixel.
// The test view's columns: round 0..29, name 30..109, marker 110..121 (its picture at x 111),
// bet 122..181; rows 16 pixels high.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "historydraw.h"
#include "historyrow.h"
#include "historyrowlist.h"
#include "quillettest.h"

namespace {
constexpr int32_t kRowH = 16;
constexpr int32_t kMarkX = 115, kNameX = 31, kNameW = 78;
const TRGBA kRed(200, 0, 0), kGreen(0, 200, 0), kBlue(0, 0, 200);

class HistoryRows : public CQuilletTest {
 protected:
  // The view goes before the window that holds its controls.
  void TearDown() override {
    m_pView.reset();
    CQuilletTest::TearDown();
  }
  // A session: entering, then per round a round start and the round's row.
  void Session(std::initializer_list<std::string> rounds) {
    m_Records.Add(2130001, PLAYERHISTORY_ENTER_GAME, 40, "Ann", "SEAT=1;");
    int32_t table = 40;
    for (const std::string& text : rounds) {
      m_Records.Add(2130001, PLAYERHISTORY_NEW_ROUND, ++table, "Ann", "");
      m_Records.Add(2130001, HISTORY_KIND_ROUND, 0, "Ann", text);
    }
    m_Records.Add(2130001, PLAYERHISTORY_EXIT_GAME, 0, "Ann", "SEAT=1;");
  }
  std::string CellText(int32_t row, int32_t cell) {
    const THistoryCell* c = m_pView->GetRow(row)->GetCell(cell);
    return c ? c->m_Text : "(none)";
  }
  int32_t Letters(const CBitmap& b, int32_t y) { return Light(b, kNameX, y + 1, kNameW, kRowH - 1); }

  CRecords m_Records;
  std::unique_ptr<CGameHistoryDisplay> m_pView;
};

TEST_F(HistoryRows, ThreeRoundsShowTheThirdFirstBelowTheHeader) {
  Session({"SEAT=1;MARK=200+0+0;BET=1;", "SEAT=1;MARK=0+200+0;BET=2;", "SEAT=1;MARK=0+0+200;BET=3;"});
  m_pView = Grid(m_Records);
  ASSERT_TRUE(m_pView);
  ASSERT_EQ(m_pView->GetNumRows(), 4);
  EXPECT_TRUE(m_pView->GetRow(0)->IsHeader());
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(m_pView->GetRow(i)->GetNumber(), i);
  EXPECT_EQ(CellText(1, 0), "3");
  EXPECT_EQ(CellText(1, 3), "$3");
  EXPECT_EQ(CellText(3, 0), "1");

  auto paper = Paper(300, 200);
  m_pView->DrawRows(paper.get(), 0, 0, m_pView->GetRowsToDraw(), 0);
  EXPECT_TRUE(SameRgb(Pixel(*paper, 1, 1), kHeaderColour));
  EXPECT_TRUE(SameRgb(Pixel(*paper, 0, 5), kGridColour));
  EXPECT_TRUE(SameRgb(Pixel(*paper, 5, kRowH), kGridColour));
  EXPECT_TRUE(SameRgb(Pixel(*paper, 1, kRowH + 1), kRowColour));
  EXPECT_TRUE(SameRgb(Pixel(*paper, kMarkX, kRowH + 5), kBlue));
  EXPECT_TRUE(SameRgb(Pixel(*paper, kMarkX, 2 * kRowH + 5), kGreen));
  EXPECT_TRUE(SameRgb(Pixel(*paper, kMarkX, 3 * kRowH + 5), kRed));
  EXPECT_GT(Letters(*paper, kRowH), 0) << "the name is written";
  EXPECT_TRUE(SameRgb(Pixel(*paper, 5, 4 * kRowH), kGridColour)) << "the last row is closed";
  EXPECT_EQ(Count(*paper, 0, 4 * kRowH + 1, 300, 200 - 4 * kRowH - 1, kPaper), 300 * (200 - 4 * kRowH - 1));
}

TEST_F(HistoryRows, ASplitRoundScrolledToItsSecondRowShowsTheFirstRowsTexts) {
  Session({"MARK=200+0+0;BET=5;SPLIT=7;", "MARK=0+200+0;BET=3;"});
  m_pView = Grid(m_Records);
  ASSERT_TRUE(m_pView);
  ASSERT_EQ(m_pView->GetNumRows(), 4);
  EXPECT_EQ(CellText(1, 0), "2");
  EXPECT_EQ(CellText(2, 0), "1");
  EXPECT_EQ(CellText(3, 0), "") << "the split hand's row leaves the round to the first";
  EXPECT_EQ(CellText(3, 3), "$7");
  EXPECT_EQ(m_pView->GetRow(3)->GetPreviousRow(), m_pView->GetRow(2));

  // Scrolled down to the split hand: it is the first row below the header.
  auto scrolled = Paper(300, 100);
  m_pView->DrawRows(scrolled.get(), 0, 0, 2, 2);
  EXPECT_TRUE(SameRgb(Pixel(*scrolled, kMarkX, kRowH + 5), kRed));
  EXPECT_GT(Letters(*scrolled, kRowH), 0);
  EXPECT_GT(Light(*scrolled, 1, kRowH + 1, 28, kRowH - 1), 0) << "the round number";

  // Below its first row it stays blank.
  auto whole = Paper(300, 100);
  m_pView->DrawRows(whole.get(), 0, 0, 4, 0);
  EXPECT_TRUE(SameRgb(Pixel(*whole, kMarkX, 2 * kRowH + 5), kRed));
  EXPECT_TRUE(SameRgb(Pixel(*whole, kMarkX, 3 * kRowH + 5), kRowColour));
  EXPECT_EQ(Letters(*whole, 3 * kRowH), 0);
  EXPECT_FALSE(SameRgb(Pixel(*whole, kNameX + 20, 3 * kRowH), kGridColour)) << "no line inside the group";
  EXPECT_TRUE(SameRgb(Pixel(*whole, kNameX + 20, 2 * kRowH), kGridColour));
}

TEST_F(HistoryRows, UnmarkingClearsTheWholeGroup) {
  Session({"MARK=200+0+0;BET=5;SPLIT=7;", "MARK=0+200+0;BET=3;"});
  m_pView = Grid(m_Records);
  ASSERT_TRUE(m_pView);
  CHistoryRow* first = m_pView->GetRow(2);
  CHistoryRow* second = m_pView->GetRow(3);
  second->Select();
  EXPECT_FALSE(first->IsSelected()) << "marking marks one row";
  first->Select();
  auto marked = Paper(300, 100);
  m_pView->DrawRows(marked.get(), 0, 0, 4, 0);
  EXPECT_TRUE(SameRgb(Pixel(*marked, 1, 2 * kRowH + 1), kSelectColour));
  EXPECT_TRUE(SameRgb(Pixel(*marked, 1, 3 * kRowH + 1), kSelectColour));

  second->Unselect();
  EXPECT_FALSE(first->IsSelected());
  EXPECT_FALSE(second->IsSelected());
  auto clear = Paper(300, 100);
  m_pView->DrawRows(clear.get(), 0, 0, 4, 0);
  EXPECT_EQ(Count(*clear, 0, 0, 300, 100, kSelectColour), 0);
}

TEST_F(HistoryRows, AScriptWithoutRowsToDrawDrawsOnlyTheHeader) {
  const std::string script = ReadWholeFile("testview.xrs");
  const size_t at = script.find("NUMBEROFROWSTODRAW");
  ASSERT_NE(at, std::string::npos);
  WriteWholeFile("norows.xrs", script.substr(0, at) + script.substr(script.find('\n', at)));
  auto view = TestView("norows.xrs");
  ASSERT_TRUE(view);
  EXPECT_EQ(view->GetRowsToDraw(), 0);
  CRecords records;
  records.Add(2130001, HISTORY_KIND_ROUND, 0, "Ann", "MARK=0+0+200;BET=3;");
  CLList rows;
  ASSERT_EQ(view->ParseHistoryData(static_cast<THistoryRecord*>(records.List().HeadNode()->m_pData), rows), 1);
  view->AddRows(rows);
  ASSERT_EQ(view->GetNumRows(), 2);
  auto paper = Paper(300, 100);
  view->DrawRows(paper.get(), 0, 0, view->GetRowsToDraw(), 0);
  EXPECT_TRUE(SameRgb(Pixel(*paper, 1, 1), kHeaderColour));
  EXPECT_EQ(Count(*paper, 0, kRowH + 1, 300, 100 - kRowH - 1, kPaper), 300 * (100 - kRowH - 1));
}

// Every line, fill, text and picture stays inside its target: rows far below, beside and above
// small bitmaps, on 24 and 16 bits (ASan watches the bytes around).
TEST_F(HistoryRows, DrawingStaysInsideItsBitmap) {
  Session({"MARK=200+0+0;BET=5;SPLIT=7;", "MARK=0+200+0;BET=3;", "MARK=0+0+200;BET=1;"});
  m_pView = Grid(m_Records);
  ASSERT_TRUE(m_pView);
  const struct {
    int32_t m_W, m_H, m_X, m_Y;
  } places[] = {{40, 20, 0, 0},       {40, 20, -100, -10},  {40, 20, 30, 15},      {1, 1, 0, 0},
                {300, 60, 0, 50},     {300, 60, 0, -40},    {300, 60, 290, 0},    {300, 60, -170, 0},
                {300, 60, 0, 40000},  {300, 60, 32760, 0},  {300, 60, INT32_MAX, INT32_MAX},
                {300, 60, INT32_MIN, INT32_MIN}};
  for (int32_t bits : {24, 16}) {
    for (const auto& p : places) {
      CBitmap b;
      ASSERT_TRUE(bits == 24 ? b.CreateRGB(p.m_W, p.m_H, 24, 8, 8, 8, 16, 8, 0, 0)
                             : b.CreateRGB(p.m_W, p.m_H, 16, 5, 6, 5, 11, 5, 0, 0));
      b.Fill(&kPaper);
      m_pView->DrawRows(&b, p.m_X, p.m_Y, 100, 0);
      m_pView->DrawRows(&b, p.m_X, p.m_Y, 100, 3);
    }
  }
  // A clip rectangle inside the bitmap holds too.
  auto paper = Paper(300, 100);
  paper->m_ClipRect.Set(10, 10, 99, 49);
  m_pView->DrawRows(paper.get(), 0, 0, 5, 0);
  EXPECT_EQ(Count(*paper, 0, 0, 300, 10, kPaper), 300 * 10);
  EXPECT_EQ(Count(*paper, 100, 0, 200, 100, kPaper), 200 * 100);
  EXPECT_EQ(Count(*paper, 0, 50, 300, 50, kPaper), 300 * 50);
}

// The display order: the header first, then the groups last to first, each group's rows in order.
TEST(HistoryRowList, GroupsAreReversedAndRowsKeptInOrder) {
  CHistoryRowList list;
  auto row = [&list](CHistoryRow* above = nullptr) {
    auto* r = new CHistoryRow(10);
    r->AddCell("x", nullptr, 5);
    if (above) r->FollowRow(above);
    list.AddRow(r);
    return r;
  };
  CHistoryRow* header = row();
  CHistoryRow* a = row();
  CHistoryRow* b1 = row();
  CHistoryRow* b2 = row(b1);
  CHistoryRow* b3 = row(b2);
  CHistoryRow* c = row();
  EXPECT_EQ(list.GetHeaderRow(), header);
  EXPECT_EQ(c->GetNumber(), 5);
  list.SortForDisplay();
  const CHistoryRow* want[] = {header, c, b1, b2, b3, a};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(list.GetRow(i), want[i]) << i;
    EXPECT_EQ(list.GetRow(i)->GetNumber(), i);
  }
  EXPECT_EQ(list.GetRow(6), nullptr);
  EXPECT_EQ(list.GetRow(-1), nullptr);
  EXPECT_EQ(b3->GroupFirst(), b1);

  // A row cannot follow a row of its own chain below it.
  b1->FollowRow(b3);
  EXPECT_EQ(b1->GetPreviousRow(), nullptr);
}
}  // namespace
