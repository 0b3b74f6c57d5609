// Bets as the clients send them, the closing of the bets, the one-deck rule, the table record
// and the limits the players are told.
#include <string>
#include <vector>

#include "common/cards/deck.h"
#include "kavoserverkit.h"

namespace {
class CKavoBetTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable();
  }
  void Bet(int32_t playerId, int32_t seat, const std::string& items) {
    SendClient(playerId, seat, KAVO_MSG_PLAYERBET, items);
    ASSERT_TRUE(ReceiveOnTable());
    ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
    m_pTable->GetTableNode()->RecvKCBLFree();
  }
  std::string Info(int32_t playerId, int32_t seat, int32_t success, const char* bet) {
    return "{ = PlayerData, KavoPlayerTableInfo, " + std::to_string(playerId) + ", " + std::to_string(seat) +
           "; SuccessFlag = " + std::to_string(success) + "; Bet = " + bet + "; BetHand2 = 0.0000000000; }";
  }
};

TEST_F(CKavoBetTest, BetsWithinTheLimitsAreTakenAndAnswered) {
  Seat(1, m_Ann);
  Bet(m_Ann, 1, "Bet = 20.5\nfinalFlag = 0\n");
  EXPECT_EQ(Packets(), std::vector<std::string>{Info(m_Ann, 1, 1, "20.5000000000")});
  EXPECT_EQ(m_pTable->HasPlayerBet(1), 0);
  EXPECT_EQ(m_pTable->IsBetInSlot(1), 1);
  EXPECT_EQ(m_pTable->GetPlayerHistoryLogger().NumBetClicks(1), 1);
  // "finalFlag" is 0 or 1, whatever number the client wrote.
  Bet(m_Ann, 1, "Bet = 500\nfinalFlag = 7\n");
  EXPECT_EQ(Packets(), std::vector<std::string>{Info(m_Ann, 1, 1, "500.0000000000")});
  EXPECT_EQ(m_pTable->HasPlayerBet(1), 1);
  EXPECT_EQ(Record(1).GetFinalFlag(), 1);
  EXPECT_EQ(m_pTable->GetPlayerHistoryLogger().NumBetClicks(1), 2);
}

TEST_F(CKavoBetTest, RefusedBetsAnswerZero) {
  Seat(1, m_Ann);
  const char* refused[] = {
      "Bet = 500.01\nfinalFlag = 1\n",  // above the maximum
      "Bet = -5\nfinalFlag = 0\n",      // negative, not final
      "Bet = -5\nfinalFlag = 1\n",
      "Bet = 12abc\nfinalFlag = 1\n",   // not money
  };
  for (const char* items : refused) {
    Bet(m_Ann, 1, items);
    EXPECT_EQ(Packets(), std::vector<std::string>{Info(m_Ann, 1, 0, "0.0000000000")}) << items;
    EXPECT_EQ(Record(1).GetBet(), TMoney()) << items;
    EXPECT_EQ(m_pTable->HasPlayerBet(1), 0) << items;
  }
}

TEST_F(CKavoBetTest, FreeMoneyCountsThePlayersOtherSeats) {
  const int32_t cy = CreateMember("cy", "300");
  Seat(1, cy);
  Seat(3, cy);
  Bet(cy, 1, "Bet = 200\nfinalFlag = 0\n");
  Bet(cy, 3, "Bet = 100.01\nfinalFlag = 0\n");
  EXPECT_EQ(Packets(), (std::vector<std::string>{Info(cy, 1, 1, "200.0000000000"), Info(cy, 3, 0, "0.0000000000")}));
  Bet(cy, 3, "Bet = 100\nfinalFlag = 0\n");
  EXPECT_EQ(Packets(), std::vector<std::string>{Info(cy, 3, 1, "100.0000000000")});
  // A refused negative stake on one seat never frees money for the other.
  Bet(cy, 1, "Bet = -200\nfinalFlag = 0\n");
  Bet(cy, 3, "Bet = 400\nfinalFlag = 0\n");
  EXPECT_EQ(Packets(), (std::vector<std::string>{Info(cy, 1, 0, "0.0000000000"), Info(cy, 3, 0, "0.0000000000")}));
}

