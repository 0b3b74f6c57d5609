// Every seat's bets as chip stacks on its nine bet spots and its insurance as stacks on its two
// insurance spots, and the cash texts of the seats.
#include "client/betamounts.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/info/translate.h"
#include "common/widgets/chipstack.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

#include <new>

namespace {
using TMoney = CBlackJackClientTable::TMoney;

// The rows of a seat's spots: first split hand, unsplit hand, second split hand.
constexpr int32_t kRowHand1 = 0, kRowUnsplit = 3, kRowHand2 = 6;
constexpr int32_t kCashControl = 175;  // 175 to 179, one per seat
constexpr int32_t kCashTextSize = 64;
constexpr int32_t kInsuranceStakeSpot = 0;
constexpr uint32_t kChipStaticFlags = 0x102;
}  // namespace

void CBlackJackClientTable::HandSpotAmounts(int32_t amount, int32_t doubled, int32_t (&spots)[3]) {
  if (amount <= 0) {
    spots[0] = spots[1] = spots[2] = 0;
  } else if (doubled) {
    spots[0] = amount / 2;
    spots[1] = 0;
    spots[2] = amount - amount / 2;
  } else {
    spots[0] = spots[2] = 0;
    spots[1] = amount;
  }
}

int32_t CBlackJackClientTable::GetSpotAmount(int32_t seat, int32_t spot) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_CHIP_SPOTS) return 0;
  return m_SpotAmounts[seat][spot];
}

CStatic* CBlackJackClientTable::GetSpotChipStatic(int32_t seat, int32_t spot) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_CHIP_SPOTS) return nullptr;
  return m_pChipStatics[seat * KAVO_CHIP_SPOTS + spot];
}

CStatic* CBlackJackClientTable::GetInsuranceChipStatic(int32_t seat, int32_t spot) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_INSURANCE_SPOTS) return nullptr;
  return m_pInsuranceStatics[seat * KAVO_INSURANCE_SPOTS + spot].get();
}

// ---- one stack ----

void CBlackJackClientTable::ShowStack(CStatic* control, CBitmap* bitmap, const TMoney& amount, int32_t x, int32_t y) {
  int32_t height = 0;
  if (!control || !bitmap || !m_pChipStack || !m_pChipStack->CreateChipBitmap(amount, bitmap, height) || height <= 0) {
    HideStack(control);
    return;
  }
  if (control->GetState() != XGUI_HIDDEN) HideStack(control);
  control->SetBitmap(bitmap, bitmap, bitmap, bitmap);
  control->SetPos(x - m_Layout.ChipXSize / 2, y + m_Layout.ChipYSize / 2 - height);
  control->SetSize(m_Layout.ChipXSize, height);
  control->SetState(XGUI_RELEASED);
  control->Invalidate();
}

void CBlackJackClientTable::HideStack(CStatic* control) {
  if (!control || control->GetState() == XGUI_HIDDEN) return;
  // The table shows again where the stack stood.
  const CRect area = control->ScreenRect();
  if (CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr)
    screen->AddClearAreaGui(area.left, area.top, area.right, area.bottom);
  control->SetState(XGUI_HIDDEN);
  control->Invalidate();
}

// ---- the bet spots ----

int32_t CBlackJackClientTable::UpdateChipStacks(int32_t, int32_t reported) {
  // The stacks stand where the view puts the spots: a new view rebuilds them too.
  if (!m_BetsChanged && m_StacksView == m_ViewIndex) return 1;
  m_BetsChanged = 0;
  m_StacksView = m_ViewIndex;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData* record = GetPlayerRecord(seat);
    int32_t amounts[KAVO_CHIP_SPOTS] = {};
    auto row = [&](int32_t hand, int32_t first, int32_t doubled, int32_t done) {
      const TMoney bet = reported ? record->GetReportedBet(hand) : record->GetBet(hand);
      int32_t spots[3] = {};
      HandSpotAmounts(done ? 0 : KavoWholeUnits(bet), doubled, spots);
      for (int32_t k = 0; k < 3; ++k) amounts[first + k] = spots[k];
    };
    if (record && record->IsSplit()) {
      row(KAVO_HAND_1, kRowHand1, record->IsDoubledHand1(), record->IsDone(KAVO_HAND_1));
      row(KAVO_HAND_2, kRowHand2, record->IsDoubledHand2(), record->IsDone(KAVO_HAND_2));
    } else if (record) {
      row(KAVO_HAND_1, kRowUnsplit, record->IsDoubledHand1(), record->IsDone(KAVO_HAND_UNSPLIT));
    }
    for (int32_t spot = 0; spot < KAVO_CHIP_SPOTS; ++spot) {
      m_SpotAmounts[seat][spot] = amounts[spot];
      CStatic* control = GetSpotChipStatic(seat, spot);
      if (amounts[spot] <= 0) {
        HideStack(control);
        continue;
      }
      int32_t x = 0, y = 0;
      GetChipSpot(seat, spot, x, y);
      ShowStack(control, m_pChipBitmaps[seat * KAVO_CHIP_SPOTS + spot], TMoney(amounts[spot]), x, y);
    }
    if (m_InsuranceAmounts[seat] > TMoney()) ShowInsuranceChips(seat, m_InsuranceAmounts[seat]);
  }
  return 1;
}

