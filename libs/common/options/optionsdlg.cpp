#include "common/options/optionsdlg.h"

#include "common/options/options.h"
#include "ostrel/controls/controlbase.h"

COptionsDlg::COptionsDlg(CResData* res) : m_pOptions(new COptions(res)) { m_pOwnOptions = m_pOptions; }

COptionsDlg::COptionsDlg(COptions* options) : m_pOptions(options) {}

COptionsDlg::~COptionsDlg() {
  // The controls go first: nothing may read the options while they go.
  Destroy();
  delete m_pOwnOptions;
}

int32_t COptionsDlg::ShowWin(int32_t dialogId, int32_t okId, int32_t cancelId, TWinCallback callback,
                             int32_t /*flags*/, void* user) {
  m_OkId = okId;
  m_CancelId = cancelId;
  m_Closed = 0;
  // WinCallback reads its user value as the dialog, whatever the caller passed.
  if (!callback || !user) user = this;
  if (!callback) callback = WinCallback;
  if (!m_pOptions || !Create(m_pOptions->GetResData(), dialogId, callback, 0, user)) return 0;
  ShowOptions();
  return 1;
}

void COptionsDlg::ShowOptions() {
  if (!m_pOptions) return;
  for (int32_t more = First(); more; more = Next()) {
    const TGuiCtrl* record = CurrentGuiCtrl();
    int32_t value = 0;
    if (record->m_Type == GUICTRL_GROUPBOX) {
      if (m_pOptions->GetLong(record->m_Id, &value)) record->m_pCntrl->SetSelected(value);
    } else if (record->m_Type == GUICTRL_CHECKBOX) {
      if (m_pOptions->GetBool(record->m_Id, &value)) record->m_pCntrl->SetState(value ? XGUI_CHECKED : XGUI_UNCHECKED);
    }
  }
}

void COptionsDlg::WinCallback(int32_t event, int32_t /*windowId*/, int32_t controlId, int32_t /*value*/, void* user) {
  auto* dlg = static_cast<COptionsDlg*>(user);
  if (!dlg || event != GUIMSG_COMMAND) return;
  if (controlId == dlg->m_OkId) {
    dlg->GetDlgState();
    dlg->m_Closed = 1;
  } else if (controlId == dlg->m_CancelId) {
    dlg->m_Closed = 1;
  }
}

int32_t COptionsDlg::GetDlgState() {
  if (!m_pOptions) return 0;
  for (int32_t more = First(); more; more = Next()) {
    const TGuiCtrl* record = CurrentGuiCtrl();
    if (record->m_Type == GUICTRL_GROUPBOX) {
      const int32_t selected = record->m_pCntrl->GetSelected();
      if (selected != -1 && !m_pOptions->SetLong(record->m_Id, selected)) return 0;
    } else if (record->m_Type == GUICTRL_CHECKBOX) {
      // A disabled or hidden box shows no choice of the player's; it must not turn a bool off.
      const int32_t state = record->m_pCntrl->GetState();
      if (state == XGUI_CHECKED || state == XGUI_UNCHECKED) m_pOptions->SetBool(record->m_Id, state == XGUI_CHECKED);
    }
  }
  return 1;
}

int32_t COptionsDlg::ExitWin() {
  if (m_pOptions) m_pOptions->Exit();
  Destroy();
  return 1;
}

int32_t COptionsDlg::Reset() {
  if (m_pOptions) m_pOptions->Reset();
  ShowOptions();
  return 1;
}

int32_t COptionsDlg::UpdateWin() { return m_Closed ? 0 : 1; }

int32_t COptionsDlg::SetCntrlState(int32_t id, int32_t state) {
  CControlBase* control = GetCtrl(id);
  if (!control) return 0;
  control->SetState(state);
  return 1;
}
