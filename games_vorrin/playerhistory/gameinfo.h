// Which games exist and which can be opened in the play history: the module status file and the
// games list. A game has a history view when it is installed (status 1) and its entry names a
// history script.
#pragma once

#include <cstdint>

#include "common/updater/games.h"
#include "common/updater/modstatus.h"

class CResData;
class GamestxtCFVModule;

class CGameInfo : public CKCBLModStatus {
 public:
  CGameInfo() = default;
  ~CGameInfo() override;

  // Loads "modstatus.lst" and reads the games list (no module list); 0 when either fails.
  int32_t Load();
  // -1 gives the list's first entry. Another id is put in the list's form first (a table id,
  // 10000 and above, becomes its type x 1000, a type is multiplied by 1000); the first entry of
  // that id, null when none (id 0 names no game).
  GamestxtCFVModule* FindGame(int32_t gameId);
  // 1 when the game is listed, its module installed (status 1) and it has a history script. A
  // module the status file lacks is added to it as not installed.
  int32_t HasHistoryView(int32_t gameId);
  // The name of a table type from the script given by SetResources (empty without one).
  const char* TableTypeName(int32_t type) const;
  // The window's script, for the table-type names (borrowed).
  void SetResources(const CResData* res) { m_pRes = res; }

  CGames& GetGames() { return m_Games; }

 private:
  CGames m_Games;
  const CResData* m_pRes = nullptr;
};

// The games-list id of a game id, a table id or a type: table ids (10000 and above) lose their
// table number, types are scaled by 1000; false when the result does not fit 32 bits.
bool xHistoryListGameId(int32_t gameId, int32_t& listId);
// The name of a table type among the strings of res (0 and below public, 1 reserved, 2 private,
// 3 practice, 4 practice private, 5 and above restored); empty when res lacks it or is null.
const char* xHistoryTableTypeName(const CResData* res, int32_t type);
// The game type of a record's game id: a table id divided by 1000, else the id itself.
int32_t xHistoryGameType(int32_t gameId);
