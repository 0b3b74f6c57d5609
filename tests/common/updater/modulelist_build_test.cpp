// Building a module list through its operations: the argument rules of each Add and Remove, the
// case-folded look-ups (also after names change), cursors and counts, validation and consistency.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "updatertest.h"

namespace {
// A NORMAL module "Game" with files a.dll and b.xrs and the reference "shared.xrs", and the
// INDIRECT module "Shared" that carries it.
void Small(CFVModuleHandler& h) {
  ASSERT_EQ(h.AddModule("Game", "d", "c", "modules/Game.bos", 10, 20, 1, 1), 1);
  ASSERT_EQ(h.AddModule("Shared", "d", "c", nullptr, 0, 0, 2, 0), 1);
  ASSERT_EQ(h.AddNormalFile("Game", 1, "a.dll", 1, 1, 1, 2, 1, "a.dll.zpk", 1, 3, 1, 4), 1);
  ASSERT_EQ(h.AddNormalFile("Game", 1, "b.xrs", 1, 5, 1, 6, 1, "b.xrs.zpk", 1, 7, 1, 8), 1);
  ASSERT_EQ(h.AddIndirectFile("Game", "shared.xrs"), 1);
  ASSERT_EQ(h.AddNormalFile("Shared", 1, "shared.xrs", 1, 9, 1, 9, 1, "shared.xrs.zpk", 1, 9, 1, 9), 1);
}
}  // namespace

TEST(ModuleListBuild, AddModuleRules) {
  CFVModuleHandler h;
  EXPECT_EQ(h.AddModule("Poker", nullptr, nullptr, nullptr, 5, 6, 1, 0), 1);
  EXPECT_EQ(h.AddModule("POKER", nullptr, nullptr, nullptr, -1, 0, 2, 0), 0);  // either list, any case
  EXPECT_EQ(h.AddModule("Roulette", nullptr, nullptr, nullptr, -1, 0, 3, 0), 0);
  EXPECT_EQ(h.AddModule("Roulette", nullptr, nullptr, nullptr, -1, 0, 0, 0), 0);
  EXPECT_EQ(h.AddModule(nullptr, nullptr, nullptr, nullptr, -1, 0, 1, 0), 0);
  EXPECT_EQ(h.AddModule("Roulette", "d", "c", "r.bos", 0, 7, 2, 1), 1);
  EXPECT_EQ(h.GetNumModules(), 2);
  // A null package name leaves no package, whatever size is given.
  ASSERT_EQ(h.FindModule("poker"), 1);
  EXPECT_EQ(h.CurrModule_GetPackedFileSize(), -1);
  EXPECT_EQ(h.CurrModule_GetPackedFileCRC(), 0u);
  ASSERT_EQ(h.FindModule("ROULETTE"), 1);
  EXPECT_EQ(h.CurrModule_GetPackedFileSize(), 0);
  EXPECT_EQ(h.CurrModule_GetPackedFileCRC(), 7u);
  EXPECT_EQ(h.CurrModule_GetMode(), 2);
  EXPECT_EQ(h.FindModule("Blackjack"), 0);
  EXPECT_STREQ(h.CurrModule_GetName(), "Roulette");  // a failed search keeps the current module
}

