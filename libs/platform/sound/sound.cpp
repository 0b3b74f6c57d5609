#include "platform/sound/sound.h"

#include "platform/sound/sdl.h"
#include "platform/sound/silent.h"

namespace {
CSoundDevice* g_Installed = nullptr;
}  // namespace

CSoundDevice* PlatformSdlSound() {
  static CSdlSoundDevice device;
  return &device;
}

CSoundDevice* PlatformSilentSound() {
  static CSilentSoundDevice device;
  return &device;
}

CSoundDevice* PlatformSound() { return g_Installed ? g_Installed : PlatformSdlSound(); }

void PlatformSetSound(CSoundDevice* device) { g_Installed = device; }
