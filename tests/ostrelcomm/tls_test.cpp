#include "ostrelcomm/tls.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>

#include "commfixture.h"
#include "cryptopeer.h"

namespace {

class TlsTest : public CCommTest {
 protected:
  void SetUp() override {
    CCommTest::SetUp();
    ASSERT_TRUE(m_Cert.Made());
  }
  void TearDown() override {
    xClearCertPassword();
    CCommTest::TearDown();
  }
  CTestCertificate m_Cert;
};

// A client and a server connection on the two ends of a socket pair.
struct STlsPair {
  STlsPair(const std::string& cert, const std::string& key) {
    clientContext = xTlsCreateContext(0, nullptr, nullptr, "test client");
    serverContext = xTlsCreateContext(1, cert.c_str(), key.c_str(), "test server");
    client = xTlsCreateConnection(clientContext, pair.fd[0], 0);
    server = xTlsCreateConnection(serverContext, pair.fd[1], 1);
  }
  ~STlsPair() {
    xTlsFreeConnection(client);
    xTlsFreeConnection(server);
    xTlsFreeContext(clientContext);
    xTlsFreeContext(serverContext);
  }
  bool Ready() const { return client && server; }
  // Moves data from one side to the other, turning both until it has all arrived; what came.
  Bytes Send(bool fromClient, const Bytes& data, uint32_t readSize = 65536) {
    ssl_st* from = fromClient ? client : server;
    ssl_st* to = fromClient ? server : client;
    Bytes got;
    size_t sent = 0;
    for (int turn = 0; turn < 100000 && got.size() < data.size(); ++turn) {
      if (sent < data.size()) {
        const int32_t n = xTlsWrite(from, data.data() + sent, static_cast<uint32_t>(data.size() - sent));
        if (n < 0) break;
        sent += static_cast<size_t>(n);
      }
      Bytes buffer(readSize);
      const int32_t n = xTlsRead(to, buffer.data(), readSize);
      if (n < 0) break;
      got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    }
    return got;
  }

  SSocketPair pair;
  ssl_ctx_st* clientContext = nullptr;
  ssl_ctx_st* serverContext = nullptr;
  ssl_st* client = nullptr;
  ssl_st* server = nullptr;
};

Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(gen());
  return b;
}

}  // namespace

// ---- contexts ----

TEST_F(TlsTest, ContextsNeedNoFilesOnTheClientAndAMatchingPairOnTheServer) {
  ssl_ctx_st* client = xTlsCreateContext(0, nullptr, nullptr, "client");
  EXPECT_NE(client, nullptr);
  xTlsFreeContext(client);

  struct SCase {
    const char* what;
    std::string cert, key;
    bool good;
  };
  const SCase cases[] = {
      {"matching pair", m_Cert.Certificate(), m_Cert.Key(), true},
      {"key of another certificate", m_Cert.Certificate(), m_Cert.OtherKey(), false},
      {"missing certificate", m_Cert.Certificate() + ".none", m_Cert.Key(), false},
      {"missing key", m_Cert.Certificate(), m_Cert.Key() + ".none", false},
      {"key in place of the certificate", m_Cert.Key(), m_Cert.Key(), false},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    ssl_ctx_st* server = xTlsCreateContext(1, c.cert.c_str(), c.key.c_str(), "server");
    EXPECT_EQ(server != nullptr, c.good);
    xTlsFreeContext(server);
  }
  EXPECT_EQ(xTlsCreateContext(1, nullptr, nullptr, "server"), nullptr);
}

TEST_F(TlsTest, AnEncryptedKeyOpensWithTheStoredPassPhraseAndNeverWithAPrompt) {
  const std::string phrase79(79, 'p'), phrase80(80, 'q');
  const std::string key = m_Cert.EncryptedKey("secret"), key79 = m_Cert.EncryptedKey(phrase79),
                    key80 = m_Cert.EncryptedKey(phrase80);
  ASSERT_FALSE(key.empty() || key79.empty() || key80.empty());
  const std::string cert = m_Cert.Certificate();

  // Nothing stored: refused, without waiting for anybody to type.
  EXPECT_EQ(xTlsCreateContext(1, cert.c_str(), key.c_str(), "server"), nullptr);

  EXPECT_EQ(xSetCertPassword("secret"), 1);
  ssl_ctx_st* server = xTlsCreateContext(1, cert.c_str(), key.c_str(), "server");
  EXPECT_NE(server, nullptr);
  xTlsFreeContext(server);

  EXPECT_EQ(xSetCertPassword(phrase79.c_str()), 1);
  server = xTlsCreateContext(1, cert.c_str(), key79.c_str(), "server");
  EXPECT_NE(server, nullptr);
  xTlsFreeContext(server);

  // 80 characters are too many: the old pass phrase stays.
  EXPECT_EQ(xSetCertPassword(phrase80.c_str()), 0);
  EXPECT_EQ(xTlsCreateContext(1, cert.c_str(), key80.c_str(), "server"), nullptr);
  server = xTlsCreateContext(1, cert.c_str(), key79.c_str(), "server");
  EXPECT_NE(server, nullptr);
  xTlsFreeContext(server);
}

