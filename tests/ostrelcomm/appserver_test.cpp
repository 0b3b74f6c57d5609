// The application-server client (documents over a socket, plain or TLS) and the cluster lookup
// against a cluster server in another process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "commfixture.h"
#include "cryptopeer.h"
#include "ostrel/base/types.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/appserverclient.h"
#include "rawpeer.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

TEST(AppServerDocument, IsCompleteOnceTheRootElementCloses) {
  struct SCase {
    const char* text;
    int32_t complete;
    const char* root;  // null: none found
  };
  const SCase cases[] = {
      {"<?xml version=\"1.0\"?><reply><a>1</a></reply>", 1, "reply"},
      {"<?xml version=\"1.0\"?><reply><a>1</a>", 0, "reply"},
      {"<?xml version=\"1.0\"?><reply><a>1</a></repl", 0, "reply"},
      {"<!-- note --><reply>x</reply>\r\n", 1, "reply"},
      {"<reply id=\"7\">x</reply>", 1, "reply"},
      {"<reply/>", 1, "reply"},
      {"<reply>x</replyx>", 0, "reply"},
      {"<reply>x</reply", 0, "reply"},
      {"<?xml version=\"1.0\"?>", 0, nullptr},
      {"<repl", 0, nullptr},
      {"", 0, nullptr},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.text);
    char* root = nullptr;
    EXPECT_EQ(xAppServerDocumentComplete(c.text, static_cast<uint32_t>(std::strlen(c.text)), root), c.complete);
    if (c.root) {
      ASSERT_NE(root, nullptr);
      EXPECT_STREQ(root, c.root);
    } else {
      EXPECT_EQ(root, nullptr);
    }
    xFree(root);
  }
}

class AppServerTest : public CCommTest {
 protected:
  void SetUp() override {
    CCommTest::SetUp();
    m_Listener = RawListen(m_Port);
    ASSERT_GE(m_Listener, 0);
  }
  void TearDown() override {
    m_Client.Exit();
    if (m_Peer >= 0) close(m_Peer);
    if (m_Listener >= 0) close(m_Listener);
    CCommTest::TearDown();
  }
  void ConnectPlain() {
    ASSERT_EQ(m_Client.Init(1, 0, 20), 1);
    ASSERT_EQ(m_Client.Connect("127.0.0.1", m_Port, 0), 1);
    m_Peer = RawAccept(m_Listener);
    ASSERT_GE(m_Peer, 0);
  }
  // ReceiveData until a document is whole, the call fails, or the rounds run out: the last result.
  int32_t ReceiveUntilComplete(int32_t& complete, int rounds = 500) {
    int32_t r = 1;
    complete = 0;
    for (int i = 0; i < rounds && r && !complete; ++i) r = m_Client.ReceiveData(complete);
    return r;
  }
  CAppServerCommClient m_Client;
  uint16_t m_Port = 0;
  int m_Listener = -1, m_Peer = -1;
};

TEST_F(AppServerTest, ExchangesDocumentsThatArriveInParts) {
  ConnectPlain();
  const std::string request = "<request><login user=\"a\"/></request>";
  ASSERT_EQ(m_Client.SetSendBuffer(request.data(), static_cast<uint32_t>(request.size())), 1);
  int32_t complete = 0;
  for (int i = 0; i < 100 && !complete; ++i) ASSERT_EQ(m_Client.SendData(complete), 1);
  EXPECT_EQ(RawRead(m_Peer, request.size()), request);

  // A processing instruction, then a root named reply: whole only with its closing tag.
  ASSERT_TRUE(RawWrite(m_Peer, "<?xml version=\"1.0\"?>\n<reply><balance>10</balance></re"));
  EXPECT_EQ(ReceiveUntilComplete(complete, 20), 1);
  EXPECT_EQ(complete, 0);
  EXPECT_STREQ(m_Client.GetRootName(), "reply");
  ASSERT_TRUE(RawWrite(m_Peer, "ply>"));
  EXPECT_EQ(ReceiveUntilComplete(complete), 1);
  EXPECT_EQ(complete, 1);
  EXPECT_STREQ(m_Client.GetPacket(), "<?xml version=\"1.0\"?>\n<reply><balance>10</balance></reply>");

  // A document larger than the first buffer grows it.
  ASSERT_EQ(m_Client.PrepareBuffers(), 1);
  const std::string big = "<big>" + std::string(5000, 'x') + "</big>";
  ASSERT_TRUE(RawWrite(m_Peer, big));
  EXPECT_EQ(ReceiveUntilComplete(complete), 1);
  EXPECT_EQ(complete, 1);
  EXPECT_EQ(m_Client.GetReceivedSize(), big.size());
  EXPECT_EQ(std::string(m_Client.GetPacket()), big);
}

