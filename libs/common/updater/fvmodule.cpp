#include "common/updater/fvmodule.h"

#include <cstring>
#include <new>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvlistops.h"
#include "common/updater/fvnameindex.h"
#include "common/updater/fversioncallbacks.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"

namespace {
// A copy in place of field; null clears. 0, field kept, when memory runs out.
int32_t ReplaceText(char*& field, const char* text) { return xStrReplace(field, text); }

int32_t Exists(const char* name) {
  const TFVCallback_FileExists f = FVersion_Callbacks().m_FileExists;
  return name && f && f(name) ? 1 : 0;
}
int32_t Crc(const char* name, uint32_t* crc) {
  const TFVCallback_FileCalcCRC f = FVersion_Callbacks().m_FileCalcCRC;
  return name && crc && f && f(name, crc) ? 1 : 0;
}
int32_t Size(const char* name, uint32_t* size) {
  const TFVCallback_FileFileSize f = FVersion_Callbacks().m_FileFileSize;
  return name && size && f && f(name, size) ? 1 : 0;
}


}  // namespace

// Normal file

namespace {
constexpr uint8_t kInlineNorm = 1, kInlinePacked = 2;
}  // namespace

CFVNormFile::~CFVNormFile() {
  if (!(m_InlineNames & kInlineNorm)) xFree(m_pNormName);
  if (!(m_InlineNames & kInlinePacked)) xFree(m_pPackedName);
}

CFVNormFile* CFVNormFile::Make(const char* normName, const char* packedName) {
  const size_t normSize = normName ? std::strlen(normName) + 1 : 0;
  const size_t packedSize = packedName ? std::strlen(packedName) + 1 : 0;
  void* block = ::operator new(sizeof(CFVNormFile) + normSize + packedSize, std::nothrow);
  if (!block) return nullptr;
  auto* file = new (block) CFVNormFile;
  char* text = reinterpret_cast<char*>(file + 1);
  if (normName) {
    file->m_pNormName = static_cast<char*>(std::memcpy(text, normName, normSize));
    file->m_InlineNames |= kInlineNorm;
  }
  if (packedName) {
    file->m_pPackedName = static_cast<char*>(std::memcpy(text + normSize, packedName, packedSize));
    file->m_InlineNames |= kInlinePacked;
  }
  return file;
}

int32_t CFVNormFile::ReplaceName(char*& field, uint8_t inlineBit, const char* name) {
  char* copy = xStrdup(name);
  if (!copy) return 0;
  if (!(m_InlineNames & inlineBit)) xFree(field);
  m_InlineNames = static_cast<uint8_t>(m_InlineNames & ~inlineBit);
  field = copy;
  return 1;
}

void CFVNormFile::NamesChanging() {
  if (m_pModule) m_pModule->FileNamesChanging();
}

void CFVNormFile::SetNormNameState(int32_t state) {
  if (state != m_HaveNormName) NamesChanging();
  m_HaveNormName = state;
}

int32_t CFVNormFile::SetNormName(const char* name) {
  if (m_HaveNormName != 1 || !name) return 0;
  NamesChanging();
  return ReplaceName(m_pNormName, kInlineNorm, name);
}

void CFVNormFile::SetPackedNameState(int32_t state) {
  if (state != m_HavePackedName) NamesChanging();
  m_HavePackedName = state;
}

int32_t CFVNormFile::SetPackedName(const char* name) {
  if (m_HavePackedName != 1 || !name) return 0;
  NamesChanging();
  return ReplaceName(m_pPackedName, kInlinePacked, name);
}

int32_t CFVNormFile::RealFile_ExistsNormName() const { return Exists(IndexedNormName()); }
int32_t CFVNormFile::RealFile_GetNormCRC(uint32_t* crc) const { return Crc(IndexedNormName(), crc); }
int32_t CFVNormFile::RealFile_GetNormFileSize(uint32_t* size) const { return Size(IndexedNormName(), size); }
int32_t CFVNormFile::RealFile_ExistsPackedName() const { return Exists(IndexedPackedName()); }
int32_t CFVNormFile::RealFile_GetPackedCRC(uint32_t* crc) const { return Crc(IndexedPackedName(), crc); }
int32_t CFVNormFile::RealFile_GetPackedFileSize(uint32_t* size) const {
  return Size(IndexedPackedName(), size);
}

// Indirect file

CFVIndFile::~CFVIndFile() { xFree(m_pName); }

int32_t CFVIndFile::SetName(const char* name) {
  if (!name) return 0;
  if (m_pModule) m_pModule->FileNamesChanging();
  return ReplaceText(m_pName, name);
}

// Module

CFVModule::CFVModule(const CFVModule& other)
    : m_Mode(other.m_Mode),
      m_ForcedDownload(other.m_ForcedDownload),
      m_ValidState(other.m_ValidState),
      m_PackedFileSize(other.m_PackedFileSize),
      m_PackedFileCRC(other.m_PackedFileCRC) {
  // A text that cannot be copied stays null, as an absent one would.
  m_pName = xStrdup(other.m_pName);
  m_pDescription = xStrdup(other.m_pDescription);
  m_pClassName = xStrdup(other.m_pClassName);
  m_pPackedFileName = xStrdup(other.m_pPackedFileName);
}

CFVModule::~CFVModule() {
  DeleteAllFiles();
  delete m_pIndex;
  xFree(m_pName);
  xFree(m_pDescription);
  xFree(m_pClassName);
  xFree(m_pPackedFileName);
}

bool CFVModule::operator==(const CFVModule& other) const {
  return m_pName && other.m_pName && xStrcmp(m_pName, other.m_pName) == 0;
}

