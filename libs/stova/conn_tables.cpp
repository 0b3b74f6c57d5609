// Tables: their records, seats, owners, and the members' reservations.
#include "stova/connimpl.h"
#include "stova/stovaconn.h"

namespace {
constexpr uint32_t kRecordBytes = STOVA_TABLE_LONGS * 4;

// The record as stored: its longs in little-endian order, whatever the machine.
struct SRecordBytes {
  uint8_t m_Bytes[kRecordBytes];
  explicit SRecordBytes(const c2stovaTable& table, uint32_t id) : m_Bytes{} {
    c2stovaTable copy = table;
    copy.m_TableId = id;
    const int32_t* longs = copy.Longs();
    for (int i = 0; i < STOVA_TABLE_LONGS; ++i)
      for (int b = 0; b < 4; ++b) m_Bytes[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(longs[i]) >> (8 * b));
  }
};

void DecodeRecord(const uint8_t* bytes, c2stovaTable& table) {
  int32_t* longs = table.Longs();
  for (int i = 0; i < STOVA_TABLE_LONGS; ++i) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = v << 8 | bytes[i * 4 + b];
    longs[i] = static_cast<int32_t>(v);
  }
}

bool ValidUserOrNone(uint32_t id) { return id == 0 || StovaValidId(id); }
}  // namespace

int32_t CStovaConn::CreateTable(const c2stovaTable* table, uint32_t value, uint32_t& id, int32_t& ok) {
  ok = 0;
  if (!table) return Fail(STOVA_ERR_ARGUMENT, "CreateTable: no record");
  if (table->m_TableId != 0 && !ValidId(table->m_TableId, "CreateTable", "table")) return 0;
  if (!IsOpen()) return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("CreateTable");
  uint32_t tableId = table->m_TableId;
  if (tableId == 0) {
    CStovaQuery next(m_pDb->Statement(STMT_TABLE_NEXT_ID));
    if (next.Step() != SQLITE_ROW) return FailEngine("CreateTable");
    if (next.Int(0) > 0x7FFFFFFF) return Fail(STOVA_ERR_ARGUMENT, "CreateTable: no table id left");
    tableId = static_cast<uint32_t>(next.Int(0));
  }
  const SRecordBytes record(*table, tableId);
  {
    CStovaQuery q(m_pDb->Statement(STMT_TABLE_INSERT));
    q.Bind(tableId).Bind(table->m_Owner).Bind(table->m_InUse).Bind(table->m_TableType).Bind(value);
    q.BindBlob(record.m_Bytes, kRecordBytes).Bind(StovaNow());
    if (q.Step() != SQLITE_DONE) return FailEngine("CreateTable");
  }
  for (EStovaStatement clear : {STMT_SEATS_CLEAR, STMT_OWNER_CLEAR}) {
    CStovaQuery q(m_pDb->Statement(clear));
    q.Bind(tableId);
    if (q.Step() != SQLITE_DONE) return FailEngine("CreateTable");
  }
  if (!txn.Commit()) return FailEngine("CreateTable");
  id = tableId;
  ok = 1;
  return 1;
}

int32_t CStovaConn::GetTableInfo(uint32_t id, c2stovaTable* table, int32_t& found) {
  found = 0;
  if (!table) return Fail(STOVA_ERR_ARGUMENT, "GetTableInfo: no record");
  if (!ValidId(id, "GetTableInfo", "table")) return 0;
  if (!IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_TABLE_READ));
  q.Bind(id);
  const int rc = q.Step();
  if (rc == SQLITE_DONE) return 1;
  if (rc != SQLITE_ROW) return FailEngine("GetTableInfo");
  if (q.Bytes(3) != kRecordBytes) return Fail(STOVA_ERR_DAMAGED_VALUE, "GetTableInfo: table %u has a damaged record", id);
  c2stovaTable read;
  DecodeRecord(static_cast<const uint8_t*>(q.Blob(3)), read);
  read.m_TableId = id;
  read.m_Owner = static_cast<uint32_t>(q.Int(0));
  read.m_InUse = static_cast<int32_t>(q.Int(1));
  read.m_TableType = static_cast<int32_t>(q.Int(2));
  *table = read;
  found = 1;
  return 1;
}

