#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "commfixture.h"
#include "support/tempdir.h"

namespace {

class NodeTest : public CCommTest {};

// The next waiting payload, taken and released.
std::optional<std::string> Take(CCommNode& node) {
  if (!node.IsDataAvailable()) return std::nullopt;
  void* data;
  uint32_t size;
  if (!node.RecvPacket(data, size)) return std::nullopt;
  std::string text(static_cast<char*>(data), size);
  EXPECT_EQ(static_cast<char*>(data)[size], 0);  // every payload is handed out terminated
  xFree(data);
  node.RecvFree();
  return text;
}

int32_t Registered() {
  CLList* nodes = xCommNodeList(0);
  return nodes ? nodes->GetNumNodes() : 0;
}

const char* TypeName(uint32_t t) { return t == CNODE_ANY ? "ANY" : t == CNODE_SERVER ? "SERVER" : "CLIENT"; }

}  // namespace

// ---- in-process delivery ----

TEST_F(NodeTest, DeliveryMatrix) {
  constexpr uint32_t A = CNODE_ANY, S = CNODE_SERVER, C = CNODE_CLIENT;
  // sender type, sender private, receiver type, receiver private, delivered
  struct {
    uint32_t from;
    int32_t fromPrivate;
    uint32_t to;
    int32_t toPrivate;
    bool delivered;
  } table[] = {
      {C, 0, C, 0, false}, {C, 0, C, 1, false}, {C, 1, C, 0, false}, {C, 1, C, 1, false},
      {C, 0, S, 0, true},  {C, 0, S, 1, true},  {C, 1, S, 0, true},  {C, 1, S, 1, true},
      {C, 0, A, 0, true},  {C, 0, A, 1, true},  {C, 1, A, 0, true},  {C, 1, A, 1, true},
      {S, 0, C, 0, true},  {S, 0, C, 1, true},  {S, 1, C, 0, true},  {S, 1, C, 1, true},
      {S, 0, S, 0, false}, {S, 0, S, 1, false}, {S, 1, S, 0, false}, {S, 1, S, 1, false},
      {S, 0, A, 0, true},  {S, 0, A, 1, true},  {S, 1, A, 0, true},  {S, 1, A, 1, true},
      {A, 0, C, 0, true},  {A, 0, C, 1, true},  {A, 1, C, 0, false}, {A, 1, C, 1, true},
      {A, 0, S, 0, true},  {A, 0, S, 1, true},  {A, 1, S, 0, false}, {A, 1, S, 1, true},
      {A, 0, A, 0, true},  {A, 0, A, 1, true},  {A, 1, A, 0, false}, {A, 1, A, 1, true},
  };
  for (const auto& row : table) {
    SNode from(row.from, "Table", 3, row.fromPrivate);
    SNode to(row.to, "Table", 3, row.toPrivate);
    ASSERT_EQ(Send(from, "hello"), 1);
    const auto got = Take(to);
    EXPECT_EQ(got.has_value(), row.delivered) << TypeName(row.from) << (row.fromPrivate ? " private" : "") << " -> "
                                              << TypeName(row.to) << (row.toPrivate ? " private" : "");
    if (got) {
      EXPECT_EQ(*got, "hello");
    }
    EXPECT_FALSE(Take(from).has_value()) << "a node never receives its own packets";
  }
}

TEST_F(NodeTest, OnlyEqualIdAndExactNameMeet) {
  SNode client(CNODE_CLIENT, "Table", 0);
  SNode server(CNODE_SERVER, "Table", 0);
  SNode otherId(CNODE_SERVER, "Table", 1);
  SNode otherCase(CNODE_SERVER, "table", 0);
  SNode secondClient(CNODE_CLIENT, "Table", 0);
  ASSERT_EQ(Send(client, "q"), 1);
  EXPECT_EQ(Take(server), "q");
  EXPECT_FALSE(Take(otherId));
  EXPECT_FALSE(Take(otherCase));
  EXPECT_FALSE(Take(secondClient));
  ASSERT_EQ(Send(server, "a"), 1);
  EXPECT_EQ(Take(client), "a");
  EXPECT_EQ(Take(secondClient), "a");
}

