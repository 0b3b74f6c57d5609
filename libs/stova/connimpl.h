// What the connection's operation groups share: the clock, id checks and the transaction scope.
#pragma once

#include <cstdint>

#include "stova/sqlitedb.h"

// Seconds since 1970 by the library's clock (xSetStovaClock).
int64_t StovaNow();

// Ids are positive 32-bit numbers; 0 and values that read as negative longs name nothing.
inline bool StovaValidId(uint32_t id) { return id != 0 && id <= 0x7FFFFFFFu; }

// The money text of a value as the money class prints it ("12.5000000000").
struct SStovaMoneyText {
  char m_Text[48];
  explicit SStovaMoneyText(const TStovaMoney& value);
  std::string_view View() const { return m_Text; }
};
// Reads a stored money text back from a column; false when it does not convert.
bool StovaReadMoney(const CStovaQuery& query, int column, TStovaMoney& value);

// One change as a whole: BEGIN IMMEDIATE .. COMMIT, or, inside a transaction the caller opened,
// a savepoint. Whatever was not committed is undone when the scope ends.
class CStovaTransaction {
 public:
  CStovaTransaction(CStovaDatabase& db, bool insideCallerTransaction);
  ~CStovaTransaction();
  CStovaTransaction(const CStovaTransaction&) = delete;
  CStovaTransaction& operator=(const CStovaTransaction&) = delete;

  bool Begun() const { return m_Begun; }
  bool Commit();

 private:
  bool Run(EStovaStatement statement);

  CStovaDatabase& m_Db;
  bool m_Nested;
  bool m_Begun = false;
  bool m_Done = false;
};

// One line of the booking log as a money change asks for it.
struct SStovaBooking {
  TStovaMoney m_Amount;
  int32_t m_Type;
  uint32_t m_Value;  // the caller's value, kept with the booking
};
