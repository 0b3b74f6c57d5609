#include "common/widgets/filedialog.h"

#include <algorithm>

#include "ostrel/base/xstring.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/input/mouse.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "platform/files/folders.h"

namespace {
constexpr const char* kColorsName = "filedialogCols";
constexpr const char* kFiltersName = "STR_FD_FILTERS";
constexpr int32_t kRowOffset = 6;

struct SOkCaption {
  const char* m_Name;
  const char* m_Default;
};
constexpr SOkCaption kOkCaptions[] = {
    {"STR_FD_OKBUTTON_OPEN", "Open"}, {"STR_FD_OKBUTTON_SAVE", "Save"}, {"STR_FD_OKBUTTON_SELECT", "Select"}};

// The drive list names a drive without a volume label by its kind.
const char* KindName(const CResData* res, EDriveKind kind) {
  switch (kind) {
    case XDRIVE_REMOVABLE: return res->GetResString("STR_FD_DRIVE_REMOVABLE", "Removable Disk");
    case XDRIVE_FIXED: return res->GetResString("STR_FD_DRIVE_FIXED", "Fixed Disk");
    case XDRIVE_REMOTE: return res->GetResString("STR_FD_DRIVE_REMOTE", "Remote Disk");
    case XDRIVE_CDROM: return res->GetResString("STR_FD_DRIVE_CDROM", "Compact Disc");
    case XDRIVE_UNKNOWN: break;
  }
  return res->GetResString("STR_FD_DRIVE_UNKNOWN", "Unknown Disk");
}

// The entry a typed part names: the exact name first, then the name without regard to ASCII case.
const TFolderEntry* FindEntry(const std::vector<TFolderEntry>& entries, const std::string& part) {
  const TFolderEntry* folded = nullptr;
  for (const TFolderEntry& e : entries) {
    if (e.m_Name == "..") continue;
    if (e.m_Name == part) return &e;
    if (!folded && xStricmp(e.m_Name.c_str(), part.c_str()) == 0) folded = &e;
  }
  return folded;
}

bool IsDotName(const std::string& name) { return !name.empty() && name[0] == '.'; }

template <class T>
T* ControlOf(CDialog& dialog, int32_t id) {
  return id ? dynamic_cast<T*>(dialog.GetCtrl(id)) : nullptr;
}

// Selections made while one lives are the dialog's own, not the player's.
class CUpdating {
 public:
  explicit CUpdating(bool& flag) : m_Flag(flag), m_Old(flag) { m_Flag = true; }
  ~CUpdating() { m_Flag = m_Old; }
  CUpdating(const CUpdating&) = delete;
  CUpdating& operator=(const CUpdating&) = delete;

 private:
  bool& m_Flag;
  bool m_Old;
};
}  // namespace

CFileDialog::CFileDialog() : m_Filters(FileDialogParseFilters(nullptr)) { SetDriveSource(nullptr); }

CFileDialog::~CFileDialog() = default;

void CFileDialog::SetDriveSource(TDriveSource source) {
  m_DriveSource = std::move(source);
  const std::string mount = m_HasFolder ? m_Drives[m_Drive].m_Mount : "";
  m_Drives = FileDialogLetterDrives(m_DriveSource ? m_DriveSource() : PlatformDrives());
  // The current folder stays only while its drive keeps its letter.
  if (m_HasFolder && (m_Drive >= m_Drives.size() || m_Drives[m_Drive].m_Mount != mount)) {
    m_HasFolder = false;
    m_Drive = 0;
    m_Parts.clear();
    m_Path.clear();
    m_FileName.clear();
    UpdateFullPath();
    ClearLists();
  }
}

// --- Paths ---

int32_t CFileDialog::DriveIndex(char letter) const {
  letter = xToUpperAscii(letter);
  for (size_t i = 0; i < m_Drives.size(); ++i)
    if (m_Drives[i].m_Letter == letter) return static_cast<int32_t>(i);
  return -1;
}

