// A table that listens takes a real link from a user process in a second process (commpeer):
// node records flow both ways and into the message log, the table notices when the last link
// drops, and its exit lets the links flush for at most 5000 ms of the clock.
#include <signal.h>

#include <regex>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrelcomm/socketwait.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"
#include "tablekit.h"

namespace {

constexpr int kAnswerMs = 30000;

class UserProcessLinks : public CTableTest {
 protected:
  void SetUp() override {
    CTableTest::SetUp();
    ASSERT_EQ(m_Table.SetLinkLog(1, "userlinks.log"), 1);
    ASSERT_EQ(m_Table.InitTable(7, 0, 1, 0, 0), 1);
    ASSERT_NE(m_Table.GetListenPort(), 0u);
  }
  void TearDown() override {
    m_Table.ExitTable();
    CTableTest::TearDown();
  }

  // One frame of the table process: the table's tick, then the wait that services the links.
  void Frame() {
    if (!m_Table.TickComms()) ++m_Drops;
    xWaitTimeOrSockets(1);
  }
  template <class Cond>
  bool FrameUntil(Cond cond, int frames = 20000) {
    for (int i = 0; i < frames; ++i) {
      if (cond()) return true;
      Frame();
    }
    return cond();
  }
  std::string Ask(CSpawnedChild& peer, const std::string& order) {
    if (!order.empty()) peer.WriteLine(order);
    std::string line;
    for (int waited = 0; waited < kAnswerMs; ++waited) {
      if (peer.TryReadLine(line, 1)) return line;
      Frame();
    }
    return "<no answer>";
  }
  // A user process with the client nodes of table 7, linked to the table.
  void Connect(CSpawnedChild& peer) {
    ASSERT_TRUE(peer.StartProgram("commpeer", {}));
    ASSERT_EQ(Ask(peer, ""), "ready");
    ASSERT_EQ(Ask(peer, "node Kavo_7 0 3 1"), "node ok");
    ASSERT_EQ(Ask(peer, "node Kavo:slotAllocNode_7 0 3 1"), "node ok");
    const int32_t before = m_Table.NumUserProcessLinks();
    ASSERT_EQ(Ask(peer, "connect remote " + std::to_string(m_Table.GetListenPort())), "connected 0");
    ASSERT_TRUE(FrameUntil([&] { return m_Table.NumUserProcessLinks() == before + 1; }));
  }
  // The peer's request reaches the table's slot-allocation node (which also shows that the
  // peer's nodes are known on the table's side of the link).
  void RequestTimeDiff(CSpawnedChild& peer) {
    ASSERT_EQ(Ask(peer, "send Kavo:slotAllocNode_7 RequestTimeDiff 42"), "sent 1");
    CCommNode* node = m_Table.GetSlotAllocNode();
    ASSERT_TRUE(FrameUntil([&] { return node->IsDataAvailable() != 0; }));
    ASSERT_EQ(node->RecvKCBLPacket(), 1);
    EXPECT_STREQ(node->m_RecvKCBL.GetKeyword(), TABLE_MSG_REQUESTTIMEDIFF);
    EXPECT_STREQ(node->m_RecvKCBL.GetString(0), "42");
    node->RecvKCBLFree();
  }
  std::vector<std::string> LogLines(const std::string& module) const {
    std::vector<std::string> found;
    for (const std::string& line : SplitLines(ReadWholeFile(m_Dir.File("messages.log"))))
      if (line.find(" " + module + ": ") == 15) found.push_back(line);
    return found;
  }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  CTestTable m_Table{CNODE_SERVER};
  int m_Drops = 0;
};

TEST_F(UserProcessLinks, RecordsFlowBothWaysAndTheLastDropIsReportedOnce) {
  CSpawnedChild peer;
  Connect(peer);
  // The user process sees the table's five nodes, named by the rule, as server nodes.
  EXPECT_EQ(Ask(peer, "far 0 5"),
            "far Kavo:playerNode_7/0/2/1 Kavo_7/0/2/1 Kavo:slotStatusNode_7/0/2/1 Kavo:slotAllocNode_7/0/2/1 "
            "Kavo:playerhistoryRequestNode_7/0/2/1");
  RequestTimeDiff(peer);

  CCommNode* tableNode = m_Table.GetTableNode();
  ASSERT_EQ(tableNode->SendInit(), 1);
  ASSERT_EQ(tableNode->NewItem(TABLE_PL_SERVERMSG, KSTRING, "Welcome", KEND), 1);
  ASSERT_EQ(tableNode->SendKCBLPacket(), 1);
  EXPECT_EQ(Ask(peer, "expect-node Kavo_7"), "record Kavo_7 ServerMsg Welcome");

  // Both packets are in the message log, with the table id in the module text.
  const std::vector<std::string> received = LogLines("TableId << 7");
  ASSERT_EQ(received.size(), 1u);
  EXPECT_TRUE(std::regex_match(received[0], std::regex(R"(\d{8} \d{6} TableId << 7: Name: Kavo:slotAllocNode_7 Id: 0 )"
                                                       R"(Session: 0 Data: RequestTimeDiff = 42)")))
      << received[0];
  const std::vector<std::string> sent = LogLines("TableId >> 7");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(std::regex_match(sent[0], std::regex(R"(\d{8} \d{6} TableId >> 7: Name: Kavo_7 Id: 0 Session: 0 Data: )"
                                                   R"(ServerMsg = Welcome)")))
      << sent[0];
  // The link keeps its own log as well.
  EXPECT_FALSE(ReadWholeFile(m_Dir.File("userlinks.log")).empty());

  EXPECT_EQ(m_Drops, 0);
  peer.WriteLine("quit");
  EXPECT_EQ(peer.Wait(), 0);
  ASSERT_TRUE(FrameUntil([&] { return m_Drops > 0; }));
  for (int i = 0; i < 50; ++i) Frame();
  EXPECT_EQ(m_Drops, 1);
  EXPECT_EQ(m_Table.NumUserProcessLinks(), 0);

  // A user process that comes back is taken again.
  CSpawnedChild again;
  Connect(again);
  RequestTimeDiff(again);
}

TEST_F(UserProcessLinks, OnlyTheLastLinkToDropCounts) {
  CSpawnedChild first, second;
  Connect(first);
  Connect(second);
  first.Kill(SIGKILL);
  ASSERT_TRUE(FrameUntil([&] { return m_Table.NumUserProcessLinks() == 1; }));
  EXPECT_EQ(m_Drops, 0);
  second.Kill(SIGKILL);
  ASSERT_TRUE(FrameUntil([&] { return m_Drops > 0; }));
  EXPECT_EQ(m_Drops, 1);
}

// Links that flush leave at once; one whose user process stopped reading holds the exit for
// 5000 ms of the clock and no longer.
TEST_F(UserProcessLinks, ExitTableLetsTheLinksFlushForAtMostFiveSeconds) {
  CSpawnedChild peer;
  Connect(peer);
  RequestTimeDiff(peer);
  ASSERT_EQ(kill(peer.Pid(), SIGSTOP), 0);

  const std::string block(1 << 20, 'k');
  CCommNode* tableNode = m_Table.GetTableNode();
  for (int i = 0; i < 24; ++i) {
    ASSERT_EQ(tableNode->SendInit(), 1);
    ASSERT_EQ(tableNode->SendPacket(block.data(), static_cast<uint32_t>(block.size())), 1);
  }
  const uint32_t start = m_Clock.Now();
  EXPECT_EQ(m_Table.ExitTable(), 1);
  const uint32_t spent = m_Clock.Now() - start;
  EXPECT_GE(spent, TABLE_FLUSH_MS);
  EXPECT_LE(spent, TABLE_FLUSH_MS + 2);
  EXPECT_EQ(m_Table.NumUserProcessLinks(), 0);
  EXPECT_EQ(m_Table.GetListenPort(), 0u);
  peer.Kill(SIGKILL);

  // Each megabyte went to the log cut to what one line holds.
  const std::vector<std::string> sent = LogLines("TableId >> 7");
  ASSERT_EQ(sent.size(), 24u);
  for (const std::string& line : sent) {
    EXPECT_LE(line.size(), 15u + 1u + 16384u + 2u);
    EXPECT_NE(line.find("Name: Kavo_7 Id: 0 Session: 0 Data: kkkk"), std::string::npos);
  }
}

TEST_F(UserProcessLinks, FlushedLinksLeaveWithoutWaiting) {
  CSpawnedChild peer;
  Connect(peer);
  RequestTimeDiff(peer);
  const uint32_t start = m_Clock.Now();
  EXPECT_EQ(m_Table.ExitTable(), 1);
  EXPECT_LT(m_Clock.Now() - start, 100u);
  EXPECT_EQ(m_Table.NumUserProcessLinks(), 0);
}

}  // namespace

