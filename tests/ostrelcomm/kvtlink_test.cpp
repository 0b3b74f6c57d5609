#include "ostrelcomm/kvtlink.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstring>
#include <random>

#include "commfixture.h"
#include "cryptopeer.h"
#include "ostrel/crypto/blowfish.h"
#include "support/testclock.h"

namespace {

class KvtTest : public CCommTest {};

Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(gen());
  return b;
}

Bytes Marker(const uint8_t* marker) { return Bytes(marker, marker + KVT_MARKER_SIZE); }

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void PutBig(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

uint32_t GetBig(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// A plain frame as the far side would build it.
Bytes PlainFrame(const Bytes& payload, uint32_t pad) {
  Bytes f;
  PutBig(f, static_cast<uint32_t>(payload.size()));
  PutBig(f, pad);
  f.insert(f.end(), payload.begin(), payload.end());
  f.insert(f.end(), pad, 0);
  return f;
}
Bytes PlainFrame(const Bytes& payload) {
  return PlainFrame(payload, KvtPadCount(static_cast<uint32_t>(payload.size())));
}

// The server link at fd[0], a raw client at fd[1] that asks for the link; the session key.
Bytes HandshakeWithRawClient(CKvtLink& server, SSocketPair& pair) {
  WriteAll(pair.fd[1], Marker(kKvtIdMarker));
  EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
  EXPECT_TRUE(server.IsFinished());
  EXPECT_TRUE(server.IsEnabled());
  const Bytes answer = ReadExactly(pair.fd[1], 32);
  EXPECT_EQ(answer.size(), 32u);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 16), Marker(kKvtAckMarker));
  return Bytes(answer.begin() + 16, answer.end());
}

// Everything the link writes until the data is all taken.
void WriteThrough(CKvtLink& link, int fd, const Bytes& data) {
  size_t done = 0;
  while (done < data.size()) {
    const int32_t n = link.Write(fd, data.data() + done, static_cast<uint32_t>(data.size() - done));
    ASSERT_NE(n, -1);
    ASSERT_NE(n, 0);
    if (n > 0) done += static_cast<size_t>(n);
  }
}

// Reads through the link with the given buffer sizes in turn until size bytes came.
Bytes ReadThrough(CKvtLink& link, int fd, size_t size, std::vector<uint32_t> chunks = {12, 1000, 7, 65536}) {
  Bytes out;
  size_t turn = 0;
  for (int idle = 0; out.size() < size && idle < 20000;) {
    uint8_t buffer[65536];
    const uint32_t want = std::min<uint32_t>(chunks[turn++ % chunks.size()], static_cast<uint32_t>(size - out.size()));
    const int32_t n = link.Read(fd, buffer, want);
    if (n > 0) {
      EXPECT_LE(static_cast<uint32_t>(n), want);
      out.insert(out.end(), buffer, buffer + n);
    } else if (n == -2) {
      ++idle;
    } else {
      ADD_FAILURE() << "read gave " << n;
      break;
    }
  }
  return out;
}

// Runs both handshakes until both are done.
void Pump(CKvtLink& a, int fa, CKvtLink& b, int fb) {
  for (int i = 0; i < 100 && !(a.IsFinished() && b.IsFinished()); ++i) {
    ASSERT_EQ(a.Handshake(fa), 0);
    ASSERT_EQ(b.Handshake(fb), 0);
  }
  ASSERT_TRUE(a.IsFinished() && b.IsFinished());
}

}  // namespace

// ---- the cipher ----

TEST(KvtCipher, CbcWithBigEndianWordsEqualsOpenSSLAndTheChainRunsOnAcrossCalls) {
  const Bytes key = RandomBytes(16, 1);
  const Bytes plain = RandomBytes(40016, 2);
  CBlowfish bf;
  ASSERT_EQ(bf.Init(key.data(), 16), 1);

  Bytes ours = plain;
  uint32_t chain[2] = {0, 0};
  // Uneven pieces, as frames of different sizes cut them.
  size_t at = 0;
  for (size_t piece : {8u, 16u, 24u, 16392u, 23576u}) {
    xKvtEncipherCbc(bf, chain, ours.data() + at, static_cast<uint32_t>(piece));
    at += piece;
  }
  ASSERT_EQ(at, plain.size());
  CRefBlowfishCbc reference(key.data(), key.size(), true);
  EXPECT_EQ(ours, reference.Run(plain));

  uint32_t back[2] = {0, 0};
  xKvtDecipherCbc(bf, back, ours.data(), 40);
  xKvtDecipherCbc(bf, back, ours.data() + 40, static_cast<uint32_t>(ours.size() - 40));
  EXPECT_EQ(ours, plain);
}

