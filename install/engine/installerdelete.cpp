// Deleting removed games: their files as "filemap.lst" records them, the records, and status 0.
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "install/engine/bexception.h"
#include "install/engine/installer.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/sysservices.h"

namespace {
// The names of the current module's files that have one.
std::vector<std::string> NamedFiles(CFVModuleHandler& map) {
  std::vector<std::string> names;
  for (map.NormalFile_First(); map.NormalFile_Exists(); map.NormalFile_Next()) {
    map.NormalFile_Fetch();
    if (map.NormalFile_HaveNormalName() == 1 && map.NormalFile_GetNormalName())
      names.emplace_back(map.NormalFile_GetNormalName());
  }
  return names;
}

void DeleteInstalled(const std::string& name) {
  // Never through a link that leads out of the install folder.
  if (!xStaysInFolder(nullptr, name.c_str())) {
    xprintf("BInstaller::DeleteModuleFiles: %s left alone", name.c_str());
    return;
  }
  if (!xFileExists(name.c_str())) return;
  xRemoveReadOnly(name.c_str());
  xFileDelete(name.c_str());
}
}  // namespace

void BInstaller::DeleteModuleFiles() {
  if (!xFileExists(BINSTALLER_FILEMAP)) BThrow("Fielamp don't exist");
  xRemoveReadOnly(BINSTALLER_FILEMAP);
  std::unique_ptr<CFVModuleHandler> map(new (std::nothrow) CFVModuleHandler);
  if (!map) BThrow("BInstaller::DeleteModuleFiles() Could not create Filemap\n");
  // The list's reader stops at a quit request too: the player hears that he cancelled, not that
  // the list did not read.
  if (xDoUserWantToQuit()) BThrow("Cancel");
  if (!map->ReadModuleList(BINSTALLER_FILEMAP, 1, 1)) BThrow("Could not read ModuleFiles");
  for (const auto& module : m_DeleteModules) {
    if (xDoUserWantToQuit()) BThrow("Cancel");
    const char* name = module->GetModName();
    if (!name || !map->FindModule(name)) continue;
    for (const std::string& file : NamedFiles(*map)) {
      if (!(m_Options & BINSTALLER_KEEP_DELETED_FILES)) DeleteInstalled(file);
      map->RemoveNormalFile(name, 1, file.c_str(), 0, nullptr);
    }
  }
  if (!map->WriteModuleList(BINSTALLER_FILEMAP, 1)) BThrow("BInstaller::DeleteModuleFiles() Error when saving filemap\n");
  CKCBLModStatus status;
  status.LoadFile();
  for (const auto& module : m_DeleteModules)
    if (module->GetModName()) status.SetFlagForThisModule(module->GetModName(), MODSTATUS_NOT_INSTALLED);
}
