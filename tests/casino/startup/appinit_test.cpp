// Application start and exit on the headless display, in a program folder of the test's own.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "casino/startup/clientresources.h"
#include "casino/startup/screenmode.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/screens/dxscreen.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "platform/display/headless.h"
#include "platform/modules/modules.h"
#include "support/casinotest.h"
#include "support/spawnedchild.h"

namespace {

// The option lines as the options file keeps them.
constexpr const char* kWindowMode = "OPT_DISPLAYMODE = 420100";
constexpr const char* kFullScreen = "OPT_DISPLAYMODE = 420101";

std::vector<std::string> RelaunchArguments() {
  const std::string text = "updateconf=silent=0,restart_app=" + PlatformProgramPath() +
                           ",message=Failed to start in Full Screen Mode (DirectX) switching to Window Mode.";
  std::vector<std::string> words{"./update"};
  size_t at = 0;
  while (at < text.size()) {
    const size_t blank = std::min(text.find(' ', at), text.size());
    words.push_back(text.substr(at, blank - at));
    at = blank + 1;
  }
  return words;
}

class AppInit : public CCasinoTest {
 protected:
  std::string Options() const { return ReadWholeFile(m_Folder.File("options.cfg")); }
  void WriteOptions(const std::string& line) const { m_Folder.Write("options.cfg", line + "\n"); }
  CScreenBase* Screen() const { return glb->m_pCurrentScreen; }
};

TEST_F(AppInit, AFirstStartIsWindowedWithTheScriptsLook) {
  ASSERT_EQ(StartClient(), 1);
  EXPECT_NE(Options().find(kWindowMode), std::string::npos) << Options();
  ASSERT_NE(Screen(), nullptr);
  EXPECT_EQ(Screen(), sglb->m_pDibScreen);
  const SVmode* mode = Screen()->GetActiveMode();
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->Width, 800);
  EXPECT_EQ(mode->Height, 600);
  EXPECT_EQ(mode->BitsPerPixel, 24);  // the desktop's 32, capped
  EXPECT_EQ(mode->WindowKind, VMODE_WINDOW);
  // Title bar and frame from the script, then maximised.
  EXPECT_EQ(Display().GetWindowStyle(), static_cast<uint32_t>(XWS_OVERLAPPEDWINDOW));
  EXPECT_TRUE(Display().IsWindowMaximized());
  EXPECT_EQ(Display().Title(), "Vorrin Casino");
  EXPECT_EQ(GetClientSettings().m_NetworkMaxTimeout, 2000u);
  EXPECT_EQ(GetClientSettings().m_MaxCreateTicks, 6000u);
  EXPECT_EQ(GetClientSettings().m_OfflineLog, 0);
  EXPECT_EQ(glb->m_MinimumFrameTime, 20);
  EXPECT_EQ(glb->m_UpdateTime, 20);
  EXPECT_EQ(glb->m_pMouse->GetNumCursors(), 3);
  // The icon: the chip's picture, its corners transparent.
  ASSERT_EQ(Display().IconWidth(), 48);
  ASSERT_EQ(Display().IconHeight(), 48);
  EXPECT_EQ(Display().IconPixels()[0], 0u);
  EXPECT_EQ(Display().IconPixels()[24 * 48 + 24] >> 24, 0xFFu);
}

TEST_F(AppInit, DataItemsMissingOrMistypedKeepTheirDefaults) {
  EditMainScript("NETWORKMAXTIMEOUT = 2000", "NETWORKMAXTIMEOUT = 77");
  EditMainScript("MAXCREATETICKS = 6000", "MAXCREATETICKS = soon");
  EditMainScript("OFFLINE_LOG = FALSE", "OFFLINE_LOG = TRUE");
  EditMainScript("WINDOW_FRAME = TRUE", "");
  ASSERT_EQ(StartClient(), 1);
  EXPECT_EQ(GetClientSettings().m_NetworkMaxTimeout, 77u);
  EXPECT_EQ(GetClientSettings().m_MaxCreateTicks, 6000u);
  EXPECT_EQ(GetClientSettings().m_OfflineLog, 1);
  EXPECT_EQ(GetClientSettings().m_WindowStyle, 1u);
  EXPECT_EQ(Display().GetWindowStyle(), static_cast<uint32_t>(XWS_CAPTION | XWS_SYSMENU | XWS_MINIMIZEBOX));
}

