// Whole rounds with a rigged shoe on the test clock: every record the table sends its clients,
// from the bets (where the case takes them) to the settlement, in order, and what it booked. The
// round runs as the framework runs it: one step per frame, a pause sleeps until its time is up,
// and a client answers each turn one second after its time-out record arrives.
#include <map>
#include <string>
#include <vector>

#include "kavoserverkit.h"
#include "server/scripteddeck.h"
#include "server/supersevenplayer.h"

namespace {
constexpr int32_t A = 0, C3 = 2, C5 = 4, C6 = 5, C7 = 6, C8 = 7, C9 = 8, T = 9, K = 12;
// Suits count 13 codes apart: the sevens of the first three suits.
constexpr int32_t H7 = C7, S7 = C7 + 13, D7 = C7 + 26;
constexpr int32_t HIT = KAVO_ACTION_HIT, STAND = KAVO_ACTION_STAND, DBL = KAVO_ACTION_DOUBLE, SPLIT = KAVO_ACTION_SPLIT;

// The table lets the test wake it from a pause, as the framework's frame does once the pause is
// over.
class CSteppedTable : public CBlackJackServerTable {
 public:
  void Wake() { m_Sleeping = 0; }
};

struct SBet {
  int32_t m_Seat;
  const char* m_Who;  // "ann" or "bob"
  const char* m_Bet;
  bool m_Side;
};

struct SCase {
  const char* m_Name;
  int32_t m_GameId;
  // The bets come as the clients' records and the round opens with every seat's table info, as
  // the framework's betting phase runs it; else the bets are placed on the records directly.
  bool m_BetsByRecord;
  std::vector<SBet> m_Bets;
  std::vector<int32_t> m_Shoe;
  std::vector<int32_t> m_Actions;  // each turn's answer, in the order the turns come
  // The records with "ann" and "bob" standing for the players' ids.
  std::vector<std::string> m_Records;
  // The player node's records, think marks written "think" and the five seats' marks.
  std::vector<std::string> m_ThinkMarks;
  std::vector<std::string> m_Bookings;  // "who type cents", each player's in turn
};

const SCase kCases[] = {
    {"DoubleOnElevenWinsTwiceTheBet",
     KAVO_GAMEID_REGULAR,
     false,
     {{2, "ann", "10", false}},
     {C5, C6, C9, C7, K, T},  // 5, 6 against 9 up, 7 in the hole; the double draws K; the dealer T
     {DBL},
     {"ChangeGameState = 1", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 4; Split = 0; }",
      "ChangeGameState = 3", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 5; Split = 0; }",
      "DealerCard = 8",
      // three cards, three seconds
      "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 2; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 4001", "ChangeGameState = 5",
      "ChangeGameState = 9", "{ = PlayerData, Double, ann, 2; }", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 2; Card = 12; Split = 0; }",
      // the dealer's hole card, then 16 draws to 26
      "ChangeGameState = 2", "DealerCard = 6", "ChangeGameState = 2", "DealerCard = 9", "ChangeGameState = 6",
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 20.0000000000; WinCondition = 1; Bet = 20.0000000000; "
      "BetHand2 = 0.0000000000; Split = 0; }"},
     {"think 00000", "think 00100", "think 00000"},
     {"ann 50 -2000", "ann 54 4000"}},

    {"SplitEightsDoubleHandTwoThenStandOnHandOne",
     KAVO_GAMEID_REGULAR,
     false,
     {{2, "ann", "10", false}},
     // 8, 8 against 6 up, T in the hole; hand 2 gets 3 and doubles onto 9; hand 1 gets K; the
     // dealer's 16 draws 7
     {C8, C8 + 13, C6, T, C3, C9, K, C7},
     {SPLIT, DBL, STAND},
     {"ChangeGameState = 1", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 7; Split = 0; }",
      "ChangeGameState = 3", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 20; Split = 0; }",
      "DealerCard = 5", "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 2; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 4001", "ChangeGameState = 5",
      // the split: hand 2 takes its card and the turn goes on there, one card since the pause
      "ChangeGameState = 8", "{ = PlayerData, Split, ann, 2; }", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 2; Card = 2; Split = 2; }", "ChangeGameState = 4",
      "{ = PlayerData, Turn, ann, 2; Split = 2; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 31; ServerTime = 5001", "ChangeGameState = 5",
      // hand 2 doubles; hand 1 takes its second card and has the turn, two cards since the pause
      "ChangeGameState = 9", "{ = PlayerData, Double, ann, 2; }", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 2; Card = 8; Split = 2; }", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 2; Card = 12; Split = 1; }", "ChangeGameState = 4",
      "{ = PlayerData, Turn, ann, 2; Split = 1; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 32; ServerTime = 6001", "ChangeGameState = 5",
      "ChangeGameState = 2", "DealerCard = 9", "ChangeGameState = 2", "DealerCard = 6", "ChangeGameState = 6",
      // one packet, hand 2 first
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 20.0000000000; WinCondition = 1; Bet = 20.0000000000; "
      "BetHand2 = 20.0000000000; Split = 2; }; "
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 10.0000000000; WinCondition = 1; Bet = 10.0000000000; "
      "BetHand2 = 20.0000000000; Split = 1; }"},
     {"think 00000", "think 00100", "think 00000", "think 00000"},
     {"ann 50 -2000", "ann 54 4000", "ann 50 -1000", "ann 54 2000"}},

    {"SplitAcesTakeOneCardEachWithoutAnotherTurn",
     KAVO_GAMEID_REGULAR,
     false,
     {{2, "ann", "10", false}},
     {A, A + 13, C9, C8, K, C5},  // A, A against 9 up, 8 in the hole; hand 2 gets K, hand 1 gets 5
     {SPLIT},
     {"ChangeGameState = 1", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 0; Split = 0; }",
      "ChangeGameState = 3", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 13; Split = 0; }",
      "DealerCard = 8", "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 2; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 4001", "ChangeGameState = 5", "ChangeGameState = 8",
      "{ = PlayerData, Split, ann, 2; }", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 12; Split = 2; }",
      "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 4; Split = 1; }",
      // the dealer's 17 stands
      "ChangeGameState = 2", "DealerCard = 7", "ChangeGameState = 6",
      // ace and king after a split: 21, won at twice the bet, not a natural
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 10.0000000000; WinCondition = 1; Bet = 10.0000000000; "
      "BetHand2 = 10.0000000000; Split = 2; }; "
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 0.0000000000; WinCondition = 0; Bet = 10.0000000000; "
      "BetHand2 = 10.0000000000; Split = 1; }"},
     {"think 00000", "think 00100", "think 00000"},
     {"ann 50 -1000", "ann 54 2000", "ann 50 -1000", "ann 54 0"}},

    {"TripleSevenAtTheSideBetTablePaysTheBonusAndTheSideBet",
     KAVO_GAMEID_SUPERSEVEN,
     false,
     {{2, "ann", "10", true}},
     {H7, S7, C9, T, D7},  // 7, 7 against 9 up, T in the hole; the hit draws a third seven
     {HIT, STAND},
     {"ChangeGameState = 1", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 6; Split = 0; }",
      "ChangeGameState = 3", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 2; Card = 19; Split = 0; }",
      "DealerCard = 8", "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 2; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 4001", "ChangeGameState = 5", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 2; Card = 32; Split = 0; }",
      // the bonus, the hand's bet, in a packet of its own; then the turn again
      "ChangeGameState = 17", "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 10.0000000000; Split = 0; }",
      "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 2; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 31; ServerTime = 5001", "ChangeGameState = 5", "ChangeGameState = 2",
      "DealerCard = 9", "ChangeGameState = 6",
      // 21 against 19; the side bet's three sevens of mixed suits win 500 units
      "{ = PlayerData, KavoPlayerWin, ann, 2; WinAmount = 10.0000000000; WinCondition = 1; Bet = 11.0000000000; "
      "BetHand2 = 0.0000000000; Split = 0; SSWin = 500.0000000000; }"},
     {"think 00000", "think 00100", "think 00000"},
     // The bonus; then the bet and the unit against the double bet, the side win and its unit.
     {"ann 54 1000", "ann 50 -1100", "ann 54 52100"}},

    {"AFullSideBetRoundFromTheBetsToTheSettlement",
     KAVO_GAMEID_SUPERSEVEN,
     true,
     {{3, "ann", "10", true}, {1, "bob", "20", true}},
     // seat 3: 7h, 7s and splits, hand 2 gets 7s (side bet: two sevens of one code first, 100)
     // and stands on 14, hand 1 gets K and stands on 17; seat 1: K, 5, hits K and busts (side bet
     // lost). The dealer: 6 up, T in the hole, draws 3 to 19.
     {H7, K, S7, C5, C6, T, S7, K, K, C3},
     {SPLIT, STAND, STAND, HIT},
     {// the bets answered, then the round's table info of both seats in one record
      "{ = PlayerData, KavoPlayerTableInfo, ann, 3; SuccessFlag = 1; Bet = 10.0000000000; "
      "BetHand2 = 0.0000000000; SuperSeven = TRUE; }",
      "{ = PlayerData, KavoPlayerTableInfo, bob, 1; SuccessFlag = 1; Bet = 20.0000000000; "
      "BetHand2 = 0.0000000000; SuperSeven = TRUE; }",
      "{ = PlayerData, KavoPlayerTableInfo, bob, 1; SuccessFlag = 1; Bet = 20.0000000000; "
      "BetHand2 = 0.0000000000; SuperSeven = TRUE; }; "
      "{ = PlayerData, KavoPlayerTableInfo, ann, 3; SuccessFlag = 1; Bet = 10.0000000000; "
      "BetHand2 = 0.0000000000; SuperSeven = TRUE; }",
      "ChangeGameState = 1", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 3; Card = 6; Split = 0; }",
      "{ = PlayerData, Card, bob, 1; Card = 12; Split = 0; }", "ChangeGameState = 3", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 3; Card = 19; Split = 0; }", "{ = PlayerData, Card, bob, 1; Card = 4; Split = 0; }",
      "DealerCard = 5",
      // five cards, five seconds
      "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 3; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 6001", "ChangeGameState = 5", "ChangeGameState = 8",
      "{ = PlayerData, Split, ann, 3; }", "ChangeGameState = 2", "{ = PlayerData, Card, ann, 3; Card = 19; Split = 2; }",
      "ChangeGameState = 4", "{ = PlayerData, Turn, ann, 3; Split = 2; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 31; ServerTime = 7001", "ChangeGameState = 5", "ChangeGameState = 2",
      "{ = PlayerData, Card, ann, 3; Card = 12; Split = 1; }", "ChangeGameState = 4",
      "{ = PlayerData, Turn, ann, 3; Split = 1; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 31; ServerTime = 8001", "ChangeGameState = 5",
      // seat 1's turn
      "ChangeGameState = 4", "{ = PlayerData, Turn, bob, 1; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 30; ServerTime = 9001", "ChangeGameState = 5", "ChangeGameState = 2",
      "{ = PlayerData, Card, bob, 1; Card = 12; Split = 0; }", "ChangeGameState = 4",
      "{ = PlayerData, Turn, bob, 1; Split = 0; }", "ChangeGameState = 10",
      "Command = PlayerTimeOut; TimeOut = 31; ServerTime = 10001", "ChangeGameState = 5",
      // the round finds 25 and busts the hand at once, with the side bet of its first cards
      "ChangeGameState = 14", "{ = PlayerData, Bust, bob, 1; SSWin = 0.0000000000; }",
      "ChangeGameState = 2", "DealerCard = 9", "ChangeGameState = 2", "DealerCard = 2", "ChangeGameState = 6",
      // seat 3's hands lose to 19, the side bet wins with hand 1's chunk; seat 1 loses both
      "{ = PlayerData, KavoPlayerWin, ann, 3; WinAmount = 0.0000000000; WinCondition = 0; Bet = 10.0000000000; "
      "BetHand2 = 10.0000000000; Split = 2; SSWin = 0.0000000000; }; "
      "{ = PlayerData, KavoPlayerWin, ann, 3; WinAmount = 0.0000000000; WinCondition = 0; Bet = 11.0000000000; "
      "BetHand2 = 10.0000000000; Split = 1; SSWin = 100.0000000000; }; "
      "{ = PlayerData, KavoPlayerWin, bob, 1; WinAmount = 0.0000000000; WinCondition = 0; Bet = 21.0000000000; "
      "BetHand2 = 0.0000000000; Split = 0; SSWin = 0.0000000000; }"},
     {"think 01000", "think 00000", "think 00010", "think 00000", "think 01000", "think 00000"},
     {"ann 50 -1000", "ann 54 0", "ann 50 -1100", "ann 54 10100", "bob 50 -2100", "bob 54 0"}},
};

