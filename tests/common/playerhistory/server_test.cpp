// The play-history server over a seeded database and an in-process node pair, as a table runs
// it: the request arrives on the server node, the reply reaches the viewer's node.
#include <string>
#include <vector>

#include "common/playerhistory/playerhistorylogger.h"
#include "common/playerhistory/playerhistoryserver.h"
#include "ostrel/base/types.h"
#include "ostrelcomm/commnode.h"
#include "phfixture.h"
#include "support/pyoracle.h"

namespace {
constexpr uint32_t kTable = 1020001;  // a game of type 1020, table 1
constexpr const char* kNodeName = "Kavo:playerhistoryRequestNode_5001";

std::string DataFile(const std::string& name) {
  return ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/playerhistory/" + name);
}

class ServerTest : public CPlayerHistoryTest {
 protected:
  void SetUp() override {
    CPlayerHistoryTest::SetUp();
    for (CCommNode* node : {&m_ServerNode, &m_Viewer}) {
      node->SetLog(0);
      node->m_RecvKCBL.RestartMode(0);
      ASSERT_EQ(node->SetId(0), 1);
      ASSERT_EQ(node->SetName(kNodeName), 1);
    }
    ASSERT_EQ(m_ServerNode.InitCommNode(CNODE_SERVER), 1);
    ASSERT_EQ(m_Viewer.InitCommNode(CNODE_CLIENT), 1);
    ASSERT_EQ(m_Server.Init(&m_Db, &m_ServerNode), 1);
  }
  void TearDown() override {
    m_ServerNode.ExitCommNode();
    m_Viewer.ExitCommNode();
    CPlayerHistoryTest::TearDown();
  }

  // The viewer sends the request text; the server takes it off its node and answers it for
  // the given player (-1: the request's). The handler's result.
  int32_t Ask(const std::string& request, int32_t player = PLAYERHISTORY_PLAYER_FROM_REQUEST) {
    EXPECT_EQ(m_Viewer.SendInit(), 1);
    EXPECT_EQ(m_Viewer.SendPacket(request.c_str(), static_cast<uint32_t>(request.size())), 1);
    EXPECT_EQ(m_ServerNode.RecvKCBLPacket(), 1);
    const int32_t result = m_Server.HandleCmd(&m_ServerNode.m_RecvKCBL, player);
    m_ServerNode.RecvKCBLFree();
    return result;
  }
  // The reply's text, or "" when none arrived.
  std::string Reply() {
    if (!m_Viewer.IsDataAvailable()) return "";
    void* data = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(m_Viewer.RecvPacket(data, size), 1);
    std::string text(static_cast<const char*>(data), size);
    xFree(data);
    m_Viewer.RecvFree();
    return text;
  }
  // The reply read as a record, entered down to its inner chunk.
  void ReadReply(const std::string& text, CKCBL& record, const char* inner) {
    ASSERT_EQ(record.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
    record.MainChunk();
    record.FirstItem();
    ASSERT_EQ(record.FindSubChunk(PLAYERHISTORY_CHUNK_REPLY, PLAYERHISTORY_REQUEST), 1);
    ASSERT_EQ(record.EnterChunk(), 1);
    ASSERT_EQ(record.FindSubChunk(inner), 1);
  }
  void Sessions(uint32_t player, uint32_t table, int n) {
    for (int i = 0; i < n; ++i) {
      int32_t session = 0, status = 0;
      ASSERT_EQ(m_Db.PlayerHistoryGetNewPlayerSession(player, table, session, status), 1);
    }
  }

  CCommNode m_ServerNode;
  CCommNode m_Viewer;
  CPlayerHistoryServer m_Server;
};

TEST_F(ServerTest, SessionListsAreAnsweredInTheCommittedForm) {
  c2stovaTable table;
  table.m_TableId = kTable;
  table.m_TableType = STOVA_TABLE_PRACTICE;
  uint32_t id = kTable;
  int32_t ok = 0;
  ASSERT_EQ(m_Db.CreateTable(&table, 0, id, ok), 1);
  Sessions(m_Player, kTable, 2);
  for (int round = 0; round < 3; ++round) {
    int32_t status = 0;
    ASSERT_EQ(m_Db.PlayerHistoryInsert(m_Player, kTable, round, PLAYERHISTORY_NEW_ROUND, "", "", "", "", status), 1);
  }
  ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(m_Player) + ", 0, 0, 0, 10\n"), 1);
  EXPECT_EQ(Reply(), DataFile("sessionlist_two.kcbl"));
  // An empty list still answers, with 0 and 0.
  ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(m_Player) + ", 0, 0, 5, 10\n"), 1);
  EXPECT_EQ(Reply(), DataFile("sessionlist_empty.kcbl"));
  ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(m_Player) + ", 0, 0, 0, 0\n"), 1);
  EXPECT_EQ(Reply(), DataFile("sessionlist_empty.kcbl")) << "no rows asked for";
  EXPECT_EQ(m_Db.m_SessionsCalls.size(), 2u) << "a count below 1 needs no database";
}

