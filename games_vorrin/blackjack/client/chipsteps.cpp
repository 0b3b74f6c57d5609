// The table's chip flights: runs over the seats (settlement, collection of lost hands, refused
// bets handed back, insurance) and the single flights of a natural, a bust and a bonus win.
#include <cmath>
#include <vector>
#include <cstdio>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "fennic/cardtable.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "spothighlight.h"

namespace {
// The speed a chip flight returns to after each run.
constexpr int32_t kChipSpeed = 20;
// The bet spots of a seat: three rows of three (first split hand, unsplit, second split hand),
// the bet in each row's middle.
constexpr int32_t kSpotsPerRow = 3;
constexpr int32_t kInsuranceStakeSpot = 0;
constexpr int32_t kInsuranceWinSpot = 1;
constexpr int32_t kUnsplitBetSpot = kSpotsPerRow + 1;

int32_t HandRow(int32_t hand) {
  switch (hand) {
    case KAVO_HAND_1: return 0;
    case KAVO_HAND_2: return 2;
    default: return 1;
  }
}

// Accumulates places and answers their average.
struct SAverage {
  int64_t X = 0, Y = 0;
  int32_t N = 0;
  void Add(int32_t x, int32_t y) {
    X += x;
    Y += y;
    ++N;
  }
  void Get(int32_t& x, int32_t& y) const {
    x = static_cast<int32_t>(X / N);
    y = static_cast<int32_t>(Y / N);
  }
};

bool Lost(const CBlackJackPlayerData& record, int32_t hand) {
  return record.GetWinCondition(hand) == KAVO_WIN_LOST && record.GetReportedBet(hand) > CChipStack::TMoney();
}
}  // namespace

// ---- runs ----

int32_t CBlackJackClientTable::StepChipRun(SChipRun& run, int32_t first, int32_t last, TPlanFlight plan,
                                           TLandFlight land) {
  if (run.Seat < first) run.Seat = first;
  while (run.Seat <= last) {
    if (!run.Started) {
      SChipFlight flight;
      if (!(this->*plan)(run.Seat, flight)) {
        ++run.Seat;
        continue;
      }
      if (!m_pChipStack || !m_pChipStack->InitMove(flight.StampAtEnd, flight.Amount, flight.FromX, flight.FromY,
                                                   flight.ToX, flight.ToY)) {
        EndChipRun(run);
        return -1;
      }
      run.Started = 1;
    }
    int32_t finished = 0;
    m_pChipStack->Move(finished);
    if (!finished) return 0;
    (this->*land)(run.Seat);
    run.Started = 0;
    ++run.Seat;
    return run.Seat > last ? (EndChipRun(run), 1) : 0;
  }
  EndChipRun(run);
  return 1;
}

void CBlackJackClientTable::EndChipRun(SChipRun& run) {
  run = SChipRun();
  if (m_pChipStack) m_pChipStack->SetSpeed(kChipSpeed);
}

int32_t CBlackJackClientTable::GetChipRunSeat(int32_t run) const {
  return run >= 0 && run < CHIPRUNS ? m_ChipRuns[run].Seat : 0;
}

int32_t CBlackJackClientTable::IsChipRunStarted(int32_t run) const {
  return run >= 0 && run < CHIPRUNS ? m_ChipRuns[run].Started : 0;
}

int32_t CBlackJackClientTable::FirstHand(const CBlackJackPlayerData& record) {
  return record.IsSplit() ? KAVO_HAND_1 : KAVO_HAND_UNSPLIT;
}

int32_t CBlackJackClientTable::LastHand(const CBlackJackPlayerData& record) {
  return record.IsSplit() ? KAVO_HAND_2 : KAVO_HAND_UNSPLIT;
}

// ---- places ----

bool CBlackJackClientTable::DealerPlace(int32_t& x, int32_t& y) const {
  if (m_ViewIndex < 0 || m_ViewIndex >= KAVO_VIEWS) return false;
  x = m_Layout.DealerCoords[2 * m_ViewIndex];
  y = m_Layout.DealerCoords[2 * m_ViewIndex + 1];
  return true;
}

