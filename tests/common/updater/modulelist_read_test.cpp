// Reading module lists: both forms from fixtures, the edge cases of the format, damaged and hostile
// lists, names that would leave the installation folder, and a quit request during the read.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "ostrel/system/sysservices.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"
#include "updatertest.h"

namespace {
class ModuleListRead : public ::testing::Test {
 protected:
  void SetUp() override { FVersion_SetQuietCallbacks(); }

  // Reads text as a module list.
  int32_t Read(CFVModuleHandler& h, const std::string& text, int32_t full = 1, int32_t packageKind = 1) {
    WriteWholeFile(m_Dir.File("list.lst"), text);
    return h.ReadModuleList(m_Dir.File("list.lst").c_str(), full, packageKind);
  }

  CTempDir m_Dir;
};

// A module chunk with the given name (as it stands in the text), mode, forced value and items.
std::string Module(const std::string& name, const std::string& mode, const std::string& must,
                   const std::string& items = "") {
  return "{ = module, " + name + "\n    Description = d\n    Classname = c\n    Mode = " + mode +
         "\n    MustDownload = " + must + "\n" + items + "}\n";
}

std::string FullFile(const std::string& name) {
  return "    File = TRUE, " + name + ", TRUE, 1, TRUE, 2, TRUE, " + name + ".zpk, TRUE, 3, TRUE, 4\n";
}

bool IsEmpty(CFVModuleHandler& h) { return DumpList(h).empty(); }
}  // namespace

TEST_F(ModuleListRead, FullFormFixture) {
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  EXPECT_EQ(DumpList(h),
            "N Client|The casino client and its libraries|client|modules/Client.bos|52000|305419896|1|1\n"
            "  F 1:casino 1:3735928559 1:120000 1:casino.zpk 1:16909060 1:60000\n"
            "  F 1:libcommon.so 1:4294967295 1:0 1:libcommon.so.zpk 1:1 1:4294967295\n"
            "  F 1:help/read me.htm 1:0 1:77 0:(null) 0:0 0:0\n"
            "  R xrs/common.xrs\n"
            "  R fonts/sans.xbf\n"
            "N Black Jack|Blackjack, one to five seats|game|(null)|-1|0|1|0\n"
            "  F 1:kavo.so 1:11 1:22 1:kavo.so.zpk 1:33 1:44\n"
            "  F 1:xrs/kavo.xrs 1:55 1:66 1:xrs/kavo.xrs.zpk 1:77 1:88\n"
            "  R XRS/Common.xrs\n"
            "I Shared|Scripts and fonts that every module reads|shared|(null)|-1|0|2|0\n"
            "  F 1:xrs/common.xrs 1:1000 1:2000 1:xrs/common.xrs.zpk 1:3000 1:4000\n"
            "  F 1:fonts/sans.xbf 1:5000 1:6000 1:fonts/sans.xbf.zpk 1:7000 1:8000\n"
            "casino|casino.new|1\n"
            "libcommon.so|libcommon.so.new|0\n"
            "ftp1.example.net|anonymous|guest@|/pub/casino|30|60\n"
            "ftp2.example.net|casino|secret|updates|-1|-1\n");
  EXPECT_EQ(h.GetNumModules(), 3);
  EXPECT_EQ(h.GetNumNormalFiles(), 7);
  EXPECT_EQ(h.GetNumIndirectFiles(), 3);
}

TEST_F(ModuleListRead, ShortFormFixtureDerivesPackageNames) {
  for (int32_t kind : {1, 0}) {
    CFVModuleHandler h;
    ASSERT_EQ(h.ReadModuleList(UpdaterData("short.lst").c_str(), 0, kind), 1);
    const std::string ext = kind ? ".bos" : ".zpk";
    EXPECT_EQ(DumpList(h),
              "N Client|The casino client and its libraries|client|packages/client.zpk|-1|0|1|1\n"
              "  F 1:casino 0:0 0:0 0:(null) 0:0 0:0\n"
              "  F 1:libcommon.so 0:0 0:0 0:(null) 0:0 0:0\n"
              "  R xrs/common.xrs\n"
              "N Black Jack|Blackjack, one to five seats|game|modules/Black_Jack" + ext + "|-1|0|1|0\n"
              "  F 1:kavo.so 0:0 0:0 0:(null) 0:0 0:0\n"
              "  F 1:xrs/kavo.xrs 0:0 0:0 0:(null) 0:0 0:0\n"
              "  R xrs/common.xrs\n"
              "I Shared|Scripts that every module reads|shared|modules/Shared" + ext + "|-1|0|2|0\n"
              "  F 1:xrs/common.xrs 0:0 0:0 0:(null) 0:0 0:0\n"
              "casino|casino.new|0\n");
  }
}

