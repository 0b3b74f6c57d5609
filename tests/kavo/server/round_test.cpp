// The round handler step by step with a rigged shoe: the exact records the clients get on each
// path, the pauses and time-outs on the test clock, the dealer rule, and the restore hook.
#include <string>
#include <vector>

#include "kavoserverkit.h"
#include "handvalue.h"
#include "server/dealerrule.h"
#include "server/scripteddeck.h"

namespace {
constexpr int32_t A = 0, C2 = 1, C3 = 2, C4 = 3, C5 = 4, C6 = 5, C7 = 6, C8 = 7, C9 = 8, T = 9, K = 12;

class CKavoRoundTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable();
    m_pTable->SetState(SERVERSTATE_GAMEPLAY);
  }
  void Ready(std::initializer_list<int32_t> shoe, std::initializer_list<int32_t> seats = {2}) {
    for (int32_t seat : seats) {
      Seat(seat, m_Ann);
      PlaceBet(seat, "10");
    }
    RigShoe(shoe);
    Packets();
  }
  // One step; the round state after it.
  int32_t Step() {
    EXPECT_EQ(m_pTable->GameHandler(), 1);
    return m_pTable->GetRoundState();
  }
  // Steps until the round state is one of the given, at most n steps.
  void StepUntil(int32_t state, int32_t n = 40) {
    for (int32_t i = 0; i < n && m_pTable->GetRoundState() != state; ++i) Step();
    ASSERT_EQ(m_pTable->GetRoundState(), state);
  }
  void Act(int32_t seat, int32_t action) {
    SendClient(m_Ann, seat, KAVO_MSG_PLAYERACTION, "Action = " + std::to_string(action) + "\n");
  }
  std::string Chunk(const char* name, int32_t seat, const std::string& items = "") {
    return "{ = PlayerData, " + std::string(name) + ", " + std::to_string(m_Ann) + ", " + std::to_string(seat) +
           (items.empty() ? "" : "; " + items) + "; }";
  }
  std::string Card(int32_t seat, int32_t code, int32_t hand = 0) {
    return Chunk(KAVO_MSG_CARD, seat, "Card = " + std::to_string(code) + "; Split = " + std::to_string(hand));
  }
  static std::string Dealer(int32_t code) { return "DealerCard = " + std::to_string(code); }
  static std::string State(int32_t state) { return "ChangeGameState = " + std::to_string(state); }
  std::vector<std::string> Turn(int32_t seat, int32_t hand, int32_t seconds) {
    return {State(4), Chunk(KAVO_MSG_TURN, seat, "Split = " + std::to_string(hand)), State(10),
            "Command = PlayerTimeOut; TimeOut = " + std::to_string(seconds) + "; ServerTime = " +
                std::to_string(m_Clock.Now()),
            State(5)};
  }
  static std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  }
};

std::string Money(const char* amount) { return std::string(TMoney(amount).GetString()); }

std::string Win(CKavoRoundTest*, const std::string& chunkHead, const char* net, int32_t condition, const char* bet,
                int32_t hand = 0, const char* betHand2 = "0") {
  return chunkHead + "; WinAmount = " + Money(net) + "; WinCondition = " + std::to_string(condition) +
         "; Bet = " + Money(bet) + "; BetHand2 = " + Money(betHand2) + "; Split = " + std::to_string(hand) + "; }";
}

