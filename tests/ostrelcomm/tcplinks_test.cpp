// TCP links in one process: pairs of real links on 127.0.0.1, and links facing plain peers that
// write the byte stream by hand.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commfixture.h"
#include "ostrel/base/types.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/proxyrules.h"
#include "ostrelcomm/socketwait.h"
#include "rawpeer.h"
#include "support/testclock.h"

namespace {

class TcpLinkTest : public CCommTest {
 protected:
  void TearDown() override {
    // What the frame loop made on its own when the links ran it while waiting.
    xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
    xFreeFramePools();
    CCommTest::TearDown();
  }
};

std::string Bytes(const SXPacket* packet) {
  uint32_t size = 0;
  packet->GetPacketSize(size);
  return std::string(reinterpret_cast<const char*>(packet), size);
}

std::string RawPacket(const std::string& payload) {
  SXPacket* packet = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, payload.data(), static_cast<uint32_t>(payload.size()));
  std::string bytes = Bytes(packet);
  xFree(packet);
  return bytes;
}

// A header by hand: magic, type, split index, max split index, split id, size.
std::string Header(const char* magic, uint8_t type, uint32_t size, uint8_t splitIndex = 0, uint8_t splitId = 0) {
  std::string h(magic, 4);
  h += static_cast<char>(type);
  h += static_cast<char>(splitIndex);
  h += static_cast<char>(0);
  h += static_cast<char>(splitId);
  for (int shift = 24; shift >= 0; shift -= 8) h += static_cast<char>((size >> shift) & 0xFF);
  return h;
}

std::string TakeRaw(CCommBase& link) {
  void* data = nullptr;
  uint32_t size = 0;
  if (!link.RecvRawData(data, size)) return "<none>";
  std::string text(static_cast<char*>(data), size);
  xFree(data);
  return text;
}

// Two links of one kind on 127.0.0.1: a client, and the server's side adopted in the accept
// callback. Base is CCommLocal... or CCommRemote...
template <class Client, class Server>
struct SLinkPair {
  SLinkPair(int32_t raw, int32_t node) : m_Raw(raw), m_Node(node) {
    m_Client.SetPacketTypes(raw, node);
    m_Server.SetPortA(0);
    m_Server.SetCallbackFunction(Accept, this, 0);
  }

  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* pair = static_cast<SLinkPair*>(user);
    pair->m_pAccepted = std::make_unique<Client>();
    pair->m_pAccepted->SetPacketTypes(pair->m_Raw, pair->m_Node);
    pair->m_pAccepted->Startup();
    return pair->m_pAccepted->SetConnectFromServer(static_cast<Server*>(server));
  }

  bool Connect() {
    if (!m_Server.Startup() || !m_Server.StartListen() || !m_Server.NonBlockedStartListenHandler()) return false;
    if constexpr (std::is_same_v<Client, CCommLocalClient>)
      m_Client.SetPortA(m_Server.GetPortA());
    else
      m_Client.SetRemoteLocation("127.0.0.1", m_Server.GetPortA());
    if (!m_Client.Startup() || !m_Client.Connect()) return false;
    for (int i = 0; i < 100 && !(m_Client.IsConnected() && m_pAccepted); ++i) {
      m_Server.BlockedHandler(100);
      if (!m_Client.IsConnected() && !m_Client.BlockedConnectHandler(100)) return false;
    }
    return m_Client.IsConnected() && m_pAccepted && m_pAccepted->IsConnected();
  }

  // Runs both handlers until cond holds (at most a few seconds).
  template <class Cond>
  bool PumpUntil(Cond cond) {
    for (int i = 0; i < 2000 && !cond(); ++i) {
      m_Client.BlockedHandler(1);
      if (m_pAccepted) m_pAccepted->BlockedHandler(1);
    }
    return cond();
  }

  int32_t m_Raw, m_Node;
  Client m_Client;
  Server m_Server;
  std::unique_ptr<Client> m_pAccepted;
};

using SRemotePair = SLinkPair<CCommRemoteClient, CCommRemoteServer>;
using SLocalPair = SLinkPair<CCommLocalClient, CCommLocalServer>;

template <class Pair>
void ExchangeRawBothWays() {
  Pair pair(1, 0);
  ASSERT_TRUE(pair.Connect());
  auto& a = pair.m_Client;
  auto& b = *pair.m_pAccepted;
  const std::string big(1500000, 'q');  // more than one transfer takes
  std::string pattern(big);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 131 + (i >> 9));
  for (const std::string& payload : {std::string(), std::string("hello"), pattern}) {
    ASSERT_EQ(a.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    EXPECT_EQ(a.IsFlushed(), 0);
    ASSERT_TRUE(pair.PumpUntil([&] { return b.NumRecvQuePackets() == 1; }));
    EXPECT_TRUE(TakeRaw(b) == payload) << payload.size();
    EXPECT_EQ(a.IsFlushed(), 1);
    ASSERT_EQ(b.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    ASSERT_TRUE(pair.PumpUntil([&] { return a.NumRecvQuePackets() == 1; }));
    EXPECT_TRUE(TakeRaw(a) == payload) << payload.size();
  }
  // Either side ending the link ends it for the other.
  a.Disconnect();
  EXPECT_EQ(a.IsConnected(), 0);
  EXPECT_TRUE(pair.PumpUntil([&] { return !b.IsConnected(); }));
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, &b) + xCommInList(glb->m_pLocalClientCommList, &b), 0);
}

}  // namespace

