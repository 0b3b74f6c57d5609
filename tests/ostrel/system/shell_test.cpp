#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ostrel/system/folders.h"
#include "ostrel/system/shell.h"
#include "platform/modules/modules.h"
#include "platform/shell/cmdline.h"
#include "platform/shell/desktopentry.h"
#include "platform/shell/launchrecorder.h"
#include "support/tempdir.h"

namespace {
using TArgs = std::vector<std::string>;

// The file a started program writes, once it is there whole.
std::string AwaitFile(const std::string& path) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return ReadWholeFile(path);
}
}  // namespace

// The examples of Microsoft's description of how the C runtime parses a command line.
TEST(CommandLine, SplitsAsTheWindowsRuntimeDoes) {
  const struct {
    const char* text;
    TArgs args;
  } cases[] = {
      {R"("abc" d e)", {"abc", "d", "e"}},
      {R"(a\\b d"e f"g h)", {R"(a\\b)", "de fg", "h"}},
      {R"(a\\\"b c d)", {R"(a\"b)", "c", "d"}},
      {R"(a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
      {R"(a"b"" c d)", {R"(ab" c d)"}},
      {R"("ab\"c" "\\" d)", {R"(ab"c)", R"(\)", "d"}},
      {"  lead\tand  trail  ", {"lead", "and", "trail"}},
      {R"("" x "")", {"", "x", ""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlatformSplitCommandLine(c.text), c.args) << c.text;
  EXPECT_TRUE(PlatformSplitCommandLine(nullptr).empty());
}

TEST(ExecuteFile, StartsARealProgramWithItsQuotedArguments) {
  CTempDir dir;
  const std::string out = dir.File("args.txt");
  const std::string params = "args \"" + out + R"(" "two words" a\\\"b $HOME;rm "it's")";
  ASSERT_EQ(xExecuteFile((PlatformProgramFolder() + "/sysservices_child").c_str(), params.c_str()), 0);
  EXPECT_EQ(AwaitFile(out), "two words\na\\\"b\n$HOME;rm\nit's\n");
}

TEST(ExecuteFile, ExeNamesAreProgramsInTheWorkingFolder) {
  CTempDir dir;
  std::filesystem::create_symlink(PlatformProgramFolder() + "/sysservices_child", dir.File("helper"));
  CWorkingDir here(dir.Path());
  ASSERT_EQ(xExecuteFile("Helper.exe", "args out.txt 7"), 0);
  EXPECT_EQ(AwaitFile(dir.File("out.txt")), "7\n");
  EXPECT_EQ(xExecuteFile("missing.exe", ""), -1);
  EXPECT_EQ(xExecuteFile("", ""), -1);
  EXPECT_EQ(xExecuteFile(nullptr, nullptr), -1);
}

TEST(ExecuteFile, DocumentsAndAddressesGoToTheDesktopOpener) {
  CTempDir dir;
  WriteWholeFile(dir.File("Readme.TXT"), "x");
  // Executable but no program: documents on Windows-formatted media look like this.
  WriteWholeFile(dir.File("notes.htm"), "<html>");
  std::filesystem::permissions(dir.File("notes.htm"), std::filesystem::perms::owner_all);
  CWorkingDir here(dir.Path());
  CLaunchRecorder launcher;
  EXPECT_EQ(xExecuteFile("readme.txt", "ignored"), 0);
  EXPECT_EQ(xExecuteFile("notes.htm", ""), 0);
  EXPECT_EQ(xExecuteFile("mailto:player@example.com", ""), 0);
  EXPECT_EQ(launcher.m_Started, (std::vector<TArgs>{{"xdg-open", "Readme.TXT"},
                                                    {"xdg-open", "notes.htm"},
                                                    {"xdg-open", "mailto:player@example.com"}}));
  launcher.m_Missing.insert("xdg-open");
  EXPECT_EQ(xExecuteFile("readme.txt", ""), -1);
}

TEST(ShowURL, AddressesAreOneArgumentAndDotBackslashIsTheWorkingFolder) {
  CTempDir dir;
  std::filesystem::create_directory(dir.File("Help"));
  WriteWholeFile(dir.File("Help/License.htm"), "<HTML>");
  CWorkingDir here(dir.Path());
  CLaunchRecorder launcher;
  const std::string hostile = "http://example.com/?a=1&b=2;reboot $(id) `x`";
  EXPECT_EQ(xShowURL(hostile.c_str()), 1);
  EXPECT_EQ(xShowURL(".\\help\\license.htm"), 1);
  const std::string here_ = std::filesystem::current_path().string();
  EXPECT_EQ(launcher.m_Started,
            (std::vector<TArgs>{{"xdg-open", hostile}, {"xdg-open", here_ + "/Help/License.htm"}}));
  EXPECT_EQ(xShowURL(nullptr), 0);
  EXPECT_EQ(xShowURL(""), 0);
}

TEST(ShowURL, FallsBackToTheBrowsersOfTheEnvironment) {
  CLaunchRecorder launcher;
  launcher.m_Missing = {"xdg-open", "firefox"};
  setenv("BROWSER", "firefox --new-window %s::lynx", 1);
  EXPECT_EQ(xShowURL("http://vorrin.example/"), 1);
  EXPECT_EQ(launcher.m_Started, (std::vector<TArgs>{{"xdg-open", "http://vorrin.example/"},
                                                    {"firefox", "--new-window", "http://vorrin.example/"},
                                                    {"lynx", "http://vorrin.example/"}}));
  launcher.m_Missing.insert("lynx");
  EXPECT_EQ(xShowURL("http://vorrin.example/"), 0);
  unsetenv("BROWSER");
  EXPECT_EQ(xShowURL("http://vorrin.example/"), 0);
}

namespace {
// A Start menu in a temporary data folder, a program folder with awkward characters, and the
// casino's shortcut in it.
class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", m_Data.Path().c_str(), 1);
    char menu[XMAX_PATH];
    ASSERT_EQ(xGetStartMenuForUser(menu), 1);
    m_Menu = menu;
    m_Link = m_Menu + "\\Vorrin\\Vorrin Casino.lnk";
    m_File = m_Menu + "/Vorrin/Vorrin Casino.desktop";
  }

  void Write(const std::string& text) {
    std::filesystem::create_directories(m_Menu + "/Vorrin");
    WriteWholeFile(m_File, text);
  }
  std::string Target() {
    CDesktopEntry e;
    if (!e.Load(m_File)) return "(none)";
    TArgs args = e.ExecArgs();
    return args.empty() ? "" : args[0];
  }

  CTempDir m_Data;
  std::string m_Menu, m_Link, m_File;
  const std::string m_Folder = m_Data.Path() + "/Vorrin \"Casino\" $5 100%";
};

