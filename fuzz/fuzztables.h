// What the table fuzz targets start from: a practice table's record in the process's database,
// and a blackjack server table with small limits.
#pragma once

#include <cstdint>
#include <memory>

#include "common/database/stovaconn.h"
#include "fuzzfolder.h"

// The record a table of that id reads at its start.
inline void FuzzCreatePracticeTable(uint32_t tableId) {
  CStovaConn db;
  FuzzCheck(db.Init() == 1);
  c2stovaTable record;
  record.m_TableId = tableId;
  record.m_TableType = STOVA_TABLE_PRACTICE;
  uint32_t id = 0;
  int32_t ok = 0;
  FuzzCheck(db.CreateTable(&record, 0, id, ok) == 1);
  db.Exit();
}
