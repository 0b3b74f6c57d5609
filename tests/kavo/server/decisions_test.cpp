// The seat's decisions with a rigged shoe: every record the table node sends, the cards, the
// bets and the bonus bookings.
#include <string>
#include <vector>

#include "kavoserverkit.h"
#include "server/scripteddeck.h"

namespace {
constexpr int32_t A = 0, C3 = 2, C4 = 3, C5 = 4, C7 = 6, C8 = 7, C9 = 8, K = 12;
constexpr int32_t kSeat = 2;

class CKavoDecisionTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable(KAVO_GAMEID_REGULAR, [](CBlackJackServerTable& table) { table.SetTripleSevenEnabled(1); });
  }
  // The seat holding cards with a bet of 10, its turn.
  void Ready(int32_t playerId, std::initializer_list<int32_t> cards) {
    Seat(kSeat, playerId);
    PlaceBet(kSeat, "10");
    GiveCards(kSeat, cards);
    m_pTable->SetCurrentSeat(kSeat);
    Packets();
  }
  int32_t Play(int32_t action) {
    int32_t done = -1;
    EXPECT_EQ(m_pTable->PlayAction(action, done), 1);
    return done;
  }
  std::string Chunk(const char* name, const std::string& items = "") {
    return "{ = PlayerData, " + std::string(name) + ", " + std::to_string(m_Ann) + ", " + std::to_string(kSeat) +
           (items.empty() ? "" : "; " + items) + "; }";
  }
  std::string Card(int32_t code, int32_t hand) {
    return Chunk(KAVO_MSG_CARD, "Card = " + std::to_string(code) + "; Split = " + std::to_string(hand));
  }
  static std::string State(int32_t state) { return "ChangeGameState = " + std::to_string(state); }
  // The packets that continue the turn.
  std::vector<std::string> Turn(int32_t hand, int32_t seconds) {
    return {State(4), Chunk(KAVO_MSG_TURN, "Split = " + std::to_string(hand)), State(10),
            "Command = PlayerTimeOut; TimeOut = " + std::to_string(seconds) + "; ServerTime = 1000", State(5)};
  }
  static std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  }
  std::string Bonus(const char* amount, int32_t hand) {
    return Chunk(KAVO_MSG_PLAYERWIN, std::string("WinAmount = ") + amount + "; Split = " + std::to_string(hand));
  }
};

TEST_F(CKavoDecisionTest, SplitEightsPlaysHandTwoFirst) {
  Ready(m_Ann, {C8, C8 + 13});
  RigShoe({C4, K});
  EXPECT_EQ(Play(KAVO_ACTION_SPLIT), 0);
  EXPECT_EQ(Packets(), Join({{State(8), Chunk(KAVO_MSG_SPLIT), State(2), Card(C4, 2)}, Turn(2, 31)}));
  EXPECT_EQ(Record(kSeat).GetBetHand2(), TMoney(10));
  EXPECT_EQ(Record(kSeat).GetNumCards(KAVO_HAND_1), 1);
  // Standing on hand 2 deals hand 1 its second card and plays on there.
  EXPECT_EQ(Play(KAVO_ACTION_STAND), 0);
  EXPECT_EQ(Packets(), Join({{State(2), Card(K, 1)}, Turn(1, 31)}));
  EXPECT_EQ(Record(kSeat).GetCurrentHand(), KAVO_HAND_1);
  EXPECT_EQ(Play(KAVO_ACTION_STAND), 1);
  EXPECT_TRUE(Packets().empty());
  EXPECT_EQ(m_pTable->GetThinking(kSeat), 0);
}

TEST_F(CKavoDecisionTest, SplitAcesTakeOneCardEachAndPayTwiceTheBet) {
  Ready(m_Ann, {A, A + 26});
  RigShoe({K, C9});
  EXPECT_EQ(Play(KAVO_ACTION_SPLIT), 1);
  EXPECT_EQ(Packets(),
            (std::vector<std::string>{State(8), Chunk(KAVO_MSG_SPLIT), State(2), Card(K, 2), State(2), Card(C9, 1)}));
  GiveCards(KAVO_DEALER, {K, K + 13});
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  const std::vector<std::string> packets = Packets();
  ASSERT_EQ(packets.size(), 1u);
  // Ace and king after a split: 21 but no natural, won at 2 x the bet; ace and nine push.
  EXPECT_NE(packets[0].find("WinAmount = 10.0000000000; WinCondition = 1; Bet = 10.0000000000; "
                            "BetHand2 = 10.0000000000; Split = 2;"),
            std::string::npos)
      << packets[0];
  EXPECT_NE(packets[0].find("WinAmount = 0.0000000000; WinCondition = 2; Bet = 10.0000000000; "
                            "BetHand2 = 10.0000000000; Split = 1;"),
            std::string::npos)
      << packets[0];
}

