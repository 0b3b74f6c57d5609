// The factory from game type to view and the grid of one reply: the test view stands for the
// four-reel game (2130) and blackjack (1020-1022), which have no view of their own yet.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/updater/gamestxtmodule.h"
#include "gameinfo.h"
#include "historygrid.h"
#include "historyrow.h"
#include "quillettest.h"
#include "roundtext.h"
#include "viewfactory.h"

namespace {
class HistoryGrid : public CQuilletTest {
 protected:
  void TearDown() override {
    m_pView.reset();
    CQuilletTest::TearDown();
  }
  // One round as a table writes it: the round start, then the round's row.
  void Round(int32_t gameId, const std::string& text) {
    m_Records.Add(gameId, PLAYERHISTORY_NEW_ROUND, ++m_Table, "Ann", "SEAT=2;");
    m_Records.Add(gameId, HISTORY_KIND_ROUND, 0, "Ann", "SEAT=2;" + text);
  }
  int32_t Build(int32_t openedType = -1) {
    CHistoryGrid grid(m_pHost.get(), &m_Window, &m_Info);
    const int32_t built = grid.Build(m_Records.List(), 0, openedType);
    m_pView = grid.TakeView();
    m_Status = grid.GetStatusText();
    return built;
  }
  std::string Bet(int32_t row) { return m_pView->GetRow(row)->GetCell(3)->m_Text; }

  CRecords m_Records;
  int32_t m_Table = 100;
  std::unique_ptr<CGameHistoryDisplay> m_pView;
  std::string m_Status;
};

TEST_F(HistoryGrid, TypesAndTableIdsChooseTheSameView) {
  EXPECT_EQ(xHistoryGameType(2130), 2130);
  EXPECT_EQ(xHistoryGameType(2130123), 2130);
  EXPECT_EQ(xHistoryGameType(1023004), 1023);
  EXPECT_EQ(xHasHistoryViewMaker(2130), 1);
  EXPECT_EQ(xHasHistoryViewMaker(1021), 1);
  for (int32_t none : {1023, 0, -1, 1010, 2290, 9999})
    EXPECT_EQ(xHasHistoryViewMaker(none), 0) << none << ": no view (or none built yet)";
  std::unique_ptr<CGameHistoryDisplay> view(xCreateHistoryView(2130, &m_Window, m_Info.FindGame(2130)));
  ASSERT_TRUE(dynamic_cast<CTestHistoryView*>(view.get()));
  EXPECT_EQ(view->GetGameId(), 2130000);
  EXPECT_STREQ(view->GetHistoryResPath(), "testview.xrs");
  EXPECT_EQ(xCreateHistoryView(1023, &m_Window, nullptr), nullptr);
  EXPECT_EQ(xSetHistoryViewMaker("CNoSuchHistory", nullptr), nullptr);
}

TEST_F(HistoryGrid, RecordsOfTheTypeItselfKeepOneView) {
  for (int32_t i = 1; i <= 3; ++i) Round(2130, "BET=" + std::to_string(i) + ";");
  ASSERT_EQ(Build(), 1);
  ASSERT_TRUE(m_pView);
  EXPECT_EQ(m_pView->GetGameId(), 2130000);
  ASSERT_EQ(m_pView->GetNumRows(), 4) << "every round";
  EXPECT_EQ(Bet(1), "$3");
  EXPECT_EQ(Bet(3), "$1");
  EXPECT_EQ(m_Status, "Four Reels");
}

TEST_F(HistoryGrid, TableIdsKeepOneView) {
  for (int32_t i = 1; i <= 3; ++i) Round(2130007, "BET=" + std::to_string(i) + ";");
  ASSERT_EQ(Build(3), 1);
  ASSERT_TRUE(m_pView);
  EXPECT_EQ(m_pView->GetNumRows(), 4);
  EXPECT_EQ(m_Status, "Four Reels (Practice)");
}

TEST_F(HistoryGrid, AMixedReplyEndsWithTheViewOfTheLastType) {
  const int32_t before = m_pHost->NumCntrls();
  Round(2130007, "BET=1;");
  Round(2130007, "BET=2;");
  Round(1020004, "BET=3;");
  Round(1020004, "BET=4;");
  ASSERT_EQ(Build(0), 1);
  ASSERT_TRUE(m_pView);
  EXPECT_EQ(m_pView->GetGameId(), 1020000);
  ASSERT_EQ(m_pView->GetNumRows(), 3) << "the rows since the change";
  EXPECT_EQ(Bet(1), "$4");
  EXPECT_EQ(Bet(2), "$3");
  EXPECT_EQ(m_Status, "Blackjack (Public)");
  EXPECT_EQ(m_pHost->NumCntrls(), before + 2) << "the first view's controls went with it";
}

TEST_F(HistoryGrid, ATypeWithoutAViewInBetweenLeavesNone) {
  Round(2130007, "BET=1;");
  Round(1023001, "BET=2;");
  ASSERT_EQ(Build(), 1);
  EXPECT_FALSE(m_pView);
  EXPECT_EQ(m_Status, "Nothing played here yet");

  Round(2130007, "BET=3;");
  ASSERT_EQ(Build(), 1);
  ASSERT_TRUE(m_pView);
  ASSERT_EQ(m_pView->GetNumRows(), 2);
  EXPECT_EQ(Bet(1), "$3");
}

TEST_F(HistoryGrid, FrameworkRowsAddNoRows) {
  m_Records.Add(2130007, PLAYERHISTORY_ENTER_GAME, 100, "Ann", "SEAT=2;");
  m_Records.Add(2130007, PLAYERHISTORY_NEW_ROUND, 101, "Ann", "SEAT=2;");
  m_Records.Add(2130007, PLAYERHISTORY_BET_CLICKS, 101, "Ann", "SEAT=2;5.0000000000,1,10.0000000000,2;");
  m_Records.Add(2130007, PLAYERHISTORY_USER_CRASHED, 101, "Ann", "SEAT=2;");
  m_Records.Add(2130007, PLAYERHISTORY_EXIT_GAME, 101, "Ann", "SEAT=2;");
  ASSERT_EQ(Build(), 1);
  ASSERT_TRUE(m_pView);
  EXPECT_EQ(m_pView->GetNumRows(), 1) << "the header alone";
  EXPECT_EQ(m_Status, "Four Reels");
}

TEST_F(HistoryGrid, RoundTextsAsTheLoggerWritesThem) {
  Round(2130007, "BET=10;WIN=20;");
  ASSERT_EQ(Build(), 1);
  ASSERT_TRUE(m_pView);
  EXPECT_EQ(Bet(1), "$10");
  const char* text = static_cast<THistoryRecord*>(m_pView->GetRow(1)->FirstRecord())->RoundText();
  EXPECT_EQ(GetKeyLong(text, "BET="), 10);
  EXPECT_EQ(GetKeyLong(text, "WIN="), 20);
  EXPECT_EQ(GetKeyLong(text, "SEAT="), 2);
}

TEST_F(HistoryGrid, AViewThatCannotLoadFailsTheGrid) {
  const int32_t before = m_pHost->NumCntrls();
  ASSERT_EQ(std::remove("cards.bmp"), 0);
  Round(2130007, "BET=1;");
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(m_pView);
  EXPECT_EQ(m_pHost->NumCntrls(), before);
}
}  // namespace
