// The bets of a round: the table's limits, the clicks on the bet spots, the validator and player
// protection in front of every change, the bets sent to the server, the close of betting and the
// repeated bets, the deal and repeat buttons, and the dealer's refusals in the chat.
#include <cstdio>

#include "client/betamounts.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/tables/tableprotocol.h"
#include "common/widgets/arrow.h"
#include "common/widgets/panel.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/mouse.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commnode.h"

namespace {
// More totals than a hand can make are no list of totals but a hostile count.
constexpr uint32_t kMaxDoubleSums = 32;
constexpr int32_t kSampleBet = 10;
constexpr int32_t kWindowTable = 110;
// Below the 800 x 600 screen: where dialogs wait while they are not wanted.
constexpr int32_t kParkedY = 600;
// Windows a press may start on: the table, the insurance windows, the panel's and the popup.
constexpr int32_t kPressWindows[] = {110, 203, 204, 205, 206, 207, 100, 137, 138, 200, 247, 300};

using TMoney = CBlackJackClientTable::TMoney;

constexpr int32_t kAnimationBetReturn = 16;

// Money a limit may hold: present, parsed, not negative.
bool ReadLimit(CKCBL& record, const char* name, TMoney& into) {
  TMoney value;
  record.FirstItem();
  if (!record.GetItem(name, KMONEY, &value, KEND) || value.GetError() || value.IsNegative()) return false;
  into = value;
  return true;
}

// The valid double totals: exactly `count` of them, no more than a hand can make.
bool ReadDoubleSums(CKCBL& record, uint32_t count, std::vector<int32_t>& sums) {
  sums.clear();
  if (count == 0) return true;
  if (count > kMaxDoubleSums) return false;
  record.FirstItem();
  int32_t items = 0;
  uint32_t values[kMaxDoubleSums] = {};
  if (!record.FindItem(KAVO_ITEM_VALIDDOUBLESUMS) || !record.GetNumArrayItems(0, &items) ||
      items != static_cast<int32_t>(count) || !record.GetULongArray(0, values, static_cast<int32_t>(count)))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (values[i] > INT32_MAX) return false;
    sums.push_back(static_cast<int32_t>(values[i]));
  }
  return true;
}
}  // namespace

// ---- limits ----

int32_t CBlackJackClientTable::ReadTableLimits() {
  CCommNode* node = GetPlayerNode();
  if (!node) return 0;
  CKCBL& record = node->m_RecvKCBL;
  TMoney minTable, maxTable;
  int32_t betSign = 0;
  uint32_t count = 0;
  std::vector<int32_t> sums;
  if (!ReadLimit(record, KAVO_ITEM_MINTABLE, minTable) || !ReadLimit(record, KAVO_ITEM_MAXTABLE, maxTable) ||
      minTable > maxTable)
    return 0;
  record.FirstItem();
  if (!record.GetItem(KAVO_ITEM_BETSIGN, KLONG, &betSign, KEND)) return 0;
  record.FirstItem();
  if (!record.GetItem(KAVO_ITEM_VALIDDOUBLESUMSCOUNT, KULONG, &count, KEND)) return 0;
  if (!ReadDoubleSums(record, count, sums)) return 0;

  m_MinTable = minTable;
  m_MaxTable = maxTable;
  m_BetSign = betSign;
  SetValidDoubleSums(std::move(sums));
  m_OneDeck = static_cast<int32_t>(GetTableId() / 1000) == KAVO_GAMEID_ONEDECK ? 1 : 0;
  if (CPanel* panel = GetPanel()) {
    const uint32_t* chips = m_ChipValues;
    panel->SetChipValues(static_cast<int32_t>(chips[0]), static_cast<int32_t>(chips[1]), static_cast<int32_t>(chips[2]),
                         static_cast<int32_t>(chips[3]), static_cast<int32_t>(chips[4]));
    panel->SelectChipFromLimits(KavoWholeUnits(m_MinTable), KavoWholeUnits(m_MaxTable));
  }
  if (IsPanelTableRemote() && IsBettingOpen()) UpdateDealButton();
  return 1;
}

// ---- the mouse over the bet spots ----