TEST_F(CKavoRoundTest, APlainRoundDealsPausesPlaysTheDealerAndSettles) {
  Ready({C9, T, C7, C8, K});
  EXPECT_EQ(Step(), KAVO_RS_FINDNATURAL);
  EXPECT_EQ(m_pTable->IsSleeping(), 1);
  EXPECT_EQ(m_pTable->TimeLeft(), 3000) << "three cards sent, one second each";
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(1), State(2), Card(2, C9), State(3), State(2), Card(2, T),
                                                 Dealer(C7)}));
  StepUntil(KAVO_RS_AWAITACTION);
  EXPECT_EQ(Packets(), Turn(2, 0, 30));
  EXPECT_EQ(m_pTable->TimeLeft(), (30 + 17) * 1000);
  EXPECT_EQ(Step(), KAVO_RS_AWAITACTION) << "no decision yet";
  Act(2, KAVO_ACTION_STAND);
  StepUntil(KAVO_RS_ENDOFROUND);
  const std::string head = "{ = PlayerData, KavoPlayerWin, " + std::to_string(m_Ann) + ", 2";
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(2), Dealer(C8), State(2), Dealer(K), State(6),
                                                 Win(this, head, "10", KAVO_WIN_WON, "10")}));
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000"}));
  // Presentation: ((3 dealer cards + 1 seat) x 5 + 2 settled cards) x 200 ms, whole seconds.
  EXPECT_EQ(m_pTable->GetClientPresentationWaitTimeOut(), 4000);
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_PRESENTATION);
  m_pTable->SetState(SERVERSTATE_GAMEPLAY);
  EXPECT_EQ(Step(), KAVO_RS_DEAL);
  EXPECT_EQ(m_pTable->GetState(), SERVERSTATE_NEWROUND);
}

TEST_F(CKavoRoundTest, TheDealerRule) {
  struct SCase {
    std::vector<int32_t> m_Cards;
    bool m_S17, m_H17;
  } const cases[] = {
      {{A, C5}, true, true},          // soft 16
      {{A, C6}, false, true},         // soft 17
      {{T, C7}, false, false},        // hard 17
      {{A, C5, K}, true, true},       // soft 26, hard 16
      {{A, C6, K}, false, false},     // hard 17
      {{A, A, C5}, false, true},      // soft 17 of three cards
      {{T, C6}, true, true},          {{T, C8}, false, false},
      {{A, C7}, false, false},        // soft 18
  };
  for (const SCase& c : cases) {
    int32_t soft = 0, hard = 0;
    GetHandValue(c.m_Cards.data(), static_cast<int32_t>(c.m_Cards.size()), soft, hard);
    EXPECT_EQ(KavoDealerDraws(soft, hard, 0), c.m_S17) << soft << "/" << hard;
    EXPECT_EQ(KavoDealerDraws(soft, hard, 1), c.m_H17) << soft << "/" << hard;
  }
}

TEST_F(CKavoRoundTest, WithDrawOnSoft17TheDealerHitsAceSix) {
  m_pTable->SetDrawOnSoft17(1);
  Ready({T, C8, C6, A, C2});
  StepUntil(KAVO_RS_AWAITACTION);
  Act(2, KAVO_ACTION_STAND);
  StepUntil(KAVO_RS_SETTLE);
  EXPECT_EQ(m_pTable->GetDealer()->GetNumCards(), 3) << "6, A and the 2: soft 19";
}

TEST_F(CKavoRoundTest, InsuranceTakenAndPaidGoesStraightToTheSettlement) {
  Ready({C9, T, A, K});
  EXPECT_EQ(Step(), KAVO_RS_OFFERINSURANCE);
  Packets();
  EXPECT_EQ(Step(), KAVO_RS_COLLECTINSURANCE);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(16), State(10),
                                                 "Command = PlayerTimeOut; TimeOut = 32; ServerTime = " +
                                                     std::to_string(m_Clock.Now()),
                                                 State(11)}));
  EXPECT_EQ(m_pTable->TimeLeft(), (30 + 19) * 1000);
  SendClient(m_Ann, 2, KAVO_MSG_INSURANCE, "Insurance = 1\n");
  EXPECT_EQ(Step(), KAVO_RS_SETTLE);
  const std::string seat = std::to_string(m_Ann) + ", 2";
  EXPECT_EQ(Packets(), (std::vector<std::string>{"Slot = 2; Insurance = 1", State(12),
                                                 "{ = PlayerData, KavoInsuranceWin, " + seat + "; WinAmount = " +
                                                     Money("10") + "; }; Pays = 1; Card = 12"}));
  EXPECT_EQ(Step(), KAVO_RS_ENDOFROUND);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(6), Win(this, "{ = PlayerData, KavoPlayerWin, " + seat, "0",
                                                                KAVO_WIN_LOST, "10")}));
  // The bet lost, the insurance paid 2 to 1 on half of it.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 1000"}));
}

