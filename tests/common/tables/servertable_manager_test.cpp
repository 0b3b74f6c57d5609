// A server table run by a manager process: the fake manager of tests/tools on 127.0.0.1 speaks
// the manager's texts; the table reads "games.cfg" from its working folder.
#include <gtest/gtest.h>

#include "dummygame.h"
#include "fakemanager.h"
#include "ostrel/system/debug.h"

namespace {

constexpr int32_t kProcessId = 4242;

std::string GamesFile(const std::string& name) {
  return ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/tables/games/" + name);
}

class ServerTableManager : public CDummyTableTest {
 protected:
  void SetUp() override {
    CDummyTableTest::SetUp();
    ASSERT_TRUE(m_Manager.Start());
    m_A = static_cast<int32_t>(CreateMember("anna"));
    m_B = static_cast<int32_t>(CreateMember("bert"));
  }
  // A table under the manager, the configuration file copied in first; InitTable's result.
  int32_t StartManaged(int32_t reserveId, int32_t owner = 0, const std::string& config = "games.cfg") {
    WriteWholeFile(m_Dir.File("games.cfg"), GamesFile(config));
    CreateTableRecord(STOVA_TABLE_PUBLIC);
    return StartTable(reserveId, kProcessId, true, [this, owner](CDummyGame& table, CScriptedStova&) {
      table.SetManagerIPPort("127.0.0.1", m_Manager.Port());
      table.SetTableOwner(owner);
    });
  }
  std::function<void()> Ticking() {
    return [this] { Tick(); };
  }
  // Ticks until the manager has seen count texts in all.
  void AwaitTexts(size_t count) { ASSERT_TRUE(m_Manager.WaitFor("text", count, Ticking())) << count; }
  // The texts since the last Sync, the seat and state triggers left out (they come whenever seats
  // or the table change).
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const std::string& text : m_Manager.Texts())
      if (text != MANAGER_CMD_STOVASEATTRIG && text != MANAGER_CMD_STOVASTATTRIG) out.push_back(text);
    return out;
  }
  // Every trigger text since the last Sync.
  std::vector<std::string> Triggers() {
    std::vector<std::string> out;
    for (const std::string& text : m_Manager.Texts())
      if (text == MANAGER_CMD_STOVASEATTRIG || text == MANAGER_CMD_STOVASTATTRIG) out.push_back(text);
    return out;
  }
  // Reads what is on its way, then forgets everything seen.
  void Sync() {
    Settle();
    m_Manager.Forget();
  }
  // Ticks until the manager has seen count texts beside the triggers.
  void AwaitOwnTexts(size_t count) {
    for (int i = 0; i < 3000 && Texts().size() < count; ++i) m_Manager.Drain(2, Ticking());
    ASSERT_GE(Texts().size(), count);
  }
  // Ticks for a while of real time so that nothing more is missed.
  void Settle() { m_Manager.Drain(300, Ticking()); }
  // Ticks (reading the manager's events meanwhile) until the node holds records with the
  // keyword; those records.
  std::vector<std::string> AwaitRecords(CCommNode& node, const char* keyword) {
    std::vector<std::string> found;
    for (int i = 0; i < 2000 && found.empty(); ++i) {
      m_Manager.Drain(2, Ticking());
      found = WithItem(CDummyClient::All(node), keyword);
    }
    return found;
  }

  CFakeManager m_Manager;
  int32_t m_A = 0, m_B = 0;
};

TEST_F(ServerTableManager, TheTableAnnouncesItselfAndItsUsersComeAndGo) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  const auto texts = m_Manager.Texts();
  EXPECT_EQ(texts[0], "TableProcessID:4242:" + std::to_string(m_pTable->GetListenPort()));
  EXPECT_EQ(texts[1], "StovaStatTrig");
  Sync();

  CDummyClient anna(m_A);
  ASSERT_TRUE(anna.RequestTimeDiff());
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"UserConnected|1"});
  Sync();
  ASSERT_TRUE(anna.DeAllocateSlot(TABLE_SLOT_LEAVE));
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"UserLeft|1"});

  CDummyClient bert(m_B);
  Join(bert, 3);
  ASSERT_EQ(m_pTable->GetState(), SERVERSTATE_NEWROUND);
  EXPECT_EQ(Rows("SELECT in_use FROM tables"), std::vector<std::string>{"1"}) << "a manager's table is in use";
  Sync();
  m_pTable->CrashUser(m_B);
  AwaitOwnTexts(2);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"UserCrashed|2", "UserLeft|2"}));
}

