// The install builder over a small release folder: the copies, packed forms, packages, full lists
// and status files it makes, checked against Python's CRC and the runtime's own readers; the
// light release; and every way a build can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/updater/fversionbuild.h"
#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/modstatus.h"
#include "ostrel/base/types.h"
#include "ostrel/files/archive.h"
#include "ostrel/files/scramble.h"
#include "ostrel/resources/resdata.h"
#include "support/installrelease.h"
#include "support/pyoracle.h"
#include "support/tempdir.h"
#include "updatetree.h"

namespace fs = std::filesystem;

namespace {
// The release that the installer's suites share (support/installrelease.h).
const char* const kSourceList = InstallReleaseList();
const std::map<std::string, std::string>& Release() { return InstallReleaseFiles(); }

const std::set<std::string> kClientFiles = {"casino", "libostrel.so", "xrs/mc_main.xrs", "fonts/sans10.xbf",
                                            "xrs/common.xrs"};
const std::set<std::string> kGameFiles = {"kavo.so", "pictures/kavo/table.bmp", "xrs/common.xrs"};

// Scripts are stored scrambled when the host asks for it through this.
int32_t ScrambleScripts(const char* name) {
  const std::string n = name;
  return n.size() > 4 && n.compare(n.size() - 4, 4, ".xrs") == 0 ? 1 : 0;
}

// A host whose packer works but, packing one file, loses another file's plain copy: the package
// pass then cannot add it.
std::string g_LoseOnPacking, g_Lost;
int32_t PackAndLose(const char* sourceFolder, const char* targetFolder, const char* name, char** packed) {
  if (g_LoseOnPacking == name) fs::remove(fs::path(sourceFolder) / g_Lost);
  return Callback_PackFile(sourceFolder, targetFolder, name, packed);
}
int32_t RefusePacking(const char*, const char*, const char*, char**) { return 0; }

class InstallBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallRecordingCallbacks();
    m_Source = m_Dir.File("release");
    m_Out = m_Dir.File("server");
    m_Target = m_Dir.File("install");
    for (const auto& [name, bytes] : Release()) Put(name, bytes);
    PutList("modules.lst", kSourceList);
  }

  void Put(const std::string& name, const std::string& bytes) {
    const fs::path path = fs::path(m_Source) / name;
    fs::create_directories(path.parent_path());
    WriteWholeFile(path.string(), bytes);
  }
  void PutList(const std::string& name, const std::string& text) { Put(name, text); }

  int32_t Build(int32_t packageKind = 1) {
    return FVersion_BuildInstall((m_Source + "/").c_str(), (m_Out + "/").c_str(), (m_Target + "/").c_str(),
                                 "modules.lst", "filemap.lst", "srvmap.lst", "modstatus.lst", packageKind);
  }

  // Every file below a folder, relative names; none when the folder does not exist.
  static std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
      if (e.is_regular_file()) names.insert(fs::relative(e.path(), folder).string());
    return names;
  }

  // The full list read back through the module list's reader.
  static void ReadFull(CFVModuleHandler& list, const std::string& path) {
    ASSERT_EQ(list.ReadModuleList(path.c_str(), 1, 1), 1) << path;
  }

  // The files that an archive holds, extracted into a fresh folder.
  std::map<std::string, std::string> Extract(const std::string& package) {
    const std::string folder = m_Dir.File("extract" + std::to_string(++m_Extracts));
    fs::create_directories(folder);
    CArchive archive;
    EXPECT_EQ(archive.ExtractArchive(package.c_str(), folder.c_str(), 0), 1) << package;
    std::map<std::string, std::string> files;
    for (const std::string& name : FilesBelow(folder)) files[name] = ReadWholeFile(folder + "/" + name);
    return files;
  }

  CTempDir m_Dir;
  std::string m_Source, m_Out, m_Target;
  int m_Extracts = 0;
};

// One file of a read-back list with its module.
struct SListed {
  std::string m_Module;
  CFVNormFile* m_pFile;
};

