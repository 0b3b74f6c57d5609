// The games information over the fixture's status file and games list, read by the landed
// readers, and the session list it names the games of.
#include <gtest/gtest.h>

#include <string>

#include "common/updater/gamestxtmodule.h"
#include "gamesessionshistory.h"
#include "historygrid.h"
#include "historyrow.h"
#include "quillettest.h"
#include "support/golden.h"

namespace {
using GameInfo = CQuilletTest;

const char* ShowName(GamestxtCFVModule* game) { return game ? game->GetShowName() : "(none)"; }

TEST_F(GameInfo, FindGameTakesTypesAndTableIds) {
  EXPECT_STREQ(ShowName(m_Info.FindGame(-1)), "Blackjack") << "the list's first entry";
  EXPECT_EQ(m_Info.FindGame(1020), m_Info.FindGame(1020007));
  EXPECT_STREQ(ShowName(m_Info.FindGame(1020)), "Blackjack");
  EXPECT_STREQ(ShowName(m_Info.FindGame(1020000)), "Blackjack");
  EXPECT_STREQ(ShowName(m_Info.FindGame(9999)), "Mystery") << "9999 is looked for as 9999000";
  EXPECT_STREQ(ShowName(m_Info.FindGame(9999123)), "Mystery");
  for (int32_t none : {0, 1023, 1023004, 5, INT32_MIN, INT32_MAX, -2})
    EXPECT_EQ(m_Info.FindGame(none), nullptr) << none;
}

TEST_F(GameInfo, HistoryViewsNeedAnInstalledGameWithAScript) {
  const struct {
    int32_t m_Id;
    int32_t m_Want;
  } cases[] = {{1020, 1}, {1020007, 1}, {2130, 1}, {9999, 1}, {1010, 0}, {1110, 0}, {1090, 0}, {1023, 0}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(m_Info.HasHistoryView(c.m_Id), c.m_Want) << c.m_Id;
  // Keno's module was not in the status file: it is there now, not installed.
  CKCBLModStatus reread;
  ASSERT_EQ(reread.LoadFile(), 1);
  EXPECT_EQ(reread.GetFlagForThisModule("Keno"), 0);
  EXPECT_NE(ReadWholeFile("modstatus.lst").find("Keno"), std::string::npos) << ReadWholeFile("modstatus.lst");
}

TEST_F(GameInfo, TableTypeNames) {
  const struct {
    int32_t m_Type;
    const char* m_pName;
  } cases[] = {{-3, "Public"},  {0, "Public"},           {1, "Reserved"}, {2, "Private"},
               {3, "Practice"}, {4, "Private practice"}, {5, "Restored"}, {7, "Restored"},
               {INT32_MIN, "Public"}, {INT32_MAX, "Restored"}};
  for (const auto& c : cases) EXPECT_STREQ(m_Info.TableTypeName(c.m_Type), c.m_pName) << c.m_Type;
  CGameInfo bare;
  EXPECT_STREQ(bare.TableTypeName(1), "") << "no script, no names";
}

// A session-list reply as the window keeps it: the client writes the round count and table type
// into the round text.
class SessionList : public CQuilletTest {
 protected:
  void TearDown() override {
    m_pView.reset();
    CQuilletTest::TearDown();
  }
  void Session(int32_t gameId, const char* table, int32_t rounds, int32_t type) {
    m_Records.Add(gameId, 0, 0, table,
                  "ROUNDCOUNT=" + std::to_string(rounds) + ";TABLETYPE=" + std::to_string(type) + ";");
  }
  std::string Cell(int32_t row, int32_t cell) {
    const THistoryCell* c = m_pView->GetRow(row)->GetCell(cell);
    return c ? c->m_Text : "(none)";
  }

  CRecords m_Records;
  std::unique_ptr<CGameHistoryDisplay> m_pView;
};

TEST_F(SessionList, RowsNameTheGameTheTableItsTypeAndRounds) {
  Session(1020007, "Table 1020007", 3, 0);
  Session(1010003, "Table 1010003", 12, 3);
  Session(1090001, "Keno lounge", 1, 2);
  Session(4444001, "Elsewhere", 40, 7);
  Session(2130005, "Reels and more reels, 23", 10000, -3);
  CHistoryGrid grid(m_pHost.get(), &m_Window, &m_Info);
  ASSERT_EQ(grid.Build(m_Records.List(), 1, -1), 1);
  m_pView = grid.TakeView();
  ASSERT_TRUE(dynamic_cast<CGameSessionsHistory*>(m_pView.get()));
  EXPECT_EQ(grid.GetStatusText(), "Your sessions");
  EXPECT_EQ(m_pView->GetGameId(), 0);
  ASSERT_EQ(m_pView->GetNumRows(), 6);
  EXPECT_EQ(Cell(0, 0), "Game");
  EXPECT_EQ(Cell(0, 3), "Rounds");
  const char* want[5][4] = {
      {"Four Reels", "Reels and more reels, 2", "Public", "10000"},
      {"Some other game", "Elsewhere", "Restored", "40"},
      {"Keno (not installed)", "Keno lounge", "Private", "1"},
      {"Roulette (not installed)", "Table 1010003", "Practice", "12"},
      {"Blackjack", "Table 1020007", "Public", "3"},
  };
  for (int32_t r = 0; r < 5; ++r)
    for (int32_t c = 0; c < 4; ++c) EXPECT_EQ(Cell(r + 1, c), want[r][c]) << r << " " << c;
  EXPECT_EQ(m_pView->GetRow(5)->FirstRecord(), m_Records.List().HeadNode()->m_pData);
}

TEST_F(SessionList, NoSessionsNoView) {
  CHistoryGrid grid(m_pHost.get(), &m_Window, &m_Info);
  ASSERT_EQ(grid.Build(m_Records.List(), 1, -1), 1);
  EXPECT_FALSE(grid.TakeView());
  EXPECT_EQ(grid.GetStatusText(), "Nothing played here yet");
}

TEST_F(SessionList, WithoutItsScriptTheListFails) {
  ASSERT_EQ(std::remove("xrs/games_history.xrs"), 0);
  Session(1020007, "Table 1020007", 3, 0);
  CHistoryGrid grid(m_pHost.get(), &m_Window, &m_Info);
  EXPECT_EQ(grid.Build(m_Records.List(), 1, -1), 0);
  EXPECT_FALSE(grid.TakeView());
}

// The session list as the window draws it, with the shipped script. After a change of the font
// or the look, look at the new picture and store it with VORRIN_UPDATE_GOLDEN=1.
TEST_F(SessionList, GoldenPicture) {
  Session(1020007, "Table 1020007", 3, 0);
  Session(1010003, "Table 1010003", 12, 3);
  Session(1090001, "Keno lounge", 1, 2);
  Session(4444001, "Elsewhere", 40, 7);
  Session(2130005, "Reels and more reels", 10000, 1);
  m_pView = Grid(m_Records, 1);
  ASSERT_TRUE(m_pView);
  m_pView->GetRow(2)->Select();
  auto paper = Paper(592, 6 * 20 + 2);
  m_pView->DrawRows(paper.get(), 0, 0, m_pView->GetRowsToDraw(), 0);

  TRgbImage actual{paper->m_Width, paper->m_Height, {}};
  for (int32_t y = 0; y < paper->m_Height; ++y)
    for (int32_t x = 0; x < paper->m_Width; ++x) {
      const TRGBA c = Pixel(*paper, x, y);
      actual.rgb.insert(actual.rgb.end(), {c.r, c.g, c.b});
    }
  ExpectGolden(QuilletData("golden_sessionlist.png"), actual);
}
}  // namespace
