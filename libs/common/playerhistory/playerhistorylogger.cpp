#include "common/playerhistory/playerhistorylogger.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "ostrel/system/debug.h"

namespace {
// The part of text from offset on, at most PLAYERHISTORY_PART_SIZE characters, with every quote
// doubled: the database reads each pair back as one quote.
std::string QuotedPart(std::string_view text, size_t offset) {
  std::string part;
  if (offset >= text.size()) return part;
  const std::string_view piece = text.substr(offset, PLAYERHISTORY_PART_SIZE);
  part.reserve(piece.size() * 2);
  for (char c : piece) {
    part += c;
    if (c == '\'') part += c;
  }
  return part;
}
}  // namespace

CPlayerHistoryLogger::~CPlayerHistoryLogger() { FreeSeats(); }

void CPlayerHistoryLogger::FreeSeats() {
  if (m_pClicks)
    for (int32_t i = 0; i < m_NumSeats; ++i) delete m_pClicks[i];
  delete[] m_pClicks;
  delete[] m_pSeatPlayers;
  m_pClicks = nullptr;
  m_pSeatPlayers = nullptr;
  m_NumSeats = 0;
}

int32_t CPlayerHistoryLogger::Init(CStovaConn* db, int32_t tableId, int32_t seats) {
  if (m_pStova || m_Flag || !db) return 1;
  m_pStova = db;
  m_TableId = tableId;
  uint32_t flag = 0;
  int32_t status = 0;
  const int32_t result = db->PlayerHistoryGetFlag(static_cast<uint32_t>(tableId), flag, status);
  if (!xStovaCallOk(db, result, status, "CPlayerHistoryLogger::Init: stova error: %s",
                    "CPlayerHistoryLogger::Init: stova call returned false"))
    return 0;
  m_Flag = flag;
  if (!m_Flag) return 1;

  if (seats < 0 || seats > PLAYERHISTORY_MAX_SEATS) {
    xprintf("CPlayerHistoryLogger::Init: %d seats cannot be logged", seats);
    m_Flag = 0;
    return 0;
  }
  m_pSeatPlayers = new (std::nothrow) int32_t[static_cast<size_t>(seats) + 1]();
  m_pClicks = new (std::nothrow) SBetClicks*[static_cast<size_t>(seats) + 1]();
  m_NumSeats = seats;
  bool ok = m_pSeatPlayers && m_pClicks;
  for (int32_t i = 0; ok && i < seats; ++i) ok = (m_pClicks[i] = new (std::nothrow) SBetClicks()) != nullptr;
  if (!ok) {
    xprintf("CPlayerHistoryLogger::Init: out of memory");
    FreeSeats();
    m_Flag = 0;
    return 0;
  }

  const int32_t opened = db->PlayerHistoryGetNewTableSession(static_cast<uint32_t>(tableId), m_TableSession, status);
  return xStovaCallOk(db, opened, status, "CPlayerHistoryLogger::Init: stova error: %s",
                      "CPlayerHistoryLogger::Init: stova call returned false");
}

int32_t CPlayerHistoryLogger::Exit() {
  if (!m_pStova || !m_Flag || m_TableId == -1) return 1;
  int32_t status = 0;
  const int32_t result = m_pStova->PlayerHistoryEndTableSession(static_cast<uint32_t>(m_TableId), status);
  return xStovaCallOk(m_pStova, result, status, "CPlayerHistoryLogger::Exit: stova error: %s",
                      "CPlayerHistoryLogger::Exit: stova call returned false");
}

void CPlayerHistoryLogger::ResetSeat(int32_t seat, int32_t playerId) {
  if (!ValidSeat(seat)) return;
  m_pClicks[seat]->m_Count = 0;
  m_pSeatPlayers[seat] = playerId;
}

int32_t CPlayerHistoryLogger::LogEnterGame(int32_t playerId, int32_t seat) {
  if (!m_Flag) return 1;
  ResetSeat(seat, playerId);
  int32_t session = 0, status = 0;
  const int32_t result = m_pStova->PlayerHistoryGetNewPlayerSession(static_cast<uint32_t>(playerId),
                                                                    static_cast<uint32_t>(m_TableId), session, status);
  if (!xStovaCallOk(m_pStova, result, status, "CPlayerHistoryLogger::LogEnterGame: stova error: %s",
                    "CPlayerHistoryLogger::LogEnterGame: stova call returned false"))
    return 0;
  return LogData(playerId, seat, PLAYERHISTORY_ENTER_GAME, CString(""));
}

