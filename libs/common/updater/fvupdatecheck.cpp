// The check of a pass: which modules and files are looked at, the installed record and the disk
// compared with the server's record, files registered or wanted.
#include <new>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvlistops.h"
#include "common/updater/fvnames.h"
#include "common/updater/fvreplace.h"
#include "common/updater/fvupdatepass.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/debug.h"

namespace {
std::string Folded(const char* name) {
  std::string folded(name ? name : "");
  for (char& c : folded) c = xToLowerAscii(c);
  return folded;
}

bool AllSix(const CFVNormFile& f) {
  return f.HaveNormName() == 1 && f.GetNormName() && f.HaveNormCRC() == 1 && f.HaveNormFileSize() == 1 &&
         f.HavePackedName() == 1 && f.GetPackedName() && f.HavePackedCRC() == 1 && f.HavePackedFileSize() == 1;
}

bool Complete(const CFVNormFile& f) {
  return f.HaveNormName() == 1 && f.GetNormName() && f.HaveNormCRC() == 1 && f.HaveNormFileSize() == 1;
}

// The status an entry takes when one of its files is wanted: an update for an installed game,
// nothing installed for one that is not (or whose installation was only asked for).
int32_t WantedStatus(int32_t current) {
  return current != MODSTATUS_NOT_INSTALLED && current != MODSTATUS_INSTALL_ASKED ? MODSTATUS_UPDATE_NEEDED
                                                                                  : MODSTATUS_NOT_INSTALLED;
}
}  // namespace

CFVUpdatePass::CFVUpdatePass(const SFVPassSettings& settings, CGames& games)
    : m_Settings(settings),
      m_Games(games),
      m_C(FVersion_Callbacks()),
      m_Server(settings.m_pServerRead ? *settings.m_pServerRead : m_ServerRead) {}

CFVUpdatePass::~CFVUpdatePass() { FVDeleteRecords<SFVersionDownloadItem>(m_Items); }

int32_t CFVUpdatePass::Run() {
  if (!FVersion_RequiredCallbacksSet() || !m_Settings.m_pServerList || !m_Settings.m_pInstalledList) return 0;
  if (!MakeStatusRecords() || !ReadLists() || !TakeModules() || !AddMissingModules() || !Check()) return 0;
  return m_Settings.m_Download ? Download() : FinishWithoutDownload();
}

int32_t CFVUpdatePass::MakeStatusRecords() {
  m_Status.LoadFile();
  for (CNode* n = m_Games.HeadNode(); n; n = n->m_pNext) {
    auto* game = static_cast<GamestxtCFVModule*>(n->m_pData);
    if (!game || !game->GetModName()) continue;
    const size_t at = m_Statuses.size();
    m_Statuses.push_back({game, m_Status.GetFlagForThisModule(game->GetModName()), MODSTATUS_INSTALLED, false});
    m_GameByName.emplace(game->GetModName(), at);
    for (CNode* i = game->GetIndirectItems()->HeadNode(); i; i = i->m_pNext) {
      const auto* item = static_cast<const SFVersionDownloadItem*>(i->m_pData);
      if (item->m_pNormName) m_UsersByFile[Folded(item->m_pNormName)].push_back(at);
    }
  }
  return 1;
}

int32_t CFVUpdatePass::ReadLists() {
  m_C.m_LoadStart();
  const int32_t ok = (m_Settings.m_pServerRead ||
                      m_Server.ReadModuleList(m_Settings.m_pServerList, 1, m_Settings.m_PackageKind)) &&
                     (!m_C.m_FileExists(m_Settings.m_pInstalledList) ||
                      m_Installed.ReadModuleList(m_Settings.m_pInstalledList, 1, m_Settings.m_PackageKind));
  m_C.m_LoadEnd();
  if (!ok) xprintf("FVersion_ValidateFiles: unable to read %s or %s", m_Settings.m_pServerList, m_Settings.m_pInstalledList);
  return ok;
}

int32_t CFVUpdatePass::TakeModules() {
  for (const bool normal : {true, false}) {
    for (normal ? m_Server.FirstNormalModule() : m_Server.FirstIndirectModule();
         normal ? m_Server.ExistsNormalModule() : m_Server.ExistsIndirectModule();
         normal ? m_Server.NextNormalModule() : m_Server.NextIndirectModule()) {
      normal ? m_Server.FetchNormalModule() : m_Server.FetchIndirectModule();
      SModuleFiles module{m_Server.CurrModule(), {}};
      module.m_Files.reserve(static_cast<size_t>(module.m_pModule->GetNumNormFiles()));
      for (m_Server.NormalFile_First(); m_Server.NormalFile_Exists(); m_Server.NormalFile_Next()) {
        m_Server.NormalFile_Fetch();
        module.m_Files.push_back(m_Server.CurrNormalFile());
      }
      for (m_Server.IndirectFile_First(); m_Server.IndirectFile_Exists(); m_Server.IndirectFile_Next()) {
        m_Server.IndirectFile_Fetch();
        m_ListedBy[Folded(m_Server.IndirectFile_GetName())].push_back(module.m_pModule->GetModName());
      }
      m_Modules.push_back(std::move(module));
    }
  }
  return 1;
}

