#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/folders.h"
#include "platform/files/drives.h"
#include "platform/files/resolver.h"
#include "support/tempdir.h"

namespace {
// The texts of the list, freed with it.
std::vector<std::string> Take(CLList& list) {
  std::vector<std::string> out;
  for (int16_t more = list.First(); more; more = list.Next()) out.push_back(static_cast<char*>(list.Get()));
  list.KillAllData();
  return out;
}
using TNames = std::vector<std::string>;
}  // namespace

TEST(WorkingFolder, LongFoldersComeBackWhole) {
  CTempDir dir;
  std::string deep = dir.Path();
  for (int i = 0; i < 6; ++i) deep += "/" + std::string(100, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  CWorkingDir keep(dir.Path());
  ASSERT_EQ(xSetWorkingDirectory(deep.c_str()), 1);
  char* here = xGetWorkingDirectory();
  ASSERT_NE(here, nullptr);
  EXPECT_EQ(std::string(here), deep);
  xFree(here);

  ASSERT_EQ(xSys_SaveCurrDir(), 1);
  ASSERT_EQ(xSys_SetCurrDir(dir.Path().c_str()), 1);
  ASSERT_EQ(xSys_RestoreCurrDir(), 1);
  EXPECT_EQ(std::filesystem::current_path().string(), deep);
  EXPECT_EQ(xSetWorkingDirectory(nullptr), 0);
  EXPECT_EQ(xSetWorkingDirectory((dir.Path() + "/missing").c_str()), 0);
}

TEST(WorkingFolder, FolderTestsLeaveTheWorkingFolderAlone) {
  CTempDir dir;
  std::filesystem::create_directory(dir.File("Sub"));
  WriteWholeFile(dir.File("file"), "x");
  CWorkingDir keep(dir.Path());
  const auto before = std::filesystem::current_path();
  EXPECT_EQ(xDoDirectoryExists("sub"), 1) << "names match without regard to case";
  EXPECT_EQ(xDoDirectoryExists(".\\SUB"), 1);
  EXPECT_EQ(xDoDirectoryExists("file"), 0);
  EXPECT_EQ(xDoDirectoryExists("none"), 0);
  EXPECT_EQ(xDoDirectoryExists(nullptr), 0);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_EQ(xFolderExists("Sub"), 1);
  EXPECT_EQ(xFolderExists("file"), 0);
  EXPECT_EQ(xFolderExists(nullptr), 0);
}

// Expected values from Python's datetime: the 100 ns steps from 1601-01-01 UTC.
TEST(WriteTime, WindowsFileTimesOfKnownInstants) {
  CTempDir dir;
  const std::string file = dir.File("stamped");
  WriteWholeFile(file, "x");
  const struct {
    time_t seconds;
    long nanoseconds;
    uint32_t high, low;
  } cases[] = {
      {0, 0, 0x019DB1DE, 0xD53E8000},
      {946684800, 0, 0x01BF53EB, 0x256D4000},
      {1234567890, 123456789, 0x01C98E33, 0x32A9CB87},
      {4102444800, 999999999, 0x022F7163, 0x77FC967F},
  };
  for (const auto& c : cases) {
    const timespec times[2] = {{c.seconds, c.nanoseconds}, {c.seconds, c.nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    uint32_t low = 0, high = 0;
    ASSERT_EQ(xFileGetLastWriteTime(file.c_str(), low, high), 1);
    EXPECT_EQ(high, c.high) << c.seconds;
    EXPECT_EQ(low, c.low) << c.seconds;
  }
  uint32_t low = 7, high = 7;
  EXPECT_EQ(xFileGetLastWriteTime(dir.File("missing").c_str(), low, high), 0);
  EXPECT_EQ(xFileGetLastWriteTime(dir.Path().c_str(), low, high), 0) << "a folder does not open";
  EXPECT_EQ(low, 7u);
}

TEST(ReadOnly, RemovingTheMarkMakesTheFileWritable) {
  CTempDir dir;
  const std::string file = dir.File("locked.dat");
  WriteWholeFile(file, "x");
  chmod(file.c_str(), 0444);
  EXPECT_EQ(PlatformFileWritable(file.c_str()), 0);
  EXPECT_EQ(xRemoveReadOnly(file.c_str()), 1);
  EXPECT_EQ(PlatformFileWritable(file.c_str()), 1);
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(xRemoveReadOnly(dir.File("missing").c_str()), 0);
}

TEST(FilePatterns, WindowsWildcardsWithoutRegardToCase) {
  const struct {
    const char* pattern;
    const char* name;
    int32_t match;
  } cases[] = {
      {"*.*", "readme", 1},      {"*.*", "a.txt", 1},       {"*.*", ".profile", 1},
      {"*", "a.b.c", 1},         {"*.txt", "A.TXT", 1},     {"*.TXT", "b.txt", 1},
      {"*.txt", "a.txt.bak", 0}, {"*.txt", "txt", 0},       {"?.txt", "a.txt", 1},
      {"?.txt", "ab.txt", 0},    {"a?c", "abc", 1},         {"a?c", "ac", 0},
      {"read*", "README.md", 1}, {"read.*", "read", 1},     {"read.*", "reader", 0},
      {"*.", "makefile", 1},     {"*.", "make.file", 0},    {"*a*b*", "xaxxbx", 1},
      {"*a*b*", "xbxa", 0},      {"", "", 1},               {"*.htm", "page.html", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(xMatchFilePattern(c.name, c.pattern), c.match) << c.pattern << " " << c.name;
  EXPECT_EQ(xMatchFilePattern(nullptr, "*"), 0);
}

TEST(FolderContent, ListsFilesAndFoldersByPattern) {
  CTempDir dir;
  for (const char* f : {"b.TXT", "a.txt", "readme", ".hidden", "page.htm", "sub/c.txt"}) {
    std::filesystem::create_directories(std::filesystem::path(dir.File(f)).parent_path());
    WriteWholeFile(dir.File(f), "x");
  }
  std::filesystem::create_directory(dir.File("Folder.d"));
  std::filesystem::create_directory(dir.File(".git"));
  const std::string root = dir.Path();
  const struct {
    const char* pattern;
    int32_t files, folders;
    TNames names;
  } cases[] = {
      {"*.*", 1, 0, {"a.txt", "b.TXT", "page.htm", "readme"}},
      {"*.*", 0, 1, {"..", "Folder.d", "sub"}},
      {"*.*", 1, 1, {"..", "a.txt", "b.TXT", "Folder.d", "page.htm", "readme", "sub"}},
      {"*.txt", 1, 1, {"a.txt", "b.TXT"}},
      {"*.", 1, 1, {"..", "readme", "sub"}},  // as "dir *." lists it
      {"SUB\\*.TXT", 1, 0, {"c.txt"}},
      {"*.none", 1, 1, {}},
  };
  for (const auto& c : cases) {
    CLList list;
    xAddFolderContent(&list, root.c_str(), c.pattern, c.files, c.folders, 0);
    EXPECT_EQ(Take(list), c.names) << c.pattern;
  }
  CLList list;
  xAddFolderContent(&list, (root + "/").c_str(), "*.txt", 1, 0, 1);
  EXPECT_EQ(Take(list), (TNames{root + "/a.txt", root + "/b.TXT"}));
  xAddFolderContent(&list, "C:\\games", "*.*", 1, 1, 1);
  EXPECT_TRUE(Take(list).empty());
  CWorkingDir here(root);
  xAddFolderContent(&list, ".\\SUB", "*.*", 1, 1, 1);
  EXPECT_EQ(Take(list), (TNames{".\\SUB\\..", ".\\SUB\\c.txt"}));
}

TEST(Drives, MountTablesBecomeDrivesWithTheirKinds) {
  const std::string table =
      "overlay / overlay rw,relatime 0 0\n"
      "proc /proc proc rw 0 0\n"
      "tmpfs /dev tmpfs rw 0 0\n"
      "/dev/sda1 /etc/hosts ext4 rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda3 /boot/efi vfat rw 0 0\n"
      "/dev/sdb1 /media/player/USB\\040STICK vfat rw 0 0\n"
      "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
      "server:/export /mnt/share nfs4 rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sdc1 /home ext4 rw 0 0\n"
      "broken line\n";
  const TDriveProbe probe{
      [](const std::string& dev) { return dev == "/dev/sdb1"; },
      [](const std::string& dev) { return dev == "/dev/sda2" ? std::string("Data") : std::string(); },
      [](const std::string& point) { return point != "/etc/hosts"; },
  };
  const std::vector<TDrive> drives = PlatformDrivesFromMounts(PlatformParseMounts(table), probe);
  ASSERT_EQ(drives.size(), 5u);
  const struct {
    const char* root;
    EDriveKind kind;
    const char* label;
  } want[] = {
      {"/", XDRIVE_FIXED, ""},
      {"/home", XDRIVE_FIXED, ""},  // mounted over again: the last mount counts
      {"/media/player/USB STICK", XDRIVE_REMOVABLE, ""},
      {"/media/cdrom", XDRIVE_CDROM, ""},
      {"/mnt/share", XDRIVE_REMOTE, ""},
  };
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(drives[i].m_Root, want[i].root);
    EXPECT_EQ(drives[i].m_Kind, want[i].kind) << want[i].root;
    EXPECT_EQ(drives[i].m_Label, want[i].label) << want[i].root;
  }
  const auto labelled = PlatformDrivesFromMounts(PlatformParseMounts("/dev/sda2 /data ext4 rw 0 0\n"), probe);
  ASSERT_EQ(labelled.size(), 2u);
  EXPECT_EQ(labelled[1].m_Label, "Data");
}

TEST(Drives, TheRootIsDriveCOfTheList) {
  CLList list;
  xAddDrives(&list, 'a', 'z');
  TNames all = Take(list);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0].rfind("/ (", 0), 0u) << all[0];
  EXPECT_EQ(all[0].back(), ')');
  xAddDrives(&list, 'C', 'C');
  EXPECT_EQ(Take(list), TNames{all[0]});
  xAddDrives(&list, 'A', 'B');
  EXPECT_TRUE(Take(list).empty());
  xAddDrives(nullptr, 'A', 'Z');
}