using TStatuses = std::vector<std::pair<std::string, int32_t>>;

// The items of a status file, in order.
TStatuses Statuses(const std::string& path) {
  TStatuses items;
  CKCBL statuses;
  if (!statuses.Load(path.c_str())) return items;
  for (int32_t more = statuses.FirstItem(); more; more = statuses.NextItem(0)) {
    int32_t status = -1;
    if (statuses.IsComment() || !statuses.GetString(0) || !statuses.GetLong(1, &status)) continue;
    items.emplace_back(statuses.GetString(0), status);
  }
  return items;
}

std::vector<SListed> FilesOf(CFVModuleHandler& list) {
  std::vector<SListed> files;
  auto walk = [&] {
    for (list.NormalFile_First(); list.NormalFile_Exists(); list.NormalFile_Next()) {
      list.NormalFile_Fetch();
      files.push_back({list.CurrModule_GetName(), list.CurrNormalFile()});
    }
  };
  for (list.FirstNormalModule(); list.ExistsNormalModule(); list.NextNormalModule()) {
    list.FetchNormalModule();
    walk();
  }
  for (list.FirstIndirectModule(); list.ExistsIndirectModule(); list.NextIndirectModule()) {
    list.FetchIndirectModule();
    walk();
  }
  return files;
}
}  // namespace

// Both package kinds: every file copied as it is (the default scrambles nothing), its packed form
// beside the packages, CRCs and sizes that Python's CRC agrees with, packages that extract to the
// plain copies, the status file, and no light release.
class InstallBuildKinds : public InstallBuild, public ::testing::WithParamInterface<int32_t> {};

TEST_P(InstallBuildKinds, FullListsCarryWhatIsOnDisk) {
  const int32_t kind = GetParam();
  const std::string ext = kind ? ".bos" : ".zpk";
  ASSERT_EQ(Build(kind), 1);

  for (const auto& [name, bytes] : Release()) EXPECT_EQ(ReadWholeFile(m_Target + "/" + name), bytes) << name;
  EXPECT_FALSE(fs::exists(m_Target + "/_light"));
  EXPECT_FALSE(fs::exists(m_Out + "/_temp" + ext));
  // The three lists are one.
  const std::string list = ReadWholeFile(m_Out + "/filemap.lst");
  EXPECT_EQ(ReadWholeFile(m_Target + "/filemap.lst"), list);
  EXPECT_EQ(ReadWholeFile(m_Target + "/srvmap.lst"), list);

  CFVModuleHandler built;
  ReadFull(built, m_Out + "/filemap.lst");
  const std::vector<SListed> files = FilesOf(built);
  ASSERT_EQ(files.size(), Release().size());
  std::vector<std::string> paths;
  for (const SListed& f : files) {
    paths.push_back(m_Target + "/" + f.m_pFile->GetNormName());
    paths.push_back(m_Out + "/" + f.m_pFile->GetPackedName());
  }
  for (const char* module : {"Client", "Black Jack"}) {
    ASSERT_EQ(built.FindModule(module), 1);
    paths.push_back(m_Out + "/" + built.CurrModule_GetPackedFileName());
  }
  std::map<std::string, uint32_t> crcs = PythonFileCrcs(paths);
  ASSERT_EQ(crcs.size(), paths.size()) << "python3 oracle did not answer";

  for (const SListed& f : files) {
    const CFVNormFile& r = *f.m_pFile;
    const std::string name = r.GetNormName();
    SCOPED_TRACE(name);
    EXPECT_TRUE(r.HaveNormName() == 1 && r.HaveNormCRC() == 1 && r.HaveNormFileSize() == 1 &&
                r.HavePackedName() == 1 && r.HavePackedCRC() == 1 && r.HavePackedFileSize() == 1);
    EXPECT_EQ(r.GetPackedName(), name + ext);  // a program without an extension too
    const std::string plain = m_Target + "/" + name, packed = m_Out + "/" + r.GetPackedName();
    EXPECT_EQ(r.GetNormCRC(), crcs[plain]);
    EXPECT_EQ(r.GetNormFileSize(), fs::file_size(plain));
    EXPECT_EQ(r.GetPackedCRC(), crcs[packed]);
    EXPECT_EQ(r.GetPackedFileSize(), fs::file_size(packed));
    // The updater's own unpacking of the packed form gives the plain copy back.
    const std::string unpackTo = m_Dir.File("unpacked");
    char* unpacked = nullptr;
    ASSERT_EQ(Callback_UnpackFile(m_Out.c_str(), unpackTo.c_str(), r.GetPackedName(), &unpacked), 1);
    EXPECT_EQ(std::string(unpacked), name);
    xFree(unpacked);
    EXPECT_EQ(ReadWholeFile(unpackTo + "/" + name), Release().at(name));
  }

  const std::map<std::string, std::set<std::string>> modules = {{"Client", kClientFiles},
                                                                {"Black Jack", kGameFiles}};
  for (const auto& [module, names] : modules) {
    SCOPED_TRACE(module);
    ASSERT_EQ(built.FindModule(module.c_str()), 1);
    const std::string package = m_Out + "/" + built.CurrModule_GetPackedFileName();
    EXPECT_EQ(built.CurrModule_GetPackedFileName(), "modules/" + std::string(module == "Client" ? "Client" : "Black_Jack") + ext);
    EXPECT_EQ(static_cast<uintmax_t>(built.CurrModule_GetPackedFileSize()), fs::file_size(package));
    EXPECT_EQ(built.CurrModule_GetPackedFileCRC(), crcs[package]);
    std::map<std::string, std::string> expected;
    for (const std::string& name : names) expected[name] = Release().at(name);
    EXPECT_EQ(Extract(package), expected);
  }
  ASSERT_EQ(built.FindModule("Shared"), 1);
  EXPECT_EQ(built.CurrModule_GetPackedFileSize(), FVMODULE_NO_PACKAGE);

  // Every NORMAL module installed, nothing else.
  EXPECT_EQ(Statuses(m_Target + "/modstatus.lst"), (TStatuses{{"Client", 1}, {"Black Jack", 1}}));
}

