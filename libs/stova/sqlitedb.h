// The storage under one connection: the SQLite handle, its settings, the prepared statements
// and the small helpers that bind, step and read them.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "stova/statements.h"
#include "stova/stovarecords.h"

// Why an existing file was not opened (the file is never changed then).
struct SStovaOpenFailure {
  int32_t m_Code = STOVA_ERR_NONE;  // EStovaError
  int32_t m_EngineCode = 0;
  std::string m_Text;
};

class CStovaDatabase {
 public:
  // Opens the file, or creates it with its schema when nothing carries the name. Null on
  // failure, with the reason.
  static CStovaDatabase* Open(const std::string& path, SStovaOpenFailure& failure);
  ~CStovaDatabase();
  CStovaDatabase(const CStovaDatabase&) = delete;
  CStovaDatabase& operator=(const CStovaDatabase&) = delete;

  sqlite3* Handle() const { return m_pDb; }
  // The prepared statement, prepared on first use; null when it cannot be (see Message).
  sqlite3_stmt* Statement(EStovaStatement statement);
  // Runs statements without results; the SQLite result code.
  int Exec(const char* sql);
  const char* Message() const { return sqlite3_errmsg(m_pDb); }
  int EngineCode() const { return sqlite3_extended_errcode(m_pDb); }

 private:
  explicit CStovaDatabase(sqlite3* db);

  sqlite3* m_pDb;
  sqlite3_stmt* m_Statements[STMT_COUNT] = {};
};

// One use of a prepared statement: binds by position from 1, steps, reads columns, and resets
// the statement when it goes, so no read keeps its lock past the call. Bound texts and blobs are
// not copied: they must live as long as the query.
class CStovaQuery {
 public:
  explicit CStovaQuery(sqlite3_stmt* statement) : m_pStmt(statement) {}
  ~CStovaQuery();
  CStovaQuery(const CStovaQuery&) = delete;
  CStovaQuery& operator=(const CStovaQuery&) = delete;

  bool Prepared() const { return m_pStmt != nullptr; }
  CStovaQuery& Bind(int64_t value);
  CStovaQuery& Bind(std::string_view text);
  CStovaQuery& BindBlob(const void* data, uint32_t size);
  CStovaQuery& BindNull();
  // True when every bind so far succeeded.
  bool Bound() const { return m_BindOk; }

  // SQLITE_ROW, SQLITE_DONE or the failure's code.
  int Step();
  int64_t Int(int column) const { return sqlite3_column_int64(m_pStmt, column); }
  std::string_view Text(int column) const;
  const void* Blob(int column) const { return sqlite3_column_blob(m_pStmt, column); }
  uint32_t Bytes(int column) const { return static_cast<uint32_t>(sqlite3_column_bytes(m_pStmt, column)); }
  bool IsNull(int column) const { return sqlite3_column_type(m_pStmt, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* m_pStmt;
  int m_Next = 1;
  bool m_BindOk = true;
};
