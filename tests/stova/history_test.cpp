// Play history: sessions and events in the row layouts the history server reads; protection.
#include <cstring>

#include "ostrel/containers/llist.h"
#include "stovafixture.h"

namespace {
int64_t g_Now = 1700000000;
int64_t TestNow() { return g_Now; }

class StovaHistory : public StovaTest {
 protected:
  StovaHistory() : m_Player(Create("vorrin")) {
    g_Now = 1700000000;
    xSetStovaClock(TestNow);
  }
  ~StovaHistory() override {
    xSetStovaClock(nullptr);
    FreeSessions();
    FreeData();
  }

  int32_t NewPlayerSession(uint32_t table) {
    int32_t session = 0, status = 0;
    EXPECT_EQ(m_Db.PlayerHistoryGetNewPlayerSession(m_Player, table, session, status), 1);
    EXPECT_EQ(status, 1);
    return session;
  }
  void Insert(uint32_t table, int round, int type, const char* p1, const char* p2 = "", const char* p3 = "",
              const char* p4 = "") {
    int32_t status = 0;
    EXPECT_EQ(m_Db.PlayerHistoryInsert(m_Player, table, round, type, p1, p2, p3, p4, status), 1);
    EXPECT_EQ(status, 1);
  }
  int32_t Sessions(int32_t filter, int32_t selection, int32_t first, int32_t rows) {
    FreeSessions();
    int32_t count = -1;
    EXPECT_EQ(m_Db.PlayerHistoryGetPlayerSessions(m_Player, filter, selection, first, rows, &m_Sessions, count), 1);
    return count;
  }
  int32_t Data(int32_t session, int32_t first, int32_t rows) {
    FreeData();
    int32_t count = -1;
    EXPECT_EQ(m_Db.PlayerHistoryGetPlayerSessionData(session, first, rows, &m_Data, count), 1);
    return count;
  }
  SPlayerHistorySessionRow* SessionRow(int i) { return static_cast<SPlayerHistorySessionRow*>(m_Sessions.Get(i)); }
  SPlayerHistoryDataRow* DataRow(int i) { return static_cast<SPlayerHistoryDataRow*>(m_Data.Get(i)); }
  // The history server frees the rows with a plain delete.
  void FreeSessions() {
    for (m_Sessions.First(); m_Sessions.Exists(); m_Sessions.Next()) delete static_cast<SPlayerHistorySessionRow*>(m_Sessions.Get());
    m_Sessions.KillAll();
  }
  void FreeData() {
    for (m_Data.First(); m_Data.Exists(); m_Data.Next()) delete static_cast<SPlayerHistoryDataRow*>(m_Data.Get());
    m_Data.KillAll();
  }

