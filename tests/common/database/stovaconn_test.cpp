// The server table's connection: a CStovaConn of its own, destroyed through the interface.
#include <gtest/gtest.h>

#include <memory>

#include "common/database/stovaconn.h"
#include "support/tempdir.h"

TEST(ServerTableDatabase, ServesTheLocalDatabaseBesideTheUserProcessConnection) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  std::unique_ptr<CStovaConnBase> table = std::make_unique<CServerTableDatabase>();
  CStovaConn userProcess;
  ASSERT_EQ(userProcess.Init(), 1);
  c2stovaUser u;
  std::snprintf(u.m_UserName, sizeof u.m_UserName, "vorrin");
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(userProcess.CreateUser(&u, id, "", "", "", "", "", "EN", "", ok), 1);

  // The server table's start: Init, Connect, Use, its record, then play.
  ASSERT_EQ(table->Init(), 1);
  ASSERT_EQ(table->Connect("localhost", "", "", "kavo"), 1);
  ASSERT_EQ(table->Use(""), 1);
  c2stovaTable record;
  int32_t found = 1;
  ASSERT_EQ(table->GetTableInfo(5001, &record, found), 1);
  EXPECT_EQ(found, 0);
  ASSERT_EQ(table->IncUserCash(id, TStovaMoney(40), 54, ok, 1), 1);
  TStovaMoney cash;
  ASSERT_EQ(userProcess.GetUserCash(id, cash, ok), 1);
  EXPECT_EQ(cash, TStovaMoney(40));
  EXPECT_EQ(table->Disconnect(), 1);
  EXPECT_EQ(table->Exit(), 1);
  table.reset();
  c2stovaError e;
  EXPECT_EQ(userProcess.GetLastStovaError(e), 0);
}
