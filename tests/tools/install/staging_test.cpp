// The install folder as the build stages it, against data/install/modules.lst: every staged file
// belongs to a module, every listed file is staged, and the staged lists, status file and packages
// describe the staged files (CRCs from Python's zlib).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/modstatus.h"
#include "ostrel/kcbl/kcbl.h"
#include "support/pyoracle.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace {
const std::string kDist = VORRIN_DIST_DIR;
// What the install builder stages beside the listed files, besides the packages.
const std::set<std::string> kBuiltLists = {"filemap.lst", "srvmap.lst", "modstatus.lst"};
// Staged for the developers but not shipped: the for-fun table host that `make run` starts, and
// what it writes in its folder when run (the player database, the options, the start-up log).
const std::set<std::string> kNotShipped = {"kavotable", "c2user.stova", "c2user.stova-journal", "options.cfg",
                                           "startup.log"};

// Calls f(module, name) for every normal file of every module.
template <class F>
void ForEachFile(CFVModuleHandler& list, F&& f) {
  const auto walk = [&] {
    for (list.NormalFile_First(); list.NormalFile_Exists(); list.NormalFile_Next()) {
      list.NormalFile_Fetch();
      f(std::string(list.CurrModule_GetName()), list.CurrNormalFile());
    }
  };
  for (list.FirstNormalModule(); list.ExistsNormalModule(); list.NextNormalModule())
    if (list.FetchNormalModule()) walk();
  for (list.FirstIndirectModule(); list.ExistsIndirectModule(); list.NextIndirectModule())
    if (list.FetchIndirectModule()) walk();
}

// Module name -> package name of every NORMAL module.
std::map<std::string, std::string> Packages(CFVModuleHandler& list) {
  std::map<std::string, std::string> packages;
  for (list.FirstNormalModule(); list.ExistsNormalModule(); list.NextNormalModule())
    if (list.FetchNormalModule()) packages[list.CurrModule_GetName()] = list.CurrModule_GetPackedFileName();
  return packages;
}

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += "\n  " + n;
  return text;
}

class Staging : public ::testing::Test {
 protected:
  void SetUp() override {
    FVersion_SetDefaultCallbacks();
    ASSERT_EQ(m_Source.ReadModuleList(VORRIN_MODULE_LIST, 0, VORRIN_PACKAGE_KIND), 1) << "data/install/modules.lst does not read";
    ASSERT_EQ(m_Source.CheckConsistency(), 1) << "a file of data/install/modules.lst is in two modules";
  }

  CFVModuleHandler m_Source;
};
}  // namespace

TEST_F(Staging, EveryStagedFileBelongsToAModuleAndEveryListedFileIsStaged) {
  std::set<std::string> listed, staged, expected = kBuiltLists;
  ForEachFile(m_Source, [&](const std::string&, CFVNormFile* f) { listed.insert(f->GetNormName()); });
  for (const auto& [module, package] : Packages(m_Source)) expected.insert(package);
  for (const auto& e : fs::recursive_directory_iterator(kDist))
    if (e.is_regular_file()) staged.insert(e.path().lexically_relative(kDist).generic_string());

  std::set<std::string> unlisted, missing;
  for (const std::string& s : staged)
    if (!listed.count(s) && !expected.count(s) && !kNotShipped.count(s)) unlisted.insert(s);
  for (const std::string& l : listed)
    if (!staged.count(l)) missing.insert(l);
  for (const std::string& b : expected)
    if (!staged.count(b)) missing.insert(b);
  EXPECT_TRUE(unlisted.empty()) << "staged in " << kDist << " but in no module of data/install/modules.lst:"
                                << Joined(unlisted);
  EXPECT_TRUE(missing.empty()) << "named by data/install/modules.lst (or built from it) but not staged:"
                               << Joined(missing);
}

TEST_F(Staging, StagedListsDescribeTheStagedFiles) {
  CFVModuleHandler built;
  ASSERT_EQ(built.ReadModuleList((kDist + "/filemap.lst").c_str(), 1, VORRIN_PACKAGE_KIND), 1);
  EXPECT_EQ(ReadWholeFile(kDist + "/srvmap.lst"), ReadWholeFile(kDist + "/filemap.lst"));

  std::map<std::string, std::string> sourceFiles, builtFiles;  // name -> module
  ForEachFile(m_Source, [&](const std::string& m, CFVNormFile* f) { sourceFiles[f->GetNormName()] = m; });
  std::vector<std::string> paths;
  std::vector<CFVNormFile*> records;
  ForEachFile(built, [&](const std::string& m, CFVNormFile* f) {
    builtFiles[f->GetNormName()] = m;
    records.push_back(f);
    paths.push_back(kDist + "/" + f->GetNormName());
  });
  EXPECT_EQ(builtFiles, sourceFiles);
  const std::map<std::string, std::string> packages = Packages(built);
  EXPECT_EQ(packages, Packages(m_Source));
  for (const auto& [module, package] : packages) paths.push_back(kDist + "/" + package);

  std::map<std::string, uint32_t> crcs = PythonFileCrcs(paths);
  ASSERT_EQ(crcs.size(), paths.size()) << "python3 oracle did not answer";
  for (CFVNormFile* f : records) {
    const std::string path = kDist + "/" + f->GetNormName();
    EXPECT_EQ(f->GetNormCRC(), crcs[path]) << path;
    EXPECT_EQ(f->GetNormFileSize(), fs::file_size(path)) << path;
  }
  for (const auto& [module, package] : packages) {
    const std::string path = kDist + "/" + package;
    ASSERT_EQ(built.FindModule(module.c_str()), 1);
    EXPECT_EQ(built.CurrModule_GetPackedFileCRC(), crcs[path]) << path;
    EXPECT_EQ(static_cast<uintmax_t>(built.CurrModule_GetPackedFileSize()), fs::file_size(path)) << path;
  }

  // Every NORMAL module installed.
  CKCBL statuses;
  ASSERT_EQ(statuses.Load((kDist + "/" + MODSTATUS_FILE).c_str()), 1);
  std::map<std::string, int32_t> installed;
  for (int32_t more = statuses.FirstItem(); more; more = statuses.NextItem(0)) {
    int32_t status = -1;
    if (statuses.GetString(0) && statuses.GetLong(1, &status)) installed[statuses.GetString(0)] = status;
  }
  std::map<std::string, int32_t> expected;
  for (const auto& [module, package] : packages) expected[module] = MODSTATUS_INSTALLED;
  EXPECT_EQ(installed, expected);
}
