// The installation source that "INSTALL.LOG" names, and the deletion of removed games.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "installfixture.h"
#include "support/httppeers.h"

namespace fs = std::filesystem;

namespace {
class InstallSourceTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    UseServerList();
    fs::create_directories(m_Cd.File("modules"));
    WriteWholeFile(m_Cd.File("setup.exe"), "the setup program");
    fs::copy_file(ServerFile(Package("Black Jack")), m_Cd.File(Package("Black Jack")));
    ASSERT_TRUE(m_Nginx.Start());
    Serve(m_Nginx.Www());
    AddHttpSite(m_Nginx);
  }
  int Fetched() const { return static_cast<int>(m_Nginx.AccessLog().size()); }
  std::string Install(int32_t options) {
    BInstaller installer(&m_Handler, options);
    const GamestxtCFVModule module = Module("Black Jack");
    EXPECT_EQ(installer.AddDownloadModule(&module), 1);
    return RunInstaller(installer);
  }

  CTempDir m_Cd;
  CNginxPeer m_Nginx;
};

class InstallDeleteTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    m_Kind = kBos;
    fs::copy(BuiltRelease(kBos).m_Target, m_Install, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_TRUE(Installed("Black Jack"));
  }
  std::string Delete(int32_t options, const char* game = "Black Jack") {
    BInstaller installer(&m_Handler, options);
    GamestxtCFVModule module;
    module.SetModName(game);
    EXPECT_EQ(installer.AddDeleteModule(&module), 1);
    return RunInstaller(installer);
  }
  // The files "filemap.lst" records for the module.
  static int Recorded(const char* module) {
    CFVModuleHandler map;
    if (!map.ReadModuleList("filemap.lst", 1, 1) || !map.FindModule(module)) return -1;
    int n = 0;
    for (map.NormalFile_First(); map.NormalFile_Exists(); map.NormalFile_Next()) ++n;
    return n;
  }
  static int32_t Status(const char* module) {
    CKCBLModStatus status;
    status.LoadFile();
    return status.GetFlagForThisModule(module);
  }
};
}  // namespace

TEST_F(InstallSourceTest, APackageWithTheRightCrcIsCopiedFromTheSource) {
  WriteWholeFile(Local("INSTALL.LOG"), "Vorrin Casino\r\nSource: " + m_Cd.File("setup.exe") + "\r\n");
  EXPECT_EQ(Install(0), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_EQ(Fetched(), 0);
  EXPECT_TRUE(fs::exists(m_Cd.File(Package("Black Jack")))) << "the source is only read";
  EXPECT_FALSE(fs::exists(Local(Package("Black Jack"))));
}

TEST_F(InstallSourceTest, WithoutAUsableSourceThePackageIsDownloaded) {
  const struct {
    const char* m_pLabel;
    std::string m_Log;
    int32_t m_Options;
    bool m_Spoil;
  } cases[] = {
      {"option 0x40", "Source: " + m_Cd.File("setup.exe") + "\n", BINSTALLER_NO_SOURCE, false},
      {"wrong CRC", "Source: " + m_Cd.File("setup.exe") + "\n", 0, true},
      {"a folder", "Source: " + m_Cd.File("modules") + "\n", 0, false},
      {"a missing file", "Source: " + m_Cd.File("none.exe") + "\n", 0, false},
      {"a line of 10 KB", "Source: " + m_Cd.File(std::string(10240, 'a')) + "\n", 0, false},
      {"no source line", "Source:" + m_Cd.File("setup.exe") + "\n", 0, false},
      {"no log", "", 0, false},
  };
  const std::string good = ReadWholeFile(m_Cd.File(Package("Black Jack")));
  int fetched = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pLabel);
    fs::remove_all(Local("modules"));
    for (const std::string& name : ModuleFiles("Black Jack")) fs::remove(Local(name));
    if (c.m_Log.empty()) fs::remove(Local("INSTALL.LOG"));
    else WriteWholeFile(Local("INSTALL.LOG"), c.m_Log);
    WriteWholeFile(m_Cd.File(Package("Black Jack")), c.m_Spoil ? good.substr(1) + "x" : good);
    EXPECT_EQ(Install(c.m_Options), "");
    EXPECT_TRUE(Installed("Black Jack"));
    EXPECT_EQ(Fetched(), ++fetched);
  }
}

TEST_F(InstallDeleteTest, DeletingRewritesTheFileMapAndSetsStatusZero) {
  chmod(Local("kavo.so").c_str(), 0444);
  EXPECT_EQ(Recorded("Black Jack"), 2);
  EXPECT_EQ(Status("Black Jack"), MODSTATUS_INSTALLED);
  EXPECT_EQ(Delete(0), "");
  for (const std::string& name : ModuleFiles("Black Jack")) EXPECT_FALSE(fs::exists(Local(name))) << name;
  EXPECT_TRUE(Installed("Roulette"));
  EXPECT_EQ(ReadWholeFile(Local("xrs/common.xrs")), ReleaseFiles().at("xrs/common.xrs")) << "shared files stay";
  EXPECT_EQ(Recorded("Black Jack"), 0);
  EXPECT_EQ(Recorded("Roulette"), 2);
  EXPECT_EQ(Status("Black Jack"), MODSTATUS_NOT_INSTALLED);
  EXPECT_EQ(Status("Roulette"), MODSTATUS_INSTALLED);
}

TEST_F(InstallDeleteTest, WithOption2TheFilesStay) {
  EXPECT_EQ(Delete(BINSTALLER_KEEP_DELETED_FILES), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_EQ(Recorded("Black Jack"), 0);
  EXPECT_EQ(Status("Black Jack"), MODSTATUS_NOT_INSTALLED);
}

TEST_F(InstallDeleteTest, ALinkOutOfTheFolderIsNotFollowed) {
  CTempDir outside;
  WriteWholeFile(outside.File("table.bmp"), "not the installer's");
  fs::remove_all(Local("pictures/kavo"));
  fs::create_directory_symlink(outside.Path(), Local("pictures/kavo"));
  EXPECT_EQ(Delete(0), "");
  EXPECT_EQ(ReadWholeFile(outside.File("table.bmp")), "not the installer's");
  EXPECT_FALSE(fs::exists(Local("kavo.so")));
}

TEST_F(InstallDeleteTest, MissingOrUnreadableFileMap) {
  fs::rename(Local("filemap.lst"), Local("filemap.old"));
  EXPECT_EQ(Delete(0), "Fielamp don't exist");
  WriteWholeFile(Local("filemap.lst"), "{ = module, \"Black Jack\"\n    Mode = Sideways\n");
  EXPECT_EQ(Delete(0), "Could not read ModuleFiles");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_EQ(Status("Black Jack"), MODSTATUS_INSTALLED);
}