int32_t CFVUpdatePass::AddMissingModules() {
  for (const SModuleFiles& module : m_Modules) {
    const CFVModule& m = *module.m_pModule;
    if (m_Installed.FindModule(m.GetModName())) continue;
    const bool package = m.GetModMode() == FVMODULE_NORMAL && m.GetModPackedFileName();
    if (!m_Installed.AddModule(m.GetModName(), m.GetModDesc(), m.GetModClassName(),
                               package ? m.GetModPackedFileName() : nullptr,
                               package ? m.GetModPackedFileSize() : FVMODULE_NO_PACKAGE,
                               package ? m.GetModPackedFileCRC() : 0, m.GetModMode(), m.GetModForcedDownload()))
      return 0;
  }
  for (m_Installed.FirstNormalModule(); m_Installed.ExistsNormalModule(); m_Installed.NextNormalModule()) {
    m_Installed.FetchNormalModule();
    m_InstalledNormal.push_back(m_Installed.CurrModule());
  }
  return 1;
}

int32_t CFVUpdatePass::Check() {
  if (!m_C.m_CheckStart(m_Server.GetNumModules(), m_Server.GetNumNormalFiles(), m_Server.GetNumIndirectFiles()))
    return 0;
  for (const SModuleFiles& module : m_Modules) {
    if (!CheckModule(module)) {
      m_C.m_CheckEnd();
      return 0;
    }
  }
  return m_C.m_CheckEnd() ? 1 : 0;
}

int32_t CFVUpdatePass::CheckModule(const SModuleFiles& files) {
  CFVModule& module = *files.m_pModule;
  const bool normal = module.GetModMode() == FVMODULE_NORMAL;
  if (normal && !m_Games.Find(module.GetModName()) && !(module.GetModForcedDownload() && !m_Settings.m_ListedOnly)) {
    module.SetModValidState(1);
    return 1;
  }
  CFVModule* installed = m_Installed.FindModule(module.GetModName()) ? m_Installed.CurrModule() : nullptr;
  if (!installed) return 0;
  bool wanted = false;
  for (const CFVNormFile* file : files.m_Files)
    if (!CheckFile(module, *installed, *file, wanted)) return 0;
  module.SetModValidState(wanted ? 0 : 1);
  if (normal && wanted) MarkGame(module.GetModName());
  return 1;
}

int32_t CFVUpdatePass::CheckFile(CFVModule& module, CFVModule& installed, const CFVNormFile& file, bool& wanted) {
  if (!m_C.m_CheckProgress()) return 0;
  if (!AllSix(file)) {
    xprintf("FVersion_ValidateFiles: a file of module %s lacks a name, size or CRC", module.GetModName());
    return 0;
  }
  const char* name = file.GetNormName();
  bool forced = module.GetModForcedDownload() != 0;
  const std::vector<size_t>* users = nullptr;
  if (module.GetModMode() == FVMODULE_INDIRECT) {
    if (!(users = UsersOf(name))) return 1;
    forced = false;
    for (size_t at : *users) forced = forced || m_Statuses[at].m_pGame->GetModForcedDownload();
  }
  bool changed = false;
  SDiskFile disk;
  if (!CompareWithInstalled(installed, file, changed, disk)) return 0;
  if (!changed) return 1;
  m_Changes = 1;
  if (m_C.m_FileExists(name)) {
    if (!disk.m_HaveSize && !(disk.m_HaveSize = m_C.m_FileFileSize(name, &disk.m_Size) != 0)) return 0;
    if (!disk.m_HaveCRC) disk.m_HaveCRC = m_C.m_FileCalcCRC(name, &disk.m_CRC) != 0;
    if (disk.m_HaveCRC && disk.m_CRC == file.GetNormCRC() && disk.m_Size == file.GetNormFileSize())
      return Register(module, installed, file, disk);
  }
  wanted = true;
  if (users)
    for (size_t at : *users) MarkChanged(m_Statuses[at]);
  if (m_Settings.m_Download && (forced || m_Settings.m_DownloadAll)) return Queue(file);
  return 1;
}