bool CFileDialog::HasMedium(const SFileDialogDrive& drive) const {
  if (drive.m_Kind != XDRIVE_REMOVABLE && drive.m_Kind != XDRIVE_CDROM) return true;
  std::vector<TFolderEntry> entries;
  return PlatformListFolder(drive.m_Mount.c_str(), entries);
}

int32_t CFileDialog::CheckRemovableMedia(char* drive) {
  if (!drive || !drive[0]) return 0;
  const int32_t index = DriveIndex(drive[0]);
  if (index < 0) return 0;
  if (HasMedium(m_Drives[static_cast<size_t>(index)])) return 1;
  ClearLists();
  if (auto* paths = ControlOf<CCombobox>(*this, m_Ids.m_PathList)) paths->RemoveAll();
  if (auto* files = ControlOf<CListbox>(*this, m_Ids.m_FileList)) files->RemoveAll();
  RefreshDriveList();
  Validate();
  return 0;
}

bool CFileDialog::ResolveStart(const SFileDialogPath& split, STarget& target) {
  if (split.m_Drive) {
    const int32_t index = DriveIndex(split.m_Drive);
    char letter[2] = {split.m_Drive, 0};
    if (index < 0 || !CheckRemovableMedia(letter)) return false;
    target.m_Drive = static_cast<size_t>(index);
    return true;
  }
  if (split.m_WorkingFolder) {
    const std::string here = PlatformCurrentFolder();
    return !here.empty() && FileDialogLocate(m_Drives, here, target.m_Drive, target.m_Parts);
  }
  // A relative path counts from the current folder, "\" from its drive's root.
  if (!m_HasFolder) return false;
  target.m_Drive = m_Drive;
  if (!split.m_FromRoot) target.m_Parts = m_Parts;
  return true;
}

bool CFileDialog::Reachable(const STarget& target) const {
  const SFileDialogDrive& drive = m_Drives[target.m_Drive];
  if (FileDialogFolderText(drive.m_Letter, target.m_Parts).size() + target.m_Name.size() >= XMAX_PATH) return false;
  std::vector<TFolderEntry> entries;
  return PlatformListFolder(FileDialogSystemFolder(drive, target.m_Parts).c_str(), entries);
}

int32_t CFileDialog::Follow(const char* path, STarget& target) {
  target = STarget();
  SFileDialogPath split;
  if (!FileDialogSplitPath(path, split) || !ResolveStart(split, target)) return -1;
  const SFileDialogDrive& drive = m_Drives[target.m_Drive];
  std::vector<TFolderEntry> entries;
  for (size_t i = 0; i < split.m_Parts.size(); ++i) {
    const std::string& part = split.m_Parts[i];
    if (part == "..") {
      // A drive's root has nothing above it.
      if (!target.m_Parts.empty()) target.m_Parts.pop_back();
      continue;
    }
    if (!PlatformListFolder(FileDialogSystemFolder(drive, target.m_Parts).c_str(), entries)) return -1;
    const TFolderEntry* entry = FindEntry(entries, part);
    if (entry && entry->m_Folder) {
      target.m_Parts.push_back(entry->m_Name);
      continue;
    }
    if (i + 1 < split.m_Parts.size()) return -1;
    if (entry && m_Type != FILEDIALOG_SELECTFOLDER)
      target.m_Name = entry->m_Name;
    else if (!entry && m_Type == FILEDIALOG_SAVE && FileDialogValidNewName(part))
      target.m_Name = part;
    else
      target.m_Missing = true;
  }
  return Reachable(target) ? 1 : -1;
}

int32_t CFileDialog::SetPath(const char* path) {
  STarget target;
  if (Follow(path, target) != 1) return -1;
  Apply(target);
  return 1;
}

void CFileDialog::Apply(const STarget& target) {
  m_Drive = target.m_Drive;
  m_Parts = target.m_Parts;
  m_HasFolder = true;
  m_LastDrive = m_Drives[m_Drive].m_Letter;
  m_Path = FileDialogFolderText(m_LastDrive, m_Parts);
  m_FileName = target.m_Name;
  UpdateFullPath();
  ReadFolder();
}

void CFileDialog::UpdateFullPath() { m_FullPath = m_Path + m_FileName; }

