// What reaches a server table from outside: records of clients on its nodes and texts of its
// manager. Builds, once, a practice table under a manager in this process (a listening socket
// stands in for the manager process) with a player seated, then hands each input to every node
// of the table as a record and to the manager link as a text, and runs the table a few ticks.
// A table that ends (the manager may tell it to) is built again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/database/stovaconn.h"
#include "fuzzfolder.h"
#include "fuzzgame.h"
#include "fuzztables.h"
#include "common/tables/processclient.h"
#include "common/tables/servertablebase.h"
#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"

namespace {
constexpr uint32_t kTable = 5001;

class CFuzzGame : public CFuzzTableGame {
 public:
  int32_t GameHandler() override {
    if (m_Step++ == 0) {
      SetTablePresentationStart();
      return 1;
    }
    m_Step = 0;
    return BeginNewRound();
  }
  int32_t HandleBetPacket() override {
    int32_t seat = -1, player = 0;
    CCommNode* node = GetTableNode();
    for (int guard = 0; guard < 64 && RecvEnterPrivatePlayerData(node, seat, player, "Bet") && seat != -1; ++guard) {
      const CPlayerConnection* connection = GetPlayerConnection(seat);
      RecvExitPrivatePlayerData(node);
      if (connection && connection->m_PlayerId == player) SetBetFlag(seat, 1);
    }
    return 1;
  }
  int32_t SlotChanged(int32_t seat) override {
    if (CPlayerConnection* c = GetPlayerConnection(seat); c && c->IsHeld()) c->m_Joined = 1;
    return 1;
  }
  int32_t IsPlayerInGame(int32_t playerId) override { return playerId % 2; }

 private:
  int32_t m_Step = 0;
};

CCommNode* ClientNode(const char* suffix) {
  auto* node = new CCommNode;
  node->m_RecvKCBL.RestartMode(0);
  FuzzCheck(node->SetId(0) && node->SetName("Fuzz", suffix, kTable, 0, 0) && node->InitCommNode(CNODE_CLIENT));
  return node;
}

int32_t AcceptManagerLink(CCommBaseServer* server, void* user, int32_t);

struct SWorld {
  CCommRemoteServer m_ManagerServer;
  CCommRemoteClient* m_pManagerSide = nullptr;
  std::unique_ptr<CFuzzGame> m_pTable;
  std::unique_ptr<CCommNode> m_pNodes[5];
  bool m_Ended = false;

  SWorld() {
    FuzzEnterTempFolder("/tmp/fuzz_servertableXXXXXX");
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    FILE* config = fopen("games.cfg", "w");
    FuzzCheck(config != nullptr);
    fputs("serverextrabettime = 1\njoindatatime = 1\nclientcreatetimeout = 60\nwaittodietimeout = 5\n"
          "logcommprocessclient = 0\nlogcommclient = 0\nclientpresentationwaittimeout = 1\n",
          config);
    fclose(config);
    CStovaConn db;
    FuzzCheck(db.Init() == 1);
    for (const char* name : {"anna", "bert"}) {
      c2stovaUser user;
      snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
      uint32_t id = 0;
      int32_t ok = 0;
      FuzzCheck(db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) == 1);
    }
    db.Exit();
    m_ManagerServer.SetPortA(0);
    m_ManagerServer.SetCallbackFunction(AcceptManagerLink, this, 0);
    FuzzCheck(m_ManagerServer.Startup() && m_ManagerServer.StartListen());
    for (int i = 0; i < 1000 && !m_ManagerServer.RemoteServerRunning(); ++i) m_ManagerServer.NonBlockedStartListenHandler();
    FuzzCheck(m_ManagerServer.RemoteServerRunning());
    const char* suffixes[] = {TABLE_NODE_PLAYER, TABLE_NODE_TABLE, TABLE_NODE_SLOTSTATUS, TABLE_NODE_SLOTALLOC,
                              TABLE_NODE_PLAYERHISTORY};
    for (int i = 0; i < 5; ++i) m_pNodes[i].reset(ClientNode(suffixes[i]));
    Build();
  }

  void Build() {
    if (m_pTable) m_pTable->ExitTable();
    m_pTable.reset();
    delete m_pManagerSide;
    m_pManagerSide = nullptr;
    FuzzCreatePracticeTable(kTable);
    m_pTable = std::make_unique<CFuzzGame>();
    m_pTable->SetManagerIPPort("127.0.0.1", static_cast<int32_t>(m_ManagerServer.GetPortA()));
    m_pTable->SetTableOwner(1);
    m_pTable->SetBetTimeout(1);
    FuzzCheck(m_pTable->InitTable(static_cast<int32_t>(kTable), 1, 0, 0, 0) == 1);
    for (int i = 0; i < 1000 && !m_pManagerSide; ++i) m_ManagerServer.NonBlockedHandler();
    FuzzCheck(m_pManagerSide != nullptr);
    m_Ended = false;
    Feed(3, "{ = PrivatePlayerData, AllocateSlot, 1, 0\n    Slot = 0\n}\n");
    Run();
  }

  void Feed(int node, const std::string& text) {
    CCommNode& n = *m_pNodes[node];
    if (n.SendInit()) n.SendPacket(text.data(), static_cast<uint32_t>(text.size()));
  }

  void Run() {
    for (int i = 0; i < 4 && !m_Ended; ++i) {
      m_pManagerSide->NonBlockedHandler();
      void* data = nullptr;
      uint32_t size = 0;
      while (m_pManagerSide->RecvRawData(data, size)) xFree(data);
      if (!m_pTable->ServerHandler()) m_Ended = true;
    }
    for (auto& node : m_pNodes)
      while (node->IsDataAvailable()) {
        void* data = nullptr;
        uint32_t size = 0;
        if (!node->RecvPacket(data, size)) break;
        xFree(data);
        node->RecvFree();
      }
  }
};

int32_t AcceptManagerLink(CCommBaseServer* server, void* user, int32_t) {
  auto* world = static_cast<SWorld*>(user);
  auto* link = new CCommRemoteClient;
  link->SetPacketTypes(1, 0);
  if (!link->Startup() || !link->SetConnectFromServer(dynamic_cast<CCommRemoteServerBase*>(server))) {
    delete link;
    return 0;
  }
  delete world->m_pManagerSide;
  world->m_pManagerSide = link;
  return 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static SWorld* world = new SWorld;
  if (world->m_Ended) world->Build();
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (int node = 0; node < 5; ++node) world->Feed(node, input);
  if (world->m_pManagerSide->IsConnected()) world->m_pManagerSide->SendRawData(input.data(), static_cast<uint32_t>(size));
  // The text crosses the loopback socket before the table looks for it.
  CProcessClient* manager = world->m_pTable->GetProcessClient();
  for (int i = 0; i < 200 && manager && manager->GetLink()->NumRecvQuePackets() == 0; ++i) {
    world->m_pManagerSide->NonBlockedHandler();
    manager->GetLink()->NonBlockedHandler();
  }
  world->Run();

  CFuzzGame& table = *world->m_pTable;
  if (!world->m_Ended) {
    for (int32_t i = 0; i < table.GetNumSeats(); ++i) {
      const CPlayerConnection* seat = table.GetPlayerConnection(i);
      FuzzCheck(seat->m_PlayerId >= 0 && seat->m_ReservedFor >= 0);
    }
    FuzzCheck(table.GetState() >= SERVERSTATE_IDLE && table.GetState() <= SERVERSTATE_PRESENTATION);
    FuzzCheck(table.NumJoinRequests() < 100000);
  }
  return 0;
}
