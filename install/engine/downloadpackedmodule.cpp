#include "install/engine/downloadpackedmodule.h"

#include <new>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnames.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fversiondownloaditem.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/folders.h"
#include "ostrelcomm/download/downloadmanager.h"

namespace {
bool HasText(const char* text) { return text && *text; }

bool SameName(const char* a, const char* b) {
  if (!a || !b) return !a && !b;
  return xStricmp(a, b) == 0;
}

// A text the manager hands over, freed with it.
struct SOwnedText {
  char* m_pText = nullptr;
  ~SOwnedText() { xFree(m_pText); }
};

bool FileCrc(const char* name, uint32_t& crc) { return Callback_FileCalcCRC(name, &crc) != 0; }

// Bounds the manager's steps in one frame (new, sites, connect: a server list and a few dead
// sites fit).
constexpr int kManagerStepsPerFrame = 16;
}  // namespace

int32_t BIsKnownPackedSize(uint32_t size) { return size != 0 && size != 0xFFFFFFFFu ? 1 : 0; }

BDownLoadPackedModule::BDownLoadPackedModule(CFVModuleHandler* handler) : m_pHandler(handler) {}

BDownLoadPackedModule::~BDownLoadPackedModule() = default;

// ---- the list ----

BDownLoadPackedModule::SEntry* BDownLoadPackedModule::FindEntry(const char* packedName) {
  for (SEntry& entry : m_Items)
    if (SameName(entry.m_pItem->m_pPackedName, packedName)) return &entry;
  return nullptr;
}

void BDownLoadPackedModule::Count(SEntry& entry, uint64_t bytes) {
  Uncount(entry);
  entry.m_Counted = bytes;
  m_CompleteBytes += bytes;
}

void BDownLoadPackedModule::Uncount(SEntry& entry) {
  m_CompleteBytes -= entry.m_Counted < m_CompleteBytes ? entry.m_Counted : m_CompleteBytes;
  entry.m_Counted = 0;
}

int32_t BDownLoadPackedModule::Append(std::unique_ptr<SFVersionDownloadItem> item) {
  // A finished round's files have been taken over (unpacked and deleted): the next round is of
  // the new work only, or it would fetch them all again.
  if (m_State == BDOWNLOAD_FINISHED) Tidy();
  if (m_Items.empty()) m_TotalBytes = 0;
  if (BIsKnownPackedSize(item->m_PackedSize)) m_TotalBytes += item->m_PackedSize;
  m_Items.push_back({std::move(item), 0});
  return Start();
}

int32_t BDownLoadPackedModule::Start() {
  if (m_State != BDOWNLOAD_IDLE && m_State != BDOWNLOAD_FINISHED) return 0;
  m_State = BDOWNLOAD_START;
  m_Error = BDOWNLOAD_OK;
  m_ErrorName.clear();
  m_Retries = 0;
  return 1;
}

int32_t BDownLoadPackedModule::AddItem(const SFVersionDownloadItem* item) {
  if (!item || FindEntry(item->m_pPackedName)) return 0;
  auto copy = std::make_unique<SFVersionDownloadItem>(*item);
  if (!copy->Copied(*item)) throw std::bad_alloc();
  return Append(std::move(copy));
}

int32_t BDownLoadPackedModule::AddModule(const char* name) {
  if (!m_pHandler || !name || !m_pHandler->FindModule(name)) return 0;
  const char* packed = m_pHandler->CurrModule_GetPackedFileName();
  if (!HasText(packed) || FindEntry(packed)) return 0;
  auto item = std::make_unique<SFVersionDownloadItem>();
  if (!item->SetPackedName(packed)) throw std::bad_alloc();
  item->m_PackedCRC = m_pHandler->CurrModule_GetPackedFileCRC();
  item->m_PackedSize = static_cast<uint32_t>(m_pHandler->CurrModule_GetPackedFileSize());
  return Append(std::move(item));
}

int32_t BDownLoadPackedModule::Cancel() {
  const int32_t hadManager = m_pManager ? 1 : 0;
  // Work that was queued but never stepped goes too, so that it does not come back with the next.
  if (hadManager || !m_Items.empty()) {
    Tidy();
    m_State = BDOWNLOAD_IDLE;
  }
  return hadManager;
}

void BDownLoadPackedModule::Tidy() {
  m_pManager.reset();
  m_Items.clear();
  m_CurrentBytes = m_CompleteBytes = m_TotalBytes = 0;
  m_CurrentRate = 0;
  m_Queued = 0;
}

// ---- queries ----

uint64_t BDownLoadPackedModule::GetBytesDone() const {
  const uint64_t done = m_CompleteBytes + m_CurrentBytes;
  return m_TotalBytes && done > m_TotalBytes ? m_TotalBytes : done;
}

