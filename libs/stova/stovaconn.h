// The connection to the local database "c2user.stova" in the working folder.
//
// Calling convention of every operation: the result is 1 when the call did its work and 0 when
// it failed; a last long& flag, where there is one, tells whether the row was found or the write
// took effect. Callers go on only when both are 1. After a failure (result 0) the connection
// holds one or more error records, oldest first, that GetLastStovaError hands out until none is
// left. Calls that succeed add none.
//
// Texts are single-byte, zero-ended; texts longer than their field are cut to it. Every value
// reaches the storage as a bound parameter, never as part of the statement's text.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>

#include "stova/stovarecords.h"

class CLList;
class CStovaDatabase;
enum EStovaStatement : int;

// Booking types of the money changes that carry none of their own.
inline constexpr int32_t STOVA_BOOKING_OPENING = -3;   // the balance a new member starts with
inline constexpr int32_t STOVA_BOOKING_PRACTICE = -2;  // PracticeSetUserCash
inline constexpr int32_t STOVA_BOOKING_SET = -1;       // SetUserCash

// Raw records above this size are refused.
inline constexpr uint32_t STOVA_RAW_MAX_SIZE = 16u * 1024u * 1024u;
// Longest name of a raw record.
inline constexpr size_t STOVA_RAW_NAME_SIZE = 64;
// Seats a table may have (SetTableUser refuses others).
inline constexpr int32_t STOVA_MAX_SEATS = 256;
// Error records kept per connection; later ones are dropped until the queue is read.
inline constexpr size_t STOVA_MAX_QUEUED_ERRORS = 64;

// The database's file name in the working folder.
inline constexpr const char* STOVA_FILE_NAME = "c2user.stova";

class CStovaConnBase {
 public:
  virtual ~CStovaConnBase() = default;

  // Life.
  virtual int32_t Init() = 0;
  virtual int32_t Connect(const char* dataSource, const char* user, const char* password, const char* database) = 0;
  virtual int32_t Use(const char* database) = 0;
  virtual int32_t Disconnect() = 0;
  virtual int32_t Exit() = 0;
  virtual int32_t GetLastStovaError(c2stovaError& error) = 0;

  // Users.
  virtual int32_t GetUserId(const char* userName, uint32_t& id, int32_t& found) = 0;
  virtual int32_t GetUserIdNick(const char* nickname, uint32_t& id, int32_t& found) = 0;
  virtual int32_t UserLogin(const char* userName, const char* password, const char* address, const char* machine,
                            const char* campaign, const char* referrer, int32_t flags, uint32_t& id,
                            uint32_t& customerNumber, const char* text1, const char* text2, const char* text3,
                            const char* currencyCode, const char* languageCode, int32_t& result) = 0;
  virtual int32_t GetUserInfo(uint32_t id, c2stovaUser*& user, int32_t& found, const char* extra = nullptr) = 0;
  virtual int32_t UpdateUserInfo(uint32_t id, const c2stovaUser* user, const char* text1, const char* text2,
                                 const char* text3, int32_t& ok) = 0;
  virtual int32_t CreateUser(const c2stovaUser* user, uint32_t& id, const char* text1, const char* text2,
                             const char* text3, const char* text4, const char* text5, const char* languageCode,
                             const char* text6, int32_t& ok) = 0;

