// Application start and exit: from a bare process (globals created) to an open application
// window with the main resources loaded, and back.
#pragma once

#include <cstdint>

inline constexpr const char SCREEN_OPTIONS_SCRIPT[] = "xrs/optdef.xrs";
inline constexpr const char NAMES_SCRIPT[] = "xrs/common.xrs";
inline constexpr int32_t STR_APPLICATION_TITLE = 10001;
inline constexpr int32_t CLIENT_FRAME_TIME_MS = 20;

// 1 = ready; 0 = the program must end (the player was told why where there is something to say).
// A full-screen start that cannot have full screen switches the option to window mode and
// restarts the client in a window through the updater.
int32_t InitApplication(int32_t argc, char** argv);
// Safe after an InitApplication that failed half way. 1.
int32_t ExitApplication();
