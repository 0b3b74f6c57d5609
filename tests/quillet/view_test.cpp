// The view base over history scripts good and bad: columns, rows to draw, cells, the controls of
// "GameDialog" in the window, the card texture cut into cards and cards laid side by side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardgamehistorydisplay.h"
#include "common/updater/gamestxtmodule.h"
#include "historyrow.h"
#include "ostrel/controls/controlbase.h"
#include "quillettest.h"

namespace {
class HistoryView : public CQuilletTest {
 protected:
  // testview.xrs with the text from `from` up to the end of its line replaced by `with`.
  static std::string Changed(const std::string& from, const std::string& with) {
    std::string script = ReadWholeFile("testview.xrs");
    const size_t at = script.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at == std::string::npos) return script;
    return script.replace(at, script.find('\n', at) - at, with);
  }
  // A view of game 2130 over that script text, not yet loaded.
  std::unique_ptr<CTestHistoryView> Over(const std::string& script) {
    WriteWholeFile("changed.xrs", script);
    GamestxtCFVModule game;
    game.SetGameid(2130000);
    game.SetHistoryPath("changed.xrs");
    return std::make_unique<CTestHistoryView>(&m_Window, &game);
  }
};

TEST_F(HistoryView, ColumnDataOutOfBoundsIsRefused) {
  std::string many = "COLUMNDATA = 300, 16";
  for (int i = 0; i < 300; ++i) many += ", 1";
  const struct {
    std::string m_Line;
    bool m_Read;
  } cases[] = {
      {"COLUMNDATA = 2, 16, 10, 20", true},
      {"COLUMNDATA = 1, 1000, 4096", true},
      {"COLUMNDATA = 0, 16", false},
      {"COLUMNDATA = -3, 16, 10", false},
      {"COLUMNDATA = 10000, 16, 10, 10", false},
      {many, false},
      {"COLUMNDATA = 2, 0, 10, 10", false},
      {"COLUMNDATA = 2, -16, 10, 10", false},
      {"COLUMNDATA = 2, 1001, 10, 10", false},
      {"COLUMNDATA = 2, 16, -5, 10", false},
      {"COLUMNDATA = 2, 16, 10, 4097", false},
      {"COLUMNDATA = 2, 16, 10", false},
      {"COLUMNDATA = 2, 16, 10, x", false},
      {"COLUMNDATA = 2, 99999999999, 10, 10", false},
      {"; no columns", false},
  };
  for (const auto& c : cases) {
    auto view = Over(Changed("COLUMNDATA", c.m_Line));
    std::unique_ptr<CHistoryRow> header(view->ReadGameColumnData());
    EXPECT_EQ(header != nullptr, c.m_Read) << c.m_Line.substr(0, 60);
    if (!header) continue;
    EXPECT_TRUE(header->IsHeader());
    EXPECT_EQ(header->NumCells(), view->GetColumnCount());
    EXPECT_TRUE(SameRgb(header->GetBackground(), kHeaderColour));
  }
}

TEST_F(HistoryView, RowsToDrawStayWithinBounds) {
  const struct {
    std::string m_Line;
    int32_t m_Want;
  } cases[] = {{"NUMBEROFROWSTODRAW = 6", 6},   {"NUMBEROFROWSTODRAW = -5", 0}, {"NUMBEROFROWSTODRAW = 5000", 1000},
               {"NUMBEROFROWSTODRAW = many", 0}, {"; none", 0}};
  for (const auto& c : cases) {
    auto view = Over(Changed("NUMBEROFROWSTODRAW", c.m_Line));
    ASSERT_EQ(view->LoadResDataLocal(), 1);
    EXPECT_EQ(view->GetRowsToDraw(), c.m_Want) << c.m_Line;
  }
  auto missing = Over("");
  std::remove("changed.xrs");
  EXPECT_EQ(missing->LoadResDataLocal(), 0);
  EXPECT_EQ(missing->ReadGameColumnData(), nullptr);
  EXPECT_EQ(missing->InitGraphics(m_pHost.get()), 0);
}