std::string CFileDialog::GetSystemPath() const {
  if (!m_HasFolder) return "";
  return FileDialogSystemFolder(m_Drives[m_Drive], m_Parts) + m_FileName;
}

bool CFileDialog::EnterFolder(const std::string& name) {
  if (name == "..") {
    GoUp(1);
    return true;
  }
  STarget target{m_Drive, m_Parts, "", false};
  target.m_Parts.push_back(name);
  if (!Reachable(target)) return false;
  Apply(target);
  return true;
}

void CFileDialog::GoUp(size_t levels) {
  if (!m_HasFolder) return;
  STarget target{m_Drive, m_Parts, "", false};
  target.m_Parts.resize(target.m_Parts.size() - std::min(levels, target.m_Parts.size()));
  if (Reachable(target)) Apply(target);
}

int32_t CFileDialog::SetFileName(const char* name) {
  if (!name) return 0;
  auto it = std::find(m_Files.begin(), m_Files.end(), name);
  if (it == m_Files.end())
    it = std::find_if(m_Files.begin(), m_Files.end(), [&](const std::string& f) { return xStricmp(f.c_str(), name) == 0; });
  if (it == m_Files.end()) return 0;
  m_FileName = *it;
  UpdateFullPath();
  ShowFileName(m_FileName);
  return 1;
}

// --- Lists ---

bool CFileDialog::ReadFolder() {
  ClearLists();
  std::vector<TFolderEntry> entries;
  if (!m_HasFolder || !PlatformListFolder(FileDialogSystemFolder(m_Drives[m_Drive], m_Parts).c_str(), entries))
    return false;
  if (!m_Parts.empty()) m_Folders.emplace_back("..");
  const SFileFilter* filter = m_Filter < m_Filters.size() ? &m_Filters[m_Filter] : nullptr;
  for (const TFolderEntry& e : entries) {
    if (IsDotName(e.m_Name) || !FileDialogListableName(e.m_Name)) continue;
    if (e.m_Folder)
      m_Folders.push_back(e.m_Name);
    else if (filter && FileDialogFilterMatches(*filter, e.m_Name.c_str()))
      m_Files.push_back(e.m_Name);
  }
  return true;
}

void CFileDialog::ClearLists() {
  m_Folders.clear();
  m_Files.clear();
  m_PickedRow = 0;
}

void CFileDialog::FillDriveList() {
  auto* drives = ControlOf<CCombobox>(*this, m_Ids.m_DriveList);
  if (!drives || !m_pRes) return;
  CUpdating updating(m_Updating);
  drives->RemoveAll();
  for (const SFileDialogDrive& d : m_Drives) {
    const std::string name = d.m_Label.empty() ? KindName(m_pRes, d.m_Kind) : d.m_Label;
    drives->Add((std::string{d.m_Letter, ':', ' '} + name + " (" + d.m_Mount + ")").c_str());
  }
}

void CFileDialog::FillFilterList() {
  auto* filters = ControlOf<CCombobox>(*this, m_Ids.m_FilterList);
  if (!filters) return;
  CUpdating updating(m_Updating);
  filters->RemoveAll();
  for (const SFileFilter& f : m_Filters) filters->Add(f.m_Text.c_str());
  filters->SetSelected(static_cast<int32_t>(m_Filter) + 1);
}

void CFileDialog::RefreshDriveList() {
  auto* drives = ControlOf<CCombobox>(*this, m_Ids.m_DriveList);
  const int32_t index = DriveIndex(m_LastDrive);
  if (!drives || index < 0) return;
  CUpdating updating(m_Updating);
  drives->SetSelected(index + 1);
}

void CFileDialog::RefreshPathList() {
  auto* paths = ControlOf<CCombobox>(*this, m_Ids.m_PathList);
  if (!paths) return;
  CUpdating updating(m_Updating);
  paths->RemoveAll();
  if (!m_HasFolder) return;
  std::vector<std::string> above;
  paths->Add(FileDialogFolderText(m_LastDrive, above).c_str());
  for (const std::string& part : m_Parts) {
    above.push_back(part);
    paths->Add(FileDialogFolderText(m_LastDrive, above).c_str());
  }
  paths->SetSelected(paths->GetNumEntries());
}

