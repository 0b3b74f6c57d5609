// What the client plays after each game state: card moves and their clearing, the dealer's peek
// and reveal, spoken lines and chip flights. One step per frame; each animation ends or chains
// into the next, and only one runs at a time.
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "fennic/cardtable.h"
#include "ostrel/sound/samplecontainer.h"

namespace {
// The dealer's moves after his deals, at MAXCARDSINPOCKET + k: slide the hidden card out, lift
// and tilt it, lay it back face down, lay it back turning it over.
constexpr int32_t kMoveSlideOut = 2;
constexpr int32_t kMoveLift = 3;
constexpr int32_t kMoveBackDown = 4;
constexpr int32_t kMoveTurnOver = 5;
constexpr int32_t kSequenceLength = 3;
// The edge a card's picture may spill past its measured rectangle.
constexpr int32_t kShoeCardMargin = 2;
}  // namespace

int32_t CBlackJackClientTable::IdleHandler() {
  if (m_Animation != m_AnimSeen) {
    m_AnimSeen = m_Animation;
    m_AnimStage = 0;
  }
  switch (m_Animation) {
    case KAVO_ANIM_CARD: return AnimateCardMove();
    case KAVO_ANIM_COLLECT: return AnimateCollection();
    case KAVO_ANIM_NATURAL: return AnimateNatural();
    case KAVO_ANIM_INSURANCEWAIT: return AnimateInsuranceWait();
    case KAVO_ANIM_INSURANCE: return AnimateInsuranceSettlement();
    case KAVO_ANIM_REVEAL: return AnimateDealerReveal(KAVO_ANIM_REVEALRESULT);
    case KAVO_ANIM_PEEK: return AnimateDealerReveal(KAVO_ANIM_PEEKRESULT);
    case KAVO_ANIM_REVEALLOST:
      if (CardStep()) {
        PlaySampleOnce(KAVO_SAMPLE_INSURANCELOST, 0);
        ChainAnimation(KAVO_ANIM_INSURANCEWAIT);
      }
      return 1;
    case KAVO_ANIM_REVEALPAID:
      if (CardStep()) {
        ShowSeatHandValue(KAVO_DEALER);
        SetSampleSequence(KAVO_SAMPLE_BLACKJACK, KAVO_SAMPLE_SEVEN);
        ChainAnimation(KAVO_ANIM_INSURANCEWAIT);
      }
      return 1;
    case KAVO_ANIM_PEEKBLACKJACK:
      if (CardStep()) {
        EndOfAnimation();
        ShowSeatHandValue(KAVO_DEALER);
      }
      return 1;
    case KAVO_ANIM_PEEKNONE:
      if (CardStep()) {
        SetSampleSequence(KAVO_SAMPLE_NOBLACKJACK);
        ChainAnimation(KAVO_ANIM_SAY);
      }
      return 1;
    case KAVO_ANIM_SAY:
      if (PlaySampleSequence()) EndOfAnimation();
      return 1;
    case KAVO_ANIM_CLEARHANDS:
      return AnimateClearing(&CBlackJackClientTable::ClearHandsStep, 2, KAVO_ANIM_CLEARDEALER);
    case KAVO_ANIM_CLEARDEALER:
      return AnimateClearing(&CBlackJackClientTable::ClearDealerCard, 0, KAVO_ANIM_SETTLE);
    case KAVO_ANIM_CLEARSEAT:
      HandClearingStep();
      return 1;
    case KAVO_ANIM_BETRETURN: return AnimateBetReturn();
    case KAVO_ANIM_BUSTBET: return AnimateBustBet();
    case KAVO_ANIM_REVEALRESULT: return AnimateRevealResult();
    case KAVO_ANIM_PEEKRESULT: return AnimatePeekResult();
    case KAVO_ANIM_SETTLE: return AnimateSettlement();
    case KAVO_ANIM_FINALWIN: return AnimateFinalWin();
    default: return 1;
  }
}