int32_t CBlackJackClientTable::RightClickAmount(int32_t bet) {
  for (int32_t unit : {500, 100, 25, 5})
    if (bet >= unit && bet % unit == 0) return -unit;
  return bet >= 1 ? -1 : 0;
}

int32_t CBlackJackClientTable::SeatOfSpotValue(int32_t value) {
  return value >= 1 && value <= KAVO_NUM_SEATS ? value - 1 : -1;
}

const CBitmap* CBlackJackClientTable::BetSpotMap() const { return GetSpotMap(); }

int32_t CBlackJackClientTable::SpotValueAt(int32_t x, int32_t y) {
  const CBitmap* map = BetSpotMap();
  if (!map || !map->m_pData || map->m_RGBFlag != 0 || map->m_BytesPerPixel != 1 || x < 0 || y < 0) return 0;
  const int32_t mx = x / 2, my = y / 2;
  if (mx >= map->m_Width || my >= map->m_Height) return 0;
  return map->m_pData[static_cast<size_t>(my) * static_cast<size_t>(map->m_Pitch) + static_cast<size_t>(mx)];
}

int32_t CBlackJackClientTable::SpotSeatAt(int32_t x, int32_t y) { return SeatOfSpotValue(SpotValueAt(x, y)); }

bool CBlackJackClientTable::MouseReachesTable(int32_t x, int32_t y, bool pressed) {
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  if (!windows) return false;
  // A window in front of the table covers it.
  CWindowBase* front = windows->GetWindowAt(0);
  if (front && front->GetID() != kWindowTable && front->GetRect().IsPntInRect(x, y)) return false;
  if (!pressed) return true;
  CWindowBase* under = windows->GetTopmostWindowAtPoint(x, y);
  if (!under) return false;
  for (int32_t id : kPressWindows)
    if (under->GetID() == id) return true;
  return false;
}

int32_t CBlackJackClientTable::BetClick() {
  CMouse* mouse = glb ? glb->m_pMouse : nullptr;
  if (m_BettingClosed || IsAnimationRunning() || !mouse) return 1;
  int32_t x = 0, y = 0;
  uint8_t buttons = 0;
  mouse->GetState(&x, &y, &buttons);
  const bool left = (buttons & XMOUSE_LBUTTON) != 0, right = (buttons & XMOUSE_RBUTTON) != 0;
  if (!left && !right) m_ClickLatch = 0;
  if (!MouseReachesTable(x, y, left || right)) return 1;
  const int32_t spot = SpotValueAt(x, y);
  const int32_t seat = SeatOfSpot(spot);
  if (seat < 0) return 1;
  const int32_t own = IsSeatMine(seat);
  const int32_t ownSeats = OwnSeatCount();
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  const bool free = connection && !connection->IsHeld() && !connection->IsReserved();
  // Another player's seat at the one-deck table, or any seat beyond the most a player may hold.
  if (!own && ((m_OneDeck && !free) || ownSeats >= MaxOwnSeats())) return 1;
  if (CWinCtrl* windows = glb->m_pWinCtrl) mouse->SetCursor(windows->GetButtonCursor(), 0);
  if ((!left && !right) || m_ClickLatch) return 1;
  m_ClickLatch = 1;

  if (own) return OwnSpotClick(spot, seat, left);
  if (free && GetCurrentChip() > 0 && m_PendingBets[seat] == 0 && m_SeatRequest < 0) {
    RequestSeatWithBet(seat, GetCurrentChip());
  }
  return 1;
}

int32_t CBlackJackClientTable::OwnSpotClick(int32_t, int32_t seat, bool left) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  const int32_t amount = left ? GetCurrentChip() : RightClickAmount(record ? KavoWholeUnits(record->GetBet(1)) : 0);
  return amount != 0 && ProtectedChange(seat, amount) < 0 ? 0 : 1;
}

int32_t CBlackJackClientTable::BetClickAllowed() {
  // A round the framework started since betting closed (it clears the sent flag) opens betting
  // again even when nobody else did.
  if (m_BettingClosed && !GetBetSent()) OpenBetting();
  return PlayHandler() ? 1 : 0;
}

// ---- one bet change ----

