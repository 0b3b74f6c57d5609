// The blackjack client's betting on the installed table's dialogs: the deal and repeat buttons of
// the panel's bet area, the seats' cash texts and the chip stacks' controls, on the headless
// screen with the shipped main script and panel.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "../kavotest.h"
#include "bettable.h"
#include "common/widgets/panel.h"
#include "ostrel/controls/static.h"
#include "ostrel/resources/resflags.h"

namespace {

class CBetPanelTest : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    CClientTableBase::Protection() = {};
    m_Table = std::make_unique<CPanelBetTable>();
    ASSERT_TRUE(m_Table->Build());
  }
  void TearDown() override {
    if (m_Table && m_Table->GetPanel()) m_Table->GetPanel()->Exit();
    m_Table.reset();
    CKavoTest::TearDown();
  }
  static int32_t BetAreaState(CPanelBetTable& table, int32_t id) {
    CDialog* area = table.GetPanel()->GetDialog(PANEL_SECTION_BETAREA);
    CControlBase* c = area ? area->GetCtrl(id) : nullptr;
    return c ? c->GetState() : -1;
  }
  std::string CashText(int32_t seat) {
    const char* text = m_Table->MainDialog().GetTextBuffer(175 + seat, 0);
    return text ? text : "(none)";
  }
  static CBetTable::TMoney M(const char* text) { return CBetTable::TMoney(text); }
  std::unique_ptr<CPanelBetTable> m_Table;
};

TEST_F(CBetPanelTest, DealAndRepeatButtonsFollowTheOwnBets) {
  struct SCase {
    const char* What;
    bool Seated;
    const char *Bet, *OldBet, *Cash;
    int32_t State;  // client state
    bool Closed;
    int32_t Deal, Repeat;
  };
  const int32_t on = XGUI_RELEASED, off = XGUI_DISABLED, hidden = XGUI_HIDDEN;
  const SCase cases[] = {
      {"a bet at the minimum", true, "5", "0", "1000", TABLE_CLIENTSTATE_BETTING, false, on, hidden},
      {"a bet below the minimum", true, "3", "30", "1000", TABLE_CLIENTSTATE_BETTING, false, off, hidden},
      {"no bet, an old one", true, "0", "30", "1000", TABLE_CLIENTSTATE_BETTING, false, off, on},
      {"no bet, an old one above the cash", true, "0", "30", "20", TABLE_CLIENTSTATE_BETTING, false, off, hidden},
      {"no bet, an old one equal to the cash", true, "0", "30", "30", TABLE_CLIENTSTATE_BETTING, false, off, on},
      {"no bet, no old one", true, "0", "0", "1000", TABLE_CLIENTSTATE_BETTING, false, off, hidden},
      {"betting closed", true, "10", "30", "1000", TABLE_CLIENTSTATE_BETTING, true, off, hidden},
      {"playing", true, "10", "30", "1000", TABLE_CLIENTSTATE_GAME, false, off, hidden},
      {"no seat", false, "0", "30", "1000", TABLE_CLIENTSTATE_BETTING, false, off, hidden},
  };
  for (const SCase& c : cases) {
    auto table = std::make_unique<CPanelBetTable>();
    ASSERT_TRUE(table->Build()) << c.What;
    table->SetLimits("5", "500");
    if (c.Seated) table->Sit(2, CBetTable::kMe, c.Cash);
    table->Rec(2).SetBet(1, M(c.Bet));
    table->Rec(2).SetBetPlaced(M(c.Bet) > CBetTable::TMoney() ? 1 : 0);
    table->Rec(2).SetOldBet(M(c.OldBet));
    table->SetClientState(c.State);
    if (c.Closed) table->CloseBetting();
    table->UpdateDealButton();
    EXPECT_EQ(BetAreaState(*table, PANEL_CTRL_BET1), c.Deal) << c.What;
    EXPECT_EQ(BetAreaState(*table, PANEL_CTRL_BET2), c.Repeat) << c.What;
    table->GetPanel()->Exit();
  }
}

TEST_F(CBetPanelTest, CashTextsShowTheCashLessTheBetsInTheTablesCurrency) {
  m_Table->Sit(0, CBetTable::kMe, "1000");
  m_Table->Sit(3, CBetTable::kMe, "1000");
  m_Table->Sit(1, 8, "5");
  m_Table->Rec(0).SetBet(1, M("25"));
  m_Table->Rec(3).SetBet(1, M("100.5"));
  ASSERT_EQ(m_Table->UpdateBetTexts(), 1);
  // One player's cash less his bets on both his seats.
  EXPECT_EQ(CashText(0), "$874.50");
  EXPECT_EQ(CashText(3), "$874.50");
  EXPECT_EQ(CashText(1), "$ 5.00");
  EXPECT_EQ(CashText(2), "");
  EXPECT_EQ(CashText(4), "");
}

TEST_F(CBetPanelTest, ACashTextStaysInsideItsControlsBuffer) {
  const int32_t size = m_Table->MainDialog().GetTextBufferSize(175);
  ASSERT_GT(size, 0);
  // A currency whose name alone fills the control.
  m_Table->SetCurrencyPattern("%s credits of the house at the table");
  m_Table->Sit(0, CBetTable::kMe, "9999999999.99");
  ASSERT_EQ(m_Table->UpdateBetTexts(), 1);
  const std::string shown = CashText(0);
  const std::string whole = "9999999999.99 credits of the house at the table";
  ASSERT_GT(static_cast<int32_t>(whole.size()), size);
  EXPECT_EQ(static_cast<int32_t>(shown.size()), size - 1);
  EXPECT_EQ(whole.compare(0, shown.size(), shown), 0) << shown;
}

}  // namespace