INSTANTIATE_TEST_SUITE_P(PackageKinds, InstallBuildKinds, ::testing::Values(1, 0),
                         [](const auto& info) { return info.param ? "Bos" : "Zpk"; });

// The built target is an installation that the update driver finds complete.
TEST_F(InstallBuild, ValidationOverTheTargetFindsNothingToFetch) {
  ASSERT_EQ(Build(), 1);
  CWorkingDir work(m_Target);
  ASSERT_EQ(FVersion_ValidateFiles("srvmap.lst", "filemap.lst", 1, 0, 1, nullptr, 1), 1);
  EXPECT_TRUE(Host().Calls("Download").empty());
  EXPECT_TRUE(Host().Calls("MissingCriticalFiles").empty());
  EXPECT_EQ(ReadWholeFile("casino"), Release().at("casino"));
}

TEST_F(InstallBuild, ScrambledCopiesReadBackThroughTheRuntime) {
  FVersion_SetCallBack_FileShouldBeEncrypted(ScrambleScripts);
  ASSERT_EQ(Build(), 1);
  for (const char* name : {"xrs/mc_main.xrs", "xrs/common.xrs"}) {
    SCOPED_TRACE(name);
    const std::string& source = Release().at(name);
    std::string copy = ReadWholeFile(m_Target + "/" + name);
    ASSERT_EQ(copy.size(), source.size() + XCRYPT_MARKER_LEN);
    std::string tail = copy.substr(source.size());
    xDecrypt(tail.data(), XCRYPT_MARKER_LEN);
    EXPECT_EQ(tail, "XICRYPTEDFILE");
    ASSERT_EQ(xIsCrypt(copy.data(), static_cast<uint32_t>(copy.size())), 1);
    xDecrypt(copy.data(), static_cast<uint32_t>(copy.size()));
    EXPECT_EQ(copy.substr(0, source.size()), source);
  }
  // The resource loader sees the same strings in the scrambled script as in its source.
  CResData scrambled, plain;
  ASSERT_EQ(scrambled.Load((m_Target + "/xrs/mc_main.xrs").c_str()), 1);
  ASSERT_EQ(plain.Load((m_Source + "/xrs/mc_main.xrs").c_str()), 1);
  EXPECT_STREQ(scrambled.GetResString(1), "Welcome");
  EXPECT_STREQ(plain.GetResString(1), "Welcome");
  // Everything else is copied as it is, and the record is of the copy as installed.
  EXPECT_EQ(ReadWholeFile(m_Target + "/kavo.so"), Release().at("kavo.so"));
  CFVModuleHandler built;
  ReadFull(built, m_Target + "/filemap.lst");
  ASSERT_EQ(built.FindModule("Client"), 1);
  ASSERT_EQ(built.FindFile("xrs/mc_main.xrs"), 1);
  EXPECT_EQ(built.NormalFile_GetNormalFileSize(), Release().at("xrs/mc_main.xrs").size() + XCRYPT_MARKER_LEN);
}