TEST_F(AppServerTest, AFullBufferWithoutADocumentFailsInsteadOfWaiting) {
  ConnectPlain();
  ASSERT_TRUE(RawWrite(m_Peer, "<reply>" + std::string(APPSERVER_MAX_DOCUMENT + 1000, 'x')));
  int32_t complete = 0;
  EXPECT_EQ(ReceiveUntilComplete(complete, 5000), 0);
  EXPECT_EQ(complete, 0);
  EXPECT_EQ(m_Client.GetReceivedSize(), APPSERVER_MAX_DOCUMENT);
}

TEST_F(AppServerTest, RefusesWhatItCannotTake) {
  ASSERT_EQ(m_Client.Init(0, 0, 0), 1);
  EXPECT_EQ(m_Client.Connect(nullptr, m_Port, 0), 0);
  EXPECT_EQ(m_Client.Connect("", m_Port, 0), 0);
  EXPECT_EQ(m_Client.Attach(-1, 0, nullptr), 0);
  const std::string limit(APPSERVER_MAX_DOCUMENT, 'x');
  EXPECT_EQ(m_Client.SetSendBuffer(limit.data(), APPSERVER_MAX_DOCUMENT), 0);
  EXPECT_EQ(m_Client.SetSendBuffer(limit.data(), APPSERVER_MAX_DOCUMENT - 1), 1);
  EXPECT_EQ(m_Client.GetSendSize(), APPSERVER_MAX_DOCUMENT - 1);
  int32_t complete = 0;
  EXPECT_EQ(m_Client.ReceiveData(complete), 0);
  // An encrypted attach needs the key file.
  const int client = RawConnect(m_Port);
  CAppServerCommClient server;
  ASSERT_EQ(server.Init(0, 0, 0), 1);
  EXPECT_EQ(server.Attach(RawAccept(m_Listener), 1, "/nonexistent/key.pem"), 0);
  close(client);
}

TEST_F(AppServerTest, TalksTlsWithAnAttachedServerSocket) {
  CTestCertificate cert;
  ASSERT_TRUE(cert.Made());
  CTempDir dir;
  const std::string both = dir.File("both.pem");
  WriteWholeFile(both, ReadWholeFile(cert.Certificate()) + ReadWholeFile(cert.Key()));
  ASSERT_EQ(m_Client.Init(0, 0, 2000), 1);
  ASSERT_EQ(m_Client.Connect("127.0.0.1", m_Port, 1), 1);
  CAppServerCommClient server;
  ASSERT_EQ(server.Init(1, 0, 5), 1);
  ASSERT_EQ(server.Attach(RawAccept(m_Listener), 1, both.c_str()), 1);

  const std::string request = "<request>hello</request>";
  ASSERT_EQ(m_Client.SetSendBuffer(request.data(), static_cast<uint32_t>(request.size())), 1);
  int32_t sent = 0, complete = 0;
  for (int i = 0; i < 2000 && !complete; ++i) {
    if (!sent) {
      ASSERT_EQ(m_Client.SendData(sent), 1);
    }
    ASSERT_EQ(server.ReceiveData(complete), 1);
  }
  ASSERT_EQ(complete, 1);
  EXPECT_STREQ(server.GetPacket(), request.c_str());
  // And back.
  const std::string reply = "<reply>ok</reply>";
  ASSERT_EQ(server.SetSendBuffer(reply.data(), static_cast<uint32_t>(reply.size())), 1);
  ASSERT_EQ(server.SendData(sent), 1);
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(ReceiveUntilComplete(complete), 1);
  EXPECT_STREQ(m_Client.GetPacket(), reply.c_str());
}

// ---- cluster lookup ----