TEST_F(ServerTest, AtMostFiftyRowsAreSentAndTheGameFilterAndFirstRowAreNormalised) {
  Sessions(m_Player, kTable, 60);
  ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(m_Player) + ", 0, 0, 0, 200\n"), 1);
  CKCBL reply;
  ReadReply(Reply(), reply, PLAYERHISTORY_CHUNK_SESSIONLIST);
  uint32_t rows = 0;
  int32_t count = 0;
  ASSERT_EQ(reply.GetULong(1, &rows), 1);
  ASSERT_EQ(reply.GetLong(2, &count), 1);
  EXPECT_EQ(rows, 50u);
  EXPECT_EQ(count, 60);
  ASSERT_EQ(reply.EnterChunk(), 1);
  int items = 0;
  for (reply.FirstItem(); reply.ItemExists(); reply.NextItem(0)) {
    EXPECT_EQ(std::string(reply.GetKeyword()), "Item" + std::to_string(items));
    ++items;
  }
  EXPECT_EQ(items, 50);

  struct SCase {
    int32_t m_Filter, m_First, m_WantFilter, m_WantFirst;
  } cases[] = {{1020, 3, 1020000, 3}, {25000, 0, 25000, 0}, {10000, 1, 10000, 1}, {9999, 0, 9999000, 0},
               {0, -7, 0, 0}, {-5, 2, 0, 2}};
  for (const SCase& c : cases) {
    m_Db.m_SessionsCalls.clear();
    ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(m_Player) + ", " + std::to_string(c.m_Filter) +
                  ", 2, " + std::to_string(c.m_First) + ", 5\n"),
              1);
    Reply();
    ASSERT_EQ(m_Db.m_SessionsCalls.size(), 1u);
    EXPECT_EQ(m_Db.m_SessionsCalls[0].m_Filter, c.m_WantFilter) << c.m_Filter;
    EXPECT_EQ(m_Db.m_SessionsCalls[0].m_FirstRow, c.m_WantFirst) << c.m_First;
    EXPECT_EQ(m_Db.m_SessionsCalls[0].m_Selection, 2);
    EXPECT_EQ(m_Db.m_SessionsCalls[0].m_Rows, 5);
  }
}

TEST_F(ServerTest, ThePlayerIdIsTheTablesUnlessItAsksForTheRequests) {
  const uint32_t other = CreateMember("ostler");
  Sessions(other, kTable, 1);
  ASSERT_EQ(Ask("PlayerHistory = GetSessions, " + std::to_string(other) + ", 0, 0, 0, 10\n", m_Player), 1);
  EXPECT_EQ(m_Db.m_SessionsCalls.at(0).m_Player, static_cast<int32_t>(m_Player));
  EXPECT_EQ(Reply(), DataFile("sessionlist_empty.kcbl"));
}

