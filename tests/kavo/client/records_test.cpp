// The client table's seat records: the bets, the old bet through player protection, the totals,
// the hands in the card scene, and the items they read and write, against the server table's
// own records through real KCBL packets.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../server/kavoserverkit.h"
#include "client/clienttable.h"
#include "client/playerdata.h"

namespace {
// Card codes: rank = code % 13.
constexpr int32_t kAce = 0, kTwo = 1, kFive = 4, kSix = 5, kSeven = 6, kEight = 7, kNine = 8, kTen = 9, kQueen = 11,
                  kKing = 12;
constexpr int32_t kAceOfHearts = 13, kSevenOfHearts = 19;

int32_t MessageBox(const char*, const char*) { return 1; }

// A regular or side-bet client table with its records and 16 empty pockets, seat money and the
// player's loss limits set by the test.
template <class Record>
class CRecordTable : public CBlackJackClientTable {
 public:
  CRecordTable() {
    m_RealMoney = 1;
    m_Money.assign(KAVO_NUM_SEATS, TMoney("1000"));
    m_CardTable.Init(KAVO_HAND_POSITIONS, 4, 13, 13);
    m_Layout.MaxCardsInPocket = 12;
  }
  void SetSeatMoney(int32_t seat, const char* amount) { m_Money[static_cast<size_t>(seat)] = TMoney(amount); }
  int32_t ExitCalls = 0;
  int32_t Exit() override {
    ++ExitCalls;
    return 1;
  }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new Record; }
};

class CKavoRecordTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    CClientTableBase::SetMessageBoxFunc(MessageBox);
    CClientTableBase::Protection() = {};
    ASSERT_EQ(m_Client.CreatePlayerRecords(), 1);
    ASSERT_EQ(m_SideBet.CreatePlayerRecords(), 1);
    m_pTextNode = std::make_unique<CCommNode>();
  }
  void TearDown() override {
    m_pTextNode.reset();
    CClientTableBase::Protection() = {};
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CKavoTableTest::TearDown();
  }
  CBlackJackPlayerData& Rec(int32_t seat) { return *m_Client.GetPlayerRecord(seat); }
  CSuperSevenPlayerData& SideSeat(int32_t seat) {
    return *static_cast<CSuperSevenPlayerData*>(m_SideBet.GetPlayerRecord(seat));
  }
  void Cards(CBlackJackPlayerData& record, std::initializer_list<int32_t> codes) {
    for (int32_t c : codes) ASSERT_EQ(record.AddCard(c), 1);
  }
  // The client's table node with its chunk of that name entered: from the next packet the
  // server table sent, or from a record's text written here.
  CCommNode* EnterSent(const char* chunk) {
    CCommNode* node = m_pClientTable.get();
    EXPECT_TRUE(node->IsDataAvailable());
    EXPECT_TRUE(node->RecvKCBLPacket());
    return Enter(node, chunk, false);
  }
  CCommNode* EnterText(const std::string& text, const char* chunk, bool isPrivate = false) {
    CCommNode* node = m_pTextNode.get();
    node->m_RecvKCBL.Free();
    EXPECT_TRUE(node->m_RecvKCBL.Import(text.c_str(), -1));
    return Enter(node, chunk, isPrivate);
  }
  CCommNode* Enter(CCommNode* node, const char* chunk, bool isPrivate) {
    int32_t seat = -1, player = 0;
    const int32_t entered = isPrivate ? CTableBase::RecvEnterPrivatePlayerData(node, seat, player, chunk)
                                      : CTableBase::RecvEnterPlayerData(node, seat, player, chunk);
    EXPECT_EQ(entered, 1);
    EXPECT_NE(seat, -1) << chunk;
    return node;
  }
  // Records written here are read through this node.
  std::unique_ptr<CCommNode> m_pTextNode;
  CRecordTable<CBlackJackPlayerData> m_Client;
  CRecordTable<CSuperSevenPlayerData> m_SideBet;
};

