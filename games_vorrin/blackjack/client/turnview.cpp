// What the table shows of whose turn it is: the lit spot, the action dialog sliding in and out,
// the action buttons and the time-out bar; and the round records waiting on the table node.
#include "client/clienttable.h"
#include "common/widgets/panel.h"
#include "ostrel/base/xstring.h"
#include "ostrel/controls/progress.h"
#include "ostrel/graphics/rgba.h"
#include "ostrel/resources/resflags.h"
#include "ostrelcomm/commnode.h"
#include "spothighlight.h"

namespace {
// Dialogs out of sight wait just below the 800 x 600 screen.
constexpr int32_t kParkedY = 600;
constexpr int32_t kButtonHit = 155, kButtonStand = 156, kButtonSplit = 157, kButtonDouble = 158;
// The buttons are drawn by the toolkit, face and label: a button the hand does not allow dims its
// label too, or only a slightly greyer face would tell it from an offered one.
const TRGBA kOfferedLabel{255, 255, 255, 0}, kRefusedLabel{120, 132, 124, 0};
}  // namespace

int32_t CBlackJackClientTable::OwnSeats(int32_t* seats) const {
  int32_t count = 0;
  for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s) {
    seats[s] = IsOwnSeat(s);
    count += seats[s];
  }
  return count;
}

int32_t CBlackJackClientTable::IsOwnSeat(int32_t seat) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || GetPlayerId() == 0) return 0;
  const CPlayerConnection* holder = GetPlayerConnection(seat);
  return holder && holder->GetPlayerId() == GetPlayerId() ? 1 : 0;
}

void CBlackJackClientTable::SetProgress(int32_t value) {
  if (m_pTimeoutBar) m_pTimeoutBar->SetValue(value);
}

void CBlackJackClientTable::SetActionButtons(int32_t hitStand, int32_t split, int32_t doubled) {
  // The buttons are offered again every frame of the turn: one that is already on keeps its state,
  // or a button held down would be released by the table and never give its command.
  auto offer = [this](int32_t id, int32_t on) {
    CControlBase* button = m_pActionDialog ? m_pActionDialog->GetCtrl(id) : nullptr;
    const int32_t state = button ? button->GetState() : XGUI_DISABLED;
    if (on && state != XGUI_DISABLED && state != XGUI_HIDDEN) return;
    on ? EnableBtn(m_pActionDialog, id) : DisableBtn(m_pActionDialog, id);
    if (button) button->SetTextColor(on ? kOfferedLabel : kRefusedLabel);
  };
  offer(kButtonHit, hitStand);
  offer(kButtonStand, hitStand);
  offer(kButtonSplit, split);
  offer(kButtonDouble, doubled);
  m_HitStandEnabled = hitStand;
  m_SplitEnabled = split;
  m_DoubleEnabled = doubled;
}

void CBlackJackClientTable::DisableActionButtons() { SetActionButtons(0, 0, 0); }

void CBlackJackClientTable::ActionButtonPressed(int32_t controlId) {
  if (!IsOwnSeat(m_TurnSeat) || m_ActionSent) return;
  switch (controlId) {
    case kButtonHit: m_PendingAction = KAVO_ACTION_HIT; break;
    case kButtonStand: m_PendingAction = KAVO_ACTION_STAND; break;
    case kButtonSplit: m_PendingAction = KAVO_ACTION_SPLIT; break;
    case kButtonDouble: m_PendingAction = KAVO_ACTION_DOUBLE; break;
    default: break;
  }
}

void CBlackJackClientTable::LightSpot(int32_t seat) {
  if (!m_pSpotHighlight) {
    m_SpotLit = seat >= 0;
    return;
  }
  const int32_t lit = m_pSpotHighlight->GetSelected();
  if (m_SpotLit && lit >= 0 && lit != seat) {
    CRect area;
    m_pSpotHighlight->Hide(lit, &area);
    m_pSpotHighlight->SetSelected(-1);
    RedrawAllHands(&area);
  }
  m_SpotLit = 0;
  if (seat < 0) return;
  CRect area;
  if (m_pSpotHighlight->Show(seat, &area)) RedrawAllHands(&area);
  m_SpotLit = 1;
}

CDialog* CBlackJackClientTable::PanelSlideWindow() const {
  return m_pPanel ? m_pPanel->GetDialog(PANEL_SECTION_CHIPS) : nullptr;
}

void CBlackJackClientTable::SlideActionDialog(int32_t in) {
  if (!m_pPanel) return;
  const int32_t frames = m_Layout.PanelAnimFrames > 0 ? m_Layout.PanelAnimFrames : 1;
  int32_t x = 0, y = 0;
  if (m_pActionDialog && m_pActionDialog->GetPos(x, y))
    m_pPanel->MoveWindow(m_pActionDialog, x, in ? m_ActionDialogHomeY : kParkedY, frames);
  // The panel's window gives the buttons its place while the player decides.
  CDialog* window = PanelSlideWindow();
  if (!window || !window->GetPos(x, y)) return;
  if (in)
    m_pPanel->MoveWindow(window, x, kParkedY, frames);
  else if (HaveSlot())
    m_pPanel->MoveWindow(window, x, m_PanelWindowHomeY, frames);
}

// ---- the records of the round ----

int32_t CBlackJackClientTable::TakeWaitingRecord(const char* keyword, const char* value) {
  CCommNode* node = m_pTableNode;
  if (!node || !node->IsDataAvailable()) return -1;
  const auto matches = [&](CKCBL& record) {
    record.MainChunk();
    record.FirstItem();
    if (!value) return record.FindItem(keyword) != 0;
    char text[64] = {};
    return record.GetItem(keyword, KSTRING, sizeof text - 1, text, KEND) &&
           xStricmp(text, value) == 0;
  };
  // The framework snoops the node: look before taking, so that another record stays for its
  // reader. A node that is not snooped hands its record over at once.
  if (node->SnoopRecvKCBLPacket()) {
    const bool ours = matches(node->m_RecvKCBL);
    node->SnoopFreeKCBL();
    if (!ours) return -1;
    return node->RecvKCBLPacket() ? 1 : 0;
  }
  if (!node->RecvKCBLPacket()) return 0;
  if (matches(node->m_RecvKCBL)) return 1;
  node->RecvKCBLFree();
  return -1;
}

void CBlackJackClientTable::DropWaitingRecord() {
  CCommNode* node = m_pTableNode;
  if (!node || !node->IsDataAvailable()) return;
  if (node->RecvKCBLPacket()) node->RecvKCBLFree();
}

bool CBlackJackClientTable::NothingCame(int32_t received) {
  if (received) return false;
  DropWaitingRecord();
  return true;
}
