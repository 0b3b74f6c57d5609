// The round saved into the table's state store and read back into a fresh table: every record,
// the table's fields, the shoe, refused data, and a crashed player's round saved through the
// database and restored on a new table.
#include <cstring>
#include <string>
#include <vector>

#include "common/cards/deck.h"
#include "kavoserverkit.h"

namespace {
class CKavoStateTest : public CKavoTableTest {
 protected:
  // A second table of the game, as the restore builds it.
  std::unique_ptr<CBlackJackServerTable> FreshTable(uint32_t tableId = KAVO_GAMEID_REGULAR * 1000 + 2) {
    return std::unique_ptr<CBlackJackServerTable>(BuildTable(tableId, new CBlackJackServerTable, new CServerTableDatabase));
  }
  // The table's StoreGame, as bytes.
  std::vector<uint8_t> Stored() {
    EXPECT_EQ(m_pTable->InitVarStore(SERVERTABLE_SAVE_STORE_SIZE), 1);
    EXPECT_EQ(m_pTable->StoreGame(), 1);
    std::vector<uint8_t> bytes(m_pTable->SSReadPointer(), m_pTable->SSReadPointer() + m_pTable->SSBytesLeft());
    m_pTable->FreeVarStore();
    return bytes;
  }
  // The bytes into the table's store, read back by RestoreGame.
  static int32_t Restore(CBlackJackServerTable& table, const std::vector<uint8_t>& bytes) {
    table.InitVarStore(static_cast<uint32_t>(bytes.size()));
    table.SSAddBytes(bytes.data(), bytes.size());
    const int32_t restored = table.RestoreGame();
    table.FreeVarStore();
    return restored;
  }
  // Every field a record saves, as text.
  static std::string Describe(CBlackJackServerPlayer& record) {
    std::string out = std::string(record.GetBet().GetString()) + " " + std::string(record.GetBetHand2().GetString()) +
                      " " + std::string(record.GetTotalStake().GetString()) + " split " +
                      std::to_string(record.IsSplit()) + " hand " + std::to_string(record.GetCurrentHand()) +
                      " seat " + std::to_string(record.GetSeat()) + " final " +
                      std::to_string(record.GetFinalFlag()) + " insured " + std::to_string(record.IsInsured()) +
                      " answered " + std::to_string(record.HasAnsweredInsurance()) + " result " +
                      std::string(record.GetInsuranceResult().GetString()) + " stake " +
                      std::string(record.GetInsuranceStake().GetString()) + " cards";
    for (int32_t hand : {KAVO_HAND_1, KAVO_HAND_2})
      for (int32_t i = 0; i < record.GetNumCards(hand); ++i) out += " " + std::to_string(record.GetCards(hand)[i]);
    out += " booked";
    for (int32_t mark = 0; mark < KAVO_BOOKED_COUNT; ++mark) out += " " + std::to_string(record.IsBooked(mark));
    out += " bust " + std::to_string(record.IsBust(KAVO_HAND_1)) + std::to_string(record.IsBust(KAVO_HAND_2));
    return out;
  }
};

// Offset just past the n-th NUL from from (the stored amounts end in one).
size_t AfterTexts(const std::vector<uint8_t>& bytes, size_t from, int32_t texts) {
  while (texts > 0 && from < bytes.size())
    if (bytes[from++] == 0) --texts;
  return from;
}

std::vector<uint8_t> WithLong(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  return bytes;
}

TEST_F(CKavoStateTest, StoreThenRestoreGivesBackTheRound) {
  StartTable();
  const int32_t bob = CreateMember("bob", "500");
  Seat(0, m_Ann);
  Seat(4, bob);
  PlaceBet(0, "12.34");
  GiveCards(0, {7, 20});
  Record(0).SetBetHand2(Record(0).GetBet());
  Record(0).DoSplit();
  Record(0).SetCurrentHand(KAVO_HAND_2);
  GiveCards(0, {12, 5, 8});  // hand 2 bust: 8 + 10 + 6 + 9
  Record(0).MarkBust();
  Record(0).SetCurrentHand(KAVO_HAND_1);
  GiveCards(0, {3});
  PlaceBet(4, "100");
  m_pTable->AnswerInsurance(4, 1);
  Record(4).DoubleHandBet();
  GiveCards(4, {0, 9});
  Record(4).MarkBust();  // forfeited below 22
  GiveCards(KAVO_DEALER, {0});
  m_pTable->SetCurrentSeat(4);
  m_pTable->SetHoleCard(51);
  m_pTable->SetPeekDone(1);
  m_pTable->SetInsuranceDone(1);
  m_pTable->SetRoundState(KAVO_RS_AWAITACTION);
  m_pTable->SetCardsSincePause(3);
  m_pTable->SetSettledCards(7);
  for (int i = 0; i < 40; ++i) m_pTable->GetShoe()->GetCard();
  const std::vector<uint8_t> bytes = Stored();

  auto fresh = FreshTable();
  ASSERT_EQ(Restore(*fresh, bytes), 1);
  for (int32_t seat = 0; seat <= KAVO_DEALER; ++seat)
    EXPECT_EQ(Describe(*fresh->GetPlayer(seat)), Describe(Record(seat))) << seat;
  EXPECT_EQ(fresh->GetCurrentSeat(), 4);
  EXPECT_EQ(fresh->GetHoleCard(), 51);
  EXPECT_EQ(fresh->GetPeekDone(), 1);
  EXPECT_EQ(fresh->GetInsuranceDone(), 1);
  EXPECT_EQ(fresh->IsOneDeck(), 0);
  EXPECT_EQ(fresh->GetRoundState(), KAVO_RS_AWAITACTION);
  EXPECT_EQ(fresh->GetCardsSincePause(), 3);
  EXPECT_EQ(fresh->GetSettledCards(), 7);
  EXPECT_EQ(fresh->GetDecisionTime(), m_pTable->GetDecisionTime());
  EXPECT_EQ(fresh->GetMinTable(), m_pTable->GetMinTable());
  EXPECT_EQ(fresh->GetMaxTable(), m_pTable->GetMaxTable());
  EXPECT_EQ(fresh->GetShoe()->GetNumCardsLeft(), 6 * 52 - 40);
  for (int32_t value = 0; value < 52; ++value)
    EXPECT_EQ(fresh->GetShoe()->GetCopiesLeft(value), m_pTable->GetShoe()->GetCopiesLeft(value)) << value;
  // The insurance stake comes back as taken (half the undoubled bet).
  EXPECT_EQ(fresh->GetPlayer(4)->GetTotalStake(), TMoney(250));
  fresh->ExitTable();
}

TEST_F(CKavoStateTest, MalformedDataFailsTheRestore) {
  StartTable();
  Seat(0, m_Ann);
  PlaceBet(0, "10");
  GiveCards(0, {4, 5});
  const std::vector<uint8_t> good = Stored();
  // Seat 0's record: three amounts, then split, currentHand, seat, finalFlag, count1, count2,
  // insured, answered, two amounts, then the cards.
  const size_t longs = AfterTexts(good, 0, 3);
  const size_t currentHand = longs + 4, count1 = longs + 16;
  const size_t cards = AfterTexts(good, longs + 32, 2);
  std::vector<uint8_t> badAmount = good;
  badAmount[0] = 'x';

  struct SCase {
    const char* m_Name;
    std::vector<uint8_t> m_Bytes;
  } cases[] = {
      {"short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"empty", {}},
      {"amount no number", badAmount},
      {"count above 20", WithLong(good, count1, 21)},
      {"negative count", WithLong(good, count1, -1)},
      {"card 52", WithLong(good, cards, 52)},
      {"card -1", WithLong(good, cards, -1)},
      {"current hand 0", WithLong(good, currentHand, 0)},
      {"current hand 3", WithLong(good, currentHand, 3)},
  };
  auto fresh = FreshTable();
  for (const SCase& c : cases) EXPECT_EQ(Restore(*fresh, c.m_Bytes), 0) << c.m_Name;
  EXPECT_EQ(Restore(*fresh, good), 1);
  fresh->ExitTable();
}

TEST_F(CKavoStateTest, TheTableFieldsAreCheckedAndFlagsReadAsFlags) {
  StartTable();
  Seat(0, m_Ann);
  const std::vector<uint8_t> bytes = Stored();
  // After the six records and the two amounts: currentSeat, holeCard, peekDone, insuranceDone,
  // oneDeck, roundState, decisionTime, limitLevel, cardsSincePause, settledCards.
  auto probe = FreshTable();
  probe->InitVarStore(static_cast<uint32_t>(bytes.size()));
  probe->SSAddBytes(bytes.data(), bytes.size());
  for (int32_t seat = 0; seat <= KAVO_DEALER; ++seat) ASSERT_EQ(probe->GetPlayer(seat)->RestoreState(*probe), 1);
  const size_t afterSeat0 = AfterTexts(bytes, AfterTexts(bytes, 0, 3) + 32, 2) + 4 * (2 * KAVO_MAX_CARDS + KAVO_BOOKED_COUNT + 2);
  probe->SSGetMoney();
  probe->SSGetMoney();
  const size_t table = bytes.size() - probe->SSBytesLeft();
  probe->FreeVarStore();

  struct SCase {
    const char* m_Name;
    size_t m_Offset;
    int32_t m_Value;
    int32_t m_Restored;
  } const cases[] = {
      {"seat 6", table, 6, 0},          {"hole card 52", table + 4, 52, 0}, {"round state 0", table + 20, 0, 0},
      {"round state 13", table + 20, 13, 0}, {"decision time -1", table + 24, -1, 0},
      {"limit level 3", table + 28, 3, 0}, {"cards since pause -1", table + 32, -1, 0},
      {"settled cards -1", table + 36, -1, 0}, {"one deck 2", table + 16, 2, 1},
      {"one deck 1", table + 16, 1, 1},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(Restore(*probe, WithLong(bytes, c.m_Offset, c.m_Value)), c.m_Restored) << c.m_Name;
    if (c.m_Restored) {
      EXPECT_EQ(probe->IsOneDeck(), c.m_Value == 1 ? 1 : 0) << c.m_Name;
    }
  }
  // Booked marks above 0 read as set, others as clear.
  std::vector<uint8_t> marks = WithLong(bytes, afterSeat0 - 24, 7);
  marks = WithLong(marks, afterSeat0 - 12, -3);
  ASSERT_EQ(Restore(*probe, marks), 1);
  EXPECT_EQ(probe->GetPlayer(0)->IsBooked(KAVO_BOOKED_SETTLE1), 1);
  EXPECT_EQ(probe->GetPlayer(0)->IsBooked(KAVO_BOOKED_BONUS2), 0);
  probe->ExitTable();
}

TEST_F(CKavoStateTest, ACrashedSplitSeatIsSavedInTheDatabaseAndEachHandBookedOnceAfterTheRestore) {
  m_TableType = STOVA_TABLE_PUBLIC;
  StartTable();
  Seat(2, m_Ann);
  PlaceBet(2, "10");
  GiveCards(2, {7, 20});
  Record(2).SetBetHand2(Record(2).GetBet());
  Record(2).DoSplit();
  Record(2).SetCurrentHand(KAVO_HAND_2);
  GiveCards(2, {12});  // 18
  Record(2).SetCurrentHand(KAVO_HAND_1);
  GiveCards(2, {11, 1});  // 20
  GiveCards(KAVO_DEALER, {12, 6});  // 17
  m_pTable->SetRoundState(KAVO_RS_SETTLE);
  // Hand 2 books; hand 1's booking finds no player row, and the user is crashed: his round is
  // saved for his reconnect.
  m_pStova->m_FailDecIncAt = 2;
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  EXPECT_EQ(any, 1);
  const std::vector<std::string> first = WithName(Packets(), KAVO_MSG_PLAYERWIN);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_NE(first[0].find("Split = 2"), std::string::npos);
  EXPECT_EQ(first[0].find("Split = 1"), std::string::npos);
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000"}));
  EXPECT_EQ(m_pTable->GetPlayerConnection(2)->IsHeld(), 0) << "the user was crashed";

  // A new table restores his round from the database: his seat, its bet flag and the records.
  auto fresh = FreshTable(KAVO_GAMEID_REGULAR * 1000 + 2);
  fresh->SetReserveId(m_Ann);
  ASSERT_EQ(fresh->RestoreServerPlayerConnections(), 1);
  ASSERT_EQ(fresh->RestoreServer(), 1);
  ASSERT_EQ(fresh->RestoreGameAlterationCallback(), 1);
  EXPECT_EQ(fresh->GetPlayerConnection(2)->m_PlayerId, m_Ann);
  EXPECT_EQ(fresh->HasPlayerBet(2), 1);
  EXPECT_EQ(fresh->GetRoundState(), KAVO_RS_SETTLE);
  EXPECT_EQ(fresh->GetPlayer(2)->IsBooked(KAVO_BOOKED_SETTLE2), 1);
  EXPECT_EQ(fresh->GetPlayer(2)->IsBooked(KAVO_BOOKED_SETTLE1), 0);
  ASSERT_EQ(fresh->SettleAllSeats(any), 1);
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000", "50 -1000", "54 2000"}));
  // A second settlement books nothing more.
  ASSERT_EQ(fresh->SettleAllSeats(any), 1);
  EXPECT_EQ(Bookings(m_Ann).size(), 4u);
  EXPECT_EQ(BalanceCents(m_Ann), 100000 + 2000);
  fresh->ExitTable();
}
}  // namespace
