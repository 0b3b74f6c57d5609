// The server table's life: settings, Init and Exit, the configuration file of manager mode, the
// seat hooks and the packet store.
#include "common/tables/servertablebase.h"

#include <new>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/createtable.h"
#include "common/tables/processclient.h"
#include "ostrel/crypto/random.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/timediff.h"

namespace {
CServerTableBase* g_pCurrentServerTable = nullptr;

std::string Cut(const char* text) {
  std::string s = text ? text : "";
  if (s.size() > SERVERTABLE_DBTEXT_MAX) s.resize(SERVERTABLE_DBTEXT_MAX);
  return s;
}

// The key's first value as seconds; false when missing, not a number or out of range.
bool ReadSeconds(CKCBL& config, const char* key, int32_t& seconds) {
  config.MainChunk();
  config.FirstItem();
  int32_t value = 0;
  if (!config.FindItem(key) || !config.GetLong(0, &value) || value < 0 || value > SERVERTABLE_CFG_MAX_SECONDS)
    return false;
  seconds = value;
  return true;
}

// A log switch; when it is 1 its second value names the file. 0 with the message printed.
int32_t ReadLogSwitch(CKCBL& config, const char* key, int32_t& on, std::string& file) {
  config.MainChunk();
  config.FirstItem();
  if (!config.FindItem(key) || !config.GetLong(0, &on)) {
    xprintf("CServer::ReadSetup: Unable to find '%s'.\n", key);
    return 0;
  }
  if (on != 1) return 1;
  const char* name = config.GetString(1);
  if (!name || !name[0]) {
    xprintf("CServer::ReadSetup: Unable to find '%s' logfilename.\n", key);
    return 0;
  }
  file = name;
  return 1;
}
}  // namespace

CServerTableBase::CServerTableBase() { g_pCurrentServerTable = this; }

CServerTableBase::~CServerTableBase() {
  if (g_pCurrentServerTable == this) g_pCurrentServerTable = nullptr;
  FreeUserCache();
  delete m_pTableCreator;
  for (CTimeDiffServer* server : m_TimeDiffServers) delete server;
  delete m_pProcessClient;
  if (m_pStova) m_pStova->Exit();
  delete m_pStova;
  delete m_pGivenStova;
}

CServerTableBase* CServerTableBase::GetCurrentServerTable() { return g_pCurrentServerTable; }

// ---- settings ----

void CServerTableBase::SetDatabase(const char* server, const char* user, const char* password, const char* database,
                                   int32_t value) {
  m_DbServer = Cut(server);
  m_DbUser = Cut(user);
  m_DbPassword = Cut(password);
  m_DbName = Cut(database);
  m_DatabaseValue = value;
}

void CServerTableBase::SetStovaConnection(CStovaConn* db) {
  delete m_pGivenStova;
  m_pGivenStova = db;
}

void CServerTableBase::SetManagerIPPort(const char* host, int32_t port) {
  m_ManagerHost = host ? host : "";
  m_ManagerPort = port;
}

int32_t CServerTableBase::SetLogFileName(const char* name) {
  m_LogFileName = name ? name : "";
  SetLogStatus(m_LogStatus);
  return 1;
}

void CServerTableBase::SetLogStatus(int32_t on) {
  m_LogStatus = on;
  for (CCommNode* node : {m_pPlayerNode, m_pTableNode, m_pSlotStatusNode}) {
    if (!node) continue;
    node->SetLogFileName(m_LogFileName.empty() ? nullptr : m_LogFileName.c_str());
    node->SetLog(on);
  }
}

int32_t CServerTableBase::SetCommLogProcessClient(int32_t on, const char* fileName) {
  m_LogCommProcessClient = on;
  m_LogCommProcessClientFile = fileName ? fileName : "";
  return 1;
}

int32_t CServerTableBase::SetCommLogClient(int32_t on, const char* fileName) {
  m_LogCommClient = on;
  m_LogCommClientFile = fileName ? fileName : "";
  return SetLinkLog(on, fileName);
}

void CServerTableBase::SetPacketCallbackSend(TCommNodeHook hook) { m_pGameSendHook = hook; }

int32_t CServerTableBase::GetThinking(int32_t seat) const {
  return GetPlayerConnection(seat) ? m_Thinking[static_cast<size_t>(seat)] : 0;
}

int32_t CServerTableBase::GetIconValue(int32_t seat) const {
  return GetPlayerConnection(seat) ? m_IconValue[static_cast<size_t>(seat)] : 0;
}

int32_t CServerTableBase::GetIconFlags(int32_t seat) const {
  return GetPlayerConnection(seat) ? m_IconFlags[static_cast<size_t>(seat)] : 0;
}

int32_t CServerTableBase::GetPresentationState(int32_t seat) const {
  return seat >= 0 && static_cast<size_t>(seat) < m_PresentationStates.size()
             ? m_PresentationStates[static_cast<size_t>(seat)]
             : CPSTATE_NOCLIENT;
}