TEST_F(CKavoBetTest, BadChunksAreSkippedAndAMissingItemCrashesThatUserOnly) {
  const int32_t bob = CreateMember("bob", "100");
  Seat(1, m_Ann);
  Seat(4, bob);
  // Another player's id on Ann's seat, a seat out of range, then Bob's bet lacking "finalFlag"
  // and Ann's good one, all in one record.
  const std::string text = "{ = PrivatePlayerData, KavoPlayerBet, " + std::to_string(bob) +
                           ", 1\nBet = 10\nfinalFlag = 1\n}\n{ = PrivatePlayerData, KavoPlayerBet, " +
                           std::to_string(m_Ann) + ", 9\nBet = 10\nfinalFlag = 1\n}\n" +
                           "{ = PrivatePlayerData, KavoPlayerBet, " + std::to_string(bob) + ", 4\nBet = 10\n}\n" +
                           "{ = PrivatePlayerData, KavoPlayerBet, " + std::to_string(m_Ann) +
                           ", 1\nBet = 10\nfinalFlag = 1\n}\n";
  CCommNode* node = m_pTable->GetTableNode();
  node->m_RecvKCBL.Free();
  node->m_RecvKCBL.RestartMode(0);
  ASSERT_EQ(node->m_RecvKCBL.Import(text.c_str(), static_cast<int32_t>(text.size())), 1);
  node->m_RecvKCBL.MainChunk();
  node->m_RecvKCBL.FirstItem();
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  const std::vector<std::string> answers = WithName(Packets(), "KavoPlayerTableInfo");
  EXPECT_EQ(answers, std::vector<std::string>{Info(m_Ann, 1, 1, "10.0000000000")});
  EXPECT_EQ(Record(4).GetBet(), TMoney());
  EXPECT_EQ(m_pTable->HasPlayerBet(1), 1);
}

TEST_F(CKavoBetTest, ClosingTheBetsCancelsStakesBelowTheMinimum) {
  const int32_t bob = CreateMember("bob", "100");
  Seat(1, m_Ann);
  Seat(2, m_Ann);
  Seat(4, bob);
  PlaceBet(1, "4.99");
  Record(2).SetBet(TMoney(50));  // taken, but no flag: not final
  PlaceBet(4, "3");
  ASSERT_EQ(m_pTable->RemoveBetFlagForInvalidPlayers(1), 1);
  EXPECT_EQ(Packets(), std::vector<std::string>{Info(m_Ann, 1, 1, "0.0000000000")});
  EXPECT_EQ(m_pTable->HasPlayerBet(1), 0);
  EXPECT_EQ(Record(1).GetFinalFlag(), 0);
  EXPECT_EQ(Record(2).GetBet(), TMoney());
  EXPECT_EQ(Record(4).GetBet(), TMoney(3)) << "another player's seats are his own call's business";
  PlaceBet(1, "5");
  ASSERT_EQ(m_pTable->RemoveBetFlagForInvalidPlayers(1), 1);
  EXPECT_TRUE(Packets().empty());
  EXPECT_EQ(m_pTable->HasPlayerBet(1), 1);
}

TEST_F(CKavoBetTest, TheRoundStartsWithEveryOccupiedSeatsStake) {
  const int32_t bob = CreateMember("bob", "100");
  Seat(0, m_Ann);
  Seat(3, bob);
  PlaceBet(3, "25");
  ASSERT_EQ(m_pTable->StartPlay(), 1);
  EXPECT_EQ(Packets(),
            std::vector<std::string>{Info(m_Ann, 0, 1, "0.0000000000") + "; " + Info(bob, 3, 1, "25.0000000000")});
}

TEST_F(CKavoBetTest, PendingCashAndPlayInGame) {
  Seat(0, m_Ann);
  Seat(3, m_Ann);
  PlaceBet(0, "25");
  PlaceBet(3, "10.5");
  TMoney pending;
  ASSERT_EQ(m_pTable->GetPendingCash(pending, m_Ann), 1);
  EXPECT_EQ(pending, TMoney("35.5"));
  EXPECT_EQ(m_pTable->IsPlayerInGame(m_Ann), 1);
  GiveCards(0, {12, 11, 10});
  Record(0).MarkBust();
  EXPECT_EQ(m_pTable->IsPlayerInGame(m_Ann), 1);
  Record(3).MarkBust();
  EXPECT_EQ(m_pTable->IsPlayerInGame(m_Ann), 0);
  Record(3).Reset();
  PlaceBet(3, "10");
  m_pTable->SetRoundState(KAVO_RS_ENDOFROUND);
  EXPECT_EQ(m_pTable->IsPlayerInGame(m_Ann), 0);
}