TEST_F(TcpLinkTest, RemoteLinksCarryRawPacketsBothWays) { ExchangeRawBothWays<SRemotePair>(); }
TEST_F(TcpLinkTest, LoopbackLinksCarryRawPacketsBothWays) { ExchangeRawBothWays<SLocalPair>(); }

TEST_F(TcpLinkTest, ConnectedLinksAreRegisteredAndStarted) {
  SRemotePair pair(1, 0);
  ASSERT_TRUE(pair.Connect());
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, &pair.m_Client), 1);
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, pair.m_pAccepted.get()), 1);
  EXPECT_EQ(xCommInList(glb->m_pStartedRemoteClientList, &pair.m_Client), 1);
  EXPECT_EQ(xCommInList(glb->m_pRemoteServerCommList, &pair.m_Server), 1);
  EXPECT_EQ(xCommInList(glb->m_pStartedRemoteServerList, &pair.m_Server), 1);
  EXPECT_EQ(pair.m_Server.RemoteServerRunning(), 1);
  EXPECT_STREQ(pair.m_Client.GetClassNameA(), "CCommRemoteClient");
  EXPECT_STREQ(pair.m_Server.GetClassNameA(), "CCommRemoteServer");
  EXPECT_STREQ(pair.m_Server.GetObjName(), "default commserver object");

  pair.m_pAccepted.reset();  // a destroyed link leaves every list
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, pair.m_pAccepted.get()), 0);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 1);
  EXPECT_EQ(glb->m_pStartedRemoteClientList->GetNumNodes(), 1);
  pair.m_Client.Closedown();
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0);
  EXPECT_EQ(glb->m_pStartedRemoteClientList->GetNumNodes(), 0);
  pair.m_Server.Closedown();
  EXPECT_EQ(glb->m_pRemoteServerCommList->GetNumNodes(), 0);
  EXPECT_EQ(glb->m_pStartedRemoteServerList->GetNumNodes(), 0);
}

namespace {

int NoDelay(int fd) {
  int on = -1;
  socklen_t length = sizeof on;
  if (getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, &length) != 0) return -1;
  return on;
}

}  // namespace

// The tail of a partial write must not wait for the far side's acknowledgement.
TEST_F(TcpLinkTest, LinkSocketsSendWithoutDelay) {
  SRemotePair remote(1, 0);
  ASSERT_TRUE(remote.Connect());
  EXPECT_EQ(NoDelay(remote.m_Client.GetSocket()), 1) << "connected";
  EXPECT_EQ(NoDelay(remote.m_pAccepted->GetSocket()), 1) << "accepted";
  SLocalPair local(1, 0);
  ASSERT_TRUE(local.Connect());
  EXPECT_EQ(NoDelay(local.m_Client.GetSocket()), 1) << "connected";
  EXPECT_EQ(NoDelay(local.m_pAccepted->GetSocket()), 1) << "accepted";
}

TEST_F(TcpLinkTest, DestroyedConnectedLinkLeavesItsNodes) {
  SNode node(CNODE_CLIENT, "Lobby");
  SRemotePair pair(0, 1);
  ASSERT_TRUE(pair.Connect());
  ASSERT_EQ(node.HasCommObject(&pair.m_Client), 1);
  CCommRemoteClient* accepted = pair.m_pAccepted.get();
  ASSERT_EQ(node.HasCommObject(accepted), 1);
  pair.m_pAccepted.reset();
  EXPECT_EQ(node.HasCommObject(accepted), 0);
  EXPECT_EQ(xCommInList(glb->m_pRemoteClientCommList, accepted), 0);
}

TEST_F(TcpLinkTest, RefusedConnectionIsClosed) {
  CCommRemoteServer server;
  server.SetPortA(0);
  ASSERT_TRUE(server.Startup() && server.StartListen() && server.NonBlockedStartListenHandler());
  int calls = 0;
  for (int32_t callbackResult : {0, 1}) {
    server.SetCallbackFunction([](CCommBaseServer*, void* user, int32_t value) -> int32_t {
      ++*static_cast<int*>(user);
      return value;
    }, &calls, callbackResult);
    int peer = RawConnect(static_cast<uint16_t>(server.GetPortA()));
    ASSERT_GE(peer, 0);
    ASSERT_EQ(server.BlockedHandler(5000), 1);
    EXPECT_EQ(server.GetConnectedSocket(), -1);
    // Refused, or taken by no link: either way the peer sees the end.
    EXPECT_EQ(RawRead(peer, 1), "");
    close(peer);
  }
  EXPECT_EQ(calls, 2);
}

TEST_F(TcpLinkTest, PortLimits) {
  CCommRemoteClient link;
  link.SetRemoteLocation("127.0.0.1", 70000);
  ASSERT_EQ(link.Startup(), 1);
  EXPECT_EQ(link.Connect(), 0);
  link.SetRemoteLocation("127.0.0.1", 65530);
  EXPECT_EQ(link.Connect(), 1);
  EXPECT_EQ(link.Disconnect(), 1);

  EXPECT_EQ(link.SetProxy("127.0.0.1", 70000), 0);

  CCommRemoteServer server;
  server.SetPortA(70000);
  ASSERT_EQ(server.Startup(), 1);
  EXPECT_EQ(server.StartListen(), 0);
}

