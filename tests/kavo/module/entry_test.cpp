// kavo.so as the host loads it: by name through the module contract, then xMain for one table
// visit; and the table loop's answers.
#include <gtest/gtest.h>

#include "client/clienttable.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/globals.h"
#include "support/runtimefixture.h"
#include "tableloop.h"

class CChatClient;
class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

namespace {

using TXMain = int32_t (*)(int32_t, int32_t, CChatClient*, CCommRemoteClient*, char*, CMilesMusic*, TServerMsg*,
                           int32_t, int32_t, int32_t);

class KavoModule : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_EQ(m_Module.Load(VORRIN_KAVO_MODULE, DYNLIB_INHERIT_OSTREL), 1);
    m_xMain = reinterpret_cast<TXMain>(m_Module.GetSymbol("xMain"));
    ASSERT_NE(m_xMain, nullptr);
  }
  int32_t Visit(int32_t tableId, int32_t flags = 0, int32_t startSlot = -1) {
    char name[] = "vorrin";
    return m_xMain(7, tableId, nullptr, nullptr, name, nullptr, nullptr, startSlot, 0, flags);
  }
  static int32_t Windows() { return glb->m_pWinCtrl ? glb->m_pWinCtrl->NumWindows() : 0; }

  CDynamicLibrary m_Module;
  TXMain m_xMain = nullptr;
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

}  // namespace
