#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/widgets/dlgmove.h"
#include "ostrel/dialogs/dialog.h"
#include "widgetfixture.h"

namespace {
using TPos = std::pair<int32_t, int32_t>;

using CCountingMove = CCountingTimer<CDlgMove>;

class DlgMove : public CWidgetTest {
 protected:
  void SetUp() override {
    CWidgetTest::SetUp();
    LoadTable();
    // The sub-panel stands at (100, 500).
    ASSERT_EQ(m_Panel.Create(&m_Res, 400, nullptr, 0, nullptr), 1);
  }
  void TearDown() override {
    m_Mover.Exit();
    CWidgetTest::TearDown();
  }
  static TPos Pos(const CDialog& d) {
    int32_t x = 0, y = 0;
    d.GetPos(x, y);
    return {x, y};
  }
  // A new timer's first pass only starts its clock.
  void StartClock() { Frame(); }
  void Tick(int32_t n = 1) {
    for (int32_t i = 0; i < n; ++i) Advance(DLGMOVE_PERIOD);
  }
  CDialog m_Panel;
  CCountingMove m_Mover;
};

TEST_F(DlgMove, MovingToWhereADialogStandsStartsNothing) {
  ASSERT_EQ(Pos(m_Panel), TPos(100, 500));
  EXPECT_EQ(m_Mover.MoveWindow(&m_Panel, 100, 500, 10), 0);
  EXPECT_EQ(m_Mover.NumMoves(), 0);
  StartClock();
  Tick(20);
  EXPECT_EQ(m_Mover.m_Calls, 0);
  EXPECT_EQ(Pos(m_Panel), TPos(100, 500));
  EXPECT_EQ(m_Mover.MoveWindow(nullptr, 1, 1, 1), 0);
}

TEST_F(DlgMove, AOneFrameMoveLandsOnTheFirstTickAndStopsTheTimer) {
  EXPECT_EQ(m_Mover.MoveWindow(&m_Panel, 317, 123, 1), 1);
  StartClock();
  EXPECT_EQ(Pos(m_Panel), TPos(100, 500));
  Tick();
  EXPECT_EQ(Pos(m_Panel), TPos(317, 123));
  EXPECT_EQ(m_Mover.NumMoves(), 0);
  const int32_t calls = m_Mover.m_Calls;
  EXPECT_EQ(calls, 1);
  Tick(10);
  EXPECT_EQ(m_Mover.m_Calls, calls);
}

// No step count below one: a move of zero or fewer frames lands on the first tick too.
TEST_F(DlgMove, ZeroOrNegativeFramesLandOnTheFirstTick) {
  for (int32_t frames : {0, -5}) {
    SCOPED_TRACE(frames);
    const TPos target = frames ? TPos(20, 40) : TPos(100, 40);
    EXPECT_EQ(m_Mover.MoveWindow(&m_Panel, target.first, target.second, frames), 1);
    StartClock();
    Tick();
    EXPECT_EQ(Pos(m_Panel), target);
    EXPECT_EQ(m_Mover.NumMoves(), 0);
  }
}

struct SPathRow {
  TPos m_From, m_To;
  int32_t m_Frames;
  std::vector<TPos> m_Path;  // after each tick; the last is the target
};

TEST_F(DlgMove, MovesStepTruncateAndEndExactlyOnTarget) {
  const SPathRow rows[] = {
      {{0, 0}, {10, 0}, 4, {{2, 0}, {5, 0}, {7, 0}, {10, 0}}},
      {{10, 0}, {0, 0}, 4, {{7, 0}, {5, 0}, {2, 0}, {0, 0}}},
      // Truncation goes toward zero on both sides of it.
      {{0, 0}, {-10, 0}, 4, {{-2, 0}, {-5, 0}, {-7, 0}, {-10, 0}}},
      {{0, 5}, {0, -5}, 4, {{0, 2}, {0, 0}, {0, -2}, {0, -5}}},
      // A coordinate whose step is zero never ends the move; the other does.
      {{100, 500}, {300, 500}, 4, {{150, 500}, {200, 500}, {250, 500}, {300, 500}}},
      {{100, 500}, {100, 100}, 4, {{100, 400}, {100, 300}, {100, 200}, {100, 100}}},
      // Diagonal, both directions at once.
      {{100, 500}, {40, 530}, 3, {{80, 510}, {60, 520}, {40, 530}}},
      // Thirds of an odd distance end exactly on the target.
      {{0, 0}, {100, 7}, 3, {{33, 2}, {66, 4}, {100, 7}}},
  };
  for (const SPathRow& r : rows) {
    SCOPED_TRACE(std::to_string(r.m_From.first) + "," + std::to_string(r.m_From.second) + " -> " +
                 std::to_string(r.m_To.first) + "," + std::to_string(r.m_To.second));
    m_Panel.SetPos(r.m_From.first, r.m_From.second);
    ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, r.m_To.first, r.m_To.second, r.m_Frames), 1);
    StartClock();
    for (const TPos& want : r.m_Path) {
      Tick();
      EXPECT_EQ(Pos(m_Panel), want);
    }
    EXPECT_EQ(m_Mover.NumMoves(), 0);
  }
}