TEST_F(CKavoRecordTest, RecordsSitOnTheirSeatsPockets) {
  for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData& r = Rec(seat);
    EXPECT_EQ(r.GetSeat(), seat);
    EXPECT_EQ(r.IsDealer(), seat == KAVO_NUM_SEATS ? 1 : 0);
    EXPECT_EQ(r.GetPocketHand1(), 6 + 2 * seat);
    EXPECT_EQ(r.GetPocketHand2(), 7 + 2 * seat);
    EXPECT_EQ(r.GetCurrentHand(), 2);
    EXPECT_EQ(r.GetCurrentPocket(), seat);
  }
  EXPECT_EQ(m_Client.GetPlayerRecord(6), nullptr);
  EXPECT_EQ(m_Client.GetPlayerRecord(-1), nullptr);
}

// A table whose n-th record cannot be allocated.
class CFailingRecordTable : public CRecordTable<CBlackJackPlayerData> {
 public:
  int32_t FailAt = 0;

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override {
    return ++m_Built == FailAt ? nullptr : CRecordTable<CBlackJackPlayerData>::NewPlayerRecord();
  }

 private:
  int32_t m_Built = 0;
};

TEST_F(CKavoRecordTest, BuildingTheRecordsEmptiesTheSeatsPockets) {
  CCardTable& scene = m_Client.GetCardTable();
  for (int32_t p : {0, 5, 6, 15}) ASSERT_EQ(scene.GetPocket(p)->AddCard(kTen), 1);
  ASSERT_EQ(m_Client.CreatePlayerRecords(), 1);  // again: the old records go
  for (int32_t p : {0, 5, 6, 15}) EXPECT_EQ(scene.GetPocket(p)->GetNumCards(), 0) << p;
  EXPECT_EQ(m_Client.ExitCalls, 0);
}

TEST_F(CKavoRecordTest, AFailedRecordLeavesNoneAndExits) {
  for (int32_t failAt = 1; failAt <= KAVO_RECORDS; ++failAt) {
    CFailingRecordTable table;
    table.FailAt = failAt;
    EXPECT_EQ(table.CreatePlayerRecords(), 0) << failAt;
    EXPECT_EQ(table.ExitCalls, 1) << failAt;
    for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) EXPECT_EQ(table.GetPlayerRecord(seat), nullptr) << failAt;
    EXPECT_EQ(table.CreateGamePlayer(0, 1), 1);  // nothing to reset, nothing touched
  }
}

TEST_F(CKavoRecordTest, SeatChangesStartTheSeatsRecordAfresh) {
  using TSlot = int32_t (*)(CBlackJackClientTable&, int32_t);
  const std::pair<const char*, TSlot> slots[] = {
      {"player created", [](CBlackJackClientTable& t, int32_t seat) { return t.CreateGamePlayer(seat, 7); }},
      {"player deleted", [](CBlackJackClientTable& t, int32_t seat) { return t.DeleteGamePlayer(seat); }},
  };
  for (const auto& [what, slot] : slots) {
    for (int32_t seat : {1, KAVO_NUM_SEATS}) {
      Rec(seat).SetBet(1, TMoney("10"));
      Cards(Rec(seat), {kNine});
    }
    EXPECT_EQ(slot(m_Client, 1), 1) << what;
    EXPECT_TRUE(Rec(1).GetBet(1).IsZero()) << what;
    EXPECT_EQ(Rec(1).GetNumCards(), 0) << what;
    // Seats without a seat record (the dealer's, those off the table) change nothing.
    for (int32_t seat : {KAVO_NUM_SEATS, -1, 6, 1000}) EXPECT_EQ(slot(m_Client, seat), 1) << what;
    EXPECT_EQ(Rec(KAVO_NUM_SEATS).GetBet(1), TMoney("10")) << what;
    EXPECT_EQ(Rec(KAVO_NUM_SEATS).GetNumCards(), 1) << what;
    Rec(KAVO_NUM_SEATS).Reset();
  }
}

// ---- the items against the server table ----

