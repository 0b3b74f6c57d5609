#include "dummygame.h"

#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <thread>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "support/pyoracle.h"

namespace {
std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Text(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}
}  // namespace

// ---- the scripted database ----

int32_t CScriptedStova::SetTableUser(uint32_t tableId, int32_t seat, uint32_t userId) {
  m_Calls.push_back(Text("SetTableUser %d %u", seat, userId));
  if (m_FailSetTableUser) return Fail(STOVA_ERR_SQLITE, "SetTableUser: the disk is full");
  return CServerTableDatabase::SetTableUser(tableId, seat, userId);
}

int32_t CScriptedStova::Connect(const char* dataSource, const char* user, const char* password,
                                const char* database) {
  if (m_FailConnect) return Fail(STOVA_ERR_NOT_OPEN, "Connect: no server at %s", dataSource ? dataSource : "");
  return CServerTableDatabase::Connect(dataSource, user, password, database);
}

int32_t CScriptedStova::UpdateTableInfo(uint32_t id, const c2stovaTable* table, int32_t& ok) {
  if (m_FailUpdateTableInfo) {
    ok = 0;
    return Fail(STOVA_ERR_SQLITE, "UpdateTableInfo: the disk is full");
  }
  return CServerTableDatabase::UpdateTableInfo(id, table, ok);
}

int32_t CScriptedStova::WriteRaw(uint32_t userId, uint32_t tableId, const char* name, int32_t index,
                                 const void* data, uint32_t size, int32_t& ok) {
  if (m_WriteRaws++ == m_FailWriteRawAt) {
    ok = 0;
    return Fail(STOVA_ERR_SQLITE, "WriteRaw: the disk is full");
  }
  return CServerTableDatabase::WriteRaw(userId, tableId, name, index, data, size, ok);
}

int32_t CScriptedStova::GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) {
  if (m_FailGetUserCash) {
    ok = 0;
    return Fail(STOVA_ERR_SQLITE, "GetUserCash: the disk is gone");
  }
  return CServerTableDatabase::GetUserCash(id, cash, ok);
}

int32_t CScriptedStova::PracticeSetUserCash(uint32_t id, const TStovaMoney& cash, int32_t& ok) {
  m_Calls.push_back(Text("PracticeSetUserCash %u %s", id, static_cast<const char*>(cash.GetString())));
  return CServerTableDatabase::PracticeSetUserCash(id, cash, ok);
}

// ---- the game ----

std::vector<std::string> CDummyGame::Calls(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& call : m_Calls)
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  return out;
}

int32_t CDummyGame::CreateGamePlayer(int32_t seat, int32_t playerId) {
  m_Calls.push_back(Text("CreateGamePlayer %d %d", seat, playerId));
  return 1;
}

int32_t CDummyGame::DeleteGamePlayer(int32_t seat) {
  m_Calls.push_back(Text("DeleteGamePlayer %d", seat));
  m_Bets[seat] = 0;
  return 1;
}

int32_t CDummyGame::NewRoundStarted() {
  m_Calls.push_back("NewRoundStarted");
  for (int32_t& bet : m_Bets) bet = 0;
  m_PlayStep = 0;
  return 1;
}

int32_t CDummyGame::InitServerGame() {
  m_Calls.push_back("InitServerGame");
  return m_InitResult;
}

int32_t CDummyGame::ExitServerGame() {
  m_Calls.push_back("ExitServerGame");
  return 7;
}

int32_t CDummyGame::StartPlay() {
  m_Calls.push_back("StartPlay");
  return 1;
}

int32_t CDummyGame::GameHandler() {
  m_Calls.push_back("GameHandler");
  if (m_Present && m_PlayStep++ == 0) {
    SetTablePresentationStart();
    return 1;
  }
  return BeginNewRound();
}

int32_t CDummyGame::HandleBetPacket() {
  CCommNode* node = GetTableNode();
  int32_t seat = -1, player = 0;
  while (RecvEnterPrivatePlayerData(node, seat, player, DUMMY_BET) && seat != -1) {
    int32_t bet = 0;
    const bool read = node->m_RecvKCBL.GetItem(DUMMY_ITEM_BET, KLONG, &bet, KEND);
    RecvExitPrivatePlayerData(node);
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    if (!read || !connection || connection->m_PlayerId != player || !connection->m_Joined || bet <= 0) continue;
    m_Calls.push_back(Text("Bet %d %d", seat, bet));
    m_Bets[seat] = bet;
    GetPlayerHistoryLogger().BetClick(seat, TMoney(bet), -1);
    SetBetFlag(seat, 1);
  }
  return 1;
}

