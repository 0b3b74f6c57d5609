// The module list's cursors and the accessors of the current records.
#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnames.h"

namespace {
template <class T>
int32_t Fetch(CLList& list, T*& current) {
  auto* record = static_cast<T*>(list.Get());
  if (!record) return 0;
  current = record;
  return 1;
}
}  // namespace

int32_t CFVModuleHandler::FetchNormalModule() { return Fetch(m_NormalModules, m_pCurrModule); }
int32_t CFVModuleHandler::FetchIndirectModule() { return Fetch(m_IndirectModules, m_pCurrModule); }
int32_t CFVModuleHandler::FetchRestartFile() { return Fetch(m_RestartFiles, m_pCurrRestartFile); }
int32_t CFVModuleHandler::FetchFtpSite() { return Fetch(m_FtpSites, m_pCurrFtpSite); }

// Current module

const char* CFVModuleHandler::CurrModule_GetName() { return m_pCurrModule ? m_pCurrModule->GetModName() : nullptr; }
int32_t CFVModuleHandler::CurrModule_SetName(const char* name) {
  return m_pCurrModule && FVersion_IsSafeListName(name) ? m_pCurrModule->SetModName(name) : 0;
}
const char* CFVModuleHandler::CurrModule_GetDesc() { return m_pCurrModule ? m_pCurrModule->GetModDesc() : nullptr; }
int32_t CFVModuleHandler::CurrModule_SetDesc(const char* text) {
  return m_pCurrModule ? m_pCurrModule->SetModDesc(text) : 0;
}
const char* CFVModuleHandler::CurrModule_GetClassName() {
  return m_pCurrModule ? m_pCurrModule->GetModClassName() : nullptr;
}
int32_t CFVModuleHandler::CurrModule_SetClassName(const char* text) {
  return m_pCurrModule ? m_pCurrModule->SetModClassName(text) : 0;
}
const char* CFVModuleHandler::CurrModule_GetPackedFileName() {
  return m_pCurrModule ? m_pCurrModule->GetModPackedFileName() : nullptr;
}
int32_t CFVModuleHandler::CurrModule_SetPackedFileName(const char* name) {
  return m_pCurrModule && (!name || FVersion_IsSafeListName(name)) ? m_pCurrModule->SetModPackedFileName(name) : 0;
}
int32_t CFVModuleHandler::CurrModule_GetPackedFileSize() {
  return m_pCurrModule ? m_pCurrModule->GetModPackedFileSize() : FVMODULE_NO_PACKAGE;
}
int32_t CFVModuleHandler::CurrModule_SetPackedFileSize(int32_t size) {
  if (!m_pCurrModule) return 0;
  m_pCurrModule->SetModPackedFileSize(size);
  return 1;
}
uint32_t CFVModuleHandler::CurrModule_GetPackedFileCRC() {
  return m_pCurrModule ? m_pCurrModule->GetModPackedFileCRC() : 0;
}
int32_t CFVModuleHandler::CurrModule_SetPackedFileCRC(uint32_t crc) {
  if (!m_pCurrModule) return 0;
  m_pCurrModule->SetModPackedFileCRC(crc);
  return 1;
}
int32_t CFVModuleHandler::CurrModule_GetMode() { return m_pCurrModule ? m_pCurrModule->GetModMode() : 0; }
int32_t CFVModuleHandler::CurrModule_SetMode(int32_t mode) {
  if (!m_pCurrModule) return 0;
  m_pCurrModule->SetModMode(mode);
  return 1;
}
int32_t CFVModuleHandler::CurrModule_GetForceDownload() {
  return m_pCurrModule ? m_pCurrModule->GetModForcedDownload() : 0;
}
int32_t CFVModuleHandler::CurrModule_SetForceDownload(int32_t forced) {
  if (!m_pCurrModule) return 0;
  m_pCurrModule->SetModForcedDownload(forced);
  return 1;
}
int32_t CFVModuleHandler::CurrModule_GetValidState() { return m_pCurrModule ? m_pCurrModule->GetModValidState() : 0; }
int32_t CFVModuleHandler::CurrModule_SetValidState(int32_t state) {
  if (!m_pCurrModule) return 0;
  m_pCurrModule->SetModValidState(state);
  return 1;
}

// Normal files of the current module

int32_t CFVModuleHandler::NormalFile_First() { return m_pCurrModule ? m_pCurrModule->m_NormFiles.First() : 0; }
int32_t CFVModuleHandler::NormalFile_Exists() { return m_pCurrModule ? m_pCurrModule->m_NormFiles.Exists() : 0; }
int32_t CFVModuleHandler::NormalFile_Next() { return m_pCurrModule ? m_pCurrModule->m_NormFiles.Next() : 0; }
int32_t CFVModuleHandler::NormalFile_Fetch() {
  return m_pCurrModule ? Fetch(m_pCurrModule->m_NormFiles, m_pCurrNormFile) : 0;
}

// The four operations of one value of the current normal file: have, set state, get, set.
#define FV_NORMALFILE_VALUE(Name, Have, SetState, Get, Type)                 \
  int32_t CFVModuleHandler::NormalFile_Have##Name() {                             \
    return m_pCurrNormFile ? m_pCurrNormFile->Have() : 0;                         \
  }                                                                               \
  int32_t CFVModuleHandler::NormalFile_Set##Name##State(int32_t state) {          \
    if (!m_pCurrNormFile) return 0;                                               \
    m_pCurrNormFile->SetState(state);                                             \
    return 1;                                                                     \
  }                                                                               \
  Type CFVModuleHandler::NormalFile_Get##Name() { return m_pCurrNormFile ? m_pCurrNormFile->Get() : static_cast<Type>(0); }

