// Seats: who may take a seat, what a reservation does, the second-seat flag, and what the table
// calls on the way.
#include <climits>
#include <string>
#include <vector>

#include "ostrelcomm/commlib.h"
#include "tablekit.h"

namespace {

constexpr int32_t kSelf = 101;
constexpr int32_t kOther = 202;

// The state a seat is put in before kSelf asks for it.
enum class EBefore { Free, HeldBySelf, HeldByOther, ReservedForSelf, ReservedForOther, HeldAndReservedForSelf };

struct SSeatCase {
  const char* m_pName;
  EBefore m_Before;
  int32_t m_Result;
  int32_t m_HolderAfter;
  int32_t m_ReservedAfter;
};

const SSeatCase kSeatCases[] = {
    {"free", EBefore::Free, TABLE_ALLOC_GRANTED, kSelf, 0},
    // Keep: the same player asking again for the seat he holds is refused.
    {"held by self", EBefore::HeldBySelf, TABLE_ALLOC_REFUSED, kSelf, 0},
    {"held by another", EBefore::HeldByOther, TABLE_ALLOC_REFUSED, kOther, 0},
    {"reserved for self", EBefore::ReservedForSelf, TABLE_ALLOC_RESERVED, kSelf, 0},
    // The seat follows the server's decision; the server half refuses another user's request
    // before it reaches the seat (its tests show the reservation standing).
    {"reserved for another", EBefore::ReservedForOther, TABLE_ALLOC_RESERVED, kSelf, 0},
    {"held and reserved for self", EBefore::HeldAndReservedForSelf, TABLE_ALLOC_RESERVED, kSelf, 0},
};

void Prepare(CPlayerConnection& seat, EBefore before) {
  switch (before) {
    case EBefore::Free: break;
    case EBefore::HeldBySelf: ASSERT_EQ(seat.AllocateConnection(kSelf), TABLE_ALLOC_GRANTED); break;
    case EBefore::HeldByOther: ASSERT_EQ(seat.AllocateConnection(kOther), TABLE_ALLOC_GRANTED); break;
    case EBefore::ReservedForSelf: ASSERT_EQ(seat.ReserveConnection(kSelf, 30000), 1); break;
    case EBefore::ReservedForOther: ASSERT_EQ(seat.ReserveConnection(kOther, 30000), 1); break;
    case EBefore::HeldAndReservedForSelf:
      ASSERT_EQ(seat.AllocateConnection(kSelf), TABLE_ALLOC_GRANTED);
      ASSERT_EQ(seat.ReserveConnection(kSelf, 30000), 1);
      break;
  }
}

TEST_F(CTableTest, SeatTable) {
  for (const SSeatCase& c : kSeatCases) {
    SCOPED_TRACE(c.m_pName);
    CPlayerConnection seat(3);
    Prepare(seat, c.m_Before);
    seat.m_Joined = seat.m_BetFlag = seat.m_MissedRounds = 1;
    EXPECT_EQ(seat.AllocateConnection(kSelf), c.m_Result);
    EXPECT_EQ(seat.GetPlayerId(), c.m_HolderAfter);
    EXPECT_EQ(seat.m_ReservedFor, c.m_ReservedAfter);
    EXPECT_EQ(seat.GetSlotNr(), 3);
    if (c.m_Result != TABLE_ALLOC_REFUSED) {
      // A granted seat starts its rounds afresh.
      EXPECT_EQ(seat.m_Joined, 0);
      EXPECT_EQ(seat.m_BetFlag, 0);
      EXPECT_EQ(seat.m_MissedRounds, 0);
      EXPECT_EQ(seat.m_ReserveDeadline, 0u);
      EXPECT_EQ(seat.SlotStatus(), TABLE_SLOTSTATUS_HELD);
    }
  }
}

TEST_F(CTableTest, ReservationsAreRefusedOverAnotherHolderOrReservation) {
  CPlayerConnection seat(0);
  ASSERT_EQ(seat.AllocateConnection(kOther), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(seat.ReserveConnection(kSelf, 1000), 0);
  seat.DeallocateConnection();
  ASSERT_EQ(seat.ReserveConnection(kSelf, 1000), 1);
  EXPECT_EQ(seat.ReserveConnection(kSelf, 1000), 0);
  EXPECT_EQ(seat.ReserveConnection(kOther, 1000), 0);
  EXPECT_EQ(seat.m_ReserveDeadline, m_Clock.Now() + 1000);
}

TEST_F(CTableTest, SlotStatusTellsFreeHeldOrTheReservedUser) {
  CPlayerConnection seat(1);
  EXPECT_EQ(seat.SlotStatus(), TABLE_SLOTSTATUS_FREE);
  ASSERT_EQ(seat.ReserveConnection(kOther, 5000), 1);
  EXPECT_EQ(seat.SlotStatus(), kOther);
  ASSERT_EQ(seat.AllocateConnection(kOther), TABLE_ALLOC_RESERVED);
  EXPECT_EQ(seat.SlotStatus(), TABLE_SLOTSTATUS_HELD);
  seat.DeallocateConnection();
  EXPECT_EQ(seat.SlotStatus(), TABLE_SLOTSTATUS_FREE);
}

TEST_F(CTableTest, DeallocateConnectionKeepsTheSeatNumberAndTheName) {
  CPlayerConnection seat(2);
  EXPECT_STREQ(seat.GetUserName(), "");
  ASSERT_EQ(seat.AllocateConnection(kSelf), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(seat.SetUserName("Lucky Lucia"), 1);
  seat.m_Joined = seat.m_BetFlag = seat.m_MissedRounds = seat.m_SecondSeat = 1;
  seat.DeallocateConnection();
  EXPECT_EQ(seat.GetSlotNr(), 2);
  EXPECT_STREQ(seat.GetUserName(), "Lucky Lucia");
  EXPECT_EQ(seat.GetPlayerId(), 0);
  EXPECT_EQ(seat.m_Joined + seat.m_BetFlag + seat.m_MissedRounds + seat.m_SecondSeat + seat.m_ReservedFor, 0);
  EXPECT_EQ(seat.m_ReserveDeadline, 0u);
}

TEST_F(CTableTest, UserNamesAreCutToThirtyCharacters) {
  CPlayerConnection seat(0);
  const std::string longName(45, 'n');
  EXPECT_EQ(seat.SetUserName(longName.c_str()), 1);
  EXPECT_EQ(std::string(seat.GetUserName()), longName.substr(0, 30));
  EXPECT_EQ(seat.SetUserName(nullptr), 1);
  EXPECT_STREQ(seat.GetUserName(), "");
}

// The deadline compares as a clock difference: a reservation made just before the clock wraps
// runs out on time after it.
TEST_F(CTableTest, ReservationsRunOutOnTimeAcrossTheClockWrap) {
  m_Clock.Set(0xFFFFFC18u);  // 1000 ms before the wrap
  CPlayerConnection seat(0);
  ASSERT_EQ(seat.ReserveConnection(kSelf, 3000), 1);
  EXPECT_EQ(seat.m_ReserveDeadline, 2000u);
  m_Clock.Advance(1500);
  EXPECT_EQ(seat.HasReservationExpired(), 0);
  m_Clock.Advance(1500);
  EXPECT_EQ(seat.HasReservationExpired(), 0);  // exactly at the deadline
  m_Clock.Advance(1);
  EXPECT_EQ(seat.HasReservationExpired(), 1);
  seat.DeallocateConnection();
  EXPECT_EQ(seat.HasReservationExpired(), 0);
}

class TableSeats : public CTableTest {
 protected:
  void SetUp() override {
    CTableTest::SetUp();
    ASSERT_EQ(m_Table.InitTable(7, 0, 0, 0, 0), 1);
  }
  void TearDown() override {
    m_Table.ExitTable();
    CTableTest::TearDown();
  }
  CTestTable m_Table{CNODE_SERVER};
};

TEST_F(TableSeats, AllocateSlotCallsCreatePlayerAndSetsTheSecondSeatFlag) {
  ASSERT_EQ(m_Table.GetNumSeats(), 4);
  EXPECT_EQ(m_Table.AllocateSlot(0, kSelf), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(m_Table.GetPlayerConnection(0)->m_SecondSeat, 0);
  EXPECT_EQ(m_Table.AllocateSlot(2, kSelf), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(m_Table.GetPlayerConnection(2)->m_SecondSeat, 1);
  EXPECT_EQ(m_Table.AllocateSlot(1, kOther), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(m_Table.GetPlayerConnection(1)->m_SecondSeat, 0);
  // A seat reserved for him does not count as one he holds.
  m_Table.DeallocateSlot(0);
  m_Table.DeallocateSlot(2);
  ASSERT_EQ(m_Table.GetPlayerConnection(3)->ReserveConnection(kSelf, 1000), 1);
  EXPECT_EQ(m_Table.AllocateSlot(0, kSelf), TABLE_ALLOC_GRANTED);
  EXPECT_EQ(m_Table.GetPlayerConnection(0)->m_SecondSeat, 0);
  EXPECT_EQ(m_Table.AllocateSlot(3, kSelf), TABLE_ALLOC_RESERVED);
  EXPECT_EQ(m_Table.GetPlayerConnection(3)->m_SecondSeat, 1);
  EXPECT_EQ(m_Table.GetPlayerConnection(3)->m_ReservedFor, 0);
  const std::vector<std::string> calls = {"create 0 101", "create 2 101", "create 1 202", "delete 0",
                                          "delete 2",     "create 0 101", "create 3 101"};
  EXPECT_EQ(m_Table.m_Calls, calls);
}

TEST_F(TableSeats, ARefusalOfTheGameLeavesTheSeatFree) {
  m_Table.m_CreateResult = 0;
  EXPECT_EQ(m_Table.AllocateSlot(1, kSelf), TABLE_ALLOC_REFUSED);
  EXPECT_EQ(m_Table.GetPlayerConnection(1)->SlotStatus(), TABLE_SLOTSTATUS_FREE);
  EXPECT_EQ(m_Table.m_Calls, std::vector<std::string>{"create 1 101"});
  // A refused seat is not deleted: the game never had the player.
  m_Table.ExitTable();
  EXPECT_EQ(m_Table.m_Calls, std::vector<std::string>{"create 1 101"});
}

TEST_F(TableSeats, SeatsOutsideTheTableAreIgnored) {
  for (int32_t seat : {-1, 4, 1000, INT32_MIN}) {
    EXPECT_EQ(m_Table.GetPlayerConnection(seat), nullptr);
    EXPECT_EQ(m_Table.AllocateSlot(seat, kSelf), TABLE_ALLOC_REFUSED);
    m_Table.DeallocateSlot(seat);
  }
  EXPECT_TRUE(m_Table.m_Calls.empty());
}

TEST_F(TableSeats, ZeroPlayerBetFlagsClearsEverySeat) {
  for (int32_t seat = 0; seat < 4; ++seat) m_Table.GetPlayerConnection(seat)->m_BetFlag = 1;
  m_Table.ZeroPlayerBetFlags();
  for (int32_t seat = 0; seat < 4; ++seat) EXPECT_EQ(m_Table.GetPlayerConnection(seat)->m_BetFlag, 0);
}

TEST_F(CTableTest, ExitTableGivesUpHeldSeatsThenCallsExit) {
  CTestTable table(CNODE_CLIENT);
  ASSERT_EQ(table.InitTable(3, 1, 0, 0, 0), 1);
  EXPECT_EQ(table.m_InitArgs, (std::vector<int32_t>{1, 0, 0}));
  ASSERT_EQ(table.AllocateSlot(1, kSelf), TABLE_ALLOC_GRANTED);
  ASSERT_EQ(table.AllocateSlot(3, kOther), TABLE_ALLOC_GRANTED);
  ASSERT_EQ(table.GetPlayerConnection(2)->ReserveConnection(kSelf, 1000), 1);
  table.m_Calls.clear();
  table.m_ExitResult = 7;
  EXPECT_EQ(table.ExitTable(), 7);
  EXPECT_EQ(table.m_Calls, (std::vector<std::string>{"delete 1", "delete 3"}));
  EXPECT_EQ(table.m_Exits, 1);
  EXPECT_EQ(table.GetNumSeats(), 0);
  EXPECT_EQ(table.GetPlayerConnection(1), nullptr);
  EXPECT_EQ(table.GetSlotAllocNode(), nullptr);
}

TEST_F(CTableTest, AFailedInitLeavesItsPartsForExitTable) {
  CTestTable table(CNODE_SERVER);
  table.m_InitResult = 0;
  EXPECT_EQ(table.InitTable(9, 0, 0, 0, 0), 0);
  EXPECT_NE(table.GetTableNode(), nullptr);
  EXPECT_EQ(table.InitTable(9, 0, 0, 0, 0), 0);  // not twice
  EXPECT_EQ(table.ExitTable(), 1);
  EXPECT_EQ(table.GetTableNode(), nullptr);

  CTestTable noSeats(CNODE_SERVER, 0);
  EXPECT_EQ(noSeats.InitTable(9, 0, 0, 0, 0), 0);
  EXPECT_EQ(noSeats.m_Exits, 1);
  EXPECT_EQ(noSeats.GetTableNode(), nullptr);
}

// A game that forgets ExitTable leaves nothing registered behind.
TEST_F(CTableTest, TheDestructorFreesWhatExitTableDidNot) {
  {
    CTestTable table(CNODE_SERVER);
    ASSERT_EQ(table.InitTable(5, 0, 0, 0, 0), 1);
    ASSERT_EQ(table.AllocateSlot(0, kSelf), TABLE_ALLOC_GRANTED);
    EXPECT_EQ(CTableBase::GetCurrentTable(), &table);
  }
  EXPECT_EQ(CTableBase::GetCurrentTable(), nullptr);
  EXPECT_EQ(xCommNodeList(0)->GetNumNodes(), 0);
}

}  // namespace
