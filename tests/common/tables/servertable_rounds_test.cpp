// The server table's rounds: the bet time, half time, the closing of bets with its seat swap,
// missed rounds, presentation, sleeping, the last link's going and practice money.
#include <chrono>
#include <thread>

#include "dummygame.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"

namespace {

class ServerTableRounds : public CDummyTableTest {
 protected:
  // A table created by A (type as given) with A on the given seats, the first round begun: its
  // records (and with them the round's session) have reached the client.
  void Seated(std::vector<int32_t> seats, int32_t type = STOVA_TABLE_PUBLIC) {
    m_A = static_cast<int32_t>(CreateMember("anna"));
    CreateTableRecord(type);
    ASSERT_EQ(StartTable(m_A), 1);
    m_pClient = std::make_unique<CDummyClient>(m_A);
    JoinAsCreator(*m_pClient, seats.empty() ? -1 : seats[0]);
    for (size_t i = 1; i < seats.size(); ++i) {
      ASSERT_TRUE(m_pClient->AllocateSlot(seats[i]));
      ASSERT_TRUE(Tick());
    }
    if (m_pTable->GetState() == SERVERSTATE_NEWROUND) {
      ASSERT_TRUE(Tick());
    }
    m_pClient->Clear();
  }
  // Ticks until the table reaches the state; false when it does not within limitMs.
  bool RunUntilState(int32_t state, uint32_t limitMs = 120000) {
    for (uint32_t t = 0; t <= limitMs; t += 100) {
      if (m_pTable->GetState() == state) return true;
      m_Clock.Advance(100);
      if (!Tick()) return false;
    }
    return m_pTable->GetState() == state;
  }

  int32_t m_A = 0;
  std::unique_ptr<CDummyClient> m_pClient;
};

TEST_F(ServerTableRounds, BettingLastsTheBetTimeAndTheServersExtraTime) {
  Seated({});
  const uint32_t start = m_Clock.Now();
  ASSERT_TRUE(m_pClient->AllocateSlot(0));
  ASSERT_TRUE(Tick());  // seated; the table begins a new round
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_NEWROUND);
  ASSERT_TRUE(Tick());
  const auto table = CDummyClient::All(m_pClient->Table());
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0], "ChangeClientState = 1\n");
  EXPECT_EQ(table[1], "Command = NewRound\nTimeOut = 20\nServerTime = " + std::to_string(start) + "\n");
  EXPECT_EQ(table[2], "ChangeClientState = 2\n");
  EXPECT_EQ(m_pTable->Calls("NewRoundStarted").size(), 1u);
  ASSERT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
  ASSERT_TRUE(Run(29900));
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
  ASSERT_TRUE(Run(200));
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETSCLOSED);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_STARTPLAY);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_GAMEPLAY);
  EXPECT_EQ(m_pTable->Calls("StartPlay").size(), 1u);
  EXPECT_EQ(CDummyClient::All(m_pClient->Table()), std::vector<std::string>{"ChangeClientState = 3\n"});
}

TEST_F(ServerTableRounds, BettingClosesEarlyOnceEveryJoinedSeatHasItsBet) {
  Seated({0, 3});
  ASSERT_TRUE(m_pClient->Bet(0, 25));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
  ASSERT_TRUE(m_pClient->Bet(3, 5));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETSCLOSED);
  // Bets of seats he does not hold, and nonsense, are not taken.
  EXPECT_EQ(m_pTable->Calls("Bet "), (std::vector<std::string>{"Bet 0 25", "Bet 3 5"}));
}

