// The remote road of the module: the client half in xMain against our own server table, served
// over a loopback link as a table process serves its players; the link drops and the visit ends.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "../client/kavotablefixture.h"
#include "forfunplayer.h"
#include "limitsscript.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "server/servertable.h"
#include "stova/stovaconn.h"
#include "tablefactory.h"
#include "tableloop.h"

class CChatClient;
class CMilesMusic;
struct TServerMsg;

namespace {

using TXMain = int32_t (*)(int32_t, int32_t, CChatClient*, CCommRemoteClient*, char*, CMilesMusic*, TServerMsg*,
                           int32_t, int32_t, int32_t);
constexpr int32_t kRemote = 1;
constexpr int32_t kTableId = 1020001;

// The serving side runs inside the client's own frames (the load-data step of each pass), as a
// second process would between them: it ticks the server table and, once the table holds the
// client's link and both have talked a while, drops the table and with it the link.
struct SServingSide {
  CBlackJackServerTable* m_pServer = nullptr;
  CTestClock* m_pClock = nullptr;
  int32_t m_Frames = 0;
  int32_t m_LinkedAtFrame = -1;
  int32_t m_FramesAfterLink = 25;
  int32_t m_FrameLimit = 3000;
  bool m_Dropped = false;
  int32_t m_FramesAfterDrop = 0;
};
SServingSide* g_Serving = nullptr;

void ServeBetweenFrames() {
  CommDefaultLoadDataCallback();
  SServingSide& s = *g_Serving;
  if (s.m_Dropped) {
    ++s.m_FramesAfterDrop;
    return;
  }
  ++s.m_Frames;
  s.m_pClock->Advance(KAVO_TIMER_MS);
  const bool drop = !s.m_pServer->ServerHandler() || s.m_Frames >= s.m_FrameLimit ||
                    (s.m_LinkedAtFrame >= 0 && s.m_Frames - s.m_LinkedAtFrame >= s.m_FramesAfterLink);
  if (s.m_LinkedAtFrame < 0 && s.m_pServer->NumUserProcessLinks() > 0) s.m_LinkedAtFrame = s.m_Frames;
  if (drop) {
    s.m_pServer->ExitTable();
    s.m_Dropped = true;
  }
  // The link's bytes cross the loopback between passes.
  std::this_thread::sleep_for(std::chrono::microseconds(200));
}

class KavoRemote : public CKavoTableFixture {
 protected:
  void SetUp() override {
    CKavoTableFixture::SetUp();
    ASSERT_EQ(m_Module.Load(VORRIN_KAVO_MODULE, DYNLIB_INHERIT_OSTREL), 1);
    m_xMain = reinterpret_cast<TXMain>(m_Module.GetSymbol("xMain"));
    ASSERT_NE(m_xMain, nullptr);
  }
  void TearDown() override {
    SetLoadDataCallback(CommDefaultLoadDataCallback);
    g_Serving = nullptr;
    m_pLink.reset();
    if (m_pServer && !m_Serving.m_Dropped) m_pServer->ExitTable();
    m_pServer.reset();
    CKavoTableFixture::TearDown();
  }
  int32_t PreparePlayer() {
    CStovaConn db;
    EXPECT_EQ(db.Init(), 1);
    const uint32_t player = EnsureForFunPlayer(db, KAVOHOST_PLAYER, KAVOHOST_START_CASH);
    EXPECT_EQ(EnsureTableRecord(db, kTableId, player), 1);
    db.Exit();
    return static_cast<int32_t>(player);
  }
  // The table of the regular game with its limits, listening on a free loopback port.
  void ServeTable(int32_t player) {
    m_pServer.reset(NewKavoServerTable(KavoTableType(kTableId)));
    ASSERT_NE(m_pServer, nullptr);
    SKavoLimits limits;
    ASSERT_EQ(LoadLimitsScript("xrs/kavo_limits.xrs", limits), 1);
    ApplyLimits(limits, *m_pServer);
    m_pServer->SetReserveId(player);
    ASSERT_EQ(m_pServer->InitTable(kTableId, 0, 0, 1, 0), 1);
    ASSERT_NE(m_pServer->GetListenPort(), 0u);
  }
  void Connect() {
    m_pLink = std::make_unique<CCommRemoteClient>();
    m_pLink->SetPacketTypes(0, 1);
    ASSERT_EQ(m_pLink->Startup(), 1);
    ASSERT_EQ(m_pLink->SetRemoteLocation("127.0.0.1", static_cast<uint16_t>(m_pServer->GetListenPort())), 1);
    ASSERT_EQ(m_pLink->Connect(), 1);
    m_pLink->BlockedConnectHandler(2000);
  }
  int32_t VisitServed(int32_t player) {
    m_Serving.m_pServer = m_pServer.get();
    m_Serving.m_pClock = &m_Clock;
    g_Serving = &m_Serving;
    SetLoadDataCallback(ServeBetweenFrames);
    char name[] = "vorrin";
    return m_xMain(player, kTableId, nullptr, m_pLink.get(), name, nullptr, nullptr, -1, 0, kRemote);
  }

  CDynamicLibrary m_Module;
  TXMain m_xMain = nullptr;
  std::unique_ptr<CBlackJackServerTable> m_pServer;
  std::unique_ptr<CCommRemoteClient> m_pLink;
  SServingSide m_Serving;
};

TEST_F(KavoRemote, ALinkDroppedWhileTheTableIsBuiltEndsTheVisitWithNothingLeft) {
  const int32_t player = PreparePlayer();
  ServeTable(player);
  Connect();
  EXPECT_EQ(VisitServed(player), KAVO_RESULT_ENDED);
  EXPECT_TRUE(m_Serving.m_Dropped);
  EXPECT_GE(m_Serving.m_LinkedAtFrame, 0) << "the served table held the client's link before the drop";
  EXPECT_LT(m_Serving.m_Frames, m_Serving.m_FrameLimit);
  // The practice-money dialog holds the loop in its own frames until it times out; the visit ends
  // at the loop's next pass after it.
  EXPECT_LT(m_Serving.m_FramesAfterDrop, m_Serving.m_FrameLimit);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
  EXPECT_EQ(Screen()->GetFlipScreen(), 1);
}

}  // namespace