TEST_F(ServerTableManager, AJoinRequestGoesToTheSeatedOwnerAndHisAnswerBackWithTheManagersNumber) {
  ASSERT_EQ(StartManaged(0, m_A), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A);
  Join(anna, 0);
  Sync();
  m_Manager.Send({"RequestPermission", "2", "77", "let_me_in"});
  m_Manager.Send({"RequestPermission", "2", "78", "second"});
  const auto first = AwaitRecords(anna.SlotAlloc(), TABLE_MSG_JOINREQUEST);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], "{ = PrivatePlayerData, JoinRequest, 1, 0\n    RequestId = 2\n    Name = bert\n"
                      "    Reason = let_me_in\n}\n");
  Settle();
  EXPECT_EQ(m_pTable->NumJoinRequests(), 1) << "the second waits for the owner's answer";
  EXPECT_TRUE(Texts().empty());
  ASSERT_TRUE(CDummyClient::Send(anna.SlotAlloc(), "RequestAnswer = 2, 1\n"));
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"RequestAnswer|2|77|1"});
  const auto second = AwaitRecords(anna.SlotAlloc(), TABLE_MSG_JOINREQUEST);
  ASSERT_EQ(second.size(), 1u);
  ASSERT_TRUE(CDummyClient::Send(anna.SlotAlloc(), "RequestAnswer = 2, 0\n"));
  AwaitOwnTexts(2);
  EXPECT_EQ(Texts()[1], "RequestAnswer|2|78|0");
  // An answer nobody asked for is not passed on.
  ASSERT_TRUE(CDummyClient::Send(anna.SlotAlloc(), "RequestAnswer = 2, 1\n"));
  Settle();
  EXPECT_EQ(Texts().size(), 2u);
}

TEST_F(ServerTableManager, AJoinRequestsReasonIsCutToItsField) {
  ASSERT_EQ(StartManaged(0, m_A), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A);
  Join(anna, 0);
  Sync();
  m_Manager.Send({"RequestPermission", "2", "77", std::string(300, 'r')});
  const auto request = AwaitRecords(anna.SlotAlloc(), TABLE_MSG_JOINREQUEST);
  ASSERT_EQ(request.size(), 1u);
  EXPECT_NE(request[0].find("Reason = " + std::string(256, 'r') + "\n"), std::string::npos) << request[0];
}

TEST_F(ServerTableManager, AJackpotWinIsAnnounced) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  Sync();
  EXPECT_EQ(m_pTable->AnnounceJPWin(2, CTableBase::TMoney("1234.5")), 1);
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"AnnounceJPWin|2|1234.5000000000|5001"});
}

TEST_F(ServerTableManager, AnOwnerWhoIsNotSeatedRefusesAndATableWithoutOwnerIgnoresRequests) {
  ASSERT_EQ(StartManaged(0, m_A), 1);
  AwaitTexts(2);
  Sync();
  m_Manager.Send({"RequestPermission", "2", "77", "x"});
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"RequestAnswer|2|0|0"});
  m_pTable->ExitTable();
  m_pTable.reset();

  ASSERT_EQ(StartManaged(0, 0), 1);
  AwaitTexts(2);
  Sync();
  m_Manager.Send({"RequestPermission", "2", "77", "x"});
  Settle();
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(m_pTable->NumJoinRequests(), 0);
}

