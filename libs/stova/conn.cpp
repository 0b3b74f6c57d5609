#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "ostrel/system/versions.h"
#include "stova/connimpl.h"
#include "stova/fieldtext.h"
#include "stova/stovaconn.h"

namespace {
int64_t SystemNow() { return static_cast<int64_t>(std::time(nullptr)); }
TStovaClockFunc g_Clock = SystemNow;
}  // namespace

void xSetStovaClock(TStovaClockFunc now) { g_Clock = now ? now : SystemNow; }
int64_t StovaNow() { return g_Clock(); }

void xShowVersionInfoStova() { xShowVersionInfo("Version Info: Stova v1.0 (SQLite " SQLITE_VERSION ")", __DATE__ ", " __TIME__); }

SStovaMoneyText::SStovaMoneyText(const TStovaMoney& value) : m_Text{} {
  static_assert(sizeof m_Text >= 1 + 10 + 1 + 10 + 1, "sign, digits, point, decimals, zero");
  TStovaMoney::Print(value, m_Text, sizeof m_Text, -1, -1);
}

bool StovaReadMoney(const CStovaQuery& query, int column, TStovaMoney& value) {
  // Column texts end in a zero byte; one inside, or a text longer than any amount, is no money.
  const std::string_view text = query.Text(column);
  if (text.empty() || text.size() > 48 || strlen(text.data()) != text.size()) return false;
  return TStovaMoney::Translate(text.data(), value) == 1;
}

CStovaTransaction::CStovaTransaction(CStovaDatabase& db, bool insideCallerTransaction)
    : m_Db(db), m_Nested(insideCallerTransaction) {
  m_Begun = Run(m_Nested ? STMT_SAVEPOINT : STMT_BEGIN);
}

CStovaTransaction::~CStovaTransaction() {
  if (!m_Begun || m_Done) return;
  if (m_Nested) {
    Run(STMT_ROLLBACK_TO);
    Run(STMT_RELEASE);
  } else {
    Run(STMT_ROLLBACK);
  }
}

bool CStovaTransaction::Commit() {
  if (!m_Begun || m_Done) return false;
  m_Done = Run(m_Nested ? STMT_RELEASE : STMT_COMMIT);
  return m_Done;
}

bool CStovaTransaction::Run(EStovaStatement statement) {
  CStovaQuery q(m_Db.Statement(statement));
  return q.Step() == SQLITE_DONE;
}

CStovaConn::CStovaConn() : m_pDb(nullptr), m_InCallerTransaction(false) {}

CStovaConn::~CStovaConn() { Exit(); }

int32_t CStovaConn::Fail(int32_t code, const char* format, ...) {
  if (m_Errors.size() >= STOVA_MAX_QUEUED_ERRORS) return 0;
  c2stovaError& e = m_Errors.emplace_back();
  e.m_Code = code;
  va_list args;
  va_start(args, format);
  std::vsnprintf(e.m_Text, sizeof e.m_Text, format, args);
  va_end(args);
  return 0;
}

int32_t CStovaConn::FailEngine(const char* what) {
  if (!m_pDb) return Fail(STOVA_ERR_NOT_OPEN, "%s: no database open", what);
  const int32_t engine = m_pDb->EngineCode();
  Fail(STOVA_ERR_SQLITE, "%s: %s", what, m_pDb->Message());
  if (!m_Errors.empty() && m_Errors.back().m_Code == STOVA_ERR_SQLITE) m_Errors.back().m_EngineCode = engine;
  return 0;
}

int32_t CStovaConn::GetLastStovaError(c2stovaError& error) {
  if (m_Errors.empty()) return 0;
  error = m_Errors.front();
  m_Errors.pop_front();
  return 1;
}

bool CStovaConn::IsOpen() {
  if (m_pDb) return true;
  Fail(STOVA_ERR_NOT_OPEN, "no database open (Init was not called or failed)");
  return false;
}

int32_t CStovaConn::Init() {
  if (m_pDb) return 1;
  SStovaOpenFailure failure;
  m_pDb = CStovaDatabase::Open(STOVA_FILE_NAME, failure);
  if (m_pDb) return 1;
  Fail(failure.m_Code, "Init: %s", failure.m_Text.c_str());
  if (!m_Errors.empty()) m_Errors.back().m_EngineCode = failure.m_EngineCode;
  return 0;
}

int32_t CStovaConn::Connect(const char*, const char*, const char*, const char*) { return IsOpen() ? 1 : 0; }

int32_t CStovaConn::Use(const char*) { return IsOpen() ? 1 : 0; }

int32_t CStovaConn::Disconnect() { return 1; }

int32_t CStovaConn::Exit() {
  if (m_pDb && m_InCallerTransaction) m_pDb->Exec("ROLLBACK");
  m_InCallerTransaction = false;
  delete m_pDb;
  m_pDb = nullptr;
  return 1;
}

int32_t CStovaConn::BeginTransaction() {
  if (!IsOpen()) return 0;
  if (m_InCallerTransaction) return Fail(STOVA_ERR_TRANSACTION, "BeginTransaction: a transaction is open already");
  CStovaQuery q(m_pDb->Statement(STMT_BEGIN));
  if (q.Step() != SQLITE_DONE) return FailEngine("BeginTransaction");
  m_InCallerTransaction = true;
  return 1;
}

int32_t CStovaConn::EndTransaction(int32_t commit) {
  if (!IsOpen()) return 0;
  if (!m_InCallerTransaction) return Fail(STOVA_ERR_TRANSACTION, "EndTransaction: no transaction is open");
  {
    CStovaQuery q(m_pDb->Statement(commit ? STMT_COMMIT : STMT_ROLLBACK));
    if (q.Step() == SQLITE_DONE) {
      m_InCallerTransaction = false;
      return 1;
    }
  }
  // A commit that failed (a full disk, an I/O error) leaves nothing half done: undo it all.
  FailEngine(commit ? "EndTransaction: commit" : "EndTransaction: rollback");
  if (!sqlite3_get_autocommit(m_pDb->Handle())) m_pDb->Exec("ROLLBACK");
  m_InCallerTransaction = false;
  return 0;
}
