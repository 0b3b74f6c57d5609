// Frames of a blackjack table with both halves in this process on the headless 800 x 600 screen
// (the server table's handler, then the client table's, then the runtime's pass that presents the
// frame), beside one SDL_BlitSurface of the whole 800 x 600 picture: a frame during the deal (three
// cards in flight over their shadows) and one during the chip settlement (the seats' chips flying
// to their players). Goal: each frame within 10 times the blit, well inside the 20 ms frame.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/database/stovaconn.h"
#include "common/widgets/chipstack.h"
#include "feltscreen.h"
#include "fennic/fennic.h"
#include "limitsscript.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "ostrelcomm/commlib.h"
#include "platform/clock/clock.h"
#include "platform/display/headless.h"
#include "ratioreporter.h"
#include "server/servertable.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kTableId = KAVO_GAMEID_REGULAR * 1000 + 1;
constexpr int32_t kDealFrames = 40;

uint32_t g_Now = 1000;
uint32_t BenchNow() { return g_Now; }
void BenchSleep(uint32_t ms) { g_Now += ms; }

// A seat's record with a settlement result, as the round's packets leave it.
class CBenchRecord : public CBlackJackPlayerData {
 public:
  void Won(const TMoney& bet) {
    m_WinCondition1 = KAVO_WIN_WON;
    SetBet(KAVO_HAND_1, bet);
    SetReportedBet(KAVO_HAND_1, bet);
    SetWin(KAVO_HAND_1, bet);
  }
};

// The client table, its animations started as the game states start them.
class CBenchTable : public CBlackJackClientTable {
 public:
  void Begin(int32_t number) { m_Animation = number; }
  // The card scene seen through the camera of the table's view, as its layout gives it.
  void LookFromView() {
    const int32_t v = GetViewIndex();
    CCamera* camera = m_CardTable.GetActiveCamera();
    camera->SetPosition(m_Layout.Camera[v][0], m_Layout.Camera[v][1], m_Layout.Camera[v][2]);
    camera->SetRotate(m_Layout.CameraRot[v][0], m_Layout.CameraRot[v][1], m_Layout.CameraRot[v][2]);
    m_CardTable.SetCameraFOV(m_Layout.HFov, m_Layout.VFov);
  }
  CBenchRecord& Record(int32_t seat) { return static_cast<CBenchRecord&>(*GetPlayerRecord(seat)); }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new CBenchRecord; }
};

// The process once: the clock in the benchmark's hand, the headless 800 x 600 screen, the
// communication library, a working folder in memory that shows the install folder's data, the
// base pack and the player database with a member and the table's record.
int32_t g_Member = 0;
bool Process() {
  static const bool ready = [] {
    static std::string path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/bench_kavoframeXXXXXX"
                                                            : "/tmp/bench_kavoframeXXXXXX";
    if (!mkdtemp(path.data()) || chdir(path.c_str()) != 0) return false;
    atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    });
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(VORRIN_DIST_DIR, failed))
      std::filesystem::create_symlink(entry.path(), entry.path().filename(), failed);
    // No sound card is needed to measure frames.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    PlatformSetClock(BenchNow);
    PlatformSetSleep(BenchSleep);
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    if (xCreateGlobals() != 1 || xInit() != 1 || xCommStartup(glb, sglb) != 1) return false;
    CDibScreen* s = sglb->m_pDibScreen;
    if (!s || !s->AddWindowVideoMode(800, 600, 24, -1) || !s->InitModeRez(800, 600, 24, VMODE_WINDOW)) return false;
    glb->m_pCurrentScreen = s;
    if (!s->SetScreenWindowProperties(0, -1, -1) || !s->SetPersistentMode(1)) return false;
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
    static CResData base;
    if (xLoadBaseResData(&base, path.c_str()) != 1) return false;
    CStovaConn db;
    if (db.Init() != 1) return false;
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "ann");
    user.m_Cash = TStovaMoney("1000000");
    uint32_t id = 0;
    int32_t ok = 0;
    if (db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) != 1) return false;
    g_Member = static_cast<int32_t>(id);
    db.Exit();
    return true;
  }();
  return ready;
}

// Both halves as the module starts them for play for fun, the player joined and watching.
struct SPair {
  std::unique_ptr<CBenchTable> m_pClient;
  std::unique_ptr<CBlackJackServerTable> m_pServer;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;

