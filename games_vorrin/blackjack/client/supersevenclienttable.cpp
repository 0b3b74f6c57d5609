#include "client/supersevenclienttable.h"

#include <new>

#include "client/betamounts.h"
#include "client/playerdata.h"

namespace {
constexpr int32_t kStringKeepBet = 10220;
constexpr int32_t kStringNoBet = 10221;
constexpr int32_t kSampleBet = 10;
}  // namespace

CBlackJackPlayerData* CSuperSevenClientTable::NewPlayerRecord() { return new (std::nothrow) CSuperSevenPlayerData; }

int32_t CSuperSevenClientTable::SeatOfSpot(int32_t spot) {
  if (spot > KAVO_NUM_SEATS && spot <= 2 * KAVO_NUM_SEATS) return spot - KAVO_NUM_SEATS - 1;
  return SeatOfSpotValue(spot);
}

int32_t CSuperSevenClientTable::OwnSpotClick(int32_t spot, int32_t seat, bool left) {
  return spot > KAVO_NUM_SEATS ? SideBetClick(seat, left) : RegularSpotClick(seat, left);
}

void CSuperSevenClientTable::SayDealerString(int32_t id, const char* fallback) {
  const char* text = MainString(id);
  SayDealer(text && *text ? text : fallback);
}

int32_t CSuperSevenClientTable::SideBetClick(int32_t seat, bool left) {
  auto* record = static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat));
  if (!record) return 1;
  if (!(record->GetBet(KAVO_HAND_1) > TMoney())) {
    SayDealerString(kStringNoBet, "You can't bet on superseven without a regular blackjack wager.");
    return 1;
  }
  if (!left) return record->GetSideBet() ? SetSideBet(seat, 0) : 1;
  if (record->GetSideBet()) return 1;
  const TMoney unit = CSuperSevenPlayerData::Unit();
  PlayerProtectionSetBet(unit);
  char* refusal = nullptr;
  if (!PlayerProtectionValidateBet(refusal)) {
    PlayerProtectionResetBet();
    SayDealer(refusal);
    return 1;
  }
  // The unit stands beside the regular bet: only money and the table's maximum bound it.
  const char* message = nullptr;
  if (!m_BetLimitCheck.Check(unit, FreeMoneyForSeat(seat), TMoney(), m_MaxTable, 0, message)) {
    PlayerProtectionResetBet();
    SayDealer(message);
    return 1;
  }
  if (!SetSideBet(seat, 1)) {
    PlayerProtectionResetBet();
    return 0;
  }
  PlayerProtectionCommitBet();
  return 1;
}

int32_t CSuperSevenClientTable::SetSideBet(int32_t seat, int32_t on) {
  auto* record = static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat));
  record->SetSideBet(on);
  record->GetTotalStake(0);
  if (!SendPlayerBet(seat, 0)) {
    record->SetSideBet(!on);
    record->GetTotalStake(0);
    return 0;
  }
  if (!on) RefundToProtection(CSuperSevenPlayerData::Unit());
  PlaySample(kSampleBet);
  AfterBetChange();
  return 1;
}

int32_t CSuperSevenClientTable::RegularSpotClick(int32_t seat, bool left) {
  auto* record = static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat));
  if (!record) return 1;
  const int32_t bet = KavoWholeUnits(record->GetBet(KAVO_HAND_1));
  const int32_t amount = left ? GetCurrentChip() : RightClickAmount(bet);
  if (amount == 0) return 1;
  if (record->GetSideBet() && bet + amount <= 0) {
    SayDealerString(kStringKeepBet, "You can't remove the bet while betting on superseven.");
    return 1;
  }
  return ProtectedChange(seat, amount) < 0 ? 0 : 1;
}