bool CBlackJackClientTable::IconPlace(int32_t seat, int32_t& x, int32_t& y) const {
  if (m_ViewIndex < 0 || m_ViewIndex >= KAVO_VIEWS || seat < 0 || seat >= KAVO_NUM_SEATS) return false;
  const int32_t at = 2 * (m_ViewIndex * KAVO_NUM_SEATS + seat);
  x = m_Layout.PlayerIconCoords[at] + m_Layout.BetRemoveOffset[0];
  y = m_Layout.PlayerIconCoords[at + 1] + m_Layout.BetRemoveOffset[1];
  return true;
}

bool CBlackJackClientTable::HandPlace(int32_t seat, int32_t hand, int32_t& x, int32_t& y) const {
  return GetChipSpot(seat, HandRow(hand) * kSpotsPerRow + 1, x, y);
}

bool CBlackJackClientTable::HandoutPlace(int32_t seat, int32_t hand, int32_t& x, int32_t& y) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return false;
  const double* p = &m_Layout.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + HandRow(hand))];
  int32_t sx = 0, sy = 0;
  if (!m_CardTable.ProjectPoint2Screen(p[0], m_Layout.TableY, p[1], sx, sy)) return false;
  x = sx / 2;
  y = sy / 2;
  return true;
}

bool CBlackJackClientTable::StackArea(const TMoney& amount, int32_t x, int32_t y, CRect& area) {
  int32_t height = 0;
  if (!m_pChipStack || !m_pChipStack->CreateChipBitmap(amount, nullptr, height) || height <= 0) return false;
  const int32_t width = m_Layout.ChipXSize, chipHeight = m_Layout.ChipYSize;
  area.SetXYWH(x - width / 2, y + chipHeight / 2 - height, width, height);
  return true;
}

void CBlackJackClientTable::RepaintArea(const CRect& area) {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  CBitmap* picture = m_CardTable.GetTablePicture();
  if (screen && picture && screen->GetPersistentMode() == 1 && screen->PushClip()) {
    screen->SetSubClip(area.left, area.top, area.right, area.bottom);
    screen->DrawBitmapPersistent(picture, area.left, area.top, area.left, area.top, area.right - area.left + 1,
                                 area.bottom - area.top + 1, BLT_MODE_COPY, 0);
    screen->PopClip();
  }
  RedrawAllHands(&area);
}

void CBlackJackClientTable::RepaintStampedChips() {
  for (const CRect& area : m_StampedChips) RepaintArea(area);
  m_StampedChips.clear();
}

// ---- slot 76: the settlement ----

bool CBlackJackClientTable::PlanSettlement(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return false;
  SAverage from;
  for (int32_t hand = FirstHand(*record); hand <= LastHand(*record); ++hand) {
    const int32_t condition = record->GetWinCondition(hand);
    const TMoney bet = record->GetReportedBet(hand), win = record->GetWin(hand);
    if (condition == KAVO_WIN_LOST || !(bet > TMoney() || win > TMoney())) continue;
    int32_t x = 0, y = 0;
    if (bet > TMoney() && HandPlace(seat, hand, x, y)) from.Add(x, y);
    if (win > TMoney() && HandoutPlace(seat, hand, x, y)) from.Add(x, y);
    flight.Amount = flight.Amount + bet + win;
  }
  if (!from.N) {
    // Nothing to fly; the seat still starts the next round afresh.
    LandSettlement(seat);
    return false;
  }
  from.Get(flight.FromX, flight.FromY);
  return IconPlace(seat, flight.ToX, flight.ToY);
}

