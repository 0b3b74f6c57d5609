// The client's side of the round: what each "ChangeGameState" of the server table asks of it,
// the cards it deals into the scene as the server sent them, and the hand-value texts.
#include <cstdio>
#include <cstdlib>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/info/translate.h"
#include "common/widgets/arrow.h"
#include "fennic/move.h"
#include "fennic/object.h"
#include "fennic/pocket.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrelcomm/commnode.h"
#include "spothighlight.h"

namespace {
constexpr int32_t kSampleHoleCard = 1;
constexpr int32_t kSampleNetWin = 2;
constexpr int32_t kSampleInsuranceOffer = 8;
constexpr int32_t kSampleReveal = 12;
constexpr int32_t kStrPlayerWins = 10214;
constexpr const char* kPlayerWinsDefault = "Player Wins:";

// The value texts: 159 + seat unsplit, 165 + seat and 170 + seat for the split hands, 164 the dealer.
constexpr int32_t kValueUnsplit = 159, kValueDealer = 164, kValueHand1 = 165, kValueHand2 = 170;

// The bet in whole units, as the chip operations count it.
int32_t WholeUnits(const CBlackJackClientTable::TMoney& amount) {
  const long units = std::strtol(amount.GetString(), nullptr, 10);
  return units > INT32_MAX ? INT32_MAX : units < INT32_MIN ? INT32_MIN : static_cast<int32_t>(units);
}
}  // namespace

int32_t CBlackJackClientTable::GameStateHandler() {
  const int32_t state = GetGameState();
  // States without a record of their own act once on arrival; the others read their record on
  // each pass until it has come.
  const bool fresh = state != m_HandledState;
  m_HandledState = state;
  switch (state) {
    case KAVO_GS_DEALSTART:
      if (!fresh) break;
      return StateNewRound();
    case KAVO_GS_CARD: return StateCard();
    case KAVO_GS_FIRSTPASSDONE:
      if (!fresh) break;
      return StateFirstPassDone();
    case KAVO_GS_TURN: return StateTurn();
    case KAVO_GS_WAITACTION: return DecisionTime();
    case KAVO_GS_SETTLE: return StateSettle();
    case KAVO_GS_NATURAL: return StateNatural();
    case KAVO_GS_SPLIT: return StateSplit();
    case KAVO_GS_DOUBLE: return StateDouble();
    case KAVO_GS_TIMEOUT: return StateTimeOut();
    case KAVO_GS_WAITINSURANCE: return StateInsuranceOffer();
    case KAVO_GS_INSURANCERESOLVED: return StateInsuranceResolved();
    case KAVO_GS_PEEK: return StatePeek();
    case KAVO_GS_BUST: return StateBust();
    case KAVO_GS_NOSETTLE:
      if (!fresh) break;
      m_ClearMode = 2;
      StartAnimation(14);
      break;
    case KAVO_GS_INSURANCEOFFER:
      if (!fresh) break;
      m_InsuranceOffered = 1;
      break;
    case KAVO_GS_TRIPLESEVEN: return StateBonus();
    default: return 1;
  }
  DropWaitingRecord();
  return 1;
}

// ---- the states ----

int32_t CBlackJackClientTable::StateNewRound() {
  SetProgress(0);
  int32_t seats[KAVO_NUM_SEATS] = {};
  int32_t last = -1;
  if (OwnSeats(seats))
    for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s)
      if (seats[s]) last = s;
  if (last >= 0 && last != m_ViewIndex) {
    m_ViewIndex = last;
    if (!SetCameraView(last)) return 0;
  }
  if (m_pPanel) {
    m_pPanel->DisableChipButtons();
    m_pPanel->SwitchScrollAndBet(0);
  }
  if (m_pSpotHighlight) {
    for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) m_pSpotHighlight->Hide(s, nullptr);
    m_pSpotHighlight->SetSelected(-1);
  }
  m_SpotLit = 0;
  m_HitStandEnabled = m_SplitEnabled = m_DoubleEnabled = 0;
  m_ActionSent = m_SplitSeen = m_DoubleSeen = m_BustSeen = 0;
  m_DealtToDealer = m_HoleCardDealt = m_HoleCardLanding = m_ShowHoleCard = 0;
  m_BustHand = 0;
  m_InsuranceResultRead = 0;
  m_ClearMode = 0;
  for (int32_t& answered : m_InsuranceAnswered) answered = 0;
  m_InsuranceOffered = m_InsuranceRoundDone = 0;
  m_InsurancePays = 0;
  m_InsuranceDealerCard = -1;
  m_ScannedCard = -1;
  m_PendingAction = KAVO_ACTION_NONE;
  m_TurnSeat = GetNumSlots();
  DisableActionButtons();
  m_LastValueCtrl = -1;
  m_LastValueTotal = -1;
  DropWaitingRecord();
  return 1;
}

