// The seats as the player sees them: one icon per seat (picture, name, cash, think bubble and
// sit-down button), the seats' bet arrows, watching, and the panel's moves between watching and
// playing.
#include <cstdio>
#include <cstring>
#include <new>

#include "client/clienttable.h"
#include "common/widgets/playericon.h"
#include "ostrel/controls/static.h"

namespace {
// Seat controls of the main dialog, per seat s: control + s.
constexpr int32_t kBubble = 145, kPicture = 140, kThird = 180, kName = 127, kCash = 175, kSitDown = 122;
// The watch dialog's text.
constexpr int32_t kWatchText = 201;
constexpr int32_t kStrWatchBefore = 10208, kStrWatchAfter = 10209;
constexpr int32_t kParkedY = 600;
constexpr int32_t kSeatEmpty = 0, kSeatPlaying = 1;
// The icon's row in the strip: bit 0 of the seat's icon flags.
constexpr int32_t kIconFlagFemale = 1;

void ShowControl(CControlBase* control, bool show) {
  if (!control) return;
  control->SetState(show ? XGUI_RELEASED : XGUI_HIDDEN);
  control->Invalidate();
}
}  // namespace

// ---- the icons ----

void CBlackJackClientTable::SPlayerIcons::Free() {
  for (CPlayerIcon*& icon : Icons) {
    delete icon;
    icon = nullptr;
  }
}

int32_t CBlackJackClientTable::CreatePlayerIcons(CBitmap* strip, int32_t cellWidth, int32_t cellHeight, int32_t male,
                                                 int32_t female, int32_t other, int32_t extra, int32_t showOtherCash) {
  DeletePlayerIcons();
  if (!strip) return 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    auto* icon = new (std::nothrow) CPlayerIcon;
    if (!icon) {
      DeletePlayerIcons();
      return 0;
    }
    m_PlayerIcons.Icons[seat] = icon;
    icon->Init(m_MainDialog.GetCtrl(kBubble + seat), m_MainDialog.GetCtrl(kPicture + seat),
               m_MainDialog.GetCtrl(kThird + seat), m_MainDialog.GetCtrl(kName + seat),
               m_MainDialog.GetCtrl(kCash + seat), m_MainDialog.GetCtrl(kSitDown + seat), showOtherCash);
    if (!icon->InitIconBitmap(strip, cellWidth, cellHeight, male, female, other, extra)) {
      DeletePlayerIcons();
      return 0;
    }
    icon->SetBubble(0);
    icon->SetPlayMode(kSeatEmpty);
  }
  return 1;
}

void CBlackJackClientTable::DeletePlayerIcons() { m_PlayerIcons.Free(); }

CPlayerIcon* CBlackJackClientTable::GetPlayerIcon(int32_t seat) const {
  return seat >= 0 && seat < KAVO_NUM_SEATS ? m_PlayerIcons.Icons[seat] : nullptr;
}

int32_t CBlackJackClientTable::UpdatePlayerIcons() {
  int32_t own[KAVO_NUM_SEATS] = {};
  const bool hasSeat = GetIndex(own) != -1;
  int32_t ownCount = 0;
  for (int32_t held : own) ownCount += held;
  const bool oneDeck = GetTableId() / 1000 == static_cast<uint32_t>(KAVO_GAMEID_ONEDECK);
  // The arrows invite bets: only while betting is open for a seated player.
  const bool betting = hasSeat && GetClientState() == TABLE_CLIENTSTATE_BETTING && IsAllowedToBet();
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CPlayerIcon* icon = GetPlayerIcon(seat);
    const int32_t mode = GetSlotStatus(seat);
    const char* name = GetSeatUserName(seat);
    if (icon && name && *name) icon->SetName(name);
    // A seat the client has not heard of yet keeps what it shows.
    if (mode < kSeatEmpty) continue;
    if (icon) icon->SetPlayMode(mode);
    CControlBase* arrow = m_pSeatStatics[seat];
    if (mode == kSeatEmpty) {
      if (icon) icon->SetBubble(0);
      if (m_JoinButtonsShown) {
        if (icon) icon->ShowJoinButton(1);
      } else {
        ShowControl(arrow, m_Sitting && betting && !oneDeck && ownCount < m_MaxNumHands);
      }
      continue;
    }
    if (icon) {
      icon->SetBubble(GetThinkBubble(seat));
      icon->HideJoinButton();
    }
    ShowControl(arrow, betting && own[seat] != 0);
    if (mode == kSeatPlaying && icon)
      icon->SetIcon(GetIconFlags(seat) & kIconFlagFemale ? 1 : 0, GetIconValue(seat), own[seat] ? 0 : 1);
  }
  UpdateBetTexts();
  return 1;
}

// ---- watching and the seat panel ----

CDialog* CBlackJackClientTable::PanelWindow() const {
  return GetPanel() ? GetPanel()->GetDialog(PANEL_SECTION_CHIPS) : nullptr;
}

void CBlackJackClientTable::MovePanelWindow(int32_t y) {
  CPanel* panel = GetPanel();
  CDialog* window = PanelWindow();
  // Before the player has joined (the framework's own set-up) and while the table is greyed the
  // panel waits below the screen; showing the table slides it home.
  if (!panel || !window || IsGreyed() || !(IsJoined() || GetCreateMode())) return;
  int32_t x = 0, at = 0;
  window->GetPos(x, at);
  panel->MoveWindow(window, x, y, m_Layout.PanelAnimFrames);
}

void CBlackJackClientTable::SetWatchMode(int32_t on) {
  CPanel* panel = GetPanel();
  CDialog* watch = m_pSecondDialog;
  int32_t x = 0, y = 0;
  if (watch) watch->GetPos(x, y);
  if (on) {
    HideSeatPanel();
    if (panel && watch) panel->MoveWindow(watch, x, m_SecondDialogHomeY, m_Layout.PanelAnimFrames);
    MovePanelWindow(kParkedY);
    const char* before = MainString(kStrWatchBefore);
    const char* after = MainString(kStrWatchAfter);
    CControlBase* text = watch ? watch->GetCtrl(kWatchText) : nullptr;
    char* buffer = text ? text->GetTextBuffer(0) : nullptr;
    const int32_t size = text ? text->GetTextBufferSize() : 0;
    if (before && after && buffer && strlen(before) + strlen(after) + 10 < static_cast<size_t>(size > 0 ? size : 0)) {
      snprintf(buffer, static_cast<size_t>(size), "%s%ld%s", before, static_cast<long>(GetTableId()), after);
      text->FormatText();
      text->Invalidate();
    }
    m_MeterRunning = 0;
  } else {
    if (panel && watch) panel->MoveWindow(watch, x, kParkedY, m_Layout.PanelAnimFrames);
    MovePanelWindow(m_PanelWindowHomeY);
  }
  m_WatchMode = on ? 1 : 0;
}

int32_t CBlackJackClientTable::ShowSeatPanel() {
  if (m_WantAllocSeat) return 1;
  if (HaveSlot()) {
    m_Sitting = 1;
    if (!m_WatchMode) MovePanelWindow(m_PanelWindowHomeY);
  } else {
    if (!m_WatchMode) MovePanelWindow(kParkedY);
    if (CPanel* panel = GetPanel()) panel->DisableChipButtons();
    m_Sitting = 0;
    m_JoinButtonsShown = 1;
  }
  UpdatePlayerIcons();
  return 1;
}

int32_t CBlackJackClientTable::HideSeatPanel() {
  MovePanelWindow(m_PanelWindowHomeY);
  m_JoinButtonsShown = 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) DisableBtn(&m_MainDialog, kSitDown + seat);
  return 1;
}
