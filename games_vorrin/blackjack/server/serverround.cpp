// The round handler: one step of the blackjack round per call, from the deal to the settlement,
// and the hook that redraws the hole card of a restored round.
#include "common/cards/deck.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"
#include "server/dealerrule.h"
#include "server/servertable.h"

namespace {
constexpr int32_t kPauseAfterCardMs = 1000;
constexpr int32_t kPauseNaturalMs = 2000;
constexpr int32_t kPausePeekMs = 2000;
constexpr int32_t kInsuranceExtraSeconds = 2;
constexpr int32_t kInsuranceGrace = 19;
// Records one frame may bring before the rest waits for the next.
constexpr int32_t kMaxRecordsPerFrame = 64;
}  // namespace

int32_t CBlackJackServerTable::IsSeatStillPlaying(int32_t seat) {
  CBlackJackServerPlayer* record = GetPlayer(seat);
  return IsBettingSeat(seat) && record && record->GetFinalFlag() && !record->IsAllBust();
}

int32_t CBlackJackServerTable::AnySeatStillPlaying() {
  for (int32_t seat = KAVO_NUM_SEATS - 1; seat >= 0; --seat)
    if (IsSeatStillPlaying(seat)) return 1;
  return 0;
}

int32_t CBlackJackServerTable::NextBettingSeat(int32_t below) {
  for (int32_t seat = below - 1; seat >= 0; --seat)
    if (IsBettingSeat(seat)) return seat;
  return -1;
}

int32_t CBlackJackServerTable::TakeNextSeat(int32_t noneState) {
  const int32_t seat = NextBettingSeat(m_CurrentSeat);
  if (seat < 0) {
    m_CurrentSeat = KAVO_DEALER;
    m_RoundState = noneState;
    return -1;
  }
  m_CurrentSeat = seat;
  return seat;
}

int32_t CBlackJackServerTable::SeatsWithFinalBet() {
  int32_t seats = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    if (IsBettingSeat(seat) && GetPlayer(seat)->GetFinalFlag()) ++seats;
  return seats;
}

void CBlackJackServerTable::Pause(int32_t ms) {
  if (ms > 0) ServerSleep(ms);
}

int32_t CBlackJackServerTable::ForEachRecord(const std::function<int32_t()>& read) {
  CCommNode* node = GetTableNode();
  for (int32_t n = 0; n < kMaxRecordsPerFrame && node->IsDataAvailable(); ++n) {
    if (!node->RecvKCBLPacket()) continue;
    const int32_t ok = read ? read() : 1;
    node->RecvKCBLFree();
    if (!ok) return 0;
  }
  return 1;
}

int32_t CBlackJackServerTable::GameHandler() {
  switch (m_RoundState) {
    case KAVO_RS_DEAL: return ForEachRecord(nullptr) && StepDeal();
    case KAVO_RS_NEXTSEAT: return ForEachRecord(nullptr) && StepNextSeat();
    case KAVO_RS_AWAITACTION: return StepAwaitAction();
    case KAVO_RS_ENDOFROUND:
      ForEachRecord(nullptr);
      m_RoundState = KAVO_RS_DEAL;
      return BeginNewRound();
    case KAVO_RS_DEALERPLAYS: return ForEachRecord(nullptr) && StepDealerPlays();
    case KAVO_RS_SETTLE: return ForEachRecord(nullptr) && StepSettle();
    case KAVO_RS_OFFERINSURANCE: return ForEachRecord(nullptr) && StepOfferInsurance();
    case KAVO_RS_COLLECTINSURANCE: return StepCollectInsurance();
    case KAVO_RS_PEEK: return ForEachRecord(nullptr) && StepPeek();
    case KAVO_RS_FINDNATURAL: return ForEachRecord(nullptr) && StepFindNatural();
    case KAVO_RS_PAYNATURAL: return ForEachRecord(nullptr) && StepPayNatural();
    case KAVO_RS_ALLBUST: return ForEachRecord(nullptr) && StepAllBust();
    default:
      xprintf("CBlackJackServerTable::GameHandler: unknown round state %d", m_RoundState);
      return 0;
  }
}

int32_t CBlackJackServerTable::DealPass() {
  for (int32_t seat = KAVO_NUM_SEATS - 1; seat >= 0; --seat)
    if (IsBettingSeat(seat) && !DealCard(seat)) return 0;
  return 1;
}

