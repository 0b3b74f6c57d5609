// kavo.so as the host loads it: by name through the module contract, then xMain for one table
// visit; and the table loop's answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kavomodulefixture.h"
#include "client/clienttable.h"
#include "common/chat/chatclient.h"
#include "forfunplayer.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"
#include "server/servertable.h"
#include "stova/stovaconn.h"
#include "support/runtimefixture.h"
#include "tableloop.h"
#include "tablevisit.h"


namespace {


class KavoModule : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_EQ(m_Module.Load(VORRIN_KAVO_MODULE, DYNLIB_INHERIT_OSTREL), 1);
    m_xMain = reinterpret_cast<TKavoXMain>(m_Module.GetSymbol("xMain"));
    ASSERT_NE(m_xMain, nullptr);
  }
  int32_t Visit(int32_t tableId, int32_t flags = 0, int32_t startSlot = -1) {
    char name[] = "vorrin";
    return m_xMain(7, tableId, nullptr, nullptr, name, nullptr, nullptr, startSlot, 0, flags);
  }
  static int32_t Windows() { return glb->m_pWinCtrl ? glb->m_pWinCtrl->NumWindows() : 0; }

  CDynamicLibrary m_Module;
  TKavoXMain m_xMain = nullptr;
};

TEST_F(KavoModule, ExportsTheContractAndTheEntry) {
  EXPECT_NE(m_Module.GetSymbol("DynamicInheritOstrel"), nullptr);
  EXPECT_NE(m_Module.GetSymbol("xMain"), nullptr);
}

TEST_F(KavoModule, TypesOtherThanTheThreeGamesAreRefusedBeforeAnyTableExists) {
  const int32_t windows = Windows();
  for (const int32_t id : {1019999, 1023000, 0, -1020000, 20999}) {
    EXPECT_EQ(Visit(id), 0) << id;
    EXPECT_EQ(Windows(), windows) << id;
  }
}

// A table whose leaving wishes the test sets.
class CWishingTable : public CBlackJackClientTable {
 public:
  int32_t WantExit() override { return m_Exit; }
  int32_t WantRestart() override { return m_Restart; }
  int32_t WantCashier() override { return m_Cashier; }
  int32_t m_Exit = 1, m_Restart = 0, m_Cashier = 0;
};

TEST(KavoTableLoop, TheWishesGiveTheResult) {
  struct SCase {
    int32_t m_Restart, m_Cashier, m_Result;
  } const cases[] = {{0, 0, KAVO_RESULT_LEFT}, {1, 0, KAVO_RESULT_RESTART}, {0, 1, KAVO_RESULT_CASHIER},
                     {1, 1, KAVO_RESULT_RESTART}};
  for (const SCase& c : cases) {
    CWishingTable table;
    table.m_Restart = c.m_Restart;
    table.m_Cashier = c.m_Cashier;
    EXPECT_EQ(ExitWish(table), c.m_Result) << c.m_Restart << c.m_Cashier;
  }
}

// The module in a process like the host's: the headless 800 x 600 screen, the communication
// library, a working folder that shows the install folder and holds the player database.
class KavoVisit : public CKavoModuleFixture {
 protected:
  void SetUp() override {
    CKavoModuleFixture::SetUp();
    LoadModule(VORRIN_KAVO_MODULE);
  }
  // One visit whose window is closed before its first frame: the tables are built, the loop runs
  // one pass and the visit ends as leaving.
  int32_t VisitClosedAtOnce(int32_t player, int32_t tableId, int32_t flags = 0, CChatClient* chat = nullptr) {
    PlatformDisplay()->PostMessage({XMSG_CLOSE, 0, 0});
    char name[] = "vorrin";
    return m_xMain(player, tableId, chat, nullptr, name, nullptr, nullptr, -1, 0, flags);
  }
  // Replaces a file of the working folder's xrs folder (a link to the install folder's) by text.
  void ReplaceScript(const char* file, const std::string& text) {
    namespace fs = std::filesystem;
    const fs::path xrs = m_Dir.File("xrs");
    const fs::path target = fs::read_symlink(xrs);
    fs::remove(xrs);
    fs::create_directory(xrs);
    for (const auto& entry : fs::directory_iterator(target)) fs::create_symlink(entry.path(), xrs / entry.path().filename());
    fs::remove(xrs / file);
    std::ofstream(xrs / file) << text;
  }
};

