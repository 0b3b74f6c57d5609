// What the client table shows of the round on its main dialog, loaded from the table's authored
// script on the headless screen: the hands' value texts and their spoken sequences, the
// reminder near the end of the betting time, a new round's clean table, the seat icons, watching,
// the seat panel and the commands of the table's dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../kavotest.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/playericon.h"
#include "fennic/pocket.h"
#include "ostrel/graphics/bitmap.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kDealerValue = 164;

// The table with its main script and main dialog as the set-up builds them, the watch dialog,
// its records and pockets; the framework's seat lists filled by the test.
class CDisplayTable : public CBlackJackClientTable {
 public:
  CDisplayTable() {
    m_CardTable.Init(KAVO_HAND_POSITIONS, 4, 13, 13);
    m_Layout.MaxCardsInPocket = 12;
    m_Layout.PanelAnimFrames = 1;
    m_TableId = 1020007;
    m_SlotStatus.assign(KAVO_NUM_SEATS, 0);
    m_Think.assign(KAVO_NUM_SEATS, 0);
    m_IconValue.assign(KAVO_NUM_SEATS, 0);
    m_IconFlags.assign(KAVO_NUM_SEATS, 0);
    m_SeatNames.assign(KAVO_NUM_SEATS, "");
    m_Money.assign(KAVO_NUM_SEATS, TMoney("100"));
  }
  ~CDisplayTable() override {
    DeletePlayerIcons();
    if (m_pSecondDialog) m_pSecondDialog->Destroy();
    m_MainDialog.Destroy();
  }
  bool Build() {
    if (!m_MainScript.Load(KAVO_SCRIPT_MAIN)) return false;
    if (!m_MainDialog.Create(&m_MainScript, 110, MainDialogCallback, 0, static_cast<CBlackJackClientTable*>(this)))
      return false;
    m_pSecondDialog = new CDialog;
    if (!m_pSecondDialog->Create(&m_MainScript, 200, MainDialogCallback, 0, static_cast<CBlackJackClientTable*>(this)))
      return false;
    return CreatePlayerRecords() == 1;
  }
  int32_t Exit() override { return 1; }

  std::string Text(int32_t control) {
    const char* text = m_MainDialog.GetTextBuffer(control, 0);
    return text ? text : "(none)";
  }
  std::string WatchText() {
    const char* text = m_pSecondDialog->GetTextBuffer(201, 0);
    return text ? text : "(none)";
  }
  int32_t State(int32_t control) {
    CControlBase* c = m_MainDialog.GetCtrl(control);
    return c ? c->GetState() : -1;
  }
  std::vector<int32_t> Sequence() const { return {m_SampleSequence[0], m_SampleSequence[1], m_SampleSequence[2]}; }
  void ClearSequence() { m_SampleSequence[0] = m_SampleSequence[1] = m_SampleSequence[2] = -1; }
  void SetSeat(int32_t seat, int32_t mode, int32_t think, const char* name) {
    m_SlotStatus[static_cast<size_t>(seat)] = mode;
    m_Think[static_cast<size_t>(seat)] = think;
    m_SeatNames[static_cast<size_t>(seat)] = name;
  }
  CResData& Script() { return m_MainScript; }
  CScrollHandler& Scroll() { return m_Scroll; }
  int32_t WantSeat() const { return m_WantAllocSeat; }
  void SetTurn(int32_t seat) { m_TurnSeat = seat; }
};

class CKavoDisplayTest : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    m_pTable = std::make_unique<CDisplayTable>();
    ASSERT_TRUE(m_pTable->Build());
  }
  void TearDown() override {
    m_pTable.reset();
    CKavoTest::TearDown();
  }
  std::unique_ptr<CDisplayTable> m_pTable;
};

// ---- hand values ----

struct SValueCase {
  const char* Name;
  int32_t Soft, Hard, Control, Cards, Split, Doubled;
  int32_t DealerSilent, SoftOnly;
  const char* Text;
  std::vector<int32_t> Sequence;  // -1 ended; {-1} none started
};

