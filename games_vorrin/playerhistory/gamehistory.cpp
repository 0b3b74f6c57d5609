#include "gamehistory.h"

#include "historyrecord.h"
#include "ostrel/system/debug.h"
#include "roundtext.h"

CGameHistory::~CGameHistory() = default;

int32_t CGameHistory::ParseHistoryData(THistoryRecord* record, CLList& rows) {
  if (!record) {
    xprintf("CGameHistory::ParseHistoryData: No header rows in the base.");
    return 0;
  }
  switch (record->m_Kind) {
    case PLAYERHISTORY_NEW_ROUND:
      return HandleNewRound(record, rows);
    case PLAYERHISTORY_ENTER_GAME:
      return HandleEnterGame(record, rows);
    case PLAYERHISTORY_EXIT_GAME:
      return HandleExitGame(record, rows);
    case PLAYERHISTORY_USER_CRASHED:
      return HandleUserCrashed(record, rows);
    default:
      return HandleRoundData(record, rows);
  }
}

int32_t CGameHistory::HandleNewRound(THistoryRecord* record, CLList&) {
  // Values come from the server: the difference wraps in 32 bits rather than overflow.
  m_RoundNumber = static_cast<int32_t>(static_cast<uint32_t>(record->m_Value) - static_cast<uint32_t>(m_BaseValue));
  return 1;
}

int32_t CGameHistory::HandleEnterGame(THistoryRecord* record, CLList&) {
  m_BaseValue = record->m_Value;
  m_RoundNumber = 1;
  return 1;
}

int32_t CGameHistory::HandleExitGame(THistoryRecord*, CLList&) { return 1; }
int32_t CGameHistory::HandleUserCrashed(THistoryRecord*, CLList&) { return 1; }
int32_t CGameHistory::HandleRoundData(THistoryRecord*, CLList&) { return 1; }

int32_t CGameHistory::GetKeyMoney(const char* text, const char* key, char* out, size_t size) const {
  return ::GetKeyMoney(m_Translate, text, key, out, size);
}