  uint32_t m_Player;
  CLList m_Sessions;
  CLList m_Data;
};

TEST_F(StovaHistory, EveryLocalTableLogsAndTableSessionsOpenAndEnd) {
  uint32_t flag = 0;
  int32_t status = 0, session = 0;
  ASSERT_EQ(m_Db.PlayerHistoryGetFlag(5001, flag, status), 1);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(status, 1);
  ASSERT_EQ(m_Db.PlayerHistoryGetNewTableSession(5001, session, status), 1);
  EXPECT_EQ(status, 1);
  EXPECT_GT(session, 0);
  ASSERT_EQ(m_Db.PlayerHistoryEndTableSession(5001, status), 1);
  EXPECT_EQ(status, 1);
  ASSERT_EQ(m_Db.PlayerHistoryEndTableSession(5001, status), 1);
  EXPECT_EQ(status, 0) << "no session left open";
  ExpectNoErrors();
}

TEST_F(StovaHistory, SessionRowsCarryTheTableTypeAndRoundCount) {
  c2stovaTable t;
  t.m_TableId = 5001;
  t.m_TableType = STOVA_TABLE_PRACTICE;
  uint32_t id = 0;
  int32_t ok = 0, tableSession = 0, status = 0;
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  ASSERT_EQ(m_Db.PlayerHistoryGetNewTableSession(5001, tableSession, status), 1);
  ASSERT_EQ(m_Db.DeleteTable(5001, ok), 1) << "the record goes; the session keeps its type";
  const int32_t first = NewPlayerSession(5001);
  Insert(5001, 1, STOVA_HISTORY_ENTER_GAME, "SEAT=0;");
  for (int round = 2; round <= 4; ++round) Insert(5001, round, STOVA_HISTORY_NEW_ROUND, "SEAT=0;");
  Insert(5001, 4, STOVA_HISTORY_BET_CLICKS, "SEAT=0;5.0000000000,-1;");
  g_Now += 60;
  const int32_t second = NewPlayerSession(12003);

  ASSERT_EQ(Sessions(0, 0, 0, 50), 2);
  ASSERT_EQ(m_Sessions.GetNumNodes(), 2);
  // Newest first; the row as the history server reads it by offset.
  const SPlayerHistorySessionRow* row = SessionRow(1);
  const char* raw = reinterpret_cast<const char*>(row);
  int32_t at[5];
  for (int i = 0; i < 5; ++i) std::memcpy(&at[i], raw + (i == 0 ? 0 : 24 + 4 * i), 4);
  EXPECT_EQ(at[0], first);
  EXPECT_STREQ(raw + 4, "Table 5001");
  EXPECT_EQ(at[1], static_cast<int32_t>(m_Player));
  EXPECT_EQ(at[2], 5001);
  EXPECT_EQ(at[3], STOVA_TABLE_PRACTICE);
  EXPECT_EQ(at[4], 3) << "three new rounds";
  EXPECT_EQ(SessionRow(0)->m_SessionId, second);
  EXPECT_EQ(SessionRow(0)->m_GameId, 12003);
  EXPECT_EQ(SessionRow(0)->m_RoundCount, 0);
}

TEST_F(StovaHistory, FiltersAndPagesCountEveryMatch) {
  for (uint32_t table : {5001u, 5002u, 12001u, 5003u}) {
    NewPlayerSession(table);
    g_Now += 3 * 24 * 60 * 60;
  }
  g_Now -= 3 * 24 * 60 * 60;  // the last session was opened now
  struct {
    int32_t filter, selection, first, rows;
    int32_t count;
    std::vector<int32_t> games;
  } cases[] = {
      {0, 0, 0, 50, 4, {5003, 12001, 5002, 5001}},
      {5000, 0, 0, 50, 3, {5003, 5002, 5001}},      // a games-list id
      {5000000, 0, 0, 50, 3, {5003, 5002, 5001}},   // the same as the history server passes it on
      {12000, 0, 0, 50, 1, {12001}},
      {0, 0, 1, 2, 4, {12001, 5002}},               // a page
      {0, 0, 9, 5, 4, {}},
      {0, 0, -3, -1, 4, {}},
      {0, 1, 0, 50, 1, {5003}},                     // the last day
      {0, 2, 0, 50, 3, {5003, 12001, 5002}},        // the last 7 days
      {0, 3, 0, 50, 4, {5003, 12001, 5002, 5001}},  // the last 30 days
      {-5, 99, 0, 50, 4, {5003, 12001, 5002, 5001}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sessions(c.filter, c.selection, c.first, c.rows), c.count) << c.filter << "/" << c.selection;
    std::vector<int32_t> games;
    for (int i = 0; i < m_Sessions.GetNumNodes(); ++i) games.push_back(SessionRow(i)->m_GameId);
    EXPECT_EQ(games, c.games) << c.filter << "/" << c.selection << "/" << c.first;
  }
}

TEST_F(StovaHistory, EventsComeBackInTheirLayoutWithQuotesUndoubled) {
  const int32_t session = NewPlayerSession(5001);
  Insert(5001, 7, STOVA_HISTORY_ENTER_GAME, "SEAT=2;");
  // The logger's parts of a 600-character text with quotes: 255, 255, 90 and an empty fourth,
  // each quote doubled.
  std::string text = "SEAT=2;";
  while (text.size() < 600) text += "it's a 'win';";
  text.resize(600);
  std::string parts[4];
  for (int i = 0; i < 4; ++i) {
    const std::string piece = i * 255 < 600 ? text.substr(i * 255, 255) : "";
    for (char ch : piece) parts[i] += ch == '\'' ? std::string("''") : std::string(1, ch);
  }
  ASSERT_LE(parts[0].size(), 510u);
  g_Now += 5;
  Insert(5001, 8, STOVA_HISTORY_NEW_ROUND, parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), parts[3].c_str());

