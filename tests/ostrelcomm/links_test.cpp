#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/version.h"
#include "ostrel/system/debug.h"
#include "commfixture.h"
#include "support/testclock.h"

namespace {

class LinkTest : public CCommTest {};

// The golden bytes of a node packet, spelled out field by field.
std::string NodeHex(uint8_t type, uint32_t id, uint32_t session, uint32_t nodeType, const std::string& name,
                    const std::string& data) {
  auto u32 = [](uint32_t v) {
    return ToHex(std::vector<uint8_t>{uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  };
  const uint32_t size = 29 + static_cast<uint32_t>(name.size() + data.size());
  return "50434b54" + ToHex(std::vector<uint8_t>{type}) + "000000" + u32(size) + u32(id) + u32(session) +
         u32(nodeType) + u32(static_cast<uint32_t>(name.size())) + ToHex(name) + "00" + ToHex(data);
}

// Hands the link a packet as if its socket had read it.
int32_t Arrive(CCommBase& link, uint8_t type, uint32_t id, const char* name, uint32_t nodeType,
               const std::string& data = "", uint32_t session = 0) {
  return link.RecvPacketFromRemote(BuildPacket(type, id, name, nodeType, session, data.data(),
                                               static_cast<uint32_t>(data.size())));
}

// Hands the link a node-data packet as its socket reads a large one: the node header alone, the
// payload (and a NUL) in a block of its own. The block is returned for identity checks.
const void* ArriveApart(CCommBase& link, uint32_t id, const char* name, uint32_t nodeType, const std::string& data,
                        int32_t& result, uint32_t session = 0) {
  SXPacket* head = BuildPacket(PACKET_CNODEDATA, id, name, nodeType, session, nullptr, 0);
  auto* payload = static_cast<uint8_t*>(::operator new(data.size() + 1));
  std::memcpy(payload, data.data(), data.size());
  payload[data.size()] = 0;
  result = link.RecvNodeRecordFromRemote(head, payload, static_cast<uint32_t>(data.size()));
  return payload;
}

int32_t ArriveApart(CCommBase& link, uint32_t id, const char* name, uint32_t nodeType, const std::string& data,
                    uint32_t session = 0) {
  int32_t result = 0;
  ArriveApart(link, id, name, nodeType, data, result, session);
  return result;
}

std::string TakeText(CCommNode& node) {
  void* data;
  uint32_t size;
  if (!node.IsDataAvailable() || !node.RecvPacket(data, size)) return "<none>";
  std::string text(static_cast<char*>(data), size);
  xFree(data);
  node.RecvFree();
  return text;
}

}  // namespace

// ---- start-up and registries ----

TEST_F(LinkTest, StartupCreatesTheRegistriesAndInstallsTheKeepAlive) {
  EXPECT_TRUE(glb->m_pLocalClientCommList && glb->m_pRemoteClientCommList && glb->m_pLocalServerCommList &&
              glb->m_pRemoteServerCommList && glb->m_pStartedLocalClientList && glb->m_pStartedRemoteClientList &&
              glb->m_pStartedLocalServerList && glb->m_pStartedRemoteServerList && glb->m_pProxyConnectionList &&
              glb->m_pProxyServerList);
  EXPECT_EQ(glb->m_pLoadDataCallback, &CommDefaultLoadDataCallback);
}

TEST_F(LinkTest, SecondStartupForgetsWhatWasRegistered) {
  CFakeRemoteLink link;
  ASSERT_EQ(link.Connect(), 1);
  ASSERT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 1);
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0);
}

TEST_F(LinkTest, AfterClosedownRegistryOperationsFail) {
  xCommClosedown();
  EXPECT_EQ(glb->m_pLocalClientCommList, nullptr);
  CFakeLocalLink local;
  CFakeRemoteLink remote;
  EXPECT_EQ(local.Connect(), 0);
  EXPECT_EQ(remote.Connect(), 0);
  EXPECT_EQ(CommAnnounceOtherSideNodes(&remote), 0);
  SGlobals* saved = glb;
  glb = nullptr;
  EXPECT_EQ(CommBaseStartup(), 0);
  glb = saved;
}

// ---- keep-alive ----

