#include "gameinfo.h"

#include "common/updater/gamestxtmodule.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
constexpr int32_t kTableIds = 10000;
constexpr int32_t kGamesListScale = 1000;
}  // namespace

bool xHistoryListGameId(int32_t gameId, int32_t& listId) {
  const int64_t id = gameId >= kTableIds ? int64_t{gameId} / kGamesListScale * kGamesListScale
                                         : int64_t{gameId} * kGamesListScale;
  if (id < INT32_MIN || id > INT32_MAX) return false;
  listId = static_cast<int32_t>(id);
  return true;
}

int32_t xHistoryGameType(int32_t gameId) { return gameId >= kTableIds ? gameId / kGamesListScale : gameId; }

CGameInfo::~CGameInfo() = default;

int32_t CGameInfo::Load() {
  if (!LoadFile()) {
    xprintf("CGameInfo::Load: Failed to load modstatus.");
    return 0;
  }
  if (!m_Games.ReadGames(nullptr, 0)) {
    xprintf("CGameInfo::Load: Failed to read games.");
    return 0;
  }
  return 1;
}

GamestxtCFVModule* CGameInfo::FindGame(int32_t gameId) {
  if (gameId == -1) {
    CNode* first = m_Games.HeadNode();
    return first ? static_cast<GamestxtCFVModule*>(first->m_pData) : nullptr;
  }
  int32_t listId = 0;
  return xHistoryListGameId(gameId, listId) ? m_Games.FindByGameId(listId) : nullptr;
}

int32_t CGameInfo::HasHistoryView(int32_t gameId) {
  GamestxtCFVModule* game = FindGame(gameId);
  if (!game || !game->GetModName() || GetFlagForThisModule(game->GetModName()) != MODSTATUS_INSTALLED) return 0;
  const char* path = game->GetHistoryPath();
  return path && *path ? 1 : 0;
}

const char* CGameInfo::TableTypeName(int32_t type) const { return xHistoryTableTypeName(m_pRes, type); }

const char* xHistoryTableTypeName(const CResData* res, int32_t type) {
  static constexpr const char* kNames[] = {"STR_TABLETYPEPUBLIC",   "STR_TABLETYPERESERVED",
                                           "STR_TABLETYPEPRIVATE",  "STR_TABLETYPEPRACTICE",
                                           "STR_TABLETYPEPRACTICEPRIVATE", "STR_TABLETYPERESTORED"};
  constexpr int32_t kLast = static_cast<int32_t>(sizeof kNames / sizeof kNames[0]) - 1;
  const char* name = kNames[type < 0 ? 0 : type > kLast ? kLast : type];
  return res ? res->GetResString(name, "") : "";
}
