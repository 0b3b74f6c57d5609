// Two connections of one process (the local user process and the in-process table server) and
// a short third one (the lobby, the refill) interleave without a lock failure.
#include "stovafixture.h"

namespace {
using StovaTwoConnections = StovaTest;

TEST_F(StovaTwoConnections, InterleavedReadsAndWritesNeverFailOnALock) {
  const uint32_t player = Create("vorrin");
  CStovaConn table;
  ASSERT_EQ(table.Init(), 1);
  ASSERT_EQ(table.Connect("", "", "", ""), 1);
  int32_t ok = 0;
  ASSERT_EQ(m_Db.SetUserCash(player, Money("1000"), ok), 1);
  TStovaMoney expected = Money("1000");
  for (int round = 0; round < 50; ++round) {
    TStovaMoney cash;
    ASSERT_EQ(table.GetUserCash(player, cash, ok), 1);
    ASSERT_EQ(MoneyText(cash), MoneyText(expected));
    ASSERT_EQ(table.DecIncUserCash(player, Money("10"), 50, Money("15"), 54, ok), 1);
    expected += Money("5");
    ASSERT_EQ(m_Db.GetUserCash(player, cash, ok), 1) << "the other connection sees the commit at once";
    ASSERT_EQ(MoneyText(cash), MoneyText(expected));
    ASSERT_EQ(table.SetTableUser(5001, round % 7, player), 1);
    int32_t status = 0;
    ASSERT_EQ(table.PlayerHistoryInsert(player, 5001, round, 0, "SEAT=0;", "", "", "", status), 1);
    {
      // The lobby's refill: a short connection of its own.
      CStovaConn refill;
      ASSERT_EQ(refill.Init(), 1);
      ASSERT_EQ(refill.IncUserCash(player, Money("0.5"), 0, ok, 1), 1);
      expected += Money("0.5");
      refill.Exit();
    }
    c2stovaUser* u = nullptr;
    int32_t found = 0;
    ASSERT_EQ(m_Db.GetUserInfo(player, u, found), 1);
    ASSERT_EQ(MoneyText(u->m_Cash), MoneyText(expected));
    delete u;
  }
  EXPECT_TRUE(DrainErrors(table).empty());
  ExpectNoErrors();
}

TEST_F(StovaTwoConnections, AnOpenCallerTransactionDoesNotHideCommittedMoneyFromItsPeer) {
  const uint32_t player = Create("vorrin");
  CStovaConn table;
  ASSERT_EQ(table.Init(), 1);
  int32_t ok = 0;
  ASSERT_EQ(table.SetUserCash(player, Money("20"), ok), 1);
  ASSERT_EQ(table.BeginTransaction(), 1);
  ASSERT_EQ(table.WriteRaw(player, 5001, "varStore", 0, "abc", 3, ok), 1);
  TStovaMoney cash;
  ASSERT_EQ(m_Db.GetUserCash(player, cash, ok), 1) << "readers go on while the peer writes";
  EXPECT_EQ(MoneyText(cash), "20.0000000000");
  ASSERT_EQ(table.EndTransaction(1), 1);
  int32_t count = 0;
  ASSERT_EQ(m_Db.CountUserRaw(player, "varStore", count, ok), 1);
  EXPECT_EQ(count, 1);
}
}  // namespace
