// The play-history server of a table: answers the viewer's requests that arrive on the table's
// play-history request node with the list of a player's sessions or the events of one session.
//
// Request: item "PlayerHistory" with the values
//   "GetSessions", player id, game filter, selection, first row, rows
//   "GetPlrSessionData", player id, session, first row, rows
// Replies, inside a "PrivatePlayerData" chunk ("PlayerHistory", player id, 0):
//   chunk "PhSessionList" (ulong rows, long count) with one item "Item<n>" per row: player id,
//     session, round count, game id, table name, table type
//   chunk "PhSessionData" (ulong length of the text with its NUL, long count) with one item
//     "Data": the rows laid out as bytes (PlayerHistoryPackSessionData), LZSS-coded, UU-encoded
#pragma once

#include <cstdint>
#include <string>

class CCommNode;
class CKCBL;
class CLList;
class CStovaConn;

inline constexpr const char* PLAYERHISTORY_REQUEST = "PlayerHistory";
inline constexpr const char* PLAYERHISTORY_GETSESSIONS = "GetSessions";
inline constexpr const char* PLAYERHISTORY_GETSESSIONDATA = "GetPlrSessionData";
inline constexpr const char* PLAYERHISTORY_CHUNK_REPLY = "PrivatePlayerData";
inline constexpr const char* PLAYERHISTORY_CHUNK_SESSIONLIST = "PhSessionList";
inline constexpr const char* PLAYERHISTORY_CHUNK_SESSIONDATA = "PhSessionData";
inline constexpr const char* PLAYERHISTORY_ITEM_ROW = "Item";
inline constexpr const char* PLAYERHISTORY_ITEM_DATA = "Data";
// The player id a table passes: take the one the request names.
inline constexpr int32_t PLAYERHISTORY_PLAYER_FROM_REQUEST = -1;
// Session rows one reply carries at most.
inline constexpr int32_t PLAYERHISTORY_MAX_SESSION_ROWS = 50;
// Game filters from here on name a game as they stand; below, a games-list id is scaled by 1000.
inline constexpr int32_t PLAYERHISTORY_FILTER_SCALED = 10000;

// The bytes of the session-data rows (SPlayerHistoryDataRow in the list) of playerId, one after
// the other: player id, game id, session, time, kind, value (32-bit little-endian), the name and
// its NUL, the data text and its NUL (a missing text is empty). Rows of other players are left
// out; rows gets the number written.
std::string PlayerHistoryPackSessionData(CLList& list, int32_t playerId, int32_t& rows);

class CPlayerHistoryServer {
 public:
  CPlayerHistoryServer() = default;
  virtual ~CPlayerHistoryServer();
  CPlayerHistoryServer(const CPlayerHistoryServer&) = delete;
  CPlayerHistoryServer& operator=(const CPlayerHistoryServer&) = delete;

  // Neither is owned; 1.
  int32_t Init(CStovaConn* db, CCommNode* replyNode);
  // Answers the request's "PlayerHistory" item (the current item, else the first of that name).
  // playerId PLAYERHISTORY_PLAYER_FROM_REQUEST takes the request's. Another command, or no such
  // item: 1, the record untouched. A request that lacks a value or whose database call fails: 0
  // and no reply.
  int32_t HandleCmd(CKCBL* request, int32_t playerId);

 private:
  int32_t FetchSendSessions(int32_t playerId, int32_t filter, int32_t selection, int32_t firstRow, int32_t rows);
  int32_t FetchSendSessionData(int32_t playerId, int32_t session, int32_t firstRow, int32_t rows);
  int32_t SendSessionList(int32_t playerId, CLList& rows, int32_t count);
  int32_t SendResult(int32_t playerId, CLList& rows, int32_t count);
  // Opens the reply: SendInit and the "PrivatePlayerData" chunk; the caller reports failures.
  int32_t OpenReply(int32_t playerId, const char* who);
  // Closes the chunk and sends the record.
  int32_t CloseReply(const char* who);

  CStovaConn* m_pStova = nullptr;
  CCommNode* m_pNode = nullptr;
};
