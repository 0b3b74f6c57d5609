// The remote road of the module: the client half in this process against our own server table
// served over a loopback link by a second process (kavoserve), as a table process serves its
// players. The served side runs one pass in each wait between the client's frames (where the
// visit's process would sleep), on clocks that move only with the frames: 20 ms a frame on both
// sides. Loopback bytes cross within the sending call, so nothing waits for real time.
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "kavomodulefixture.h"
#include "common/tables/servertablebase.h"
#include "forfunplayer.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "platform/display/headless.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/socketwait.h"
#include "stova/stovaconn.h"
#include "support/spawnedchild.h"
#include "tableloop.h"
#include "tablevisit.h"


namespace {

using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kRemote = 1;
constexpr int32_t kTableId = 1020001;
constexpr int32_t kSeat = 2;
constexpr int32_t kChip = 25;
constexpr int32_t kSitDownButton = 122;  // of seat 0; the seats' follow
constexpr int32_t kFrameLimit = 20000;  // 400 s of the clock: far beyond any round
constexpr int kAnswerMs = 30000;
// The pass that finds the link gone, and the frame of the tear-down's grey screen.
constexpr int32_t kFramesToNoticeADrop = 2;

constexpr int32_t Card(int32_t rank, int32_t suit = 0) { return suit * 13 + rank; }
constexpr int32_t kEight = 7, kNine = 8, kTen = 9;

// The client half as a player drives it between frames: the seat's sit-down button, a bet on the
// seat once a round opens the betting, the decisions given on his own turn; the finished
// presentations counted.
class CRemoteClient : public CBlackJackClientTable {
 public:
  void Steer() {
    if (!IsJoined() || !HavePlayerIds() || GetClientState() == TABLE_CLIENTSTATE_NONE) return;
    if (!m_SeatAsked && GetIndex() < 0 && GetSeatRequest() < 0) m_SeatAsked = SetWantToAllocSlot(kSeat + 1) != 0;
    if (!m_Bet && IsBettingOpen() && GetIndex() == kSeat) m_Bet = ProtectedChange(kSeat, kChip) == 1;
    if (IsOwnTurn() && m_Decisions > 0) {
      --m_Decisions;
      m_PendingAction = KAVO_ACTION_STAND;
    }
  }
  bool IsOwnTurn() const {
    return GetGameState() == KAVO_GS_WAITACTION && GetTurnSeat() == kSeat && !m_PendingAction && !IsActionSent();
  }
  int32_t FinishPresentation() override {
    ++m_Presented;
    return CBlackJackClientTable::FinishPresentation();
  }
  bool m_SeatAsked = false;
  bool m_Bet = false;
  int32_t m_Decisions = 1;
  int32_t m_Presented = 0;
};

// The served side: one pass of the server process in each wait between the client's frames, the
// client steered after it, and the server process killed (its link with it) once `m_Drop` says so.
struct SServingSide {
  CSpawnedChild* m_pPeer = nullptr;
  CTestClock* m_pClock = nullptr;
  CRemoteClient* m_pClient = nullptr;
  std::function<bool()> m_Drop;
  std::function<void()> m_BetweenFrames;  // what the player does with mouse and keys meanwhile
  int32_t m_Frames = 0;
  int32_t m_LinkedAtFrame = -1;
  int32_t m_ServerState = -1;
  bool m_Dropped = false;
  int32_t m_FramesAfterDrop = 0;
  bool m_VisitOver = false;
};
SServingSide* g_Serving = nullptr;

// The loading steps of a table set-up, counted; the server process killed at the one numbered
// `g_KillAtLoadData` (0: never).
int32_t g_LoadDataCalls = 0;
int32_t g_KillAtLoadData = 0;
void CountLoadData() {
  CommDefaultLoadDataCallback();
  if (++g_LoadDataCalls == g_KillAtLoadData && g_Serving && !g_Serving->m_Dropped) {
    g_Serving->m_pPeer->Kill(SIGKILL);
    g_Serving->m_Dropped = true;
  }
}

void ServeWhileWaiting(int32_t ms) {
  SServingSide& s = *g_Serving;
  s.m_pClock->Advance(static_cast<uint32_t>(ms));
  if (s.m_VisitOver) return;
  if (s.m_Dropped) {
    ++s.m_FramesAfterDrop;
    return;
  }
  ++s.m_Frames;
  s.m_pPeer->WriteLine("frame " + std::to_string(ms));
  std::string answer;
  bool served = s.m_pPeer->TryReadLine(answer, kAnswerMs);
  std::istringstream words(answer);
  std::string ok;
  int32_t links = 0;
  served = served && (words >> ok >> links >> s.m_ServerState) && ok == "ok";
  if (served && links > 0 && s.m_LinkedAtFrame < 0) s.m_LinkedAtFrame = s.m_Frames;
  if (!served || s.m_Frames >= kFrameLimit || (s.m_Drop && s.m_Drop())) {
    s.m_pPeer->Kill(SIGKILL);
    s.m_Dropped = true;
    return;
  }
  // What the client's own wait does with its links.
  xWaitTimeOrSockets(0);
  if (s.m_pClient) s.m_pClient->Steer();
  if (s.m_BetweenFrames) s.m_BetweenFrames();
}

// The centre of an enabled control with the id in any window: the table's own controls, found
// as the player sees them.
bool EnabledControlCentre(int32_t id, int32_t& x, int32_t& y) {
  CWinCtrl* windows = glb->m_pWinCtrl;
  for (int32_t n = windows ? windows->NumWindows() - 1 : -1; n >= 0; --n) {
    CWindowBase* window = windows->GetWindowAt(n);
    CControlBase* control = window && !window->IsHidden() ? window->FindCntrl(id) : nullptr;
    if (!control || control->GetState() != XGUI_RELEASED) continue;
    const CRect r = control->ScreenRect();
    x = (r.left + r.right) / 2;
    y = (r.top + r.bottom) / 2;
    return true;
  }
  return false;
}

// A click on the control, one mouse step each frame, once it is there to be clicked.
class CClicker {
 public:
  CClicker(CHeadlessDisplay& display, int32_t id) : m_Display(display), m_Id(id) {}
  void Step() {
    switch (m_Step) {
      case 0:
        if (!EnabledControlCentre(m_Id, m_X, m_Y)) return;
        m_Display.QueueMouseMove(m_X, m_Y);
        break;
      case 1:
        m_Display.QueueMouseButton(XMOUSE_LEFT, true, m_X, m_Y);
        break;
      case 2:
        m_Display.QueueMouseButton(XMOUSE_LEFT, false, m_X, m_Y);
        break;
      default:
        return;
    }
    ++m_Step;
  }
  bool Clicked() const { return m_Step > 2; }

