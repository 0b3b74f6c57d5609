// Writing module lists: the writer's exact text, round trips through the reader, and failed writes
// that leave both the file and the list in memory alone.
#include <gtest/gtest.h>

#include <string>

#include "common/updater/fversioncallbacks.h"
#include "support/tempdir.h"
#include "updatertest.h"

namespace {
class ModuleListWrite : public ::testing::Test {
 protected:
  void SetUp() override { FVersion_SetQuietCallbacks(); }

  std::string Written(CFVModuleHandler& h, int32_t full) {
    const std::string path = m_Dir.File("out.lst");
    EXPECT_EQ(h.WriteModuleList(path.c_str(), full), 1);
    return ReadWholeFile(path);
  }

  CTempDir m_Dir;
};
}  // namespace

TEST_F(ModuleListWrite, TextEqualsTheGoldenFiles) {
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  EXPECT_EQ(Written(h, 1), ReadWholeFile(UpdaterData("full.golden.lst")));
  // Any value but 1 is the short form; the package keeps its full layout there.
  EXPECT_EQ(Written(h, 0), ReadWholeFile(UpdaterData("short.golden.lst")));
  EXPECT_EQ(Written(h, 2), ReadWholeFile(UpdaterData("short.golden.lst")));
}

TEST_F(ModuleListWrite, FullFormReadsBackTheSame) {
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  Written(h, 1);
  CFVModuleHandler again;
  ASSERT_EQ(again.ReadModuleList(m_Dir.File("out.lst").c_str(), 1, 0), 1);
  EXPECT_EQ(DumpList(again), DumpList(h));
  // The module without a package still has none.
  ASSERT_EQ(again.FindModule("Black Jack"), 1);
  EXPECT_EQ(again.CurrModule_GetPackedFileSize(), -1);
  EXPECT_EQ(again.CurrModule_GetPackedFileName(), nullptr);
}

// Values at their limits and texts that the KCBL text must quote or escape.
TEST_F(ModuleListWrite, AwkwardValuesReadBackTheSame) {
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule("Odd, \"quoted\"; name = x", "Line one\nline \"two\"\t\\ end", "", "pkg/a b.bos", 0,
                        0xFFFFFFFFu, 1, 1),
            1);
  ASSERT_EQ(h.AddModule("Shared", nullptr, nullptr, nullptr, 5, 5, 2, 0), 1);
  ASSERT_EQ(h.AddNormalFile("Odd, \"quoted\"; name = x", 1, "{braces} and ; semicolons", 1, 0xFFFFFFFFu, 1, 0, 0,
                            "ignored", 0, 7, 0, 8),
            1);
  ASSERT_EQ(h.AddNormalFile("Odd, \"quoted\"; name = x", 0, nullptr, 0, 0, 1, 12, 1, "only/packed.zpk", 1, 0, 1,
                            0xFFFFFFFFu),
            1);
  ASSERT_EQ(h.AddIndirectFile("Odd, \"quoted\"; name = x", "shared file.xrs"), 1);
  ASSERT_EQ(h.AddNormalFile("Shared", 1, "Shared File.XRS", 1, 1, 1, 1, 1, "s.zpk", 1, 1, 1, 1), 1);
  ASSERT_EQ(h.AddRestartFile("a b", "c,d", 1), 1);
  ASSERT_EQ(h.AddFtpSite("ftp.example.net", "", "p@ss, word", "/", -1, 2147483647), 1);
  Written(h, 1);
  CFVModuleHandler again;
  ASSERT_EQ(again.ReadModuleList(m_Dir.File("out.lst").c_str(), 1, 1), 1);
  // Values whose flag is FALSE are written empty or 0; absent texts come back empty.
  EXPECT_EQ(DumpList(again),
            "N Odd, \"quoted\"; name = x|Line one\nline \"two\"\t\\ end||pkg/a b.bos|0|4294967295|1|1\n"
            "  F 1:{braces} and ; semicolons 1:4294967295 1:0 0:(null) 0:0 0:0\n"
            "  F 0:(null) 0:0 1:12 1:only/packed.zpk 1:0 1:4294967295\n"
            "  R shared file.xrs\n"
            "I Shared|||(null)|-1|0|2|0\n"
            "  F 1:Shared File.XRS 1:1 1:1 1:s.zpk 1:1 1:1\n"
            "a b|c,d|1\n"
            "ftp.example.net||p@ss, word|/|-1|2147483647\n");
}