namespace {

// A port another table listens on already fails the second table's InitTable; its exit frees it.
TEST_F(CTableTest, AListeningPortThatIsTakenFailsInitTable) {
  CTestTable first(CNODE_SERVER);
  ASSERT_EQ(first.InitTable(7, 0, 0, 3, 0), 1);
  ASSERT_NE(first.GetListenPort(), 0u);
  CTestTable second(CNODE_SERVER);
  EXPECT_EQ(second.InitTable(8, 0, 0, 3, static_cast<int32_t>(first.GetListenPort())), 0);
  EXPECT_TRUE(second.m_InitArgs.empty());
  EXPECT_EQ(second.GetTableNode(), nullptr);
  EXPECT_EQ(second.ExitTable(), 1);
  EXPECT_EQ(second.GetListenPort(), 0u);
  // Without b and c the table does not listen.
  CTestTable quiet(CNODE_SERVER);
  ASSERT_EQ(quiet.InitTable(9, 5, 0, 0, 0), 1);
  EXPECT_EQ(quiet.GetListenPort(), 0u);
  EXPECT_EQ(quiet.TickComms(), 1);
  EXPECT_EQ(first.TickComms(), 1);
  EXPECT_EQ(quiet.ExitTable(), 1);
  EXPECT_EQ(first.ExitTable(), 1);
}

}  // namespace
