// Links between real processes: this test process and one or two helper processes (commpeer),
// each with its own globals, exchange node records and raw packets over loopback TCP.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "commfixture.h"
#include "ostrel/base/types.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "rawpeer.h"
#include "support/spawnedchild.h"
#include "support/testclock.h"

namespace {

constexpr int kAnswerMs = 30000;

uint32_t Fnv(const std::string& bytes) {
  uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

std::string Pattern(size_t size) {
  std::string payload(size, 0);
  for (size_t i = 0; i < size; ++i) payload[i] = static_cast<char>(i * 131 + (i >> 9));
  return payload;
}

class CrossProcessTest : public CCommTest {
 protected:
  void TearDown() override {
    m_Links.clear();
    m_RemoteServers.clear();
    m_LocalServers.clear();
    xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
    CCommTest::TearDown();
  }

  // A helper process, ready for orders.
  std::unique_ptr<CSpawnedChild> Peer() {
    auto peer = std::make_unique<CSpawnedChild>();
    EXPECT_TRUE(peer->StartProgram("commpeer", {}));
    EXPECT_EQ(Answer(*peer), "ready");
    return peer;
  }

  // Services this process's links while waiting for the peer's next line.
  std::string Answer(CSpawnedChild& peer) {
    std::string line;
    for (int waited = 0; waited < kAnswerMs; ++waited) {
      if (peer.TryReadLine(line, 1)) return line;
      Service();
    }
    return "<no answer>";
  }

  std::string Ask(CSpawnedChild& peer, const std::string& order) {
    peer.WriteLine(order);
    return Answer(peer);
  }

  void Service() {
    for (auto& s : m_RemoteServers) s->NonBlockedHandler();
    for (auto& s : m_LocalServers) s->NonBlockedHandler();
    for (auto& link : m_Links)
      if (link->IsConnected()) link->NonBlockedHandler();
  }

  // Services until cond holds, for at most about ms.
  template <class Cond>
  bool ServiceUntil(Cond cond, int ms = 20000) {
    for (int i = 0;; ++i) {
      if (cond()) return true;
      if (i >= ms * 2) return false;
      Service();
      usleep(500);
    }
  }

  template <class Client>
  Client* Connect(uint32_t port, int32_t raw = 1, int32_t node = 1) {
    auto link = std::make_unique<Client>();
    link->SetPacketTypes(raw, node);
    if constexpr (std::is_same_v<Client, CCommLocalClient>)
      link->SetPortA(port);
    else
      link->SetRemoteLocation("127.0.0.1", port);
    EXPECT_EQ(link->Startup(), 1);
    EXPECT_EQ(link->Connect(), 1);
    for (int i = 0; i < 100 && !link->IsConnected(); ++i)
      if (!link->BlockedConnectHandler(100)) break;
    EXPECT_EQ(link->IsConnected(), 1);
    Client* result = link.get();
    m_Links.push_back(std::move(link));
    return result;
  }

  template <class Client, class Server>
  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* self = static_cast<CrossProcessTest*>(user);
    auto link = std::make_unique<Client>();
    link->SetPacketTypes(1, 1);
    link->Startup();
    if (!link->SetConnectFromServer(static_cast<Server*>(server))) return 0;
    self->m_Links.push_back(std::move(link));
    return 1;
  }

  // A server of this process on a port the system picks.
  template <class Server>
  uint32_t Serve() {
    auto server = std::make_unique<Server>();
    server->SetPortA(0);
    if constexpr (std::is_same_v<Server, CCommLocalServer>)
      server->SetCallbackFunction(Accept<CCommLocalClient, CCommLocalServer>, this, 0);
    else
      server->SetCallbackFunction(Accept<CCommRemoteClient, CCommRemoteServer>, this, 0);
    EXPECT_TRUE(server->Startup() && server->StartListen() && server->NonBlockedStartListenHandler());
    const uint32_t port = server->GetPortA();
    if constexpr (std::is_same_v<Server, CCommLocalServer>)
      m_LocalServers.push_back(std::move(server));
    else
      m_RemoteServers.push_back(std::move(server));
    return port;
  }

  static uint32_t Port(const std::string& answer) {
    return answer.rfind("port ", 0) == 0 ? static_cast<uint32_t>(std::stoul(answer.substr(5))) : 0;
  }

  int32_t SendRecord(CCommNode& node, const char* key, const char* text) {
    if (!node.SendInit()) return 0;
    node.NewItem(key, KSTRING, text, KEND);
    return node.SendKCBLPacket();
  }

  std::string TakeRecord(CCommNode& node) {
    if (!ServiceUntil([&] { return node.IsDataAvailable() != 0; }) || !node.RecvKCBLPacket()) return "<none>";
    std::string out = std::string(node.m_RecvKCBL.GetKeyword()) + " " + node.m_RecvKCBL.GetString(0);
    node.RecvKCBLFree();
    return out;
  }

  std::string TakeRaw(CCommBase& link) {
    void* data = nullptr;
    uint32_t size = 0;
    if (!ServiceUntil([&] { return link.RecvRawData(data, size) != 0; })) return "<none>";
    std::string out(static_cast<char*>(data), size);
    xFree(data);
    return out;
  }

  std::vector<std::unique_ptr<CCommBase>> m_Links;
  std::vector<std::unique_ptr<CCommRemoteServer>> m_RemoteServers;
  std::vector<std::unique_ptr<CCommLocalServer>> m_LocalServers;
};

}  // namespace