// The edge cases that the format leaves to the reader, each a small list and what it must give.
TEST_F(ModuleListRead, EdgeCases) {
  struct SCase {
    const char* m_pName;
    std::string m_Text;
    int32_t m_Full;
    int32_t m_Result;
    std::function<void(CFVModuleHandler&)> m_Check;
  };
  const std::vector<SCase> cases = {
      {"Indirect as the writer writes it", Module("S", "Indirect", "FALSE"), 1, 1,
       [](CFVModuleHandler& h) {
         ASSERT_TRUE(h.FindModule("S"));
         EXPECT_EQ(h.CurrModule_GetMode(), 2);
         EXPECT_EQ(h.FirstIndirectModule(), 1);
       }},
      {"Indirect in mixed case", Module("S", "iNdIrEcT", "FALSE"), 1, 1,
       [](CFVModuleHandler& h) { EXPECT_EQ(h.FirstIndirectModule(), 1); }},
      {"NORMAL in capitals", Module("A", "NORMAL", "FALSE"), 1, 1,
       [](CFVModuleHandler& h) { EXPECT_EQ(h.FirstNormalModule(), 1); }},
      {"MustDownload 1", Module("A", "Normal", "1"), 1, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("A");
         EXPECT_EQ(h.CurrModule_GetForceDownload(), 1);
       }},
      {"MustDownload 0", Module("A", "Normal", "0"), 1, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("A");
         EXPECT_EQ(h.CurrModule_GetForceDownload(), 0);
       }},
      {"MustDownload true in small letters", Module("A", "Normal", "true"), 1, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("A");
         EXPECT_EQ(h.CurrModule_GetForceDownload(), 1);
       }},
      {"MustDownload YES", Module("A", "Normal", "YES") + Module("B", "Normal", "TRUE"), 1, 0, nullptr},
      {"MustDownload 2", Module("A", "Normal", "2"), 1, 0, nullptr},
      {"Black Jack short form, .bos", Module("\"Black Jack\"", "Normal", "FALSE", "    File = kavo.so\n"), 0, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("black jack");
         EXPECT_STREQ(h.CurrModule_GetPackedFileName(), "modules/Black_Jack.bos");
         EXPECT_EQ(h.CurrModule_GetPackedFileSize(), -1);
         EXPECT_EQ(h.CurrModule_GetPackedFileCRC(), 0u);
       }},
      {"File of eleven values",
       Module("A", "Normal", "FALSE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, TRUE, 3, TRUE\n"), 1, 0,
       nullptr},
      {"File of twelve values and a comment",
       Module("A", "Normal", "FALSE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, TRUE, 3, TRUE, 4 ; x\n"), 1,
       1, [](CFVModuleHandler& h) { EXPECT_EQ(h.GetNumNormalFiles(), 1); }},
      {"IndFile in an INDIRECT module", Module("S", "INDIRECT", "FALSE", FullFile("a") + "    IndFile = a\n"), 1, 0,
       nullptr},
      {"second module of the same name in other case", Module("Poker", "Normal", "FALSE") + Module("POKER", "Indirect", "FALSE"),
       1, 0, nullptr},
      {"restart flag true in small letters", "restartfile = casino, casino.new, true\n", 1, 1,
       [](CFVModuleHandler& h) {
         const char* unpack = nullptr;
         int32_t full = 0;
         ASSERT_EQ(h.DoRestartFileExists("CASINO", &unpack, &full), 1);
         EXPECT_STREQ(unpack, "casino.new");
         EXPECT_EQ(full, 1);
       }},
      {"module without package in the full form", Module("A", "Normal", "FALSE"), 1, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("A");
         EXPECT_EQ(h.CurrModule_GetPackedFileName(), nullptr);
         EXPECT_EQ(h.CurrModule_GetPackedFileSize(), -1);
       }},
      {"PackedFileName in the short form",
       Module("A", "Normal", "FALSE", "    PackedFileName = \"pkg/a b.zpk\"\n"), 0, 1,
       [](CFVModuleHandler& h) {
         h.FindModule("A");
         EXPECT_STREQ(h.CurrModule_GetPackedFileName(), "pkg/a b.zpk");
       }},
      {"a file in two modules reads",
       Module("A", "Normal", "FALSE", FullFile("same.dll")) + Module("B", "Normal", "FALSE", FullFile("SAME.dll")), 1,
       1, [](CFVModuleHandler& h) { EXPECT_EQ(h.CheckConsistency(), 0); }},
      {"an empty list", "", 1, 1, [](CFVModuleHandler& h) { EXPECT_EQ(h.GetNumModules(), 0); }},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_pName);
    CFVModuleHandler h;
    ASSERT_EQ(Read(h, c.m_Text, c.m_Full), c.m_Result);
    if (!c.m_Result) {
      EXPECT_TRUE(IsEmpty(h));
    }
    if (c.m_Check) c.m_Check(h);
  }
}

