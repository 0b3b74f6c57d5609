// Insurance under the dealer's ace and the peek under a ten: the offer windows of the player's
// seats, the answers sent and the server's echo of them, the result paid through player
// protection, and the card the dealer scanned.
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrelcomm/commnode.h"

namespace {
constexpr int32_t kSampleInsuranceOffer = 8;
constexpr int32_t kInsuranceTakeButton = 208;

bool IsSeat(int32_t seat) { return seat >= 0 && seat < KAVO_NUM_SEATS; }

// A top-level long of the node's received record.
bool TopLong(CKCBL& record, const char* name, int32_t& value) {
  record.MainChunk();
  record.FirstItem();
  return record.GetItem(name, KLONG, &value, KEND) != 0;
}
}  // namespace

CBlackJackClientTable::TMoney CBlackJackClientTable::InsuranceStake(int32_t seat) const {
  const CBlackJackPlayerData* record = GetPlayerRecord(seat);
  return record && IsSeat(seat) ? record->GetBet(KAVO_HAND_1) * TMoney("0.5") : TMoney();
}

int32_t CBlackJackClientTable::CanAffordInsurance(int32_t seat) const {
  return IsSeat(seat) && !(GetSeatMoney(seat) < PlayerTotalBet(seat) + InsuranceStake(seat));
}

void CBlackJackClientTable::ShowInsuranceWindow(int32_t seat, int32_t show) {
  if (!IsSeat(seat)) return;
  m_InsuranceDlgShown[seat] = show;
  CDialog* window = m_pInsuranceDlg[seat];
  if (!window) return;
  if (show) {
    window->ShowWindow();
    if (CControlBase* take = window->GetCtrl(kInsuranceTakeButton)) take->SetState(XGUI_RELEASED);
  } else {
    window->HideWindow();
  }
}

void CBlackJackClientTable::HideAllInsuranceWindows() {
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) ShowInsuranceWindow(s, 0);
}

// ---- state 11 ----

int32_t CBlackJackClientTable::StateInsuranceOffer() {
  if (!ReadInsuranceAnswers()) return 0;
  if (!m_InsuranceRoundDone && !m_InsuranceOffered) OfferInsurance();
  int32_t seats[KAVO_NUM_SEATS] = {};
  OwnSeats(seats);
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
    if (!seats[s] || !m_pInsuranceDlg[s]) continue;
    if (!CanAffordInsurance(s))
      if (CControlBase* take = m_pInsuranceDlg[s]->GetCtrl(kInsuranceTakeButton)) take->SetState(XGUI_DISABLED);
  }
  const int32_t left = TimeLeft();
  if (left >= 0) ShowTimeLeft(left);
  if (left < 1 && !m_InsuranceRoundDone) return InsuranceTimedOut();
  return 1;
}

int32_t CBlackJackClientTable::ReadInsuranceAnswers() {
  for (;;) {
    int32_t seat = -1, take = 0, received = 0;
    if (!RecvInsuranceAnswer(seat, take, received)) return 0;
    if (!received) break;
    CBlackJackPlayerData* record = GetPlayerRecord(seat);
    if (!record) return 0;
    // Only the server's answer insures a seat: it may have refused what was asked.
    record->SetInsured(take ? 1 : 0);
    if (take) ShowInsuranceChips(seat, InsuranceStake(seat));
    ShowInsuranceWindow(seat, 0);
    m_InsuranceAnswered[seat] = 1;
  }
  DropWaitingRecord();
  return 1;
}

void CBlackJackClientTable::OfferInsurance() {
  int32_t seats[KAVO_NUM_SEATS] = {};
  OwnSeats(seats);
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s)
    if (seats[s] && !m_InsuranceAnswered[s] && InsuranceStake(s) > TMoney()) ShowInsuranceWindow(s, 1);
  m_InsuranceOffered = 1;
  PlaySample(kSampleInsuranceOffer);
}

int32_t CBlackJackClientTable::InsuranceTimedOut() {
  int32_t seats[KAVO_NUM_SEATS] = {};
  OwnSeats(seats);
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s)
    if (seats[s] && !m_InsuranceAnswered[s] && InsuranceStake(s) > TMoney() && !SendInsurance(s, 0)) return 0;
  m_InsuranceOffered = 0;
  m_InsuranceRoundDone = 1;
  return 1;
}