void CBlackJackClientTable::ChainAnimation(int32_t number) {
  m_Animation = number;
  m_AnimSeen = number;
  m_AnimStage = 0;
}

void CBlackJackClientTable::EndOfAnimation() { ChainAnimation(KAVO_ANIM_NONE); }

bool CBlackJackClientTable::CardStep() {
  m_CardTable.Handler();
  if (m_CardTable.IsAnyPolyAnim()) return false;
  m_CardTable.RemoveAllPolygons();
  if (m_HoleCardLanding) {
    m_HoleCardLanding = 0;
    TuckHoleCardUnder();
  }
  return true;
}

// ---- 1: a card move ----

int32_t CBlackJackClientTable::AnimateCardMove() {
  if (!CardStep()) return 1;
  switch (m_ClearMode) {
    case 1: ChainAnimation(KAVO_ANIM_CLEARHANDS); return 1;
    case 2: ChainAnimation(KAVO_ANIM_CLEARDEALER); return 1;
    case 3: ChainAnimation(KAVO_ANIM_CLEARSEAT); return 1;
    default: break;
  }
  // Ended first: showing the value may start its spoken line.
  EndOfAnimation();
  ShowValueAfterCard();
  return 1;
}

void CBlackJackClientTable::ShowValueAfterCard() {
  CBlackJackPlayerData* dealer = GetPlayerRecord(KAVO_DEALER);
  const int32_t dealerCards = dealer ? dealer->GetNumCards() : 0;
  // Fewer cards than last shown: a new round.
  if (dealerCards < m_DealerCardsValued) m_DealerCardsValued = dealerCards;
  if (dealerCards > m_DealerCardsValued) {
    m_DealerCardsValued = dealerCards;
    ShowSeatHandValue(KAVO_DEALER);
    return;
  }
  CBlackJackPlayerData* turn = m_TurnSeat < KAVO_NUM_SEATS ? GetPlayerRecord(m_TurnSeat) : nullptr;
  if (turn && (turn->IsDoubled() || GetGameState() == KAVO_GS_SPLIT)) ShowSeatHandValue(m_TurnSeat);
}

// ---- 2: the lost hands collected ----

int32_t CBlackJackClientTable::AnimateCollection() {
  int32_t done = 0;
  m_ChipFlightFailed = 0;
  ChipCollectionStep(done);
  if (m_ChipFlightFailed) {
    m_ChipFlightFailed = 0;
    return 0;
  }
  if (!done) return 1;
  ClearValueTexts();
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    if (CBlackJackPlayerData* record = GetPlayerRecord(seat)) record->SetCurrentHand(KAVO_HAND_2);
  m_ClearMode = 1;
  ChainAnimation(KAVO_ANIM_CLEARHANDS);
  return 1;
}

// ---- 3: a natural paid ----

int32_t CBlackJackClientTable::FlySingle(TPlanFlight plan, TLandFlight land) {
  return StepChipRun(m_ChipRuns[CHIPRUN_SINGLE], m_FlightSeat, m_FlightSeat, plan, land);
}

int32_t CBlackJackClientTable::AnimateNatural() {
  if (m_AnimStage == 0) {
    m_FlightSeat = m_TurnSeat;
    m_FlightHand = KAVO_HAND_UNSPLIT;
    m_AnimStage = 1;
  }
  const int32_t step = FlySingle(&CBlackJackClientTable::PlanNaturalWin, &CBlackJackClientTable::LandNaturalWin);
  if (step < 0) return 0;
  if (step > 0) {
    m_ClearMode = 3;
    ChainAnimation(KAVO_ANIM_CLEARSEAT);
  }
  return 1;
}

// ---- 4, 5: the insurance result ----

int32_t CBlackJackClientTable::AnimateInsuranceWait() {
  const int32_t over = m_InsurancePays ? PlaySampleSequence() : SampleStopped(KAVO_SAMPLE_INSURANCELOST);
  if (over) ChainAnimation(KAVO_ANIM_INSURANCE);
  return 1;
}