TEST_F(NodeTest, ManyListenersAllReceive) {
  SNode client(CNODE_CLIENT);
  std::vector<std::unique_ptr<SNode>> servers;
  for (int i = 0; i < 40; ++i) servers.push_back(std::make_unique<SNode>(CNODE_SERVER));
  ASSERT_EQ(Send(client, "all"), 1);
  for (auto& server : servers) EXPECT_EQ(Take(*server), "all");
}

TEST_F(NodeTest, QueueKeepsOrder) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  for (const char* t : {"1", "22", ""}) ASSERT_EQ(Send(client, t), 1);
  EXPECT_EQ(server.NumWaitingPackets(), 3);
  EXPECT_EQ(Take(server), "1");
  EXPECT_EQ(Take(server), "22");
  EXPECT_EQ(Take(server), "");
  EXPECT_FALSE(Take(server));
}

TEST_F(NodeTest, HeldRecordHidesTheQueueUntilFreed) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  Send(client, "1");
  Send(client, "2");
  void* data;
  uint32_t size;
  ASSERT_EQ(server.RecvPacket(data, size), 1);
  xFree(data);
  EXPECT_EQ(server.IsDataAvailable(), 0);
  server.RecvFree();
  EXPECT_EQ(server.IsDataAvailable(), 1);
}

// ---- send state ----

TEST_F(NodeTest, SendNeedsAnOpenSendOnAStartedNode) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  EXPECT_EQ(client.SendPacket("x", 1), 0);
  EXPECT_EQ(client.SendInit(), 1);
  EXPECT_EQ(client.SendInit(), 0);
  EXPECT_EQ(client.SendPacket("x", 1), 1);
  EXPECT_EQ(client.SendPacket("x", 1), 0) << "the send closes after one packet";
  EXPECT_EQ(client.SendInit(), 1);

  CCommNode idle;
  EXPECT_EQ(idle.SendInit(), 0);
}

// Sending a size without data sends zeros: nothing left over in the heap reaches a node or the wire.
TEST_F(NodeTest, APayloadWithoutDataIsZeros) {
  SNode client(CNODE_CLIENT, "Table", 0, 0);
  SNode server(CNODE_SERVER, "Table", 0, 0);
  CFakeRemoteLink link;
  ASSERT_EQ(link.Connect(), 1);
  link.TakeSent();
  ASSERT_EQ(client.SendInit(), 1);
  ASSERT_EQ(client.SendPacket(nullptr, 4), 1);
  EXPECT_EQ(Take(server), std::string(4, '\0'));
  const std::vector<std::string> sent = link.TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].substr(sent[0].size() - 8), "00000000");
}

TEST_F(NodeTest, InitNeedsNameIdAndAType) {
  CCommNode node;
  EXPECT_EQ(node.InitCommNode(CNODE_CLIENT), 0);
  node.SetName("X");
  EXPECT_EQ(node.InitCommNode(CNODE_CLIENT), 0);
  node.SetId(1);
  EXPECT_EQ(node.InitCommNode(0), 0);
  EXPECT_EQ(node.InitCommNode(4), 0);
  EXPECT_EQ(Registered(), 0);
  EXPECT_EQ(node.InitCommNode(CNODE_CLIENT), 1);
  EXPECT_EQ(Registered(), 1);
}

TEST_F(NodeTest, ExitForgetsTheNameAndLeavesTheRegistry) {
  SNode server(CNODE_SERVER);
  SNode client(CNODE_CLIENT);
  Send(client, "x");
  server.SetObjName("srv");
  server.ExitCommNode();
  EXPECT_EQ(server.GetName(), nullptr);
  EXPECT_STREQ(server.GetObjName(), "");
  EXPECT_EQ(server.NumWaitingPackets(), 0);
  EXPECT_EQ(Registered(), 1);
  EXPECT_EQ(server.InitCommNode(CNODE_SERVER), 0) << "a new start needs a new name";
  server.SetName("Table");
  EXPECT_EQ(server.InitCommNode(CNODE_SERVER), 1);
  Send(client, "y");
  EXPECT_EQ(Take(server), "y");
}