const char* BDownLoadPackedModule::GetCurrentSite() const { return m_pManager ? m_pManager->GetCurrentSite() : ""; }

const char* BDownLoadPackedModule::GetCurrentFile() const {
  return m_pManager ? m_pManager->GetDownloadRemoteFileName() : "";
}

// ---- the rounds ----

void BDownLoadPackedModule::Step() {
  switch (m_State) {
    case BDOWNLOAD_IDLE:
      Tidy();
      break;
    case BDOWNLOAD_START:
      // The round's first transfer step in the same frame: a frame spent idle is 20 ms lost.
      StartRound();
      if (m_State == BDOWNLOAD_DOWNLOADING) StepDownloading();
      break;
    case 2:
    case 3:
    case BDOWNLOAD_DOWNLOADING:
      StepDownloading();
      break;
    case BDOWNLOAD_FAILED:
      Retry();
      break;
    case BDOWNLOAD_FINISHED:
      break;
    default:
      m_Error = BDOWNLOAD_ERR_STATE;
      break;
  }
}

void BDownLoadPackedModule::Fail(int32_t state, int32_t error, const char* name) {
  m_State = state;
  m_Error = error;
  m_ErrorName = name ? name : "";
  xprintf("BDownLoadPackedModule: error %d (%s)", static_cast<int>(error), m_ErrorName.c_str());
  if (state == BDOWNLOAD_IDLE) Tidy();
}

void BDownLoadPackedModule::StartRound() {
  m_CurrentBytes = m_CompleteBytes = 0;
  m_Queued = 0;
  for (SEntry& entry : m_Items) {
    entry.m_Counted = 0;
    const SFVersionDownloadItem* item = entry.m_pItem.get();
    const char* name = item->m_pPackedName;
    // Every CRC value counts (-1: not checked); a size is needed unless the file is not checked,
    // and then it is fetched whole.
    const bool complete = HasText(name) && (BIsKnownPackedSize(item->m_PackedSize) ||
                                            item->m_PackedCRC == BDOWNLOAD_UNCHECKED);
    if (!complete || !FVersion_IsSafeListName(name)) return Fail(BDOWNLOAD_IDLE, BDOWNLOAD_ERR_ENTRY, name);
  }
  m_pManager.reset(new (std::nothrow) DownloadManager::CDownloadManager);
  if (!m_pManager) return Fail(BDOWNLOAD_IDLE, BDOWNLOAD_ERR_NO_MANAGER, nullptr);
  if (m_pHandler) {
    for (CNode* n = m_pHandler->GetFtpSiteList()->HeadNode(); n; n = n->m_pNext) {
      const auto* site = static_cast<const SFVFtpSite*>(n->m_pData);
      m_pManager->AddSite(site->m_pSiteName, site->m_pLoginName, site->m_pPassword, site->m_pSubDir,
                          site->m_ConnectTimeout, site->m_DataTimeout);
    }
  }
  for (SEntry& entry : m_Items)
    if (!Prepare(entry)) return Fail(BDOWNLOAD_IDLE, BDOWNLOAD_ERR_LOCAL_FILE, entry.m_pItem->m_pPackedName);
  m_Rate.Clear(GetBytesDone(), xGetTime());
  m_State = BDOWNLOAD_DOWNLOADING;
}

bool BDownLoadPackedModule::Prepare(SEntry& entry) {
  const SFVersionDownloadItem& item = *entry.m_pItem;
  const char* name = item.m_pPackedName;
  // A folder in the file's place is never written over.
  if (!xStaysInFolder(nullptr, name) || xFolderExists(name)) return false;
  if (!xFileExists(name)) {
    Queue(name, 0, 0);
    return true;
  }
  xRemoveReadOnly(name);
  uint32_t present = 0;
  {
    CFile file;
    if (!file.Open(name, XFILE_UPDATE) || !file.GetSize(&present)) return false;
  }
  const uint32_t size = item.m_PackedSize;
  if (!BIsKnownPackedSize(size) || present > size) {
    // A file of unknown size, or longer than it should be, cannot be resumed: fetched whole.
    xFileDelete(name);
    Queue(name, 0, 0);
  } else if (present < size) {
    Queue(name, present, size);
    m_CurrentBytes = present;
  } else if (item.m_PackedCRC != BDOWNLOAD_UNCHECKED) {
    uint32_t crc = 0;
    if (FileCrc(name, crc) && crc == item.m_PackedCRC) {
      Count(entry, size);
    } else {
      xFileDelete(name);
      Queue(name, 0, 0);
    }
  }
  return true;
}

void BDownLoadPackedModule::Queue(const char* name, uint32_t offset, uint32_t size) {
  m_pManager->AddFile(name, name, offset, size);
  ++m_Queued;
}