TEST_F(AppInit, TheDebugScreenKeepsTheWindowUnmaximised) {
  m_Folder.Write("mainclient_debugoptions.cfg", "debugscreen = on\n");
  glb->m_DebugScreen = 1;
  ASSERT_EQ(StartClient(), 1);
  EXPECT_FALSE(Display().IsWindowMaximized());
}

// A full-screen start that cannot have full screen, on a display without full-screen video (the
// headless default) and on one that lists it but refuses it.
class FullScreenRefused : public AppInit, public ::testing::WithParamInterface<bool> {
 protected:
  void ConfigureDisplay(CHeadlessDisplay& display) override {
    display.SetFullScreenVideo(GetParam());
    display.SetFullScreenFails(GetParam());
  }
};

TEST_P(FullScreenRefused, SwitchesToWindowModeAndRestartsThroughTheUpdater) {
  WriteOptions(kFullScreen);
  EXPECT_EQ(StartClient(), 0);
  EXPECT_NE(Options().find(kWindowMode), std::string::npos) << Options();
  ASSERT_EQ(m_pLaunches->m_Started.size(), 1u);
  EXPECT_EQ(m_pLaunches->m_Started[0], RelaunchArguments());
  EXPECT_TRUE(Display().SystemMessages().empty());

  // The restart comes up in a window.
  EXPECT_EQ(RestartClient(), 1);
  EXPECT_EQ(Screen(), sglb->m_pDibScreen);
  EXPECT_EQ(m_pLaunches->m_Started.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AppInit, FullScreenRefused, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "ListedButFailing" : "NotListed");
                         });

class FullScreenAvailable : public AppInit {
 protected:
  void ConfigureDisplay(CHeadlessDisplay& display) override { display.SetFullScreenVideo(true); }
};

TEST_F(FullScreenAvailable, AFullScreenOptionOpensTheFullScreenAt16Bits) {
  WriteOptions(kFullScreen);
  ASSERT_EQ(StartClient(), 1);
  EXPECT_EQ(Screen(), sglb->m_pDxScreen);
  EXPECT_EQ(Display().GetFullScreen(), EFullScreen::Desktop);
  // The full-screen screen reports no depth of its own.
  EXPECT_EQ(Screen()->GetActiveMode()->BitsPerPixel, 16);
  EXPECT_NE(Options().find(kFullScreen), std::string::npos);
  EXPECT_TRUE(m_pLaunches->m_Started.empty());
}

class NoHandCursor : public AppInit {
 protected:
  void ConfigureDisplay(CHeadlessDisplay& display) override {
    display.SetCursorAvailable(EDisplayCursor::Hand, false);
  }
};

TEST_F(NoHandCursor, TheFingerPictureStandsInForTheDesktopsHand) {
  ASSERT_EQ(StartClient(), 1);
  EXPECT_TRUE(Display().HasSystemCursor(EDisplayCursor::Hand));
  EXPECT_EQ(Display().CursorPictureWidth(EDisplayCursor::Hand), 32);
  EXPECT_EQ(Display().CursorPicture(EDisplayCursor::Hand)[0], 0u);  // the key is transparent
  EXPECT_EQ(glb->m_pMouse->GetFingerCursor(), EDisplayCursor::Hand);
}

TEST_F(AppInit, ADesktopWithAHandKeepsItsOwn) {
  ASSERT_EQ(StartClient(), 1);
  EXPECT_TRUE(Display().CursorPicture(EDisplayCursor::Hand).empty());
  EXPECT_EQ(glb->m_pMouse->GetFingerCursor(), EDisplayCursor::Hand);
}

class SmallDesktop : public AppInit {
 protected:
  void ConfigureDisplay(CHeadlessDisplay& display) override { display.SetDesktop(640, 480, 32); }
};

TEST_F(SmallDesktop, AWindowedStartSaysTheDesktopIsTooSmall) {
  EXPECT_EQ(StartClient(), 0);
  EXPECT_EQ(Display().SystemMessages(),
            std::vector<std::string>{"Error: Minimum resolution|Desktop display area is to small!"});
  EXPECT_EQ(Screen(), nullptr);
}

