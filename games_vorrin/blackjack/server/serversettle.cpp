// Settling the seats against the dealer, and a natural paid before the turns.
#include <vector>

#include "ostrelcomm/commnode.h"
#include "server/servertable.h"

int32_t CBlackJackServerTable::SettleAllSeats(int32_t& anySettled) {
  anySettled = 0;
  int32_t dealerSoft = 0, dealerHard = 0;
  CBlackJackServerPlayer* dealer = GetDealer();
  dealer->GetTotals(dealerSoft, dealerHard);
  const int32_t dealerCount = dealer->GetNumCards();
  CCommNode* node = GetTableNode();
  // Crashing a user sends packets of its own: it waits until this packet has gone.
  std::vector<int32_t> failed;
  for (int32_t seat = KAVO_NUM_SEATS - 1; seat >= 0; --seat) {
    if (!IsBettingSeat(seat)) continue;
    if (!anySettled && failed.empty() && !node->SendInit()) return 0;
    CBlackJackServerPlayer* record = GetPlayer(seat);
    int32_t settled = 0, refused = 0;
    const auto settle = [&] {
      if (record->Settle(dealerSoft, dealerHard, dealerCount)) ++settled;
      else ++refused;
    };
    if (record->IsSplit()) {
      // Hand 2 first; hand 1 is settled even when hand 2's booking failed.
      record->SetCurrentHand(KAVO_HAND_2);
      settle();
      record->SetCurrentHand(KAVO_HAND_1);
      settle();
    } else {
      settle();
    }
    if (settled) anySettled = 1;
    if (refused) failed.push_back(GetPlayerConnection(seat)->m_PlayerId);
  }
  const int32_t sent = anySettled ? node->SendKCBLPacket() : 1;
  for (int32_t playerId : failed) CrashUser(playerId);
  return sent;
}

int32_t CBlackJackServerTable::PayNatural(int32_t seat) {
  CBlackJackServerPlayer* record = seat < KAVO_NUM_SEATS ? GetPlayer(seat) : nullptr;
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!record || !connection || !SendChangeGameState(KAVO_GS_NATURAL)) return 0;
  const int32_t playerId = connection->m_PlayerId;
  CCommNode* node = GetTableNode();
  if (!node->SendInit()) return 0;
  if (record->Settle(22, 22, 3)) {
    if (!node->SendKCBLPacket()) return 0;
  } else {
    CrashUser(playerId);
  }
  record->Reset();
  SetBetFlag(seat, 0);
  return 1;
}
