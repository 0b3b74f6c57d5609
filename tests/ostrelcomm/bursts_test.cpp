// Many connections at once: an independent Python peer opens 200 clients together while 50 slow
// peers hold connections, against a remote server of ours that echoes raw packets, directly and
// through the forwarding proxy. And the time limit for a peer that never completes a first record.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "commfixture.h"
#include "ostrel/base/types.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/proxyserver/proxyserver.h"
#include "ostrelcomm/socketwait.h"
#include "rawpeer.h"
#include "support/httppeers.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

// A remote server whose accepted links send every raw packet back.
class CEchoServer {
 public:
  bool Start() {
    m_Server.SetPortA(0);
    m_Server.SetCallbackFunction(Accept, this, 0);
    return m_Server.Startup() && m_Server.StartListen() && m_Server.NonBlockedStartListenHandler();
  }
  uint16_t Port() const { return static_cast<uint16_t>(m_Server.GetPortA()); }
  // One pass: accepts, echoes, and forgets links that ended.
  void Pump() {
    m_Server.NonBlockedHandler();
    for (size_t i = 0; i < m_Links.size();) {
      CCommRemoteClient& link = *m_Links[i];
      bool alive = link.NonBlockedHandler() != 0;
      void* data = nullptr;
      uint32_t size = 0;
      while (alive && link.RecvRawData(data, size)) {
        alive = link.SendRawData(data, size) && link.NonBlockedHandler();
        xFree(data);
      }
      if (alive) {
        ++i;
      } else {
        m_Links.erase(m_Links.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
  size_t Links() const { return m_Links.size(); }
  CCommRemoteClient* Link(size_t i) { return m_Links[i].get(); }
  int32_t Accepted() const { return m_Accepted; }

 private:
  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* self = static_cast<CEchoServer*>(user);
    auto link = std::make_unique<CCommRemoteClient>();
    link->SetPacketTypes(1, 0);
    link->SetInAckMode(0);
    link->SetOutAckMode(0);
    if (!link->Startup() || !link->SetConnectFromServer(static_cast<CCommRemoteServer*>(server))) return 0;
    self->m_Links.push_back(std::move(link));
    ++self->m_Accepted;
    return 1;
  }

  CCommRemoteServer m_Server;
  std::vector<std::unique_ptr<CCommRemoteClient>> m_Links;
  int32_t m_Accepted = 0;
};

class BurstTest : public CCommTest {
 protected:
  // Runs the Python peer against port while pump runs, until the peer ends (a minute at most);
  // its output.
  template <class Pump>
  std::string RunPeer(uint16_t port, const std::vector<std::string>& target, Pump pump) {
    const std::string output = m_Dir.File("peer.txt");
    std::vector<std::string> argv = {"/usr/bin/python3", std::string(VORRIN_TEST_TOOLS_DIR) + "/burst_peer.py",
                                     std::to_string(port), "200", "50", "20"};
    argv.insert(argv.end(), target.begin(), target.end());
    CPeerProcess peer;
    EXPECT_TRUE(peer.Start(argv, output));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (peer.Running() && std::chrono::steady_clock::now() < end) {
      xWaitTimeOrSockets(1);
      pump();
    }
    return ReadWholeFile(output);
  }
  static int Figure(const std::string& output, const char* what) {
    std::smatch m;
    const std::regex line(std::string(what) + " (\\d+)");
    return std::regex_search(output, m, line) ? std::stoi(m[1]) : -1;
  }

  CTempDir m_Dir;
};

}  // namespace

TEST_F(BurstTest, TwoHundredClientsAtOnceAreAllServedBesideFiftySlowPeers) {
  CEchoServer echo;
  ASSERT_TRUE(echo.Start());
  const std::string output = RunPeer(echo.Port(), {}, [&] { echo.Pump(); });
  EXPECT_EQ(Figure(output, "slow"), 50) << output;
  EXPECT_EQ(Figure(output, "served"), 200) << output;
  EXPECT_EQ(Figure(output, "slow-open"), 50) << output;
  EXPECT_EQ(echo.Accepted(), 250) << output;
}

TEST_F(BurstTest, TwoHundredClientsAtOnceAreAllRelayedByTheProxy) {
  CEchoServer echo;
  ASSERT_TRUE(echo.Start());
  CCommProxyServer proxy;
  proxy.SetLogFile(m_Dir.File("proxy.log").c_str());
  proxy.SetHistoryLogFile(m_Dir.File("history.log").c_str());
  ASSERT_EQ(proxy.AddRule_Start(), 1);
  proxy.AddRule_IpString("127.0.0.1");
  proxy.AddRule_PortRange(echo.Port(), echo.Port());
  ASSERT_EQ(proxy.AddRule_End(), 1);
  ASSERT_EQ(proxy.Startup(), 1);
  const std::string output =
      RunPeer(static_cast<uint16_t>(proxy.GetListenPort()), {"127.0.0.1", std::to_string(echo.Port())}, [&] {
        int32_t done = 0;
        proxy.Handler(done);
        echo.Pump();
      });
  EXPECT_EQ(Figure(output, "slow"), 50) << output;
  EXPECT_EQ(Figure(output, "served"), 200) << output;
  EXPECT_EQ(Figure(output, "slow-open"), 50) << output;
  proxy.Closedown();
}

// A peer that connects and never completes a record holds its link only for a while; one that
// sent a record may then stay silent as long as it likes.
TEST_F(BurstTest, APeerThatNeverCompletesAFirstRecordIsDropped) {
  CTestClock clock(10000);
  CEchoServer echo;
  ASSERT_TRUE(echo.Start());
  const int slow = RawConnect(echo.Port());
  const int quick = RawConnect(echo.Port());
  ASSERT_GE(slow, 0);
  ASSERT_GE(quick, 0);
  for (int i = 0; i < 200 && echo.Links() < 2; ++i) {
    xWaitTimeOrSockets(5);
    echo.Pump();
  }
  ASSERT_EQ(echo.Links(), 2u);
  ASSERT_TRUE(RawWrite(slow, "PCK"));
  const std::string record = std::string("PCKT\x01\x00\x00\x00\x00\x00\x00\x0F", 12) + "abc";
  ASSERT_TRUE(RawWrite(quick, record));
  for (int i = 0; i < 200 && Pending(quick) < static_cast<int>(record.size()); ++i) {
    xWaitTimeOrSockets(5);
    echo.Pump();
  }
  EXPECT_EQ(RawRead(quick, record.size()), record);
  auto pumpFor = [&](uint32_t ms) {
    clock.Advance(ms);
    for (int i = 0; i < 20; ++i) echo.Pump();
  };
  pumpFor(COMM_FIRST_RECORD_MS - 1);
  EXPECT_EQ(echo.Links(), 2u) << "not yet";
  pumpFor(2);
  ASSERT_EQ(echo.Links(), 1u);
  EXPECT_EQ(RawRead(slow, 1), "") << "the slow peer's connection is closed";
  pumpFor(10 * 60000);
  EXPECT_EQ(echo.Links(), 1u) << "a peer that sent its record may stay quiet";
  close(slow);
  close(quick);
}

// Twenty peers each send a header claiming 64 MiB and then only a little of the packet: the links
// hold a small multiple of what came, where reserving the claims would take 1.28 GB.
TEST_F(BurstTest, AHeaderClaimingSixtyFourMiBCostsOnlyWhatArrived) {
  constexpr int kPeers = 20;
  CEchoServer echo;
  ASSERT_TRUE(echo.Start());
  std::vector<int> peers;
  for (int i = 0; i < kPeers; ++i) peers.push_back(RawConnect(echo.Port()));
  for (int i = 0; i < 200 && echo.Links() < kPeers; ++i) {
    xWaitTimeOrSockets(5);
    echo.Pump();
  }
  ASSERT_EQ(echo.Links(), static_cast<size_t>(kPeers));
  const struct mallinfo2 before = mallinfo2();
  const std::string header("PCKT\x01\x00\x00\x00\x04\x00\x00\x00", 12);  // 64 MiB in all
  uint64_t sent = 0;
  for (int i = 0; i < kPeers; ++i) {
    ASSERT_GE(peers[i], 0);
    const std::string body(static_cast<size_t>(i) * 1000, static_cast<char>('a' + i));
    ASSERT_TRUE(RawWrite(peers[i], header + body));
    sent += header.size() + body.size();
  }
  auto held = [&] {
    uint64_t capacity = 0;
    for (size_t i = 0; i < echo.Links(); ++i) capacity += echo.Link(i)->GetReadCapacity();
    return capacity;
  };
  for (int i = 0; i < 200 && held() < sent; ++i) {
    xWaitTimeOrSockets(5);
    echo.Pump();
  }
  ASSERT_EQ(echo.Links(), static_cast<size_t>(kPeers));
  for (size_t i = 0; i < echo.Links(); ++i) EXPECT_EQ(echo.Link(i)->GetReadState(), COMM_READ_PACKET) << i;
  EXPECT_GE(held(), sent);
  EXPECT_LE(held(), COMM_READ_GROWTH * sent);
  const struct mallinfo2 after = mallinfo2();
  EXPECT_LT(after.arena + after.hblkhd, before.arena + before.hblkhd + (4u << 20));
  for (int fd : peers) close(fd);
}