// The exchange, as a member so it can use the fixture.
class CrossProcessExchange : public CrossProcessTest {
 protected:
  void Exchange(CSpawnedChild& peer, CCommBase& link, const char* peerLink, int32_t isPrivate) {
    SNode client(CNODE_CLIENT, "Table", 5, isPrivate);
    ASSERT_EQ(Ask(peer, "node Table 5 2 " + std::to_string(isPrivate)), "node ok");
    // The peer's server node announces itself across the link.
    ASSERT_TRUE(ServiceUntil([&] { return link.HasOtherSideNode("Table", 5, 5, CNODE_CLIENT) != 0; }));
    EXPECT_EQ(Ask(peer, std::string("far ") + peerLink + " 1"), "far Table/5/3/1");

    ASSERT_EQ(SendRecord(client, "Seat", "one of six"), 1);
    EXPECT_EQ(Ask(peer, "expect-node Table"), "record Table Seat one of six");
    EXPECT_EQ(Ask(peer, "send Table Deal queen of hearts"), "sent 1");
    EXPECT_EQ(TakeRecord(client), "Deal queen of hearts");

    ASSERT_EQ(link.SendRawData("raw from the test", 17), 1);
    EXPECT_EQ(Ask(peer, std::string("expect-raw ") + peerLink), "raw raw from the test");
    EXPECT_EQ(Ask(peer, std::string("raw ") + peerLink + " raw from the peer"), "raw 1");
    EXPECT_EQ(TakeRaw(link), "raw from the peer");

    const std::string big = Pattern(3 << 20);
    ASSERT_EQ(link.SendRawData(big.data(), static_cast<uint32_t>(big.size())), 1);
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", Fnv(big));
    EXPECT_EQ(Ask(peer, std::string("expect-raw ") + peerLink), "raw " + std::to_string(big.size()) + " " + hash);
    EXPECT_EQ(Ask(peer, std::string("rawbig ") + peerLink + " 2000000"), "raw 1");
    EXPECT_TRUE(TakeRaw(link) == Pattern(2000000));
  }
};

TEST_F(CrossProcessExchange, RemoteLinkToThePeersServer) {
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve remote"));
  ASSERT_NE(port, 0u);
  CCommBase* link = Connect<CCommRemoteClient>(port);
  Exchange(*peer, *link, "0", 1);
}

TEST_F(CrossProcessExchange, RemoteLinkFromThePeer) {
  auto peer = Peer();
  const uint32_t port = Serve<CCommRemoteServer>();
  EXPECT_EQ(Ask(*peer, "connect remote " + std::to_string(port)), "connected 0");
  ASSERT_TRUE(ServiceUntil([&] { return m_Links.size() == 1; }));
  Exchange(*peer, *m_Links[0], "0", 1);
}