void BDownLoadPackedModule::Requeue(const char* name) {
  m_pManager->RemoveFinishedFile(name);
  Queue(name, 0, 0);
}

void BDownLoadPackedModule::StepDownloading() {
  if (!m_pManager) return Fail(BDOWNLOAD_FAILED, BDOWNLOAD_ERR_NO_MANAGER, nullptr);
  if (m_Queued) {
    // The manager's own steps up to a connection wait for nothing: they run within one frame,
    // which then waits on the sockets.
    for (int steps = 0; steps < kManagerStepsPerFrame; ++steps) {
      if (!m_pManager->Update()) return Fail(BDOWNLOAD_FAILED, BDOWNLOAD_ERR_TRANSFER, nullptr);
      if (m_pManager->GetState() >= DownloadManager::DM_CONNECTED) break;
    }
    if (!TakeNotes()) return;
  }
  if (!m_Queued || m_pManager->IsDone()) {
    CheckAll();
    if (m_State != BDOWNLOAD_DOWNLOADING) return;
  }
  // Between two transfers the bytes stay as they were: those of a resumed file present, or none
  // once a file was counted complete.
  if (m_pManager->IsDownloading()) m_CurrentBytes = m_pManager->GetDownloadBytesTransfered();
  m_CurrentRate = m_pManager->GetDownloadSpeed();
  m_Rate.Sample(GetBytesDone(), xGetTime());
}

bool BDownLoadPackedModule::TakeNotes() {
  while (m_pManager->IsDownloadedNote()) {
    uint32_t time = 0, size = 0;
    int32_t hasSize = 0;
    SOwnedText local, remote;
    if (!m_pManager->GetDownloadedNote(time, hasSize, size, local.m_pText, remote.m_pText)) break;
    const char* name = local.m_pText;
    m_CurrentBytes = size;
    SEntry* entry = FindEntry(name);
    if (!entry) {
      m_pManager->RemoveFinishedFile(name);
      continue;
    }
    const SFVersionDownloadItem* item = entry->m_pItem.get();
    uint32_t crc = 0;
    if (item->m_PackedCRC == BDOWNLOAD_UNCHECKED || (FileCrc(name, crc) && crc == item->m_PackedCRC)) {
      Count(*entry, BIsKnownPackedSize(item->m_PackedSize) ? item->m_PackedSize : size);
      m_CurrentBytes = 0;
      m_pManager->RemoveFinishedFile(name);
      continue;
    }
    // Another site may have it right; a resumed file is fetched whole there, not resumed again.
    xFileDelete(name);
    Requeue(name);
    m_CurrentBytes = 0;
    if (!m_pManager->GotoNextSite()) {
      Fail(BDOWNLOAD_FAILED, BDOWNLOAD_ERR_CHECKSUM, name);
      return false;
    }
  }
  return true;
}

void BDownLoadPackedModule::CheckAll() {
  const char* checksumFailed = nullptr;
  const char* missing = nullptr;
  for (SEntry& entry : m_Items) {
    const SFVersionDownloadItem* item = entry.m_pItem.get();
    const char* name = item->m_pPackedName;
    const uint32_t size = item->m_PackedSize;
    uint32_t present = 0, crc = 0;
    const bool there = xFileExists(name) && xFileSize(name, &present);
    const bool sized = there && (!BIsKnownPackedSize(size) || present == size);
    const bool checked = item->m_PackedCRC == BDOWNLOAD_UNCHECKED || (FileCrc(name, crc) && crc == item->m_PackedCRC);
    if (sized && checked) continue;
    // A round never ends well with a file missing, cut or wrong.
    if (there) xFileDelete(name);
    Uncount(entry);
    Requeue(name);
    if (sized) {
      if (!checksumFailed) checksumFailed = name;
    } else if (!missing) {
      missing = name;
    }
  }
  if (!checksumFailed && !missing) {
    m_CurrentBytes = 0;
    m_State = BDOWNLOAD_FINISHED;
    return;
  }
  if (m_pManager->GotoNextSite()) return;
  if (checksumFailed) return Fail(BDOWNLOAD_FAILED, BDOWNLOAD_ERR_CHECKSUM, checksumFailed);
  Fail(BDOWNLOAD_FAILED, BDOWNLOAD_ERR_TRANSFER, missing);
}

void BDownLoadPackedModule::Retry() {
  // Three failed rounds end the set with the last round's error.
  if (++m_Retries < BDOWNLOAD_ROUNDS) {
    m_State = BDOWNLOAD_START;
    m_Error = BDOWNLOAD_OK;
    m_ErrorName.clear();
  } else {
    m_State = BDOWNLOAD_IDLE;
  }
}