int32_t CBlackJackClientTable::ProtectedChange(int32_t seat, int32_t amount) {
  PlayerProtectionSetBet(TMoney(amount));
  char* message = nullptr;
  if (!PlayerProtectionValidateBet(message)) {
    PlayerProtectionResetBet();
    SayDealer(message);
    return 0;
  }
  const int32_t placed = ChangeBet(amount, seat, 1);
  if (placed == 1)
    PlayerProtectionCommitBet();
  else
    PlayerProtectionResetBet();
  return placed;
}

int32_t CBlackJackClientTable::ChangeBet(int32_t amount, int32_t seat, int32_t send) {
  CBlackJackPlayerData* record = seat < KAVO_NUM_SEATS ? GetPlayerRecord(seat) : nullptr;
  if (!record) return 0;
  const int32_t hand = record->IsSplit() && record->GetCurrentHand() == KAVO_HAND_2 ? KAVO_HAND_2 : KAVO_HAND_1;
  const TMoney old = record->GetBet(hand);
  const TMoney bet = old + TMoney(amount);
  if (bet.GetError() || bet.IsNegative()) return 0;
  const char* message = nullptr;
  const TMoney free = FreeMoneyForSeat(seat) + old;
  if (!m_BetLimitCheck.Check(bet, free, m_MinTable, m_MaxTable, 0, message)) {
    SayDealer(message);
    return 0;
  }
  record->SetBet(hand, bet);
  record->GetTotalStake(0);
  if (send && !SendPlayerBet(seat, 0)) {
    record->SetBet(hand, old);
    record->GetTotalStake(0);
    return -1;
  }
  record->SetBetPlaced(bet > 0 ? 1 : 0);
  m_BetPlacedThisRound = 1;
  PlaySample(kSampleBet);
  if (send) UpdateDealButton();
  AfterBetChange();
  return 1;
}

void CBlackJackClientTable::AfterBetChange() {
  UpdateBetTexts();
  ShowOwnTotal();
  m_BetsChanged = 1;
  UpdateChipStacks(-1, 0);
  CheckChipButtonsAgainstMax();
}

int32_t CBlackJackClientTable::SendPlayerBet(int32_t seat, int32_t final) {
  CCommNode* node = GetTableNode();
  CBlackJackPlayerData* record = seat < KAVO_NUM_SEATS ? GetPlayerRecord(seat) : nullptr;
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!node || !record || !connection) return 0;
  return node->SendInit() && SendEnterPrivatePlayerData(node, seat, connection->m_PlayerId, KAVO_MSG_PLAYERBET) &&
         record->WriteBet(node, final) && SendExitPrivatePlayerData(node) && node->SendKCBLPacket();
}

// ---- the end of betting and the repeated bets ----

int32_t CBlackJackClientTable::CloseBetting() {
  if (m_BettingClosed) return 1;
  // The framework's own close at the end of the time must not send the bets a second time.
  SetBetSent(1);
  int32_t sent = 1;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData* record = IsSeatMine(seat) ? GetPlayerRecord(seat) : nullptr;
    if (!record) continue;
    const TMoney bet = record->GetBet(KAVO_HAND_1);
    const char* message = nullptr;
    const bool refused =
        bet > TMoney() && !m_BetLimitCheck.Check(bet, FreeMoneyForSeat(seat) + bet, m_MinTable, m_MaxTable, 1, message);
    if (refused) {
      RefundToProtection(bet);
      SayDealer(message);
      StartBetReturn();
      record->SetReportedBet(KAVO_HAND_1, TMoney());
      // The refused bet stays on the record for its way back; the server is told none.
      record->SetBet(KAVO_HAND_1, TMoney());
      sent = SendPlayerBet(seat, 1) && sent;
      record->SetBet(KAVO_HAND_1, bet);
    } else {
      record->SetReportedBet(KAVO_HAND_1, bet);
      sent = SendPlayerBet(seat, 1) && sent;
    }
    record->SaveOldBet();
  }
  m_BettingClosed = 1;
  SetBetButtons(TMoney());
  m_BetsChanged = 1;
  UpdateChipStacks(-1, 0);
  CloseBettingDialogs();
  return sent;
}