TEST_F(CKavoRecordTest, WrittenBetIsTakenByTheServer) {
  StartTable();
  Seat(2, m_Ann);
  CBlackJackPlayerData& record = Rec(2);
  record.SetBet(0, TMoney("35.5"));
  CCommNode* node = m_pClientTable.get();
  ASSERT_TRUE(node->SendInit());
  ASSERT_TRUE(CTableBase::SendEnterPrivatePlayerData(node, 2, m_Ann, KAVO_MSG_PLAYERBET));
  ASSERT_EQ(record.WriteBet(node, 1), 1);
  ASSERT_TRUE(CTableBase::SendExitPrivatePlayerData(node));
  ASSERT_TRUE(node->SendKCBLPacket());
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Record(2).GetBet(), TMoney("35.5"));
  EXPECT_EQ(Record(2).GetFinalFlag(), 1);
  EXPECT_EQ(m_pTable->HasPlayerBet(2), 1);

  // The server's answer comes back into the record; the same bet again is no change.
  int32_t changed = -1;
  record.SetBet(0, TMoney());
  ASSERT_TRUE(m_pClientTable->IsDataAvailable()) << "the server's answer";
  ASSERT_EQ(record.ReadTableInfo(EnterSent(KAVO_MSG_TABLEINFO), changed), 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(record.GetBet(1), TMoney("35.5"));
  m_pClientTable->RecvKCBLFree();
  ASSERT_EQ(Record(2).SendTableInfo(1, 1), 1);
  ASSERT_EQ(record.ReadTableInfo(EnterSent(KAVO_MSG_TABLEINFO), changed), 1);
  EXPECT_EQ(changed, 0);
}

