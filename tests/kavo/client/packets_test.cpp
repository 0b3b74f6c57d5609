// The client table's readers of the round's records, fed with what the server table sends: cards,
// doubles, splits, busts, turns, wins and the seats' bets, and the player-protection amounts the
// wins give back. Then records no server table sends, each of which must end the table cleanly.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../server/kavoserverkit.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "fennic/pocket.h"
#include "ostrel/base/types.h"
#include "server/supersevenplayer.h"

namespace {
// Card codes: rank = code % 13.
constexpr int32_t kAce = 0, kTwo = 1, kFive = 4, kSix = 5, kSeven = 6, kEight = 7, kNine = 8, kTen = 9, kKing = 12;
constexpr int32_t kSevenOfHearts = 19, kSevenOfSpades = 32;

int32_t MessageBox(const char*, const char*) { return 1; }

// A client table reading from the node that receives the server table's packets, with its
// records, its 16 pockets and the seats' cash. The node is the test's.
template <class Record>
class CPacketTable : public CBlackJackClientTable {
 public:
  explicit CPacketTable(CCommNode* node) {
    m_pTableNode = node;
    m_RealMoney = 1;
    m_Money.assign(KAVO_NUM_SEATS, TMoney("1000"));
    m_CardTable.Init(KAVO_HAND_POSITIONS, 4, 13, 13);
    m_Layout.MaxCardsInPocket = 12;
  }
  ~CPacketTable() override { m_pTableNode = nullptr; }
  int32_t Exit() override { return 1; }
  TMoney SeatCash(int32_t seat) const { return m_Money[static_cast<size_t>(seat)]; }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new Record; }
};

using CRegularTable = CPacketTable<CBlackJackPlayerData>;
using CSideBetTable = CPacketTable<CSuperSevenPlayerData>;

class CKavoPacketTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    CClientTableBase::SetMessageBoxFunc(MessageBox);
    CClientTableBase::Protection() = {};
  }
  void TearDown() override {
    m_pSide.reset();
    m_pClient.reset();
    CClientTableBase::Protection() = {};
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CKavoTableTest::TearDown();
  }
  // The server table of the game with Ann on the seats, each with a final bet of 10, and the
  // client table of the same game beside it.
  void Start(int32_t gameId, std::initializer_list<int32_t> seats) {
    StartTable(gameId);
    for (int32_t seat : seats) {
      Seat(seat, m_Ann);
      PlaceBet(seat, "10");
    }
    Packets();
    if (gameId == KAVO_GAMEID_SUPERSEVEN) {
      m_pSide = std::make_unique<CSideBetTable>(m_pClientTable.get());
      m_pSide->SetPlayerId(m_Ann);
      ASSERT_EQ(m_pSide->CreatePlayerRecords(), 1);
    } else {
      m_pClient = std::make_unique<CRegularTable>(m_pClientTable.get());
      m_pClient->SetPlayerId(m_Ann);
      ASSERT_EQ(m_pClient->CreatePlayerRecords(), 1);
    }
  }
  CBlackJackClientTable& Client() { return m_pSide ? static_cast<CBlackJackClientTable&>(*m_pSide) : *m_pClient; }
  CBlackJackPlayerData& Rec(int32_t seat) { return *Client().GetPlayerRecord(seat); }
  CSuperSevenPlayerData& SideRec(int32_t seat) { return static_cast<CSuperSevenPlayerData&>(Rec(seat)); }

  // The records the server table sent since the last call, without the round's state changes
  // (the framework takes those) and time-outs (the round's own reader takes those), put back on the client's node for the readers.
  int32_t Forward() {
    std::vector<std::string> game;
    while (m_pClientTable->IsDataAvailable()) {
      void* data = nullptr;
      uint32_t size = 0;
      if (!m_pClientTable->RecvPacket(data, size)) break;
      std::string text(static_cast<const char*>(data), size);
      xFree(data);
      m_pClientTable->RecvFree();
      if (text.find("ChangeGameState") == std::string::npos && text.find(KAVO_MSG_PLAYERTIMEOUT) == std::string::npos)
        game.push_back(text);
    }
    for (const std::string& text : game) Put(text);
    return static_cast<int32_t>(game.size());
  }
  // A record as the server table's node sends it.
  void Put(const std::string& text) {
    CCommNode* node = m_pTable->GetTableNode();
    ASSERT_TRUE(node->SendInit());
    ASSERT_TRUE(node->SendPacket(text.c_str(), static_cast<uint32_t>(text.size())));
  }
  // A card read and dealt into the client's record as the round does it.
  void ReadAndDealCard(int32_t wantSeat, int32_t wantCard, int32_t wantHand) {
    int32_t card = -1, seat = -1, hand = -1, received = 0;
    ASSERT_EQ(Client().RecvCard(card, seat, hand, received), 1);
    ASSERT_EQ(received, 1);
    EXPECT_EQ(card, wantCard);
    EXPECT_EQ(seat, wantSeat);
    EXPECT_EQ(hand, wantHand);
    if (hand) Rec(seat).SetCurrentHand(hand);
    ASSERT_EQ(Rec(seat).AddCard(card), 1);
  }
  // Cards dealt by the server table, one "Card" each, read by the client.
  void Deal(int32_t seat, std::initializer_list<int32_t> cards) {
    RigShoe(cards);
    for (int32_t card : cards) {
      ASSERT_EQ(m_pTable->DealCard(seat), 1);
      ASSERT_EQ(Forward(), 1);
      const int32_t hand = seat == KAVO_DEALER ? 0 : Record(seat).GetHandNumber();
      ReadAndDealCard(seat, card, hand);
    }
  }
  TMoney Losses() const { return CClientTableBase::Protection().LossThisDay; }

  std::unique_ptr<CRegularTable> m_pClient;
  std::unique_ptr<CSideBetTable> m_pSide;
};