TEST_F(ServerTableRounds, ASecondSeatWithoutABetIsReleasedAtHalfTime) {
  Seated({0, 1});
  EXPECT_EQ(m_pTable->GetPlayerConnection(1)->m_SecondSeat, 1);
  ASSERT_TRUE(m_pClient->Bet(0, 25));
  ASSERT_TRUE(Tick());
  // Half time: 20 s / 2 + 10 s left, 10 s after the start.
  ASSERT_TRUE(Run(9800));
  EXPECT_TRUE(m_pTable->GetPlayerConnection(1)->IsHeld());
  ASSERT_TRUE(Run(300));
  EXPECT_FALSE(m_pTable->GetPlayerConnection(1)->IsHeld());
  const auto released = WithItem(CDummyClient::All(m_pClient->SlotAlloc()), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_SLOT), 1);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_REASON), TABLE_REASON_NORMAL);
  EXPECT_TRUE(m_pTable->GetPlayerConnection(0)->IsHeld()) << "his first seat stays";
}

TEST_F(ServerTableRounds, BetsWaitingInOneFrameAreAllReadBeforeTheHalfTimeCheck) {
  Seated({0, 1, 2});
  ASSERT_TRUE(Run(9900));
  // A record a seat, all in the frame that crosses half time.
  ASSERT_TRUE(m_pClient->Bet(0, 25));
  ASSERT_TRUE(m_pClient->Bet(1, 10));
  m_Clock.Advance(200);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->Calls("Bet "), (std::vector<std::string>{"Bet 0 25", "Bet 1 10"}));
  EXPECT_TRUE(m_pTable->GetPlayerConnection(1)->IsHeld()) << "his second seat with a bet stays";
  EXPECT_FALSE(m_pTable->GetPlayerConnection(2)->IsHeld()) << "the one without goes";
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
}

TEST_F(ServerTableRounds, AFirstSeatWithoutABetSwapsWithHisSecondSeatThatHasOne) {
  Seated({0, 1});
  EXPECT_EQ(Rows("SELECT seat, user_id FROM table_seats ORDER BY seat"),
            (std::vector<std::string>{"0\t" + std::to_string(m_A), "1\t" + std::to_string(m_A)}));
  ASSERT_TRUE(m_pClient->Bet(1, 40));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETSCLOSED));
  m_pClient->Clear();
  ASSERT_TRUE(Tick());
  // Seat 1 is now his first seat; seat 0, his second without a bet, went.
  EXPECT_EQ(m_pTable->GetPlayerConnection(1)->m_SecondSeat, 0);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(0)->IsHeld());
  const auto icons = WithItem(CDummyClient::All(m_pClient->Player()), TABLE_PL_ICON);
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[0], "{ = PrivatePlayerData, PlNode, 0, 0\n    IC\n    D = 0, 3, 5, anna\n}\n");
  EXPECT_EQ(icons[1], "{ = PrivatePlayerData, PlNode, 0, 0\n    IC\n    D = 1, 3, 1, anna\n}\n");
  EXPECT_EQ(m_pTableDb->m_Calls.back(), "SetTableUser 0 0");
  EXPECT_EQ(Rows("SELECT seat, user_id FROM table_seats ORDER BY seat"),
            std::vector<std::string>{"1\t" + std::to_string(m_A)});
}

TEST_F(ServerTableRounds, APlayerWhoMissesMaxIdleRoundsLeavesAtTheNextNewRound) {
  Seated({2});
  m_pTable->m_Present = false;
  // maxIdle 2: the rounds he lets pass count, and the third round's start lets him go.
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETSCLOSED));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->m_MissedRounds, 1);
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETTING));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETSCLOSED));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->m_MissedRounds, 2);
  EXPECT_TRUE(m_pTable->GetPlayerConnection(2)->IsHeld());
  m_pClient->Clear();
  ASSERT_TRUE(Tick());  // play starts
  ASSERT_TRUE(Tick());  // the game begins the next round
  EXPECT_FALSE(m_pTable->GetPlayerConnection(2)->IsHeld());
  const auto released = WithItem(CDummyClient::All(m_pClient->SlotAlloc()), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_REASON), TABLE_REASON_NORMAL);
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_NEWROUND) << "the round still begins; nobody is left for it";
  ASSERT_TRUE(Tick());
}

TEST_F(ServerTableRounds, ABetClearsTheMissedRounds) {
  Seated({2});
  m_pTable->m_Present = false;
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETSCLOSED));
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETTING));
  ASSERT_TRUE(m_pClient->Bet(2, 5));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETSCLOSED));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->m_MissedRounds, 0);
}

