// The records the database hands to its callers and takes from them. Layouts are fixed: callers
// copy them whole, keep them in crash-recovery stores and count their longs by position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/base/money.h"

using TStovaMoney = CHugeFixedPoint<10, 10>;

// Field widths of the user record, the terminating zero included. Longer texts are cut to them.
inline constexpr size_t STOVA_USERNAME_SIZE = 21;
inline constexpr size_t STOVA_PASSWORD_SIZE = 33;
inline constexpr size_t STOVA_NAME_SIZE = 31;
inline constexpr size_t STOVA_ADDRESS_SIZE = 31;
inline constexpr size_t STOVA_ADDRESS4_SIZE = 32;
inline constexpr size_t STOVA_POSTAL_SIZE = 11;
inline constexpr size_t STOVA_CITY_SIZE = 21;
inline constexpr size_t STOVA_STATE_SIZE = 3;
inline constexpr size_t STOVA_COUNTRY_SIZE = 51;
inline constexpr size_t STOVA_CONTACT1_SIZE = 21;
inline constexpr size_t STOVA_CONTACT2_SIZE = 61;
inline constexpr size_t STOVA_NICKNAME_SIZE = 21;
inline constexpr size_t STOVA_BIRTHDATE_SIZE = 11;
inline constexpr size_t STOVA_FREETEXT_SIZE = 256;

// One member of the local database. The member number is the user's id and the record's first
// word. Cash is what the database holds at the time of reading; writing the record never moves
// money (only the money operations do, each with its booking).
struct c2stovaUser {
  uint32_t m_MemberNumber;
  char m_UserName[STOVA_USERNAME_SIZE];
  char m_Password[STOVA_PASSWORD_SIZE];
  char m_FirstName[STOVA_NAME_SIZE];
  char m_MiddleName[STOVA_NAME_SIZE];
  char m_LastName[STOVA_NAME_SIZE];
  char m_Address1[STOVA_ADDRESS_SIZE];
  char m_Address2[STOVA_ADDRESS_SIZE];
  char m_Address3[STOVA_ADDRESS_SIZE];
  char m_Address4[STOVA_ADDRESS4_SIZE];
  char m_PostalCode[STOVA_POSTAL_SIZE];
  char m_City[STOVA_CITY_SIZE];
  char m_State[STOVA_STATE_SIZE];
  char m_Country[STOVA_COUNTRY_SIZE];
  char m_Contact1[STOVA_CONTACT1_SIZE];   // telephone
  char m_Contact2[STOVA_CONTACT2_SIZE];   // e-mail address
  char m_Nickname[STOVA_NICKNAME_SIZE];
  char m_BirthDate[STOVA_BIRTHDATE_SIZE];  // "YYYYMMDD"
  char m_FreeText[STOVA_FREETEXT_SIZE];
  int32_t m_Gender;      // 0 male, 1 female
  int32_t m_AgeShown;    // 0 when the age is hidden
  int32_t m_IconIndex;
  int32_t m_YesNo;       // the member's yes/no choice (0 or 1)
  int32_t m_IconValue;
  int32_t m_IconFlags;
  uint32_t m_ReservedTableId;  // 0 = none (SetReservedTableId)
  TStovaMoney m_Cash;

  c2stovaUser() { Clear(); }
  // Every text empty, every number 0, cash 0.
  void Clear();
};

// Table types as the table lists and the play history name them.
inline constexpr int32_t STOVA_TABLE_PUBLIC = 0;
inline constexpr int32_t STOVA_TABLE_RESERVED = 1;
inline constexpr int32_t STOVA_TABLE_PRIVATE = 2;
inline constexpr int32_t STOVA_TABLE_PRACTICE = 3;
inline constexpr int32_t STOVA_TABLE_PRACTICE_PRIVATE = 4;
inline constexpr int32_t STOVA_TABLE_RESTORED = 5;

inline constexpr int STOVA_PLAYER_SETTINGS = 7;
inline constexpr int STOVA_TABLE_LONGS = 32;

// A table record: a run of 32-bit longs. Readers count the longs from the first, so every field
// stays where it stands: 0 id, 1 owner, 2 in use, 3 type, 4 spare, 5-11 the player settings.
struct c2stovaTable {
  uint32_t m_TableId;
  uint32_t m_Owner;
  int32_t m_InUse;
  int32_t m_TableType;
  int32_t m_Spare4;
  int32_t m_PlayerSettings[STOVA_PLAYER_SETTINGS];  // slot 0 first
  int32_t m_Spare[STOVA_TABLE_LONGS - 5 - STOVA_PLAYER_SETTINGS];

  c2stovaTable() { Clear(); }
  void Clear();
  int32_t* Longs() { return reinterpret_cast<int32_t*>(this); }
  const int32_t* Longs() const { return reinterpret_cast<const int32_t*>(this); }
};
static_assert(sizeof(c2stovaTable) == STOVA_TABLE_LONGS * 4);
static_assert(offsetof(c2stovaTable, m_Owner) == 1 * 4 && offsetof(c2stovaTable, m_TableType) == 3 * 4);
static_assert(offsetof(c2stovaTable, m_PlayerSettings) == 5 * 4);

