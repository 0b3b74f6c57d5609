// The forwarding proxy in this process: raw sockets on both sides for the relay itself (rules,
// headers, forwarding, back-pressure, idle limits on the test clock), and our client and server
// links through it in plain, TLS and KVT combinations.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <memory>
#include <random>
#include <string>

#include "commfixture.h"
#include "cryptopeer.h"
#include "ostrel/base/types.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/proxyserver/proxyserver.h"
#include "ostrelcomm/tls.h"
#include "rawpeer.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

std::string Header(const char* host, uint32_t port) {
  CProxyLocation location;
  EXPECT_EQ(location.SetLocation(host, port), 1);
  return std::string(reinterpret_cast<const char*>(location.GetData()), PROXY_LOCATION_SIZE);
}

std::string Pattern(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// Runs the proxy from inside the frame loop too, so that a link waiting in a loop of its own (the
// server reading the client's location) still sees the proxy move.
// A client whose receive buffer is small from the start.
int SmallConnect(uint16_t port, int size) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(kLoopbackIp);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

class CProxyPump : public CTimer {
 public:
  explicit CProxyPump(CCommProxyServer& proxy) : m_Proxy(proxy) { AddTimer(1); }
  ~CProxyPump() override { RemoveAllTimers(); }
  void TimerHandler(uint32_t) override {
    int32_t done = 0;
    m_Proxy.Handler(done);
  }

 private:
  CCommProxyServer& m_Proxy;
};

class ProxyTest : public CCommTest {
 protected:
  void SetUp() override {
    CCommTest::SetUp();
    m_Log = m_Dir.File("proxy.log");
    m_History = m_Dir.File("history.log");
    m_Upstream = RawListen(m_UpstreamPort);
    ASSERT_GE(m_Upstream, 0);
    m_Proxy = std::make_unique<CCommProxyServer>();
    m_Proxy->SetName("testproxy");
    m_Proxy->SetLogFile(m_Log.c_str());
    m_Proxy->SetHistoryLogFile(m_History.c_str());
  }
  void TearDown() override {
    m_Proxy.reset();
    for (int fd : {m_Client, m_Server, m_Upstream})
      if (fd >= 0) close(fd);
    xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
    // The frame loop ran inside the links' waits.
    xFreeFramePools();
    CCommTest::TearDown();
  }
  // A rule for 127.0.0.1 (or the text given) at the upstream port.
  void AllowUpstream(const char* ip = "127.0.0.1", int32_t clientLocation = 0, uint32_t minutes = 300000) {
    ASSERT_EQ(m_Proxy->AddRule_Start(), 1);
    m_Proxy->AddRule_SetName("upstream");
    m_Proxy->AddRule_IpString(ip);
    m_Proxy->AddRule_PortRange(m_UpstreamPort, m_UpstreamPort);
    m_Proxy->AddRule_SetClientLocationForward(clientLocation);
    m_Proxy->AddRule_SetMinActionTime(minutes);
    ASSERT_EQ(m_Proxy->AddRule_End(), 1);
  }
  void Start() {
    ASSERT_EQ(m_Proxy->Startup(), 1);
    ASSERT_TRUE(m_Proxy->IsListening());
  }
  uint16_t ProxyPort() const { return static_cast<uint16_t>(m_Proxy->GetListenPort()); }
  void Pump(int rounds = 1) {
    for (int i = 0; i < rounds; ++i) {
      m_Proxy->WaitForTraffic(2);
      int32_t done = 0;
      ASSERT_EQ(m_Proxy->Handler(done), 1);
    }
  }
  bool PumpUntil(const std::function<bool()>& cond, int rounds = 5000) {
    for (int i = 0; i < rounds && !cond(); ++i) Pump();
    return cond();
  }
  CProxyConnection* Connection() {
    CNode* n = m_Proxy->GetConnections()->HeadNode();
    return n ? static_cast<CProxyConnection*>(n->m_pData) : nullptr;
  }
  int32_t Connections() { return m_Proxy->GetConnections()->GetNumNodes(); }
  // A raw client through the proxy that sends what is given, and the upstream's side of it.
  void Open(const std::string& first, int receiveBuffer = 0) {
    m_Client = receiveBuffer ? SmallConnect(ProxyPort(), receiveBuffer) : RawConnect(ProxyPort());
    ASSERT_GE(m_Client, 0);
    ASSERT_TRUE(RawWrite(m_Client, first));
    ASSERT_TRUE(PumpUntil([&] { return Connection() && Connection()->GetState() >= PROXY_ROUTING; }));
    m_Server = RawAccept(m_Upstream);
    ASSERT_GE(m_Server, 0);
  }
  std::string ReadRelayed(int fd, size_t size) {
    std::string got;
    for (int i = 0; i < 5000 && got.size() < size; ++i) {
      Pump();
      char buffer[65536];
      const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, size - got.size()), MSG_DONTWAIT);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
      if (n == 0) break;
    }
    return got;
  }
  // 1 once the peer closed (read gives 0), pumping meanwhile.
  bool SeesEnd(int fd) {
    return PumpUntil([&] {
      char c;
      return recv(fd, &c, 1, MSG_DONTWAIT) == 0;
    });
  }
  std::string Log() { return ReadWholeFile(m_Log); }

  CTestClock m_Clock{5000};
  CTempDir m_Dir;
  std::string m_Log, m_History;
  uint16_t m_UpstreamPort = 0;
  int m_Upstream = -1, m_Client = -1, m_Server = -1;
  std::unique_ptr<CCommProxyServer> m_Proxy;
};