// ---- names ----

TEST_F(NodeTest, NameForms) {
  CCommNode node;
  struct {
    std::function<void()> set;
    const char* name;
  } cases[] = {
      {[&] { node.SetName("Table", 5, 0, 7); }, "Table_5_7"},
      {[&] { node.SetName("Table", 0, 0, 0); }, "Table"},
      {[&] { node.SetName("Black", "jack"); }, "Blackjack"},
      {[&] { node.SetName("Black", "jackClient", 4294967295u, 1, 2); }, "BlackjackClient_4294967295_1_2"},
  };
  for (auto& c : cases) {
    c.set();
    EXPECT_STREQ(node.GetName(), c.name);
  }
  EXPECT_STREQ(node.GetObjName(), "default commnode object name");
  node.SetObjName("Info", "Node");
  EXPECT_STREQ(node.GetObjName(), "InfoNode");
  node.SetObjName("Info", 12u);
  EXPECT_STREQ(node.GetObjName(), "Info12");
  node.SetObjName("Info", "Node", 3u);
  EXPECT_STREQ(node.GetObjName(), "InfoNode3");
}

// ---- session index ----

TEST_F(NodeTest, ServerDropsPacketsOfAnotherSession) {
  SNode server(CNODE_SERVER);
  server.SetUseSessionIndex(1);
  for (int i = 0; i < 8; ++i) server.NewSessionIndex();
  ASSERT_EQ(server.GetSessionIndex(), 9u);
  for (uint32_t session : {8u, 9u, 0u}) {
    SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_CLIENT, session, "s", 1);
    EXPECT_EQ(server.RecvIncomingFromComm(p), 1);
    xFree(p);
  }
  EXPECT_EQ(server.NumWaitingPackets(), 1) << "only the packet of session 9 stays";
}

TEST_F(NodeTest, ClientAdoptsTheServersSession) {
  SNode client(CNODE_CLIENT);
  for (uint32_t session : {9u, 0u}) {
    SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_SERVER, session, "s", 1);
    EXPECT_EQ(client.RecvIncomingFromComm(p), 1);
    xFree(p);
    EXPECT_EQ(client.GetSessionIndex(), 9u);
  }
  EXPECT_EQ(client.NumWaitingPackets(), 2);
}

TEST_F(NodeTest, SessionTravelsInProcess) {
  SNode server(CNODE_SERVER);
  SNode client(CNODE_CLIENT);
  server.SetUseSessionIndex(1);
  server.NewSessionIndex();
  Send(server, "hello");
  EXPECT_EQ(client.GetSessionIndex(), 2u);
  server.NewSessionIndex();
  Send(client, "old session");
  EXPECT_FALSE(Take(server));
}

TEST_F(NodeTest, NewSessionIndexWrapsToOneAndDropsTheQueue) {
  // Counting up to the last index would take too long; a derived class sets it.
  struct SServer : SNode {
    SServer() : SNode(CNODE_SERVER) {}
    void Put(uint32_t v) { m_SessionIndex = v; }
  } server;
  SNode client(CNODE_CLIENT);
  Send(client, "x");
  server.Put(0xFFFFFFFFu);
  ASSERT_EQ(server.NumWaitingPackets(), 1);
  server.NewSessionIndex();
  EXPECT_EQ(server.GetSessionIndex(), 1u);
  EXPECT_EQ(server.NumWaitingPackets(), 0);
  server.NewSessionIndex();
  EXPECT_EQ(server.GetSessionIndex(), 2u);
}

TEST_F(NodeTest, NewSessionIndexActsOnlyOnServersThatUseIt) {
  SNode server(CNODE_SERVER);
  SNode client(CNODE_CLIENT);
  client.SetUseSessionIndex(1);
  server.NewSessionIndex();
  client.NewSessionIndex();
  EXPECT_EQ(server.GetSessionIndex(), 0u);
  EXPECT_EQ(client.GetSessionIndex(), 1u);
  client.SetUseSessionIndex(0);
  EXPECT_EQ(client.GetSessionIndex(), 0u);
}

