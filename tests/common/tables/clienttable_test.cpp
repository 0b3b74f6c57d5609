#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/options/optionids.h"
#include "common/options/options.h"
#include "common/playerhistory/playerhistorydll.h"
#include "common/widgets/forfundlg.h"
#include "dummyclient.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/scrolltext.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/rgba.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/soundtest.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resflags.h"
#include "ostrelcomm/commnode.h"
#include "platform/shell/launchrecorder.h"

namespace {
using Money = CHugeFixedPoint<10, 10>;

std::vector<std::pair<std::string, std::string>>& Boxes() {
  static std::vector<std::pair<std::string, std::string>> boxes;
  return boxes;
}
int32_t RecordBox(const char* caption, const char* text) {
  Boxes().emplace_back(caption, text);
  return 1;
}

// A server-side node of the table, as the server half names them, to speak to a client alone.
std::unique_ptr<CCommNode> ServerNode(const char* suffix, uint32_t id = 0) {
  auto node = std::make_unique<CCommNode>();
  node->SetLog(0);
  node->SetId(id);
  node->SetName(DUMMY_GAME, suffix, DUMMY_TABLE, 0, 0);
  node->SetObjName(DUMMY_GAME, TABLE_SUBTYPE_SERVER);
  EXPECT_EQ(node->InitCommNode(CNODE_SERVER), 1);
  return node;
}

bool Send(CCommNode& node, const std::string& text) {
  return node.SendInit() && node.SendPacket(text.c_str(), static_cast<uint32_t>(text.size()));
}

std::string PlNode(int32_t addressee, const std::string& items) {
  return "{ = PrivatePlayerData, PlNode, " + std::to_string(addressee) + ", 0\n" + items + "}\n";
}
}  // namespace

class ClientTable : public CClientTableTest {};

// ---- the road of a player at a table for fun ----

TEST_F(ClientTable, JoinsPlaysARoundAndLeavesAgainstTheServerHalf) {
  const int32_t me = static_cast<int32_t>(CreateMember("ann", "250"));
  StartServer(me);
  StartClient(me);
  m_pClient->m_WantSeat = 2;
  // Time difference, the creator connected and the table made.
  ASSERT_TRUE(RunUntil([&] { return m_pClient->IsTimeDiffDone() != 0; }))
      << m_ServerEnded << m_ClientEnded << " td " << (m_pClient->GetTimeDiffClient() != nullptr) << " srv "
      << m_pServer->NumTimeDiffServers() << " " << m_pServer->IsCreatorConnected();
  ASSERT_TRUE(RunUntil([&] { return m_pServer->IsCreatorConnected() && m_pServer->GetReserveId() == 0; }));
  // Joined through the reconnect, seated by the seat request machine.
  ASSERT_TRUE(RunUntil([&] { return m_pClient->HaveSlot() && m_pClient->AllocStatusDataAvailable(); }))
      << m_ServerEnded << m_ClientEnded << " joined " << m_pClient->IsJoined() << " step " << m_pClient->GetAllocStep()
      << " ids " << m_pClient->HavePlayerIds() << " status " << m_pClient->AllocStatusDataAvailable() << " reconnecting "
      << m_pClient->IsReconnecting() << " practice " << m_pClient->IsPracticeDone() << " type " << m_pClient->GetTableType();
  EXPECT_TRUE(m_pClient->IsJoined());
  EXPECT_EQ(m_pClient->GetIndex(), 2);
  EXPECT_EQ(m_pClient->Calls("ChooseSeat"), std::vector<std::string>{"ChooseSeat 2"});
  EXPECT_EQ(m_pClient->Calls("SlotAllocated"), std::vector<std::string>{"SlotAllocated 2 " + std::to_string(me) + " 1"});
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetSeatMoney(2) == Money(250) && m_pClient->HavePlayerIds(); }));
  ASSERT_TRUE(RunUntil([&] { return std::string(m_pClient->GetSeatUserName(2)) == "ann"; }));
  EXPECT_EQ(m_pClient->GetIconValue(2), 3);
  EXPECT_EQ(m_pClient->GetSlotStatus(2), TABLE_SLOTSTATUS_HELD);
  for (int32_t seat : {0, 1, 3, 4}) EXPECT_EQ(m_pClient->GetSlotStatus(seat), TABLE_SLOTSTATUS_FREE) << seat;
  EXPECT_EQ(m_pClient->m_GameSpecLimit, 500);

  // One round: the timer from the server's clock, BetDone once the bet time runs out unsent.
  ASSERT_TRUE(RunUntil([&] { return !m_pClient->Calls("NewRoundStarted").empty(); }));
  EXPECT_EQ(m_pClient->m_RoundLength, 10000);
  EXPECT_GE(m_pClient->m_RoundElapsed, 0);
  EXPECT_LE(m_pClient->m_RoundElapsed, 100);
  ASSERT_TRUE(RunUntil([&] { return !m_pClient->Calls("BetDone").empty(); }));
  EXPECT_GE(m_pClient->m_LastTimeLeft, 0);
  ASSERT_TRUE(RunUntil([&] { return !m_pServer->Calls("Bet 2 5").empty(); }));
  ASSERT_TRUE(RunUntil([&] { return !m_pClient->Calls("PlayHandler").empty(); }));
  // The presentation done, the server begins the next round.
  ASSERT_TRUE(RunUntil([&] { return m_pClient->Calls("NewRoundStarted").size() == 2; }));
  EXPECT_EQ(m_pServer->Calls("ClientPresentationTimedOut"), std::vector<std::string>{});

  // Leaving.
  m_pClient->ExitGame();
  ASSERT_TRUE(RunUntil([&] { return m_pClient->WantExit() != 0; }));
  EXPECT_EQ(m_pClient->GetExitStep(), CLIENTEXIT_DONE);
  EXPECT_FALSE(m_pServer->IsPlayerSeated(me));
}

