// The module list's records: building, removal, search and counts.
#include "common/updater/fvmodulehandler.h"

#include <new>

#include "common/updater/fvlistops.h"
#include "common/updater/fvnameindex.h"
#include "common/updater/fvnames.h"
#include "common/updater/fversioncallbacks.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/sysservices.h"

namespace {


bool SafeOrNull(const char* name) { return !name || FVersion_IsSafeListName(name); }
}  // namespace

CFVModuleHandler::~CFVModuleHandler() {
  KillAll();
  delete m_pIndex;
}

int32_t CFVModuleHandler::QuitRequested() { return xDoUserWantToQuit() ? 1 : 0; }

int32_t CFVModuleHandler::ValidateCallbacks() { return FVersion_RequiredCallbacksSet(); }

void CFVModuleHandler::DeleteModules(CLList& list) {
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) {
    auto* module = static_cast<CFVModule*>(n->m_pData);
    module->m_pHandler = nullptr;
    delete module;
  }
  list.KillAll();
}

void CFVModuleHandler::KillAll() {
  DeleteModules(m_NormalModules);
  DeleteModules(m_IndirectModules);
  FVDeleteRecords<SFVRestartFile>(m_RestartFiles);
  FVDeleteRecords<SFVFtpSite>(m_FtpSites);
  m_pCurrModule = nullptr;
  m_pCurrNormFile = nullptr;
  m_pCurrIndFile = nullptr;
  m_pCurrRestartFile = nullptr;
  m_pCurrFtpSite = nullptr;
  if (m_pIndex) {
    m_pIndex->m_Modules.Clear();
    m_pIndex->m_RestartFiles.Clear();
  }
  FreeRecord();
}

CKCBL* CFVModuleHandler::Record() {
  if (!m_pRecord) m_pRecord = new (std::nothrow) CKCBL;
  return m_pRecord;
}

void CFVModuleHandler::FreeRecord() {
  delete m_pRecord;
  m_pRecord = nullptr;
}

// Index

void CFVModuleHandler::ModuleNamesChanging() {
  if (m_pIndex) m_pIndex->m_Modules.MarkStale();
}

SFVHandlerIndex* CFVModuleHandler::Index() {
  if (!m_pIndex) {
    m_pIndex = new (std::nothrow) SFVHandlerIndex;
    if (!m_pIndex) return nullptr;
    m_pIndex->m_Modules.MarkStale();
    m_pIndex->m_RestartFiles.MarkStale();
  }
  SFVHandlerIndex& x = *m_pIndex;
  try {
    if (x.m_Modules.Stale()) {
      x.m_Modules.Clear();
      for (CLList* list : {&m_NormalModules, &m_IndirectModules})
        for (CNode* n = list->HeadNode(); n; n = n->m_pNext) {
          auto* module = static_cast<CFVModule*>(n->m_pData);
          x.m_Modules.Add(module->GetModName(), module);
        }
    }
    if (x.m_RestartFiles.Stale()) {
      x.m_RestartFiles.Clear();
      for (CNode* n = m_RestartFiles.HeadNode(); n; n = n->m_pNext) {
        auto* restart = static_cast<SFVRestartFile*>(n->m_pData);
        x.m_RestartFiles.Add(restart->m_pFileName, restart);
      }
    }
  } catch (const std::bad_alloc&) {
    x.m_Modules.MarkStale();
    x.m_RestartFiles.MarkStale();
    return nullptr;
  }
  return m_pIndex;
}

CFVModule* CFVModuleHandler::FindUniqueModule(const char* name) {
  SFVHandlerIndex* x = name ? Index() : nullptr;
  const auto* entry = x ? x->m_Modules.Find(name) : nullptr;
  return entry && entry->m_Count == 1 ? entry->m_pFirst : nullptr;
}

// Modules

CFVModule* CFVModuleHandler::NewModule(const char* name, const char* description, const char* className,
                                       const char* packedName, int32_t packedSize, uint32_t packedCRC,
                                       int32_t mode, int32_t forced) {
  auto* module = new (std::nothrow) CFVModule;
  if (!module) return nullptr;
  module->m_Mode = mode;
  module->m_ForcedDownload = forced;
  if (packedName) {
    module->m_PackedFileSize = packedSize;
    module->m_PackedFileCRC = packedCRC;
  }
  if (!module->SetModName(name) || (description && !module->SetModDesc(description)) ||
      (className && !module->SetModClassName(className)) ||
      (packedName && !module->SetModPackedFileName(packedName))) {
    delete module;
    return nullptr;
  }
  return module;
}

