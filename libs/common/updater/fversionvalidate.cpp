// FVersion_ValidateFiles: the games list when none is given, and the passes.
#include "common/updater/fversionvalidate.h"

#include <new>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvupdatepass.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"

namespace {
// The status a module keeps at the start of a run: what was asked for becomes what is, and a
// module without a package cannot be installed.
int32_t Normalised(int32_t status, const CFVModule& module) {
  if (status == MODSTATUS_INSTALL_ASKED || status == MODSTATUS_INVALID) status = MODSTATUS_NOT_INSTALLED;
  if (status == MODSTATUS_UPDATE_ASKED) status = MODSTATUS_UPDATE_NEEDED;
  if ((status == MODSTATUS_INSTALLED || status == MODSTATUS_UPDATE_NEEDED) && !module.HasPackage())
    status = MODSTATUS_NOT_INSTALLED;
  return status;
}

// The entry of a module: its name, forced flag and files.
GamestxtCFVModule* NewGame(CFVModuleHandler& server) {
  auto* game = new (std::nothrow) GamestxtCFVModule;
  if (!game) return nullptr;
  bool ok = game->SetModName(server.CurrModule_GetName());
  game->SetModForcedDownload(server.CurrModule_GetForceDownload());
  for (server.NormalFile_First(); ok && server.NormalFile_Exists(); server.NormalFile_Next()) {
    server.NormalFile_Fetch();
    const CFVNormFile& file = *server.CurrNormalFile();
    SFVersionDownloadItem item;
    item.m_PackedCRC = file.GetPackedCRC();
    item.m_PackedSize = file.GetPackedFileSize();
    ok = item.SetNormName(file.GetNormName()) && item.SetPackedName(file.GetPackedName()) && game->AddDownloadItem(item);
  }
  for (server.IndirectFile_First(); ok && server.IndirectFile_Exists(); server.IndirectFile_Next()) {
    server.IndirectFile_Fetch();
    ok = game->AddIndirectItem(server.IndirectFile_GetName());
  }
  if (ok) return game;
  delete game;
  return nullptr;
}

// The games of the server's list that are installed, or forced (unless only listed games count).
int32_t BuildGames(CFVModuleHandler& server, int32_t listedOnly, CGames& games) {
  CKCBLModStatus status;
  status.LoadFile();
  for (server.FirstNormalModule(); server.ExistsNormalModule(); server.NextNormalModule()) {
    server.FetchNormalModule();
    const CFVModule& module = *server.CurrModule();
    const int32_t current = status.GetFlagForThisModule(module.GetModName());
    const int32_t normalised = Normalised(current, module);
    if (normalised != current && !status.SetFlagForThisModule(module.GetModName(), normalised)) return 0;
    const bool taken = normalised == MODSTATUS_INSTALLED || normalised == MODSTATUS_UPDATE_NEEDED ||
                       (normalised == MODSTATUS_NOT_INSTALLED && module.GetModForcedDownload() && !listedOnly);
    if (!taken) continue;
    GamestxtCFVModule* game = NewGame(server);
    if (!game) return 0;
    games.Add(game);
  }
  return 1;
}

int32_t RunPass(const SFVPassSettings& settings, CGames& games, int32_t* changes) {
  CFVUpdatePass pass(settings, games);
  const int32_t ok = pass.Run();
  if (changes) *changes = pass.Changes();
  return ok;
}
}  // namespace

int32_t FVersion_ValidateFiles(const char* serverList, const char* installedList, int32_t twoPasses,
                               int32_t listedOnly, int32_t downloadAll, CGames* games, int32_t packageKind) {
  if (!serverList || !installedList) return 0;
  // Read once for the games list and the first pass; a second pass reads what the first wrote.
  CFVModuleHandler server;
  if (!server.ReadModuleList(serverList, 1, packageKind)) return 0;
  CGames built;
  if (!games) {
    if (!BuildGames(server, listedOnly, built)) return 0;
    games = &built;
  }
  SFVPassSettings settings{serverList, installedList, twoPasses == 1, listedOnly, downloadAll, packageKind, &server};
  int32_t changes = 0;
  int32_t ok = RunPass(settings, *games, &changes);
  if (twoPasses == 1 && changes) {
    settings.m_Download = 0;
    settings.m_pServerRead = nullptr;
    ok = RunPass(settings, *games, nullptr) && ok;
  }
  return ok;
}