 private:
  CHeadlessDisplay& m_Display;
  int32_t m_Id;
  int32_t m_Step = 0;
  int32_t m_X = 0, m_Y = 0;
};

class KavoRemote : public CKavoModuleFixture {
 protected:
  void SetUp() override {
    CKavoModuleFixture::SetUp();
    LoadModule(VORRIN_KAVO_MODULE);
    m_Player = PreparePlayer(kTableId);
    ASSERT_GT(m_Player, 0);
  }
  void TearDown() override {
    SetLoadDataCallback(CommDefaultLoadDataCallback);
    g_LoadDataCalls = g_KillAtLoadData = 0;
    SetWaitTimeOrSocketsCallback(xWaitTimeOrSockets);
    xSetXHandlerWaitMode(0);
    g_Serving = nullptr;
    m_pLink.reset();
    CKavoModuleFixture::TearDown();
  }
  TMoney Balance() const {
    CStovaConn db;
    EXPECT_EQ(db.Init(), 1);
    TStovaMoney cash;
    int32_t ok = 0;
    EXPECT_EQ(db.GetUserCash(static_cast<uint32_t>(m_Player), cash, ok), 1);
    db.Exit();
    return cash;
  }
  // The regular game's table in the server process, listening on a free loopback port; with
  // `creator` a table made for that player, which ends when he does not come.
  void ServeTable(int32_t creator = 0) {
    ASSERT_TRUE(m_Peer.StartProgram("kavoserve", {std::to_string(kTableId), std::to_string(creator)}));
    const std::string line = m_Peer.ReadLine();
    ASSERT_EQ(line.rfind("port ", 0), 0u) << line;
    m_Port = static_cast<uint16_t>(std::stoi(line.substr(5)));
    ASSERT_NE(m_Port, 0);
  }
  void Order(const std::string& order, const std::string& answer) {
    m_Peer.WriteLine(order);
    EXPECT_EQ(m_Peer.ReadLine(), answer) << order;
  }
  // The seat's ten and nine against the dealer's nine and eight: no insurance, no natural, and a
  // stand wins the bet.
  void ScriptTheShoe() {
    Order("shoe " + std::to_string(Card(kTen)) + " " + std::to_string(Card(kNine)) + " " +
              std::to_string(Card(kNine, 1)) + " " + std::to_string(Card(kEight)),
          "shoe ok");
  }
  void Connect() {
    m_pLink = std::make_unique<CCommRemoteClient>();
    m_pLink->SetPacketTypes(0, 1);
    ASSERT_EQ(m_pLink->Startup(), 1);
    ASSERT_EQ(m_pLink->SetRemoteLocation("127.0.0.1", m_Port), 1);
    ASSERT_EQ(m_pLink->Connect(), 1);
    m_pLink->BlockedConnectHandler(2000);
    ASSERT_EQ(m_pLink->IsConnected(), 1);
  }
  void StartServing(CRemoteClient* client = nullptr) {
    SetLoadDataCallback(CountLoadData);
    m_Serving.m_pPeer = &m_Peer;
    m_Serving.m_pClock = &m_Clock;
    m_Serving.m_pClient = client;
    g_Serving = &m_Serving;
    SetWaitTimeOrSocketsCallback(ServeWhileWaiting);
    xSetXHandlerWaitMode(1);
  }
  // The visit through kavo.so's xMain.
  int32_t VisitServed(int32_t startSeat = -1) {
    StartServing();
    char name[] = "vorrin";
    const int32_t result =
        m_xMain(m_Player, kTableId, nullptr, m_pLink.get(), name, nullptr, nullptr, startSeat, 0, kRemote);
    EndServing();
    return result;
  }
  // The same steps in this process, on a client half the test steers.
  int32_t VisitSteered() {
    auto* client = new CRemoteClient;
    m_pClient = client;
    StartServing(client);
    SKavoVisitArgs args;
    args.m_PlayerId = m_Player;
    args.m_pLink = m_pLink.get();
    const int32_t result = RunTableVisit(kTableId, KAVOHOST_PLAYER, args, DecodeVisitFlags(kRemote),
                                         [client](int32_t) -> CBlackJackClientTable* { return client; });
    EndServing();
    return result;
  }
  // The visit is over: its client half is gone, and the frames after it serve no more.
  void EndServing() {
    m_pClient = nullptr;
    m_Serving.m_pClient = nullptr;
    m_Serving.m_Drop = nullptr;
    m_Serving.m_BetweenFrames = nullptr;
    m_Serving.m_VisitOver = true;
  }