int32_t CFVModule::SetModName(const char* name) {
  if (!name) return 0;
  if (m_pHandler) m_pHandler->ModuleNamesChanging();
  return ReplaceText(m_pName, name);
}

int32_t CFVModule::SetModDesc(const char* text) { return ReplaceText(m_pDescription, text); }
int32_t CFVModule::SetModClassName(const char* text) { return ReplaceText(m_pClassName, text); }
int32_t CFVModule::SetModPackedFileName(const char* name) { return ReplaceText(m_pPackedFileName, name); }

void CFVModule::FileNamesChanging() {
  if (!m_pIndex) return;
  m_pIndex->m_NormNames.MarkStale();
  m_pIndex->m_PackedNames.MarkStale();
  m_pIndex->m_IndNames.MarkStale();
}

SFVModuleIndex* CFVModule::Index() {
  if (!m_pIndex) {
    m_pIndex = new (std::nothrow) SFVModuleIndex;
    if (!m_pIndex) return nullptr;
    m_pIndex->m_NormNames.MarkStale();  // built from the lists below
  }
  SFVModuleIndex& x = *m_pIndex;
  if (!x.m_NormNames.Stale() && !x.m_PackedNames.Stale() && !x.m_IndNames.Stale()) return m_pIndex;
  try {
    x.m_NormNames.Clear();
    x.m_PackedNames.Clear();
    x.m_IndNames.Clear();
    for (CNode* n = m_NormFiles.HeadNode(); n; n = n->m_pNext) {
      auto* file = static_cast<CFVNormFile*>(n->m_pData);
      x.m_NormNames.Add(file->IndexedNormName(), file);
      x.m_PackedNames.Add(file->IndexedPackedName(), file);
    }
    for (CNode* n = m_IndFiles.HeadNode(); n; n = n->m_pNext) {
      auto* file = static_cast<CFVIndFile*>(n->m_pData);
      x.m_IndNames.Add(file->GetName(), file);
    }
  } catch (const std::bad_alloc&) {
    x.m_NormNames.MarkStale();
    return nullptr;
  }
  return m_pIndex;
}

CFVNormFile* CFVModule::FindNormFile(const char* normName) {
  SFVModuleIndex* x = Index();
  return x ? x->m_NormNames.First(normName) : nullptr;
}

CFVNormFile* CFVModule::FindPackedFile(const char* packedName) {
  SFVModuleIndex* x = Index();
  return x ? x->m_PackedNames.First(packedName) : nullptr;
}

CFVIndFile* CFVModule::FindIndFile(const char* name) {
  SFVModuleIndex* x = Index();
  return x ? x->m_IndNames.First(name) : nullptr;
}

int32_t CFVModule::AddNormFile(CFVNormFile* file) {
  using TIndex = CFVNameIndex<CFVNormFile>;
  SFVModuleIndex* x = file ? Index() : nullptr;
  if (!x) return 0;
  const TIndex::SKey norm = TIndex::Key(file->IndexedNormName());
  const TIndex::SKey packed = TIndex::Key(file->IndexedPackedName());
  if (x->m_NormNames.Find(norm) || x->m_PackedNames.Find(packed) || !m_NormFiles.InsertLast(file)) return 0;
  try {
    x->m_NormNames.Add(norm, file);
    x->m_PackedNames.Add(packed, file);
  } catch (const std::bad_alloc&) {
    // The list holds it now; a rebuild will find it or fail again.
    x->m_NormNames.MarkStale();
  }
  file->m_pModule = this;
  file->m_Seq = m_NextSeq++;
  return 1;
}

int32_t CFVModule::AddIndFile(CFVIndFile* file) {
  using TIndex = CFVNameIndex<CFVIndFile>;
  SFVModuleIndex* x = file ? Index() : nullptr;
  if (!x) return 0;
  const TIndex::SKey name = TIndex::Key(file->GetName());
  if (x->m_IndNames.Find(name) || !m_IndFiles.InsertLast(file)) return 0;
  try {
    x->m_IndNames.Add(name, file);
  } catch (const std::bad_alloc&) {
    x->m_IndNames.MarkStale();
  }
  file->m_pModule = this;
  return 1;
}

int32_t CFVModule::DeleteNormFile(CFVNormFile* file) {
  if (!file || file->m_pModule != this) return 0;
  if (SFVModuleIndex* x = Index()) {
    x->m_NormNames.Remove(file->IndexedNormName(), file);
    x->m_PackedNames.Remove(file->IndexedPackedName(), file);
  }
  FVUnlink(m_NormFiles, file);
  delete file;
  return 1;
}

int32_t CFVModule::DeleteIndFile(CFVIndFile* file) {
  if (!file || file->m_pModule != this) return 0;
  if (SFVModuleIndex* x = Index()) x->m_IndNames.Remove(file->GetName(), file);
  FVUnlink(m_IndFiles, file);
  delete file;
  return 1;
}

void CFVModule::DeleteAllFiles() {
  FVDeleteRecords<CFVNormFile>(m_NormFiles);
  FVDeleteRecords<CFVIndFile>(m_IndFiles);
  if (m_pIndex) {
    m_pIndex->m_NormNames.Clear();
    m_pIndex->m_PackedNames.Clear();
    m_pIndex->m_IndNames.Clear();
  }
}

// Restart files and FTP sites

SFVRestartFile::~SFVRestartFile() {
  xFree(m_pFileName);
  xFree(m_pUnpackName);
}

SFVFtpSite::~SFVFtpSite() {
  xFree(m_pSiteName);
  xFree(m_pLoginName);
  xFree(m_pPassword);
  xFree(m_pSubDir);
}