int32_t CBlackJackClientTable::StateCard() {
  int32_t card = -1, seat = -1, hand = 0, received = 0;
  if (!RecvCard(card, seat, hand, received)) return 0;
  if (NothingCame(received)) return 1;
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return 0;
  if (hand != KAVO_HAND_UNSPLIT) record->SetCurrentHand(hand);
  if (m_pArrow) m_pArrow->StopArrow();
  return DealCard(card, seat);
}

int32_t CBlackJackClientTable::StateFirstPassDone() {
  DropWaitingRecord();
  if (m_HoleCardDealt) return 1;
  DisableActionButtons();
  return DealHoleCard();
}

int32_t CBlackJackClientTable::StateTurn() {
  int32_t seat = -1, hand = 0, received = 0;
  if (!RecvTurn(seat, hand, received)) return 0;
  if (NothingCame(received)) return 1;
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || seat >= GetNumSlots()) return 0;
  if (hand != KAVO_HAND_UNSPLIT) record->SetCurrentHand(hand);
  m_TurnSeat = seat;
  m_HitStandEnabled = m_SplitEnabled = m_DoubleEnabled = 0;
  m_ActionSent = m_SplitSeen = m_DoubleSeen = m_BustSeen = 0;
  ShowSeatHandValue(seat);
  if (m_pArrow) {
    m_pArrow->StartArrow(record->IsSplit() && hand == KAVO_HAND_2 ? GetNumSlots() + seat : seat);
    int32_t soft = 0, hard = 0;
    record->GetHandTotals(soft, hard);
    if (soft == 21 || hard == 21 || hard > 21) m_pArrow->StopArrow();
  }
  if (IsOwnSeat(seat)) {
    LightSpot(seat);
    SlideActionDialog(1);
  } else {
    LightSpot(-1);
    SlideActionDialog(0);
  }
  return 1;
}

int32_t CBlackJackClientTable::StateSettle() {
  int32_t received = 0;
  if (!RecvPlayerWinProtection(received)) return 0;
  if (NothingCame(received)) return 1;
  for (int32_t s = 0; s <= GetNumSlots(); ++s)
    if (CBlackJackPlayerData* record = GetPlayerRecord(s)) record->SetCurrentHand(KAVO_HAND_1);
  const int32_t own = GetIndex();
  if (own >= 0) {
    const TMoney amount = PlayerTotalReturn(own);
    if (amount > TMoney()) {
      const char* label = MainString(kStrPlayerWins);
      char line[160];
      std::snprintf(line, sizeof line, "%s ", label && *label ? label : kPlayerWinsDefault);
      const CTranslate plain;
      (m_pCurrency ? *m_pCurrency : plain).CreateCurrStr(line, "%6.2f", amount);
      m_Scroll.AddMessage(line);
    }
    if (PlayerNetWin(own)) PlaySample(kSampleNetWin);
  }
  StartAnimation(2);
  return 1;
}

int32_t CBlackJackClientTable::StateNatural() {
  int32_t received = 0;
  if (!RecvPlayerWinProtection(received)) return 0;
  if (!NothingCame(received)) StartAnimation(3);
  return 1;
}

