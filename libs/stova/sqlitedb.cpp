#include "stova/sqlitedb.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files/resolver.h"
#include "stova/schema.h"

namespace {
// Every connection waits this long for another connection's lock before a call fails. Calls
// hold their locks only while they run, so a wait this long means a stuck peer.
constexpr int kBusyTimeoutMs = 5000;

// A rollback journal, not WAL: the file alone must hold every committed change, since the
// client packs it by itself. Full sync: a booking is on disk when its call returns.
constexpr const char* kSettings =
    "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; PRAGMA foreign_keys = OFF;";

uint32_t BigEndian(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

void SetFailure(SStovaOpenFailure& failure, int32_t code, int32_t engineCode, std::string text) {
  failure.m_Code = code;
  failure.m_EngineCode = engineCode;
  failure.m_Text = std::move(text);
}

bool FileSize(const std::string& path, uint64_t& size) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  size = static_cast<uint64_t>(st.st_size);
  return true;
}

// A journal that SQLite will play back on the first read: the file's size is then in flux.
bool HasHotJournal(const std::string& path) {
  uint64_t size = 0;
  return FileSize(path + "-journal", size) && size > 0;
}

// Reads the file's header and checks that it is an SQLite database as long as the header says.
// The checks SQLite leaves to the first read of a missing page, done before anything reads it.
bool CheckHeader(const std::string& path, SStovaOpenFailure& failure) {
  uint64_t size = 0;
  if (!FileSize(path, size)) {
    SetFailure(failure, STOVA_ERR_SQLITE, 0, path + ": cannot be read");
    return false;
  }
  unsigned char header[100] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  const size_t got = f ? std::fread(header, 1, sizeof header, f) : 0;
  if (f) std::fclose(f);
  if (!f) {
    SetFailure(failure, STOVA_ERR_SQLITE, 0, path + ": cannot be read");
    return false;
  }
  static const char kMagic[] = "SQLite format 3";
  if (got < sizeof kMagic || std::memcmp(header, kMagic, sizeof kMagic) != 0) {
    if (got == size && size < sizeof header && std::memcmp(header, kMagic, got < sizeof kMagic ? got : sizeof kMagic) == 0)
      SetFailure(failure, STOVA_ERR_TRUNCATED, 0, path + ": truncated (" + std::to_string(size) + " bytes, no whole header)");
    else
      SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, 0, path + ": not a database");
    return false;
  }
  if (got < sizeof header) {
    SetFailure(failure, STOVA_ERR_TRUNCATED, 0, path + ": truncated (" + std::to_string(size) + " bytes, no whole header)");
    return false;
  }
  uint32_t pageSize = BigEndian(header + 16, 2);
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) {
    SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, 0, path + ": not a database (page size " + std::to_string(pageSize) + ")");
    return false;
  }
  if (HasHotJournal(path)) return true;
  // The page count in the header counts only when the file was last written by a version that
  // keeps it, which the two change counters tell.
  const uint32_t pages = BigEndian(header + 28, 4);
  const bool countValid = pages != 0 && BigEndian(header + 24, 4) == BigEndian(header + 92, 4);
  const uint64_t wanted = static_cast<uint64_t>(pages) * pageSize;
  if (size % pageSize != 0 || (countValid && size < wanted)) {
    SetFailure(failure, STOVA_ERR_TRUNCATED, 0,
               path + ": truncated (" + std::to_string(size) + " bytes, the header asks for " +
                   std::to_string(countValid ? wanted : (size / pageSize + 1) * pageSize) + ")");
    return false;
  }
  return true;
}

bool EngineFailure(sqlite3* db, int rc, const std::string& path, const char* what, SStovaOpenFailure& failure) {
  const int code = rc & 0xFF;
  std::string text = path + ": " + what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  if (code == SQLITE_NOTADB)
    SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, rc, path + ": not a database (" + text.substr(path.size() + 2) + ")");
  else if (code == SQLITE_CORRUPT)
    SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, rc, path + ": damaged (" + text.substr(path.size() + 2) + ")");
  else
    SetFailure(failure, STOVA_ERR_SQLITE, rc, text);
  return false;
}

int SingleInt(sqlite3* db, const char* sql, int64_t& value) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      value = sqlite3_column_int64(stmt, 0);
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  return rc;
}

sqlite3* OpenHandle(const std::string& path, int flags, SStovaOpenFailure& failure) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    EngineFailure(db, rc, path, "cannot open", failure);
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  return db;
}

bool CreateSchema(sqlite3* db, const std::string& path, SStovaOpenFailure& failure) {
  const std::string version = "PRAGMA user_version = " + std::to_string(STOVA_SCHEMA_VERSION) + ";";
  const std::string sql = std::string("BEGIN IMMEDIATE;") + StovaSchemaText() + version + "COMMIT;";
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return true;
  EngineFailure(db, rc, path, "cannot create the tables", failure);
  sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
  return false;
}

// Makes the new database under a name of its own and links it into place when complete, so no
// crash leaves a half-made file under the real name. false with the failure; true also when
// another process made the file first.
bool CreateFile(const std::string& path, SStovaOpenFailure& failure) {
  const std::string temp = path + ".new" + std::to_string(getpid());
  unlink(temp.c_str());
  unlink((temp + "-journal").c_str());
  sqlite3* db = OpenHandle(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, failure);
  if (!db) return false;
  const bool made = sqlite3_exec(db, kSettings, nullptr, nullptr, nullptr) == SQLITE_OK
                        ? CreateSchema(db, path, failure)
                        : EngineFailure(db, sqlite3_extended_errcode(db), path, "cannot set up", failure);
  sqlite3_close(db);
  bool placed = false;
  if (made) {
    placed = link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST;
    if (!placed) SetFailure(failure, STOVA_ERR_SQLITE, 0, path + ": cannot be created (" + std::strerror(errno) + ")");
  }
  unlink(temp.c_str());
  return placed;
}

