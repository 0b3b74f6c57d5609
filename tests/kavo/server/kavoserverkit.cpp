#include "kavoserverkit.h"

#include <cstdio>

#include "common/cards/deck.h"
#include "ostrel/base/types.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "server/scripteddeck.h"
#include "support/pyoracle.h"

// ---- the database ----

int32_t CKavoStova::GetUserCash(uint32_t id, TStovaMoney& cash, int32_t& ok) {
  if (m_FailGetUserCash) {
    ok = 0;
    return Fail(STOVA_ERR_NOT_FOUND, "GetUserCash: no member %u", id);
  }
  return CServerTableDatabase::GetUserCash(id, cash, ok);
}

int32_t CKavoStova::DecIncUserCash(uint32_t id, const TStovaMoney& debit, int32_t debitType,
                                   const TStovaMoney& credit, int32_t creditType, int32_t& ok) {
  if (++m_DecIncCalls == m_FailDecIncAt) {
    ok = 0;
    return Fail(STOVA_ERR_NOT_FOUND, "DecIncUserCash: no member %u", id);
  }
  return CServerTableDatabase::DecIncUserCash(id, debit, debitType, credit, creditType, ok);
}

int32_t CKavoStova::IncUserCash(uint32_t id, const TStovaMoney& amount, int32_t type, int32_t& ok, uint32_t value) {
  if (++m_IncCalls == m_FailIncAt) {
    ok = 0;
    return Fail(STOVA_ERR_NOT_FOUND, "IncUserCash: no member %u", id);
  }
  return CServerTableDatabase::IncUserCash(id, amount, type, ok, value);
}

// ---- the process ----

void CKavoTableTest::SetUp() {
  glb = new SGlobals(0);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  m_pCwd = std::make_unique<CWorkingDir>(m_Dir.Path());
  m_pDb = std::make_unique<CStovaConn>();
  ASSERT_EQ(m_pDb->Init(), 1);
  m_Ann = CreateMember("ann", "1000");
}

void CKavoTableTest::TearDown() {
  m_pClientTable.reset();
  m_pClientPlayer.reset();
  if (m_pTable) m_pTable->ExitTable();
  m_pTable.reset();
  m_pDb.reset();
  m_pCwd.reset();
  xFreeFramePools();
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  xCommClosedown();
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  glb = nullptr;
  sglb = nullptr;
}

int32_t CKavoTableTest::CreateMember(const char* name, const char* cash) {
  c2stovaUser user;
  snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
  user.m_Cash = TStovaMoney(cash);
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_pDb->CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
  EXPECT_EQ(ok, 1);
  return static_cast<int32_t>(id);
}

namespace {
std::unique_ptr<CCommNode> ClientNode(const char* game, const char* suffix, uint32_t tableId, uint32_t id) {
  auto node = std::make_unique<CCommNode>();
  node->SetLog(0);
  node->m_RecvKCBL.RestartMode(0);
  EXPECT_EQ(node->SetId(id), 1);
  EXPECT_EQ(node->SetName(game, suffix, tableId, 0, 0), 1);
  EXPECT_EQ(node->SetObjName(game, TABLE_SUBTYPE_CLIENT), 1);
  EXPECT_EQ(node->InitCommNode(CNODE_CLIENT), 1);
  return node;
}
}  // namespace

CBlackJackServerTable* CKavoTableTest::BuildTable(uint32_t tableId, CBlackJackServerTable* table, CStovaConn* db,
                                                  const std::function<void(CBlackJackServerTable&)>& configure) {
  c2stovaTable record;
  record.m_TableId = tableId;
  record.m_TableType = m_TableType;
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
  table->SetStovaConnection(db);
  table->SetBetLimits(KAVO_TEST_BETLIMITS);
  table->SetTimeLimits(KAVO_TEST_TIMELIMITS);
  if (configure) configure(*table);
  EXPECT_EQ(table->InitTable(static_cast<int32_t>(tableId), 0, 0, 0, 0), 1);
  return table;
}

void CKavoTableTest::StartTable(int32_t gameId, const std::function<void(CBlackJackServerTable&)>& configure) {
  const uint32_t tableId = static_cast<uint32_t>(gameId) * 1000 + 1;
  m_pStova = new CKavoStova;
  m_pTable.reset(BuildTable(tableId, m_MakeTable(), m_pStova, configure));
  const char* game = m_pTable->GetGameName();
  m_pClientTable = ClientNode(game, TABLE_NODE_TABLE, tableId, 0);
  m_pClientPlayer = ClientNode(game, TABLE_NODE_PLAYER, tableId, 0);
  // The client's table node learns the round's session from the table's first packet; its own
  // packets carry it from then on.
  ASSERT_EQ(m_pTable->SendChangeGameState(KAVO_GS_DEALSTART), 1);
  Packets();
  PlayerNodePackets();
}