int32_t CBlackJackClientTable::StateSplit() {
  if (m_SplitSeen) {
    DropWaitingRecord();
    return 1;
  }
  int32_t seat = -1, received = 0;
  if (!RecvSplit(seat, received)) return 0;
  if (NothingCame(received)) return 1;
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || seat >= GetNumSlots()) return 0;
  m_SplitSeen = 1;
  CRect area;
  CPocket* seatPocket = m_CardTable.GetPocket(seat);
  const bool hasArea = seatPocket && seatPocket->GetTotalClip(&area);
  // The two cards leave their place: their picture goes before the neighbours are drawn over it.
  if (hasArea) {
    CRect grown = area;
    grown.Inflate(2, 2);
    DrawPictureOver(grown);
  }
  RedrawOtherHands(seat, hasArea ? &area : nullptr);
  record->DoSplit();
  ChangeBet(WholeUnits(record->GetBet(KAVO_HAND_1)), seat, 0);
  UpdateChipStacks(seat, 0);
  for (int32_t p : {record->GetPocketHand1(), record->GetPocketHand2()}) {
    CPocket* pocket = m_CardTable.GetPocket(p);
    CObject* object = nullptr;
    if (pocket && pocket->GetCard(object, 0) >= 0) PlayMove(pocket->GetMove(0), object);
  }
  StartAnimation(1);
  return 1;
}

int32_t CBlackJackClientTable::StateDouble() {
  if (m_DoubleSeen) {
    DropWaitingRecord();
    return 1;
  }
  int32_t seat = -1, received = 0;
  if (!RecvDouble(seat, received)) return 0;
  if (NothingCame(received)) return 1;
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || seat >= GetNumSlots()) return 0;
  m_DoubleSeen = 1;
  record->MarkDoubled();
  m_DoubleEnabled = 1;
  ChangeBet(WholeUnits(record->GetBet(record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_1)), seat, 0);
  return 1;
}

int32_t CBlackJackClientTable::StateInsuranceResolved() {
  // The result is taken as it comes (a record left waiting is dropped by the framework), and
  // shown once the offer's sample has stopped.
  if (m_InsuranceResultRead == 2) {
    DropWaitingRecord();
    return 1;
  }
  if (!m_InsuranceResultRead) {
    int32_t received = 0;
    if (!RecvInsuranceResult(received)) return 0;
    if (NothingCame(received)) return 1;
    m_InsuranceResultRead = 1;
  }
  if (m_pSamples && m_pSamples->IsPlaying(kSampleInsuranceOffer)) return 1;
  m_InsuranceResultRead = 2;
  SetProgress(0);
  if (IsReconnecting()) HideAllInsuranceWindows();
  StartAnimation(6);
  PlaySample(kSampleReveal);
  return 1;
}

int32_t CBlackJackClientTable::StatePeek() {
  int32_t card = -1, received = 0;
  if (!RecvScanCard(card, received)) return 0;
  if (NothingCame(received)) return 1;
  m_ScannedCard = card;
  StartAnimation(7);
  PlaySample(kSampleReveal);
  return 1;
}

int32_t CBlackJackClientTable::StateBust() {
  if (m_BustSeen) {
    DropWaitingRecord();
    return 1;
  }
  int32_t seat = -1, received = 0;
  if (!RecvBust(seat, received)) return 0;
  if (NothingCame(received)) return 1;
  m_BustSeen = 1;
  CBlackJackPlayerData* record = GetPlayerRecord(m_TurnSeat < GetNumSlots() ? m_TurnSeat : seat);
  if (!record) return 0;
  m_BustHand = record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_UNSPLIT;
  record->MarkDone();
  m_ClearMode = 3;
  StartAnimation(15);
  LightSpot(-1);
  return 1;
}

int32_t CBlackJackClientTable::StateBonus() {
  int32_t received = 0;
  if (!RecvPlayerWin(received)) return 0;
  if (!NothingCame(received)) StartAnimation(21);
  return 1;
}

// ---- dealing ----

int32_t CBlackJackClientTable::DealCard(int32_t card, int32_t seat) {
  const int32_t dealer = GetNumSlots();
  if (seat == dealer && card == -1) return DealHoleCard();
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return 0;
  // The first pass's end comes with the next state in one frame when the framework takes both
  // at once: the face-down card is then dealt before the second pass's first card.
  const bool secondPass = seat < dealer ? record->GetNumCards() == 1 && !m_SplitSeen : record->GetNumCards() == 0;
  if (secondPass && !m_HoleCardDealt) DealHoleCard();
  if (seat == dealer) {
    if (record->GetNumCards() == 1) TurnHoleCardOver();
  } else {
    m_DealtToDealer = 0;
    if (record->GetNumCards() == 1 && !m_SplitSeen) m_TurnSeat = dealer;
  }
  // The card lands where the pocket keeps it: the dealer's turned hole card is dealt to the
  // second place (its list 1), not turned where it lay, so the hand draws again as dealt.
  if (!record->AddCard(card) || !record->AnimateCard(0)) return 0;
  StartAnimation(1);
  if (seat == dealer) m_DealtToDealer = 1;
  return 1;
}