const SValueCase kValues[] = {
    {"splitTwoCard21", 21, 11, 166, 2, 1, 0, 0, 0, "21", {34, -1}},
    {"dealerSoft17", 17, 7, kDealerValue, 2, 0, 0, 0, 0, "17", {30, -1}},
    {"dealerSoft16", 16, 6, kDealerValue, 2, 0, 0, 0, 0, "6/16", {29, -1}},
    {"playerSoft18", 18, 8, 159, 2, 0, 0, 0, 0, "8/18", {21, 31, -1}},
    {"playerSoft18Doubled", 18, 8, 159, 3, 0, 1, 0, 0, "18", {31, -1}},
    {"playerSoft18SoftOnly", 18, 8, 159, 2, 0, 0, 0, 1, "18", {31, -1}},
    {"playerSoft20", 20, 10, 161, 2, 0, 0, 0, 0, "10/20", {33, -1}},
    {"blackjack", 21, 11, 160, 2, 0, 0, 0, 0, "Blackjack", {5, -1}},
    {"dealerBlackjack", 21, 11, kDealerValue, 2, 0, 0, 0, 0, "Blackjack", {38, -1}},
    {"dealerBlackjackSilent", 21, 11, kDealerValue, 2, 0, 0, 1, 0, "Blackjack", {-1}},
    {"bust", 22, 22, 162, 3, 0, 0, 0, 0, "22 BUST!", {11, -1}},
    {"dealerBust", 25, 25, kDealerValue, 4, 0, 0, 0, 0, "25 BUST!", {40, -1}},
    {"equalTotals", 15, 15, 163, 2, 0, 0, 0, 0, "15", {28, -1}},
    {"equal21", 21, 21, 171, 3, 1, 0, 0, 0, "21", {34, -1}},
    {"softOver21", 27, 17, 159, 3, 0, 0, 0, 0, "17", {30, -1}},
    {"softThreeCard21", 21, 11, 159, 3, 0, 0, 0, 0, "21", {34, -1}},
    {"oneCardTextOnly", 11, 1, 159, 1, 0, 0, 0, 0, "1/11", {-1}},
};

class CKavoValueTest : public CKavoDisplayTest, public ::testing::WithParamInterface<SValueCase> {};

TEST_P(CKavoValueTest, TextAndSpokenSequence) {
  const SValueCase& c = GetParam();
  m_pTable->ClearSequence();
  m_pTable->SetDealerValueSilent(c.DealerSilent);
  m_pTable->SetSoftValueOnly(c.SoftOnly);
  m_pTable->ShowHandValue(c.Soft, c.Hard, c.Control, c.Cards, c.Split, c.Doubled);
  EXPECT_EQ(m_pTable->Text(c.Control), c.Text);
  std::vector<int32_t> want = c.Sequence;
  want.resize(3, -1);
  EXPECT_EQ(m_pTable->Sequence(), want);
}

INSTANTIATE_TEST_SUITE_P(Hands, CKavoValueTest, ::testing::ValuesIn(kValues),
                         [](const ::testing::TestParamInfo<SValueCase>& info) { return info.param.Name; });

TEST_F(CKavoDisplayTest, ValueTextsEmptyHideAndShow) {
  m_pTable->ShowHandValue(18, 8, 159, 2, 0, 0);
  m_pTable->ShowHandValue(17, 17, kDealerValue, 2, 0, 0);
  // A control outside the sixteen is no value text.
  m_pTable->ShowHandValue(18, 8, 175, 2, 0, 0);
  EXPECT_EQ(m_pTable->Text(175).find("8/18"), std::string::npos);
  m_pTable->ClearValueTexts();
  for (int32_t control = 159; control < 175; ++control) EXPECT_EQ(m_pTable->Text(control), "") << control;
  m_pTable->ShowValueTexts(0);
  for (int32_t control = 159; control < 175; ++control) EXPECT_EQ(m_pTable->State(control), XGUI_HIDDEN);
  m_pTable->ShowValueTexts(1);
  for (int32_t control = 159; control < 175; ++control) EXPECT_EQ(m_pTable->State(control), XGUI_RELEASED);
}

// ---- the betting time ----

TEST_F(CKavoDisplayTest, ReminderOncePerBettingTimeAndOnlyUnderFiveSeconds) {
  CScrollHandler& scroll = m_pTable->Scroll();
  const int32_t before = scroll.NumQueued();
  m_pTable->ShowTimeLeft(4000);
  EXPECT_EQ(m_pTable->ReminderSaid(), 0) << "no meter runs before the betting time starts";
  m_pTable->StartRoundTimer(15000, 0);
  m_pTable->ShowTimeLeft(9000);
  m_pTable->ShowTimeLeft(5000);
  EXPECT_EQ(m_pTable->ReminderSaid(), 0);
  EXPECT_EQ(scroll.NumQueued(), before);
  m_pTable->ShowTimeLeft(4999);
  EXPECT_EQ(m_pTable->ReminderSaid(), 1);
  EXPECT_EQ(scroll.NumQueued(), before + 1);
  m_pTable->ShowTimeLeft(2000);
  m_pTable->ShowTimeLeft(0);
  EXPECT_EQ(scroll.NumQueued(), before + 1) << "once per betting time";
  // The next round's betting time reminds again.
  m_pTable->NewRound();
  m_pTable->StartRoundTimer(15000, 0);
  m_pTable->ShowTimeLeft(1000);
  EXPECT_EQ(scroll.NumQueued(), before + 2);
  // Watching stops it.
  m_pTable->NewRound();
  m_pTable->StartRoundTimer(15000, 0);
  m_pTable->SetWatchMode(1);
  m_pTable->ShowTimeLeft(1000);
  EXPECT_EQ(scroll.NumQueued(), before + 2);
}

