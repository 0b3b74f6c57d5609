// A server table in play for fun: its start, the creator's road and the first seat (each record
// checked as the client receives it), another player's reconnect, and the ways a start fails.
#include "dummygame.h"
#include "ostrel/crypto/random.h"

namespace {

class ServerTableStart : public CDummyTableTest {};

TEST_F(ServerTableStart, TheCreatorsRoadEndsInASeatWithEveryRecordAClientNeeds) {
  const uint32_t player = CreateMember("vorrin", 3, 1, "250.5");
  CreateTableRecord(STOVA_TABLE_PRACTICE);
  ASSERT_EQ(StartTable(static_cast<int32_t>(player)), 1);
  EXPECT_EQ(m_pTable->Calls("InitServerGame").size(), 1u);
  EXPECT_EQ(m_pTable->GetTableType(), STOVA_TABLE_PRACTICE) << "the record was read";
  CDummyClient client(static_cast<int32_t>(player));

  ASSERT_TRUE(client.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  EXPECT_EQ(CDummyClient::All(client.SlotAlloc()),
            std::vector<std::string>{"RequestTimeDiffAnswer\nId = 1\nAnswer = 1\nTableType = 3\n"});
  EXPECT_EQ(m_pTable->IsCreatorConnected(), 1);
  EXPECT_EQ(m_pTable->NumTimeDiffServers(), 1);
  ASSERT_TRUE(client.MeasureTimeDiff([this] { Tick(); }));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->NumTimeDiffServers(), 0) << "measured";
  EXPECT_EQ(m_pTable->GetReserveId(), 0) << "created";
  c2stovaTable record;
  int32_t found = 1;
  ASSERT_EQ(m_pDb->GetTableInfo(DUMMY_TABLE, &record, found), 1);
  EXPECT_EQ(found, 0) << "in play for fun the creator deletes the record";
  client.Clear();

  ASSERT_TRUE(client.AllocateSlot(2));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(CDummyClient::All(client.SlotAlloc()),
            std::vector<std::string>{"AllocateSlotAnswer\nSlot = 2\nId = 1\nAnswer = 1\nTableType = 3\n"});
  const auto player_records = CDummyClient::All(client.Player());
  ASSERT_GE(player_records.size(), 4u);
  EXPECT_EQ(player_records[0],
            "{ = PrivatePlayerData, PlNode, 1, 0\n    PersonalLimitStatus\n    LossPerDay = 0.0000000000\n"
            "    LossPerWeek = 0.0000000000\n    LossPerMonth = 0.0000000000\n    LossThisDay = 0.0000000000\n"
            "    LossThisWeek = 0.0000000000\n    LossThisMonth = 0.0000000000\n    MaxSessionTime = -1\n"
            "    SelfExclusion = 0\n}\n");
  EXPECT_EQ(player_records[1], "{ = PrivatePlayerData, PlNode, 0, 0\n    MJ\n    D = 2, 250.5000000000\n}\n");
  EXPECT_EQ(player_records[2],
            "{ = PrivatePlayerData, PlNode, 0, 0\n    T\n    D = 0\n    D = 0\n    D = 1\n    D = 0\n    D = 0\n}\n");
  EXPECT_EQ(player_records[3], "{ = PrivatePlayerData, PlNode, 0, 0\n    IC\n    D = 2, 3, 1, vorrin\n}\n");
  const auto status = CDummyClient::All(client.SlotStatus());
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status[0], "SlotAllocStatus\nSlotStatus = 0\nSlotStatus = 0\nSlotStatus = 1\nSlotStatus = 0\nSlotStatus = 0\n");
  EXPECT_EQ(m_pTable->Calls("CreateGamePlayer"), std::vector<std::string>{"CreateGamePlayer 2 1"});
  EXPECT_EQ(m_pTable->GetPresentationState(2), CPSTATE_IDLE);
  EXPECT_EQ(m_pTable->GetPresentationUser(2), 1);
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_NEWROUND) << "a seated player starts the rounds";
  EXPECT_EQ(Rows("SELECT table_id, seat, user_id FROM table_seats"), std::vector<std::string>{"5001\t2\t1"});
}

TEST_F(ServerTableStart, AnotherPlayerReconnectsToTheRunningRound) {
  const int32_t a = static_cast<int32_t>(CreateMember("anna"));
  const int32_t b = static_cast<int32_t>(CreateMember("bert", 7, 0, "12"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(a), 1);
  CDummyClient anna(a), bert(b);
  JoinAsCreator(anna, 0);
  ASSERT_TRUE(Tick());  // the round's first records, kept in the packet store
  ASSERT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
  ASSERT_EQ(m_pTable->NumStoredPackets(), 3);

  ASSERT_TRUE(bert.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(bert.MeasureTimeDiff([this] { Tick(); }));
  bert.Clear();
  // Bert's client replays the round from a reconnect node of his id named as the table node.
  CCommNode replay;
  replay.m_RecvKCBL.RestartMode(0);
  ASSERT_EQ(replay.SetId(static_cast<uint32_t>(b)), 1);
  ASSERT_EQ(replay.SetName(DUMMY_GAME, TABLE_NODE_TABLE, DUMMY_TABLE, 0, 0), 1);
  ASSERT_EQ(replay.InitCommNode(CNODE_CLIENT), 1);
  ASSERT_TRUE(bert.RequestReconnect());
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetReconnectNode(), nullptr) << "the table's reconnect node is gone again";

  EXPECT_EQ(CDummyClient::All(bert.SlotAlloc()),
            std::vector<std::string>{"RequestReconnectAnswer\nId = 2\nAnswer = 1\n"});
  const auto records = CDummyClient::All(bert.Player());
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records[0], "{ = PrivatePlayerData, GameSpec, 2, 0\n    maxIdle = 2\n    Money = 12.0000000000\n"
                        "    DummyLimit = 500\n}\n");
  EXPECT_EQ(m_pTable->Calls("AddGameSpecData"), std::vector<std::string>{"AddGameSpecData 2"});
  EXPECT_EQ(WithItem(records, TABLE_PL_PLAYERIDS).size(), 1u);
  EXPECT_EQ(WithItem(records, TABLE_PL_MONEY).size(), 1u);
  EXPECT_EQ(WithItem(records, TABLE_PL_ICON).size(), 1u) << "the one held seat";
  const auto replayed = CDummyClient::All(replay);
  ASSERT_EQ(replayed.size(), 4u);
  EXPECT_EQ(replayed[0], "ChangeClientState = 1\n");
  EXPECT_EQ(replayed[2], "ChangeClientState = 2\n");
  EXPECT_EQ(replayed[3], "ReconnectEnd\n");
  EXPECT_EQ(CDummyClient::All(bert.Table()), std::vector<std::string>{"Hello = 2\n"});
  EXPECT_EQ(m_pTable->GetReconnectedPlayers(), std::vector<int32_t>{b});
  replay.ExitCommNode();
}

