// The client table's round against the in-process server table: each game state as the server
// announces it, the player's decisions and insurance answers as the server receives them, the
// turn's time-out with the link's lag, and records that are bad or arrive where no state expects
// them. The test clock and rigged shoes make every round the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "../server/kavoserverkit.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/info/translate.h"
#include "ostrel/controls/scrolltext.h"
#include "fennic/move.h"
#include "fennic/pocket.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/timediff.h"
#include "server/scripteddeck.h"

namespace {
constexpr int32_t A = 0, C2 = 1, C5 = 4, C6 = 5, C7 = 6, C8 = 7, C9 = 8, T = 9, K = 12;
constexpr int32_t kMoveListsPerPocket = 18;  // the deal lists and the dealer's six extra ones

int32_t AcceptBox(const char*, const char*) { return 1; }

// The client table with the table's own set-up left out: no scripts or pictures, a scene of 16
// pockets with empty move lists (a card lands where its list ends at once), and the other
// concerns' operations recorded where the states call them.
class CStateTable : public CBlackJackClientTable {
 public:
  CStateTable() {
    m_CardTable.Init(KAVO_HAND_POSITIONS, 4, 13, 13);
    m_Layout.MaxCardsInPocket = 12;
    for (int32_t p = 0; p < KAVO_HAND_POSITIONS; ++p)
      for (int32_t k = 0; k < kMoveListsPerPocket; ++k) {
        auto list = std::make_unique<C3DMoveList>();
        list->Init(1, 1);
        m_CardTable.GetPocket(p)->AddMove(list.get());
        m_Lists.push_back(std::move(list));
      }
  }
  ~CStateTable() override { m_CardTable.Exit(); }

  int32_t InitClientGame() override { return 1; }
  int32_t ExitClientGame() override { return 1; }
  int32_t SetRoundActive(int32_t) override { return 1; }
  int32_t IsPanelTableRemote() override { return Remote; }
  int32_t SetCameraView(int32_t view) override {
    Views.push_back(view);
    return CameraWorks;
  }
  int32_t ChangeBet(int32_t amount, int32_t seat, int32_t) override {
    BetChanges.push_back({seat, amount});
    return 1;
  }
  void ShowInsuranceChips(int32_t seat, const TMoney& amount) override {
    InsuranceChips.push_back(std::to_string(seat) + " " + std::string(amount.GetString()));
  }

  void SetCurrencyPattern(const char* pattern) {
    m_pCurrency = std::make_unique<CTranslate>();
    m_pCurrency->SetCurrency(pattern);
  }
  // The framework's step that takes its own records off the table node.
  int32_t CheckState() { return CheckChangeState(); }
  void SetMoney(int32_t seat, const char* amount) { m_Money[static_cast<size_t>(seat)] = TMoney(amount); }
  void UseTimeDiff() { m_pTimeDiff = new CTimeDiffClient; }
  void SetRealMoney() { m_RealMoney = 1; }
  void SetTurn(int32_t seat) { m_TurnSeat = seat; }
  void Press(int32_t button) { ActionButtonPressed(button); }
  int32_t Deal(int32_t card, int32_t seat) { return DealCard(card, seat); }
  CCommNode* Node() const { return m_pTableNode; }
  void Prime() {
    m_PendingAction = KAVO_ACTION_DOUBLE;
    m_TurnSeat = 1;
    m_LastValueCtrl = 161;
    m_LastValueTotal = 17;
    m_InsuranceOffered = m_InsuranceRoundDone = 1;
    m_InsuranceAnswered[3] = 1;
    m_InsurancePays = 1;
    m_ScannedCard = 4;
    m_ActionSent = m_SplitSeen = m_DoubleSeen = m_BustSeen = m_SpotLit = 1;
    m_HoleCardDealt = m_ShowHoleCard = m_DealtToDealer = 1;
    m_HitStandEnabled = m_SplitEnabled = m_DoubleEnabled = 1;
    m_ClearMode = 3;
  }

  int32_t Remote = 0;
  int32_t CameraWorks = 1;
  std::vector<int32_t> Views;
  std::vector<std::pair<int32_t, int32_t>> BetChanges;
  std::vector<std::string> InsuranceChips;