TEST_F(LinkTest, KeepAliveRunsConnectedClientsEvery100Ms) {
  CTestClock clock(5000);
  CFakeLocalLink local;
  CFakeRemoteLink remote;
  CFakeRemoteLink idle;
  ASSERT_EQ(local.Connect(), 1);
  ASSERT_EQ(remote.Connect(), 1);
  ASSERT_EQ(idle.Connect(), 1);
  idle.SetConnectedOnly(0);
  for (uint32_t at : {0u, 50u, 100u}) {
    clock.Set(5000 + at);
    xCallLoadDataCallback();
    EXPECT_EQ(local.m_Handled + remote.m_Handled, 0) << at;
  }
  clock.Set(5120);
  xCallLoadDataCallback();
  EXPECT_EQ(local.m_Handled, 1);
  EXPECT_EQ(remote.m_Handled, 1);
  EXPECT_EQ(idle.m_Handled, 0);
  clock.Set(5200);
  xCallLoadDataCallback();
  EXPECT_EQ(local.m_Handled, 1) << "80 ms after the last run";
  clock.Set(5221);
  xCallLoadDataCallback();
  EXPECT_EQ(local.m_Handled, 2);
}

TEST_F(LinkTest, KeepAliveDisconnectsLinksWhoseHandlerFails) {
  CTestClock clock(0xFFFFFFC0u);  // across the wrap of the clock
  CFakeRemoteLink failing;
  CFakeLocalLink fine;
  failing.m_HandlerResult = 0;
  failing.Connect();
  fine.Connect();
  xCallLoadDataCallback();
  clock.Advance(200);
  xCallLoadDataCallback();
  EXPECT_EQ(failing.m_Disconnects, 1);
  EXPECT_EQ(failing.IsConnected(), 0);
  EXPECT_EQ(fine.m_Disconnects, 0);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0);
}

namespace {
CFakeRemoteLink* g_pDoomed = nullptr;
int32_t DeleteDoomed(CFakeLink<CCommRemoteClientBase>*) {
  delete g_pDoomed;
  g_pDoomed = nullptr;
  return 1;
}
}  // namespace

TEST_F(LinkTest, KeepAliveNeverTouchesALinkRemovedDuringTheWalk) {
  CTestClock clock(0);
  CFakeRemoteLink killer;
  killer.m_pOnHandle = DeleteDoomed;
  killer.Connect();
  g_pDoomed = new CFakeRemoteLink;
  g_pDoomed->Connect();
  CFakeRemoteLink after;
  after.Connect();
  xCallLoadDataCallback();
  clock.Advance(101);
  xCallLoadDataCallback();
  EXPECT_EQ(g_pDoomed, nullptr);
  EXPECT_EQ(after.m_Handled, 1);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 2);
}

// ---- nodes on links ----

TEST_F(LinkTest, NodeRegistersOnLinksThatAcceptNodes) {
  CFakeRemoteLink accepting;
  CFakeRemoteLink refusing(0);
  accepting.Connect();
  refusing.Connect();
  SNode node(CNODE_SERVER, "Lobby", 0x0102);
  EXPECT_EQ(accepting.TakeSent(),
            std::vector<std::string>{NodeHex(PACKET_REGISTERCNODE, 0x0102, 0, CNODE_SERVER, "Lobby", "")});
  EXPECT_TRUE(refusing.TakeSent().empty());
  EXPECT_EQ(accepting.HasCommNode(&node), 1);
  EXPECT_EQ(node.HasCommObject(&accepting), 1);
  EXPECT_EQ(node.HasCommObject(&refusing), 0);
  EXPECT_EQ(accepting.RegisterCommNode(&node), 1);
  EXPECT_TRUE(accepting.TakeSent().empty()) << "a second registration sends nothing";
  node.ExitCommNode();
  EXPECT_EQ(accepting.TakeSent(),
            std::vector<std::string>{NodeHex(PACKET_UNREGISTERCNODE, 0x0102, 0, CNODE_SERVER, "Lobby", "")});
  EXPECT_EQ(accepting.HasCommNode(&node), 0);
}