  // Empty when both halves are up and the player joined, else what failed.
  std::string Start() {
    // The table's record, as the lobby leaves it for every visit (a table takes its own away).
    CStovaConn db;
    c2stovaTable record;
    record.m_TableId = kTableId;
    record.m_TableType = STOVA_TABLE_RESERVED;
    record.m_PlayerSettings[1] = 1;  // the first limit level
    record.m_PlayerSettings[2] = 1;  // the first decision time
    uint32_t tableId = 0;
    int32_t ok = 0;
    if (db.Init() != 1) return "no database";
    db.DeleteTable(kTableId, ok);
    if (db.CreateTable(&record, 0, tableId, ok) != 1) return "no table record";
    db.Exit();
    m_pClient = std::make_unique<CBenchTable>();
    m_pClient->SetPlayerId(g_Member);
    m_pClient->SetUserName("ann");
    if (m_pClient->InitTable(kTableId, 0, 0, 0, 0) != 1) return "the client table's set-up failed";
    m_pServer = std::make_unique<CBlackJackServerTable>();
    SKavoLimits limits;
    if (!LoadLimitsScript(m_pClient->GetLimitsScriptName(), limits)) return "no limits script";
    ApplyLimits(limits, *m_pServer);
    m_pServer->SetStovaConnection(new CServerTableDatabase);
    m_pServer->SetReserveId(g_Member);
    if (m_pServer->InitTable(kTableId, 0, 0, 0, 0) != 1) return "the server table's set-up failed";
    for (int i = 0; i < 3000 && !m_pClient->IsJoined(); ++i)
      if (!Frame()) return "a half stopped before the player joined";
    if (CChipStack* stack = m_pClient->GetChipStack()) stack->SetAnimation(1);
    m_pClient->LookFromView();
    // Cards from the shoe to seats 1 to 3 where the table has no deal of its own yet.
    for (int32_t seat = 1; seat <= 3; ++seat) {
      CPocket* pocket = m_pClient->GetCardTable().GetPocket(seat);
      if (!pocket || pocket->GetNumMoves() > 0) continue;
      m_Moves.emplace_back(std::make_unique<C3DMove>());
      C3DMove& m = *m_Moves.back();
      m.Init(nullptr, kDealFrames);
      m.SetX(0.35, -0.04, -0.25 + 0.25 * (seat - 1), 0);
      m.SetY(0.06, 0.25, 0.0, 0.25);
      m.SetZ(-0.35, -0.04, 0.15 - 0.05 * (seat - 1), 0.02);
      m.SetRotX(-30, 0, -90, 0);
      m.SetRotY(0, 0, 0, 0);
      m.SetRotZ(60, 0, 20.0 * seat - 40, 0);
      m_Lists.emplace_back(std::make_unique<C3DMoveList>());
      m_Lists.back()->AddMove(&m);
      pocket->AddMove(m_Lists.back().get());
    }
    return m_pClient->IsJoined() ? "" : "the player did not join";
  }
  ~SPair() {
    if (m_pClient) m_pClient->ExitTable();
    if (m_pServer) m_pServer->ExitTable();
  }
  // One frame as the module's loop runs it.
  bool Frame() {
    g_Now += KAVO_TIMER_MS;
    xHandler();
    return m_pServer->ServerHandler() && m_pClient->ClientHandler();
  }
  // A new deal once the last one landed.
  void KeepDealing() {
    if (m_pClient->GetAnimationNumber() != 0) return;
    for (int32_t seat = 1; seat <= 3; ++seat) {
      CBlackJackPlayerData& record = m_pClient->Record(seat);
      record.RemoveCards();
      record.AddCard(3 * seat + 1);
      record.AnimateCard(0);
    }
    m_pClient->Begin(CBlackJackClientTable::KAVO_ANIM_CARD);
  }
  // A new settlement of the five seats once the last one ended.
  void KeepSettling() {
    if (m_pClient->GetAnimationNumber() != 0) return;
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) m_pClient->Record(seat).Won(TMoney(125 + 30 * seat));
    m_pClient->Begin(CBlackJackClientTable::KAVO_ANIM_SETTLE);
  }
};

void DealFrameOurs(benchmark::State& state) {
  if (!Process()) return state.SkipWithError("no process");
  SPair pair;
  if (const std::string failed = pair.Start(); !failed.empty()) {
    std::fprintf(stderr, "%s\n", failed.c_str());
    return state.SkipWithError(failed.c_str());
  }
  for (auto _ : state) {
    pair.KeepDealing();
    if (!pair.Frame()) return state.SkipWithError("the table ended");
  }
}

void SettlementFrameOurs(benchmark::State& state) {
  if (!Process()) return state.SkipWithError("no process");
  SPair pair;
  if (const std::string failed = pair.Start(); !failed.empty()) {
    std::fprintf(stderr, "%s\n", failed.c_str());
    return state.SkipWithError(failed.c_str());
  }
  for (auto _ : state) {
    pair.KeepSettling();
    if (!pair.Frame()) return state.SkipWithError("the table ended");
  }
}
}  // namespace

int main(int argc, char** argv) {
  for (const char* name : {"DealFrame", "SettlementFrame"}) {
    const std::string n(name);
    benchmark::RegisterBenchmark((n + "/ostrel").c_str(), n == "DealFrame" ? DealFrameOurs : SettlementFrameOurs)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((n + "/sdl").c_str(), xBlitSdlFullScreen)->Unit(benchmark::kMicrosecond);
  }
  CRatioReporter reporter("sdl", "each frame within 10x, under 20 ms");
  return xRunRatioBenchmarks(argc, argv, reporter);
}
