// The session list's view: one row per session with the game's name, the table's name, the
// table type and the number of rounds, laid out by "xrs\games_history.xrs".
#pragma once

#include <cstdint>
#include <memory>

#include "gamehistorydisplay.h"
#include "gameinfo.h"

inline constexpr const char* HISTORY_SESSIONS_SCRIPT = "xrs\\games_history.xrs";
// Strings of the window's script: the mark of a game without a history view, and the name of a
// game the games list does not know.
inline constexpr int32_t HISTORY_STRING_NOT_AVAILABLE = 3006;
inline constexpr int32_t HISTORY_STRING_UNKNOWN_GAME = 3007;

class CGameSessionsHistory : public CGameHistoryDisplay {
 public:
  // The window's script (borrowed); the view's game is an empty games-list entry (id 0).
  explicit CGameSessionsHistory(CResData* res);
  ~CGameSessionsHistory() override;

  // Null: the header row, and the games information loaded. A session: its row.
  int32_t ParseHistoryData(THistoryRecord* record, CLList& rows) override;
  int32_t InitGraphics(CDialog* host) override;
  void ShowRound(CBitmap* target, int32_t x, int32_t y, CLList& records) override;
  const char* GetHistoryResPath() override;

  CGameInfo* GetGameInfo() const { return m_pGameInfo.get(); }

 private:
  std::unique_ptr<CGameInfo> m_pGameInfo;
};