TEST_F(LinkTest, LinkThatConnectsLaterRegistersExistingNodes) {
  SNode first(CNODE_CLIENT, "A", 1);
  SNode second(CNODE_SERVER, "B", 2);
  CFakeLocalLink link;
  ASSERT_EQ(link.Connect(), 1);
  EXPECT_EQ(link.TakeSent(), (std::vector<std::string>{NodeHex(PACKET_REGISTERCNODE, 1, 0, CNODE_CLIENT, "A", ""),
                                                        NodeHex(PACKET_REGISTERCNODE, 2, 0, CNODE_SERVER, "B", "")}));
  ASSERT_EQ(link.Disconnect(), 1);
  EXPECT_EQ(link.TakeSent(), (std::vector<std::string>{NodeHex(PACKET_UNREGISTERCNODE, 1, 0, CNODE_CLIENT, "A", ""),
                                                        NodeHex(PACKET_UNREGISTERCNODE, 2, 0, CNODE_SERVER, "B", "")}));
  EXPECT_EQ(first.HasCommObject(&link), 0);
}

TEST_F(LinkTest, LinksThatRefuseNodesRegisterWithoutThem) {
  CFakeLocalLink empty(0);
  EXPECT_EQ(empty.Connect(), 1);
  SNode node(CNODE_CLIENT);
  CFakeLocalLink refusing(0);
  EXPECT_EQ(refusing.Connect(), 1);
  EXPECT_EQ(refusing.ThisSideNodes_First(), 0);
  EXPECT_TRUE(refusing.TakeSent().empty());
  CFakeRemoteLink remote(0);
  EXPECT_EQ(remote.Connect(), 1);
}

TEST_F(LinkTest, FailedStartIsRolledBackOutOfRegistryAndLinks) {
  CFakeRemoteLink first;
  first.Connect();
  SNode node(CNODE_CLIENT, "Lobby");
  first.TakeSent();
  // A second link on which the node's register packet cannot be built.
  xSetMaxPacketSize(30);
  CFakeRemoteLink second;
  EXPECT_EQ(second.Connect(), 0);
  EXPECT_EQ(node.InitCommNode(CNODE_CLIENT), 0);
  xSetMaxPacketSize(0);
  EXPECT_EQ(node.IsInitialised(), 0);
  EXPECT_EQ(first.HasCommNode(&node), 0);
  EXPECT_EQ(node.HasCommObject(&first), 0);
  EXPECT_EQ(xCommInList(xCommNodeList(0), &node), 0);
  // Under the same limit the unregister packet cannot be built either; the node leaves anyway.
  EXPECT_TRUE(first.TakeSent().empty());
}

TEST_F(LinkTest, DestroyedLinkLeavesItsNodes) {
  SNode node(CNODE_CLIENT, "Lobby");
  auto link = std::make_unique<CFakeRemoteLink>();
  link->Connect();
  ASSERT_EQ(node.HasCommObject(link.get()), 1);
  link.reset();
  EXPECT_EQ(Send(node, "after"), 1);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0);
}

TEST_F(LinkTest, DestroyedNodeLeavesItsLinksEvenWhenTheyStoppedAcceptingNodes) {
  CFakeRemoteLink link;
  link.Connect();
  auto node = std::make_unique<SNode>(CNODE_CLIENT, "Lobby");
  link.SetPacketTypes(0, 0);
  node.reset();
  EXPECT_EQ(link.ThisSideNodes_First(), 0);
}

// ---- node data over links ----

TEST_F(LinkTest, PrivateNodesSendOnlyOverPrivateLinks) {
  CFakeLocalLink local;   // loopback: not private
  CFakeRemoteLink remote;  // private
  local.Connect();
  remote.Connect();
  SNode privateNode(CNODE_CLIENT, "P", 1, 1);
  SNode openNode(CNODE_CLIENT, "O", 2, 0);
  local.TakeSent();
  remote.TakeSent();
  ASSERT_EQ(Send(privateNode, "p"), 1);
  ASSERT_EQ(Send(openNode, "o"), 1);
  EXPECT_EQ(remote.TakeSent(), (std::vector<std::string>{NodeHex(PACKET_CNODEDATA, 1, 0, CNODE_CLIENT, "P", "p"),
                                                          NodeHex(PACKET_CNODEDATA, 2, 0, CNODE_CLIENT, "O", "o")}));
  EXPECT_EQ(local.TakeSent(), std::vector<std::string>{NodeHex(PACKET_CNODEDATA, 2, 0, CNODE_CLIENT, "O", "o")});
}