// ---- hooks ----

namespace {
std::string g_Replacement;
int32_t g_HookCalls = 0;
int32_t HookCancel(CCommNode*, const void*&, uint32_t&, int32_t& deliver) {
  ++g_HookCalls;
  deliver = 0;
  return 1;
}
int32_t HookFail(CCommNode*, const void*&, uint32_t&, int32_t&) {
  ++g_HookCalls;
  return 0;
}
int32_t HookReplace(CCommNode*, const void*& data, uint32_t& size, int32_t&) {
  ++g_HookCalls;
  data = g_Replacement.data();
  size = static_cast<uint32_t>(g_Replacement.size());
  return 1;
}
}  // namespace

TEST_F(NodeTest, Hooks) {
  struct {
    const char* what;
    TCommNodeHook send;
    TCommNodeHook recv;
    int32_t sendResult;
    bool sendStaysOpen;
    std::optional<std::string> received;
  } cases[] = {
      {"send hook cancels", HookCancel, nullptr, 1, false, std::nullopt},
      {"send hook fails", HookFail, nullptr, 0, true, std::nullopt},
      {"send hook replaces", HookReplace, nullptr, 1, false, "replaced payload"},
      {"receive hook cancels", nullptr, HookCancel, 1, false, std::nullopt},
      {"receive hook fails", nullptr, HookFail, 1, false, std::nullopt},
      {"receive hook replaces", nullptr, HookReplace, 1, false, "replaced payload"},
  };
  g_Replacement = "replaced payload";
  for (auto& c : cases) {
    SNode client(CNODE_CLIENT);
    SNode server(CNODE_SERVER);
    client.SetPacketCallbackSend(c.send);
    server.SetPacketCallbackRecv(c.recv);
    g_HookCalls = 0;
    EXPECT_EQ(Send(client, "original"), c.sendResult) << c.what;
    EXPECT_EQ(g_HookCalls, 1) << c.what;
    EXPECT_EQ(client.SendInit(), c.sendStaysOpen ? 0 : 1) << c.what;
    EXPECT_EQ(Take(server), c.received) << c.what;
  }
}

TEST_F(NodeTest, ReceiveHookResultIsTheEntrysResult) {
  SNode server(CNODE_SERVER);
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_CLIENT, 0, "s", 1);
  server.SetPacketCallbackRecv(HookFail);
  EXPECT_EQ(server.RecvIncomingFromComm(p), 0);
  server.SetPacketCallbackRecv(HookCancel);
  EXPECT_EQ(server.RecvIncomingFromComm(p), 1);
  EXPECT_EQ(server.NumWaitingPackets(), 0);
  xFree(p);
}

// A receive hook that exits another node of the conversation: the walk must not reach it.
namespace {
CCommNode* g_pVictim = nullptr;
int32_t HookKillVictim(CCommNode*, const void*&, uint32_t&, int32_t&) {
  delete g_pVictim;
  g_pVictim = nullptr;
  return 1;
}
}  // namespace

TEST_F(NodeTest, NodeRemovedDuringDeliveryIsNotTouched) {
  SNode client(CNODE_CLIENT);
  SNode first(CNODE_SERVER);
  g_pVictim = new SNode(CNODE_SERVER);
  first.SetPacketCallbackRecv(HookKillVictim);
  ASSERT_EQ(Send(client, "x"), 1);
  EXPECT_EQ(g_pVictim, nullptr);
  EXPECT_EQ(Take(first), "x");
  EXPECT_EQ(Registered(), 2);
}

// ---- incoming packets ----