TEST_F(ProxyTest, RelaysBothWaysWhenDataFollowsTheHeaderAtOnce) {
  AllowUpstream();
  Start();
  // Header and data in one segment: the bytes behind the header belong to the server.
  const std::string data = Pattern(100000, 1);
  Open(Header("127.0.0.1", m_UpstreamPort) + data);
  EXPECT_TRUE(ReadRelayed(m_Server, data.size()) == data);
  const std::string back = Pattern(70000, 2);
  ASSERT_TRUE(RawWrite(m_Server, back));
  EXPECT_TRUE(ReadRelayed(m_Client, back.size()) == back);
  EXPECT_EQ(Connection()->GetClientToServerBytes(), data.size());
  EXPECT_EQ(Connection()->GetServerToClientBytes(), back.size());
  EXPECT_STREQ(Connection()->GetClientIp(), "127.0.0.1");

  // The client goes; what it sent last still reaches the server, then the server sees the end.
  ASSERT_TRUE(RawWrite(m_Client, "bye"));
  shutdown(m_Client, SHUT_WR);
  EXPECT_EQ(ReadRelayed(m_Server, 3), "bye");
  EXPECT_TRUE(SeesEnd(m_Server));
  m_Clock.Advance(1001);
  ASSERT_TRUE(PumpUntil([&] { return Connections() == 0; }));
  EXPECT_EQ(m_Proxy->GetClientToServerBytes(), data.size() + 3);
  const std::string history = ReadWholeFile(m_History);
  EXPECT_NE(history.find("client ip:127.0.0.1 server ip:127.0.0.1:" + std::to_string(m_UpstreamPort)),
            std::string::npos);
  EXPECT_NE(history.find("client->server: 100003 total: 170003."), std::string::npos) << history;
  const std::string log = Log();
  EXPECT_NE(log.find("Proxyserver started: Name=testproxy listenport=" + std::to_string(ProxyPort()) +
                     " createprocess=0"),
            std::string::npos);
  EXPECT_NE(log.find("Rule: upstream forceoutgoingencryption: 0 forwardclientlocation: 0"), std::string::npos);
  EXPECT_NE(log.find("[portrange " + std::to_string(m_UpstreamPort)), std::string::npos);
}