TEST_F(TcpLinkTest, HandlersOfLinksNeverConnected) {
  CCommRemoteClient remote;
  CCommLocalClient local;
  EXPECT_EQ(remote.NonBlockedHandler(), 0);
  EXPECT_EQ(remote.Connect(), 0) << "not started";
  EXPECT_EQ(remote.NonBlockedConnectHandler(), 0);
  ASSERT_EQ(remote.Startup(), 1);
  EXPECT_EQ(remote.NonBlockedHandler(), 0);
  EXPECT_EQ(remote.NonBlockedConnectHandler(), 0) << "no socket";
  EXPECT_EQ(remote.GetSocket(), -1);
  EXPECT_EQ(remote.IsFlushed(), 1);
  EXPECT_EQ(local.NonBlockedHandler(), 0);
  EXPECT_EQ(local.IsFlushed(), 1);
  EXPECT_EQ(local.NeedProcessing(), 0);
  EXPECT_EQ(local.NeedWrite(), 0);
}

TEST_F(TcpLinkTest, ConnectingToAClosedPortEndsNotConnected) {
  CCommLocalClient link;
  link.SetPortA(ClosedPort());
  ASSERT_EQ(link.Startup(), 1);
  int32_t result = link.Connect();
  for (int i = 0; i < 100 && result && !link.IsConnected(); ++i) result = link.BlockedConnectHandler(100);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(link.IsConnected(), 0);
  EXPECT_EQ(glb->m_pLocalClientCommList->GetNumNodes(), 0);
}

// ---- the byte stream, written by hand ----

namespace {

// A remote link connected to a plain peer that the test writes to and reads from.
struct SRawFacing {
  explicit SRawFacing(int32_t raw = 1, int32_t node = 0) {
    uint16_t port = 0;
    m_Listener = RawListen(port);
    m_Link.SetPacketTypes(raw, node);
    m_Link.SetRemoteLocation("127.0.0.1", port);
    EXPECT_EQ(m_Link.Startup(), 1);
    EXPECT_EQ(m_Link.Connect(), 1);
    m_Peer = RawAccept(m_Listener);
    for (int i = 0; i < 100 && !m_Link.IsConnected(); ++i) m_Link.BlockedConnectHandler(100);
    EXPECT_EQ(m_Link.IsConnected(), 1);
  }
  ~SRawFacing() {
    if (m_Peer >= 0) close(m_Peer);
    close(m_Listener);
  }
  // Writes the bytes and runs the link until it has read them all (or has ended).
  int32_t Feed(const std::string& bytes) {
    EXPECT_TRUE(RawWrite(m_Peer, bytes));
    int32_t result = 1;
    for (int i = 0; i < 1000 && m_Link.IsConnected(); ++i) {
      result = m_Link.BlockedHandler(1);
      if (!m_Link.IsConnected() || Pending(m_Link.GetSocket()) == 0) break;
    }
    return result;
  }

  int m_Listener = -1;
  int m_Peer = -1;
  CCommRemoteClient m_Link;
};

}  // namespace

TEST_F(TcpLinkTest, SmallestPacketReachesTheReceiveQueue) {
  SRawFacing facing;
  EXPECT_EQ(facing.Feed(Header("PCKT", PACKET_RAWDATA, 12)), 1);
  EXPECT_EQ(TakeRaw(facing.m_Link), "");
  EXPECT_EQ(facing.m_Link.NumRecvQuePackets(), 0);
}

TEST_F(TcpLinkTest, PacketsSurviveOneByteSegments) {
  SRawFacing facing;
  const std::string stream = RawPacket("first") + RawPacket("") + RawPacket("third one");
  for (char c : stream) ASSERT_EQ(facing.Feed(std::string(1, c)), 1);
  EXPECT_EQ(TakeRaw(facing.m_Link), "first");
  EXPECT_EQ(TakeRaw(facing.m_Link), "");
  EXPECT_EQ(TakeRaw(facing.m_Link), "third one");
  EXPECT_EQ(TakeRaw(facing.m_Link), "<none>");
}

TEST_F(TcpLinkTest, HeaderSplitAtEveryOffset) {
  SRawFacing facing;
  const std::string packet = RawPacket("split here");
  for (size_t at = 1; at <= 12; ++at) {
    ASSERT_EQ(facing.Feed(packet.substr(0, at)), 1) << at;
    EXPECT_EQ(facing.m_Link.NumRecvQuePackets(), 0) << at;
    ASSERT_EQ(facing.Feed(packet.substr(at)), 1) << at;
    EXPECT_EQ(TakeRaw(facing.m_Link), "split here") << at;
  }
}

