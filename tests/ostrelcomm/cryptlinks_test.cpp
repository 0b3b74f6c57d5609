// Links under TLS and the KVT link: against the openssl program as the far side and against each
// other, through a relay that cuts the stream into one-byte segments.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <random>
#include <string>

#include "commfixture.h"
#include "cryptopeer.h"
#include "ostrel/base/types.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/kvtlink.h"
#include "ostrelcomm/socket.h"
#include "ostrelcomm/tls.h"
#include "rawpeer.h"
#include "support/spawnedchild.h"
#include "support/testclock.h"

namespace {

class CryptLinkTest : public CCommTest {
 protected:
  void SetUp() override {
    CCommTest::SetUp();
    ASSERT_TRUE(m_Cert.Made());
  }
  void TearDown() override {
    xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
    CCommTest::TearDown();
  }
  CTestCertificate m_Cert;
};

Bytes Pattern(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(gen());
  return b;
}

Bytes RawPacketBytes(const Bytes& payload) {
  SXPacket* packet =
      BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, payload.data(), static_cast<uint32_t>(payload.size()));
  uint32_t size = 0;
  packet->GetPacketSize(size);
  const auto* p = reinterpret_cast<const uint8_t*>(packet);
  Bytes bytes(p, p + size);
  xFree(packet);
  return bytes;
}

Bytes TakeRaw(CCommBase& link) {
  void* data = nullptr;
  uint32_t size = 0;
  if (!link.RecvRawData(data, size)) return Bytes{'<', 'n', 'o', 'n', 'e', '>'};
  Bytes bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  xFree(data);
  return bytes;
}

// What the diagnostics said while f ran.
std::string Diagnostics(const std::function<void()>& f) {
  xSetDiagnostics(1);
  ::testing::internal::CaptureStderr();
  f();
  std::string said = ::testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  return said;
}

// Runs the handlers until cond holds or the rounds run out.
template <class Cond>
bool PumpUntil(const std::vector<CCommRemoteClient*>& links, Cond cond, int rounds = 20000) {
  for (int i = 0; i < rounds && !cond(); ++i)
    for (CCommRemoteClient* link : links)
      if (link && link->IsConnected()) link->BlockedHandler(1);
  return cond();
}

// A remote client, started, that connects to 127.0.0.1:port, with TLS when asked.
struct SClient {
  explicit SClient(int32_t tls) {
    link.SetPacketTypes(1, 0);
    link.SetEncryption(tls);
    EXPECT_EQ(link.Startup(), 1);
  }
  bool Connect(uint16_t port) {
    link.SetRemoteLocation("127.0.0.1", port);
    if (!link.Connect()) return false;
    for (int i = 0; i < 100 && !link.IsConnected(); ++i)
      if (!link.BlockedConnectHandler(100)) return false;
    return link.IsConnected() != 0;
  }
  CCommRemoteClient link;
};

// A remote server on a port of the system's choice whose accept callback adopts each connection
// into a fresh client link.
struct SServer {
  SServer() {
    server.SetPortA(0);
    server.SetCallbackFunction(Accept, this, 0);
    EXPECT_TRUE(server.Startup() && server.StartListen() && server.NonBlockedStartListenHandler());
  }
  static int32_t Accept(CCommBaseServer* s, void* user, int32_t) {
    auto* self = static_cast<SServer*>(user);
    auto link = std::make_unique<CCommRemoteClient>();
    link->SetPacketTypes(1, 0);
    link->Startup();
    const int32_t adopted = link->SetConnectFromServer(static_cast<CCommRemoteServer*>(s));
    ++self->offered;
    if (adopted) self->accepted = std::move(link);
    return adopted;
  }
  uint16_t Port() { return static_cast<uint16_t>(server.GetPortA()); }
  // Accepts until a link was adopted (or offered, when adopted is false), turning the client too.
  bool AcceptFrom(SClient* client, bool adopted = true) {
    for (int i = 0; i < 200 && !(adopted ? accepted != nullptr : offered > 0); ++i) {
      server.BlockedHandler(20);
      if (client && client->link.IsConnected()) client->link.BlockedHandler(1);
    }
    return adopted ? accepted != nullptr : offered > 0;
  }
  CCommRemoteServer server;
  std::unique_ptr<CCommRemoteClient> accepted;
  int offered = 0;
};

