#include "ostrel/sound/miles.h"

#include "ostrel/sound/milesfile.h"
#include "ostrel/sound/soundstate.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"

namespace {
struct SOutputFormat {
  int32_t rate;
  int32_t bits;
  int32_t channels;
};

// Tried in this order; the first the output accepts is kept.
constexpr SOutputFormat kFormats[] = {
    {44100, 16, 2}, {32000, 16, 2}, {22050, 16, 2}, {11025, 16, 2}, {11025, 8, 2},
};
constexpr int32_t kFormatCount = static_cast<int32_t>(sizeof kFormats / sizeof kFormats[0]);

// Lets the last sounds ring out before the output closes.
constexpr uint32_t kShutdownTail = 500;

bool OpenOutput(CSoundDevice* device, SSoundState& s) {
  if (!device || !device->Startup()) return false;
  for (int32_t i = 0; i < kFormatCount; ++i) {
    if (device->OpenOutput(kFormats[i].rate, kFormats[i].bits, kFormats[i].channels)) {
      s.format = i;
      return true;
    }
  }
  device->Shutdown();
  return false;
}

void StartSound(SSoundState& s) {
  if (s.disabled) {
    xprintf("CMiles: sound is switched off\n");
    return;
  }
  CSoundDevice* device = PlatformSound();
  if (!OpenOutput(device, s)) {
    xprintf("CMiles: no sound output on '%s'; going on silently\n", device ? device->Name() : "none");
    device = PlatformSilentSound();
    if (!OpenOutput(device, s)) return;
  }
  s.device = device;
  s.available = 1;
  s.handleCount = 0;
  for (int32_t i = 0; i < MILES_SAMPLE_HANDLES; ++i) {
    const TSoundHandle h = device->AllocateSample();
    if (!h) break;
    s.handles[s.handleCount] = h;
    s.holders[s.handleCount] = nullptr;
    ++s.handleCount;
  }
}

void StopSound(SSoundState& s) {
  if (!s.available) return;
  if (!s.device->IsSilent()) xSleep(kShutdownTail);
  for (int32_t i = 0; i < s.handleCount; ++i) {
    s.device->ReleaseSample(s.handles[i]);
    s.handles[i] = 0;
    s.holders[i] = nullptr;
  }
  s.handleCount = 0;
  s.device->CloseOutput();
  s.device->Shutdown();
  s.device = nullptr;
  s.available = 0;
  s.format = -1;
}
}  // namespace

SSoundState& xSoundState() {
  static SSoundState state;
  return state;
}

CSoundDevice* xSoundDevice() {
  SSoundState& s = xSoundState();
  return s.available ? s.device : nullptr;
}

void xSetNoSound(int32_t on) { xSoundState().disabled = on ? 1 : 0; }
int32_t xGetNoSound() { return xSoundState().disabled; }

CMiles::CMiles() : m_pFile(new CMilesFile) {
  SSoundState& s = xSoundState();
  if (s.milesCount++ == 0) StartSound(s);
}

CMiles::~CMiles() {
  delete m_pFile;
  SSoundState& s = xSoundState();
  if (--s.milesCount == 0) StopSound(s);
}

const char* CMiles::GetLastError() {
  CSoundDevice* device = xSoundDevice();
  return device ? device->LastError() : nullptr;
}

int32_t CMiles::Load(const char* name) { return xSoundDevice() ? m_pFile->Load(name) : 0; }

int32_t CMiles::SetMasterVolume(int32_t volume) {
  CSoundDevice* device = xSoundDevice();
  if (!device) return 0;
  device->SetMasterVolume(SoundClamp127(volume / 2));
  return 1;
}

int32_t CMiles::GetMasterVolume() {
  CSoundDevice* device = xSoundDevice();
  return device ? device->GetMasterVolume() * 2 : 0;
}

int32_t CMiles::GetRate() {
  const int32_t f = xSoundState().format;
  return f >= 0 ? kFormats[f].rate : 0;
}

int32_t CMiles::GetBits() {
  const int32_t f = xSoundState().format;
  return f >= 0 ? kFormats[f].bits : 0;
}

int32_t CMiles::GetChannels() {
  const int32_t f = xSoundState().format;
  return f >= 0 ? kFormats[f].channels : 0;
}

int32_t CMiles::IsSoundAvailable() { return xSoundState().available; }