int32_t CFVModuleHandler::AddModule(const char* name, const char* description, const char* className,
                                    const char* packedName, int32_t packedSize, uint32_t packedCRC, int32_t mode,
                                    int32_t forced) {
  if ((mode != FVMODULE_NORMAL && mode != FVMODULE_INDIRECT) || !FVersion_IsSafeListName(name) ||
      !SafeOrNull(packedName))
    return 0;
  SFVHandlerIndex* x = Index();
  if (!x || x->m_Modules.Find(name)) return 0;
  CFVModule* module = NewModule(name, description, className, packedName, packedSize, packedCRC, mode, forced);
  CLList& list = mode == FVMODULE_NORMAL ? m_NormalModules : m_IndirectModules;
  if (!module) return 0;
  try {
    // Indexed first: a module that the index cannot hold is not listed either.
    x->m_Modules.Add(module->GetModName(), module);
  } catch (const std::bad_alloc&) {
    delete module;
    return 0;
  }
  if (!list.InsertLast(module)) {
    x->m_Modules.Remove(module->GetModName(), module);
    delete module;
    return 0;
  }
  module->m_pHandler = this;
  module->m_pList = &list;
  return 1;
}

void CFVModuleHandler::ForgetModule(CFVModule* module) {
  if (m_pCurrModule == module) m_pCurrModule = nullptr;
  if (m_pCurrNormFile && m_pCurrNormFile->m_pModule == module) m_pCurrNormFile = nullptr;
  if (m_pCurrIndFile && m_pCurrIndFile->m_pModule == module) m_pCurrIndFile = nullptr;
}

int32_t CFVModuleHandler::RemoveModule(const char* name, int32_t mode, int32_t forced) {
  CFVModule* module = FindUniqueModule(name);
  if (!module || module->m_Mode != mode || module->m_ForcedDownload != forced) return 0;
  m_pIndex->m_Modules.Remove(module->GetModName(), module);
  FVUnlink(*module->m_pList, module);
  ForgetModule(module);
  module->m_pHandler = nullptr;
  delete module;
  return 1;
}

int32_t CFVModuleHandler::FindModule(const char* name) {
  SFVHandlerIndex* x = name ? Index() : nullptr;
  CFVModule* module = x ? x->m_Modules.First(name) : nullptr;
  if (!module) return 0;
  m_pCurrModule = module;
  return 1;
}

// Normal files

