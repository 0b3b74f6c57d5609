#include "common/updater/modstatus.h"

#include <string>

#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/mutex.h"

namespace {
// Shared by every process of the user that changes a status file.
constexpr char kLockName[] = "Vorrin_modstatus";
// A holder that hangs is waited for no longer than this; the change then goes ahead unlocked.
constexpr uint32_t kLockWaitMs = 5000;

// Held for one read-change-write of the file.
class CStatusLock {
 public:
  CStatusLock() {
    uint32_t status = 0;
    m_Held = m_Mutex.Create(kLockName, status) && m_Mutex.Wait(kLockWaitMs);
  }
  ~CStatusLock() {
    if (m_Held) m_Mutex.Release();
  }
  CStatusLock(const CStatusLock&) = delete;
  CStatusLock& operator=(const CStatusLock&) = delete;

 private:
  CMutex m_Mutex;
  bool m_Held = false;
};

// The whole file, or false when it is missing or cannot be read.
bool ReadText(const char* path, std::string& text) {
  if (!xFileExists(path)) return false;
  CFile file;
  uint32_t size = 0;
  if (!file.Open(path, XFILE_READ) || !file.GetSize(&size) || size > 0x7FFFFFFEu) return false;
  text.assign(size, '\0');
  return !size || file.Read(text.data(), size);
}
}  // namespace

int32_t CKCBLModStatus::LoadFile() { return xFileExists(MODSTATUS_FILE) && Load(MODSTATUS_FILE) ? 1 : 0; }

int32_t CKCBLModStatus::FindModule(const char* name) {
  MainChunk();
  for (int32_t more = FirstItem(); more; more = NextItem(0)) {
    if (ItemType() != 1 || IsComment() || xStricmp(GetKeyword(), MODSTATUS_KEYWORD) != 0) continue;
    const char* itemName = GetString(0);
    if (itemName && xStrcmp(itemName, name) == 0) return 1;
  }
  return 0;
}

bool CKCBLModStatus::Reread() {
  std::string text;
  if (!ReadText(MODSTATUS_FILE, text)) return false;
  // A file that does not parse keeps what was loaded before rather than losing every status.
  CKCBL probe;
  const auto length = static_cast<int32_t>(text.size());
  return probe.Import(text.data(), length) && Import(text.data(), length);
}

int32_t CKCBLModStatus::Store() {
  if (xFileExists(MODSTATUS_FILE)) xRemoveReadOnly(MODSTATUS_FILE);
  return Save(MODSTATUS_FILE);
}

int32_t CKCBLModStatus::GetFlagForThisModule(const char* name) {
  if (!name) return MODSTATUS_INVALID;
  if (!FindModule(name)) {
    CStatusLock lock;
    Reread();
    // Another program may have added it meanwhile.
    if (!FindModule(name)) {
      NewItem(MODSTATUS_KEYWORD, KSTRING, name, KLONG, MODSTATUS_NOT_INSTALLED, KEND);
      Store();
      return MODSTATUS_NOT_INSTALLED;
    }
  }
  int32_t status = 0;
  return GetLong(1, &status) ? status : MODSTATUS_INVALID;
}

int32_t CKCBLModStatus::SetFlagForThisModule(const char* name, int32_t status) {
  if (!name) return 0;
  CStatusLock lock;
  Reread();
  const int32_t changed = FindModule(name) ? ReplaceItem(nullptr, KSTRING, name, KLONG, status, KEND)
                                           : NewItem(MODSTATUS_KEYWORD, KSTRING, name, KLONG, status, KEND);
  return changed ? Store() : 0;
}

int32_t CKCBLModStatus::ChangeFlagIf(const char* name, int32_t from, int32_t to) {
  if (!name) return 0;
  CStatusLock lock;
  if (!Reread()) return 0;
  int32_t status = MODSTATUS_NOT_INSTALLED;
  const int32_t listed = FindModule(name);
  if (listed && !GetLong(1, &status)) status = MODSTATUS_INVALID;
  if (status != from) return 0;
  const int32_t changed = listed ? ReplaceItem(nullptr, KSTRING, name, KLONG, to, KEND)
                                 : NewItem(MODSTATUS_KEYWORD, KSTRING, name, KLONG, to, KEND);
  return changed ? Store() : 0;
}

namespace {
// The entries up to the first one without a module name.
template <class Fn>
void ForEachGame(CGames* list, Fn&& fn) {
  if (!list) return;
  for (CNode* n = list->HeadNode(); n; n = n->m_pNext) {
    auto* game = static_cast<GamestxtCFVModule*>(n->m_pData);
    if (!game || !game->GetModName() || !fn(*game)) return;
  }
}
}  // namespace

int32_t CKCBLModStatus::bAllForcedModuleIsInstalled(CGames* list) {
  int32_t all = 1;
  ForEachGame(list, [&](GamestxtCFVModule& game) {
    if (game.GetModForcedDownload() && GetFlagForThisModule(game.GetModName()) == MODSTATUS_NOT_INSTALLED) all = 0;
    return all != 0;
  });
  return all;
}

int32_t CKCBLModStatus::bAllGameIsInstalled(CGames* list) {
  int32_t all = 1;
  ForEachGame(list, [&](GamestxtCFVModule& game) {
    if (GetFlagForThisModule(game.GetModName()) == MODSTATUS_NOT_INSTALLED) all = 0;
    return all != 0;
  });
  return all;
}

int32_t CKCBLModStatus::bOneGameIsInstalled(CGames* list) {
  int32_t one = 0;
  bool forcedMissing = false;
  ForEachGame(list, [&](GamestxtCFVModule& game) {
    const bool installed = GetFlagForThisModule(game.GetModName()) != MODSTATUS_NOT_INSTALLED;
    if (game.GetModForcedDownload()) {
      forcedMissing = !installed;
      return !forcedMissing;
    }
    if (installed) one = 1;
    return true;
  });
  return forcedMissing ? 0 : one;
}

GamestxtCFVModule* CKCBLModStatus::pGetNotInstalled(CGames* list) {
  GamestxtCFVModule* found = nullptr;
  ForEachGame(list, [&](GamestxtCFVModule& game) {
    if (GetFlagForThisModule(game.GetModName()) == MODSTATUS_NOT_INSTALLED) found = &game;
    return found == nullptr;
  });
  return found;
}
