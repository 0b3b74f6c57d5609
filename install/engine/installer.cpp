#include "install/engine/installer.h"

#include <new>
#include <string>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/gamestxtmodule.h"
#include "install/engine/bexception.h"
#include "install/engine/unpackprogress.h"
#include "ostrel/base/xstring.h"

namespace {
BInstaller* g_pInstance = nullptr;

template <class TList, class TEntry>
bool Holds(const TList& list, const TEntry& entry) {
  for (const auto& held : list)
    if (*held == entry) return true;
  return false;
}

bool SamePackedName(const SFVersionDownloadItem& a, const SFVersionDownloadItem& b) {
  return a.m_pPackedName && b.m_pPackedName && xStricmp(a.m_pPackedName, b.m_pPackedName) == 0;
}

template <class TList>
void MoveInto(TList& to, TList& from) {
  for (auto& entry : from) to.push_back(std::move(entry));
  from.clear();
}
}  // namespace

const char* BDownloadErrorText(int32_t error) {
  switch (error) {
    case BDOWNLOAD_OK: return nullptr;
    case 2:
    case 4:
    case 7: return "Unable to connect to ftp server";
    case 3: return "Unable to logon to ftp server";
    case 5: return "Unable to set login on ftp server";
    case 6: return "Unable to set password on ftp server";
    case 8: return "Unable to get file.Downloading was aborted!";
    case BDOWNLOAD_ERR_TRANSFER: return "Error when downloading";
    case BDOWNLOAD_ERR_CHECKSUM: return "Incorrect checksum when downloading";
    case BDOWNLOAD_ERR_LOCAL_FILE: return "Could not open local file %s";
    case BDOWNLOAD_ERR_ENTRY: return "Incomplete module list entry %s";
    default: return "Wrong internal state";
  }
}

BInstaller::BInstaller(CFVModuleHandler* handler, int32_t options) : m_Options(options) {
  if (g_pInstance) BThrow("BInstaller::BInstaller Only one instance of this class is allowed!");
  m_pDownload.reset(new (std::nothrow) BDownLoadPackedModule(handler));
  if (!m_pDownload) BThrow("BInstaller::SetupDownLoad Not enough memory BDownLoadPackedModule");
  g_pInstance = this;
}

BInstaller::~BInstaller() {
  if (g_pInstance == this) g_pInstance = nullptr;
}

// ---- adding work ----

bool BInstaller::Listed(const GamestxtCFVModule& module) const {
  return Holds(m_DeleteModules, module) || Holds(m_DownloadModules, module) || Holds(m_NewModules, module);
}

bool BInstaller::Listed(const SFVersionDownloadItem& item) const {
  for (const TItems* list : {&m_DownloadItems, &m_NewItems})
    for (const auto& held : *list)
      if (*held == item || SamePackedName(*held, item)) return true;
  return false;
}

int32_t BInstaller::AddDownloadItem(const SFVersionDownloadItem* item) {
  if (!item || Listed(*item)) return 0;
  try {
    auto copy = std::make_unique<SFVersionDownloadItem>(*item);
    if (!copy->Copied(*item)) throw std::bad_alloc();
    (Collecting() ? m_NewItems : m_DownloadItems).push_back(std::move(copy));
  } catch (const std::bad_alloc&) {
    BThrow("BInstaller::AddDownloadItem Not enough memory to add item");
  }
  return 1;
}

int32_t BInstaller::AddDownloadModule(const GamestxtCFVModule* module) {
  if (!module || Listed(*module)) return 0;
  try {
    (Collecting() ? m_NewModules : m_DownloadModules).push_back(std::make_unique<GamestxtCFVModule>(*module));
  } catch (const std::bad_alloc&) {
    BThrow("BInstaller::AddDownloadModule Not enough memory to add item");
  }
  return 1;
}

int32_t BInstaller::AddDeleteModule(const GamestxtCFVModule* module) {
  if (!module || Listed(*module)) return 0;
  try {
    m_DeleteModules.push_back(std::make_unique<GamestxtCFVModule>(*module));
  } catch (const std::bad_alloc&) {
    BThrow("BInstaller::AddDeleteModule Not enough memory to add item");
  }
  return 1;
}

void BInstaller::ClearAll() {
  m_DeleteModules.clear();
  m_DownloadModules.clear();
  m_DownloadItems.clear();
  m_NewModules.clear();
  m_NewItems.clear();
}

void BInstaller::Cancel() {
  m_pDownload->Cancel();
  ClearAll();
  m_State = BINSTALLER_SORT;
}

uint64_t BInstaller::GetBytesDone() const {
  return m_State == BINSTALLER_UNPACK ? BUnpackedBytes() : m_pDownload->GetBytesDone();
}

// ---- the steps ----

void BInstaller::Handler() {
  try {
    Step();
  } catch (BException*) {
    ClearAll();
    m_State = BINSTALLER_SORT;
    throw;
  } catch (const std::bad_alloc&) {
    ClearAll();
    m_State = BINSTALLER_SORT;
    BThrow("Not enough memory");
  }
}

void BInstaller::Step() {
  switch (m_State) {
    case BINSTALLER_IDLE:
      if (!m_DeleteModules.empty() || !m_DownloadModules.empty() || !m_DownloadItems.empty() ||
          !m_NewModules.empty() || !m_NewItems.empty())
        m_State = BINSTALLER_SORT;
      break;
    case BINSTALLER_SORT:
      Sort();
      break;
    case BINSTALLER_SOURCE:
      TrySource();
      break;
    case BINSTALLER_QUEUE:
      Queue();
      break;
    case BINSTALLER_DOWNLOAD:
      Download();
      break;
    case BINSTALLER_UNPACK:
      Unpack();
      break;
    case BINSTALLER_DELETE:
      Delete();
      break;
    case BINSTALLER_CANCELLED:
      BThrow("User canceled");
    default:
      BThrow("Wrong internal state");
  }
}

void BInstaller::Sort() {
  MoveInto(m_DownloadModules, m_NewModules);
  MoveInto(m_DownloadItems, m_NewItems);
  if (!m_DownloadItems.empty() || !m_DownloadModules.empty())
    m_State = BINSTALLER_SOURCE;
  else if (!m_DeleteModules.empty())
    m_State = BINSTALLER_DELETE;
  else
    m_State = BINSTALLER_IDLE;
}

void BInstaller::TrySource() {
  // Straight to unpacking only when every package came from the source and no file is wanted.
  const bool sourced = !(m_Options & BINSTALLER_NO_SOURCE) && !m_DownloadModules.empty() && CopyFromSource();
  m_State = sourced && m_DownloadItems.empty() ? BINSTALLER_UNPACK : BINSTALLER_QUEUE;
}

void BInstaller::Queue() {
  for (const auto& module : m_DownloadModules) m_pDownload->AddModule(module->GetModName());
  for (const auto& item : m_DownloadItems) m_pDownload->AddItem(item.get());
  m_State = BINSTALLER_DOWNLOAD;
}

void BInstaller::Download() {
  BDownLoadPackedModule& set = *m_pDownload;
  set.Step();
  set.Step();
  if (set.IsRunning()) return;
  if (const char* text = BDownloadErrorText(set.GetError())) {
    const std::string name = set.GetErrorName();
    m_State = BINSTALLER_CANCELLED;
    set.Cancel();
    BThrow(text, name.c_str());
  }
  m_State = BINSTALLER_UNPACK;
}

void BInstaller::Delete() {
  DeleteModuleFiles();
  m_DeleteModules.clear();
  m_State = BINSTALLER_SORT;
  Step();
}
