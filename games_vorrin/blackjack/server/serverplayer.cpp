#include "serverplayer.h"

#include <algorithm>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "handvalue.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"
#include "server/settlement.h"

namespace {
const CHugeFixedPoint<10, 10> kHalf("0.5");
}  // namespace

CBlackJackServerPlayer::CBlackJackServerPlayer() { Reset(); }

CBlackJackServerPlayer::~CBlackJackServerPlayer() = default;

void CBlackJackServerPlayer::Reset() {
  m_Bet = m_BetHand2 = m_TotalStake = m_InsuranceResult = m_InsuranceStake = m_RoundResult = TMoney();
  m_Doubled1 = m_Doubled2 = m_Split = m_FinalFlag = m_Count1 = m_Count2 = 0;
  m_Insured = m_InsuranceAnswered = m_Bust1 = m_Bust2 = 0;
  m_CurrentHand = KAVO_HAND_2;
  std::fill(std::begin(m_Cards1), std::end(m_Cards1), 0);
  std::fill(std::begin(m_Cards2), std::end(m_Cards2), 0);
  std::fill(std::begin(m_Booked), std::end(m_Booked), 0);
}

void CBlackJackServerPlayer::Attach(CBlackJackServerTable* table, int32_t seat) {
  m_pTable = table;
  m_Seat = seat;
}

int32_t CBlackJackServerPlayer::PlayerId() const {
  const CPlayerConnection* seat = m_pTable ? m_pTable->GetPlayerConnection(m_Seat) : nullptr;
  return seat ? seat->m_PlayerId : 0;
}

// ---- the hands ----

int32_t CBlackJackServerPlayer::AddCard(int32_t code) {
  int32_t& count = CurrentCount();
  if (count >= KAVO_MAX_CARDS || !KavoIsCard(code)) return 0;
  CurrentCards()[count++] = code;
  return 1;
}

int32_t CBlackJackServerPlayer::GetHandCard(int32_t index, int32_t hand2, int32_t raw) const {
  const int32_t count = hand2 ? m_Count2 : m_Count1;
  if (index < 1 || index > count) return -1;
  const int32_t code = (hand2 ? m_Cards2 : m_Cards1)[index - 1];
  return raw ? code : KavoCardRank(code);
}

void CBlackJackServerPlayer::GetTotals(int32_t& soft, int32_t& hard) const {
  GetHandValue(CurrentCards(), CurrentCount(), soft, hard);
}

int32_t CBlackJackServerPlayer::GetNumCards() const { return CurrentCount(); }

int32_t CBlackJackServerPlayer::IsNatural() const {
  int32_t soft = 0, hard = 0;
  GetTotals(soft, hard);
  return !m_Split && m_Count1 == 2 && soft == 21;
}

int32_t CBlackJackServerPlayer::IsTripleSeven() const {
  if (CurrentCount() != 3) return 0;
  const int32_t* cards = CurrentCards();
  for (int32_t i = 0; i < 3; ++i)
    if (KavoCardRank(cards[i]) != KAVO_RANK_SEVEN) return 0;
  return 1;
}

int32_t CBlackJackServerPlayer::CanDouble() const {
  if (CurrentCount() != 2) return 0;
  const std::vector<uint32_t>& sums = m_pTable->GetValidDoubleSums();
  if (sums.empty()) return 1;
  int32_t soft = 0, hard = 0;
  GetTotals(soft, hard);
  for (uint32_t sum : sums)
    if (sum == static_cast<uint32_t>(soft) || sum == static_cast<uint32_t>(hard)) return 1;
  return 0;
}

int32_t CBlackJackServerPlayer::CanSplit() const {
  return !m_Split && m_Count1 == 2 && KavoCardValue(m_Cards1[0]) == KavoCardValue(m_Cards1[1]);
}

int32_t CBlackJackServerPlayer::DoSplit() {
  m_Cards2[0] = m_Cards1[1];
  m_Cards1[1] = 0;
  m_Split = 1;
  m_Count1 = m_Count2 = 1;
  return KavoIsAce(m_Cards1[0]) && KavoIsAce(m_Cards2[0]);
}

void CBlackJackServerPlayer::MarkDoubled(int32_t hand) { (hand == KAVO_HAND_2 ? m_Doubled2 : m_Doubled1) = 1; }

void CBlackJackServerPlayer::MarkBust() { (m_Split && m_CurrentHand == KAVO_HAND_2 ? m_Bust2 : m_Bust1) = 1; }

int32_t CBlackJackServerPlayer::IsAllBust() const { return m_Split ? m_Bust1 && m_Bust2 : m_Bust1; }

void CBlackJackServerPlayer::DoubleHandBet() {
  TMoney& bet = m_Split && m_CurrentHand == KAVO_HAND_2 ? m_BetHand2 : m_Bet;
  bet = bet * 2;
  GetTotalStake();
}