int32_t CBlackJackServerTable::StepDeal() {
  if (!AnySeatStillPlaying()) {
    m_RoundState = KAVO_RS_ENDOFROUND;
    return 1;
  }
  if (!m_pShoe || !m_pShoe->Shuffle()) return 0;
  m_CurrentSeat = KAVO_DEALER;
  if (!SendChangeGameState(KAVO_GS_DEALSTART) || !SendChangeGameState(KAVO_GS_CARD)) return 0;
  m_CardsSincePause = 0;
  if (!DealPass() || !SendChangeGameState(KAVO_GS_FIRSTPASSDONE) || !SendChangeGameState(KAVO_GS_CARD) ||
      !DealPass() || !DealCard(KAVO_DEALER))
    return 0;
  m_HoleCard = m_pShoe->GetCard();
  if (!KavoIsCard(m_HoleCard)) {
    xprintf("CBlackJackServerTable::GameHandler: the shoe is empty");
    return 0;
  }
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) GetPlayer(seat)->ClearSettlementMarks();
  const int32_t up = GetDealer()->GetHandCard(1, 0, 1);
  if (KavoIsAce(up)) m_RoundState = KAVO_RS_OFFERINSURANCE;
  else if (KavoIsTenValue(up)) m_RoundState = KAVO_RS_PEEK;
  else m_RoundState = KAVO_RS_FINDNATURAL;
  Pause(m_CardsSincePause * kPauseAfterCardMs);
  m_CardsSincePause = 0;
  return 1;
}

int32_t CBlackJackServerTable::StepNextSeat() {
  if (!AnySeatStillPlaying()) {
    m_RoundState = KAVO_RS_ALLBUST;
    return 1;
  }
  const int32_t seat = TakeNextSeat(KAVO_RS_DEALERPLAYS);
  if (seat < 0) return 1;
  SetThinking(seat);
  if (!SendThinkBubbles(0) || !StartTurn(0)) return 0;
  m_RoundState = KAVO_RS_AWAITACTION;
  return 1;
}

int32_t CBlackJackServerTable::Forfeit() {
  CBlackJackServerPlayer* record = GetPlayer(m_CurrentSeat);
  const int32_t playerId = GetPlayerConnection(m_CurrentSeat)->m_PlayerId;
  // Every hand of the seat still open is lost, each with its "Bust".
  if (!record->IsBust(record->IsSplit() ? record->GetCurrentHand() : KAVO_HAND_1) && !SendBust()) return 0;
  if (record->IsSplit() && record->GetCurrentHand() == KAVO_HAND_2) {
    record->SetCurrentHand(KAVO_HAND_1);
    if (!record->IsBust(KAVO_HAND_1) && !SendBust()) return 0;
  }
  ClearThinking(m_CurrentSeat);
  CrashUser(playerId);
  m_RoundState = KAVO_RS_NEXTSEAT;
  return 1;
}

int32_t CBlackJackServerTable::StepAwaitAction() {
  const CPlayerConnection* connection = GetPlayerConnection(m_CurrentSeat);
  if (!connection || !connection->IsHeld() || !IsBettingSeat(m_CurrentSeat)) {
    ForEachRecord(nullptr);
    m_RoundState = KAVO_RS_NEXTSEAT;
    return 1;
  }
  int32_t action = KAVO_ACTION_NONE, found = 0;
  int32_t soft = 0, hard = 0;
  GetPlayer(m_CurrentSeat)->GetTotals(soft, hard);
  if (hard > 21) {
    ForEachRecord(nullptr);
    action = KAVO_ACTION_BUST;
    found = 1;
  } else {
    if (!ForEachRecord([&] {
          int32_t read = KAVO_ACTION_NONE;
          if (!found && ReadAction(read)) {
            action = read;
            found = 1;
          } else if (found) {
            ReadAction(read);  // a second decision of the same frame is consumed, not applied
          }
          return 1;
        }))
      return 0;
    // A crashed seat is gone: its turn is over.
    if (!GetPlayerConnection(m_CurrentSeat)->IsHeld()) {
      m_RoundState = KAVO_RS_NEXTSEAT;
      return 1;
    }
    if (!found) return TimeLeft() > 0 ? 1 : Forfeit();
    // No client may send the server's own bust; other unknown values change nothing.
    if (action == KAVO_ACTION_BUST || action < KAVO_ACTION_HIT || action > KAVO_ACTION_SPLIT) return 1;
  }
  int32_t turnDone = 0;
  if (!PlayAction(action, turnDone)) {
    CrashAllUsers();
    return 0;
  }
  if (turnDone) m_RoundState = KAVO_RS_NEXTSEAT;
  return 1;
}

int32_t CBlackJackServerTable::StepDealerPlays() {
  m_CardsSincePause = 0;
  CBlackJackServerPlayer* dealer = GetDealer();
  int32_t soft = 0, hard = 0;
  dealer->GetTotals(soft, hard);
  if (!KavoDealerDraws(soft, hard, m_DrawOnSoft17)) {
    m_RoundState = KAVO_RS_SETTLE;
    return 1;
  }
  if (!SendChangeGameState(KAVO_GS_CARD)) return 0;
  if (dealer->GetNumCards() == 1) return DealDealerCard(m_HoleCard);
  return DealCard(KAVO_DEALER);
}

