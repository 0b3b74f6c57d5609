#include "forfunplayer.h"

#include <cstdio>

#include "stova/stovaconn.h"

namespace {
constexpr uint32_t kOneDeckType = 1022;
// The table settings a new player's first table gets: the lowest bet limits, the longer decision time.
constexpr int32_t kLimitLevel = 1;
constexpr int32_t kTimeLevel = 2;
}  // namespace

uint32_t EnsureForFunPlayer(CStovaConn& db, const char* name, const char* startCash) {
  uint32_t id = 0;
  int32_t found = 0;
  if (!db.GetUserId(name, id, found)) return 0;
  if (found) return id;
  c2stovaUser user;
  snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
  snprintf(user.m_Nickname, sizeof user.m_Nickname, "%s", name);
  user.m_Cash = TStovaMoney(startCash);
  int32_t ok = 0;
  if (!db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) || !ok) return 0;
  return id;
}

int32_t EnsureTableRecord(CStovaConn& db, uint32_t tableId, uint32_t owner) {
  c2stovaTable record;
  int32_t found = 0;
  if (!db.GetTableInfo(tableId, &record, found)) return 0;
  if (found) return 1;
  record = c2stovaTable();
  record.m_TableId = tableId;
  record.m_Owner = owner;
  // The one-deck game runs at private tables only; its parser refuses any other kind.
  record.m_TableType = tableId / 1000 == kOneDeckType ? STOVA_TABLE_PRIVATE : STOVA_TABLE_PRACTICE;
  record.m_PlayerSettings[1] = kLimitLevel;
  record.m_PlayerSettings[2] = kTimeLevel;
  uint32_t id = 0;
  int32_t ok = 0;
  return db.CreateTable(&record, 0, id, ok) && ok;
}