// ---- frames ----

TEST_F(KvtTest, FramesOnTheWireAreBlowfishCbcOfHeaderPayloadAndPadWithOneChainForTheConnection) {
  SSocketPair pair;
  CKvtLink server(1, 1, 1);
  const Bytes key = HandshakeWithRawClient(server, pair);
  ASSERT_EQ(Bytes(server.GetSessionKey(), server.GetSessionKey() + 16), key);
  CRefBlowfishCbc reference(key.data(), key.size(), false);

  struct SCase {
    uint32_t size;
    std::vector<uint32_t> frames;  // payload of each frame
    uint32_t wire;
  };
  const SCase cases[] = {{8, {8}, 16}, {9, {9}, 24}, {40000, {16384, 16384, 7232}, 3 * 8 + 40000}, {1, {1}, 16}};
  uint32_t seed = 10;
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.size);
    const Bytes payload = RandomBytes(c.size, ++seed);
    WriteThrough(server, pair.fd[0], payload);
    const Bytes wire = ReadExactly(pair.fd[1], c.wire);
    ASSERT_EQ(wire.size(), c.wire);
    EXPECT_TRUE(ReadAvailable(pair.fd[1]).empty());
    // The reference deciphers each case with the chain left by the one before.
    const Bytes plain = reference.Run(wire);
    size_t at = 0, taken = 0;
    for (uint32_t length : c.frames) {
      ASSERT_LE(at + 8, plain.size());
      EXPECT_EQ(GetBig(&plain[at]), length);
      const uint32_t pad = GetBig(&plain[at + 4]);
      EXPECT_EQ(pad, (8 - length % 8) % 8);
      EXPECT_TRUE(std::equal(payload.begin() + taken, payload.begin() + taken + length, plain.begin() + at + 8));
      for (uint32_t i = 0; i < pad; ++i) EXPECT_EQ(plain[at + 8 + length + i], 0);
      at += 8 + length + pad;
      taken += length;
    }
    EXPECT_EQ(at, plain.size());
  }
}

TEST_F(KvtTest, ReaderTakesFramesCutAnywhereAndHandsOutAsMuchAsAsked) {
  SSocketPair pair;
  CKvtLink server(1, 1, 1);
  const Bytes key = HandshakeWithRawClient(server, pair);
  CRefBlowfishCbc reference(key.data(), key.size(), true);

  Bytes expected, wire;
  for (uint32_t size : {9u, 0u, 16384u, 8u, 1u, 5000u}) {
    const Bytes payload = RandomBytes(size, size + 100);
    expected = Concat(expected, payload);
    wire = Concat(wire, reference.Run(PlainFrame(payload)));
  }
  // Written in pieces of 1, 2, 3, ... bytes while the reader keeps asking.
  Bytes got;
  size_t at = 0;
  for (size_t piece = 1; at < wire.size(); ++piece) {
    const size_t n = std::min(piece, wire.size() - at);
    WriteAll(pair.fd[1], wire.data() + at, n);
    at += n;
    uint8_t buffer[12];
    int32_t r;
    while ((r = server.Read(pair.fd[0], buffer, sizeof buffer)) > 0) got.insert(got.end(), buffer, buffer + r);
    ASSERT_EQ(r, -2);
  }
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(server.HasPending());
}

TEST_F(KvtTest, DecipheredBytesNotYetAskedForShowAsPending) {
  SSocketPair pair;
  CKvtLink server(1, 1, 1);
  const Bytes key = HandshakeWithRawClient(server, pair);
  CRefBlowfishCbc reference(key.data(), key.size(), true);
  WriteAll(pair.fd[1], reference.Run(PlainFrame(RandomBytes(100, 3))));
  uint8_t buffer[12];
  EXPECT_EQ(server.Read(pair.fd[0], buffer, 12), 12);
  EXPECT_TRUE(server.HasPending());
  EXPECT_EQ(ReadThrough(server, pair.fd[0], 88).size(), 88u);
  EXPECT_FALSE(server.HasPending());
}

