// Raw records: data a caller keeps per member under a name and an index (the crash-recovery
// store of the table servers), and the transaction pair that writes several as one.
#include <cstring>
#include <new>

#include "stova/connimpl.h"
#include "stova/stovaconn.h"

int32_t CStovaConn::ValidRawKey(const char* what, uint32_t userId, const char* name, int32_t index) {
  if (!ValidId(userId, what, "member")) return 0;
  if (!name) return Fail(STOVA_ERR_ARGUMENT, "%s: no record name", what);
  if (strnlen(name, STOVA_RAW_NAME_SIZE) >= STOVA_RAW_NAME_SIZE)
    return Fail(STOVA_ERR_ARGUMENT, "%s: the record name is longer than %zu characters", what, STOVA_RAW_NAME_SIZE - 1);
  if (index < 0) return Fail(STOVA_ERR_ARGUMENT, "%s: index %d is negative", what, index);
  return IsOpen() ? 1 : 0;
}

int32_t CStovaConn::CountUserRaw(uint32_t userId, const char* name, int32_t& count, int32_t& ok) {
  count = 0;
  ok = 0;
  if (!ValidRawKey("CountUserRaw", userId, name, 0)) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_RAW_COUNT));
  q.Bind(userId).Bind(name);
  if (q.Step() != SQLITE_ROW) return FailEngine("CountUserRaw");
  count = static_cast<int32_t>(q.Int(0));
  ok = 1;
  return 1;
}

int32_t CStovaConn::ReadRaw(uint32_t userId, const char* name, int32_t index, uint8_t*& data, uint32_t& size,
                            int32_t& ok) {
  data = nullptr;
  size = 0;
  ok = 0;
  if (!ValidRawKey("ReadRaw", userId, name, index)) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_RAW_READ));
  q.Bind(userId).Bind(name).Bind(index);
  const int rc = q.Step();
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine("ReadRaw");
  const void* bytes = q.Blob(0);
  const uint32_t n = q.Bytes(0);
  if (n > STOVA_RAW_MAX_SIZE) return Fail(STOVA_ERR_DAMAGED_VALUE, "ReadRaw: the stored record has %u bytes, above the limit", n);
  if (n > 0) {
    data = new (std::nothrow) uint8_t[n];
    if (!data) return Fail(STOVA_ERR_ARGUMENT, "ReadRaw: no memory for %u bytes", n);
    std::memcpy(data, bytes, n);
  }
  size = n;
  ok = 1;
  return 1;
}

int32_t CStovaConn::WriteRaw(uint32_t userId, uint32_t tableId, const char* name, int32_t index, const void* data,
                             uint32_t size, int32_t& ok) {
  ok = 0;
  if (!ValidRawKey("WriteRaw", userId, name, index)) return 0;
  if (size > STOVA_RAW_MAX_SIZE) return Fail(STOVA_ERR_ARGUMENT, "WriteRaw: %u bytes is above the limit of %u", size, STOVA_RAW_MAX_SIZE);
  if (!data && size) return Fail(STOVA_ERR_ARGUMENT, "WriteRaw: no data");
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("WriteRaw");
  bool exists = false;
  if (!UserExists(userId, exists)) return FailEngine("WriteRaw");
  if (!exists) return Fail(STOVA_ERR_NOT_FOUND, "WriteRaw: no member %u", userId);
  {
    CStovaQuery q(m_pDb->Statement(STMT_RAW_WRITE));
    q.Bind(userId).Bind(name).Bind(index).Bind(tableId).BindBlob(data, size);
    if (q.Step() != SQLITE_DONE) return FailEngine("WriteRaw");
  }
  if (!txn.Commit()) return FailEngine("WriteRaw");
  ok = 1;
  return 1;
}

int32_t CStovaConn::DeleteRaw(uint32_t userId, const char* name, int32_t index, int32_t& ok) {
  ok = 0;
  if (!ValidRawKey("DeleteRaw", userId, name, index)) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_RAW_DELETE));
  q.Bind(userId).Bind(name).Bind(index);
  if (q.Step() != SQLITE_DONE) return FailEngine("DeleteRaw");
  ok = sqlite3_changes(m_pDb->Handle()) > 0;
  return 1;
}