 private:
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};

class CKavoStatesTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    CClientTableBase::SetMessageBoxFunc(AcceptBox);
    CClientTableBase::Protection() = {};
    StartTable();
    m_pTable->SetState(SERVERSTATE_GAMEPLAY);
    m_pClient = std::make_unique<CStateTable>();
    m_pClient->SetBotMode(1);
    m_pClient->SetPlayerId(m_Ann);
    ASSERT_EQ(m_pClient->InitTable(static_cast<int32_t>(m_pTable->GetTableId()), 0, 0, 0, 0), 1);
    ASSERT_EQ(m_pClient->CreatePlayerRecords(), 1);
  }
  void TearDown() override {
    if (m_pClient) m_pClient->ExitTable();
    m_pClient.reset();
    CClientTableBase::Protection() = {};
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CKavoTableTest::TearDown();
  }

  // The player at the seat on both tables, with a bet on the server's.
  void SitDown(int32_t seat, const char* bet = "10") {
    Seat(seat, m_Ann);
    PlaceBet(seat, bet);
    ASSERT_NE(m_pClient->AllocateSlot(seat, m_Ann), 0);
    Rec(seat).SetBet(KAVO_HAND_1, TMoney(bet));
    m_pClient->SetMoney(seat, "1000");
  }
  CBlackJackPlayerData& Rec(int32_t seat) { return *m_pClient->GetPlayerRecord(seat); }
  void Cards(int32_t seat, std::initializer_list<int32_t> codes) {
    for (int32_t c : codes) ASSERT_EQ(Rec(seat).AddCard(c), 1);
  }

  // A record from the server table's node, as the server sends its own.
  void ServerSends(const std::string& text) {
    CCommNode* node = m_pTable->GetTableNode();
    ASSERT_TRUE(node->SendInit());
    ASSERT_TRUE(node->SendPacket(text.c_str(), static_cast<uint32_t>(text.size())));
  }
  void State(int32_t state) { ServerSends("ChangeGameState = " + std::to_string(state) + "\n"); }

  // One frame of the table as the framework runs it: its own records first, then the game state
  // unless an animation runs. Animations end at once; their numbers are kept.
  int32_t Frame() {
    if (!m_pClient->IsAnimationRunning() && !m_pClient->CheckState()) return 0;
    int32_t result = 1;
    if (m_pClient->GetClientState() == TABLE_CLIENTSTATE_GAME && !m_pClient->IsAnimationRunning())
      result = m_pClient->GameStateHandler();
    if (const int32_t animation = m_pClient->IsAnimationRunning()) {
      m_Animations.push_back(animation);
      m_pClient->EndAnimation();
    }
    return result;
  }
  // Frames until nothing waits on the client's table node; the last frame's result.
  int32_t Pump(int32_t atMost = 60) {
    int32_t result = 1;
    for (int32_t i = 0; i < atMost && result; ++i) {
      result = Frame();
      if (m_pClient->Node()->NumWaitingPackets() == 0) break;
    }
    return result;
  }
  int32_t Waiting() const { return m_pClient->Node()->NumWaitingPackets(); }
  // The server table's steps until it reaches the round state.
  void ServeUntil(int32_t roundState) {
    for (int32_t i = 0; i < 40 && m_pTable->GetRoundState() != roundState; ++i) ASSERT_EQ(m_pTable->GameHandler(), 1);
    ASSERT_EQ(m_pTable->GetRoundState(), roundState);
  }

  // What the client sent the server table, flattened, oldest first.
  std::vector<std::string> SentToServer() {
    std::vector<std::string> out;
    CCommNode* node = m_pTable->GetTableNode();
    while (node->IsDataAvailable()) {
      void* data = nullptr;
      uint32_t size = 0;
      if (!node->RecvPacket(data, size)) break;
      out.push_back(Flat(std::string(static_cast<const char*>(data), size)));
      xFree(data);
      node->RecvFree();
    }
    return out;
  }
  std::string Action(int32_t seat, int32_t action) const {
    return "{ = PrivatePlayerData, KavoPlayerAction, " + std::to_string(m_Ann) + ", " + std::to_string(seat) +
           "; Action = " + std::to_string(action) + "; }";
  }
  std::string Insurance(int32_t seat, int32_t take) const {
    return "{ = PrivatePlayerData, KavoInsurance, " + std::to_string(m_Ann) + ", " + std::to_string(seat) +
           "; Insurance = " + std::to_string(take) + "; }";
  }
  std::string InsuranceWin(int32_t seat, const char* amount) const {
    return "{ = PlayerData, KavoInsuranceWin, " + std::to_string(m_Ann) + ", " + std::to_string(seat) +
           "\n WinAmount = " + std::string(TMoney(amount).GetString()) + "\n}\n";
  }

  // The player's turn at the seat with the decision time running.
  void OwnTurn(int32_t seat, int32_t timeLeftMs = 30000) {
    m_pClient->SetTurn(seat);
    m_pClient->SetTimeoutTime(timeLeftMs, 30000);
    m_pClient->StartTimer();
  }

  std::unique_ptr<CStateTable> m_pClient;
  std::vector<int32_t> m_Animations;
};

// ---- state 1 ----

TEST_F(CKavoStatesTest, ANewRoundResetsTheTurnInsuranceAndValueTexts) {
  SitDown(3);
  m_pClient->Prime();
  State(KAVO_GS_DEALSTART);
  EXPECT_EQ(Pump(), 1);
  CBlackJackClientTable& t = *m_pClient;
  EXPECT_EQ(t.GetViewIndex(), 3) << "the view turns to the player's seat";
  EXPECT_EQ(m_pClient->Views, std::vector<int32_t>{3});
  EXPECT_EQ(t.GetPendingAction(), KAVO_ACTION_NONE);
  EXPECT_EQ(t.GetTurnSeat(), KAVO_NUM_SEATS);
  EXPECT_EQ(t.GetLastValueCtrl(), -1);
  EXPECT_EQ(t.GetLastValueTotal(), -1);
  EXPECT_EQ(t.GetActionButtons(), 0);
  EXPECT_EQ(t.IsActionSent() | t.IsSplitSeen() | t.IsDoubleSeen() | t.IsSpotLit() | t.IsHoleCardDealt() |
                t.IsHoleCardToShow() | t.IsDealtToDealer() | t.IsInsuranceOffered() | t.IsInsuranceRoundDone() |
                t.IsInsuranceAnswered(3) | t.GetInsurancePays() | t.GetClearMode(),
            0);
  EXPECT_EQ(t.GetScannedCard(), -1);
  EXPECT_EQ(t.GetInsuranceDealerCard(), -1);
}

TEST_F(CKavoStatesTest, ANewRoundFailsWhenTheViewCannotBeSwitched) {
  SitDown(4);
  m_pClient->CameraWorks = 0;
  State(KAVO_GS_DEALSTART);
  EXPECT_EQ(Pump(), 0);
}

// ---- dealing: states 2 and 3 ----

TEST_F(CKavoStatesTest, TheFirstPassDealsTheDealersFaceDownCardOnce) {
  SitDown(2);
  m_pClient->SetTurn(2);
  State(KAVO_GS_FIRSTPASSDONE);
  EXPECT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->IsHoleCardDealt(), 1);
  EXPECT_NE(m_pClient->GetHoleCardObject(), nullptr);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{1}) << "the face-down card flies";
  EXPECT_EQ(Rec(KAVO_DEALER).GetNumCards(), 0) << "the face-down card is no card of the dealer's hand";
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(m_Animations.size(), 1u) << "dealt once";
}