void CFileDialog::RefreshFileList() {
  auto* list = ControlOf<CListbox>(*this, m_Ids.m_FileList);
  m_PickedRow = 0;
  if (!list) return;
  CUpdating updating(m_Updating);
  list->RemoveAll();
  int32_t rowHeight = 1, width = 0, height = 0;
  list->GetFieldHeight(rowHeight);
  list->GetSize(width, height);
  const int32_t rowWidth = std::max(1, width - LIST_SCROLLBAR_WIDTH - kRowOffset - 2);
  CFont* font = list->GetLook().m_pFont;
  int32_t chosen = 1;
  auto addRow = [&](const std::string& text, const TRGBA& colour) {
    CControlBase* row = listentries::MakeTextEntry(text.c_str(), rowWidth, rowHeight, CNTRL_TRANSPARENT | CNTRL_CENTERV);
    if (!row) return;
    if (font)
      row->SetFont(font, &colour);
    else
      row->SetTextColor(colour);
    if (!list->Add(row)) delete row;
  };
  for (const std::string& folder : m_Folders) addRow(folder, m_ListColors[0]);
  for (const std::string& file : m_Files) {
    addRow(file, m_ListColors[1]);
    if (file == m_FileName) chosen = list->GetNumRows();
  }
  list->SetOffset(kRowOffset);
  list->SetSelected(chosen, 1);
  list->Validate();
}

void CFileDialog::RefreshAll() {
  RefreshDriveList();
  RefreshPathList();
  RefreshFileList();
}

void CFileDialog::ShowFileName(const std::string& name) {
  auto* field = ControlOf<CEdit>(*this, m_Ids.m_FileName);
  if (!field) return;
  CUpdating updating(m_Updating);
  field->SetText(name.c_str());
  field->SetCaretPos(static_cast<int32_t>(name.size()));
  field->Validate();
}

// --- Show and its loop ---

bool CFileDialog::ReadScript(CResData* res) {
  m_Ids = SIds();
  const std::pair<const char*, int32_t*> names[] = {
      {"IDW_FILEDIALOG", &m_Ids.m_Window},        {"IDB_FD_UP", &m_Ids.m_Up},
      {"IDB_FD_OK", &m_Ids.m_Ok},                 {"IDB_FD_CANCEL", &m_Ids.m_Cancel},
      {"IDCB_FD_DRIVELIST", &m_Ids.m_DriveList},  {"IDCB_FD_PATHLIST", &m_Ids.m_PathList},
      {"IDLB_FD_FILELIST", &m_Ids.m_FileList},    {"IDCB_FD_FILTERLIST", &m_Ids.m_FilterList},
      {"IDE_FD_FILENAME", &m_Ids.m_FileName},     {"IDS_FD_TITLE", &m_Ids.m_Title}};
  for (const auto& [name, id] : names) res->GetResId(name, id);
  if (!m_Ids.m_Window) return false;

  const TRGBA fallback[2] = {{128, 128, 128}, {255, 255, 255}};
  for (int32_t i = 0; i < 2; ++i)
    if (!res->GetCol(kColorsName, &m_ListColors[i], i)) m_ListColors[i] = fallback[i];
  const SOkCaption& ok = kOkCaptions[m_Type];
  m_OkCaption = res->GetResString(ok.m_Name, ok.m_Default);
  m_Filters = FileDialogParseFilters(res->GetResString(kFiltersName, FILEDIALOG_DEFAULT_FILTERS));
  m_Filter = 0;
  return true;
}