void CBlackJackServerPlayer::ClearSettlementMarks() {
  m_Booked[KAVO_BOOKED_SETTLE1] = m_Booked[KAVO_BOOKED_SETTLE2] = 0;
  m_Booked[KAVO_BOOKED_BONUS1] = m_Booked[KAVO_BOOKED_BONUS2] = 0;
}

CBlackJackServerPlayer::TMoney CBlackJackServerPlayer::GetTotalStake() {
  m_TotalStake = m_Bet + m_BetHand2;
  if (m_Insured) m_TotalStake += m_InsuranceStake;
  return m_TotalStake;
}

// ---- money ----

int32_t CBlackJackServerPlayer::ReadFreeMoney(TMoney& free, int32_t otherSeatsOnly, const char* format) {
  free = TMoney();
  CStovaConn* db = m_pTable->GetStova();
  const int32_t player = PlayerId();
  TMoney balance;
  int32_t ok = 0;
  if (!db || player <= 0 || !db->GetUserCash(static_cast<uint32_t>(player), balance, ok) || !ok) {
    if (format) {
      xDrainStovaErrors(db, format);
    } else if (db) {
      c2stovaError error;
      while (db->GetLastStovaError(error)) continue;
    }
    return 0;
  }
  TMoney staked;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackServerPlayer* record = m_pTable->GetPlayer(seat);
    const CPlayerConnection* connection = m_pTable->GetPlayerConnection(seat);
    if (!record || !connection || connection->m_PlayerId != player) continue;
    if (otherSeatsOnly && seat == m_Seat) continue;
    const TMoney stake = record->GetTotalStake();
    if (!stake.IsNegative()) staked += stake;
  }
  free = balance - staked;
  return 1;
}

int32_t CBlackJackServerPlayer::BookSettlement(const TMoney& debit, const TMoney& credit) {
  CStovaConn* db = m_pTable->GetStova();
  int32_t ok = 0;
  const int32_t player = PlayerId();
  const int32_t done = db && player > 0 &&
                       db->DecIncUserCash(static_cast<uint32_t>(player), debit, KAVO_BOOKING_STAKE, credit,
                                          KAVO_BOOKING_WIN, ok);
  return xStovaCallOk(db, done, ok, "CBlackJackServerPlayer::Settle: stova call returned error:%s",
                      "CBlackJackServerPlayer::Settle: stova call returned false");
}

// ---- bets ----

int32_t CBlackJackServerPlayer::GetIncomingBets() {
  CKCBL& record = m_pTable->GetTableNode()->m_RecvKCBL;
  TMoney bet;
  int32_t finalFlag = 0;
  // Each item is looked for from the chunk's start, whatever order the client wrote them in.
  if (!record.FirstItem() || !record.GetItem(KAVO_ITEM_BET, KMONEY, &bet, KEND) || !record.FirstItem() ||
      !record.GetItem(KAVO_ITEM_FINALFLAG, KLONG, &finalFlag, KEND))
    return 0;
  return TakeBet(bet, finalFlag);
}

int32_t CBlackJackServerPlayer::TakeBet(const TMoney& bet, int32_t finalFlag) {
  finalFlag = finalFlag ? 1 : 0;
  TMoney free;
  if (!ReadFreeMoney(free, 1, "CBlackJackServerPlayer::GetIncomingBets: stova call returned error:%s")) return 0;
  const char* message = nullptr;
  const bool valid = !bet.GetError() && !bet.IsNegative();
  if (valid && m_LimitCheck.Check(bet, free, TMoney(), m_pTable->GetMaxTable(), finalFlag, message)) {
    m_Bet = bet;
    m_FinalFlag = finalFlag;
    GetTotalStake();
    m_pTable->SetBetFlag(m_Seat, finalFlag);
    return SendTableInfo(1, 1);
  }
  m_Bet = TMoney();
  m_FinalFlag = 0;
  GetTotalStake();
  m_pTable->SetBetFlag(m_Seat, 0);
  return SendTableInfo(1, 0);
}

int32_t CBlackJackServerPlayer::AddTableInfoItems(CCommNode* node, int32_t successFlag) {
  return node->NewItem(KAVO_ITEM_SUCCESSFLAG, KLONG, successFlag, KEND) &&
         node->NewItem(KAVO_ITEM_BET, KMONEY, &m_Bet, KEND) && node->NewItem(KAVO_ITEM_BETHAND2, KMONEY, &m_BetHand2, KEND);
}