int32_t CBlackJackClientTable::SendInsurance(int32_t seat, int32_t take) {
  const CPlayerConnection* holder = GetPlayerConnection(seat);
  CCommNode* node = m_pTableNode;
  if (!IsSeat(seat) || !holder || !node) return 0;
  take = take ? 1 : 0;
  if (take && !StageStake(InsuranceStake(seat))) return 1;
  const int32_t sent = node->SendInit() &&
                       SendEnterPrivatePlayerData(node, seat, holder->GetPlayerId(), KAVO_MSG_INSURANCE) &&
                       node->NewItem(KAVO_ITEM_INSURANCE, KLONG, take, KEND) && SendExitPrivatePlayerData(node) &&
                       node->SendKCBLPacket();
  if (!sent) {
    PlayerProtectionResetBet();
    return 0;
  }
  if (take) {
    PlayerProtectionCommitBet();
    UpdateBetTexts();
  }
  m_InsuranceAnswered[seat] = 1;
  ShowInsuranceWindow(seat, 0);
  return 1;
}

// ---- readers ----

int32_t CBlackJackClientTable::ParseInsuranceAnswer(CKCBL& record, int32_t& seat, int32_t& take) {
  int32_t slot = -1, answer = 0;
  if (!TopLong(record, KAVO_ITEM_SLOT, slot) || !TopLong(record, KAVO_ITEM_INSURANCE, answer) || !IsSeat(slot)) return 0;
  seat = slot;
  take = answer;
  return 1;
}

int32_t CBlackJackClientTable::ParseInsuranceResult(CCommNode* node, SInsuranceResult& result) {
  CKCBL& record = node->m_RecvKCBL;
  SInsuranceResult read;
  record.MainChunk();
  record.FirstItem();
  for (int32_t chunks = 0;; ++chunks) {
    int32_t seat = -1, playerId = 0;
    if (!RecvEnterPlayerData(node, seat, playerId, KAVO_MSG_INSURANCEWIN)) return 0;
    if (seat == -1) break;
    TMoney amount;
    const bool ok = chunks < KAVO_NUM_SEATS && IsSeat(seat) && !read.Listed[seat] && record.FirstItem() &&
                    record.GetItem(KAVO_ITEM_WINAMOUNT, KMONEY, &amount, KEND) && !amount.GetError() &&
                    !amount.IsNegative();
    RecvExitPlayerData(node);
    if (!ok) return 0;
    read.Wins[seat] = amount;
    read.Listed[seat] = 1;
  }
  if (!TopLong(record, KAVO_ITEM_PAYS, read.Pays)) return 0;
  if (read.Pays && (!TopLong(record, KAVO_ITEM_CARD, read.Card) || !KavoIsCard(read.Card))) return 0;
  read.Pays = read.Pays ? 1 : 0;
  result = read;
  return 1;
}

int32_t CBlackJackClientTable::ParseScanCard(CKCBL& record, int32_t& card) {
  int32_t code = -2;
  if (!TopLong(record, KAVO_MSG_SCANCARD, code) || !(code == -1 || KavoIsCard(code))) return 0;
  card = code;
  return 1;
}

int32_t CBlackJackClientTable::RecvInsuranceAnswer(int32_t& seat, int32_t& take, int32_t& received) {
  received = 0;
  const int32_t taken = TakeWaitingRecord(KAVO_ITEM_SLOT);
  if (taken <= 0) return taken < 0 ? 1 : 0;
  const int32_t ok = ParseInsuranceAnswer(m_pTableNode->m_RecvKCBL, seat, take);
  m_pTableNode->RecvKCBLFree();
  received = ok;
  return ok;
}

int32_t CBlackJackClientTable::RecvInsuranceResult(int32_t& received) {
  received = 0;
  const int32_t taken = TakeWaitingRecord(KAVO_ITEM_PAYS);
  if (taken <= 0) return taken < 0 ? 1 : 0;
  SInsuranceResult result;
  const int32_t ok = ParseInsuranceResult(m_pTableNode, result);
  m_pTableNode->RecvKCBLFree();
  if (!ok) return 0;
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
    CBlackJackPlayerData* record = GetPlayerRecord(s);
    if (!result.Listed[s] || !record) continue;
    record->SetInsuranceStake(result.Wins[s]);
    if (IsOwnSeat(s)) PlayerProtectionSetWin(PlayerProtectionGetWin() + result.Wins[s]);
  }
  m_InsurancePays = result.Pays;
  if (result.Pays) {
    PlayerProtectionCommitWin();
    m_InsuranceDealerCard = result.Card;
    m_ShowHoleCard = 1;
  }
  PlayerProtectionResetWin();
  received = 1;
  return 1;
}

int32_t CBlackJackClientTable::RecvScanCard(int32_t& card, int32_t& received) {
  received = 0;
  const int32_t taken = TakeWaitingRecord(KAVO_MSG_SCANCARD);
  if (taken <= 0) return taken < 0 ? 1 : 0;
  const int32_t ok = ParseScanCard(m_pTableNode->m_RecvKCBL, card);
  m_pTableNode->RecvKCBLFree();
  received = ok;
  return ok;
}