int32_t CFileDialog::Show(CResData* res, CMilesSample* click, const char* startPath, FileDialogType type, int32_t flags) {
  m_FileName.clear();
  m_Path.clear();
  m_FullPath.clear();
  m_HasFolder = false;
  m_Parts.clear();
  ClearLists();
  m_Type = type >= FILEDIALOG_OPEN && type <= FILEDIALOG_SELECTFOLDER ? type : FILEDIALOG_OPEN;
  m_Typed = false;
  m_Pending.clear();
  m_Result = -1;
  if (!res || !ReadScript(res) || !Create(res, m_Ids.m_Window, Callback, flags, this)) return 0;
  m_pRes = res;
  m_pClick = click;
  SetText(m_Ids.m_Ok, m_OkCaption.c_str());
  SetText(m_Ids.m_Title, m_Title.c_str());
  // A stick put in since the last time shows.
  SetDriveSource(m_DriveSource);
  FillDriveList();
  FillFilterList();
  if (SetPath(startPath) == 1 || SetPath(".\\") == 1) {
    if (!m_FileName.empty()) ShowFileName(m_FileName);
    RefreshAll();
  }
  while (m_Result < 0) {
    // A program asked to quit, or whose window the player closed, takes the dialog down
    // unanswered.
    if (xHandler() != 0 || xDoUserWantToQuit()) m_Result = 0;
    RunPending();
  }
  Destroy();
  m_pRes = nullptr;
  m_pClick = nullptr;
  return m_Result == 1 ? 1 : 0;
}

void CFileDialog::Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  if (user) static_cast<CFileDialog*>(user)->OnEvent(event, controlId);
}

void CFileDialog::Click() {
  if (m_pClick) m_pClick->Start();
}

bool CFileDialog::ClickedOnSelectedRow() {
  auto* list = ControlOf<CListbox>(*this, m_Ids.m_FileList);
  CMouse* mouse = glb ? glb->m_pMouse : nullptr;
  if (!list || !mouse) return false;
  int32_t x = 0, y = 0, rowHeight = 1;
  uint8_t buttons = 0;
  mouse->GetState(&x, &y, &buttons);
  list->GetFieldHeight(rowHeight);
  const CRect area = list->ScreenRect();
  if (!area.IsPntInRect(x, y)) return false;
  const int32_t row = (y - area.top) / std::max(1, rowHeight) + list->GetIndex();
  return row == list->GetSelected() && list->GetRow(row);
}

void CFileDialog::OnEvent(int32_t event, int32_t controlId) {
  auto is = [controlId](int32_t id) { return id != 0 && controlId == id; };
  if (event == GUIMSG_COMMAND) {
    EAction action;
    if (is(m_Ids.m_Ok) || controlId == XCNTRL_CLOSE)
      action = EAction::Accept;
    else if (is(m_Ids.m_Cancel))
      action = EAction::Cancel;
    else if (is(m_Ids.m_Up))
      action = EAction::Up;
    else
      return;
    Click();
    m_Pending.push_back(action);
    return;
  }
  if (m_Updating) return;
  if (event == GUIMSG_SELCHANGE) {
    if (is(m_Ids.m_FileList))
      m_Pending.push_back(EAction::SelectFile);
    else if (is(m_Ids.m_DriveList))
      m_Pending.push_back(EAction::Drive);
    else if (is(m_Ids.m_PathList))
      m_Pending.push_back(EAction::PathEntry);
    else if (is(m_Ids.m_FilterList))
      m_Pending.push_back(EAction::Filter);
  } else if (event == GUIMSG_LISTEVENT && is(m_Ids.m_FileList)) {
    // The list also reports a click below its last row.
    if (ClickedOnSelectedRow()) m_Pending.push_back(EAction::DoubleClick);
  } else if (event == GUIMSG_TEXTCHANGED && is(m_Ids.m_FileName)) {
    m_Pending.push_back(EAction::Edit);
  }
}

void CFileDialog::RunPending() {
  std::vector<EAction> actions;
  actions.swap(m_Pending);
  for (EAction action : actions) {
    if (m_Result >= 0) return;
    DoAction(action);
  }
}

void CFileDialog::DoAction(EAction action) {
  switch (action) {
    case EAction::Edit:
      m_Typed = true;
      break;
    case EAction::DoubleClick:
      OnDoubleClick();
      break;
    case EAction::SelectFile:
      if (auto* list = ControlOf<CListbox>(*this, m_Ids.m_FileList)) OnSelectFile(list->GetSelected());
      break;
    case EAction::Drive:
      OnDrive();
      break;
    case EAction::PathEntry:
      OnPathEntry();
      break;
    case EAction::Filter:
      OnFilter();
      break;
    case EAction::Up:
      GoUp(1);
      ShowMove();
      break;
    case EAction::Accept:
      OnAccept();
      break;
    case EAction::Cancel:
      Finish(0);
      break;
  }
}