int32_t CBlackJackClientTable::DealHoleCard() {
  m_HoleCardDealt = 1;
  CPocket* pocket = m_CardTable.GetPocket(GetNumSlots());
  C3DMoveList* list = pocket ? pocket->GetMove(GetMaxCardsInPocket()) : nullptr;
  CObject* object = GetHoleCardObject();
  if (list && object && PlayMove(list, object)) {
    m_HoleCardLanding = 1;
    StartAnimation(1);
  }
  PlaySample(kSampleHoleCard);
  return 1;
}

void CBlackJackClientTable::TurnHoleCardOver() {
  EraseDealerPlaceholder();
  if (CBlackJackPlayerData* dealer = GetPlayerRecord(GetNumSlots())) dealer->DrawHand();
  m_ShowHoleCard = 1;
  SlideActionDialog(0);
}

CObject* CBlackJackClientTable::GetHoleCardObject() {
  if (!m_pShoeCard) {
    // The back on both sides: the card shows nothing until the dealer's own card replaces it.
    m_pShoeCard = m_CardTable.GetCardObj(-1, 0, 0, 0, 1, 1);
    if (m_pShoeCard) m_CardTable.SizeCard(m_pShoeCard);
  }
  return m_pShoeCard;
}

int32_t CBlackJackClientTable::PlayMove(C3DMoveList* list, CObject* object) {
  if (!list || !object) return 0;
  return IsReconnecting() ? m_CardTable.DrawLastFrame(list, object) : m_CardTable.StartAnim(list, object);
}

// ---- hand values ----

void CBlackJackClientTable::ShowSeatHandValue(int32_t seat) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return;
  const int32_t dealer = GetNumSlots();
  int32_t control = kValueDealer;
  if (seat < dealer) {
    control = kValueUnsplit + seat;
    if (record->IsSplit()) {
      control = (record->GetCurrentHand() == KAVO_HAND_2 ? kValueHand2 : kValueHand1) + seat;
      SetTextBuffer(&m_MainDialog, kValueUnsplit + seat, "");
    }
  }
  // The hand left behind keeps its total as a plain number, unless it ended on 21 or more.
  if (control != m_LastValueCtrl && m_LastValueTotal < 21 && !m_SplitSeen && m_LastValueCtrl != -1 &&
      m_LastValueCtrl != kValueDealer) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(m_LastValueTotal));
    SetTextBuffer(&m_MainDialog, m_LastValueCtrl, text);
  }
  if (control == kValueDealer) FollowDealerCards(record->GetNumCards());
  int32_t soft = 0, hard = 0;
  record->GetHandTotals(soft, hard);
  ShowHandValue(soft, hard, control, record->GetNumCards(), record->IsSplit(), record->IsDoubled());
  m_LastValueCtrl = control;
  m_LastValueTotal = soft;
}

void CBlackJackClientTable::FollowDealerCards(int32_t cards) {
  CControlBase* text = m_MainDialog.GetCtrl(kValueDealer);
  if (!text) return;
  // The dealer's cards lie one offset further apart each on the felt; the text keeps its distance
  // from the last of them as it had from the first.
  const double* at = &m_Layout.DeckPos[2 * KAVO_DEALER];
  const double* step = &m_Layout.DeckOffset[2 * KAVO_DEALER];
  const int32_t further = cards > 1 ? cards - 1 : 0;
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int32_t dx = 0, dy = 0;
  if (further && m_CardTable.ProjectPoint2Screen(at[0], m_Layout.TableY, at[1], x0, y0) &&
      m_CardTable.ProjectPoint2Screen(at[0] + further * step[0], m_Layout.TableY, at[1] + further * step[1], x1, y1)) {
    dx = x1 / 2 - x0 / 2;
    dy = y1 / 2 - y0 / 2;
  }
  int32_t x = 0, y = 0;
  text->GetPos(x, y);
  const int32_t wantX = m_DealerValuePos[0] + dx, wantY = m_DealerValuePos[1] + dy;
  if (x == wantX && y == wantY) return;
  text->Validate();  // the old place is drawn again without it
  text->SetPos(wantX, wantY);
  text->Validate();
}