TEST_F(KavoVisit, EachGamePlaysForFunAndLeavesNothingBehind) {
  for (const int32_t tableId : {1020001, 1020999, 1021001, 1022001}) {
    const int32_t player = PreparePlayer(static_cast<uint32_t>(tableId));
    EXPECT_EQ(VisitClosedAtOnce(player, tableId), KAVO_RESULT_LEFT) << tableId;
    xSetUserWantToQuit(0);
    Frame();
    EXPECT_EQ(Leftovers(), Before()) << tableId;
    EXPECT_EQ(Screen()->GetFlipScreen(), 1) << tableId;
  }
}

TEST_F(KavoVisit, FailuresAfterTheClientTableWasMadeLeaveNothing) {
  const int32_t player = PreparePlayer(1020001);
  struct SCase {
    const char* m_What;
    int32_t m_TableId, m_Flags;
  } const cases[] = {
      {"remote without a link", 1020001, 1},
      {"no record of the table in the database", 1020002, 0},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(VisitClosedAtOnce(player, c.m_TableId, c.m_Flags), KAVO_RESULT_ENDED) << c.m_What;
    xSetUserWantToQuit(0);
    Frame();
    EXPECT_EQ(Leftovers(), Before()) << c.m_What;
    EXPECT_EQ(Screen()->GetFlipScreen(), 1) << c.m_What;
  }
}

TEST_F(KavoVisit, ABadLimitsScriptEndsTheVisitBeforeTheServerTableStarts) {
  const int32_t player = PreparePlayer(1020001);
  ReplaceScript("kavo_limits.xrs", "{ = Data\n BETLIMITS = { 5, 500, 25, 2500, 100, 5000 }\n"
                                   " VALIDDOUBLESUMSCOUNT = 40\n VALIDDOUBLESUMS = { 10 }\n TIMELIMITS = { 20, 30 }\n}\n");
  EXPECT_EQ(VisitClosedAtOnce(player, 1020001), KAVO_RESULT_ENDED);
  xSetUserWantToQuit(0);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
}

TEST(KavoVisitSteps, TheFlagsWordGivesFourFlags) {
  struct SCase {
    int32_t m_Word, m_Remote, m_Create, m_Log, m_Restore;
  } const cases[] = {{0, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {2, 0, 1, 0, 0}, {4, 0, 0, 1, 0},
                     {8, 0, 0, 0, 1}, {15, 1, 1, 1, 1}, {-16, 0, 0, 0, 0}, {0x7FFFFFF0 | 9, 1, 0, 0, 1}};
  for (const SCase& c : cases) {
    const SKavoVisitFlags f = DecodeVisitFlags(c.m_Word);
    EXPECT_EQ(f.m_Remote, c.m_Remote) << c.m_Word;
    EXPECT_EQ(f.m_Create, c.m_Create) << c.m_Word;
    EXPECT_EQ(f.m_Log, c.m_Log) << c.m_Word;
    EXPECT_EQ(f.m_Restore, c.m_Restore) << c.m_Word;
  }
}

TEST(KavoVisitSteps, ARestoredTableGetsNoChatAndTheOthersGetTheirValues) {
  CChatClient chat(nullptr, nullptr);
  SKavoVisitArgs args;
  args.m_PlayerId = 42;
  args.m_pChat = &chat;
  args.m_StartSlotPos = 3;
  for (const int32_t restore : {0, 1}) {
    CBlackJackClientTable client;
    SKavoVisitFlags flags;
    flags.m_Restore = restore;
    HandOverToClientTable(client, args, flags);
    EXPECT_EQ(client.GetChatObj(), restore ? nullptr : &chat) << restore;
    EXPECT_EQ(client.GetPlayerId(), 42);
    EXPECT_EQ(client.GetStartSlotPos(), 3);
  }
}

TEST(KavoVisitSteps, TheChatJoinsTheChannelNamedByTheTableId) {
  CChatClient chat(nullptr, nullptr);
  EXPECT_EQ(JoinTableChannel(chat, 1020001), 1);
  EXPECT_EQ(chat.NumQueued(), 1);
  EXPECT_EQ(JoinTableChannel(chat, -2147483647 - 1), 1);  // the widest id still fits the name
}

// A server table that stops at its first frame.
class CStoppingServer : public CBlackJackServerTable {
 public:
  int32_t ServerHandler() override { return 0; }
};

TEST(KavoTableLoop, AStoppedServerTableEndsTheVisitAsLeaving) {
  CBlackJackClientTable client;
  CStoppingServer server;
  EXPECT_EQ(RunTableLoop(client, &server, 0, nullptr), KAVO_RESULT_LEFT);
}

}  // namespace