class ClusterTest : public CCommTest {
 protected:
  void Start(const char* mode) {
    ASSERT_TRUE(m_Peer.StartProgram("clusterpeer", {mode}));
    const std::string line = m_Peer.ReadLine();
    ASSERT_EQ(line.rfind("port ", 0), 0u) << line;
    m_Port = static_cast<uint32_t>(std::stoi(line.substr(5)));
  }
  void TearDown() override {
    xClusterSystem_Closedown();
    m_Peer.CloseInput();
    m_Peer.Wait();
    xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
    // The frame loop ran inside the links' waits.
    xFreeFramePools();
    CCommTest::TearDown();
  }
  CTestClock m_Clock{10000};
  CSpawnedChild m_Peer;
  uint32_t m_Port = 0;
};

TEST_F(ClusterTest, LooksUpServersAndReusesItsLinkWithinTwoMinutes) {
  Start("answer");
  const uint32_t connects = xClusterSystem_ConnectCount();
  CLList variables;
  char* server = nullptr;
  ASSERT_EQ(xClusterSystem_GetServer("127.0.0.1", m_Port, "casino", server, variables), 1);
  EXPECT_STREQ(server, "host-of-casino");
  xFree(server);
  ASSERT_EQ(variables.GetNumNodes(), 3);
  EXPECT_STREQ(xClusterSystem_FindVariable(variables, "port"), "4711");
  EXPECT_STREQ(xClusterSystem_FindVariable(variables, "service"), "casino");
  xClusterSystem_FreeVariables(variables);
  EXPECT_TRUE(m_Peer.WaitFor("connection 1"));

  // 60 s later: the same link.
  m_Clock.Advance(60000);
  uint32_t port = 0;
  int32_t crypt = -1;
  ASSERT_EQ(xClusterSystem_GetProxyServer("127.0.0.1", m_Port, "proxy", server, port, crypt), 1);
  EXPECT_STREQ(server, "host-of-proxy");
  xFree(server);
  EXPECT_EQ(port, 4711u);
  EXPECT_EQ(crypt, 1);
  ASSERT_EQ(xClusterSystem_GetProxyServer("127.0.0.1", m_Port, "plain", server, port, crypt), 1);
  xFree(server);
  EXPECT_EQ(crypt, 0);
  int32_t result = 0;
  ASSERT_EQ(xClusterSystem_ExecuteFile("127.0.0.1", m_Port, "ab", "cde", "f", result), 1);
  EXPECT_EQ(result, 6);
  EXPECT_EQ(xClusterSystem_ConnectCount(), connects + 1);

  // Three minutes later: a new connection.
  m_Clock.Advance(180000);
  for (auto lookup : {xClusterSystem_GetCasinoServer, xClusterSystem_GetChatServer, xClusterSystem_GetCashierServer}) {
    ASSERT_EQ(lookup("127.0.0.1", m_Port, "chat", server, port), 1);
    EXPECT_STREQ(server, "host-of-chat");
    xFree(server);
  }
  EXPECT_EQ(xClusterSystem_ConnectCount(), connects + 2);
  EXPECT_TRUE(m_Peer.WaitFor("connection 2"));
}

TEST_F(ClusterTest, FailsCleanlyOnSilence) {
  Start("silent");
  SetMinimumFrameTime(50);
  CLList variables;
  char* server = nullptr;
  EXPECT_EQ(xClusterSystem_GetServer("127.0.0.1", m_Port, "casino", server, variables), 0);
  EXPECT_EQ(server, nullptr);
  EXPECT_EQ(variables.GetNumNodes(), 0);
  SetMinimumFrameTime(0);
}

TEST_F(ClusterTest, FailsOnWrongAnswersAndMissingServers) {
  Start("wrong");
  CLList variables;
  char* server = nullptr;
  EXPECT_EQ(xClusterSystem_GetServer("127.0.0.1", m_Port, "casino", server, variables), 0);
  EXPECT_EQ(server, nullptr);
  EXPECT_EQ(variables.GetNumNodes(), 0);
  // Nobody listening.
  EXPECT_EQ(xClusterSystem_GetServer("127.0.0.1", ClosedPort(), "casino", server, variables), 0);
  EXPECT_EQ(xClusterSystem_GetServer(nullptr, m_Port, "casino", server, variables), 0);
}

}  // namespace
