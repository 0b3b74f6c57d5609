// What the table shows of the round: a new round's clean table, the time-out meter and its
// reminder, the hands' value texts and their speech, the options, the table's dialog commands,
// the way back after a reconnect and the check before leaving.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/options/options.h"
#include "common/widgets/chipstack.h"
#include "common/widgets/forfundlg.h"
#include "common/options/optionsdlg.h"
#include "ostrel/controls/progress.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/system/globals.h"

namespace {
// Controls of the main dialog.
constexpr int32_t kTimeoutMeter = 132;
constexpr int32_t kValueFirst = 159;  // 159 + seat, 164 the dealer, 165 + seat, 170 + seat
constexpr int32_t kValueCount = 16;
constexpr int32_t kDealerValue = 164;
// Buttons of the action dialog and of the table's dialogs.
constexpr int32_t kHit = 155, kStand = 156, kSplit = 157, kDouble = 158;
constexpr int32_t kRepeatBets = 190;
constexpr int32_t kLeaveWatch = 202;
constexpr int32_t kCloseBox = 1002;
constexpr int32_t kServerMsgClose = 13, kServerMsgAction = 30;
constexpr int32_t kSitDownFirst = 122;
constexpr int32_t kTableInfo = 301;
constexpr int32_t kInsuranceFirst = 203, kInsuranceYes = 208, kInsuranceNo = 209;
// Panel buttons: deal and repeat bet.
constexpr int32_t kDealButton = PANEL_CTRL_BET1, kRepeatButton = PANEL_CTRL_BET2;
// Events.
constexpr int32_t kEventCommand = 2, kEventPress = 3, kEventRelease = 20;
// Strings.
constexpr int32_t kStrBetOnTable = 10210, kStrBlackjack = 10211, kStrBust = 10212, kStrChoose = 10213;
constexpr int32_t kStrMusic = 10700;
// Options.
constexpr int32_t kOptionValueTexts = 421000, kOptionSound = 420011;
// Samples and sequences.
constexpr int32_t kSampleReminder = 13, kSampleClick = 37;
constexpr int32_t kSpeakBlackjack = 5, kSpeakDealerBlackjack = 38, kSpeakBust = 11, kSpeakDealerBust = 40;
constexpr int32_t kSpeak21 = 34, kSpeakTotal = 13;  // 13 + total
constexpr int32_t kReminderMs = 5000;
constexpr size_t kValueTextMax = 256;
constexpr int32_t kParkedY = 600;
constexpr int32_t kSeatPlaying = 1;
}  // namespace

// ---- the round's time ----

namespace {
// The amount's whole units, for the panel's chip check (0 when it does not print).
int32_t WholeAmount(const CBlackJackClientTable::TMoney& amount) {
  char text[64];
  if (amount.GetError() || !CBlackJackClientTable::TMoney::Print(amount, text, -1, 0)) return 0;
  const long whole = strtol(text, nullptr, 10);
  return whole < 0 ? 0 : whole > INT32_MAX ? INT32_MAX : static_cast<int32_t>(whole);
}

CProgress* Meter(CProgress* bar, CDialog& dialog) {
  return bar ? bar : dynamic_cast<CProgress*>(dialog.GetCtrl(kTimeoutMeter));
}
}  // namespace

int32_t CBlackJackClientTable::StartRoundTimer(int32_t total, int32_t remaining) {
  if (CProgress* bar = Meter(m_pTimeoutBar, m_MainDialog)) {
    bar->SetRange(0, total);
    bar->SetValue(remaining);
    bar->Invalidate();
  }
  m_MeterRunning = 1;
  return 1;
}

int32_t CBlackJackClientTable::ShowTimeLeft(int32_t ms) {
  if (!m_ReminderSaid && m_MeterRunning && ms < kReminderMs) {
    PlaySample(kSampleReminder);
    m_ReminderSaid = 1;
    if (const char* text = MainString(kStrChoose)) m_Scroll.AddMessage(text);
  }
  if (CProgress* bar = Meter(m_pTimeoutBar, m_MainDialog)) {
    bar->SetValue(ms);
    bar->Invalidate();
  }
  return 1;
}

void CBlackJackClientTable::ResetTimeoutMeter() {
  if (CProgress* bar = Meter(m_pTimeoutBar, m_MainDialog)) {
    bar->SetValue(0);
    bar->Invalidate();
  }
}

// ---- a new round ----