enum EState { NONE, POINTS, ELSEWHERE, DAMAGED };
}  // namespace

TEST_F(Shortcuts, FlagsAndResultsForEveryStartingState) {
  const std::string casino = m_Folder + "/casino";
  const struct {
    EState before;
    eShortCutFlags flags;
    eShortReturnFlags result;
    EState after;
  } cases[] = {
      {NONE, SHORTCUT_CHECK, SHORTCUT_FAILED, NONE},
      {NONE, SHORTCUT_UPDATE, SHORTCUT_FAILED, NONE},
      {NONE, SHORTCUT_CREATE_OR_UPDATE, SHORTCUT_DONE, POINTS},
      {POINTS, SHORTCUT_CHECK, SHORTCUT_ALREADY_POINTS, POINTS},
      {POINTS, SHORTCUT_UPDATE, SHORTCUT_DONE, POINTS},
      {POINTS, SHORTCUT_CREATE_OR_UPDATE, SHORTCUT_DONE, POINTS},
      {ELSEWHERE, SHORTCUT_CHECK, SHORTCUT_DONE, ELSEWHERE},
      {ELSEWHERE, SHORTCUT_UPDATE, SHORTCUT_DONE, POINTS},
      {ELSEWHERE, SHORTCUT_CREATE_OR_UPDATE, SHORTCUT_DONE, POINTS},
      {DAMAGED, SHORTCUT_CHECK, SHORTCUT_FAILED, DAMAGED},
      {DAMAGED, SHORTCUT_UPDATE, SHORTCUT_FAILED, DAMAGED},
      {DAMAGED, SHORTCUT_CREATE_OR_UPDATE, SHORTCUT_DONE, POINTS},
  };
  CDesktopEntry made;
  made.Parse("[Desktop Entry]\nType=Application\nName=Casino\n");
  made.SetExec({casino, "--lobby"});
  const std::string pointing = made.Text();
  const std::string elsewhere = "[Desktop Entry]\nType=Application\nName=Casino\nExec=/usr/bin/casino-old %U\n";
  for (const auto& c : cases) {
    std::filesystem::remove(m_File);
    if (c.before == POINTS) Write(pointing);
    if (c.before == ELSEWHERE) Write(elsewhere);
    if (c.before == DAMAGED) Write("not a desktop entry\n");
    const std::string old = ReadWholeFile(m_File);
    SCOPED_TRACE(::testing::Message() << "state " << c.before << " flags " << c.flags);
    EXPECT_EQ(xCreteOrUpdate_ShortCut(m_Link.c_str(), m_Folder.c_str(), "casino.exe", c.flags), c.result);
    switch (c.after) {
      case NONE: EXPECT_FALSE(std::filesystem::exists(m_File)); break;
      case POINTS: EXPECT_EQ(Target(), casino); break;
      case ELSEWHERE:
      case DAMAGED: EXPECT_EQ(ReadWholeFile(m_File), old); break;
    }
    if (c.before == POINTS) {
      EXPECT_EQ(ReadWholeFile(m_File), old) << "a shortcut in place is left alone";
    }
  }
}