TEST_F(LinkTest, SendSkipsLinksThatAreNotConnected) {
  CFakeRemoteLink link;
  link.Connect();
  SNode node(CNODE_CLIENT);
  link.TakeSent();
  link.SetConnectedOnly(0);
  EXPECT_EQ(Send(node, "x"), 1);
  EXPECT_TRUE(link.TakeSent().empty());
}

namespace {
int32_t RefuseAll(SXPacket*, SXPacketCNode*, int32_t&) { return 0; }
}  // namespace

TEST_F(LinkTest, LinkRefusalFailsTheSendAndLeavesItOpen) {
  CFakeRemoteLink link;
  link.Connect();
  SNode node(CNODE_CLIENT);
  link.SetPacketCallbackSend(RefuseAll);
  EXPECT_EQ(Send(node, "x"), 0);
  EXPECT_EQ(node.SendInit(), 0);
}

TEST_F(LinkTest, FarSideDataReachesLocalNodesOfItsIdAndName) {
  CFakeRemoteLink link;
  link.Connect();
  SNode client(CNODE_CLIENT, "Table", 4);
  SNode sameType(CNODE_SERVER, "Table", 4);
  SNode otherName(CNODE_CLIENT, "Tablo", 4);
  // Unknown on the far side and nowhere to route: refused.
  EXPECT_EQ(Arrive(link, PACKET_CNODEDATA, 4, "Table", CNODE_SERVER, "early"), 0);
  EXPECT_EQ(Arrive(link, PACKET_REGISTERCNODE, 4, "Table", CNODE_SERVER), 1);
  EXPECT_EQ(Arrive(link, PACKET_CNODEDATA, 4, "Table", CNODE_SERVER, "data", 7), 1);
  EXPECT_EQ(TakeText(client), "data");
  EXPECT_EQ(client.GetSessionIndex(), 7u);
  EXPECT_EQ(TakeText(sameType), "data") << "links pair no types";
  EXPECT_EQ(TakeText(otherName), "<none>");
}

// A node-data packet read with its payload apart reaches the nodes exactly as the whole packet
// does; the one node that takes it keeps the very block the payload was read into.
TEST_F(LinkTest, FarSideDataReadApartReachesLocalNodesAsWholeDataDoes) {
  CFakeRemoteLink link;
  link.Connect();
  SNode client(CNODE_CLIENT, "Table", 4);
  SNode otherName(CNODE_CLIENT, "Tablo", 4);
  EXPECT_EQ(ArriveApart(link, 4, "Table", CNODE_SERVER, "early"), 0) << "unknown and nowhere to route";
  ASSERT_EQ(Arrive(link, PACKET_REGISTERCNODE, 4, "Table", CNODE_SERVER), 1);
  const std::string big(100000, 'r');
  int32_t result = 0;
  const void* block = ArriveApart(link, 4, "Table", CNODE_SERVER, big, result, 7);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(client.GetSessionIndex(), 7u);
  void* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(client.RecvPacket(data, size), 1);
  EXPECT_EQ(data, block) << "taken over, not copied";
  ASSERT_EQ(size, big.size());
  EXPECT_TRUE(std::string(static_cast<char*>(data), size) == big);
  EXPECT_EQ(static_cast<char*>(data)[size], 0);
  xFree(data);
  client.RecvFree();
  EXPECT_EQ(TakeText(otherName), "<none>");

  // Two nodes of that id and name: each gets a copy of its own.
  SNode second(CNODE_ANY, "Table", 4);
  block = ArriveApart(link, 4, "Table", CNODE_SERVER, "twice", result);
  ASSERT_EQ(result, 1);
  for (CCommNode* node : {static_cast<CCommNode*>(&client), static_cast<CCommNode*>(&second)}) {
    ASSERT_EQ(node->RecvPacket(data, size), 1);
    EXPECT_NE(data, block);
    EXPECT_EQ(std::string(static_cast<char*>(data), size), "twice");
    xFree(data);
    node->RecvFree();
  }
}

namespace {

std::string g_HookSaw;
int32_t KeepHook(SXPacket* packet, SXPacketCNode*, int32_t&) {
  g_HookSaw = PacketHex(packet);
  return 1;
}

int32_t ReplacingHook(CCommNode*, const void*& data, uint32_t& size, int32_t&) {
  data = "replaced";
  size = 8;
  return 1;
}

}  // namespace