TEST_F(ServerTest, BadRequestsAreNotAnswered) {
  const std::string player = std::to_string(m_Player);
  struct SCase {
    const char* m_Name;
    std::string m_Request;
    int32_t m_Result;
  } cases[] = {
      {"no player", "PlayerHistory = GetSessions\n", 0},
      {"player not a number", "PlayerHistory = GetSessions, vorrin, 0, 0, 0, 1\n", 0},
      {"rows missing", "PlayerHistory = GetSessions, " + player + ", 0, 0, 0\n", 0},
      {"filter not a number", "PlayerHistory = GetSessions, " + player + ", x, 0, 0, 1\n", 0},
      {"huge first row", "PlayerHistory = GetSessions, " + player + ", 0, 0, 99999999999, 1\n", 0},
      {"player refused by the database", "PlayerHistory = GetSessions, -3, 0, 0, 0, 1\n", 0},
      {"data without rows value", "PlayerHistory = GetPlrSessionData, " + player + ", 1, 0\n", 0},
      {"data without player", "PlayerHistory = GetPlrSessionData\n", 0},
      {"data of no session", "PlayerHistory = GetPlrSessionData, " + player + ", -1, 0, 5\n", 0},
      {"unknown command", "PlayerHistory = GetEverything, " + player + ", 1, 2, 3\n", 1},
      {"no command", "PlayerHistory\n", 1},
      {"another request", "Balance = 1\n", 1},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(Ask(c.m_Request), c.m_Result) << c.m_Name;
    EXPECT_EQ(Reply(), "") << c.m_Name;
  }
  c2stovaError error;
  EXPECT_EQ(m_Db.GetLastStovaError(error), 0) << "failures were read back";

  CPlayerHistoryServer unbound;
  ASSERT_EQ(unbound.Init(nullptr, &m_ServerNode), 1);
  CKCBL request;
  const std::string text = "PlayerHistory = GetSessions, " + player + ", 0, 0, 0, 1\n";
  ASSERT_EQ(request.Import(text.c_str(), -1), 1);
  request.MainChunk();
  request.FirstItem();
  EXPECT_EQ(unbound.HandleCmd(&request, -1), 0);
  EXPECT_EQ(unbound.HandleCmd(nullptr, -1), 1);
  CPlayerHistoryServer nodeless;
  ASSERT_EQ(nodeless.Init(&m_Db, nullptr), 1);
  EXPECT_EQ(nodeless.HandleCmd(&request, -1), 0);
}

// A session of rows with data texts of the given lengths; the rows' expected bytes.
class SessionData : public ServerTest {
 protected:
  // Rows at a table of their own, so that they make a session of their own.
  std::string Seed(const std::vector<size_t>& lengths, uint32_t table = kTable) {
    CPlayerHistoryLogger logger;
    EXPECT_EQ(logger.Init(&m_Db, static_cast<int32_t>(table), 5), 1);
    std::string bytes;
    for (size_t i = 0; i < lengths.size(); ++i) {
      std::string text;
      for (size_t k = 0; k < lengths[i]; ++k) text += static_cast<char>(k % 5 == 4 ? '\'' : 0x20 + (k * 7 + i) % 95);
      const int32_t type = static_cast<int32_t>(i % 5);
      EXPECT_EQ(logger.LogData(static_cast<int32_t>(m_Player), -1, type, CString(text.c_str())), 1);
      for (int32_t v : {static_cast<int32_t>(m_Player), static_cast<int32_t>(table), m_Sessions + 1, 1700000000, type,
                        logger.GetRound()})
        bytes.append(reinterpret_cast<const char*>(&v), 4);  // the test machine is little-endian
      bytes += std::string("vorrin") + '\0' + text + '\0';
      logger.IncRound();
    }
    ++m_Sessions;
    return bytes;
  }
  // The "Data" text of the reply, with the reply's two values.
  std::string DataText(const std::string& reply, uint32_t& length, int32_t& count) {
    CKCBL record;
    ReadReply(reply, record, PLAYERHISTORY_CHUNK_SESSIONDATA);
    EXPECT_EQ(record.GetULong(1, &length), 1);
    EXPECT_EQ(record.GetLong(2, &count), 1);
    EXPECT_EQ(record.EnterChunk(), 1);
    char* text = nullptr;
    if (!record.GetString(PLAYERHISTORY_ITEM_DATA, &text)) return "<no Data item>";
    std::string out = text;
    xFree(text);
    return out;
  }

