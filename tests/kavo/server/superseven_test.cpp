// The side-bet seat: the pay table, the stake and its debit, the one settlement with hand 1's
// chunk, "SSWin" in the settlement and in "Bust", the bet and the saved state.
#include <string>
#include <vector>

#include "kavoserverkit.h"
#include "server/scripteddeck.h"
#include "server/settlement.h"
#include "server/supersevenplayer.h"

namespace {
constexpr int32_t A = 0, C5 = 4, C7 = 6, C9 = 8, K = 12;
// Sevens of the four suits.
constexpr int32_t H7 = C7, S7 = C7 + 13, D7 = C7 + 26, X7 = C7 + 39;

TEST(KavoSideBet, ThePayTable) {
  struct SCase {
    std::vector<int32_t> m_Cards;
    int32_t m_Win;
  } const cases[] = {
      {{H7, H7, K}, 100},  {{H7, S7, D7}, 500}, {{H7, H7, H7}, 1500}, {{K, H7, H7}, 0},   {{H7, K}, 3},
      {{H7, K, H7}, 3},    {{H7, S7, K}, 30},   {{H7, S7}, 30},       {{H7, H7}, 100},   {{H7, H7, S7}, 500},
      {{X7}, 3},           {{}, 0},             {{A, K, C5}, 0},
  };
  for (const SCase& c : cases)
    EXPECT_EQ(KavoSideBetWin(c.m_Cards.data(), static_cast<int32_t>(c.m_Cards.size())), c.m_Win)
        << c.m_Cards.size() << " cards, first " << (c.m_Cards.empty() ? -1 : c.m_Cards[0]);
}

class CKavoSideBetTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable(KAVO_GAMEID_SUPERSEVEN);
    m_pTable->SetState(SERVERSTATE_GAMEPLAY);
  }
  CSuperSevenServerPlayer& Side(int32_t seat) { return static_cast<CSuperSevenServerPlayer&>(Record(seat)); }
  void Ready(std::initializer_list<int32_t> shoe) {
    Seat(2, m_Ann);
    PlaceBet(2, "10");
    Side(2).SetSideBet(1);
    RigShoe(shoe);
  }
  void PlayOut(std::initializer_list<int32_t> actions) {
    for (int32_t action : actions) {
      for (int32_t i = 0; i < 20 && m_pTable->GetRoundState() != KAVO_RS_AWAITACTION; ++i)
        ASSERT_EQ(m_pTable->GameHandler(), 1);
      SendClient(m_Ann, 2, KAVO_MSG_PLAYERACTION, "Action = " + std::to_string(action) + "\n");
      ASSERT_EQ(m_pTable->GameHandler(), 1);
    }
    for (int32_t i = 0; i < 40 && m_pTable->GetRoundState() != KAVO_RS_ENDOFROUND; ++i)
      ASSERT_EQ(m_pTable->GameHandler(), 1);
    ASSERT_EQ(m_pTable->GetRoundState(), KAVO_RS_ENDOFROUND);
  }
  std::string Win(const char* net, int32_t condition, const char* bet, int32_t hand, const char* betHand2,
                  const char* ssWin) {
    const auto money = [](const char* a) { return std::string(TMoney(a).GetString()); };
    return "{ = PlayerData, KavoPlayerWin, " + std::to_string(m_Ann) + ", 2; WinAmount = " + money(net) +
           "; WinCondition = " + std::to_string(condition) + "; Bet = " + money(bet) + "; BetHand2 = " +
           money(betHand2) + "; Split = " + std::to_string(hand) + "; SSWin = " + money(ssWin) + "; }";
  }
};

TEST_F(CKavoSideBetTest, TheSideTableMakesSideBetRecordsWithAUnitInTheStake) {
  EXPECT_NE(dynamic_cast<CSuperSevenServerPlayer*>(m_pTable->GetPlayer(0)), nullptr);
  Seat(2, m_Ann);
  PlaceBet(2, "10");
  Side(2).SetSideBet(1);
  EXPECT_EQ(Record(2).GetTotalStake(), TMoney(11));
  TMoney pending;
  m_pTable->GetPendingCash(pending, m_Ann);
  EXPECT_EQ(pending, TMoney(11));
}