// A link hook, a route, an acknowledgement rule and a node's hook see the record as they see a
// whole packet.
TEST_F(LinkTest, DataReadApartMeetsHooksRoutesAndAcknowledgementsWhole) {
  CFakeRemoteLink from, knowsServer;
  from.Connect();
  knowsServer.Connect();
  SNode client(CNODE_CLIENT, "A", 4);
  Arrive(from, PACKET_REGISTERCNODE, 4, "A", CNODE_SERVER);
  Arrive(knowsServer, PACKET_REGISTERCNODE, 4, "A", CNODE_CLIENT);
  from.TakeSent();
  knowsServer.TakeSent();
  const std::string whole = NodeHex(PACKET_CNODEDATA, 4, 3, CNODE_SERVER, "A", "apart");

  from.SetPacketCallbackRecv(KeepHook);
  ASSERT_EQ(ArriveApart(from, 4, "A", CNODE_SERVER, "apart", 3), 1);
  EXPECT_EQ(g_HookSaw, whole);
  EXPECT_EQ(TakeText(client), "apart");
  from.SetPacketCallbackRecv(nullptr);

  // A client packet goes on to the link whose far side knows the server, whole.
  ASSERT_EQ(Arrive(knowsServer, PACKET_REGISTERCNODE, 4, "A", CNODE_SERVER), 1);
  knowsServer.TakeSent();
  ASSERT_EQ(ArriveApart(from, 4, "A", CNODE_CLIENT, "routed", 0), 1);
  EXPECT_EQ(knowsServer.TakeSent(), std::vector<std::string>{NodeHex(PACKET_CNODEDATA, 4, 0, CNODE_CLIENT, "A", "routed")});
  EXPECT_EQ(TakeText(client), "routed") << "links pair no types";

  client.SetPacketCallbackRecv(ReplacingHook);
  ASSERT_EQ(ArriveApart(from, 4, "A", CNODE_SERVER, "original"), 1);
  EXPECT_EQ(TakeText(client), "replaced");
  client.SetPacketCallbackRecv(nullptr);

  from.SetInAckMode(1);
  EXPECT_EQ(ArriveApart(from, 4, "A", CNODE_SERVER, "refused"), 0);
  from.AckInData();
  EXPECT_EQ(ArriveApart(from, 4, "A", CNODE_SERVER, "acked"), 1);
  EXPECT_EQ(TakeText(client), "acked");
  from.SetInAckMode(0);

  from.SetPacketTypes(1, 0);
  EXPECT_EQ(ArriveApart(from, 4, "A", CNODE_SERVER, "no nodes here"), 0);
  EXPECT_EQ(TakeText(client), "<none>");
}

TEST_F(LinkTest, FarSideAnnouncementsAreCounted) {
  CFakeRemoteLink link;
  link.Connect();
  EXPECT_EQ(Arrive(link, PACKET_REGISTERCNODE, 3, "Lobby", CNODE_SERVER), 1);
  EXPECT_EQ(Arrive(link, PACKET_REGISTERCNODE, 3, "LOBBY", CNODE_SERVER), 1);
  ASSERT_EQ(link.OtherSideNodes_First(), 1);
  EXPECT_STREQ(link.OtherSideNodes_Get()->m_pName, "Lobby");
  EXPECT_EQ(link.OtherSideNodes_Get()->m_RefCount, 2u);
  EXPECT_EQ(Arrive(link, PACKET_UNREGISTERCNODE, 3, "Lobby", CNODE_SERVER), 1);
  ASSERT_EQ(link.OtherSideNodes_First(), 1);
  EXPECT_EQ(link.OtherSideNodes_Get()->m_RefCount, 1u);
  // Unregistering matches names as registering does, without regard to case.
  EXPECT_EQ(Arrive(link, PACKET_UNREGISTERCNODE, 3, "LOBBY", CNODE_SERVER), 1);
  EXPECT_EQ(link.OtherSideNodes_First(), 0);
  EXPECT_EQ(Arrive(link, PACKET_UNREGISTERCNODE, 3, "Lobby", CNODE_SERVER), 1) << "unknown: still 1";
}