// The short form keeps names, modes and flags. It has no item for a package name without package
// data (the writer writes the package only when its size is known), so a given PackedFileName
// comes back derived from the module name.
// A text that starts with ";" is a comment to the typed items, and the reader drops comments: the
// writer keeps such values texts, so the list reads back whole.
TEST_F(ModuleListWrite, TextsStartingWithASemicolonReadBack) {
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule(";odd", ";desc", ";class", ";pkg.bos", 3, 4, 1, 0), 1);
  ASSERT_EQ(h.AddNormalFile(";odd", 1, ";file", 1, 1, 1, 2, 1, ";file.zpk", 1, 3, 1, 4), 1);
  ASSERT_EQ(h.AddRestartFile(";r", ";u", 0), 1);
  ASSERT_EQ(h.AddFtpSite(";s", ";l", ";p", ";d", 1, 2), 1);
  for (int32_t full : {1, 0}) {
    Written(h, full);
    CFVModuleHandler again;
    ASSERT_EQ(again.ReadModuleList(m_Dir.File("out.lst").c_str(), full, 1), 1) << ReadWholeFile(m_Dir.File("out.lst"));
    if (full) {
      EXPECT_EQ(DumpList(again), DumpList(h));
    }
  }
  EXPECT_EQ(DumpList(h),
            "N ;odd|;desc|;class|;pkg.bos|3|4|1|0\n  F 1:;file 1:1 1:2 1:;file.zpk 1:3 1:4\n;r|;u|0\n;s|;l|;p|;d|1|2\n");
}

TEST_F(ModuleListWrite, ShortFormReadsBackItsNames) {
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("short.lst").c_str(), 0, 1), 1);
  Written(h, 0);
  CFVModuleHandler again;
  ASSERT_EQ(again.ReadModuleList(m_Dir.File("out.lst").c_str(), 0, 1), 1);
  std::string expected = DumpList(h);
  expected.replace(expected.find("packages/client.zpk"), 19, "modules/Client.bos");
  EXPECT_EQ(DumpList(again), expected);
}

// A write that cannot be done leaves the file as it was and the list as it was.
TEST_F(ModuleListWrite, FailedWritesChangeNothing) {
  const std::string path = m_Dir.File("out.lst");
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  const std::string before = DumpList(h);
  WriteWholeFile(path, "old text\n");

  kRequiredCallbacks[7].m_Clear();
  EXPECT_EQ(h.WriteModuleList(path.c_str(), 1), 0);
  FVersion_SetQuietCallbacks();

  // A list that does not validate: a reference no INDIRECT module carries.
  ASSERT_EQ(h.AddIndirectFile("Client", "missing.xrs"), 1);
  const std::string invalid = DumpList(h);
  EXPECT_EQ(h.WriteModuleList(path.c_str(), 1), 0);
  EXPECT_EQ(DumpList(h), invalid);
  ASSERT_EQ(h.RemoveIndirectFile("Client", "missing.xrs"), 1);

  // The short form cannot name a file that has only a packed name.
  ASSERT_EQ(h.AddNormalFile("Client", 0, nullptr, 0, 0, 0, 0, 1, "only.zpk", 0, 0, 0, 0), 1);
  const std::string packedOnly = DumpList(h);
  EXPECT_NE(Diagnostics([&] { EXPECT_EQ(h.WriteModuleList(path.c_str(), 0), 0); })
                .find("CFVModuleHandler::WriteModuleList (writing to " + path + "): Unable to create module Client"),
            std::string::npos);
  EXPECT_EQ(DumpList(h), packedOnly);
  ASSERT_EQ(h.RemoveNormalFile("Client", 0, nullptr, 1, "ONLY.zpk"), 1);
  EXPECT_EQ(ReadWholeFile(path), "old text\n");

  // A folder that does not exist.
  const std::string nowhere = m_Dir.File("no/such/folder/out.lst");
  EXPECT_NE(Diagnostics([&] { EXPECT_EQ(h.WriteModuleList(nowhere.c_str(), 1), 0); })
                .find("CFVModuleHandler::WriteModuleList: Unable to save kcblPacket to file (filename: " + nowhere + ")"),
            std::string::npos);
  EXPECT_EQ(DumpList(h), before);
  EXPECT_EQ(h.WriteModuleList(path.c_str(), 1), 1);
  EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(UpdaterData("full.golden.lst")));
}

TEST_F(ModuleListWrite, CursorsAndCurrentRecordsStay) {
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  h.FirstNormalModule();
  h.NextNormalModule();
  ASSERT_EQ(h.FindModule("Shared"), 1);
  ASSERT_EQ(h.FindFile("fonts/sans.xbf"), 1);
  Written(h, 1);
  EXPECT_STREQ(h.CurrModule_GetName(), "Shared");
  EXPECT_STREQ(h.NormalFile_GetNormalName(), "fonts/sans.xbf");
  h.FetchNormalModule();
  EXPECT_STREQ(h.CurrModule_GetName(), "Black Jack");
}
