// The seat's decisions: hit, stand, bust, double and split, the cards they deal and the turn
// they continue or end.
#include "common/cards/deck.h"
#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"

namespace {
constexpr int32_t kMaxChunks = 64;
}  // namespace

// ---- packets ----

int32_t CBlackJackServerTable::SendSeatChunk(int32_t seat, const char* name) {
  CCommNode* node = GetTableNode();
  return node->SendInit() && SendEnterPlayerData(node, seat, GetPlayerConnection(seat)->m_PlayerId, name) &&
         SendExitPlayerData(node) && node->SendKCBLPacket();
}

int32_t CBlackJackServerTable::SendCardPacket(int32_t seat, int32_t code) {
  CCommNode* node = GetTableNode();
  if (!node->SendInit()) return 0;
  if (seat == KAVO_DEALER) return node->NewItem(KAVO_MSG_DEALERCARD, KLONG, code, KEND) && node->SendKCBLPacket();
  return SendEnterPlayerData(node, seat, GetPlayerConnection(seat)->m_PlayerId, KAVO_MSG_CARD) &&
         node->NewItem(KAVO_ITEM_CARD, KLONG, code, KEND) &&
         node->NewItem(KAVO_ITEM_SPLIT, KLONG, GetPlayer(seat)->GetHandNumber(), KEND) && SendExitPlayerData(node) &&
         node->SendKCBLPacket();
}

int32_t CBlackJackServerTable::DealCard(int32_t seat) {
  CBlackJackServerPlayer* record = GetPlayer(seat);
  if (!record || !m_pShoe || (seat < KAVO_NUM_SEATS && !GetPlayerConnection(seat))) return 0;
  const int32_t code = m_pShoe->GetCard();
  if (!KavoIsCard(code)) {
    xprintf("CBlackJackServerTable::DealCard: the shoe is empty");
    return 0;
  }
  if (!record->AddCard(code)) {
    m_pShoe->AddCard(code);
    return 1;
  }
  ++m_CardsSincePause;
  return SendCardPacket(seat, code);
}

int32_t CBlackJackServerTable::DealDealerCard(int32_t code) {
  if (!GetDealer()->AddCard(code)) return 0;
  ++m_CardsSincePause;
  return SendCardPacket(KAVO_DEALER, code);
}

int32_t CBlackJackServerTable::SendPlayerTimeOut(int32_t seconds) {
  CCommNode* node = GetTableNode();
  return node->SendInit() && node->NewItem(KAVO_ITEM_COMMAND, KSTRING, KAVO_MSG_PLAYERTIMEOUT, KEND) &&
         node->NewItem(KAVO_ITEM_TIMEOUT, KLONG, seconds, KEND) &&
         node->NewItem(KAVO_ITEM_SERVERTIME, KLONG, static_cast<int32_t>(xGetTime()), KEND) && node->SendKCBLPacket();
}

int32_t CBlackJackServerTable::SendTurnChunk(int32_t seat) {
  CCommNode* node = GetTableNode();
  return node->SendInit() && SendEnterPlayerData(node, seat, GetPlayerConnection(seat)->m_PlayerId, KAVO_MSG_TURN) &&
         node->NewItem(KAVO_ITEM_SPLIT, KLONG, GetPlayer(seat)->GetHandNumber(), KEND) && SendExitPlayerData(node) &&
         node->SendKCBLPacket();
}

int32_t CBlackJackServerTable::StartTurn(int32_t extraSeconds) {
  if (!SendChangeGameState(KAVO_GS_TURN) || !SendTurnChunk(m_CurrentSeat) || !SendChangeGameState(KAVO_GS_TIMEOUT) ||
      !SendPlayerTimeOut(m_DecisionTime + extraSeconds) || !SendChangeGameState(KAVO_GS_WAITACTION))
    return 0;
  SetTimeoutTime((m_DecisionTime + extraSeconds + KAVO_ACTION_GRACE) * 1000, -1);
  StartTimer();
  return 1;
}

// ---- receiving ----

int32_t CBlackJackServerTable::ReadAction(int32_t& action) {
  action = KAVO_ACTION_NONE;
  CCommNode* node = GetTableNode();
  int32_t seat = -1, playerId = 0, found = 0;
  for (int32_t n = 0; n < kMaxChunks && NextClientChunk(KAVO_MSG_PLAYERACTION, seat, playerId) && seat != -1; ++n) {
    int32_t value = 0;
    const int32_t read = node->m_RecvKCBL.GetItem(KAVO_ITEM_ACTION, KLONG, &value, KEND);
    RecvExitPrivatePlayerData(node);
    if (!read) {
      CrashUser(playerId);
      continue;
    }
    if (seat != m_CurrentSeat || found) continue;
    action = value;
    found = 1;
  }
  return found;
}

// ---- decisions ----

CBlackJackServerTable::TMoney CBlackJackServerTable::FreeMoneyForDecision(int32_t seat) {
  const int32_t playerId = GetPlayerConnection(seat)->m_PlayerId;
  CStovaConn* db = GetStova();
  TMoney balance;
  int32_t ok = 0;
  const int32_t read = db && db->GetUserCash(static_cast<uint32_t>(playerId), balance, ok);
  if (!read || !ok) {
    xDrainStovaErrors(db, "CBlackJackServerTable::PlayAction: stova call returned error:%s");
    return TMoney();
  }
  TMoney staked;
  GetPendingCash(staked, playerId);
  return balance - staked;
}