TEST_F(ClientTable, AReasonOneDeallocationOfTheOwnSeatEndsTheTable) {
  const int32_t me = static_cast<int32_t>(CreateMember("bo"));
  SitDown(me, 0);
  auto alloc = ServerNode(TABLE_NODE_SLOTALLOC);
  // Another player's crash does not matter; the own one ends the table.
  ASSERT_TRUE(Send(*alloc, "DeallocateSlot\nSlot = 3\nId = 999\nReason = 1\n"));
  EXPECT_TRUE(Frame());
  ASSERT_TRUE(Send(*alloc, "DeallocateSlot\nSlot = 0\nId = " + std::to_string(me) + "\nReason = 1\n"));
  EXPECT_FALSE(Frame());
}

// A server in the same process sends a whole deal within one frame: the game still sees every
// state, in order, one a frame.
TEST_F(ClientTable, EveryGameStateOfOneFrameReachesTheGameInOrder) {
  const int32_t me = static_cast<int32_t>(CreateMember("di"));
  SitDown(me, 0);
  auto table = ServerNode(TABLE_NODE_TABLE);
  m_pClient->m_Calls.clear();
  for (const char* state : {"1", "2", "3", "2"}) ASSERT_TRUE(Send(*table, std::string("ChangeGameState = ") + state + "\n"));
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(Frame());
  std::vector<std::string> seen;
  for (const std::string& call : m_pClient->Calls("GameState")) {
    if (seen.empty() || seen.back() != call) seen.push_back(call);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"GameState 1", "GameState 2", "GameState 3", "GameState 2"}));
}

// ---- reconnect: the replay, then the live records from the own "Hello" on ----

class ClientReconnect : public CClientTableTest {
 protected:
  // A client alone, answered by hand up to its reconnect request.
  void StartReconnecting(int32_t me) {
    StartClient(me);
    m_Alloc = ServerNode(TABLE_NODE_SLOTALLOC);
    m_Table = ServerNode(TABLE_NODE_TABLE);
    m_Reconnect = ServerNode(TABLE_NODE_TABLE, static_cast<uint32_t>(me));
    m_TimeDiff = std::make_unique<CTimeDiffServer>();
    m_TimeDiff->SetId(static_cast<uint32_t>(me));
    m_TimeDiff->SetName(DUMMY_GAME, TABLE_NODE_TIMEDIFF, DUMMY_TABLE, 0, 0);
    m_TimeDiff->SetObjName(DUMMY_GAME, TABLE_SUBTYPE_SERVER);
    ASSERT_EQ(m_TimeDiff->Init(0), 1);
    ASSERT_TRUE(Frame());
    ASSERT_TRUE(Send(*m_Alloc, "RequestTimeDiffAnswer\nId = " + std::to_string(me) + "\nAnswer = 1\nTableType = 1\n"));
    for (int i = 0; i < 50 && !m_pClient->IsReconnecting(); ++i) {
      m_TimeDiff->Handler();
      ASSERT_TRUE(Frame());
    }
    ASSERT_TRUE(m_pClient->IsReconnecting());
    ASSERT_TRUE(Send(*m_Alloc, "RequestReconnectAnswer\nId = " + std::to_string(me) + "\nAnswer = 1\n"));
    ASSERT_TRUE(Frame());
    ASSERT_TRUE(m_pClient->IsJoined());
  }
  std::unique_ptr<CCommNode> m_Alloc, m_Table, m_Reconnect;
  std::unique_ptr<CTimeDiffServer> m_TimeDiff;
};

TEST_F(ClientReconnect, LiveRecordsBeforeTheOwnHelloAreDroppedTheRestFollowTheReplay) {
  const int32_t me = 77;
  StartReconnecting(me);
  m_pClient->BeginAnimation();  // nothing is read while the records arrive
  ASSERT_TRUE(Send(*m_Table, "ChangeGameState = 1\n"));   // live, before the Hello: a copy of the replay
  ASSERT_TRUE(Send(*m_Reconnect, "ChangeGameState = 2\n"));  // replayed
  ASSERT_TRUE(Send(*m_Table, "Hello = 12\n"));            // somebody else's
  ASSERT_TRUE(Send(*m_Table, "ChangeGameState = 3\n"));
  ASSERT_TRUE(Send(*m_Table, "Hello = 77\n"));
  ASSERT_TRUE(Send(*m_Table, "ChangeGameState = 4\n"));   // live, after the own Hello
  EXPECT_EQ(m_pClient->NumHeldBack(), 5);
  ASSERT_TRUE(Send(*m_Reconnect, "ChangeGameState = 5\n"));
  ASSERT_TRUE(Send(*m_Reconnect, "ReconnectEnd\n"));
  EXPECT_FALSE(m_pClient->IsReconnecting());
  EXPECT_EQ(m_pClient->NumHeldBack(), 0);
  std::vector<int32_t> states;
  m_pClient->EndAnimation();
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(Frame());
    if (states.empty() || states.back() != m_pClient->GetGameState()) states.push_back(m_pClient->GetGameState());
  }
  // 2 and 5 replayed, then 4 after the own Hello; 1 and 3 came before it.
  EXPECT_EQ(states.back(), 4);
  EXPECT_EQ(m_pClient->Calls("ReconnectFinished").size(), 1u);
  EXPECT_EQ(m_pClient->GetReconnectNode(), nullptr);
}