int32_t CBlackJackServerPlayer::SendTableInfo(int32_t send, int32_t successFlag) {
  CCommNode* node = m_pTable->GetTableNode();
  if (send == 1 && !node->SendInit()) return 0;
  if (!CTableBase::SendEnterPlayerData(node, m_Seat, PlayerId(), KAVO_MSG_TABLEINFO) ||
      !AddTableInfoItems(node, successFlag) || !CTableBase::SendExitPlayerData(node))
    return 0;
  return send == 1 ? node->SendKCBLPacket() : 1;
}

// ---- insurance ----

int32_t CBlackJackServerPlayer::SetInsurance(int32_t wanted) {
  m_InsuranceAnswered = 1;
  TMoney free;
  ReadFreeMoney(free, 0, nullptr);
  const TMoney stake = m_Bet * kHalf;
  m_Insured = wanted && free >= stake ? wanted : 0;
  m_InsuranceStake = m_Insured ? stake : TMoney();
  GetTotalStake();
  return m_Insured;
}

void CBlackJackServerPlayer::ResolveInsurance(int32_t pays) {
  if (!m_InsuranceAnswered || !m_Insured) return;
  m_InsuranceResult = pays ? m_Bet : -m_InsuranceStake;
}

// ---- settlement ----

int32_t CBlackJackServerPlayer::Settle(int32_t dealerSoft, int32_t dealerHard, int32_t dealerCount) {
  int32_t soft = 0, hard = 0;
  GetTotals(soft, hard);
  const SKavoHandTotal player = KavoNormaliseTotal(soft, hard, CurrentCount(), m_Split);
  const SKavoHandTotal dealer = KavoNormaliseTotal(dealerSoft, dealerHard, dealerCount, 0);
  const int32_t hand = GetHandNumber();
  const TMoney bet = GetHandBet();
  const SKavoOutcome outcome = KavoSettleHand(player, dealer, bet);
  // A side bet rides with this chunk: its stake joins the debit and the chunk's bet, a win and
  // the returned stake the credit.
  TMoney sideStake, sideWin;
  SideBetOfChunk(hand, sideStake, sideWin);

  int32_t& booked = m_Booked[hand == KAVO_HAND_2 ? KAVO_BOOKED_SETTLE2 : KAVO_BOOKED_SETTLE1];
  if (!booked) {
    TMoney debit = bet + sideStake, credit;
    if (outcome.m_Gross > 0) credit = outcome.m_Gross;
    if (sideWin > 0) credit += sideWin + sideStake;
    if (m_InsuranceResult.IsNegative()) debit -= m_InsuranceResult;
    else if (m_InsuranceResult > 0) credit += m_InsuranceResult;
    if (!BookSettlement(debit, credit)) return 0;
    booked = 1;
    // The insurance went with this hand's booking.
    m_InsuranceResult = TMoney();
  }
  const TMoney net = KavoNetWin(outcome, bet);
  m_RoundResult += net + sideWin;
  if (sideStake > 0 && !(sideWin > 0)) m_RoundResult -= sideStake;
  m_pTable->AddSettledCards(CurrentCount());
  return AddWinChunk(net, outcome.m_Condition, bet + sideStake, hand, sideWin);
}

void CBlackJackServerPlayer::SideBetOfChunk(int32_t, TMoney& stake, TMoney& win) {
  stake = TMoney();
  win = TMoney();
}

int32_t CBlackJackServerPlayer::AddSideBetWin(const TMoney&) { return 1; }

int32_t CBlackJackServerPlayer::AddWinChunk(const TMoney& net, int32_t condition, const TMoney& bet, int32_t hand,
                                            const TMoney& sideWin) {
  CCommNode* node = m_pTable->GetTableNode();
  return CTableBase::SendEnterPlayerData(node, m_Seat, PlayerId(), KAVO_MSG_PLAYERWIN) &&
         node->NewItem(KAVO_ITEM_WINAMOUNT, KMONEY, &net, KEND) &&
         node->NewItem(KAVO_ITEM_WINCONDITION, KLONG, condition, KEND) &&
         node->NewItem(KAVO_ITEM_BET, KMONEY, &bet, KEND) &&
         node->NewItem(KAVO_ITEM_BETHAND2, KMONEY, &m_BetHand2, KEND) &&
         node->NewItem(KAVO_ITEM_SPLIT, KLONG, hand, KEND) && AddSideBetWin(sideWin) &&
         CTableBase::SendExitPlayerData(node);
}

