#include "install/engine/gamehandover.h"

#include "common/updater/fversiondefaults.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "install/engine/installer.h"
#include "ostrel/files/filehelpers.h"

namespace {
// An installed file that is missing or not as its entry records it.
bool Outdated(const SFVersionDownloadItem& item) {
  uint32_t crc = 0;
  return !item.m_pNormName || !xFileExists(item.m_pNormName) || !Callback_FileCalcCRC(item.m_pNormName, &crc) ||
         crc != item.m_NormCRC;
}

// The files of a game that are to be fetched again; 1 when any was taken.
int32_t AddOutdatedFiles(BInstaller& installer, GamestxtCFVModule& game) {
  int32_t taken = 0;
  for (CNode* n = game.GetDownloadItems()->HeadNode(); n; n = n->m_pNext) {
    const auto* item = static_cast<const SFVersionDownloadItem*>(n->m_pData);
    if (item && Outdated(*item) && installer.AddDownloadItem(item)) taken = 1;
  }
  return taken;
}

void HandOverGame(BInstaller& installer, CKCBLModStatus& status, GamestxtCFVModule& game) {
  const char* name = game.GetModName();
  const int32_t now = status.GetFlagForThisModule(name);
  switch (now) {
    case MODSTATUS_NOT_INSTALLED:
    case MODSTATUS_INSTALL_ASKED:
      if (installer.AddDownloadModule(&game) && now == MODSTATUS_NOT_INSTALLED)
        status.ChangeFlagIf(name, MODSTATUS_NOT_INSTALLED, MODSTATUS_INSTALL_ASKED);
      break;
    case MODSTATUS_UPDATE_NEEDED:
    case MODSTATUS_UPDATE_ASKED:
      if (AddOutdatedFiles(installer, game) && now == MODSTATUS_UPDATE_NEEDED)
        status.ChangeFlagIf(name, MODSTATUS_UPDATE_NEEDED, MODSTATUS_UPDATE_ASKED);
      break;
    default:
      break;
  }
}
}  // namespace

void BHandOverGames(BInstaller& installer, CGames& games, CGames& list, IBHandOverHost& host) {
  installer.Cancel();
  CKCBLModStatus status;
  status.LoadFile();
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) {
    const auto* chosen = static_cast<const GamestxtCFVModule*>(n->m_pData);
    GamestxtCFVModule* game = chosen && chosen->GetModName() ? games.Find(chosen->GetModName()) : nullptr;
    if (game) HandOverGame(installer, status, *game);
  }
  host.RefreshDisplay();
  installer.Handler();
  host.RefreshGameList();
  host.SendToClient(2, 0);
}
