#include "common/options/optionitem.h"

#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/dialog.h"

void xDeleteOwnedGuiCtrl(TGuiCtrl* record) {
  if (!record) return;
  CControlBase* control = record->m_pCntrl;
  CWindowBase* window = nullptr;
  int32_t windowId = 0;
  if (control && control->GetParent(&windowId, &window)) {
    if (auto* dialog = dynamic_cast<CDialog*>(window); dialog && dialog->DeleteGuiCtrl(record)) return;
  }
  // Off every dialog: the control leaves its window on its own as it goes.
  delete control;
  delete record;
}

COptionItem::~COptionItem() { Destroy(); }

int32_t COptionItem::Create(TGuiCtrl* record, const CString& text) {
  if (!record) return 0;
  if (record != m_pCtrl) Destroy();
  m_pCtrl = record;
  m_Text = text;
  return 1;
}

int32_t COptionItem::Destroy() {
  xDeleteOwnedGuiCtrl(m_pCtrl);
  m_pCtrl = nullptr;
  m_Text = "";
  return 1;
}

int32_t COptionItem::IsSelected() {
  return m_pCtrl && m_pCtrl->m_pCntrl && m_pCtrl->m_pCntrl->GetState() == XGUI_CHECKED ? 1 : 0;
}

TGuiCtrl* COptionItem::GetCtrl() { return m_pCtrl; }