TEST_F(NodeTest, IncomingPacketChecks) {
  SNode server(CNODE_SERVER, "Table", 5);
  CCommNode idle;
  SXPacket* good = BuildPacket(PACKET_CNODEDATA, 5, "Table", CNODE_CLIENT, 0, "d", 1);
  SXPacket* otherId = BuildPacket(PACKET_CNODEDATA, 6, "Table", CNODE_CLIENT, 0, "d", 1);
  SXPacket* otherName = BuildPacket(PACKET_CNODEDATA, 5, "Tablo", CNODE_CLIENT, 0, "d", 1);
  SXPacket* registerPacket = BuildPacket(PACKET_REGISTERCNODE, 5, "Table", CNODE_CLIENT, 0, nullptr, 0);
  SXPacket* raw = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, "d", 1);
  EXPECT_EQ(idle.RecvIncomingFromComm(good), 0);
  EXPECT_EQ(server.RecvIncomingFromComm(otherId), 0);
  EXPECT_EQ(server.RecvIncomingFromComm(otherName), 1);
  EXPECT_EQ(server.RecvIncomingFromComm(registerPacket), 1);
  EXPECT_EQ(server.RecvIncomingFromComm(raw), 1);
  EXPECT_EQ(server.NumWaitingPackets(), 0);
  EXPECT_EQ(server.RecvIncomingFromComm(good), 1);
  EXPECT_EQ(server.NumWaitingPackets(), 1);
  // An unterminated name in a header that otherwise holds.
  reinterpret_cast<uint8_t*>(good)[33] = 'X';
  EXPECT_EQ(server.RecvIncomingFromComm(good), 0);
  for (SXPacket* p : {good, otherId, otherName, registerPacket, raw}) xFree(p);
}

TEST_F(NodeTest, UnterminatedPayloadIsHandedOutTerminated) {
  SNode server(CNODE_SERVER);
  // A payload that ends without a NUL, as a peer may send it.
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_CLIENT, 0, "Name = abc", 10);
  ASSERT_EQ(server.RecvIncomingFromComm(p), 1);
  xFree(p);
  void* data;
  uint32_t size;
  ASSERT_EQ(server.RecvPacket(data, size), 1);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::strlen(static_cast<char*>(data)), 10u);
  xFree(data);
}

TEST_F(NodeTest, InAckModeRefusesUntilAcked) {
  // Nothing in the node clears the flags; a test reaches them through a derived class.
  struct SAckNode : SNode {
    SAckNode() : SNode(CNODE_SERVER) {}
    void Unack() { m_InAcked = 0; m_OutAcked = 0; }
  } server;
  SNode client(CNODE_CLIENT);
  server.Unack();
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_CLIENT, 0, "d", 1);
  EXPECT_EQ(server.RecvIncomingFromComm(p), 0);
  server.SetInAckMode(0);
  EXPECT_EQ(server.RecvIncomingFromComm(p), 1);
  server.SetInAckMode(1);
  void* data;
  uint32_t size;
  EXPECT_EQ(server.RecvPacket(data, size), 0);
  server.AckInData();
  EXPECT_EQ(server.RecvPacket(data, size), 1);
  xFree(data);
  xFree(p);
  ASSERT_EQ(server.SendInit(), 1);
  EXPECT_EQ(server.SendPacket("x", 1), 0);
  server.AckOutData();
  EXPECT_EQ(server.SendPacket("x", 1), 1);
  EXPECT_EQ(Take(client), "x");
}

// ---- snooping ----

TEST_F(NodeTest, SnoopSeesEachPacketFirst) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  void* data;
  uint32_t size;
  EXPECT_EQ(server.SnoopRecvPacket(data, size), 0) << "nothing outside snoop mode";
  EXPECT_EQ(server.SnoopDeletePacket(), 0);
  server.SnoopSetSnooping(1);
  Send(client, "first");
  Send(client, "second");
  EXPECT_EQ(server.SnoopIsDataAvailable(), 1);
  EXPECT_EQ(server.IsDataAvailable(), 0);
  ASSERT_EQ(server.SnoopRecvPacket(data, size), 1);
  EXPECT_EQ(std::string(static_cast<char*>(data), size), "first");
  EXPECT_EQ(server.NumWaitingPackets(), 2) << "snooping leaves the packet";
  EXPECT_EQ(server.SnoopIsDataAvailable(), 0);
  EXPECT_EQ(server.IsDataAvailable(), 1);
  server.SnoopFree();
  EXPECT_EQ(Take(server), "first");
  // The second one is taken away by the snooper; the owner never sees it.
  EXPECT_EQ(server.SnoopIsDataAvailable(), 1);
  EXPECT_EQ(server.SnoopDeletePacket(), 1);
  EXPECT_EQ(server.IsDataAvailable(), 0);
  EXPECT_EQ(server.SnoopIsDataAvailable(), 0);
}