int32_t CDummyGame::SlotChanged(int32_t seat) {
  m_Calls.push_back(Text("SlotChanged %d", seat));
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (connection && connection->IsHeld()) connection->m_Joined = 1;
  return 1;
}

int32_t CDummyGame::AddGameSpecData() {
  m_Calls.push_back(Text("AddGameSpecData %d", GetGameSpecAddressee()));
  return GetPlayerNode()->NewItem(DUMMY_ITEM_LIMIT, KLONG, 500, KEND);
}

int32_t CDummyGame::StoreGame() {
  m_Calls.push_back("StoreGame");
  for (int32_t bet : m_Bets) SSAddLong(static_cast<uint32_t>(bet));
  SSAddLong(static_cast<uint32_t>(m_PlayStep));
  SSAddDouble(m_Odds);
  SSAddMoney(m_Pot);
  return SSAddString(m_Note.c_str()) && (!m_StoreMore || m_StoreMore());
}

int32_t CDummyGame::RestoreGame() {
  int32_t bets[DUMMY_SEATS];
  for (int32_t& bet : bets) bet = SSGetLong();
  const int32_t step = SSGetLong();
  const double odds = SSGetDouble();
  const TMoney pot = SSGetMoney();
  const char* note = SSGetString();
  if (!note || SSIsShort() || pot.GetError() || (m_RestoreMore && !m_RestoreMore())) {
    m_Calls.push_back("RestoreGame damaged");
    return 0;
  }
  for (int32_t i = 0; i < DUMMY_SEATS; ++i) m_Bets[i] = bets[i];
  m_PlayStep = step;
  m_Odds = odds;
  m_Pot = pot;
  m_Note = note;
  m_Calls.push_back(Text("RestoreGame %d %d %d %d %d", bets[0], bets[1], bets[2], bets[3], bets[4]));
  return m_RestoreResult;
}

int32_t CDummyGame::RestoreGameAlterationCallback() {
  m_Calls.push_back("RestoreGameAlterationCallback");
  return m_AlterationResult;
}

int32_t CDummyGame::GetPendingCash(TMoney& amount, int32_t playerId) {
  amount = TMoney();
  for (int32_t i = 0; i < DUMMY_SEATS; ++i)
    if (GetPlayerConnection(i)->m_PlayerId == playerId) amount += TMoney(m_Bets[i]);
  return 1;
}

int32_t CDummyGame::IsPlayerInGame(int32_t playerId) {
  m_Calls.push_back(Text("IsPlayerInGame %d", playerId));
  if (GetState() < SERVERSTATE_BETTING) return 0;
  for (int32_t i = 0; i < DUMMY_SEATS; ++i)
    if (GetPlayerConnection(i)->m_PlayerId == playerId && m_Bets[i] > 0) return 1;
  return 0;
}

int32_t CDummyGame::ReserveCallback(int32_t seat) {
  m_Calls.push_back(Text("ReserveCallback %d", seat));
  return 1;
}

int32_t CDummyGame::ClientPresentationTimedOut(int32_t seat) {
  m_Calls.push_back(Text("ClientPresentationTimedOut %d", seat));
  return 1;
}

// ---- the client side ----

CDummyClient::CDummyClient(int32_t playerId, uint32_t tableId) : m_PlayerId(playerId), m_TableId(tableId) {
  m_pPlayer.reset(MakeNode(TABLE_NODE_PLAYER, 0));
  m_pTable.reset(MakeNode(TABLE_NODE_TABLE, 0));
  m_pSlotStatus.reset(MakeNode(TABLE_NODE_SLOTSTATUS, 0));
  m_pSlotAlloc.reset(MakeNode(TABLE_NODE_SLOTALLOC, 0));
  m_pHistory.reset(MakeNode(TABLE_NODE_PLAYERHISTORY, 0));
}

CDummyClient::~CDummyClient() = default;

CCommNode* CDummyClient::MakeNode(const char* suffix, uint32_t id) {
  auto* node = new CCommNode;
  node->SetLog(0);
  node->m_RecvKCBL.RestartMode(0);
  EXPECT_EQ(node->SetId(id), 1);
  EXPECT_EQ(node->SetName(DUMMY_GAME, suffix, m_TableId, 0, 0), 1);
  EXPECT_EQ(node->SetObjName(DUMMY_GAME, TABLE_SUBTYPE_CLIENT), 1);
  EXPECT_EQ(node->InitCommNode(CNODE_CLIENT), 1);
  return node;
}