TEST_F(CrossProcessExchange, LoopbackLinkToThePeersServer) {
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve local"));
  ASSERT_NE(port, 0u);
  CCommBase* link = Connect<CCommLocalClient>(port);
  Exchange(*peer, *link, "0", 0);
}

TEST_F(CrossProcessExchange, LoopbackLinkFromThePeer) {
  auto peer = Peer();
  const uint32_t port = Serve<CCommLocalServer>();
  EXPECT_EQ(Ask(*peer, "connect local " + std::to_string(port)), "connected 0");
  ASSERT_TRUE(ServiceUntil([&] { return m_Links.size() == 1; }));
  Exchange(*peer, *m_Links[0], "0", 0);
}

TEST_F(CrossProcessExchange, PrivateNodesKeepOffLoopbackLinks) {
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve local"));
  CCommBase* link = Connect<CCommLocalClient>(port);
  SNode client(CNODE_CLIENT, "Table", 5, 1);
  ASSERT_EQ(Ask(*peer, "node Table 5 2 1"), "node ok");
  ASSERT_TRUE(ServiceUntil([&] { return link->HasOtherSideNode("Table", 5, 5, CNODE_CLIENT) != 0; }));
  ASSERT_EQ(SendRecord(client, "Seat", "kept at home"), 1);
  EXPECT_EQ(Ask(*peer, "expect-node Table 1000"), "timeout");
  // The link itself works.
  ASSERT_EQ(link->SendRawData("raw", 3), 1);
  EXPECT_EQ(Ask(*peer, "expect-raw 0"), "raw raw");
}

// ---- the byte stream cut into pieces on its way ----

namespace {

// A relay between two links of different processes that cuts the stream towards the far side:
// mode 0 sends every byte by itself, mode 1 splits the header of the n-th packet after n + 1
// bytes. The way back is copied as it comes.
class CCuttingRelay {
 public:
  CCuttingRelay(uint16_t target, int mode) : m_Target(target), m_Mode(mode) {
    m_Listener = RawListen(m_Port);
    m_Thread = std::thread([this] { Run(); });
  }
  ~CCuttingRelay() {
    m_Stop = true;
    m_Thread.join();
    close(m_Listener);
  }
  uint16_t Port() const { return m_Port; }
  int Cuts() const { return m_Cuts; }

