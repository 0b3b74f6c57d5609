// One frame of a game table with both halves in this process (the server's handler, then a seated
// client's), five seats, rounds running with a bet every round, on a hand-driven clock; against
// the bare traffic of a frame: the same kind of records built on server-side nodes, sent,
// received on the client's nodes and read item by item, without the tables. Prints the
// tables/bare time ratio at the end.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "../fuzz/dummyhalves.h"
#include "common/database/stovaconn.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "platform/clock/clock.h"
#include "platform/display/display.h"
#include "ratioreporter.h"

namespace {
using namespace dummyhalves;

uint32_t g_Now = 1000;
uint32_t BenchNow() { return g_Now; }
void BenchSleep(uint32_t ms) { g_Now += ms; }

// The process once: globals, the library, a working folder with the scripts and the database.
bool Process() {
  static const bool ready = [] {
    // In memory where the machine has it: the server half's database commits each round, and a
    // disk's flush would measure the disk.
    static std::string path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/bench_clienttableXXXXXX"
                                                            : "/tmp/bench_clienttableXXXXXX";
    if (!mkdtemp(path.data()) || chdir(path.c_str()) != 0) return false;
    atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    });
    PlatformSetClock(BenchNow);
    PlatformSetSleep(BenchSleep);
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    if (xCreateGlobals() != 1 || xInit() != 1 || xCommStartup(glb, sglb) != 1) return false;
    std::filesystem::create_directories("xrs");
    std::filesystem::copy_file(VORRIN_DIST_DIR "/xrs/tablecommon.xrs", "xrs/tablecommon.xrs");
    std::filesystem::copy_file(VORRIN_DIST_DIR "/xrs/message.xrs", "xrs/message.xrs");
    FILE* config = fopen("games.cfg", "w");
    if (!config) return false;
    fputs("serverextrabettime = 1\njoindatatime = 1\nclientcreatetimeout = 60\nclientpresentationwaittimeout = 1\n",
          config);
    fclose(config);
    return true;
  }();
  return ready;
}

struct SPair {
  std::unique_ptr<CServerHalf> m_pServer;
  std::unique_ptr<CClientHalf> m_pClient;

  bool Start() {
    CStovaConn db;
    if (db.Init() != 1) return false;
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "p%u", g_Now);
    user.m_Cash = TStovaMoney("1000000");
    uint32_t id = 0;
    int32_t ok = 0;
    c2stovaTable record;
    record.m_TableId = kTable;
    record.m_TableType = 1;
    uint32_t tableId = 0;
    db.DeleteTable(kTable, ok);
    if (db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) != 1 || db.CreateTable(&record, 0, tableId, ok) != 1)
      return false;
    db.Exit();
    m_pServer = std::make_unique<CServerHalf>();
    m_pServer->SetReserveId(static_cast<int32_t>(id));
    m_pServer->SetBetTimeout(1);
    if (m_pServer->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) != 1) return false;
    m_pClient = std::make_unique<CClientHalf>();
    m_pClient->SetPlayerId(static_cast<int32_t>(id));
    m_pClient->SetUserName(user.m_UserName);
    if (m_pClient->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) != 1) return false;
    for (int i = 0; i < 3000 && !(m_pClient->HaveSlot() && m_pClient->AllocStatusDataAvailable()); ++i)
      if (!Frame()) return false;
    return m_pClient->HaveSlot();
  }
  ~SPair() {
    if (m_pClient) m_pClient->ExitTable();
    if (m_pServer) m_pServer->ExitTable();
  }
  bool Frame() {
    g_Now += 20;
    xHandler();
    return m_pServer->ServerHandler() && m_pClient->ClientHandler();
  }
};

void BM_TablesFrame(benchmark::State& state) {
  if (!Process()) return state.SkipWithError("no process");
  SPair pair;
  if (!pair.Start()) return state.SkipWithError("not seated");
  // Into the rhythm of the rounds first.
  for (int i = 0; i < 500; ++i) pair.Frame();
  for (auto _ : state)
    if (!pair.Frame()) return state.SkipWithError("the table ended");
}
BENCHMARK(BM_TablesFrame)->Name("Frame_FiveSeatRound/ostrel")->Unit(benchmark::kMicrosecond);

