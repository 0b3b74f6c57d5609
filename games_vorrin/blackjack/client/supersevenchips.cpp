// The side bet's chips at the end of its seat's play: once per round and seat its result shows
// before the regular chip step (a lost unit flies to the dealer, a win flies from him onto the
// side-bet spot), and the settlement takes a won side bet home with the seat's chips.
#include "client/playerdata.h"
#include "client/supersevenclienttable.h"

int32_t CSuperSevenClientTable::IdleHandler() {
  if (m_Animation != m_SideAnimation) {
    m_SideAnimation = m_Animation;
    m_SideStepDone = 0;
  }
  if (!m_SideStepDone) {
    const auto result = static_cast<TPlanFlight>(&CSuperSevenClientTable::PlanSideResult);
    const auto shown = static_cast<TLandFlight>(&CSuperSevenClientTable::LandSideResult);
    int32_t step = 1;
    switch (m_Animation) {
      case KAVO_ANIM_BUSTBET:
        // A second split hand's bust settles no side bet: hand 1's chunk does.
        if (m_FlightHand != KAVO_HAND_2) step = StepSideFlights(m_FlightSeat, m_FlightSeat, result, shown);
        break;
      case KAVO_ANIM_COLLECT: step = StepSideFlights(0, KAVO_NUM_SEATS - 1, result, shown); break;
      case KAVO_ANIM_SETTLE:
        step = StepSideFlights(0, KAVO_NUM_SEATS - 1, static_cast<TPlanFlight>(&CSuperSevenClientTable::PlanSideHome),
                               static_cast<TLandFlight>(&CSuperSevenClientTable::LandSideHome));
        break;
      default: break;
    }
    if (step < 0) return 0;
    if (step == 0) return 1;
    m_SideStepDone = 1;
  }
  return CBlackJackClientTable::IdleHandler();
}

int32_t CSuperSevenClientTable::StepSideFlights(int32_t first, int32_t last, TPlanFlight plan, TLandFlight land) {
  return StepChipRun(m_SideRun, first, last, plan, land);
}

bool CSuperSevenClientTable::PlanSideResult(int32_t seat, SChipFlight& flight) {
  const CSuperSevenPlayerData* record = SideRecord(seat);
  if (!record || !record->GetSideBet() || record->IsSideBetShown()) return false;
  int32_t spotX = 0, spotY = 0, dealerX = 0, dealerY = 0;
  if (!SideSpot(seat, spotX, spotY) || !DealerPlace(dealerX, dealerY)) return false;
  const bool won = record->GetSSWin() > TMoney();
  flight.Amount = won ? record->GetSSWin() : CSuperSevenPlayerData::Unit();
  flight.FromX = won ? dealerX : spotX;
  flight.FromY = won ? dealerY : spotY;
  flight.ToX = won ? spotX : dealerX;
  flight.ToY = won ? spotY : dealerY;
  return true;
}

void CSuperSevenClientTable::LandSideResult(int32_t seat) {
  CSuperSevenPlayerData* record = SideRecord(seat);
  if (!record) return;
  record->SetSideBetShown(1);
  if (!(record->GetSSWin() > TMoney())) record->SetSideBet(0);
  ++m_SideFlights[seat];
  ShowSideStack(seat, 0);
}

bool CSuperSevenClientTable::PlanSideHome(int32_t seat, SChipFlight& flight) {
  const CSuperSevenPlayerData* record = SideRecord(seat);
  if (!record || !record->GetSideBet() || !record->IsSideBetShown() || !(record->GetSSWin() > TMoney())) return false;
  flight.Amount = record->GetSSWin() + CSuperSevenPlayerData::Unit();
  return SideSpot(seat, flight.FromX, flight.FromY) && IconPlace(seat, flight.ToX, flight.ToY);
}

void CSuperSevenClientTable::LandSideHome(int32_t seat) {
  if (CSuperSevenPlayerData* record = SideRecord(seat)) record->SetSideBet(0);
  ShowSideStack(seat, 0);
}

int32_t CSuperSevenClientTable::GetSideResultFlights(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? m_SideFlights[seat] : 0;
}
