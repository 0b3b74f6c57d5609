#include "common/options/settingsgroup.h"

#include "common/options/optionitem.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"

namespace {
CControlBase* ControlOf(COptionItem* item) {
  TGuiCtrl* record = item ? item->GetCtrl() : nullptr;
  return record ? record->m_pCntrl : nullptr;
}
}  // namespace

CSettingsGroup::CSettingsGroup(int32_t id) : m_Id(id) {}

CSettingsGroup::~CSettingsGroup() {
  for (COptionItem* item : m_Items) delete item;
  xDeleteOwnedGuiCtrl(m_pGroupCtrl);
}

int32_t CSettingsGroup::AddOptionItem(COptionItem* item) {
  if (!item) return 0;
  m_Items.push_back(item);
  return 1;
}

int32_t CSettingsGroup::GetSelected(CLList* list, int32_t state) {
  if (!list) return 0;
  int32_t added = 0;
  for (COptionItem* item : m_Items) {
    CControlBase* control = ControlOf(item);
    if (control && control->GetState() == state && list->InsertLast(item)) ++added;
  }
  return added;
}

COptionItem* CSettingsGroup::GetOptionItem(int32_t id) {
  for (COptionItem* item : m_Items) {
    CControlBase* control = ControlOf(item);
    if (control && control->GetID() == id) return item;
  }
  return nullptr;
}

int32_t CSettingsGroup::ChangeOptionState(int32_t id, int32_t state) {
  CControlBase* control = ControlOf(GetOptionItem(id));
  if (!control) return 0;
  control->SetState(state);
  control->Validate();
  return 1;
}

COptionItem* CSettingsGroup::GetOptionItemAt(int32_t n) const {
  return n >= 0 && n < NumOptionItems() ? m_Items[static_cast<size_t>(n)] : nullptr;
}

void CSettingsGroup::SetGroupCtrl(TGuiCtrl* record) {
  if (record == m_pGroupCtrl) return;
  xDeleteOwnedGuiCtrl(m_pGroupCtrl);
  m_pGroupCtrl = record;
}

void CSettingsGroup::SetTexts(const CString& name, const CString& description) {
  m_Name = name;
  m_Description = description;
}