TEST_F(ProxyTest, RulesDecideWhereTheProxyMayConnect) {
  struct SCase {
    const char* name;
    std::function<void(CCommProxyServer&, uint16_t)> rule;
    const char* target;
    bool allowed;
  };
  const SCase cases[] = {
      {"address", [](CCommProxyServer& p, uint16_t port) { p.AddRule_IpString("127.0.0.1"); p.AddRule_PortRange(port, port); },
       "127.0.0.1", true},
      {"range", [](CCommProxyServer& p, uint16_t port) { p.AddRule_IpRange(0x7F000000u, 0x7F0000FFu); p.AddRule_PortRange(port - 1, port + 1); },
       "127.0.0.1", true},
      {"any", [](CCommProxyServer& p, uint16_t) { p.AddRule_IpString("any"); p.AddRule_PortRange(1, 65535); },
       "127.0.0.1", true},
      {"host name", [](CCommProxyServer& p, uint16_t port) { p.AddRule_IpString("LOCALHOST"); p.AddRule_PortRange(port, port); },
       "localhost", true},
      {"other port", [](CCommProxyServer& p, uint16_t port) { p.AddRule_IpString("127.0.0.1"); p.AddRule_PortRange(port + 1, port + 1); },
       "127.0.0.1", false},
      {"other address", [](CCommProxyServer& p, uint16_t port) { p.AddRule_Ip(0x7F000002u); p.AddRule_PortRange(port, port); },
       "127.0.0.1", false},
      {"no ports", [](CCommProxyServer& p, uint16_t) { p.AddRule_IpString("ANY"); }, "127.0.0.1", false},
      {"name is not its address", [](CCommProxyServer& p, uint16_t port) { p.AddRule_IpString("localhost"); p.AddRule_PortRange(port, port); },
       "127.0.0.1", false},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.name);
    m_Proxy = std::make_unique<CCommProxyServer>();
    m_Proxy->SetLogFile(m_Log.c_str());
    ASSERT_EQ(m_Proxy->AddRule_Start(), 1);
    c.rule(*m_Proxy, m_UpstreamPort);
    ASSERT_EQ(m_Proxy->AddRule_End(), 1);
    Start();
    const int client = RawConnect(ProxyPort());
    ASSERT_TRUE(RawWrite(client, Header(c.target, m_UpstreamPort) + "x"));
    if (c.allowed) {
      ASSERT_TRUE(PumpUntil([&] { return Connection() && Connection()->GetState() == PROXY_ROUTING; }));
      const int server = RawAccept(m_Upstream);
      EXPECT_EQ(ReadRelayed(server, 1), "x");
      close(server);
    } else {
      EXPECT_TRUE(SeesEnd(client));
      EXPECT_EQ(Connections(), 0);
      EXPECT_NE(Log().find("CProxyConnection::Handler(Wait for IP/port): Ip and port does not match any rule. "
                           "Dropping connection"),
                std::string::npos);
    }
    close(client);
  }
}

TEST_F(ProxyTest, BadHeadersAndSilentClientsAreDropped) {
  AllowUpstream();
  Start();
  struct SCase {
    std::string bytes;
    uint32_t advance;
    const char* message;
  };
  std::string wrongMagic = Header("127.0.0.1", m_UpstreamPort);
  wrongMagic[0] = 'X';
  std::string noHost(PROXY_LOCATION_SIZE, '\0');
  std::memcpy(noHost.data(), "PLOC", 4);
  const SCase cases[] = {
      {wrongMagic, 0, "Unable to parse IP/port from client."},
      {noHost, 0, "Unable to parse IP/port from client."},
      {"PLOC", PROXY_STEP_TIMEOUT_MS + 1, "Timeout, didn't receive initial remote IP/port."},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.message);
    const int client = RawConnect(ProxyPort());
    ASSERT_TRUE(RawWrite(client, c.bytes));
    Pump(5);
    m_Clock.Advance(c.advance);
    EXPECT_TRUE(SeesEnd(client));
    EXPECT_NE(Log().find(std::string("(Wait for IP/port): ") + c.message), std::string::npos);
    close(client);
  }
  // Part of a header, then the client goes.
  const int client = RawConnect(ProxyPort());
  ASSERT_TRUE(RawWrite(client, Header("127.0.0.1", m_UpstreamPort).substr(0, 20)));
  Pump(3);
  close(client);
  ASSERT_TRUE(PumpUntil([&] { return Connections() == 0; }));
  EXPECT_NE(Log().find("Lost connection to client (xBlockedHandler returned FALSE)."), std::string::npos);
}