TEST_F(ServerTableManager, TheOwnersLeavingAnswersHisOpenRequestAndPassesTheTableOn) {
  ASSERT_EQ(StartManaged(0, m_A), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A), bert(m_B);
  Join(anna, 0);
  Join(bert, 1);
  Sync();
  const int32_t c = static_cast<int32_t>(CreateMember("carl"));
  m_Manager.Send({"RequestPermission", std::to_string(c), "5", "x"});
  ASSERT_EQ(AwaitRecords(anna.SlotAlloc(), TABLE_MSG_JOINREQUEST).size(), 1u);
  ASSERT_TRUE(anna.DeAllocateSlot(0));
  AwaitOwnTexts(1);
  EXPECT_EQ(Texts()[0], "RequestAnswer|" + std::to_string(c) + "|5|0");
  EXPECT_EQ(m_pTable->GetTableOwner(), m_B);
  EXPECT_EQ(Rows("SELECT user_id FROM table_owners"), std::vector<std::string>{std::to_string(m_B)});
}

TEST_F(ServerTableManager, SeatTriggersGoOutAtMostOncePerJoinDataTime) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A);
  ASSERT_TRUE(anna.RequestTimeDiff());
  AwaitOwnTexts(1);
  ASSERT_TRUE(Run(5000, 100));
  Sync();
  ASSERT_TRUE(anna.ReserveSlot(2));
  for (int i = 0; i < 3000 && Triggers().empty(); ++i) m_Manager.Drain(2, Ticking());
  EXPECT_EQ(Triggers(), std::vector<std::string>{"StovaSeatTrig"});
  ASSERT_TRUE(anna.ReserveSlot(3));
  ASSERT_TRUE(anna.ReserveSlot(4));
  ASSERT_TRUE(Run(2900, 100));
  Settle();
  EXPECT_EQ(Triggers().size(), 1u) << "within joindatatime (3 s)";
  ASSERT_TRUE(Run(200, 100));
  for (int i = 0; i < 3000 && Triggers().size() < 2; ++i) m_Manager.Drain(2, Ticking());
  EXPECT_EQ(Triggers(), (std::vector<std::string>{"StovaSeatTrig", "StovaSeatTrig"}));
  ASSERT_TRUE(Run(5000, 100));
  Settle();
  EXPECT_EQ(Triggers().size(), 2u) << "nothing changed since";
}

TEST_F(ServerTableManager, AnEmptyTableSendsItsClientsQuitAfterAMinute) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  CDummyClient watcher(m_A);
  ASSERT_TRUE(Run(59900, 100));
  EXPECT_EQ(WithItem(CDummyClient::All(watcher.Table()), TABLE_MSG_QUIT).size(), 0u);
  EXPECT_EQ(m_pTable->HaveIdleTimeout(), 1);
  ASSERT_TRUE(Run(200, 100));
  EXPECT_EQ(CDummyClient::All(watcher.Table()), std::vector<std::string>{"Quit\n"});
  EXPECT_EQ(m_pTable->HaveIdleTimeout(), 0);
  ASSERT_TRUE(Tick());
  EXPECT_EQ(m_pTable->HaveIdleTimeout(), 1) << "the next minute begins";
}

TEST_F(ServerTableManager, TheIdleTimeOutCountsAcrossTheClockWrap) {
  m_Clock.Set(0xFFFFFFFFu - 30000);
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  CDummyClient watcher(m_A);
  ASSERT_TRUE(Run(100, 100));
  ASSERT_EQ(m_pTable->HaveIdleTimeout(), 1);
  // A deadline of exactly 0 on the wrapped clock is still a deadline.
  m_pTable->StartIdleTimeout(static_cast<int32_t>(0u - m_Clock.Now()));
  ASSERT_TRUE(Run(30000 - 100 - 100, 100));
  EXPECT_TRUE(CDummyClient::All(watcher.Table()).empty());
  ASSERT_TRUE(Run(300, 100));
  EXPECT_EQ(CDummyClient::All(watcher.Table()), std::vector<std::string>{"Quit\n"});
}

