// What the clients send the blackjack server table: bets, insurance answers (and, in
// serveractions.cpp, decisions); the closing of the bets and the insurance result.
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"

namespace {
// Chunks one record may carry before the rest is left unread.
constexpr int32_t kMaxChunks = 64;
}  // namespace

int32_t CBlackJackServerTable::NextClientChunk(const char* name, int32_t& seat, int32_t& playerId) {
  CCommNode* node = GetTableNode();
  for (;;) {
    playerId = 0;
    if (!RecvEnterPrivatePlayerData(node, seat, playerId, name)) {
      // Values that cannot be read: step past the chunk.
      if (!node->m_RecvKCBL.NextItem(0)) {
        seat = -1;
        return 1;
      }
      continue;
    }
    if (seat == -1) return 1;
    const CPlayerConnection* connection = seat < KAVO_NUM_SEATS ? GetPlayerConnection(seat) : nullptr;
    if (connection && connection->IsHeld() && connection->m_PlayerId == playerId) return 1;
    RecvExitPrivatePlayerData(node);
  }
}

int32_t CBlackJackServerTable::HandleBetPacket() {
  if ((m_OneDeck || GetGameId() == KAVO_GAMEID_ONEDECK) && OccupiedSeats() != 1) {
    CrashAllUsers();
    return 1;
  }
  CCommNode* node = GetTableNode();
  int32_t seat = -1, playerId = 0;
  for (int32_t n = 0; n < kMaxChunks && NextClientChunk(KAVO_MSG_PLAYERBET, seat, playerId) && seat != -1; ++n) {
    CBlackJackServerPlayer* record = GetPlayer(seat);
    const int32_t flagged = HasPlayerBet(seat);
    const int32_t taken = record->GetIncomingBets();
    RecvExitPrivatePlayerData(node);
    if (!taken) {
      CrashUser(playerId);
      continue;
    }
    if (!flagged) GetPlayerHistoryLogger().BetClick(seat, record->GetBet(), -1);
  }
  return 1;
}

int32_t CBlackJackServerTable::RemoveBetFlagForInvalidPlayers(int32_t seat) {
  const CPlayerConnection* given = GetPlayerConnection(seat);
  if (!given || !given->IsHeld()) return 1;
  for (int32_t i = 0; i < KAVO_NUM_SEATS; ++i) {
    const CPlayerConnection* connection = GetPlayerConnection(i);
    CBlackJackServerPlayer* record = GetPlayer(i);
    if (!connection || !record || connection->m_PlayerId != given->m_PlayerId) continue;
    if (!HasPlayerBet(i)) {
      record->SetBet(TMoney());
      record->GetTotalStake();
    } else if (record->GetBet() < m_MinTable) {
      SetBetFlag(i, 0);
      record->SetBet(TMoney());
      record->SetFinalFlag(0);
      record->GetTotalStake();
      if (!record->SendTableInfo(1, 1)) return 0;
    }
  }
  return 1;
}

// ---- insurance ----

int32_t CBlackJackServerTable::AnswerInsurance(int32_t seat, int32_t wanted) {
  CBlackJackServerPlayer* record = GetPlayer(seat);
  if (!record || seat >= KAVO_NUM_SEATS) return 0;
  const int32_t stored = record->SetInsurance(wanted);
  CCommNode* node = GetTableNode();
  return node->SendInit() && node->NewItem(KAVO_ITEM_SLOT, KLONG, seat, KEND) &&
         node->NewItem(KAVO_ITEM_INSURANCE, KLONG, stored, KEND) && node->SendKCBLPacket();
}

int32_t CBlackJackServerTable::ReadInsurance() {
  CCommNode* node = GetTableNode();
  int32_t seat = -1, playerId = 0;
  for (int32_t n = 0; n < kMaxChunks && NextClientChunk(KAVO_MSG_INSURANCE, seat, playerId) && seat != -1; ++n) {
    int32_t wanted = 0;
    const int32_t read = node->m_RecvKCBL.GetItem(KAVO_ITEM_INSURANCE, KLONG, &wanted, KEND);
    RecvExitPrivatePlayerData(node);
    if (!read) {
      CrashUser(playerId);
      continue;
    }
    // An answer counts once; a seat outside the round has none to give.
    if (!IsBettingSeat(seat) || GetPlayer(seat)->HasAnsweredInsurance()) continue;
    if (!AnswerInsurance(seat, wanted)) return 0;
  }
  return 1;
}

int32_t CBlackJackServerTable::ResolveInsurance(int32_t& pays) {
  pays = KavoIsTenValue(m_HoleCard) ? 1 : 0;
  CCommNode* node = GetTableNode();
  if (!node->SendInit()) return 0;
  for (int32_t seat = KAVO_NUM_SEATS - 1; seat >= 0; --seat) {
    if (!IsBettingSeat(seat)) continue;
    CBlackJackServerPlayer* record = GetPlayer(seat);
    record->ResolveInsurance(pays);
    const TMoney win = record->HasAnsweredInsurance() && record->IsInsured() && pays ? record->GetBet() : TMoney();
    if (!SendEnterPlayerData(node, seat, GetPlayerConnection(seat)->m_PlayerId, KAVO_MSG_INSURANCEWIN) ||
        !node->NewItem(KAVO_ITEM_WINAMOUNT, KMONEY, &win, KEND) || !SendExitPlayerData(node))
      return 0;
  }
  if (!node->NewItem(KAVO_ITEM_PAYS, KLONG, pays, KEND)) return 0;
  if (pays && !node->NewItem(KAVO_ITEM_CARD, KLONG, m_HoleCard, KEND)) return 0;
  return node->SendKCBLPacket();
}
