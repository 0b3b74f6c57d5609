// The display over SDL2's video: the one window, its surface, cursors and clipboard. Only the
// video subsystem is started and stopped here, so the sound can run SDL's audio on its own.
#pragma once

#include "platform/display/display.h"

struct SDL_Window;

// Null when SDL's video cannot start (no display, or a driver that fails).
CDisplayBackend* PlatformCreateSdlDisplay();
// The SDL window of an SDL backend while its window is open; null for any other backend.
SDL_Window* PlatformSdlWindow(CDisplayBackend* backend);