TEST_F(CKavoPacketTest, NothingWaitingIsNoFailure) {
  Start(KAVO_GAMEID_REGULAR, {1});
  int32_t a = 0, b = 0, c = 0, received = 1;
  EXPECT_EQ(Client().RecvCard(a, b, c, received), 1);
  EXPECT_EQ(received, 0);
  EXPECT_EQ(Client().RecvPlayerWinProtection(received), 1);
  EXPECT_EQ(received, 0);
  EXPECT_EQ(Client().RecvPlayerTableInfo(), 1);
}

TEST_F(CKavoPacketTest, CardsToSeatsAndDealer) {
  Start(KAVO_GAMEID_REGULAR, {1, 3});
  Deal(3, {kTen});
  Deal(1, {kFive});
  Deal(3, {kSix});
  Deal(KAVO_DEALER, {kNine});
  EXPECT_EQ(Rec(3).GetNumCards(), 2);
  EXPECT_EQ(Rec(1).GetNumCards(), 1);
  EXPECT_EQ(Rec(KAVO_DEALER).GetNumCards(), 1);
  EXPECT_EQ(Client().GetCardTable().GetPocket(KAVO_DEALER)->GetCard(0), kNine);
}

TEST_F(CKavoPacketTest, DoubleSplitTurnAndTheSplitHandsCards) {
  Start(KAVO_GAMEID_REGULAR, {1, 3});
  Deal(3, {kFive, kSix});
  Deal(1, {kEight, kEight + 13});
  // Seat 3 doubles its eleven: "Double", then its card.
  m_pTable->SetCurrentSeat(3);
  RigShoe({kNine});
  int32_t turnDone = 0;
  ASSERT_EQ(m_pTable->PlayAction(KAVO_ACTION_DOUBLE, turnDone), 1);
  ASSERT_GE(Forward(), 2);
  int32_t seat = -1, received = 0;
  ASSERT_EQ(Client().RecvDouble(seat, received), 1);
  EXPECT_EQ(received, 1);
  EXPECT_EQ(seat, 3);
  ReadAndDealCard(3, kNine, 0);
  // Seat 1 splits its eights: "Split", hand 2's card, then the turn of hand 2.
  Packets();
  m_pTable->SetCurrentSeat(1);
  RigShoe({kTwo});
  ASSERT_EQ(m_pTable->PlayAction(KAVO_ACTION_SPLIT, turnDone), 1);
  Forward();
  ASSERT_EQ(Client().RecvSplit(seat, received), 1);
  EXPECT_EQ(seat, 1);
  ASSERT_EQ(Rec(1).DoSplit(), 0);
  EXPECT_EQ(Client().GetCardTable().GetPocket(Rec(1).GetPocketHand1())->GetNumCards(), 1);
  ReadAndDealCard(1, kTwo, 2);
  EXPECT_EQ(Client().GetCardTable().GetPocket(Rec(1).GetPocketHand2())->GetNumCards(), 2);
  int32_t hand = -1;
  ASSERT_EQ(Client().RecvTurn(seat, hand, received), 1);
  EXPECT_EQ(received, 1);
  EXPECT_EQ(seat, 1);
  EXPECT_EQ(hand, 2);
  // The dealer's turn comes as its top-level item.
  Put("DealerTurn = 5\n");
  ASSERT_EQ(Client().RecvTurn(seat, hand, received), 1);
  EXPECT_EQ(seat, KAVO_DEALER);
  EXPECT_EQ(hand, 0);
}