// Damaged and hostile lists: the read fails with the diagnostic that names the cause, the list is
// left empty (also of what was read before the fault), and nothing beside the list file appears.
TEST_F(ModuleListRead, DamagedListsFailWholeWithTheirDiagnostic) {
  const std::string good = "restartfile = a, b, TRUE\n{ = FileFtps\n    ftp = s, l, p, d\n}\n" +
                           Module("Good", "Normal", "TRUE", FullFile("good.dll"));
  const std::string r = "CFVModuleHandler::ReadModuleList";
  struct SCase {
    std::string m_Text;
    std::string m_Diagnostic;
    int32_t m_Full;
  };
  const std::string bad12 = "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, TRUE, 3, TRUE, ";
  const std::vector<SCase> cases = {
      {"restartfile\n", r + " [restartfile]: Unable to read filename", 1},
      {"restartfile = a\n", r + " [restartfile]: Unable to read unpackfilename", 1},
      {"restartfile = a, b\n", r + " [restartfile]: Unable to read fullrestartflag", 1},
      {"restartfile = a, b, 1\n", r + " [restartfile]: fullrestartflag is invalid (not TRUE or FALSE)", 1},
      {"restartfile = ../a, b, TRUE\n", r + " [restartfile]: AddRestartFile function returned error", 1},
      {"{ = FileFtps\n    ftp\n}\n", r + " [FileFtps]: Unable to read ftpsitename", 1},
      {"{ = FileFtps\n    ftp = s\n}\n", r + " [FileFtps]: Unable to read ftp loginname", 1},
      {"{ = FileFtps\n    ftp = s, l\n}\n", r + " [FileFtps]: Unable to read ftp password", 1},
      {"{ = FileFtps\n    ftp = s, l, p\n}\n", r + " [FileFtps]: Unable to read ftp subdir", 1},
      {"{ = module\n}\n", r + " [module]: Unable to read modulename", 1},
      {"{ = module, A\n    Classname = c\n    Mode = Normal\n    MustDownload = TRUE\n}\n",
       r + " [module]: Unable to find Description (module: A)", 1},
      {"{ = module, A\n    Description = d\n    Mode = Normal\n    MustDownload = TRUE\n}\n",
       r + " [module]: Unable to find classname (module: A)", 1},
      {"{ = module, A\n    Description = d\n    Classname = c\n    MustDownload = TRUE\n}\n",
       r + " [module]: Unable to find Mode (module: A)", 1},
      {"{ = module, A\n    Description = d\n    Classname = c\n    Mode = Normal\n}\n",
       r + " [module]: Unable to find MustDownload (module: A)", 1},
      {Module("A", "Both", "TRUE"), r + " [module]: Mode for this module is invalid (module: A)", 1},
      {Module("A", "Normal", "maybe"), r + " [module]: MustDownload for this module is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    PackedFile = TRUE, a.bos, TRUE, 0x10, TRUE, 5\n"),
       r + " [reading PackedFile]: NormCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    PackedFile = TRUE, a.bos, TRUE, 16, TRUE, 2147483648\n"),
       r + " [reading PackedFile]: NormFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    PackedFile\n"), r + " [reading PackedFile]: NormName string is invalid (module: A)",
       1},
      {Module("A", "Normal", "TRUE", "    File\n"), r + " [adding files:File]: FileName string is invalid (module: A)", 0},
      {Module("A", "Normal", "TRUE", "    File = YES\n"),
       r + " [adding files:File]: HaveNormName string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE\n"),
       r + " [adding files:File]: NormName string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, 1\n"),
       r + " [adding files:File]: HaveNormCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, -1\n"),
       r + " [adding files:File]: NormCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 4294967296\n"),
       r + " [adding files:File]: NormCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, no\n"),
       r + " [adding files:File]: HaveNormFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 12abc\n"),
       r + " [adding files:File]: NormFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 2, X\n"),
       r + " [adding files:File]: HavePackedName string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE\n"),
       r + " [adding files:File]: PackedName string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, 0\n"),
       r + " [adding files:File]: HavePackedCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, TRUE, \"\"\n"),
       r + " [adding files:File]: PackedCRC string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", "    File = TRUE, a, TRUE, 1, TRUE, 2, TRUE, a.zpk, TRUE, 3, T\n"),
       r + " [adding files:File]: HavePackedFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", bad12 + "+4\n"),
       r + " [adding files:File]: PackedFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", bad12 + "{ 4, 5}\n"),
       r + " [adding files:File]: PackedFileSize string is invalid (module: A)", 1},
      {Module("A", "Normal", "TRUE", FullFile("a") + FullFile("A")),
       r + " [adding files:File]: AddNormalFile function returned error (module: A, file: A)", 1},
      {Module("A", "Indirect", "TRUE", "    IndFile = x\n"),
       r + " [adding files:IndFile]: A module marked as a indirect module contains indirect files, and this is not "
           "permitted (module: A)",
       1},
      {Module("A", "Normal", "TRUE", "    IndFile\n"),
       r + " [adding files:IndFile]: AddIndirectFile function returned error (module: A, file: )", 1},
      {Module("A", "Normal", "TRUE") + Module("a", "Normal", "TRUE"),
       r + " [module]: AddModule function returned error (module: a)", 1},
      {[] {
         std::string deep;
         for (int i = 0; i < 300; ++i) deep += "{ = module, n" + std::to_string(i) + "\n";
         return deep;
       }(),
       r + ": Unable to load from file to kcblPacket", 1},
      {Module("A", "Normal", "TRUE", "    IndFile = shared.xrs\n"),
       "CFVModuleHandler::ValidateModuleList: no INDIRECT module carries the indirect file (shared.xrs)", 1},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.m_Text);
    CFVModuleHandler h;
    int32_t result = -1;
    const std::string said = Diagnostics([&] { result = Read(h, good + c.m_Text, c.m_Full); });
    EXPECT_EQ(result, 0);
    EXPECT_NE(said.find(c.m_Diagnostic), std::string::npos) << said;
    EXPECT_TRUE(IsEmpty(h));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Dir.Path()), {}), 1);
  }
}

