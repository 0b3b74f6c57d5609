#include "server/supersevenplayer.h"

#include "common/tables/servertablebase.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"
#include "server/settlement.h"

namespace {
const CHugeFixedPoint<10, 10> kUnit(1);
}  // namespace

void CSuperSevenServerPlayer::Reset() {
  CBlackJackServerPlayer::Reset();
  m_SideBet = 0;
}

int32_t CSuperSevenServerPlayer::GetIncomingBets() {
  CKCBL& record = m_pTable->GetTableNode()->m_RecvKCBL;
  TMoney bet;
  int32_t finalFlag = 0, side = 0;
  if (!record.FirstItem() || !record.GetItem(KAVO_ITEM_BET, KMONEY, &bet, KEND) || !record.FirstItem() ||
      !record.GetItem(KAVO_ITEM_SUPERSEVEN, KBOOL, &side, KEND) || !record.FirstItem() ||
      !record.GetItem(KAVO_ITEM_FINALFLAG, KLONG, &finalFlag, KEND))
    return 0;
  TMoney free;
  if (!ReadFreeMoney(free, 1, "CSuperSevenServerPlayer::GetIncomingBets: stova call returned error:%s")) return 0;
  // The regular bet is checked against what the side bet leaves.
  m_SideBet = side && bet > 0 && !bet.GetError() && free >= bet + kUnit ? 1 : 0;
  if (!TakeBet(bet, finalFlag)) return 0;
  if (!(m_Bet > 0)) m_SideBet = 0;
  GetTotalStake();
  return 1;
}

CSuperSevenServerPlayer::TMoney CSuperSevenServerPlayer::GetTotalStake() {
  CBlackJackServerPlayer::GetTotalStake();
  if (m_SideBet) m_TotalStake += kUnit;
  return m_TotalStake;
}

int32_t CSuperSevenServerPlayer::AddTableInfoItems(CCommNode* node, int32_t successFlag) {
  return CBlackJackServerPlayer::AddTableInfoItems(node, successFlag) &&
         node->NewItem(KAVO_ITEM_SUPERSEVEN, KBOOL, m_SideBet, KEND);
}

int32_t CSuperSevenServerPlayer::SideBetWinUnits() const {
  return m_Split ? KavoSideBetWin(m_Cards2, m_Count2) : KavoSideBetWin(m_Cards1, m_Count1);
}

void CSuperSevenServerPlayer::SideBetOfChunk(int32_t hand, TMoney& stake, TMoney& win) {
  stake = TMoney();
  win = TMoney();
  if (!m_SideBet || hand == KAVO_HAND_2) return;
  stake = kUnit;
  win = TMoney(SideBetWinUnits());
}

int32_t CSuperSevenServerPlayer::AddSideBetWin(const TMoney& win) {
  return m_pTable->GetTableNode()->NewItem(KAVO_ITEM_SSWIN, KMONEY, &win, KEND);
}

int32_t CSuperSevenServerPlayer::AddBustData(CCommNode* node) {
  const TMoney win(m_SideBet ? SideBetWinUnits() : 0);
  return node->NewItem(KAVO_ITEM_SSWIN, KMONEY, &win, KEND);
}

int32_t CSuperSevenServerPlayer::SaveState(CServerTableBase& store) {
  return CBlackJackServerPlayer::SaveState(store) && store.SSAddLong(static_cast<uint32_t>(m_SideBet));
}

int32_t CSuperSevenServerPlayer::RestoreState(CServerTableBase& store) {
  if (!CBlackJackServerPlayer::RestoreState(store)) return 0;
  m_SideBet = store.SSGetLong() ? 1 : 0;
  if (store.SSIsShort()) {
    Reset();
    return 0;
  }
  GetTotalStake();
  return 1;
}
