// The side-bet table's record: the one-unit SuperSeven bet rides along with the seat's bet.
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "fennic/pocket.h"
#include "kavoprotocol.h"
#include "ostrelcomm/commnode.h"

int32_t CSuperSevenPlayerData::RestoreOldBet() {
  const TMoney stake = m_PreviousSideBet ? m_OldBet + Unit() : m_OldBet;
  if (!CommitRestoredBet(stake)) return 0;
  m_SideBet = m_PreviousSideBet;
  return 1;
}

void CSuperSevenPlayerData::SaveOldBet() {
  CBlackJackPlayerData::SaveOldBet();
  m_PreviousSideBet = m_SideBet;
  if (m_SideBet) m_TotalStake = m_TotalStake + Unit();
}

void CSuperSevenPlayerData::Reset() {
  CBlackJackPlayerData::Reset();
  m_SSWin = TMoney();
  m_SideBet = 0;
  m_SideBetShown = 0;
}

CSuperSevenPlayerData::TMoney CSuperSevenPlayerData::GetTotalStake(int32_t withInsurance) {
  CBlackJackPlayerData::GetTotalStake(withInsurance);
  if (m_SideBet) m_TotalStake = m_TotalStake + Unit();
  return m_TotalStake;
}

CSuperSevenPlayerData::TMoney CSuperSevenPlayerData::GetTotalWin() {
  return CBlackJackPlayerData::GetTotalWin() + m_SSWin;
}

int32_t CSuperSevenPlayerData::ReadWin(CCommNode* node, int32_t& hand) {
  SWinItems items;
  TMoney ssWin;
  if (!ReadWinItems(node, items) || !ReadMoneyItem(node, KAVO_ITEM_SSWIN, ssWin)) return 0;
  StoreWin(items, hand);
  m_SSWin = ssWin;
  return hand;
}

int32_t CSuperSevenPlayerData::ReadTableInfo(CCommNode* node, int32_t& changed) {
  TMoney bet, betHand2;
  int32_t sideBet = 0;
  if (!node || !ReadMoneyItem(node, KAVO_ITEM_BET, bet) || !ReadMoneyItem(node, KAVO_ITEM_BETHAND2, betHand2) ||
      !ReadLongItem(node, KAVO_ITEM_SUPERSEVEN, sideBet))
    return 0;
  sideBet = sideBet ? 1 : 0;
  changed = bet != m_Bet || betHand2 != m_BetHand2 || sideBet != m_SideBet ? 1 : 0;
  m_Bet = bet;
  m_BetHand2 = betHand2;
  m_SideBet = sideBet;
  return 1;
}

int32_t CSuperSevenPlayerData::WriteBet(CCommNode* node, int32_t finalFlag) {
  return node && node->NewItem(KAVO_ITEM_BET, KMONEY, &m_Bet, KEND) &&
         node->NewItem(KAVO_ITEM_SUPERSEVEN, KLONG, m_SideBet, KEND) &&
         node->NewItem(KAVO_ITEM_FINALFLAG, KLONG, finalFlag, KEND);
}

int32_t CSuperSevenPlayerData::ReadBust(CCommNode* node) {
  TMoney ssWin;
  if (!node || !ReadMoneyItem(node, KAVO_ITEM_SSWIN, ssWin)) return 0;
  m_SSWin = ssWin;
  return 1;
}

int32_t CSuperSevenPlayerData::CountSevens() const {
  const CPocket* pocket = Pocket(GetCurrentPocket());
  int32_t sevens = 0;
  for (int32_t i = 0; pocket && i < pocket->GetNumCards(); ++i)
    if (KavoCardRank(pocket->GetCard(i)) == KAVO_RANK_SEVEN) ++sevens;
  return sevens;
}