  int32_t m_Player = 0;
  CSpawnedChild m_Peer;
  uint16_t m_Port = 0;
  std::unique_ptr<CCommRemoteClient> m_pLink;
  CRemoteClient* m_pClient = nullptr;  // owned by the visit
  SServingSide m_Serving;
};

// The table was made for the player, as a table process makes one for its creator.
TEST_F(KavoRemote, ASeatedPlayerPlaysAWholeRoundAndTheTableShowsTheBookedBalance) {
  ServeTable(m_Player);
  ScriptTheShoe();
  Connect();
  const TMoney before = Balance();
  TMoney shown, booked;
  int32_t presented = 0;
  m_Serving.m_Drop = [&] {
    if ((presented = m_pClient->m_Presented) == 0) return false;
    booked = Balance();
    if (m_pClient->GetSeatMoney(kSeat) != booked) return false;
    shown = m_pClient->GetSeatMoney(kSeat);
    return true;
  };
  EXPECT_EQ(VisitSteered(), KAVO_RESULT_ENDED) << "the server went away";
  EXPECT_GE(m_Serving.m_LinkedAtFrame, 0);
  EXPECT_LT(m_Serving.m_Frames, kFrameLimit);
  EXPECT_EQ(presented, 1);
  EXPECT_EQ(booked, before + TMoney(kChip));
  EXPECT_EQ(shown, booked);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
  EXPECT_EQ(Screen()->GetFlipScreen(), 1);
}

// Nothing of the table is left, and the screen shows again.
#define EXPECT_NOTHING_LEFT()                   \
  do {                                          \
    Frame();                                    \
    EXPECT_EQ(Leftovers(), Before());           \
    EXPECT_EQ(Screen()->GetFlipScreen(), 1);    \
  } while (0)

TEST_F(KavoRemote, ALinkDroppedAtThePlayersTurnEndsTheVisitWithNothingLeft) {
  ServeTable();
  ScriptTheShoe();
  Connect();
  bool atTurn = false;
  m_Serving.m_Drop = [&] { return atTurn = m_pClient->IsOwnTurn(); };
  EXPECT_EQ(VisitSteered(), KAVO_RESULT_ENDED);
  EXPECT_TRUE(atTurn) << "dropped at frame " << m_Serving.m_Frames;
  EXPECT_TRUE(m_Serving.m_Dropped);
  EXPECT_LE(m_Serving.m_FramesAfterDrop, kFramesToNoticeADrop);
  EXPECT_NOTHING_LEFT();
}

// Through kavo.so: the player sits down with a click on the seat's sit-down button, which starts
// the table's rounds.
TEST_F(KavoRemote, ALinkDroppedWhileTheRoundRunsEndsXMainWithNothingLeft) {
  ServeTable();
  Connect();
  CClicker sitDown(Display(), kSitDownButton + kSeat);
  m_Serving.m_BetweenFrames = [&] { sitDown.Step(); };
  m_Serving.m_Drop = [&] { return m_Serving.m_ServerState >= SERVERSTATE_BETTING; };
  EXPECT_EQ(VisitServed(), KAVO_RESULT_ENDED);
  EXPECT_TRUE(sitDown.Clicked());
  EXPECT_TRUE(m_Serving.m_Dropped);
  EXPECT_GE(m_Serving.m_ServerState, SERVERSTATE_BETTING) << "the round began before the drop";
  EXPECT_LE(m_Serving.m_FramesAfterDrop, kFramesToNoticeADrop);
  EXPECT_LT(m_Serving.m_Frames, kFrameLimit);
  EXPECT_NOTHING_LEFT();
}

// The set-up asks the link between its groups of loading steps: a link dropped early in it stops
// the loading long before a whole set-up's worth.
TEST_F(KavoRemote, ALinkDroppedWhileTheTableIsBuiltEndsXMainBeforeAnyFrameWithNothingLeft) {
  SetLoadDataCallback(CountLoadData);
  ASSERT_EQ(StartTable(), 1);
  const int32_t wholeSetUp = g_LoadDataCalls;
  EndTable();
  g_LoadDataCalls = 0;
  ServeTable();
  Connect();
  g_KillAtLoadData = 20;
  EXPECT_EQ(VisitServed(), KAVO_RESULT_ENDED);
  EXPECT_TRUE(m_Serving.m_Dropped);
  EXPECT_LT(g_LoadDataCalls, wholeSetUp / 2) << "of " << wholeSetUp;
  EXPECT_EQ(m_Serving.m_Frames, 0) << "no frame ran against the dropped link";
  EXPECT_NOTHING_LEFT();
}

// A server that no longer answers fails the link's first read: the visit ends before the table's
// set-up loads anything.
TEST_F(KavoRemote, ALinkWhoseServerIsGoneEndsXMainBeforeAnythingIsBuilt) {
  ServeTable();
  Connect();
  m_Peer.Kill(SIGKILL);
  EXPECT_EQ(VisitServed(), KAVO_RESULT_ENDED);
  EXPECT_EQ(g_LoadDataCalls, 0);
  EXPECT_EQ(m_Serving.m_Frames, 0);
  EXPECT_NOTHING_LEFT();
}

}  // namespace
