// Bets clicked at a set-up blackjack table that plays against the in-process server table of play
// for fun, as the module runs them: both tables' handlers each frame on the test clock, the mouse
// through the headless GUI harness on a painted spot map, and what the server took and answered.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/database/stovaconn.h"
#include "common/tables/tableprotocol.h"
#include "client/playerdata.h"
#include "kavotablefixture.h"
#include "ostrel/graphics/bitmap.h"
#include "platform/display/headless.h"
#include "platform/display/translator.h"
#include "server/serverplayer.h"
#include "server/servertable.h"

namespace {

using TMoney = CHugeFixedPoint<10, 10>;

// The seat of every "KavoPlayerTableInfo" chunk the client's table node received, with its items.
struct STableInfo {
  int32_t Seat, Success;
  TMoney Bet;
};
std::vector<STableInfo>& TableInfos() {
  static std::vector<STableInfo> infos;
  return infos;
}

int32_t RecordTableInfo(CCommNode*, const void*& data, uint32_t& size, int32_t& deliver) {
  if (!deliver) return 1;
  CKCBL record;
  if (!record.Import(static_cast<const char*>(data), static_cast<int32_t>(size))) return 1;
  record.RestartMode(0);
  record.MainChunk();
  record.FirstItem();
  while (record.ItemExists()) {
    const char* keyword = record.GetKeyword();
    if (record.ItemType() == 2 && keyword) {
      // "{ = PlayerData, <name>, <player id>, <seat>"
      const char* kind = record.GetString(0);
      const char* name = record.GetString(1);
      int32_t seat = -1;
      if (kind && name && std::string(kind) == "PlayerData" && std::string(name) == KAVO_MSG_TABLEINFO &&
          record.GetLong(3, &seat)) {
        record.EnterChunk();
        STableInfo info{seat, -1, TMoney()};
        record.FirstItem();
        record.GetItem(KAVO_ITEM_SUCCESSFLAG, KLONG, &info.Success, KEND);
        record.FirstItem();
        record.GetItem(KAVO_ITEM_BET, KMONEY, &info.Bet, KEND);
        TableInfos().push_back(info);
        record.ExitChunk();
      }
    }
    if (!record.NextItem(0)) break;
  }
  return 1;
}

constexpr int32_t kBetSeconds = 30;
constexpr int32_t kMapWidth = 400, kMapHeight = 300;
int32_t SpotX(int32_t seat) { return 2 * (30 + 70 * seat); }
constexpr int32_t kSpotY = 230;

// The set-up table with a painted spot map (seat s at map columns 20 + 70 s on, rows 100 to 129).
class CRoundTable : public CBlackJackClientTable {
 public:
  CRoundTable() {
    m_Map.CreateIndex(kMapWidth, kMapHeight, 8, nullptr, 0);
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      for (int32_t y = 100; y < 130; ++y)
        for (int32_t x = 20 + 70 * seat; x < 50 + 70 * seat; ++x) m_Map.m_pData[y * m_Map.m_Pitch + x] = static_cast<uint8_t>(seat + 1);
  }
  const CBitmap* BetSpotMap() const override { return &m_Map; }
  int32_t BetClick() override {
    ++Clicks;
    return CBlackJackClientTable::BetClick();
  }
  int32_t Clicks = 0;

 private:
  CBitmap m_Map;
};

class CBetRoundTest : public CKavoTableFixture {
 protected:
  void SetUp() override {
    CKavoTableFixture::SetUp();
    TableInfos().clear();
    CClientTableBase::Protection() = {};
    m_pDb = std::make_unique<CStovaConn>();
    ASSERT_EQ(m_pDb->Init(), 1);
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "%s", "ann");
    user.m_Cash = TStovaMoney("1000");
    uint32_t id = 0;
    int32_t ok = 0;
    ASSERT_EQ(m_pDb->CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
    m_Ann = static_cast<int32_t>(id);
    c2stovaTable record;
    record.m_TableId = KAVO_TEST_TABLE_ID;
    // A public table: a practice table would first ask for the practice money.
    record.m_TableType = STOVA_TABLE_PUBLIC;
    ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
  }
  void TearDown() override {
    EndTable();
    if (m_pServer) m_pServer->ExitTable();
    m_pServer.reset();
    m_pDb.reset();
    CKavoTableFixture::TearDown();
  }
  // Both halves as the module builds them for play for fun.
  void StartBoth() {
    m_pTable = std::make_unique<CRoundTable>();
    m_pTable->SetPlayerId(m_Ann);
    m_pTable->SetUserName("ann");
    m_Started = true;
    ASSERT_EQ(m_pTable->InitTable(KAVO_TEST_TABLE_ID, 0, 0, 0, 0), 1);
    m_pTable->SetPacketCallbackRecv(RecordTableInfo);
    m_pServer = std::make_unique<CBlackJackServerTable>();
    m_pServer->SetStovaConnection(new CServerTableDatabase);
    const int32_t limits[KAVO_BETLIMITS] = {5, 500, 10, 1000, 25, 2500};
    const int32_t times[KAVO_TIMELIMITS] = {30, 15};
    m_pServer->SetBetLimits(limits);
    m_pServer->SetTimeLimits(times);
    m_pServer->SetBetTimeout(kBetSeconds);
    ASSERT_EQ(m_pServer->InitTable(KAVO_TEST_TABLE_ID, 0, 0, 0, 0), 1);
  }
  // Frames of both halves as the module's loop runs them.
  void Run(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      m_Clock.Advance(KAVO_TIMER_MS);
      Frame();
      ASSERT_EQ(m_pServer->ServerHandler(), 1);
      ASSERT_EQ(m_pTable->ClientHandler(), 1);
    }
  }
  // Frames until the test holds, at most n.
  template <class F>
  bool RunUntil(F holds, int32_t n = 500) {
    for (int32_t i = 0; i < n && !holds(); ++i) Run(1);
    return holds();
  }
  void ClickAt(int32_t button, int32_t x, int32_t y) {
    Display().QueueMouseButton(button, true, x, y);
    Run(1);
    Display().QueueMouseButton(button, false, x, y);
    Run(1);
  }

