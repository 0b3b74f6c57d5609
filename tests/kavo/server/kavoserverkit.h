// The process for a blackjack server table under test: globals, the communication library, the
// test clock, a working folder with the player database, a table of one of the three games, and
// client nodes that receive what the table sends.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"
#include "support/tempdir.h"
#include "support/testclock.h"

using TMoney = CHugeFixedPoint<10, 10>;

// The table's database, with single calls made to fail as when the player's row is gone.
class CKavoStova : public CServerTableDatabase {
 public:
  int32_t GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) override;
  int32_t DecIncUserCash(uint32_t id, const TStovaMoney& debit, int32_t debitType, const TStovaMoney& credit,
                         int32_t creditType, int32_t& ok) override;
  int32_t IncUserCash(uint32_t id, const TStovaMoney& amount, int32_t type, int32_t& ok, uint32_t value) override;

  bool m_FailGetUserCash = false;
  // The n-th DecIncUserCash / IncUserCash from now fails (0: none).
  int32_t m_FailDecIncAt = 0;
  int32_t m_FailIncAt = 0;
  int32_t m_DecIncCalls = 0;
  int32_t m_IncCalls = 0;
};

inline constexpr int32_t KAVO_TEST_BETLIMITS[KAVO_BETLIMITS] = {5, 500, 10, 1000, 25, 2500};
inline constexpr int32_t KAVO_TEST_TIMELIMITS[KAVO_TIMELIMITS] = {30, 15};

class CKavoTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A member with that balance; his id.
  int32_t CreateMember(const char* name, const char* cash);
  // Builds the table of the game (table id gameId * 1000 + 1) with the test limits; configure
  // runs before InitTable.
  void StartTable(int32_t gameId = KAVO_GAMEID_REGULAR,
                  const std::function<void(CBlackJackServerTable&)>& configure = nullptr);
  // The table's record in the database, then the table (given, returned) on that connection
  // with the test limits, configured and initialised.
  CBlackJackServerTable* BuildTable(uint32_t tableId, CBlackJackServerTable* table, CStovaConn* db,
                                    const std::function<void(CBlackJackServerTable&)>& configure = nullptr);
  // Seats the player and prepares the seat for the round.
  void Seat(int32_t seat, int32_t playerId);
  // A final bet on the seat, as the betting left it.
  void PlaceBet(int32_t seat, const char* amount);
  // Cards to the seat's current hand (the dealer: seat 5).
  void GiveCards(int32_t seat, std::initializer_list<int32_t> cards);
  // A scripted shoe.
  void RigShoe(std::initializer_list<int32_t> cards);
  // Sends a client chunk of the player on the table node as a client table would.
  void SendClient(int32_t playerId, int32_t seat, const char* name, const std::string& items);
  // Delivers the next record the table node received to its received record (as the framework
  // does before calling the game); false when none waits.
  bool ReceiveOnTable();

  // Every record the client's table node got since the last call, oldest first.
  std::vector<std::string> Packets();
  // The same, of the player node.
  std::vector<std::string> PlayerNodePackets();
  // The balance as the test's own connection reads it.
  TMoney Cash(int32_t playerId);
  // Balance in cents from Python's sqlite3.
  int64_t BalanceCents(int32_t playerId);
  // "type cents" of the player's game bookings, oldest first, from Python's sqlite3.
  std::vector<std::string> Bookings(int32_t playerId);

  // The type of the table records BuildTable writes (a practice table saves no crashed game).
  int32_t m_TableType = STOVA_TABLE_PRACTICE;
  // Makes the table StartTable builds (a derived test table may stand in).
  std::function<CBlackJackServerTable*()> m_MakeTable = [] { return new CBlackJackServerTable; };

  CBlackJackServerPlayer& Record(int32_t seat) { return *m_pTable->GetPlayer(seat); }

  CTestClock m_Clock{1000};
  CTempDir m_Dir;
  std::unique_ptr<CWorkingDir> m_pCwd;
  std::unique_ptr<CStovaConn> m_pDb;
  std::unique_ptr<CBlackJackServerTable> m_pTable;
  CKavoStova* m_pStova = nullptr;  // owned by the table
  std::unique_ptr<CCommNode> m_pClientTable;
  std::unique_ptr<CCommNode> m_pClientPlayer;
  int32_t m_Ann = 0;  // a member with 1000.00
};

// The flattened records that hold a chunk of that name.
std::vector<std::string> WithName(const std::vector<std::string>& records, const char* name);
// A record's text as one line per item, indentation removed (for exact comparisons).
std::string Flat(const std::string& record);
