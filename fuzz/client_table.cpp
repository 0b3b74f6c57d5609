// What reaches a client table from outside: the server's records on its table, player,
// slot-status and slot-allocation nodes. Builds, once, a small game's server half and client half
// in this process on a hand-driven clock and seats the client's player; then hands each input, as
// a record, to server-side nodes of those four names and runs both halves a few frames. A table
// that ends (a record may end it) is built again.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/database/stovaconn.h"
#include "common/tables/clienttablebase.h"
#include "common/tables/servertablebase.h"
#include "dummyhalves.h"
#include "fuzzfolder.h"
#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commlib.h"
#include "platform/clock/clock.h"
#include "platform/display/display.h"

namespace {
using namespace dummyhalves;
using CFuzzServer = CServerHalf;
using CFuzzClient = CClientHalf;
constexpr int32_t kSeat = 2;

uint32_t g_Now = 1000;
char g_Folder[] = "/tmp/fuzz_clienttableXXXXXX";

// The table's folder (scripts, database) as the working folder while an input runs; libFuzzer's
// own paths stay relative to the folder it was started in.
class CInFolder {
 public:
  CInFolder() { FuzzCheck(getcwd(m_Old, sizeof m_Old) && chdir(g_Folder) == 0); }
  ~CInFolder() { FuzzCheck(chdir(m_Old) == 0); }
  CInFolder(const CInFolder&) = delete;
  CInFolder& operator=(const CInFolder&) = delete;

 private:
  char m_Old[4096];
};
uint32_t FuzzNow() { return g_Now; }
void FuzzSleep(uint32_t ms) { g_Now += ms; }

bool WriteText(const char* name, const std::string& text) {
  FILE* f = fopen(name, "wb");
  if (!f) return false;
  const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  return fclose(f) == 0 && ok;
}

std::string ReadText(const char* name) {
  std::string out;
  if (FILE* f = fopen(name, "rb")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) out.append(buffer, n);
    fclose(f);
  }
  return out;
}

struct SWorld {
  std::unique_ptr<CFuzzServer> m_pServer;
  std::unique_ptr<CFuzzClient> m_pClient;
  std::unique_ptr<CCommNode> m_pNodes[4];
  int32_t m_PlayerId = 0;
  bool m_Ended = false;

  SWorld() {
    const std::string framework = ReadText(VORRIN_DATA_DIR "/xrs/tablecommon.xrs");
    FuzzCheck(!framework.empty());
    FuzzCheck(mkdtemp(g_Folder) != nullptr);
    atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(g_Folder, ignored);
    });
    CInFolder inside;
    PlatformSetClock(FuzzNow);
    PlatformSetSleep(FuzzSleep);
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    FuzzCheck(xCreateGlobals() == 1 && xInit() == 1);
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    FuzzCheck(WriteText("games.cfg",
                        "serverextrabettime = 1\njoindatatime = 1\nclientcreatetimeout = 60\nwaittodietimeout = 5\n"
                        "logcommprocessclient = 0\nlogcommclient = 0\nclientpresentationwaittimeout = 1\n"));
    FuzzCheck(mkdir("xrs", 0700) == 0);
    FuzzCheck(WriteText("xrs/message.xrs", "{ = Strings\n    X = 1207, \"The table closes soon.\"\n}\n"));
    FuzzCheck(WriteText("xrs/tablecommon.xrs", framework));
    CStovaConn db;
    FuzzCheck(db.Init() == 1);
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "%s", "anna");
    user.m_Cash = TStovaMoney("100");
    uint32_t id = 0;
    int32_t ok = 0;
    FuzzCheck(db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) == 1);
    db.Exit();
    m_PlayerId = static_cast<int32_t>(id);
    const char* suffixes[] = {TABLE_NODE_TABLE, TABLE_NODE_PLAYER, TABLE_NODE_SLOTSTATUS, TABLE_NODE_SLOTALLOC};
    for (int i = 0; i < 4; ++i) {
      m_pNodes[i] = std::make_unique<CCommNode>();
      CCommNode& node = *m_pNodes[i];
      node.SetLog(0);
      FuzzCheck(node.SetId(0) && node.SetName(kGame, suffixes[i], kTable, 0, 0) &&
                node.SetObjName(kGame, TABLE_SUBTYPE_SERVER) && node.InitCommNode(CNODE_SERVER));
    }
    Build();
  }

  void Build() {
    if (m_pClient && !m_Ended) m_pClient->ExitTable();
    m_pClient.reset();
    if (m_pServer) m_pServer->ExitTable();
    m_pServer.reset();
    CStovaConn db;
    FuzzCheck(db.Init() == 1);
    c2stovaTable record;
    record.m_TableId = kTable;
    record.m_TableType = 1;
    uint32_t id = 0;
    int32_t ok = 0;
    db.DeleteTable(kTable, ok);
    FuzzCheck(db.CreateTable(&record, 0, id, ok) == 1);
    db.Exit();
    m_pServer = std::make_unique<CFuzzServer>();
    m_pServer->SetReserveId(m_PlayerId);
    m_pServer->SetBetTimeout(10);
    FuzzCheck(m_pServer->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) == 1);
    m_pClient = std::make_unique<CFuzzClient>();
    m_pClient->SetPlayerId(m_PlayerId);
    m_pClient->SetUserName("anna");
    FuzzCheck(m_pClient->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) == 1);
    m_Ended = false;
    for (int i = 0; i < 3000 && !(m_pClient->HaveSlot() && m_pClient->AllocStatusDataAvailable()); ++i)
      FuzzCheck(Frame());
    FuzzCheck(m_pClient->GetIndex() == kSeat);
  }

  // Both halves once, 20 ms later; false once either ended.
  bool Frame() {
    g_Now += 20;
    xHandler();
    const bool running = m_pServer->ServerHandler() && m_pClient->ClientHandler();
    // The feeding nodes hear the client as the server does; nobody reads it there.
    for (auto& node : m_pNodes)
      while (node && node->IsDataAvailable()) {
        void* data = nullptr;
        uint32_t size = 0;
        if (!node->RecvPacket(data, size)) break;
        xFree(data);
        node->RecvFree();
      }
    return running;
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static SWorld* world = new SWorld;
  CInFolder inside;
  if (world->m_Ended) world->Build();
  for (auto& node : world->m_pNodes)
    if (node->SendInit()) node->SendPacket(data, static_cast<uint32_t>(size));
  for (int i = 0; i < 4 && !world->m_Ended; ++i)
    if (!world->Frame()) world->m_Ended = true;
  if (world->m_Ended) return 0;

  CFuzzClient& client = *world->m_pClient;
  const int32_t own = client.GetIndex();
  FuzzCheck(own >= -1 && own < kSeats);
  FuzzCheck(client.GetClientState() >= TABLE_CLIENTSTATE_NONE && client.GetClientState() <= TABLE_CLIENTSTATE_GAME);
  for (int32_t seat = -1; seat <= kSeats; ++seat) {
    FuzzCheck(strlen(client.GetSeatUserName(seat)) <= TABLE_USERNAME_MAX);
    client.GetSeatMoney(seat);
    client.GetSlotStatus(seat);
  }
  return 0;
}