TEST_F(CKavoDisplayTest, NewRoundClearsTheRecordsAndTexts) {
  CBlackJackPlayerData& seat = *m_pTable->GetPlayerRecord(3);
  seat.SetBet(1, TMoney("25"));
  ASSERT_EQ(seat.AddCard(4), 1);
  ASSERT_EQ(m_pTable->GetPlayerRecord(KAVO_DEALER)->AddCard(9), 1);
  m_pTable->ShowHandValue(15, 15, 162, 2, 0, 0);
  m_pTable->StartRoundTimer(1000, 0);
  m_pTable->ShowTimeLeft(10);
  ASSERT_EQ(m_pTable->NewRound(), 1);
  EXPECT_EQ(seat.GetBet(1), TMoney());
  EXPECT_EQ(seat.GetNumCards(), 0);
  EXPECT_EQ(m_pTable->GetPlayerRecord(KAVO_DEALER)->GetNumCards(), 0);
  EXPECT_EQ(m_pTable->Text(162), "");
  EXPECT_EQ(m_pTable->ReminderSaid(), 0);
  EXPECT_EQ(m_pTable->TimeoutMeterRunning(), 0);
}

// ---- seats ----

class CKavoIconTest : public CKavoDisplayTest {
 protected:
  void SetUp() override {
    CKavoDisplayTest::SetUp();
    m_Strip.reset(new CBitmap);
    ASSERT_EQ(m_Strip->Load(m_pTable->Script().GetResString(10400), 0), 1);
    ASSERT_EQ(m_pTable->CreatePlayerIcons(m_Strip.get(), 48, 48, 6, 6, 4, 1, 1), 1);
  }
  void TearDown() override {
    m_pTable->DeletePlayerIcons();
    m_Strip.reset();
    CKavoDisplayTest::TearDown();
  }
  std::unique_ptr<CBitmap> m_Strip;
};

TEST_F(CKavoIconTest, AMissingStripMakesNoIcons) {
  EXPECT_EQ(m_pTable->CreatePlayerIcons(nullptr, 48, 48, 6, 6, 4, 1, 1), 0);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_EQ(m_pTable->GetPlayerIcon(seat), nullptr);
  EXPECT_EQ(m_pTable->GetPlayerIcon(-1), nullptr);
  EXPECT_EQ(m_pTable->GetPlayerIcon(KAVO_NUM_SEATS), nullptr);
}

struct SSeatCase {
  const char* Name;
  int32_t Mode, Think;
  const char* Seated;
  int32_t JoinButtons;
  int32_t Bubble;      // the icon's kept bubble
  int32_t JoinState;   // state of the sit-down button 122 + seat
  const char* Shown;   // the name control's text
};

const SSeatCase kSeats[] = {
    {"emptyWithJoinButtons", 0, 3, "", 1, 0, XGUI_RELEASED, ""},
    {"emptyWithoutJoinButtons", 0, 0, "", 0, 0, XGUI_DISABLED, ""},
    {"anotherPlayerThinking", 1, 2, "bob", 1, 2, XGUI_DISABLED, "bob"},
    {"anotherPlayerWaiting", 3, 0, "eve", 0, 0, XGUI_DISABLED, "eve"},
};

class CKavoSeatTest : public CKavoIconTest, public ::testing::WithParamInterface<SSeatCase> {};

TEST_P(CKavoSeatTest, IconFollowsTheSeat) {
  const SSeatCase& c = GetParam();
  constexpr int32_t seat = 3;
  m_pTable->HideSeatPanel();
  if (c.JoinButtons) m_pTable->ShowSeatPanel();
  m_pTable->SetSeat(seat, c.Mode, c.Think, c.Seated);
  ASSERT_EQ(m_pTable->UpdatePlayerIcons(), 1);
  CPlayerIcon* icon = m_pTable->GetPlayerIcon(seat);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->GetBubble(), c.Bubble);
  EXPECT_EQ(m_pTable->State(122 + seat), c.JoinState);
  EXPECT_EQ(m_pTable->Text(127 + seat).rfind(c.Shown, 0), 0u) << m_pTable->Text(127 + seat);
  if (c.Mode == 1) EXPECT_NE(icon->GetPicture(), nullptr) << "a playing seat shows its player's picture";
}