// What went wrong, queued per connection after a failed call.
enum EStovaError : int32_t {
  STOVA_ERR_NONE = 0,
  STOVA_ERR_NOT_OPEN,        // no database: Init was not called or failed
  STOVA_ERR_ARGUMENT,        // null pointer, bad id, text or data too long
  STOVA_ERR_NOT_FOUND,       // a write to a user or table that does not exist
  STOVA_ERR_DUPLICATE,       // a user name, nickname or id already taken
  STOVA_ERR_OVERFLOW,        // a money result outside the money range, or a flagged amount
  STOVA_ERR_DAMAGED_VALUE,   // a stored value that does not read back (money text, record)
  STOVA_ERR_NOT_A_DATABASE,  // "c2user.stova" is not a database of this library
  STOVA_ERR_TRUNCATED,       // "c2user.stova" is shorter than its own header says
  STOVA_ERR_NEWER_SCHEMA,    // written by a newer version of this library
  STOVA_ERR_SQLITE,          // the storage engine failed (I/O, lock, corruption)
  STOVA_ERR_TRANSACTION,     // transaction calls out of order
};

inline constexpr size_t STOVA_ERROR_TEXT_SIZE = 512;

struct c2stovaError {
  int32_t m_Code = STOVA_ERR_NONE;  // EStovaError
  int32_t m_EngineCode = 0;         // SQLite's extended result code, 0 when the fault is ours
  char m_Text[STOVA_ERROR_TEXT_SIZE] = {};

  const char* GetText() const { return m_Text; }
};

// A member's player-protection limits and his losses in the running periods.
struct SPlayerProtectionLimitStatus {
  TStovaMoney LossPerDay;
  TStovaMoney LossPerWeek;
  TStovaMoney LossPerMonth;
  TStovaMoney LossThisDay;
  TStovaMoney LossThisWeek;
  TStovaMoney LossThisMonth;
  int32_t MaxSessionTime = -1;  // ms; -1 = no limit
  int32_t SelfExclusion = 0;    // non-zero = self-excluded
};

// Play-history event types (the type of PlayerHistoryInsert, the kind of a data row).
inline constexpr int32_t STOVA_HISTORY_NEW_ROUND = 0;
inline constexpr int32_t STOVA_HISTORY_ENTER_GAME = 1;
inline constexpr int32_t STOVA_HISTORY_EXIT_GAME = 2;
inline constexpr int32_t STOVA_HISTORY_USER_CRASHED = 3;
inline constexpr int32_t STOVA_HISTORY_BET_CLICKS = 4;

inline constexpr size_t STOVA_HISTORY_NAME_SIZE = 24;

// One session of a player at a table, as PlayerHistoryGetPlayerSessions lists it. The reader
// takes the longs and the name by their offsets; the caller deletes each row.
struct SPlayerHistorySessionRow {
  int32_t m_SessionId;
  char m_Name[STOVA_HISTORY_NAME_SIZE];  // the table's name
  int32_t m_PlayerId;                    // word 0
  int32_t m_GameId;                      // the table id: game type x 1000 + table number
  int32_t m_TableType;                   // STOVA_TABLE_*
  int32_t m_RoundCount;                  // new-round events of the session
};
static_assert(offsetof(SPlayerHistorySessionRow, m_Name) == 4);
static_assert(offsetof(SPlayerHistorySessionRow, m_PlayerId) == 28);
static_assert(offsetof(SPlayerHistorySessionRow, m_GameId) == 32);
static_assert(offsetof(SPlayerHistorySessionRow, m_TableType) == 36);
static_assert(offsetof(SPlayerHistorySessionRow, m_RoundCount) == 40);

// One event of a session, as PlayerHistoryGetPlayerSessionData lists it: the name, six longs and
// the event's text. Deleting the row frees the text with it.
struct SPlayerHistoryDataRow {
  char m_Name[STOVA_HISTORY_NAME_SIZE];  // the player's user name
  int32_t m_PlayerId;
  int32_t m_GameId;      // the table id
  int32_t m_SessionId;
  int32_t m_Time;        // seconds since 1970 (UTC) when the event was written
  int32_t m_Value;       // the round number given with the event
  int32_t m_Kind;        // the event type (STOVA_HISTORY_*)
  char* m_pData;         // the event's text, zero-ended; owned (new[])

  SPlayerHistoryDataRow() : m_Name{}, m_PlayerId(0), m_GameId(0), m_SessionId(0), m_Time(0), m_Value(0), m_Kind(0), m_pData(nullptr) {}
  ~SPlayerHistoryDataRow() { delete[] m_pData; }
  SPlayerHistoryDataRow(const SPlayerHistoryDataRow&) = delete;
  SPlayerHistoryDataRow& operator=(const SPlayerHistoryDataRow&) = delete;
};
static_assert(offsetof(SPlayerHistoryDataRow, m_PlayerId) == 24);
static_assert(offsetof(SPlayerHistoryDataRow, m_Kind) == 44);
static_assert(offsetof(SPlayerHistoryDataRow, m_pData) == 48);