TEST_F(HistoryView, CellsFillTheColumnsInOrder) {
  auto view = TestView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->EndRow(), nullptr) << "no cell, no row";
  EXPECT_EQ(view->IsRowComplete(), 0);
  CBitmap* mark = view->GetBitmaps().Create(10, 10);
  ASSERT_TRUE(mark);
  EXPECT_EQ(view->AddCell("7", nullptr), 1);
  EXPECT_EQ(view->AddCell(nullptr, nullptr), 1);
  EXPECT_EQ(view->AddCell(nullptr, mark), 1);
  EXPECT_EQ(view->IsRowComplete(), 0);
  EXPECT_EQ(view->AddCell("$5", mark), 1);
  EXPECT_EQ(view->IsRowComplete(), 1);
  EXPECT_EQ(view->AddCell("past the last column", nullptr), 0);
  std::unique_ptr<CHistoryRow> row(view->EndRow());
  ASSERT_TRUE(row);
  ASSERT_EQ(row->NumCells(), 4);
  const int32_t widths[] = {30, 80, 12, 60};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(row->GetCell(i)->m_Width, widths[i]);
  EXPECT_EQ(row->GetCell(0)->m_Text, "7");
  EXPECT_TRUE(row->GetCell(1)->IsEmpty());
  EXPECT_EQ(row->GetCell(2)->m_pBitmap, mark);
  EXPECT_EQ(row->GetCell(3)->m_pBitmap, nullptr) << "text wins over a bitmap";
  EXPECT_EQ(row->GetHeight(), 16);
  EXPECT_TRUE(SameRgb(row->GetBackground(), kRowColour));
  EXPECT_FALSE(row->IsHeader());
}

TEST_F(HistoryView, RoundNumbersCountFromEntering) {
  auto view = TestView();
  ASSERT_TRUE(view);
  CRecords records;
  CLList rows;
  const struct {
    int32_t m_Kind, m_Value, m_Round;
  } steps[] = {{PLAYERHISTORY_ENTER_GAME, 40, 1}, {PLAYERHISTORY_NEW_ROUND, 43, 3}, {PLAYERHISTORY_EXIT_GAME, 9, 3},
               {PLAYERHISTORY_USER_CRASHED, 9, 3}, {PLAYERHISTORY_BET_CLICKS, 9, 3},
               {PLAYERHISTORY_NEW_ROUND, INT32_MIN, static_cast<int32_t>(0x80000000u - 40u)}};
  for (const auto& s : steps) {
    ASSERT_EQ(view->ParseHistoryData(records.Add(2130001, s.m_Kind, s.m_Value, "Ann", "SEAT=0;5,1;"), rows), 1);
    EXPECT_EQ(view->GetRoundNumber(), s.m_Round) << s.m_Kind;
  }
  EXPECT_EQ(view->GetBaseValue(), 40);
  EXPECT_EQ(rows.GetNumNodes(), 0) << "only rounds make rows";
}