// ---- log ----

TEST_F(NodeTest, LogRecordsEventsWhenSwitchedOn) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  SNode client(CNODE_CLIENT);
  CCommNode server;
  server.SetId(0);
  server.SetName("Table");
  server.SetObjName("TheServer");
  server.SetLog(1);
  ASSERT_EQ(server.InitCommNode(CNODE_SERVER), 1);
  Send(client, "payload");
  client.SetLog(1);
  client.SetLogFileName("client.log");
  Send(client, "second");
  server.ExitCommNode();
  const std::string log = ReadWholeFile(dir.File("commnode.log"));
  const std::string sep = "\n---------------------------------------\n";
  EXPECT_EQ(log.rfind(sep + sep + "\n>INIT< " + "  | Object name: TheServer  | Node name: Table  | Node id: 0"
                          "  | Node type: SERVER\n\nTimestamp: ",
                      0),
            0u)
      << log;
  EXPECT_NE(log.find("\n>READ< "), std::string::npos);
  EXPECT_NE(log.find("\n-\npayload\n-\n" + sep + sep), std::string::npos);
  EXPECT_NE(log.find("\n>EXIT< "), std::string::npos);
  const std::string clientLog = ReadWholeFile(dir.File("client.log"));
  EXPECT_NE(clientLog.find(">WRITE< "), std::string::npos);
  EXPECT_NE(clientLog.find("\n-\nsecond\n-\n"), std::string::npos);
  EXPECT_EQ(clientLog.find("payload"), std::string::npos) << "the first send was before its log was on";
  EXPECT_NE(clientLog.find("Node type: CLIENT"), std::string::npos);
}

// ---- KCBL records ----

namespace {
std::string ExportText(CKCBL& record) {
  int32_t length = 0;
  record.ExportSize(&length);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  record.Export(text.data(), length + 1, &length, 0);
  text.resize(static_cast<size_t>(length));
  return text;
}

// A packet for the server node "Table" carrying exactly these payload bytes.
void Deliver(CCommNode& to, const std::string& payload) {
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 0, "Table", CNODE_CLIENT, 0, payload.data(),
                            static_cast<uint32_t>(payload.size()));
  ASSERT_EQ(to.RecvIncomingFromComm(p), 1);
  xFree(p);
}
}  // namespace

TEST_F(NodeTest, RecordTravelsAsItsExportedTextAndIsFreed) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  EXPECT_EQ(client.SendKCBLPacket(), 0) << "no open send";
  ASSERT_EQ(client.SendInit(), 1);
  client.NewItem("Login", KSTRING, "player one", KLONG, -5, KEND);
  client.NewItem("CIN", KULONG, 4000000000u, KEND);
  CKCBL copy;
  copy.NewItem("Login", KSTRING, "player one", KLONG, -5, KEND);
  copy.NewItem("CIN", KULONG, 4000000000u, KEND);
  const std::string text = ExportText(copy);
  ASSERT_EQ(client.SendKCBLPacket(), 1);
  EXPECT_EQ(client.FirstItem(), 0) << "the outgoing record is cleared";

  void* data;
  uint32_t size;
  ASSERT_EQ(server.IsDataAvailable(), 1);
  ASSERT_EQ(server.RecvPacket(data, size), 1);
  EXPECT_EQ(std::string(static_cast<char*>(data), size), text) << "exactly the text, without its NUL";
  xFree(data);
  server.RecvFree();
}