TEST_F(TcpLinkTest, BadStreamsEndTheLink) {
  const std::string valid = RawPacket("payload");
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"wrong magic", Header("PCKX", PACKET_RAWDATA, 12)},
      {"unknown type", Header("PCKT", 7, 12)},
      {"type zero", Header("PCKT", 0, 12)},
      {"size below the header", Header("PCKT", PACKET_RAWDATA, 11)},
      {"size above the limit", Header("PCKT", PACKET_RAWDATA, PACKET_DEFAULT_MAX_SIZE + 1)},
      {"size of four gigabytes", Header("PCKT", PACKET_RAWDATA, 0xFFFFFFFFu)},
  };
  for (const Case& c : cases) {
    SRawFacing facing;
    // Eleven bytes of a bad header are not yet judged.
    EXPECT_EQ(facing.Feed(c.bytes.substr(0, 11)), 1) << c.what;
    EXPECT_EQ(facing.m_Link.IsConnected(), 1) << c.what;
    EXPECT_EQ(facing.Feed(c.bytes.substr(11)), 0) << c.what;
    EXPECT_EQ(facing.m_Link.IsConnected(), 0) << c.what;
    EXPECT_EQ(facing.m_Link.GetSocket(), -1) << c.what;
    EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0) << c.what;
    EXPECT_EQ(RawRead(facing.m_Peer, 1), "") << c.what << ": the peer sees the end";
  }
  // The peer leaving in the middle of a packet.
  SRawFacing facing;
  EXPECT_EQ(facing.Feed(valid.substr(0, 15)), 1);
  close(facing.m_Peer);
  facing.m_Peer = -1;
  int32_t result = 1;
  for (int i = 0; i < 100 && facing.m_Link.IsConnected(); ++i) result = facing.m_Link.BlockedHandler(10);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(facing.m_Link.IsConnected(), 0);
  EXPECT_EQ(facing.m_Link.GetReadState(), COMM_READ_IDLE);
  EXPECT_EQ(glb->m_pRemoteClientCommList->GetNumNodes(), 0);
}

// Small packets and the start of a large one in one segment: the small ones are cut out of what
// was read ahead, the large one is read on.
TEST_F(TcpLinkTest, SmallPacketsAndALargeOneInOneSegment) {
  SRawFacing facing;
  std::string big(700000, 'B');
  for (size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>(i);
  std::string stream;
  for (int i = 0; i < 50; ++i) stream += RawPacket("s" + std::to_string(i));
  stream += RawPacket(big) + RawPacket("after");
  EXPECT_EQ(facing.Feed(stream), 1);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(TakeRaw(facing.m_Link), "s" + std::to_string(i));
  EXPECT_TRUE(TakeRaw(facing.m_Link) == big);
  EXPECT_EQ(TakeRaw(facing.m_Link), "after");
}

namespace {

std::string NodePacket(uint8_t type, uint32_t id, const std::string& name, uint32_t nodeType, const std::string& data) {
  SXPacket* packet = BuildPacket(type, id, name.c_str(), nodeType, 0, data.data(), static_cast<uint32_t>(data.size()));
  std::string bytes = Bytes(packet);
  xFree(packet);
  return bytes;
}

}  // namespace

// Large node records are read with their payload apart from their header: the record arrives
// whole however the stream is cut around its header, and so does one whose name is too long to
// be read apart or that is just too small to be.
TEST_F(TcpLinkTest, LargeNodeRecordsArriveWholeHoweverTheStreamIsCut) {
  const std::string longName(COMM_APART_HEAD, 'n');
  struct Case {
    const char* what;
    std::string name;
    uint32_t payload;
    std::vector<size_t> pieces;  // the first bytes, written one piece at a time
  };
  const Case cases[] = {
      {"at once", "Big", COMM_APART_FROM, {}},
      {"the header alone first", "Big", 300000, {12}},
      {"the first bytes one by one", "Big", 200000, std::vector<size_t>(40, 1)},
      {"the name cut", "Big", 100000, {26, 4}},
      {"the node header exactly", "Big", 100000, {32}},
      {"just too small to go apart", "Big", COMM_APART_FROM - 33, {12}},
      {"a name too long to go apart", longName, 150000, {12, 30}},
  };
  for (const Case& c : cases) {
    SRawFacing facing(0, 1);
    SNode node(CNODE_CLIENT, c.name.c_str(), 9);
    ASSERT_EQ(facing.Feed(NodePacket(PACKET_REGISTERCNODE, 9, c.name, CNODE_SERVER, "")), 1) << c.what;
    std::string payload(c.payload, 'p');
    for (size_t i = 0; i < payload.size(); i += 501) payload[i] = static_cast<char>(i >> 3);
    const std::string stream = NodePacket(PACKET_CNODEDATA, 9, c.name, CNODE_SERVER, payload);
    size_t at = 0;
    for (size_t piece : c.pieces) {
      ASSERT_EQ(facing.Feed(stream.substr(at, piece)), 1) << c.what;
      at += piece;
    }
    ASSERT_EQ(facing.Feed(stream.substr(at)), 1) << c.what;
    void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(node.RecvPacket(data, size), 1) << c.what;
    EXPECT_EQ(size, payload.size()) << c.what;
    EXPECT_TRUE(std::string(static_cast<char*>(data), size) == payload) << c.what;
    EXPECT_EQ(static_cast<char*>(data)[size], 0) << c.what;
    xFree(data);
    node.RecvFree();
  }
}

// A packet of which a quarter or more has come (read, or waiting on the socket) gets its whole room
// at once: nothing read is copied again to make room.
TEST_F(TcpLinkTest, APacketMostlyThereGetsItsWholeRoomAtOnce) {
  SRawFacing facing;
  // Small enough that what the peer wrote waits on the link's socket whole.
  const std::string packet = RawPacket(std::string(100000, 'w'));
  const size_t quarter = packet.size() / 4 + 1;
  ASSERT_TRUE(RawWrite(facing.m_Peer, packet.substr(0, quarter)));
  for (int i = 0; i < 100 && Pending(facing.m_Link.GetSocket()) < static_cast<int>(quarter); ++i) usleep(1000);
  ASSERT_EQ(facing.Feed(""), 1);
  EXPECT_EQ(facing.m_Link.GetReadState(), COMM_READ_PACKET);
  EXPECT_EQ(facing.m_Link.GetReadCapacity(), packet.size());
  ASSERT_EQ(facing.Feed(packet.substr(quarter)), 1);
  EXPECT_EQ(TakeRaw(facing.m_Link).size(), 100000u);
}

// A node-data header claiming 64 MiB holds a small multiple of what came, its payload apart too.
TEST_F(TcpLinkTest, ANodeRecordClaimingSixtyFourMiBHoldsOnlyWhatCame) {
  SRawFacing facing(0, 1);
  SNode node(CNODE_CLIENT, "Big", 9);
  ASSERT_EQ(facing.Feed(NodePacket(PACKET_REGISTERCNODE, 9, "Big", CNODE_SERVER, "")), 1);
  std::string start = NodePacket(PACKET_CNODEDATA, 9, "Big", CNODE_SERVER, "");
  const uint32_t claimed = PACKET_DEFAULT_MAX_SIZE;
  for (int i = 0; i < 4; ++i) start[8 + i] = static_cast<char>(claimed >> (24 - 8 * i));
  start += std::string(5000, 'x');
  ASSERT_EQ(facing.Feed(start), 1);
  EXPECT_EQ(facing.m_Link.GetReadState(), COMM_READ_PACKET);
  EXPECT_GE(facing.m_Link.GetReadCapacity(), start.size());
  EXPECT_LE(facing.m_Link.GetReadCapacity(), COMM_READ_GROWTH * start.size());
  ASSERT_EQ(facing.Feed(std::string(20000, 'y')), 1);
  EXPECT_LE(facing.m_Link.GetReadCapacity(), COMM_READ_GROWTH * (start.size() + 20000));
}

// A peer that resets the connection (an error pending on the socket, not an orderly end) ends the
// link at its next handler call, with nothing to read or write.
TEST_F(TcpLinkTest, AResetFromThePeerEndsTheLink) {
  SRawFacing facing;
  ASSERT_EQ(facing.Feed(RawPacket("before")), 1);
  const linger abort{1, 0};
  setsockopt(facing.m_Peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  close(facing.m_Peer);
  facing.m_Peer = -1;
  int32_t result = 1;
  for (int i = 0; i < 100 && result; ++i) result = facing.m_Link.BlockedHandler(10);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(facing.m_Link.IsConnected(), 0);
  EXPECT_EQ(facing.m_Link.GetSocket(), -1);
  EXPECT_EQ(TakeRaw(facing.m_Link), "before");
}

TEST_F(TcpLinkTest, SplitPiecesAreDroppedAndWhatFollowsArrives) {
  SRawFacing facing;
  std::string stream;
  stream += Header("PCKT", PACKET_SPLIT, 14, 1, 9) + "ab";  // a first piece out of order
  stream += Header("PCKT", PACKET_SPLIT, 13, 0, 4) + "c";
  stream += RawPacket("after the pieces");
  EXPECT_EQ(facing.Feed(stream), 1);
  EXPECT_EQ(facing.m_Link.IsConnected(), 1);
  EXPECT_EQ(TakeRaw(facing.m_Link), "after the pieces");
  EXPECT_EQ(facing.m_Link.NumSocketInPackets(), 0);
}

TEST_F(TcpLinkTest, ProtocolPacketsNoPingStepTakesAreDropped) {
  SRawFacing facing;
  const std::string ping = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PING);
  const std::string answer = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PINGANSWER);
  const std::string uid = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_GETUID);
  std::string flood;
  for (int i = 0; i < 200; ++i) flood += ping + answer + uid;
  EXPECT_EQ(facing.Feed(flood + RawPacket("still here")), 1);
  EXPECT_EQ(facing.m_Link.NumSocketInPackets(), 0);
  EXPECT_EQ(TakeRaw(facing.m_Link), "still here");
}