int32_t CBlackJackClientTable::NewRound() {
  OpenBetting();
  m_ReminderSaid = 0;
  m_MeterRunning = 0;
  for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat)
    if (CBlackJackPlayerData* record = GetPlayerRecord(seat)) record->Reset();
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    HideSeatChips(seat);
    HideInsuranceChips(seat);
  }
  ClearValueTexts();
  RestoreClearAreas();
  CPanel* panel = GetPanel();
  if (panel) {
    DisableBtn(panel->GetDialog(PANEL_SECTION_BETAREA), kDealButton);
    HideBtn(panel->GetDialog(PANEL_SECTION_BETAREA), kRepeatButton);
  }
  int32_t own[KAVO_NUM_SEATS] = {};
  if (GetIndex(own) != -1 && m_pPlayerSeatState)
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      if (own[seat]) m_pPlayerSeatState[seat] = kSeatPlaying;
  if (panel) {
    panel->SetChips(0);
    panel->CheckChipButtons(WholeAmount(m_MaxTable));
    panel->SwitchScrollAndBet(1);
    panel->ShowTotalBet(GetClientPlayerTotalBet());
    if (m_pActionDialog) {
      int32_t x = 0, y = 0;
      m_pActionDialog->GetPos(x, y);
      panel->MoveWindow(m_pActionDialog, x, kParkedY, m_Layout.PanelAnimFrames);
    }
  }
  UpdateBetTexts();
  return 1;
}

// ---- hand values ----

void CBlackJackClientTable::WriteValueText(int32_t control, const char* text) {
  CControlBase* box = m_MainDialog.GetCtrl(control);
  char* buffer = box ? box->GetTextBuffer(0) : nullptr;
  const int32_t size = box ? box->GetTextBufferSize() : 0;
  if (!buffer || size <= 0) return;
  snprintf(buffer, static_cast<size_t>(size), "%s", text);
  box->FormatText();
  // Writing the buffer does not mark the control for the next frame's drawing; Validate does.
  box->Validate();
}

void CBlackJackClientTable::SpeakValue(int32_t first, int32_t second) {
  m_SampleSequence[0] = first;
  m_SampleSequence[1] = second;
  m_SampleSequence[2] = -1;
  if (!m_SoundOn || !m_pSamples) return;
  m_SpeechIds[0] = static_cast<uint32_t>(first);
  m_SpeechIds[1] = second < 0 ? SAMPLE_SEQUENCE_END : static_cast<uint32_t>(second);
  m_SpeechIds[2] = SAMPLE_SEQUENCE_END;
  m_pSamples->StartSequence(m_SpeechIds);
}

void CBlackJackClientTable::ShowHandValue(int32_t soft, int32_t hard, int32_t control, int32_t cards, int32_t split,
                                          int32_t doubled) {
  if (control < kValueFirst || control >= kValueFirst + kValueCount) return;
  const bool dealer = control == kDealerValue;
  // Both totals or the soft one alone.
  const bool both = !doubled && !m_SoftValueOnly;
  int32_t first = -1, second = -1;
  char text[kValueTextMax] = {};
  if (soft == 21 && cards == 2 && !split) {
    const char* blackjack = MainString(kStrBlackjack);
    snprintf(text, sizeof text, "%s", blackjack ? blackjack : "Black Jack");
    if (!(dealer && m_DealerValueSilent)) first = dealer ? kSpeakDealerBlackjack : kSpeakBlackjack;
  } else if (hard >= 22) {
    const char* bust = MainString(kStrBust);
    snprintf(text, sizeof text, "%d %s", hard, bust ? bust : "BUST!");
    first = dealer ? kSpeakDealerBust : kSpeakBust;
  } else if (soft == hard) {
    snprintf(text, sizeof text, "%d", hard);
    first = hard == 21 ? kSpeak21 : kSpeakTotal + hard;
  } else if (soft > 21) {
    snprintf(text, sizeof text, "%d", hard);
    first = kSpeakTotal + hard;
  } else if (dealer) {
    if (soft < 17)
      snprintf(text, sizeof text, "%d/%d", hard, soft);
    else
      snprintf(text, sizeof text, "%d", soft);
    first = kSpeakTotal + soft;
  } else if (soft < 19 && both) {
    snprintf(text, sizeof text, "%d/%d", hard, soft);
    first = kSpeakTotal + hard;
    second = kSpeakTotal + soft;
  } else if (soft < 21 && both) {
    snprintf(text, sizeof text, "%d/%d", hard, soft);
    first = kSpeakTotal + soft;
  } else {
    snprintf(text, sizeof text, "%d", soft);
    first = kSpeakTotal + soft;
  }
  WriteValueText(control, text);
  if (cards >= 2 && first >= 0) SpeakValue(first, second);
}

void CBlackJackClientTable::ClearValueTexts() {
  for (int32_t control = kValueFirst; control < kValueFirst + kValueCount; ++control) WriteValueText(control, "");
  // The dealer's text follows his cards during the round; it starts at the place the view gave it
  // (the last of a view's 16 places, not the dealer's hand position).
  if (CControlBase* dealer = m_MainDialog.GetCtrl(kDealerValue)) dealer->SetPos(m_DealerValuePos[0], m_DealerValuePos[1]);
}

void CBlackJackClientTable::ShowValueTexts(int32_t on) {
  for (int32_t control = kValueFirst; control < kValueFirst + kValueCount; ++control)
    if (CControlBase* text = m_MainDialog.GetCtrl(control)) {
      text->SetState(on ? XGUI_RELEASED : XGUI_HIDDEN);
      text->Invalidate();
    }
}

// ---- options and sound ----