// openssl s_server or s_client in quiet mode: its standard input goes to the TLS peer and what
// the peer sends comes out on its standard output.
struct SOpenssl {
  bool StartServer(const CTestCertificate& cert) {
    port = ClosedPort();
    return process.StartSystemProgram("openssl", {"s_server", "-quiet", "-accept", "127.0.0.1:" + std::to_string(port),
                                                  "-cert", cert.Certificate(), "-key", cert.Key(), "-naccept", "1"}) &&
           WaitForListener(port);
  }
  bool StartClient(uint16_t target) {
    return process.StartSystemProgram(
        "openssl", {"s_client", "-quiet", "-no_ign_eof", "-connect", "127.0.0.1:" + std::to_string(target)});
  }
  CSpawnedChild process;
  uint16_t port = 0;
};

// Sends packets of these payloads on the link and checks that the peer's output shows them, then
// has the peer send the same packets back.
void ExchangeWithOpenssl(CCommRemoteClient& link, SOpenssl& peer, const std::vector<Bytes>& payloads) {
  Bytes expected;
  for (const Bytes& payload : payloads) {
    ASSERT_EQ(link.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    const Bytes packet = RawPacketBytes(payload);
    expected.insert(expected.end(), packet.begin(), packet.end());
  }
  ASSERT_TRUE(PumpUntil({&link}, [&] { return link.IsFlushed() != 0; }));
  const std::string sent(expected.begin(), expected.end());
  const std::string out = peer.process.ReadBytes(sent.size(), 10000);
  ASSERT_EQ(out.size(), sent.size());
  EXPECT_TRUE(out == sent);

  ASSERT_TRUE(peer.process.Write(sent));
  ASSERT_TRUE(PumpUntil({&link}, [&] { return link.NumRecvQuePackets() == static_cast<int32_t>(payloads.size()); }));
  for (const Bytes& payload : payloads) EXPECT_TRUE(TakeRaw(link) == payload);
}

// One of our TLS ends facing openssl through a relay that passes one byte per segment: our client
// link before s_server, or the link our server adopted before s_client. The session carries
// packets both ways, then openssl ends it, in order (its input ends, so it sends the close notice)
// or abruptly (killed). An orderly end closes the link without a TLS error; an abrupt one fails it.
void RunOpensslSession(bool ourServer, bool orderly, const CTestCertificate& cert) {
  SCOPED_TRACE(std::string(ourServer ? "our server" : "our client") + (orderly ? ", orderly end" : ", abrupt end"));
  SOpenssl peer;
  std::unique_ptr<SServer> server;
  std::unique_ptr<SClient> client;
  std::unique_ptr<CSegmentRelay> relay;
  CCommRemoteClient* link = nullptr;
  if (ourServer) {
    server = std::make_unique<SServer>();
    ASSERT_EQ(server->server.SetEncryption(1, cert.Certificate().c_str(), cert.Key().c_str()), 1);
    relay = std::make_unique<CSegmentRelay>(server->Port(), 1);
    ASSERT_TRUE(peer.StartClient(relay->Port()));
    ASSERT_TRUE(server->AcceptFrom(nullptr));
    link = server->accepted.get();
  } else {
    ASSERT_TRUE(peer.StartServer(cert));
    relay = std::make_unique<CSegmentRelay>(peer.port, 1);
    client = std::make_unique<SClient>(1);
    ASSERT_TRUE(client->Connect(relay->Port()));
    link = &client->link;
  }
  const std::vector<Bytes> payloads = {Bytes(), Bytes{'h', 'e', 'l', 'l', 'o'}, Pattern(70000, 1)};
  ExchangeWithOpenssl(*link, peer, payloads);
  EXPECT_STRNE(xGetSocketCipherName(link->GetCryptData()), "(NONE)");

  const std::string said = Diagnostics([&] {
    if (orderly)
      peer.process.CloseInput();
    else
      peer.process.Kill(SIGKILL);
    EXPECT_TRUE(PumpUntil({link}, [&] { return !link->IsConnected(); }));
  });
  EXPECT_EQ(link->GetSocket(), -1);
  if (orderly) {
    EXPECT_NE(said.find("the peer closed the connection"), std::string::npos) << said;
    EXPECT_EQ(said.find("TLS read failed"), std::string::npos) << said;
    EXPECT_EQ(peer.process.Wait(), 0);
  } else {
    EXPECT_NE(said.find("TLS read failed"), std::string::npos) << said;
  }
}

}  // namespace