TEST(ModuleListBuild, AddNormalFileRules) {
  CFVModuleHandler h;
  Small(h);
  struct SCase {
    const char* m_pWhy;
    std::function<int32_t()> m_Add;
    int32_t m_Result;
  };
  const std::vector<SCase> cases = {
      {"no module", [&] { return h.AddNormalFile(nullptr, 1, "x", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0); }, 0},
      {"unknown module", [&] { return h.AddNormalFile("Nope", 1, "x", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0); }, 0},
      {"no name at all", [&] { return h.AddNormalFile("Game", 0, "x", 0, 0, 0, 0, 0, "y", 0, 0, 0, 0); }, 0},
      {"flag without name", [&] { return h.AddNormalFile("Game", 1, nullptr, 0, 0, 0, 0, 1, "y", 0, 0, 0, 0); }, 0},
      {"normal name again", [&] { return h.AddNormalFile("game", 1, "A.DLL", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0); }, 0},
      {"packed name again", [&] { return h.AddNormalFile("Game", 1, "c.dll", 0, 0, 0, 0, 1, "B.xrs.ZPK", 0, 0, 0, 0); }, 0},
      {"packed name as another's normal name",
       [&] { return h.AddNormalFile("Game", 0, nullptr, 0, 0, 0, 0, 1, "a.dll", 0, 0, 0, 0); }, 1},
      {"same name in another module",
       [&] { return h.AddNormalFile("Shared", 1, "a.dll", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0); }, 1},
      {"packed name only", [&] { return h.AddNormalFile("Game", 0, nullptr, 0, 0, 0, 0, 1, "p.zpk", 0, 0, 0, 0); }, 1},
      {"flag other than 1 is no name",
       [&] { return h.AddNormalFile("Game", 2, "../x", 0, 0, 0, 0, 1, "q.zpk", 0, 0, 0, 0); }, 1},
  };
  for (const SCase& c : cases) EXPECT_EQ(c.m_Add(), c.m_Result) << c.m_pWhy;
  ASSERT_EQ(h.FindModule("Game"), 1);
  EXPECT_EQ(h.CurrModule()->GetNumNormFiles(), 5);
}

TEST(ModuleListBuild, IndirectFilesBelongToNormalModules) {
  CFVModuleHandler h;
  Small(h);
  EXPECT_EQ(h.AddIndirectFile("Shared", "x.xrs"), 0);
  EXPECT_EQ(h.AddIndirectFile("Game", "SHARED.xrs"), 0);
  EXPECT_EQ(h.AddIndirectFile("Game", nullptr), 0);
  EXPECT_EQ(h.AddIndirectFile("Nope", "x.xrs"), 0);
  EXPECT_EQ(h.RemoveIndirectFile("Shared", "shared.xrs"), 0);
  EXPECT_EQ(h.RemoveIndirectFile("Game", "other.xrs"), 0);
  EXPECT_EQ(h.RemoveIndirectFile("GAME", "Shared.Xrs"), 1);
  EXPECT_EQ(h.GetNumIndirectFiles(), 0);
  EXPECT_EQ(h.AddIndirectFile("Game", "shared.xrs"), 1);
}

