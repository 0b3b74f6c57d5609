// Play history: table and player sessions, one row per event, and the lists the viewer pages
// through.
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "ostrel/containers/llist.h"
#include "stova/connimpl.h"
#include "stova/fieldtext.h"
#include "stova/stovaconn.h"

namespace {
// The longest part the logger sends: 255 characters, each of them a doubled quote at worst.
constexpr size_t kMaxHistoryPart = 510;
// Rows one list call hands out at most.
constexpr int32_t kMaxRowsPerCall = 1000;
constexpr int64_t kDay = 24 * 60 * 60;

// The logger doubles every quote of the text it sends; each pair stands for one quote again.
void AppendUnquoted(std::string& out, std::string_view part) {
  for (size_t i = 0; i < part.size(); ++i) {
    out += part[i];
    if (part[i] == '\'' && i + 1 < part.size() && part[i + 1] == '\'') ++i;
  }
}

// The game type a filter names: 0 for none (every game); the viewer sends a games-list id
// (type x 1000) and the history server may pass it on multiplied by 1000 once more.
int64_t FilterGameType(int32_t filter) {
  if (filter <= 0) return -1;
  return filter >= 1000000 ? filter / 1000000 : filter / 1000;
}

int64_t SelectionStart(int32_t selection) {
  switch (selection) {
    case 1: return StovaNow() - kDay;
    case 2: return StovaNow() - 7 * kDay;
    case 3: return StovaNow() - 30 * kDay;
    default: return INT64_MIN;
  }
}

void ClampPage(int32_t& firstRow, int32_t& rows) {
  if (firstRow < 0) firstRow = 0;
  if (rows < 0) rows = 0;
  if (rows > kMaxRowsPerCall) rows = kMaxRowsPerCall;
}
}  // namespace

int32_t CStovaConn::PlayerHistoryGetFlag(uint32_t tableId, uint32_t& flag, int32_t& status) {
  flag = 0;
  status = 0;
  if (!ValidId(tableId, "PlayerHistoryGetFlag", "table") || !IsOpen()) return 0;
  flag = 1;
  status = 1;
  return 1;
}

int32_t CStovaConn::InsertedId(const char* what, int64_t& id) {
  id = sqlite3_last_insert_rowid(m_pDb->Handle());
  if (id > 0 && id <= INT32_MAX) return 1;
  return Fail(STOVA_ERR_ARGUMENT, "%s: no session number left", what);
}

int32_t CStovaConn::PlayerHistoryGetNewTableSession(uint32_t tableId, int32_t& session, int32_t& status) {
  status = 0;
  if (!ValidId(tableId, "PlayerHistoryGetNewTableSession", "table") || !IsOpen()) return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("PlayerHistoryGetNewTableSession");
  int64_t id = 0;
  {
    CStovaQuery q(m_pDb->Statement(STMT_TABLE_SESSION_INSERT));
    q.Bind(tableId).Bind(StovaNow());
    if (q.Step() != SQLITE_DONE) return FailEngine("PlayerHistoryGetNewTableSession");
    if (!InsertedId("PlayerHistoryGetNewTableSession", id)) return 0;
  }
  if (!txn.Commit()) return FailEngine("PlayerHistoryGetNewTableSession");
  session = static_cast<int32_t>(id);
  status = 1;
  return 1;
}

int32_t CStovaConn::PlayerHistoryEndTableSession(uint32_t tableId, int32_t& status) {
  status = 0;
  if (!ValidId(tableId, "PlayerHistoryEndTableSession", "table") || !IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_TABLE_SESSION_END));
  q.Bind(tableId).Bind(StovaNow());
  if (q.Step() != SQLITE_DONE) return FailEngine("PlayerHistoryEndTableSession");
  status = sqlite3_changes(m_pDb->Handle()) > 0;
  return 1;
}

int32_t CStovaConn::OpenPlayerSession(const char* what, uint32_t playerId, uint32_t tableId, int64_t& session) {
  CStovaQuery q(m_pDb->Statement(STMT_PLAYER_SESSION_INSERT));
  q.Bind(playerId).Bind(tableId).Bind(StovaNow());
  if (q.Step() != SQLITE_DONE) return FailEngine(what);
  return InsertedId(what, session);
}

int32_t CStovaConn::PlayerHistoryGetNewPlayerSession(uint32_t playerId, uint32_t tableId, int32_t& session,
                                                     int32_t& status) {
  status = 0;
  if (!ValidId(playerId, "PlayerHistoryGetNewPlayerSession", "member") ||
      !ValidId(tableId, "PlayerHistoryGetNewPlayerSession", "table") || !IsOpen())
    return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("PlayerHistoryGetNewPlayerSession");
  int64_t id = 0;
  if (!OpenPlayerSession("PlayerHistoryGetNewPlayerSession", playerId, tableId, id)) return 0;
  if (!txn.Commit()) return FailEngine("PlayerHistoryGetNewPlayerSession");
  session = static_cast<int32_t>(id);
  status = 1;
  return 1;
}