TEST_F(InstallBuild, ScrambledCopyOfAnEmptyFileIsTheMarkerAlone) {
  Put("empty.txt", "");
  ASSERT_EQ(FVersion_WriteScrambledCopy((m_Source + "/empty.txt").c_str(), (m_Target + "/deep/empty.txt").c_str()), 1);
  std::string copy = ReadWholeFile(m_Target + "/deep/empty.txt");
  xDecrypt(copy.data(), static_cast<uint32_t>(copy.size()));
  EXPECT_EQ(copy, "XICRYPTEDFILE");
  EXPECT_EQ(FVersion_WriteScrambledCopy((m_Source + "/absent").c_str(), (m_Target + "/absent").c_str()), 0);
  EXPECT_FALSE(fs::exists(m_Target + "/absent"));
}

// A light release of the client alone: its lists and status file hold only the light list's
// modules, with the main list's records and packages, and its plain files.
TEST_F(InstallBuild, LightReleaseHoldsOnlyItsModules) {
  PutList(FVERSION_LIGHT_LIST, R"(
{ = module, Client
    Description = "The client alone"
    Classname = client
    Mode = Normal
    MustDownload = TRUE
    File = casino
    File = libostrel.so
    File = xrs/mc_main.xrs
    IndFile = xrs/common.xrs
}
{ = module, Shared
    Description = "Scripts"
    Classname = shared
    Mode = Indirect
    MustDownload = FALSE
    File = xrs/common.xrs
}
)");
  ASSERT_EQ(Build(), 1);
  const std::string light = m_Target + "/_light";
  EXPECT_EQ(FilesBelow(light), (std::set<std::string>{"filemap.lst", "srvmap.lst", "modstatus.lst", "casino",
                                                      "libostrel.so", "xrs/mc_main.xrs", "xrs/common.xrs"}));
  EXPECT_EQ(ReadWholeFile(light + "/filemap.lst"), ReadWholeFile(light + "/srvmap.lst"));
  EXPECT_EQ(ReadWholeFile(light + "/casino"), Release().at("casino"));
  EXPECT_EQ(Statuses(light + "/modstatus.lst"), (TStatuses{{"Client", 1}}));

  CFVModuleHandler main, lightList;
  ReadFull(main, m_Target + "/filemap.lst");
  ReadFull(lightList, light + "/filemap.lst");
  EXPECT_EQ(lightList.GetNumModules(), 2);
  EXPECT_EQ(lightList.FindModule("Black Jack"), 0);
  ASSERT_EQ(main.FindModule("Client"), 1);
  ASSERT_EQ(lightList.FindModule("Client"), 1);
  EXPECT_STREQ(lightList.CurrModule_GetPackedFileName(), main.CurrModule_GetPackedFileName());
  EXPECT_EQ(lightList.CurrModule_GetPackedFileSize(), main.CurrModule_GetPackedFileSize());
  EXPECT_EQ(lightList.CurrModule_GetPackedFileCRC(), main.CurrModule_GetPackedFileCRC());
  const std::vector<SListed> mainFiles = FilesOf(main);
  for (const SListed& f : FilesOf(lightList)) {
    SCOPED_TRACE(f.m_pFile->GetNormName());
    const auto same = std::find_if(mainFiles.begin(), mainFiles.end(), [&](const SListed& m) {
      return std::string(m.m_pFile->GetNormName()) == f.m_pFile->GetNormName();
    });
    ASSERT_NE(same, mainFiles.end());
    EXPECT_STREQ(f.m_pFile->GetPackedName(), same->m_pFile->GetPackedName());
    EXPECT_EQ(f.m_pFile->GetNormCRC(), same->m_pFile->GetNormCRC());
    EXPECT_EQ(f.m_pFile->GetNormFileSize(), same->m_pFile->GetNormFileSize());
    EXPECT_EQ(f.m_pFile->GetPackedCRC(), same->m_pFile->GetPackedCRC());
    EXPECT_EQ(f.m_pFile->GetPackedFileSize(), same->m_pFile->GetPackedFileSize());
  }
}