void CBlackJackClientTable::HideSpotChips(int32_t seat, int32_t spot) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_CHIP_SPOTS) return;
  m_SpotAmounts[seat][spot] = 0;
  HideStack(GetSpotChipStatic(seat, spot));
}

void CBlackJackClientTable::HideSeatChips(int32_t seat) {
  for (int32_t spot = 0; spot < KAVO_CHIP_SPOTS; ++spot) HideSpotChips(seat, spot);
}

// ---- the insurance spots ----

CStatic* CBlackJackClientTable::InsuranceStatic(int32_t seat, int32_t spot) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_INSURANCE_SPOTS) return nullptr;
  const int32_t i = seat * KAVO_INSURANCE_SPOTS + spot;
  if (!m_pInsuranceStatics[i] && !MakeChipStatic(m_pInsuranceBitmaps[i], m_pInsuranceStatics[i])) return nullptr;
  return m_pInsuranceStatics[i].get();
}

bool CBlackJackClientTable::MakeChipStatic(std::unique_ptr<CBitmap>& bitmap, std::unique_ptr<CStatic>& control) {
  auto newBitmap = std::unique_ptr<CBitmap>(new (std::nothrow) CBitmap);
  auto newControl = std::unique_ptr<CStatic>(new (std::nothrow) CStatic);
  if (!newBitmap || !newControl || !newControl->Create("", 0, 0, 0, 0, kChipStaticFlags)) return false;
  newControl->SetFlag(CNTRL_HASBITMAP);
  newControl->SetBitmap(newBitmap.get(), newBitmap.get(), newBitmap.get(), newBitmap.get());
  newControl->SetState(XGUI_HIDDEN);
  m_MainDialog.AddCntrl(newControl.get(), ADDCNTRL_LAST);
  bitmap = std::move(newBitmap);
  control = std::move(newControl);
  return true;
}

void CBlackJackClientTable::ShowInsuranceChips(int32_t seat, const TMoney& amount) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS) return;
  m_InsuranceAmounts[seat] = amount;
  if (!(amount > TMoney())) {
    HideStack(GetInsuranceChipStatic(seat, kInsuranceStakeSpot));
    return;
  }
  CStatic* control = InsuranceStatic(seat, kInsuranceStakeSpot);
  int32_t x = 0, y = 0;
  if (!control || !GetInsuranceSpot(seat, kInsuranceStakeSpot, x, y)) return;
  ShowStack(control, m_pInsuranceBitmaps[seat * KAVO_INSURANCE_SPOTS + kInsuranceStakeSpot].get(), amount, x, y);
}

void CBlackJackClientTable::DrawInsuranceChips(int32_t seat) {
  CBlackJackPlayerData* record = seat < KAVO_NUM_SEATS ? GetPlayerRecord(seat) : nullptr;
  if (!record || !record->IsInsured()) {
    HideInsuranceChips(seat);
    return;
  }
  const TMoney stake = record->GetInsuranceStake();
  ShowInsuranceChips(seat, stake > TMoney() ? stake : record->GetBet(KAVO_HAND_1) * TMoney("0.5"));
}

void CBlackJackClientTable::HideInsuranceChips(int32_t seat) {
  if (seat >= 0 && seat < KAVO_NUM_SEATS) m_InsuranceAmounts[seat] = TMoney();
  for (int32_t spot = 0; spot < KAVO_INSURANCE_SPOTS; ++spot) HideStack(GetInsuranceChipStatic(seat, spot));
}

// ---- the seats' cash ----

int32_t CBlackJackClientTable::UpdateBetTexts() {
  static const CTranslate plain;
  const CTranslate& currency = m_pCurrency ? *m_pCurrency : plain;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    char text[kCashTextSize] = {};
    if (connection && connection->IsHeld())
      currency.CreateCurrStr(text, "%5.2f", PlayerCash(seat) - PlayerTotalBet(seat));
    // The control's own buffer bounds the text, whatever the currency makes of it.
    SetTextBuffer(&m_MainDialog, kCashControl + seat, text);
  }
  if (HaveSlot()) CheckChipButtonsAgainstMax();
  return 1;
}
