// Tables: records created, replaced, read, updated and deleted; seats, owners and reservations.
#include "stovafixture.h"

namespace {
using StovaTables = StovaTest;

// The lobby's local record: owner 1, a private table, the seven player settings.
c2stovaTable LobbyRecord(uint32_t id, int32_t betLevel, int32_t timeLevel) {
  c2stovaTable t;
  t.m_TableId = id;
  t.m_Owner = 1;
  t.m_TableType = STOVA_TABLE_PRIVATE;
  const int32_t settings[STOVA_PLAYER_SETTINGS] = {0, betLevel, timeLevel, 4, 5, 6, 7};
  for (int i = 0; i < STOVA_PLAYER_SETTINGS; ++i) t.m_PlayerSettings[i] = settings[i];
  return t;
}

std::vector<int32_t> LongsOf(const c2stovaTable& t) { return std::vector<int32_t>(t.Longs(), t.Longs() + STOVA_TABLE_LONGS); }

TEST_F(StovaTables, TheTableParserFindsEachFieldAtItsCount) {
  const c2stovaTable t = LobbyRecord(5001, 3, 2);
  const int32_t* longs = t.Longs();
  // Counted from 1 as the one-deck table's parser counts: 2nd owner, 4th type, 7th bet level,
  // 8th time level.
  EXPECT_EQ(longs[1 - 1], 5001);
  EXPECT_EQ(longs[2 - 1], 1);
  EXPECT_EQ(longs[4 - 1], STOVA_TABLE_PRIVATE);
  EXPECT_EQ(longs[7 - 1], 3);
  EXPECT_EQ(longs[8 - 1], 2);
}

TEST_F(StovaTables, CreatedReplacedReadUpdatedDeleted) {
  c2stovaTable t = LobbyRecord(5001, 3, 2);
  t.m_Spare[19] = -77;
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateTable(&t, 9, id, ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(id, 5001u);
  c2stovaTable read;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetTableInfo(5001, &read, found), 1);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(LongsOf(read), LongsOf(t)) << "every long comes back where it was";

  // A leftover of the same id (a crashed session) is replaced, seats and owner included.
  ASSERT_EQ(m_Db.SetTableUser(5001, 0, 1), 1);
  ASSERT_EQ(m_Db.SetTableOwner(5001, 7, ok), 1);
  const c2stovaTable again = LobbyRecord(5001, 1, 1);
  ASSERT_EQ(m_Db.CreateTable(&again, 0, id, ok), 1);
  EXPECT_EQ(ok, 1);
  ASSERT_EQ(m_Db.GetTableInfo(5001, &read, found), 1);
  EXPECT_EQ(LongsOf(read), LongsOf(again));
  EXPECT_EQ(RunProgram("sqlite3", {DbPath(), "SELECT (SELECT COUNT(*) FROM table_seats) || (SELECT COUNT(*) FROM table_owners);"}),
            "00");

  read.m_InUse = 1;
  read.m_TableId = 999;  // the id argument names the table, not the record
  ASSERT_EQ(m_Db.UpdateTableInfo(5001, &read, ok), 1);
  EXPECT_EQ(ok, 1);
  c2stovaTable back;
  ASSERT_EQ(m_Db.GetTableInfo(5001, &back, found), 1);
  EXPECT_EQ(back.m_InUse, 1);
  EXPECT_EQ(back.m_TableId, 5001u);

  ASSERT_EQ(m_Db.DeleteTable(5001, ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(m_Db.GetTableInfo(5001, &back, found), 1);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(m_Db.DeleteTable(5001, ok), 1);
  EXPECT_EQ(ok, 0) << "nothing left to delete";
  ExpectNoErrors();

  EXPECT_EQ(m_Db.UpdateTableInfo(5001, &read, ok), 0) << "updating a missing table is no success";
  EXPECT_EQ(ok, 0);
  const auto errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].m_Code, STOVA_ERR_NOT_FOUND);
}

TEST_F(StovaTables, IdZeroAsksForANewTableId) {
  c2stovaTable t;
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  EXPECT_EQ(id, 1u);
  t = LobbyRecord(7000, 0, 0);
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  t.m_TableId = 0;
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  EXPECT_EQ(id, 7001u);
}

TEST_F(StovaTables, SeatsAndOwnerOutliveTheRecord) {
  const uint32_t player = Create("vorrin");
  c2stovaTable t = LobbyRecord(5001, 0, 0);
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  // The in-process table server deletes its record at start, then seats its players.
  ASSERT_EQ(m_Db.DeleteTable(5001, ok), 1);
  EXPECT_EQ(m_Db.SetTableUser(5001, 0, player), 1);
  EXPECT_EQ(m_Db.SetTableUser(5001, 3, player), 1);
  EXPECT_EQ(m_Db.SetTableOwner(5001, player, ok), 1);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(m_Db.SetTableUser(5001, 3, 0), 1) << "user 0 frees the seat";
  EXPECT_EQ(RunProgram("sqlite3", {DbPath(), "SELECT group_concat(seat || ':' || user_id) FROM table_seats;"}), "0:1");
  ExpectNoErrors();

  // With its record present, the owner is written into it too.
  ASSERT_EQ(m_Db.CreateTable(&t, 0, id, ok), 1);
  ASSERT_EQ(m_Db.SetTableOwner(5001, player, ok), 1);
  c2stovaTable read;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetTableInfo(5001, &read, found), 1);
  EXPECT_EQ(read.m_Owner, player);

