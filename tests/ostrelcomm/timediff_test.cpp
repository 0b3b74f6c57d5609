#include <gtest/gtest.h>

#include <string>

#include "ostrelcomm/timediff.h"
#include "commfixture.h"
#include "support/testclock.h"

namespace {

class TimeDiffTest : public CCommTest {
 protected:
  void SetUp() override {
    CCommTest::SetUp();
    Restart();
  }

  // A new measurement: exit, name and start both ends again.
  void Restart() {
    m_Server.Exit();
    m_Client.Exit();
    for (CTimeDiffNode* n : {static_cast<CTimeDiffNode*>(&m_Server), static_cast<CTimeDiffNode*>(&m_Client)}) {
      n->SetId(2);
      n->SetName("TimeDiff");
    }
    ASSERT_EQ(m_Server.Init(0), 1);
    ASSERT_EQ(m_Client.Init(0), 1);
  }

  // One exchange: the client asks at requestAt, the server's clock reads serverAt when it answers,
  // and the answer is read at readAt; then the confirmation goes back.
  void Exchange(uint32_t requestAt, uint32_t serverAt, uint32_t readAt) {
    m_Clock.Set(requestAt);
    ASSERT_EQ(m_Client.Handler(), 1);
    m_Clock.Set(serverAt);
    ASSERT_EQ(m_Server.Handler(), 1);
    m_Clock.Set(readAt);
    ASSERT_EQ(m_Client.Handler(), 1);
    ASSERT_EQ(m_Client.Handler(), 1);
    ASSERT_EQ(m_Server.Handler(), 1);
  }

  // A record from the other side that is not part of the exchange.
  static void Stray(CCommNode& from) {
    ASSERT_EQ(from.SendInit(), 1);
    from.NewItem("Chat", KSTRING, "hello", KEND);
    ASSERT_EQ(from.SendKCBLPacket(), 1);
  }

  CTestClock m_Clock{0};
  CTimeDiffServer m_Server;
  CTimeDiffClient m_Client;
};

}  // namespace

TEST_F(TimeDiffTest, WorkedExample) {
  Exchange(900, 1000, 940);
  EXPECT_EQ(m_Client.GetSign(), 1);
  EXPECT_EQ(m_Client.GetOffset(), 100u);
  EXPECT_EQ(m_Client.IsClientDone(), 1);
  EXPECT_EQ(m_Server.IsClientDone(), 1);
  EXPECT_EQ(m_Client.GetTimeDiff(1040), 0);
  EXPECT_EQ(m_Client.GetTimeDiff(1000), 40);
  EXPECT_EQ(m_Client.GetTimeDiff(1100), -60) << "a stamp still ahead";
  // Finished ends stay finished.
  EXPECT_EQ(m_Client.Handler(), 1);
  EXPECT_EQ(m_Server.Handler(), 1);
}

TEST_F(TimeDiffTest, SignAndOffsetAcrossTheClockWrap) {
  struct {
    uint32_t requestAt, serverAt, readAt;
    int32_t sign;
    uint32_t offset;
  } cases[] = {
      {900, 1000, 940, 1, 100},
      {900, 800, 940, 2, 100},
      {900, 900, 900, 2, 0},                    // equal counts as behind
      {10, 0xFFFFFF00u, 30, 2, 266},            // the server's clock is about to wrap
      {0xFFFFFFF0u, 100, 0x10, 1, 116},         // ours wrapped during the round trip
      {0x7FFFFFF0u, 0x80000010u, 0x7FFFFFF0u, 1, 0x20},  // answers above 2^31 travel as negative longs
  };
  for (auto& c : cases) {
    Restart();
    Exchange(c.requestAt, c.serverAt, c.readAt);
    EXPECT_EQ(m_Client.GetSign(), c.sign) << c.requestAt << " " << c.serverAt << " " << c.readAt;
    EXPECT_EQ(m_Client.GetOffset(), c.offset) << c.requestAt << " " << c.serverAt << " " << c.readAt;
  }
}

TEST_F(TimeDiffTest, UnansweredRequestTimesOutOnThe752ndPoll) {
  ASSERT_EQ(m_Client.Handler(), 1);
  for (int call = 1; call <= 751; ++call) ASSERT_EQ(m_Client.Handler(), 1) << call;
  EXPECT_EQ(m_Client.Handler(), 0);
  EXPECT_STREQ(m_Client.GetErrorMsg(), "CTimeDiffClient::Handler:TDC_WAITREQANSWER:Timed out!");
  EXPECT_EQ(m_Client.Handler(), 0);
}