TEST_F(Shortcuts, UpdatesKeepWhatTheyDoNotTouch) {
  Write("# made by hand\n[Desktop Entry]\nName=Vorrin Casino\nIcon=vorrin\nExec=/old/lobby\nPath=/old\n"
        "[Desktop Action Lobby]\nExec=/old/lobby --now\n");
  ASSERT_EQ(xCreteOrUpdate_ShortCut(m_Link.c_str(), m_Folder.c_str(), "casino.exe", SHORTCUT_UPDATE), SHORTCUT_DONE);
  CDesktopEntry e;
  ASSERT_TRUE(e.Load(m_File));
  std::string v;
  EXPECT_TRUE(e.Get("Icon", v) && v == "vorrin");
  EXPECT_TRUE(e.Get("Path", v) && v == m_Folder);
  EXPECT_EQ(e.ExecArgs(), (TArgs{m_Folder + "/casino"}));
  EXPECT_NE(ReadWholeFile(m_File).find("# made by hand\n"), std::string::npos);
  EXPECT_NE(ReadWholeFile(m_File).find("[Desktop Action Lobby]\nExec=/old/lobby --now\n"), std::string::npos);
}

TEST_F(Shortcuts, NewShortcutsAreCompleteEntries) {
  const std::string link = m_Menu + "\\Vorrin\\Vorrin Casino Installer.lnk";
  ASSERT_EQ(xCreteOrUpdate_ShortCut(link.c_str(), "/opt/vorrin", "install.exe", SHORTCUT_CREATE_OR_UPDATE),
            SHORTCUT_DONE);
  EXPECT_EQ(ReadWholeFile(m_Menu + "/Vorrin/Vorrin Casino Installer.desktop"),
            "[Desktop Entry]\nVersion=1.0\nName=Vorrin Casino Installer\nType=Application\nTerminal=false\n"
            "Exec=\"/opt/vorrin/install\"\nPath=/opt/vorrin\n");
  // A program name inside a folder name does not count as pointing at it.
  EXPECT_EQ(xCreteOrUpdate_ShortCut(link.c_str(), "/opt/install", "vorrin.exe", SHORTCUT_CHECK), SHORTCUT_DONE);
  EXPECT_EQ(xCreteOrUpdate_ShortCut(link.c_str(), "/elsewhere", "INSTALL.EXE", SHORTCUT_CHECK),
            SHORTCUT_ALREADY_POINTS);
  // A document opens through the desktop's opener.
  ASSERT_EQ(xCreteOrUpdate_ShortCut(link.c_str(), "/opt/vorrin", "help\\index.htm", SHORTCUT_UPDATE), SHORTCUT_DONE);
  CDesktopEntry e;
  ASSERT_TRUE(e.Load(m_Menu + "/Vorrin/Vorrin Casino Installer.desktop"));
  EXPECT_EQ(e.ExecArgs(), (TArgs{"xdg-open", "/opt/vorrin/help/index.htm"}));
  EXPECT_EQ(xCreteOrUpdate_ShortCut(link.c_str(), "/x", "HELP\\INDEX.HTM", SHORTCUT_CHECK), SHORTCUT_ALREADY_POINTS);
  EXPECT_EQ(xCreteOrUpdate_ShortCut(nullptr, "/x", "a.exe", SHORTCUT_CHECK), SHORTCUT_FAILED);
}