TEST_F(DlgMove, ASecondMoveOfTheSameDialogReplacesTheFirst) {
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 200, 500, 10), 1);
  StartClock();
  Tick(3);
  EXPECT_EQ(Pos(m_Panel), TPos(130, 500));
  // The new move starts where the dialog stands now.
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 130, 300, 4), 1);
  EXPECT_EQ(m_Mover.NumMoves(), 1);
  EXPECT_EQ(Pos(m_Panel), TPos(130, 500));
  Tick(4);
  EXPECT_EQ(Pos(m_Panel), TPos(130, 300));
  EXPECT_EQ(m_Mover.NumMoves(), 0);

  // A move to where it stands ends a running one there, and the timer with it.
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 330, 300, 10), 1);
  StartClock();
  Tick();
  EXPECT_EQ(Pos(m_Panel), TPos(150, 300));
  EXPECT_EQ(m_Mover.MoveWindow(&m_Panel, 150, 300, 10), 0);
  EXPECT_EQ(m_Mover.NumMoves(), 0);
  const int32_t calls = m_Mover.m_Calls;
  Tick(10);
  EXPECT_EQ(m_Mover.m_Calls, calls);
  EXPECT_EQ(Pos(m_Panel), TPos(150, 300));
}

TEST_F(DlgMove, ThreeDialogsMoveAtOnce) {
  CDialog request, answer;
  ASSERT_EQ(request.Create(&m_Res, 200, nullptr, 0, nullptr), 1);  // at (250, 200)
  ASSERT_EQ(answer.Create(&m_Res, 300, nullptr, 0, nullptr), 1);   // at (250, 200)
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 100, 700, 2), 1);
  ASSERT_EQ(m_Mover.MoveWindow(&request, 650, 200, 4), 1);
  ASSERT_EQ(m_Mover.MoveWindow(&answer, 250, 0, 8), 1);
  EXPECT_EQ(m_Mover.NumMoves(), 3);
  StartClock();
  Tick(2);
  EXPECT_EQ(Pos(m_Panel), TPos(100, 700));
  EXPECT_EQ(Pos(request), TPos(450, 200));
  EXPECT_EQ(Pos(answer), TPos(250, 150));
  EXPECT_EQ(m_Mover.NumMoves(), 2);
  Tick(2);
  EXPECT_EQ(Pos(request), TPos(650, 200));
  EXPECT_EQ(m_Mover.NumMoves(), 1);
  Tick(4);
  EXPECT_EQ(Pos(answer), TPos(250, 0));
  EXPECT_EQ(m_Mover.NumMoves(), 0);
  EXPECT_EQ(m_Mover.m_Calls, 8);
  Tick(5);
  EXPECT_EQ(m_Mover.m_Calls, 8);
}

TEST_F(DlgMove, ExitLeavesDialogsWhereTheyStandAndStopsTheTimer) {
  CDialog request;
  ASSERT_EQ(request.Create(&m_Res, 200, nullptr, 0, nullptr), 1);
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 100, 700, 4), 1);
  ASSERT_EQ(m_Mover.MoveWindow(&request, 650, 200, 4), 1);
  StartClock();
  Tick();
  m_Mover.Exit();
  EXPECT_EQ(m_Mover.NumMoves(), 0);
  const int32_t calls = m_Mover.m_Calls;
  Tick(10);
  EXPECT_EQ(m_Mover.m_Calls, calls);
  EXPECT_EQ(Pos(m_Panel), TPos(100, 550));
  EXPECT_EQ(Pos(request), TPos(350, 200));
}

// A frame that comes late pays the missed steps at once: the move keeps to time, not to frames.
TEST_F(DlgMove, ALateFrameCatchesUp) {
  ASSERT_EQ(m_Mover.MoveWindow(&m_Panel, 100, 100, 8), 1);
  StartClock();
  Advance(3 * DLGMOVE_PERIOD + 5);
  EXPECT_EQ(Pos(m_Panel), TPos(100, 350));
  Advance(10 * DLGMOVE_PERIOD);
  EXPECT_EQ(Pos(m_Panel), TPos(100, 100));
}
}  // namespace