TEST_F(CKavoPacketTest, BustCarriesTheSideBetWinAtTheSideBetTable) {
  Start(KAVO_GAMEID_SUPERSEVEN, {2});
  static_cast<CSuperSevenServerPlayer&>(Record(2)).SetSideBet(1);
  Deal(2, {kSevenOfHearts, kSevenOfSpades});
  // Seat 2 hits into 24: the side bet has two sevens of two suits (30), the hand is bust.
  m_pTable->SetCurrentSeat(2);
  RigShoe({kKing});
  int32_t turnDone = 0;
  ASSERT_EQ(m_pTable->PlayAction(KAVO_ACTION_HIT, turnDone), 1);
  ASSERT_EQ(Forward(), 2);
  ReadAndDealCard(2, kKing, 0);
  int32_t seat = -1, hand = -1, received = 0;
  ASSERT_EQ(Client().RecvTurn(seat, hand, received), 1);
  ASSERT_EQ(m_pTable->PlayAction(KAVO_ACTION_BUST, turnDone), 1);
  ASSERT_EQ(Forward(), 1);
  ASSERT_EQ(Client().RecvBust(seat, received), 1);
  EXPECT_EQ(received, 1);
  EXPECT_EQ(seat, 2);
  EXPECT_EQ(SideRec(2).GetSSWin(), TMoney(30));
}

TEST_F(CKavoPacketTest, TripleSevenBonusGoesToTheHandTheCashAndProtection) {
  Start(KAVO_GAMEID_REGULAR, {0});
  Deal(0, {kEight, kEight + 13});
  ASSERT_EQ(Rec(0).DoSplit(), 0);
  Record(0).SetBetHand2(TMoney("10"));
  ASSERT_EQ(Record(0).DoSplit(), 0);
  Record(0).SetCurrentHand(KAVO_HAND_2);
  ASSERT_EQ(Record(0).PayTripleSeven(), 1);
  ASSERT_EQ(Forward(), 1);
  int32_t received = 0;
  ASSERT_EQ(Client().RecvPlayerWin(received), 1);
  EXPECT_EQ(received, 1);
  EXPECT_EQ(Rec(0).GetWin(KAVO_HAND_2), TMoney(10));
  EXPECT_EQ(Rec(0).GetWin(KAVO_HAND_1), TMoney());
  EXPECT_EQ(static_cast<CRegularTable&>(Client()).SeatCash(0), TMoney(1010));
  // The bonus counts against the day's losses like any win.
  EXPECT_EQ(Losses(), TMoney(-10));
}

// One seat settled against the dealer: the amount the settlement gives back to player protection.
struct SProtectionCase {
  const char* Name;
  int32_t GameId;
  std::vector<int32_t> Cards;   // the seat's two
  std::vector<int32_t> Dealer;  // the dealer's hand
  int32_t SideBet;
  const char* Back;  // what the settlement returns to the day's losses
};

class CKavoProtectionTest : public CKavoPacketTest, public ::testing::WithParamInterface<SProtectionCase> {};

TEST_P(CKavoProtectionTest, SettlementGivesBackTheGross) {
  const SProtectionCase& c = GetParam();
  Start(c.GameId, {4});
  if (c.SideBet) {
    static_cast<CSuperSevenServerPlayer&>(Record(4)).SetSideBet(1);
    Record(4).GetTotalStake();
    SideRec(4).SetSideBet(1);
    SideRec(4).SaveOldBet();
  }
  GiveCards(4, {c.Cards[0], c.Cards[1]});
  for (int32_t card : c.Dealer) GiveCards(KAVO_DEALER, {card});
  for (int32_t card : c.Cards) ASSERT_EQ(Rec(4).AddCard(card), 1);
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  ASSERT_EQ(any, 1);
  ASSERT_EQ(Forward(), 1);
  int32_t received = 0;
  ASSERT_EQ(Client().RecvPlayerWinProtection(received), 1);
  EXPECT_EQ(received, 1);
  EXPECT_EQ(Losses(), TMoney() - TMoney(c.Back)) << c.Name;
}

