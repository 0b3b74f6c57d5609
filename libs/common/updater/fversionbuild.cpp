// The install builder: the file pass, the package pass, the light release and the writing.
#include "common/updater/fversionbuild.h"

#include <memory>
#include <string>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnames.h"
#include "common/updater/fvreplace.h"
#include "common/updater/modstatus.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/archive.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"

namespace {
constexpr char kBuild[] = "FVersion_BuildInstall";

const char* Text(const char* text) { return text ? text : ""; }

// A text handed back by a callback (xFree).
struct SFreeText {
  void operator()(char* p) const { xFree(p); }
};
using TOwnedText = std::unique_ptr<char, SFreeText>;

// Calls f for every module of the list, NORMAL ones first, with the module current. Stops at the
// first 0 and gives it.
template <class F>
int32_t ForEachModule(CFVModuleHandler& list, F&& f) {
  for (list.FirstNormalModule(); list.ExistsNormalModule(); list.NextNormalModule())
    if (!list.FetchNormalModule() || !f(*list.CurrModule())) return 0;
  for (list.FirstIndirectModule(); list.ExistsIndirectModule(); list.NextIndirectModule())
    if (!list.FetchIndirectModule() || !f(*list.CurrModule())) return 0;
  return 1;
}

// Calls f for every normal file of the list's current module, the file current.
template <class F>
int32_t ForEachFile(CFVModuleHandler& list, F&& f) {
  for (list.NormalFile_First(); list.NormalFile_Exists(); list.NormalFile_Next())
    if (!list.NormalFile_Fetch() || !f(*list.CurrNormalFile())) return 0;
  return 1;
}

// The file of that name in any module of the list; null when none.
CFVNormFile* FindAnywhere(CFVModuleHandler& list, const char* name) {
  CFVNormFile* found = nullptr;
  ForEachModule(list, [&](CFVModule& module) {
    found = module.FindNormFile(name);
    return found ? 0 : 1;
  });
  return found;
}

void TakeRecord(CFVNormFile& to, const CFVNormFile& from) {
  to.SetNormCRCState(1);
  to.SetNormCRC(from.GetNormCRC());
  to.SetNormFileSizeState(1);
  to.SetNormFileSize(from.GetNormFileSize());
  to.SetPackedCRCState(1);
  to.SetPackedCRC(from.GetPackedCRC());
  to.SetPackedFileSizeState(1);
  to.SetPackedFileSize(from.GetPackedFileSize());
}

class CInstallBuild {
 public:
  CInstallBuild(const char* source, const char* listOutput, const char* target, int32_t packageKind)
      : m_Source(Text(source)),
        m_ListOutput(Text(listOutput)),
        m_Target(Text(target)),
        m_Light(FVJoin(target, FVERSION_LIGHT_FOLDER)),
        m_PackageKind(packageKind),
        m_Callbacks(FVersion_Callbacks()) {}

  int32_t Load(const std::string& sourceList);
  int32_t PackFiles();
  int32_t PackModules();
  int32_t LoadLight();
  int32_t Save(const std::string& mainOutput, const std::string& outputName, const std::string& secondName,
               const std::string& statusName);

 private:
  int32_t PackFile(CFVNormFile& file);
  // Copies (or scrambles) the source file into the target folder.
  int32_t Stage(const char* name);
  int32_t PackModule(CFVModule& module);
  // Adds every file of the current module (plain copies from the target folder) to the archive.
  int32_t AddModuleFiles(CArchive& archive, CFVModule& module);
  int32_t TakeFromMain(CFVModule& module);
  int32_t SaveList(CFVModuleHandler& list, const std::string& path);
  int32_t SaveStatuses(CFVModuleHandler& list, const std::string& path);
  // The CRC and size of a file on disk through the host's callbacks.
  int32_t Measure(const std::string& path, uint32_t* crc, uint32_t* size) const;

