// The round saved and read back into a fresh table: every record, the table's fields, the shoe,
// refused data, and a split seat whose second booking failed.
#include <string>
#include <vector>

#include "common/cards/deck.h"
#include "kavoserverkit.h"
#include "server/statestore.h"

namespace {
class CKavoStateTest : public CKavoTableTest {
 protected:
  // A second table of the game, as the restore builds it.
  std::unique_ptr<CBlackJackServerTable> FreshTable() {
    return std::unique_ptr<CBlackJackServerTable>(
        BuildTable(KAVO_GAMEID_REGULAR * 1000 + 2, new CBlackJackServerTable, new CServerTableDatabase));
  }
  // Every field a record saves, as text.
  static std::string Describe(CBlackJackServerPlayer& record) {
    std::string out = std::string(record.GetBet().GetString()) + " " + std::string(record.GetBetHand2().GetString()) +
                      " " + std::string(record.GetTotalStake().GetString()) + " split " +
                      std::to_string(record.IsSplit()) + " hand " + std::to_string(record.GetCurrentHand()) +
                      " seat " + std::to_string(record.GetSeat()) + " final " +
                      std::to_string(record.GetFinalFlag()) + " insured " + std::to_string(record.IsInsured()) +
                      " answered " + std::to_string(record.HasAnsweredInsurance()) + " result " +
                      std::string(record.GetInsuranceResult().GetString()) + " cards";
    for (int32_t hand : {KAVO_HAND_1, KAVO_HAND_2})
      for (int32_t i = 0; i < record.GetNumCards(hand); ++i) out += " " + std::to_string(record.GetCards(hand)[i]);
    out += " booked";
    for (int32_t mark = 0; mark < KAVO_BOOKED_COUNT; ++mark) out += " " + std::to_string(record.IsBooked(mark));
    out += " bust " + std::to_string(record.IsBust(KAVO_HAND_1)) + std::to_string(record.IsBust(KAVO_HAND_2));
    return out;
  }
};

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
  GiveCards(4, {0, 9, 10});
  GiveCards(KAVO_DEALER, {0});
  m_pTable->SetCurrentSeat(4);
  m_pTable->SetHoleCard(51);
  m_pTable->SetPeekDone(1);
  m_pTable->SetInsuranceDone(1);
  for (int i = 0; i < 40; ++i) m_pTable->GetShoe()->GetCard();
  ASSERT_EQ(m_pTable->StoreGame(), 1);

  auto fresh = FreshTable();
  fresh->SetSavedState(m_pTable->GetSavedState());
  ASSERT_EQ(fresh->RestoreGame(), 1);
  for (int32_t seat = 0; seat <= KAVO_DEALER; ++seat)
    EXPECT_EQ(Describe(*fresh->GetPlayer(seat)), Describe(Record(seat))) << seat;
  EXPECT_EQ(fresh->GetCurrentSeat(), 4);
  EXPECT_EQ(fresh->GetHoleCard(), 51);
  EXPECT_EQ(fresh->GetPeekDone(), 1);
  EXPECT_EQ(fresh->GetInsuranceDone(), 1);
  EXPECT_EQ(fresh->IsOneDeck(), 0);
  EXPECT_EQ(fresh->GetMinTable(), m_pTable->GetMinTable());
  EXPECT_EQ(fresh->GetMaxTable(), m_pTable->GetMaxTable());
  EXPECT_EQ(fresh->GetShoe()->GetNumCardsLeft(), 6 * 52 - 40);
  for (int32_t value = 0; value < 52; ++value)
    EXPECT_EQ(fresh->GetShoe()->GetCopiesLeft(value), m_pTable->GetShoe()->GetCopiesLeft(value)) << value;
  // The insurance stake comes back as taken (half the undoubled bet).
  TMoney pending;
  fresh->GetPendingCash(pending, 0);
  EXPECT_EQ(fresh->GetPlayer(4)->GetTotalStake(), TMoney(250));
  fresh->ExitTable();
}

// The stored bytes with one long replaced (index counted in longs from a money-free prefix).
std::vector<uint8_t> WithLong(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  return bytes;
}

