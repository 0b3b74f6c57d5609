// The socket layer against plain POSIX peers on 127.0.0.1.
#include "ostrelcomm/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ostrel/containers/llist.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/proxyrules.h"
#include "rawpeer.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

constexpr uint32_t kLoopback = kLoopbackIp;

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sglb = new SSysGlobals;
    ASSERT_EQ(xStartupSockets(m_Count, 1, &m_Crypt), 1);
  }
  void TearDown() override {
    xCloseSocket(m_Sock);
    delete sglb;
    sglb = nullptr;
  }

  // Connects m_Sock to the port with the blocked connect step.
  void ConnectTo(uint16_t port, const char* proxyHost = nullptr, const char* host = "127.0.0.1",
                 uint32_t hostPort = 0) {
    ASSERT_EQ(xConnectSocket(host, hostPort ? hostPort : port, proxyHost, port, m_Sock, nullptr, &m_Crypt), 1);
    for (int i = 0; i < 100 && !m_Connected; ++i)
      ASSERT_EQ(xBlockedConnectHandler(host, hostPort ? hostPort : port, proxyHost, port, m_Sock, m_Connected, 1000,
                                       &m_Crypt),
                1);
    ASSERT_EQ(m_Connected, 1);
  }

  int32_t m_Count = 0;
  SCryptData m_Crypt;
  int m_Sock = -1;
  int m_Connected = 0;
};

bool NonBlocking(int fd) { return (fcntl(fd, F_GETFL) & O_NONBLOCK) != 0; }
bool CloseOnExec(int fd) { return (fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0; }

}  // namespace