TEST_F(ProxyTest, ForwardsTheClientLocationBeforeAnyData) {
  AllowUpstream("127.0.0.1", 1);
  Start();
  Open(Header("127.0.0.1", m_UpstreamPort) + "after");
  uint32_t ip = 0;
  uint16_t clientPort = 0;
  ASSERT_EQ(xGetLocalSocketIpPort(m_Client, ip, clientPort), 1);
  const std::string got = ReadRelayed(m_Server, PROXY_LOCATION_SIZE + 5);
  ASSERT_EQ(got.size(), PROXY_LOCATION_SIZE + 5u);
  CProxyLocation location;
  std::memcpy(location.GetData(), got.data(), PROXY_LOCATION_SIZE);
  char* host = nullptr;
  uint16_t port = 0;
  ASSERT_EQ(location.GetLocation(host, port), 1);
  EXPECT_STREQ(host, "127.0.0.1");
  EXPECT_EQ(port, clientPort);
  xFree(host);
  EXPECT_EQ(got.substr(PROXY_LOCATION_SIZE), "after");
}

TEST_F(ProxyTest, ClientsWithoutAHeaderGoToTheOnErrorHost) {
  ASSERT_EQ(m_Proxy->SetOnErrorForward(1, "127.0.0.1", m_UpstreamPort), 1);
  Start();
  // No rule is needed for the on-error host, and nothing of what the client sent is lost.
  const std::string request = "GET / HTTP/1.0\r\n\r\n";
  Open(request);
  EXPECT_EQ(ReadRelayed(m_Server, request.size()), request);
  ASSERT_TRUE(RawWrite(m_Server, "HTTP/1.0 200 OK\r\n"));
  EXPECT_EQ(ReadRelayed(m_Client, 17), "HTTP/1.0 200 OK\r\n");
  EXPECT_STREQ(Connection()->GetServerHost(), "127.0.0.1");
}