int32_t CServerTableBase::GetPresentationUser(int32_t seat) const {
  return seat >= 0 && static_cast<size_t>(seat) < m_PresentationUsers.size()
             ? m_PresentationUsers[static_cast<size_t>(seat)]
             : -1;
}

void CServerTableBase::SetPresentation(int32_t seat, int32_t state, int32_t user) {
  if (seat < 0 || static_cast<size_t>(seat) >= m_PresentationStates.size()) return;
  m_PresentationStates[static_cast<size_t>(seat)] = state;
  m_PresentationUsers[static_cast<size_t>(seat)] = state == CPSTATE_NOCLIENT ? -1 : user;
}

// ---- Init and Exit ----

int32_t CServerTableBase::Init(int32_t processId, int32_t arg2, int32_t logValue) {
  int fromService = 1;
  xRand(10, &fromService);
  if (!fromService) {
    xprintf("CServerTableBase::Init: the system's random source failed");
    return 0;
  }
  m_Arg2 = arg2;
  if (processId != 0) {
    m_Mode = 1;
    if (!ReadGlobalServerGameConfig() || !InitManagerLink(processId, logValue)) return 0;
    SetLinkLog(m_LogCommClient, m_LogCommClientFile.empty() ? nullptr : m_LogCommClientFile.c_str());
  }
  if (!m_pTableNode || !m_pSlotAllocNode || !m_pPlayerNode || !m_pSlotStatusNode || !m_pPlayerHistoryRequestNode)
    return 0;

  m_pTableNode->SetUseSessionIndex(1);
  m_pTableNode->SetPacketCallbackSend(PacketStoreHook);
  m_pTableCreator = new (std::nothrow) CServerCreateTable;
  if (!m_pTableCreator) return 0;
  m_pTableCreator->SetTable(this);
  m_pTableCreator->Init(m_pSlotAllocNode);
  const size_t seats = static_cast<size_t>(m_NumSeats);
  m_Thinking.assign(seats, 0);
  m_IconValue.assign(seats, 0);
  m_IconFlags.assign(seats, 0);
  m_pSlotAllocNode->SnoopSetSnooping(1);
  SetLogStatus(m_LogStatus);

  if (!InitDatabase()) return 0;
  if (GetRestoreMode()) {
    if (!LoadAndFilterReconnectLog()) return 0;
    m_Ready = 0;
  }
  if (!m_PlayerHistory.Init(m_pStova, static_cast<int32_t>(m_TableId), m_NumSeats)) {
    xprintf("CServerTableBase::Init: Failed to init playerhistory.");
    return 0;
  }
  if (!m_PlayerHistoryServer.Init(m_pStova, m_pPlayerHistoryRequestNode)) {
    xprintf("CServerTableBase::Init: Failed to init playerhistory server.");
    return 0;
  }
  m_PresentationStates.assign(seats, CPSTATE_NOCLIENT);
  m_PresentationUsers.assign(seats, -1);
  // A table that waits for nobody starts at once.
  m_CreatorConnected = m_ReserveId == 0;

  if (!InitServerGame()) {
    xprintf("CServerTableBase::Init: the game could not be set up.");
    return 0;
  }
  SendJoinTableTrig();
  SetTimeoutTime(m_ClientCreateTimeOut * 1000, -1);
  StartTimer();
  return 1;
}

int32_t CServerTableBase::InitManagerLink(int32_t processId, int32_t logValue) {
  m_pProcessClient = new (std::nothrow) CProcessClient;
  if (!m_pProcessClient) return 0;
  m_pProcessClient->SetManagerIPPort(m_ManagerHost.c_str(), m_ManagerPort);
  m_pProcessClient->SetCommLog(m_LogCommProcessClient,
                               m_LogCommProcessClientFile.empty() ? nullptr : m_LogCommProcessClientFile.c_str());
  if (!m_pProcessClient->Initialize(processId, PROCESSCLIENT_TABLEPROCESS, logValue,
                                    static_cast<uint16_t>(GetListenPort()))) {
    xprintf("CServerTableBase::Init: no link to the manager at %s:%d", m_ManagerHost.c_str(), m_ManagerPort);
    return 0;
  }
  return 1;
}

int32_t CServerTableBase::InitDatabase() {
  m_pStova = m_pGivenStova ? m_pGivenStova : new (std::nothrow) CServerTableDatabase;
  m_pGivenStova = nullptr;
  if (!m_pStova) return 0;
  if (!m_pStova->Init()) {
    xDrainStovaErrors(m_pStova, "CServerTableBase::Init: Stova couldn't start: %s");
    return 0;
  }
  // The password stays out of the diagnostics, which a debug option can send to a file.
  if (!m_pStova->Connect(m_DbServer.c_str(), m_DbUser.c_str(), m_DbPassword.c_str(), GetGameName())) {
    xprintf("CServerTableBase::Init: Stova couldn't connect (name: %s user: %s)", m_DbServer.c_str(),
            m_DbUser.c_str());
    xDrainStovaErrors(m_pStova, "CServerTableBase::Init: %s");
    return 0;
  }
  if (!m_pStova->Use(m_DbName.c_str())) {
    xprintf("CServerTableBase::Init: Stova couldn't use %s.", m_DbName.c_str());
    xDrainStovaErrors(m_pStova, "CServerTableBase::Init: %s");
    return 0;
  }
  int32_t found = 0;
  const int32_t read = m_pStova->GetTableInfo(m_TableId, &m_Table, found);
  return xStovaCallOk(m_pStova, read, found, "CServerTableBase::GetTableInfo stova call returned error:%s",
                      "CServerTableBase::GetTableInfo stova call returned error");
}

