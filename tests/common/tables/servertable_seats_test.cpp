// The server table's seats: who gets one, reservations, leaving with and without a stake, and
// reservations running ou
#include <functional>

#include "dummygame.h"

namespace {

class ServerTableSeats : public CDummyTableTest {
 protected:
  void SetUp() override {
    CDummyTableTest::SetUp();
    m_A = static_cast<int32_t>(CreateMember("anna"));
    m_B = static_cast<int32_t>(CreateMember("bert"));
  }
  // A fresh table created by A, who takes no seat yet; B has joined without a sea
  void Ready() {
    CreateTableRecord(STOVA_TABLE_PUBLIC);
    ASSERT_EQ(StartTable(m_A), 1);
    m_pClientA = std::make_unique<CDummyClient>(m_A);
    m_pClientB = std::make_unique<CDummyClient>(m_B);
    JoinAsCreator(*m_pClientA, -1);
    Join(*m_pClientB, -1);
    m_pClientA->Clear();
  }
  // The answers to A's seat requests of one tick: the "Answer" of each allocation answer.
  std::vector<int32_t> AnswersOfA(const char* message = TABLE_MSG_ALLOCATESLOTANSWER) {
    std::vector<int32_t> answers;
    for (const std::string& text : WithItem(CDummyClient::All(m_pClientA->SlotAlloc()), message))
      answers.push_back(ItemLong(text, TABLE_ITEM_ANSWER));
    return answers;
  }
  uint32_t ReservedTable(int32_t user) {
    c2stovaUser record;
    c2stovaUser* p = &record;
    int32_t found = 0;
    EXPECT_EQ(m_pDb->GetUserInfo(static_cast<uint32_t>(user), p, found), 1);
    return record.m_ReservedTableId;
  }