TEST(StartMenu, FoldersFollowTheDesktopRules) {
  CTempDir data;
  setenv("XDG_DATA_HOME", (data.Path() + "/fresh").c_str(), 1);
  setenv("XDG_DATA_DIRS", "relative/ignored:/opt/share:/usr/share", 1);
  char path[XMAX_PATH];
  ASSERT_EQ(xGetStartMenuForUser(path), 1);
  EXPECT_EQ(std::string(path), data.Path() + "/fresh/applications");
  EXPECT_TRUE(std::filesystem::is_directory(path)) << "made when missing";
  ASSERT_EQ(xGetStartMenuForAllUsers(path), 1);
  EXPECT_STREQ(path, "/opt/share/applications");
  setenv("XDG_DATA_HOME", ("/" + std::string(XMAX_PATH, 'x')).c_str(), 1);
  EXPECT_EQ(xGetStartMenuForUser(path), 0) << "a path that does not fit is not cut";
  EXPECT_EQ(xGetStartMenuForAllUsers(nullptr), 0);
}

TEST(DesktopEntry, ExecQuotingRoundTrips) {
  CDesktopEntry e;
  ASSERT_TRUE(e.Parse("[Desktop Entry]\n"));
  const TArgs args{"/a b/\"c\"", "$HOME", "`x`", "back\\slash", "100%", "new\nline", " lead"};
  e.SetExec(args);
  CDesktopEntry again;
  ASSERT_TRUE(again.Parse(e.Text()));
  EXPECT_EQ(again.ExecArgs(), args);
  // The four backslashes the desktop rules ask for a literal one in a quoted argument.
  EXPECT_NE(e.Text().find("\"back\\\\\\\\slash\""), std::string::npos) << e.Text();
  ASSERT_TRUE(again.Parse("[Other]\nExec=no\n[Desktop Entry]\nExec = prog %f --x=%% \"two words\" %U\n"));
  EXPECT_EQ(again.ExecArgs(), (TArgs{"prog", "--x=%", "two words"}));
  EXPECT_FALSE(again.Parse("Exec=prog\n"));
  // An indented group header is one all the same: new keys go into it.
  ASSERT_TRUE(again.Parse("X=1\n  [Desktop Entry]\nName=a\n"));
  again.SetExec({"b"});
  EXPECT_EQ(again.Text(), "X=1\n  [Desktop Entry]\nName=a\nExec=\"b\"\n");
}