TEST_F(ServerTableRounds, APresentationEndsWhenEveryClientIsDoneOrTheWaitIsOver) {
  Seated({1});
  ASSERT_TRUE(m_pClient->Bet(1, 10));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_PRESENTATION));
  EXPECT_EQ(m_pTable->GetPresentationState(1), CPSTATE_RUNNING);
  EXPECT_EQ(m_pTable->GetPresentationState(0), CPSTATE_NOCLIENT);
  ASSERT_TRUE(Run(1000));
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_PRESENTATION);
  ASSERT_TRUE(m_pClient->PresentationDone());
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPresentationState(1), CPSTATE_IDLE);
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_GAMEPLAY);
  EXPECT_TRUE(m_pTable->Calls("ClientPresentationTimedOut").empty());

  // The next round: nobody says he is done, and the wait (20 s) ends the presentation.
  ASSERT_TRUE(RunUntilState(SERVERSTATE_BETTING));
  ASSERT_TRUE(m_pClient->Bet(1, 10));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_PRESENTATION));
  ASSERT_TRUE(Run(19800));
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_PRESENTATION);
  ASSERT_TRUE(Run(200));
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_GAMEPLAY);
  EXPECT_EQ(m_pTable->Calls("ClientPresentationTimedOut"), std::vector<std::string>{"ClientPresentationTimedOut 1"});
}

TEST_F(ServerTableRounds, ASleepingTableRunsNoRoundUntilItsTimeIsOver) {
  Seated({1});
  m_pTable->ServerSleep(5000);
  const size_t before = m_pTable->m_Calls.size();
  ASSERT_TRUE(Run(4900));
  EXPECT_EQ(m_pTable->m_Calls.size(), before);
  EXPECT_EQ(m_pTable->IsSleeping(), 1);
  ASSERT_TRUE(Run(200));
  EXPECT_EQ(m_pTable->IsSleeping(), 0);
}

TEST_F(ServerTableRounds, TheRoundsAreWrittenToThePlayHistory) {
  Seated({0});
  ASSERT_TRUE(m_pClient->Bet(0, 25));
  ASSERT_TRUE(RunUntilState(SERVERSTATE_GAMEPLAY));
  ASSERT_TRUE(m_pClient->DeAllocateSlot(0));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(Rows("SELECT round, type, data FROM history ORDER BY id"),
            (std::vector<std::string>{"0\t1\t" + Hex("SEAT=0;"), "1\t0\t" + Hex("SEAT=0;"),
                                      "1\t4\t" + Hex("SEAT=0;25.0000000000,-1;"), "1\t2\t" + Hex("SEAT=0;")}));
}

TEST_F(ServerTableRounds, TheViewerIsAnsweredInProcess) {
  Seated({0});
  ASSERT_TRUE(CDummyClient::Send(m_pClient->History(),
                                 "PlayerHistory = GetSessions, " + std::to_string(m_A) + ", 0, 0, 0, 10\n"));
  ASSERT_TRUE(Tick());
  const std::string reply = CDummyClient::Next(m_pClient->History());
  EXPECT_NE(reply.find("PhSessionList, 1, 1"), std::string::npos) << reply;
}

