// The player's seats: a free seat asked for with a bet waiting on it, the answers to the request,
// a seat given up, whether another request is wanted, and the money over all of one player's
// seats.
#include "client/betamounts.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/panel.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

// The seat's record states the round view keeps.
constexpr int32_t kSeatSeated = 1;

const TMoney& OneAndAHalf() {
  static const TMoney factor("1.5");
  return factor;
}
}  // namespace

// ---- who sits where ----

int32_t CBlackJackClientTable::IsSeatMine(int32_t seat) const {
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  return connection && GetPlayerId() != 0 && connection->m_PlayerId == GetPlayerId() ? 1 : 0;
}

int32_t CBlackJackClientTable::OwnSeatCount() const {
  int32_t count = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) count += IsSeatMine(seat);
  return count;
}

int32_t CBlackJackClientTable::MaxOwnSeats() const {
  // The one-deck server cannot hold one player on two seats: one seat there, whatever the layout.
  if (m_OneDeck) return 1;
  if (m_MaxNumHands < 1) return 1;
  return m_MaxNumHands > KAVO_NUM_SEATS ? KAVO_NUM_SEATS : m_MaxNumHands;
}

int32_t CBlackJackClientTable::GetPendingBet(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? m_PendingBets[seat] : 0;
}

int32_t CBlackJackClientTable::ChooseSeat() {
  const int32_t start = GetStartSlotPos();
  if (!m_StartSeatAsked && start >= 0 && start < KAVO_NUM_SEATS && OwnSeatCount() == 0 && !IsWatchMode()) {
    m_StartSeatAsked = 1;
    if (GetSlotStatus(start) == TABLE_SLOTSTATUS_FREE) SetWantToAllocSlot(start + 1);
  }
  return ShowSeatPanel();
}

int32_t CBlackJackClientTable::CanRequestSeat() {
  const int32_t own = OwnSeatCount();
  if (own >= MaxOwnSeats() || IsWatchMode()) return 1;
  if (own == 0) return 0;
  return m_BettingClosed ? 1 : 0;
}

// ---- a seat asked for with a bet ----

void CBlackJackClientTable::RequestSeatWithBet(int32_t seat, int32_t chip) {
  PlayerProtectionSetBet(TMoney(chip));
  char* refusal = nullptr;
  const char* message = nullptr;
  if (!PlayerProtectionValidateBet(refusal)) {
    PlayerProtectionResetBet();
    SayDealer(refusal);
    return;
  }
  // The seat is not his yet, so it has no cash to check against. With a seat elsewhere his cash
  // there bounds the bet; without one the seat's cash, once granted, does (the bet is placed
  // through ChangeBet, which refunds what that cash cannot carry).
  const int32_t own = GetIndex();
  const TMoney free = own >= 0 ? FreeMoneyForSeat(own) : TMoney(chip);
  if (!m_BetLimitCheck.Check(TMoney(chip), free, m_MinTable, m_MaxTable, 0, message)) {
    PlayerProtectionResetBet();
    SayDealer(message);
    return;
  }
  // A wish that the framework does not take (another is pending) stakes nothing.
  if (!SetWantToAllocSlot(seat + 1)) {
    PlayerProtectionResetBet();
    return;
  }
  PlayerProtectionCommitBet();
  m_PendingBets[seat] = chip;
  m_SeatRequest = seat;
}

void CBlackJackClientTable::SeatlessBetClick() {
  if (OwnSeatCount() != 0 || !IsJoined() || !IsTimeDiffDone() || !IsPracticeDone()) return;
  BetClick();
}

void CBlackJackClientTable::RefundToProtection(const TMoney& amount) {
  if (!(amount > TMoney())) return;
  PlayerProtectionSetWin(amount);
  PlayerProtectionCommitWin();
}

void CBlackJackClientTable::RefundPendingBet(int32_t seat) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return;
  RefundToProtection(TMoney(m_PendingBets[seat]));
  m_PendingBets[seat] = 0;
}