TEST_F(NodeTest, ReceivedRecordIsHeldUntilFreed) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  for (int32_t n : {1, 2}) {
    ASSERT_EQ(client.SendInit(), 1);
    client.NewItem("Seat", KLONG, n, KEND);
    ASSERT_EQ(client.SendKCBLPacket(), 1);
  }
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  int32_t seat = 0;
  EXPECT_EQ(server.m_RecvKCBL.GetItem(nullptr, KLONG, &seat, KEND), 1) << "the cursor stands on the first item";
  EXPECT_EQ(seat, 1);
  EXPECT_EQ(server.IsDataAvailable(), 0);
  server.RecvKCBLFree();
  EXPECT_EQ(server.m_RecvKCBL.FirstItem(), 0);
  ASSERT_EQ(server.IsDataAvailable(), 1);
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.GetItem("Seat", KLONG, &seat, KEND), 1);
  EXPECT_EQ(seat, 2);
  server.RecvKCBLFree();
  EXPECT_EQ(server.RecvKCBLPacket(), 0);
}

TEST_F(NodeTest, SendingAnotherRecordFreesIt) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  CKCBL record;
  record.NewItem("Chat", KSTRING, "hi", KEND);
  EXPECT_EQ(client.SendKCBLPacket(&record), 0);
  ASSERT_EQ(client.SendInit(), 1);
  ASSERT_EQ(client.SendKCBLPacket(&record), 1);
  EXPECT_EQ(record.FirstItem(), 0);
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("Chat"), 1);
  server.RecvKCBLFree();
}

TEST_F(NodeTest, UnterminatedPayloadImportsSafely) {
  SNode server(CNODE_SERVER);
  // No line end and no NUL: the payload runs to the very end of the packet.
  Deliver(server, "Name = abc");
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  char* name = nullptr;
  ASSERT_EQ(server.m_RecvKCBL.GetString("Name", &name), 1);
  EXPECT_STREQ(name, "abc");
  xFree(name);
  server.RecvKCBLFree();
  // A NUL inside the payload ends the text there.
  Deliver(server, std::string("A = 1\n\0B = 2\n", 13));
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("A"), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("B"), 0);
  server.RecvKCBLFree();
}

TEST_F(NodeTest, MalformedRecordIsDroppedAndNothingHeld) {
  SNode server(CNODE_SERVER);
  Deliver(server, "Good = 1\nBad\x01 = 2\n");
  Deliver(server, "Next = 3\n");
  EXPECT_EQ(server.RecvKCBLPacket(), 0);
  EXPECT_EQ(server.m_RecvKCBL.FirstItem(), 0);
  EXPECT_EQ(server.IsDataAvailable(), 1) << "the malformed packet is gone and nothing is held";
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("Next"), 1);
}

TEST_F(NodeTest, SnoopingRecords) {
  SNode client(CNODE_CLIENT);
  SNode server(CNODE_SERVER);
  server.SnoopSetSnooping(1);
  ASSERT_EQ(client.SendInit(), 1);
  client.NewItem("Bet", KLONG, 10, KEND);
  ASSERT_EQ(client.SendKCBLPacket(), 1);
  EXPECT_EQ(server.SnoopIsDataAvailable(), 1);
  EXPECT_EQ(server.IsDataAvailable(), 0);
  ASSERT_EQ(server.SnoopRecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("Bet"), 1);
  EXPECT_EQ(server.SnoopIsDataAvailable(), 0);
  EXPECT_EQ(server.IsDataAvailable(), 1);
  server.SnoopFreeKCBL();
  EXPECT_EQ(server.m_RecvKCBL.FirstItem(), 0);
  ASSERT_EQ(server.RecvKCBLPacket(), 1);
  EXPECT_EQ(server.m_RecvKCBL.FindItem("Bet"), 1);
  EXPECT_EQ(server.SnoopRecvKCBLPacket(), 0) << "the owner's record is not overwritten";
  server.RecvKCBLFree();
}