const SProtectionCase kProtectionCases[] = {
    {"push", KAVO_GAMEID_REGULAR, {kTen, kEight}, {kKing, kEight}, 0, "10"},
    {"win", KAVO_GAMEID_REGULAR, {kTen, kNine}, {kKing, kEight}, 0, "20"},
    {"loss", KAVO_GAMEID_REGULAR, {kTen, kSeven}, {kKing, kEight}, 0, "0"},
    // Two sevens of one suit: the side bet wins 100 and its unit comes back; the hand loses.
    {"sideBetWin", KAVO_GAMEID_SUPERSEVEN, {kSevenOfHearts, kSevenOfHearts}, {kKing, kNine}, 1, "101"},
    // A pushed hand with a lost side bet gives back the hand's stake, not the side bet's unit.
    {"pushSideBetLost", KAVO_GAMEID_SUPERSEVEN, {kTen, kEight}, {kKing, kEight}, 1, "10"},
    {"winAndSideBetWin", KAVO_GAMEID_SUPERSEVEN, {kSevenOfHearts, kSevenOfSpades}, {kKing, kSix, kKing}, 1, "51"},
};

INSTANTIATE_TEST_SUITE_P(Settlements, CKavoProtectionTest, ::testing::ValuesIn(kProtectionCases),
                         [](const ::testing::TestParamInfo<SProtectionCase>& info) { return info.param.Name; });

// ---- the seats' bets ----

TEST_F(CKavoPacketTest, OtherSeatsBetsAreTakenOwnAcceptedOnesPassedOver) {
  Start(KAVO_GAMEID_REGULAR, {1});
  const int32_t bob = CreateMember("bob", "500");
  Seat(3, bob);
  PlaceBet(3, "25");
  Record(1).SetBet(TMoney("40"));
  Rec(1).SetBet(1, TMoney("10"));
  Packets();
  ASSERT_EQ(m_pTable->StartPlay(), 1);
  ASSERT_EQ(Forward(), 1);
  ASSERT_EQ(Client().RecvPlayerTableInfo(), 1);
  EXPECT_EQ(Rec(3).GetBet(1), TMoney(25));
  EXPECT_EQ(Rec(1).GetBet(1), TMoney(10)) << "the own accepted bet is the player's own doing";
  EXPECT_EQ(Losses(), TMoney());
}

// Every player left before the round began: the server's round start holds no section, and the
// table goes on (it took such a record for a broken one and ended).
TEST_F(CKavoPacketTest, ARoundStartWithEverySeatEmptyIsReadAsNothing) {
  Start(KAVO_GAMEID_REGULAR, {});
  ASSERT_EQ(m_pTable->StartPlay(), 1);
  ASSERT_EQ(Forward(), 1);
  EXPECT_EQ(Client().RecvPlayerTableInfo(), 1);
  EXPECT_EQ(m_pClientTable->NumWaitingPackets(), 0);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) EXPECT_EQ(Rec(seat).GetBet(1), TMoney()) << seat;
}

TEST_F(CKavoPacketTest, ARefusedOwnBetComesBackOffTheTableAndTheLosses) {
  Start(KAVO_GAMEID_REGULAR, {2});
  // The player placed 600 on seat 2: committed to protection, then refused by the server (above
  // the maximum of 500).
  Rec(2).SetBet(1, TMoney("600"));
  Rec(2).SetBetPlaced(1);
  Client().PlayerProtectionSetBet(TMoney("600"));
  Client().PlayerProtectionCommitBet();
  ASSERT_EQ(Losses(), TMoney(600));
  Packets();
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERBET, "Bet = 600\nfinalFlag = 0\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  ASSERT_EQ(Forward(), 1);
  ASSERT_EQ(Client().RecvPlayerTableInfo(), 1);
  EXPECT_EQ(Rec(2).GetBet(1), TMoney());
  EXPECT_EQ(Rec(2).IsBetPlaced(), 0);
  EXPECT_EQ(Losses(), TMoney());
}

// ---- records no server table sends ----