void PrintTo(const SCase& c, std::ostream* out) { *out << c.m_Name; }

// The framework's think-mark record of the player node as "think 00100"; any other record as it is.
std::string ThinkMarks(const std::string& record) {
  static const std::string head = "{ = PrivatePlayerData, PlNode, 0, 0; T; ";
  if (record.compare(0, head.size(), head) != 0) return record;
  std::string marks = "think ";
  size_t at = head.size();
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat, at += 7) {
    if (record.compare(at, 4, "D = ") != 0 || (record[at + 4] != '0' && record[at + 4] != '1')) return record;
    marks += record[at + 4];
  }
  return record.compare(at, std::string::npos, "}") == 0 ? marks : record;
}

class KavoRoundRecords : public CKavoTableTest, public ::testing::WithParamInterface<SCase> {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    m_Players = {{"ann", m_Ann}, {"bob", CreateMember("bob", "1000")}};
    m_MakeTable = [] { return new CSteppedTable; };
  }
  CSteppedTable& Table() { return static_cast<CSteppedTable&>(*m_pTable); }
  // The case's text with each player's name replaced by his id.
  std::string Ids(const std::string& text) const {
    std::string out = text;
    for (const auto& [who, id] : m_Players)
      for (size_t at = 0; (at = out.find(", " + who + ",", at)) != std::string::npos;)
        out.replace(at + 2, who.size(), std::to_string(id));
    return out;
  }
  void Bet(const SBet& bet) {
    const int32_t id = m_Players.at(bet.m_Who);
    if (!GetParam().m_BetsByRecord) {
      PlaceBet(bet.m_Seat, bet.m_Bet);
      if (bet.m_Side) static_cast<CSuperSevenServerPlayer&>(Record(bet.m_Seat)).SetSideBet(1);
      return;
    }
    SendClient(id, bet.m_Seat, KAVO_MSG_PLAYERBET,
               std::string("Bet = ") + bet.m_Bet + "\n" + (bet.m_Side ? "SuperSeven = 1\n" : "") + "finalFlag = 1\n");
    ASSERT_TRUE(ReceiveOnTable());
    ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
    m_pTable->GetTableNode()->RecvKCBLFree();
  }

  std::map<std::string, int32_t> m_Players;
};