TEST_F(CKavoDecisionTest, DoubleRefusedForMoneyEndsTheTurnWithoutACard) {
  const int32_t bob = CreateMember("bob", "19.99");
  Ready(bob, {C5, C4});
  auto* shoe = new CKavoScriptedDeck({K});
  m_pTable->SetShoe(shoe);
  EXPECT_EQ(Play(KAVO_ACTION_DOUBLE), 1);
  EXPECT_TRUE(Packets().empty());
  EXPECT_EQ(shoe->CardsLeft(), 1u);
  EXPECT_EQ(Record(kSeat).GetBet(), TMoney(10));
  EXPECT_EQ(Record(kSeat).GetNumCards(), 2);
}

TEST_F(CKavoDecisionTest, ASplitRefusedForMoneyEndsTheTurnAndClearsItsThinkMark) {
  const int32_t bob = CreateMember("bob", "19.99");
  Ready(bob, {C8, C8 + 13});
  m_pTable->SetThinking(kSeat);
  PlayerNodePackets();
  RigShoe({K});
  EXPECT_EQ(Play(KAVO_ACTION_SPLIT), 1);
  EXPECT_TRUE(Packets().empty());
  EXPECT_EQ(Record(kSeat).IsSplit(), 0);
  EXPECT_EQ(m_pTable->GetThinking(kSeat), 0);
  EXPECT_EQ(PlayerNodePackets().size(), 1u) << "the marks sent without the seat's";
}

TEST_F(CKavoDecisionTest, DoubleOnAllowedTotalsOnly) {
  const uint32_t sums[] = {10, 11};
  m_pTable->SetValidDoubleSums(2, sums);
  Ready(m_Ann, {C5, C7});  // 12: not in the list
  RigShoe({K});
  EXPECT_EQ(Play(KAVO_ACTION_DOUBLE), 1);
  EXPECT_TRUE(Packets().empty());
  Record(kSeat).Reset();
  PlaceBet(kSeat, "10");
  GiveCards(kSeat, {C5, C7 - 1});  // 11
  EXPECT_EQ(Play(KAVO_ACTION_DOUBLE), 1);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(9), Chunk(KAVO_MSG_DOUBLE), State(2), Card(K, 0)}));
  EXPECT_EQ(Record(kSeat).GetBet(), TMoney(20));
  EXPECT_EQ(Record(kSeat).IsDoubled(KAVO_HAND_1), 1);
}

TEST_F(CKavoDecisionTest, TheTwentyFirstCardIsRefused) {
  Ready(m_Ann, {});
  for (int32_t i = 0; i < KAVO_MAX_CARDS; ++i) ASSERT_EQ(Record(kSeat).AddCard(A + 13 * (i % 4)), 1);
  auto* shoe = new CKavoScriptedDeck({A});
  m_pTable->SetShoe(shoe);
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Packets(), Join({{State(2)}, Turn(0, 30)}));
  EXPECT_EQ(Record(kSeat).GetNumCards(), KAVO_MAX_CARDS);
  EXPECT_EQ(shoe->CardsLeft(), 1u);
}

TEST_F(CKavoDecisionTest, HitBustAndUnknownActions) {
  Ready(m_Ann, {K, C5});
  RigShoe({K});
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Packets(), Join({{State(2), Card(K, 0)}, Turn(0, 31)}));
  // The round finds the hand over 21 and applies the bust.
  EXPECT_EQ(Play(KAVO_ACTION_BUST), 1);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(14), Chunk(KAVO_MSG_BUST)}));
  EXPECT_EQ(Record(kSeat).IsAllBust(), 1);
  for (int32_t action : {0, 6, -1, 1000}) {
    EXPECT_EQ(Play(action), 0) << action;
    EXPECT_TRUE(Packets().empty()) << action;
  }
}

TEST_F(CKavoDecisionTest, AnEmptyShoeFailsTheDecision) {
  Ready(m_Ann, {K, C5});
  RigShoe({});
  int32_t done = 0;
  EXPECT_EQ(m_pTable->PlayAction(KAVO_ACTION_HIT, done), 0);
}