TEST_F(AppInit, FindScreenModeTakesOnlyAScreenOfTheTypeAsked) {
  StartRuntime();
  EXPECT_EQ(sglb->m_pDxScreen, nullptr);  // no full-screen video: the screen left the list
  EXPECT_EQ(FindScreenMode(SCREENTYPE_FULLSCREEN), 0);
  EXPECT_EQ(glb->m_pCurrentScreen, nullptr);
  EXPECT_EQ(FindScreenMode(SCREENTYPE_WINDOW), 1);
  EXPECT_EQ(glb->m_pCurrentScreen, sglb->m_pDibScreen);
  // Without a windowed screen a windowed start finds none.
  glb->m_pCurrentScreen = nullptr;
  glb->m_pScreenList->Unregister(sglb->m_pDibScreen);
  EXPECT_EQ(FindScreenMode(SCREENTYPE_WINDOW), 0);
  EXPECT_EQ(glb->m_pCurrentScreen, nullptr);
}

TEST_F(AppInit, LeftoverTableFilesGoAndNothingElse) {
  namespace fs = std::filesystem;
  for (const char* name : {"a.tab", "B.TAB", "keep.txt", "tab", "x.tab/inside.tab"}) m_Folder.Write(name, "t");
  fs::create_symlink(m_Folder.File("keep.txt"), m_Folder.File("link.tab"));
  ASSERT_EQ(StartClient(), 1);
  EXPECT_FALSE(fs::exists(m_Folder.File("a.tab")));
  EXPECT_FALSE(fs::exists(m_Folder.File("B.TAB")));
  for (const char* name : {"keep.txt", "tab", "x.tab/inside.tab", "link.tab"})
    EXPECT_TRUE(fs::exists(m_Folder.File(name))) << name;
}

TEST_F(AppInit, AnotherProgramFindsTheWindowByItsTitle) {
  ASSERT_EQ(StartClient(), 1);
  auto ask = [this](const std::string& title) {
    CSpawnedChild child;
    EXPECT_TRUE(child.StartProgram("sysservices_child", {"find", title}));
    std::string line;
    for (int pass = 0; pass < 500 && !child.TryReadLine(line, 5); ++pass) xHandler();
    child.Wait();
    return line;
  };
  EXPECT_EQ(ask("Vorrin Casino"), "found");
  EXPECT_EQ(ask("VORRIN CASINO"), "found");
  EXPECT_EQ(ask("Vorrin Casino Setup"), "missing");
}

TEST_F(AppInit, WithoutTheOptionScriptOrAReadableModeTheStartEnds) {
  std::filesystem::rename(m_Folder.File("xrs/optdef.xrs"), m_Folder.File("optdef.away"));
  EXPECT_EQ(StartClient(), 0);
  std::filesystem::rename(m_Folder.File("optdef.away"), m_Folder.File("xrs/optdef.xrs"));
  WriteOptions("OPT_DISPLAYMODE = window");
  EXPECT_EQ(RestartClient(), 0);
  EXPECT_EQ(Screen(), nullptr);
  WriteOptions("OPT_DISPLAYMODE = 420100");
  EXPECT_EQ(RestartClient(), 1);
}

TEST_F(AppInit, ADamagedOptionsFileGivesTheDefaultsAndIsWrittenAgain) {
  static constexpr char kDamaged[] = "\x01\xff{{{ = =\n\0garbage";
  m_Folder.Write("options.cfg", std::string(kDamaged, sizeof kDamaged - 1));
  ASSERT_EQ(StartClient(), 1);
  EXPECT_NE(Options().find(kWindowMode), std::string::npos) << Options();
  EXPECT_EQ(Screen(), sglb->m_pDibScreen);
}

TEST_F(AppInit, WithoutTheMainScriptTheStartEnds) {
  m_Folder.Remove("xrs/mc_main.xrs");
  EXPECT_EQ(StartClient(), 0);
  EXPECT_EQ(GetMainResources(), nullptr);
}

TEST_F(AppInit, ExitReleasesWhatTheStartMade) {
  ASSERT_EQ(StartClient(), 1);
  ASSERT_NE(GetMainResources(), nullptr);
  EXPECT_EQ(ExitApplication(), 1);
  EXPECT_EQ(GetMainResources(), nullptr);
  EXPECT_EQ(glb->m_pCurrentScreen, nullptr);
  EXPECT_EQ(glb->m_pMouse, nullptr);  // the runtime's objects went with xExit
  EXPECT_FALSE(Display().IsWindowOpen());
  // A second exit, as after a start that failed, does no harm.
  EXPECT_EQ(ExitApplication(), 1);
}

}  // namespace