// Checks what an existing file holds and brings an empty database up to the schema.
bool CheckContent(sqlite3* db, const std::string& path, SStovaOpenFailure& failure) {
  int64_t version = 0;
  int rc = SingleInt(db, "PRAGMA user_version", version);
  if (rc != SQLITE_OK) return EngineFailure(db, rc, path, "cannot be read", failure);
  if (version > STOVA_SCHEMA_VERSION) {
    SetFailure(failure, STOVA_ERR_NEWER_SCHEMA, 0,
               path + ": written by a newer version (schema " + std::to_string(version) + ", this library reads up to " +
                   std::to_string(STOVA_SCHEMA_VERSION) + ")");
    return false;
  }
  sqlite3_stmt* check = nullptr;
  rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr);
  std::string verdict;
  if (rc == SQLITE_OK && (rc = sqlite3_step(check)) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(check, 0);
    verdict = text ? reinterpret_cast<const char*>(text) : "";
    rc = SQLITE_OK;
  }
  sqlite3_finalize(check);
  if (rc != SQLITE_OK) return EngineFailure(db, rc, path, "cannot be checked", failure);
  if (verdict != "ok") {
    SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, SQLITE_CORRUPT, path + ": damaged (" + verdict + ")");
    return false;
  }
  if (version == STOVA_SCHEMA_VERSION) return true;
  int64_t objects = 0;
  rc = SingleInt(db, "SELECT COUNT(*) FROM sqlite_schema", objects);
  if (rc != SQLITE_OK) return EngineFailure(db, rc, path, "cannot be read", failure);
  if (objects != 0) {
    SetFailure(failure, STOVA_ERR_NOT_A_DATABASE, 0, path + ": not a database of this library (no schema version)");
    return false;
  }
  return CreateSchema(db, path, failure);
}
}  // namespace

CStovaDatabase* CStovaDatabase::Open(const std::string& name, SStovaOpenFailure& failure) {
  const std::string path = PlatformResolvePath(name.c_str());
  if (!PlatformPathExists(path.c_str()) && !CreateFile(path, failure)) return nullptr;
  if (!CheckHeader(path, failure)) return nullptr;
  sqlite3* db = OpenHandle(path, SQLITE_OPEN_READWRITE, failure);
  if (!db) return nullptr;
  if (!CheckContent(db, path, failure)) {
    sqlite3_close(db);
    return nullptr;
  }
  if (sqlite3_exec(db, kSettings, nullptr, nullptr, nullptr) != SQLITE_OK) {
    EngineFailure(db, sqlite3_extended_errcode(db), path, "cannot set up", failure);
    sqlite3_close(db);
    return nullptr;
  }
  return new CStovaDatabase(db);
}

CStovaDatabase::CStovaDatabase(sqlite3* db) : m_pDb(db) {}

CStovaDatabase::~CStovaDatabase() {
  for (sqlite3_stmt*& s : m_Statements) sqlite3_finalize(s);
  sqlite3_close(m_pDb);
}

sqlite3_stmt* CStovaDatabase::Statement(EStovaStatement statement) {
  sqlite3_stmt*& s = m_Statements[statement];
  if (!s && sqlite3_prepare_v3(m_pDb, StovaStatementText(statement), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
    s = nullptr;
  return s;
}

int CStovaDatabase::Exec(const char* sql) { return sqlite3_exec(m_pDb, sql, nullptr, nullptr, nullptr); }

CStovaQuery::~CStovaQuery() {
  if (!m_pStmt) return;
  sqlite3_reset(m_pStmt);
  sqlite3_clear_bindings(m_pStmt);
}

CStovaQuery& CStovaQuery::Bind(int64_t value) {
  if (m_pStmt) m_BindOk &= sqlite3_bind_int64(m_pStmt, m_Next++, value) == SQLITE_OK;
  return *this;
}

CStovaQuery& CStovaQuery::Bind(std::string_view text) {
  // An empty view may carry no pointer; SQLite would bind NULL for it.
  if (m_pStmt)
    m_BindOk &= sqlite3_bind_text(m_pStmt, m_Next++, text.data() ? text.data() : "", static_cast<int>(text.size()),
                                  SQLITE_STATIC) == SQLITE_OK;
  return *this;
}

CStovaQuery& CStovaQuery::BindBlob(const void* data, uint32_t size) {
  if (m_pStmt)
    m_BindOk &= sqlite3_bind_blob64(m_pStmt, m_Next++, size ? data : "", size, SQLITE_STATIC) == SQLITE_OK;
  return *this;
}

CStovaQuery& CStovaQuery::BindNull() {
  if (m_pStmt) m_BindOk &= sqlite3_bind_null(m_pStmt, m_Next++) == SQLITE_OK;
  return *this;
}

int CStovaQuery::Step() {
  if (!m_pStmt) return SQLITE_MISUSE;
  if (!m_BindOk) return SQLITE_RANGE;
  return sqlite3_step(m_pStmt);
}

std::string_view CStovaQuery::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(m_pStmt, column);
  if (!text) return {};
  return std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(m_pStmt, column)));
}