TEST_F(HistoryView, ControlsOfTheScriptJoinTheWindowAndLeaveWithTheView) {
  const int32_t before = m_pHost->NumCntrls();
  auto view = TestView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->GetHost(), m_pHost.get());
  EXPECT_EQ(m_pHost->NumCntrls(), before + 2) << "the control without an id is refused";
  ASSERT_TRUE(view->FindControl(TESTVIEW_CARDS));
  ASSERT_TRUE(view->FindControl(TESTVIEW_BET));
  EXPECT_EQ(view->FindControl(2003), nullptr);
  EXPECT_EQ(m_pHost->GetCtrl(TESTVIEW_BET), view->FindControl(TESTVIEW_BET));
  EXPECT_EQ(view->FindControl(TESTVIEW_BET)->GetState(), 5) << "InitGraphics hides them";
  view->SetControlState(TESTVIEW_BET, 2);
  EXPECT_EQ(view->FindControl(TESTVIEW_BET)->GetState(), 2);
  EXPECT_EQ(view->FindControl(TESTVIEW_CARDS)->GetState(), 5);
  view->SetControlState(-1, 4);
  EXPECT_EQ(view->FindControl(TESTVIEW_CARDS)->GetState(), 4);

  int32_t w = 0, h = 0;
  view->FindControl(TESTVIEW_CARDS)->GetSize(w, h);
  EXPECT_EQ(w, 4 * 4 + 6);
  EXPECT_EQ(h, 8);
  EXPECT_EQ(view->FindControl(TESTVIEW_CARDS)->GetFlags() & 260u, 260u);
  EXPECT_EQ(view->SetControlBitmap(nullptr, 4, 4), 0);
  EXPECT_EQ(view->SetControlBitmap(view->FindControl(TESTVIEW_BET), 0, 4), 0);

  view->RemoveControls(TESTVIEW_BET);
  EXPECT_EQ(view->FindControl(TESTVIEW_BET), nullptr);
  EXPECT_EQ(m_pHost->GetCtrl(TESTVIEW_BET), nullptr);
  EXPECT_EQ(m_pHost->NumCntrls(), before + 1);
  EXPECT_EQ(view->LoadControls(m_pHost.get(), "NoSuchSection"), 0);
  view.reset();
  EXPECT_EQ(m_pHost->NumCntrls(), before);
  EXPECT_EQ(m_pHost->GetCtrl(TESTVIEW_CARDS), nullptr);
}

TEST_F(HistoryView, CardTexturesAreCutIntoCards) {
  const struct {
    const char* m_pTexture;
    const char* m_pJoker;
    bool m_Loads;
    bool m_HasJoker;
  } cases[] = {{"cards.bmp", "FALSE", true, false},     {"cards_joker.bmp", "TRUE", true, true},
               {"cards_odd.bmp", "FALSE", true, false}, {"cards_tiny.bmp", "FALSE", false, false},
               {"cards_tiny.bmp", "TRUE", false, false}, {"missing.bmp", "FALSE", false, false}};
  for (const auto& c : cases) {
    std::string script = Changed("STR_CARDSLOCATION", std::string("STR_CARDSLOCATION = 3100, \"") + c.m_pTexture + "\"");
    script = script.replace(script.find("CARDSPACING"), 0, std::string("DECKHAVEJOKER = ") + c.m_pJoker + "\n    ");
    auto view = Over(script);
    ASSERT_EQ(view->LoadCardList(), c.m_Loads ? 1 : 0) << c.m_pTexture;
    if (!c.m_Loads) continue;
    EXPECT_EQ(view->GetCardWidth(), 6);
    EXPECT_EQ(view->GetCardHeight(), 8);
    EXPECT_EQ(view->GetCardSpacing(), 4);
    for (int32_t card : {0, 1, 13, 25, 51}) {
      const CBitmap* b = view->GetCardBitmap(card);
      ASSERT_TRUE(b) << card;
      EXPECT_TRUE(SameRgb(Pixel(*b, 0, 0), CardColour(card / 13, card % 13))) << c.m_pTexture << " " << card;
      EXPECT_TRUE(SameRgb(Pixel(*b, 5, 7), CardColour(card / 13, card % 13))) << c.m_pTexture << " " << card;
    }
    EXPECT_EQ(view->GetCardBitmap(HISTORY_JOKER) != nullptr, c.m_HasJoker);
    if (c.m_HasJoker) {
      EXPECT_TRUE(SameRgb(Pixel(*view->GetCardBitmap(HISTORY_JOKER), 2, 2), CardColour(4, 0)));
    }
    EXPECT_EQ(view->GetCardBitmap(-1), nullptr);
    EXPECT_EQ(view->GetCardBitmap(53), nullptr);
  }
  auto pathless = Over(Changed("STR_CARDSLOCATION", "; no texture"));
  EXPECT_EQ(pathless->LoadCardList(), 0);
  auto backwards = Over(Changed("CARDSPACING", "CARDSPACING = -30"));
  ASSERT_EQ(backwards->LoadCardList(), 1);
  EXPECT_EQ(backwards->GetCardSpacing(), HISTORY_CARD_SPACING);
}