TEST_F(ClientReconnect, WithoutTheOwnHelloEveryHeldBackRecordIsDropped) {
  const int32_t me = 78;
  StartReconnecting(me);
  ASSERT_TRUE(Send(*m_Table, "ChangeGameState = 9\n"));
  ASSERT_TRUE(Send(*m_Reconnect, "ChangeGameState = 2\n"));
  ASSERT_TRUE(Send(*m_Reconnect, "ReconnectEnd\n"));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Frame());
  EXPECT_EQ(m_pClient->GetGameState(), 2);
}

TEST_F(ClientTable, ATimeDifferenceAnswerLaterThanThirtySecondsEndsTheTable) {
  StartClient(5);
  auto alloc = ServerNode(TABLE_NODE_SLOTALLOC);
  EXPECT_TRUE(Frame());
  EXPECT_TRUE(Frame(29000));
  EXPECT_FALSE(Frame(1500));
}

// ---- player protection ----

class ClientProtection : public CClientTableTest {
 protected:
  void SetUp() override {
    CClientTableTest::SetUp();
    Boxes().clear();
    CClientTableBase::SetMessageBoxFunc(RecordBox);
    CClientTableBase::Protection() = CClientTableBase::SProtection();
    StartClient(9, 1);
    m_pClient->SetTableType(1);
  }
  void TearDown() override {
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CClientTableBase::Protection() = CClientTableBase::SProtection();
    CClientTableTest::TearDown();
  }
  int32_t Validate(const char* bet) {
    m_pClient->PlayerProtectionSetBet(Money(bet));
    char* message = nullptr;
    return m_pClient->PlayerProtectionValidateBet(message);
  }
};

TEST_F(ClientProtection, LossLimitsPassUpToTheAvailableAmountAndNameTheFirstExceeded) {
  auto& p = CClientTableBase::Protection();
  EXPECT_EQ(Validate("1000000"), 1) << "no limit set";
  struct SCase {
    const char* day;
    const char* week;
    const char* month;
    const char* equal;  // the bet that just passes
    const char* text;
  } cases[] = {
      {"100", "0", "0", "60.5", "60.50"},
      {"0", "100", "0", "30.5", "30.50"},
      {"0", "0", "1000", "930.5", "930.50"},
      {"100", "200", "1000", "60.5", "60.50"},
  };
  for (const SCase& c : cases) {
    p = CClientTableBase::SProtection();
    p.LossPerDay = Money(c.day);
    p.LossPerWeek = Money(c.week);
    p.LossPerMonth = Money(c.month);
    p.LossThisDay = Money("39.5");
    p.LossThisWeek = Money("30");
    p.LossThisMonth = Money("30");
    Boxes().clear();
    EXPECT_EQ(Validate(c.equal), 1) << c.equal;
    EXPECT_TRUE(Boxes().empty());
    std::string over = std::string(c.equal) + "000000001";
    EXPECT_EQ(Validate(over.c_str()), 0) << over;
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].first, "Personal Limit - Alert");
    EXPECT_EQ(Boxes()[0].second, std::string("This wager exceeds your Personal Loss Limit.\nYou have $") + c.text +
                                      " of available funds to wager");
  }
  // Practice tables (3 and 4) never count.
  for (int32_t type : {TABLE_TYPE_PRACTICE, TABLE_TYPE_PRACTICE_PRIVATE}) {
    m_pClient->SetTableType(type);
    EXPECT_EQ(Validate("999999"), 1) << type;
  }
}

TEST_F(ClientProtection, OnlyRealMoneyAtARealTableMovesTheDaysLosses) {
  struct SCase {
    int32_t tableType;
    int32_t realMoney;
    const char* lossAfter;  // after a bet of 10 and a win of 4
  } cases[] = {{1, 1, "6"}, {TABLE_TYPE_PRACTICE, 1, "0"}, {TABLE_TYPE_PRACTICE_PRIVATE, 1, "0"}, {1, 0, "0"}};
  for (const SCase& c : cases) {
    m_pClient->ExitTable();
    StartClient(9, c.realMoney);
    m_pClient->SetTableType(c.tableType);
    CClientTableBase::Protection() = CClientTableBase::SProtection();
    m_pClient->PlayerProtectionSetBet(Money("10"));
    m_pClient->PlayerProtectionCommitBet();
    m_pClient->PlayerProtectionSetWin(Money("4"));
    m_pClient->PlayerProtectionCommitWin();
    EXPECT_EQ(CClientTableBase::Protection().LossThisDay, Money(c.lossAfter)) << c.tableType << " " << c.realMoney;
    EXPECT_EQ(m_pClient->PlayerProtectionGetWin(), Money()) << "the staged win is used up either way";
  }
}