  // Money.
  virtual int32_t GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) = 0;
  virtual int32_t SetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) = 0;
  virtual int32_t IncUserCash(uint32_t id, const TStovaMoney& amount, int32_t type, int32_t& ok, uint32_t value) = 0;
  virtual int32_t DecIncUserCash(uint32_t id, const TStovaMoney& debit, int32_t debitType, const TStovaMoney& credit,
                                 int32_t creditType, int32_t& ok) = 0;
  virtual int32_t PracticeSetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) = 0;

  // Tables.
  virtual int32_t CreateTable(const c2stovaTable* table, uint32_t value, uint32_t& id, int32_t& ok) = 0;
  virtual int32_t GetTableInfo(uint32_t id, c2stovaTable* table, int32_t& found) = 0;
  virtual int32_t UpdateTableInfo(uint32_t id, const c2stovaTable* table, int32_t& ok) = 0;
  virtual int32_t DeleteTable(uint32_t id, int32_t& ok) = 0;
  virtual int32_t SetTableOwner(uint32_t tableId, uint32_t userId, int32_t& ok) = 0;
  virtual int32_t SetTableUser(uint32_t tableId, int32_t seat, uint32_t userId) = 0;
  virtual int32_t SetReservedTableId(uint32_t userId, uint32_t& tableId, int32_t& ok) = 0;

  // Raw records per user, by name and index.
  virtual int32_t CountUserRaw(uint32_t userId, const char* name, int32_t& count, int32_t& ok) = 0;
  virtual int32_t ReadRaw(uint32_t userId, const char* name, int32_t index, uint8_t*& data, uint32_t& size,
                          int32_t& ok) = 0;
  virtual int32_t WriteRaw(uint32_t userId, uint32_t tableId, const char* name, int32_t index, const void* data,
                           uint32_t size, int32_t& ok) = 0;
  virtual int32_t DeleteRaw(uint32_t userId, const char* name, int32_t index, int32_t& ok) = 0;
  virtual int32_t BeginTransaction() = 0;
  virtual int32_t EndTransaction(int32_t commit) = 0;

  // Player protection.
  virtual int32_t PlayerProtectionGetLimitStatus(uint32_t userId, SPlayerProtectionLimitStatus& status,
                                                 int32_t& ok) = 0;

  // Play history.
  virtual int32_t PlayerHistoryGetFlag(uint32_t tableId, uint32_t& flag, int32_t& status) = 0;
  virtual int32_t PlayerHistoryGetNewTableSession(uint32_t tableId, int32_t& session, int32_t& status) = 0;
  virtual int32_t PlayerHistoryEndTableSession(uint32_t tableId, int32_t& status) = 0;
  virtual int32_t PlayerHistoryGetNewPlayerSession(uint32_t playerId, uint32_t tableId, int32_t& session,
                                                   int32_t& status) = 0;
  virtual int32_t PlayerHistoryInsert(uint32_t playerId, uint32_t tableId, int round, int type, const char* part1,
                                      const char* part2, const char* part3, const char* part4, int32_t& status) = 0;
  virtual int32_t PlayerHistoryGetPlayerSessions(uint32_t playerId, int32_t gameFilter, int32_t selection,
                                                 int32_t firstRow, int32_t rows, CLList* list, int32_t& count) = 0;
  virtual int32_t PlayerHistoryGetPlayerSessionData(int32_t sessionId, int32_t firstRow, int32_t rows, CLList* list,
                                                    int32_t& count) = 0;
};

class CStovaConn : public CStovaConnBase {
 public:
  CStovaConn();
  // Closes the database when Exit was not called.
  ~CStovaConn() override;
  CStovaConn(const CStovaConn&) = delete;
  CStovaConn& operator=(const CStovaConn&) = delete;

  // Opens "c2user.stova" in the working folder, creating it with its schema when it does not
  // exist. A file that is not a database of this library, is truncated, or was written by a
  // newer version fails with a record that says which, and is left as it is. 1 at once when
  // the database is open already.
  int32_t Init() override;
  // There is one local database: both succeed on an open database and change nothing.
  int32_t Connect(const char* dataSource, const char* user, const char* password, const char* database) override;
  int32_t Use(const char* database) override;
  // The database stays open until Exit.
  int32_t Disconnect() override;
  // Closes the database; a transaction the caller left open is rolled back.
  int32_t Exit() override;
  // The oldest error record not yet handed out: 1 and the record, or 0 when none is left.
  int32_t GetLastStovaError(c2stovaError& error) override;