TEST_F(HistoryView, CardsLieSideBySideTheLastWhole) {
  auto view = TestView();
  ASSERT_TRUE(view);
  const TRGBA first = CardColour(0, 0), second = CardColour(1, 1), third = CardColour(3, 12);
  const struct {
    std::vector<int32_t> m_List;
    std::vector<TRGBA> m_Columns;  // x = 0, 4, 8, 12, 14
  } cases[] = {
      {{3, 0, 14, 51}, {first, second, third, third, kPaper}},
      {{2, 0, 14}, {first, second, second, kPaper, kPaper}},
      {{3, 0, 14, 99}, {first, second, kPaper, kPaper, kPaper}},
      {{3, -7, 14, 53}, {kPaper, second, kPaper, kPaper, kPaper}},
      {{90, 0, 14}, {first, second, second, kPaper, kPaper}},
      {{-4, 0, 14}, {kPaper, kPaper, kPaper, kPaper, kPaper}},
      {{0}, {kPaper, kPaper, kPaper, kPaper, kPaper}},
  };
  for (const auto& c : cases) {
    auto paper = Paper(15, 8);
    view->DrawCards(c.m_List.data(), static_cast<int32_t>(c.m_List.size()), paper.get());
    const int32_t xs[] = {0, 4, 8, 12, 14};
    for (int32_t i = 0; i < 5; ++i)
      EXPECT_TRUE(SameRgb(Pixel(*paper, xs[i], 3), c.m_Columns[static_cast<size_t>(i)]))
          << "list of " << c.m_List[0] << " at x " << xs[i];
  }
  auto narrow = Paper(2, 2);
  const int32_t list[] = {2, 5, 6};
  view->DrawCards(list, 3, narrow.get());
  EXPECT_TRUE(SameRgb(Pixel(*narrow, 1, 1), CardColour(0, 5)));
}

TEST_F(HistoryView, ARoundShownInTheControls) {
  auto view = TestView();
  ASSERT_TRUE(view);
  CRecords records;
  records.Add(2130001, HISTORY_KIND_ROUND, 0, "Ann", "SEAT=3;BET=5.25;CARDS=0+14;");
  CLList empty;
  view->ShowRound(nullptr, 0, 0, empty);
  EXPECT_EQ(view->FindControl(TESTVIEW_BET)->GetState(), 5) << "no record, nothing shown";
  view->ShowRound(nullptr, 0, 0, records.List());
  EXPECT_STREQ(view->FindControl(TESTVIEW_BET)->GetTextBuffer(0), "$5.25");
  EXPECT_EQ(view->FindControl(TESTVIEW_BET)->GetState(), 2);
  const CBitmap* face = view->FindControl(TESTVIEW_CARDS)->GetLook().m_pBitmaps[LOOK_NORMAL];
  ASSERT_TRUE(face);
  EXPECT_TRUE(SameRgb(Pixel(*face, 1, 1), CardColour(0, 0)));
  EXPECT_TRUE(SameRgb(Pixel(*face, 5, 1), CardColour(1, 1)));
  EXPECT_TRUE(SameRgb(Pixel(*face, 12, 1), HISTORY_KEY_COLOUR)) << "cleared to the key";

  CBitmap b;
  ASSERT_TRUE(b.CreateRGB(3, 3, 24, 8, 8, 8, 16, 8, 0, 0));
  b.Fill(&kPaper);
  CGameHistoryDisplay::ClearPixel(&b);
  EXPECT_TRUE(SameRgb(Pixel(b, 0, 0), HISTORY_KEY_COLOUR));
  EXPECT_TRUE(SameRgb(Pixel(b, 1, 0), kPaper));
  CGameHistoryDisplay::ClearBitmap(&b);
  EXPECT_EQ(Count(b, 0, 0, 3, 3, HISTORY_KEY_COLOUR), 9);
}
}  // namespace
