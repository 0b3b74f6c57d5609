// Unpacking: the single files, each through the updater's unpacking into its installed name, then
// the module packages, each checked whole and extracted into the install folder.
#include <string>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fversiondownloaditem.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/fvreplace.h"
#include "install/engine/bexception.h"
#include "install/engine/installer.h"
#include "install/engine/unpackprogress.h"
#include "ostrel/base/types.h"
#include "ostrel/files/archive.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/sysservices.h"

namespace {
constexpr char kCouldNotUnpack[] = "Could not unpack %s";

bool HasText(const char* text) { return text && *text; }

// The name a packed file is unpacked to: the item's normal name, else the packed name without its
// last extension.
std::string UnpackedName(const SFVersionDownloadItem& item) {
  if (HasText(item.m_pNormName)) return item.m_pNormName;
  const std::string packed = item.m_pPackedName;
  const char* ext = FVExtension(item.m_pPackedName);
  return ext ? packed.substr(0, static_cast<size_t>(ext - 1 - item.m_pPackedName)) : packed;
}
}  // namespace

void BInstaller::Unpack() {
  UnpackItems();
  ExtractModules();
  if (m_State != BINSTALLER_UNPACK) return;
  m_DownloadModules.clear();
  m_State = BINSTALLER_SORT;
  Step();
}

void BInstaller::UnpackItems() {
  for (const auto& item : m_DownloadItems) {
    const char* packed = item->m_pPackedName;
    // A failed unpack leaves the installed file as it was: it is replaced whole or not at all.
    if (!HasText(packed) || !xFileExists(packed) || !xStaysInFolder(nullptr, UnpackedName(*item).c_str()))
      BThrow(kCouldNotUnpack, packed);
    char* target = HasText(item->m_pNormName) ? item->m_pNormName : nullptr;
    if (!Callback_UnpackFile("", "", packed, &target)) BThrow(kCouldNotUnpack, packed);
    xFree(target);
    xFileDelete(packed);
  }
  m_DownloadItems.clear();
}

void BInstaller::ExtractModules() {
  BResetUnpackedBytes();
  CArchive archive;
  archive.SetCallback(BOnUnpackProgress);
  for (const auto& module : m_DownloadModules) {
    if (xDoUserWantToQuit()) {
      m_State = BINSTALLER_CANCELLED;
      return;
    }
    const char* packed = module->GetModPackedFileName();
    if (!HasText(packed)) BThrow("Could not get PackedFileName");
    // A package that is missing after the download, or that does not extract whole, ends the
    // round: the player hears of it.
    if (!xFileExists(packed) || !archive.ExtractArchive(packed, nullptr, 1)) BThrow(kCouldNotUnpack, packed);
  }
}
