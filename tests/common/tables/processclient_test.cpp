// The manager link against the fake manager of tests/tools, which reads and writes the manager's
// texts from their own description.
#include <chrono>
#include <thread>

#include "common/tables/processclient.h"
#include "ostrel/containers/objpool.h"
#include "fakemanager.h"
#include "ostrelcomm/commtcp.h"
#include "dummygame.h"
#include "tablekit.h"

namespace {

class ProcessClient : public CTableTest {
 protected:
  void SetUp() override {
    CTableTest::SetUp();
    ASSERT_TRUE(m_Manager.Start());
    m_pClient = std::make_unique<CProcessClient>();
    m_pClient->SetManagerIPPort("127.0.0.1", m_Manager.Port());
  }
  void TearDown() override {
    m_pClient.reset();  // runs frames of the loop while the link flushes
    xFreeFramePools();
    CTableTest::TearDown();
  }
  // Connected, the id text received by the manager.
  void Connect(int32_t id = 1234, uint16_t port = 4321) {
    ASSERT_EQ(m_pClient->Initialize(id, PROCESSCLIENT_TABLEPROCESS, 0, port), 1);
    ASSERT_TRUE(m_Manager.WaitFor("text ", 1, Pump()));
  }
  std::function<void()> Pump() {
    return [this] { m_pClient->GetLink()->NonBlockedHandler(); };
  }
  // Ticks the link until it holds count received texts (or a few seconds passed).
  void AwaitReceived(int32_t count) {
    for (int i = 0; i < 5000 && m_pClient->GetLink()->NumRecvQuePackets() < count; ++i) {
      m_pClient->GetLink()->NonBlockedHandler();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(m_pClient->GetLink()->NumRecvQuePackets(), count);
  }

  CFakeManager m_Manager;
  std::unique_ptr<CProcessClient> m_pClient;
};

TEST_F(ProcessClient, TheIdTextGoesOutWithItsNulOnConnectAndOnReplyWithId) {
  Connect(1234, 4321);
  EXPECT_EQ(m_Manager.Seen("raw "), std::vector<std::string>{Hex("TableProcessID:1234:4321") + "00"});
  EXPECT_EQ(m_Manager.Texts(), std::vector<std::string>{"TableProcessID:1234:4321"});
  EXPECT_EQ(m_pClient->AllowRunning(), 1);
  m_Manager.Send({"ReplyWithID"});
  AwaitReceived(1);
  m_pClient->Ticker();
  ASSERT_TRUE(m_Manager.WaitFor("text ", 2, Pump()));
  EXPECT_EQ(m_Manager.Texts().back(), "TableProcessID:1234:4321");
  EXPECT_EQ(m_pClient->PacketPending(), MANAGER_MSG_UNKNOWN) << "the bare texts are not messages";
}

TEST_F(ProcessClient, TheLargestIdAndPortFitTheIdText) {
  ASSERT_EQ(m_pClient->Initialize(-2147483647 - 1, PROCESSCLIENT_USERPROCESS, 0, 65535), 1);
  ASSERT_TRUE(m_Manager.WaitFor("text ", 1, Pump()));
  EXPECT_EQ(m_Manager.Texts(), std::vector<std::string>{"UserProcessID:-2147483648:65535"});
}

TEST_F(ProcessClient, OneMessageWaitsAndASecondIsDropped) {
  Connect();
  m_Manager.Order("sendmany RequestPermission,7,11,let\\x20me UserQuit,8");
  AwaitReceived(2);
  m_pClient->Ticker();
  m_pClient->Ticker();
  EXPECT_EQ(m_pClient->PacketPending(), MANAGER_MSG_REQUESTPERMISSION);
  EXPECT_STREQ(m_pClient->GetDataString(), "7");
  EXPECT_STREQ(m_pClient->GetDataString(), "11");
  EXPECT_STREQ(m_pClient->GetDataString(), "let\\x20me");
  EXPECT_EQ(m_pClient->GetDataString(), nullptr);
  EXPECT_EQ(m_pClient->PacketPending(), MANAGER_MSG_UNKNOWN) << "read once; the second text was dropped";
  m_Manager.Send({"UserQuit", "8"});
  AwaitReceived(1);
  m_pClient->Ticker();
  EXPECT_EQ(m_pClient->PacketPending(), MANAGER_MSG_USERQUIT);
  EXPECT_STREQ(m_pClient->GetDataString(), "8");
}

TEST_F(ProcessClient, EveryCodedMessageIsTakenAndBadTextsAreDropped) {
  Connect();
  struct SCase {
    std::string m_Order;
    int32_t m_Code;
  } cases[] = {
      {"send RequestPermission 1 2 x", MANAGER_MSG_REQUESTPERMISSION},
      {"send RemoveCrashedUser 1", MANAGER_MSG_REMOVECRASHEDUSER},
      {"send ServerMsg hello", MANAGER_MSG_SERVERMSG},
      {"send RequestAnswer 1 2 1", MANAGER_MSG_REQUESTANSWER},
      {"send RequestPending", MANAGER_MSG_REQUESTPENDING},
      {"send ProcessCreated", MANAGER_MSG_PROCESSCREATED},
      {"send ReconnectCreated", MANAGER_MSG_RECONNECTCREATED},
      {"send UserQuit 1", MANAGER_MSG_USERQUIT},
      {"send WaitlistCancel 1", MANAGER_MSG_WAITLISTCANCEL},
      {"send Dance 1", MANAGER_MSG_UNKNOWN},
      {"sendhex " + Hex("UserQuit\xa3" "1\xa3"), MANAGER_MSG_UNKNOWN},  // no NUL
      {"sendhex " + Hex(std::string(MANAGER_TEXT_MAX, 'x')) + "00", MANAGER_MSG_UNKNOWN},  // over the cap
      {"raw", MANAGER_MSG_UNKNOWN},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Order);
    m_Manager.Order(c.m_Order);
    AwaitReceived(1);
    m_pClient->Ticker();
    EXPECT_EQ(m_pClient->PacketPending(), c.m_Code);
    EXPECT_EQ(m_pClient->AllowRunning(), 1);
  }
}

TEST_F(ProcessClient, DieYouBastardAndALostLinkStopTheProcessAndIncomingClientIsNoted) {
  Connect();
  m_Manager.Send({"IncomingClient"});
  AwaitReceived(1);
  m_pClient->Ticker();
  EXPECT_EQ(m_pClient->ManagerAgrees(), 1);
  m_pClient->UserDisconnected();
  EXPECT_EQ(m_pClient->ManagerAgrees(), 0);
  m_Manager.Send({"DieYouBastard"});
  AwaitReceived(1);
  m_pClient->Ticker();
  EXPECT_EQ(m_pClient->AllowRunning(), 0);

  auto other = std::make_unique<CProcessClient>();
  other->SetManagerIPPort("127.0.0.1", m_Manager.Port());
  ASSERT_EQ(other->Initialize(5, PROCESSCLIENT_TABLEPROCESS, 0, 0), 1);
  m_Manager.Order("close");
  for (int i = 0; i < 5000 && other->AllowRunning(); ++i) {
    other->Ticker();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(other->AllowRunning(), 0);
}

TEST_F(ProcessClient, SendDataWritesTheCommandItsStringsAndTheNul) {
  Connect();
  EXPECT_EQ(m_pClient->SendData("StovaStatTrig"), 1);
  ASSERT_TRUE(m_Manager.WaitFor("text", 2, Pump()));
  EXPECT_EQ(m_Manager.Seen("raw ").back(), Hex("StovaStatTrig\xa3") + "00");
  EXPECT_EQ(m_pClient->AddDataString("5"), 1);
  EXPECT_EQ(m_pClient->AddDataString(""), 1);
  EXPECT_EQ(m_pClient->AddDataString(nullptr), 0);
  EXPECT_EQ(m_pClient->SendData("RequestAnswer"), 1);
  ASSERT_TRUE(m_Manager.WaitFor("text", 3, Pump()));
  EXPECT_EQ(m_Manager.Seen("raw ").back(), Hex("RequestAnswer\xa3" "5\xa3\xa3") + "00");
  // The strings went with the text; a null command sends nothing and drops them too.
  EXPECT_EQ(m_pClient->AddDataString("9"), 1);
  EXPECT_EQ(m_pClient->SendData(nullptr), 0);
  EXPECT_EQ(m_pClient->SendData("UserLeft"), 1);
  ASSERT_TRUE(m_Manager.WaitFor("text", 4, Pump()));
  EXPECT_EQ(m_Manager.Texts().back(), "UserLeft");
}

TEST_F(ProcessClient, TheEndLetsTheLinkFlush) {
  Connect();
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(m_pClient->AddDataString(std::string(1000, 'a' + i % 26).c_str()), 1);
    ASSERT_EQ(m_pClient->SendData("ServerMsg"), 1);
  }
  m_pClient.reset();  // nothing was written yet: the destructor writes it out
  ASSERT_TRUE(m_Manager.WaitFor("text", 51, nullptr));
  EXPECT_EQ(m_Manager.Texts().back(), "ServerMsg|" + std::string(1000, 'a' + 49 % 26));
}

TEST_F(ProcessClient, InitializeNeedsAManagerATypeAndAConnection) {
  struct SCase {
    const char* m_Name;
    const char* m_Host;
    int32_t m_Port;
    int32_t m_Type;
  } cases[] = {{"no host", nullptr, 6001, 1}, {"empty host", "", 6001, 1}, {"no port", "127.0.0.1", 0, 1},
               {"port past 65535", "127.0.0.1", 70000, 1}, {"another type", "127.0.0.1", 6001, 2}};
  for (const SCase& c : cases) {
    CProcessClient client;
    client.SetManagerIPPort(c.m_Host, c.m_Port);
    EXPECT_EQ(client.Initialize(1, c.m_Type, 0, 0), 0) << c.m_Name;
  }
  // Nobody listens: a port taken and given back at once.
  CCommRemoteServer probe;
  probe.SetPortA(0);
  ASSERT_EQ(probe.Startup(), 1);
  ASSERT_EQ(probe.StartListen(), 1);
  const uint32_t port = probe.GetPortA();
  probe.StopListen();
  probe.Closedown();
  CProcessClient refused;
  refused.SetManagerIPPort("127.0.0.1", static_cast<int32_t>(port));
  EXPECT_EQ(refused.Initialize(1, PROCESSCLIENT_TABLEPROCESS, 0, 0), 0);
  EXPECT_EQ(CProcessClient::GetCurrent(), &refused);
}

TEST_F(ProcessClient, TheLinksTrafficGoesToTheMessageLogByItsLength) {
  CTempDir dir;
  CWorkingDir cwd(dir.Path());
  Connect(77, 1);
  m_Manager.Send({"ServerMsg", "%s%n"});
  AwaitReceived(1);
  m_pClient->Ticker();
  EXPECT_EQ(m_pClient->SendData("StovaStatTrig"), 1);
  const std::string log = ReadWholeFile(dir.File("messages.log"));
  EXPECT_NE(log.find("TableId >> 0: Data: StovaStatTrig\xa3"), std::string::npos) << log;
  EXPECT_NE(log.find("TableId << 0: Data: ServerMsg\xa3%s%n\xa3"), std::string::npos) << log;
}

}  // namespace