int32_t CFVModuleHandler::AddNormalFileTo(CFVModule* module, int32_t haveNormName, const char* normName,
                                          int32_t haveNormCRC, uint32_t normCRC, int32_t haveNormFileSize,
                                          uint32_t normFileSize, int32_t havePackedName, const char* packedName,
                                          int32_t havePackedCRC, uint32_t packedCRC, int32_t havePackedFileSize,
                                          uint32_t packedFileSize) {
  const bool norm = haveNormName == 1, packed = havePackedName == 1;
  if (!module || (!norm && !packed)) return 0;
  if ((norm && !FVersion_IsSafeListName(normName)) || (packed && !FVersion_IsSafeListName(packedName))) return 0;
  CFVNormFile* file = CFVNormFile::Make(norm ? normName : nullptr, packed ? packedName : nullptr);
  if (!file) return 0;
  file->m_HaveNormName = haveNormName;
  file->m_HaveNormCRC = haveNormCRC;
  file->m_NormCRC = normCRC;
  file->m_HaveNormFileSize = haveNormFileSize;
  file->m_NormFileSize = normFileSize;
  file->m_HavePackedName = havePackedName;
  file->m_HavePackedCRC = havePackedCRC;
  file->m_PackedCRC = packedCRC;
  file->m_HavePackedFileSize = havePackedFileSize;
  file->m_PackedFileSize = packedFileSize;
  if (!module->AddNormFile(file)) {
    delete file;
    return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::AddNormalFile(const char* module, int32_t haveNormName, const char* normName,
                                        int32_t haveNormCRC, uint32_t normCRC, int32_t haveNormFileSize,
                                        uint32_t normFileSize, int32_t havePackedName, const char* packedName,
                                        int32_t havePackedCRC, uint32_t packedCRC, int32_t havePackedFileSize,
                                        uint32_t packedFileSize) {
  return AddNormalFileTo(FindUniqueModule(module), haveNormName, normName, haveNormCRC, normCRC, haveNormFileSize,
                         normFileSize, havePackedName, packedName, havePackedCRC, packedCRC, havePackedFileSize,
                         packedFileSize);
}

int32_t CFVModuleHandler::RemoveNormalFile(const char* module, int32_t haveNormName, const char* normName,
                                           int32_t havePackedName, const char* packedName) {
  const bool norm = haveNormName == 1, packed = havePackedName == 1;
  if ((!norm && !packed) || (norm && !normName) || (packed && !packedName)) return 0;
  CFVModule* owner = FindUniqueModule(module);
  if (!owner) return 0;
  CFVNormFile* byNorm = norm ? owner->FindNormFile(normName) : nullptr;
  CFVNormFile* byPacked = packed ? owner->FindPackedFile(packedName) : nullptr;
  // The first in list order of the two.
  CFVNormFile* file = !byNorm ? byPacked : !byPacked ? byNorm : byNorm->m_Seq < byPacked->m_Seq ? byNorm : byPacked;
  if (!file) return 0;
  if (m_pCurrNormFile == file) m_pCurrNormFile = nullptr;
  return owner->DeleteNormFile(file);
}

int32_t CFVModuleHandler::FindFile(const char* name) {
  CFVNormFile* file = m_pCurrModule && name ? m_pCurrModule->FindNormFile(name) : nullptr;
  if (!file) return 0;
  m_pCurrNormFile = file;
  return 1;
}

// Indirect files

int32_t CFVModuleHandler::AddIndirectFileTo(CFVModule* module, const char* file) {
  if (!module || module->m_pList != &m_NormalModules || !FVersion_IsSafeListName(file)) return 0;
  auto* record = new (std::nothrow) CFVIndFile;
  if (!record) return 0;
  if (!(record->m_pName = xStrdup(file)) || !module->AddIndFile(record)) {
    delete record;
    return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::AddIndirectFile(const char* module, const char* file) {
  return AddIndirectFileTo(FindUniqueModule(module), file);
}

int32_t CFVModuleHandler::RemoveIndirectFile(const char* module, const char* file) {
  CFVModule* owner = FindUniqueModule(module);
  if (!owner || !file || owner->m_pList != &m_NormalModules) return 0;
  CFVIndFile* record = owner->FindIndFile(file);
  if (!record) return 0;
  if (m_pCurrIndFile == record) m_pCurrIndFile = nullptr;
  return owner->DeleteIndFile(record);
}

// Restart files and FTP sites

int32_t CFVModuleHandler::AddRestartFile(const char* file, const char* unpackName, int32_t fullRestart) {
  if (!FVersion_IsSafeListName(file) || !FVersion_IsSafeListName(unpackName)) return 0;
  SFVHandlerIndex* x = Index();
  auto* record = new (std::nothrow) SFVRestartFile;
  if (!x || !record) {
    delete record;
    return 0;
  }
  record->m_FullRestart = fullRestart;
  if (!(record->m_pFileName = xStrdup(file)) || !(record->m_pUnpackName = xStrdup(unpackName)) ||
      !m_RestartFiles.InsertLast(record)) {
    delete record;
    return 0;
  }
  try {
    x->m_RestartFiles.Add(record->m_pFileName, record);
  } catch (const std::bad_alloc&) {
    x->m_RestartFiles.MarkStale();
  }
  return 1;
}

int32_t CFVModuleHandler::RemoveRestartFiles() {
  FVDeleteRecords<SFVRestartFile>(m_RestartFiles);
  m_pCurrRestartFile = nullptr;
  if (m_pIndex) m_pIndex->m_RestartFiles.Clear();
  return 1;
}

int32_t CFVModuleHandler::DoRestartFileExists(const char* file, const char** unpackName, int32_t* fullRestart) {
  SFVHandlerIndex* x = file ? Index() : nullptr;
  const SFVRestartFile* record = x ? x->m_RestartFiles.First(file) : nullptr;
  if (!record) return 0;
  if (unpackName) *unpackName = record->m_pUnpackName;
  if (fullRestart) *fullRestart = record->m_FullRestart;
  return 1;
}

int32_t CFVModuleHandler::AddFtpSite(const char* site, const char* login, const char* password, const char* subDir,
                                     int32_t connectTimeout, int32_t dataTimeout) {
  if (!site || !login || !password || !subDir) return 0;
  auto* record = new (std::nothrow) SFVFtpSite;
  if (!record) return 0;
  record->m_ConnectTimeout = connectTimeout;
  record->m_DataTimeout = dataTimeout;
  if (!(record->m_pSiteName = xStrdup(site)) || !(record->m_pLoginName = xStrdup(login)) ||
      !(record->m_pPassword = xStrdup(password)) || !(record->m_pSubDir = xStrdup(subDir)) ||
      !m_FtpSites.InsertLast(record)) {
    delete record;
    return 0;
  }
  return 1;
}

int32_t CFVModuleHandler::RemoveFtpSites() {
  FVDeleteRecords<SFVFtpSite>(m_FtpSites);
  m_pCurrFtpSite = nullptr;
  return 1;
}

// Counts

int32_t CFVModuleHandler::GetNumModules() { return m_NormalModules.GetNumNodes() + m_IndirectModules.GetNumNodes(); }

int32_t CFVModuleHandler::GetNumNormalFiles() {
  int32_t count = 0;
  for (CLList* list : {&m_NormalModules, &m_IndirectModules})
    for (CNode* n = list->HeadNode(); n; n = n->m_pNext) count += static_cast<CFVModule*>(n->m_pData)->GetNumNormFiles();
  return count;
}

int32_t CFVModuleHandler::GetNumIndirectFiles() {
  int32_t count = 0;
  for (CNode* n = m_NormalModules.HeadNode(); n; n = n->m_pNext)
    count += static_cast<CFVModule*>(n->m_pData)->GetNumIndFiles();
  return count;
}