int32_t CServerTableBase::ReadGlobalServerGameConfig() {
  CKCBL config;
  if (!config.Load(SERVERTABLE_CONFIG_FILE)) {
    xprintf("CServerTableBase::ReadGlobalGameConfig: Unable to import configuration file to kcbl.\n");
    return 0;
  }
  struct SKey {
    const char* m_Key;
    int32_t* m_pSeconds;
  } const keys[] = {{SERVERTABLE_CFG_EXTRABETTIME, &m_ServerExtraBetTime},
                    {SERVERTABLE_CFG_JOINDATATIME, &m_JoinDataTime},
                    {SERVERTABLE_CFG_CLIENTCREATETIMEOUT, &m_ClientCreateTimeOut},
                    {SERVERTABLE_CFG_WAITTODIETIMEOUT, &m_WaitToDieTimeOut}};
  for (const SKey& key : keys) {
    if (!ReadSeconds(config, key.m_Key, *key.m_pSeconds)) {
      xprintf("CServer::ReadSetup: Unable to find '%s'.\n", key.m_Key);
      return 0;
    }
  }
  if (!ReadLogSwitch(config, SERVERTABLE_CFG_LOGCOMMPROCESSCLIENT, m_LogCommProcessClient, m_LogCommProcessClientFile) ||
      !ReadLogSwitch(config, SERVERTABLE_CFG_LOGCOMMCLIENT, m_LogCommClient, m_LogCommClientFile))
    return 0;
  int32_t wait = 0;
  if (!ReadSeconds(config, SERVERTABLE_CFG_PRESENTATIONWAIT, wait)) {
    xprintf("CServer::ReadSetup: Unable to find '%s'.\n", SERVERTABLE_CFG_PRESENTATIONWAIT);
    return 0;
  }
  m_ClientPresentationWait = wait * 1000;
  return 1;
}

int32_t CServerTableBase::Exit() {
  m_PlayerHistory.Exit();
  FreeUserCache();
  SendJoinTableTrig();
  delete m_pTableCreator;
  m_pTableCreator = nullptr;
  for (CTimeDiffServer* server : m_TimeDiffServers) delete server;
  m_TimeDiffServers.clear();
  ErasePackets();
  FreeVarStore();
  m_Thinking.clear();
  m_IconValue.clear();
  m_IconFlags.clear();
  if (m_pProcessClient) {
    m_pProcessClient->Ticker();
    delete m_pProcessClient;
    m_pProcessClient = nullptr;
  }
  const int32_t result = ExitServerGame();
  if (m_pStova) {
    m_pStova->Disconnect();
    m_pStova->Exit();
    delete m_pStova;
    m_pStova = nullptr;
  }
  m_JoinRequests.clear();
  m_PresentationStates.clear();
  m_PresentationUsers.clear();
  delete m_pReconnectNode;
  m_pReconnectNode = nullptr;
  return result;
}

// ---- seats ----

int32_t CServerTableBase::CreatePlayer(int32_t seat, int32_t playerId) {
  SetPresentation(seat, CPSTATE_IDLE, playerId);
  const int32_t result = CreateGamePlayer(seat, playerId);
  if (!result) SetPresentation(seat, CPSTATE_NOCLIENT, -1);
  return result;
}

int32_t CServerTableBase::DeletePlayer(int32_t seat) {
  SetPresentation(seat, CPSTATE_NOCLIENT, -1);
  return DeleteGamePlayer(seat);
}

int32_t CServerTableBase::TimeLeft() {
  if (GetRestorePending() && !m_Sleeping && !m_DieWait) return m_TimeOut;
  const int32_t left = CTableBase::TimeLeft();
  // The time is out only below 0: at the mark itself a frame that waited nothing would find the
  // same 0 again, and a clock that moves only while the loop waits would never get past it.
  xSetXHandlerMaxWaitTime(left == 0 ? 1 : left);
  return left;
}

// ---- packet store ----

void CServerTableBase::ErasePackets() { m_PacketStore.clear(); }

int32_t CServerTableBase::PacketStoreHook(CCommNode* node, const void*& data, uint32_t& size, int32_t& deliver) {
  CServerTableBase* table = g_pCurrentServerTable;
  if (!table) return 1;
  if (table->m_pGameSendHook && !table->m_pGameSendHook(node, data, size, deliver)) return 0;
  if (node != table->m_pTableNode || !table->m_PacketStoreOn || !deliver) return 1;
  return table->AddStoredPacket(data, size);
}
