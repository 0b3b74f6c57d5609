#include "client/playerdata.h"

#include "client/clienttable.h"
#include "handvalue.h"
#include "kavoprotocol.h"
#include "ostrelcomm/commnode.h"

namespace {
using TMoney = CBlackJackPlayerData::TMoney;

const TMoney& Half() {
  static const TMoney half("0.5");
  return half;
}
const TMoney& Quarter() {
  static const TMoney quarter("0.25");
  return quarter;
}
// Money the server may send: present, not negative, not flagged.
bool IsSoundAmount(const TMoney& m) { return !m.GetError() && !m.IsNegative(); }
}  // namespace

// ---- the seat ----

void CBlackJackPlayerData::Attach(CBlackJackClientTable* table, int32_t seat, int32_t isDealer) {
  m_pTable = table;
  m_Seat = seat;
  m_IsDealer = isDealer ? 1 : 0;
  const int32_t seats = table ? table->GetNumSlots() : KAVO_NUM_SEATS;
  m_PocketHand1 = seats + 2 * seat + 1;
  m_PocketHand2 = seats + 2 * seat + 2;
}

int32_t CBlackJackPlayerData::GetCurrentPocket() const {
  if (!m_Split) return m_Seat;
  return m_CurrentHand == KAVO_HAND_1 ? m_PocketHand1 : m_PocketHand2;
}

CPocket* CBlackJackPlayerData::Pocket(int32_t p) const {
  return m_pTable ? m_pTable->GetCardTable().GetPocket(p) : nullptr;
}

int32_t CBlackJackPlayerData::AddCard(int32_t code) {
  CPocket* pocket = Pocket(GetCurrentPocket());
  if (!pocket || !KavoIsCard(code)) return 0;
  const int32_t most = m_pTable->GetMaxCardsInPocket();
  if (most > 0 && pocket->GetNumCards() >= most) return 0;
  return pocket->AddCard(code);
}

int32_t CBlackJackPlayerData::GetNumCards() const {
  const CPocket* pocket = Pocket(GetCurrentPocket());
  return pocket ? pocket->GetNumCards() : 0;
}

int32_t CBlackJackPlayerData::RemoveCards() {
  CPocket* pocket = Pocket(GetCurrentPocket());
  return pocket ? pocket->RemoveCards() : 0;
}

int32_t CBlackJackPlayerData::GetHandTotals(int32_t& soft, int32_t& hard) const {
  soft = hard = 0;
  const CPocket* pocket = Pocket(GetCurrentPocket());
  if (!pocket) return 0;
  int32_t cards[FENNIC_POCKET_CARDS];
  const int32_t n = pocket->GetNumCards();
  for (int32_t i = 0; i < n; ++i) cards[i] = pocket->GetCard(i);
  return GetHandValue(cards, n, soft, hard);
}

int32_t CBlackJackPlayerData::CanDouble(const TMoney& freeMoney) const {
  if (GetNumCards() != 2) return 0;
  if (GetBet(m_Split ? m_CurrentHand : KAVO_HAND_1) > freeMoney) return 0;
  const std::vector<int32_t>& sums = m_pTable->GetValidDoubleSums();
  if (sums.empty()) return 1;
  int32_t soft = 0, hard = 0;
  GetHandTotals(soft, hard);
  for (int32_t sum : sums)
    if (sum == soft || sum == hard) return 1;
  return 0;
}

int32_t CBlackJackPlayerData::CanSplit(const TMoney& freeMoney) {
  if (m_Split) return 0;
  const CPocket* pocket = Pocket(m_Seat);
  if (!pocket || pocket->GetNumCards() != 2) return 0;
  if (KavoCardValue(pocket->GetCard(0)) != KavoCardValue(pocket->GetCard(1))) return 0;
  return GetTotalStake(1) > freeMoney ? 0 : 1;
}

int32_t CBlackJackPlayerData::DoSplit() {
  CPocket* seat = Pocket(m_Seat);
  CPocket* hand1 = Pocket(m_PocketHand1);
  CPocket* hand2 = Pocket(m_PocketHand2);
  if (m_Split || !seat || !hand1 || !hand2 || seat->GetNumCards() != 2) return 0;
  const int32_t first = seat->GetCard(0), second = seat->GetCard(1);
  seat->RemoveCards();
  hand1->AddCard(first);
  hand2->AddCard(second);
  m_Split = 1;
  m_CurrentHand = KAVO_HAND_1;
  return KavoIsAce(first) && KavoIsAce(second) ? 1 : 0;
}

