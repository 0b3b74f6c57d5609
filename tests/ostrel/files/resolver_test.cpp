#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

TEST(Resolver, NormalizesWindowsNames) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"xrs\\Common.XRS", "xrs/Common.XRS"},
      {"C:\\games\\poker.exe", "/games/poker.exe"},
      {"d:rel\\x", "rel/x"},
      {"a\\\\b//c", "a/b/c"},
      {"", ""},
      {"1:x", "1:x"},  // only a letter makes a drive
  };
  for (const auto& c : cases) EXPECT_EQ(PlatformNormalizePath(c.in), c.out) << c.in;
  EXPECT_EQ(PlatformNormalizePath(nullptr), "");
}

TEST(Resolver, MatchesComponentsWithoutCase) {
  CTempDir dir;
  fs::create_directories(dir.File("xrs/Sub"));
  WriteWholeFile(dir.File("xrs/common.xrs"), "x");
  WriteWholeFile(dir.File("xrs/Sub/Pic.BMP"), "y");
  const std::string& d = dir.Path();
  EXPECT_EQ(PlatformResolvePath((d + "\\XRS\\Common.XRS").c_str()), d + "/xrs/common.xrs");
  EXPECT_EQ(PlatformResolvePath((d + "/xrs/sub/pic.bmp").c_str()), d + "/xrs/Sub/Pic.BMP");
  // A missing component keeps the rest as written, below the folders that do exist.
  EXPECT_EQ(PlatformResolvePath((d + "/XRS/New/File.txt").c_str()), d + "/xrs/New/File.txt");
  EXPECT_EQ(PlatformResolvePath((d + "/xrs/../XRS/./COMMON.xrs").c_str()), d + "/xrs/../xrs/./common.xrs");
}

TEST(Resolver, PrefersAnExactMatchAndIsDeterministicAmongOthers) {
  CTempDir dir;
  WriteWholeFile(dir.File("Data.txt"), "1");
  WriteWholeFile(dir.File("DATA.txt"), "2");
  EXPECT_EQ(PlatformResolvePath(dir.File("DATA.txt").c_str()), dir.File("DATA.txt"));
  EXPECT_EQ(PlatformResolvePath(dir.File("data.txt").c_str()), dir.File("DATA.txt"));  // byte-wise smallest
}

TEST(Resolver, CreateReusesAnExistingMatch) {
  CTempDir dir;
  WriteWholeFile(dir.File("readme.txt"), "old");
  ASSERT_EQ(xWriteFile(dir.File("README.TXT").c_str(), "new", 3), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("readme.txt")), "new");
  EXPECT_FALSE(fs::exists(dir.File("README.TXT")));
}

TEST(Resolver, FileExistsMeansAReadableRegularFile) {
  CTempDir dir;
  fs::create_directories(dir.File("folder"));
  WriteWholeFile(dir.File("file"), "x");
  EXPECT_EQ(xFileExists(dir.File("FILE").c_str()), 1);
  EXPECT_EQ(xFileExists(dir.File("folder").c_str()), 0);
  EXPECT_EQ(xFileExists(dir.File("none").c_str()), 0);
  EXPECT_EQ(xFileExists(nullptr), 0);
  CFile f;
  EXPECT_EQ(f.Open(dir.File("folder").c_str(), XFILE_READ), 0);  // a folder never opens
}

TEST(Resolver, RenameNeverReplaces) {
  CTempDir dir;
  WriteWholeFile(dir.File("a"), "A");
  WriteWholeFile(dir.File("b"), "B");
  EXPECT_EQ(xFileRename(dir.File("b").c_str(), dir.File("a").c_str()), 0);
  EXPECT_EQ(xFileRename(dir.File("B").c_str(), dir.File("a").c_str()), 0);  // same name, other case
  EXPECT_EQ(ReadWholeFile(dir.File("b")), "B");
  EXPECT_EQ(xFileRename(dir.File("c").c_str(), dir.File("A").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("c")), "A");
  EXPECT_FALSE(fs::exists(dir.File("a")));
  EXPECT_EQ(xFileDelete(dir.File("C").c_str()), 1);
  EXPECT_EQ(xFileDelete(dir.File("c").c_str()), 0);
}