TEST_F(TimeDiffTest, BeforeMeasuringStampsAreLocal) {
  m_Clock.Set(5000);
  EXPECT_EQ(m_Client.GetSign(), 0);
  EXPECT_EQ(m_Client.GetTimeDiff(4000), 1000);
}

TEST_F(TimeDiffTest, ServerTimeoutCountsFromConstruction) {
  m_Clock.Set(5000);
  CTimeDiffServer server;
  m_Clock.Set(35000);
  EXPECT_EQ(server.ReachedTimeout(), 0);
  m_Clock.Set(35001);
  EXPECT_EQ(server.ReachedTimeout(), 1);
}

TEST_F(TimeDiffTest, StrayRecordsArePassedOverAndFreed) {
  Stray(m_Client);
  ASSERT_EQ(m_Server.Handler(), 1);
  EXPECT_EQ(m_Server.IsDataAvailable(), 0) << "the stray record is gone, not held";
  m_Clock.Set(900);
  ASSERT_EQ(m_Client.Handler(), 1);
  Stray(m_Server);
  ASSERT_EQ(m_Client.Handler(), 1);
  EXPECT_EQ(m_Client.GetSign(), 0);
  m_Clock.Set(1000);
  ASSERT_EQ(m_Server.Handler(), 1);
  m_Clock.Set(940);
  ASSERT_EQ(m_Client.Handler(), 1);
  EXPECT_EQ(m_Client.GetSign(), 1);
  EXPECT_EQ(m_Client.GetOffset(), 100u);
  Stray(m_Client);
  ASSERT_EQ(m_Client.Handler(), 1);
  ASSERT_EQ(m_Server.Handler(), 1);
  EXPECT_EQ(m_Server.IsClientDone(), 0);
  ASSERT_EQ(m_Server.Handler(), 1);
  EXPECT_EQ(m_Server.IsClientDone(), 1);
}

TEST_F(TimeDiffTest, AnswerWithoutANumberFailsAndIsFreed) {
  ASSERT_EQ(m_Client.Handler(), 1);
  ASSERT_EQ(m_Server.SendInit(), 1);
  m_Server.NewItem("RequestTimeAnswer", KSTRING, "soon", KEND);
  ASSERT_EQ(m_Server.SendKCBLPacket(), 1);
  EXPECT_EQ(m_Client.Handler(), 0);
  EXPECT_STREQ(m_Client.GetErrorMsg(), "CTimeDiffClient::Handler:GetLong:Function failed");
  EXPECT_EQ(m_Client.IsDataAvailable(), 0);
  // The state stayed: a proper answer still completes the measurement.
  ASSERT_EQ(m_Server.Handler(), 1);
  EXPECT_EQ(m_Client.Handler(), 1);
  EXPECT_NE(m_Client.GetSign(), 0);
}

TEST_F(TimeDiffTest, ErrorTexts) {
  CTimeDiffServer server;
  CTimeDiffClient client;
  EXPECT_EQ(server.GetErrorMsg(), nullptr);
  auto fails = [](int32_t result, const CTimeDiffNode& node, const char* text) {
    EXPECT_EQ(result, 0) << text;
    EXPECT_STREQ(node.GetErrorMsg(), text);
  };
  fails(server.Handler(), server, "CTimeDiffServer::Handler:The timediffserver is not initialized");
  fails(client.Handler(), client, "CTimeDiffClient::Handler:The timediffserver is not initialized");
  fails(server.Init(0), server, "CTimeDiffServer::Init:name has not been initialized");
  fails(client.Init(0), client, "CTimeDiffClient::Init:name has not been initialized");
  server.SetName("X");
  client.SetName("X");
  fails(server.Init(0), server, "CTimeDiffServer::Init: id has not been initialized");
  fails(client.Init(0), client, "CTimeDiffClient::Init: id has not been initialized");
  server.SetId(1);
  client.SetId(1);
  fails(server.Handler(), server, "CTimeDiffServer::Handler:The server is in an invalid state");
  fails(client.Handler(), client, "CTimeDiffClient::Handler:The client is in an invalid state");
}

TEST_F(TimeDiffTest, ExitNeedsANewNameAndId) {
  Exchange(900, 1000, 940);
  m_Client.Exit();
  EXPECT_EQ(m_Client.IsClientDone(), 0);
  EXPECT_EQ(m_Client.Init(0), 0);
  m_Client.SetName("TimeDiff");
  EXPECT_EQ(m_Client.Init(0), 0);
  m_Client.SetId(2);
  EXPECT_EQ(m_Client.Init(0), 1);
}
