#include <gtest/gtest.h>

#include <string>

#include "ostrel/base/paths.h"

namespace {
std::string Take(char* s) {
  std::string r = s ? s : "<null>";
  String_Free(s);
  return r;
}

struct PathCase {
  const char* path;
  const char* fileName;
  const char* firstName;
  const char* extension;
  const char* folder;
};

const PathCase kPaths[] = {
    {"c:\\games\\poker.exe", "poker.exe", "poker", "exe", "c:\\games"},
    {"c:/games/poker.exe", "poker.exe", "poker", "exe", "c:/games"},
    {"a", "a", "a", "", ""},
    {"dir/", "<null>", "<null>", "", "dir"},
    {"dir\\ ", "<null>", "<null>", "", "dir"},
    {"a b", "a", "a", "", ""},
    {"a.b c", "a.b", "a", "", ""},
    {"a.", "a.", "a", "<null>", ""},
    {"x/arch.tar.gz", "arch.tar.gz", "arch", "gz", "x"},
    {"/top", "top", "top", "", ""},
    {"", "<null>", "<null>", "", ""},
    {"dir.d/file", "file", "file", "", "dir.d"},
};
}  // namespace

TEST(Paths, ComponentsFromBothSeparatorStyles) {
  for (const auto& c : kPaths) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Take(String_FileName(c.path)), c.fileName);
    EXPECT_EQ(Take(String_FileNameFirstName(c.path)), c.firstName);
    EXPECT_EQ(Take(String_FileNameExtension(c.path)), c.extension);
    EXPECT_EQ(Take(String_FileNamePath(c.path)), c.folder);
  }
}

TEST(Paths, Merge) {
  struct Case {
    const char* dir;
    const char* file;
    const char* expected;
  } cases[] = {
      {"dir", "f", "dir/f"}, {"dir\\", "f", "dir\\f"}, {"", "f", "f"},
      {nullptr, "f", "f"},   {"  ", "f", "  f"},       {"dir/", "f", "dir/f"},
  };
  for (const auto& c : cases) EXPECT_EQ(Take(String_MergeDirectoryAndFile(c.dir, c.file)), c.expected);
}

TEST(Paths, SubDir) {
  struct Case {
    const char* dir;
    const char* sub;
    const char* expected;
  } cases[] = {
      {"a", "/b", "a/b"}, {"a", "\\b", "a/b"}, {"a/", "b", "a/b"}, {"a", " b", "a/b"},
      {"", "/b", "/b"},   {"a", "//b", "a//b"},
  };
  for (const auto& c : cases) EXPECT_EQ(Take(String_SubDir(c.dir, c.sub)), c.expected);
}

TEST(Paths, FullNameWithoutExtension) {
  EXPECT_EQ(Take(String_FullNameWithoutExtension("c:\\games\\poker.exe")), "c:\\games/poker");
  EXPECT_EQ(Take(String_FullNameWithoutExtension("poker.exe")), "poker");
  EXPECT_EQ(Take(String_FullNameWithoutExtension("games/")), "<null>");
}

TEST(Paths, ParentDir) {
  struct Case {
    const char* path;
    int32_t mode;
    const char* expected;
  } cases[] = {
      {"a/b/c", 0, "a/b"},      {"a/b/c", 1, "a"},        {"a\\b\\c", 0, "a\\b"},
      {"a/b/c/", 0, "a/b"},     {"a/b/c/ ", 0, "a/b"},    {"/abc", 0, "/"},
      {"abc", 0, "a"},          {"/a/b", 1, "/"},         {"   ", 0, "<null>"},
      {"", 1, "<null>"},        {"x/y/z/w", 1, "x/y"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Take(String_ParentDir(c.path, c.mode)), c.expected) << c.path << " mode " << c.mode;
  }
}