TEST_F(ServerTableRounds, ThePlayersOfAPracticeTableAskForAndSetTheirPracticeMoney) {
  Seated({0}, STOVA_TABLE_PRACTICE);
  CCommNode& node = m_pClient->Player();
  const std::string id = std::to_string(m_A);
  ASSERT_TRUE(CDummyClient::Send(node, "{ = PrivatePlayerData, GetForPracticeMoney, " + id + ", 0\n}\n"));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(WithItem(CDummyClient::All(node), TABLE_ITEM_PRACTICEMONEY),
            std::vector<std::string>{"{ = PrivatePlayerData, PracticeMoney, " + id +
                                     ", 0\n    PracticeMoney = 100.0000000000\n}\n"});

  for (const char* amount : {"0", "-5", "x", "500"}) {
    ASSERT_TRUE(CDummyClient::Send(
        node, "{ = PrivatePlayerData, SetForPracticeMoney, " + id + ", 0\n    PracticeMoney = " + amount + "\n}\n"));
    ASSERT_TRUE(Tick());
  }
  EXPECT_EQ(m_pTableDb->m_Calls.back(), "PracticeSetUserCash " + id + " 500.0000000000");
  int practice = 0;
  for (const std::string& call : m_pTableDb->m_Calls) practice += call.rfind("PracticeSetUserCash", 0) == 0;
  EXPECT_EQ(practice, 1) << "0, negative and unreadable amounts are not stored";
  TStovaMoney cash;
  int32_t ok = 0;
  ASSERT_EQ(m_pDb->GetUserCash(static_cast<uint32_t>(m_A), cash, ok), 1);
  EXPECT_EQ(cash, TStovaMoney(500));
  // A chunk from no player, or with a seat other than 0, is not taken.
  ASSERT_TRUE(CDummyClient::Send(node, "{ = PrivatePlayerData, GetForPracticeMoney, 0, 0\n}\n"));
  ASSERT_TRUE(CDummyClient::Send(node, "{ = PrivatePlayerData, GetForPracticeMoney, " + id + ", 2\n}\n"));
  ASSERT_TRUE(Tick());
  EXPECT_TRUE(WithItem(CDummyClient::All(node), "PracticeMoney").empty());
}

TEST_F(ServerTableRounds, ATableThatIsNotForPracticeTakesNoPracticeMoneyRequests) {
  Seated({0});
  ASSERT_TRUE(CDummyClient::Send(m_pClient->Player(),
                                 "{ = PrivatePlayerData, SetForPracticeMoney, " + std::to_string(m_A) +
                                     ", 0\n    PracticeMoney = 500\n}\n"));
  ASSERT_TRUE(Tick());
  for (const std::string& call : m_pTableDb->m_Calls) EXPECT_EQ(call.rfind("PracticeSetUserCash", 0), std::string::npos);
  EXPECT_EQ(m_pTable->GetPlayerNode()->NumWaitingPackets(), 0);
}

TEST_F(ServerTableRounds, AfterTheLastLinkTheTableWaitsToDieAndALinkThatComesBackStopsTheWait) {
  m_A = static_cast<int32_t>(CreateMember("anna"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(0, 0, true), 1);
  ASSERT_NE(m_pTable->GetListenPort(), 0u);
  auto connect = [this] {
    auto link = std::make_unique<CCommRemoteClient>();
    link->SetPacketTypes(0, 1);
    EXPECT_EQ(link->Startup(), 1);
    EXPECT_EQ(link->SetRemoteLocation("127.0.0.1", m_pTable->GetListenPort()), 1);
    EXPECT_EQ(link->Connect(), 1);
    link->BlockedConnectHandler(2000);
    const int32_t links = m_pTable->NumUserProcessLinks();
    for (int i = 0; i < 2000 && m_pTable->NumUserProcessLinks() == links; ++i) {
      Tick();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(m_pTable->NumUserProcessLinks(), links + 1);
    return link;
  };
  auto drop = [this](std::unique_ptr<CCommRemoteClient>& link) {
    link->Disconnect();
    link.reset();
    // The frame loop runs the links between the ticks; the table sees the link go.
    for (int i = 0; i < 2000 && !m_pTable->IsDieWaiting(); ++i) {
      m_Clock.Advance(100);
      CommDefaultLoadDataCallback();
      ASSERT_TRUE(Tick());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(m_pTable->IsDieWaiting(), 1);
  };

  auto link = connect();
  drop(link);
  ASSERT_TRUE(Run(5000));
  link = connect();
  EXPECT_EQ(m_pTable->IsDieWaiting(), 0) << "a link came back";
  drop(link);
  ASSERT_TRUE(Run(9900));
  EXPECT_FALSE(Run(300)) << "waittodietimeout (10 s) after the last link";
}

}  // namespace