bool CDummyClient::Send(CCommNode& node, const std::string& text) {
  return node.SendInit() && node.SendPacket(text.c_str(), static_cast<uint32_t>(text.size()));
}

std::string CDummyClient::Next(CCommNode& node) {
  if (!node.IsDataAvailable()) return "";
  void* data = nullptr;
  uint32_t size = 0;
  if (!node.RecvPacket(data, size)) return "";
  std::string text(static_cast<const char*>(data), size);
  xFree(data);
  node.RecvFree();
  return text;
}

std::vector<std::string> CDummyClient::All(CCommNode& node) {
  std::vector<std::string> out;
  for (std::string text = Next(node); !text.empty(); text = Next(node)) out.push_back(text);
  return out;
}

void CDummyClient::Clear() {
  for (CCommNode* node : {m_pPlayer.get(), m_pTable.get(), m_pSlotStatus.get(), m_pSlotAlloc.get(), m_pHistory.get()})
    All(*node);
}

bool CDummyClient::RequestTimeDiff() {
  CCommNode& node = SlotAlloc();
  return node.SendInit() && node.NewItem(TABLE_MSG_REQUESTTIMEDIFF, KEND) &&
         node.NewItem(TABLE_ITEM_ID, KLONG, m_PlayerId, KEND) && node.SendKCBLPacket();
}

bool CDummyClient::RequestReconnect() {
  CCommNode& node = SlotAlloc();
  return node.SendInit() && node.NewItem(TABLE_MSG_REQUESTRECONNECT, KEND) &&
         node.NewItem(TABLE_ITEM_ID, KLONG, m_PlayerId, KEND) && node.SendKCBLPacket();
}

bool CDummyClient::SendPrivate(CCommNode& node, const char* name, int32_t seat, const std::string& items) {
  std::string text = "{ = PrivatePlayerData, " + std::string(name) + ", " + std::to_string(m_PlayerId) + ", " +
                     std::to_string(seat) + "\n" + items + "}\n";
  return Send(node, text);
}

bool CDummyClient::AllocateSlot(int32_t slot) {
  return SendPrivate(SlotAlloc(), TABLE_MSG_ALLOCATESLOT, 0, "    Slot = " + std::to_string(slot) + "\n");
}

bool CDummyClient::ReserveSlot(int32_t slot) {
  return SendPrivate(SlotAlloc(), TABLE_MSG_RESERVESLOT, 0, "    Slot = " + std::to_string(slot) + "\n");
}

bool CDummyClient::DeAllocateSlot(int32_t slot) {
  return SendPrivate(SlotAlloc(), TABLE_MSG_DEALLOCATESLOTREQ, 0, "    Slot = " + std::to_string(slot) + "\n");
}

bool CDummyClient::Bet(int32_t seat, int32_t amount) {
  return SendPrivate(Table(), DUMMY_BET, seat, "    Bet = " + std::to_string(amount) + "\n");
}

bool CDummyClient::PresentationDone() {
  CCommNode& node = Table();
  return node.SendInit() && node.NewItem(TABLE_MSG_PRESENTATIONDONE, KEND) &&
         node.NewItem(TABLE_ITEM_USERID, KLONG, m_PlayerId, KEND) && node.SendKCBLPacket();
}

bool CDummyClient::MeasureTimeDiff(const std::function<void()>& tick) {
  m_pTimeDiff = std::make_unique<CTimeDiffClient>();
  m_pTimeDiff->SetId(static_cast<uint32_t>(m_PlayerId));
  m_pTimeDiff->SetName(DUMMY_GAME, TABLE_NODE_TIMEDIFF, m_TableId, 0, 0);
  m_pTimeDiff->SetObjName(DUMMY_GAME, TABLE_SUBTYPE_CLIENT);
  if (!m_pTimeDiff->Init(0)) return false;
  for (int i = 0; i < 20 && !m_pTimeDiff->IsClientDone(); ++i) {
    if (!m_pTimeDiff->Handler()) return false;
    tick();
  }
  const bool done = m_pTimeDiff->IsClientDone();
  m_pTimeDiff.reset();
  return done;
}

// ---- the process ----

void CDummyTableTest::SetUp() {
  CTableTest::SetUp();
  m_pCwd = std::make_unique<CWorkingDir>(m_Dir.Path());
  m_pDb = std::make_unique<CStovaConn>();
  ASSERT_EQ(m_pDb->Init(), 1);
}