void CFileDialog::OnSelectFile(int32_t row) {
  m_PickedRow = row;
  const size_t folders = m_Folders.size();
  if (row <= static_cast<int32_t>(folders) || m_Type == FILEDIALOG_SELECTFOLDER) return;
  const size_t file = static_cast<size_t>(row) - folders - 1;
  if (file >= m_Files.size()) return;
  m_FileName = m_Files[file];
  m_Typed = false;
  UpdateFullPath();
  ShowFileName(m_FileName);
}

void CFileDialog::OnDoubleClick() {
  auto* list = ControlOf<CListbox>(*this, m_Ids.m_FileList);
  if (!list) return;
  const int32_t row = list->GetSelected();
  // The row the dialog selected itself takes a first click as a selection.
  if (row != m_PickedRow) {
    OnSelectFile(row);
    return;
  }
  if (row >= 1 && static_cast<size_t>(row) <= m_Folders.size()) {
    if (EnterFolder(m_Folders[static_cast<size_t>(row) - 1])) ShowMove();
    return;
  }
  if (m_Type == FILEDIALOG_SELECTFOLDER) return;
  OnSelectFile(row);
  if (!m_FileName.empty()) Finish(1);
}

void CFileDialog::OnDrive() {
  auto* drives = ControlOf<CCombobox>(*this, m_Ids.m_DriveList);
  if (!drives) return;
  const int32_t n = drives->GetSelected();
  if (n < 1 || static_cast<size_t>(n) > m_Drives.size()) return;
  const char root[] = {m_Drives[static_cast<size_t>(n) - 1].m_Letter, ':', '\\', 0};
  if (SetPath(root) == 1)
    ShowMove();
  else
    RefreshDriveList();
}

void CFileDialog::OnPathEntry() {
  auto* paths = ControlOf<CCombobox>(*this, m_Ids.m_PathList);
  if (!paths || !m_HasFolder) return;
  const int32_t n = paths->GetSelected();
  const int32_t entries = static_cast<int32_t>(m_Parts.size()) + 1;
  if (n < 1 || n > entries) return;
  GoUp(static_cast<size_t>(entries - n));
  ShowMove();
}

void CFileDialog::OnFilter() {
  if (auto* filters = ControlOf<CCombobox>(*this, m_Ids.m_FilterList)) {
    const int32_t n = filters->GetSelected();
    if (n >= 1 && static_cast<size_t>(n) <= m_Filters.size()) m_Filter = static_cast<size_t>(n - 1);
  }
  ReadFolder();
  RefreshDriveList();
  RefreshFileList();
}

void CFileDialog::ShowMove() {
  // A name the player typed stays for the folder moved to; one taken from the list goes.
  if (!m_Typed) ShowFileName(m_FileName);
  RefreshAll();
}

void CFileDialog::OnAccept() {
  auto* field = ControlOf<CEdit>(*this, m_Ids.m_FileName);
  const std::string typed = field && field->GetTextBuffer(0) ? field->GetTextBuffer(0) : "";
  if (m_Typed) {
    if (!typed.empty()) {
      STarget target;
      // A path that leads nowhere is refused: the dialog stays where it was, with the text.
      if (Follow(typed.c_str(), target) != 1 || target.m_Missing) return;
      m_Typed = false;
      Apply(target);
      ShowFileName(m_FileName);
      RefreshAll();
      // A folder opens and the dialog stays.
      if (!target.m_Name.empty()) Finish(1);
      return;
    }
    m_Typed = false;
    m_FileName.clear();
    UpdateFullPath();
  }
  if (m_Type == FILEDIALOG_SELECTFOLDER) {
    m_FileName.clear();
    UpdateFullPath();
    Finish(1);
  } else if (!m_FileName.empty()) {
    Finish(1);
  }
}