TEST_F(ClientProtection, SessionTimeCountsOnlyWhileSeatedAtARealMoneyTable) {
  auto& p = CClientTableBase::Protection();
  p.MaxSessionTime = 5000;
  m_pClient->PlayerProtectionUpdateSessionTime();
  m_Clock.Advance(4000);
  m_pClient->PlayerProtectionUpdateSessionTime();
  EXPECT_EQ(p.SessionTime, 0u) << "not seated";
  m_pClient->AllocateSlot(1, 9);
  m_Clock.Advance(4000);
  m_pClient->PlayerProtectionUpdateSessionTime();
  EXPECT_EQ(p.SessionTime, 4000u);
  EXPECT_EQ(m_pClient->PlayerProtectionCheckSessionTime(), 1);
  m_pClient->SetTableType(TABLE_TYPE_PRACTICE);
  m_Clock.Advance(4000);
  m_pClient->PlayerProtectionUpdateSessionTime();
  EXPECT_EQ(p.SessionTime, 4000u) << "practice";
  m_pClient->SetTableType(1);
  m_Clock.Advance(1000);
  m_pClient->PlayerProtectionUpdateSessionTime();
  EXPECT_EQ(m_pClient->PlayerProtectionCheckSessionTime(), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "Your maximum session time has been reached.\nPlease log out of the casino.");
  p.SelfExclusion = 1;
  EXPECT_EQ(m_pClient->PlayerProtectionCheckSelfExclusion(), 0);
  EXPECT_EQ(Boxes().back().second.rfind("You are still within your self exclusion period", 0), 0u);
}

TEST_F(ClientProtection, APlNodeForAnotherPlayerLeavesTheLimitsAsTheyWere) {
  auto player = ServerNode(TABLE_NODE_PLAYER);
  const std::string limits =
      "PersonalLimitStatus\nLossPerDay = 50\nLossPerWeek = 0\nLossPerMonth = 0\nLossThisDay = 1\n"
      "LossThisWeek = 0\nLossThisMonth = 0\nMaxSessionTime = -1\nSelfExclusion = 0\n";
  ASSERT_TRUE(Send(*player, PlNode(12345, limits)));
  Frame();
  EXPECT_EQ(CClientTableBase::Protection().LossPerDay, Money());
  ASSERT_TRUE(Send(*player, PlNode(9, limits)));
  Frame();
  EXPECT_EQ(CClientTableBase::Protection().LossPerDay, Money(50));
}

// ---- server messages ----

class ClientServerMsg : public CClientTableTest {
 protected:
  void SetUp() override {
    CClientTableTest::SetUp();
    // The icon strip the build draws, where the framework's script names it.
    std::filesystem::create_directories(m_Dir.File("pictures"));
    std::filesystem::copy_file(std::string(VORRIN_DIST_DIR) + "/pictures/servermsgicons.bmp",
                               m_Dir.File("pictures/servermsgicons.bmp"));
    StartClient(9);
    m_pClient->SetServerMsgPointer(&m_Msg);
  }
  void Post(const char* action, uint8_t icon = 0, const char* text = "Hello") {
    m_Msg = TServerMsg();
    snprintf(m_Msg.m_Action, sizeof m_Msg.m_Action, "%s", action);
    snprintf(m_Msg.m_Message, sizeof m_Msg.m_Message, "%s", text);
    snprintf(m_Msg.m_Title, sizeof m_Msg.m_Title, "News");
    m_Msg.m_Icon = icon;
    m_Msg.m_New = SERVERMSG_NEW;
    Frame();
  }
  TServerMsg m_Msg;
  CLaunchRecorder m_Launcher;
};

TEST_F(ClientServerMsg, ActionsAreCarriedOutWhenTheMessageCloses) {
  struct SCase {
    const char* action;
    uint32_t state;
    bool opened;
    bool wantTable;
  } cases[] = {
      {"XNONE:", 2, false, false},
      {"XQUIT:", 3, false, false},
      {"XURL:http://casino.example/news", 3, true, false},
      {"XURL:https://casino.example/news", 3, true, false},
      {"XURL:file:///etc/passwd", 3, false, false},
      {"XURL:/usr/bin/xterm", 3, false, false},
      {"XPOLL:", 3, false, false},
      {"WAITLIST:4711", 2, false, true},
  };
  for (const SCase& c : cases) {
    m_Launcher.m_Started.clear();
    Post(c.action);
    ASSERT_TRUE(m_pClient->ServerMsgShowing()) << c.action;
    m_pClient->WantDestroyServerMsg();
    Frame();
    EXPECT_FALSE(m_pClient->ServerMsgShowing());
    EXPECT_EQ(m_Msg.m_State, c.state) << c.action;
    EXPECT_EQ(!m_Launcher.m_Started.empty(), c.opened) << c.action;
    EXPECT_EQ(m_pClient->WantTable() != 0, c.wantTable) << c.action;
  }
}

TEST_F(ClientServerMsg, TextIconAndActionButton) {
  Post("XNONE:", 7, "first\\nsecond\\n");
  CDialog* dialog = m_pClient->GetServerMsgDlg();
  ASSERT_NE(dialog, nullptr);
  EXPECT_STREQ(dialog->GetTextBuffer(TABLEDLG_SERVERMSG_TEXT, 0), "first\r\nsecond\r\n");
  EXPECT_STREQ(dialog->GetTextBuffer(TABLEDLG_SERVERMSG_TITLE, 0), "News");
  EXPECT_EQ(m_pClient->GetServerMsgIconIndex(), 7);
  EXPECT_EQ(dialog->GetCtrl(TABLEDLG_SERVERMSG_ACTION)->GetState(), XGUI_HIDDEN);
  m_pClient->WantDestroyServerMsg();
  Frame();
  Post("XURL:https://a.example", 10);
  EXPECT_EQ(m_pClient->GetServerMsgIconIndex(), 0) << "out of range";
  EXPECT_NE(m_pClient->GetServerMsgDlg()->GetCtrl(TABLEDLG_SERVERMSG_ACTION)->GetState(), XGUI_HIDDEN);
  m_pClient->WantDestroyServerMsg();
  Frame();
  Post("FURL:https://a.example", 9);
  EXPECT_EQ(m_pClient->GetServerMsgIconIndex(), 9);
  EXPECT_EQ(m_pClient->GetServerMsgDlg()->GetCtrl(TABLEDLG_SERVERMSG_ACTION)->GetState(), XGUI_HIDDEN);
}

