#include "gamesessionshistory.h"

#include <cstring>
#include <new>
#include <string>

#include "common/updater/gamestxtmodule.h"
#include "historyrecord.h"
#include "historyrow.h"
#include "ostrel/containers/llist.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "roundtext.h"

namespace {
// The module's empty games-list entry: made with the module, gone with it.
GamestxtCFVModule& EmptyGame() {
  static GamestxtCFVModule empty;
  return empty;
}
}  // namespace

CGameSessionsHistory::CGameSessionsHistory(CResData* res) : CGameHistoryDisplay(res, &EmptyGame()) {}

CGameSessionsHistory::~CGameSessionsHistory() = default;

int32_t CGameSessionsHistory::InitGraphics(CDialog*) { return 1; }
void CGameSessionsHistory::ShowRound(CBitmap*, int32_t, int32_t, CLList&) {}
const char* CGameSessionsHistory::GetHistoryResPath() { return HISTORY_SESSIONS_SCRIPT; }

int32_t CGameSessionsHistory::ParseHistoryData(THistoryRecord* record, CLList& rows) {
  if (!record) {
    CHistoryRow* header = ReadGameColumnData();
    if (!header) {
      xprintf("CGameSessionsHistory::ParseHistoryData: Failed to get column data.");
      return 0;
    }
    if (!rows.InsertLast(header)) {
      delete header;
      return 0;
    }
    m_pGameInfo.reset(new (std::nothrow) CGameInfo);
    if (!m_pGameInfo) {
      xprintf("CGameSessionsHistory::ParseHistoryData: Unable to allocate memrory for m_pGameInfo.");
      return 0;
    }
    m_pGameInfo->SetResources(GetResources());
    if (!m_pGameInfo->Load()) {
      xprintf("CGameSessionsHistory::ParseHistoryData: Failed to load m_pGameInfo.");
      return 0;
    }
    return 1;
  }
  if (!m_pGameInfo) {
    xprintf("CGameSessionsHistory::ParseHistoryData: No CGameInfo object!");
    return 0;
  }

  const CResData* res = GetResources();
  std::string game;
  if (GamestxtCFVModule* entry = m_pGameInfo->FindGame(record->m_GameId)) {
    game = entry->GetShowName() ? entry->GetShowName() : "";
    if (!m_pGameInfo->HasHistoryView(record->m_GameId))
      game += res ? res->GetResString(HISTORY_STRING_NOT_AVAILABLE, " (N/A)") : " (N/A)";
  } else {
    game = res ? res->GetResString(HISTORY_STRING_UNKNOWN_GAME, "Unrecognized game") : "Unrecognized game";
  }
  const std::string name(record->m_Name, strnlen(record->m_Name, sizeof record->m_Name));
  char rounds[HISTORY_VALUE_SIZE];
  GetKeyString(record->RoundText(), "ROUNDCOUNT=", rounds);

  AddCell(game.c_str(), nullptr);
  AddCell(name.c_str(), nullptr);
  AddCell(m_pGameInfo->TableTypeName(GetKeyLong(record->RoundText(), "TABLETYPE=")), nullptr);
  AddCell(rounds, nullptr);
  CHistoryRow* row = EndRow();
  if (!row) return 1;
  if (!row->GetRecords().InsertLast(record) || !rows.InsertLast(row)) {
    delete row;
    return 0;
  }
  return 1;
}
