#include "historygrid.h"

#include <new>

#include "common/updater/gamestxtmodule.h"
#include "gameinfo.h"
#include "gamesessionshistory.h"
#include "historyrecord.h"
#include "historyrow.h"
#include "ostrel/containers/llist.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "viewfactory.h"

namespace {
// Rows a parse made but nobody took.
void DeleteRows(CLList& rows) {
  for (CNode* n = rows.HeadNode(); n; n = n->m_pNext) delete static_cast<CHistoryRow*>(n->m_pData);
  rows.KillAll();
}
}  // namespace

CHistoryGrid::CHistoryGrid(CDialog* window, CResData* res, CGameInfo* info)
    : m_pWindow(window), m_pRes(res), m_pInfo(info) {}

CHistoryGrid::~CHistoryGrid() = default;

std::unique_ptr<CGameHistoryDisplay> CHistoryGrid::TakeView() { return std::move(m_pView); }

bool CHistoryGrid::AddRecordRows(THistoryRecord* record) {
  CLList rows;
  if (!m_pView->ParseHistoryData(record, rows)) {
    DeleteRows(rows);
    return false;
  }
  m_pView->AddRows(rows);
  return true;
}

bool CHistoryGrid::SwitchView(int32_t type) {
  // The old view goes first: its controls leave the window before the new view's arrive.
  m_pView.reset();
  GamestxtCFVModule* game = m_pInfo ? m_pInfo->FindGame(type) : nullptr;
  m_pView.reset(xCreateHistoryView(type, m_pRes, game));
  if (!m_pView) return xHasHistoryViewMaker(type) == 0;
  if (!m_pView->InitGraphics(m_pWindow) || !AddRecordRows(nullptr)) {
    m_pView.reset();
    return false;
  }
  return true;
}

int32_t CHistoryGrid::Build(CLList& records, int32_t sessionList, int32_t openedTableType) {
  m_pView.reset();
  m_Status.clear();
  bool haveType = false;
  int32_t viewType = 0;
  for (CNode* n = records.HeadNode(); n; n = n->m_pNext) {
    auto* record = static_cast<THistoryRecord*>(n->m_pData);
    if (!record) continue;
    if (sessionList) {
      if (!m_pView) {
        m_pView.reset(new (std::nothrow) CGameSessionsHistory(m_pRes));
        if (!m_pView || !AddRecordRows(nullptr)) {
          m_pView.reset();
          return 0;
        }
      }
    } else {
      // Records carry a table id or the type itself; both name the same view.
      const int32_t type = xHistoryGameType(record->m_GameId);
      if (!haveType || type != viewType) {
        haveType = true;
        viewType = type;
        if (!SwitchView(type)) return 0;
      }
    }
    if (m_pView && !AddRecordRows(record)) {
      xprintf("CPlayerHistory::SetupGameHistoryGrid: ParseHistoryData failed!");
      m_pView.reset();
      return 0;
    }
  }
  SetStatus(openedTableType);
  if (m_pView) m_pView->SortForDisplay();
  return 1;
}

void CHistoryGrid::SetStatus(int32_t openedTableType) {
  if (!m_pView) {
    m_Status = m_pRes ? m_pRes->GetResString(HISTORY_STRING_NO_DATA, "No history data found.")
                      : "No history data found.";
    return;
  }
  if (dynamic_cast<CGameSessionsHistory*>(m_pView.get())) {
    m_Status = m_pRes ? m_pRes->GetResString(HISTORY_STRING_SESSIONS, "") : "";
    return;
  }
  const GamestxtCFVModule* game = m_pInfo ? m_pInfo->FindGame(m_pView->GetGameId()) : nullptr;
  m_Status = game && game->GetShowName() ? game->GetShowName() : "";
  if (openedTableType != -1) {
    m_Status += " (";
    m_Status += xHistoryTableTypeName(m_pRes, openedTableType);
    m_Status += ")";
  }
}