// ---- against openssl ----

TEST_F(CryptLinkTest, TlsClientLinkTalksToOpensslServerInOneByteSegments) {
  for (bool orderly : {true, false}) RunOpensslSession(false, orderly, m_Cert);
}

TEST_F(CryptLinkTest, TlsServerTalksToOpensslClientInOneByteSegments) {
  for (bool orderly : {true, false}) RunOpensslSession(true, orderly, m_Cert);
}

// ---- our own ends ----

TEST_F(CryptLinkTest, TlsLinksCarryLargePacketsBothWaysDirectAndInOneByteSegments) {
  for (size_t segment : {size_t(0), size_t(1)}) {
    SCOPED_TRACE(segment);
    SServer server;
    ASSERT_EQ(server.server.SetEncryption(1, m_Cert.Certificate().c_str(), m_Cert.Key().c_str()), 1);
    std::unique_ptr<CSegmentRelay> relay;
    if (segment) relay = std::make_unique<CSegmentRelay>(server.Port(), segment);
    SClient client(1);
    ASSERT_TRUE(client.Connect(relay ? relay->Port() : server.Port()));
    ASSERT_TRUE(server.AcceptFrom(&client));
    CCommRemoteClient& a = client.link;
    CCommRemoteClient& b = *server.accepted;
    // Beyond what one transfer of the framing takes, and beyond many TLS records.
    const Bytes big = Pattern(segment ? 300000 : 1100000, 2);
    for (const Bytes& payload : {Bytes(), Bytes{1, 2, 3}, big}) {
      ASSERT_EQ(a.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
      ASSERT_EQ(b.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
      ASSERT_TRUE(PumpUntil({&a, &b}, [&] { return a.NumRecvQuePackets() == 1 && b.NumRecvQuePackets() == 1; }));
      EXPECT_TRUE(TakeRaw(a) == payload);
      EXPECT_TRUE(TakeRaw(b) == payload);
    }
    EXPECT_STREQ(xGetSocketCipherName(a.GetCryptData()), xGetSocketCipherName(b.GetCryptData()));
    // Our side's disconnect sends the close notice: the far side sees an orderly end.
    const std::string said = Diagnostics([&] {
      a.Disconnect();
      EXPECT_TRUE(PumpUntil({&b}, [&] { return !b.IsConnected(); }));
    });
    EXPECT_EQ(said.find("TLS read failed"), std::string::npos) << said;
  }
}

TEST_F(CryptLinkTest, AServerWhoseKeyIsNotItsCertificatesTakesNoConnection) {
  SServer server;
  ASSERT_EQ(server.server.SetEncryption(1, m_Cert.Certificate().c_str(), m_Cert.OtherKey().c_str()), 1);
  SClient client(1);
  ASSERT_TRUE(client.Connect(server.Port()));
  const std::string said = Diagnostics([&] { EXPECT_TRUE(server.AcceptFrom(&client, false)); });
  EXPECT_EQ(server.accepted, nullptr);
  EXPECT_NE(said.find("Unable to get encryption data from server object"), std::string::npos) << said;
  EXPECT_TRUE(PumpUntil({&client.link}, [&] { return !client.link.IsConnected(); }));
}

TEST_F(CryptLinkTest, EncryptionNeedsAStartedStateAndTheRightFiles) {
  SCryptData unstarted;
  EXPECT_EQ(xSetClientEncryption(nullptr), 0);
  EXPECT_EQ(xSetClientEncryption(&unstarted), 0);
  EXPECT_EQ(xSetServerEncryption(&unstarted, m_Cert.Certificate().c_str(), m_Cert.Key().c_str()), 0);

  SCryptData crypt;
  int32_t count = 0;
  ASSERT_EQ(xStartupSockets(count, 1, &crypt), 1);
  EXPECT_EQ(xSetClientEncryption(&crypt), 1);
  EXPECT_EQ(crypt.m_Kind, SOCKET_CRYPT_TLS);
  EXPECT_NE(crypt.m_pTlsContext, nullptr);
  EXPECT_EQ(xSetEncryption(&crypt, m_Cert.Certificate().c_str(), nullptr, 0), 0);
  EXPECT_EQ(xSetEncryption(&crypt, m_Cert.Certificate().c_str(), nullptr, 1), 0);
  EXPECT_EQ(xSetServerEncryption(&crypt, m_Cert.Certificate().c_str(), m_Cert.OtherKey().c_str()), 0);
  EXPECT_EQ(xSetServerEncryption(&crypt, m_Cert.Certificate().c_str(), m_Cert.Key().c_str()), 1);
  EXPECT_STREQ(crypt.m_pCertificateFile, m_Cert.Certificate().c_str());
  EXPECT_STREQ(crypt.m_pKeyFile, m_Cert.Key().c_str());
  EXPECT_EQ(xClosedownSockets(count, &crypt), 1);
  EXPECT_EQ(crypt.m_Kind, 0);
  EXPECT_EQ(crypt.m_pTlsContext, nullptr);
}

TEST_F(CryptLinkTest, ATlsClientNeverSpeaksPlainToAPlainPeer) {
  uint16_t port = 0;
  const int listener = RawListen(port);
  SClient client(1);
  ASSERT_TRUE(client.Connect(port));
  const int peer = RawAccept(listener);
  ASSERT_GE(peer, 0);
  client.link.SendRawData("plain?", 6);
  PumpUntil({&client.link}, [&] { return Pending(peer) > 0; });
  const std::string hello = RawRead(peer, 1);
  EXPECT_EQ(hello, "\x16");  // a TLS handshake record, no packet
  const Bytes packet = RawPacketBytes(Bytes{'p'});
  ASSERT_TRUE(RawWrite(peer, std::string(packet.begin(), packet.end())));
  EXPECT_TRUE(PumpUntil({&client.link}, [&] { return !client.link.IsConnected(); }));
  EXPECT_EQ(client.link.NumRecvQuePackets(), 0);
  close(peer);
  close(listener);
}

TEST_F(CryptLinkTest, APlainLinkAfterATlsOneSpeaksPlainAgain) {
  SServer tlsServer;
  ASSERT_EQ(tlsServer.server.SetEncryption(1, m_Cert.Certificate().c_str(), m_Cert.Key().c_str()), 1);
  SClient client(1);
  ASSERT_TRUE(client.Connect(tlsServer.Port()));
  ASSERT_TRUE(tlsServer.AcceptFrom(&client));
  client.link.Disconnect();

  SServer plainServer;
  client.link.SetEncryption(0);
  ASSERT_TRUE(client.Connect(plainServer.Port()));
  ASSERT_TRUE(plainServer.AcceptFrom(&client));
  ASSERT_EQ(client.link.SendRawData("plain", 5), 1);
  ASSERT_TRUE(PumpUntil({&client.link, plainServer.accepted.get()},
                        [&] { return plainServer.accepted->NumRecvQuePackets() == 1; }));
  EXPECT_TRUE(TakeRaw(*plainServer.accepted) == (Bytes{'p', 'l', 'a', 'i', 'n'}));
}

// ---- the KVT link under the links ----

TEST_F(CryptLinkTest, KvtLinksCarryPacketsAsBlowfishCbcFramesOfTheSessionKey) {
  SServer server;
  ASSERT_EQ(xSetServerKVTEncryption(server.server.GetCryptData(), 1), 1);
  CSegmentRelay relay(server.Port(), 1);
  SClient client(0);
  ASSERT_EQ(xSetClientKVTEncryption(client.link.GetCryptData(), 1), 1);
  ASSERT_TRUE(client.Connect(relay.Port()));
  ASSERT_TRUE(server.AcceptFrom(&client));
  CCommRemoteClient& a = client.link;
  CCommRemoteClient& b = *server.accepted;

  Bytes stream;
  for (const Bytes& payload : {Bytes{'k'}, Pattern(40000, 3), Bytes()}) {
    ASSERT_EQ(a.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    ASSERT_EQ(b.SendRawData(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    ASSERT_TRUE(PumpUntil({&a, &b}, [&] { return a.NumRecvQuePackets() == 1 && b.NumRecvQuePackets() == 1; }));
    EXPECT_TRUE(TakeRaw(a) == payload);
    EXPECT_TRUE(TakeRaw(b) == payload);
    const Bytes packet = RawPacketBytes(payload);
    stream.insert(stream.end(), packet.begin(), packet.end());
  }
  ASSERT_TRUE(a.GetCryptData()->m_KvtFlag && b.GetCryptData()->m_KvtFlag);
  const auto* kvt = dynamic_cast<const CKvtLink*>(b.GetCryptData()->m_pKvtLink);
  ASSERT_NE(kvt, nullptr);
  ASSERT_NE(kvt->GetSessionKey(), nullptr);

  // What went up the wire: the ID marker, then frames that OpenSSL's Blowfish-CBC deciphers, with
  // one chain for the whole connection.
  const Bytes wire = relay.Upstream();
  ASSERT_GT(wire.size(), KVT_MARKER_SIZE);
  EXPECT_TRUE(std::equal(kKvtIdMarker, kKvtIdMarker + KVT_MARKER_SIZE, wire.begin()));
  ASSERT_EQ((wire.size() - KVT_MARKER_SIZE) % 8, 0u);
  CRefBlowfishCbc reference(kvt->GetSessionKey(), KVT_KEY_SIZE, false);
  const Bytes plain = reference.Run(Bytes(wire.begin() + KVT_MARKER_SIZE, wire.end()));
  Bytes carried;
  for (size_t at = 0; at < plain.size();) {
    ASSERT_LE(at + 8, plain.size());
    const uint32_t length =
        uint32_t(plain[at]) << 24 | uint32_t(plain[at + 1]) << 16 | plain[at + 2] << 8 | plain[at + 3];
    const uint32_t pad =
        uint32_t(plain[at + 4]) << 24 | uint32_t(plain[at + 5]) << 16 | plain[at + 6] << 8 | plain[at + 7];
    ASSERT_LE(length, KVT_MAX_PAYLOAD);
    ASSERT_EQ(pad, KvtPadCount(length));
    carried.insert(carried.end(), plain.begin() + static_cast<long>(at) + 8,
                   plain.begin() + static_cast<long>(at + 8 + length));
    at += 8 + length + pad;
  }
  EXPECT_TRUE(carried == stream);
}

// ---- the KVT link in the socket layer ----

namespace {

// Two started socket states on the ends of a socket pair.
struct SCryptPair {
  SCryptPair() {
    xStartupSockets(count[0], 1, &crypt[0]);
    xStartupSockets(count[1], 0, &crypt[1]);
    sock[0] = dup(pair.fd[0]);
    sock[1] = dup(pair.fd[1]);
  }
  ~SCryptPair() {
    for (int i = 0; i < 2; ++i) {
      int connected = this->connected[i];
      xDisconnectSocket(sock[i], connected, &crypt[i]);
    }
  }
  // One step of the socket layer on side i: writes what is given, reads up to readTarget.
  int32_t Step(int i, const Bytes& write, uint32_t& written, Bytes& read, uint32_t& readFill) {
    return xSocketHandler(sock[i], connected[i], read.data(), readFill, static_cast<uint32_t>(read.size()),
                          write.empty() ? nullptr : write.data(), written, static_cast<uint32_t>(write.size()),
                          &crypt[i]);
  }
  // Sends data from side from to the other side through the layer; what arrived.
  Bytes Carry(int from, const Bytes& data, uint32_t readSize) {
    uint32_t written = 0, none = 0, fill = 0, ignored = 0;
    Bytes read(data.size());
    Bytes nothing;
    for (int i = 0; i < 5000 && fill < data.size(); ++i) {
      if (!Step(from, data, written, nothing, none)) break;
      Bytes window(std::min<size_t>(readSize, data.size() - fill));
      uint32_t got = 0;
      if (!Step(1 - from, nothing, ignored, window, got)) break;
      std::copy(window.begin(), window.begin() + got, read.begin() + fill);
      fill += got;
    }
    read.resize(fill);
    return read;
  }
  SSocketPair pair;
  SCryptData crypt[2];
  int32_t count[2] = {0, 0};
  int sock[2] = {-1, -1};
  int connected[2] = {1, 1};
};

}  // namespace

TEST_F(CryptLinkTest, SocketLayerRunsTheKvtHandshakeAndThenCarriesFrames) {
  SCryptPair pair;
  ASSERT_EQ(xSetClientKVTEncryption(&pair.crypt[0], 1), 1);
  ASSERT_EQ(xSetServerKVTEncryption(&pair.crypt[1], 1), 1);
  const Bytes up = Pattern(40000, 4), down = Pattern(9, 5);
  EXPECT_TRUE(pair.Carry(0, up, 5000) == up);
  EXPECT_TRUE(pair.Carry(1, down, 12) == down);
  EXPECT_EQ(pair.crypt[0].m_KvtFlag, 1);
  EXPECT_EQ(pair.crypt[1].m_KvtFlag, 1);

  // Bytes deciphered beyond what was asked for wait inside the link, and the wait knows.
  Bytes nothing, one(1);
  uint32_t written = 0, none = 0, fill = 0;
  const Bytes more = Pattern(100, 6);
  ASSERT_EQ(pair.Step(0, more, written, nothing, none), 1);
  ASSERT_EQ(written, 100u);
  EXPECT_EQ(xSocketHasPending(&pair.crypt[1]), 0);
  for (int i = 0; i < 100 && fill == 0; ++i) pair.Step(1, nothing, none, one, fill);
  ASSERT_EQ(fill, 1u);
  EXPECT_EQ(xSocketHasPending(&pair.crypt[1]), 1);
}

TEST_F(CryptLinkTest, SocketLayerStaysPlainAfterANack) {
  SCryptPair pair;
  ASSERT_EQ(xSetClientKVTEncryption(&pair.crypt[0], 1), 1);
  ASSERT_EQ(xSetServerKVTEncryption(&pair.crypt[1], 0), 1);
  const Bytes data = Pattern(100, 7);
  EXPECT_TRUE(pair.Carry(0, data, 100) == data);
  EXPECT_TRUE(pair.Carry(1, data, 100) == data);
  EXPECT_EQ(pair.crypt[0].m_pKvtLink, nullptr);
  EXPECT_EQ(pair.crypt[1].m_pKvtLink, nullptr);
}

TEST_F(CryptLinkTest, SocketLayerLeavesALatePeerPlainWithItsBytesInTheStream) {
  CTestClock clock;
  SCryptPair pair;
  ASSERT_EQ(xSetServerKVTEncryption(&pair.crypt[1], 1), 1);
  clock.Advance(6000);
  WriteAll(pair.pair.fd[0], kKvtIdMarker, KVT_MARKER_SIZE);
  Bytes nothing, read(16);
  uint32_t none = 0, fill = 0;
  for (int i = 0; i < 10 && fill < 16; ++i) ASSERT_EQ(pair.Step(1, nothing, none, read, fill), 1);
  EXPECT_TRUE(read == Bytes(kKvtIdMarker, kKvtIdMarker + KVT_MARKER_SIZE));
  EXPECT_EQ(pair.crypt[1].m_pKvtLink, nullptr);
}

TEST_F(CryptLinkTest, SocketLayerClosesOnACorruptedFrameHeader) {
  SCryptPair pair;
  ASSERT_EQ(xSetServerKVTEncryption(&pair.crypt[1], 1), 1);
  // The far side is raw: it asks for the link and takes the key.
  WriteAll(pair.pair.fd[0], kKvtIdMarker, KVT_MARKER_SIZE);
  Bytes nothing, read(16);
  uint32_t none = 0, fill = 0;
  ASSERT_EQ(pair.Step(1, nothing, none, read, fill), 1);
  const Bytes answer = ReadExactly(pair.pair.fd[0], 32);
  ASSERT_EQ(answer.size(), 32u);
  CRefBlowfishCbc reference(answer.data() + 16, KVT_KEY_SIZE, true);
  Bytes frame = {0, 0, 0x40, 1, 0, 0, 0, 7};  // 16385 payload bytes: too many
  frame.resize(8 + 32, 'z');
  WriteAll(pair.pair.fd[0], reference.Run(frame));
  int32_t r = 1;
  for (int i = 0; i < 10 && r == 1 && pair.sock[1] >= 0; ++i) r = pair.Step(1, nothing, none, read, fill);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(pair.sock[1], -1);
  EXPECT_EQ(pair.connected[1], 0);
}