// Light lists that fail the build before a list or status file is written.
struct SBadLight {
  const char* m_pLabel;
  const char* m_pList;
};
void PrintTo(const SBadLight& list, std::ostream* os) { *os << list.m_pLabel; }
class InstallBuildBadLight : public InstallBuild, public ::testing::WithParamInterface<SBadLight> {};

TEST_P(InstallBuildBadLight, FailsBeforeTheListsAreWritten) {
  Put("extra.dll", "extra");
  PutList(FVERSION_LIGHT_LIST, GetParam().m_pList);
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Out + "/filemap.lst"));
  EXPECT_FALSE(fs::exists(m_Target + "/modstatus.lst"));
  EXPECT_FALSE(fs::exists(m_Target + "/_light/filemap.lst"));
  EXPECT_FALSE(fs::exists(m_Target + "/_light/modstatus.lst"));
}

const SBadLight kBadLights[] = {
    {"FileTheMainListLacks", R"(
{ = module, Client
    Description = c
    Classname = client
    Mode = Normal
    MustDownload = TRUE
    File = casino
    File = extra.dll
}
)"},
    {"ModuleTheMainListLacks", R"(
{ = module, Extra
    Description = e
    Classname = game
    Mode = Normal
    MustDownload = FALSE
    File = kavo.so
}
)"},
    {"OneFileInTwoModules", R"(
{ = module, Client
    Description = c
    Classname = client
    Mode = Normal
    MustDownload = TRUE
    File = casino
}
{ = module, "Black Jack"
    Description = b
    Classname = game
    Mode = Normal
    MustDownload = FALSE
    File = casino
}
)"},
    {"Unreadable", "{ = module, Client\n    Mode = Sometimes\n}\n"},
};
INSTANTIATE_TEST_SUITE_P(Lists, InstallBuildBadLight, ::testing::ValuesIn(kBadLights),
                         [](const auto& info) { return info.param.m_pLabel; });

// Lists that must stop the build before a single file is written.
struct SBadList {
  const char* m_pLabel;
  const char* m_pList;
};
void PrintTo(const SBadList& list, std::ostream* os) { *os << list.m_pLabel; }
class InstallBuildBadList : public InstallBuild, public ::testing::WithParamInterface<SBadList> {};

TEST_P(InstallBuildBadList, StopsBeforeAnythingIsWritten) {
  PutList("modules.lst", GetParam().m_pList);
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Target));
  EXPECT_FALSE(fs::exists(m_Out));
  EXPECT_FALSE(fs::exists(m_Dir.File("evil")));
}