  struct {
    uint32_t table;
    int32_t seat;
    uint32_t user;
  } refused[] = {{0, 0, 1}, {5001, -1, 1}, {5001, STOVA_MAX_SEATS, 1}, {0x80000000u, 0, 1}, {5001, 0, 0xFFFFFFFFu}};
  for (const auto& r : refused) {
    EXPECT_EQ(m_Db.SetTableUser(r.table, r.seat, r.user), 0) << r.seat;
    const auto errors = DrainErrors(m_Db);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].m_Code, STOVA_ERR_ARGUMENT);
  }
}

TEST_F(StovaTables, ReservationsAreSetAndCleared) {
  const uint32_t player = Create("vorrin");
  uint32_t table = 5001;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.SetReservedTableId(player, table, ok), 1);
  EXPECT_EQ(ok, 1);
  c2stovaUser u;
  c2stovaUser* p = &u;
  int32_t found = 0;
  ASSERT_EQ(m_Db.GetUserInfo(player, p, found), 1);
  EXPECT_EQ(u.m_ReservedTableId, 5001u);
  table = 0;
  ASSERT_EQ(m_Db.SetReservedTableId(player, table, ok), 1);
  ASSERT_EQ(m_Db.GetUserInfo(player, p, found), 1);
  EXPECT_EQ(u.m_ReservedTableId, 0u);
  table = 5001;
  EXPECT_EQ(m_Db.SetReservedTableId(4242, table, ok), 0) << "no such member";
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(DrainErrors(m_Db)[0].m_Code, STOVA_ERR_NOT_FOUND);
}

TEST_F(StovaTables, NullRecordsAndBadIdsAreRefused) {
  c2stovaTable t;
  uint32_t id = 0;
  int32_t flag = 1;
  EXPECT_EQ(m_Db.CreateTable(nullptr, 0, id, flag), 0);
  EXPECT_EQ(m_Db.GetTableInfo(5001, nullptr, flag), 0);
  EXPECT_EQ(m_Db.UpdateTableInfo(5001, nullptr, flag), 0);
  EXPECT_EQ(m_Db.GetTableInfo(0, &t, flag), 0);
  EXPECT_EQ(m_Db.DeleteTable(0xFFFFFFFFu, flag), 0);
  t.m_TableId = 0x90000000u;
  EXPECT_EQ(m_Db.CreateTable(&t, 0, id, flag), 0);
  EXPECT_EQ(flag, 0);
  const auto errors = DrainErrors(m_Db);
  ASSERT_EQ(errors.size(), 6u);
  for (const c2stovaError& e : errors) EXPECT_EQ(e.m_Code, STOVA_ERR_ARGUMENT) << e.GetText();
}
}  // namespace
