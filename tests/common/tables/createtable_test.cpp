// Table creation: the server half's creator reads the new table's record, deletes it in play for
// fun, and hands it to the game's parse callback; the client half's creator keeps what it is
// given.
#include "common/tables/createtable.h"
#include "dummygame.h"

namespace {

struct SParsed {
  int32_t m_Calls = 0;
  c2stovaTable m_Record;
  int32_t m_Result = 1;
};

int32_t Parse(void* context, c2stovaTable* record) {
  auto* parsed = static_cast<SParsed*>(context);
  ++parsed->m_Calls;
  parsed->m_Record = *record;
  return parsed->m_Result;
}

class CreateTable : public CDummyTableTest {
 protected:
  // A table record of type 4 with the owner and a player setting the game reads.
  void Record() {
    c2stovaTable record;
    record.m_TableId = DUMMY_TABLE;
    record.m_TableType = STOVA_TABLE_PRACTICE_PRIVATE;
    record.m_Owner = 1;
    record.m_PlayerSettings[0] = 250;
    uint32_t id = 0;
    int32_t ok = 0;
    ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
  }
  int32_t Found() {
    c2stovaTable record;
    int32_t found = 0;
    EXPECT_EQ(m_pDb->GetTableInfo(DUMMY_TABLE, &record, found), 1);
    return found;
  }
};

TEST_F(CreateTable, TheRecordGoesToTheGameAndInPlayForFunLeavesTheDatabase) {
  CreateMember("anna");
  Record();
  ASSERT_EQ(StartTable(1), 1);
  SParsed parsed;
  CServerCreateTable* creator = m_pTable->GetTableCreator();
  ASSERT_NE(creator, nullptr);
  EXPECT_EQ(creator->GetNode(), m_pTable->GetSlotAllocNode());
  ASSERT_EQ(creator->SetParseFunction(&parsed, Parse), 1);
  int32_t done = 0;
  EXPECT_EQ(creator->Handler(done), 1);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(parsed.m_Calls, 1);
  EXPECT_EQ(parsed.m_Record.m_TableType, STOVA_TABLE_PRACTICE_PRIVATE);
  EXPECT_EQ(parsed.m_Record.m_PlayerSettings[0], 250);
  EXPECT_EQ(Found(), 0);

  // Read again: there is no record now.
  done = 0;
  EXPECT_EQ(creator->Handler(done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(parsed.m_Calls, 1);
  c2stovaError error;
  EXPECT_EQ(m_pTableDb->GetLastStovaError(error), 0) << "the error records were read";
}

TEST_F(CreateTable, AGameThatRefusesTheRecordFailsTheCreationAndTheTable) {
  CreateMember("anna");
  Record();
  ASSERT_EQ(StartTable(1), 1);
  SParsed parsed;
  parsed.m_Result = 0;
  m_pTable->GetTableCreator()->SetParseFunction(&parsed, Parse);
  CDummyClient anna(1);
  ASSERT_TRUE(anna.RequestTimeDiff());
  // The creator connects, and in the same tick the creation fails: the table ends.
  EXPECT_FALSE(Tick());
  EXPECT_EQ(parsed.m_Calls, 1);
}

TEST_F(CreateTable, WithoutATableOrItsDatabaseNothingIsRead) {
  CServerCreateTable creator;
  int32_t done = 0;
  EXPECT_EQ(creator.Init(nullptr), 1);
  EXPECT_EQ(creator.Handler(done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(creator.Exit(), 1);
  EXPECT_EQ(creator.Exit(), 1);
}

TEST(ClientCreateTable, KeepsTheCreatorsIdNodeAndTable) {
  CClientCreateTable creator;
  CCommNode node;
  auto* table = reinterpret_cast<CClientTableBase*>(0x10);
  EXPECT_EQ(creator.Init(7, &node, table), 1);
  EXPECT_EQ(creator.GetPlayerId(), 7);
  EXPECT_EQ(creator.GetNode(), &node);
  EXPECT_EQ(creator.GetClientTable(), table);
  EXPECT_EQ(creator.Exit(), 1);
  EXPECT_EQ(creator.GetPlayerId(), 0);
  EXPECT_EQ(creator.GetNode(), nullptr);
}

}  // namespace