// The bare road: per frame a seat-status record, a player-node record with money, thoughts and
// ids of five seats, and a state change, each built, sent, received and read.
void BM_BareFrame(benchmark::State& state) {
  if (!Process()) return state.SkipWithError("no process");
  const char* suffixes[] = {TABLE_NODE_SLOTSTATUS, TABLE_NODE_PLAYER, TABLE_NODE_TABLE};
  std::unique_ptr<CCommNode> servers[3], clients[3];
  for (int i = 0; i < 3; ++i) {
    servers[i] = std::make_unique<CCommNode>();
    clients[i] = std::make_unique<CCommNode>();
    servers[i]->SetLog(0);
    clients[i]->SetLog(0);
    servers[i]->SetId(0);
    clients[i]->SetId(0);
    servers[i]->SetName("Bare", suffixes[i], kTable, 0, 0);
    clients[i]->SetName("Bare", suffixes[i], kTable, 0, 0);
    servers[i]->SetObjName("Bare", TABLE_SUBTYPE_SERVER);
    clients[i]->SetObjName("Bare", TABLE_SUBTYPE_CLIENT);
    if (!servers[i]->InitCommNode(CNODE_SERVER) || !clients[i]->InitCommNode(CNODE_CLIENT))
      return state.SkipWithError("no nodes");
  }
  int64_t read = 0;
  for (auto _ : state) {
    CCommNode& status = *servers[0];
    status.SendInit();
    status.NewItem(TABLE_MSG_SLOTALLOCSTATUS, KEND);
    for (int32_t s = 0; s < kSeats; ++s) status.NewItem(TABLE_ITEM_SLOTSTATUS, KLONG, s == 2 ? 1 : 0, KEND);
    status.SendKCBLPacket();
    CCommNode& player = *servers[1];
    player.SendInit();
    CTableBase::SendEnterPrivatePlayerData(&player, 0, 0, TABLE_CHUNK_PLNODE);
    for (const char* marker : {TABLE_PL_MONEY, TABLE_PL_THINK, TABLE_PL_PLAYERIDS}) {
      player.NewItem(marker, KEND);
      for (int32_t s = 0; s < kSeats; ++s) player.NewItem(TABLE_PL_DATA, KLONG, s * 10, KEND);
    }
    CTableBase::SendExitPrivatePlayerData(&player);
    player.SendKCBLPacket();
    CCommNode& table = *servers[2];
    table.SendInit();
    table.NewItem(TABLE_MSG_CHANGECLIENTSTATE, KLONG, 2, KEND);
    table.SendKCBLPacket();
    for (auto& node : clients)
      while (node->IsDataAvailable() && node->RecvKCBLPacket()) {
        CKCBL& record = node->m_RecvKCBL;
        record.MainChunk();
        record.FirstItem();
        int32_t seat = -1, id = 0;
        if (CTableBase::RecvEnterPrivatePlayerData(node.get(), seat, id, TABLE_CHUNK_PLNODE) && seat != -1) {
          for (record.FirstItem(); record.ItemExists(); record.NextItem(0)) {
            int32_t value = 0;
            if (record.GetItem(nullptr, KLONG, &value, KEND)) read += value;
          }
          CTableBase::RecvExitPrivatePlayerData(node.get());
        } else {
          for (; record.ItemExists(); record.NextItem(0)) {
            int32_t value = 0;
            if (record.GetItem(nullptr, KLONG, &value, KEND)) read += value;
          }
        }
        node->RecvKCBLFree();
      }
  }
  benchmark::DoNotOptimize(read);
}
BENCHMARK(BM_BareFrame)->Name("Frame_FiveSeatRound/bare")->Unit(benchmark::kMicrosecond);
}  // namespace

int main(int argc, char** argv) {
  // The tables' frame over the bare records' (goal: at most 2x, and a frame under 1 ms).
  CRatioReporter reporter("bare", "<= 2");
  return xRunRatioBenchmarks(argc, argv, reporter);
}