TEST_F(CKavoSideBetTest, AWinningSideBetIsBookedAndShownWithTheHandItRidesWith) {
  // 7h 7h K: 100 units; the hand (17) loses to the dealer's 18.
  Ready({H7, H7, K, C9, K});
  Packets();
  PlayOut({KAVO_ACTION_STAND});
  EXPECT_EQ(WithName(Packets(), KAVO_MSG_PLAYERWIN),
            (std::vector<std::string>{Win("0", KAVO_WIN_LOST, "11", 0, "0", "100")}));
  // Debit the bet and the unit; credit the side win and its unit back.
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1100", "54 10100"}));
  EXPECT_EQ(BalanceCents(m_Ann), 100000 - 1100 + 10100);
}

TEST_F(CKavoSideBetTest, ALostSideBetCostsItsUnitAndWinAmountIgnoresIt) {
  Ready({K, C9, C9, K, C5});  // 19 against 9, K = 19 ... the dealer stands on 19: push
  Packets();
  PlayOut({KAVO_ACTION_STAND});
  EXPECT_EQ(WithName(Packets(), KAVO_MSG_PLAYERWIN),
            (std::vector<std::string>{Win("0", KAVO_WIN_PUSH, "11", 0, "0", "0")}));
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1100", "54 1000"}));
}

TEST_F(CKavoSideBetTest, ASplitSeatSettlesTheSideBetOnceWithHandOne) {
  // 7h 7s split; hand 2 gets 7d, hand 1 gets K; the dealer holds 9, K.
  Ready({H7, S7, C9, K, D7, K, K});
  Packets();
  PlayOut({KAVO_ACTION_SPLIT, KAVO_ACTION_STAND, KAVO_ACTION_STAND});
  const std::vector<std::string> wins = WithName(Packets(), KAVO_MSG_PLAYERWIN);
  // Hand 2 (7s 7d = 14) and hand 1 (7h K = 17) lose to 19; the side bet, on hand 2's first cards
  // 7s 7d, wins 30 with hand 1's chunk; hand 2's chunk carries "SSWin" 0 and no unit.
  EXPECT_EQ(wins, (std::vector<std::string>{Win("0", KAVO_WIN_LOST, "10", 2, "10", "0") + "; " +
                                            Win("0", KAVO_WIN_LOST, "11", 1, "10", "30")}));
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 0", "50 -1100", "54 3100"}));
}

TEST_F(CKavoSideBetTest, BustCarriesTheSideBetResultOfTheSameCards) {
  Ready({H7, H7, C9, K, K, K});  // 7h 7h hit K: 24, bust; side 7h 7h K = 100
  Packets();
  PlayOut({KAVO_ACTION_HIT});
  const std::vector<std::string> busts = WithName(Packets(), KAVO_MSG_BUST);
  ASSERT_EQ(busts.size(), 1u);
  EXPECT_NE(busts[0].find("SSWin = " + std::string(TMoney(100).GetString())), std::string::npos) << busts[0];
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1100", "54 10100"}));
}

TEST_F(CKavoSideBetTest, TheSideBetIsSavedAfterTheRecord) {
  Seat(2, m_Ann);
  PlaceBet(2, "10");
  Side(2).SetSideBet(1);
  ASSERT_EQ(m_pTable->InitVarStore(1000), 1);
  ASSERT_EQ(Record(2).SaveState(*m_pTable), 1);
  Side(2).Reset();
  ASSERT_EQ(Record(2).RestoreState(*m_pTable), 1);
  EXPECT_EQ(Side(2).HasSideBet(), 1);
  EXPECT_EQ(Record(2).GetTotalStake(), TMoney(11));
  m_pTable->FreeVarStore();
}

TEST_F(CKavoSideBetTest, TheBetCarriesTheSideBetAndTheTableInfoEchoesIt) {
  Seat(2, m_Ann);
  Packets();
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERBET, "Bet = 10.00\nSuperSeven = 1\nfinalFlag = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Side(2).HasSideBet(), 1);
  const std::vector<std::string> info = WithName(Packets(), KAVO_MSG_TABLEINFO);
  ASSERT_EQ(info.size(), 1u);
  EXPECT_NE(info[0].find("SuperSeven = TRUE"), std::string::npos) << info[0];
  // Without a regular bet there is no side bet.
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERBET, "Bet = 0\nSuperSeven = 1\nfinalFlag = 0\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Side(2).HasSideBet(), 0);
}
}  // namespace