TEST_F(CKavoRoundTest, InsuranceTakenAndLostPausesThenPlaysTheRound) {
  Ready({C9, T, A, C7, C2});
  StepUntil(KAVO_RS_COLLECTINSURANCE);
  Packets();
  SendClient(m_Ann, 2, KAVO_MSG_INSURANCE, "Insurance = 1\n");
  EXPECT_EQ(Step(), KAVO_RS_FINDNATURAL);
  EXPECT_EQ(m_pTable->GetInsuranceDone(), 1);
  EXPECT_EQ(m_pTable->TimeLeft(), (1 + 2) * 1000) << "one seat with a final bet, plus two seconds";
  EXPECT_EQ(Packets(), (std::vector<std::string>{"Slot = 2; Insurance = 1", State(12),
                                                 "{ = PlayerData, KavoInsuranceWin, " + std::to_string(m_Ann) +
                                                     ", 2; WinAmount = " + Money("0") + "; }; Pays = 0"}));
  StepUntil(KAVO_RS_AWAITACTION);
  Act(2, KAVO_ACTION_STAND);
  StepUntil(KAVO_RS_ENDOFROUND);
  // 19 against the dealer's soft 18: the bet won, the insurance lost.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1500", "54 2000"}));
  EXPECT_EQ(m_pTable->GetDealer()->GetNumCards(), 2);
}

TEST_F(CKavoRoundTest, TenUpPeeksUnderIt) {
  {
    Ready({C9, T, K, A});
    EXPECT_EQ(Step(), KAVO_RS_PEEK);
    Packets();
    EXPECT_EQ(Step(), KAVO_RS_SETTLE);
    EXPECT_EQ(Packets(), (std::vector<std::string>{State(13), "ScanCard = 0"}));
    EXPECT_EQ(m_pTable->TimeLeft(), 2000);
    EXPECT_EQ(m_pTable->GetDealer()->GetNumCards(), 2);
    EXPECT_EQ(Step(), KAVO_RS_ENDOFROUND);
    EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 0"}));
  }
  m_pTable->NewRoundStarted();
  m_pTable->SetRoundState(KAVO_RS_DEAL);
  PlaceBet(2, "10");
  RigShoe({C9, T, K, C7});
  EXPECT_EQ(Step(), KAVO_RS_PEEK);
  Packets();
  EXPECT_EQ(Step(), KAVO_RS_FINDNATURAL);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(13), "ScanCard = -1"}));
  EXPECT_EQ(m_pTable->GetPeekDone(), 1);
  EXPECT_EQ(m_pTable->GetDealer()->GetNumCards(), 1);
}

TEST_F(CKavoRoundTest, ANaturalIsPaidBeforeTheTurnsAndNotVisitedAgain) {
  Ready({A, C9, K, T, C6, C8, C5}, {3, 1});  // seat 3: A, K; seat 1: 9, T; dealer 6, 8, 5
  StepUntil(KAVO_RS_PAYNATURAL);
  Packets();
  EXPECT_EQ(m_pTable->GetCurrentSeat(), 3);
  EXPECT_EQ(Step(), KAVO_RS_FINDNATURAL);
  EXPECT_EQ(m_pTable->TimeLeft(), 2000);
  const std::vector<std::string> paid = Packets();
  ASSERT_EQ(paid.size(), 2u);
  EXPECT_EQ(paid[0], State(7));
  EXPECT_EQ(paid[1], Win(this, "{ = PlayerData, KavoPlayerWin, " + std::to_string(m_Ann) + ", 3", "15",
                         KAVO_WIN_NATURAL, "10"));
  EXPECT_EQ(m_pTable->HasPlayerBet(3), 0);
  StepUntil(KAVO_RS_AWAITACTION);
  EXPECT_EQ(m_pTable->GetCurrentSeat(), 1);
  Act(1, KAVO_ACTION_STAND);
  Act(3, KAVO_ACTION_HIT);  // the paid seat has no turn
  StepUntil(KAVO_RS_ENDOFROUND);
  for (const std::string& turn : WithName(Packets(), KAVO_MSG_TURN))
    EXPECT_EQ(turn, Chunk(KAVO_MSG_TURN, 1, "Split = 0")) << "only seat 1 has a turn";
  EXPECT_EQ(Record(3).GetNumCards(), 0) << "the paid seat's record was reset";
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2500", "50 -1000", "54 1000"}));
}