TEST_F(TcpLinkTest, UnknownNodeDataEndsARemoteLinkButNotALoopbackOne) {
  SXPacket* data = BuildPacket(PACKET_CNODEDATA, 4, "Nobody", CNODE_CLIENT, 0, "x", 1);
  const std::string bytes = Bytes(data);
  xFree(data);
  {
    SRawFacing facing(0, 1);
    EXPECT_EQ(facing.Feed(bytes), 0);
    EXPECT_EQ(facing.m_Link.IsConnected(), 0);
  }
  uint16_t port = 0;
  int listener = RawListen(port);
  CCommLocalClient local;
  local.SetPacketTypes(0, 1);
  local.SetPortA(port);
  ASSERT_EQ(local.Startup(), 1);
  ASSERT_EQ(local.Connect(), 1);
  int peer = RawAccept(listener);
  for (int i = 0; i < 100 && !local.IsConnected(); ++i) local.BlockedConnectHandler(100);
  ASSERT_TRUE(RawWrite(peer, bytes));
  int32_t result = 1;
  for (int i = 0; i < 100 && result; ++i) result = local.BlockedHandler(10);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(local.IsConnected(), 1) << "the loopback link stays up";
  EXPECT_EQ(xCommInList(glb->m_pLocalClientCommList, &local), 1);
  close(peer);
  close(listener);
}

