// The names, ids, object names and types of a table's nodes on both halves, for table ids that
// do and do not add the "_" suffix.
#include <memory>
#include <string>

#include "ostrelcomm/timediff.h"
#include "tablekit.h"

namespace {

struct SNodeCase {
  uint32_t m_TableId;
  const char* m_Player;
  const char* m_Table;
  const char* m_SlotStatus;
  const char* m_SlotAlloc;
  const char* m_History;
  const char* m_TimeDiff;
};

const SNodeCase kCases[] = {
    {0, "Kavo:playerNode", "Kavo", "Kavo:slotStatusNode", "Kavo:slotAllocNode", "Kavo:playerhistoryRequestNode",
     "Kavo:timeDiff"},
    {7, "Kavo:playerNode_7", "Kavo_7", "Kavo:slotStatusNode_7", "Kavo:slotAllocNode_7",
     "Kavo:playerhistoryRequestNode_7", "Kavo:timeDiff_7"},
    {1020001, "Kavo:playerNode_1020001", "Kavo_1020001", "Kavo:slotStatusNode_1020001",
     "Kavo:slotAllocNode_1020001", "Kavo:playerhistoryRequestNode_1020001", "Kavo:timeDiff_1020001"},
};

class TableNodeNames : public CTableTest, public ::testing::WithParamInterface<uint32_t> {};

void ExpectNode(const CCommNode* node, const char* name, uint32_t id, const char* objName, uint32_t type) {
  ASSERT_NE(node, nullptr) << name;
  EXPECT_STREQ(node->GetName(), name);
  EXPECT_EQ(node->GetId(), id) << name;
  EXPECT_STREQ(node->GetObjName(), objName) << name;
  EXPECT_EQ(node->GetType(), type) << name;
  EXPECT_EQ(node->IsInitialised(), 1) << name;
}

TEST_P(TableNodeNames, EveryNodeIsNamedByTheRuleOnBothHalves) {
  const uint32_t nodeType = GetParam();
  const char* objName = nodeType == CNODE_CLIENT ? "KavoClient" : "KavoServer";
  const int32_t playerId = 4711;
  for (const SNodeCase& c : kCases) {
    SCOPED_TRACE(c.m_TableId);
    CTestTable table(nodeType);
    ASSERT_EQ(table.InitTable(static_cast<int32_t>(c.m_TableId), 1, 0, 0, 0), 1);
    EXPECT_EQ(table.GetTableId(), c.m_TableId);
    ExpectNode(table.GetPlayerNode(), c.m_Player, 0, objName, nodeType);
    ExpectNode(table.GetTableNode(), c.m_Table, 0, objName, nodeType);
    ExpectNode(table.GetSlotStatusNode(), c.m_SlotStatus, 0, objName, nodeType);
    ExpectNode(table.GetSlotAllocNode(), c.m_SlotAlloc, 0, objName, nodeType);
    ExpectNode(table.GetPlayerHistoryRequestNode(), c.m_History, 0, objName, nodeType);
    // Received records are searched without wrapping.
    EXPECT_EQ(table.GetTableNode()->m_RecvKCBL.GetRestartMode(), 0);
    EXPECT_EQ(table.GetReconnectNode(), nullptr);

    // The nodes the halves make during a reconnect and for the time difference.
    std::unique_ptr<CCommNode> reconnect(table.CreateTableNode(TABLE_NODE_TABLE, playerId));
    ExpectNode(reconnect.get(), c.m_Table, playerId, objName, nodeType);
    CTimeDiffClient timeDiff;
    ASSERT_EQ(table.NameTableNode(timeDiff, TABLE_NODE_TIMEDIFF, playerId), 1);
    EXPECT_STREQ(timeDiff.GetName(), c.m_TimeDiff);
    EXPECT_EQ(timeDiff.GetId(), static_cast<uint32_t>(playerId));
    EXPECT_STREQ(timeDiff.GetObjName(), objName);

    reconnect.reset();
    EXPECT_EQ(table.ExitTable(), 1);
    EXPECT_EQ(table.GetTableNode(), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(Halves, TableNodeNames, ::testing::Values(CNODE_CLIENT, CNODE_SERVER),
                         [](const auto& info) { return info.param == CNODE_CLIENT ? "Client" : "Server"; });

// The two halves of one table in one process talk over their equally named nodes.
TEST_F(CTableTest, TheHalvesOfOneTableMeetInTheProcess) {
  CTestTable server(CNODE_SERVER);
  CTestTable client(CNODE_CLIENT);
  ASSERT_EQ(server.InitTable(7, 0, 0, 0, 0), 1);
  ASSERT_EQ(client.InitTable(7, 1, 0, 0, 0), 1);
  // Another table's nodes do not hear it.
  CTestTable other(CNODE_CLIENT);
  ASSERT_EQ(other.InitTable(8, 1, 0, 0, 0), 1);

  CCommNode* from = server.GetSlotStatusNode();
  ASSERT_EQ(from->SendInit(), 1);
  ASSERT_EQ(from->NewItem(TABLE_MSG_SLOTALLOCSTATUS, KEND), 1);
  for (int32_t seat = 0; seat < 4; ++seat) ASSERT_EQ(from->NewItem(TABLE_ITEM_SLOTSTATUS, KLONG, seat, KEND), 1);
  ASSERT_EQ(from->SendKCBLPacket(), 1);

  CCommNode* to = client.GetSlotStatusNode();
  ASSERT_EQ(to->RecvKCBLPacket(), 1);
  EXPECT_STREQ(to->m_RecvKCBL.GetKeyword(), TABLE_MSG_SLOTALLOCSTATUS);
  EXPECT_EQ(other.GetSlotStatusNode()->IsDataAvailable(), 0);
  EXPECT_EQ(server.GetSlotStatusNode()->IsDataAvailable(), 0);
  to->RecvKCBLFree();

  EXPECT_EQ(other.ExitTable(), 1);
  EXPECT_EQ(client.ExitTable(), 1);
  EXPECT_EQ(server.ExitTable(), 1);
}

}  // namespace