TEST_F(CKavoStatesTest, CardsLandInTheirPocketsAndTheHoleCardIsTurnedToItsPlace) {
  SitDown(2);
  CPocket* seat = m_pClient->GetCardTable().GetPocket(2);
  CPocket* dealer = m_pClient->GetCardTable().GetPocket(KAVO_DEALER);
  ASSERT_EQ(m_pClient->Deal(C9, 2), 1);
  EXPECT_EQ(m_pClient->IsHoleCardDealt(), 0);
  // The first pass's end passed unseen: the second pass deals the face-down card first.
  ASSERT_EQ(m_pClient->Deal(T, 2), 1);
  EXPECT_EQ(m_pClient->IsHoleCardDealt(), 1);
  EXPECT_EQ(m_pClient->GetTurnSeat(), KAVO_NUM_SEATS) << "the deal is nobody's turn";
  ASSERT_EQ(m_pClient->Deal(C7, KAVO_DEALER), 1);
  EXPECT_EQ(m_pClient->IsDealtToDealer(), 1);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 0);
  ASSERT_EQ(m_pClient->Deal(C8, KAVO_DEALER), 1);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 1) << "the hole card turned";
  ASSERT_EQ(m_pClient->Deal(K, KAVO_DEALER), 1);
  ASSERT_EQ(seat->GetNumCards(), 2);
  EXPECT_EQ(seat->GetCard(0), C9);
  EXPECT_EQ(seat->GetCard(1), T);
  ASSERT_EQ(dealer->GetNumCards(), 3);
  EXPECT_EQ(dealer->GetCard(0), C7);
  EXPECT_EQ(dealer->GetCard(1), C8);
  EXPECT_EQ(dealer->GetCard(2), K);
  EXPECT_EQ(m_pClient->Deal(52, KAVO_DEALER), 0) << "a card off the deck";
  EXPECT_EQ(m_pClient->IsAnimationRunning(), 1) << "the card flies";
  m_pClient->EndAnimation();
  State(KAVO_GS_FIRSTPASSDONE);
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{}) << "the face-down card is not dealt twice";
}

// The whole deal as the server table sends it: the seat's cards, the dealer's up card and the
// face-down one; then the player stands by the button, and the dealer's own play turns the hole
// card to the second place and draws.
TEST_F(CKavoStatesTest, TheDealPutsTheCardsTheServerSentWhereTheyBelong) {
  SitDown(2);
  RigShoe({C9, T, C7, C8, K});
  ServeUntil(KAVO_RS_AWAITACTION);
  ASSERT_EQ(Pump(), 1);
  CPocket* seat = m_pClient->GetCardTable().GetPocket(2);
  CPocket* dealer = m_pClient->GetCardTable().GetPocket(KAVO_DEALER);
  ASSERT_EQ(seat->GetNumCards(), 2);
  EXPECT_EQ(seat->GetCard(0), C9);
  EXPECT_EQ(seat->GetCard(1), T);
  ASSERT_EQ(dealer->GetNumCards(), 1);
  EXPECT_EQ(dealer->GetCard(0), C7);
  EXPECT_EQ(m_pClient->IsHoleCardDealt(), 1);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 0);
  EXPECT_EQ(m_pClient->GetTurnSeat(), 2) << "the player's turn";
  EXPECT_EQ(m_pClient->GetActionButtons() & 1, 1) << "hit and stand offered";
  m_pClient->Press(156);
  ASSERT_EQ(Frame(), 1);
  ServeUntil(KAVO_RS_ENDOFROUND);
  ASSERT_EQ(Pump(), 1);
  ASSERT_EQ(dealer->GetNumCards(), 3);
  EXPECT_EQ(dealer->GetCard(0), C7);
  EXPECT_EQ(dealer->GetCard(1), C8);
  EXPECT_EQ(dealer->GetCard(2), K);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 1);
  EXPECT_EQ(seat->GetNumCards(), 2) << "the dealer's cards stay out of the seat's pocket";
}

// ---- state 4 ----