TEST_F(TcpLinkTest, WritesGoOutWholeAndInOrder) {
  SRawFacing facing;
  const std::string big(300000, 'b');
  ASSERT_EQ(facing.m_Link.SendRawData("one", 3), 1);
  ASSERT_EQ(facing.m_Link.SendRawData(big.data(), static_cast<uint32_t>(big.size())), 1);
  ASSERT_EQ(facing.m_Link.SendRawData("three", 5), 1);
  EXPECT_EQ(facing.m_Link.NeedWrite(), 1);
  const std::string expected = RawPacket("one") + RawPacket(big) + RawPacket("three");
  std::string got;
  for (int i = 0; i < 1000 && got.size() < expected.size(); ++i) {
    facing.m_Link.BlockedHandler(1);
    if (Pending(facing.m_Peer) > 0) got += RawRead(facing.m_Peer, static_cast<size_t>(Pending(facing.m_Peer)));
  }
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(facing.m_Link.IsFlushed(), 1);
  EXPECT_EQ(facing.m_Link.NeedWrite(), 0);
}

// Small packets waiting one behind the other leave in gathered writes; the stream is the same
// bytes in the same order as one packet at a time, whatever sizes meet at the gathering limits.
TEST_F(TcpLinkTest, GatheredWritesKeepEveryByteInOrder) {
  SRawFacing facing;
  std::vector<std::string> payloads;
  for (uint32_t size : {0u, 1u, 100u, 4096u, COMM_GATHER_BELOW - 13, COMM_GATHER_BELOW - 12, COMM_GATHER_BELOW,
                        7u, 300000u, 5u, COMM_GATHER_BYTES - 12, 3u})
    payloads.emplace_back(size, static_cast<char>('a' + payloads.size()));
  for (int i = 0; i < 300; ++i) payloads.push_back("small " + std::to_string(i));  // many gathers
  std::string expected;
  for (const std::string& p : payloads) {
    ASSERT_EQ(facing.m_Link.SendRawData(p.data(), static_cast<uint32_t>(p.size())), 1);
    expected += RawPacket(p);
  }
  std::string got;
  for (int i = 0; i < 2000 && got.size() < expected.size(); ++i) {
    facing.m_Link.BlockedHandler(1);
    if (Pending(facing.m_Peer) > 0) got += RawRead(facing.m_Peer, static_cast<size_t>(Pending(facing.m_Peer)));
  }
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(facing.m_Link.IsFlushed(), 1);
}

// A packet that does not validate, queued among small ones, ends the link where it stands: what
// was queued before it goes out whole, nothing after it.
TEST_F(TcpLinkTest, InvalidPacketAmongGatheredOnesEndsTheLink) {
  SRawFacing facing;
  ASSERT_EQ(facing.m_Link.SendRawData("first", 5), 1);
  ASSERT_EQ(facing.m_Link.SendRawData("second", 6), 1);
  auto* bad = static_cast<SXPacket*>(::operator new(PACKET_HEADER_SIZE));
  std::memcpy(bad, Header("PCKX", PACKET_RAWDATA, 12).data(), PACKET_HEADER_SIZE);
  ASSERT_EQ(facing.m_Link.SendPacket(bad), 1);
  ASSERT_EQ(facing.m_Link.SendRawData("third", 5), 1);
  int32_t result = 1;
  for (int i = 0; i < 10 && result; ++i) result = facing.m_Link.BlockedHandler(1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(facing.m_Link.IsConnected(), 0);
  const std::string before = RawPacket("first") + RawPacket("second");
  EXPECT_EQ(RawRead(facing.m_Peer, before.size() + 1), before);
}

// ---- ping on the test clock ----

TEST_F(TcpLinkTest, PingsAreAnsweredAcrossALinkPair) {
  CTestClock clock(5000);
  SRemotePair pair(1, 0);
  ASSERT_TRUE(pair.Connect());
  pair.m_Client.SetPingServer(0x100);  // any non-zero value switches the role on
  EXPECT_EQ(pair.m_Client.GetPingServer(), 1);
  pair.m_pAccepted->SetPingClient(1);
  xUpdateObjTimers();
  clock.Advance(1000);
  xUpdateObjTimers();  // the first ping goes out
  ASSERT_TRUE(pair.PumpUntil([&] { return pair.m_pAccepted->NumSocketInPackets() == 1; }));
  clock.Advance(1000);
  xUpdateObjTimers();  // answered
  ASSERT_TRUE(pair.PumpUntil([&] { return pair.m_Client.NumSocketInPackets() == 1; }));
  clock.Advance(1000);
  xUpdateObjTimers();  // the answer is taken
  EXPECT_EQ(pair.m_Client.NumSocketInPackets(), 0);
  int32_t timedOut = 1;
  clock.Advance(40000);
  ASSERT_EQ(pair.m_Client.PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 0) << "the answer came";
  EXPECT_EQ(pair.m_Client.PingTimerActive(), 1);
  EXPECT_EQ(pair.m_pAccepted->PingTimerActive(), 1);
}

TEST_F(TcpLinkTest, UnansweredPingTimesOutWithoutASecondPing) {
  CTestClock clock(5000);
  SRawFacing facing;
  const std::string ping = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PING);
  facing.m_Link.SetPingServer(1);
  xUpdateObjTimers();
  clock.Advance(1000);
  xUpdateObjTimers();
  EXPECT_EQ(RawRead(facing.m_Peer, 13), ping);
  int32_t timedOut = 1;
  clock.Advance(29999);
  ASSERT_EQ(facing.m_Link.PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 0);
  clock.Advance(1);
  ASSERT_EQ(facing.m_Link.PingHandler(timedOut), 1);
  EXPECT_EQ(timedOut, 1);
  for (int i = 0; i < 20; ++i) {
    clock.Advance(1000);
    xUpdateObjTimers();
  }
  EXPECT_EQ(Pending(facing.m_Peer), 0) << "no second ping while the answer is awaited";
  EXPECT_EQ(facing.m_Link.IsConnected(), 1);

  // The answer: pinging goes on at the interval.
  const std::string answer = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PINGANSWER);
  facing.Feed(answer);
  clock.Advance(1000);
  xUpdateObjTimers();
  EXPECT_EQ(RawRead(facing.m_Peer, 13), ping);
}