TEST_F(ProxyTest, ASlowReceiverHoldsTheSenderBack) {
  AllowUpstream();
  Start();
  Open(Header("127.0.0.1", m_UpstreamPort), 65536);
  fcntl(m_Server, F_SETFL, fcntl(m_Server, F_GETFL) | O_NONBLOCK);
  // The client says nothing after its header, so the proxy's side of the KVT link waits out its
  // window before it lets the server's bytes through in plain.
  m_Clock.Advance(KVT_HANDSHAKE_WINDOW_MS + 1);
  // The server writes 8 MiB as fast as it may while the client reads nothing.
  const std::string data = Pattern(8 << 20, 3);
  size_t written = 0;
  uint64_t most = 0;
  for (int i = 0; i < 300; ++i) {
    const ssize_t n = send(m_Server, data.data() + written, data.size() - written, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) written += static_cast<size_t>(n);
    Pump();
    most = std::max(most, Connection()->QueuedToClient());
  }
  // The proxy stopped reading the server long before all was sent: the rest waits in the kernel.
  EXPECT_LT(Connection()->GetServerToClientBytes(), written);
  EXPECT_GE(most, PROXY_QUEUE_BOUND / 2);
  EXPECT_LE(most, PROXY_QUEUE_BOUND + PROXY_READ_SIZE);
  // Then the client reads: everything arrives, in order.
  std::string got;
  for (int i = 0; i < 2000000 && got.size() < data.size(); ++i) {
    if (written < data.size()) {
      const ssize_t n = send(m_Server, data.data() + written, data.size() - written, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (n > 0) written += static_cast<size_t>(n);
    }
    int32_t done = 0;
    m_Proxy->Handler(done);
    char buffer[65536];
    const ssize_t n = recv(m_Client, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
    most = std::max(most, Connection()->QueuedToClient());
  }
  EXPECT_EQ(got.size(), data.size()) << written << " state " << (Connection() ? Connection()->GetState() : -1);
  EXPECT_TRUE(got == data);
  EXPECT_LE(most, PROXY_QUEUE_BOUND + PROXY_READ_SIZE);
}

TEST_F(ProxyTest, IdleConnectionsEndAfterTheirRulesMinimumActionTime) {
  struct SCase {
    uint32_t minutes;
    uint32_t quiet;  // ms without traffic
    bool ends;
  };
  const SCase cases[] = {
      {1, 59000, false},
      {1, 60001, true},
      // 100000 minutes is more than 32 bits of milliseconds; twenty quiet days are well within it.
      {100000, 20u * 24 * 3600 * 1000, false},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.quiet);
    m_Proxy = std::make_unique<CCommProxyServer>();
    m_Proxy->SetLogFile(m_Log.c_str());
    AllowUpstream("127.0.0.1", 0, c.minutes);
    Start();
    Open(Header("127.0.0.1", m_UpstreamPort) + "x");
    EXPECT_EQ(ReadRelayed(m_Server, 1), "x");
    EXPECT_EQ(Connection()->GetMinActionTime(), c.minutes);
    m_Clock.Advance(c.quiet);
    Pump(3);
    EXPECT_EQ(Connections(), c.ends ? 0 : 1);
    if (c.ends) {
      EXPECT_TRUE(SeesEnd(m_Client));
    }
    close(m_Client);
    close(m_Server);
    m_Client = m_Server = -1;
  }
  // Before the target is connected the limit is five minutes, whatever the rule says.
  m_Proxy = std::make_unique<CCommProxyServer>();
  ASSERT_EQ(m_Proxy->SetOnErrorForward(1, "127.0.0.1", ClosedPort()), 1);
  AllowUpstream("127.0.0.1", 0, 100000);
  Start();
  const int client = RawConnect(ProxyPort());
  ASSERT_TRUE(PumpUntil([&] { return Connections() == 1; }));
  CProxyConnection* waiting = Connection();
  m_Clock.Advance(PROXY_UNCONNECTED_IDLE_MS + 1);
  EXPECT_EQ(waiting->ActionTimeout(), 1);
  close(client);
}

TEST_F(ProxyTest, KeepsItsBookkeepingAndTakesOverANewConfiguration) {
  AllowUpstream();
  Start();
  EXPECT_EQ(xCommInList(glb->m_pProxyServerList, m_Proxy.get()), 1);
  Open(Header("127.0.0.1", m_UpstreamPort));
  EXPECT_EQ(xCommInList(glb->m_pProxyConnectionList, Connection()), 1);
  EXPECT_EQ(Connection()->NeedServerWrite(), 0);

  // A second proxy on the same port cannot listen.
  CCommProxyServer second;
  second.SetLogFile(m_Log.c_str());
  ASSERT_EQ(second.SetListenPort(ProxyPort()), 1);
  EXPECT_EQ(second.Startup(), 0);
  EXPECT_NE(Log().find("CCommProxyServer::Startup: xStartListenSocket failed."), std::string::npos);

  // A configuration read anew: the same proxy when name, port and process mode agree; it brings
  // its own rules and on-error host.
  CCommProxyServer fresh;
  fresh.SetName("testproxy");
  fresh.SetLogFile(m_Log.c_str());
  fresh.SetListenPort(ProxyPort());
  fresh.SetOnErrorForward(1, "127.0.0.1", 9);
  ASSERT_EQ(fresh.AddRule_Start(), 1);
  fresh.AddRule_SetName("fresh");
  fresh.AddRule_IpString("ANY");
  fresh.AddRule_PortRange(1, 2);
  ASSERT_EQ(fresh.AddRule_End(), 1);
  EXPECT_EQ(m_Proxy->ReloadMatch(&fresh), 1);
  fresh.SetCreateProcess(1);
  EXPECT_EQ(m_Proxy->ReloadMatch(&fresh), 0);
  ASSERT_EQ(m_Proxy->ReloadFromNew(&fresh), 1);
  ASSERT_EQ(m_Proxy->GetRules()->GetNumNodes(), 1);
  EXPECT_STREQ(static_cast<COutRule*>(m_Proxy->GetRules()->HeadNode()->m_pData)->GetName(), "fresh");
  m_Proxy->RequestLogState();
  Pump();
  EXPECT_NE(Log().find("Rule: fresh forceoutgoingencryption: 0 forwardclientlocation: 0"), std::string::npos);
  EXPECT_EQ(m_Proxy->ShouldLogState(), 0);
}

TEST_F(ProxyTest, TheListenerComesBackAfterFailuresUntilThereAreTooMany) {
  AllowUpstream();
  Start();
  const uint16_t port = ProxyPort();
  // Something that is no listening socket in its place makes every accept fail.
  auto breakListener = [&] {
    const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    dup2(null, *m_Proxy->GetListeningSocketPtr());
    close(null);
  };
  int32_t done = 0;
  for (int failure = 1; failure <= 40; ++failure) {
    breakListener();
    ASSERT_EQ(m_Proxy->Handler(done), 1);
    ASSERT_EQ(m_Proxy->GetListenFailures(), failure);
    EXPECT_EQ(m_Proxy->IsListening(), 0);
    EXPECT_EQ(done, 0);
    m_Clock.Advance(30000);
    ASSERT_EQ(m_Proxy->Handler(done), 1);
    EXPECT_EQ(m_Proxy->IsListening(), 0);
    m_Clock.Advance(1);
    ASSERT_EQ(m_Proxy->Handler(done), 1);
    ASSERT_EQ(m_Proxy->IsListening(), 1);
    EXPECT_EQ(m_Proxy->GetListenPort(), port);
  }
  // It serves again between failures.
  Open(Header("127.0.0.1", m_UpstreamPort) + "x");
  EXPECT_EQ(ReadRelayed(m_Server, 1), "x");
  // The 41st failure within half an hour ends the server.
  breakListener();
  EXPECT_EQ(m_Proxy->Handler(done), 0);
  EXPECT_NE(Log().find("too many failures of the listening socket"), std::string::npos);
}

TEST(ProxyData, HandsOutCopiesOfItsOwnType) {
  CProxyData data;
  ASSERT_EQ(data.SetTypeData("abc", 3), 1);
  EXPECT_EQ(data.GetDataType(), CProxyData::TYPE_DATA);
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(data.GetTypeData(bytes, size), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size), "abc");
  xFree(bytes);
  char* host = nullptr;
  uint32_t port = 0;
  EXPECT_EQ(data.GetTypeConnect(host, port), 0);
  ASSERT_EQ(data.SetTypeConnect("example.org", 443), 1);
  ASSERT_EQ(data.GetTypeConnect(host, port), 1);
  EXPECT_STREQ(host, "example.org");
  EXPECT_EQ(port, 443u);
  xFree(host);
  EXPECT_EQ(data.GetTypeData(bytes, size), 0);
  ASSERT_EQ(data.SetTypeDisconnect(), 1);
  EXPECT_EQ(data.GetDataType(), CProxyData::TYPE_DISCONNECT);
}

