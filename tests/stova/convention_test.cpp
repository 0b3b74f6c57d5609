// Every operation through the callers' convention: a call that works gives result 1 and flag 1
// and leaves no record; a call that fails gives result 0 (and flag 0) and queues records that
// GetLastStovaError hands out in the order the failures happened.
#include <functional>

#include "ostrel/containers/llist.h"
#include "stovafixture.h"

namespace {
struct SOperation {
  const char* name;
  // Each returns the call's result and sets the flag (1 where the operation has none).
  std::function<int32_t(CStovaConn&, int32_t&)> good;
  std::function<int32_t(CStovaConn&, int32_t&)> bad;
  int32_t badCode;
};

template <typename Row>
void FreeRows(CLList& rows) {
  for (rows.First(); rows.Exists(); rows.Next()) delete static_cast<Row*>(rows.Get());
  rows.KillAll();
}

using StovaConvention = StovaTest;

TEST_F(StovaConvention, EveryOperationReportsResultFlagAndRecordsInOrder) {
  const uint32_t member = Create("vorrin", "Lucky");
  c2stovaTable table;
  table.m_TableId = 5001;
  uint8_t byte = 7;
  static const TStovaMoney one(1);
  TStovaMoney flagged(1);
  flagged.SetError(1);
  const std::vector<SOperation> ops = {
      {"Connect", [](CStovaConn& db, int32_t& f) { f = 1; return db.Connect("", "", "", ""); },
       [](CStovaConn&, int32_t& f) { CStovaConn closed; f = 0; closed.Connect("", "", "", ""); return 0; }, -1},
      {"GetUserId", [](CStovaConn& db, int32_t& f) { uint32_t id; return db.GetUserId("VORRIN", id, f); },
       [](CStovaConn& db, int32_t& f) { uint32_t id; return db.GetUserId(nullptr, id, f); }, STOVA_ERR_ARGUMENT},
      {"GetUserIdNick", [](CStovaConn& db, int32_t& f) { uint32_t id; return db.GetUserIdNick("lucky", id, f); },
       [](CStovaConn& db, int32_t& f) { uint32_t id; return db.GetUserIdNick(nullptr, id, f); }, STOVA_ERR_ARGUMENT},
      {"UserLogin",
       [](CStovaConn& db, int32_t& f) { uint32_t id, c = 0; return db.UserLogin("vorrin", "pw-vorrin", "", "", "", "", 0, id, c, "", "", "", "", "", f); },
       [](CStovaConn& db, int32_t& f) { uint32_t id, c = 0; return db.UserLogin("vorrin", nullptr, "", "", "", "", 0, id, c, "", "", "", "", "", f); },
       STOVA_ERR_ARGUMENT},
      {"GetUserInfo", [&](CStovaConn& db, int32_t& f) { c2stovaUser u, *p = &u; return db.GetUserInfo(member, p, f); },
       [](CStovaConn& db, int32_t& f) { c2stovaUser* p = nullptr; return db.GetUserInfo(0, p, f); }, STOVA_ERR_ARGUMENT},
      {"UpdateUserInfo",
       [&](CStovaConn& db, int32_t& f) { c2stovaUser u = MakeUser("vorrin", "Lucky"); return db.UpdateUserInfo(member, &u, "", "", "", f); },
       [](CStovaConn& db, int32_t& f) { c2stovaUser u = MakeUser("ghost"); return db.UpdateUserInfo(999, &u, "", "", "", f); },
       STOVA_ERR_NOT_FOUND},
      {"CreateUser",
       [](CStovaConn& db, int32_t& f) { c2stovaUser u = MakeUser("second"); uint32_t id = 0; return db.CreateUser(&u, id, "", "", "", "", "", "", "", f); },
       [](CStovaConn& db, int32_t& f) { c2stovaUser u = MakeUser("Second"); uint32_t id = 0; return db.CreateUser(&u, id, "", "", "", "", "", "", "", f); },
       STOVA_ERR_DUPLICATE},
      {"GetUserCash", [&](CStovaConn& db, int32_t& f) { TStovaMoney m; return db.GetUserCash(member, m, f); },
       [](CStovaConn& db, int32_t& f) { TStovaMoney m; return db.GetUserCash(0x80000001u, m, f); }, STOVA_ERR_ARGUMENT},
      {"SetUserCash", [&](CStovaConn& db, int32_t& f) { return db.SetUserCash(member, one, f); },
       [&](CStovaConn& db, int32_t& f) { return db.SetUserCash(999, one, f); }, STOVA_ERR_NOT_FOUND},
      {"IncUserCash", [&](CStovaConn& db, int32_t& f) { return db.IncUserCash(member, one, 0, f, 0); },
       [&](CStovaConn& db, int32_t& f) { return db.IncUserCash(member, flagged, 0, f, 0); }, STOVA_ERR_OVERFLOW},
      {"DecIncUserCash", [&](CStovaConn& db, int32_t& f) { return db.DecIncUserCash(member, one, 50, one, 54, f); },
       [&](CStovaConn& db, int32_t& f) { return db.DecIncUserCash(999, one, 50, one, 54, f); }, STOVA_ERR_NOT_FOUND},
      {"PracticeSetUserCash", [&](CStovaConn& db, int32_t& f) { return db.PracticeSetUserCash(member, one, f); },
       [&](CStovaConn& db, int32_t& f) { return db.PracticeSetUserCash(0, one, f); }, STOVA_ERR_ARGUMENT},
      {"CreateTable", [&](CStovaConn& db, int32_t& f) { uint32_t id; return db.CreateTable(&table, 0, id, f); },
       [](CStovaConn& db, int32_t& f) { uint32_t id; return db.CreateTable(nullptr, 0, id, f); }, STOVA_ERR_ARGUMENT},
      {"GetTableInfo", [&](CStovaConn& db, int32_t& f) { c2stovaTable t; return db.GetTableInfo(5001, &t, f); },
       [](CStovaConn& db, int32_t& f) { return db.GetTableInfo(5001, nullptr, f); }, STOVA_ERR_ARGUMENT},
      {"UpdateTableInfo", [&](CStovaConn& db, int32_t& f) { return db.UpdateTableInfo(5001, &table, f); },
       [&](CStovaConn& db, int32_t& f) { return db.UpdateTableInfo(5002, &table, f); }, STOVA_ERR_NOT_FOUND},
      {"SetTableOwner", [&](CStovaConn& db, int32_t& f) { return db.SetTableOwner(5001, member, f); },
       [](CStovaConn& db, int32_t& f) { return db.SetTableOwner(0, 1, f); }, STOVA_ERR_ARGUMENT},
      {"SetTableUser", [&](CStovaConn& db, int32_t& f) { f = 1; return db.SetTableUser(5001, 2, member); },
       [](CStovaConn& db, int32_t& f) { f = 0; return db.SetTableUser(5001, -2, 1); }, STOVA_ERR_ARGUMENT},
      {"SetReservedTableId", [&](CStovaConn& db, int32_t& f) { uint32_t t = 5001; return db.SetReservedTableId(member, t, f); },
       [](CStovaConn& db, int32_t& f) { uint32_t t = 5001; return db.SetReservedTableId(999, t, f); }, STOVA_ERR_NOT_FOUND},
      {"WriteRaw", [&](CStovaConn& db, int32_t& f) { return db.WriteRaw(member, 5001, "varStore", 0, &byte, 1, f); },
       [&](CStovaConn& db, int32_t& f) { return db.WriteRaw(member, 5001, "varStore", 0, nullptr, 1, f); }, STOVA_ERR_ARGUMENT},
      {"CountUserRaw", [&](CStovaConn& db, int32_t& f) { int32_t n; return db.CountUserRaw(member, "varStore", n, f); },
       [&](CStovaConn& db, int32_t& f) { int32_t n; return db.CountUserRaw(member, nullptr, n, f); }, STOVA_ERR_ARGUMENT},
      {"ReadRaw",
       [&](CStovaConn& db, int32_t& f) { uint8_t* d = nullptr; uint32_t n; int32_t r = db.ReadRaw(member, "varStore", 0, d, n, f); delete[] d; return r; },
       [&](CStovaConn& db, int32_t& f) { uint8_t* d = nullptr; uint32_t n; return db.ReadRaw(0, "varStore", 0, d, n, f); }, STOVA_ERR_ARGUMENT},
      {"DeleteRaw", [&](CStovaConn& db, int32_t& f) { return db.DeleteRaw(member, "varStore", 0, f); },
       [&](CStovaConn& db, int32_t& f) { return db.DeleteRaw(member, "varStore", -1, f); }, STOVA_ERR_ARGUMENT},
      {"BeginTransaction", [](CStovaConn& db, int32_t& f) { f = 1; return db.BeginTransaction(); },
       [](CStovaConn& db, int32_t& f) {
         f = 0;
         db.BeginTransaction();
         const int32_t nested = db.BeginTransaction();
         db.EndTransaction(0);
         return nested;
       },
       STOVA_ERR_TRANSACTION},
      {"EndTransaction", [](CStovaConn& db, int32_t& f) { f = 1; return db.EndTransaction(1); },
       [](CStovaConn& db, int32_t& f) { f = 0; return db.EndTransaction(1); }, STOVA_ERR_TRANSACTION},
      {"DeleteTable", [](CStovaConn& db, int32_t& f) { return db.DeleteTable(5001, f); },
       [](CStovaConn& db, int32_t& f) { return db.DeleteTable(0, f); }, STOVA_ERR_ARGUMENT},
      {"PlayerProtectionGetLimitStatus",
       [&](CStovaConn& db, int32_t& f) { SPlayerProtectionLimitStatus s; return db.PlayerProtectionGetLimitStatus(member, s, f); },
       [](CStovaConn& db, int32_t& f) { SPlayerProtectionLimitStatus s; return db.PlayerProtectionGetLimitStatus(999, s, f); },
       STOVA_ERR_NOT_FOUND},
      {"PlayerHistoryGetFlag", [](CStovaConn& db, int32_t& f) { uint32_t flag; return db.PlayerHistoryGetFlag(5001, flag, f); },
       [](CStovaConn& db, int32_t& f) { uint32_t flag; return db.PlayerHistoryGetFlag(0, flag, f); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryGetNewTableSession", [](CStovaConn& db, int32_t& f) { int32_t s; return db.PlayerHistoryGetNewTableSession(5001, s, f); },
       [](CStovaConn& db, int32_t& f) { int32_t s; return db.PlayerHistoryGetNewTableSession(0, s, f); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryGetNewPlayerSession",
       [&](CStovaConn& db, int32_t& f) { int32_t s; return db.PlayerHistoryGetNewPlayerSession(member, 5001, s, f); },
       [](CStovaConn& db, int32_t& f) { int32_t s; return db.PlayerHistoryGetNewPlayerSession(0, 5001, s, f); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryInsert",
       [&](CStovaConn& db, int32_t& f) { return db.PlayerHistoryInsert(member, 5001, 1, 0, "SEAT=0;", "", "", "", f); },
       [&](CStovaConn& db, int32_t& f) { return db.PlayerHistoryInsert(member, 5001, 1, 0, nullptr, "", "", "", f); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryEndTableSession", [](CStovaConn& db, int32_t& f) { return db.PlayerHistoryEndTableSession(5001, f); },
       [](CStovaConn& db, int32_t& f) { return db.PlayerHistoryEndTableSession(0x80000000u, f); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryGetPlayerSessions",
       [&](CStovaConn& db, int32_t& f) { CLList rows; int32_t n; int32_t r = db.PlayerHistoryGetPlayerSessions(member, 0, 0, 0, 10, &rows, n); f = n == 1; FreeRows<SPlayerHistorySessionRow>(rows); return r; },
       [&](CStovaConn& db, int32_t& f) { int32_t n; f = 0; return db.PlayerHistoryGetPlayerSessions(member, 0, 0, 0, 10, nullptr, n); }, STOVA_ERR_ARGUMENT},
      {"PlayerHistoryGetPlayerSessionData",
       [](CStovaConn& db, int32_t& f) { CLList rows; int32_t n; int32_t r = db.PlayerHistoryGetPlayerSessionData(1, 0, 10, &rows, n); f = n == 1; FreeRows<SPlayerHistoryDataRow>(rows); return r; },
       [](CStovaConn& db, int32_t& f) { CLList rows; int32_t n; f = 0; return db.PlayerHistoryGetPlayerSessionData(0, 0, 10, &rows, n); }, STOVA_ERR_ARGUMENT},
      {"Disconnect", [](CStovaConn& db, int32_t& f) { f = 1; return db.Disconnect(); }, nullptr, 0},
  };

  for (const SOperation& op : ops) {
    int32_t flag = -1;
    EXPECT_EQ(op.good(m_Db, flag), 1) << op.name;
    EXPECT_EQ(flag, 1) << op.name;
    for (const c2stovaError& e : DrainErrors(m_Db)) ADD_FAILURE() << op.name << ": " << e.GetText();
  }
  // Every bad call in turn, the queue read only at the end: one record each, in call order.
  std::vector<const SOperation*> failing;
  for (const SOperation& op : ops) {
    if (!op.bad || op.badCode < 0) continue;
    int32_t flag = -1;
    EXPECT_EQ(op.bad(m_Db, flag), 0) << op.name;
    EXPECT_EQ(flag, 0) << op.name;
    failing.push_back(&op);
  }
  const std::vector<c2stovaError> errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), failing.size());
  for (size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].m_Code, failing[i]->badCode) << failing[i]->name << ": " << errors[i].GetText();
    EXPECT_NE(std::string(errors[i].GetText()).find(failing[i]->name), std::string::npos)
        << "the record names the call: " << errors[i].GetText();
  }
}
}  // namespace
