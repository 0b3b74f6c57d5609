// The player's quit request in a running program: unpacking stops before the next package and the
// next step says "User canceled"; deleting stops with "Cancel" before anything is deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "installfixture.h"
#include "ostrel/system/sysservices.h"

namespace fs = std::filesystem;

TEST_F(InstallTest, AQuitRequestStopsUnpackingAndDeleting) {
  CProgramRuntime runtime;
  UseServerList();
  fs::create_directories(Local("modules"));
  for (const char* game : {"Black Jack", "Roulette"})
    fs::copy_file(ServerFile(Package(game)), Local(Package(game)));
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  for (const char* game : {"Black Jack", "Roulette"}) {
    const GamestxtCFVModule module = Module(game);
    ASSERT_EQ(installer.AddDownloadModule(&module), 1);
  }
  for (int i = 0; i < 10 && installer.GetState() != BINSTALLER_UNPACK; ++i) installer.Handler();
  ASSERT_EQ(installer.GetState(), BINSTALLER_UNPACK);
  xSetUserWantToQuit(1);
  installer.Handler();
  EXPECT_EQ(installer.GetState(), BINSTALLER_CANCELLED);
  EXPECT_EQ(RunInstaller(installer), "User canceled");
  EXPECT_FALSE(fs::exists(Local("kavo.so")));
  EXPECT_TRUE(fs::exists(Local(Package("Black Jack")))) << "the package waits for the next try";
  EXPECT_EQ(installer.GetState(), BINSTALLER_SORT);

  // Deleting an installed game.
  fs::copy(BuiltRelease(kBos).m_Target, m_Install, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  const std::string filemap = ReadWholeFile(Local("filemap.lst"));
  GamestxtCFVModule blackjack;
  blackjack.SetModName("Black Jack");
  ASSERT_EQ(installer.AddDeleteModule(&blackjack), 1);
  EXPECT_EQ(RunInstaller(installer), "Cancel");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_EQ(ReadWholeFile(Local("filemap.lst")), filemap);
  xSetUserWantToQuit(0);
  EXPECT_EQ(installer.AddDeleteModule(&blackjack), 1) << "the lists were cleared";
  EXPECT_EQ(RunInstaller(installer), "");
  EXPECT_FALSE(fs::exists(Local("kavo.so")));
}
