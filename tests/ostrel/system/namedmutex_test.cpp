#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ostrel/system/mutex.h"
#include "platform/os/runtimedir.h"
#include "support/spawnedchild.h"
#include "support/tempdir.h"
#include "support/testclock.h"

namespace {

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

// Named objects go to a runtime folder of the test's own; the children inherit it. The test
// clock makes time-outs pass without waiting.
class NamedMutex : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", m_Dir.Path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

  static std::string Probe(const char* name) {
    CSpawnedChild child;
    if (!child.Start({"mutex-probe", name})) return "no child";
    return child.ReadLine();
  }

  CTempDir m_Dir;
  CTestClock m_Clock;
};

TEST_F(NamedMutex, AnotherProcessSeesTheHeldMutexUntilItsHolderIsKilled) {
  CSpawnedChild holder;
  ASSERT_TRUE(holder.Start({"mutex-hold", "Casino.Instance"}));
  ASSERT_EQ(holder.ReadLine(), "held 1");

  CMutex m;
  uint32_t status = 0;
  ASSERT_EQ(m.Create("Casino.Instance", status), 1);
  EXPECT_EQ(status, 2u);
  EXPECT_STREQ(m.GetName(), "Casino.Instance");
  EXPECT_EQ(m.Wait(5000), 0);
  EXPECT_GE(m_Clock.Slept(), 5000u);

  holder.Kill(SIGKILL);
  EXPECT_EQ(m.Wait(5000), 1);
  EXPECT_EQ(Probe("Casino.Instance"), "open=1 status=2 wait=0");
  EXPECT_EQ(m.Release(), 1);
  EXPECT_EQ(Probe("Casino.Instance"), "open=1 status=2 wait=1");
  EXPECT_EQ(m.Destroy(), 1);
  EXPECT_EQ(m.GetName(), nullptr);
  EXPECT_EQ(Probe("Casino.Instance"), "open=0 status=1 wait=1");
}

TEST_F(NamedMutex, OpenFindsOnlyAMutexSomeoneHasOpen) {
  CMutex m, other;
  EXPECT_EQ(other.Open("Installer"), 0);
  EXPECT_EQ(other.Open(nullptr), 0);
  uint32_t status = 0;
  ASSERT_EQ(m.Create("Installer", status), 1);
  EXPECT_EQ(status, 1u);
  ASSERT_EQ(other.Open("Installer"), 1);
  EXPECT_STREQ(other.GetName(), "Installer");
  // Two handles of one process exclude each other like two processes.
  EXPECT_EQ(m.Wait(0), 1);
  EXPECT_EQ(other.Wait(100), 0);
  EXPECT_EQ(m.Release(), 1);
  EXPECT_EQ(other.Wait(0), 1);
  EXPECT_EQ(m.Destroy(), 1);
  EXPECT_EQ(other.Destroy(), 1);
  EXPECT_EQ(m.Open("Installer"), 0);
}

TEST_F(NamedMutex, NamesStayInsideTheRuntimeFolder) {
  const char* names[] = {"Global\\Vorrin", "..", "../../etc/passwd", "a/b\\c", "Local\\x y"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    CMutex m;
    uint32_t status = 0;
    ASSERT_EQ(m.Create(name, status), 1);
    EXPECT_EQ(status, 1u);
  }
  std::vector<std::string> files = Entries(m_Dir.Path());
  EXPECT_EQ(files.size(), 5u);
  for (const std::string& f : files) {
    struct stat st;
    ASSERT_EQ(lstat(m_Dir.File(f).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << f;
  }
}

TEST(RuntimeFolder, ObjectNamesMapToFilesInIt) {
  CTempDir dir;
  setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  struct SCase {
    const char* name;
    const char* file;
  } cases[] = {
      {"Casino", "Casino.x"},           {"Global\\Casino", "Casino.x"},
      {"Local\\Casino", "Casino.x"},    {"a/b\\c", "a%2Fb%5Cc.x"},
      {"..", "%2E..x"},                 {"name with space", "name%20with%20space.x"},
      {"\xE9t\xE9", "%E9t%E9.x"},
  };
  for (const SCase& c : cases) EXPECT_EQ(PlatformRuntimeObjectPath(c.name, ".x", 4000), dir.File(c.file)) << c.name;
  EXPECT_EQ(PlatformRuntimeObjectPath("", ".x", 4000), "");
  EXPECT_EQ(PlatformRuntimeObjectPath(nullptr, ".x", 4000), "");
  EXPECT_EQ(PlatformRuntimeObjectPath("Global\\", ".x", 4000), "");
  EXPECT_EQ(PlatformRuntimeObjectPath(std::string(300, 'a').c_str(), ".x", 4000), "");
  EXPECT_EQ(PlatformRuntimeObjectPath("Casino", ".x", dir.File("Casino.x").size() - 1), "");
  unsetenv("XDG_RUNTIME_DIR");
}

TEST(RuntimeFolder, WithoutTheSessionFolderAPrivateOneUnderTmp) {
  unsetenv("XDG_RUNTIME_DIR");
  const std::string folder = PlatformRuntimeFolder();
  EXPECT_EQ(folder, "/tmp/vorrin-" + std::to_string(getuid()));
  struct stat st;
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
}

}  // namespace