TEST_F(CKavoStatesTest, EveryTurnShowsItsSeatOnlyTheOwnLightsTheSpot) {
  SitDown(1);
  ASSERT_NE(m_pClient->AllocateSlot(3, 77), 0);  // another player
  Cards(1, {C9, C7});
  Cards(3, {T, C6});
  State(KAVO_GS_TURN);
  ServerSends("{ = PlayerData, Turn, 77, 3\n Split = 0\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->GetTurnSeat(), 3);
  EXPECT_EQ(m_pClient->IsSpotLit(), 0) << "another player's turn";
  EXPECT_EQ(m_pClient->GetLastValueCtrl(), 159 + 3);
  State(KAVO_GS_TURN);
  ServerSends("{ = PlayerData, Turn, " + std::to_string(m_Ann) + ", 1\n Split = 0\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->GetTurnSeat(), 1);
  EXPECT_EQ(m_pClient->IsSpotLit(), 1);
  EXPECT_EQ(m_pClient->IsActionSent(), 0);
}

// ---- state 5: decision time ----

struct SDecisionCase {
  const char* What;
  std::vector<int32_t> Cards;
  int32_t TimeLeftMs;
  int32_t Sent;  // the action the server gets, 0 none
};

class CKavoDecisionTest : public CKavoStatesTest, public ::testing::WithParamInterface<SDecisionCase> {};

TEST_P(CKavoDecisionTest, TheTurnEndsAsTheHandAndTheClockSay) {
  const SDecisionCase& c = GetParam();
  SitDown(2);
  for (int32_t card : c.Cards) ASSERT_EQ(Rec(2).AddCard(card), 1);
  OwnTurn(2, c.TimeLeftMs);
  State(KAVO_GS_WAITACTION);
  for (int32_t i = 0; i < 4; ++i) ASSERT_EQ(Frame(), 1);
  const std::vector<std::string> sent = SentToServer();
  if (c.Sent)
    EXPECT_EQ(sent, std::vector<std::string>{Action(2, c.Sent)}) << "sent once";
  else
    EXPECT_TRUE(sent.empty());
  EXPECT_EQ(m_pClient->IsActionSent(), 1) << "the turn is closed";
  EXPECT_EQ(m_pClient->GetPendingAction(), KAVO_ACTION_NONE);
  EXPECT_EQ(m_pClient->GetActionButtons(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, CKavoDecisionTest,
                         ::testing::Values(SDecisionCase{"time out", {C9, C7}, 0, KAVO_ACTION_STAND},
                                           SDecisionCase{"hard over 21", {T, C6, K}, 20000, 0},
                                           SDecisionCase{"hard 21", {C5, C6, T}, 20000, KAVO_ACTION_STAND},
                                           SDecisionCase{"soft 21", {A, K}, 20000, KAVO_ACTION_STAND},
                                           SDecisionCase{"bust beats the clock", {T, C8, C9}, 0, 0}),
                         [](const auto& info) {
                           std::string name = info.param.What;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST_F(CKavoStatesTest, AnotherPlayersTurnSendsNothingAndOnlyMovesTheBar) {
  SitDown(2);
  Cards(3, {T, C9});
  OwnTurn(3, 0);
  State(KAVO_GS_WAITACTION);
  ASSERT_EQ(Pump(), 1);
  ASSERT_EQ(Frame(), 1);
  EXPECT_TRUE(SentToServer().empty());
  EXPECT_EQ(m_pClient->IsActionSent(), 0);
  EXPECT_EQ(m_pClient->GetActionButtons(), 0);
}

TEST_F(CKavoStatesTest, TheButtonsFollowTheHandAndTheMoney) {
  struct SCase {
    std::vector<int32_t> Cards;
    const char* Money;
    int32_t Buttons;  // 1 hit/stand, 2 split, 4 double
  } cases[] = {
      {{C8, C8}, "1000", 1 | 2 | 4},
      {{C8, C9}, "1000", 1 | 4},
      {{C8, C8}, "15", 1},  // neither a second bet nor a double is covered
      {{C8, C8, C2}, "1000", 1},
  };
  SitDown(2);
  for (const SCase& c : cases) {
    Rec(2).RemoveCards();
    for (int32_t card : c.Cards) ASSERT_EQ(Rec(2).AddCard(card), 1);
    m_pClient->SetMoney(2, c.Money);
    OwnTurn(2);
    State(KAVO_GS_WAITACTION);
    ASSERT_EQ(Pump(), 1);
    EXPECT_EQ(m_pClient->GetActionButtons(), c.Buttons) << c.Cards.size() << " cards, " << c.Money;
    EXPECT_TRUE(SentToServer().empty());
  }
}

struct SStakeCase {
  const char* What;
  int32_t Button;
  int32_t Action;
};

class CKavoStakeTest : public CKavoStatesTest, public ::testing::WithParamInterface<SStakeCase> {
 protected:
  void SetUp() override {
    CKavoStatesTest::SetUp();
    m_pClient->SetRealMoney();
    SitDown(2);
    Cards(2, {C8, C8});
    OwnTurn(2);
    State(KAVO_GS_WAITACTION);
    ASSERT_EQ(Pump(), 1);
    CClientTableBase::Protection().LossThisDay = TMoney("20");
  }
};

TEST_P(CKavoStakeTest, GoesThroughPlayerProtection) {
  m_pClient->Press(GetParam().Button);
  ASSERT_EQ(Frame(), 1);
  EXPECT_EQ(SentToServer(), std::vector<std::string>{Action(2, GetParam().Action)});
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("30")) << "the second bet counts";
  EXPECT_EQ(m_pClient->IsActionSent(), 1);
}

TEST_P(CKavoStakeTest, ARefusalSendsNothingAndKeepsTheTurnOpen) {
  CClientTableBase::Protection().LossPerDay = TMoney("25");
  m_pClient->Press(GetParam().Button);
  ASSERT_EQ(Frame(), 1);
  EXPECT_TRUE(SentToServer().empty());
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("20"));
  EXPECT_EQ(m_pClient->IsActionSent(), 0);
  EXPECT_EQ(m_pClient->GetPendingAction(), KAVO_ACTION_NONE);
  EXPECT_EQ(m_pClient->GetActionButtons() & 1, 1) << "hit and stand still offered";
  m_pClient->Press(156);
  ASSERT_EQ(Frame(), 1);
  EXPECT_EQ(SentToServer(), std::vector<std::string>{Action(2, KAVO_ACTION_STAND)});
}

// A failed send ends the table and leaves the limits as they were: the server never had the
// choice and forfeits the hand on its time-out.
TEST_P(CKavoStakeTest, AFailedSendFailsTheHandlerAndStakesNothing) {
  ASSERT_TRUE(m_pClient->Node()->SendInit());  // a send left open: the next one cannot start
  m_pClient->Press(GetParam().Button);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("20"));
  EXPECT_EQ(m_pClient->IsActionSent(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, CKavoStakeTest,
                         ::testing::Values(SStakeCase{"Double", 158, KAVO_ACTION_DOUBLE},
                                           SStakeCase{"Split", 157, KAVO_ACTION_SPLIT}),
                         [](const auto& info) { return std::string(info.param.What); });

TEST_F(CKavoStatesTest, AFailedSendOfAStandFailsTheHandler) {
  SitDown(2);
  Cards(2, {T, C7});
  OwnTurn(2);
  State(KAVO_GS_WAITACTION);
  ASSERT_EQ(Pump(), 1);
  ASSERT_TRUE(m_pClient->Node()->SendInit());
  m_pClient->Press(156);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(m_pClient->IsActionSent(), 0);
}

// ---- state 10: the turn's time-out ----

TEST(KavoDecisionTimeLeft, LagBeyondSevenSecondsIsLost) {
  struct SCase {
    int32_t Total, Lag, Left;
  } cases[] = {
      {30000, 0, 30000},   {30000, 6000, 30000}, {30000, 7000, 30000}, {30000, 9000, 28000},
      {30000, -4000, 30000}, {3000, 12000, 0},   {0, 9000, 0},         {3600000, INT32_MAX, 0},
  };
  for (const SCase& c : cases)
    EXPECT_EQ(CBlackJackClientTable::DecisionTimeLeft(c.Total, c.Lag), c.Left) << c.Total << " " << c.Lag;
}

class CKavoTimeOutTest : public CKavoStatesTest {
 protected:
  void SetUp() override {
    CKavoStatesTest::SetUp();
    m_pClient->UseTimeDiff();
    SitDown(1);
  }
  // "PlayerTimeOut" stamped lagMs before the client reads it.
  int32_t TimeOut(const std::string& seconds, int32_t lagMs) {
    const std::string stamp = std::to_string(m_Clock.Now());
    State(KAVO_GS_TIMEOUT);
    ServerSends("Command = PlayerTimeOut\nTimeOut = " + seconds + "\nServerTime = " + stamp + "\n");
    m_Clock.Advance(static_cast<uint32_t>(lagMs));
    return Pump();
  }
};

TEST_F(CKavoTimeOutTest, TheServersStampSetsTheMeter) {
  struct SCase {
    const char* Seconds;
    int32_t Lag, Left, Total;
  } cases[] = {
      {"30", 6000, 30000, 30000},
      {"30", 9000, 28000, 30000},
      // Beyond an hour the milliseconds would overflow: the time is held at an hour.
      {"2147484", 0, 3600000, 3600000},
      {"-5", 0, 0, 0},
  };
  for (const SCase& c : cases) {
    ASSERT_EQ(TimeOut(c.Seconds, c.Lag), 1) << c.Seconds;
    EXPECT_EQ(m_pClient->GetTimeoutTime(), c.Left) << c.Seconds << " " << c.Lag;
    EXPECT_EQ(m_pClient->GetRoundLength(), c.Total) << c.Seconds;
    EXPECT_EQ(m_pClient->TimeLeft(), c.Left) << "the meter starts now";
  }
}

TEST_F(CKavoTimeOutTest, ARemotePlayerWithUnderFiveSecondsLeaves) {
  m_pClient->Remote = 1;
  m_pClient->SetTurn(1);
  EXPECT_EQ(TimeOut("10", 12500), 0);
  EXPECT_EQ(m_pClient->IsLeaving(), 1);
}

TEST_F(CKavoTimeOutTest, OnlyARemoteTableOnTheOwnTurnOrInsuranceLeaves) {
  struct SCase {
    const char* What;
    int32_t Remote, Turn, Offered, Reconnecting;
    int32_t Leaves;
  } cases[] = {
      {"local table", 0, 1, 0, 0, 0},
      {"another player's turn", 1, 3, 0, 0, 0},
      {"reconnecting", 1, 1, 0, 1, 0},
      {"insurance whose offer passed unseen", 1, KAVO_NUM_SEATS, 0, 0, 1},
      {"insurance offered", 1, KAVO_NUM_SEATS, 1, 0, 1},
  };
  for (const SCase& c : cases) {
    m_pClient->Remote = c.Remote;
    m_pClient->SetTurn(c.Turn);
    m_pClient->SetReconnecting(c.Reconnecting);
    if (c.Offered) {
      State(KAVO_GS_INSURANCEOFFER);
      ASSERT_EQ(Pump(), 1);
    }
    EXPECT_EQ(TimeOut("10", 12500), c.Leaves ? 0 : 1) << c.What;
    EXPECT_EQ(m_pClient->IsLeaving(), c.Leaves) << c.What;
    if (!c.Leaves) EXPECT_EQ(m_pClient->IsInsuranceOffered(), 0) << c.What;
    m_pClient->SetReconnecting(0);
  }
}

// ---- insurance: states 16, 11 and 12 ----

class CKavoInsuranceTest : public CKavoStatesTest {
 protected:
  void SetUp() override {
    CKavoStatesTest::SetUp();
    m_pClient->SetRealMoney();
    SitDown(1);
    SitDown(3);
    ASSERT_NE(m_pClient->AllocateSlot(4, m_Ann), 0);  // a seat without a bet
  }
  // The server's order: the offer announced, its time-out, then the wait for the answers, sent
  // in one frame and seen by the game one state a frame.
  void Offer() {
    State(KAVO_GS_INSURANCEOFFER);
    State(KAVO_GS_TIMEOUT);
    ServerSends("Command = PlayerTimeOut\nTimeOut = 30\nServerTime = " + std::to_string(m_Clock.Now()) + "\n");
    State(KAVO_GS_WAITINSURANCE);
    ASSERT_EQ(Pump(), 1);
  }
};

TEST_F(CKavoInsuranceTest, EveryOwnSeatWithAStakeGetsAWindow) {
  Offer();
  EXPECT_EQ(m_pClient->IsInsuranceOffered(), 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    EXPECT_EQ(m_pClient->IsInsuranceWindowShown(seat), seat == 1 || seat == 3) << seat;
  EXPECT_TRUE(SentToServer().empty());
}

TEST_F(CKavoInsuranceTest, TheTakeButtonNeedsHalfTheBetMore) {
  // Half the bet of 10 comes on top of what the seat has bet already.
  m_pClient->SetMoney(1, "1000");
  EXPECT_EQ(m_pClient->CanAffordInsurance(1), 1);
  m_pClient->SetMoney(1, "4.99");
  EXPECT_EQ(m_pClient->CanAffordInsurance(1), 0);
  if (m_pClient->PlayerTotalBet(1) == TMoney("10")) {
    m_pClient->SetMoney(1, "15");
    EXPECT_EQ(m_pClient->CanAffordInsurance(1), 1);
    m_pClient->SetMoney(1, "14.99");
    EXPECT_EQ(m_pClient->CanAffordInsurance(1), 0);
  }
}

TEST_F(CKavoInsuranceTest, TheTimeOutDeclinesForEveryOpenSeatOnce) {
  Offer();
  ASSERT_EQ(m_pClient->SendInsurance(1, 1), 1);
  EXPECT_EQ(SentToServer(), std::vector<std::string>{Insurance(1, 1)});
  m_pClient->SetTimeoutTime(0, 32000);
  ASSERT_EQ(Frame(), 1);
  ASSERT_EQ(Frame(), 1);
  EXPECT_EQ(SentToServer(), std::vector<std::string>{Insurance(3, 0)});
  EXPECT_EQ(m_pClient->IsInsuranceRoundDone(), 1);
  EXPECT_EQ(m_pClient->IsInsuranceOffered(), 0);
}

// The seat is insured on the server's answer alone: a refused stake leaves it uninsured.
TEST_F(CKavoInsuranceTest, ASeatIsInsuredOnlyByTheServersAnswer) {
  Offer();
  ASSERT_EQ(m_pClient->SendInsurance(1, 1), 1);
  ASSERT_EQ(m_pClient->SendInsurance(3, 1), 1);
  EXPECT_EQ(Rec(1).IsInsured(), 0) << "asked, not yet answered";
  EXPECT_EQ(Rec(3).IsInsured(), 0);
  EXPECT_EQ(m_pClient->IsInsuranceWindowShown(1), 0);
  ServerSends("Slot = 1\nInsurance = 0\n");
  ServerSends("Slot = 3\nInsurance = 1\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(Rec(1).IsInsured(), 0) << "refused by the server";
  EXPECT_EQ(Rec(3).IsInsured(), 1);
  EXPECT_EQ(m_pClient->InsuranceChips, std::vector<std::string>{"3 " + std::string(TMoney("5").GetString())});
}

TEST_F(CKavoInsuranceTest, TheStakeGoesThroughPlayerProtection) {
  Offer();
  CClientTableBase::Protection().LossPerDay = TMoney("100");
  CClientTableBase::Protection().LossThisDay = TMoney("97");
  EXPECT_EQ(m_pClient->SendInsurance(1, 1), 1);
  EXPECT_TRUE(SentToServer().empty()) << "refused: nothing sent";
  EXPECT_EQ(m_pClient->IsInsuranceAnswered(1), 0);
  CClientTableBase::Protection().LossThisDay = TMoney("90");
  EXPECT_EQ(m_pClient->SendInsurance(1, 1), 1);
  EXPECT_EQ(SentToServer(), std::vector<std::string>{Insurance(1, 1)});
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("95"));
  ASSERT_TRUE(m_pClient->Node()->SendInit());  // the next send cannot start
  EXPECT_EQ(m_pClient->SendInsurance(3, 1), 0);
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("95")) << "a failed send stakes nothing";
  EXPECT_EQ(m_pClient->IsInsuranceAnswered(3), 0);
}

TEST_F(CKavoInsuranceTest, APaidResultIsCreditedToPlayerProtection) {
  Offer();
  CClientTableBase::Protection().LossThisDay = TMoney("50");
  State(KAVO_GS_INSURANCERESOLVED);
  ServerSends(InsuranceWin(1, "10") + InsuranceWin(3, "0") + "Pays = 1\nCard = 12\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("40"));
  EXPECT_EQ(m_pClient->PlayerProtectionGetWin(), TMoney());
  EXPECT_EQ(Rec(1).GetInsuranceStake(), TMoney("10"));
  EXPECT_EQ(m_pClient->GetInsurancePays(), 1);
  EXPECT_EQ(m_pClient->GetInsuranceDealerCard(), 12);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 1);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{6});
}

TEST_F(CKavoInsuranceTest, ALostInsuranceCreditsNothing) {
  Offer();
  CClientTableBase::Protection().LossThisDay = TMoney("50");
  State(KAVO_GS_INSURANCERESOLVED);
  ServerSends(InsuranceWin(1, "0") + "Pays = 0\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(CClientTableBase::Protection().LossThisDay, TMoney("50"));
  EXPECT_EQ(m_pClient->GetInsurancePays(), 0);
  EXPECT_EQ(m_pClient->IsHoleCardToShow(), 0);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{6});
}

TEST_F(CKavoInsuranceTest, TheServersWholeInsuranceRound) {
  RigShoe({C9, T, C9, T, A, K});
  ASSERT_EQ(m_pTable->GameHandler(), 1) << m_pTable->GetRoundState();  // dealt, the ace up
  ASSERT_EQ(m_pTable->GameHandler(), 1) << m_pTable->GetRoundState();  // offered
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->IsInsuranceWindowShown(1), 1);
  EXPECT_EQ(m_pClient->IsInsuranceWindowShown(3), 1);
  ASSERT_EQ(m_pClient->SendInsurance(3, 1), 1);
  ASSERT_EQ(m_pClient->SendInsurance(1, 0), 1);
  for (int32_t i = 0; i < 4; ++i) m_pTable->GameHandler();
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(Rec(3).IsInsured(), 1);
  EXPECT_EQ(Rec(1).IsInsured(), 0);
  EXPECT_EQ(m_pClient->GetInsurancePays(), 1) << "the king under the ace";
  EXPECT_EQ(m_pClient->GetInsuranceDealerCard(), K);
  EXPECT_EQ(Rec(3).GetInsuranceStake(), TMoney("10"));
}

// ---- state 13: the peek ----

TEST_F(CKavoStatesTest, ThePeekKeepsTheScannedCard) {
  SitDown(2);
  struct SCase {
    int32_t Hole, Scanned;
  } cases[] = {{A, 0}, {C7, -1}};
  for (const SCase& c : cases) {
    const int32_t scanned = c.Scanned;
    m_pTable->NewRoundStarted();
    m_pTable->SetRoundState(KAVO_RS_DEAL);
    PlaceBet(2, "10");
    m_pTable->SetShoe(new CKavoScriptedDeck({C9, T, K, c.Hole}));
    ASSERT_EQ(m_pTable->GameHandler(), 1);
    ASSERT_EQ(m_pTable->GameHandler(), 1);
    m_Animations.clear();
    ASSERT_EQ(Pump(), 1);
    EXPECT_EQ(m_pClient->GetScannedCard(), scanned);
    EXPECT_NE(std::find(m_Animations.begin(), m_Animations.end(), 7), m_Animations.end());
  }
}

// ---- hand values ----

TEST_F(CKavoStatesTest, EachHandWritesItsOwnValueText) {
  SitDown(1);
  SitDown(2);
  Cards(1, {C9, C7});
  Cards(KAVO_DEALER, {K});
  Cards(2, {C8, C8});
  ASSERT_EQ(Rec(2).DoSplit(), 0);
  ASSERT_EQ(Rec(2).AddCard(A), 1);
  struct SCase {
    int32_t Seat, Hand, Control, Total;
  } cases[] = {
      {1, 0, 159 + 1, 16}, {KAVO_DEALER, 0, 164, 10}, {2, KAVO_HAND_1, 165 + 2, 19}, {2, KAVO_HAND_2, 170 + 2, 8},
  };
  for (const SCase& c : cases) {
    if (c.Hand) Rec(c.Seat).SetCurrentHand(c.Hand);
    m_pClient->ShowSeatHandValue(c.Seat);
    EXPECT_EQ(m_pClient->GetLastValueCtrl(), c.Control) << c.Seat << " " << c.Hand;
    EXPECT_EQ(m_pClient->GetLastValueTotal(), c.Total) << c.Seat << " " << c.Hand;
  }
}

// ---- states 6 to 9 ----

// The message line's control, as far as the table writes to it.
class CRecordingScroll : public CScrollText {
 public:
  int32_t SetText(const char* text) override {
    Shown = text ? text : "";
    return 1;
  }
  std::string Shown;
};

TEST_F(CKavoStatesTest, TheSettlementTellsTheWinInTheTablesCurrency) {
  CRecordingScroll scroll;
  m_pClient->GetScrollHandler().Init(&scroll);
  m_pClient->SetCurrencyPattern("EUR %s");
  SitDown(2);
  RigShoe({C9, T, C7, C8, K});
  ASSERT_EQ(m_pTable->GameHandler(), 1);
  for (int32_t i = 0; i < 10 && m_pTable->GetRoundState() != KAVO_RS_AWAITACTION; ++i) m_pTable->GameHandler();
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERACTION, "Action = 2\n");
  for (int32_t i = 0; i < 40 && m_pTable->GetRoundState() != KAVO_RS_ENDOFROUND; ++i) m_pTable->GameHandler();
  m_Animations.clear();
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->PlayerTotalReturn(2), TMoney("10"));
  EXPECT_EQ(scroll.Shown.rfind("Player Wins: EUR  10.00", 0), 0u) << scroll.Shown;
  EXPECT_EQ(Rec(2).GetCurrentHand(), KAVO_HAND_1);
  EXPECT_EQ(m_Animations.back(), 2);
  m_pClient->GetScrollHandler().Exit();
}

TEST_F(CKavoStatesTest, ANaturalIsPaidAtOnce) {
  SitDown(2);
  RigShoe({A, K, C7, C8});
  for (int32_t i = 0; i < 10 && m_pTable->GetRoundState() != KAVO_RS_AWAITACTION &&
                      m_pTable->GetRoundState() != KAVO_RS_ENDOFROUND;
       ++i)
    m_pTable->GameHandler();
  ASSERT_EQ(Pump(), 1);
  EXPECT_NE(std::find(m_Animations.begin(), m_Animations.end(), 3), m_Animations.end());
}

TEST_F(CKavoStatesTest, ASplitAndADoubleAddTheBetOnceMore) {
  SitDown(2);
  Cards(2, {C8, C8});
  m_pClient->SetTurn(2);
  State(KAVO_GS_SPLIT);
  ServerSends("{ = PlayerData, Split, " + std::to_string(m_Ann) + ", 2\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(Rec(2).IsSplit(), 1);
  EXPECT_EQ(m_pClient->IsSplitSeen(), 1);
  EXPECT_EQ(m_pClient->BetChanges, (std::vector<std::pair<int32_t, int32_t>>{{2, 10}}));
  EXPECT_EQ(m_Animations, std::vector<int32_t>{1});
  // The first hand gets its second card before it can double.
  State(KAVO_GS_DOUBLE);
  ServerSends("{ = PlayerData, Double, " + std::to_string(m_Ann) + ", 2\n}\n");
  EXPECT_EQ(Pump(), 0) << "a hand of one card cannot double";
  EXPECT_EQ(Rec(2).IsDoubled(), 0);
  ASSERT_EQ(Rec(2).GetCurrentHand(), KAVO_HAND_1);
  Cards(2, {C2});
  State(KAVO_GS_DOUBLE);
  ServerSends("{ = PlayerData, Double, " + std::to_string(m_Ann) + ", 2\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(Rec(2).IsDoubledHand1(), 1);
  EXPECT_EQ(Rec(2).IsDoubledHand2(), 0);
  EXPECT_EQ(m_pClient->IsDoubleSeen(), 1);
  EXPECT_EQ(m_pClient->BetChanges, (std::vector<std::pair<int32_t, int32_t>>{{2, 10}, {2, 10}}));
  // Seen once per state: a second record in the same state is dropped unread.
  ServerSends("{ = PlayerData, Double, " + std::to_string(m_Ann) + ", 2\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->BetChanges.size(), 2u);
  EXPECT_EQ(Waiting(), 0);
}

// ---- states 14 to 17 ----

// An unsplit hand is done as hand 0 whatever its record's current hand says; a split seat's
// current hand alone.
TEST_F(CKavoStatesTest, ABustClosesTheTurnSeatsHand) {
  struct SCase {
    bool Split;
    int32_t Hand;
    int32_t Done[3];  // unsplit, hand 1, hand 2
  } cases[] = {{false, KAVO_HAND_2, {1, 0, 0}}, {true, KAVO_HAND_1, {0, 1, 0}}, {true, KAVO_HAND_2, {0, 0, 1}}};
  SitDown(2);
  for (const SCase& c : cases) {
    State(KAVO_GS_DEALSTART);
    ASSERT_EQ(Pump(), 1);
    Rec(2).Reset();
    Cards(2, {C8, C8});
    if (c.Split) {
      ASSERT_EQ(Rec(2).DoSplit(), 0);
      Rec(2).SetCurrentHand(c.Hand);
      Cards(2, {C6, K});
    } else {
      Rec(2).SetCurrentHand(c.Hand);
      Cards(2, {K});
    }
    m_pClient->SetTurn(2);
    m_Animations.clear();
    State(KAVO_GS_BUST);
    ServerSends("{ = PlayerData, Bust, " + std::to_string(m_Ann) + ", 2\n}\n");
    ASSERT_EQ(Pump(), 1);
    for (int32_t hand = 0; hand < 3; ++hand)
      EXPECT_EQ(Rec(2).IsDone(hand), c.Done[hand]) << "split " << c.Split << ", hand " << c.Hand << ": " << hand;
    EXPECT_EQ(m_pClient->GetBustHand(), c.Split ? c.Hand : KAVO_HAND_UNSPLIT);
    EXPECT_EQ(m_pClient->GetClearMode(), 3);
    EXPECT_EQ(m_Animations, std::vector<int32_t>{15});
    EXPECT_EQ(m_pClient->IsSpotLit(), 0);
  }
}

TEST_F(CKavoStatesTest, NoSettlementClearsTheDealerOnce) {
  State(KAVO_GS_NOSETTLE);
  ASSERT_EQ(Pump(), 1);
  ASSERT_EQ(Frame(), 1);
  EXPECT_EQ(m_pClient->GetClearMode(), 2);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{14});
}

TEST_F(CKavoStatesTest, TheOfferIsAnnouncedBeforeItsTimeOut) {
  State(KAVO_GS_INSURANCEOFFER);
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_pClient->IsInsuranceOffered(), 1);
  EXPECT_TRUE(m_Animations.empty());
}

TEST_F(CKavoStatesTest, TheTripleSevenBonusFliesItsChips) {
  SitDown(2);
  State(KAVO_GS_TRIPLESEVEN);
  ServerSends("{ = PlayerData, KavoPlayerWin, " + std::to_string(m_Ann) + ", 2\n WinAmount = " +
              std::string(TMoney("10").GetString()) + "\n Split = 0\n}\n");
  ASSERT_EQ(Pump(), 1);
  EXPECT_EQ(m_Animations, std::vector<int32_t>{21});
}

// ---- records the state does not expect, and bad values ----

struct SRecordCase {
  const char* What;
  int32_t State;
  const char* Record;
  int32_t Result;
};

class CKavoRecordCheckTest : public CKavoStatesTest, public ::testing::WithParamInterface<SRecordCase> {};

TEST_P(CKavoRecordCheckTest, IsCheckedOrFreedUnread) {
  const SRecordCase& c = GetParam();
  SitDown(2);
  m_pClient->UseTimeDiff();
  State(c.State);
  std::string record = c.Record;
  const size_t at = record.find("ANN");
  if (at != std::string::npos) record.replace(at, 3, std::to_string(m_Ann));
  ServerSends(record);
  EXPECT_EQ(Pump(), c.Result);
  EXPECT_EQ(Waiting(), 0) << "nothing left behind";
  if (c.Result) {
    EXPECT_EQ(m_pClient->GetScannedCard(), -1);
    EXPECT_EQ(Rec(2).IsInsured(), 0);
    EXPECT_EQ(m_pClient->GetRoundLength(), 0);
    EXPECT_EQ(m_pClient->GetInsurancePays(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    States, CKavoRecordCheckTest,
    ::testing::Values(
        SRecordCase{"AnswerForSeatFive", KAVO_GS_WAITINSURANCE, "Slot = 5\nInsurance = 1\n", 0},
        SRecordCase{"AnswerForSeatMinusOne", KAVO_GS_WAITINSURANCE, "Slot = -1\nInsurance = 0\n", 0},
        SRecordCase{"AnswerWithoutDecision", KAVO_GS_WAITINSURANCE, "Slot = 2\n", 0},
        SRecordCase{"ResultCardOffTheDeck", KAVO_GS_INSURANCERESOLVED, "Pays = 1\nCard = 52\n", 0},
        SRecordCase{"ResultPaidWithoutCard", KAVO_GS_INSURANCERESOLVED, "Pays = 1\nCard = -1\n", 0},
        SRecordCase{"ResultPaidCardMissing", KAVO_GS_INSURANCERESOLVED, "Pays = 1\n", 0},
        SRecordCase{"ResultSeatNine", KAVO_GS_INSURANCERESOLVED,
                    "{ = PlayerData, KavoInsuranceWin, ANN, 9\n WinAmount = 1\n}\nPays = 0\n", 0},
        SRecordCase{"ResultNegativeWin", KAVO_GS_INSURANCERESOLVED,
                    "{ = PlayerData, KavoInsuranceWin, ANN, 2\n WinAmount = -1\n}\nPays = 0\n", 0},
        SRecordCase{"ScanCardOffTheDeck", KAVO_GS_PEEK, "ScanCard = 52\n", 0},
        SRecordCase{"ScanCardBelowNone", KAVO_GS_PEEK, "ScanCard = -2\n", 0},
        SRecordCase{"TimeOutWithoutStamp", KAVO_GS_TIMEOUT, "Command = PlayerTimeOut\nTimeOut = 30\n", 0},
        SRecordCase{"ScanCardInTheTimeOut", KAVO_GS_TIMEOUT, "ScanCard = 3\n", 1},
        SRecordCase{"TimeOutInThePeek", KAVO_GS_PEEK, "Command = PlayerTimeOut\nTimeOut = 30\nServerTime = 1\n", 1},
        SRecordCase{"AnswerInTheDecision", KAVO_GS_WAITACTION, "Slot = 2\nInsurance = 1\n", 1},
        SRecordCase{"ScanCardInTheOffer", KAVO_GS_WAITINSURANCE, "ScanCard = 3\n", 1},
        SRecordCase{"AnswerInTheResult", KAVO_GS_INSURANCERESOLVED, "Slot = 2\nInsurance = 1\n", 1},
        SRecordCase{"ResultInTheNewRound", KAVO_GS_DEALSTART, "Pays = 1\nCard = 3\n", 1}),
    [](const auto& info) { return std::string(info.param.What); });

}  // namespace