  ASSERT_EQ(Data(session, 0, 100), 2);
  ASSERT_EQ(m_Data.GetNumNodes(), 2);
  const SPlayerHistoryDataRow* row = DataRow(1);
  EXPECT_STREQ(row->m_Name, "vorrin");
  EXPECT_EQ(row->m_PlayerId, static_cast<int32_t>(m_Player));
  EXPECT_EQ(row->m_GameId, 5001);
  EXPECT_EQ(row->m_SessionId, session);
  EXPECT_EQ(row->m_Time, 1700000005);
  EXPECT_EQ(row->m_Value, 8);
  EXPECT_EQ(row->m_Kind, STOVA_HISTORY_NEW_ROUND);
  EXPECT_EQ(std::string(row->m_pData), text) << "stored as the player's own text";
  EXPECT_EQ(DataRow(0)->m_Kind, STOVA_HISTORY_ENTER_GAME);

  ASSERT_EQ(Data(session, 1, 1), 2);
  ASSERT_EQ(m_Data.GetNumNodes(), 1);
  EXPECT_EQ(DataRow(0)->m_Value, 8);
  EXPECT_EQ(Data(session + 100, 0, 10), 0);
  EXPECT_EQ(m_Data.GetNumNodes(), 0);
  ExpectNoErrors();
}

TEST_F(StovaHistory, AnEventWithoutASessionOpensOneAndBadInputIsRefused) {
  Insert(6001, 1, STOVA_HISTORY_USER_CRASHED, "x'y");
  ASSERT_EQ(Sessions(0, 0, 0, 10), 1);
  ASSERT_EQ(Data(SessionRow(0)->m_SessionId, 0, 10), 1);
  EXPECT_STREQ(DataRow(0)->m_pData, "x'y") << "a single quote is kept";

  const std::string tooLong(511, 'a');
  int32_t status = 1, count = 1;
  EXPECT_EQ(m_Db.PlayerHistoryInsert(m_Player, 6001, 1, 0, tooLong.c_str(), "", "", "", status), 0);
  EXPECT_EQ(m_Db.PlayerHistoryInsert(m_Player, 6001, 1, 0, "a", nullptr, "", "", status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(m_Db.PlayerHistoryGetPlayerSessions(m_Player, 0, 0, 0, 10, nullptr, count), 0);
  EXPECT_EQ(m_Db.PlayerHistoryGetPlayerSessionData(-1, 0, 10, &m_Data, count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(DrainErrors(m_Db).size(), 4u);
}

TEST_F(StovaHistory, ProtectionLimitsDefaultPerMember) {
  SPlayerProtectionLimitStatus s;
  s.MaxSessionTime = 5;
  s.SelfExclusion = 9;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.PlayerProtectionGetLimitStatus(m_Player, s, ok), 1);
  EXPECT_EQ(ok, 1);
  for (const TStovaMoney* m : {&s.LossPerDay, &s.LossPerWeek, &s.LossPerMonth, &s.LossThisDay, &s.LossThisWeek, &s.LossThisMonth})
    EXPECT_EQ(MoneyText(*m), "0.0000000000");
  EXPECT_EQ(s.MaxSessionTime, -1);
  EXPECT_EQ(s.SelfExclusion, 0);
  EXPECT_EQ(RunProgram("sqlite3", {DbPath(), "SELECT COUNT(*) FROM protection;"}), "1") << "a row per member";

  RunProgram("sqlite3", {DbPath(), "UPDATE protection SET loss_per_day = '25.5', max_session_time = 3600000, "
                                   "self_exclusion = 1;"});
  ASSERT_EQ(m_Db.PlayerProtectionGetLimitStatus(m_Player, s, ok), 1);
  EXPECT_EQ(MoneyText(s.LossPerDay), "25.5000000000");
  EXPECT_EQ(s.MaxSessionTime, 3600000);
  EXPECT_EQ(s.SelfExclusion, 1);

  EXPECT_EQ(m_Db.PlayerProtectionGetLimitStatus(4242, s, ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(DrainErrors(m_Db)[0].m_Code, STOVA_ERR_NOT_FOUND);
}
}  // namespace