int32_t CFVUpdatePass::CompareWithInstalled(CFVModule& installed, const CFVNormFile& file, bool& changed,
                                            SDiskFile& disk) {
  const char* name = file.GetNormName();
  CFVNormFile* record = installed.FindNormFile(name);
  changed = true;
  if (!record) return 1;
  if (!Complete(*record) || xStricmp(record->GetNormName(), name) != 0) {
    xprintf("FVersion_ValidateFiles: the installed record of %s is incomplete", name);
    return 0;
  }
  changed = record->GetNormCRC() != file.GetNormCRC() || record->GetNormFileSize() != file.GetNormFileSize();
  // A file whose CRC can be computed exists: programs and scripts are read once, not opened
  // twice. The size is asked for only when the CRC tells the file apart from its record.
  const bool checked = FVIsCheckedOnDisk(name);
  disk.m_HaveCRC = checked && m_C.m_FileCalcCRC(name, &disk.m_CRC);
  if (!disk.m_HaveCRC && !m_C.m_FileExists(name)) {
    changed = true;
    return RemoveInstalled(installed, *record);
  }
  if (!checked) return 1;
  if (!disk.m_HaveCRC) return 0;  // there, but it cannot be read
  if (disk.m_CRC == record->GetNormCRC()) return 1;
  if (!(disk.m_HaveSize = m_C.m_FileFileSize(name, &disk.m_Size) != 0)) return 0;
  record->SetNormCRC(disk.m_CRC);
  record->SetNormFileSize(disk.m_Size);
  changed = disk.m_CRC != file.GetNormCRC() || disk.m_Size != file.GetNormFileSize();
  return 1;
}

int32_t CFVUpdatePass::RemoveInstalled(CFVModule& installed, const CFVNormFile& record) {
  const std::string name = record.GetNormName();
  if (!m_Installed.RemoveNormalFile(installed.GetModName(), 1, name.c_str(), 0, nullptr)) return 0;
  if (installed.GetModMode() != FVMODULE_INDIRECT) return 1;
  for (CFVModule* normal : m_InstalledNormal)
    if (normal->FindIndFile(name.c_str()) && !m_Installed.RemoveIndirectFile(normal->GetModName(), name.c_str()))
      return 0;
  return 1;
}

int32_t CFVUpdatePass::Register(CFVModule& module, CFVModule& installed, const CFVNormFile& file,
                                const SDiskFile& disk) {
  const char* name = file.GetNormName();
  if (CFVNormFile* record = installed.FindNormFile(name)) {
    record->SetNormCRCState(1);
    record->SetNormCRC(disk.m_CRC);
    record->SetNormFileSizeState(1);
    record->SetNormFileSize(disk.m_Size);
    record->SetPackedNameState(0);
    record->SetPackedCRCState(0);
    record->SetPackedCRC(0);
    record->SetPackedFileSizeState(0);
    record->SetPackedFileSize(0);
  } else if (!m_Installed.AddNormalFile(installed.GetModName(), 1, name, 1, disk.m_CRC, 1, disk.m_Size, 0, nullptr,
                                        0, 0, 0, 0)) {
    return 0;
  }
  if (module.GetModMode() != FVMODULE_INDIRECT) return 1;
  const auto listed = m_ListedBy.find(Folded(name));
  if (listed == m_ListedBy.end()) return 1;
  for (const char* user : listed->second) {
    CFVModule* normal = m_Installed.FindModule(user) ? m_Installed.CurrModule() : nullptr;
    if (normal && !normal->FindIndFile(name) && !m_Installed.AddIndirectFile(user, name)) return 0;
  }
  return 1;
}

int32_t CFVUpdatePass::Queue(const CFVNormFile& file) {
  if (!FVersion_IsSafeListName(file.GetNormName()) || !FVersion_IsSafeListName(file.GetPackedName())) {
    xprintf("FVersion_ValidateFiles: refused the file name %s (%s)", file.GetNormName(), file.GetPackedName());
    return 0;
  }
  if (!m_QueuedPackages.insert(Folded(file.GetPackedName())).second) return 1;
  auto* item = new (std::nothrow) SFVersionDownloadItem;
  if (!item) return 0;
  item->m_NormCRC = file.GetNormCRC();
  item->m_NormSize = file.GetNormFileSize();
  item->m_PackedCRC = file.GetPackedCRC();
  item->m_PackedSize = file.GetPackedFileSize();
  if (!item->SetNormName(file.GetNormName()) || !item->SetPackedName(file.GetPackedName()) ||
      !m_Items.InsertLast(item)) {
    delete item;
    return 0;
  }
  return 1;
}

const std::vector<size_t>* CFVUpdatePass::UsersOf(const char* file) const {
  const auto users = m_UsersByFile.find(Folded(file));
  return users == m_UsersByFile.end() ? nullptr : &users->second;
}

void CFVUpdatePass::MarkChanged(SGameStatus& game) {
  game.m_New = WantedStatus(game.m_Current);
  game.m_UsesChanged = true;
}

void CFVUpdatePass::MarkGame(const char* module) {
  const auto game = m_GameByName.find(module);
  if (game != m_GameByName.end()) MarkChanged(m_Statuses[game->second]);
}
