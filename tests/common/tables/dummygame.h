// The table fixture the server-table suites share: DummyGame, the server half of a small game (5
// seats, a bet of one long per seat, every hook recorded), a client side made of plain nodes
// that talks to it as a client table would, a database that can be made to refuse calls, and a
// process with the test clock, the communication library and a working folder holding the
// table's database.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "common/tables/servertablebase.h"
#include "ostrelcomm/timediff.h"
#include "support/tables.h"
#include "support/tempdir.h"
#include "tablekit.h"

inline constexpr const char* DUMMY_GAME = "Dummy";
inline constexpr int32_t DUMMY_SEATS = 5;
inline constexpr uint32_t DUMMY_TABLE = 5001;
// The game's bet: a private chunk per seat (the bet's seat, not the client's 0) with "Bet" long.
inline constexpr const char* DUMMY_BET = "DummyBet";
inline constexpr const char* DUMMY_ITEM_BET = "Bet";
// The game's own item of "GameSpec".
inline constexpr const char* DUMMY_ITEM_LIMIT = "DummyLimit";

// The table's database with switches that make single calls fail (with an error record).
class CScriptedStova : public CServerTableDatabase {
 public:
  int32_t SetTableUser(uint32_t tableId, int32_t seat, uint32_t userId) override;
  int32_t GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) override;
  int32_t PracticeSetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) override;
  int32_t Connect(const char* dataSource, const char* user, const char* password, const char* database) override;
  int32_t UpdateTableInfo(uint32_t id, const c2stovaTable* table, int32_t& ok) override;
  int32_t WriteRaw(uint32_t userId, uint32_t tableId, const char* name, int32_t index, const void* data,
                   uint32_t size, int32_t& ok) override;

  bool m_FailConnect = false;
  bool m_FailUpdateTableInfo = false;
  bool m_FailSetTableUser = false;
  bool m_FailGetUserCash = false;
  // WriteRaw calls counted from 0; the one of this number fails (-1: none).
  int32_t m_FailWriteRawAt = -1;
  int32_t m_WriteRaws = 0;
  std::vector<std::string> m_Calls;  // "SetTableUser seat user", "PracticeSetUserCash user amount"
};

class CDummyGame : public CServerTableBase {
 public:
  int32_t GetNumSlots() override { return DUMMY_SEATS; }
  const char* GetGameName() override { return DUMMY_GAME; }
  int32_t CreateGamePlayer(int32_t seat, int32_t playerId) override;
  int32_t DeleteGamePlayer(int32_t seat) override;
  int32_t NewRoundStarted() override;
  int32_t InitServerGame() override;
  int32_t ExitServerGame() override;
  int32_t GameHandler() override;
  int32_t StartPlay() override;
  int32_t HandleBetPacket() override;
  int32_t SlotChanged(int32_t seat) override;
  int32_t AddGameSpecData() override;
  int32_t StoreGame() override;
  int32_t RestoreGame() override;
  int32_t GetPendingCash(TMoney& amount, int32_t playerId) override;
  int32_t IsPlayerInGame(int32_t playerId) override;
  int32_t ReserveCallback(int32_t seat) override;
  int32_t ClientPresentationTimedOut(int32_t seat) override;
  // A seat has its bet in once the game took one.
  int32_t IsBetInSlot(int32_t seat) override { return seat >= 0 && seat < DUMMY_SEATS && m_Bets[seat] > 0; }

  // The calls of the game's operations, in order ("CreateGamePlayer 2 7", "StartPlay", ...).
  std::vector<std::string> m_Calls;
  // The calls that begin with prefix.
  std::vector<std::string> Calls(const std::string& prefix) const;
  int32_t m_Bets[DUMMY_SEATS] = {};
  int32_t m_InitResult = 1;
  // After play the game presents the round (state 6), then begins the next; without, it begins
  // the next at once.
  bool m_Present = true;
  int32_t m_PlayStep = 0;
  // More of the game's state, saved for a reconnect with the bets and the play step.
  double m_Odds = 1.5;
  TMoney m_Pot;
  std::string m_Note = "dummy";
  // RestoreGame's answer once it has read its state; 0 refuses the restore.
  int32_t m_RestoreResult = 1;
  // RestoreGameAlterationCallback's answer (recorded as a call).
  int32_t m_AlterationResult = 1;
  int32_t RestoreGameAlterationCallback() override;
  // More of the game's state, appended after the rest and read back after it (games that keep
  // a deck or history lights).
  std::function<int32_t()> m_StoreMore;
  std::function<int32_t()> m_RestoreMore;
};

