// Shared pieces of the play-history tests: a process with the communication library started, a
// database in a fresh working folder that records and can refuse what the logger and the server
// ask of it, and reading the file back with Python's sqlite3 module.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "support/tempdir.h"

// The table's database, with a record of the history calls and switches that make them fail.
class CRecordingStova : public CServerTableDatabase {
 public:
  struct SInsert {
    int32_t m_Player, m_Table, m_Round, m_Type;
    std::string m_Parts[4];
  };
  struct SSessionsCall {
    int32_t m_Player, m_Filter, m_Selection, m_FirstRow, m_Rows;
  };

  int32_t PlayerHistoryGetFlag(uint32_t tableId, uint32_t& flag, int32_t& status) override;
  int32_t PlayerHistoryInsert(uint32_t playerId, uint32_t tableId, int round, int type, const char* part1,
                              const char* part2, const char* part3, const char* part4, int32_t& status) override;
  int32_t PlayerHistoryGetPlayerSessions(uint32_t playerId, int32_t gameFilter, int32_t selection, int32_t firstRow,
                                         int32_t rows, CLList* list, int32_t& count) override;
  int32_t PlayerHistoryGetPlayerSessionData(int32_t sessionId, int32_t firstRow, int32_t rows, CLList* list,
                                            int32_t& count) override;

  int32_t m_Flag = -1;           // -1: the database's own answer
  bool m_FailInsert = false;     // PlayerHistoryInsert fails with an error record
  int32_t m_ForceCount = 0;      // non-zero: the list calls report this count
  std::vector<SInsert> m_Inserts;
  std::vector<SSessionsCall> m_SessionsCalls;
  int32_t m_DataCalls = 0;
};

class CPlayerHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The rows of a query, through Python's sqlite3 (texts in hex).
  std::vector<std::string> Rows(const std::string& sql);
  // A member of that name; his id.
  uint32_t CreateMember(const char* name);

  CTempDir m_Dir;
  CWorkingDir m_Cwd{m_Dir.Path()};
  CRecordingStova m_Db;
  uint32_t m_Player = 0;
};

std::string Hex(const std::string& bytes);