TEST_F(ClientServerMsg, TheIconStripHoldsTenDistinctIconsOnTheBaize) {
  int32_t width = 0, height = 0;
  CBitmap* strip = m_pClient->GetCommonRes()->GetBm(TABLE_ICON_STRIP, &width, &height);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(width, TABLE_ICON_SIZE * TABLE_ICON_COUNT);
  EXPECT_EQ(height, TABLE_ICON_SIZE);
  const auto pixel = [&](int32_t x, int32_t y) {
    TRGBA c(0, 0, 0);
    EXPECT_EQ(strip->GetPixel(x, y, &c), 1);
    return (c.r << 16) | (c.g << 8) | c.b;
  };
  // Each icon's corner is the baize; across its middle row it is drawn in colours of its own.
  std::vector<std::vector<int32_t>> rows;
  for (int32_t icon = 0; icon < TABLE_ICON_COUNT; ++icon) {
    const int32_t x0 = icon * TABLE_ICON_SIZE;
    EXPECT_EQ(pixel(x0, 0), pixel(0, 0)) << icon;
    std::vector<int32_t> row;
    for (int32_t x = 0; x < TABLE_ICON_SIZE; ++x) row.push_back(pixel(x0 + x, 20));
    EXPECT_GT(std::count_if(row.begin(), row.end(), [&](int32_t c) { return c != pixel(0, 0); }), 15) << icon;
    for (const auto& other : rows) EXPECT_NE(row, other) << icon;
    rows.push_back(row);
  }
  Post("XNONE:", 4);
  EXPECT_EQ(m_pClient->GetServerMsgIconIndex(), 4);
}

// ---- maximum rounds, deposit ----

TEST_F(ClientTable, TheMaximumRoundDialogComesAfterFiveRoundsForFun) {
  const int32_t me = static_cast<int32_t>(CreateMember("cy"));
  SitDown(me, 1);
  m_pClient->m_AutoBet = 2;
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetMaxRoundDlg() != nullptr; }, 600000, 100));
  EXPECT_EQ(m_pClient->Calls("NewRoundStarted").size(), 6u);
  CClientTableBase::MaxRoundCallback(2, TABLEDLG_MAXROUND, TABLEDLG_CANCEL, 0, m_pClient.get());
  Frame();
  EXPECT_EQ(m_pClient->GetMaxRoundDlg(), nullptr);
  EXPECT_FALSE(m_pClient->WantRestart());
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetMaxRoundDlg() != nullptr; }, 600000, 100));
  CClientTableBase::MaxRoundCallback(2, TABLEDLG_MAXROUND, TABLEDLG_OK, 0, m_pClient.get());
  Frame();
  EXPECT_TRUE(m_pClient->WantRestart());
  EXPECT_TRUE(m_pClient->IsLeaving());
}

TEST_F(ClientTable, TheDepositDialogComesAfterItsDelayAtBalanceZeroForRealMoney) {
  const int32_t me = static_cast<int32_t>(CreateMember("di", "0"));
  StartServer(me);
  StartClient(me, 1);
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetRecordedBalanceKnown() && m_pClient->IsJoined(); }));
  EXPECT_TRUE(RunUntil([&] { return m_pClient->GetDepositDlg() != nullptr; }, 29000, 500) == false);
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetDepositDlg() != nullptr; }, 5000, 500));
  CClientTableBase::MaxRoundCallback(2, TABLEDLG_DEPOSIT, TABLEDLG_CANCEL, 0, m_pClient.get());
  Frame();
  EXPECT_EQ(m_pClient->GetDepositDlg(), nullptr);
  // It does not come back.
  EXPECT_FALSE(RunUntil([&] { return m_pClient->GetDepositDlg() != nullptr; }, 60000, 1000));
}

// ---- practice money ----

TEST_F(ClientTable, PracticeMoneyIsAskedForChosenAndSent) {
  const int32_t me = static_cast<int32_t>(CreateMember("ed", "1000"));
  StartServer(me, TABLE_TYPE_PRACTICE);
  StartClient(me);
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetPracticeStep() == 2; }));
  CForFunDlg* dialog = m_pClient->GetForFunDlg();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->GetID(), TABLEDLG_FORFUN_REQUEST);
  EXPECT_STREQ(dialog->GetTextBuffer(FORFUN_AMOUNTTEXT, 0), "1000.00");
  snprintf(dialog->GetTextBuffer(FORFUN_AMOUNT, 0), 24, "%s", "400");
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetPracticeStep() == 3; }, 40000, 500));
  EXPECT_EQ(m_pClient->GetForFunDlg()->GetID(), TABLEDLG_FORFUN_CHOSEN);
  ASSERT_TRUE(RunUntil([&] { return !m_pServerDb->m_Calls.empty() && m_pServerDb->m_Calls.back().rfind("PracticeSetUserCash", 0) == 0; }));
  EXPECT_NE(m_pServerDb->m_Calls.back().find(" 400"), std::string::npos) << m_pServerDb->m_Calls.back();
  ASSERT_TRUE(RunUntil([&] { return m_pClient->IsPracticeDone() != 0; }, 40000, 500));
}

