// The server table's operations for its game: states, the packet store and its send hook, the
// table id, the time left as the frame's longest wait, the seats a player bets on, and the
// leaving of a player the game wants stored as after a crash.
#include "dummygame.h"
#include "ostrel/system/globals.h"

namespace {

class ServerTableGame : public CDummyTableTest {
 protected:
  void SetUp() override {
    CDummyTableTest::SetUp();
    m_A = static_cast<int32_t>(CreateMember("anna"));
    CreateTableRecord(STOVA_TABLE_PUBLIC);
    ASSERT_EQ(StartTable(m_A), 1);
    m_pClient = std::make_unique<CDummyClient>(m_A);
    JoinAsCreator(*m_pClient, 0);
    ASSERT_TRUE(Tick());
    m_pClient->Clear();
  }

  int32_t m_A = 0;
  std::unique_ptr<CDummyClient> m_pClient;
};

int g_HookCalls = 0;
int32_t CountingHook(CCommNode*, const void*&, uint32_t&, int32_t&) {
  ++g_HookCalls;
  return 1;
}

TEST_F(ServerTableGame, StatesGoToEveryClientAndTheRoundsPacketsAreKept) {
  ASSERT_EQ(m_pTable->IsPacketStoreOn(), 1);
  const int32_t kept = m_pTable->NumStoredPackets();
  g_HookCalls = 0;
  m_pTable->SetPacketCallbackSend(CountingHook);
  EXPECT_EQ(m_pTable->SendChangeGameState(12), 1);
  EXPECT_EQ(m_pTable->GetGameState(), 12);
  EXPECT_EQ(m_pTable->HasChangedState(), 1) << "since the tick began";
  EXPECT_EQ(m_pTable->SendChangeClientState(TABLE_CLIENTSTATE_GAME), 1);
  EXPECT_EQ(g_HookCalls, 2) << "the game's hook sees the table node's packets too";
  EXPECT_EQ(CDummyClient::All(m_pClient->Table()),
            (std::vector<std::string>{"ChangeGameState = 12\n", "ChangeClientState = 4\n"}));
  ASSERT_EQ(m_pTable->NumStoredPackets(), kept + 2);
  EXPECT_EQ(m_pTable->GetStoredPacket(kept), "ChangeGameState = 12\n");
  m_pTable->StopPacketStore();
  m_pTable->SendQuitAllPlayers();
  EXPECT_EQ(m_pTable->NumStoredPackets(), kept + 2) << "not while stopped";
  m_pTable->ErasePackets();
  EXPECT_EQ(m_pTable->NumStoredPackets(), 0);
  m_pTable->SetPacketCallbackSend(nullptr);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->HasChangedState(), 0);
}

TEST_F(ServerTableGame, TheTableIdIsSentOnTheSlotAllocationNode) {
  EXPECT_EQ(m_pTable->SendTableId(1), 1);
  EXPECT_EQ(m_pTable->SendTableId(0), 1);
  EXPECT_EQ(CDummyClient::All(m_pClient->SlotAlloc()), (std::vector<std::string>{"TableId = 5001\n", "TableId = 0\n"}));
}

TEST_F(ServerTableGame, TheTimeLeftIsAlsoTheLongestWaitOfTheNextFrame) {
  m_pTable->SetTimeoutTime(5000, -1);
  m_pTable->StartTimer();
  m_Clock.Advance(1500);
  glb->m_MaxWaitFlag = 0;
  EXPECT_EQ(m_pTable->TimeLeft(), 3500);
  EXPECT_EQ(glb->m_MaxWaitFlag, 1);
  EXPECT_EQ(glb->m_MaxWait, 3500);
}

TEST_F(ServerTableGame, AtTheMarkTheNextFrameStillWaitsAMillisecond) {
  m_pTable->SetTimeoutTime(5000, -1);
  m_pTable->StartTimer();
  m_Clock.Advance(5000);
  glb->m_MaxWaitFlag = 0;
  EXPECT_EQ(m_pTable->TimeLeft(), 0);
  EXPECT_EQ(glb->m_MaxWait, 1);
}

TEST_F(ServerTableGame, AllSlotsOfAPlayerCountForHisBets) {
  ASSERT_TRUE(m_pClient->AllocateSlot(3));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->HasPlayerBetInAllSlots(0), 0);
  m_pTable->SetBetFlag(0, 1);
  EXPECT_EQ(m_pTable->HasPlayerBetInAllSlots(3), 0);
  EXPECT_EQ(m_pTable->GetThinking(0), 0) << "a bet ends the seat's thinking";
  m_pTable->SetBetFlag(3, 1);
  EXPECT_EQ(m_pTable->HasPlayerBetInAllSlots(3), 1);
  EXPECT_EQ(m_pTable->HasPlayerBetInAllSlots(1), 0) << "a free seat";
  EXPECT_EQ(m_pTable->IsPlayerSeated(m_A), 1);
  EXPECT_EQ(m_pTable->IsPlayerSeated(m_A + 1), 0);
}

TEST_F(ServerTableGame, APlayerTheGameWantsStoredLeavesAllHisSeats) {
  ASSERT_TRUE(m_pClient->AllocateSlot(3));
  ASSERT_TRUE(Tick());
  m_pTable->SetTestRemove(1);
  EXPECT_EQ(m_pTable->SendExitSignal(m_A), 1);
  EXPECT_EQ(m_pTable->HavePlayers(), 0);
}

TEST_F(ServerTableGame, AnUnknownPlayerIsRefusedHisSeat) {
  CDummyClient stranger(99);
  ASSERT_TRUE(stranger.AllocateSlot(2));
  ASSERT_TRUE(Tick());
  const auto answers = WithItem(CDummyClient::All(stranger.SlotAlloc()), TABLE_MSG_ALLOCATESLOTANSWER);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(ItemLong(answers[0], TABLE_ITEM_ANSWER), 0);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(2)->IsHeld());
}

TEST_F(ServerTableGame, ABalanceThatCannotBeReadCrashesItsPlayerOut) {
  m_pTableDb->m_FailGetUserCash = true;
  EXPECT_EQ(m_pTable->SendMoneyData(-1, 0), 1) << "the others still get their balances";
  m_pTableDb->m_FailGetUserCash = false;
  const auto money = WithItem(CDummyClient::All(m_pClient->Player()), TABLE_PL_MONEY);
  ASSERT_EQ(money.size(), 1u);
  EXPECT_NE(money[0].find("D = 0.0000000000"), std::string::npos);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(0)->IsHeld()) << "crashed out";
  EXPECT_EQ(WithItem(CDummyClient::All(m_pClient->SlotAlloc()), TABLE_MSG_EXIT).size(), 1u);
}

}  // namespace