  int32_t m_Sessions = 0;
};

TEST_F(SessionData, RowsTravelAsLzssCodedUuTextThatPythonReadsBack) {
  struct SCase {
    const char* m_Name;
    std::vector<size_t> m_Lengths;
  } cases[] = {{"one empty row", {0}},
               {"one full row", {255}},
               {"two rows", {1, 254}},
               {"two hundred rows", [] {
                  std::vector<size_t> v;
                  for (size_t i = 0; i < 200; ++i) v.push_back(i * 37 % 256);
                  return v;
                }()}};
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Name);
    const std::string expected = Seed(c.m_Lengths, kTable + static_cast<uint32_t>(m_Sessions));
    ASSERT_EQ(Ask("PlayerHistory = GetPlrSessionData, " + std::to_string(m_Player) + ", " +
                  std::to_string(m_Sessions) + ", 0, 1000\n"),
              1);
    uint32_t length = 0;
    int32_t count = 0;
    const std::string text = DataText(Reply(), length, count);
    EXPECT_EQ(length, text.size() + 1);
    EXPECT_EQ(count, static_cast<int32_t>(c.m_Lengths.size()));
    const std::vector<std::string> lines = RunPythonTool("playerhistory_data.py", text);
    ASSERT_EQ(lines.size(), c.m_Lengths.size() + 1);
    EXPECT_EQ(lines[0], Hex(expected));
  }
}

TEST_F(SessionData, EmptyAnswersHaveNoDataItemAndOtherPlayersRowsNeverAppear) {
  Seed({10, 20});
  ASSERT_EQ(Ask("PlayerHistory = GetPlrSessionData, " + std::to_string(m_Player) + ", 1, 5, 10\n"), 1);
  EXPECT_EQ(Reply(), DataFile("sessiondata_empty.kcbl")) << "past the last row";
  ASSERT_EQ(Ask("PlayerHistory = GetPlrSessionData, " + std::to_string(m_Player) + ", 1, 0, 0\n"), 1);
  EXPECT_EQ(Reply(), DataFile("sessiondata_empty.kcbl")) << "no rows asked for";

  const uint32_t other = CreateMember("ostler");
  ASSERT_EQ(Ask("PlayerHistory = GetPlrSessionData, " + std::to_string(other) + ", 1, 0, 10\n"), 1);
  const std::string reply = Reply();
  EXPECT_EQ(reply.find("Data ="), std::string::npos) << reply;
  EXPECT_NE(reply.find("PhSessionData"), std::string::npos);
  CKCBL record;
  ReadReply(reply, record, PLAYERHISTORY_CHUNK_SESSIONDATA);
  uint32_t length = 1;
  int32_t count = 1;
  ASSERT_EQ(record.GetULong(1, &length), 1);
  ASSERT_EQ(record.GetLong(2, &count), 1);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(count, 0);
}

TEST(PlayerHistoryPack, AMissingTextIsEmptyAndANameFillingItsFieldStopsThere) {
  CLList list;
  auto* row = new SPlayerHistoryDataRow;
  memset(row->m_Name, 'n', sizeof row->m_Name);
  row->m_PlayerId = 9;
  row->m_Kind = 2;
  row->m_Value = -1;
  list.InsertLast(row);
  int32_t rows = 0;
  const std::string bytes = PlayerHistoryPackSessionData(list, 9, rows);
  EXPECT_EQ(rows, 1);
  std::string expected;
  for (int32_t v : {9, 0, 0, 0, 2, -1}) expected.append(reinterpret_cast<const char*>(&v), 4);
  expected += std::string(24, 'n') + '\0' + '\0';
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(PlayerHistoryPackSessionData(list, 8, rows), "");
  EXPECT_EQ(rows, 0);
  delete row;
}
}  // namespace
