#include "client/clienttable.h"

#include <new>

#include "client/playerdata.h"
#include "common/info/translate.h"
#include "common/widgets/arrow.h"
#include "common/widgets/chipstack.h"
#include "fennic/move.h"
#include "fennic/object.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/sound/samplecontainer.h"
#include "spothighlight.h"

namespace {
// Table limits before the limits packet: a text that does not convert leaves the error flag set.
CHugeFixedPoint<10, 10> LimitDefault(const char* text) {
  CHugeFixedPoint<10, 10> value;
  if (!CHugeFixedPoint<10, 10>::Translate(text, value)) value.SetError(1);
  return value;
}
}  // namespace

CBlackJackClientTable::CBlackJackClientTable()
    : m_MinTable(LimitDefault("5")), m_MaxTable(LimitDefault("500")),
      m_pSamples(std::make_unique<CSampleContainer>()) {
  for (int32_t& p : m_Layout.PracticeDlgPosXY) p = -1;
  m_MaxNumHands = GetNumSlots();
  m_ViewIndex = KAVO_VIEW_DEFAULT;
  m_pControlCallback = MainDialogCallback;
}

CBlackJackClientTable::~CBlackJackClientTable() {
  m_pCurrency.reset();
  m_pMoveList.reset();
  FreePlayerRecords();
  delete m_pChipStack;
  delete m_pChipDrawBitmap;
  delete m_pArrow;
  delete m_pSpotHighlight;
  delete m_pShoeCard;
  delete m_pPlayerIconBitmap;
  delete m_pTableInfoPopup;
  delete m_pActionDialog;
  delete m_pSecondDialog;
  for (CDialog* d : m_pInsuranceDlg) delete d;
  for (CStatic* s : m_pChipStatics) delete s;
  for (CStatic* s : m_pSeatStatics) delete s;
  for (CBitmap* b : m_pChipBitmaps) delete b;
  for (CBitmap* b : m_pSeatBitmaps) delete b;
  // The view's pictures, when the table goes without its tear-down.
  m_CardTable.SetPersistent(nullptr);
  delete m_pTablePicture;
  delete m_pSpotMap;
}

// ---- the seat records ----

CBlackJackPlayerData* CBlackJackClientTable::NewPlayerRecord() { return new (std::nothrow) CBlackJackPlayerData; }

int32_t CBlackJackClientTable::CreatePlayerRecords() {
  FreePlayerRecords();
  const int32_t seats = GetNumSlots();
  m_ppPlayers = new (std::nothrow) CBlackJackPlayerData*[static_cast<size_t>(seats) + 1]();
  m_pPlayerSeatState = new (std::nothrow) int32_t[static_cast<size_t>(seats)]();
  bool ok = m_ppPlayers && m_pPlayerSeatState;
  for (int32_t i = 0; ok && i <= seats; ++i) {
    CBlackJackPlayerData* record = NewPlayerRecord();
    if (!record) {
      ok = false;
      break;
    }
    m_ppPlayers[i] = record;
    record->Attach(this, i, i == seats);
    record->Reset();
  }
  if (ok) return 1;
  FreePlayerRecords();
  Exit();
  return 0;
}

void CBlackJackClientTable::FreePlayerRecords() {
  if (m_ppPlayers) {
    for (int32_t i = 0; i <= GetNumSlots(); ++i) delete m_ppPlayers[i];
  }
  delete[] m_ppPlayers;
  delete[] m_pPlayerSeatState;
  m_ppPlayers = nullptr;
  m_pPlayerSeatState = nullptr;
}

CBlackJackPlayerData* CBlackJackClientTable::GetPlayerRecord(int32_t seat) const {
  if (!m_ppPlayers || seat < 0 || seat > KAVO_NUM_SEATS) return nullptr;
  return m_ppPlayers[seat];
}

int32_t CBlackJackClientTable::CreateGamePlayer(int32_t seat, int32_t) {
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat); record && seat < GetNumSlots()) record->Reset();
  return 1;
}

int32_t CBlackJackClientTable::DeleteGamePlayer(int32_t seat) {
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat); record && seat < GetNumSlots()) record->Reset();
  return 1;
}

// ---- what the records use ----

void CBlackJackClientTable::SetChipStack(CChipStack* stack) {
  if (stack == m_pChipStack) return;
  delete m_pChipStack;
  m_pChipStack = stack;
}

void CBlackJackClientTable::SetChipSpot(int32_t seat, int32_t spot, int32_t x, int32_t y) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_CHIP_SPOTS) return;
  m_ChipSpots[seat][spot][0] = x;
  m_ChipSpots[seat][spot][1] = y;
}

bool CBlackJackClientTable::GetChipSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_CHIP_SPOTS) return false;
  x = m_ChipSpots[seat][spot][0];
  y = m_ChipSpots[seat][spot][1];
  return true;
}

void CBlackJackClientTable::SetInsuranceSpot(int32_t seat, int32_t spot, int32_t x, int32_t y) {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_INSURANCE_SPOTS) return;
  m_InsuranceSpots[seat][spot][0] = x;
  m_InsuranceSpots[seat][spot][1] = y;
}

bool CBlackJackClientTable::GetInsuranceSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || spot < 0 || spot >= KAVO_INSURANCE_SPOTS) return false;
  x = m_InsuranceSpots[seat][spot][0];
  y = m_InsuranceSpots[seat][spot][1];
  return true;
}

CBlackJackClientTable::TMoney CBlackJackClientTable::GetSeatFreeMoney(int32_t seat) const {
  TMoney free = GetSeatMoney(seat);
  if (CBlackJackPlayerData* record = GetPlayerRecord(seat); record && seat < KAVO_NUM_SEATS)
    free = free - record->GetStoredTotalStake();
  return free;
}

int32_t CBlackJackClientTable::PlaySample(int32_t id) {
  if (!m_SoundOn || !m_pSamples || id < 0) return 1;
  return m_pSamples->Play(static_cast<uint32_t>(id));
}

void CBlackJackClientTable::MainDialogCallback(int32_t, int32_t, int32_t, int32_t, void*) {}
