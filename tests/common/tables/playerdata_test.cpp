// The per-player chunks written by one half and read by the other, through the record's text.
#include <string>

#include "tablekit.h"

namespace {

using TMoney = CTableBase::TMoney;

class PlayerData : public CTableTest {
 protected:
  void SetUp() override {
    CTableTest::SetUp();
    ASSERT_EQ(m_Server.InitTable(7, 0, 0, 0, 0), 1);
    ASSERT_EQ(m_Client.InitTable(7, 1, 0, 0, 0), 1);
  }
  void TearDown() override {
    m_Client.ExitTable();
    m_Server.ExitTable();
    CTableTest::TearDown();
  }
  // The server's table-node record as the client's table node receives it.
  std::string ToClient() { return Carry(*m_Server.GetTableNode(), *m_Client.GetTableNode()); }
  // A received record from its text.
  void Receive(const std::string& text) {
    CKCBL& record = m_Client.GetTableNode()->m_RecvKCBL;
    record.Free();
    ASSERT_EQ(record.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
    record.MainChunk();
    record.FirstItem();
  }

  CTestTable m_Server{CNODE_SERVER};
  CTestTable m_Client{CNODE_CLIENT};
};

TEST_F(PlayerData, ChunksOfBothFormsRoundTrip) {
  CCommNode* out = m_Server.GetPlayerNode();
  ASSERT_EQ(CTableBase::SendEnterPlayerData(out, 2, 4711, "KavoPlayerBet"), 1);
  ASSERT_EQ(out->NewItem("Bet", KLONG, 25, KEND), 1);
  ASSERT_EQ(CTableBase::SendExitPlayerData(out), 1);
  ASSERT_EQ(CTableBase::SendEnterPrivatePlayerData(out, 0, 99, "KavoPlayerAction"), 1);
  ASSERT_EQ(out->NewItem("Action", KLONG, 3, KEND), 1);
  ASSERT_EQ(CTableBase::SendExitPrivatePlayerData(out), 1);
  ASSERT_EQ(out->NewItem("After", KLONG, 1, KEND), 1);
  Carry(*out, *m_Client.GetPlayerNode());

  CCommNode* in = m_Client.GetPlayerNode();
  int32_t seat = 77, player = 0, value = 0;
  ASSERT_EQ(CTableBase::RecvEnterPlayerData(in, seat, player, "KavoPlayerBet"), 1);
  EXPECT_EQ(seat, 2);
  EXPECT_EQ(player, 4711);
  EXPECT_EQ(in->m_RecvKCBL.GetItem("Bet", KLONG, &value, KEND), 1);
  EXPECT_EQ(value, 25);
  ASSERT_EQ(CTableBase::RecvExitPlayerData(in), 1);
  ASSERT_EQ(CTableBase::RecvEnterPrivatePlayerData(in, seat, player, "KavoPlayerAction"), 1);
  EXPECT_EQ(seat, 0);
  EXPECT_EQ(player, 99);
  EXPECT_EQ(in->m_RecvKCBL.GetItem("Action", KLONG, &value, KEND), 1);
  EXPECT_EQ(value, 3);
  ASSERT_EQ(CTableBase::RecvExitPrivatePlayerData(in), 1);
  EXPECT_EQ(in->m_RecvKCBL.GetItem("After", KLONG, &value, KEND), 1);
}

// Several chunks of one name are read one after the other; after the last the seat is -1.
TEST_F(PlayerData, RepeatedReadsWalkTheChunksInOrder) {
  CCommNode* out = m_Server.GetTableNode();
  for (int32_t seat = 0; seat < 3; ++seat) {
    ASSERT_EQ(CTableBase::SendEnterPlayerData(out, seat, 100 + seat, "Hand"), 1);
    ASSERT_EQ(out->NewItem("Cards", KLONG, seat * 10, KEND), 1);
    ASSERT_EQ(CTableBase::SendExitPlayerData(out), 1);
  }
  ToClient();
  CCommNode* in = m_Client.GetTableNode();
  int32_t seat = 0, player = 0, count = 0;
  while (CTableBase::RecvEnterPlayerData(in, seat, player, "Hand") == 1 && seat != -1) {
    int32_t cards = -1;
    EXPECT_EQ(in->m_RecvKCBL.GetItem("Cards", KLONG, &cards, KEND), 1);
    EXPECT_EQ(cards, seat * 10);
    EXPECT_EQ(player, 100 + seat);
    EXPECT_EQ(seat, count);
    ++count;
    ASSERT_EQ(CTableBase::RecvExitPlayerData(in), 1);
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(seat, -1);
}

TEST_F(PlayerData, AMissingChunkGivesOneAndSeatMinusOne) {
  Receive("Hello = 5\n");
  int32_t seat = 3, player = 8;
  EXPECT_EQ(CTableBase::RecvEnterPlayerData(m_Client.GetTableNode(), seat, player, "Hand"), 1);
  EXPECT_EQ(seat, -1);
  EXPECT_EQ(player, 8);
  // A chunk of the other form is not the one looked for.
  Receive("{ = PrivatePlayerData, Hand, 5, 1\n}\n");
  EXPECT_EQ(CTableBase::RecvEnterPlayerData(m_Client.GetTableNode(), seat, player, "Hand"), 1);
  EXPECT_EQ(seat, -1);
  EXPECT_EQ(CTableBase::RecvEnterPlayerData(nullptr, seat, player, "Hand"), 0);
}

// Chunks from the other half or a user process whose values are missing or mistyped are refused.
TEST_F(PlayerData, UnreadableChunkValuesAreRefused) {
  const char* const kBad[] = {
      "{ = PlayerData, Hand\n}\n",
      "{ = PlayerData, Hand, 5\n}\n",
      "{ = PlayerData, Hand, five, 1\n}\n",
      "{ = PlayerData, Hand, 5, one\n}\n",
      "{ = PlayerData, Hand, 5, 99999999999\n}\n",
  };
  for (const char* text : kBad) {
    SCOPED_TRACE(text);
    Receive(text);
    int32_t seat = 0, player = 0;
    EXPECT_EQ(CTableBase::RecvEnterPlayerData(m_Client.GetTableNode(), seat, player, "Hand"), 0);
    EXPECT_EQ(seat, -1);
  }
}

TEST_F(PlayerData, EnableButtonAndAccountSumRoundTrip) {
  CCommNode* out = m_Server.GetTableNode();
  ASSERT_EQ(out->SendInit(), 1);
  ASSERT_EQ(m_Server.Server_SendEnableButton(2, 4711, 413), 1);
  ASSERT_EQ(m_Server.Server_SendAccountSum(2, 4711, TMoney("1234.5")), 1);
  const std::string text = ToClient();
  EXPECT_NE(text.find("PrivatePlayerData"), std::string::npos) << text;

  int32_t seat = 0, player = 0, value = 0;
  EXPECT_EQ(m_Client.Client_RecvEnableButton(seat, player, value), 1);
  EXPECT_EQ(seat, 2);
  EXPECT_EQ(player, 4711);
  EXPECT_EQ(value, 413);
  TMoney amount;
  seat = player = 0;
  EXPECT_EQ(m_Client.Client_RecvAccountSum(seat, player, amount), 1);
  EXPECT_EQ(seat, 2);
  EXPECT_EQ(player, 4711);
  EXPECT_EQ(amount, TMoney("1234.5"));
  // Both read: there is no second one.
  EXPECT_EQ(m_Client.Client_RecvAccountSum(seat, player, amount), 0);
}

struct SRecvCase {
  const char* m_pText;
  int32_t m_Result;
};

// The chunk must be there, with readable player id and seat, and hold the item.
TEST_F(PlayerData, ClientReadsOfButtonAndSumFailUnlessEverythingReads) {
  const SRecvCase kButton[] = {
      {"{ = PrivatePlayerData, EnableButton, 4711, 2\n  EnableButton = 1\n}\n", 1},
      {"Other = 1\n", 0},
      {"{ = PrivatePlayerData, EnableButton, 4711, 2\n}\n", 0},
      {"{ = PrivatePlayerData, EnableButton, 4711\n  EnableButton = 1\n}\n", 0},
      {"{ = PrivatePlayerData, EnableButton, x, 2\n  EnableButton = 1\n}\n", 0},
      {"{ = PrivatePlayerData, EnableButton, 4711, 2\n  EnableButton = yes\n}\n", 0},
  };
  for (const SRecvCase& c : kButton) {
    SCOPED_TRACE(c.m_pText);
    Receive(c.m_pText);
    int32_t seat = 0, player = 0, value = 0;
    EXPECT_EQ(m_Client.Client_RecvEnableButton(seat, player, value), c.m_Result);
  }
  const SRecvCase kSum[] = {
      {"{ = PrivatePlayerData, AccountSum, 4711, 2\n  AccountSum = 12.5\n}\n", 1},
      {"{ = PrivatePlayerData, AccountSum, 4711, 2\n  AccountSum = lots\n}\n", 0},
      {"{ = PrivatePlayerData, AccountSum, 4711\n  AccountSum = 12.5\n}\n", 0},
      {"{ = PrivatePlayerData, AccountSum, 4711, 2\n}\n", 0},
  };
  for (const SRecvCase& c : kSum) {
    SCOPED_TRACE(c.m_pText);
    Receive(c.m_pText);
    int32_t seat = 0, player = 0;
    TMoney amount(9);
    EXPECT_EQ(m_Client.Client_RecvAccountSum(seat, player, amount), c.m_Result);
    EXPECT_EQ(amount, c.m_Result ? TMoney("12.5") : TMoney(9));
  }
}

// The table type travels as an unsigned long and is read back as a long.
TEST_F(PlayerData, TableTypeIsWrittenUnsignedAndReadSigned) {
  CCommNode* out = m_Server.GetSlotAllocNode();
  ASSERT_EQ(out->NewItem(TABLE_MSG_ALLOCATESLOTANSWER, KEND), 1);
  ASSERT_EQ(out->NewItem(TABLE_ITEM_TABLETYPE, KULONG, static_cast<uint32_t>(m_Server.GetTableType()), KEND), 1);
  Carry(*out, *m_Client.GetSlotAllocNode());
  int32_t type = 0;
  EXPECT_EQ(m_Client.GetSlotAllocNode()->m_RecvKCBL.GetItem(TABLE_ITEM_TABLETYPE, KLONG, &type, KEND), 1);
  EXPECT_EQ(type, TABLE_TYPE_NEW);
}

}  // namespace