  // found 1 and the id when a member of that name exists (names compare without regard to
  // ASCII case); found 0 and id 0 when none does.
  int32_t GetUserId(const char* userName, uint32_t& id, int32_t& found) override;
  int32_t GetUserIdNick(const char* nickname, uint32_t& id, int32_t& found) override;
  // result 1 and the id only when the name exists and the password matches it exactly. The
  // four texts after the password, the flags and the three texts after the customer number are
  // what an operator's server logs; the local database keeps none of them. The customer number
  // is left as it is.
  int32_t UserLogin(const char* userName, const char* password, const char* address, const char* machine,
                    const char* campaign, const char* referrer, int32_t flags, uint32_t& id, uint32_t& customerNumber,
                    const char* text1, const char* text2, const char* text3, const char* currencyCode,
                    const char* languageCode, int32_t& result) override;
  // Fills *user when user is not null; else, when the member exists, allocates a record with
  // new that the caller deletes. extra is not used.
  int32_t GetUserInfo(uint32_t id, c2stovaUser*& user, int32_t& found, const char* extra = nullptr) override;
  // Writes every field but the member number, the cash and the reserved table. A missing member
  // fails; so does a user name or nickname that another member already has.
  int32_t UpdateUserInfo(uint32_t id, const c2stovaUser* user, const char* text1, const char* text2, const char* text3,
                         int32_t& ok) override;
  // id 0 asks for a new id (one more than the highest, the first member getting 1); another id
  // is taken as the member number when it is free. The record's cash becomes the opening balance
  // (booked as STOVA_BOOKING_OPENING when it is not zero). The language code is kept.
  int32_t CreateUser(const c2stovaUser* user, uint32_t& id, const char* text1, const char* text2, const char* text3,
                     const char* text4, const char* text5, const char* languageCode, const char* text6,
                     int32_t& ok) override;