void CBlackJackPlayerData::MarkDoubled() {
  if (m_Split && m_CurrentHand == KAVO_HAND_2)
    m_Doubled2 = 1;
  else
    m_Doubled1 = 1;
}

void CBlackJackPlayerData::MarkDone() {
  if (!m_Split)
    m_DoneUnsplit = 1;
  else if (m_CurrentHand == KAVO_HAND_1)
    m_DoneHand1 = 1;
  else
    m_DoneHand2 = 1;
}

int32_t CBlackJackPlayerData::IsDone(int32_t hand) const {
  switch (hand) {
    case KAVO_HAND_UNSPLIT: return m_DoneUnsplit;
    case KAVO_HAND_1: return m_DoneHand1;
    case KAVO_HAND_2: return m_DoneHand2;
    default: return 0;
  }
}

TMoney CBlackJackPlayerData::GetFreeMoney() const {
  return m_pTable ? m_pTable->GetSeatFreeMoney(m_Seat) : TMoney();
}

int32_t CBlackJackPlayerData::SetInsured(int32_t wanted) {
  m_Insured = wanted && m_Bet * Half() <= GetFreeMoney() ? wanted : 0;
  return m_Insured;
}

// ---- indexed accessors ----

TMoney CBlackJackPlayerData::GetBet(int32_t hand) const {
  if (hand == 0 || hand == 1) return m_Bet;
  return hand == 2 ? m_BetHand2 : TMoney();
}
void CBlackJackPlayerData::SetBet(int32_t hand, const TMoney& amount) {
  if (hand == 0 || hand == 1) m_Bet = amount;
  else if (hand == 2) m_BetHand2 = amount;
}
TMoney CBlackJackPlayerData::GetReportedBet(int32_t hand) const {
  if (hand == 0 || hand == 1) return m_ReportedBet;
  return hand == 2 ? m_ReportedBetHand2 : TMoney();
}
void CBlackJackPlayerData::SetReportedBet(int32_t hand, const TMoney& amount) {
  if (hand == 0 || hand == 1) m_ReportedBet = amount;
  else if (hand == 2) m_ReportedBetHand2 = amount;
}
TMoney CBlackJackPlayerData::GetWin(int32_t hand) const {
  if (hand == 0 || hand == 1) return m_WinAmount1;
  return hand == 2 ? m_WinAmount2 : TMoney();
}
void CBlackJackPlayerData::SetWin(int32_t hand, const TMoney& amount) {
  if (hand == 0 || hand == 1) m_WinAmount1 = amount;
  else if (hand == 2) m_WinAmount2 = amount;
}
int32_t CBlackJackPlayerData::GetWinCondition(int32_t hand) const {
  if (hand == 0 || hand == 1) return m_WinCondition1;
  return hand == 2 ? m_WinCondition2 : 0;
}

// ---- the round's money ----

int32_t CBlackJackPlayerData::CommitRestoredBet(const TMoney& stake) {
  if (!m_pTable || m_OldBet.GetError() || !(m_OldBet > TMoney())) return 0;
  m_pTable->PlayerProtectionSetBet(stake);
  char* message = nullptr;
  if (!m_pTable->PlayerProtectionValidateBet(message) || stake > m_pTable->GetSeatFreeMoney(m_Seat)) {
    m_pTable->PlayerProtectionResetBet();
    return 0;
  }
  m_pTable->PlayerProtectionCommitBet();
  m_Bet = m_OldBet;
  m_TotalStake = stake;
  m_BetPlaced = 1;
  return 1;
}

int32_t CBlackJackPlayerData::RestoreOldBet() { return CommitRestoredBet(m_OldBet); }

void CBlackJackPlayerData::SaveOldBet() {
  m_OldBet = m_Bet;
  m_TotalStake = m_Bet;
}

