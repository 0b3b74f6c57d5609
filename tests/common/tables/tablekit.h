// Shared pieces of the table tests: a small game table on the table base (either half's node
// type), a process with the communication library started and a test clock, and record helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tables/tablebase.h"
#include "ostrelcomm/commnode.h"
#include "support/testclock.h"

// A game table of four seats that supplies the pure operations and records the calls it gets.
class CTestTable : public CTableBase {
 public:
  // nodeType: CNODE_CLIENT or CNODE_SERVER; the sub-type follows it.
  explicit CTestTable(uint32_t nodeType = CNODE_SERVER, int32_t seats = 4, const char* game = "Kavo")
      : m_NodeType(nodeType), m_Seats(seats), m_pGame(game) {}

  int32_t Init(int32_t a, int32_t b, int32_t c) override {
    m_InitArgs = {a, b, c};
    return m_InitResult;
  }
  int32_t Exit() override {
    ++m_Exits;
    return m_ExitResult;
  }
  int32_t GetNumSlots() override { return m_Seats; }
  const char* GetGameName() override { return m_pGame; }
  const char* GetTableSubType() override {
    return m_NodeType == CNODE_CLIENT ? TABLE_SUBTYPE_CLIENT : TABLE_SUBTYPE_SERVER;
  }
  int32_t CreatePlayer(int32_t seat, int32_t playerId) override { return CreateGamePlayer(seat, playerId); }
  int32_t DeletePlayer(int32_t seat) override { return DeleteGamePlayer(seat); }
  int32_t CreateGamePlayer(int32_t seat, int32_t playerId) override {
    m_Calls.push_back("create " + std::to_string(seat) + " " + std::to_string(playerId));
    return m_CreateResult;
  }
  int32_t DeleteGamePlayer(int32_t seat) override {
    m_Calls.push_back("delete " + std::to_string(seat));
    return 1;
  }
  uint32_t GetNodeType() override { return m_NodeType; }
  int32_t NewRoundStarted() override { return 1; }

  uint32_t m_NodeType;
  int32_t m_Seats;
  const char* m_pGame;
  int32_t m_InitResult = 1;
  int32_t m_ExitResult = 1;
  int32_t m_CreateResult = 1;
  int32_t m_Exits = 0;
  std::vector<int32_t> m_InitArgs;
  std::vector<std::string> m_Calls;
};

// Globals created, the communication library started and the clock in the test's hand.
class CTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  CTestClock m_Clock{1000};
};

// The outgoing record of from, exported and imported as the received record of to (whose
// searches do not wrap, as on a table node); the text that travelled.
std::string Carry(CCommNode& from, CCommNode& to);