TEST_F(KvtTest, BadFrameHeadersCloseTheLink) {
  struct SCase {
    const char* what;
    uint32_t payload;
    uint32_t pad;
    bool good;
  };
  const SCase cases[] = {
      {"largest payload", 16384, 0, true}, {"payload above 16384", 16385, 7, false},
      {"pad missing", 9, 0, false},        {"pad on a multiple of 8", 16, 8, false},
      {"pad too large", 9, 15, false},     {"huge payload", 0xFFFFFFF8u, 0, false},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    SSocketPair pair;
    CKvtLink server(1, 1, 1);
    const Bytes key = HandshakeWithRawClient(server, pair);
    CRefBlowfishCbc reference(key.data(), key.size(), true);
    Bytes header;
    PutBig(header, c.payload);
    PutBig(header, c.pad);
    WriteAll(pair.fd[1], reference.Run(Concat(header, Bytes(c.good ? c.payload + c.pad : 8, 0x41))));
    uint8_t buffer[64];
    EXPECT_EQ(server.Read(pair.fd[0], buffer, sizeof buffer), c.good ? 64 : -1);
  }
}

TEST_F(KvtTest, ACorruptedHeaderBlockClosesTheLink) {
  SSocketPair pair;
  CKvtLink server(1, 1, 1);
  const Bytes key = HandshakeWithRawClient(server, pair);
  CRefBlowfishCbc reference(key.data(), key.size(), true);
  Bytes wire = reference.Run(PlainFrame(RandomBytes(40, 4)));
  wire[2] ^= 0x10;
  WriteAll(pair.fd[1], wire);
  uint8_t buffer[64];
  EXPECT_EQ(server.Read(pair.fd[0], buffer, sizeof buffer), -1);
}

TEST_F(KvtTest, APeerThatClosesShowsAsClosedAtAFrameBoundaryAndInsideAFrame) {
  for (size_t cut : {size_t(0), size_t(5), size_t(12)}) {
    SCOPED_TRACE(cut);
    SSocketPair pair;
    CKvtLink server(1, 1, 1);
    const Bytes key = HandshakeWithRawClient(server, pair);
    CRefBlowfishCbc reference(key.data(), key.size(), true);
    const Bytes wire = reference.Run(PlainFrame(RandomBytes(40, 5)));
    WriteAll(pair.fd[1], wire.data(), cut);
    pair.Close(1);
    uint8_t buffer[64];
    EXPECT_EQ(server.Read(pair.fd[0], buffer, sizeof buffer), 0);
  }
}

TEST_F(KvtTest, AFrameThatTheSocketTakesInPartsResumesAndReportsItsPayloadOnce) {
  SSocketPair pair;
  pair.SetSmallBuffers();
  CKvtLink client(0, 1, 1), server(1, 1, 1);
  Pump(client, pair.fd[0], server, pair.fd[1]);
  ASSERT_TRUE(client.IsEnabled() && server.IsEnabled());

  const Bytes payload = RandomBytes(16384, 6);
  int32_t r = client.Write(pair.fd[0], payload.data(), 16384);
  EXPECT_EQ(r, -2);
  Bytes got;
  auto drain = [&] {
    uint8_t buffer[4096];
    int32_t n;
    while ((n = server.Read(pair.fd[1], buffer, sizeof buffer)) > 0) got.insert(got.end(), buffer, buffer + n);
    EXPECT_EQ(n, -2);
  };
  for (int turns = 0; r == -2 && turns < 1000; ++turns) {
    drain();
    r = client.Write(pair.fd[0], payload.data(), 16384);
  }
  EXPECT_EQ(r, 16384);
  drain();
  EXPECT_EQ(got, payload);
}

TEST_F(KvtTest, BothEndsOfTheLinkCarryLargeStreamsBothWays) {
  SSocketPair pair;
  CKvtLink client(0, 1, 1), server(1, 1, 1);
  Pump(client, pair.fd[0], server, pair.fd[1]);
  ASSERT_TRUE(client.IsEnabled() && server.IsEnabled());
  EXPECT_EQ(0, std::memcmp(client.GetSessionKey(), server.GetSessionKey(), KVT_KEY_SIZE));

  const Bytes up = RandomBytes(100000, 7), down = RandomBytes(70001, 8);
  Bytes gotUp, gotDown;
  size_t sentUp = 0, sentDown = 0;
  for (int i = 0; i < 100000 && (gotUp.size() < up.size() || gotDown.size() < down.size()); ++i) {
    if (sentUp < up.size()) {
      const int32_t n = client.Write(pair.fd[0], up.data() + sentUp, static_cast<uint32_t>(up.size() - sentUp));
      ASSERT_TRUE(n > 0 || n == -2);
      if (n > 0) sentUp += static_cast<size_t>(n);
    }
    if (sentDown < down.size()) {
      const int32_t n = server.Write(pair.fd[1], down.data() + sentDown, static_cast<uint32_t>(down.size() - sentDown));
      ASSERT_TRUE(n > 0 || n == -2);
      if (n > 0) sentDown += static_cast<size_t>(n);
    }
    uint8_t buffer[3000];
    int32_t n = server.Read(pair.fd[1], buffer, sizeof buffer);
    if (n > 0) gotUp.insert(gotUp.end(), buffer, buffer + n);
    n = client.Read(pair.fd[0], buffer, 777);
    if (n > 0) gotDown.insert(gotDown.end(), buffer, buffer + n);
  }
  EXPECT_EQ(gotUp, up);
  EXPECT_EQ(gotDown, down);
}