struct SBadRecord {
  const char* Name;
  const char* Reader;  // card, double, split, bust, turn, win, winprotection, tableinfo
  const char* Text;
};

std::string Chunk(const char* name, int32_t player, int32_t seat, const char* items) {
  return std::string("{ = PlayerData, ") + name + ", " + std::to_string(player) + ", " + std::to_string(seat) + "\n" +
         items + "}\n";
}

class CKavoBadRecordTest : public CKavoPacketTest, public ::testing::WithParamInterface<SBadRecord> {
 protected:
  int32_t Read(const std::string& reader) {
    CBlackJackClientTable& t = Client();
    int32_t a = 0, b = 0, c = 0, received = 0;
    if (reader == "card") return t.RecvCard(a, b, c, received);
    if (reader == "double") return t.RecvDouble(a, received);
    if (reader == "split") return t.RecvSplit(a, received);
    if (reader == "bust") return t.RecvBust(a, received);
    if (reader == "turn") return t.RecvTurn(a, b, received);
    if (reader == "win") return t.RecvPlayerWin(received);
    if (reader == "winprotection") return t.RecvPlayerWinProtection(received);
    return t.RecvPlayerTableInfo();
  }
};

TEST_P(CKavoBadRecordTest, EndsTheTableWithoutTouchingAnything) {
  const SBadRecord& c = GetParam();
  Start(std::string(c.Name).find("side") == 0 ? KAVO_GAMEID_SUPERSEVEN : KAVO_GAMEID_REGULAR, {});
  // Seat 1 holds two cards, seat 2 a split pair, seat 4 nothing; the dealer's pocket is full.
  ASSERT_EQ(Rec(1).AddCard(kTen), 1);
  ASSERT_EQ(Rec(1).AddCard(kFive), 1);
  ASSERT_EQ(Rec(2).AddCard(kEight), 1);
  ASSERT_EQ(Rec(2).AddCard(kEight + 13), 1);
  Rec(2).DoSplit();
  for (int32_t i = 0; i < 12; ++i) ASSERT_EQ(Rec(KAVO_DEALER).AddCard(i), 1);
  const TMoney losses = Losses();
  std::string text = c.Text;
  for (size_t at; (at = text.find("ANN")) != std::string::npos;) text.replace(at, 3, std::to_string(m_Ann));
  Put(text);
  EXPECT_EQ(Read(c.Reader), 0) << c.Name;
  EXPECT_FALSE(m_pClientTable->IsDataAvailable()) << "the record is taken off the node";
  EXPECT_EQ(Losses(), losses);
  EXPECT_EQ(Rec(4).GetBet(1), TMoney());
}