int32_t CBlackJackClientTable::AnimateInsuranceSettlement() {
  const int32_t step = StepChipRun(m_ChipRuns[CHIPRUN_INSURANCE], 0, KAVO_NUM_SEATS - 1,
                                   &CBlackJackClientTable::PlanInsurance, &CBlackJackClientTable::LandInsurance);
  if (step < 0) return 0;
  if (step > 0) EndOfAnimation();
  return 1;
}

// ---- 6, 7, 18, 19: the hidden card lifted for the insurance result or the peek ----

int32_t CBlackJackClientTable::AnimateDealerReveal(int32_t next) {
  if (m_AnimStage == 0) {
    if (!SampleStopped(KAVO_SAMPLE_REVEAL)) return 1;
    EraseDealerPlaceholder();
    StartDealerMove(kMoveSlideOut, m_pShoeCard);
    m_AnimStage = 1;
  }
  if (!CardStep()) return 1;
  ChainAnimation(next);
  StartDealerMove(kMoveLift, m_pShoeCard);
  return 1;
}

int32_t CBlackJackClientTable::AnimateRevealResult() {
  if (!CardStep()) return 1;
  if (!m_InsurancePays) {
    ChainAnimation(KAVO_ANIM_REVEALLOST);
    StartDealerMove(kMoveBackDown, m_pShoeCard);
  } else {
    ChainAnimation(KAVO_ANIM_REVEALPAID);
    TurnDealerCard(m_InsuranceDealerCard);
  }
  return 1;
}

int32_t CBlackJackClientTable::AnimatePeekResult() {
  if (!CardStep()) return 1;
  if (m_ScannedCard >= 0) {
    ChainAnimation(KAVO_ANIM_PEEKBLACKJACK);
    TurnDealerCard(m_ScannedCard);
  } else {
    ChainAnimation(KAVO_ANIM_PEEKNONE);
    StartDealerMove(kMoveBackDown, m_pShoeCard);
  }
  return 1;
}

void CBlackJackClientTable::StartDealerMove(int32_t k, CObject* object) {
  CPocket* pocket = m_CardTable.GetPocket(KAVO_DEALER);
  C3DMoveList* list = pocket ? pocket->GetMove(GetMaxCardsInPocket() + k) : nullptr;
  if (!list || !object) return;
  // The shoe's card belongs to no pocket, so the scene cannot take its last resting picture away
  // when it moves on: that is done here, or each pose it rested in would stay on the felt.
  if (object == m_pShoeCard) {
    TakeAwayShoeCard();
    // Laid down again face down: it goes back under the up card.
    m_HoleCardLanding = k == kMoveBackDown;
  }
  if (IsReconnecting()) m_CardTable.DrawLastFrame(list, object);
  else m_CardTable.StartAnim(list, object);
}

void CBlackJackClientTable::TakeAwayShoeCard() {
  CRect area;
  if (!m_pShoeCard || !m_CardTable.DrawObject(*m_pShoeCard, QUAD_MEASURE, &area)) return;
  area.Inflate(kShoeCardMargin, kShoeCardMargin);
  RepaintArea(area);
}

void CBlackJackClientTable::TuckHoleCardUnder() {
  CRect area;
  if (m_pShoeCard && m_CardTable.DrawObject(*m_pShoeCard, QUAD_MEASURE, &area)) RedrawAllHands(&area);
}

void CBlackJackClientTable::TurnDealerCard(int32_t code) {
  // The shoe's card rests where it was lifted to; the dealer's real card takes its place there.
  if (m_pShoeCard) {
    TakeAwayShoeCard();
    m_CardTable.ForgetObject(m_pShoeCard);
  }
  CBlackJackPlayerData* dealer = GetPlayerRecord(KAVO_DEALER);
  CPocket* pocket = m_CardTable.GetPocket(KAVO_DEALER);
  if (!dealer || !pocket || !dealer->AddCard(code)) return;
  CObject* card = nullptr;
  pocket->GetCard(card, pocket->GetNumCards() - 1);
  StartDealerMove(kMoveTurnOver, card);
}