// ---- handshake ----

TEST_F(KvtTest, ServerWaitsForAnIdMarkerSplitAtAnyOffset) {
  for (uint32_t split = 1; split < KVT_MARKER_SIZE; ++split) {
    SCOPED_TRACE(split);
    SSocketPair pair;
    CKvtLink server(1, 1, 1);
    WriteAll(pair.fd[1], kKvtIdMarker, split);
    EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
    EXPECT_FALSE(server.IsFinished());
    EXPECT_EQ(server.GetState(), KVT_SERVER_START);
    EXPECT_TRUE(ReadAvailable(pair.fd[1]).empty());
    WriteAll(pair.fd[1], kKvtIdMarker + split, KVT_MARKER_SIZE - split);
    EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
    EXPECT_TRUE(server.IsFinished());
    EXPECT_TRUE(server.IsEnabled());
    const Bytes answer = ReadExactly(pair.fd[1], 32);
    ASSERT_EQ(answer.size(), 32u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 16), Marker(kKvtAckMarker));
    EXPECT_EQ(Bytes(answer.begin() + 16, answer.end()), Bytes(server.GetSessionKey(), server.GetSessionKey() + 16));
  }
}

TEST_F(KvtTest, ClientWaitsForAnAnswerSplitAtAnyOffset) {
  const Bytes key = RandomBytes(16, 9);
  const Bytes answers[] = {Concat(Marker(kKvtAckMarker), key), Marker(kKvtNackMarker)};
  for (const Bytes& answer : answers) {
    const bool ack = answer.size() == 32;
    for (uint32_t split = 1; split < answer.size(); ++split) {
      SCOPED_TRACE(std::string(ack ? "ACK " : "NACK ") + std::to_string(split));
      SSocketPair pair;
      CKvtLink client(0, 1, 1);
      EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
      EXPECT_EQ(ReadExactly(pair.fd[1], 16), Marker(kKvtIdMarker));
      WriteAll(pair.fd[1], answer.data(), split);
      EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
      EXPECT_FALSE(client.IsFinished());
      WriteAll(pair.fd[1], answer.data() + split, answer.size() - split);
      EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
      EXPECT_TRUE(client.IsFinished());
      EXPECT_EQ(client.IsEnabled(), ack ? 1 : 0);
      if (ack) {
        EXPECT_EQ(Bytes(client.GetSessionKey(), client.GetSessionKey() + 16), key);
      }
      // The answer was taken from the stream whole; what follows is the peer's data.
      WriteAll(pair.fd[1], Bytes{'d'});
      EXPECT_EQ(ReadExactly(pair.fd[0], 1), Bytes{'d'});
    }
  }
}

TEST_F(KvtTest, AServerInModeZeroSaysNackAndBothEndsStayPlain) {
  SSocketPair pair;
  CKvtLink client(0, 1, 1), server(1, 0, 1);
  Pump(client, pair.fd[0], server, pair.fd[1]);
  EXPECT_FALSE(client.IsEnabled());
  EXPECT_FALSE(server.IsEnabled());
  WriteAll(pair.fd[1], Bytes{'P', 'C', 'K', 'T'});
  EXPECT_EQ(ReadExactly(pair.fd[0], 4), (Bytes{'P', 'C', 'K', 'T'}));
  EXPECT_TRUE(ReadAvailable(pair.fd[1]).empty());

  SSocketPair raw;
  CKvtLink refusing(1, 0, 1);
  WriteAll(raw.fd[1], Marker(kKvtIdMarker));
  EXPECT_EQ(refusing.Handshake(raw.fd[0]), 0);
  EXPECT_EQ(ReadExactly(raw.fd[1], 16), Marker(kKvtNackMarker));
}