TEST_F(TcpLinkTest, PingClientAnswersEveryPing) {
  CTestClock clock(5000);
  SRawFacing facing;
  facing.m_Link.SetPingClient(1);
  xUpdateObjTimers();
  const std::string ping = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PING);
  const std::string answer = Header("PCKT", PACKET_PROTOCOL, 13) + std::string(1, PROTOCOL_PINGANSWER);
  facing.Feed(ping + ping + RawPacket("between"));
  EXPECT_EQ(facing.m_Link.NumSocketInPackets(), 2) << "waiting for the ping step";
  clock.Advance(1000);
  xUpdateObjTimers();
  EXPECT_EQ(RawRead(facing.m_Peer, 26), answer + answer);
  EXPECT_EQ(TakeRaw(facing.m_Link), "between");
}

TEST_F(TcpLinkTest, PingServerSetBeforeConnectingNeverPings) {
  CTestClock clock(5000);
  CCommRemoteClient link;
  link.SetPingServer(1);
  xUpdateObjTimers();
  clock.Advance(1000);
  xUpdateObjTimers();
  EXPECT_EQ(link.PingTimerActive(), 0);
  int32_t timedOut = 0;
  EXPECT_EQ(link.PingHandler(timedOut), 0);
}

// ---- the proxy's location header ----

TEST_F(TcpLinkTest, LinkThroughAProxySendsTheLocationFirst) {
  uint16_t port = 0;
  int listener = RawListen(port);
  CCommRemoteClient link;
  link.SetPacketTypes(1, 0);
  link.SetRemoteLocation("games.example", 7000);
  ASSERT_EQ(link.SetProxy("127.0.0.1", port), 1);
  ASSERT_EQ(link.Startup(), 1);
  ASSERT_EQ(link.Connect(), 1);
  int peer = RawAccept(listener);
  for (int i = 0; i < 100 && !link.IsConnected(); ++i) link.BlockedConnectHandler(100);
  ASSERT_EQ(link.IsConnected(), 1);
  CProxyLocation expected;
  expected.SetLocation("games.example", 7000);
  EXPECT_EQ(RawRead(peer, PROXY_LOCATION_SIZE),
            std::string(reinterpret_cast<const char*>(expected.GetData()), PROXY_LOCATION_SIZE));
  ASSERT_EQ(link.SendRawData("after", 5), 1);
  link.BlockedHandler(10);
  EXPECT_EQ(RawRead(peer, 17), RawPacket("after"));
  close(peer);
  close(listener);
}

namespace {

// A server whose adopted links learn their client's location from the proxy.
struct SLocationServer {
  SLocationServer() {
    m_Server.SetPortA(0);
    m_Server.SetClientLocationFromProxy(1);
    m_Server.SetCallbackFunction(Accept, this, 0);
    EXPECT_TRUE(m_Server.Startup() && m_Server.StartListen() && m_Server.NonBlockedStartListenHandler());
  }
  static int32_t Accept(CCommBaseServer* server, void* user, int32_t) {
    auto* self = static_cast<SLocationServer*>(user);
    self->m_pLink = std::make_unique<CCommRemoteClient>();
    self->m_pLink->SetPacketTypes(1, 0);
    self->m_pLink->Startup();
    self->m_Adopted = self->m_pLink->SetConnectFromServer(static_cast<CCommRemoteServer*>(server));
    return self->m_Adopted;
  }
  CCommRemoteServer m_Server;
  std::unique_ptr<CCommRemoteClient> m_pLink;
  int32_t m_Adopted = -1;
};

}  // namespace

TEST_F(TcpLinkTest, AdoptedLinkLearnsWhereTheProxysClientIs) {
  CTestClock clock(5000);
  struct Case {
    const char* what;
    std::string header;
    int32_t adopted;
  };
  CProxyLocation good;
  good.SetLocation("10.1.2.3", 4567);
  std::string bad(reinterpret_cast<const char*>(good.GetData()), PROXY_LOCATION_SIZE);
  bad[0] = 'X';
  std::string noPort(reinterpret_cast<const char*>(good.GetData()), PROXY_LOCATION_SIZE);
  noPort[42] = 0;
  const Case cases[] = {
      {"valid", std::string(reinterpret_cast<const char*>(good.GetData()), PROXY_LOCATION_SIZE), 1},
      {"bad magic", bad, 0},
      {"no port", noPort, 0},
      {"silent", "", 0},
      {"short then gone", "PLOC", 0},
  };
  for (const Case& c : cases) {
    SLocationServer server;
    int peer = RawConnect(static_cast<uint16_t>(server.m_Server.GetPortA()));
    ASSERT_GE(peer, 0);
    if (!c.header.empty()) {
      ASSERT_TRUE(RawWrite(peer, c.header));
    }
    if (std::string(c.what) == "short then gone") shutdown(peer, SHUT_WR);
    ASSERT_EQ(server.m_Server.BlockedHandler(5000), 1) << c.what;
    EXPECT_EQ(server.m_Adopted, c.adopted) << c.what;
    ASSERT_TRUE(server.m_pLink) << c.what;
    EXPECT_EQ(server.m_pLink->IsConnected(), c.adopted) << c.what;
    const char* host = nullptr;
    uint16_t port = 0;
    EXPECT_EQ(server.m_pLink->GetClientLocationFromProxy(host, port), c.adopted) << c.what;
    EXPECT_EQ(server.m_pLink->GetClientLocationFromProxyFlag(), c.adopted) << c.what;
    EXPECT_STREQ(host, c.adopted ? "10.1.2.3" : "") << c.what;
    EXPECT_EQ(port, c.adopted ? 4567 : 0) << c.what;
    close(peer);
  }
}