TEST(Resolver, CreateDirsFollowsTheRealPath) {
  CTempDir dir;
  fs::create_directories(dir.File("Top"));
  // Absolute stays absolute, ".." is honoured, existing folders are reused whatever their case.
  ASSERT_EQ(xCreateDirsForFile((dir.Path() + "\\top\\x\\..\\y\\z\\file.txt").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir.File("Top/x")));
  EXPECT_TRUE(fs::is_directory(dir.File("Top/y/z")));
  EXPECT_FALSE(fs::exists(dir.File("top")));
  EXPECT_EQ(xCreateDirsForFile("plain.txt"), 1);  // no folder part
  WriteWholeFile(dir.File("blocker"), "");
  EXPECT_EQ(xCreateDirsForFile(dir.File("blocker/sub/f").c_str()), 0);
  // The working folder is never changed.
  char before[4096], after[4096];
  ASSERT_TRUE(getcwd(before, sizeof before));
  xCreateDirsForFile(dir.File("w/v/f").c_str());
  ASSERT_TRUE(getcwd(after, sizeof after));
  EXPECT_STREQ(before, after);
}

TEST(Resolver, SafeRelativeNames) {
  struct {
    const char* name;
    int32_t safe;
  } cases[] = {
      {"a.txt", 1},       {"dir/sub/f", 1}, {"dir\\f", 1},   {"..a/b..", 1}, {"./f", 1},
      {"", 0},            {"/etc/x", 0},    {"\\x", 0},      {"C:x", 0},     {"c:\\x", 0},
      {"..", 0},          {"../x", 0},      {"a/../../b", 0}, {"a\\..\\b", 0}, {"a/..", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(xIsSafeRelativePath(c.name), c.safe) << c.name;
  EXPECT_EQ(xIsSafeRelativePath(nullptr), 0);
}

TEST(Resolver, ReadOnlyFilesAreNotWritable) {
  CTempDir dir;
  WriteWholeFile(dir.File("ro"), "x");
  EXPECT_EQ(PlatformFileWritable(dir.File("RO").c_str()), 1);
  chmod(dir.File("ro").c_str(), 0444);
  EXPECT_EQ(PlatformFileWritable(dir.File("ro").c_str()), 0);
}

// Links inside the install folder may be followed; a link that leads out of it, or nowhere, may
// not, wherever it stands along the name.
TEST(Resolver, NamesStayInTheirFolderThroughLinks) {
  CTempDir dir;
  const std::string root = dir.File("install"), outside = dir.File("outside");
  fs::create_directories(root + "/games/Sub");
  fs::create_directories(outside);
  WriteWholeFile(root + "/games/file", "x");
  fs::create_directory_symlink(outside, root + "/out");
  fs::create_directory_symlink(root + "/games", root + "/in");
  fs::create_directory_symlink("../../outside", root + "/games/up");
  fs::create_symlink(outside + "/target", root + "/leaf");
  fs::create_symlink(root + "/games/file", root + "/leafin");
  fs::create_symlink(root + "/nowhere", root + "/dangling");
  struct {
    const char* name;
    int32_t stays;
  } cases[] = {
      {"new.bin", 1},        {"games/file", 1},   {"GAMES/sub/new", 1}, {"in/file", 1},     {"in/new/deeper", 1},
      {"leafin", 1},         {"out/x", 0},        {"OUT/x", 0},         {"out", 0},         {"in/up/x", 0},
      {"games/up/x", 0},     {"leaf", 0},         {"dangling", 0},      {"../outside/x", 0}, {"/etc/passwd", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(xStaysInFolder(root.c_str(), c.name), c.stays) << c.name;
  // Without a folder the working folder is the one.
  CWorkingDir work(root);
  EXPECT_EQ(xStaysInFolder(nullptr, "games/file"), 1);
  EXPECT_EQ(xStaysInFolder("", "out/x"), 0);
  EXPECT_EQ(xStaysInFolder(nullptr, nullptr), 0);
}
