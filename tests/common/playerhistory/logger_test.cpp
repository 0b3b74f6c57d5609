// The play-history logger: rows as the database stores them, read back through the database
// library and through Python's sqlite3 module.
#include <string>

#include "common/playerhistory/playerhistorylogger.h"
#include "ostrel/containers/llist.h"
#include "phfixture.h"

namespace {
constexpr int32_t kTable = 5001;
constexpr int32_t kSeats = 5;

std::string Doubled(std::string text) {
  for (size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 2) text.insert(at, 1, '\'');
  return text;
}

class LoggerTest : public CPlayerHistoryTest {
 protected:
  void StartLogger() { ASSERT_EQ(m_Logger.Init(&m_Db, kTable, kSeats), 1); }
  // The data texts of the history rows, oldest first, as Python reads them.
  std::vector<std::string> StoredTexts() {
    std::vector<std::string> texts;
    for (const std::string& row : Rows("SELECT data FROM history ORDER BY id")) texts.push_back(row);
    return texts;
  }

  CPlayerHistoryLogger m_Logger;
};

TEST_F(LoggerTest, ALongTextGoesInFourPartsOf255WithItsQuotesDoubledAndIsStoredAsWritten) {
  StartLogger();
  std::string text;
  for (int i = 0; i < 600; ++i) text += (i % 7 == 3) ? '\'' : static_cast<char>('a' + i % 26);
  ASSERT_EQ(m_Logger.LogData(static_cast<int32_t>(m_Player), -1, PLAYERHISTORY_BET_CLICKS, CString(text.c_str())), 1);

  ASSERT_EQ(m_Db.m_Inserts.size(), 1u);
  const auto& insert = m_Db.m_Inserts[0];
  EXPECT_EQ(insert.m_Parts[0], Doubled(text.substr(0, 255)));
  EXPECT_EQ(insert.m_Parts[1], Doubled(text.substr(255, 255)));
  EXPECT_EQ(insert.m_Parts[2], Doubled(text.substr(510, 90)));
  EXPECT_EQ(insert.m_Parts[3], "");
  EXPECT_EQ(insert.m_Type, PLAYERHISTORY_BET_CLICKS);
  EXPECT_EQ(insert.m_Table, kTable);

  // Through the database library, as the history server reads it.
  CLList rows;
  int32_t count = 0;
  ASSERT_EQ(m_Db.PlayerHistoryGetPlayerSessionData(1, 0, 10, &rows, count), 1);
  ASSERT_EQ(count, 1);
  auto* row = static_cast<SPlayerHistoryDataRow*>(rows.Get(0));
  EXPECT_EQ(std::string(row->m_pData), text);
  delete row;
  rows.KillAll();
  // And through Python's sqlite3.
  EXPECT_EQ(Rows("SELECT data, type FROM history"), std::vector<std::string>{Hex(text) + "\t4"});
}

TEST_F(LoggerTest, TextsOfOneToThreePartsLeaveTheRestEmpty) {
  StartLogger();
  struct SCase {
    size_t m_Length;
    size_t m_Parts[4];
  } cases[] = {{0, {0, 0, 0, 0}}, {255, {255, 0, 0, 0}}, {256, {255, 1, 0, 0}}, {1020, {255, 255, 255, 255}},
               {1100, {255, 255, 255, 255}}};
  for (const SCase& c : cases) {
    m_Db.m_Inserts.clear();
    const std::string text(c.m_Length, 'x');
    ASSERT_EQ(m_Logger.LogData(static_cast<int32_t>(m_Player), -1, PLAYERHISTORY_NEW_ROUND, CString(text.c_str())), 1);
    ASSERT_EQ(m_Db.m_Inserts.size(), 1u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m_Db.m_Inserts[0].m_Parts[i].size(), c.m_Parts[i]) << c.m_Length << " part " << i;
  }
}

TEST_F(LoggerTest, ASeatOfTheTablePrefixesItsRows) {
  StartLogger();
  const int32_t player = static_cast<int32_t>(m_Player);
  ASSERT_EQ(m_Logger.LogEnterGame(player, 2), 1);
  ASSERT_EQ(m_Logger.LogData(player, 2, PLAYERHISTORY_NEW_ROUND, CString("bet")), 1);
  ASSERT_EQ(m_Logger.LogData(player, kSeats, PLAYERHISTORY_NEW_ROUND, CString("outside")), 1);
  ASSERT_EQ(m_Logger.LogData(player, -1, PLAYERHISTORY_NEW_ROUND, CString("none")), 1);
  ASSERT_EQ(m_Logger.LogNewRound(player, 0), 1);
  ASSERT_EQ(m_Logger.LogExitGame(player, 2), 1);
  EXPECT_EQ(StoredTexts(), (std::vector<std::string>{Hex("SEAT=2;"), Hex("SEAT=2;bet"), Hex("outside"), Hex("none"),
                                                      Hex("SEAT=0;"), Hex("SEAT=2;")}));
  EXPECT_EQ(Rows("SELECT type FROM history ORDER BY id"),
            (std::vector<std::string>{"1", "0", "0", "0", "0", "2"}));
}

TEST_F(LoggerTest, RowsCarryTheRoundAndEveryEventOpensOrFollowsThePlayersSession) {
  StartLogger();
  const int32_t player = static_cast<int32_t>(m_Player);
  ASSERT_EQ(m_Logger.LogEnterGame(player, 1), 1);
  EXPECT_EQ(m_Logger.IsLoggingPlayer(player), 1);
  EXPECT_EQ(m_Logger.IsLoggingPlayer(player + 1), 0);
  m_Logger.IncRound();
  m_Logger.IncRound();
  ASSERT_EQ(m_Logger.LogNewRound(player, 1), 1);
  ASSERT_EQ(m_Logger.LogUserCrashed(player, 1), 1);
  EXPECT_EQ(m_Logger.IsLoggingPlayer(player), 0);
  EXPECT_EQ(Rows("SELECT round, type, session_id FROM history ORDER BY id"),
            (std::vector<std::string>{"0\t1\t1", "2\t0\t1", "2\t3\t1"}));
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM player_sessions"), std::vector<std::string>{"1"});
}

TEST_F(LoggerTest, BetClicksAreWrittenAsAmountAndValuePairsAndTheHundredAndFirstIsDropped) {
  StartLogger();
  const int32_t player = static_cast<int32_t>(m_Player);
  ASSERT_EQ(m_Logger.BetClick(1, CPlayerHistoryLogger::TMoney("2.5"), 3), 1);
  ASSERT_EQ(m_Logger.BetClick(1, CPlayerHistoryLogger::TMoney("-0.25"), 7), 1);
  ASSERT_EQ(m_Logger.LogBetClicks(player, 1), 1);
  EXPECT_EQ(StoredTexts(), std::vector<std::string>{Hex("SEAT=1;2.5000000000,3,-0.2500000000,7;")});
  EXPECT_EQ(m_Logger.NumBetClicks(1), 0) << "logging clears the clicks";
  ASSERT_EQ(m_Logger.LogBetClicks(player, 1), 1);
  EXPECT_EQ(m_Db.m_Inserts.size(), 1u) << "no row without clicks";

  for (int i = 0; i < 101; ++i) ASSERT_EQ(m_Logger.BetClick(0, CPlayerHistoryLogger::TMoney(1), i), 1);
  EXPECT_EQ(m_Logger.NumBetClicks(0), PLAYERHISTORY_MAX_CLICKS);
  ASSERT_EQ(m_Logger.LogBetClicks(player, 0), 1);
  std::string expected = "SEAT=0;";
  for (int i = 0; i < 100; ++i) expected += (i ? ",1.0000000000," : "1.0000000000,") + std::to_string(i);
  expected += ";";
  ASSERT_EQ(m_Db.m_Inserts.size(), 2u);
  std::string stored;
  for (const std::string& part : m_Db.m_Inserts[1].m_Parts) stored += part;
  // A row holds four parts of 255 characters: a hundred clicks do not fit, the rest is cut.
  EXPECT_EQ(stored, expected.substr(0, 4 * 255));
  EXPECT_EQ(m_Db.m_Inserts[1].m_Type, PLAYERHISTORY_BET_CLICKS);
}

TEST_F(LoggerTest, SeatsOutsideTheTableAreRefusedForClicks) {
  StartLogger();
  for (int32_t seat : {-1, kSeats, 1 << 30}) {
    EXPECT_EQ(m_Logger.BetClick(seat, CPlayerHistoryLogger::TMoney(1), 0), 0) << seat;
    EXPECT_EQ(m_Logger.LogBetClicks(static_cast<int32_t>(m_Player), seat), 0) << seat;
    EXPECT_EQ(m_Logger.ClearBetClicks(seat), 0) << seat;
  }
  ASSERT_EQ(m_Logger.BetClick(3, CPlayerHistoryLogger::TMoney(1), 0), 1);
  ASSERT_EQ(m_Logger.ClearBetClicks(3), 1);
  EXPECT_EQ(m_Logger.NumBetClicks(3), 0);
  ASSERT_EQ(m_Logger.BetClick(3, CPlayerHistoryLogger::TMoney(1), 0), 1);
  ASSERT_EQ(m_Logger.LogEnterGame(static_cast<int32_t>(m_Player), 3), 1);
  EXPECT_EQ(m_Logger.NumBetClicks(3), 0) << "a new player starts without clicks";
}

TEST_F(LoggerTest, ATableWithoutHistoryWritesNothingAndAcceptsEveryCall) {
  m_Db.m_Flag = 0;
  ASSERT_EQ(m_Logger.Init(&m_Db, kTable, kSeats), 1);
  EXPECT_EQ(m_Logger.IsLogging(), 0u);
  const int32_t player = static_cast<int32_t>(m_Player);
  EXPECT_EQ(m_Logger.LogEnterGame(player, 1), 1);
  EXPECT_EQ(m_Logger.LogData(player, 1, 0, CString("x")), 1);
  EXPECT_EQ(m_Logger.BetClick(99, CPlayerHistoryLogger::TMoney(1), 0), 1);
  EXPECT_EQ(m_Logger.LogBetClicks(player, 99), 1);
  EXPECT_EQ(m_Logger.LogUserCrashed(player, 1), 1);
  EXPECT_EQ(m_Logger.Exit(), 1);
  EXPECT_TRUE(m_Db.m_Inserts.empty());
  EXPECT_EQ(Rows("SELECT (SELECT COUNT(*) FROM history) + (SELECT COUNT(*) FROM table_sessions) + "
                 "(SELECT COUNT(*) FROM player_sessions)"),
            std::vector<std::string>{"0"});
}

TEST_F(LoggerTest, InitRunsOnceAndExitEndsTheTableSession) {
  StartLogger();
  EXPECT_EQ(m_Logger.GetTableSession(), 1);
  CRecordingStova other;
  EXPECT_EQ(m_Logger.Init(&m_Db, kTable, kSeats), 1);
  EXPECT_EQ(m_Logger.Init(&other, 7, 2), 1);
  EXPECT_EQ(Rows("SELECT id, table_id, ended IS NULL FROM table_sessions"), std::vector<std::string>{"1\t5001\t1"});
  ASSERT_EQ(m_Logger.Exit(), 1);
  EXPECT_EQ(Rows("SELECT ended IS NULL FROM table_sessions"), std::vector<std::string>{"0"});

  CPlayerHistoryLogger none;
  EXPECT_EQ(none.Init(nullptr, kTable, kSeats), 1);
  EXPECT_EQ(none.IsLogging(), 0u);
  EXPECT_EQ(none.LogData(static_cast<int32_t>(m_Player), 0, 0, CString("x")), 1);
}

TEST_F(LoggerTest, DatabaseFailuresAreReportedAndTheirRecordsRead) {
  CRecordingStova closed;  // never opened: every call fails with a record
  CPlayerHistoryLogger logger;
  EXPECT_EQ(logger.Init(&closed, kTable, kSeats), 0);
  c2stovaError error;
  EXPECT_EQ(closed.GetLastStovaError(error), 0) << "the records were read";

  StartLogger();
  m_Db.m_FailInsert = true;
  EXPECT_EQ(m_Logger.LogData(static_cast<int32_t>(m_Player), 1, 0, CString("x")), 0);
  EXPECT_EQ(m_Logger.LogEnterGame(static_cast<int32_t>(m_Player), 1), 0);
  ASSERT_EQ(m_Logger.BetClick(1, CPlayerHistoryLogger::TMoney(1), 0), 1);
  EXPECT_EQ(m_Logger.LogBetClicks(static_cast<int32_t>(m_Player), 1), 0);
  EXPECT_EQ(m_Db.GetLastStovaError(error), 0);
  // A player id the database refuses.
  m_Db.m_FailInsert = false;
  EXPECT_EQ(m_Logger.LogData(-4, 1, 0, CString("x")), 0);
  EXPECT_EQ(m_Db.GetLastStovaError(error), 0);

  CPlayerHistoryLogger tooMany;
  EXPECT_EQ(tooMany.Init(&m_Db, kTable, PLAYERHISTORY_MAX_SEATS + 1), 0);
  EXPECT_EQ(tooMany.IsLogging(), 0u);
}
}  // namespace