void CKavoTableTest::Seat(int32_t seat, int32_t playerId) {
  ASSERT_NE(m_pTable->AllocateSlot(seat, playerId), 0);
  ASSERT_EQ(m_pTable->SlotChanged(seat), 1);
}

void CKavoTableTest::PlaceBet(int32_t seat, const char* amount) {
  Record(seat).SetBet(TMoney(amount));
  Record(seat).SetFinalFlag(1);
  Record(seat).GetTotalStake();
  m_pTable->SetBetFlag(seat, 1);
}

void CKavoTableTest::GiveCards(int32_t seat, std::initializer_list<int32_t> cards) {
  for (int32_t card : cards) ASSERT_EQ(Record(seat).AddCard(card), 1);
}

void CKavoTableTest::RigShoe(std::initializer_list<int32_t> cards) { m_pTable->SetShoe(new CKavoScriptedDeck(cards)); }

void CKavoTableTest::SendClient(int32_t playerId, int32_t seat, const char* name, const std::string& items) {
  const std::string text = "{ = PrivatePlayerData, " + std::string(name) + ", " + std::to_string(playerId) + ", " +
                           std::to_string(seat) + "\n" + items + "}\n";
  ASSERT_TRUE(m_pClientTable->SendInit());
  ASSERT_TRUE(m_pClientTable->SendPacket(text.c_str(), static_cast<uint32_t>(text.size())));
}

bool CKavoTableTest::ReceiveOnTable() {
  CCommNode* node = m_pTable->GetTableNode();
  return node->IsDataAvailable() && node->RecvKCBLPacket();
}

namespace {
std::vector<std::string> Drain(CCommNode& node) {
  std::vector<std::string> out;
  while (node.IsDataAvailable()) {
    void* data = nullptr;
    uint32_t size = 0;
    if (!node.RecvPacket(data, size)) break;
    out.emplace_back(static_cast<const char*>(data), size);
    xFree(data);
    node.RecvFree();
  }
  return out;
}
}  // namespace

std::vector<std::string> CKavoTableTest::Packets() {
  std::vector<std::string> out;
  for (const std::string& text : Drain(*m_pClientTable)) out.push_back(Flat(text));
  return out;
}

std::vector<std::string> CKavoTableTest::PlayerNodePackets() {
  std::vector<std::string> out;
  for (const std::string& text : Drain(*m_pClientPlayer)) out.push_back(Flat(text));
  return out;
}

TMoney CKavoTableTest::Cash(int32_t playerId) {
  TStovaMoney cash;
  int32_t ok = 0;
  EXPECT_EQ(m_pDb->GetUserCash(static_cast<uint32_t>(playerId), cash, ok), 1);
  EXPECT_EQ(ok, 1);
  return cash;
}

int64_t CKavoTableTest::BalanceCents(int32_t playerId) {
  const std::vector<std::string> rows = RunPythonTool(
      "stova_rows.py", m_Dir.File(STOVA_FILE_NAME) + "\nSELECT CAST(ROUND(CAST(cash AS REAL) * 100) AS INTEGER) "
                                                      "FROM users WHERE id = " + std::to_string(playerId));
  return rows.size() == 1 ? std::stoll(rows[0]) : -1;
}

std::vector<std::string> CKavoTableTest::Bookings(int32_t playerId) {
  std::vector<std::string> out;
  for (const std::string& row : RunPythonTool(
           "stova_rows.py", m_Dir.File(STOVA_FILE_NAME) +
                                "\nSELECT type, CAST(ROUND(CAST(amount AS REAL) * 100) AS INTEGER) FROM bookings "
                                "WHERE user_id = " + std::to_string(playerId) + " AND type >= 50 ORDER BY id")) {
    std::string line = row;
    for (char& c : line)
      if (c == '\t') c = ' ';
    out.push_back(line);
  }
  return out;
}

std::string Flat(const std::string& record) {
  std::string out;
  size_t start = 0;
  while (start < record.size()) {
    size_t end = record.find('\n', start);
    if (end == std::string::npos) end = record.size();
    std::string line = record.substr(start, end - start);
    line.erase(0, line.find_first_not_of(" \t"));
    if (!line.empty()) out += (out.empty() ? "" : "; ") + line;
    start = end + 1;
  }
  return out;
}

std::vector<std::string> WithName(const std::vector<std::string>& records, const char* name) {
  std::vector<std::string> out;
  for (const std::string& record : records)
    if (record.find(std::string(", ") + name + ", ") != std::string::npos) out.push_back(record);
  return out;
}