 private:
  void Run() {
    int in = RawAccept(m_Listener);
    int out = RawConnect(m_Target);
    std::string towardsFar;
    size_t packetStart = 0;
    int packet = 0;
    while (!m_Stop && in >= 0 && out >= 0) {
      pollfd p[2] = {{in, POLLIN, 0}, {out, POLLIN, 0}};
      if (poll(p, 2, 5) <= 0) continue;
      char buffer[65536];
      if (p[1].revents) {
        ssize_t n = recv(out, buffer, sizeof buffer, 0);
        if (n <= 0 || !RawWrite(in, std::string(buffer, static_cast<size_t>(n)))) break;
      }
      if (!p[0].revents) continue;
      ssize_t n = recv(in, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      towardsFar.append(buffer, static_cast<size_t>(n));
      // Forward whole packets only, cut as the mode says.
      for (;;) {
        if (towardsFar.size() - packetStart < 12) break;
        const auto* h = reinterpret_cast<const uint8_t*>(towardsFar.data() + packetStart);
        const size_t size = (size_t{h[8]} << 24) | (size_t{h[9]} << 16) | (size_t{h[10]} << 8) | h[11];
        if (size < 12 || towardsFar.size() - packetStart < size) break;
        const std::string whole = towardsFar.substr(packetStart, size);
        packetStart += size;
        if (m_Mode == 0) {
          for (char c : whole) {
            RawWrite(out, std::string(1, c));
            usleep(200);
            ++m_Cuts;
          }
        } else {
          const size_t at = static_cast<size_t>(packet % 12) + 1;
          RawWrite(out, whole.substr(0, at));
          usleep(20000);
          ++m_Cuts;
          RawWrite(out, whole.substr(at));
        }
        ++packet;
      }
    }
    if (in >= 0) close(in);
    if (out >= 0) close(out);
  }

  uint16_t m_Target;
  int m_Mode;
  uint16_t m_Port = 0;
  int m_Listener = -1;
  std::atomic<bool> m_Stop{false};
  std::atomic<int> m_Cuts{0};
  std::thread m_Thread;
};

}  // namespace

TEST_F(CrossProcessTest, RecordsSurviveOneByteSegments) {
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve remote"));
  CCuttingRelay relay(static_cast<uint16_t>(port), 0);
  CCommBase* link = Connect<CCommRemoteClient>(relay.Port());
  SNode client(CNODE_CLIENT, "Cut", 1);
  ASSERT_EQ(Ask(*peer, "node Cut 1 2 1"), "node ok");
  ASSERT_TRUE(ServiceUntil([&] { return link->HasOtherSideNode("Cut", 3, 1, CNODE_CLIENT) != 0; }));
  ASSERT_EQ(SendRecord(client, "Bet", "twenty five"), 1);
  EXPECT_EQ(Ask(*peer, "expect-node Cut"), "record Cut Bet twenty five");
  ASSERT_EQ(link->SendRawData("byte by byte", 12), 1);
  EXPECT_EQ(Ask(*peer, "expect-raw 0"), "raw byte by byte");
  EXPECT_GT(relay.Cuts(), 100);
}

TEST_F(CrossProcessTest, HeadersSplitAtEachOffset) {
  auto peer = Peer();
  ASSERT_EQ(Ask(*peer, "types 1 0"), "types ok");
  const uint32_t port = Port(Ask(*peer, "serve remote"));
  CCuttingRelay relay(static_cast<uint16_t>(port), 1);
  CCommBase* link = Connect<CCommRemoteClient>(relay.Port(), 1, 0);
  for (int i = 0; i < 12; ++i) {
    const std::string text = "packet " + std::to_string(i);
    ASSERT_EQ(link->SendRawData(text.data(), static_cast<uint32_t>(text.size())), 1);
  }
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Ask(*peer, "expect-raw 0"), "raw packet " + std::to_string(i));
  EXPECT_EQ(relay.Cuts(), 12);
}

TEST_F(CrossProcessTest, PeerDyingInTheMiddleOfAPacketEndsTheLinkCleanly) {
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve remote"));
  auto* link = Connect<CCommRemoteClient>(port);
  SNode client(CNODE_CLIENT, "Gone", 2);
  ASSERT_EQ(Ask(*peer, "node Gone 2 2 1"), "node ok");
  ASSERT_TRUE(ServiceUntil([&] { return link->HasOtherSideNode("Gone", 4, 2, CNODE_CLIENT) != 0; }));
  ASSERT_EQ(Ask(*peer, "rawbig 0 20000000"), "raw 1");
  // Part of the packet has come when the peer dies.
  ASSERT_TRUE(ServiceUntil([&] { return link->GetReadState() == COMM_READ_PACKET; }));
  peer->Kill(SIGKILL);
  EXPECT_TRUE(ServiceUntil([&] { return !link->IsConnected(); }));
  EXPECT_EQ(link->NonBlockedHandler(), 0);
  EXPECT_EQ(link->GetReadState(), COMM_READ_IDLE);
  EXPECT_EQ(link->NumRecvQuePackets(), 0);
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, link), 0);
  EXPECT_EQ(client.HasCommObject(link), 0);
}

// ---- three processes: routing through the middle one ----

namespace {

struct SRoute {
  const char* what;
  const char* middleFlag;  // an order for the middle's link towards the server's process
  bool clientLearnsServer;
  bool dataReachesServer;
  bool answerReachesClient;
};

}  // namespace

class CrossProcessRouting : public CrossProcessTest, public ::testing::WithParamInterface<SRoute> {};