TEST_F(ServerTableStart, RecordsBeforeTheTableIsMadeDoNotHideTheCreator) {
  const int32_t a = static_cast<int32_t>(CreateMember("anna"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(a), 1);
  CDummyClient anna(a);
  ASSERT_TRUE(anna.AllocateSlot(1));
  ASSERT_TRUE(CDummyClient::Send(anna.SlotAlloc(), "Nonsense = 1\n"));
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(anna.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->IsCreatorConnected(), 1);
  EXPECT_EQ(m_pTable->GetSlotAllocNode()->NumWaitingPackets(), 0);
}

TEST_F(ServerTableStart, ACreatorWhoNeverComesEndsTheTableAndIsToldExit) {
  const int32_t a = static_cast<int32_t>(CreateMember("anna"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(a), 1);
  CDummyClient anna(a);
  ASSERT_TRUE(Run(119900, 1000));
  EXPECT_FALSE(Run(1000, 1000)) << "clientcreatetimeout: 120 s";
  EXPECT_EQ(CDummyClient::All(anna.SlotAlloc()), std::vector<std::string>{"Exit\nId = 1\n"});
}

TEST_F(ServerTableStart, TheCreatorMayLeaveBeforeTheTableIsMade) {
  const int32_t a = static_cast<int32_t>(CreateMember("anna"));
  struct SCase {
    const char* m_Name;
    std::string m_Slot;
  } cases[] = {{"leave", "Slot = -1"}, {"unreadable seat", "Slot = x"}};
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    CreateTableRecord(STOVA_TABLE_PUBLIC);
    ASSERT_EQ(StartTable(a), 1);
    CDummyClient anna(a);
    ASSERT_TRUE(CDummyClient::Send(anna.SlotAlloc(), "{ = PrivatePlayerData, DeAllocateSlot, 1, 0\n    " + c.m_Slot + "\n}\n"));
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WithItem(CDummyClient::All(anna.SlotAlloc()), TABLE_MSG_EXIT), std::vector<std::string>{"Exit\nId = 1\n"});
    EXPECT_EQ(m_pTable->GetSlotAllocNode()->NumWaitingPackets(), 0);
    m_pTable->ExitTable();
    m_pTable.reset();
  }
}

int RefusingSource(uint32_t& out) {
  out = 0;
  return 0;
}

TEST_F(ServerTableStart, AStartFailsWithoutItsRecordItsRandomSourceOrItsGame) {
  CreateMember("anna");
  EXPECT_EQ(StartTable(1), 0) << "no record of the table";
  m_pTable->ExitTable();

  CreateTableRecord(STOVA_TABLE_PUBLIC);
  xSetRandSource(RefusingSource);
  xResetRand();
  EXPECT_EQ(StartTable(1), 0) << "the system's random source failed";
  m_pTable->ExitTable();
  xSetRandSource(nullptr);
  xResetRand();

  m_pTable = std::make_unique<CDummyGame>();
  m_pTable->m_InitResult = 0;
  EXPECT_EQ(m_pTable->InitTable(static_cast<int32_t>(DUMMY_TABLE), 0, 0, 0, 0), 0) << "the game's own start failed";
  m_pTable->ExitTable();

  m_pTable = std::make_unique<CDummyGame>();
  m_pTable->SetRestoreMode(1);
  EXPECT_EQ(m_pTable->InitTable(static_cast<int32_t>(DUMMY_TABLE), 0, 0, 0, 0), 0) << "no stored game to restore";
  EXPECT_EQ(m_pTable->ExitTable(), 7) << "ExitServerGame's result";
  m_Ended = true;
}

TEST_F(ServerTableStart, ATableWithoutACreatorStartsAtOnceAndEndsInOrder) {
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(0), 1);
  EXPECT_EQ(m_pTable->IsCreatorConnected(), 1);
  ASSERT_TRUE(Run(200000, 10000)) << "no creator to wait for";
  c2stovaTable record;
  int32_t found = 0;
  ASSERT_EQ(m_pDb->GetTableInfo(DUMMY_TABLE, &record, found), 1);
  EXPECT_EQ(found, 1) << "nobody created it, nobody deleted it";
  EXPECT_EQ(m_pTable->ExitTable(), 7);
  m_Ended = true;
  EXPECT_EQ(m_pTable->m_Calls.back(), "ExitServerGame");
  EXPECT_EQ(Rows("SELECT ended IS NOT NULL FROM table_sessions"), std::vector<std::string>{"1"});
}

}  // namespace