// ---- our links through the proxy ----

struct SCombination {
  const char* name;
  int32_t clientTls, proxyIn, proxyOut, ruleForce, serverTls, clientKvt, blowfish, clientLocation;
};

class ProxyLinkTest : public ProxyTest, public ::testing::WithParamInterface<SCombination> {};

int32_t AdoptInto(CCommBaseServer* server, void* user, int32_t) {
  auto* slot = static_cast<std::unique_ptr<CCommRemoteClient>*>(user);
  auto link = std::make_unique<CCommRemoteClient>();
  link->SetPacketTypes(1, 0);
  link->Startup();
  if (!link->SetConnectFromServer(static_cast<CCommRemoteServer*>(server))) return 0;
  *slot = std::move(link);
  return 1;
}

std::string TakeRaw(CCommBase& link) {
  void* data = nullptr;
  uint32_t size = 0;
  if (!link.RecvRawData(data, size)) return "<none>";
  std::string text(static_cast<char*>(data), size);
  xFree(data);
  return text;
}

TEST_P(ProxyLinkTest, AClientLinkReachesItsServer) {
  const SCombination& c = GetParam();
  CTestCertificate cert;
  ASSERT_TRUE(cert.Made());
  // The server: a remote server whose accept callback adopts the connection into a link.
  std::unique_ptr<CCommRemoteClient> adopted;
  CCommRemoteServer server;
  server.SetPortA(0);
  server.SetCallbackFunction(AdoptInto, &adopted, 0);
  if (c.serverTls) {
    ASSERT_EQ(server.SetEncryption(1, cert.Certificate().c_str(), cert.Key().c_str()), 1);
  }
  server.SetClientLocationFromProxy(c.clientLocation);
  ASSERT_TRUE(server.Startup() && server.StartListen() && server.NonBlockedStartListenHandler());
  const uint16_t serverPort = static_cast<uint16_t>(server.GetPortA());

  ASSERT_EQ(m_Proxy->AddRule_Start(), 1);
  m_Proxy->AddRule_IpString("127.0.0.1");
  m_Proxy->AddRule_PortRange(serverPort, serverPort);
  m_Proxy->AddRule_SetClientLocationForward(c.clientLocation);
  m_Proxy->AddRule_SetForceOutgoingEncryption(c.ruleForce);
  ASSERT_EQ(m_Proxy->AddRule_End(), 1);
  m_Proxy->SetIncomingEncryption(c.proxyIn, cert.Certificate().c_str(), cert.Key().c_str());
  m_Proxy->SetOutgoingEncryption(c.proxyOut);
  m_Proxy->SetAllowBlowfishEncryption(c.blowfish);
  Start();
  CProxyPump pump(*m_Proxy);

  CCommRemoteClient client;
  client.SetPacketTypes(1, 0);
  client.SetEncryption(c.clientTls);
  ASSERT_EQ(client.Startup(), 1);
  if (c.clientKvt) {
    ASSERT_EQ(xSetClientKVTEncryption(client.GetCryptData(), 1), 1);
  }
  ASSERT_EQ(client.SetProxy("127.0.0.1", ProxyPort()), 1);
  ASSERT_EQ(client.SetRemoteLocation("127.0.0.1", serverPort), 1);
  ASSERT_EQ(client.Connect(), 1);
  ASSERT_TRUE(PumpUntil([&] {
    if (!client.IsConnected()) client.NonBlockedConnectHandler();
    return client.IsConnected() != 0;
  }));
  const std::string ping = Pattern(40000, 4);
  ASSERT_EQ(client.SendRawData(ping.data(), static_cast<uint32_t>(ping.size())), 1);
  ASSERT_TRUE(PumpUntil([&] {
    client.NonBlockedHandler();
    server.NonBlockedHandler();
    if (adopted) adopted->NonBlockedHandler();
    return adopted && adopted->NumRecvQuePackets() > 0;
  }));
  EXPECT_TRUE(TakeRaw(*adopted) == ping);
  ASSERT_EQ(adopted->SendRawData("pong", 4), 1);
  ASSERT_TRUE(PumpUntil([&] {
    adopted->NonBlockedHandler();
    client.NonBlockedHandler();
    return client.NumRecvQuePackets() > 0;
  }));
  EXPECT_EQ(TakeRaw(client), "pong");

  // What each side of the proxy ran.
  CProxyConnection* connection = Connection();
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->GetClientCrypt()->m_KvtFlag != 0, c.clientKvt && c.blowfish);
  EXPECT_EQ(connection->GetClientCrypt()->m_pTls != nullptr, c.proxyIn != 0);
  EXPECT_EQ(connection->GetServerCrypt()->m_Kind == SOCKET_CRYPT_TLS, c.proxyOut || c.ruleForce);
  EXPECT_EQ(client.GetCryptData()->m_KvtFlag != 0, c.clientKvt && c.blowfish);
  const char* host = nullptr;
  uint16_t port = 0;
  EXPECT_EQ(adopted->GetClientLocationFromProxy(host, port), c.clientLocation);
  if (c.clientLocation) {
    uint32_t ip = 0;
    uint16_t clientPort = 0;
    ASSERT_EQ(xGetLocalSocketIpPort(client.GetSocket(), ip, clientPort), 1);
    EXPECT_STREQ(host, "127.0.0.1");
    EXPECT_EQ(port, clientPort);
  }
  client.Closedown();
  ASSERT_TRUE(PumpUntil([&] {
    adopted->NonBlockedHandler();
    return !adopted->IsConnected();
  }));
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, ProxyLinkTest,
    ::testing::Values(SCombination{"plain", 0, 0, 0, 0, 0, 0, 0, 0},
                      SCombination{"plain_location", 0, 0, 0, 0, 0, 0, 0, 1},
                      SCombination{"tls_end_to_end", 1, 0, 0, 0, 1, 0, 0, 0},
                      SCombination{"tls_both_sides_location", 1, 1, 1, 0, 1, 0, 0, 1},
                      SCombination{"tls_in_plain_out", 1, 1, 0, 0, 0, 0, 0, 0},
                      SCombination{"rule_forces_tls_out_location", 0, 0, 0, 1, 1, 0, 0, 1},
                      SCombination{"kvt_in_location", 0, 0, 0, 0, 0, 1, 1, 1},
                      SCombination{"kvt_in_tls_out", 0, 0, 1, 0, 1, 1, 1, 0},
                      SCombination{"kvt_refused_stays_plain", 0, 0, 0, 0, 0, 1, 0, 0}),
    [](const ::testing::TestParamInfo<SCombination>& info) { return std::string(info.param.name); });