  const std::string m_Source, m_ListOutput, m_Target, m_Light;
  const int32_t m_PackageKind;
  const SFVersionCallbacks& m_Callbacks;
  CFVModuleHandler m_Main;
  CFVModuleHandler m_LightList;
  bool m_HaveLight = false;
};

int32_t CInstallBuild::Load(const std::string& sourceList) {
  m_Callbacks.m_LoadStart();
  if (!m_Main.ReadModuleList(sourceList.c_str(), 0, m_PackageKind)) {
    xprintf("%s: Unable to read the source list %s\n", kBuild, sourceList.c_str());
    return 0;
  }
  if (!m_Main.CheckConsistency()) {
    xprintf("%s: A file belongs to more than one module (%s)\n", kBuild, sourceList.c_str());
    return 0;
  }
  m_Callbacks.m_LoadEnd();
  return 1;
}

int32_t CInstallBuild::Measure(const std::string& path, uint32_t* crc, uint32_t* size) const {
  return m_Callbacks.m_FileCalcCRC(path.c_str(), crc) && m_Callbacks.m_FileFileSize(path.c_str(), size) ? 1 : 0;
}

int32_t CInstallBuild::PackFiles() {
  return ForEachModule(m_Main, [&](CFVModule&) { return ForEachFile(m_Main, [&](CFVNormFile& f) { return PackFile(f); }); });
}

int32_t CInstallBuild::Stage(const char* name) {
  const std::string source = FVJoin(m_Source.c_str(), name);
  const std::string target = FVJoin(m_Target.c_str(), name);
  if (m_Callbacks.m_FileExists(source.c_str()) != 1) {
    xprintf("%s: The source file %s is missing\n", kBuild, source.c_str());
    return 0;
  }
  // Keeps the host's display alive through a long build.
  xHandler();
  const int32_t copied = m_Callbacks.m_FileShouldBeEncrypted(target.c_str()) == 1
                             ? FVersion_WriteScrambledCopy(source.c_str(), target.c_str())
                             : Callback_CopyFile(m_Source.c_str(), m_Target.c_str(), name);
  if (!copied) xprintf("%s: Unable to write %s\n", kBuild, target.c_str());
  return copied;
}

int32_t CInstallBuild::PackFile(CFVNormFile& file) {
  const char* name = file.IndexedNormName();
  if (!name || !FVersion_IsSafeListName(name)) {
    xprintf("%s: A file without a usable name\n", kBuild);
    return 0;
  }
  if (!Stage(name)) return 0;

  // The packed form is the name with the package extension after it, so that cutting the last
  // extension gives the name back; a host's PackFile may choose another.
  const std::string wanted = std::string(name) + (m_PackageKind ? ".bos" : ".zpk");
  TOwnedText given(xStrdup(wanted.c_str()));
  char* packed = given.get();
  if (!given || !m_Callbacks.m_PackFile(m_Target.c_str(), m_ListOutput.c_str(), name, &packed) || !packed) {
    xprintf("%s: Unable to pack %s\n", kBuild, name);
    return 0;
  }
  TOwnedText result(packed != given.get() ? packed : given.release());
  if (!FVersion_IsSafeListName(result.get())) {
    xprintf("%s: The packed name of %s leaves its folder\n", kBuild, name);
    return 0;
  }

  const std::string plain = FVJoin(m_Target.c_str(), name);
  const std::string packedPath = FVJoin(m_ListOutput.c_str(), result.get());
  uint32_t crc = 0, size = 0, packedCRC = 0, packedSize = 0;
  if (m_Callbacks.m_FileExists(plain.c_str()) != 1 || m_Callbacks.m_FileExists(packedPath.c_str()) != 1 ||
      !Measure(plain, &crc, &size) || !Measure(packedPath, &packedCRC, &packedSize)) {
    xprintf("%s: Unable to measure %s or %s\n", kBuild, plain.c_str(), packedPath.c_str());
    return 0;
  }
  file.SetPackedNameState(1);
  if (!file.SetPackedName(result.get())) return 0;
  file.SetNormCRCState(1);
  file.SetNormCRC(crc);
  file.SetNormFileSizeState(1);
  file.SetNormFileSize(size);
  file.SetPackedCRCState(1);
  file.SetPackedCRC(packedCRC);
  file.SetPackedFileSizeState(1);
  file.SetPackedFileSize(packedSize);
  return 1;
}

int32_t CInstallBuild::PackModules() {
  for (m_Main.FirstNormalModule(); m_Main.ExistsNormalModule(); m_Main.NextNormalModule())
    if (!m_Main.FetchNormalModule() || !PackModule(*m_Main.CurrModule())) return 0;
  return 1;
}

int32_t CInstallBuild::AddModuleFiles(CArchive& archive, CFVModule& module) {
  const auto add = [&](const char* name) {
    if (archive.AddFile(FVJoin(m_Target.c_str(), name).c_str(), name, 1)) return 1;
    xprintf("%s: Unable to add %s to the package of %s\n", kBuild, name, Text(module.GetModName()));
    return 0;
  };
  if (!ForEachFile(m_Main, [&](CFVNormFile& f) { return add(f.GetNormName()); })) return 0;
  for (m_Main.IndirectFile_First(); m_Main.IndirectFile_Exists(); m_Main.IndirectFile_Next())
    if (!m_Main.IndirectFile_Fetch() || !add(m_Main.IndirectFile_GetName())) return 0;
  return 1;
}

int32_t CInstallBuild::PackModule(CFVModule& module) {
  const char* package = module.GetModPackedFileName();
  if (!package || !FVersion_IsSafeListName(package)) {
    xprintf("%s: The module %s has no usable package name\n", kBuild, Text(module.GetModName()));
    return 0;
  }
  // The archive picks its coder by the extension of the name it is made under: the temporary
  // name keeps the package's.
  const char* ext = FVExtension(package);
  const bool lzss = ext && xStricmp(ext, "zpk") == 0;
  const std::string path = FVJoin(m_ListOutput.c_str(), package);
  const std::string temp = FVJoin(m_ListOutput.c_str(), lzss ? "_temp.zpk" : "_temp.bos");
  for (const std::string* old : {&path, &temp})
    if (xFileExists(old->c_str())) {
      xRemoveReadOnly(old->c_str());
      xFileDelete(old->c_str());
    }

  CArchive archive;
  int32_t ok = xCreateDirsForFile(temp.c_str()) && archive.OpenNew(temp.c_str());
  ok = ok && AddModuleFiles(archive, module);
  ok = archive.Close() && ok;
  ok = ok && FVMoveOver(temp.c_str(), path.c_str());
  if (!ok) {
    xFileDelete(temp.c_str());
    xprintf("%s: Unable to make the package %s\n", kBuild, path.c_str());
    return 0;
  }
  uint32_t crc = 0, size = 0;
  if (!Measure(path, &crc, &size) || size > INT32_MAX) {
    xprintf("%s: Unable to measure the package %s\n", kBuild, path.c_str());
    return 0;
  }
  module.SetModPackedFileSize(static_cast<int32_t>(size));
  module.SetModPackedFileCRC(crc);
  return 1;
}

int32_t CInstallBuild::LoadLight() {
  const std::string list = FVJoin(m_Source.c_str(), FVERSION_LIGHT_LIST);
  if (m_Callbacks.m_FileExists(list.c_str()) != 1) return 1;
  if (!m_LightList.ReadModuleList(list.c_str(), 0, m_PackageKind) || !m_LightList.CheckConsistency()) {
    xprintf("%s: Unable to read %s, or a file in it belongs to two modules\n", kBuild, list.c_str());
    return 0;
  }
  m_HaveLight = true;
  return ForEachModule(m_LightList, [&](CFVModule& module) { return TakeFromMain(module); });
}

// A module of the light list takes the package of the main list's module of that name, and each
// of its files the main record and the plain copy.
int32_t CInstallBuild::TakeFromMain(CFVModule& module) {
  const char* name = module.GetModName();
  CFVModule* main = m_Main.FindModule(name) ? m_Main.CurrModule() : nullptr;
  if (!main) {
    xprintf("%s: The light list's module %s is not in the main list\n", kBuild, Text(name));
    return 0;
  }
  if (main->HasPackage()) {
    if (!module.SetModPackedFileName(main->GetModPackedFileName())) return 0;
    module.SetModPackedFileSize(main->GetModPackedFileSize());
    module.SetModPackedFileCRC(main->GetModPackedFileCRC());
  }
  return ForEachFile(m_LightList, [&](CFVNormFile& file) {
    const char* fileName = file.IndexedNormName();
    const CFVNormFile* record = fileName ? FindAnywhere(m_Main, fileName) : nullptr;
    if (!record) {
      xprintf("%s: The light list's file %s is not in the main list\n", kBuild, Text(fileName));
      return 0;
    }
    file.SetPackedNameState(1);
    if (!file.SetPackedName(record->GetPackedName())) return 0;
    TakeRecord(file, *record);
    if (Callback_CopyFile(m_Target.c_str(), m_Light.c_str(), fileName)) return 1;
    xprintf("%s: Unable to copy %s into %s\n", kBuild, fileName, m_Light.c_str());
    return 0;
  });
}

int32_t CInstallBuild::SaveList(CFVModuleHandler& list, const std::string& path) {
  if (xCreateDirsForFile(path.c_str()) && list.WriteModuleList(path.c_str(), 1)) return 1;
  xprintf("%s: Unable to write %s\n", kBuild, path.c_str());
  return 0;
}

int32_t CInstallBuild::SaveStatuses(CFVModuleHandler& list, const std::string& path) {
  CKCBL statuses;
  for (list.FirstNormalModule(); list.ExistsNormalModule(); list.NextNormalModule())
    if (!list.FetchNormalModule() ||
        !statuses.NewItem(MODSTATUS_KEYWORD, KSTRING, list.CurrModule_GetName(), KLONG, MODSTATUS_INSTALLED, KEND))
      return 0;
  if (xCreateDirsForFile(path.c_str()) && statuses.Save(path.c_str())) return 1;
  xprintf("%s: Unable to write %s\n", kBuild, path.c_str());
  return 0;
}

int32_t CInstallBuild::Save(const std::string& mainOutput, const std::string& outputName,
                            const std::string& secondName, const std::string& statusName) {
  m_Callbacks.m_SaveStart();
  int32_t ok = SaveList(m_Main, mainOutput);
  if (ok && m_HaveLight)
    ok = SaveList(m_LightList, FVJoin(m_Light.c_str(), outputName.c_str())) &&
         SaveList(m_LightList, FVJoin(m_Light.c_str(), secondName.c_str()));
  ok = ok && SaveList(m_Main, FVJoin(m_Target.c_str(), outputName.c_str())) &&
       SaveList(m_Main, FVJoin(m_Target.c_str(), secondName.c_str()));
  if (ok && m_HaveLight) ok = SaveStatuses(m_LightList, FVJoin(m_Light.c_str(), statusName.c_str()));
  ok = ok && SaveStatuses(m_Main, FVJoin(m_Target.c_str(), statusName.c_str()));
  m_Callbacks.m_SaveEnd();
  return ok;
}

bool Given(const char* text) { return text && *text; }
}  // namespace

int32_t FVersion_BuildInstall(const char* sourceFolder, const char* listOutputFolder, const char* targetFolder,
                              const char* sourceListName, const char* outputListName,
                              const char* secondOutputListName, const char* statusFileName, int32_t packageKind) {
  if (!Given(sourceListName) || !Given(outputListName) || !Given(secondOutputListName) || !Given(statusFileName)) {
    xprintf("%s: A list or status file name is missing\n", kBuild);
    return 0;
  }
  // The steps call the host without asking: a missing callback would be a null call.
  if (!FVersion_RequiredCallbacksSet()) {
    xprintf("%s: The updater's callbacks are not all registered\n", kBuild);
    return 0;
  }
  CInstallBuild build(sourceFolder, listOutputFolder, targetFolder, packageKind);
  return build.Load(FVJoin(sourceFolder, sourceListName)) && build.PackFiles() && build.PackModules() &&
                 build.LoadLight() &&
                 build.Save(FVJoin(listOutputFolder, outputListName), outputListName, secondOutputListName,
                            statusFileName)
             ? 1
             : 0;
}
