#include "common/tables/createtable.h"

#include <new>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/servertablebase.h"
#include "ostrel/system/debug.h"

CServerCreateTable::~CServerCreateTable() { Exit(); }

int32_t CServerCreateTable::SetParseFunction(void* context, TCreateTableParseFunc callback) {
  m_pParseContextCopy = context;
  m_pParseFunction = callback;
  return 1;
}

int32_t CServerCreateTable::Init(CCommNode* node) {
  m_pNode = node;
  return 1;
}

int32_t CServerCreateTable::Exit() {
  delete m_pBuffer;
  m_pBuffer = nullptr;
  return 1;
}

int32_t CServerCreateTable::Handler(int32_t& done) {
  done = 1;
  CServerTableBase* table = m_pParseContext;
  CStovaConn* db = table ? table->GetStova() : nullptr;
  if (!db) {
    xprintf("CServerCreateTable::Handler: no table database");
    return 0;
  }
  delete m_pBuffer;
  m_pBuffer = new (std::nothrow) c2stovaTable;
  if (!m_pBuffer) return 0;
  const uint32_t tableId = table->GetTableId();
  int32_t found = 0;
  const int32_t read = db->GetTableInfo(tableId, m_pBuffer, found);
  if (!xStovaCallOk(db, read, found, "CServerCreateTable::Handler stova call failed, returned error:%s",
                    "CServerCreateTable::Handler stova call failed, returned error:the table has no record")) {
    Exit();
    return 0;
  }
  if (table->GetMode() == 0) {
    int32_t ok = 0;
    const int32_t deleted = db->DeleteTable(tableId, ok);
    if (!xStovaCallOk(db, deleted, ok, "CServerCreateTable::Handler stova call returned error:%s",
                      "CServerCreateTable::Handler stova call returned error:the record was not deleted")) {
      Exit();
      return 0;
    }
  }
  const int32_t accepted = m_pParseFunction ? m_pParseFunction(m_pParseContextCopy, m_pBuffer) : 1;
  Exit();
  return accepted ? 1 : 0;
}

int32_t CClientCreateTable::Init(int32_t playerId, CCommNode* node, CClientTableBase* table) {
  m_PlayerId = playerId;
  m_pNode = node;
  m_pClientTable = table;
  return 1;
}

int32_t CClientCreateTable::Exit() {
  m_PlayerId = 0;
  m_pNode = nullptr;
  m_pClientTable = nullptr;
  return 1;
}