TEST_F(ClientTable, LeavingAPracticeTableShowsTheBalanceTheServerHolds) {
  const int32_t me = static_cast<int32_t>(CreateMember("lu", "1000"));
  StartServer(me, TABLE_TYPE_PRACTICE);
  StartClient(me);
  m_pClient->m_WantSeat = 1;
  ASSERT_TRUE(RunUntil([&] { return m_pClient->GetPracticeStep() == 2; }));
  snprintf(m_pClient->GetForFunDlg()->GetTextBuffer(FORFUN_AMOUNT, 0), 24, "%s", "400");
  ASSERT_TRUE(RunUntil([&] { return m_pClient->IsPracticeDone() != 0; }, 80000, 500));
  ASSERT_TRUE(RunUntil([&] { return m_pClient->HaveSlot() != 0; }));
  // The balance moves after the dialog chose it, as a round's settlement moves it.
  int32_t ok = 0;
  ASSERT_EQ(m_pDb->SetUserCash(static_cast<uint32_t>(me), TStovaMoney("387.5"), ok), 1);
  m_pClient->ExitGame();
  ASSERT_TRUE(RunUntil([&] {
    CForFunDlg* dialog = m_pClient->GetForFunDlg();
    return m_pClient->GetExitStep() == CLIENTEXIT_FORFUN && dialog && dialog->GetID() == TABLEDLG_FORFUN_ANSWER &&
           *dialog->GetTextBuffer(FORFUN_AMOUNTTEXT, 0);
  }));
  EXPECT_STREQ(m_pClient->GetForFunDlg()->GetTextBuffer(FORFUN_AMOUNTTEXT, 0), "387.50");
  // The dialog still closes by its button.
  const CRect r = m_pClient->GetForFunDlg()->GetCtrl(FORFUN_CLOSE)->ScreenRect();
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ASSERT_TRUE(RunUntil([&] { return m_pClient->WantExit() != 0; }));
  EXPECT_EQ(m_pClient->GetForFunDlg(), nullptr);
}

TEST_F(ClientTable, AMissingPracticeWindowEndsTheTable) {
  // The framework's script without the practice-money windows.
  WriteWholeFile(m_Dir.File("xrs/tablecommon.xrs"), "{ = Strings\n    X = 13300, \"x\"\n}\n");
  const int32_t me = static_cast<int32_t>(CreateMember("fi"));
  StartServer(me, TABLE_TYPE_PRACTICE);
  StartClient(me);
  EXPECT_FALSE(RunUntil([&] { return m_ClientEnded; }) == false);
}

// ---- hostile records ----

TEST_F(ClientTable, RecordsWithSeatsOutsideTheTableOrTooFewValuesAreIgnored) {
  const int32_t me = static_cast<int32_t>(CreateMember("gu", "70"));
  SitDown(me, 4);
  auto player = ServerNode(TABLE_NODE_PLAYER);
  auto status = ServerNode(TABLE_NODE_SLOTSTATUS);
  auto table = ServerNode(TABLE_NODE_TABLE);
  const std::vector<std::string> bad = {
      PlNode(0, "M\nD = 1\nD = 2\n"),
      PlNode(0, "MJ\nD = 5, 9\n"),
      PlNode(0, "MJ\nD = -1, 9\n"),
      PlNode(0, "T\nD = 1\n"),
      PlNode(0, "PI\nD = 1, 2\n"),
      PlNode(0, "IC\nD = 7, 1, 4, \"x\"\n"),
      PlNode(0, "IC\nD = 4\n"),
      PlNode(0, "IC\n"),
      PlNode(0, "M\n"),
      "{ = PrivatePlayerData, PlNode, x, y\nM\n}\n",
  };
  for (const std::string& text : bad) ASSERT_TRUE(Send(*player, text));
  ASSERT_TRUE(Send(*status, "SlotAllocStatus\nSlotStatus = 0\nSlotStatus = 1\n"));
  ASSERT_TRUE(Send(*table, "PlayerSeats\nS = 1, 1, 1, 9\n"));
  ASSERT_TRUE(Send(*table, "ChangeClientState = 99\n"));
  EXPECT_TRUE(Frame());
  EXPECT_EQ(m_pClient->GetSeatMoney(4), Money(70));
  EXPECT_EQ(m_pClient->GetSlotStatus(4), TABLE_SLOTSTATUS_HELD);
  EXPECT_EQ(m_pClient->GetIndex(), 4);
  // A long name is cut to its 30 characters.
  ASSERT_TRUE(Send(*player, PlNode(0, "IC\nD = 4, 2, 4, \"" + std::string(80, 'n') + "\"\n")));
  EXPECT_TRUE(Frame());
  EXPECT_EQ(std::string(m_pClient->GetSeatUserName(4)), std::string(30, 'n'));
  EXPECT_EQ(m_pClient->GetPlayerConnection(4)->m_SecondSeat, 1);
}

// ---- the panel's request box and message line, texts from the server ----