TEST_P(KavoRoundRecords, EveryRecordOfTheRoundInOrder) {
  const SCase& c = GetParam();
  StartTable(c.m_GameId, [](CBlackJackServerTable& table) { table.SetTripleSevenEnabled(1); });
  for (const SBet& bet : c.m_Bets) Seat(bet.m_Seat, m_Players.at(bet.m_Who));
  Packets();
  PlayerNodePackets();
  m_pTable->SetState(SERVERSTATE_GAMEPLAY);
  for (const SBet& bet : c.m_Bets) Bet(bet);
  if (c.m_BetsByRecord) ASSERT_EQ(m_pTable->StartPlay(), 1);
  m_pTable->SetShoe(new CKavoScriptedDeck(c.m_Shoe));

  std::vector<std::string> records = Packets();
  std::vector<std::string> playerNode;
  for (const std::string& r : PlayerNodePackets()) playerNode.push_back(ThinkMarks(r));
  size_t answered = 0;
  for (int32_t frame = 0; frame < 200 && m_pTable->GetRoundState() != KAVO_RS_ENDOFROUND; ++frame) {
    if (m_pTable->IsSleeping()) {
      m_Clock.Advance(static_cast<uint32_t>(m_pTable->TimeLeft()) + 1);
      Table().Wake();
    }
    ASSERT_EQ(m_pTable->GameHandler(), 1) << "frame " << frame;
    const std::vector<std::string> sent = Packets();
    for (const std::string& r : PlayerNodePackets()) playerNode.push_back(ThinkMarks(r));
    records.insert(records.end(), sent.begin(), sent.end());
    // A client answers its turn, unless its hand is over 21 (the round busts it at once).
    const int32_t seat = m_pTable->GetCurrentSeat();
    if (m_pTable->GetRoundState() != KAVO_RS_AWAITACTION || sent.empty() ||
        sent.back() != "ChangeGameState = " + std::to_string(KAVO_GS_WAITACTION))
      continue;
    int32_t soft = 0, hard = 0;
    Record(seat).GetTotals(soft, hard);
    if (hard > 21) continue;
    ASSERT_LT(answered, c.m_Actions.size()) << "a turn the case has no answer for";
    m_Clock.Advance(1000);
    SendClient(m_pTable->GetPlayerConnection(seat)->m_PlayerId, seat, KAVO_MSG_PLAYERACTION,
               "Action = " + std::to_string(c.m_Actions[answered++]) + "\n");
  }
  ASSERT_EQ(m_pTable->GetRoundState(), KAVO_RS_ENDOFROUND);
  EXPECT_EQ(answered, c.m_Actions.size());

  std::vector<std::string> expected;
  for (const std::string& record : c.m_Records) expected.push_back(Ids(record));
  EXPECT_EQ(records, expected);
  for (const std::string& r : PlayerNodePackets()) playerNode.push_back(ThinkMarks(r));
  EXPECT_EQ(playerNode, c.m_ThinkMarks);
  std::vector<std::string> bookings;
  for (const char* who : {"ann", "bob"})
    for (const std::string& row : Bookings(m_Players.at(who))) bookings.push_back(std::string(who) + " " + row);
  EXPECT_EQ(bookings, c.m_Bookings);
}

INSTANTIATE_TEST_SUITE_P(Rounds, KavoRoundRecords, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.m_Name); });
}  // namespace