TEST_P(CrossProcessRouting, RegistrationsAndDataThroughTheMiddle) {
  const SRoute& route = GetParam();
  // far: the process with the server node; middle: no nodes, a link each way; this process has
  // the client node.
  auto far = Peer();
  auto middle = Peer();
  const uint32_t farPort = Port(Ask(*far, "serve remote"));
  const uint32_t middlePort = Port(Ask(*middle, "serve remote"));
  ASSERT_EQ(Ask(*middle, "connect remote " + std::to_string(farPort)), "connected 0");
  if (*route.middleFlag) {
    ASSERT_EQ(Ask(*middle, route.middleFlag), "neverroute ok");
  }
  CCommBase* link = Connect<CCommRemoteClient>(middlePort);
  SNode client(CNODE_CLIENT, "Game", 7);
  // The client's registration travels to the far process in any case.
  ASSERT_EQ(Ask(*far, "node Game 7 2 1"), "node ok");
  const bool learnt = ServiceUntil([&] { return link->HasOtherSideNode("Game", 4, 7, CNODE_CLIENT) != 0; },
                                   route.clientLearnsServer ? 20000 : 1000);
  EXPECT_EQ(learnt, route.clientLearnsServer) << route.what;
  EXPECT_EQ(Ask(*middle, "far 0 1"), "far Game/7/2/1") << route.what;

  ASSERT_EQ(SendRecord(client, "Spin", "red"), 1);
  EXPECT_EQ(Ask(*far, route.dataReachesServer ? "expect-node Game" : "expect-node Game 1000"),
            route.dataReachesServer ? "record Game Spin red" : "timeout")
      << route.what;
  ASSERT_EQ(Ask(*far, "send Game Result seventeen"), "sent 1");
  if (route.answerReachesClient) {
    EXPECT_EQ(TakeRecord(client), "Result seventeen") << route.what;
  } else {
    EXPECT_FALSE(ServiceUntil([&] { return client.IsDataAvailable() != 0; }, 1000)) << route.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, CrossProcessRouting,
    ::testing::Values(SRoute{"plain", "", true, true, true},
                      // The far side's server is never announced onwards, and its data is not routed.
                      SRoute{"from-server", "neverroute 0 from-server 1", false, true, false},
                      // Client nodes are not routed towards the far side's link: neither the
                      // registration nor data.
                      SRoute{"to-client", "neverroute 0 to-client 1", true, false, true}),
    [](const ::testing::TestParamInfo<SRoute>& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

// ---- pings on this process's test clock ----

TEST_F(CrossProcessTest, PingsAcrossProcesses) {
  CTestClock clock(10000);
  auto peer = Peer();
  const uint32_t port = Port(Ask(*peer, "serve remote"));
  auto* link = Connect<CCommRemoteClient>(port);
  ASSERT_EQ(Ask(*peer, "pingclient 0 1"), "pingclient ok");
  link->SetPingServer(1);
  xUpdateObjTimers();
  clock.Advance(1000);
  xUpdateObjTimers();  // the ping goes out
  ASSERT_TRUE(ServiceUntil([&] { return link->NumSocketInPackets() == 1; })) << "the answer";
  clock.Advance(1000);
  xUpdateObjTimers();
  EXPECT_EQ(link->NumSocketInPackets(), 0);
  int32_t timedOut = 1;
  clock.Advance(13000);
  ASSERT_EQ(link->PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 0) << "answered";

  // The peer stops answering: the next ping times out, and the link stays.
  ASSERT_EQ(Ask(*peer, "pingclient 0 0"), "pingclient ok");
  clock.Advance(1000);
  xUpdateObjTimers();  // the interval is over: a new ping
  clock.Advance(29999);
  ASSERT_EQ(link->PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 0);
  clock.Advance(1);
  ASSERT_EQ(link->PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 1);
  EXPECT_EQ(link->IsConnected(), 1);
  EXPECT_EQ(Ask(*peer, "raw 0 still there"), "raw 1");
  EXPECT_EQ(TakeRaw(*link), "still there");
}