// ---- 12 and the spoken lines ----

void CBlackJackClientTable::SetSampleSequence(int32_t first, int32_t second) {
  EndSampleSequence();
  m_SampleSequence[0] = first;
  m_SampleSequence[1] = second;
  m_SampleSequence[2] = -1;
}

int32_t CBlackJackClientTable::PlaySampleSequence() {
  if (IsReconnecting() || !m_SoundOn || !m_pSamples) {
    EndSampleSequence();
    return 1;
  }
  if (!m_SequenceRunning) {
    // The value display may have started its line already: it is followed, not begun again.
    if (m_SampleSequence[0] >= 0 && m_pSamples->IsPlaying(static_cast<uint32_t>(m_SampleSequence[0]))) {
      m_SequenceRunning = 1;
      return 0;
    }
    int32_t n = 0;
    for (; n < kSequenceLength && m_SampleSequence[n] >= 0; ++n) m_SequenceIds[n] = static_cast<uint32_t>(m_SampleSequence[n]);
    m_SequenceIds[n] = SAMPLE_SEQUENCE_END;
    if (!m_pSamples->StartSequence(m_SequenceIds)) {
      EndSampleSequence();
      return 1;
    }
    m_SequenceRunning = 1;
    return 0;
  }
  if (!m_pSamples->PlaySequence()) return 0;
  m_SequenceRunning = 0;
  m_SampleSequence[0] = -1;
  return 1;
}

void CBlackJackClientTable::EndSampleSequence() {
  if (m_SequenceRunning && m_pSamples) {
    for (int32_t i = 0; i < kSequenceLength && m_SequenceIds[i] != SAMPLE_SEQUENCE_END; ++i)
      m_pSamples->Stop(m_SequenceIds[i]);
    static const uint32_t kNone[] = {SAMPLE_SEQUENCE_END};
    m_pSamples->StartSequence(kNone);
  }
  m_SequenceRunning = 0;
  m_SampleSequence[0] = -1;
}

int32_t CBlackJackClientTable::SampleStopped(int32_t id) {
  if (IsReconnecting() || !m_SoundOn || !m_pSamples) return 1;
  return !m_pSamples->IsPlaying(static_cast<uint32_t>(id));
}

void CBlackJackClientTable::PlaySampleOnce(int32_t id, int32_t wait) {
  if (m_SoundOn && m_pSamples && !IsReconnecting()) m_pSamples->Play(static_cast<uint32_t>(id), 0, wait);
}

// ---- 13, 14: the round's cards cleared ----

int32_t CBlackJackClientTable::AnimateClearing(int32_t (CBlackJackClientTable::*step)(int32_t&), int32_t mode,
                                               int32_t next) {
  // A card of the clearing still on its way lands first.
  if (m_CardTable.IsAnyPolyAnim() && !CardStep()) return 1;
  int32_t done = 0;
  const int32_t ok = (this->*step)(done);
  // A clearing that fails leaves the rest to the next round rather than holding this one.
  if (done || !ok) {
    m_ClearMode = mode;
    ChainAnimation(next);
  }
  return 1;
}

// ---- 15, 17: the turn seat's hand ----

void CBlackJackClientTable::StartHandDiscard(CBlackJackPlayerData& record) {
  CPocket* pocket = m_CardTable.GetPocket(record.GetCurrentPocket());
  if (!pocket) return;
  const int32_t frames = static_cast<int32_t>(m_Layout.ClearSpeedBig);
  for (int32_t i = pocket->GetNumCards() - 1; i >= 0; --i) {
    CObject* card = nullptr;
    pocket->GetCard(card, i);
    if (!card) continue;
    // The scene copies the move when the list starts; both may go once it has.
    C3DMove move;
    C3DMoveList list;
    move.Init(card, frames > 0 ? frames : 0);
    const double(&pose)[POSE_AXES] = card->GetPose();
    for (int32_t axis = 0; axis < POSE_AXES; ++axis) move.SetAxis(axis, pose[axis], 0, m_Layout.Discard[axis], 0);
    list.AddMove(&move);
    if (IsReconnecting()) m_CardTable.DrawLastFrame(&list, card);
    else m_CardTable.StartAnim(&list, card);
  }
}