class CKavoOneDeckTest : public CKavoTableTest {
 protected:
  void SetUp() override {
    CKavoTableTest::SetUp();
    StartTable(KAVO_GAMEID_ONEDECK);
  }
};

TEST_F(CKavoOneDeckTest, OnlyOneOccupiedSeatMayBet) {
  const int32_t bob = CreateMember("bob", "100");
  Seat(2, m_Ann);
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERBET, "Bet = 10\nfinalFlag = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Record(2).GetBet(), TMoney(10));
  // A second occupied seat: every user is crashed and the bet is not read.
  Seat(3, bob);
  Record(2).SetBet(TMoney());
  SendClient(m_Ann, 2, KAVO_MSG_PLAYERBET, "Bet = 10\nfinalFlag = 1\n");
  ASSERT_TRUE(ReceiveOnTable());
  ASSERT_EQ(m_pTable->HandleBetPacket(), 1);
  m_pTable->GetTableNode()->RecvKCBLFree();
  EXPECT_EQ(Record(2).GetBet(), TMoney());
}

// ---- the table record and the limits ----

c2stovaTable TableRecord(int32_t owner, int32_t field4, int32_t limitLevel, int32_t timeLevel) {
  c2stovaTable record;
  int32_t* longs = record.Longs();
  longs[1] = owner;
  longs[3] = field4;
  longs[6] = limitLevel;
  longs[7] = timeLevel;
  return record;
}

TEST_F(CKavoBetTest, TableRecordChoosesLimitsAndDecisionTime) {
  struct SCase {
    int32_t m_Limit, m_Time;
    int32_t m_Min, m_Max, m_Seconds;
  } cases[] = {{1, 1, 5, 500, 30}, {2, 2, 10, 1000, 15}, {3, 1, 25, 2500, 30}};
  for (const SCase& c : cases) {
    ASSERT_EQ(m_pTable->ParseRecord(TableRecord(m_Ann, 3, c.m_Limit, c.m_Time)), 1);
    EXPECT_EQ(m_pTable->GetMinTable(), TMoney(c.m_Min));
    EXPECT_EQ(m_pTable->GetMaxTable(), TMoney(c.m_Max));
    EXPECT_EQ(m_pTable->GetDecisionTime(), c.m_Seconds);
    EXPECT_EQ(m_pTable->GetLimitLevel(), c.m_Limit - 1);
    EXPECT_EQ(m_pTable->GetTableOwner(), m_Ann);
  }
  for (auto [limit, time] : {std::pair{0, 1}, {4, 1}, {1, 0}, {1, 3}, {-1, 2}}) {
    EXPECT_EQ(m_pTable->ParseRecord(TableRecord(m_Ann, 3, limit, time)), 0) << limit << " " << time;
  }
  c2stovaTable record = TableRecord(m_Ann, 3, 2, 1);
  EXPECT_EQ(CBlackJackServerTable::ParseTableRecord(m_pTable.get(), &record), 1);
  EXPECT_EQ(CBlackJackServerTable::ParseTableRecord(nullptr, &record), 0);
}

TEST_F(CKavoOneDeckTest, TableRecordNeedsTwoOrFourAndMakesOneDeck) {
  EXPECT_EQ(m_pTable->GetShoe()->GetNumCardsLeft(), 6 * 52);
  for (int32_t field : {0, 1, 3, 5}) EXPECT_EQ(m_pTable->ParseRecord(TableRecord(m_Ann, field, 1, 1)), 0) << field;
  EXPECT_EQ(m_pTable->IsOneDeck(), 0);
  for (int32_t field : {2, 4}) {
    ASSERT_EQ(m_pTable->ParseRecord(TableRecord(m_Ann, field, 1, 1)), 1);
    EXPECT_EQ(m_pTable->IsOneDeck(), 1);
    EXPECT_EQ(m_pTable->GetShoe()->GetNumCardsLeft(), 52);
  }
}