TEST_F(CKavoRoundTest, AHitThatBustsRepeatsTheTurnThenAllBustRevealsTheHoleCard) {
  Ready({T, C6, C9, C7, K});
  StepUntil(KAVO_RS_AWAITACTION);
  Packets();
  Act(2, KAVO_ACTION_HIT);
  EXPECT_EQ(Step(), KAVO_RS_AWAITACTION);
  // The turn's records again, the time-out counting the card since the last pause.
  EXPECT_EQ(Packets(), Join({{State(2), Card(2, K)}, Turn(2, 0, 31)}));
  EXPECT_EQ(Step(), KAVO_RS_NEXTSEAT);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(14), Chunk(KAVO_MSG_BUST, 2)}));
  EXPECT_EQ(Step(), KAVO_RS_ALLBUST);
  EXPECT_EQ(Step(), KAVO_RS_SETTLE);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(2), Dealer(C7)}));
  EXPECT_EQ(m_pTable->GetDealer()->GetNumCards(), 2) << "the hole card joined the dealer's hand";
  EXPECT_EQ(Step(), KAVO_RS_ENDOFROUND);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(6), Win(this, "{ = PlayerData, KavoPlayerWin, " +
                                                                     std::to_string(m_Ann) + ", 2",
                                                                 "0", KAVO_WIN_LOST, "10")}));
  // ((2 dealer cards + 1 seat) x 5 + 3 cards) x 200 ms
  EXPECT_EQ(m_pTable->GetClientPresentationWaitTimeOut(), 3000);
}

TEST_F(CKavoRoundTest, NoSeatLeftToSettleSaysSo) {
  Ready({A, K, C6, C8});
  StepUntil(KAVO_RS_ENDOFROUND);
  const std::vector<std::string> records = Packets();
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(records.end() - 4, records.end()),
            (std::vector<std::string>{State(2), Dealer(C8), State(6), State(15)}));
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2500"}));
}

TEST_F(CKavoRoundTest, ADecisionTimeOutForfeitsTheHandAndCrashesTheUser) {
  Ready({T, C6, C9, C7});
  StepUntil(KAVO_RS_AWAITACTION);
  Packets();
  m_Clock.Advance((30 + 17) * 1000 - 1);
  EXPECT_EQ(Step(), KAVO_RS_AWAITACTION);
  m_Clock.Advance(1);
  EXPECT_EQ(Step(), KAVO_RS_NEXTSEAT);
  const std::vector<std::string> records = Packets();
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(records[0], State(14));
  EXPECT_EQ(records[1], Chunk(KAVO_MSG_BUST, 2));
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->IsHeld(), 0);
  StepUntil(KAVO_RS_ENDOFROUND);
  EXPECT_TRUE(Bookings(m_Ann).empty()) << "a crashed seat's stake stays for his reconnect";
}

TEST_F(CKavoRoundTest, AnInsuranceTimeOutCrashesTheSeatsThatDidNotAnswer) {
  const int32_t bob = CreateMember("bob", "100");
  Ready({C9, C9, T, T, A, C7}, {2});
  Seat(0, bob);
  PlaceBet(0, "10");
  StepUntil(KAVO_RS_COLLECTINSURANCE);
  SendClient(m_Ann, 2, KAVO_MSG_INSURANCE, "Insurance = 0\n");
  EXPECT_EQ(Step(), KAVO_RS_COLLECTINSURANCE);
  m_Clock.Advance((30 + 19) * 1000);
  EXPECT_EQ(Step(), KAVO_RS_FINDNATURAL);
  EXPECT_EQ(m_pTable->GetPlayerConnection(0)->IsHeld(), 0);
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->IsHeld(), 1);
  // A late answer changes nothing.
  SendClient(bob, 0, KAVO_MSG_INSURANCE, "Insurance = 1\n");
  StepUntil(KAVO_RS_AWAITACTION);
  EXPECT_EQ(Record(2).IsInsured(), 0);
}