TEST_F(SocketTest, StartCountIsProcessWide) {
  SCryptData second;
  int32_t count = 0;
  EXPECT_EQ(xStartupSockets(count, 0, &second), 1);
  EXPECT_EQ(m_Count, 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(sglb->m_SocketStartCount, 2);
  EXPECT_EQ(second.m_Started, 1);
  EXPECT_EQ(m_Crypt.m_Role, 1);
  EXPECT_EQ(xClosedownSockets(count, &second), 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(sglb->m_SocketStartCount, 2);
  EXPECT_EQ(second.m_Started, 1);
}

TEST_F(SocketTest, MissingOrUnstartedStateFailsEveryCall) {
  SCryptData unstarted;
  for (SCryptData* crypt : {static_cast<SCryptData*>(nullptr), &unstarted}) {
    int sock = -1, connected = 0, running = 0, accepted = 0, acceptedSock = -1;
    int32_t count = 5;
    uint32_t fill = 0;
    char buffer[4];
    EXPECT_EQ(xClosedownSockets(count, crypt), 0);
    EXPECT_EQ(xConnectSocket("127.0.0.1", 80, nullptr, 0, sock, nullptr, crypt), 0);
    EXPECT_EQ(xDisconnectSocket(sock, connected, crypt), 0);
    EXPECT_EQ(xSocketHandler(sock, connected, buffer, fill, 4, nullptr, fill, 0, crypt), 0);
    EXPECT_EQ(xStartListenSocket(0, sock, nullptr, crypt), 0);
    EXPECT_EQ(xNonBlockedListenHandler(sock, acceptedSock, nullptr, running, accepted, crypt), 0);
    EXPECT_EQ(xSocketGetAddr("127.0.0.1", crypt), 0u);
    EXPECT_EQ(sock, -1);
  }
  int32_t count = 0;
  EXPECT_EQ(xStartupSockets(count, 0, nullptr), 0);
}

TEST_F(SocketTest, ConnectRefusesBadArguments) {
  EXPECT_EQ(xConnectSocket(nullptr, 80, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_EQ(xConnectSocket("", 80, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_EQ(xConnectSocket("127.0.0.1", 0, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_EQ(xConnectSocket("127.0.0.1", 65536, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_EQ(xConnectSocket("127.0.0.1", 80, "127.0.0.1", 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_EQ(xConnectSocket("300.1.2.3", 80, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_STREQ(xGetSocketErrorText(), "xConnectSocket: Can't find server: 300.1.2.3");
  const std::string longName(300, 'a');
  EXPECT_EQ(xConnectSocket(longName.c_str(), 80, nullptr, 0, m_Sock, nullptr, &m_Crypt), 0);
  EXPECT_STREQ(xGetSocketErrorText(), "xConnectSocket: Can't find server specified");
  EXPECT_EQ(m_Sock, -1);
}

TEST_F(SocketTest, ExchangeBothWaysWithAPlainPeer) {
  uint16_t port = 0;
  int listener = RawListen(port);
  sockaddr_in address{};
  ASSERT_EQ(xConnectSocket("127.0.0.1", port, nullptr, 0, m_Sock, &address, &m_Crypt), 1);
  EXPECT_EQ(ntohs(address.sin_port), port);
  EXPECT_TRUE(NonBlocking(m_Sock));
  EXPECT_TRUE(CloseOnExec(m_Sock));
  int peer = RawAccept(listener);
  ASSERT_GE(peer, 0);
  for (int i = 0; i < 100 && !m_Connected; ++i)
    ASSERT_EQ(xBlockedConnectHandler("127.0.0.1", port, nullptr, 0, m_Sock, m_Connected, 1000, &m_Crypt), 1);
  ASSERT_EQ(m_Connected, 1);
  int keepAlive = 0;
  socklen_t length = sizeof keepAlive;
  getsockopt(m_Sock, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &length);
  EXPECT_EQ(keepAlive, 1);

  // Our end as the peer sees it and the peer as we see it.
  uint32_t ip = 0;
  uint16_t localPort = 0, remotePort = 0;
  ASSERT_EQ(xGetLocalSocketIpPort(m_Sock, ip, localPort), 1);
  EXPECT_EQ(ip, kLoopback);
  ASSERT_EQ(xGetRemoteSocketIpPort(m_Sock, ip, remotePort), 1);
  EXPECT_EQ(ip, kLoopback);
  EXPECT_EQ(remotePort, port);
  sockaddr_in peerSide{};
  length = sizeof peerSide;
  getpeername(peer, reinterpret_cast<sockaddr*>(&peerSide), &length);
  EXPECT_EQ(ntohs(peerSide.sin_port), localPort);

  const std::string out = "to the peer";
  uint32_t written = 0, readFill = 0;
  char in[32] = {};
  ASSERT_EQ(xBlockedHandler(m_Sock, m_Connected, nullptr, readFill, 0, out.data(), written,
                            static_cast<uint32_t>(out.size()), &m_Crypt, 5000),
            1);
  EXPECT_EQ(written, out.size());
  EXPECT_EQ(RawRead(peer, out.size()), out);

  ASSERT_EQ(send(peer, "back", 4, 0), 4);
  ASSERT_EQ(xBlockedHandler(m_Sock, m_Connected, in, readFill, 4, nullptr, written, 0, &m_Crypt, 5000), 1);
  // One blocked read returns once some bytes came; loop for the rest as the links do.
  while (readFill < 4 && m_Connected)
    ASSERT_EQ(xBlockedHandler(m_Sock, m_Connected, in, readFill, 4, nullptr, written, 0, &m_Crypt, 5000), 1);
  EXPECT_EQ(std::string(in, readFill), "back");

  close(peer);
  close(listener);
}

TEST_F(SocketTest, PeerClosingEndsTheConnection) {
  uint16_t port = 0;
  int listener = RawListen(port);
  ConnectTo(port);
  int peer = RawAccept(listener);
  ASSERT_EQ(send(peer, "xy", 2, 0), 2);
  close(peer);
  char in[8];
  uint32_t readFill = 0, none = 0;
  int32_t result = 1;
  for (int i = 0; i < 10 && m_Sock >= 0; ++i)
    result = xBlockedHandler(m_Sock, m_Connected, in, readFill, sizeof in, nullptr, none, 0, &m_Crypt, 5000);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(std::string(in, readFill), "xy");
  EXPECT_EQ(m_Connected, 0);
  EXPECT_EQ(m_Sock, -1);
  close(listener);
}

TEST_F(SocketTest, BlockedReadGivesUpOnASilentPeer) {
  uint16_t port = 0;
  int listener = RawListen(port);
  ConnectTo(port);
  int peer = RawAccept(listener);
  char in[8];
  uint32_t readFill = 0, none = 0;
  EXPECT_EQ(xBlockedHandler(m_Sock, m_Connected, in, readFill, sizeof in, nullptr, none, 0, &m_Crypt, 50), 1);
  EXPECT_EQ(readFill, 0u);
  EXPECT_EQ(m_Connected, 1);
  EXPECT_GE(m_Sock, 0);
  close(peer);
  close(listener);
}

TEST_F(SocketTest, BlockedWriteWaitsForAReadingPeer) {
  uint16_t port = 0;
  int listener = RawListen(port);
  ConnectTo(port);
  int peer = RawAccept(listener);
  // More than the socket buffers hold, so the write has to wait for the reader.
  std::string big(8 << 20, 0);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 13));
  std::string got;
  std::thread reader([&] { got = RawRead(peer, big.size()); });
  uint32_t written = 0, none = 0;
  while (written < big.size() && m_Connected)
    ASSERT_EQ(xBlockedHandler(m_Sock, m_Connected, nullptr, none, 0, big.data(), written,
                              static_cast<uint32_t>(big.size()), &m_Crypt, 10000),
              1);
  reader.join();
  EXPECT_EQ(written, big.size());
  EXPECT_TRUE(got == big);
  close(peer);
  close(listener);
}

TEST_F(SocketTest, WriteToAClosedPeerFailsWithoutASignal) {
  uint16_t port = 0;
  int listener = RawListen(port);
  ConnectTo(port);
  int peer = RawAccept(listener);
  close(peer);
  std::string block(1 << 16, 'z');
  int32_t result = 1;
  for (int i = 0; i < 200 && m_Sock >= 0; ++i) {
    uint32_t written = 0, none = 0;
    result = xSocketHandler(m_Sock, m_Connected, nullptr, none, 0, block.data(), written,
                            static_cast<uint32_t>(block.size()), &m_Crypt);
    if (m_Sock >= 0) usleep(1000);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_Connected, 0);
  EXPECT_EQ(m_Sock, -1);
  close(listener);
}

TEST_F(SocketTest, ConnectingToAClosedPortEndsNotConnected) {
  const uint16_t port = ClosedPort();
  int32_t result = xConnectSocket("127.0.0.1", port, nullptr, 0, m_Sock, nullptr, &m_Crypt);
  if (result) {
    for (int i = 0; i < 100 && m_Sock >= 0 && result; ++i)
      result = xBlockedConnectHandler("127.0.0.1", port, nullptr, 0, m_Sock, m_Connected, 1000, &m_Crypt);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_Connected, 0);
  EXPECT_EQ(m_Sock, -1);
}

TEST_F(SocketTest, ProxyGetsTheLocationHeaderFirst) {
  uint16_t proxyPort = 0;
  int listener = RawListen(proxyPort);
  ConnectTo(proxyPort, "127.0.0.1", "casino.example", 7000);
  int peer = RawAccept(listener);
  const std::string header = RawRead(peer, PROXY_LOCATION_SIZE);
  ASSERT_EQ(header.size(), static_cast<size_t>(PROXY_LOCATION_SIZE));
  std::string expected(PROXY_LOCATION_SIZE, '\0');
  expected.replace(0, 4, "PLOC");
  expected.replace(12, 14, "casino.example");
  expected.replace(42, 4, "7000");
  EXPECT_EQ(header, expected);
  close(peer);
  close(listener);
}

TEST_F(SocketTest, ProxyTargetThatDoesNotFitTheHeaderFails) {
  uint16_t proxyPort = 0;
  int listener = RawListen(proxyPort);
  const std::string longHost(30, 'h');
  ASSERT_EQ(xConnectSocket(longHost.c_str(), 7000, "127.0.0.1", proxyPort, m_Sock, nullptr, &m_Crypt), 1);
  int32_t result = 1;
  for (int i = 0; i < 100 && result && !m_Connected; ++i)
    result = xBlockedConnectHandler(longHost.c_str(), 7000, "127.0.0.1", proxyPort, m_Sock, m_Connected, 1000, &m_Crypt);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m_Connected, 0);
  EXPECT_EQ(m_Sock, -1);
  close(listener);
}

TEST_F(SocketTest, ListenAndAccept) {
  int listener = -1, running = 1, accepted = 0, acceptedSock = -1;
  sockaddr_in address{};
  ASSERT_EQ(xStartListenSocket(0, listener, &address, &m_Crypt, kLoopback), 1);
  EXPECT_EQ(xBlockedStartListenHandler(listener, 0, &m_Crypt), 1);
  EXPECT_TRUE(NonBlocking(listener));
  EXPECT_TRUE(CloseOnExec(listener));
  const uint16_t port = ntohs(address.sin_port);
  EXPECT_NE(port, 0);
  EXPECT_EQ(ntohl(address.sin_addr.s_addr), kLoopback);

  // Nothing pending: a look finds nothing.
  EXPECT_EQ(xNonBlockedListenHandler(listener, acceptedSock, nullptr, running, accepted, &m_Crypt), 1);
  EXPECT_EQ(accepted, 0);
  EXPECT_EQ(xAcceptIncomingConnection(listener, acceptedSock, nullptr, &m_Crypt), 1);
  EXPECT_EQ(acceptedSock, -1);

  int client = RawConnect(port);
  ASSERT_GE(client, 0);
  sockaddr_in peer{};
  ASSERT_EQ(xBlockedListenHandler(listener, acceptedSock, &peer, running, accepted, 5000, &m_Crypt), 1);
  ASSERT_EQ(accepted, 1);
  ASSERT_GE(acceptedSock, 0);
  EXPECT_TRUE(NonBlocking(acceptedSock));
  EXPECT_TRUE(CloseOnExec(acceptedSock));
  EXPECT_EQ(ntohl(peer.sin_addr.s_addr), kLoopback);

  ASSERT_EQ(send(client, "hi", 2, 0), 2);
  char in[2];
  uint32_t fill = 0, none = 0;
  int connected = 1;
  while (fill < 2 && connected)
    ASSERT_EQ(xBlockedHandler(acceptedSock, connected, in, fill, 2, nullptr, none, 0, &m_Crypt, 5000), 1);
  EXPECT_EQ(std::string(in, 2), "hi");

  EXPECT_EQ(xDisconnectSocket(acceptedSock, connected, &m_Crypt), 1);
  EXPECT_EQ(acceptedSock, -1);
  EXPECT_EQ(connected, 0);
  EXPECT_EQ(xDisconnectSocket(acceptedSock, connected, &m_Crypt), 1);
  EXPECT_EQ(xStopListenSocket(listener, running, &m_Crypt), 1);
  EXPECT_EQ(listener, -1);
  EXPECT_EQ(running, 0);
  close(client);
}

TEST_F(SocketTest, ListeningBindsWhereAsked) {
  int everywhere = -1, loopback = -1;
  sockaddr_in address{};
  ASSERT_EQ(xStartListenSocket(0, everywhere, &address, &m_Crypt), 1);
  EXPECT_EQ(address.sin_addr.s_addr, htonl(INADDR_ANY));
  ASSERT_EQ(xStartListenSocket(0, loopback, &address, &m_Crypt, kLoopback), 1);
  EXPECT_EQ(ntohl(address.sin_addr.s_addr), kLoopback);
  // A port in use cannot be listened on twice; a port above 65535 not at all.
  int again = -1;
  EXPECT_EQ(xStartListenSocket(ntohs(address.sin_port), again, nullptr, &m_Crypt, kLoopback), 0);
  EXPECT_EQ(xStartListenSocket(65536, again, nullptr, &m_Crypt), 0);
  EXPECT_EQ(again, -1);
  xCloseSocket(everywhere);
  xCloseSocket(loopback);
}

TEST_F(SocketTest, FixedPortInsideTheEphemeralRangeIsLogged) {
  CTempDir dir;
  CWorkingDir work(dir.Path());
  const uint16_t port = ClosedPort();
  const std::string rangeFile = dir.File("range");
  xSetEphemeralPortRangeFile(rangeFile.c_str());
  uint16_t low = 0, high = 0;

  WriteWholeFile(rangeFile, std::to_string(port) + "\t" + std::to_string(port + 1) + "\n");
  ASSERT_EQ(xGetEphemeralPortRange(low, high), 1);
  EXPECT_EQ(low, port);
  EXPECT_EQ(high, port + 1);
  int sock = -1;
  ASSERT_EQ(xStartListenSocket(port, sock, nullptr, &m_Crypt, kLoopback), 1);
  xCloseSocket(sock);
  const std::string inside = "Statically allocated port (" + std::to_string(port) +
                             ") lies inside the dynamic port range (" + std::to_string(port) + " -> " +
                             std::to_string(port + 1) + ")";
  EXPECT_NE(ReadWholeFile(dir.File("startup.log")).find(inside), std::string::npos);

  // Outside the range: nothing more is written.
  WriteWholeFile(rangeFile, "1024 " + std::to_string(port - 1) + "\n");
  const size_t before = ReadWholeFile(dir.File("startup.log")).size();
  ASSERT_EQ(xStartListenSocket(port, sock, nullptr, &m_Crypt, kLoopback), 1);
  xCloseSocket(sock);
  EXPECT_EQ(ReadWholeFile(dir.File("startup.log")).size(), before);

  // No range to read: noted, and listening goes ahead.
  for (const char* bad : {"", "5000", "9 8", "1 70000", "1 2 3"}) {
    WriteWholeFile(rangeFile, bad);
    EXPECT_EQ(xGetEphemeralPortRange(low, high), 0) << bad;
  }
  std::remove(rangeFile.c_str());
  ASSERT_EQ(xStartListenSocket(port, sock, nullptr, &m_Crypt, kLoopback), 1);
  xCloseSocket(sock);
  EXPECT_NE(ReadWholeFile(dir.File("startup.log")).find("Could not get ephemeral port range. Collision detection is disabled."),
            std::string::npos);

  // The kernel's own range.
  xSetEphemeralPortRangeFile(nullptr);
  unsigned a = 0, b = 0;
  ASSERT_EQ(std::sscanf(ReadWholeFile("/proc/sys/net/ipv4/ip_local_port_range").c_str(), "%u %u", &a, &b), 2);
  ASSERT_EQ(xGetEphemeralPortRange(low, high), 1);
  EXPECT_EQ(low, a);
  EXPECT_EQ(high, b);
}

TEST_F(SocketTest, Addresses) {
  EXPECT_EQ(xSocketGetAddr("127.0.0.1", &m_Crypt), kLoopback);
  EXPECT_EQ(xSocketGetAddr("localhost", &m_Crypt), kLoopback);
  EXPECT_EQ(xSocketGetAddr("10.1.2.3", &m_Crypt), 0x0A010203u);
  EXPECT_EQ(xSocketGetAddr("10.1.2.256", &m_Crypt), 0u);
  EXPECT_EQ(xSocketGetAddr("", &m_Crypt), 0u);
  EXPECT_EQ(xSocketGetAddr(nullptr, &m_Crypt), 0u);

  // The machine's first address, as Python's standard library finds it.
  FILE* p = popen("python3 -c \"import socket; print(socket.getaddrinfo(socket.gethostname(), None, "
                  "socket.AF_INET, socket.SOCK_STREAM)[0][4][0])\"",
                  "r");
  ASSERT_NE(p, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, p), nullptr);
  pclose(p);
  line[strcspn(line, "\n")] = 0;
  uint32_t expected = 0;
  ASSERT_EQ(FromIpStringToIpNum(line, expected), 1) << line;
  EXPECT_EQ(xGetLocalIp(), expected);

  int sock = -1;
  uint32_t ip = 0;
  uint16_t port = 0;
  EXPECT_EQ(xGetLocalSocketIpPort(sock, ip, port), 0);
  EXPECT_EQ(xGetRemoteSocketIpPort(sock, ip, port), 0);
}

namespace {

// A stand-in for the KVT link: a two-step handshake, then every byte XORed.
class CXorFilter : public CSocketFilter {
 public:
  explicit CXorFilter(int32_t enable) : m_Enable(enable) {}
  int32_t Handshake(int) override {
    ++m_Steps;
    return 0;
  }
  int32_t IsFinished() const override { return m_Steps >= 2; }
  int32_t IsEnabled() const override { return m_Enable; }
  int32_t Write(int sock, const void* data, uint32_t size) override {
    std::string x(static_cast<const char*>(data), size);
    for (char& c : x) c ^= 0x5A;
    ssize_t n = send(sock, x.data(), x.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    return n < 0 ? (errno == EAGAIN ? -2 : -1) : static_cast<int32_t>(n);
  }
  int32_t Read(int sock, void* buffer, uint32_t size) override {
    ssize_t n = recv(sock, buffer, size, MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN ? -2 : -1;
    for (ssize_t i = 0; i < n; ++i) static_cast<char*>(buffer)[i] ^= 0x5A;
    return static_cast<int32_t>(n);
  }
  int32_t m_Steps = 0;
  int32_t m_Enable;
};

}  // namespace

TEST_F(SocketTest, StreamFilterRunsItsHandshakeThenCarriesTheBytes) {
  for (int32_t enable : {1, 0}) {
    uint16_t port = 0;
    int listener = RawListen(port);
    m_Connected = 0;
    ConnectTo(port);
    int peer = RawAccept(listener);
    auto* filter = new CXorFilter(enable);
    m_Crypt.m_pKvtLink = filter;

    const std::string out = "abc";
    uint32_t written = 0, none = 0;
    ASSERT_EQ(xSocketHandler(m_Sock, m_Connected, nullptr, none, 0, out.data(), written, 3, &m_Crypt), 1);
    EXPECT_EQ(written, 0u);  // handshake not finished
    while (written < 3)
      ASSERT_EQ(xSocketHandler(m_Sock, m_Connected, nullptr, none, 0, out.data(), written, 3, &m_Crypt), 1);
    EXPECT_EQ(m_Crypt.m_KvtFlag, enable);
    EXPECT_EQ(m_Crypt.m_pKvtLink != nullptr, enable == 1);
    EXPECT_EQ(RawRead(peer, 3), enable ? std::string("\x3b\x38\x39") : out);

    ASSERT_EQ(send(peer, "\x3b\x38\x39", 3, 0), 3);
    char in[3];
    uint32_t fill = 0;
    while (fill < 3 && m_Connected)
      ASSERT_EQ(xBlockedHandler(m_Sock, m_Connected, in, fill, 3, nullptr, none, 0, &m_Crypt, 5000), 1);
    EXPECT_EQ(std::string(in, 3), enable ? out : std::string("\x3b\x38\x39"));

    // Closing the socket drops the filter with it.
    EXPECT_EQ(xDisconnectSocket(m_Sock, m_Connected, &m_Crypt), 1);
    EXPECT_EQ(m_Crypt.m_pKvtLink, nullptr);
    EXPECT_EQ(m_Crypt.m_KvtFlag, 0);
    close(peer);
    close(listener);
  }
}

TEST(SocketWait, WithoutSocketsItSleeps) {
  CTestClock clock(1000);
  CLList entries;
  CSockWait none;
  entries.InsertLast(&none);
  xWaitTimeOrSocketsLowLevel(20, &entries);
  EXPECT_EQ(clock.Slept(), 20u);
  xWaitTimeOrSocketsLowLevel(20, nullptr);
  EXPECT_EQ(clock.Slept(), 40u);
}

TEST(SocketWait, ReturnsOnDataWithMoreThan1024DescriptorsOpen) {
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_cur < 1200) {
    limit.rlim_cur = std::min<rlim_t>(1200, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur < 1200) GTEST_SKIP() << "cannot open enough descriptors";
  std::vector<int> filler;
  while (filler.empty() || filler.back() < 1100) filler.push_back(open("/dev/null", O_RDONLY | O_CLOEXEC));
  int quiet[2], busy[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, quiet), 0);
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, busy), 0);
  ASSERT_GT(busy[0], 1024);

  CSockWait a, b, c;
  a.m_Socket = quiet[0];
  b.m_Socket = busy[0];
  CLList entries;
  entries.InsertLast(&a);
  entries.InsertLast(&b);
  std::thread writer([&] {
    usleep(20000);
    EXPECT_EQ(write(busy[1], "!", 1), 1);
  });
  // With so long a limit the only way back is the data.
  xWaitTimeOrSocketsLowLevel(600000, &entries);
  writer.join();
  EXPECT_EQ(a.m_Readable, 0);
  EXPECT_EQ(b.m_Readable, 1);
  EXPECT_EQ(b.m_Writable, 0);

  // Write interest is honoured too.
  c.m_Socket = quiet[1];
  c.m_WriteInterest = 1;
  CLList writers;
  writers.InsertLast(&c);
  xWaitTimeOrSocketsLowLevel(600000, &writers);
  EXPECT_EQ(c.m_Writable, 1);
  EXPECT_EQ(c.m_Readable, 0);
  for (int fd : filler) close(fd);
  for (int fd : {quiet[0], quiet[1], busy[0], busy[1]}) close(fd);
}