TEST_F(CKavoRecordTest, TableInfoReportsAChangeOfTheSecondHandAlone) {
  StartTable();
  Seat(1, m_Ann);
  PlaceBet(1, "20");
  CBlackJackPlayerData& record = Rec(1);
  record.SetBet(1, TMoney("20"));
  Record(1).SetBetHand2(TMoney("20"));
  ASSERT_EQ(Record(1).SendTableInfo(1, 1), 1);
  int32_t changed = 0;
  ASSERT_EQ(record.ReadTableInfo(EnterSent(KAVO_MSG_TABLEINFO), changed), 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(record.GetBet(2), TMoney("20"));
}

TEST_F(CKavoRecordTest, SettlementChunksLandInTheirHand) {
  StartTable();
  Seat(3, m_Ann);
  PlaceBet(3, "10");
  GiveCards(3, {kTen, kNine});
  ASSERT_TRUE(m_pTable->GetTableNode()->SendInit());
  ASSERT_EQ(Record(3).Settle(17, 17, 2), 1);  // 19 against the dealer's 17: won
  ASSERT_TRUE(m_pTable->GetTableNode()->SendKCBLPacket());
  CBlackJackPlayerData& record = Rec(3);
  int32_t hand = 0;
  ASSERT_EQ(record.ReadWin(EnterSent(KAVO_MSG_PLAYERWIN), hand), KAVO_HAND_1);
  EXPECT_EQ(hand, KAVO_HAND_1);
  EXPECT_EQ(record.GetWinCondition(1), KAVO_WIN_WON);
  EXPECT_FALSE(record.GetWin(1).IsZero());
  EXPECT_EQ(record.GetReportedBet(1), TMoney("10"));
  EXPECT_TRUE(record.GetWin(2).IsZero());

  // A split seat's second hand.
  const std::string second = "{ = PlayerData, KavoPlayerWin, 7, 3\nWinAmount = 40\nWinCondition = 1\nBet = 10\n"
                             "BetHand2 = 20\nSplit = 2\n}\n";
  ASSERT_EQ(record.ReadWin(EnterText(second, KAVO_MSG_PLAYERWIN), hand), KAVO_HAND_2);
  EXPECT_EQ(record.GetWin(2), TMoney("40"));
  EXPECT_EQ(record.GetWinCondition(2), KAVO_WIN_WON);
  EXPECT_EQ(record.GetReportedBet(2), TMoney("20"));
  EXPECT_EQ(record.GetWinCondition(1), KAVO_WIN_WON);  // hand 1 kept
  EXPECT_EQ(record.GetTotalWin(), record.GetWin(1) + TMoney("40"));
}

TEST_F(CKavoRecordTest, BadItemsFailAndLeaveTheRecordAlone) {
  const std::string good = "WinAmount = 5\nWinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = 0\n";
  struct SCase {
    const char* What;
    std::string Items;
  };
  const SCase wins[] = {
      {"no WinAmount", "WinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = 0\n"},
      {"no Split", "WinAmount = 5\nWinCondition = 1\nBet = 5\nBetHand2 = 0\n"},
      {"Split 3", "WinAmount = 5\nWinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = 3\n"},
      {"Split -1", "WinAmount = 5\nWinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = -1\n"},
      {"negative win", "WinAmount = -5\nWinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = 0\n"},
      {"not money", "WinAmount = 5x\nWinCondition = 1\nBet = 5\nBetHand2 = 0\nSplit = 0\n"},
      {"negative bet", "WinAmount = 5\nWinCondition = 1\nBet = -5\nBetHand2 = 0\nSplit = 0\n"},
  };
  CBlackJackPlayerData& record = Rec(0);
  record.SetBet(1, TMoney("7"));
  for (const SCase& c : wins) {
    int32_t hand = 9;
    const std::string text = "{ = PlayerData, KavoPlayerWin, 7, 0\n" + c.Items + "}\n";
    EXPECT_EQ(record.ReadWin(EnterText(text, KAVO_MSG_PLAYERWIN), hand), 0) << c.What;
    EXPECT_EQ(hand, 9) << c.What;
    EXPECT_TRUE(record.GetWin(1).IsZero() && record.GetReportedBet(1).IsZero()) << c.What;
  }
  const SCase infos[] = {
      {"no BetHand2", "Bet = 5\n"},
      {"no Bet", "BetHand2 = 5\n"},
      {"negative", "Bet = -5\nBetHand2 = 0\n"},
      {"not money", "Bet = 5\nBetHand2 = abc\n"},
  };
  for (const SCase& c : infos) {
    int32_t changed = 9;
    const std::string text = "{ = PlayerData, KavoPlayerTableInfo, 7, 0\n" + c.Items + "}\n";
    EXPECT_EQ(record.ReadTableInfo(EnterText(text, KAVO_MSG_TABLEINFO), changed), 0) << c.What;
    EXPECT_EQ(changed, 9) << c.What;
    EXPECT_EQ(record.GetBet(1), TMoney("7")) << c.What;
  }
  // Bust: nothing to read at the regular table; the side-bet table needs "SSWin".
  EXPECT_EQ(record.ReadBust(EnterText("{ = PlayerData, Bust, 7, 0\n}\n", "Bust")), 1);
  CSuperSevenPlayerData& side = SideSeat(0);
  EXPECT_EQ(side.ReadBust(EnterText("{ = PlayerData, Bust, 7, 0\n}\n", "Bust")), 0);
  EXPECT_EQ(side.ReadBust(EnterText("{ = PlayerData, Bust, 7, 0\nSSWin = -1\n}\n", "Bust")), 0);
  EXPECT_TRUE(side.GetSSWin().IsZero());
  EXPECT_EQ(side.ReadBust(EnterText("{ = PlayerData, Bust, 7, 0\nSSWin = 25\n}\n", "Bust")), 1);
  EXPECT_EQ(side.GetSSWin(), TMoney("25"));
  // And ReadWin of the side-bet table fails without "SSWin".
  int32_t hand = 0;
  EXPECT_EQ(side.ReadWin(EnterText("{ = PlayerData, KavoPlayerWin, 7, 0\n" + good + "}\n", KAVO_MSG_PLAYERWIN), hand),
            0);
}

TEST_F(CKavoRecordTest, SideBetItemsBothWays) {
  StartTable(KAVO_GAMEID_SUPERSEVEN);
  CSuperSevenPlayerData& record = SideSeat(4);
  record.SetBet(0, TMoney("10"));
  record.SetSideBet(1);
  CCommNode* node = m_pClientTable.get();
  ASSERT_TRUE(node->SendInit());
  ASSERT_TRUE(CTableBase::SendEnterPrivatePlayerData(node, 4, 7, KAVO_MSG_PLAYERBET));
  ASSERT_EQ(record.WriteBet(node, 0), 1);
  ASSERT_TRUE(CTableBase::SendExitPrivatePlayerData(node));
  std::vector<char> text(4096);
  int32_t length = 0;
  ASSERT_GE(node->Export(text.data(), static_cast<int32_t>(text.size()), &length, 0), 0);
  CCommNode* back = EnterText(text.data(), KAVO_MSG_PLAYERBET, true);
  TMoney bet;
  int32_t superSeven = -1, finalFlag = -1;
  CKCBL& r = back->m_RecvKCBL;
  ASSERT_TRUE(r.FirstItem() && r.GetItem(KAVO_ITEM_BET, KMONEY, &bet, KEND));
  ASSERT_TRUE(r.FirstItem() && r.GetItem(KAVO_ITEM_SUPERSEVEN, KLONG, &superSeven, KEND));
  ASSERT_TRUE(r.FirstItem() && r.GetItem(KAVO_ITEM_FINALFLAG, KLONG, &finalFlag, KEND));
  EXPECT_EQ(bet, TMoney("10"));
  EXPECT_EQ(superSeven, 1);
  EXPECT_EQ(finalFlag, 0);

  // The side-bet flag alone is a change; "SSWin" counts in the total win.
  int32_t changed = 0;
  ASSERT_EQ(record.ReadTableInfo(
                EnterText("{ = PlayerData, KavoPlayerTableInfo, 7, 4\nBet = 10\nBetHand2 = 0\nSuperSeven = 0\n}\n",
                          KAVO_MSG_TABLEINFO),
                changed),
            1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(record.GetSideBet(), 0);
  EXPECT_EQ(record.ReadTableInfo(
                EnterText("{ = PlayerData, KavoPlayerTableInfo, 7, 4\nBet = 10\nBetHand2 = 0\n}\n", KAVO_MSG_TABLEINFO),
                changed),
            0);
  int32_t hand = 0;
  ASSERT_EQ(record.ReadWin(EnterText("{ = PlayerData, KavoPlayerWin, 7, 4\nWinAmount = 20\nWinCondition = 1\n"
                                     "Bet = 10\nBetHand2 = 0\nSplit = 0\nSSWin = 100\n}\n",
                                     KAVO_MSG_PLAYERWIN),
                           hand),
            1);
  EXPECT_EQ(record.GetTotalWin(), TMoney("120"));
}

// ---- money ----

TEST_F(CKavoRecordTest, TotalStake) {
  struct SCase {
    const char* What;
    const char* Bet;
    const char* Bet2;
    int32_t Insured, Doubled1, WithInsurance;
    const char* Total;
  } cases[] = {
      {"bet alone", "10", "0", 0, 0, 1, "10"},
      {"split", "10", "10", 0, 0, 1, "20"},
      {"insured", "10", "0", 1, 0, 1, "15"},
      {"insured, not asked", "10", "0", 1, 0, 0, "10"},
      {"insured, hand 1 doubled", "20", "0", 1, 1, 1, "25"},
  };
  for (const SCase& c : cases) {
    CBlackJackPlayerData& r = Rec(1);
    r.Reset();
    r.SetBet(1, TMoney(c.Bet));
    r.SetBet(2, TMoney(c.Bet2));
    if (c.Doubled1) r.MarkDoubled();
    if (c.Insured) {
      ASSERT_EQ(r.SetInsured(1), 1);
    }
    EXPECT_EQ(r.GetTotalStake(c.WithInsurance), TMoney(c.Total)) << c.What;
  }
  // The side-bet table adds its unit.
  CSuperSevenPlayerData& side = SideSeat(1);
  side.SetBet(1, TMoney("10"));
  side.SetSideBet(1);
  EXPECT_EQ(side.GetTotalStake(1), TMoney("11"));
}

TEST_F(CKavoRecordTest, InsuranceNeedsHalfTheBetFree) {
  CBlackJackPlayerData& r = Rec(2);
  r.SetBet(1, TMoney("100"));
  r.GetTotalStake(0);
  m_Client.SetSeatMoney(2, "150");  // 50 free after the bet: covered exactly
  EXPECT_EQ(r.SetInsured(1), 1);
  m_Client.SetSeatMoney(2, "149.99");
  EXPECT_EQ(r.SetInsured(1), 0);
  EXPECT_EQ(r.IsInsured(), 0);
  m_Client.SetSeatMoney(2, "1000");
  EXPECT_EQ(r.SetInsured(0), 0);
}

TEST_F(CKavoRecordTest, OldBetGoesThroughPlayerProtectionAndMoney) {
  auto& protection = CClientTableBase::Protection();
  CBlackJackPlayerData& r = Rec(0);
  r.SetBet(1, TMoney("40"));
  r.SaveOldBet();
  EXPECT_EQ(r.GetOldBet(), TMoney("40"));
  r.Reset();
  EXPECT_EQ(r.GetOldBet(), TMoney("40"));  // a new round keeps the bet to repeat

  // The player's daily loss limit refuses it: nothing committed.
  protection.LossPerDay = TMoney("30");
  EXPECT_EQ(r.RestoreOldBet(), 0);
  EXPECT_TRUE(r.GetBet(1).IsZero());
  EXPECT_EQ(r.IsBetPlaced(), 0);
  EXPECT_TRUE(protection.LossThisDay.IsZero());

  // Not enough money on the seat: nothing committed either.
  protection.LossPerDay = TMoney();
  m_Client.SetSeatMoney(0, "39.99");
  EXPECT_EQ(r.RestoreOldBet(), 0);
  EXPECT_TRUE(r.GetBet(1).IsZero());
  EXPECT_TRUE(protection.LossThisDay.IsZero());

  m_Client.SetSeatMoney(0, "40");
  EXPECT_EQ(r.RestoreOldBet(), 1);
  EXPECT_EQ(r.GetBet(1), TMoney("40"));
  EXPECT_EQ(r.GetStoredTotalStake(), TMoney("40"));
  EXPECT_EQ(r.IsBetPlaced(), 1);
  EXPECT_EQ(protection.LossThisDay, TMoney("40"));

  // The side-bet record repeats its side bet too, and stakes its unit.
  protection.LossThisDay = TMoney();
  CSuperSevenPlayerData& side = SideSeat(0);
  side.SetBet(1, TMoney("10"));
  side.SetSideBet(1);
  side.SaveOldBet();
  EXPECT_EQ(side.GetStoredTotalStake(), TMoney("11"));
  side.Reset();
  EXPECT_EQ(side.GetSideBet(), 0);
  m_SideBet.SetSeatMoney(0, "10.5");
  EXPECT_EQ(side.RestoreOldBet(), 0);
  EXPECT_EQ(side.GetSideBet(), 0);
  m_SideBet.SetSeatMoney(0, "11");
  EXPECT_EQ(side.RestoreOldBet(), 1);
  EXPECT_EQ(side.GetSideBet(), 1);
  EXPECT_EQ(side.GetBet(1), TMoney("10"));
  EXPECT_EQ(protection.LossThisDay, TMoney("11"));
}

// ---- hands ----

TEST_F(CKavoRecordTest, CanDouble) {
  struct SCase {
    const char* What;
    std::vector<int32_t> Cards;
    std::vector<int32_t> Sums;
    const char* Free;
    int32_t Can;
  } cases[] = {
      {"any two cards", {kFive, kSix}, {}, "10", 1},
      {"three cards", {kTwo, kTwo, kFive}, {}, "10", 0},
      {"bet above free money", {kFive, kSix}, {}, "9.99", 0},
      {"hard 11 listed", {kFive, kSix}, {9, 10, 11}, "10", 1},
      {"hard 13 not listed", {kFive, kEight}, {9, 10, 11}, "10", 0},
      {"soft 20 listed (ace, nine)", {kAce, kNine}, {20}, "10", 1},
      {"hard 10 of ace, nine listed", {kAce, kNine}, {10}, "10", 1},
  };
  for (const SCase& c : cases) {
    CBlackJackPlayerData& r = Rec(3);
    r.Reset();
    r.SetBet(1, TMoney("10"));
    for (int32_t card : c.Cards) ASSERT_EQ(r.AddCard(card), 1);
    m_Client.SetValidDoubleSums(c.Sums);
    EXPECT_EQ(r.CanDouble(TMoney(c.Free)), c.Can) << c.What;
  }
}

TEST_F(CKavoRecordTest, SplitOfEqualValues) {
  struct SCase {
    const char* What;
    int32_t First, Second;
    const char* Free;
    int32_t Can, Aces;
  } cases[] = {
      {"ten and queen", kTen, kQueen, "10", 1, 0},
      {"king and king", kKing, kKing + 13, "10", 1, 0},
      {"eight and eight", kEight, kEight + 26, "10", 1, 0},
      {"aces", kAce, kAceOfHearts, "10", 1, 1},
      {"nine and ten", kNine, kTen, "10", 0, 0},
      {"stake above free money", kTen, kQueen, "9", 0, 0},
  };
  for (const SCase& c : cases) {
    CBlackJackPlayerData& r = Rec(2);
    r.Reset();
    r.SetBet(1, TMoney("10"));
    Cards(r, {c.First, c.Second});
    EXPECT_EQ(r.CanSplit(TMoney(c.Free)), c.Can) << c.What;
    if (!c.Can) continue;
    EXPECT_EQ(r.DoSplit(), c.Aces) << c.What;
    EXPECT_EQ(r.IsSplit(), 1);
    CCardTable& scene = m_Client.GetCardTable();
    EXPECT_EQ(scene.GetPocket(2)->GetNumCards(), 0) << c.What;
    EXPECT_EQ(scene.GetPocket(r.GetPocketHand1())->GetCard(0), c.First) << c.What;
    EXPECT_EQ(scene.GetPocket(r.GetPocketHand2())->GetCard(0), c.Second) << c.What;
    // No second split, whatever the split hand draws.
    r.SetCurrentHand(1);
    ASSERT_EQ(r.AddCard(c.First), 1);
    EXPECT_EQ(r.CanSplit(TMoney("1000")), 0) << c.What;
  }
}

TEST_F(CKavoRecordTest, HandsAndTheirAccessors) {
  CBlackJackPlayerData& r = Rec(1);
  Cards(r, {kAce, kAce + 13, kNine});
  int32_t soft = 0, hard = 0;
  EXPECT_EQ(r.GetHandTotals(soft, hard), 1);
  EXPECT_EQ(soft, 21);
  EXPECT_EQ(hard, 11);
  // Cards from the server: no code off the deck, no card past the pocket's size.
  EXPECT_EQ(r.AddCard(52), 0);
  EXPECT_EQ(r.AddCard(-1), 0);
  for (int32_t i = 3; i < m_Client.GetMaxCardsInPocket(); ++i) ASSERT_EQ(r.AddCard(kTwo), 1);
  EXPECT_EQ(r.AddCard(kTwo), 0);
  EXPECT_EQ(r.GetNumCards(), m_Client.GetMaxCardsInPocket());
  EXPECT_EQ(r.RemoveCards(), 1);
  EXPECT_EQ(r.GetNumCards(), 0);

  // Hands other than 0, 1 and 2 answer 0 and take nothing.
  r.SetBet(3, TMoney("5"));
  r.SetWin(-1, TMoney("5"));
  r.SetReportedBet(7, TMoney("5"));
  for (int32_t hand : {-1, 3, 100}) {
    EXPECT_TRUE(r.GetBet(hand).IsZero());
    EXPECT_TRUE(r.GetWin(hand).IsZero());
    EXPECT_TRUE(r.GetReportedBet(hand).IsZero());
    EXPECT_EQ(r.GetWinCondition(hand), 0);
    EXPECT_EQ(r.IsDone(hand), 0);
  }
  EXPECT_TRUE(r.GetBet(0).IsZero() && r.GetBet(2).IsZero());

  // Doubled and done follow the current hand.
  r.MarkDoubled();
  r.MarkDone();
  EXPECT_EQ(r.IsDoubledHand1(), 1);
  EXPECT_EQ(r.IsDone(0), 1);
  EXPECT_EQ(r.IsDone(1), 0);

  // Sevens of the side-bet table.
  CSuperSevenPlayerData& side = SideSeat(1);
  Cards(side, {kSeven, kSevenOfHearts, kEight});
  EXPECT_EQ(side.CountSevens(), 2);
}

TEST_F(CKavoRecordTest, ResetClearsMoneyFlagsAndPockets) {
  CBlackJackPlayerData& r = Rec(4);
  r.SetBet(1, TMoney("10"));
  Cards(r, {kEight, kEight + 13});
  ASSERT_EQ(r.DoSplit(), 0);
  r.SetCurrentHand(1);
  Cards(r, {kTwo});
  r.MarkDoubled();
  r.SetWin(2, TMoney("3"));
  r.SetWon(1);
  r.SetInsuranceStake(TMoney("5"));
  r.Reset();
  CCardTable& scene = m_Client.GetCardTable();
  for (int32_t p : {4, r.GetPocketHand1(), r.GetPocketHand2()}) EXPECT_EQ(scene.GetPocket(p)->GetNumCards(), 0);
  EXPECT_EQ(r.IsSplit(), 0);
  EXPECT_EQ(r.GetCurrentHand(), 2);
  EXPECT_EQ(r.HasWon(), 0);
  EXPECT_EQ(r.IsDoubledHand1(), 0);
  EXPECT_TRUE(r.GetBet(1).IsZero() && r.GetWin(2).IsZero() && r.GetInsuranceStake().IsZero());
  EXPECT_TRUE(r.GetTotalStake(1).IsZero());
}

}  // namespace