TEST_F(LinkTest, OtherSideNodeTypesPair) {
  CFakeRemoteLink link;
  link.Connect();
  Arrive(link, PACKET_REGISTERCNODE, 1, "S", CNODE_SERVER);
  Arrive(link, PACKET_REGISTERCNODE, 1, "C", CNODE_CLIENT);
  Arrive(link, PACKET_REGISTERCNODE, 1, "A", CNODE_ANY);
  struct {
    const char* name;
    uint32_t asked;
    int32_t has;
  } cases[] = {
      {"S", CNODE_ANY, 1}, {"S", CNODE_CLIENT, 1}, {"S", CNODE_SERVER, 0}, {"S", 0, 0},
      {"C", CNODE_ANY, 1}, {"C", CNODE_CLIENT, 0}, {"C", CNODE_SERVER, 1},
      {"A", CNODE_ANY, 1}, {"A", CNODE_CLIENT, 1}, {"A", CNODE_SERVER, 1},
  };
  for (auto& c : cases) EXPECT_EQ(link.HasOtherSideNode(c.name, 1, 1, c.asked), c.has) << c.name << c.asked;
  EXPECT_EQ(link.HasOtherSideNode("SS", 1, 1, CNODE_ANY), 1) << "the length given counts";
  EXPECT_EQ(link.HasOtherSideNode("S", 1, 2, CNODE_ANY), 0);
  link.SetPacketTypes(0, 0);
  EXPECT_EQ(link.HasOtherSideNode("S", 1, 1, CNODE_ANY), 0);
}

TEST_F(LinkTest, NodesRefusedWhereNotAccepted) {
  CFakeRemoteLink link(0, 1);
  link.Connect();
  EXPECT_EQ(Arrive(link, PACKET_REGISTERCNODE, 3, "Lobby", CNODE_SERVER), 0);
  EXPECT_EQ(Arrive(link, PACKET_CNODEDATA, 3, "Lobby", CNODE_SERVER, "x"), 0);
  EXPECT_EQ(link.RecvPacketFromRemote(BuildProtocolPacket(PROTOCOL_PING)), 0);
}

// ---- raw data ----

TEST_F(LinkTest, RawDataRoundTripAndOutAck) {
  CFakeRemoteLink link(0, 1);
  link.Connect();
  ASSERT_EQ(link.SendRawData("raw", 3), 1);
  EXPECT_EQ(link.TakeSent(), std::vector<std::string>{"50434b54010000000000000f" + ToHex(std::string("raw"))});
  link.SetOutAckMode(1);
  EXPECT_EQ(link.SendRawData("x", 1), 0) << "the send cleared the out-acked flag";
  link.AckOutData();
  EXPECT_EQ(link.SendRawData("x", 1), 1);
  EXPECT_EQ(link.RecvPacketFromRemote(BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, "in", 2)), 1);
  void* data;
  uint32_t size;
  ASSERT_EQ(link.RecvRawData(data, size), 1);
  EXPECT_EQ(std::string(static_cast<char*>(data)), "in");
  xFree(data);
  EXPECT_EQ(link.RecvRawData(data, size), 0);
}

// ---- routing between the links of one process ----

TEST_F(LinkTest, RegisterPacketsAreRoutedToLinksThatAcceptRouting) {
  CFakeRemoteLink from, to, noRouting, noClients;
  for (CFakeRemoteLink* l : {&from, &to, &noRouting, &noClients}) l->Connect();
  noRouting.SetAcceptNodeRoutingFromOtherComm(0);
  noClients.SetNeverRouteNode_To_Client(1);
  const std::string reg = NodeHex(PACKET_REGISTERCNODE, 4, 0, CNODE_CLIENT, "A", "");
  ASSERT_EQ(Arrive(from, PACKET_REGISTERCNODE, 4, "A", CNODE_CLIENT), 1);
  EXPECT_EQ(to.TakeSent(), std::vector<std::string>{reg});
  EXPECT_TRUE(noRouting.TakeSent().empty());
  EXPECT_TRUE(noClients.TakeSent().empty());
  EXPECT_TRUE(from.TakeSent().empty());
  // Unregistering is not routed.
  ASSERT_EQ(Arrive(from, PACKET_UNREGISTERCNODE, 4, "A", CNODE_CLIENT), 1);
  EXPECT_TRUE(to.TakeSent().empty());
}