namespace {
// The panel's script as far as the table reaches it: the message line and the request box.
constexpr char kPanelScript[] =
    "{ = Defines\n    IDD_LINE = 3300\n    IDC_LINE = 414\n    IDD_REQUEST = 3307\n    IDC_TEXT = 470\n"
    "    IDC_HEADING = 471\n}\n"
    "{ = Window, IDD_LINE\n    Create = \"\", 0, 560, 800, 20, 0\n"
    "    { = Scrolltext, IDC_LINE\n        Create = \"x\", 0, 0, 600, 20, 1, 0\n    }\n}\n"
    "{ = Window, IDD_REQUEST\n    Create = \"\", 200, 600, 400, 120, 0\n"
    "    { = Static, IDC_TEXT\n        Create = \"\", 0, 30, 400, 80, 0\n        TextBufferSize = 4000\n    }\n"
    "    { = Static, IDC_HEADING\n        Create = \"\", 0, 0, 400, 24, 0\n        TextBufferSize = 4000\n    }\n}\n";

// A panel with the two dialogs the table reaches, recording the chat lines it is given.
class CPanelWithDialogs : public CPanel {
 public:
  explicit CPanelWithDialogs(CResData* res) {
    m_pMessageLine = Open(res, PANEL_SECTION_MESSAGELINE);
    m_pRequest = Open(res, PANEL_SECTION_REQUEST);
  }
  ~CPanelWithDialogs() override {
    for (CDialog** dialog : {&m_pMessageLine, &m_pRequest}) {
      if (*dialog) (*dialog)->Destroy();
      delete *dialog;
      *dialog = nullptr;
    }
  }
  void UpdateChat(char* line) override { m_Chat.emplace_back(line ? line : "(null)"); }
  std::vector<std::string> m_Chat;

 private:
  static CDialog* Open(CResData* res, int32_t section) {
    auto* dialog = new CDialog;
    EXPECT_EQ(dialog->Create(res, section, nullptr, 0, nullptr), 1) << section;
    return dialog;
  }
};

class ClientPanel : public CClientTableTest {
 protected:
  void SetUp() override {
    CClientTableTest::SetUp();
    WriteWholeFile(m_Dir.File("panel.xrs"), kPanelScript);
    ASSERT_EQ(m_PanelRes.Load("panel.xrs"), 1);
    StartClient(9);
    m_pPanel = new CPanelWithDialogs(&m_PanelRes);
    m_pClient->UsePanel(m_pPanel);
  }
  void TearDown() override {
    if (m_pClient && !m_ClientEnded) m_pClient->ExitTable();
    m_pClient.reset();
    CClientTableTest::TearDown();
  }
  std::string RequestText(int32_t control) { return m_pPanel->GetRequestDialog()->GetTextBuffer(control, 0); }

  CResData m_PanelRes;
  CPanelWithDialogs* m_pPanel = nullptr;  // owned by the table
};
}  // namespace

TEST_F(ClientPanel, TheMessageLineScrollsOnlyWhenThePanelHasOne) {
  ASSERT_EQ(m_pClient->ClientInitScroll(), 1);
  auto* line = dynamic_cast<CScrollText*>(m_pPanel->GetMessageLineDialog()->GetCtrl(PANEL_CTRL_MESSAGELINE));
  ASSERT_NE(line, nullptr);
  m_pClient->GetScrollHandler().AddMessage("Tonight: double payouts");
  ASSERT_NE(line->GetPaddedText(), nullptr);
  EXPECT_NE(std::string(line->GetPaddedText()).find("Tonight: double payouts"), std::string::npos);
  m_pClient->ClientExitScroll();

  m_pClient->UsePanel(new CPanel);
  m_pPanel = nullptr;
  EXPECT_EQ(m_pClient->ClientInitScroll(), 0);
}

TEST_F(ClientPanel, AJoinRequestForThisPlayerOpensTheRequestBoxAndTheAnswerGoesBack) {
  auto alloc = ServerNode(TABLE_NODE_SLOTALLOC);
  const auto request = [](int32_t owner, int32_t id, const std::string& name, const std::string& reason) {
    return "{ = PrivatePlayerData, JoinRequest, " + std::to_string(owner) + ", 0\nRequestId = " + std::to_string(id) +
           "\nName = \"" + name + "\"\nReason = \"" + reason + "\"\n}\n";
  };
  // Somebody else's request is not shown.
  ASSERT_TRUE(Send(*alloc, request(10, 40, "eve", "hi")));
  Frame();
  EXPECT_EQ(m_pClient->GetShownRequestId(), 0);
  EXPECT_EQ(RequestText(PANEL_CTRL_REQUEST_HEADING), "");
  // Long texts are cut: the name to 100 characters, the reason to 1000.
  ASSERT_TRUE(Send(*alloc, request(9, 41, std::string(150, 'n'), std::string(1500, 'r'))));
  Frame();
  EXPECT_EQ(m_pClient->GetShownRequestId(), 41);
  EXPECT_EQ(RequestText(PANEL_CTRL_REQUEST_HEADING), std::string(100, 'n'));
  EXPECT_EQ(RequestText(PANEL_CTRL_REQUEST_TEXT), std::string(1000, 'r'));
  // A request without a reason shows an empty one.
  ASSERT_TRUE(Send(*alloc, "{ = PrivatePlayerData, JoinRequest, 9, 0\nRequestId = 42\nName = \"bo\"\n}\n"));
  Frame();
  EXPECT_EQ(m_pClient->GetShownRequestId(), 42);
  EXPECT_EQ(RequestText(PANEL_CTRL_REQUEST_HEADING), "bo");
  EXPECT_EQ(RequestText(PANEL_CTRL_REQUEST_TEXT), "");

  CDummyClient::All(*alloc);
  ASSERT_EQ(m_pClient->SendRequestAnswer(1), 1);
  EXPECT_EQ(m_pClient->GetShownRequestId(), 0);
  const std::vector<std::string> sent = CDummyClient::All(*alloc);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("RequestAnswer = 42, 1"), std::string::npos) << sent[0];
}

