// The split that would break a side bet's sevens: the player confirms it in dialog 247 before the
// split goes to the server; "No" leaves the turn open for another choice.
#include "client/playerdata.h"
#include "client/supersevenclienttable.h"
#include "ostrel/dialogs/dialog.h"

namespace {
constexpr int32_t kEventCommand = 2;
}  // namespace

int32_t CSuperSevenClientTable::SplitBreaksSevens() {
  const CSuperSevenPlayerData* record = SideRecord(m_TurnSeat);
  return record && record->GetSideBet() && record->CountSevens() > 0 ? 1 : 0;
}

int32_t CSuperSevenClientTable::CarryOutPendingAction() {
  // An answered confirmation goes here, never inside its own button's callback.
  if (m_PendingAction != KAVO_SS_ACTION_CONFIRMING) CloseConfirmation();
  if (m_PendingAction == KAVO_ACTION_SPLIT && !m_SplitConfirmed && SplitBreaksSevens())
    m_PendingAction = KAVO_SS_ACTION_CONFIRMSPLIT;
  switch (m_PendingAction) {
    case KAVO_SS_ACTION_CONFIRMSPLIT:
      m_PendingAction = OpenConfirmation() ? KAVO_SS_ACTION_CONFIRMING : KAVO_ACTION_NONE;
      return 1;
    case KAVO_SS_ACTION_CONFIRMING: return 1;
    case KAVO_ACTION_NONE: return 1;
    default: break;
  }
  const int32_t result = CBlackJackClientTable::CarryOutPendingAction();
  if (m_ActionSent || m_PendingAction == KAVO_ACTION_NONE) m_SplitConfirmed = 0;
  return result;
}

int32_t CSuperSevenClientTable::OpenConfirmation() {
  CloseConfirmation();
  auto dialog = std::make_unique<CDialog>();
  if (!dialog->Create(&m_MainScript, KAVO_SS_DIALOG_SPLITSEVENS, ConfirmationCallback, 0, this)) return 0;
  dialog->ShowWindow();
  m_pConfirmDialog = std::move(dialog);
  return 1;
}

void CSuperSevenClientTable::CloseConfirmation() {
  if (!m_pConfirmDialog) return;
  m_pConfirmDialog->Destroy();
  m_pConfirmDialog.reset();
}

void CSuperSevenClientTable::ConfirmationCallback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  auto* table = static_cast<CSuperSevenClientTable*>(user);
  if (!table || event != kEventCommand) return;
  if (controlId == KAVO_SS_SPLITSEVENS_YES || controlId == KAVO_SS_SPLITSEVENS_NO) {
    table->PlayClick();
    table->AnswerSplitConfirmation(controlId == KAVO_SS_SPLITSEVENS_YES);
  }
}

void CSuperSevenClientTable::AnswerSplitConfirmation(int32_t split) {
  // An answer after the turn moved on (the time-out stood for the player) changes nothing.
  if (m_PendingAction != KAVO_SS_ACTION_CONFIRMING) return;
  // The dialog is in the middle of reporting this answer: it is hidden now and goes next frame.
  if (m_pConfirmDialog) m_pConfirmDialog->HideWindow();
  m_SplitConfirmed = split ? 1 : 0;
  m_PendingAction = split ? KAVO_ACTION_SPLIT : KAVO_ACTION_NONE;
}
