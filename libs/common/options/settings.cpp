#include "common/options/settings.h"

#include <algorithm>
#include <cstring>

#include "common/options/optionitem.h"
#include "common/options/settingsgroup.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/resources/resdata.h"

namespace {
// A key of the current chunk as {x, y}; the pair stays as it is when the key is missing or
// does not hold two numbers.
void ReadPair(CResData* layout, const char* key, CSettings::TCoordPair& pair) {
  int32_t xy[2] = {};
  layout->FirstItem();
  if (layout->GetItem(key, KLONGARRAY, 2, xy, KEND)) {
    pair.m_X = xy[0];
    pair.m_Y = xy[1];
  }
}

bool IsAlive(const CDialog* dialog) {
  CWinCtrl* wc = xWinCtrl();
  return dialog && wc && wc->IsRegistered(dialog);
}
}  // namespace

CSettings::~CSettings() {
  // The groups' controls leave the dialog while it still holds its own.
  DeleteOptionsGroups();
  DestroySettings();
}

// --- Attaching ---

int32_t CSettings::CreateSettings(CDialog* dialog, const char* layout, TWinCallback callback) {
  CWinCtrl* wc = xWinCtrl();
  if (!callback) callback = SettingsCallback;
  TWinEntry* entry = wc && dialog ? wc->GetEntry(dialog) : nullptr;
  if (!entry || entry->m_pCallback == callback) return 0;
  // The layout first: a script that does not load leaves the dialog as it was.
  auto* script = new CResData;
  if (!layout || !script->Load(layout)) {
    delete script;
    return 0;
  }
  DestroySettings();
  entry = wc->GetEntry(dialog);
  if (!entry) {
    delete script;
    return 0;
  }
  m_SavedEntry = *entry;
  m_pNewCallback = callback;
  m_pUser = this;
  entry->m_pCallback = callback;
  entry->m_pUser = this;
  m_pSettingsDialog = dialog;
  m_pLayout = script;
  return 1;
}

int32_t CSettings::DestroySettings() {
  if (!m_pSettingsDialog && !m_pLayout) return 1;
  const bool alive = IsAlive(m_pSettingsDialog);
  if (alive) {
    // Only our own re-pointing is undone: whoever took the entry over since keeps it.
    TWinEntry* entry = xWinCtrl()->GetEntry(m_pSettingsDialog);
    if (entry && entry->m_pCallback == m_pNewCallback && entry->m_pUser == m_pUser) {
      entry->m_pCallback = m_SavedEntry.m_pCallback;
      entry->m_pUser = m_SavedEntry.m_pUser;
    }
  }
  ForgetControls(alive);
  m_SavedEntry = TWinEntry{};
  m_pNewCallback = nullptr;
  m_pUser = nullptr;
  m_pSettingsDialog = nullptr;
  delete m_pLayout;
  m_pLayout = nullptr;
  return 1;
}

void CSettings::ForgetControls(bool dialogAlive) {
  if (m_pDescCtrl && std::find(m_Controls.begin(), m_Controls.end(), m_pDescCtrl) != m_Controls.end()) {
    m_pDescCtrl = nullptr;
    m_DescId = -1;
  }
  // A dialog destroyed meanwhile freed them with its other controls.
  if (dialogAlive)
    for (TGuiCtrl* record : m_Controls) m_pSettingsDialog->DeleteGuiCtrl(record);
  m_Controls.clear();
}

void CSettings::PassOn(int32_t event, int32_t windowId, int32_t controlId, int32_t value) {
  if (m_SavedEntry.m_pCallback) m_SavedEntry.m_pCallback(event, windowId, controlId, value, m_SavedEntry.m_pUser);
}

void CSettings::SettingsCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  if (auto* settings = static_cast<CSettings*>(user)) settings->PassOn(event, windowId, controlId, value);
}

// --- The layout ---

int32_t CSettings::GetSettingsPosition(TSettingsCoords& coords) {
  coords = TSettingsCoords{};
  if (!m_pLayout || !m_pLayout->EnterDataChunk()) return 0;
  ReadPair(m_pLayout, "SETTINGSPOS", coords.m_SettingsPos);
  ReadPair(m_pLayout, "GROUPOFFSET", coords.m_GroupOffset);
  ReadPair(m_pLayout, "OPTIONSOFFSET", coords.m_OptionsOffset);
  ReadPair(m_pLayout, "DESCOFFSET", coords.m_DescOffset);
  ReadPair(m_pLayout, "LABELOFFSET", coords.m_LabelOffset);
  m_pLayout->ExitDataChunk();
  return 1;
}

TGuiCtrl* CSettings::GetControl(const char* group, const char* option) {
  if (!m_pLayout || !IsAlive(m_pSettingsDialog) || !group || !option) return nullptr;
  if (!m_pLayout->EnterDataChunk()) return nullptr;
  m_pLayout->FirstItem();
  const int32_t before = m_pSettingsDialog->NumGuiCtrls();
  TGuiCtrl* record = m_pLayout->FindItem("{", group, option) ? m_pSettingsDialog->CreateGuiCtrl(m_pLayout) : nullptr;
  m_pLayout->ExitDataChunk();
  if (!record) return nullptr;
  // The control and the children it brought, so that all of them leave again.
  int32_t i = 0;
  for (int32_t more = m_pSettingsDialog->First(); more; more = m_pSettingsDialog->Next(), ++i)
    if (i >= before) m_Controls.push_back(m_pSettingsDialog->CurrentGuiCtrl());
  return record;
}

// --- Groups ---

CSettingsGroup* CSettings::GetOptionsGroup(int32_t id) {
  for (CSettingsGroup* group : m_Groups)
    if (group->GetId() == id) return group;
  return nullptr;
}

int32_t CSettings::AddOptionsGroup(CSettingsGroup* group) {
  if (!group) return 0;
  m_Groups.push_back(group);
  return 1;
}

CSettingsGroup* CSettings::GetOptionsGroupAt(int32_t n) const {
  return n >= 0 && n < NumOptionsGroups() ? m_Groups[static_cast<size_t>(n)] : nullptr;
}

void CSettings::DeleteOptionsGroups() {
  for (CSettingsGroup* group : m_Groups) delete group;
  m_Groups.clear();
}

// --- Description ---

int32_t CSettings::ShowDescText(COptionItem* item) {
  CControlBase* desc = m_pDescCtrl ? m_pDescCtrl->m_pCntrl : nullptr;
  TGuiCtrl* record = item ? item->GetCtrl() : nullptr;
  if (!desc || !record) return 0;
  // A copy of its own: the item may go while the text still shows.
  const CString& text = item->GetText();
  char* buffer = desc->AllocBuffer(static_cast<int32_t>(text.Length()) + 1);
  if (!buffer) return 0;
  std::memcpy(buffer, static_cast<const char*>(text), text.Length() + 1);
  desc->FormatText();
  desc->SetState(XGUI_RELEASED);
  desc->Validate();
  m_DescId = record->m_pCntrl ? record->m_pCntrl->GetID() : record->m_Id;
  return 1;
}

int32_t CSettings::HideDescText() {
  CControlBase* desc = m_pDescCtrl ? m_pDescCtrl->m_pCntrl : nullptr;
  m_DescId = -1;
  if (!desc) return 0;
  desc->SetState(XGUI_HIDDEN);
  desc->Validate();
  return 1;
}
