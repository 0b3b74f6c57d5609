// The game states on the table as the set-up builds it, headless: the insurance windows of the
// player's seats with their take button, and the action buttons of the player's turn, with the
// server's records sent on a server node of the table's name.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client/playerdata.h"
#include "kavotablefixture.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/resources/resflags.h"
#include "ostrelcomm/commnode.h"

namespace {
constexpr int32_t kPlayer = 7;  // the fixture's player

class CViewStateTable : public CBlackJackClientTable {
 public:
  int32_t CheckState() { return CheckChangeState(); }
  void SetMoney(int32_t seat, const char* amount) { m_Money[static_cast<size_t>(seat)] = TMoney(amount); }
  void SetTurn(int32_t seat) { m_TurnSeat = seat; }
};

class CKavoStatesViewTest : public CKavoTableFixture {
 protected:
  void SetUp() override {
    CKavoTableFixture::SetUp();
    ASSERT_EQ(StartTable(std::make_unique<CViewStateTable>()), 1);
    m_pServer = std::make_unique<CCommNode>();
    m_pServer->SetLog(0);
    ASSERT_EQ(m_pServer->SetId(0), 1);
    ASSERT_EQ(m_pServer->SetName(KAVO_GAME_REGULAR, TABLE_NODE_TABLE, KAVO_TEST_TABLE_ID, 0, 0), 1);
    ASSERT_EQ(m_pServer->SetObjName(KAVO_GAME_REGULAR, TABLE_SUBTYPE_SERVER), 1);
    ASSERT_EQ(m_pServer->InitCommNode(CNODE_SERVER), 1);
  }
  void TearDown() override {
    m_pServer.reset();
    CKavoTableFixture::TearDown();
  }
  CViewStateTable& T() { return TableAs<CViewStateTable>(); }
  void Sit(int32_t seat, const char* bet, const char* money) {
    ASSERT_NE(T().AllocateSlot(seat, kPlayer), 0);
    T().GetPlayerRecord(seat)->SetBet(KAVO_HAND_1, CBlackJackClientTable::TMoney(bet));
    T().SetMoney(seat, money);
  }
  // The server's record, then the framework's step and the game state's pass.
  int32_t Receive(const std::string& text) {
    EXPECT_TRUE(m_pServer->SendInit());
    EXPECT_TRUE(m_pServer->SendPacket(text.c_str(), static_cast<uint32_t>(text.size())));
    T().CheckState();
    return T().GameStateHandler();
  }
  static int32_t StateOf(CDialog* dialog, int32_t control) {
    CControlBase* c = dialog ? dialog->GetCtrl(control) : nullptr;
    return c ? c->GetState() : -1;
  }

  std::unique_ptr<CCommNode> m_pServer;
};

TEST_F(CKavoStatesViewTest, TheOfferOpensAWindowForEveryOwnSeatWithAStake) {
  Sit(1, "10", "1000");
  Sit(3, "10", "4");  // not even half the bet
  ASSERT_NE(T().AllocateSlot(4, kPlayer), 0);  // no bet
  ASSERT_EQ(Receive("ChangeGameState = 16\n"), 1);
  ASSERT_EQ(Receive("ChangeGameState = 10\n"), 1);
  ASSERT_EQ(Receive("Command = PlayerTimeOut\nTimeOut = 32\nServerTime = " + std::to_string(m_Clock.Now()) + "\n"), 1);
  ASSERT_EQ(Receive("ChangeGameState = 11\n"), 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CDialog* window = T().GetInsuranceDialog(seat);
    ASSERT_NE(window, nullptr) << seat;
    EXPECT_EQ(window->IsHidden(), !(seat == 1 || seat == 3)) << seat;
  }
  EXPECT_EQ(StateOf(T().GetInsuranceDialog(1), 208), XGUI_RELEASED);
  EXPECT_EQ(StateOf(T().GetInsuranceDialog(3), 208), XGUI_DISABLED) << "the money is short";
  // The server's echo closes the window.
  ASSERT_EQ(Receive("Slot = 1\nInsurance = 0\n"), 1);
  EXPECT_EQ(T().GetInsuranceDialog(1)->IsHidden(), 1);
  EXPECT_EQ(T().GetInsuranceDialog(3)->IsHidden(), 0);
}

TEST_F(CKavoStatesViewTest, TheTurnsButtonsFollowTheHand) {
  Sit(2, "10", "1000");
  CBlackJackPlayerData& record = *T().GetPlayerRecord(2);
  ASSERT_EQ(record.AddCard(7), 1);
  ASSERT_EQ(record.AddCard(20), 1);  // eight and eight
  T().SetTurn(2);
  T().SetTimeoutTime(30000, 30000);
  T().StartTimer();
  ASSERT_EQ(Receive("ChangeGameState = 5\n"), 1);
  for (int32_t button : {155, 156, 157, 158})
    EXPECT_EQ(StateOf(T().GetActionDialog(), button), XGUI_RELEASED) << button;
  ASSERT_EQ(record.AddCard(1), 1);
  ASSERT_EQ(T().GameStateHandler(), 1);
  for (int32_t button : {157, 158}) EXPECT_EQ(StateOf(T().GetActionDialog(), button), XGUI_DISABLED) << button;
  EXPECT_EQ(StateOf(T().GetActionDialog(), 155), XGUI_RELEASED);
}

}  // namespace