int32_t CStovaConn::UpdateTableInfo(uint32_t id, const c2stovaTable* table, int32_t& ok) {
  ok = 0;
  if (!table) return Fail(STOVA_ERR_ARGUMENT, "UpdateTableInfo: no record");
  if (!ValidId(id, "UpdateTableInfo", "table")) return 0;
  if (!IsOpen()) return 0;
  const SRecordBytes record(*table, id);
  CStovaQuery q(m_pDb->Statement(STMT_TABLE_UPDATE));
  q.Bind(id).Bind(table->m_Owner).Bind(table->m_InUse).Bind(table->m_TableType).BindBlob(record.m_Bytes, kRecordBytes);
  if (q.Step() != SQLITE_DONE) return FailEngine("UpdateTableInfo");
  if (sqlite3_changes(m_pDb->Handle()) == 0) return Fail(STOVA_ERR_NOT_FOUND, "UpdateTableInfo: no table %u", id);
  ok = 1;
  return 1;
}

int32_t CStovaConn::DeleteTable(uint32_t id, int32_t& ok) {
  ok = 0;
  if (!ValidId(id, "DeleteTable", "table")) return 0;
  if (!IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_TABLE_DELETE));
  q.Bind(id);
  if (q.Step() != SQLITE_DONE) return FailEngine("DeleteTable");
  ok = sqlite3_changes(m_pDb->Handle()) > 0;
  return 1;
}

int32_t CStovaConn::SetTableOwner(uint32_t tableId, uint32_t userId, int32_t& ok) {
  ok = 0;
  if (!StovaValidId(tableId) || !ValidUserOrNone(userId))
    return Fail(STOVA_ERR_ARGUMENT, "SetTableOwner: table %ld, member %ld", static_cast<long>(static_cast<int32_t>(tableId)),
                static_cast<long>(static_cast<int32_t>(userId)));
  if (!IsOpen()) return 0;
  CStovaTransaction txn(*m_pDb, m_InCallerTransaction);
  if (!txn.Begun()) return FailEngine("SetTableOwner");
  for (EStovaStatement write : {STMT_OWNER_WRITE, STMT_TABLE_SET_OWNER}) {
    CStovaQuery q(m_pDb->Statement(write));
    q.Bind(tableId).Bind(userId);
    if (q.Step() != SQLITE_DONE) return FailEngine("SetTableOwner");
  }
  if (!txn.Commit()) return FailEngine("SetTableOwner");
  ok = 1;
  return 1;
}

int32_t CStovaConn::SetTableUser(uint32_t tableId, int32_t seat, uint32_t userId) {
  if (!StovaValidId(tableId) || seat < 0 || seat >= STOVA_MAX_SEATS || !ValidUserOrNone(userId))
    return Fail(STOVA_ERR_ARGUMENT, "SetTableUser: table %ld, seat %d, member %ld", static_cast<long>(static_cast<int32_t>(tableId)),
                seat, static_cast<long>(static_cast<int32_t>(userId)));
  if (!IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(userId ? STMT_SEAT_WRITE : STMT_SEAT_FREE));
  q.Bind(tableId).Bind(seat);
  if (userId) q.Bind(userId);
  if (q.Step() != SQLITE_DONE) return FailEngine("SetTableUser");
  return 1;
}

int32_t CStovaConn::SetReservedTableId(uint32_t userId, uint32_t& tableId, int32_t& ok) {
  ok = 0;
  if (!ValidId(userId, "SetReservedTableId", "member")) return 0;
  if (tableId != 0 && !ValidId(tableId, "SetReservedTableId", "table")) return 0;
  if (!IsOpen()) return 0;
  CStovaQuery q(m_pDb->Statement(STMT_USER_SET_RESERVED));
  q.Bind(userId).Bind(tableId);
  if (q.Step() != SQLITE_DONE) return FailEngine("SetReservedTableId");
  if (sqlite3_changes(m_pDb->Handle()) == 0) return Fail(STOVA_ERR_NOT_FOUND, "SetReservedTableId: no member %u", userId);
  ok = 1;
  return 1;
}
