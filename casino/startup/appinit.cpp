#include "casino/startup/appinit.h"

#include <cstdio>
#include <functional>

#include "casino/startup/clientgraphics.h"
#include "casino/startup/clientresources.h"
#include "casino/startup/leftovertables.h"
#include "casino/startup/programpath.h"
#include "casino/startup/screenmode.h"
#include "common/options/optionids.h"
#include "common/options/options.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/appname.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/otherwindows.h"
#include "ostrel/system/shell.h"
#include "ostrelcomm/commlib.h"
#include "platform/display/display.h"

namespace {
constexpr const char* kRelaunchFormat =
    "updateconf=silent=0,restart_app=%s,message=Failed to start in Full Screen Mode (DirectX) switching to Window "
    "Mode.";
constexpr const char* kUpdater = "update.exe";

// Runs work on the player's options as the option script names them, then saves them. 0 when
// the script or the options cannot be had, work fails, or the options cannot be saved.
int32_t WithScreenOptions(const std::function<bool(COptions&)>& work) {
  CResData names;
  if (!names.Load(SCREEN_OPTIONS_SCRIPT)) {
    xprintf("InitApplication: %s could not be loaded", SCREEN_OPTIONS_SCRIPT);
    return 0;
  }
  int32_t ok = 0;
  {
    COptions options(&names);
    ok = options.Load(nullptr, nullptr) && work(options) && options.Save();
    options.Exit();
  }
  names.Free();
  return ok;
}

// 1 with the mode read; full screen unless the option names window mode.
int32_t ReadScreenMode(bool& fullScreen) {
  return WithScreenOptions([&](COptions& options) {
    int32_t mode = 0;
    if (!options.GetLong(OPTION_DISPLAYMODE, &mode)) return false;
    fullScreen = mode != OPTION_WINDOWMODE;
    return true;
  });
}

int32_t StartError(const char* caption, const char* text) {
  PlatformDisplay()->ShowSystemMessage(caption, text);
  return 0;
}

// Full screen could not be had: the next start is windowed, and the updater restarts the
// client at once. Always 0.
int32_t RestartInWindowMode() {
  if (!WithScreenOptions([](COptions& options) { return options.SetLong(OPTION_DISPLAYMODE, OPTION_WINDOWMODE) != 0; }))
    xprintf("InitApplication: window mode could not be saved");
  char path[OWN_PROGRAM_PATH_MAX + 1];
  if (!xGetOwnProgramPath(path, sizeof path)) {
    xprintf("InitApplication: the program's own path is unknown; no restart");
    return 0;
  }
  char parameters[sizeof path + 160];
  std::snprintf(parameters, sizeof parameters, kRelaunchFormat, path);
  if (xExecuteFile(kUpdater, parameters) != 0) xprintf("InitApplication: %s could not be started", kUpdater);
  return 0;
}

void ShapeWindow(uint32_t style) {
  if (CScreenBase* screen = glb->m_pCurrentScreen) screen->SetScreenWindowProperties(style, -1, -1);
  // The debug screen keeps the window at the picture's size.
  if (!glb->m_DebugScreen) PlatformDisplay()->MaximizeWindow();
}

void SetWindowTitle() {
  CResData names;
  if (!names.Load(NAMES_SCRIPT)) {
    xprintf("InitApplication: %s could not be loaded; the window keeps its title", NAMES_SCRIPT);
    return;
  }
  if (const char* title = names.GetResString(STR_APPLICATION_TITLE)) xSetMainWindowTitle(title);
  names.Free();
}
}  // namespace

int32_t InitApplication(int32_t, char**) {
  SetApplicationName(" ");
  if (!xInit() || !xCommStartup(glb, sglb)) return 0;
  bool fullScreen = false;
  if (!ReadScreenMode(fullScreen)) return 0;
  const int32_t type = fullScreen ? SCREENTYPE_FULLSCREEN : SCREENTYPE_WINDOW;
  // A display without full-screen video lists no full-screen screen: that start failed too.
  if (!FindScreenMode(type))
    return fullScreen ? RestartInWindowMode() : StartError("Error: Display", "Couldn't set screenmode!");
  if (!OpenClientScreen(type)) {
    glb->m_pCurrentScreen = nullptr;
    return fullScreen ? RestartInWindowMode()
                      : StartError("Error: Minimum resolution", "Desktop display area is to small!");
  }
  DeleteLeftoverTableFiles();
  if (!LoadClientResources()) return 0;
  if (!fullScreen) ShapeWindow(GetClientSettings().m_WindowStyle);
  SetWindowTitle();
  SetupClientGraphics(GetMainResources());
  SetMinimumFrameTime(CLIENT_FRAME_TIME_MS);
  SetUpdateTime(CLIENT_FRAME_TIME_MS);
  return 1;
}

int32_t ExitApplication() {
  ReleaseClientGraphics();
  FreeClientResources();
  xCommClosedown();
  xExit();
  return 1;
}
