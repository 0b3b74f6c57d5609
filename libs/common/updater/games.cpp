// The games list: sorted insertion, and the join of the status file, the description files and
// the module list.
#include "common/updater/games.h"

#include <new>
#include <utility>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvlistops.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "ostrel/base/xstring.h"

namespace {
// The module list's own installer is never a game.
constexpr char kInstallerModule[] = "Install";

GamestxtCFVModule* Entry(const CNode* n) { return static_cast<GamestxtCFVModule*>(n->m_pData); }

// The download item of the handler's current normal file.
int32_t AddDownloadItem(GamestxtCFVModule& game, const CFVNormFile& file) {
  SFVersionDownloadItem item;
  item.m_NormCRC = file.GetNormCRC();
  item.m_NormSize = file.GetNormFileSize();
  item.m_PackedCRC = file.GetPackedCRC();
  item.m_PackedSize = file.GetPackedFileSize();
  return item.SetNormName(file.GetNormName()) && item.SetPackedName(file.GetPackedName()) &&
         game.AddDownloadItem(item);
}

// Indirect items of the game named like the file, which no INDIRECT module has filled yet, take
// its sizes, CRCs and packed name.
int32_t FillIndirectItems(GamestxtCFVModule& game, const CFVNormFile& file) {
  for (CNode* n = game.GetIndirectItems()->HeadNode(); n; n = n->m_pNext) {
    auto* item = static_cast<SFVersionDownloadItem*>(n->m_pData);
    if (item->m_pPackedName || !item->m_pNormName || xStrcmp(item->m_pNormName, file.GetNormName()) != 0) continue;
    if (!item->SetPackedName(file.GetPackedName())) return 0;
    item->m_NormCRC = file.GetNormCRC();
    item->m_NormSize = file.GetNormFileSize();
    item->m_PackedCRC = file.GetPackedCRC();
    item->m_PackedSize = file.GetPackedFileSize();
  }
  return 1;
}
}  // namespace

int32_t CGames::Add(GamestxtCFVModule* entry) { return Insert(entry) == INSERT_ADDED ? 1 : 0; }

CGames::EInsert CGames::Insert(GamestxtCFVModule* entry) {
  if (!entry) return INSERT_FAILED;
  for (CNode* n = m_List.HeadNode(); n; n = n->m_pNext) {
    if (*Entry(n) == *entry) {
      delete entry;
      return INSERT_EQUAL;
    }
  }
  const bool saved = m_List.Push();
  m_List.First();
  while (m_List.Exists() && !(*entry < *Get())) m_List.Next();
  const int16_t added = m_List.Exists() ? m_List.InsertBefore(entry) : m_List.InsertLast(entry);
  if (saved) m_List.Pop();
  if (added) return INSERT_ADDED;
  delete entry;
  return INSERT_FAILED;
}

int32_t CGames::Remove(GamestxtCFVModule* entry, int32_t deleteEntry) {
  CNode* n = m_List.HeadNode();
  while (n && n->m_pData != entry) n = n->m_pNext;
  if (!n || !entry) return 0;
  FVUnlink(m_List, entry);
  if (deleteEntry) delete entry;
  return 1;
}

void CGames::KillAll() { FVDeleteRecords<GamestxtCFVModule>(m_List); }

GamestxtCFVModule* CGames::Find(const char* name) const {
  if (!name) return nullptr;
  for (CNode* n = m_List.HeadNode(); n; n = n->m_pNext) {
    const char* listed = Entry(n)->GetModName();
    if (listed && xStrcmp(listed, name) == 0) return Entry(n);
  }
  return nullptr;
}

GamestxtCFVModule* CGames::FindByGameId(int32_t id) const {
  if (!id) return nullptr;
  for (CNode* n = m_List.HeadNode(); n; n = n->m_pNext)
    if (Entry(n)->GetGameid() == id) return Entry(n);
  return nullptr;
}

int32_t CGames::Sort() {
  CLList old(std::move(m_List));
  int32_t ok = 1;
  // An entry equal to one inserted before it is dropped, as a second copy always is.
  for (CNode* n = old.HeadNode(); n; n = n->m_pNext)
    if (Insert(Entry(n)) == INSERT_FAILED) ok = 0;
  old.KillAll();
  return ok;
}

int32_t CGames::ReadGames(CFVModuleHandler* handler, int32_t packageNeeded) {
  KillAll();
  CKCBLModStatus status;
  if (status.LoadFile()) {
    status.MainChunk();
    for (int32_t more = status.FirstItem(); more; more = status.NextItem(0)) {
      if (status.ItemType() != 1 || status.IsComment() || xStricmp(status.GetKeyword(), MODSTATUS_KEYWORD) != 0)
        continue;
      const char* name = status.GetString(0);
      if (!name) continue;
      auto* entry = new (std::nothrow) GamestxtCFVModule;
      if (!entry) return 0;
      if (!entry->SetModName(name)) {
        delete entry;
        return 0;
      }
      Add(entry);
    }
  }
  AddGameInfo(GAMES_FILE, handler != nullptr, 0);
  AddGameInfo(GAMES_INSTALL_FILE, handler != nullptr, 1);
  if (handler && !JoinModuleList(*handler, packageNeeded)) return 0;
  return Sort();
}

int32_t CGames::JoinModuleList(CFVModuleHandler& handler, int32_t packageNeeded) {
  for (CNode* n = m_List.HeadNode(); n;) {
    GamestxtCFVModule& game = *Entry(n);
    n = n->m_pNext;
    const char* name = game.GetModName();
    CFVModule* module = name && handler.FindModule(name) ? handler.CurrModule() : nullptr;
    if (!module || (packageNeeded && !module->HasPackage()) || xStrcmp(name, kInstallerModule) == 0) {
      Remove(&game, 1);
      continue;
    }
    if (!game.SetModPackedFileName(module->GetModPackedFileName())) return 0;
    game.SetModPackedFileSize(module->GetModPackedFileSize());
    game.SetModPackedFileCRC(module->GetModPackedFileCRC());
    const char* description = module->GetModDesc();
    if (description && *description && !game.SetModDesc(description)) return 0;
    if (module->GetModForcedDownload()) game.SetModForcedDownload(module->GetModForcedDownload());
    for (handler.NormalFile_First(); handler.NormalFile_Exists(); handler.NormalFile_Next()) {
      handler.NormalFile_Fetch();
      if (!AddDownloadItem(game, *handler.CurrNormalFile())) return 0;
    }
    for (handler.IndirectFile_First(); handler.IndirectFile_Exists(); handler.IndirectFile_Next()) {
      handler.IndirectFile_Fetch();
      if (!game.AddIndirectItem(handler.IndirectFile_GetName())) return 0;
    }
  }
  for (handler.FirstIndirectModule(); handler.ExistsIndirectModule(); handler.NextIndirectModule()) {
    handler.FetchIndirectModule();
    for (handler.NormalFile_First(); handler.NormalFile_Exists(); handler.NormalFile_Next()) {
      handler.NormalFile_Fetch();
      const CFVNormFile& file = *handler.CurrNormalFile();
      if (!file.GetNormName()) continue;
      for (CNode* n = m_List.HeadNode(); n; n = n->m_pNext)
        if (!FillIndirectItems(*Entry(n), file)) return 0;
    }
  }
  return 1;
}