TEST(ModuleListBuild, RemoveModuleNeedsItsModeAndFlag) {
  CFVModuleHandler h;
  Small(h);
  ASSERT_EQ(h.FindModule("Game"), 1);
  ASSERT_EQ(h.NormalFile_First(), 1);
  ASSERT_EQ(h.NormalFile_Fetch(), 1);
  EXPECT_EQ(h.RemoveModule("Game", 2, 1), 0);
  EXPECT_EQ(h.RemoveModule("Game", 1, 0), 0);
  EXPECT_EQ(h.RemoveModule("Gone", 1, 1), 0);
  EXPECT_EQ(h.RemoveModule("gAME", 1, 1), 1);
  // The current module and its current file went with it.
  EXPECT_EQ(h.CurrModule(), nullptr);
  EXPECT_EQ(h.CurrNormalFile(), nullptr);
  EXPECT_EQ(h.NormalFile_GetNormalName(), nullptr);
  EXPECT_EQ(h.GetNumModules(), 1);
  EXPECT_EQ(h.GetNumNormalFiles(), 1);
  EXPECT_EQ(h.FindModule("Game"), 0);
  EXPECT_EQ(h.AddModule("GAME", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
}

TEST(ModuleListBuild, RemoveNormalFileTakesTheFirstMatch) {
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule("M", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
  ASSERT_EQ(h.AddNormalFile("M", 1, "one", 0, 0, 0, 0, 1, "one.zpk", 0, 0, 0, 0), 1);
  ASSERT_EQ(h.AddNormalFile("M", 1, "two", 0, 0, 0, 0, 1, "two.zpk", 0, 0, 0, 0), 1);
  ASSERT_EQ(h.AddNormalFile("M", 1, "three", 0, 0, 0, 0, 1, "three.zpk", 0, 0, 0, 0), 1);
  EXPECT_EQ(h.RemoveNormalFile("M", 0, nullptr, 0, nullptr), 0);
  EXPECT_EQ(h.RemoveNormalFile("M", 1, nullptr, 0, nullptr), 0);
  EXPECT_EQ(h.RemoveNormalFile("M", 1, "four", 1, "five.zpk"), 0);
  // "three" by its normal name, "two" by its packed name: two comes first in the list.
  EXPECT_EQ(h.RemoveNormalFile("m", 1, "THREE", 1, "Two.zpk"), 1);
  ASSERT_EQ(h.FindModule("M"), 1);
  EXPECT_EQ(h.FindFile("two"), 0);
  EXPECT_EQ(h.FindFile("three"), 1);
  EXPECT_EQ(h.RemoveNormalFile("M", 0, nullptr, 1, "THREE.ZPK"), 1);
  EXPECT_EQ(h.CurrNormalFile(), nullptr);
  EXPECT_EQ(h.GetNumNormalFiles(), 1);
  // The names are free again.
  EXPECT_EQ(h.AddNormalFile("M", 1, "Two", 0, 0, 0, 0, 1, "three.zpk", 0, 0, 0, 0), 1);
}

TEST(ModuleListBuild, CursorsFetchAndCountsLeaveThemAlone) {
  CFVModuleHandler h;
  Small(h);
  ASSERT_EQ(h.AddModule("Other", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
  EXPECT_EQ(h.FetchNormalModule(), 1);  // a new list's cursor stands on its first element
  EXPECT_STREQ(h.CurrModule_GetName(), "Game");
  ASSERT_EQ(h.NextNormalModule(), 1);
  ASSERT_EQ(h.FindModule("Game"), 1);
  ASSERT_EQ(h.NormalFile_First(), 1);
  ASSERT_EQ(h.NormalFile_Next(), 1);
  EXPECT_EQ(h.GetNumModules(), 3);
  EXPECT_EQ(h.GetNumNormalFiles(), 3);
  EXPECT_EQ(h.GetNumIndirectFiles(), 1);
  EXPECT_EQ(h.FetchNormalModule(), 1);
  EXPECT_STREQ(h.CurrModule_GetName(), "Other");
  ASSERT_EQ(h.FindModule("Game"), 1);
  ASSERT_EQ(h.NormalFile_Fetch(), 1);
  EXPECT_STREQ(h.NormalFile_GetNormalName(), "b.xrs");
  EXPECT_EQ(h.NormalFile_Next(), 0);
  EXPECT_EQ(h.NormalFile_Exists(), 0);
  EXPECT_EQ(h.NormalFile_Fetch(), 0);
  EXPECT_STREQ(h.NormalFile_GetNormalName(), "b.xrs");  // a fetch past the end keeps the current file
  EXPECT_EQ(h.NextNormalModule(), 0);
  EXPECT_EQ(h.FetchNormalModule(), 0);
  EXPECT_EQ(h.FirstIndirectModule(), 1);
  EXPECT_EQ(h.ExistsIndirectModule(), 1);
  EXPECT_EQ(h.FetchIndirectModule(), 1);
  EXPECT_STREQ(h.CurrModule_GetName(), "Shared");
  EXPECT_EQ(h.NextIndirectModule(), 0);
}

TEST(ModuleListBuild, NothingCurrentGivesNothing) {
  CFVModuleHandler h;
  EXPECT_EQ(h.CurrModule_GetName(), nullptr);
  EXPECT_EQ(h.CurrModule_SetDesc("x"), 0);
  EXPECT_EQ(h.CurrModule_GetPackedFileSize(), -1);
  EXPECT_EQ(h.NormalFile_First(), 0);
  EXPECT_EQ(h.NormalFile_HaveNormalName(), 0);
  EXPECT_EQ(h.NormalFile_SetNormalCRC(1), 0);
  EXPECT_EQ(h.NormalFile_RealFile_ExistsNormName(), 0);
  EXPECT_EQ(h.IndirectFile_First(), 0);
  EXPECT_EQ(h.IndirectFile_Delete(), 0);
  EXPECT_EQ(h.FindFile("x"), 0);
  EXPECT_EQ(h.FetchRestartFile(), 0);
  EXPECT_EQ(h.RestartFile_GetFileName(), nullptr);
  EXPECT_EQ(h.FetchFtpSite(), 0);
  EXPECT_EQ(h.FtpSite_GetConnectTimeout(), -1);
  EXPECT_EQ(DumpList(h), "");
}

TEST(ModuleListBuild, CurrentRecordAccessors) {
  CFVModuleHandler h;
  Small(h);
  ASSERT_EQ(h.FindModule("game"), 1);
  EXPECT_EQ(h.CurrModule_SetDesc("Blackjack"), 1);
  EXPECT_EQ(h.CurrModule_SetClassName("game"), 1);
  EXPECT_EQ(h.CurrModule_SetPackedFileName("../x.bos"), 0);
  EXPECT_EQ(h.CurrModule_SetPackedFileName("m/g.zpk"), 1);
  EXPECT_EQ(h.CurrModule_SetPackedFileSize(0), 1);  // stored only above 0
  EXPECT_EQ(h.CurrModule_GetPackedFileSize(), 10);
  EXPECT_EQ(h.CurrModule_SetPackedFileSize(99), 1);
  EXPECT_EQ(h.CurrModule_SetPackedFileCRC(0xDEADBEEF), 1);
  EXPECT_EQ(h.CurrModule_SetForceDownload(0), 1);
  EXPECT_EQ(h.CurrModule_SetValidState(1), 1);
  EXPECT_EQ(h.CurrModule_GetValidState(), 1);
  ASSERT_EQ(h.FindFile("A.dll"), 1);
  EXPECT_EQ(h.NormalFile_SetNormalCRC(11), 1);
  EXPECT_EQ(h.NormalFile_SetNormalFileSize(12), 1);
  EXPECT_EQ(h.NormalFile_SetPackedCRC(13), 1);
  EXPECT_EQ(h.NormalFile_SetPackedFileSize(14), 1);
  EXPECT_EQ(h.NormalFile_SetPackedCRCState(0), 1);
  EXPECT_EQ(h.NormalFile_HavePackedCRC(), 0);
  EXPECT_EQ(h.NormalFile_SetPackedName("../a.zpk"), 0);
  EXPECT_EQ(h.NormalFile_SetPackedNameState(0), 1);
  EXPECT_EQ(h.NormalFile_SetPackedName("a.zpk"), 0);  // refused while its flag is not 1
  EXPECT_EQ(h.NormalFile_SetPackedNameState(1), 1);
  EXPECT_EQ(h.NormalFile_SetPackedName("a2.zpk"), 1);
  EXPECT_EQ(DumpList(h).substr(0, DumpList(h).find("  F 1:b.xrs")),
            "N Game|Blackjack|game|m/g.zpk|99|3735928559|1|0\n"
            "  F 1:a.dll 1:11 1:12 1:a2.zpk 0:13 1:14\n");
}

// Renaming through the accessors keeps every look-up right: the old name is free, the new one taken.
TEST(ModuleListBuild, LookUpsFollowRenames) {
  CFVModuleHandler h;
  Small(h);
  ASSERT_EQ(h.FindModule("Game"), 1);
  EXPECT_EQ(h.CurrModule_SetName("../Game"), 0);
  EXPECT_EQ(h.CurrModule_SetName("Poker"), 1);
  EXPECT_EQ(h.FindModule("game"), 0);
  EXPECT_EQ(h.FindModule("POKER"), 1);
  EXPECT_EQ(h.AddModule("Game", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
  EXPECT_EQ(h.AddModule("poker", nullptr, nullptr, nullptr, -1, 0, 1, 0), 0);

  ASSERT_EQ(h.FindModule("Poker"), 1);
  ASSERT_EQ(h.FindFile("a.dll"), 1);
  EXPECT_EQ(h.NormalFile_SetNormalName("c.dll"), 1);
  EXPECT_EQ(h.FindFile("A.DLL"), 0);
  EXPECT_EQ(h.FindFile("C.dll"), 1);
  EXPECT_EQ(h.AddNormalFile("Poker", 1, "a.dll", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 1);
  EXPECT_EQ(h.AddNormalFile("Poker", 1, "c.DLL", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 0);
  // A name whose flag goes to 0 is no name.
  ASSERT_EQ(h.FindFile("b.xrs"), 1);
  EXPECT_EQ(h.NormalFile_SetNormalNameState(0), 1);
  EXPECT_EQ(h.FindFile("b.xrs"), 0);
  EXPECT_EQ(h.AddNormalFile("Poker", 1, "B.XRS", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 1);

  // A rename onto another module's name makes that name ambiguous: the first (normal list first)
  // is found, and the operations that need exactly one module refuse it.
  ASSERT_EQ(h.FindModule("Shared"), 1);
  EXPECT_EQ(h.CurrModule_SetName("game"), 1);
  ASSERT_EQ(h.FindModule("GAME"), 1);
  EXPECT_EQ(h.CurrModule_GetMode(), 1);
  EXPECT_EQ(h.AddNormalFile("Game", 1, "z", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 0);
  EXPECT_EQ(h.RemoveModule("Game", 1, 0), 0);

  // Indirect files.
  ASSERT_EQ(h.FindModule("Poker"), 1);
  ASSERT_EQ(h.IndirectFile_First(), 1);
  ASSERT_EQ(h.IndirectFile_Fetch(), 1);
  EXPECT_EQ(h.IndirectFile_SetName("C:/x"), 0);
  EXPECT_EQ(h.IndirectFile_SetName("fonts/f.xbf"), 1);
  EXPECT_EQ(h.AddIndirectFile("Poker", "shared.xrs"), 1);
  EXPECT_EQ(h.AddIndirectFile("Poker", "FONTS/F.XBF"), 0);
  EXPECT_EQ(h.IndirectFile_Delete(), 1);
  EXPECT_EQ(h.IndirectFile_GetName(), nullptr);
  EXPECT_EQ(h.AddIndirectFile("Poker", "FONTS/F.XBF"), 1);
}

TEST(ModuleListBuild, RestartFilesAndFtpSites) {
  CFVModuleHandler h;
  EXPECT_EQ(h.AddRestartFile("casino", "casino.new", 1), 1);
  EXPECT_EQ(h.AddRestartFile("libostrel.so", "libostrel.so.new", 0), 1);
  EXPECT_EQ(h.AddRestartFile("CASINO", "second.new", 0), 1);
  EXPECT_EQ(h.AddRestartFile(nullptr, "x", 0), 0);
  EXPECT_EQ(h.AddRestartFile("x", "/tmp/x", 0), 0);
  const char* unpack = nullptr;
  int32_t full = -1;
  EXPECT_EQ(h.DoRestartFileExists("Casino", &unpack, &full), 1);
  EXPECT_STREQ(unpack, "casino.new");
  EXPECT_EQ(full, 1);
  EXPECT_EQ(h.DoRestartFileExists("LIBOSTREL.SO", nullptr, &full), 1);
  EXPECT_EQ(full, 0);
  EXPECT_EQ(h.DoRestartFileExists("install", &unpack, &full), 0);
  EXPECT_EQ(h.AddFtpSite("a", "b", "c", "d", 1, 2), 1);
  EXPECT_EQ(h.AddFtpSite("a", nullptr, "c", "d", 1, 2), 0);
  EXPECT_EQ(h.AddFtpSite("e", "", "", "", -1, -1), 1);
  EXPECT_EQ(h.GetFtpSiteList()->GetNumNodes(), 2);
  EXPECT_EQ(DumpList(h),
            "casino|casino.new|1\nlibostrel.so|libostrel.so.new|0\nCASINO|second.new|0\na|b|c|d|1|2\ne||||-1|-1\n");
  EXPECT_EQ(h.FetchRestartFile(), 0);  // the walk above ended past the last one
  ASSERT_EQ(h.FirstRestartFile(), 1);
  ASSERT_EQ(h.FetchRestartFile(), 1);
  ASSERT_EQ(h.FirstFtpSite(), 1);
  ASSERT_EQ(h.FetchFtpSite(), 1);
  EXPECT_EQ(h.RemoveRestartFiles(), 1);
  EXPECT_EQ(h.RemoveFtpSites(), 1);
  EXPECT_EQ(h.RestartFile_GetFileName(), nullptr);
  EXPECT_EQ(h.FtpSite_GetSiteName(), nullptr);
  EXPECT_EQ(h.DoRestartFileExists("casino", nullptr, nullptr), 0);
  EXPECT_EQ(DumpList(h), "");
}

// Every name operation refuses names that would leave the installation folder.
TEST(ModuleListBuild, UnsafeNamesAreRefusedByEveryAdd) {
  for (const char* bad : {"", "/abs", "\\abs", "C:rel", "d:/x", "..", "../x", "a/../x", "a\\..\\x", "a/..", "x\x01",
                          "x\x1f", "x\x7f"}) {
    SCOPED_TRACE(bad);
    CFVModuleHandler h;
    Small(h);
    EXPECT_EQ(h.AddModule(bad, nullptr, nullptr, nullptr, -1, 0, 1, 0), 0);
    EXPECT_EQ(h.AddModule("New", nullptr, nullptr, bad, -1, 0, 1, 0), 0);
    EXPECT_EQ(h.AddNormalFile("Game", 1, bad, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(h.AddNormalFile("Game", 0, nullptr, 0, 0, 0, 0, 1, bad, 0, 0, 0, 0), 0);
    EXPECT_EQ(h.AddNormalFile("Game", 1, "ok", 0, 0, 0, 0, 1, bad, 0, 0, 0, 0), 0);
    EXPECT_EQ(h.AddIndirectFile("Game", bad), 0);
    EXPECT_EQ(h.AddRestartFile(bad, "ok", 1), 0);
    EXPECT_EQ(h.AddRestartFile("ok", bad, 1), 0);
    EXPECT_EQ(h.GetNumModules(), 2);
    EXPECT_EQ(h.GetNumNormalFiles(), 3);
  }
}

// Shared-file references: every reference must be carried by an INDIRECT module, every named file
// of an INDIRECT module referred to by a NORMAL one.
TEST(ModuleListBuild, ValidationTable) {
  struct SCase {
    const char* m_pWhy;
    std::function<void(CFVModuleHandler&)> m_Build;
    int32_t m_Valid;
  };
  const std::vector<SCase> cases = {
      {"empty list", [](CFVModuleHandler&) {}, 1},
      {"reference present (other case)",
       [](CFVModuleHandler& h) {
         Small(h);
         h.FindModule("Game");
         h.IndirectFile_First();
         h.IndirectFile_Fetch();
         h.IndirectFile_SetName("SHARED.XRS");
       },
       1},
      {"reference missing", [](CFVModuleHandler& h) {
         Small(h);
         h.AddIndirectFile("Game", "fonts.xbf");
       }, 0},
      {"reference without any INDIRECT module", [](CFVModuleHandler& h) {
         h.AddModule("Game", nullptr, nullptr, nullptr, -1, 0, 1, 0);
         h.AddIndirectFile("Game", "x");
       }, 0},
      {"an INDIRECT file without a name answers any reference", [](CFVModuleHandler& h) {
         Small(h);
         h.AddIndirectFile("Game", "fonts.xbf");
         h.AddNormalFile("Shared", 0, nullptr, 0, 0, 0, 0, 1, "blob.zpk", 0, 0, 0, 0);
       }, 1},
      {"INDIRECT module with named files and no NORMAL module", [](CFVModuleHandler& h) {
         h.AddModule("Shared", nullptr, nullptr, nullptr, -1, 0, 2, 0);
         h.AddNormalFile("Shared", 1, "x", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0);
       }, 0},
      {"INDIRECT module with only unnamed files and no NORMAL module", [](CFVModuleHandler& h) {
         h.AddModule("Shared", nullptr, nullptr, nullptr, -1, 0, 2, 0);
         h.AddNormalFile("Shared", 0, nullptr, 0, 0, 0, 0, 1, "x.zpk", 0, 0, 0, 0);
       }, 1},
      {"INDIRECT file nobody refers to", [](CFVModuleHandler& h) {
         Small(h);
         h.AddNormalFile("Shared", 1, "lonely.xrs", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0);
       }, 0},
      {"INDIRECT module whose mode was changed", [](CFVModuleHandler& h) {
         Small(h);
         h.FindModule("Shared");
         h.CurrModule_SetMode(1);
       }, 0},
      {"NORMAL module whose mode was changed", [](CFVModuleHandler& h) {
         Small(h);
         h.FindModule("Game");
         h.CurrModule_SetMode(2);
       }, 0},
      {"a file in two modules is valid", [](CFVModuleHandler& h) {
         Small(h);
         h.AddModule("Other", nullptr, nullptr, nullptr, -1, 0, 1, 0);
         h.AddNormalFile("Other", 1, "A.DLL", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0);
       }, 1},
  };
  for (const SCase& c : cases) {
    CFVModuleHandler h;
    c.m_Build(h);
    EXPECT_EQ(h.ValidateModuleList(), c.m_Valid) << c.m_pWhy;
  }
}

TEST(ModuleListBuild, ConsistencyTable) {
  struct SCase {
    const char* m_pWhy;
    const char* m_pOtherModule;
    int32_t m_Mode;
    int32_t m_HaveName;
    const char* m_pName;
    int32_t m_Consistent;
  };
  const SCase cases[] = {
      {"distinct names", "Other", 1, 1, "c.dll", 1},
      {"one name in two NORMAL modules, other case", "Other", 1, 1, "A.Dll", 0},
      {"one name in a NORMAL and an INDIRECT module", "Other", 2, 1, "b.xrs", 0},
      {"the shared file in a second INDIRECT module", "Other", 2, 1, "SHARED.XRS", 0},
      {"a packed name equal to another module's file name", "Other", 1, 0, "a.dll", 1},
  };
  for (const SCase& c : cases) {
    CFVModuleHandler h;
    Small(h);
    ASSERT_EQ(h.AddModule(c.m_pOtherModule, nullptr, nullptr, nullptr, -1, 0, c.m_Mode, 0), 1);
    ASSERT_EQ(h.AddNormalFile(c.m_pOtherModule, c.m_HaveName, c.m_pName, 0, 0, 0, 0, 1, "x.zpk", 0, 0, 0, 0), 1);
    EXPECT_EQ(h.CheckConsistency(), c.m_Consistent) << c.m_pWhy;
  }
  // A name made twice in one module by a rename is still one module's.
  CFVModuleHandler h;
  Small(h);
  ASSERT_EQ(h.FindModule("Game"), 1);
  ASSERT_EQ(h.FindFile("b.xrs"), 1);
  ASSERT_EQ(h.NormalFile_SetNormalName("A.DLL"), 1);
  EXPECT_EQ(h.CheckConsistency(), 1);
  // Removing the first of the two leaves the other to be found by that name.
  ASSERT_EQ(h.RemoveNormalFile("Game", 1, "a.dll", 0, nullptr), 1);
  ASSERT_EQ(h.FindFile("a.DLL"), 1);
  EXPECT_EQ(h.NormalFile_GetNormalCRC(), 5u);
  EXPECT_EQ(h.RemoveNormalFile("Game", 1, "a.dll", 0, nullptr), 1);
  EXPECT_EQ(h.FindFile("a.dll"), 0);
  EXPECT_EQ(h.GetNumNormalFiles(), 1);
}

// Lists of many thousand files: look-ups by name stay right at that size.
TEST(ModuleListBuild, ManyFiles) {
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule("Big", nullptr, nullptr, nullptr, -1, 0, 1, 0), 1);
  for (int i = 0; i < 20000; ++i) {
    const std::string name = "dir" + std::to_string(i % 97) + "/File" + std::to_string(i) + ".xrs";
    ASSERT_EQ(h.AddNormalFile("Big", 1, name.c_str(), 1, i, 1, i, 1, (name + ".zpk").c_str(), 0, 0, 0, 0), 1);
  }
  EXPECT_EQ(h.AddNormalFile("big", 1, "DIR5/FILE5.XRS", 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0), 0);
  ASSERT_EQ(h.FindModule("BIG"), 1);
  ASSERT_EQ(h.FindFile("dir12/file19412.XRS"), 1);
  EXPECT_EQ(h.NormalFile_GetNormalCRC(), 19412u);
  for (int i = 0; i < 20000; i += 2) {
    const std::string name = "dir" + std::to_string(i % 97) + "/file" + std::to_string(i) + ".xrs";
    ASSERT_EQ(h.RemoveNormalFile("Big", 1, name.c_str(), 0, nullptr), 1);
  }
  EXPECT_EQ(h.GetNumNormalFiles(), 10000);
  EXPECT_EQ(h.FindFile("dir12/file19412.xrs"), 0);
  EXPECT_EQ(h.FindFile("dir13/file19413.xrs"), 1);
  EXPECT_EQ(h.CheckConsistency(), 1);
  EXPECT_EQ(h.ValidateModuleList(), 1);
}