int32_t CBlackJackClientTable::SeatAllocated(int32_t seat, int32_t playerId, int32_t result) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return 1;
  const bool own = playerId != 0 && playerId == GetPlayerId();
  int32_t ok = 1;
  if (own && result == 1) {
    if (OwnSeatCount() == 1 && m_ViewIndex != seat) {
      m_ViewIndex = seat;
      if (!SetCameraView(seat)) ok = 0;
    }
    if (CPanel* panel = GetPanel()) {
      // The chips were switched off while the player had no seat; they come back with their looks.
      panel->SetChips(0);
      CheckChipButtonsAgainstMax();
      panel->SwitchScrollAndBet(1);
    }
    ShowOwnTotal();
    if (const int32_t pending = m_PendingBets[seat]) {
      // Betting closed before the seat came: the stake goes back. Else the bet is placed; one
      // that the limits refuse now, or that cannot be sent, goes back too.
      const int32_t placed = IsBettingOpen() ? ChangeBet(pending, seat, 1) : 0;
      if (placed != 1) RefundPendingBet(seat);
      if (placed < 0) ok = 0;
    }
    if (m_pPlayerSeatState) m_pPlayerSeatState[seat] = kSeatSeated;
    // The framework marks a seat joined only when it restores one; a granted seat is joined too,
    // or the player could never bet on it.
    if (CPlayerConnection* connection = GetPlayerConnection(seat)) connection->m_Joined = 1;
  } else if (result == -1) {
    RefundPendingBet(seat);
  }
  m_PendingBets[seat] = 0;
  if (own) m_SeatRequest = -1;
  m_BetsChanged = 1;
  UpdateBetTexts();
  return ok;
}

int32_t CBlackJackClientTable::SeatFreed(int32_t seat, int32_t playerId) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return 1;
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  const bool own = playerId != 0 && playerId == GetPlayerId();
  if (own) {
    // A bet that was never made final comes back; a final one belongs to the round.
    if (record && !m_BettingClosed) RefundToProtection(record->GetTotalStake(1));
    RefundPendingBet(seat);
    if (OwnSeatCount() - IsSeatMine(seat) <= 0) {
      SetWatchMode(1);
      if (!m_BettingClosed) UpdateDealButton();
    }
  }
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  if (record && !(connection && connection->IsReserved())) {
    record->Reset();
    record->SetOldBet(TMoney());
  }
  m_BetsChanged = 1;
  UpdateBetTexts();
  UpdateChipStacks(-1, 0);
  return 1;
}

// ---- the money over one player's seats ----

TMoney CBlackJackClientTable::OwnTotalBet() {
  const int32_t own = GetIndex();
  return own < 0 ? TMoney() : PlayerTotalBet(own);
}

// Calls `add` with each record that belongs to the seat's player (the seat alone when it is free).
template <class F>
static void ForPlayerSeats(const CBlackJackClientTable& table, int32_t seat, F add) {
  const CPlayerConnection* at = table.GetPlayerConnection(seat);
  if (!at) return;
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
    const CPlayerConnection* other = table.GetPlayerConnection(s);
    const bool same = s == seat || (at->m_PlayerId != 0 && other && other->m_PlayerId == at->m_PlayerId);
    if (CBlackJackPlayerData* record = same ? table.GetPlayerRecord(s) : nullptr) add(*record);
  }
}

TMoney CBlackJackClientTable::PlayerTotalBet(int32_t seat) const {
  TMoney total;
  ForPlayerSeats(*this, seat, [&](CBlackJackPlayerData& r) { total += r.GetTotalStake(1); });
  return total;
}

TMoney CBlackJackClientTable::PlayerTotalReturn(int32_t seat) const {
  TMoney total;
  ForPlayerSeats(*this, seat, [&](CBlackJackPlayerData& r) {
    total += r.HasWon() ? r.GetBet(KAVO_HAND_1) * OneAndAHalf() : r.GetTotalWin();
  });
  return total;
}

int32_t CBlackJackClientTable::PlayerNetWin(int32_t seat) const {
  TMoney net;
  ForPlayerSeats(*this, seat, [&](CBlackJackPlayerData& r) {
    if (r.HasWon())
      net += r.GetBet(KAVO_HAND_1) * OneAndAHalf();
    else if (const TMoney win = r.GetTotalWin(); win > TMoney())
      net += win;
    else
      net -= r.GetTotalStake(1);
  });
  return net > TMoney() ? 1 : 0;
}

TMoney CBlackJackClientTable::PlayerCash(int32_t seat) const {
  // A seat just granted has no cash of its own until the server's next money list: the player's
  // cash is that of his first seat, as the framework's GetCash has it.
  const int32_t first = IsSeatMine(seat) ? GetIndex() : seat;
  return GetSeatMoney(first);
}

TMoney CBlackJackClientTable::FreeMoneyForSeat(int32_t seat) const {
  // His cash less what all his seats stake: what a new bet anywhere may still take.
  return PlayerCash(seat) - PlayerTotalBet(seat);
}