  // Both halves started, the player seated on seat 1 and a betting time begun with time left;
  // the table shown and chip 25 selected.
  void SeatedInBetting() {
  StartBoth();
  CBlackJackClientTable& client = Table();
  ASSERT_TRUE(RunUntil([&] { return client.IsJoined() != 0; })) << "not joined";
  // The first seat, as the seat buttons ask for it.
  ASSERT_EQ(client.SetWantToAllocSlot(2), 1);
  ASSERT_TRUE(RunUntil([&] { return client.HaveSlot() != 0; })) << "no seat";
  // A betting time with time left (the seat may come at the end of one).
  ASSERT_TRUE(RunUntil([&] {
    return client.GetClientState() == TABLE_CLIENTSTATE_BETTING && client.IsAllowedToBet() && client.TimeLeft() > 10000;
  },
                       3000))
      << "no betting, state " << client.GetClientState();
  // The table shown as the round machine's first state shows it (the server's first state message
  // can pass that state by).
  client.SetRoundActive(1);
  client.SetCurrentChip(25);
  Run(1);
  TableInfos().clear();

  }

  std::unique_ptr<CStovaConn> m_pDb;
  std::unique_ptr<CBlackJackServerTable> m_pServer;
  int32_t m_Ann = 0;
};

TEST_F(CBetRoundTest, ClickedBetsReachTheServerTableAndComeBackAsItsAnswers) {
  SeatedInBetting();
  if (HasFatalFailure()) return;
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  Run(3);
  CBlackJackServerPlayer* seat1 = m_pServer->GetPlayer(1);
  ASSERT_NE(seat1, nullptr);
  EXPECT_EQ(seat1->GetBet(), TMoney(25));
  EXPECT_EQ(seat1->GetFinalFlag(), 0);
  ASSERT_EQ(TableInfos().size(), 1u);
  EXPECT_EQ(TableInfos()[0].Seat, 1);
  EXPECT_EQ(TableInfos()[0].Success, 1);
  EXPECT_EQ(TableInfos()[0].Bet, TMoney(25));

  // A right click on 25 takes 25 off.
  ClickAt(XMOUSE_RIGHT, SpotX(1), kSpotY);
  Run(3);
  EXPECT_TRUE(seat1->GetBet().IsZero());
  ASSERT_EQ(TableInfos().size(), 2u);
  EXPECT_TRUE(TableInfos()[1].Bet.IsZero());

  // Two chips, one press each; the end of the time sends them as final.
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  Run(3);
  EXPECT_EQ(seat1->GetBet(), TMoney(50));
  ASSERT_TRUE(RunUntil([&] { return Table().IsBettingClosed() != 0; }, 3000));
  Run(3);
  EXPECT_EQ(seat1->GetFinalFlag(), 1);
  EXPECT_EQ(seat1->GetBet(), TMoney(50));
  EXPECT_EQ(Table().GetPlayerRecord(1)->GetReportedBet(1), TMoney(50));
}

TEST_F(CBetRoundTest, AFreeSeatClickedIsAskedForAndGetsItsBetOnceGranted) {
  SeatedInBetting();
  if (HasFatalFailure()) return;
  CBlackJackClientTable& client = Table();
  ASSERT_GE(client.MaxOwnSeats(), 2);
  ClickAt(XMOUSE_LEFT, SpotX(3), kSpotY);
  EXPECT_EQ(client.GetPendingBet(3), 25);
  ASSERT_TRUE(RunUntil([&] { int32_t mine[KAVO_NUM_SEATS] = {};
    client.GetIndex(mine);
    return mine[3] != 0 && client.GetPendingBet(3) == 0; }, 200));
  Run(3);
  CBlackJackServerPlayer* seat3 = m_pServer->GetPlayer(3);
  ASSERT_NE(seat3, nullptr);
  EXPECT_EQ(seat3->GetBet(), TMoney(25));
  ASSERT_FALSE(TableInfos().empty());
  EXPECT_EQ(TableInfos().back().Seat, 3);
  EXPECT_EQ(TableInfos().back().Bet, TMoney(25));
  EXPECT_EQ(client.GetSeatRequest(), -1);
}

}  // namespace