int32_t CBlackJackServerTable::EndTurn(int32_t clearThinking, int32_t& turnDone) {
  turnDone = 1;
  if (clearThinking) {
    ClearThinking(m_CurrentSeat);
    SendThinkBubbles(0);
  }
  return 1;
}

int32_t CBlackJackServerTable::CheckTripleSeven(int32_t& crashed) {
  crashed = 0;
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  if (!m_TripleSevenEnabled || !record->IsTripleSeven()) return 1;
  if (!SendChangeGameState(KAVO_GS_TRIPLESEVEN)) return 0;
  if (!record->PayTripleSeven()) {
    CrashUser(GetPlayerConnection(m_CurrentSeat)->m_PlayerId);
    crashed = 1;
  }
  return 1;
}

int32_t CBlackJackServerTable::SwitchToHand1() {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  record->SetCurrentHand(KAVO_HAND_1);
  if (record->GetNumCards() < 2) {
    if (!SendChangeGameState(KAVO_GS_CARD) || !DealCard(m_CurrentSeat)) return 0;
    int32_t crashed = 0;
    if (!CheckTripleSeven(crashed)) return 0;
  }
  return StartTurn(m_CardsSincePause);
}

int32_t CBlackJackServerTable::Hit(int32_t& turnDone) {
  if (!SendChangeGameState(KAVO_GS_CARD) || !DealCard(m_CurrentSeat)) return 0;
  int32_t crashed = 0;
  if (!CheckTripleSeven(crashed)) return 0;
  if (crashed) return EndTurn(0, turnDone);
  turnDone = 0;
  return StartTurn(m_CardsSincePause);
}

int32_t CBlackJackServerTable::Stand(int32_t& turnDone) {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  if (record->IsSplit() && record->GetCurrentHand() == KAVO_HAND_2) {
    turnDone = 0;
    return SwitchToHand1();
  }
  return EndTurn(1, turnDone);
}

int32_t CBlackJackServerTable::SendBust() {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  CCommNode* node = GetTableNode();
  if (!SendChangeGameState(KAVO_GS_BUST) || !node->SendInit() ||
      !SendEnterPlayerData(node, m_CurrentSeat, GetPlayerConnection(m_CurrentSeat)->m_PlayerId, KAVO_MSG_BUST) ||
      !record->AddBustData(node) || !SendExitPlayerData(node) || !node->SendKCBLPacket())
    return 0;
  record->MarkBust();
  return 1;
}

int32_t CBlackJackServerTable::Bust(int32_t& turnDone) {
  if (!SendBust()) return 0;
  return Stand(turnDone);
}

int32_t CBlackJackServerTable::Double(int32_t& turnDone) {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  if (record->CanDouble() && FreeMoneyForDecision(m_CurrentSeat) >= record->GetHandBet()) {
    if (!SendChangeGameState(KAVO_GS_DOUBLE) || !SendSeatChunk(m_CurrentSeat, KAVO_MSG_DOUBLE) ||
        !SendChangeGameState(KAVO_GS_CARD) || !DealCard(m_CurrentSeat))
      return 0;
    record->DoubleHandBet();
    record->MarkDoubled(record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_1);
    int32_t soft = 0, hard = 0;
    record->GetTotals(soft, hard);
    if (hard > 21) {
      if (!SendBust()) return 0;
    } else {
      int32_t crashed = 0;
      if (!CheckTripleSeven(crashed)) return 0;
    }
  }
  ClearThinking(m_CurrentSeat);
  SendThinkBubbles(0);
  if (record->IsSplit() && record->GetCurrentHand() == KAVO_HAND_2) {
    turnDone = 0;
    return SwitchToHand1();
  }
  return EndTurn(0, turnDone);
}

int32_t CBlackJackServerTable::Split(int32_t& turnDone) {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  // A turn that ends here, refused or with split aces, takes the seat's think mark with it, as
  // every other end of a turn does: the next seat's marks would show it still thinking.
  if (!record->CanSplit() || FreeMoneyForDecision(m_CurrentSeat) < record->GetBet()) return EndTurn(1, turnDone);
  record->SetBetHand2(record->GetBet());
  const int32_t aces = record->DoSplit();
  record->GetTotalStake();
  record->SetCurrentHand(KAVO_HAND_2);
  if (!SendChangeGameState(KAVO_GS_SPLIT) || !SendSeatChunk(m_CurrentSeat, KAVO_MSG_SPLIT) ||
      !SendChangeGameState(KAVO_GS_CARD) || !DealCard(m_CurrentSeat))
    return 0;
  if (aces) {
    // Each split ace takes exactly one card.
    record->SetCurrentHand(KAVO_HAND_1);
    if (!SendChangeGameState(KAVO_GS_CARD) || !DealCard(m_CurrentSeat)) return 0;
    return EndTurn(1, turnDone);
  }
  turnDone = 0;
  return StartTurn(m_CardsSincePause);
}

int32_t CBlackJackServerTable::PlayAction(int32_t action, int32_t& turnDone) {
  turnDone = 0;
  m_CardsSincePause = 0;
  if (!GetPlayerConnection(m_CurrentSeat) || !GetPlayer(m_CurrentSeat)) return 0;
  switch (action) {
    case KAVO_ACTION_HIT: return Hit(turnDone);
    case KAVO_ACTION_STAND: return Stand(turnDone);
    case KAVO_ACTION_BUST: return Bust(turnDone);
    case KAVO_ACTION_DOUBLE: return Double(turnDone);
    case KAVO_ACTION_SPLIT: return Split(turnDone);
    default: return 1;  // 0 and values no client may send change nothing
  }
}