int32_t CStovaConn::PlayerHistoryInsert(uint32_t playerId, uint32_t tableId, int round, int type, const char* part1,
                                        const char* part2, const char* part3, const char* part4, int32_t& status) {
  status = 0;
  if (!ValidId(playerId, "PlayerHistoryInsert", "member") || !ValidId(tableId, "PlayerHistoryInsert", "table")) return 0;
  std::string text;
  for (const char* part : {part1, part2, part3, part4}) {
    if (!part) return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryInsert: a text part is missing");
    const size_t length = strnlen(part, kMaxHistoryPart + 1);
    if (length > kMaxHistoryPart)
      return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryInsert: a text part is longer than %zu characters", kMaxHistoryPart);
    AppendUnquoted(text, std::string_view(part, length));
  }
  if (!IsOpen()) return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("PlayerHistoryInsert");
  int64_t session = 0;
  {
    CStovaQuery q(m_pDb->Statement(STMT_PLAYER_SESSION_CURRENT));
    q.Bind(playerId).Bind(tableId);
    const int rc = q.Step();
    if (rc == SQLITE_ROW) session = q.Int(0);
    else if (rc != SQLITE_DONE) return FailEngine("PlayerHistoryInsert");
  }
  // An event of a player who has no session here yet still belongs to one.
  if (session == 0 && !OpenPlayerSession("PlayerHistoryInsert", playerId, tableId, session)) return 0;
  {
    CStovaQuery q(m_pDb->Statement(STMT_HISTORY_INSERT));
    q.Bind(session).Bind(playerId).Bind(tableId).Bind(round).Bind(type).Bind(StovaNow()).Bind(text);
    if (q.Step() != SQLITE_DONE) return FailEngine("PlayerHistoryInsert");
  }
  if (!txn.Commit()) return FailEngine("PlayerHistoryInsert");
  status = 1;
  return 1;
}

int32_t CStovaConn::PlayerHistoryGetPlayerSessions(uint32_t playerId, int32_t gameFilter, int32_t selection,
                                                   int32_t firstRow, int32_t rows, CLList* list, int32_t& count) {
  count = 0;
  if (!list) return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryGetPlayerSessions: no list");
  if (!ValidId(playerId, "PlayerHistoryGetPlayerSessions", "member") || !IsOpen()) return 0;
  ClampPage(firstRow, rows);
  const int64_t gameType = FilterGameType(gameFilter);
  const int64_t since = SelectionStart(selection);
  int64_t total = 0;
  {
    CStovaQuery q(m_pDb->Statement(STMT_SESSIONS_COUNT));
    q.Bind(playerId).Bind(gameType).Bind(since);
    if (q.Step() != SQLITE_ROW) return FailEngine("PlayerHistoryGetPlayerSessions");
    total = q.Int(0);
  }
  CStovaQuery q(m_pDb->Statement(STMT_SESSIONS_LIST));
  q.Bind(playerId).Bind(gameType).Bind(since).Bind(rows).Bind(firstRow);
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) {
    SPlayerHistorySessionRow* row = new (std::nothrow) SPlayerHistorySessionRow{};
    if (!row || !list->InsertLast(row)) {
      delete row;
      return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryGetPlayerSessions: no memory for the rows");
    }
    row->m_SessionId = static_cast<int32_t>(q.Int(0));
    row->m_GameId = static_cast<int32_t>(q.Int(1));
    row->m_TableType = static_cast<int32_t>(q.Int(2));
    row->m_RoundCount = static_cast<int32_t>(q.Int(3));
    row->m_PlayerId = static_cast<int32_t>(playerId);
    std::snprintf(row->m_Name, sizeof row->m_Name, "Table %d", row->m_GameId);
  }
  if (rc != SQLITE_DONE) return FailEngine("PlayerHistoryGetPlayerSessions");
  count = static_cast<int32_t>(total);
  return 1;
}

int32_t CStovaConn::PlayerHistoryGetPlayerSessionData(int32_t sessionId, int32_t firstRow, int32_t rows, CLList* list,
                                                      int32_t& count) {
  count = 0;
  if (!list) return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryGetPlayerSessionData: no list");
  if (sessionId <= 0) return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryGetPlayerSessionData: %d is not a session", sessionId);
  if (!IsOpen()) return 0;
  ClampPage(firstRow, rows);
  int64_t total = 0;
  {
    CStovaQuery q(m_pDb->Statement(STMT_SESSION_DATA_COUNT));
    q.Bind(sessionId);
    if (q.Step() != SQLITE_ROW) return FailEngine("PlayerHistoryGetPlayerSessionData");
    total = q.Int(0);
  }
  CStovaQuery q(m_pDb->Statement(STMT_SESSION_DATA_LIST));
  q.Bind(sessionId).Bind(rows).Bind(firstRow);
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) {
    const std::string_view data = q.Text(6);
    SPlayerHistoryDataRow* row = new (std::nothrow) SPlayerHistoryDataRow;
    if (row) row->m_pData = new (std::nothrow) char[data.size() + 1];
    if (!row || !row->m_pData || !list->InsertLast(row)) {
      delete row;
      return Fail(STOVA_ERR_ARGUMENT, "PlayerHistoryGetPlayerSessionData: no memory for the rows");
    }
    std::memcpy(row->m_pData, data.data(), data.size());
    row->m_pData[data.size()] = '\0';
    row->m_PlayerId = static_cast<int32_t>(q.Int(0));
    row->m_GameId = static_cast<int32_t>(q.Int(1));
    row->m_SessionId = static_cast<int32_t>(q.Int(2));
    row->m_Time = static_cast<int32_t>(q.Int(3));
    row->m_Value = static_cast<int32_t>(q.Int(4));
    row->m_Kind = static_cast<int32_t>(q.Int(5));
    StovaCopyField(row->m_Name, q.Text(7));
  }
  if (rc != SQLITE_DONE) return FailEngine("PlayerHistoryGetPlayerSessionData");
  count = static_cast<int32_t>(total);
  return 1;
}