TEST_F(ServerTableManager, DieYouBastardEndsTheNextTick) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  m_Manager.Send({"DieYouBastard"});
  for (int i = 0; i < 5000 && Tick(); ++i) m_Manager.Drain(1, nullptr);
  EXPECT_TRUE(m_Ended);
}

TEST_F(ServerTableManager, TheManagersMessagesAreCarriedOut) {
  ASSERT_EQ(StartManaged(0), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A), bert(m_B);
  Join(anna, 0);
  Join(bert, -1);
  ASSERT_TRUE(bert.ReserveSlot(4));
  ASSERT_TRUE(Tick());
  Settle();
  anna.Clear();
  bert.Clear();

  // A server message for everybody, cut to 1000 characters.
  m_Manager.Send({"ServerMsg", std::string(1500, 'm')});
  const auto messages = AwaitRecords(anna.Player(), TABLE_PL_SERVERMSG);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ServerMsg = " + std::string(1000, 'm') + "\n");

  // Bert leaves the waiting list: his reservation goes with reason 2.
  m_Manager.Send({"WaitlistCancel", std::to_string(m_B)});
  const auto released = AwaitRecords(bert.SlotAlloc(), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_SLOT), 4);
  EXPECT_EQ(ItemLong(released[0], TABLE_ITEM_REASON), TABLE_REASON_CANCELLED);
  EXPECT_EQ(m_pTable->GetPlayerConnection(4)->SlotStatus(), TABLE_SLOTSTATUS_FREE);
  EXPECT_EQ(Rows("SELECT reserved_table FROM users WHERE id = " + std::to_string(m_B)), std::vector<std::string>{"0"});

  // Anna quits: "Exit"; a crashed user's removal is a reconnect release.
  m_Manager.Send({"UserQuit", std::to_string(m_A)});
  EXPECT_EQ(AwaitRecords(anna.SlotAlloc(), TABLE_MSG_EXIT).size(), 1u);
  m_Manager.Send({"RemoveCrashedUser", std::to_string(m_A)});
  const auto removed = AwaitRecords(anna.SlotAlloc(), TABLE_MSG_DEALLOCATESLOT);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(ItemLong(removed[0], TABLE_ITEM_REASON), TABLE_REASON_CRASHED);
}

