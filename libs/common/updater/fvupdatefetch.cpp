// The end of a pass: statuses recorded, wanted files fetched (three attempts), unpacked and
// checked, both lists written back.
#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/fvnames.h"
#include "common/updater/fvreplace.h"
#include "common/updater/fvsignaturescan.h"
#include "common/updater/fvupdatepass.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/folders.h"

namespace {
constexpr int kAttempts = 3;
// Shown at most once in the life of the process.
bool g_FailureShown = false;

// A hidden folder in the working folder that packages are unpacked into before their CRC is
// checked; removed with whatever is left in it.
class CStagingFolder {
 public:
  CStagingFolder() {
    char name[] = ".unpack-XXXXXX";
    if (mkdtemp(name)) m_Path = name;
  }
  ~CStagingFolder() {
    std::error_code ignored;
    if (!m_Path.empty()) std::filesystem::remove_all(m_Path, ignored);
  }
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;
  const std::string& Path() const { return m_Path; }

 private:
  std::string m_Path;
};

bool SameFile(const SFVersionCallbacks& c, const char* name, uint32_t crc, uint32_t size) {
  uint32_t realCRC = 0, realSize = 0;
  return c.m_FileCalcCRC(name, &realCRC) && c.m_FileFileSize(name, &realSize) && realCRC == crc && realSize == size;
}
}  // namespace

int32_t CFVUpdatePass::FinishWithoutDownload() {
  for (const SGameStatus& game : m_Statuses)
    if (game.m_New != MODSTATUS_INSTALLED && game.m_pGame->GetModForcedDownload()) m_C.m_MissingCriticalFiles();
  for (const SGameStatus& game : m_Statuses)
    if (!m_Status.SetFlagForThisModule(game.m_pGame->GetModName(), game.m_New)) return 0;
  return WriteBack();
}

int32_t CFVUpdatePass::Download() {
  if (!m_Items.GetNumNodes()) return FlagInstalled();
  // Nothing is unpacked and no status changes when the files could not be had; the lists are
  // written all the same, and a second pass records what is missing.
  if (!Fetch()) return WriteBack();
  bool complete = true;
  if (!Unpack(complete)) return 0;
  return complete ? FlagInstalled() : WriteBack();
}

bool CFVUpdatePass::Fetch() {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt && m_C.m_MessageBox)
      m_C.m_MessageBox(FVERSION_RETRY_CAPTION, attempt == 1 ? FVERSION_RETRY_TEXT : FVERSION_LAST_RETRY_TEXT);
    CLList needed;
    if (!Needed(needed)) return false;
    if (!needed.GetNumNodes()) return true;
    int32_t stop = 0;
    if (m_C.m_Download(&needed, m_Server.GetFtpSiteList(), &stop)) return true;
    if (stop) {
      m_Stopped = true;
      return false;
    }
  }
  return false;
}

int32_t CFVUpdatePass::Needed(CLList& needed) {
  for (CNode* n = m_Items.HeadNode(); n; n = n->m_pNext) {
    auto* item = static_cast<SFVersionDownloadItem*>(n->m_pData);
    if (m_C.m_FileExists(item->m_pNormName)) xRemoveReadOnly(item->m_pNormName);
    if (m_C.m_FileExists(item->m_pPackedName)) {
      xRemoveReadOnly(item->m_pPackedName);
      if (SameFile(m_C, item->m_pPackedName, item->m_PackedCRC, item->m_PackedSize)) continue;
    }
    if (!needed.InsertLast(item)) return 0;
  }
  return 1;
}