// One player's client side: client nodes named as the table's, as a client table makes them.
class CDummyClient {
 public:
  CDummyClient(int32_t playerId, uint32_t tableId = DUMMY_TABLE);
  ~CDummyClient();

  int32_t Id() const { return m_PlayerId; }
  CCommNode& Player() { return *m_pPlayer; }
  CCommNode& Table() { return *m_pTable; }
  CCommNode& SlotStatus() { return *m_pSlotStatus; }
  CCommNode& SlotAlloc() { return *m_pSlotAlloc; }
  CCommNode& History() { return *m_pHistory; }

  // Sends a record's text on the node.
  static bool Send(CCommNode& node, const std::string& text);
  // The next record the node received, as text; "" when none waits.
  static std::string Next(CCommNode& node);
  // Every record waiting on the node, oldest first.
  static std::vector<std::string> All(CCommNode& node);
  // Drops what waits on every node.
  void Clear();

  // The requests of a client table.
  bool RequestTimeDiff();
  bool RequestReconnect();
  bool AllocateSlot(int32_t slot);
  bool ReserveSlot(int32_t slot);
  bool DeAllocateSlot(int32_t slot);
  bool Bet(int32_t seat, int32_t amount);
  bool PresentationDone();
  // Measures the time difference through the table's time-difference node, ticking tick between
  // the steps; true once the client is done.
  bool MeasureTimeDiff(const std::function<void()>& tick);

 private:
  CCommNode* MakeNode(const char* suffix, uint32_t id);
  bool SendPrivate(CCommNode& node, const char* name, int32_t seat, const std::string& items);

  int32_t m_PlayerId;
  uint32_t m_TableId;
  std::unique_ptr<CCommNode> m_pPlayer, m_pTable, m_pSlotStatus, m_pSlotAlloc, m_pHistory;
  std::unique_ptr<CTimeDiffClient> m_pTimeDiff;
};

// The process for a server table (CTableTest: globals, the communication library, the test
// clock) and a working folder with the database; members made with CreateMember.
class CDummyTableTest : public CTableTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A member with an icon; his id.
  uint32_t CreateMember(const char* name, int32_t iconValue = 3, int32_t iconFlags = 1,
                        const char* cash = "100");
  // The table's record (type) in the database, as the local user process writes it.
  void CreateTableRecord(int32_t type, uint32_t tableId = DUMMY_TABLE);
  // Builds the table (InitTable with the process id, a listening server when listen is set);
  // the result of InitTable. The table's database is the scripted one; configure, when given,
  // sets the table up before InitTable.
  int32_t StartTable(int32_t reserveId, int32_t processId = 0, bool listen = false,
                     const std::function<void(CDummyGame&, CScriptedStova&)>& configure = nullptr);
  // One ServerHandler call; false once it returned 0.
  bool Tick();
  // Ticks while the clock advances ms in steps (the last tick at the end).
  bool Run(uint32_t ms, uint32_t step = 100);
  // The creator's road: time difference, creation, then his seat; the client's waiting
  // records are dropped.
  void JoinAsCreator(CDummyClient& client, int32_t seat);
  // Another player's road: time difference and reconnect, then his seat.
  void Join(CDummyClient& client, int32_t seat);
  // The rows of a query, through Python's sqlite3 (texts in hex).
  std::vector<std::string> Rows(const std::string& sql);

  CTempDir m_Dir;
  std::unique_ptr<CWorkingDir> m_pCwd;
  std::unique_ptr<CStovaConn> m_pDb;  // the test's own connection
  std::unique_ptr<CDummyGame> m_pTable;
  CScriptedStova* m_pTableDb = nullptr;  // owned by the table
  bool m_Ended = false;
};

// The value of an item of a record's text (a long); missing gives fallback.
int32_t ItemLong(const std::string& text, const char* keyword, int32_t fallback = -999);
// The texts among records that hold an item of that keyword, or a chunk with a value of that
// text, at any depth.
std::vector<std::string> WithItem(const std::vector<std::string>& records, const char* keyword);