INSTANTIATE_TEST_SUITE_P(States, CKavoSeatTest, ::testing::ValuesIn(kSeats),
                         [](const ::testing::TestParamInfo<SSeatCase>& info) { return info.param.Name; });

TEST_F(CKavoIconTest, SeatPanelWithoutASeatShowsTheJoinButtonsAndHidingDisablesThem) {
  ASSERT_EQ(m_pTable->ShowSeatPanel(), 1);
  EXPECT_EQ(m_pTable->JoinButtonsShown(), 1);
  EXPECT_EQ(m_pTable->IsSitting(), 0);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_EQ(m_pTable->State(122 + seat), XGUI_RELEASED);
  ASSERT_EQ(m_pTable->HideSeatPanel(), 1);
  EXPECT_EQ(m_pTable->JoinButtonsShown(), 0);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_EQ(m_pTable->State(122 + seat), XGUI_DISABLED);
  // A seat request on its way: the panel waits for the answer.
  m_pTable->SetWantToAllocSlot(2);
  ASSERT_EQ(m_pTable->ShowSeatPanel(), 1);
  EXPECT_EQ(m_pTable->JoinButtonsShown(), 0);
}

TEST_F(CKavoDisplayTest, WatchModeInAndOut) {
  m_pTable->StartRoundTimer(1000, 0);
  m_pTable->SetWatchMode(1);
  EXPECT_EQ(m_pTable->IsWatchMode(), 1);
  EXPECT_EQ(m_pTable->WatchText(), "You are watching table 1020007. Click a free betting circle to join the game.");
  EXPECT_EQ(m_pTable->TimeoutMeterRunning(), 0);
  // Control 202 of the watch dialog leaves watching.
  CBlackJackClientTable::MainDialogCallback(2, 200, 202, 0, static_cast<CBlackJackClientTable*>(m_pTable.get()));
  EXPECT_EQ(m_pTable->IsWatchMode(), 0);
}

// ---- the table's commands ----

TEST_F(CKavoDisplayTest, CommandTable) {
  void* user = static_cast<CBlackJackClientTable*>(m_pTable.get());
  // 122 to 126 ask for seats 1 to 5.
  CBlackJackClientTable::MainDialogCallback(2, 110, 124, 0, user);
  EXPECT_EQ(m_pTable->WantSeat(), 3);
  // The server message's buttons close it at the next frame.
  CBlackJackClientTable::MainDialogCallback(2, 10, 13, 0, user);
  EXPECT_EQ(m_pTable->WantToDestroyServerMsg(), 1);
  m_pTable->DestroyServerMsg();
  CBlackJackClientTable::MainDialogCallback(2, 10, 30, 0, user);
  EXPECT_EQ(m_pTable->WantToDestroyServerMsg(), 1);
  // The table-info button: pressed asks for the popup, released for its closing.
  CBlackJackClientTable::MainDialogCallback(3, 110, 301, 0, user);
  EXPECT_EQ(m_pTable->GetTableInfoRequest(), 1);
  CBlackJackClientTable::MainDialogCallback(20, 110, 301, 0, user);
  EXPECT_EQ(m_pTable->GetTableInfoRequest(), 2);
  // A decision button outside the player's turn sets nothing.
  m_pTable->SetTurn(KAVO_NUM_SEATS);
  for (int32_t button = 155; button <= 158; ++button) {
    CBlackJackClientTable::MainDialogCallback(2, 138, button, 0, user);
    EXPECT_EQ(m_pTable->GetPendingAction(), 0) << button;
  }
  // Events other than commands do nothing; the close box is the leave check: without a seat the
  // player leaves.
  CBlackJackClientTable::MainDialogCallback(3, 110, 1002, 0, user);
  EXPECT_EQ(m_pTable->IsLeaving(), 0);
  CBlackJackClientTable::MainDialogCallback(2, 110, 1002, 0, user);
  EXPECT_EQ(m_pTable->IsLeaving(), 1);
}

TEST_F(CKavoDisplayTest, ExitWithoutASeatLeaves) {
  ASSERT_EQ(m_pTable->HaveSlot(), 0);
  m_pTable->ExitGame();
  EXPECT_EQ(m_pTable->IsLeaving(), 1);
}

}  // namespace