int32_t CFVUpdatePass::Unpack(bool& complete) {
  m_C.m_DownloadComplete();
  if (!m_C.m_UnpackStart(m_Items.GetNumNodes())) return 0;
  bool restart = false;
  {
    CStagingFolder staging;
    if (staging.Path().empty()) {
      m_C.m_UnpackEnd();
      return 0;
    }
    for (CNode* n = m_Items.HeadNode(); n; n = n->m_pNext) {
      const auto& item = *static_cast<const SFVersionDownloadItem*>(n->m_pData);
      if (!m_C.m_FileExists(item.m_pPackedName)) {
        ShowFailureOnce();
        complete = false;
        continue;
      }
      if (!m_C.m_UnpackProgress(item.m_pPackedName) || !UnpackItem(item, staging.Path(), restart)) {
        m_C.m_UnpackEnd();
        return 0;
      }
    }
  }
  if (!m_C.m_UnpackEnd()) return 0;
  if (restart) m_C.m_Restart(m_FullRestart);
  return 1;
}

int32_t CFVUpdatePass::UnpackItem(const SFVersionDownloadItem& item, const std::string& staging, bool& restart) {
  const char* unpackName = nullptr;
  int32_t fullRestart = 0;
  const bool restartFile = m_Server.DoRestartFileExists(item.m_pNormName, &unpackName, &fullRestart) != 0;
  if (restartFile) {
    restart = true;
    if (fullRestart) m_FullRestart = 1;
  }
  const char* target = restartFile ? unpackName : item.m_pNormName;
  const char* packed = item.m_pPackedName;
  if (!FVersion_IsSafeListName(target) || !FVersion_IsSafeListName(packed)) return 0;
  // A package that is not the one listed is never unpacked.
  if (!SameFile(m_C, packed, item.m_PackedCRC, item.m_PackedSize)) {
    xprintf("FVersion_ValidateFiles: the package %s is damaged", packed);
    return 0;
  }
  char* given = restartFile ? xStrdup(target) : nullptr;
  if (restartFile && !given) return 0;
  char* name = given;
  const int32_t unpacked = m_C.m_UnpackFile("", staging.c_str(), packed, &name);
  const std::string unpackedName = unpacked && name ? name : "";
  if (name != given) xFree(name);
  xFree(given);
  if (!unpacked || !FVersion_IsSafeListName(unpackedName.c_str()) || xStricmp(unpackedName.c_str(), target) != 0) {
    xprintf("FVersion_ValidateFiles: unable to unpack %s to %s", packed, target);
    return 0;
  }
  const std::string staged = FVJoin(staging.c_str(), unpackedName.c_str());
  if (SameFile(m_C, staged.c_str(), item.m_NormCRC, item.m_NormSize)) {
    if (!FVMoveOver(staged.c_str(), target)) return 0;
    m_C.m_EraseFile(packed);
    return 1;
  }
  char found[FV_SIGNATURE_NAME_SIZE] = "";
  if (FVIsCode(target) && IsSpecificVirus(staged.c_str(), found))
    xprintf("FVersion_ValidateFiles: %s holds %s", target, found);
  xprintf("FVersion_ValidateFiles: %s unpacked with the wrong CRC", target);
  return 0;
}

void CFVUpdatePass::ShowFailureOnce() {
  if (g_FailureShown || m_Stopped || !m_C.m_MessageBox) return;
  g_FailureShown = true;
  m_C.m_MessageBox(FVERSION_INFO_CAPTION, FVERSION_INFO_TEXT);
}

int32_t CFVUpdatePass::FlagInstalled() {
  if (!m_FullRestart) {
    for (const SGameStatus& game : m_Statuses) {
      if (!game.m_pGame->GetModForcedDownload() && !m_Settings.m_DownloadAll) continue;
      if (!m_Status.SetFlagForThisModule(game.m_pGame->GetModName(), MODSTATUS_INSTALLED)) return 0;
    }
  }
  return WriteBack();
}

int32_t CFVUpdatePass::WriteBack() {
  return m_Server.WriteModuleList(m_Settings.m_pServerList, 1) &&
                 m_Installed.WriteModuleList(m_Settings.m_pInstalledList, 1)
             ? 1
             : 0;
}