TEST_F(ServerTableManager, MessagesWithoutTheirStringsOrWithAUserIdThatIsNoNumberAreIgnored) {
  ASSERT_EQ(StartManaged(0, m_A), 1);
  AwaitTexts(2);
  CDummyClient anna(m_A);
  Join(anna, 0);
  Settle();
  anna.Clear();
  m_Manager.Forget();
  for (const std::vector<std::string>& text :
       std::vector<std::vector<std::string>>{{"UserQuit"}, {"UserQuit", "one"}, {"UserQuit", "-1"},
                                             {"UserQuit", "99999999999"}, {"RemoveCrashedUser", "1x"},
                                             {"WaitlistCancel"}, {"RequestPermission", "2"},
                                             {"RequestPermission", "x", "5", "r"}, {"ServerMsg"},
                                             {"Dance", "1"}}) {
    m_Manager.Send(text);
    Settle();
  }
  EXPECT_TRUE(CDummyClient::All(anna.SlotAlloc()).empty());
  EXPECT_TRUE(WithItem(CDummyClient::All(anna.Player()), TABLE_PL_SERVERMSG).empty());
  EXPECT_TRUE(m_pTable->GetPlayerConnection(0)->IsHeld());
  EXPECT_EQ(m_pTable->NumJoinRequests(), 0);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(ServerTableManager, AFailedTableUpdateRefusesTheSeat) {
  WriteWholeFile(m_Dir.File("games.cfg"), GamesFile("games.cfg"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  ASSERT_EQ(StartTable(0, kProcessId, true,
                       [this](CDummyGame& table, CScriptedStova& db) {
                         table.SetManagerIPPort("127.0.0.1", m_Manager.Port());
                         db.m_FailUpdateTableInfo = true;
                       }),
            1);
  CDummyClient anna(m_A);
  ASSERT_TRUE(anna.RequestTimeDiff());
  ASSERT_TRUE(Tick());
  anna.Clear();
  ASSERT_TRUE(anna.AllocateSlot(1));
  ASSERT_TRUE(Tick());
  const auto answers = WithItem(CDummyClient::All(anna.SlotAlloc()), TABLE_MSG_ALLOCATESLOTANSWER);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(ItemLong(answers[0], TABLE_ITEM_ANSWER), 0);
  EXPECT_FALSE(m_pTable->GetPlayerConnection(1)->IsHeld());
}

TEST_F(ServerTableManager, AConfigurationFileWithoutAKeyFailsTheStartWithItsMessage) {
  struct SCase {
    const char* m_File;
    const char* m_Message;
  } cases[] = {
      {"games_no_serverextrabettime.cfg", "CServer::ReadSetup: Unable to find 'serverextrabettime'.\n"},
      {"games_no_joindatatime.cfg", "CServer::ReadSetup: Unable to find 'joindatatime'.\n"},
      {"games_no_clientcreatetimeout.cfg", "CServer::ReadSetup: Unable to find 'clientcreatetimeout'.\n"},
      {"games_no_waittodietimeout.cfg", "CServer::ReadSetup: Unable to find 'waittodietimeout'.\n"},
      {"games_no_logcommprocessclient.cfg", "CServer::ReadSetup: Unable to find 'logcommprocessclient'.\n"},
      {"games_no_logcommclient.cfg", "CServer::ReadSetup: Unable to find 'logcommclient'.\n"},
      {"games_no_clientpresentationwaittimeout.cfg",
       "CServer::ReadSetup: Unable to find 'clientpresentationwaittimeout'.\n"},
      {"games_nologfile.cfg", "CServer::ReadSetup: Unable to find 'logcommclient' logfilename.\n"},
      {"games_badtime.cfg", "CServer::ReadSetup: Unable to find 'joindatatime'.\n"},
  };
  xSetDiagnostics(1);
  for (const SCase& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(StartManaged(0, 0, c.m_File), 0) << c.m_File;
    EXPECT_NE(testing::internal::GetCapturedStderr().find(c.m_Message), std::string::npos) << c.m_File;
    m_pTable->ExitTable();
    m_pTable.reset();
  }
  std::remove(m_Dir.File("games.cfg").c_str());
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartTable(0, kProcessId), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find(
                "CServerTableBase::ReadGlobalGameConfig: Unable to import configuration file to kcbl.\n"),
            std::string::npos);
  xSetDiagnostics(0);
}

TEST_F(ServerTableManager, TheLogSwitchesOfTheConfigurationNameTheirFiles) {
  ASSERT_EQ(StartManaged(0, 0, "games_logs.cfg"), 1);
  AwaitTexts(2);
  EXPECT_EQ(m_pTable->GetLinkLog(), 1);
  EXPECT_EQ(m_pTable->GetClientPresentationWaitTimeOut(), 15000);
  Settle();
  EXPECT_NE(ReadWholeFile(m_Dir.File("manager.log")), "") << "the manager link logs its traffic";
}

TEST_F(ServerTableManager, AFailedConnectNamesServerAndUserButNotThePassword) {
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartTable(0, 0, false,
                       [](CDummyGame& table, CScriptedStova& db) {
                         table.SetDatabase("db.casino.local", "croupier", "s3cret-word", "kavo", 0);
                         db.m_FailConnect = true;
                       }),
            0);
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  EXPECT_NE(diagnostics.find("Stova couldn't connect (name: db.casino.local user: croupier)"), std::string::npos)
      << diagnostics;
  EXPECT_EQ(diagnostics.find("s3cret-word"), std::string::npos) << diagnostics;
}

TEST_F(ServerTableManager, NoManagerNoStart) {
  WriteWholeFile(m_Dir.File("games.cfg"), GamesFile("games.cfg"));
  CreateTableRecord(STOVA_TABLE_PUBLIC);
  EXPECT_EQ(StartTable(0, kProcessId), 0) << "no manager address";
}

}  // namespace