// Every place where a list names a local file refuses names that would leave the installation
// folder; the read fails whole. A value whose flag is FALSE is not a name and is not checked.
TEST_F(ModuleListRead, NamesThatLeaveTheFolderAreRefused) {
  const std::vector<std::string> unsafe = {"\"\"",     "/etc/passwd", "\"\\\\windows\\\\x\"", "C:/x",
                                           "c:x",      "../x",        "a/../../x",           "\"a\\\\..\\\\x\"",
                                           "..",       "\"a\\tb\"",   "\"a\\nb\""};
  // Each place, with @ where the name goes, and the form it is read in.
  const std::vector<std::pair<std::string, int32_t>> places = {
      {Module("@", "Normal", "FALSE"), 1},
      {Module("A", "Normal", "FALSE", "    File = TRUE, @, TRUE, 1, TRUE, 2, FALSE, \"\", FALSE, 0, FALSE, 0\n"), 1},
      {Module("A", "Normal", "FALSE", "    File = FALSE, \"\", FALSE, 0, FALSE, 0, TRUE, @, TRUE, 3, TRUE, 4\n"), 1},
      {Module("A", "Normal", "FALSE", "    File = @\n"), 0},
      {Module("A", "Normal", "FALSE", "    IndFile = @\n") + Module("S", "Indirect", "FALSE", "    File = @\n"), 0},
      {"restartfile = @, new, TRUE\n", 1},
      {"restartfile = old, @, TRUE\n", 1},
      {Module("A", "Normal", "FALSE", "    PackedFileName = @\n"), 0},
      {Module("A", "Normal", "FALSE", "    PackedFile = TRUE, @, TRUE, 1, TRUE, 2\n"), 1},
  };
  for (const auto& [place, full] : places) {
    for (const std::string& name : unsafe) {
      std::string text = place;
      for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, name);
      SCOPED_TRACE(text);
      CFVModuleHandler h;
      EXPECT_EQ(Read(h, text, full), 0);
      EXPECT_TRUE(IsEmpty(h));
    }
    // The same place with a plain name reads.
    std::string text = place;
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, "dir/plain.name");
    CFVModuleHandler h;
    EXPECT_EQ(Read(h, text, full), 1) << text;
  }
  // Registration leaves installed records without a packed name: a FALSE flag's value is not a name.
  CFVModuleHandler h;
  EXPECT_EQ(Read(h, Module("A", "Normal", "FALSE",
                           "    File = TRUE, a.dll, TRUE, 1, TRUE, 2, FALSE, ../../etc, FALSE, 0, FALSE, 0\n")),
            1);
}