// ---- the socket wait ----

TEST_F(TcpLinkTest, SocketWaitSleepsWithoutLinks) {
  CTestClock clock(5000);
  xWaitTimeOrSockets(20);
  EXPECT_EQ(clock.Slept(), 20u);
  EXPECT_EQ(glb->m_pWaitOrSocketsCallback, xWaitTimeOrSockets) << "installed by the start-up";
}

TEST_F(TcpLinkTest, SocketWaitReturnsOnDataAndServicesTheLink) {
  // More than 1024 descriptors open, so the link's socket lies beyond what select could watch.
  std::vector<int> filler;
  while (filler.size() < 1100) {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "cannot open enough descriptors";
    filler.push_back(fd);
  }
  SRawFacing facing;
  EXPECT_GT(facing.m_Link.GetSocket(), 1024);
  CCommRemoteServer idle;  // a running server takes part in the wait too
  idle.SetPortA(0);
  ASSERT_TRUE(idle.Startup() && idle.StartListen() && idle.NonBlockedStartListenHandler());
  ASSERT_TRUE(RawWrite(facing.m_Peer, RawPacket("wake up")));
  // With a limit of ten minutes only the data can end the wait.
  xWaitTimeOrSockets(600000);
  EXPECT_EQ(TakeRaw(facing.m_Link), "wake up");
  for (int fd : filler) close(fd);
}

namespace {
std::unique_ptr<SRawFacing> g_Doomed;
int32_t EndTheOtherLink(SXPacket*, SXPacketCNode*, int32_t& deliver) {
  deliver = 1;
  g_Doomed.reset();
  return 1;
}
}  // namespace

TEST_F(TcpLinkTest, SocketWaitSkipsALinkThatAnotherLinksHandlerEnded) {
  // Both links are due; the first one's handler deletes the second mid-wait (a use after free
  // under ASan if the wait still handled it).
  SRawFacing first;
  g_Doomed = std::make_unique<SRawFacing>();
  first.m_Link.SetPacketCallbackRecv(EndTheOtherLink);
  ASSERT_TRUE(RawWrite(g_Doomed->m_Peer, RawPacket("never read")));
  ASSERT_TRUE(RawWrite(first.m_Peer, RawPacket("goodbye")));
  for (int i = 0; i < 100 && g_Doomed; ++i) xWaitTimeOrSockets(100);
  EXPECT_EQ(g_Doomed, nullptr);
  EXPECT_EQ(TakeRaw(first.m_Link), "goodbye");
}

TEST_F(TcpLinkTest, SocketWaitEntriesComeFromThePoolWhenPoolsAreOn) {
  glb->m_PoolFlag = 1;
  SRawFacing facing;
  ASSERT_TRUE(RawWrite(facing.m_Peer, RawPacket("pooled")));
  xWaitTimeOrSockets(600000);
  EXPECT_EQ(TakeRaw(facing.m_Link), "pooled");
  ASSERT_NE(glb->m_pSockWaitPool, nullptr);
  EXPECT_EQ(glb->m_pSockWaitPool->GetNumObjects(), 0) << "the entry stays in use while the link is connected";
  facing.m_Link.Disconnect();
  xWaitTimeOrSockets(0);
  EXPECT_EQ(glb->m_pSockWaitPool->GetNumObjects(), 1) << "the entry went back to the pool";
}

// The kept wait set follows links that come and go, also when a new socket gets an old number.
TEST_F(TcpLinkTest, SocketWaitFollowsALinkThatReconnectsOnTheSameSocketNumber) {
  auto idle = std::make_unique<SRawFacing>();
  SRawFacing busy;
  xWaitTimeOrSockets(0);
  // The idle link's socket number goes to a new connection of the same link.
  const int number = idle->m_Link.GetSocket();
  idle->m_Link.Disconnect();
  ASSERT_EQ(idle->m_Link.Connect(), 1);
  ASSERT_EQ(idle->m_Link.GetSocket(), number);
  const int peer = RawAccept(idle->m_Listener);
  for (int i = 0; i < 100 && !idle->m_Link.IsConnected(); ++i) idle->m_Link.BlockedConnectHandler(100);
  ASSERT_EQ(idle->m_Link.IsConnected(), 1);
  ASSERT_TRUE(RawWrite(peer, RawPacket("again")));
  for (int i = 0; i < 20 && !idle->m_Link.NumRecvQuePackets(); ++i) xWaitTimeOrSockets(100);
  EXPECT_EQ(TakeRaw(idle->m_Link), "again") << "the new socket was registered and serviced";
  // The other link's data ends the wait just as well.
  ASSERT_TRUE(RawWrite(busy.m_Peer, RawPacket("busy")));
  xWaitTimeOrSockets(600000);
  EXPECT_EQ(TakeRaw(busy.m_Link), "busy");
  close(peer);
}