TEST_F(CKavoStateTest, MalformedDataFailsTheRestore) {
  StartTable();
  Seat(0, m_Ann);
  PlaceBet(0, "10");
  GiveCards(0, {4, 5});
  ASSERT_EQ(m_pTable->StoreGame(), 1);
  const std::vector<uint8_t> good = m_pTable->GetSavedState();
  // Seat 0's record: three amounts, then split, currentHand, seat, finalFlag, count1, ...
  CKavoStateReader reader(good.data(), good.size());
  TMoney amount;
  for (int i = 0; i < 3; ++i) reader.GetMoney(amount);
  const size_t longs = good.size() - reader.RestSize();
  const size_t currentHand = longs + 4, count1 = longs + 16, firstCard = count1 + 8 + 4 + 4;
  // firstCard: after count2, insured, answered comes insuranceResult (money), so find it by
  // reading on.
  CKavoStateReader again(good.data(), good.size());
  for (int i = 0; i < 3; ++i) again.GetMoney(amount);
  int32_t skip = 0;
  for (int i = 0; i < 8; ++i) again.GetLong(skip);
  again.GetMoney(amount);
  const size_t cards = good.size() - again.RestSize();
  (void)firstCard;

  struct SCase {
    const char* m_Name;
    std::vector<uint8_t> m_Bytes;
  } cases[] = {
      {"short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"empty", {}},
      {"count above 20", WithLong(good, count1, 21)},
      {"negative count", WithLong(good, count1, -1)},
      {"card 52", WithLong(good, cards, 52)},
      {"card -1", WithLong(good, cards, -1)},
      {"current hand 0", WithLong(good, currentHand, 0)},
      {"current hand 3", WithLong(good, currentHand, 3)},
  };
  auto fresh = FreshTable();
  for (const SCase& c : cases) {
    fresh->SetSavedState(c.m_Bytes);
    EXPECT_EQ(fresh->RestoreGame(), 0) << c.m_Name;
  }
  fresh->SetSavedState(good);
  EXPECT_EQ(fresh->RestoreGame(), 1);
  fresh->ExitTable();
}

TEST_F(CKavoStateTest, BookedFlagsAboveZeroAndOneDeckOnlyFromOne) {
  StartTable();
  Seat(0, m_Ann);
  ASSERT_EQ(m_pTable->StoreGame(), 1);
  std::vector<uint8_t> bytes = m_pTable->GetSavedState();
  // Seat 0's booked flags are the four longs before seat 1's record: find them by reading.
  CKavoStateReader reader(bytes.data(), bytes.size());
  ASSERT_EQ(Record(0).RestoreState(reader), 1);
  const size_t afterSeat0 = bytes.size() - reader.RestSize();
  bytes = WithLong(bytes, afterSeat0 - 16, 7);
  bytes = WithLong(bytes, afterSeat0 - 4, -3);
  // The table's oneDeck is the last long before the shoe.
  std::vector<uint8_t> shoe;
  m_pTable->GetShoe()->StoreState(shoe);
  const size_t oneDeck = bytes.size() - shoe.size() - 4;
  auto fresh = FreshTable();
  for (int32_t stored : {2, -1, 1}) {
    fresh->SetSavedState(WithLong(bytes, oneDeck, stored));
    ASSERT_EQ(fresh->RestoreGame(), 1);
    EXPECT_EQ(fresh->IsOneDeck(), stored == 1 ? 1 : 0) << stored;
  }
  EXPECT_EQ(fresh->GetPlayer(0)->IsBooked(KAVO_BOOKED_SETTLE1), 1);
  EXPECT_EQ(fresh->GetPlayer(0)->IsBooked(KAVO_BOOKED_BONUS2), 0);
  fresh->ExitTable();
}

// Saves the round when a user crashes, before his seats go, as the crash store does.
class CCrashStoringTable : public CBlackJackServerTable {
 public:
  int32_t DoReconnect(int32_t playerId) override {
    StoreGame();
    m_AtCrash = GetSavedState();
    return CBlackJackServerTable::DoReconnect(playerId);
  }
  std::vector<uint8_t> m_AtCrash;
};

TEST_F(CKavoStateTest, ASplitSeatWhoseSecondBookingFailedBooksEachHandOnceAfterARestore) {
  m_MakeTable = [] { return new CCrashStoringTable; };
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
  // Hand 2 books; hand 1's booking finds no player row.
  m_pStova->m_FailDecIncAt = 2;
  int32_t any = 0;
  ASSERT_EQ(m_pTable->SettleAllSeats(any), 1);
  EXPECT_EQ(any, 1);
  const std::vector<std::string> first = WithName(Packets(), KAVO_MSG_PLAYERWIN);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_NE(first[0].find("Split = 2"), std::string::npos);
  EXPECT_EQ(first[0].find("Split = 1"), std::string::npos);
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000"}));
  const std::vector<uint8_t> saved = static_cast<CCrashStoringTable&>(*m_pTable).m_AtCrash;
  ASSERT_FALSE(saved.empty()) << "the user was crashed";

  // The player's row is back; the restored table (his seat given back first) settles again.
  auto fresh = FreshTable();
  ASSERT_NE(fresh->AllocateSlot(2, m_Ann), 0);
  fresh->SlotChanged(2);
  fresh->SetSavedState(saved);
  ASSERT_EQ(fresh->RestoreGame(), 1);
  fresh->SetBetFlag(2, 1);
  ASSERT_EQ(fresh->SettleAllSeats(any), 1);
  EXPECT_EQ(Bookings(m_Ann), (std::vector<std::string>{"50 -1000", "54 2000", "50 -1000", "54 2000"}));
  // A second settlement books nothing more.
  ASSERT_EQ(fresh->SettleAllSeats(any), 1);
  EXPECT_EQ(Bookings(m_Ann).size(), 4u);
  EXPECT_EQ(BalanceCents(m_Ann), 100000 + 2000);
  fresh->ExitTable();
}
}  // namespace
