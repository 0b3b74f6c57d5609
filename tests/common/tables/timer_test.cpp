// The round timer, the restore flags and the table type.
#include <climits>

#include "tablekit.h"

namespace {

TEST_F(CTableTest, TimeLeftCountsDownAcrossTheClockWrap) {
  CTestTable table;
  m_Clock.Set(0xFFFFF000u);  // 4096 ms before the wrap
  table.SetTimeoutTime(10000, 15000);
  table.StartTimer();
  EXPECT_EQ(table.GetTimerStart(), 0xFFFFF000u);
  EXPECT_EQ(table.TimeLeft(), 10000);
  m_Clock.Advance(5000);
  EXPECT_EQ(m_Clock.Now(), 904u);
  EXPECT_EQ(table.TimeLeft(), 5000);
  m_Clock.Advance(5000);
  EXPECT_EQ(table.TimeLeft(), 0);
  m_Clock.Advance(1000);
  EXPECT_EQ(table.TimeLeft(), -1000);
  EXPECT_EQ(table.GetRoundLength(), 15000);
  // A time-out far behind never turns positive again (nor wraps past the least value).
  table.SetTimeoutTime(INT32_MIN, -1);
  EXPECT_EQ(table.TimeLeft(), INT32_MIN);
}

TEST_F(CTableTest, ARoundLengthOfMinusOneIsKept) {
  CTestTable table;
  table.SetTimeoutTime(3000, 20000);
  table.SetTimeoutTime(4000, -1);
  EXPECT_EQ(table.GetTimeoutTime(), 4000);
  EXPECT_EQ(table.GetRoundLength(), 20000);
  table.SetTimeoutTime(4000, -2);
  EXPECT_EQ(table.GetRoundLength(), -2);
}

TEST_F(CTableTest, RestoreModeSetsStepAndPending) {
  CTestTable table;
  EXPECT_EQ(table.GetRestoreMode(), 0);
  EXPECT_EQ(table.GetRestorePending(), 0);
  table.SetRestoreStep(TABLE_RESTORE_NOW);
  EXPECT_EQ(table.SetRestoreMode(1), 1);
  EXPECT_EQ(table.GetRestoreMode(), 1);
  EXPECT_EQ(table.GetRestoreStep(), TABLE_RESTORE_NONE);
  EXPECT_EQ(table.GetRestorePending(), 1);
  table.SetRestoreStep(TABLE_RESTORE_WAIT_RECONNECTEND);
  EXPECT_EQ(table.SetRestoreMode(0), 1);
  EXPECT_EQ(table.GetRestoreMode(), 0);
  EXPECT_EQ(table.GetRestorePending(), 0);
  EXPECT_EQ(table.GetRestoreStep(), TABLE_RESTORE_WAIT_RECONNECTEND);
  EXPECT_EQ(table.GetTestRemove(), 0);
}

TEST_F(CTableTest, PracticeTablesAreTypesThreeAndFour) {
  CTestTable table;
  EXPECT_EQ(table.GetTableType(), TABLE_TYPE_NEW);
  EXPECT_EQ(table.GetTableRecord().m_TableType, TABLE_TYPE_NEW);
  const struct {
    int32_t m_Type;
    int32_t m_Practice;
  } kTypes[] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 0}, {6, 0}, {-1, 0}};
  for (const auto& t : kTypes) {
    table.SetTableType(t.m_Type);
    EXPECT_EQ(table.GetIsPlayingForPractice(), t.m_Practice) << t.m_Type;
  }
}

TEST_F(CTableTest, TheLatestTableIsTheCurrentOne) {
  CTestTable first;
  EXPECT_EQ(CTableBase::GetCurrentTable(), &first);
  {
    CTestTable second(CNODE_CLIENT);
    EXPECT_EQ(CTableBase::GetCurrentTable(), &second);
  }
  EXPECT_EQ(CTableBase::GetCurrentTable(), nullptr);
}

}  // namespace
