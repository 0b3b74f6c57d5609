// The installation source: packages copied from the setup folder when their CRC matches.
#include <string>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fvnames.h"
#include "common/updater/gamestxtmodule.h"
#include "install/engine/installer.h"
#include "install/engine/installsource.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/sysservices.h"

bool BInstaller::CopyFromSource() {
  std::string folder;
  if (!BFindInstallSource(folder)) return false;
  for (const auto& module : m_DownloadModules) {
    if (xDoUserWantToQuit()) return false;
    const char* packed = module->GetModPackedFileName();
    if (!packed || !FVersion_IsSafeListName(packed) || !xStaysInFolder(nullptr, packed)) return false;
    const std::string source = folder + packed;
    uint32_t crc = 0;
    if (!xFileExists(source.c_str()) || !xCalcFileCrc(source.c_str(), &crc, XCRC_POLY) ||
        crc != module->GetModPackedFileCRC())
      return false;
    if (!Callback_CopyFile(folder.c_str(), "", packed)) return false;
  }
  return true;
}