int32_t CBlackJackServerPlayer::PayTripleSeven() {
  const int32_t hand = GetHandNumber();
  const TMoney bonus = GetHandBet();
  m_RoundResult += bonus;
  int32_t& booked = m_Booked[hand == KAVO_HAND_2 ? KAVO_BOOKED_BONUS2 : KAVO_BOOKED_BONUS1];
  if (bonus > 0 && !booked) {
    CStovaConn* db = m_pTable->GetStova();
    const int32_t player = PlayerId();
    int32_t ok = 0;
    const int32_t type = hand == KAVO_HAND_2 ? KAVO_BOOKING_BONUS_HAND2 : KAVO_BOOKING_WIN;
    const int32_t done = db && player > 0 && db->IncUserCash(static_cast<uint32_t>(player), bonus, type, ok, 1);
    if (!xStovaCallOk(db, done, ok, "CBlackJackServerPlayer::TripleSeven: stova call returned error:%s",
                      "CBlackJackServerPlayer::TripleSeven: stova call returned false"))
      return 0;
    booked = 1;
  }
  CCommNode* node = m_pTable->GetTableNode();
  return node->SendInit() && CTableBase::SendEnterPlayerData(node, m_Seat, PlayerId(), KAVO_MSG_PLAYERWIN) &&
         node->NewItem(KAVO_ITEM_WINAMOUNT, KMONEY, &bonus, KEND) &&
         node->NewItem(KAVO_ITEM_SPLIT, KLONG, hand, KEND) && CTableBase::SendExitPlayerData(node) &&
         node->SendKCBLPacket();
}

int32_t CBlackJackServerPlayer::AddBustData(CCommNode*) { return 1; }

// ---- saving ----

int32_t CBlackJackServerPlayer::SaveState(CServerTableBase& store) {
  GetTotalStake();
  store.SSAddMoney(m_Bet);
  store.SSAddMoney(m_BetHand2);
  store.SSAddMoney(m_TotalStake);
  for (int32_t value : {m_Split, m_CurrentHand, m_Seat, m_FinalFlag, m_Count1, m_Count2, m_Insured, m_InsuranceAnswered})
    store.SSAddLong(static_cast<uint32_t>(value));
  store.SSAddMoney(m_InsuranceResult);
  store.SSAddMoney(m_InsuranceStake);
  for (int32_t i = 0; i < KAVO_MAX_CARDS; ++i) {
    store.SSAddLong(static_cast<uint32_t>(m_Cards1[i]));
    store.SSAddLong(static_cast<uint32_t>(m_Cards2[i]));
  }
  for (int32_t booked : m_Booked) store.SSAddLong(static_cast<uint32_t>(booked));
  // A forfeited hand is bust below 22, so the marks are kept as they are.
  store.SSAddLong(static_cast<uint32_t>(m_Bust1));
  store.SSAddLong(static_cast<uint32_t>(m_Bust2));
  return store.SSAddFailed() ? 0 : 1;
}

int32_t CBlackJackServerPlayer::RestoreState(CServerTableBase& store) {
  Reset();
  m_Bet = store.SSGetMoney();
  m_BetHand2 = store.SSGetMoney();
  const TMoney totalStake = store.SSGetMoney();  // derived; read past
  int32_t seat = 0;
  for (int32_t* value : {&m_Split, &m_CurrentHand, &seat, &m_FinalFlag, &m_Count1, &m_Count2, &m_Insured,
                         &m_InsuranceAnswered})
    *value = store.SSGetLong();
  m_InsuranceResult = store.SSGetMoney();
  m_InsuranceStake = store.SSGetMoney();
  for (int32_t i = 0; i < KAVO_MAX_CARDS; ++i) {
    m_Cards1[i] = store.SSGetLong();
    m_Cards2[i] = store.SSGetLong();
  }
  for (int32_t& booked : m_Booked) booked = store.SSGetLong() > 0 ? 1 : 0;
  m_Bust1 = store.SSGetLong() ? 1 : 0;
  m_Bust2 = store.SSGetLong() ? 1 : 0;
  const auto cardsValid = [](const int32_t* cards, int32_t count) {
    if (count < 0 || count > KAVO_MAX_CARDS) return false;
    for (int32_t i = 0; i < count; ++i)
      if (!KavoIsCard(cards[i])) return false;
    return true;
  };
  const bool moneyBad = m_Bet.GetError() || m_BetHand2.GetError() || totalStake.GetError() || m_InsuranceResult.GetError() ||
                       m_InsuranceStake.GetError() || m_InsuranceStake.IsNegative();
  if (store.SSIsShort() || moneyBad || seat != m_Seat || !cardsValid(m_Cards1, m_Count1) ||
      !cardsValid(m_Cards2, m_Count2) || (m_CurrentHand != KAVO_HAND_1 && m_CurrentHand != KAVO_HAND_2)) {
    Reset();
    return 0;
  }
  m_Split = m_Split ? 1 : 0;
  m_FinalFlag = m_FinalFlag ? 1 : 0;
  if (!m_Insured) m_InsuranceStake = TMoney();
  m_Bust2 = m_Split ? m_Bust2 : 0;
  return 1;
}
