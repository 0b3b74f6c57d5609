// The player's turn: the decision time and its meter, the buttons the hand allows, the choice
// sent to the server (a double or split staked through player protection first), and the turn's
// time-out as the server started it, less what the link lost on the way.
#include <algorithm>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/arrow.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/timediff.h"

namespace {
// A stamp this far behind is the round trip every client has; what lies beyond it is lost time.
constexpr int32_t kLagAllowedMs = 7000;
// A remote player with less than this left could not answer in time: he leaves instead.
constexpr int32_t kLeaveBelowMs = 5000;
constexpr int32_t kMaxTimeOutSeconds = 3600;
// The side-bet table's own actions, carried out by its own table.
constexpr int32_t kSideBetActionFirst = 6, kSideBetActionLast = 7;
}  // namespace

int32_t CBlackJackClientTable::DecisionTime() {
  DropWaitingRecord();
  const int32_t left = TimeLeft();
  if (!IsOwnSeat(m_TurnSeat) || m_ActionSent) {
    if (left >= 0) SetProgress(left);
    return 1;
  }
  if (left >= 0) ShowTimeLeft(left);
  if (left <= 0) m_PendingAction = KAVO_ACTION_STAND;
  CBlackJackPlayerData* record = GetPlayerRecord(m_TurnSeat);
  if (!record) return CarryOutPendingAction();
  int32_t soft = 0, hard = 0;
  record->GetHandTotals(soft, hard);
  if (hard > 21) m_PendingAction = KAVO_ACTION_BUST;
  if (soft == 21 || hard == 21) m_PendingAction = KAVO_ACTION_STAND;
  const int32_t hitStand = m_HitStandEnabled || (hard < 21 && soft != 21);
  const TMoney free = GetSeatFreeMoney(m_TurnSeat);
  SetActionButtons(hitStand, record->CanSplit(free), record->CanDouble(free));
  return CarryOutPendingAction();
}

int32_t CBlackJackClientTable::CarryOutPendingAction() {
  const int32_t action = m_PendingAction;
  if (action == KAVO_ACTION_NONE) return 1;
  if (action >= kSideBetActionFirst && action <= kSideBetActionLast) return 1;
  SetProgress(0);
  switch (action) {
    case KAVO_ACTION_HIT:
    case KAVO_ACTION_STAND:
      // A choice that did not leave would be forfeited on the server's time-out.
      if (!SendPlayerAction(action, m_TurnSeat)) return 0;
      break;
    case KAVO_ACTION_BUST: break;
    case KAVO_ACTION_DOUBLE:
    case KAVO_ACTION_SPLIT: {
      const CBlackJackPlayerData* record = GetPlayerRecord(m_TurnSeat);
      if (!record || !StageStake(record->GetBet(KAVO_HAND_1))) {
        // Refused: the turn stays open for another choice.
        m_PendingAction = KAVO_ACTION_NONE;
        return 1;
      }
      // The stake counts against the limits only once the server has the choice.
      if (!SendPlayerAction(action, m_TurnSeat)) {
        PlayerProtectionResetBet();
        return 0;
      }
      PlayerProtectionCommitBet();
      DisableActionButtons();
      PlayerProtectionResetBet();
      break;
    }
    default: return 1;
  }
  m_PendingAction = KAVO_ACTION_NONE;
  m_ActionSent = 1;
  DisableActionButtons();
  if (m_pArrow) m_pArrow->StopArrow();
  return 1;
}

int32_t CBlackJackClientTable::StageStake(const TMoney& stake) {
  PlayerProtectionSetBet(stake);
  char* message = nullptr;
  if (PlayerProtectionValidateBet(message)) return 1;
  PlayerProtectionResetBet();
  return 0;
}

int32_t CBlackJackClientTable::SendPlayerAction(int32_t action, int32_t seat) {
  CCommNode* node = m_pTableNode;
  const CPlayerConnection* holder = GetPlayerConnection(seat);
  if (!node || !holder) return 0;
  return node->SendInit() &&
         SendEnterPrivatePlayerData(node, seat, holder->GetPlayerId(), KAVO_MSG_PLAYERACTION) &&
         node->NewItem(KAVO_ITEM_ACTION, KLONG, action, KEND) && SendExitPrivatePlayerData(node) &&
         node->SendKCBLPacket();
}

// ---- the turn's time-out ----

int32_t CBlackJackClientTable::DecisionTimeLeft(int32_t totalMs, int32_t lagMs) {
  const int64_t lost = lagMs < kLagAllowedMs ? 0 : int64_t{lagMs} - kLagAllowedMs;
  return static_cast<int32_t>(std::max<int64_t>(int64_t{totalMs} - lost, 0));
}

int32_t CBlackJackClientTable::ParsePlayerTimeOut(CKCBL& record, int32_t& seconds, uint32_t& serverTime) {
  int32_t timeOut = 0, stamp = 0;
  record.MainChunk();
  record.FirstItem();
  if (!record.GetItem(KAVO_ITEM_TIMEOUT, KLONG, &timeOut, KEND)) return 0;
  record.MainChunk();
  record.FirstItem();
  if (!record.GetItem(KAVO_ITEM_SERVERTIME, KLONG, &stamp, KEND)) return 0;
  // Seconds beyond an hour would overflow the milliseconds; none is a real decision time.
  seconds = std::clamp(timeOut, 0, kMaxTimeOutSeconds);
  serverTime = static_cast<uint32_t>(stamp);
  return 1;
}

int32_t CBlackJackClientTable::RecvPlayerTimeOut(int32_t& seconds, uint32_t& serverTime, int32_t& received) {
  received = 0;
  const int32_t taken = TakeWaitingRecord(KAVO_ITEM_COMMAND, KAVO_MSG_PLAYERTIMEOUT);
  if (taken <= 0) return taken < 0 ? 1 : 0;
  const int32_t ok = ParsePlayerTimeOut(m_pTableNode->m_RecvKCBL, seconds, serverTime);
  m_pTableNode->RecvKCBLFree();
  received = ok;
  return ok;
}

int32_t CBlackJackClientTable::StateTimeOut() {
  int32_t seconds = 0, received = 0;
  uint32_t serverTime = 0;
  if (!RecvPlayerTimeOut(seconds, serverTime, received)) return 0;
  if (NothingCame(received)) return 1;
  const int32_t total = seconds * 1000;
  const int32_t lag = m_pTimeDiff ? m_pTimeDiff->GetTimeDiff(serverTime) : 0;
  const int32_t left = DecisionTimeLeft(total, lag);
  SetTimeoutTime(left, total);
  SetRoundTimer(total, total - left);
  StartTimer();
  // The offer's state may have passed unseen in the frame that brought this one: a time-out
  // while no seat has the turn is the insurance's.
  const bool insurance = m_InsuranceOffered || (m_TurnSeat >= GetNumSlots() && HaveSlot());
  const bool mine = IsOwnSeat(m_TurnSeat) || insurance;
  if (mine && left < kLeaveBelowMs && IsPanelTableRemote() && !IsReconnecting() && !GetRestoreMode()) {
    SendLeaveMsg();
    return 0;
  }
  m_InsuranceOffered = 0;
  return 1;
}
