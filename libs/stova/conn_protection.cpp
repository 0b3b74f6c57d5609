// Player protection: each member's loss limits, session limit and self-exclusion.
#include "stova/connimpl.h"
#include "stova/stovaconn.h"

int32_t CStovaConn::PlayerProtectionGetLimitStatus(uint32_t userId, SPlayerProtectionLimitStatus& status, int32_t& ok) {
  ok = 0;
  if (!ValidId(userId, "PlayerProtectionGetLimitStatus", "member") || !IsOpen()) return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("PlayerProtectionGetLimitStatus");
  bool exists = false;
  if (!UserExists(userId, exists)) return FailEngine("PlayerProtectionGetLimitStatus");
  if (!exists) return Fail(STOVA_ERR_NOT_FOUND, "PlayerProtectionGetLimitStatus: no member %u", userId);
  {
    CStovaQuery insert(m_pDb->Statement(STMT_PROTECTION_INSERT));
    insert.Bind(userId);
    if (insert.Step() != SQLITE_DONE) return FailEngine("PlayerProtectionGetLimitStatus");
  }
  SPlayerProtectionLimitStatus read;
  {
    CStovaQuery q(m_pDb->Statement(STMT_PROTECTION_READ));
    q.Bind(userId);
    if (q.Step() != SQLITE_ROW) return FailEngine("PlayerProtectionGetLimitStatus");
    TStovaMoney* losses[] = {&read.LossPerDay, &read.LossPerWeek, &read.LossPerMonth,
                             &read.LossThisDay, &read.LossThisWeek, &read.LossThisMonth};
    for (int i = 0; i < 6; ++i)
      if (!StovaReadMoney(q, i, *losses[i]))
        return Fail(STOVA_ERR_DAMAGED_VALUE, "PlayerProtectionGetLimitStatus: member %u has a limit that is not money", userId);
    read.MaxSessionTime = static_cast<int32_t>(q.Int(6));
    read.SelfExclusion = static_cast<int32_t>(q.Int(7));
  }
  if (!txn.Commit()) return FailEngine("PlayerProtectionGetLimitStatus");
  status = read;
  ok = 1;
  return 1;
}