int32_t CPlayerHistoryLogger::LogLeave(int32_t playerId, int32_t seat, int32_t type) {
  ResetSeat(seat, 0);
  return LogData(playerId, seat, type, CString(""));
}

int32_t CPlayerHistoryLogger::LogExitGame(int32_t playerId, int32_t seat) {
  return LogLeave(playerId, seat, PLAYERHISTORY_EXIT_GAME);
}

int32_t CPlayerHistoryLogger::LogUserCrashed(int32_t playerId, int32_t seat) {
  return LogLeave(playerId, seat, PLAYERHISTORY_USER_CRASHED);
}

int32_t CPlayerHistoryLogger::LogNewRound(int32_t playerId, int32_t seat) {
  return LogData(playerId, seat, PLAYERHISTORY_NEW_ROUND, CString(""));
}

int32_t CPlayerHistoryLogger::LogData(int32_t playerId, int32_t seat, int32_t type, const CString& text) {
  if (!m_Flag || playerId == 0) return 1;
  if (!m_pStova) {
    xprintf("CPlayerHistoryLogger::LogPlayerHistory: No stova object!");
    return 0;
  }
  std::string row;
  if (ValidSeat(seat)) row = "SEAT=" + std::to_string(seat) + ";";
  row.append(static_cast<const char*>(text), text.Length());
  if (row.size() > size_t{PLAYERHISTORY_PARTS} * PLAYERHISTORY_PART_SIZE)
    xprintf("CPlayerHistoryLogger::LogPlayerHistory: %zu characters cut to %d", row.size(),
            PLAYERHISTORY_PARTS * PLAYERHISTORY_PART_SIZE);

  std::string parts[PLAYERHISTORY_PARTS];
  for (int32_t i = 0; i < PLAYERHISTORY_PARTS; ++i) parts[i] = QuotedPart(row, size_t(i) * PLAYERHISTORY_PART_SIZE);
  int32_t status = 0;
  const int32_t result = m_pStova->PlayerHistoryInsert(static_cast<uint32_t>(playerId),
                                                       static_cast<uint32_t>(m_TableId), m_Round, type,
                                                       parts[0].c_str(), parts[1].c_str(), parts[2].c_str(),
                                                       parts[3].c_str(), status);
  return xStovaCallOk(m_pStova, result, status, "LogPlayerHistory: stova call returned error:%s",
                      "LogPlayerHistory: stova call returned FALSE");
}

int32_t CPlayerHistoryLogger::BetClick(int32_t seat, TMoney amount, int32_t value) {
  if (!m_Flag) return 1;
  if (!ValidSeat(seat)) return 0;
  SBetClicks& clicks = *m_pClicks[seat];
  if (clicks.m_Count >= PLAYERHISTORY_MAX_CLICKS) return 1;
  clicks.m_Amounts[clicks.m_Count] = amount;
  clicks.m_Values[clicks.m_Count] = value;
  ++clicks.m_Count;
  return 1;
}

int32_t CPlayerHistoryLogger::LogBetClicks(int32_t playerId, int32_t seat) {
  if (!m_Flag) return 1;
  if (!ValidSeat(seat)) return 0;
  SBetClicks& clicks = *m_pClicks[seat];
  if (clicks.m_Count == 0) return 1;
  CString text;
  for (int32_t i = 0; i < clicks.m_Count; ++i) {
    if (i) text << ",";
    text << clicks.m_Amounts[i] << "," << clicks.m_Values[i];
  }
  text << ";";
  clicks.m_Count = 0;
  return LogData(playerId, seat, PLAYERHISTORY_BET_CLICKS, text);
}

int32_t CPlayerHistoryLogger::ClearBetClicks(int32_t seat) {
  if (!m_Flag) return 1;
  if (!ValidSeat(seat)) return 0;
  m_pClicks[seat]->m_Count = 0;
  return 1;
}

int32_t CPlayerHistoryLogger::IsLoggingPlayer(int32_t playerId) const {
  if (!m_pSeatPlayers || playerId == 0) return 0;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (m_pSeatPlayers[i] == playerId) return 1;
  return 0;
}

int32_t CPlayerHistoryLogger::NumBetClicks(int32_t seat) const { return ValidSeat(seat) ? m_pClicks[seat]->m_Count : 0; }