#define CARD(seat, items) Chunk("Card", 7, seat, items)
const std::string kBad[][3] = {
    {"cardSeatTooHigh", "card", CARD(5, "Card = 3\nSplit = 0\n")},
    {"cardSeatNegative", "card", CARD(-1, "Card = 3\nSplit = 0\n")},
    {"cardSeatHuge", "card", CARD(99999, "Card = 3\nSplit = 0\n")},
    {"cardCodeTooHigh", "card", CARD(1, "Card = 52\nSplit = 0\n")},
    {"cardCodeNegative", "card", CARD(1, "Card = -1\nSplit = 0\n")},
    {"cardSplitThree", "card", CARD(1, "Card = 3\nSplit = 3\n")},
    {"cardSplitNegative", "card", CARD(1, "Card = 3\nSplit = -1\n")},
    {"cardSplitHandOfUnsplitSeat", "card", CARD(1, "Card = 3\nSplit = 2\n")},
    {"cardUnsplitHandOfSplitSeat", "card", CARD(2, "Card = 3\nSplit = 0\n")},
    {"cardWithoutSplit", "card", CARD(1, "Card = 3\n")},
    {"cardWithoutCard", "card", CARD(1, "Split = 0\n")},
    {"cardNotANumber", "card", CARD(1, "Card = seven\nSplit = 0\n")},
    {"dealerCardTooHigh", "card", "DealerCard = 60\n"},
    {"dealerCardNotANumber", "card", "DealerCard = x\n"},
    {"dealerPocketFull", "card", "DealerCard = 20\n"},
    {"cardOtherKind", "card", Chunk("Turn", 7, 1, "Split = 0\n")},
    {"cardNoSeatValue", "card", "{ = PlayerData, Card\nCard = 3\nSplit = 0\n}\n"},
    {"doubleSeatTooHigh", "double", Chunk("Double", 7, 5, "")},
    {"doubleOfEmptySeat", "double", Chunk("Double", 7, 4, "")},
    {"doubleOtherKind", "double", Chunk("Split", 7, 1, "")},
    {"splitOfEmptySeat", "split", Chunk("Split", 7, 4, "")},
    {"splitOfSplitSeat", "split", Chunk("Split", 7, 2, "")},
    {"splitSeatNegative", "split", Chunk("Split", 7, -3, "")},
    {"bustOfEmptySeat", "bust", Chunk("Bust", 7, 4, "")},
    {"bustSeatTooHigh", "bust", Chunk("Bust", 7, 6, "")},
    {"sideBustWithoutSSWin", "bust", Chunk("Bust", 7, 1, "")},
    {"sideBustNegativeSSWin", "bust", Chunk("Bust", 7, 1, "SSWin = -3\n")},
    {"turnSplitThree", "turn", Chunk("Turn", 7, 1, "Split = 3\n")},
    {"turnSeatTooHigh", "turn", Chunk("Turn", 7, 5, "Split = 0\n")},
    {"turnDealerNotANumber", "turn", "DealerTurn = x\n"},
    {"turnOtherKind", "turn", "ScanCard = -1\n"},
    {"winNegative", "win", Chunk("KavoPlayerWin", 7, 1, "WinAmount = -5\nSplit = 0\n")},
    {"winNotMoney", "win", Chunk("KavoPlayerWin", 7, 1, "WinAmount = lots\nSplit = 0\n")},
    {"winSplitHandOfUnsplitSeat", "win", Chunk("KavoPlayerWin", 7, 1, "WinAmount = 5\nSplit = 2\n")},
    {"winSeatTooHigh", "win", Chunk("KavoPlayerWin", 7, 5, "WinAmount = 5\nSplit = 0\n")},
    {"winNoChunk", "win", "WinAmount = 5\n"},
    {"winProtectionTruncated", "winprotection",
     Chunk("KavoPlayerWin", 7, 1, "WinAmount = 5\nWinCondition = 1\nBet = 10\n")},
    {"winProtectionNegativeBet", "winprotection",
     Chunk("KavoPlayerWin", 7, 1, "WinAmount = 5\nWinCondition = 1\nBet = -10\nBetHand2 = 0\nSplit = 0\n")},
    {"winProtectionSecondChunkBad", "winprotection",
     Chunk("KavoPlayerWin", 7, 1, "WinAmount = 0\nWinCondition = 0\nBet = 10\nBetHand2 = 0\nSplit = 0\n") +
         Chunk("KavoPlayerWin", 7, 9, "WinAmount = 0\nWinCondition = 0\nBet = 10\nBetHand2 = 0\nSplit = 0\n")},
    {"winProtectionOtherKind", "winprotection", Chunk("Card", 7, 1, "Card = 3\nSplit = 0\n")},
    {"tableInfoSeatTooHigh", "tableinfo",
     Chunk("KavoPlayerTableInfo", 7, 5, "SuccessFlag = 1\nBet = 5\nBetHand2 = 0\n")},
    {"tableInfoNegativeBet", "tableinfo",
     Chunk("KavoPlayerTableInfo", 7, 4, "SuccessFlag = 1\nBet = -5\nBetHand2 = 0\n")},
    {"tableInfoWithoutFlag", "tableinfo", Chunk("KavoPlayerTableInfo", 7, 4, "Bet = 5\nBetHand2 = 0\n")},
    {"tableInfoOwnRefusalTruncated", "tableinfo", "{ = PlayerData, KavoPlayerTableInfo, ANN, 4\nSuccessFlag = 0\n}\n"},
    {"tableInfoOtherKind", "tableinfo", "Command = PlayerTimeOut\nTimeOut = 30\n"},
};
#undef CARD

std::vector<SBadRecord> BadRecords() {
  std::vector<SBadRecord> out;
  for (const auto& row : kBad) out.push_back({row[0].c_str(), row[1].c_str(), row[2].c_str()});
  return out;
}

INSTANTIATE_TEST_SUITE_P(Hostile, CKavoBadRecordTest, ::testing::ValuesIn(BadRecords()),
                         [](const ::testing::TestParamInfo<SBadRecord>& info) { return info.param.Name; });

}  // namespace