TEST_F(LinkTest, NeverRouteFromServerStopsServerAnnouncements) {
  CFakeRemoteLink from, to;
  from.Connect();
  to.Connect();
  from.SetNeverRouteNode_From_Server(1);
  SXPacket* server = BuildPacket(PACKET_REGISTERCNODE, 4, "A", CNODE_SERVER, 0, nullptr, 0);
  SXPacket* client = BuildPacket(PACKET_REGISTERCNODE, 4, "A", CNODE_CLIENT, 0, nullptr, 0);
  EXPECT_EQ(CommRouteRegisterPacket(&from, server), 1);
  EXPECT_TRUE(to.TakeSent().empty());
  EXPECT_EQ(CommRouteRegisterPacket(&from, client), 1);
  EXPECT_EQ(to.TakeSent().size(), 1u);
  to.SetPacketTypes(0, 0);
  EXPECT_EQ(CommRouteRegisterPacket(&from, client), 0) << "nothing sent";
  xFree(server);
  xFree(client);
}

TEST_F(LinkTest, DataIsRoutedOnlyToLinksThatKnowAMatchingNode) {
  CFakeRemoteLink from, knowsServer, knowsClient, knowsOtherName;
  for (CFakeRemoteLink* l : {&from, &knowsServer, &knowsClient, &knowsOtherName}) l->Connect();
  Arrive(knowsServer, PACKET_REGISTERCNODE, 4, "A", CNODE_SERVER);
  Arrive(knowsClient, PACKET_REGISTERCNODE, 4, "A", CNODE_CLIENT);
  Arrive(knowsOtherName, PACKET_REGISTERCNODE, 4, "B", CNODE_SERVER);
  for (CFakeRemoteLink* l : {&from, &knowsServer, &knowsClient, &knowsOtherName}) l->TakeSent();
  // From a client: only a link that knows the server (or an ANY node) gets it, and the packet is
  // accepted although no local node and no announcement on its own link knew it.
  ASSERT_EQ(Arrive(from, PACKET_CNODEDATA, 4, "A", CNODE_CLIENT, "hi"), 1);
  const std::string data = NodeHex(PACKET_CNODEDATA, 4, 0, CNODE_CLIENT, "A", "hi");
  EXPECT_EQ(knowsServer.TakeSent(), std::vector<std::string>{data});
  EXPECT_TRUE(knowsClient.TakeSent().empty());
  EXPECT_TRUE(knowsOtherName.TakeSent().empty());
}

TEST_F(LinkTest, NewLinkLearnsTheFarSideNodesOfTheOthers) {
  CFakeRemoteLink old, unconnected;
  old.Connect();
  unconnected.Connect();
  Arrive(old, PACKET_REGISTERCNODE, 1, "X", CNODE_SERVER);
  Arrive(old, PACKET_REGISTERCNODE, 2, "Y", CNODE_ANY);
  Arrive(unconnected, PACKET_REGISTERCNODE, 3, "Z", CNODE_SERVER);
  unconnected.SetConnectedOnly(0);
  CFakeLocalLink fresh;
  ASSERT_EQ(fresh.Connect(), 1);
  EXPECT_EQ(fresh.TakeSent(), (std::vector<std::string>{NodeHex(PACKET_REGISTERCNODE, 1, 0, CNODE_SERVER, "X", ""),
                                                         NodeHex(PACKET_REGISTERCNODE, 2, 0, CNODE_ANY, "Y", "")}));
  CFakeLocalLink closed;
  closed.SetAcceptNodeRoutingFromOtherComm(0);
  ASSERT_EQ(closed.Connect(), 1);
  EXPECT_TRUE(closed.TakeSent().empty());
}

TEST(CommVersion, BannerNamesTheLibraryAndItsBuild) {
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  xShowVersionInfoOstrelcomm();
  const std::string out = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  // The build's date and time as the compiler spells them: "Jul  2 2003, 12:32:08".
  EXPECT_TRUE(std::regex_match(
      out, std::regex(R"(Version Info: OstrelComm v3\.0 \([A-Z][a-z]{2} [ 123]\d \d{4}, \d\d:\d\d:\d\d\)\n)")))
      << out;
}