void CBlackJackClientTable::HandClearingStep() {
  CBlackJackPlayerData* record = m_TurnSeat < KAVO_NUM_SEATS ? GetPlayerRecord(m_TurnSeat) : nullptr;
  if (!record) {
    m_ClearMode = 0;
    EndOfAnimation();
    return;
  }
  if (m_AnimStage == 0) {
    m_FlightSeat = m_TurnSeat;
    m_FlightHand = record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_UNSPLIT;
    StartHandDiscard(*record);
    m_AnimStage = 1;
  }
  if (!CardStep()) return;
  if (CPocket* pocket = m_CardTable.GetPocket(record->GetCurrentPocket())) pocket->RemoveCards();
  // The clearing is used up: the next card move must not clear again.
  m_ClearMode = 0;
  if (record->IsDone(m_FlightHand)) {
    ChainAnimation(KAVO_ANIM_BUSTBET);
    return;
  }
  EndOfAnimation();
  UpdateChipStacks(-1, 0);
}

int32_t CBlackJackClientTable::AnimateBustBet() {
  const int32_t step = FlySingle(&CBlackJackClientTable::PlanBustBet, &CBlackJackClientTable::LandBustBet);
  if (step < 0) return 0;
  if (step > 0) EndOfAnimation();
  return 1;
}

// ---- 16, 20, 21 ----

int32_t CBlackJackClientTable::AnimateBetReturn() {
  const int32_t step = StepChipRun(m_ChipRuns[CHIPRUN_RETURN], 0, KAVO_NUM_SEATS - 1,
                                   &CBlackJackClientTable::PlanBetReturn, &CBlackJackClientTable::LandBetReturn);
  if (step < 0) return 0;
  if (step == 0) return 1;
  UpdateChipStacks(-1, 1);
  UpdatePlayerIcons();
  EndOfAnimation();
  return 1;
}

int32_t CBlackJackClientTable::AnimateSettlement() {
  if (m_AnimStage == 0) {
    // Nobody's turn is left to show: the last turn's spot goes dark with the round.
    LightSpot(-1);
    m_AnimStage = 1;
  }
  int32_t done = 0;
  if (!ChipSettlementStep(done)) return 0;
  if (!done) return 1;
  EndOfAnimation();
  FinishPresentation();
  return 1;
}

int32_t CBlackJackClientTable::AnimateFinalWin() {
  if (m_AnimStage == 0) {
    m_FlightSeat = m_TurnSeat;
    CBlackJackPlayerData* record = m_TurnSeat < KAVO_NUM_SEATS ? GetPlayerRecord(m_TurnSeat) : nullptr;
    m_FlightHand = record && record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_1;
    m_AnimStage = 1;
  }
  const int32_t step = FlySingle(&CBlackJackClientTable::PlanFinalWin, &CBlackJackClientTable::LandFinalWin);
  if (step < 0) return 0;
  if (step > 0) {
    PlaySampleOnce(KAVO_SAMPLE_WINPAID, 1);
    EndOfAnimation();
  }
  return 1;
}

int32_t CBlackJackClientTable::FinishPresentation() {
  // A watcher has nobody to report for.
  return HaveSlot() ? SendPresentationDone() : 1;
}

bool CBlackJackClientTable::HoldsSeat(int32_t seat) const {
  int32_t seats[KAVO_NUM_SEATS] = {};
  GetIndex(seats);
  return seat >= 0 && seat < KAVO_NUM_SEATS && seats[seat];
}