TEST_F(CKavoRoundTest, StrayRecordsAreConsumedAndOnlyTheCurrentSeatActs) {
  const int32_t bob = CreateMember("bob", "100");
  Ready({T, C9, T, C6, C7, C8, C5}, {3});
  Seat(1, bob);
  PlaceBet(1, "10");
  StepUntil(KAVO_RS_AWAITACTION);
  EXPECT_EQ(m_pTable->GetCurrentSeat(), 3);
  SendClient(bob, 1, KAVO_MSG_PLAYERACTION, "Action = 1\n");      // not his turn
  SendClient(m_Ann, 1, KAVO_MSG_PLAYERACTION, "Action = 1\n");    // not his seat
  SendClient(m_Ann, 3, KAVO_MSG_INSURANCE, "Insurance = 1\n");    // no state expects it
  SendClient(m_Ann, 3, KAVO_MSG_PLAYERACTION, "Action = 3\n");    // the server's own
  SendClient(m_Ann, 3, KAVO_MSG_PLAYERACTION, "Action = 99\n");   // no decision
  EXPECT_EQ(Step(), KAVO_RS_AWAITACTION);
  EXPECT_EQ(m_pTable->GetTableNode()->IsDataAvailable(), 0) << "every record of the frame was read";
  EXPECT_EQ(Record(1).GetNumCards(), 2);
  EXPECT_EQ(Record(3).GetNumCards(), 2);
  // Two decisions in one frame: the first counts.
  Act(3, KAVO_ACTION_STAND);
  Act(3, KAVO_ACTION_HIT);
  EXPECT_EQ(Step(), KAVO_RS_NEXTSEAT);
  EXPECT_EQ(Record(3).GetNumCards(), 2);
  EXPECT_EQ(Step(), KAVO_RS_AWAITACTION);
  EXPECT_EQ(m_pTable->GetCurrentSeat(), 1);
  // A seat that leaves during its turn is skipped.
  m_pTable->DeallocateSlot(1);
  StepUntil(KAVO_RS_ENDOFROUND);
  EXPECT_EQ(Bookings(bob).size(), 0u);
}

TEST_F(CKavoRoundTest, TheRestoreHookRedrawsTheHoleCardWithinWhatThePlayersLearnt) {
  Ready({C9, T, A, C7});
  StepUntil(KAVO_RS_COLLECTINSURANCE);
  int32_t tens = 0, aces = 0;
  for (int32_t i = 0; i < 1000; ++i) {
    m_pTable->SetShoe(new CDeck);
    ASSERT_EQ(m_pTable->GetShoe()->Init(KAVO_SHOE_DECKS, KAVO_CARDS_PER_DECK), 1);
    m_pTable->SetInsuranceDone(i % 2);
    m_pTable->SetPeekDone(1 - i % 2);
    ASSERT_EQ(m_pTable->RestoreGameAlterationCallback(), 1);
    if (i % 2 && KavoIsTenValue(m_pTable->GetHoleCard())) ++tens;
    if (!(i % 2) && KavoIsAce(m_pTable->GetHoleCard())) ++aces;
  }
  EXPECT_EQ(tens, 0);
  EXPECT_EQ(aces, 0);
  RigShoe({});
  EXPECT_EQ(m_pTable->RestoreGameAlterationCallback(), 0) << "an empty shoe";
  // At the settlement, or with the dealer holding nothing, the card stays.
  m_pTable->SetHoleCard(K);
  m_pTable->SetRoundState(KAVO_RS_SETTLE);
  EXPECT_EQ(m_pTable->RestoreGameAlterationCallback(), 1);
  EXPECT_EQ(m_pTable->GetHoleCard(), K);
}
}  // namespace
