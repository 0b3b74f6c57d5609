#include "platform/display/display.h"

#include <cstdlib>
#include <cstring>

#include "platform/display/headless.h"
#include "platform/display/sdl/sdldisplay.h"

namespace {
CDisplayBackend* g_Display = nullptr;
// Set while the backend in use is PlatformChooseDisplay's choice; g_Chosen is what it made (and
// PlatformReleaseDisplay frees), null when the choice fell on the headless one.
bool g_MadeChoice = false;
CDisplayBackend* g_Chosen = nullptr;

bool EnvIs(const char* name, const char* value) {
  const char* v = std::getenv(name);
  return v && std::strcmp(v, value) == 0;
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}
}  // namespace

CHeadlessDisplay* PlatformHeadless() {
  static CHeadlessDisplay headless;
  return &headless;
}

CDisplayBackend* PlatformHeadlessDisplay() { return PlatformHeadless(); }

CDisplayBackend* PlatformDisplay() { return g_Display ? g_Display : PlatformHeadlessDisplay(); }

void PlatformSetDisplay(CDisplayBackend* backend) {
  g_Display = backend;
  g_MadeChoice = false;
}

CDisplayBackend* PlatformChooseDisplay() {
  if (g_Display) return g_Display;
  CDisplayBackend* chosen = nullptr;
  if (!EnvIs("VORRIN_DISPLAY", "headless")) {
    // Without any sign of a display SDL is not asked: it would try the console's graphics.
    const bool display = EnvIs("VORRIN_DISPLAY", "sdl") || EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") ||
                         EnvSet("SDL_VIDEODRIVER");
    if (display) chosen = PlatformCreateSdlDisplay();
  }
  g_MadeChoice = true;
  g_Chosen = chosen;
  g_Display = chosen ? chosen : PlatformHeadlessDisplay();
  return g_Display;
}

void PlatformReleaseDisplay() {
  if (g_MadeChoice) g_Display = nullptr;
  delete g_Chosen;
  g_Chosen = nullptr;
  g_MadeChoice = false;
}

void PlatformPostQuit(int32_t code) {
  PlatformDisplay()->PostMessage({XMSG_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(code)), 0});
}
