// The installation's module lists and packages, built from the staged install folder:
//
//   installbuilder --source DIST --list modules.lst --work DIR --stage DIST [--zpk]
//
// runs the install builder over the files that the short-form list names in DIST (copies and
// packed forms under DIR), then stages into the stage folder what an installation carries: the
// full list as "filemap.lst" and as "srvmap.lst" (the server's list, for runs without an info
// server), the status file "modstatus.lst" and the module packages. Packages of modules the list
// no longer names are removed from the stage's "modules/" folder. When the staged lists are newer
// than the list, the builder itself and every file the list names, nothing is done.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "common/updater/fversionbuild.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/modstatus.h"

namespace fs = std::filesystem;

namespace {
constexpr char kInstalledList[] = "filemap.lst";
constexpr char kServerList[] = "srvmap.lst";
constexpr char kPackageFolder[] = "modules";

struct SOptions {
  fs::path m_Source, m_List, m_Work, m_Stage;
  int32_t m_PackageKind = 1;
};

int Usage() {
  std::fprintf(stderr, "usage: installbuilder --source DIR --list FILE --work DIR --stage DIR [--zpk]\n");
  return 2;
}

bool ParseOptions(int argc, char** argv, SOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool value = i + 1 < argc;
    if (!std::strcmp(a, "--zpk")) o.m_PackageKind = 0;
    else if (!std::strcmp(a, "--source") && value) o.m_Source = argv[++i];
    else if (!std::strcmp(a, "--list") && value) o.m_List = argv[++i];
    else if (!std::strcmp(a, "--work") && value) o.m_Work = argv[++i];
    else if (!std::strcmp(a, "--stage") && value) o.m_Stage = argv[++i];
    else return false;
  }
  return !o.m_Source.empty() && !o.m_List.empty() && !o.m_Work.empty() && !o.m_Stage.empty();
}

// A folder as the builder takes it: with its separator.
std::string Folder(const fs::path& path) { return (path / "").string(); }

// The built target's list with every package the stage is to carry; false when it does not read.
bool Packages(const fs::path& list, std::set<std::string>& packages) {
  CFVModuleHandler built;
  if (!built.ReadModuleList(list.string().c_str(), 1, 1)) return false;
  for (built.FirstNormalModule(); built.ExistsNormalModule(); built.NextNormalModule())
    if (built.FetchNormalModule() && built.CurrModule_GetPackedFileName())
      packages.insert(built.CurrModule_GetPackedFileName());
  return true;
}

// When the file was last changed; false when it is not there.
bool ChangedAt(const fs::path& file, fs::file_time_type& when) {
  std::error_code ec;
  when = fs::last_write_time(file, ec);
  return !ec;
}

bool UpToDate(const fs::path& list, const fs::path& source, const fs::path& stage, int32_t packageKind) {
  fs::file_time_type staged, changed;
  if (!ChangedAt(stage / kInstalledList, staged)) return false;
  for (const fs::path& input : {list, fs::path("/proc/self/exe"), stage / kServerList, stage / MODSTATUS_FILE})
    if (!ChangedAt(input, changed) || changed > staged) return false;
  // A list that does not read is left to the build, which says why.
  CFVModuleHandler modules;
  if (!modules.ReadModuleList(list.string().c_str(), 0, packageKind)) return false;
  bool fresh = true;
  const auto walk = [&] {
    if (modules.CurrModule_GetMode() == FVMODULE_NORMAL && modules.CurrModule_GetPackedFileName() &&
        !fs::exists(stage / modules.CurrModule_GetPackedFileName()))
      fresh = false;
    for (modules.NormalFile_First(); fresh && modules.NormalFile_Exists(); modules.NormalFile_Next())
      if (!modules.NormalFile_Fetch() || !modules.NormalFile_GetNormalName() ||
          !ChangedAt(source / modules.NormalFile_GetNormalName(), changed) || changed > staged)
        fresh = false;
  };
  for (modules.FirstNormalModule(); fresh && modules.ExistsNormalModule(); modules.NextNormalModule())
    if (modules.FetchNormalModule()) walk();
  for (modules.FirstIndirectModule(); fresh && modules.ExistsIndirectModule(); modules.NextIndirectModule())
    if (modules.FetchIndirectModule()) walk();
  return fresh;
}

bool Stage(const std::string& from, const std::string& to, const std::string& name) {
  if (Callback_CopyFile(from.c_str(), to.c_str(), name.c_str())) return true;
  std::fprintf(stderr, "installbuilder: cannot stage %s\n", name.c_str());
  return false;
}

// Packages left in the stage by an earlier list.
void RemoveStalePackages(const fs::path& stage, const std::set<std::string>& packages) {
  std::error_code ec;
  const fs::path folder = stage / kPackageFolder;
  if (!fs::is_directory(folder, ec)) return;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string name = entry.path().lexically_relative(stage).generic_string();
    if (!packages.count(name)) fs::remove(entry.path(), ec);
  }
}
}  // namespace

int main(int argc, char** argv) {
  SOptions o;
  if (!ParseOptions(argc, argv, o)) return Usage();
  FVersion_SetDefaultCallbacks();

  // The builder joins the list's name to the source folder.
  const fs::path list = fs::absolute(o.m_List).lexically_normal();
  const fs::path source = fs::absolute(o.m_Source).lexically_normal();
  const std::string listName = list.lexically_relative(source).generic_string();
  if (UpToDate(list, source, o.m_Stage, o.m_PackageKind)) {
    std::printf("installbuilder: the staged lists are up to date\n");
    return 0;
  }
  const std::string server = Folder(o.m_Work / "server"), target = Folder(o.m_Work / "target");
  if (listName.empty() || !FVersion_BuildInstall(Folder(source).c_str(), server.c_str(), target.c_str(),
                                                 listName.c_str(), kInstalledList, kServerList, MODSTATUS_FILE,
                                                 o.m_PackageKind)) {
    std::fprintf(stderr, "installbuilder: building the installation from %s over %s failed\n",
                 list.string().c_str(), source.string().c_str());
    return 1;
  }

  std::set<std::string> packages;
  if (!Packages(fs::path(target) / kInstalledList, packages)) {
    std::fprintf(stderr, "installbuilder: the built list does not read back\n");
    return 1;
  }
  const std::string stage = Folder(o.m_Stage);
  for (const std::string& package : packages)
    if (!Stage(server, stage, package)) return 1;
  RemoveStalePackages(o.m_Stage, packages);
  // The lists last: an installation whose lists are staged has its packages.
  for (const char* name : {MODSTATUS_FILE, kServerList, kInstalledList})
    if (!Stage(target, stage, name)) return 1;
  std::printf("installbuilder: %zu module packages and the lists staged in %s\n", packages.size(), stage.c_str());
  return 0;
}