TEST_F(CKavoBetTest, LimitsPacketWithAndWithoutDoubleSums) {
  ASSERT_EQ(m_pTable->ParseRecord(TableRecord(m_Ann, 3, 3, 1)), 1);
  CCommNode* node = m_pTable->GetPlayerNode();
  ASSERT_TRUE(node->SendInit());
  ASSERT_EQ(m_pTable->AddGameSpecData(), 1);
  ASSERT_TRUE(node->SendKCBLPacket());
  EXPECT_EQ(PlayerNodePackets(), std::vector<std::string>{"MinTable = 25.0000000000; MaxTable = 2500.0000000000; "
                                                          "BetSign = 2; ValidDoubleSumsCount = 0"});
  const uint32_t sums[] = {9, 10, 11};
  m_pTable->SetValidDoubleSums(3, sums);
  ASSERT_TRUE(node->SendInit());
  ASSERT_EQ(m_pTable->AddGameSpecData(), 1);
  ASSERT_TRUE(node->SendKCBLPacket());
  EXPECT_EQ(PlayerNodePackets(), std::vector<std::string>{"MinTable = 25.0000000000; MaxTable = 2500.0000000000; "
                                                          "BetSign = 2; ValidDoubleSumsCount = 3; "
                                                          "ValidDoubleSums = { 9, 10, 11}"});
}

TEST(KavoServerTableNames, GameNamesAndLimitScripts) {
  CBlackJackServerTable regular;
  CSuperSevenServerTable superSeven;
  COneDeckServerTable oneDeck;
  EXPECT_STREQ(regular.GetLimitsScriptName(), "kavo_limits.xrs");
  EXPECT_STREQ(superSeven.GetLimitsScriptName(), "kavo_ss_limits.xrs");
  EXPECT_STREQ(oneDeck.GetLimitsScriptName(), "kavo_onedeck_limits.xrs");
  EXPECT_EQ(regular.GetNumSlots(), 5);
}
}  // namespace

namespace {
class CKavoUnknownGameTest : public CKavoTableTest {};

TEST_F(CKavoUnknownGameTest, AnotherGameIdIsRefusedAtSetUp) {
  c2stovaTable record;
  record.m_TableId = 1099001;
  record.m_TableType = 3;
  uint32_t id = 0;
  int32_t ok = 0;
  ASSERT_EQ(m_pDb->CreateTable(&record, 0, id, ok), 1);
  CBlackJackServerTable table;
  table.SetStovaConnection(new CServerTableDatabase);
  EXPECT_STREQ(table.GetGameName(), "");
  EXPECT_EQ(table.InitTable(1099001, 0, 0, 0, 0), 0);
  table.ExitTable();
}

TEST_F(CKavoUnknownGameTest, EachGameNamesItsNodes) {
  for (auto [game, name] : {std::pair{KAVO_GAMEID_REGULAR, "MKAVO"}, {KAVO_GAMEID_SUPERSEVEN, "MSSKAVO"},
                            {KAVO_GAMEID_ONEDECK, "MKAVOONE"}}) {
    StartTable(game);
    EXPECT_STREQ(m_pTable->GetGameName(), name);
    EXPECT_NE(m_pTable->GetPlayer(KAVO_DEALER), nullptr);
    EXPECT_EQ(m_pTable->GetShoe()->GetNumCardsLeft(), 6 * 52);
    m_pClientTable.reset();
    m_pClientPlayer.reset();
    m_pTable->ExitTable();
    m_pTable.reset();
  }
}

TEST_F(CKavoUnknownGameTest, SettingsKeepWhatTheModuleGave) {
  CBlackJackServerTable table;
  table.SetBetLimits(KAVO_TEST_BETLIMITS);
  table.SetTimeLimits(KAVO_TEST_TIMELIMITS);
  const uint32_t sums[] = {10, 11};
  table.SetValidDoubleSums(2, sums);
  table.SetValidDoubleSums(1, sums + 1);
  table.SetTripleSevenEnabled(1);
  table.SetDrawOnSoft17(1);
  EXPECT_EQ(table.GetBetLimit(3), 1000);
  EXPECT_EQ(table.GetBetLimit(6), 0);
  EXPECT_EQ(table.GetTimeLimit(1), 15);
  EXPECT_EQ(table.GetTimeLimit(-1), 0);
  EXPECT_EQ(table.GetValidDoubleSums(), std::vector<uint32_t>{11});
  EXPECT_EQ(table.GetTripleSevenEnabled(), 1);
  EXPECT_EQ(table.GetDrawOnSoft17(), 1);
  EXPECT_EQ(table.GetMinTable(), TMoney(5));
  EXPECT_EQ(table.GetMaxTable(), TMoney(500));
  EXPECT_EQ(table.GetDecisionTime(), 30);
  EXPECT_EQ(table.GetRoundState(), KAVO_RS_DEAL);
}
}  // namespace
