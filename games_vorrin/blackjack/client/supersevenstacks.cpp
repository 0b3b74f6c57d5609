// The tenth chip place of each seat on the side-bet table: the one-unit stack of the side bet,
// made with the table, placed with each view and shown as the seat's flag stands.
#include "client/betamounts.h"
#include "client/playerdata.h"
#include "client/supersevenclienttable.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"

CSuperSevenClientTable::CSuperSevenClientTable() = default;

CSuperSevenClientTable::~CSuperSevenClientTable() {
  CloseConfirmation();
  FreeSideStacks();
}

CSuperSevenPlayerData* CSuperSevenClientTable::SideRecord(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat)) : nullptr;
}

int32_t CSuperSevenClientTable::InitClientGame() {
  if (!CBlackJackClientTable::InitClientGame()) return 0;
  if (CreateSideStacks()) {
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) ShowSideStack(seat, 1);
    return 1;
  }
  TearDownTable();
  FreeSideStacks();
  return 0;
}

int32_t CSuperSevenClientTable::ExitClientGame() {
  RemoveAllTimers();
  CloseConfirmation();
  const int32_t result = CBlackJackClientTable::ExitClientGame();
  FreeSideStacks();
  m_SideRun = SChipRun();
  m_SideAnimation = m_SideStepDone = 0;
  m_SplitConfirmed = 0;
  return result;
}

int32_t CSuperSevenClientTable::CreateSideStacks() {
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    if (!MakeChipStatic(m_pSideBitmaps[seat], m_pSideStatics[seat])) return 0;
    m_SideStackAmounts[seat] = 0;
  }
  return 1;
}

void CSuperSevenClientTable::FreeSideStacks() {
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    if (m_pSideStatics[seat]) m_MainDialog.RemoveCntrl(m_pSideStatics[seat].get());
    m_pSideStatics[seat].reset();
    if (m_pSideBitmaps[seat]) m_pSideBitmaps[seat]->Free();
    m_pSideBitmaps[seat].reset();
    m_SideStackAmounts[seat] = 0;
  }
}

int32_t CSuperSevenClientTable::SetCameraView(int32_t view) {
  if (!CBlackJackClientTable::SetCameraView(view)) return 0;
  // The view's spots moved: every stack stands again, above the regular ones.
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    if (!m_pSideStatics[seat]) continue;
    m_MainDialog.RemoveCntrl(m_pSideStatics[seat].get());
    m_MainDialog.AddCntrl(m_pSideStatics[seat].get(), ADDCNTRL_LAST);
    ShowSideStack(seat, 1);
  }
  return 1;
}

int32_t CSuperSevenClientTable::UpdateChipStacks(int32_t seat, int32_t reported) {
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) ShowSideStack(s, 0);
  return CBlackJackClientTable::UpdateChipStacks(seat, reported);
}

int32_t CSuperSevenClientTable::SideStackWanted(int32_t seat) const {
  const CSuperSevenPlayerData* record = SideRecord(seat);
  if (!record || !record->GetSideBet()) return 0;
  int32_t units = KavoWholeUnits(CSuperSevenPlayerData::Unit());
  // A paid side bet keeps its win beside the unit until the settlement takes both home.
  if (record->IsSideBetShown() && record->GetSSWin() > TMoney()) units += KavoWholeUnits(record->GetSSWin());
  return units;
}

bool CSuperSevenClientTable::SideSpot(int32_t seat, int32_t& x, int32_t& y) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return false;
  x = m_SideBetSpots[seat][0];
  y = m_SideBetSpots[seat][1];
  return true;
}

void CSuperSevenClientTable::ShowSideStack(int32_t seat, int32_t force) {
  const int32_t wanted = SideStackWanted(seat);
  if (!force && wanted == m_SideStackAmounts[seat]) return;
  m_SideStackAmounts[seat] = wanted;
  CStatic* control = m_pSideStatics[seat].get();
  int32_t x = 0, y = 0;
  if (wanted <= 0 || !SideSpot(seat, x, y)) {
    HideStack(control);
    return;
  }
  ShowStack(control, m_pSideBitmaps[seat].get(), TMoney(wanted), x, y);
}

int32_t CSuperSevenClientTable::GetSideStackAmount(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? m_SideStackAmounts[seat] : 0;
}

CStatic* CSuperSevenClientTable::GetSideStackStatic(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? m_pSideStatics[seat].get() : nullptr;
}