void CBlackJackClientTable::RecordStampAreas(int32_t seat, std::vector<CRect>& areas) {
  const CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return;
  // As the record draws its hand: an insured bet with its insurance beside it, a paid natural's
  // win on the bet.
  auto add = [&](const TMoney& amount, bool onInsurance, int32_t spot) {
    int32_t x = 0, y = 0;
    CRect area;
    const bool placed = onInsurance ? GetInsuranceSpot(seat, spot, x, y) : GetChipSpot(seat, spot, x, y);
    if (placed && StackArea(amount, x, y, area)) areas.push_back(area);
  };
  const TMoney bet = record->GetBet(KAVO_HAND_1);
  if (record->IsInsured()) {
    add(bet, false, kUnsplitBetSpot);
    add(bet * TMoney("0.5"), true, kInsuranceStakeSpot);
  }
  if (record->IsWon()) add(record->GetWin(KAVO_HAND_1), false, kUnsplitBetSpot);
}

void CBlackJackClientTable::LandSettlement(int32_t seat) {
  HideSeatChips(seat);
  HideInsuranceChips(seat);
  // The next insurance shows its stake on its control again.
  if (CStatic* control = GetInsuranceChipStatic(seat, kInsuranceStakeSpot)) control->SetFlag(CNTRL_HASBITMAP);
  // The record's own stamps go with it: the hands are drawn again over them once it is reset.
  std::vector<CRect> stamped;
  RecordStampAreas(seat, stamped);
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat)) record->Reset();
  for (const CRect& area : stamped) RepaintArea(area);
  UpdateBetTexts();
}

int32_t CBlackJackClientTable::ChipSettlementStep(int32_t& done) {
  done = 0;
  const int32_t step = StepChipRun(m_ChipRuns[CHIPRUN_SETTLE], 0, KAVO_NUM_SEATS - 1,
                                   &CBlackJackClientTable::PlanSettlement, &CBlackJackClientTable::LandSettlement);
  if (step < 0) return 0;
  if (step > 0) {
    RepaintStampedChips();
    done = 1;
  }
  return 1;
}

// ---- slot 80: the lost hands' chips to the dealer ----

bool CBlackJackClientTable::PlanCollection(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return false;
  SAverage from;
  for (int32_t hand = FirstHand(*record); hand <= LastHand(*record); ++hand) {
    // A bust hand's bet went to the dealer when it bust.
    if (!Lost(*record, hand) || record->IsDone(hand)) continue;
    int32_t x = 0, y = 0;
    if (HandPlace(seat, hand, x, y)) from.Add(x, y);
    flight.Amount = flight.Amount + record->GetBet(hand);
  }
  if (!from.N || !(flight.Amount > TMoney())) return false;
  from.Get(flight.FromX, flight.FromY);
  return DealerPlace(flight.ToX, flight.ToY);
}

void CBlackJackClientTable::LandCollection(int32_t seat) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return;
  for (int32_t hand = FirstHand(*record); hand <= LastHand(*record); ++hand) {
    if (!Lost(*record, hand)) continue;
    const int32_t row = HandRow(hand) * kSpotsPerRow;
    for (int32_t spot = row; spot < row + kSpotsPerRow; ++spot) HideSpotChips(seat, spot);
  }
}

void CBlackJackClientTable::ChipCollectionStep(int32_t& done) {
  done = 0;
  const int32_t step = StepChipRun(m_ChipRuns[CHIPRUN_COLLECT], 0, KAVO_NUM_SEATS - 1,
                                   &CBlackJackClientTable::PlanCollection, &CBlackJackClientTable::LandCollection);
  if (step < 0) m_ChipFlightFailed = 1;
  done = step != 0;
}

// ---- animation 16: refused bets back to their players ----

bool CBlackJackClientTable::PlanBetReturn(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !HoldsSeat(seat)) return false;
  // Refused when betting closed: the seat kept a bet the server never took.
  flight.Amount = record->GetBet(KAVO_HAND_1);
  if (!(flight.Amount > TMoney()) || record->GetReportedBet(KAVO_HAND_1) > TMoney()) return false;
  if (!HandPlace(seat, KAVO_HAND_UNSPLIT, flight.FromX, flight.FromY) || !IconPlace(seat, flight.ToX, flight.ToY))
    return false;
  PlaySampleOnce(KAVO_SAMPLE_BETRETURN, 0);
  return true;
}