TEST_F(KvtTest, BytesThatAreNoMarkerLeaveTheStreamPlainAndUntouched) {
  struct SCase {
    int32_t server;
    Bytes seen;
  };
  const SCase cases[] = {
      {1, Bytes{'P', 'C', 'K', 'T', 1, 0, 0, 0, 0, 0, 0, 12, 'x', 'y', 'z', 'w'}},
      {1, Bytes{'K', 'V', 'X'}},  // cannot become the marker any more: no need to wait
      {1, Concat(Bytes(kKvtIdMarker, kKvtIdMarker + 15), Bytes{0})},
      {0, Bytes{'P', 'C', 'K', 'T', 1, 0, 0, 0, 0, 0, 0, 12, 'x', 'y', 'z', 'w'}},
      {0, Bytes{'K', 'V', 'T', 'I'}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(std::string(c.seen.begin(), c.seen.end()));
    SSocketPair pair;
    CKvtLink link(c.server, 1, 1);
    if (!c.server) {
      EXPECT_EQ(link.Handshake(pair.fd[0]), 0);
    }
    ReadAvailable(pair.fd[1]);
    WriteAll(pair.fd[1], c.seen);
    EXPECT_EQ(link.Handshake(pair.fd[0]), 0);
    EXPECT_TRUE(link.IsFinished());
    EXPECT_FALSE(link.IsEnabled());
    EXPECT_EQ(ReadExactly(pair.fd[0], c.seen.size()), c.seen);
    EXPECT_TRUE(ReadAvailable(pair.fd[1]).empty());
  }
}

TEST_F(KvtTest, APeerLaterThanTheWindowLeavesTheStreamPlain) {
  CTestClock clock;
  {
    SSocketPair pair;
    CKvtLink server(1, 1, 1);
    EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
    clock.Advance(KVT_HANDSHAKE_WINDOW_MS - 1);
    EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
    EXPECT_FALSE(server.IsFinished());
    clock.Advance(1000);
    WriteAll(pair.fd[1], Marker(kKvtIdMarker));
    EXPECT_EQ(server.Handshake(pair.fd[0]), 0);
    EXPECT_TRUE(server.IsFinished());
    EXPECT_FALSE(server.IsEnabled());
    EXPECT_EQ(ReadExactly(pair.fd[0], 16), Marker(kKvtIdMarker));
  }
  {
    SSocketPair pair;
    CKvtLink client(0, 1, 1);
    EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
    clock.Advance(6000);
    EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
    EXPECT_TRUE(client.IsFinished());
    EXPECT_FALSE(client.IsEnabled());
  }
}

TEST_F(KvtTest, AClientThatHadTheAckButNoKeyInTimeEndsTheConnection) {
  CTestClock clock;
  SSocketPair pair;
  CKvtLink client(0, 1, 1);
  EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
  WriteAll(pair.fd[1], Concat(Marker(kKvtAckMarker), Bytes(5, 1)));
  EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
  EXPECT_EQ(client.GetState(), KVT_CLIENT_WAIT_KEY);
  clock.Advance(KVT_HANDSHAKE_WINDOW_MS);
  EXPECT_EQ(client.Handshake(pair.fd[0]), -1);
}

TEST_F(KvtTest, ALinkThatIsNotEnabledFinishesPlainAtOnceAndSendsNothing) {
  SSocketPair pair;
  CKvtLink client(0, 1, 0);
  EXPECT_EQ(client.Handshake(pair.fd[0]), 0);
  EXPECT_TRUE(client.IsFinished());
  EXPECT_FALSE(client.IsEnabled());
  EXPECT_TRUE(ReadAvailable(pair.fd[1]).empty());
}

TEST_F(KvtTest, APeerThatClosesDuringTheHandshakeIsASocketError) {
  for (int32_t server : {0, 1}) {
    SSocketPair pair;
    CKvtLink link(server, 1, 1);
    EXPECT_EQ(link.Handshake(pair.fd[0]), 0);
    pair.Close(1);
    EXPECT_EQ(link.Handshake(pair.fd[0]), -1);
  }
}

TEST_F(KvtTest, EveryConnectionGetsItsOwnSessionKey) {
  SSocketPair a, b;
  CKvtLink sa(1, 1, 1), sb(1, 1, 1);
  EXPECT_NE(HandshakeWithRawClient(sa, a), HandshakeWithRawClient(sb, b));
}