TEST_F(CKavoDecisionTest, TripleSevenOnAHit) {
  Ready(m_Ann, {C7, C7 + 13});
  RigShoe({C7 + 26});
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Packets(), Join({{State(2), Card(C7 + 26, 0), State(17), Bonus("10.0000000000", 0)}, Turn(0, 31)}));
  EXPECT_EQ(Bookings(m_Ann), std::vector<std::string>{"54 1000"});
}

TEST_F(CKavoDecisionTest, TripleSevenOnADoublePaysTheDoubledBet) {
  Ready(m_Ann, {C7, C7 + 13});
  RigShoe({C7 + 39});
  EXPECT_EQ(Play(KAVO_ACTION_DOUBLE), 1);
  EXPECT_EQ(Packets(), (std::vector<std::string>{State(9), Chunk(KAVO_MSG_DOUBLE), State(2), Card(C7 + 39, 0),
                                                 State(17), Bonus("20.0000000000", 0)}));
  EXPECT_EQ(Bookings(m_Ann), std::vector<std::string>{"54 2000"});
}

TEST_F(CKavoDecisionTest, AfterASplitEachHandIsPaidForItsOwnSevensOnly) {
  // Hand 2: seven, seven, then a hit seven (type 55). Hand 1: seven and king, then a hit seven:
  // three cards, but not three sevens, although hand 2's first three are.
  Ready(m_Ann, {C7, C7 + 13});
  RigShoe({C7 + 26, C7 + 39, K, C7});
  EXPECT_EQ(Play(KAVO_ACTION_SPLIT), 0);
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Play(KAVO_ACTION_STAND), 0);
  Packets();
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Packets(), Join({{State(2), Card(C7, 1)}, Turn(1, 31)}));
  EXPECT_EQ(Bookings(m_Ann), std::vector<std::string>{"55 1000"});
}

TEST_F(CKavoDecisionTest, HandOneOfASplitEarnsItsOwnBonus) {
  Ready(m_Ann, {C7, C7 + 13});
  RigShoe({K, C7 + 26, C7 + 39});
  EXPECT_EQ(Play(KAVO_ACTION_SPLIT), 0);  // hand 2: seven, king
  EXPECT_EQ(Play(KAVO_ACTION_STAND), 0);  // hand 1: seven, seven
  Packets();
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 0);
  EXPECT_EQ(Packets(), Join({{State(2), Card(C7 + 39, 1), State(17), Bonus("10.0000000000", 1)}, Turn(1, 31)}));
  EXPECT_EQ(Bookings(m_Ann), std::vector<std::string>{"54 1000"});
}

TEST_F(CKavoDecisionTest, AFailedBonusBookingCrashesTheUserAndEndsTheTurn) {
  Ready(m_Ann, {C7, C7 + 13});
  RigShoe({C7 + 26});
  m_pStova->m_FailIncAt = 1;
  EXPECT_EQ(Play(KAVO_ACTION_HIT), 1);
  EXPECT_EQ(Record(kSeat).IsBooked(KAVO_BOOKED_BONUS1), 0);
  EXPECT_TRUE(Bookings(m_Ann).empty());
}

TEST_F(CKavoDecisionTest, ActionsOfOtherSeatsAreConsumedAndIgnored) {
  const int32_t bob = CreateMember("bob", "100");
  Ready(m_Ann, {K, C5});
  Seat(0, bob);
  SendClient(bob, 0, KAVO_MSG_PLAYERACTION, "Action = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  int32_t action = -1;
  EXPECT_EQ(m_pTable->ReadAction(action), 0);
  m_pTable->GetTableNode()->RecvKCBLFree();
  // A chunk claiming the seat for another player is skipped as well.
  SendClient(bob, kSeat, KAVO_MSG_PLAYERACTION, "Action = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  EXPECT_EQ(m_pTable->ReadAction(action), 0);
  m_pTable->GetTableNode()->RecvKCBLFree();
  SendClient(m_Ann, kSeat, KAVO_MSG_PLAYERACTION, "Action = 2\n");
  ASSERT_TRUE(ReceiveOnTable());
  EXPECT_EQ(m_pTable->ReadAction(action), 1);
  EXPECT_EQ(action, KAVO_ACTION_STAND);
  m_pTable->GetTableNode()->RecvKCBLFree();
}
}  // namespace