  int32_t m_A = 0, m_B = 0;
  std::unique_ptr<CDummyClient> m_pClientA, m_pClientB;
};

TEST_F(ServerTableSeats, SeatTable) {
  struct SCase {
    const char* m_Name;
    std::function<void()> m_Before;
    int32_t m_Slot;
    std::vector<int32_t> m_Answers;  // A's allocation answers
    int32_t m_StatusAfter;           // slot status of seat 1 afterwards
  } cases[] = {
      {"free", [] {}, 1, {1}, TABLE_SLOTSTATUS_HELD},
      {"held by the asker",
       [this] {
         ASSERT_TRUE(m_pClientA->AllocateSlot(1));
         ASSERT_TRUE(Tick());
         m_pClientA->Clear();
       },
       1, {0}, TABLE_SLOTSTATUS_HELD},
      {"reserved for him",
       [this] {
         ASSERT_TRUE(m_pClientA->ReserveSlot(1));
         ASSERT_TRUE(Tick());
         EXPECT_EQ(AnswersOfA(TABLE_MSG_RESERVESLOTANSWER), std::vector<int32_t>{1});
         EXPECT_EQ(ReservedTable(m_A), DUMMY_TABLE);
         m_pClientA->Clear();
       },
       1, {1}, TABLE_SLOTSTATUS_HELD},
      {"reserved for another",
       [this] {
         ASSERT_TRUE(m_pClientB->ReserveSlot(1));
         ASSERT_TRUE(Tick());
         m_pClientA->Clear();
       },
       1, {0}, 0 /* B's id, set below */},
      {"out of range", [] {}, DUMMY_SEATS, {}, TABLE_SLOTSTATUS_FREE},
      {"below the seats", [] {}, -2, {}, TABLE_SLOTSTATUS_FREE},
      {"any seat at a full table",
       [this] {
         for (int32_t seat = 0; seat < DUMMY_SEATS; ++seat) {
           ASSERT_TRUE(m_pClientB->AllocateSlot(seat));
           ASSERT_TRUE(Tick());
         }
         m_pClientA->Clear();
       },
       TABLE_SLOT_ANY, {}, TABLE_SLOTSTATUS_HELD},
      {"the database refuses the seat", [this] { m_pTableDb->m_FailSetTableUser = true; }, 1, {0},
       TABLE_SLOTSTATUS_FREE},
  };
  for (SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    Ready();
    c.m_Before();
    ASSERT_TRUE(m_pClientA->AllocateSlot(c.m_Slot));
    ASSERT_TRUE(Tick());
    EXPECT_EQ(AnswersOfA(), c.m_Answers);
    const int32_t want = std::string(c.m_Name) == "reserved for another" ? m_B : c.m_StatusAfter;
    EXPECT_EQ(m_pTable->GetPlayerConnection(1)->SlotStatus(), want);
    if (std::string(c.m_Name) == "reserved for him") {
      EXPECT_EQ(ReservedTable(m_A), 0u) << "the reservation is cleared in the database";
      EXPECT_EQ(m_pTable->GetPlayerConnection(1)->GetPlayerId(), m_A);
    }
    if (std::string(c.m_Name) == "reserved for another") {
      EXPECT_EQ(ReservedTable(m_B), DUMMY_TABLE) << "the reservation stands";
    }
    if (std::string(c.m_Name) == "the database refuses the seat") {
      EXPECT_EQ(m_pTable->Calls("DeleteGamePlayer 1").size(), 1u) << "the seat was taken back";
      c2stovaError error;
      EXPECT_EQ(m_pTableDb->GetLastStovaError(error), 0) << "the error records were read";
    }
    m_pClientA.reset();
    m_pClientB.reset();
    m_pTable->ExitTable();
    m_pTable.reset();
  }
}

TEST_F(ServerTableSeats, AnyFreeSeatIsTheFirstNeitherHeldNorReserved) {
  Ready();
  ASSERT_TRUE(m_pClientB->AllocateSlot(0));
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(m_pClientB->ReserveSlot(1));
  ASSERT_TRUE(Tick());
  m_pClientA->Clear();
  ASSERT_TRUE(m_pClientA->AllocateSlot(TABLE_SLOT_ANY));
  ASSERT_TRUE(Tick());
  const auto answers = WithItem(CDummyClient::All(m_pClientA->SlotAlloc()), TABLE_MSG_ALLOCATESLOTANSWER);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(ItemLong(answers[0], TABLE_ITEM_SLOT), 2);
  EXPECT_EQ(ItemLong(answers[0], TABLE_ITEM_ANSWER), 1);
}

TEST_F(ServerTableSeats, LeavingWithAStakeCrashesThePlayerOutAndWithoutOneEndsInExit) {
  Ready();
  for (CDummyClient* c : {m_pClientA.get(), m_pClientB.get()}) {
    ASSERT_TRUE(c->AllocateSlot(c == m_pClientA.get() ? 0 : 1));
    ASSERT_TRUE(Tick());
  }
  ASSERT_EQ(m_pTable->GetState(), SERVERSTATE_BETTING);
  ASSERT_TRUE(m_pClientA->Bet(0, 25));
  ASSERT_TRUE(Tick());
  m_pClientA->Clear();
  m_pClientB->Clear();

  // A has a stake: crashed out, his seat kept for a reconnect (reason 1), then "Exit".
  ASSERT_TRUE(m_pClientA->DeAllocateSlot(TABLE_SLOT_LEAVE));
  ASSERT_TRUE(Tick());
  auto records = CDummyClient::All(m_pClientA->SlotAlloc());
  auto released = WithItem(records, TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_SLOT), 0);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_REASON), TABLE_REASON_CRASHED);
  auto exits = WithItem(records, TABLE_MSG_EXIT);
  ASSERT_EQ(exits.size(), 1u);
  EXPECT_EQ(ItemLong(exits[0], TABLE_ITEM_ID), m_A);
  EXPECT_EQ(Rows("SELECT type FROM history WHERE player_id = " + std::to_string(m_A) + " ORDER BY id DESC LIMIT 1"),
            std::vector<std::string>{"3"})
      << "the history has him crashed";

  // B has none: his seat goes with reason 0, then "Exit".
  ASSERT_TRUE(m_pClientB->DeAllocateSlot(TABLE_SLOT_LEAVE));
  ASSERT_TRUE(Tick());
  records = CDummyClient::All(m_pClientB->SlotAlloc());
  released = WithItem(records, TABLE_MSG_DEALLOCATESLOT);
  ASSERT_FALSE(released.empty());
  EXPECT_EQ(ItemLong(released.back(), TABLE_ITEM_SLOT), 1);
  EXPECT_EQ(ItemLong(released.back(), TABLE_ITEM_REASON), TABLE_REASON_NORMAL);
  exits = WithItem(records, TABLE_MSG_EXIT);
  ASSERT_FALSE(exits.empty());
  EXPECT_EQ(ItemLong(exits.back(), TABLE_ITEM_ID), m_B);
  EXPECT_EQ(m_pTable->HavePlayers(), 0);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM table_seats WHERE user_id <> 0"), std::vector<std::string>{"0"});
}