int32_t CBlackJackClientTable::RepeatBets() {
  if (m_BetPlacedThisRound || !IsBettingOpen()) return 1;
  m_BetPlacedThisRound = 1;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData* record = IsSeatMine(seat) ? GetPlayerRecord(seat) : nullptr;
    if (!record || !(record->GetOldBet() > TMoney())) continue;
    // Limits may have moved since the bet was made: the old bet passes them like a new one.
    const char* message = nullptr;
    if (!m_BetLimitCheck.Check(record->GetOldBet(), FreeMoneyForSeat(seat) + record->GetBet(KAVO_HAND_1), m_MinTable,
                               m_MaxTable, 0, message)) {
      SayDealer(message);
      continue;
    }
    if (!record->RestoreOldBet()) continue;
    if (!SendPlayerBet(seat, 0)) {
      RefundToProtection(record->GetOldBet());
      record->SetBet(KAVO_HAND_1, TMoney());
      record->SetBetPlaced(0);
      return 0;
    }
  }
  m_BetsChanged = 1;
  UpdateChipStacks(-1, 0);
  UpdateDealButton();
  ShowOwnTotal();
  PlayClickSound();
  return 1;
}

// ---- buttons and texts ----

void CBlackJackClientTable::UpdateDealButton() {
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData* record = IsSeatMine(seat) ? GetPlayerRecord(seat) : nullptr;
    if (record && record->GetBet(KAVO_HAND_1) >= m_MinTable && record->GetBet(KAVO_HAND_1) > TMoney()) {
      SetBetButtons(m_MinTable);
      return;
    }
  }
  SetBetButtons(TMoney());
}

void CBlackJackClientTable::SetBetButtons(const TMoney& amount) {
  CPanel* panel = GetPanel();
  CDialog* area = panel ? panel->GetDialog(PANEL_SECTION_BETAREA) : nullptr;
  if (!area) return;
  const int32_t own = GetIndex();
  const bool open = IsBettingOpen();
  if (own >= 0 && open && amount >= m_MinTable && amount > TMoney()) {
    EnableBtn(area, PANEL_CTRL_BET1);
    HideBtn(area, PANEL_CTRL_BET2);
    return;
  }
  DisableBtn(area, PANEL_CTRL_BET1);
  CBlackJackPlayerData* record = own >= 0 ? GetPlayerRecord(own) : nullptr;
  const bool repeatable = open && record && record->GetTotalStake(0).IsZero() && !record->IsBetPlaced() &&
                          record->GetOldBet() > TMoney() && record->GetOldBet() <= GetSeatMoney(own);
  if (repeatable)
    EnableBtn(area, PANEL_CTRL_BET2);
  else
    HideBtn(area, PANEL_CTRL_BET2);
}

void CBlackJackClientTable::SayDealer(const char* text) {
  snprintf(m_LastDealerLine, sizeof m_LastDealerLine, "<Dealer> %s", text ? text : "");
  if (CPanel* panel = GetPanel()) panel->UpdateChat(m_LastDealerLine);
}

void CBlackJackClientTable::CheckChipButtonsAgainstMax() {
  if (CPanel* panel = GetPanel()) panel->CheckChipButtons(KavoWholeUnits(m_MaxTable));
}

void CBlackJackClientTable::ShowOwnTotal() {
  if (CPanel* panel = GetPanel()) panel->ShowTotalBet(OwnTotalBet());
}

// ---- round flags ----

void CBlackJackClientTable::OpenBetting() {
  m_BettingClosed = 0;
  m_BetPlacedThisRound = 0;
  m_ClickLatch = 0;
  m_BetsChanged = 1;
}

int32_t CBlackJackClientTable::IsBettingOpen() const {
  return !m_BettingClosed && GetClientState() == TABLE_CLIENTSTATE_BETTING;
}

void CBlackJackClientTable::StartBetReturn() { StartAnimation(kAnimationBetReturn); }

void CBlackJackClientTable::CloseBettingDialogs() {
  if (CPanel* panel = GetPanel(); panel && m_pActionDialog)
    panel->MoveWindow(m_pActionDialog, m_pActionDialog->GetRect().left, kParkedY, m_Layout.PanelAnimFrames);
  if (m_pArrow) m_pArrow->StopArrow();
}
