// The program folder of each test: its own files, the install folder's data without writing into
// it, the session folders, and programs that run from it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/clientfixture.h"
#include "support/spawnedchild.h"

namespace {

namespace fs = std::filesystem;

class Folder : public CClientTest {};

TEST_F(Folder, TheTestWorksInAFolderOfItsOwnWithItsSessionFolders) {
  EXPECT_EQ(fs::current_path().string(), m_Folder.Path());
  EXPECT_EQ(std::string(std::getenv("XDG_CONFIG_HOME")), m_Folder.ConfigHome());
  EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), m_Folder.RuntimeDir());
  EXPECT_EQ(std::string(std::getenv("XDG_DATA_HOME")), m_Folder.DataHome());
  EXPECT_EQ(std::string(std::getenv("VORRIN_DISPLAY")), "headless");
  struct stat st {};
  ASSERT_EQ(stat(m_Folder.RuntimeDir().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Folder, ScriptsAreCopiesAndEverythingElseLinksThatWritesNeverGoThrough) {
  EXPECT_FALSE(fs::is_symlink(m_Folder.File("xrs/base.xrs")));
  ASSERT_TRUE(fs::is_symlink(m_Folder.File("pictures/gui.bmp")));
  EXPECT_TRUE(fs::is_symlink(m_Folder.File("libostrel.so")));
  const std::string dist = std::string(VORRIN_DIST_DIR) + "/pictures/gui.bmp";
  const std::string before = ReadWholeFile(dist);
  m_Folder.Write("pictures/gui.bmp", "not a picture");
  m_Folder.Write("pictures/lobby/new.bmp", "new");
  EXPECT_EQ(ReadWholeFile(dist), before);
  EXPECT_EQ(ReadWholeFile(m_Folder.File("pictures/gui.bmp")), "not a picture");
  EXPECT_FALSE(fs::exists(std::string(VORRIN_DIST_DIR) + "/pictures/lobby/new.bmp"));
}

TEST_F(Folder, TheUpdaterStandInIsAProgramThatDoesNothing) {
  const std::string stub = m_Folder.File("update");
  EXPECT_EQ(access(stub.c_str(), X_OK), 0);
  EXPECT_EQ(ReadWholeFile(stub).rfind("#!", 0), 0u);
  CSpawnedChild child;
  ASSERT_TRUE(child.StartSystemProgram(stub, {"updateconf=restart=1"}));
  EXPECT_EQ(child.Wait(), 0);
}

// A program of the install folder, copied: it finds its libraries beside it and runs from here.
TEST_F(Folder, ACopiedProgramRunsFromTheFolder) {
  const std::string program = m_Folder.CopyProgram("kavotable");
  EXPECT_FALSE(fs::is_symlink(program));
  EXPECT_EQ(fs::path(program).parent_path().string(), m_Folder.Path());
  CSpawnedChild child;
  ASSERT_TRUE(child.StartSystemProgram(program, {"--table", "999"}));
  EXPECT_EQ(child.Wait(), 10);  // it started, and refused the table
}

}  // namespace