TEST_F(ServerTableSeats, ASeatIsLeftOnlyByItsHolder) {
  Ready();
  ASSERT_TRUE(m_pClientA->AllocateSlot(3));
  ASSERT_TRUE(Tick());
  ASSERT_TRUE(m_pClientB->DeAllocateSlot(3));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPlayerConnection(3)->GetPlayerId(), m_A);
  ASSERT_TRUE(m_pClientA->DeAllocateSlot(3));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->GetPlayerConnection(3)->IsHeld(), 0);
}

TEST_F(ServerTableSeats, AReservationRunsOutAcrossTheClockWrap) {
  m_Clock.Set(0xFFFFFFFFu - 10000);
  Ready();
  ASSERT_TRUE(m_pClientB->ReserveSlot(4));
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->Calls("ReserveCallback 4").size(), 1u);
  EXPECT_EQ(ReservedTable(m_B), DUMMY_TABLE);
  m_pClientB->Clear();
  ASSERT_TRUE(Run(29000, 1000));
  EXPECT_EQ(m_pTable->GetPlayerConnection(4)->SlotStatus(), m_B) << "not yet";
  ASSERT_TRUE(Run(2000, 1000));
  EXPECT_EQ(m_pTable->GetPlayerConnection(4)->SlotStatus(), TABLE_SLOTSTATUS_FREE);
  const auto released = WithItem(CDummyClient::All(m_pClientB->SlotAlloc()), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_SLOT), 4);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_ID), m_B);
  EXPECT_EQ(ReservedTable(m_B), 0u);
}

TEST_F(ServerTableSeats, SeatRequestsWithoutTheirItemsOrFromNoPlayerAreIgnored) {
  Ready();
  const std::vector<std::string> bad = {
      "{ = PrivatePlayerData, AllocateSlot, " + std::to_string(m_A) + ", 0\n}\n",
      "{ = PrivatePlayerData, AllocateSlot, " + std::to_string(m_A) + ", 0\n    Slot = x\n}\n",
      "{ = PrivatePlayerData, AllocateSlot, 0, 0\n    Slot = 1\n}\n",
      "{ = PrivatePlayerData, AllocateSlot, -4, 0\n    Slot = 1\n}\n",
      "{ = PrivatePlayerData, AllocateSlot\n    Slot = 1\n}\n",
      "{ = PrivatePlayerData, ReserveSlot, " + std::to_string(m_A) + ", 0\n    Slot = 99\n}\n",
      "{ = PrivatePlayerData, DeAllocateSlot, 0, 0\n    Slot = -1\n}\n",
      "RequestAnswer = 5, 1\n",
      "RequestTimeDiff\nId = 0\n",
      "RequestReconnect\nId = x\n",
      "{{{{",
  };
  for (const std::string& text : bad) {
    ASSERT_TRUE(CDummyClient::Send(m_pClientA->SlotAlloc(), text));
    ASSERT_TRUE(Tick()) << text;
  }
  EXPECT_TRUE(CDummyClient::All(m_pClientA->SlotAlloc()).empty());
  EXPECT_EQ(m_pTable->HavePlayers(), 0);
  EXPECT_EQ(m_pTable->GetSlotAllocNode()->NumWaitingPackets(), 0);
}

}  // namespace