TEST_F(ModuleListRead, MissingCallbackFailsWithoutOpeningTheFile) {
  WriteWholeFile(m_Dir.File("list.lst"), Module("A", "Normal", "TRUE"));
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_GE(inotify_add_watch(fd, m_Dir.File("list.lst").c_str(), IN_OPEN | IN_ACCESS), 0);
  auto events = [fd] {
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    return n > 0 ? n : 0;
  };
  for (const SCallbackClearer& c : kRequiredCallbacks) {
    SCOPED_TRACE(c.m_pName);
    FVersion_SetQuietCallbacks();
    CFVModuleHandler h;
    ASSERT_EQ(h.ReadModuleList(m_Dir.File("list.lst").c_str(), 1, 1), 1);  // a list that reads
    EXPECT_GT(events(), 0);
    c.m_Clear();
    EXPECT_EQ(h.ValidateCallbacks(), 0);
    EXPECT_EQ(h.ReadModuleList(m_Dir.File("list.lst").c_str(), 1, 1), 0);
    EXPECT_EQ(events(), 0);
    EXPECT_EQ(h.GetNumModules(), 0);
  }
  close(fd);
}

namespace {
// Asks to quit as soon as the list holds what stopAt wants.
class CQuittingHandler : public CFVModuleHandler {
 public:
  explicit CQuittingHandler(std::function<bool(CFVModuleHandler&)> stopAt) : m_StopAt(std::move(stopAt)) {}

 protected:
  int32_t QuitRequested() override { return m_StopAt(*this) ? 1 : 0; }

 private:
  std::function<bool(CFVModuleHandler&)> m_StopAt;
};
}  // namespace

TEST_F(ModuleListRead, QuitRequestStopsTheReadAndKeepsWhatWasRead) {
  // After the first module: restart files and sites were read before the modules, no file yet.
  CQuittingHandler afterModule([](CFVModuleHandler& h) { return h.GetNumModules() == 1; });
  EXPECT_EQ(afterModule.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 0);
  EXPECT_EQ(DumpList(afterModule),
            "N Client|The casino client and its libraries|client|modules/Client.bos|52000|305419896|1|1\n"
            "casino|casino.new|1\n"
            "libcommon.so|libcommon.so.new|0\n"
            "ftp1.example.net|anonymous|guest@|/pub/casino|30|60\n"
            "ftp2.example.net|casino|secret|updates|-1|-1\n");

  // In the second pass, after the first file.
  CQuittingHandler afterFile([](CFVModuleHandler& h) { return h.GetNumNormalFiles() == 1; });
  EXPECT_EQ(afterFile.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 0);
  EXPECT_EQ(afterFile.GetNumModules(), 3);
  EXPECT_EQ(afterFile.GetNumNormalFiles(), 1);
  EXPECT_EQ(afterFile.GetNumIndirectFiles(), 0);
}

// The runtime's own quit request, set before the read: nothing of the list is taken.
class ModuleListReadQuit : public CRuntimeTest {};

TEST_F(ModuleListReadQuit, UserQuitRequestStopsAtTheFirstItem) {
  FVersion_SetQuietCallbacks();
  CFVModuleHandler h;
  ASSERT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
  xSetUserWantToQuit(1);
  EXPECT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 0);
  EXPECT_EQ(DumpList(h), "");
  xSetUserWantToQuit(0);
  EXPECT_EQ(h.ReadModuleList(UpdaterData("full.lst").c_str(), 1, 1), 1);
}
