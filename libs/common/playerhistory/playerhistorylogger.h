// The play-history logger of a server table: one history row per event of a player at the table
// (entering, leaving, crashing, each round, the bets clicked), written through the table's
// database connection. A table whose database says it keeps no history has a logger that
// silently accepts every call.
#pragma once

#include <cstdint>

#include "ostrel/base/cstring.h"
#include "ostrel/base/money.h"

class CStovaConn;

// Event types of the history rows.
inline constexpr int32_t PLAYERHISTORY_NEW_ROUND = 0;
inline constexpr int32_t PLAYERHISTORY_ENTER_GAME = 1;
inline constexpr int32_t PLAYERHISTORY_EXIT_GAME = 2;
inline constexpr int32_t PLAYERHISTORY_USER_CRASHED = 3;
inline constexpr int32_t PLAYERHISTORY_BET_CLICKS = 4;

// Bet clicks a seat keeps per round; later ones are dropped.
inline constexpr int32_t PLAYERHISTORY_MAX_CLICKS = 100;
// A row's text goes to the database in this many parts of this many characters; text beyond
// them is not stored.
inline constexpr int32_t PLAYERHISTORY_PARTS = 4;
inline constexpr int32_t PLAYERHISTORY_PART_SIZE = 255;
// Seats a logger takes (the database's limit).
inline constexpr int32_t PLAYERHISTORY_MAX_SEATS = 256;

class CPlayerHistoryLogger {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CPlayerHistoryLogger() = default;
  virtual ~CPlayerHistoryLogger();
  CPlayerHistoryLogger(const CPlayerHistoryLogger&) = delete;
  CPlayerHistoryLogger& operator=(const CPlayerHistoryLogger&) = delete;

  // Once per table: asks the database whether the table keeps history and, when it does, opens
  // the table's session. 1 at once (nothing done) when a connection or a flag is set already, or
  // when db is null; 0 when a database call fails or the seat count is outside
  // 0 .. PLAYERHISTORY_MAX_SEATS.
  int32_t Init(CStovaConn* db, int32_t tableId, int32_t seats);
  // Ends the table's session.
  int32_t Exit();

  // The player's events; seat outside the table: the row carries no seat.
  int32_t LogEnterGame(int32_t playerId, int32_t seat);
  int32_t LogExitGame(int32_t playerId, int32_t seat);
  int32_t LogUserCrashed(int32_t playerId, int32_t seat);
  int32_t LogNewRound(int32_t playerId, int32_t seat);
  // One row of the type: "SEAT=<seat>;" before the text for a seat of the table, the text cut
  // into PLAYERHISTORY_PARTS parts of PLAYERHISTORY_PART_SIZE characters, each quote doubled.
  int32_t LogData(int32_t playerId, int32_t seat, int32_t type, const CString& text);

  // Notes a click of the seat's player (amount and the game's value); 0 for a seat outside the
  // table; past PLAYERHISTORY_MAX_CLICKS the click is dropped (1).
  int32_t BetClick(int32_t seat, TMoney amount, int32_t value);
  // Writes the seat's clicks as one row ("amount,value" per click, joined by ",", then ";") and
  // clears them; 1 when there were none.
  int32_t LogBetClicks(int32_t playerId, int32_t seat);
  int32_t ClearBetClicks(int32_t seat);

  // The table's history flag (0: nothing is logged).
  uint32_t IsLogging() const { return m_Flag; }
  // 1 when the player sits on one of the seats.
  int32_t IsLoggingPlayer(int32_t playerId) const;
  void IncRound() { ++m_Round; }
  int32_t GetRound() const { return m_Round; }
  int32_t GetTableSession() const { return m_TableSession; }
  // The clicks the seat holds (0 for a seat outside the table).
  int32_t NumBetClicks(int32_t seat) const;

 private:
  struct SBetClicks {
    TMoney m_Amounts[PLAYERHISTORY_MAX_CLICKS];
    int32_t m_Values[PLAYERHISTORY_MAX_CLICKS];
    int32_t m_Count;
  };

  bool ValidSeat(int32_t seat) const { return m_pClicks && seat >= 0 && seat < m_NumSeats; }
  // Clears the seat's clicks and sets its player; nothing for a seat outside the table.
  void ResetSeat(int32_t seat, int32_t playerId);
  int32_t LogLeave(int32_t playerId, int32_t seat, int32_t type);
  void FreeSeats();

  CStovaConn* m_pStova = nullptr;
  int32_t m_TableSession = -1;
  uint32_t m_Flag = 0;
  int32_t m_Round = 0;
  int32_t m_TableId = -1;
  int32_t* m_pSeatPlayers = nullptr;
  SBetClicks** m_pClicks = nullptr;
  int32_t m_NumSeats = 0;
};
