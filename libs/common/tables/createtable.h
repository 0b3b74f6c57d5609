// Finishing the creation of a new table. The server half's creator reads the table's database
// record once the creating player's client is connected (deleting it in play for fun, where the
// record served only to hand the table's settings over) and gives it to the game through a parse
// callback. The client half's creator keeps the creating player's id, node and table.
#pragma once

#include <cstdint>

#include "stova/stovarecords.h"

class CCommNode;
class CClientTableBase;
class CServerTableBase;

// The game's reading of the new table's record; non-zero accepts it.
using TCreateTableParseFunc = int32_t (*)(void* context, c2stovaTable* record);

class CServerCreateTable {
 public:
  CServerCreateTable() = default;
  // Exit.
  ~CServerCreateTable();
  CServerCreateTable(const CServerCreateTable&) = delete;
  CServerCreateTable& operator=(const CServerCreateTable&) = delete;

  // The callback and the context it is given; 1. Without one the record is accepted as read.
  int32_t SetParseFunction(void* context, TCreateTableParseFunc callback);
  // The table whose database, id and mode the creation uses (kept, not owned).
  void SetTable(CServerTableBase* table) { m_pParseContext = table; }
  // The slot-allocation node of the table; 1.
  int32_t Init(CCommNode* node);
  // Frees the record buffer; 1.
  int32_t Exit();
  // Reads the table's record, deletes it in play for fun and hands it to the callback. done is 1
  // after every call. 0 when a database call fails (its error records drained) or the callback
  // refuses the record.
  int32_t Handler(int32_t& done);

  CCommNode* GetNode() const { return m_pNode; }

 private:
  CCommNode* m_pNode = nullptr;
  int32_t m_Spare = 0;
  c2stovaTable* m_pBuffer = nullptr;
  CServerTableBase* m_pParseContext = nullptr;
  void* m_pParseContextCopy = nullptr;
  TCreateTableParseFunc m_pParseFunction = nullptr;
};

class CClientCreateTable {
 public:
  CClientCreateTable() = default;
  ~CClientCreateTable() = default;
  CClientCreateTable(const CClientCreateTable&) = delete;
  CClientCreateTable& operator=(const CClientCreateTable&) = delete;

  // Keeps the three (neither node nor table is owned); 1.
  int32_t Init(int32_t playerId, CCommNode* node, CClientTableBase* table);
  // Forgets them; 1.
  int32_t Exit();

  int32_t GetPlayerId() const { return m_PlayerId; }
  CCommNode* GetNode() const { return m_pNode; }
  CClientTableBase* GetClientTable() const { return m_pClientTable; }

 private:
  int32_t m_PlayerId = 0;
  CCommNode* m_pNode = nullptr;
  int32_t m_Spare = 0;
  CClientTableBase* m_pClientTable = nullptr;
};