TEST_F(TlsTest, ThePassPhraseCanComeFromStandardInput) {
  const std::string key = m_Cert.EncryptedKey("from stdin");
  ASSERT_FALSE(key.empty());
  int in[2];
  ASSERT_EQ(pipe(in), 0);
  const int saved = dup(0);
  dup2(in[0], 0);
  close(in[0]);
  const std::string line = "from stdin\n";
  ASSERT_EQ(write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
  close(in[1]);
  EXPECT_EQ(xGetCertPasswordFromStdIn(), 1);
  dup2(saved, 0);
  close(saved);
  ssl_ctx_st* server = xTlsCreateContext(1, m_Cert.Certificate().c_str(), key.c_str(), "server");
  EXPECT_NE(server, nullptr);
  xTlsFreeContext(server);
}

// ---- connections ----

TEST_F(TlsTest, BothEndsHandshakeAndCarryDataBothWays) {
  STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
  ASSERT_TRUE(tls.Ready());
  EXPECT_STREQ(xTlsCipherName(tls.client), "(NONE)");
  EXPECT_STREQ(xTlsCipherName(nullptr), "(NONE)");
  const Bytes hello = RandomBytes(100, 1);
  EXPECT_EQ(tls.Send(true, hello), hello);
  EXPECT_STRNE(xTlsCipherName(tls.client), "(NONE)");
  EXPECT_STREQ(xTlsCipherName(tls.client), xTlsCipherName(tls.server));
  const Bytes answer = RandomBytes(5000, 2);
  EXPECT_EQ(tls.Send(false, answer), answer);
}

TEST_F(TlsTest, LargeWritesGoOutInPartsAndResumeFromAMovedBuffer) {
  STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
  ASSERT_TRUE(tls.Ready());
  ASSERT_EQ(tls.Send(true, Bytes{1}), Bytes{1});

  // Far more than the socket holds, read slowly.
  const Bytes data = RandomBytes(2000000, 3);
  Bytes got;
  size_t sent = 0;
  bool partial = false, stalled = false;
  for (int turn = 0; turn < 1000000 && got.size() < data.size(); ++turn) {
    if (sent < data.size()) {
      // A fresh copy each time: the retry after a stall comes from another address.
      const Bytes rest(data.begin() + static_cast<long>(sent), data.end());
      const int32_t n = xTlsWrite(tls.client, rest.data(), static_cast<uint32_t>(rest.size()));
      ASSERT_GE(n, 0);
      if (n == 0) stalled = true;
      if (n > 0 && static_cast<size_t>(n) < rest.size()) partial = true;
      sent += static_cast<size_t>(n);
    }
    uint8_t buffer[4000];
    const int32_t n = xTlsRead(tls.server, buffer, sizeof buffer);
    ASSERT_GE(n, 0);
    got.insert(got.end(), buffer, buffer + n);
  }
  EXPECT_TRUE(partial);
  EXPECT_TRUE(stalled);
  EXPECT_EQ(got, data);
}

TEST_F(TlsTest, BytesHeldInsideTheTlsLibraryShowAsPending) {
  STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
  ASSERT_TRUE(tls.Ready());
  ASSERT_EQ(tls.Send(true, Bytes{1}), Bytes{1});
  const Bytes data = RandomBytes(3000, 4);
  ASSERT_EQ(xTlsWrite(tls.server, data.data(), 3000), 3000);
  EXPECT_EQ(xTlsHasPending(tls.client), 0);
  uint8_t buffer[3000];
  int32_t n = 0;
  for (int i = 0; i < 100 && n == 0; ++i) n = xTlsRead(tls.client, buffer, 10);
  ASSERT_EQ(n, 10);
  EXPECT_EQ(xTlsHasPending(tls.client), 1);
  EXPECT_EQ(xTlsRead(tls.client, buffer + 10, 2990), 2990);
  EXPECT_EQ(xTlsHasPending(tls.client), 0);
  EXPECT_EQ(Bytes(buffer, buffer + 3000), data);
  EXPECT_EQ(xTlsHasPending(nullptr), 0);
}

TEST_F(TlsTest, ACleanCloseIsTheEndOfTheSessionAndALostConnectionAFailure) {
  {
    STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
    ASSERT_TRUE(tls.Ready());
    ASSERT_EQ(tls.Send(true, Bytes{1}), Bytes{1});
    xTlsShutdown(tls.server);
    uint8_t buffer[16];
    int32_t n = 0;
    for (int i = 0; i < 100 && n == 0; ++i) n = xTlsRead(tls.client, buffer, sizeof buffer);
    EXPECT_EQ(n, TLS_PEER_CLOSED);
  }
  {
    STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
    ASSERT_TRUE(tls.Ready());
    ASSERT_EQ(tls.Send(true, Bytes{1}), Bytes{1});
    tls.pair.Close(1);
    uint8_t buffer[16];
    EXPECT_EQ(xTlsRead(tls.client, buffer, sizeof buffer), TLS_FAILED);
  }
  {
    // Not TLS at all on the other end.
    STlsPair tls(m_Cert.Certificate(), m_Cert.Key());
    ASSERT_TRUE(tls.Ready());
    WriteAll(tls.pair.fd[1], Bytes(64, 'x'));
    uint8_t buffer[16];
    int32_t n = 0;
    for (int i = 0; i < 100 && n == 0; ++i) n = xTlsRead(tls.client, buffer, sizeof buffer);
    EXPECT_EQ(n, TLS_FAILED);
  }
  // A session that never started shuts down quietly.
  STlsPair fresh(m_Cert.Certificate(), m_Cert.Key());
  xTlsShutdown(fresh.client);
  xTlsShutdown(nullptr);
}