// ---- one process per connection ----

// The children of a process as the kernel lists them (zombies included until they are reaped).
std::vector<std::string> ChildrenOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  std::vector<std::string> ids;
  for (std::string id; in >> id;) ids.push_back(id);
  return ids;
}

TEST(ProxyProcessMode, EachConnectionIsServedByAChildThatIsReaped) {
  uint16_t upstreamPort = 0;
  const int upstream = RawListen(upstreamPort);
  ASSERT_GE(upstream, 0);
  const std::string port = std::to_string(upstreamPort);
  CSpawnedChild proxy;
  ASSERT_TRUE(proxy.StartProgram("proxypeer", {"-fork", "-rule", "127.0.0.1", port, port, "0"}));
  const std::string line = proxy.ReadLine();
  ASSERT_EQ(line.rfind("port ", 0), 0u) << line;
  const uint16_t proxyPort = static_cast<uint16_t>(std::stoi(line.substr(5)));

  int clients[2], servers[2];
  for (int i = 0; i < 2; ++i) {
    clients[i] = RawConnect(proxyPort);
    ASSERT_GE(clients[i], 0);
    const std::string hello = "hello " + std::to_string(i);
    ASSERT_TRUE(RawWrite(clients[i], Header("127.0.0.1", upstreamPort) + hello));
    servers[i] = RawAccept(upstream);
    ASSERT_GE(servers[i], 0);
    EXPECT_EQ(RawRead(servers[i], hello.size()), hello);
    ASSERT_TRUE(RawWrite(servers[i], "back"));
    EXPECT_EQ(RawRead(clients[i], 4), "back");
  }
  ASSERT_TRUE(proxy.WaitFor("children 2"));
  const std::vector<std::string> children = ChildrenOf(proxy.Pid());
  EXPECT_EQ(children.size(), 2u);

  // Both connections end; their children exit and the parent reaps them, leaving no zombie.
  for (int i = 0; i < 2; ++i) {
    close(clients[i]);
    close(servers[i]);
  }
  ASSERT_TRUE(proxy.WaitFor("children 0"));
  EXPECT_TRUE(ChildrenOf(proxy.Pid()).empty());
  // The parent still listens and serves.
  const int again = RawConnect(proxyPort);
  ASSERT_TRUE(RawWrite(again, Header("127.0.0.1", upstreamPort) + "again"));
  const int server = RawAccept(upstream);
  EXPECT_EQ(RawRead(server, 5), "again");
  close(again);
  close(server);
  proxy.CloseInput();
  EXPECT_EQ(proxy.Wait(), 0);
  close(upstream);
}

}  // namespace