void CDummyTableTest::TearDown() {
  if (m_pTable && !m_Ended) m_pTable->ExitTable();
  m_pTable.reset();
  m_pDb.reset();
  m_pCwd.reset();
  // The table runs frames of the loop during reconnects.
  xFreeFramePools();
  CTableTest::TearDown();
}

uint32_t CDummyTableTest::CreateMember(const char* name, int32_t iconValue, int32_t iconFlags, const char* cash) {
  c2stovaUser user;
  snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
  user.m_IconValue = iconValue;
  user.m_IconFlags = iconFlags;
  user.m_Cash = TStovaMoney(cash);
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_pDb->CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
  EXPECT_EQ(ok, 1);
  return id;
}

void CDummyTableTest::CreateTableRecord(int32_t type, uint32_t tableId) {
  c2stovaTable record;
  record.m_TableId = tableId;
  record.m_TableType = type;
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
  ASSERT_EQ(id, tableId);
}

int32_t CDummyTableTest::StartTable(int32_t reserveId, int32_t processId, bool listen,
                                   const std::function<void(CDummyGame&, CScriptedStova&)>& configure) {
  m_pTable = std::make_unique<CDummyGame>();
  m_pTableDb = new CScriptedStova;
  m_pTable->SetStovaConnection(m_pTableDb);
  m_pTable->SetReserveId(reserveId);
  m_pTable->SetBetTimeout(20);
  m_pTable->SetMaxTimeOuts(2);
  m_pTable->SetReservedTimeOut(30000);
  if (configure) configure(*m_pTable, *m_pTableDb);
  m_Ended = false;
  return m_pTable->InitTable(static_cast<int32_t>(DUMMY_TABLE), processId, 0, listen ? 1 : 0, 0);
}

bool CDummyTableTest::Tick() {
  if (m_Ended) return false;
  if (!m_pTable->ServerHandler()) m_Ended = true;
  return !m_Ended;
}

bool CDummyTableTest::Run(uint32_t ms, uint32_t step) {
  for (uint32_t t = 0; t < ms; t += step) {
    m_Clock.Advance(step);
    if (!Tick()) return false;
  }
  return true;
}

void CDummyTableTest::JoinAsCreator(CDummyClient& client, int32_t seat) {
  ASSERT_TRUE(client.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(client.MeasureTimeDiff([this] { Tick(); }));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Tick());
  ASSERT_EQ(m_pTable->GetReserveId(), 0) << "the table was created";
  client.Clear();
  if (seat < 0) return;
  ASSERT_TRUE(client.AllocateSlot(seat));
  ASSERT_TRUE(Tick());
  client.Clear();
}

void CDummyTableTest::Join(CDummyClient& client, int32_t seat) {
  ASSERT_TRUE(client.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(client.MeasureTimeDiff([this] { Tick(); }));
  ASSERT_TRUE(client.RequestReconnect());
  ASSERT_TRUE(Tick());
  client.Clear();
  if (seat < 0) return;
  ASSERT_TRUE(client.AllocateSlot(seat));
  ASSERT_TRUE(Tick());
  client.Clear();
}

std::vector<std::string> CDummyTableTest::Rows(const std::string& sql) {
  return RunPythonTool("stova_rows.py", m_Dir.File(STOVA_FILE_NAME) + "\n" + sql);
}

int32_t ItemLong(const std::string& text, const char* keyword, int32_t fallback) {
  CKCBL record;
  record.RestartMode(0);
  if (!record.Import(text.c_str(), static_cast<int32_t>(text.size()))) return fallback;
  record.MainChunk();
  record.FirstItem();
  int32_t value = 0;
  return record.GetItem(keyword, KLONG, &value, KEND) ? value : fallback;
}

std::vector<std::string> WithItem(const std::vector<std::string>& records, const char* keyword) {
  std::vector<std::string> out;
  const std::string key = keyword;
  for (const std::string& text : records) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      line.erase(0, line.find_first_not_of(' '));
      bool match = line == key || line.rfind(key + " =", 0) == 0;
      // A chunk matches by the texts of its values: "{ = PrivatePlayerData, JoinRequest, 1, 0".
      if (!match && line.rfind("{ = ", 0) == 0) {
        const std::string values = ", " + line.substr(4) + ",";
        match = values.find(", " + key + ",") != std::string::npos;
      }
      if (match) {
        out.push_back(text);
        break;
      }
      start = end + 1;
    }
  }
  return out;
}