FV_NORMALFILE_VALUE(NormalName, HaveNormName, SetNormNameState, GetNormName, const char*)
FV_NORMALFILE_VALUE(NormalCRC, HaveNormCRC, SetNormCRCState, GetNormCRC, uint32_t)
FV_NORMALFILE_VALUE(NormalFileSize, HaveNormFileSize, SetNormFileSizeState, GetNormFileSize, uint32_t)
FV_NORMALFILE_VALUE(PackedName, HavePackedName, SetPackedNameState, GetPackedName, const char*)
FV_NORMALFILE_VALUE(PackedCRC, HavePackedCRC, SetPackedCRCState, GetPackedCRC, uint32_t)
FV_NORMALFILE_VALUE(PackedFileSize, HavePackedFileSize, SetPackedFileSizeState, GetPackedFileSize, uint32_t)
#undef FV_NORMALFILE_VALUE

int32_t CFVModuleHandler::NormalFile_SetNormalName(const char* name) {
  return m_pCurrNormFile && FVersion_IsSafeListName(name) ? m_pCurrNormFile->SetNormName(name) : 0;
}
int32_t CFVModuleHandler::NormalFile_SetPackedName(const char* name) {
  return m_pCurrNormFile && FVersion_IsSafeListName(name) ? m_pCurrNormFile->SetPackedName(name) : 0;
}

#define FV_NORMALFILE_NUMBER_SETTER(Name, Set)                  \
  int32_t CFVModuleHandler::NormalFile_Set##Name(uint32_t v) {  \
    if (!m_pCurrNormFile) return 0;                             \
    m_pCurrNormFile->Set(v);                                    \
    return 1;                                                   \
  }
FV_NORMALFILE_NUMBER_SETTER(NormalCRC, SetNormCRC)
FV_NORMALFILE_NUMBER_SETTER(NormalFileSize, SetNormFileSize)
FV_NORMALFILE_NUMBER_SETTER(PackedCRC, SetPackedCRC)
FV_NORMALFILE_NUMBER_SETTER(PackedFileSize, SetPackedFileSize)
#undef FV_NORMALFILE_NUMBER_SETTER

int32_t CFVModuleHandler::NormalFile_RealFile_ExistsNormName() {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_ExistsNormName() : 0;
}
int32_t CFVModuleHandler::NormalFile_RealFile_GetNormCRC(uint32_t* crc) {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_GetNormCRC(crc) : 0;
}
int32_t CFVModuleHandler::NormalFile_RealFile_GetNormFileSize(uint32_t* size) {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_GetNormFileSize(size) : 0;
}
int32_t CFVModuleHandler::NormalFile_Realfile_ExistsPackedName() {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_ExistsPackedName() : 0;
}
int32_t CFVModuleHandler::NormalFile_Realfile_GetPackedCRC(uint32_t* crc) {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_GetPackedCRC(crc) : 0;
}
int32_t CFVModuleHandler::NormalFile_Realfile_GetPackedFileSize(uint32_t* size) {
  return m_pCurrNormFile ? m_pCurrNormFile->RealFile_GetPackedFileSize(size) : 0;
}

// Indirect files of the current module

int32_t CFVModuleHandler::IndirectFile_First() { return m_pCurrModule ? m_pCurrModule->m_IndFiles.First() : 0; }
int32_t CFVModuleHandler::IndirectFile_Exists() { return m_pCurrModule ? m_pCurrModule->m_IndFiles.Exists() : 0; }
int32_t CFVModuleHandler::IndirectFile_Next() { return m_pCurrModule ? m_pCurrModule->m_IndFiles.Next() : 0; }
int32_t CFVModuleHandler::IndirectFile_Fetch() {
  return m_pCurrModule ? Fetch(m_pCurrModule->m_IndFiles, m_pCurrIndFile) : 0;
}
int32_t CFVModuleHandler::IndirectFile_Delete() {
  CFVIndFile* file = m_pCurrIndFile;
  if (!file) return 0;
  m_pCurrIndFile = nullptr;
  return file->m_pModule->DeleteIndFile(file);
}
const char* CFVModuleHandler::IndirectFile_GetName() { return m_pCurrIndFile ? m_pCurrIndFile->GetName() : nullptr; }
int32_t CFVModuleHandler::IndirectFile_SetName(const char* name) {
  return m_pCurrIndFile && FVersion_IsSafeListName(name) ? m_pCurrIndFile->SetName(name) : 0;
}

// Restart files and FTP sites

const char* CFVModuleHandler::RestartFile_GetFileName() {
  return m_pCurrRestartFile ? m_pCurrRestartFile->m_pFileName : nullptr;
}
const char* CFVModuleHandler::RestartFile_GetUnpackName() {
  return m_pCurrRestartFile ? m_pCurrRestartFile->m_pUnpackName : nullptr;
}
int32_t CFVModuleHandler::RestartFile_GetFullRestartFlag() {
  return m_pCurrRestartFile ? m_pCurrRestartFile->m_FullRestart : 0;
}

const char* CFVModuleHandler::FtpSite_GetSiteName() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_pSiteName : nullptr; }
const char* CFVModuleHandler::FtpSite_GetLoginName() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_pLoginName : nullptr; }
const char* CFVModuleHandler::FtpSite_GetPassword() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_pPassword : nullptr; }
const char* CFVModuleHandler::FtpSite_GetSubDir() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_pSubDir : nullptr; }
int32_t CFVModuleHandler::FtpSite_GetConnectTimeout() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_ConnectTimeout : -1; }
int32_t CFVModuleHandler::FtpSite_GetDataTimeout() { return m_pCurrFtpSite ? m_pCurrFtpSite->m_DataTimeout : -1; }