TEST_F(ClientPanel, AServerTextIsCutToOneThousandCharactersBeforeTheChat) {
  auto player = ServerNode(TABLE_NODE_PLAYER);
  ASSERT_TRUE(Send(*player, PlNode(0, "ServerMsg = \"" + std::string(1500, 's') + "\"\n")));
  ASSERT_TRUE(Send(*player, PlNode(0, "ServerMsg = \"short\"\n")));
  Frame();
  ASSERT_EQ(m_pPanel->m_Chat.size(), 2u);
  EXPECT_EQ(m_pPanel->m_Chat[0], std::string(1000, 's'));
  EXPECT_EQ(m_pPanel->m_Chat[1], "short");
}

// ---- the play-history window ----

TEST_F(ClientTable, ThePlayHistoryWindowOpensOnceForAJoinedPlayerOutsideAnimations) {
  const int32_t me = static_cast<int32_t>(CreateMember("ha"));
  StartServer(me);
  StartClient(me);
  EXPECT_EQ(m_pClient->CreatePlayerHistoryDialog(), 0) << "not joined yet";
  EXPECT_EQ(m_pClient->GetPlayerHistory(), nullptr);
  ASSERT_TRUE(RunUntil([&] { return m_pClient->IsJoined() && m_pClient->IsTimeDiffDone(); }));
  m_pClient->BeginAnimation();
  EXPECT_EQ(m_pClient->CreatePlayerHistoryDialog(), 0) << "during an animation";
  m_pClient->EndAnimation();
  ASSERT_EQ(m_pClient->CreatePlayerHistoryDialog(), 1);
  CPlayerHistoryDll* window = m_pClient->GetPlayerHistory();
  ASSERT_NE(window, nullptr);
  // The module was given the table's play-history node, the player and the table.
  auto log = reinterpret_cast<const char* (*)()>(window->GetSymbol("QuilletStubLog"));
  ASSERT_NE(log, nullptr);
  char expected[128];
  snprintf(expected, sizeof expected, "contract;Init %p %d %u;",
           static_cast<void*>(m_pClient->GetPlayerHistoryRequestNode()), me, DUMMY_TABLE);
  EXPECT_EQ(std::string(log()), expected);
  EXPECT_EQ(m_pClient->CreatePlayerHistoryDialog(), 0) << "one window";
  EXPECT_EQ(m_pClient->GetPlayerHistory(), window);
}

// ---- options ----

class ClientOptions : public CClientTableTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 250);
    CClientTableTest::SetUp();
    ASSERT_EQ(m_OptionNames.Load((std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/optdef.xrs").c_str()), 1);
    m_pOptions = std::make_unique<COptions>(&m_OptionNames);
    ASSERT_EQ(m_pOptions->Load(DUMMY_GAME, "ann"), 1);
    m_pMusic = std::make_unique<CMilesMusic>();
    WriteWholeFile(m_Dir.File("tune.mid"), OneNoteMidi());
    ASSERT_EQ(m_pMusic->Load(m_Dir.File("tune.mid").c_str()), 1);
    StartClient(9);
    m_pClient->SetMusicObj(m_pMusic.get());
  }
  void TearDown() override {
    if (m_pClient && !m_ClientEnded) m_pClient->ExitTable();
    m_pClient.reset();
    m_pMusic.reset();
    m_pOptions.reset();
    CClientTableTest::TearDown();
  }
  // The music switch as "options.cfg" holds it now.
  int32_t SavedMusic() {
    COptions saved(&m_OptionNames);
    int32_t on = -1;
    EXPECT_EQ(saved.Load(DUMMY_GAME, "ann"), 1);
    EXPECT_EQ(saved.GetBool(OPTION_MUSIC, &on), 1);
    return on;
  }

  CResData m_OptionNames;
  std::unique_ptr<COptions> m_pOptions;
  std::unique_ptr<CMilesMusic> m_pMusic;
};

TEST_F(ClientOptions, TheMusicSwitchStartsOrStopsTheMusicAndTheOptionsAreSaved) {
  EXPECT_EQ(m_pClient->OptionsChanged(), 0) << "no options";
  EXPECT_FALSE(std::filesystem::exists(m_Dir.File(OPTIONS_FILE_NAME)));
  m_pClient->SetOptionsObj(m_pOptions.get());
  ASSERT_EQ(m_pOptions->SetBool(OPTION_MUSIC, 1), 1);
  EXPECT_EQ(m_pClient->OptionsChanged(), 1);
  EXPECT_TRUE(m_pMusic->IsPlaying());
  EXPECT_EQ(SavedMusic(), 1);
  ASSERT_EQ(m_pOptions->SetBool(OPTION_MUSIC, 0), 1);
  EXPECT_EQ(m_pClient->OptionsChanged(), 1);
  EXPECT_FALSE(m_pMusic->IsPlaying());
  EXPECT_EQ(m_pMusic->GetMusicState(), MUSIC_STOPPED);
  EXPECT_EQ(SavedMusic(), 0);
}
