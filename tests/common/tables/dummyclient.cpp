#include "dummyclient.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"

namespace {
std::string Text(const char* name, int32_t a, int32_t b = INT32_MIN, int32_t c = INT32_MIN) {
  std::string out = name;
  for (int32_t v : {a, b, c})
    if (v != INT32_MIN) out += " " + std::to_string(v);
  return out;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
}
}  // namespace

// ---- the game ----

std::vector<std::string> CDummyClientGame::Calls(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& call : m_Calls)
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  return out;
}

int32_t CDummyClientGame::CreateGamePlayer(int32_t seat, int32_t playerId) {
  m_Calls.push_back(Text("CreateGamePlayer", seat, playerId));
  return 1;
}

int32_t CDummyClientGame::DeleteGamePlayer(int32_t seat) {
  m_Calls.push_back(Text("DeleteGamePlayer", seat));
  return 1;
}

int32_t CDummyClientGame::NewRoundStarted() {
  m_Calls.push_back("NewRoundStarted");
  m_Presented = 0;
  return 1;
}

int32_t CDummyClientGame::SetRoundTimer(int32_t lengthMs, int32_t elapsedMs) {
  m_RoundLength = lengthMs;
  m_RoundElapsed = elapsedMs;
  m_Calls.push_back(Text("SetRoundTimer", lengthMs, elapsedMs));
  return 1;
}

int32_t CDummyClientGame::PlayerDataReceived() {
  m_Calls.push_back("PlayerDataReceived");
  return 1;
}

int32_t CDummyClientGame::PlayHandler() {
  if (!m_Presented) {
    m_Presented = 1;
    m_Calls.push_back("PlayHandler");
    SendPresentationDone();
  }
  return 1;
}

bool CDummyClientGame::SendBet(int32_t amount) {
  const int32_t seat = GetIndex();
  CCommNode* node = GetTableNode();
  if (seat < 0 || !node) return false;
  const bool sent = node->SendInit() && SendEnterPrivatePlayerData(node, seat, GetPlayerId(), DUMMY_BET) &&
                    node->NewItem(DUMMY_ITEM_BET, KLONG, amount, KEND) && SendExitPrivatePlayerData(node) &&
                    node->SendKCBLPacket();
  if (sent) SetBetSent(1);
  return sent;
}

int32_t CDummyClientGame::BetDone() {
  m_Calls.push_back("BetDone");
  if (m_BetDoneAmount > 0) SendBet(m_BetDoneAmount);
  return 1;
}

int32_t CDummyClientGame::BetHandler() {
  if (m_AutoBet > 0 && !GetBetSent()) {
    m_Calls.push_back(Text("Bet", m_AutoBet));
    SendBet(m_AutoBet);
  }
  return 1;
}

int32_t CDummyClientGame::GameSpecReceived() {
  CKCBL& record = GetPlayerNode()->m_RecvKCBL;
  int32_t limit = 0;
  if (record.GetItem(DUMMY_ITEM_LIMIT, KLONG, &limit, KEND)) m_GameSpecLimit = limit;
  m_Calls.push_back(Text("GameSpecReceived", limit));
  return m_GameSpecResult;
}

int32_t CDummyClientGame::PlayerLeftSlot(int32_t seat, int32_t playerId) {
  m_Calls.push_back(Text("PlayerLeftSlot", seat, playerId));
  return 1;
}

int32_t CDummyClientGame::SlotAllocated(int32_t seat, int32_t playerId, int32_t answer) {
  m_Calls.push_back(Text("SlotAllocated", seat, playerId, answer));
  return 1;
}

int32_t CDummyClientGame::ReconnectFinished() {
  m_Calls.push_back("ReconnectFinished");
  return 1;
}

int32_t CDummyClientGame::ChooseSeat() {
  m_Asked = 1;
  m_Calls.push_back(Text("ChooseSeat", m_WantSeat));
  return SetWantToAllocSlot(m_WantSeat + 1);
}

// ---- the process ----

void CClientTableTest::SetUp() {
  CGuiTest::SetUp();
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  m_CommStarted = true;
  m_pCwd = std::make_unique<CWorkingDir>(m_Dir.Path());
  std::filesystem::create_directories(m_Dir.File("xrs"));
  CopyFile(std::string(VORRIN_TEST_DATA_DIR) + "/common/xrs/message.xrs", m_Dir.File("xrs/message.xrs"));
  CopyFile(std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/tablecommon.xrs", m_Dir.File("xrs/tablecommon.xrs"));
  m_pDb = std::make_unique<CStovaConn>();
  ASSERT_EQ(m_pDb->Init(), 1);
}

void CClientTableTest::TearDown() {
  if (m_pClient && !m_ClientEnded) m_pClient->ExitTable();
  m_pClient.reset();
  if (m_pServer && !m_ServerEnded) m_pServer->ExitTable();
  m_pServer.reset();
  m_pDb.reset();
  m_pCwd.reset();
  xFreeFramePools();
  if (m_CommStarted) xCommClosedown();
  CGuiTest::TearDown();
}

uint32_t CClientTableTest::CreateMember(const char* name, const char* cash) {
  c2stovaUser user;
  snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
  user.m_IconValue = 3;
  user.m_IconFlags = 1;
  user.m_Cash = TStovaMoney(cash);
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_pDb->CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
  return id;
}

void CClientTableTest::CreateTableRecord(int32_t type) {
  c2stovaTable record;
  record.m_TableId = DUMMY_TABLE;
  record.m_TableType = type;
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
}

void CClientTableTest::StartServer(int32_t reserveId, int32_t tableType) {
  CreateTableRecord(tableType);
  m_pServer = std::make_unique<CDummyGame>();
  m_pServerDb = new CScriptedStova;
  m_pServer->SetStovaConnection(m_pServerDb);
  m_pServer->SetReserveId(reserveId);
  m_pServer->SetBetTimeout(10);
  m_pServer->SetMaxTimeOuts(5);
  ASSERT_EQ(m_pServer->InitTable(static_cast<int32_t>(DUMMY_TABLE), 0, 0, 0, 0), 1);
}

void CClientTableTest::StartClient(int32_t playerId, int32_t realMoney) {
  m_pClient = std::make_unique<CDummyClientGame>();
  m_pClient->SetPlayerId(playerId);
  m_pClient->SetUserName("player");
  ASSERT_EQ(m_pClient->InitTable(static_cast<int32_t>(DUMMY_TABLE), realMoney, 0, 0, 0), 1);
}

bool CClientTableTest::Frame(uint32_t ms) {
  m_Clock.Advance(ms);
  CGuiTest::Frame();
  if (m_pServer && !m_ServerEnded && !m_pServer->ServerHandler()) m_ServerEnded = true;
  if (m_pClient && !m_ClientEnded && !m_pClient->ClientHandler()) m_ClientEnded = true;
  return !m_ClientEnded;
}

void CClientTableTest::SitDown(int32_t playerId, int32_t seat, int32_t realMoney) {
  StartServer(playerId);
  StartClient(playerId, realMoney);
  m_pClient->m_WantSeat = seat;
  ASSERT_TRUE(RunUntil([&] { return m_pClient->HaveSlot() && m_pClient->GetAllocStep() == 0 && m_pClient->AllocStatusDataAvailable(); }));
}