int32_t CBlackJackClientTable::OptionsChangedKavo() {
  const int32_t saved = CClientTableBase::OptionsChanged();
  COptions* options = m_pOptions;
  if (CPanel* panel = GetPanel(); panel && panel->GetOptionsDlg() && panel->GetOptionsDlg()->GetOptions())
    options = panel->GetOptionsDlg()->GetOptions();
  if (!options) return saved;
  int32_t on = 0;
  if (options->GetBool(kOptionValueTexts, &on)) ShowValueTexts(on);
  if (options->GetBool(kOptionSound, &on) && m_pSamples) m_pSamples->Enable(on ? 1 : 0);
  return saved;
}

void CBlackJackClientTable::PlayClick() { PlaySample(kSampleClick); }

// ---- after a reconnect ----

int32_t CBlackJackClientTable::UpdateAfterStateChange() {
  if (m_pMusic) {
    if (const char* music = MainString(kStrMusic)) m_pMusic->Load(music);
  }
  OptionsChanged();
  if (m_pChipStack) m_pChipStack->SetAnimation(1);
  int32_t own[KAVO_NUM_SEATS] = {};
  const int32_t first = GetIndex(own);
  if (!IsRemoteTable()) {
    if (m_WantAllocSeat) {
      const int32_t wish = m_WantAllocSeat;
      m_WantAllocSeat = 0;
      SetWantToAllocSlot(wish);
    }
  } else if (first != -1) {
    PlayerProtectionSetBet(GetClientPlayerTotalBet());
    PlayerProtectionCommitBet();
  }
  if (CPanel* panel = GetPanel()) panel->ShowTotalBet(GetClientPlayerTotalBet());
  UpdateDealButton();
  int32_t view = -1;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS && view == -1; ++seat) {
    const CPlayerConnection* connection = GetPlayerConnection(seat);
    if (own[seat] && connection && connection->m_Joined) view = seat;
  }
  if (view == -1) return 1;
  if (view == KAVO_VIEW_DEFAULT) {
    // The table is seen from the middle already: only the practice dialog takes its place.
    m_ViewIndex = view;
    const int32_t* place = &m_Layout.PracticeDlgPosXY[2 * view];
    if (m_pForFun && place[0] != -1 && place[1] != -1) m_pForFun->SetPos(place[0], place[1]);
    return 1;
  }
  if (view == m_ViewIndex) return 1;
  m_ViewIndex = view;
  return SetCameraView(view);
}

// ---- leaving ----

int32_t CBlackJackClientTable::OwnSeatHasBet() {
  int32_t own[KAVO_NUM_SEATS] = {};
  if (GetIndex(own) == -1) return 0;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    CBlackJackPlayerData* record = GetPlayerRecord(seat);
    if (own[seat] && record && record->GetTotalStake(1) > TMoney()) return 1;
  }
  return 0;
}

int32_t CBlackJackClientTable::ExitGameChecked() {
  const bool quitting = (glb && glb->m_UserWantsToQuit) || IsLeaving();
  if (quitting || !HaveSlot()) return SendLeaveMsg();
  if (OwnSeatHasBet()) {
    const char* text = MainString(kStrBetOnTable);
    SayDealer(text ? text : "");
    return 1;
  }
  return SendLeaveMsg();
}

// ---- the table's dialogs ----

void CBlackJackClientTable::MainDialogCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t, void* user) {
  // The table's dialogs carry the table itself as their user value.
  if (auto* table = static_cast<CBlackJackClientTable*>(user)) table->OnMainDialogEvent(event, windowId, controlId);
}

void CBlackJackClientTable::OnMainDialogEvent(int32_t event, int32_t windowId, int32_t controlId) {
  if (controlId == kTableInfo) {
    if (event == kEventPress) RequestTableInfoPopup(1);
    if (event == kEventRelease) RequestTableInfoPopup(2);
    return;
  }
  if (event != kEventCommand) return;
  if (windowId >= kInsuranceFirst && windowId < kInsuranceFirst + KAVO_NUM_SEATS) {
    if (controlId == kInsuranceYes || controlId == kInsuranceNo) {
      PlayClick();
      SendInsurance(windowId - kInsuranceFirst, controlId == kInsuranceYes ? 1 : 0);
    }
    return;
  }
  switch (controlId) {
    case kHit:
    case kStand:
    case kSplit:
    case kDouble:
      PlayClick();
      ActionButtonPressed(controlId);
      return;
    case kRepeatBets:
      SetOldBet();
      return;
    case kLeaveWatch:
      PlayClick();
      SetWatchMode(0);
      return;
    case kCloseBox:
      PlayClick();
      ExitGame();
      return;
    case kServerMsgClose:
    case kServerMsgAction:
      PlayClick();
      WantDestroyServerMsg();
      return;
    default:
      if (controlId >= kSitDownFirst && controlId < kSitDownFirst + KAVO_NUM_SEATS) {
        PlayClick();
        SetWantToAllocSlot(controlId - kSitDownFirst + 1);
      }
      return;
  }
}