  // ok 0 (result 1) when the member does not exist.
  int32_t GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) override;
  // Each change is one transaction that writes the balance and one booking per amount (member,
  // amount, type, the caller's value, time, balance after). A missing member, a flagged amount
  // or a result outside the money range changes nothing and fails.
  int32_t SetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) override;
  int32_t IncUserCash(uint32_t id, const TStovaMoney& amount, int32_t type, int32_t& ok, uint32_t value) override;
  // Takes debit and adds credit, both booked, in one transaction.
  int32_t DecIncUserCash(uint32_t id, const TStovaMoney& debit, int32_t debitType, const TStovaMoney& credit,
                         int32_t creditType, int32_t& ok) override;
  // Practice money is the balance GetUserCash reads.
  int32_t PracticeSetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) override;

  // The record's id is the table id (0 asks for a new one, given back in id). A table of that id
  // is replaced together with its seats and owner, so a leftover never blocks a new game.
  int32_t CreateTable(const c2stovaTable* table, uint32_t value, uint32_t& id, int32_t& ok) override;
  int32_t GetTableInfo(uint32_t id, c2stovaTable* table, int32_t& found) override;
  // A missing table fails. The record's own id is not used: id names the table.
  int32_t UpdateTableInfo(uint32_t id, const c2stovaTable* table, int32_t& ok) override;
  // ok 0 (result 1) when there was no such table. Seats and owner stay: the in-process table
  // server deletes its record before it seats anybody.
  int32_t DeleteTable(uint32_t id, int32_t& ok) override;
  // The owner is kept beside the seats and written into the table's record when it exists.
  int32_t SetTableOwner(uint32_t tableId, uint32_t userId, int32_t& ok) override;
  // Seats are kept apart from the table record; user 0 frees the seat.
  int32_t SetTableUser(uint32_t tableId, int32_t seat, uint32_t userId) override;
  // tableId 0 clears the reservation. A missing member fails.
  int32_t SetReservedTableId(uint32_t userId, uint32_t& tableId, int32_t& ok) override;

  // Raw records are replaced on write. ReadRaw allocates the data with new[] (the caller frees it
  // with delete[]; null for 0 bytes); ok 0 and null data when there is no such record.
  int32_t CountUserRaw(uint32_t userId, const char* name, int32_t& count, int32_t& ok) override;
  int32_t ReadRaw(uint32_t userId, const char* name, int32_t index, uint8_t*& data, uint32_t& size,
                  int32_t& ok) override;
  int32_t WriteRaw(uint32_t userId, uint32_t tableId, const char* name, int32_t index, const void* data, uint32_t size,
                   int32_t& ok) override;
  int32_t DeleteRaw(uint32_t userId, const char* name, int32_t index, int32_t& ok) override;
  // Everything between the two is one transaction (the money operations inside it too).
  // EndTransaction(0) rolls it back. They do not nest.
  int32_t BeginTransaction() override;
  int32_t EndTransaction(int32_t commit) override;

  // The member's limits; a member without any gets the defaults (limits 0, no session limit, not
  // excluded).
  int32_t PlayerProtectionGetLimitStatus(uint32_t userId, SPlayerProtectionLimitStatus& status, int32_t& ok) override;

  // Every local table keeps history: flag 1.
  int32_t PlayerHistoryGetFlag(uint32_t tableId, uint32_t& flag, int32_t& status) override;
  int32_t PlayerHistoryGetNewTableSession(uint32_t tableId, int32_t& session, int32_t& status) override;
  // status 0 (result 1) when the table has no open session.
  int32_t PlayerHistoryEndTableSession(uint32_t tableId, int32_t& status) override;
  int32_t PlayerHistoryGetNewPlayerSession(uint32_t playerId, uint32_t tableId, int32_t& session,
                                           int32_t& status) override;
  // The four parts arrive with every ' doubled (at most 510 characters each); each '' becomes '
  // again and the parts are stored, one after the other, as the event's text in the player's
  // latest session at that table (one is opened when he has none).
  int32_t PlayerHistoryInsert(uint32_t playerId, uint32_t tableId, int round, int type, const char* part1,
                              const char* part2, const char* part3, const char* part4, int32_t& status) override;
  // Appends up to rows SPlayerHistorySessionRow (new; the caller deletes them), newest first,
  // from firstRow on; count = all sessions that match. gameFilter 0 takes every game; else it
  // names a game type, as a games-list id (type x 1000) or that id x 1000. selection: 1 the last
  // day, 2 the last 7 days, 3 the last 30 days, anything else every session.
  int32_t PlayerHistoryGetPlayerSessions(uint32_t playerId, int32_t gameFilter, int32_t selection, int32_t firstRow,
                                         int32_t rows, CLList* list, int32_t& count) override;
  // Appends up to rows SPlayerHistoryDataRow (new; the caller deletes them), oldest first, from
  // firstRow on; count = all events of the session.
  int32_t PlayerHistoryGetPlayerSessionData(int32_t sessionId, int32_t firstRow, int32_t rows, CLList* list,
                                            int32_t& count) override;

 protected:
  // Queues an error record (printf rules); always 0, so failures read "return Fail(...)".
  int32_t Fail(int32_t code, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Queues the storage engine's last message after what; 0.
  int32_t FailEngine(const char* what);

 private:
  // 0 with a record when no database is open.
  bool IsOpen();
  int32_t OpenOrCreate();
  // One money change: the bookings in order, each adding its amount; with setBalance the single
  // booking's amount is the balance wanted and is booked as the difference.
  int32_t ChangeCash(const char* what, uint32_t id, const struct SStovaBooking* bookings, int count, bool setBalance,
                     int32_t& ok);
  // 1 for a positive 32-bit id; else 0 with a record naming what and the kind of id.
  int32_t ValidId(uint32_t id, const char* what, const char* kind);
  // 1 for a good member id, a name below the name limit and an index not below 0, on an open
  // database; else 0 with a record.
  // The member a name or nickname (cut to width) belongs to.
  int32_t FindMember(const char* what, EStovaStatement statement, const char* text, size_t width, uint32_t& id,
                     int32_t& found);
  int32_t ValidRawKey(const char* what, uint32_t userId, const char* name, int32_t index);
  int32_t UserExists(uint32_t id, bool& exists);
  int32_t ReadUserRow(uint32_t id, c2stovaUser& user, bool& found);
  // 1 when no member but exceptId carries the name; else 0 with a record.
  int32_t NameFree(const char* what, uint32_t exceptId, bool nickname, std::string_view text);
  int32_t OpenPlayerSession(const char* what, uint32_t playerId, uint32_t tableId, int64_t& session);
  // The row id of the last insert when it fits a session number; else 0 with a record.
  int32_t InsertedId(const char* what, int64_t& id);

  CStovaDatabase* m_pDb;
  std::deque<c2stovaError> m_Errors;
  bool m_InCallerTransaction;
};

// The library's banner to the diagnostic sink.
void xShowVersionInfoStova();

// Seconds since 1970 that bookings and history carry; null restores the system's clock. Tests
// set their own.
using TStovaClockFunc = int64_t (*)();
void xSetStovaClock(TStovaClockFunc now);