int32_t CBlackJackServerTable::StepSettle() {
  if (!SendChangeGameState(KAVO_GS_SETTLE)) return 0;
  m_SettledCards = 0;
  // Counted before the settlement, which crashes a seat whose booking fails.
  const int32_t finalSeats = SeatsWithFinalBet();
  int32_t anySettled = 0;
  if (!SettleAllSeats(anySettled)) return 0;
  if (!anySettled && !SendChangeGameState(KAVO_GS_NOSETTLE)) return 0;
  m_RoundState = KAVO_RS_ENDOFROUND;
  const int32_t ms = ((GetDealer()->GetNumCards() + finalSeats) * 5 + m_SettledCards) * 200;
  SetClientPresentationWaitTimeOut(ms / 1000);
  SetTablePresentationStart();
  return 1;
}

int32_t CBlackJackServerTable::StepOfferInsurance() {
  if (!SendChangeGameState(KAVO_GS_INSURANCEOFFER) || !SendChangeGameState(KAVO_GS_TIMEOUT) ||
      !SendPlayerTimeOut(m_DecisionTime + kInsuranceExtraSeconds) || !SendChangeGameState(KAVO_GS_WAITINSURANCE))
    return 0;
  SetTimeoutTime((m_DecisionTime + kInsuranceGrace) * 1000, -1);
  StartTimer();
  m_RoundState = KAVO_RS_COLLECTINSURANCE;
  return 1;
}

int32_t CBlackJackServerTable::StepCollectInsurance() {
  if (!ForEachRecord([this] { return ReadInsurance(); })) return 0;
  int32_t waiting = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
    if (IsBettingSeat(seat) && !GetPlayer(seat)->HasAnsweredInsurance()) ++waiting;
  if (waiting && TimeLeft() > 0) return 1;
  if (waiting) {
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      if (IsBettingSeat(seat) && !GetPlayer(seat)->HasAnsweredInsurance())
        CrashUser(GetPlayerConnection(seat)->m_PlayerId);
  }
  int32_t pays = 0;
  if (!SendChangeGameState(KAVO_GS_INSURANCERESOLVED) || !ResolveInsurance(pays)) return 0;
  if (pays) {
    if (!GetDealer()->AddCard(m_HoleCard)) return 0;
    m_RoundState = KAVO_RS_SETTLE;
    return 1;
  }
  Pause((SeatsWithFinalBet() + 2) * 1000);
  m_RoundState = KAVO_RS_FINDNATURAL;
  m_InsuranceDone = 1;
  return 1;
}

int32_t CBlackJackServerTable::StepPeek() {
  if (!SendChangeGameState(KAVO_GS_PEEK)) return 0;
  const int32_t ace = KavoIsAce(m_HoleCard);
  CCommNode* node = GetTableNode();
  if (!node->SendInit() || !node->NewItem(KAVO_MSG_SCANCARD, KLONG, ace ? m_HoleCard : -1, KEND) ||
      !node->SendKCBLPacket())
    return 0;
  if (ace) {
    if (!GetDealer()->AddCard(m_HoleCard)) return 0;
    m_RoundState = KAVO_RS_SETTLE;
  } else {
    m_RoundState = KAVO_RS_FINDNATURAL;
  }
  m_PeekDone = 1;
  Pause(kPausePeekMs);
  return 1;
}

int32_t CBlackJackServerTable::StepFindNatural() {
  const int32_t seat = TakeNextSeat(KAVO_RS_NEXTSEAT);
  if (seat < 0 || !GetPlayer(seat)->IsNatural()) return 1;
  if (!SendChangeGameState(KAVO_GS_TURN) || !SendTurnChunk(seat)) return 0;
  m_RoundState = KAVO_RS_PAYNATURAL;
  return 1;
}

int32_t CBlackJackServerTable::StepPayNatural() {
  if (!PayNatural(m_CurrentSeat)) return 0;
  Pause(kPauseNaturalMs);
  m_RoundState = KAVO_RS_FINDNATURAL;
  return 1;
}

int32_t CBlackJackServerTable::StepAllBust() {
  m_CardsSincePause = 0;
  if (!SendChangeGameState(KAVO_GS_CARD)) return 0;
  // The hole card joins the dealer's hand, so that the settlement, the presentation time and the
  // play history see the dealer's two cards.
  if (!DealDealerCard(m_HoleCard)) return 0;
  m_RoundState = KAVO_RS_SETTLE;
  return 1;
}

int32_t CBlackJackServerTable::RestoreGameAlterationCallback() {
  CBlackJackServerPlayer* dealer = GetDealer();
  if (m_RoundState == KAVO_RS_SETTLE || GetState() != SERVERSTATE_GAMEPLAY || !dealer || dealer->GetNumCards() == 0)
    return 1;
  // The new hole card keeps to what the players have learnt: no ten under an ace after the
  // insurance, no ace under a ten after the peek.
  for (;;) {
    const int32_t card = m_pShoe ? m_pShoe->GetCard() : -1;
    if (!KavoIsCard(card)) {
      xprintf("CBlackJackServerTable::RestoreGameAlterationCallback: the shoe is empty");
      return 0;
    }
    if (m_InsuranceDone ? !KavoIsTenValue(card) : !m_PeekDone || !KavoIsAce(card)) {
      m_HoleCard = card;
      return 1;
    }
  }
}