void CBlackJackPlayerData::Reset() {
  m_Bet = m_BetHand2 = m_ReportedBet = m_ReportedBetHand2 = TMoney();
  m_WinAmount1 = m_WinAmount2 = m_InsuranceStake = m_TotalStake = TMoney();
  m_WinCondition1 = m_WinCondition2 = 0;
  m_Insured = m_BetPlaced = m_Won = 0;
  m_DoneUnsplit = m_DoneHand1 = m_DoneHand2 = 0;
  m_Doubled1 = m_Doubled2 = 0;
  m_Split = 0;
  m_CurrentHand = KAVO_HAND_2;
  for (int32_t p : {m_Seat, m_PocketHand1, m_PocketHand2})
    if (CPocket* pocket = Pocket(p)) pocket->RemoveCards();
}

TMoney CBlackJackPlayerData::GetTotalStake(int32_t withInsurance) {
  m_TotalStake = m_Bet + m_BetHand2;
  if (withInsurance && m_Insured) m_TotalStake = m_TotalStake + m_Bet * (m_Doubled1 ? Quarter() : Half());
  return m_TotalStake;
}

TMoney CBlackJackPlayerData::GetTotalWin() { return m_WinAmount1 + m_WinAmount2; }

// ---- packet items ----

int32_t CBlackJackPlayerData::ReadMoneyItem(CCommNode* node, const char* name, TMoney& into) {
  TMoney value;
  CKCBL& record = node->m_RecvKCBL;
  if (!record.FirstItem() || !record.GetItem(name, KMONEY, &value, KEND) || !IsSoundAmount(value)) return 0;
  into = value;
  return 1;
}

int32_t CBlackJackPlayerData::ReadLongItem(CCommNode* node, const char* name, int32_t& into) {
  CKCBL& record = node->m_RecvKCBL;
  return record.FirstItem() && record.GetItem(name, KLONG, &into, KEND);
}

int32_t CBlackJackPlayerData::ReadWinItems(CCommNode* node, SWinItems& items) {
  if (!node || !ReadMoneyItem(node, KAVO_ITEM_WINAMOUNT, items.Win) ||
      !ReadLongItem(node, KAVO_ITEM_WINCONDITION, items.Condition) ||
      !ReadMoneyItem(node, KAVO_ITEM_BET, items.Bet) || !ReadMoneyItem(node, KAVO_ITEM_BETHAND2, items.BetHand2) ||
      !ReadLongItem(node, KAVO_ITEM_SPLIT, items.Split))
    return 0;
  return items.Split >= KAVO_HAND_UNSPLIT && items.Split <= KAVO_HAND_2;
}

void CBlackJackPlayerData::StoreWin(const SWinItems& items, int32_t& hand) {
  hand = items.Split == KAVO_HAND_2 ? KAVO_HAND_2 : KAVO_HAND_1;
  if (hand == KAVO_HAND_2) {
    m_WinAmount2 = items.Win;
    m_WinCondition2 = items.Condition;
  } else {
    m_WinAmount1 = items.Win;
    m_WinCondition1 = items.Condition;
  }
  m_ReportedBet = items.Bet;
  m_ReportedBetHand2 = items.BetHand2;
}

int32_t CBlackJackPlayerData::ReadWin(CCommNode* node, int32_t& hand) {
  SWinItems items;
  if (!ReadWinItems(node, items)) return 0;
  StoreWin(items, hand);
  return hand;
}

int32_t CBlackJackPlayerData::ReadTableInfo(CCommNode* node, int32_t& changed) {
  TMoney bet, betHand2;
  if (!node || !ReadMoneyItem(node, KAVO_ITEM_BET, bet) || !ReadMoneyItem(node, KAVO_ITEM_BETHAND2, betHand2))
    return 0;
  changed = bet != m_Bet || betHand2 != m_BetHand2 ? 1 : 0;
  m_Bet = bet;
  m_BetHand2 = betHand2;
  return 1;
}

int32_t CBlackJackPlayerData::WriteBet(CCommNode* node, int32_t finalFlag) {
  return node && node->NewItem(KAVO_ITEM_BET, KMONEY, &m_Bet, KEND) &&
         node->NewItem(KAVO_ITEM_FINALFLAG, KLONG, finalFlag, KEND);
}

int32_t CBlackJackPlayerData::ReadBust(CCommNode*) { return 1; }