void CBlackJackClientTable::LandBetReturn(int32_t seat) {
  HideSeatChips(seat);
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat)) {
    record->SetBet(KAVO_HAND_1, TMoney());
    record->GetTotalStake(0);
  }
  UpdateBetTexts();
}

// ---- animation 5: the insurance settled ----

bool CBlackJackClientTable::PlanInsurance(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !record->IsInsured()) return false;
  const TMoney stake = record->GetBet(KAVO_HAND_1) * TMoney("0.5");
  int32_t x = 0, y = 0;
  if (!GetInsuranceSpot(seat, kInsuranceStakeSpot, x, y) || !DealerPlace(flight.FromX, flight.FromY)) return false;
  if (!m_InsurancePays) {
    // The stake goes to the dealer.
    flight.Amount = stake;
    flight.ToX = flight.FromX;
    flight.ToY = flight.FromY;
    flight.FromX = x;
    flight.FromY = y;
    return true;
  }
  // The stake stays, stamped where it lies; its control stops drawing it over the stamp, and the
  // insurance pays beside it.
  if (m_pChipStack && m_pChipStack->Stamp(stake, x, y)) {
    CRect area;
    if (StackArea(stake, x, y, area)) m_StampedChips.push_back(area);
    if (CStatic* control = GetInsuranceChipStatic(seat, kInsuranceStakeSpot)) control->RemoveFlag(CNTRL_HASBITMAP);
  }
  flight.Amount = record->GetInsuranceStake();
  flight.StampAtEnd = 1;
  if (!GetInsuranceSpot(seat, kInsuranceWinSpot, flight.ToX, flight.ToY)) return false;
  CRect area;
  if (StackArea(flight.Amount, flight.ToX, flight.ToY, area)) m_StampedChips.push_back(area);
  return true;
}

void CBlackJackClientTable::LandInsurance(int32_t seat) {
  if (!m_InsurancePays) HideInsuranceChips(seat);
  else DrawInsuranceChips(seat);
}

// ---- the single flights ----

bool CBlackJackClientTable::PlanNaturalWin(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !DealerPlace(flight.FromX, flight.FromY) ||
      !HandoutPlace(seat, KAVO_HAND_UNSPLIT, flight.ToX, flight.ToY))
    return false;
  flight.Amount = record->GetWin(KAVO_HAND_1);
  flight.StampAtEnd = 1;
  CRect area;
  if (StackArea(flight.Amount, flight.ToX, flight.ToY, area)) m_StampedChips.push_back(area);
  return true;
}

void CBlackJackClientTable::LandNaturalWin(int32_t seat) {
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat)) record->SetWon(1);
  CRect spot;
  if (m_pSpotHighlight && m_pSpotHighlight->Hide(seat, &spot)) RedrawAllHands(&spot);
}

bool CBlackJackClientTable::PlanBustBet(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !HandPlace(seat, m_FlightHand, flight.FromX, flight.FromY) || !DealerPlace(flight.ToX, flight.ToY))
    return false;
  flight.Amount = record->GetBet(m_FlightHand);
  return true;
}

void CBlackJackClientTable::LandBustBet(int32_t seat) {
  const int32_t row = HandRow(m_FlightHand) * kSpotsPerRow;
  for (int32_t spot = row; spot < row + kSpotsPerRow; ++spot) HideSpotChips(seat, spot);
}

bool CBlackJackClientTable::PlanFinalWin(int32_t seat, SChipFlight& flight) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record || !DealerPlace(flight.FromX, flight.FromY) || !IconPlace(seat, flight.ToX, flight.ToY)) return false;
  flight.Amount = record->GetWin(m_FlightHand);
  return true;
}

void CBlackJackClientTable::LandFinalWin(int32_t) { UpdateBetTexts(); }