const SBadList kBadLists[] = {
    {"OneFileInTwoModules", R"(
{ = module, A
    Description = a
    Classname = a
    Mode = Normal
    MustDownload = TRUE
    File = casino
}
{ = module, B
    Description = b
    Classname = b
    Mode = Normal
    MustDownload = FALSE
    File = CASINO
}
)"},
    {"FileAboveTheSource", R"(
{ = module, A
    Description = a
    Classname = a
    Mode = Normal
    MustDownload = TRUE
    File = ../evil
}
)"},
    {"AbsoluteFile", R"(
{ = module, A
    Description = a
    Classname = a
    Mode = Normal
    MustDownload = TRUE
    File = /etc/hostname
}
)"},
    {"PackageAboveTheOutput", R"(
{ = module, A
    Description = a
    Classname = a
    PackedFileName = ../../evil
    Mode = Normal
    MustDownload = TRUE
    File = casino
}
)"},
    {"ModuleNameLeavingItsFolder", R"(
{ = module, "../../evil"
    Description = a
    Classname = a
    Mode = Normal
    MustDownload = TRUE
    File = casino
}
)"},
};
INSTANTIATE_TEST_SUITE_P(Lists, InstallBuildBadList, ::testing::ValuesIn(kBadLists),
                         [](const auto& info) { return info.param.m_pLabel; });

TEST_F(InstallBuild, MissingSourceFileFails) {
  fs::remove(m_Source + "/kavo.so");
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Target + "/filemap.lst"));
  EXPECT_FALSE(fs::exists(m_Out + "/modules"));
}

TEST_F(InstallBuild, FailedPackingFails) {
  FVersion_SetCallBack_PackFile(RefusePacking);
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Out + "/filemap.lst"));
  EXPECT_FALSE(fs::exists(m_Out + "/modules"));
}

// A package whose file cannot be added leaves neither the package nor the temporary archive, and
// files already written stay.
TEST_F(InstallBuild, FailedArchiveAddRemovesTheTemporaryArchive) {
  g_LoseOnPacking = "pictures/kavo/table.bmp";
  g_Lost = "kavo.so";
  FVersion_SetCallBack_PackFile(PackAndLose);
  WriteWholeFile(m_Dir.File("server/_temp.bos"), "left over");
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Out + "/_temp.bos"));
  EXPECT_FALSE(fs::exists(m_Out + "/modules/Black_Jack.bos"));
  EXPECT_TRUE(fs::exists(m_Out + "/modules/Client.bos"));
  EXPECT_TRUE(fs::exists(m_Out + "/kavo.so.bos"));
  EXPECT_FALSE(fs::exists(m_Target + "/filemap.lst"));
}

TEST_F(InstallBuild, MissingCallbackFailsWithoutTouchingAnything) {
  FVersion_SetCallBack_SaveEnd(nullptr);
  EXPECT_EQ(Build(), 0);
  EXPECT_FALSE(fs::exists(m_Target));
  EXPECT_FALSE(fs::exists(m_Out));
}

// A second build over the first replaces every output in place.
TEST_F(InstallBuild, RebuildReplacesTheOutputs) {
  ASSERT_EQ(Build(), 1);
  Put("xrs/mc_main.xrs", "{ = Strings\n    MSG_WELCOME = 1, \"Hello again\"\n}\n");
  ASSERT_EQ(Build(), 1);
  EXPECT_EQ(ReadWholeFile(m_Target + "/xrs/mc_main.xrs"), ReadWholeFile(m_Source + "/xrs/mc_main.xrs"));
  CFVModuleHandler built;
  ReadFull(built, m_Target + "/filemap.lst");
  ASSERT_EQ(built.FindModule("Client"), 1);
  EXPECT_EQ(Extract(m_Out + "/" + built.CurrModule_GetPackedFileName()).at("xrs/mc_main.xrs"),
            ReadWholeFile(m_Source + "/xrs/mc_main.xrs"));
}
