// Helpers of the sound tests: choosing SDL's audio driver before the output starts, the staged
// stock sounds, small wave files, and devices that refuse formats or never start.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sound/silent.h"
#include "platform/sound/soundfile.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

// SDL's dummy driver: no output, so the silent device stands in.
inline void UseDummyAudio() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

// SDL's disk driver writes the mixed output to a file, one buffer of 1024 frames every delayMs
// (a long delay keeps everything that starts playing for the length of a test).
inline void UseDiskAudio(const std::string& file, int delayMs) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
}

inline std::string StagedSound(const char* name) { return std::string(VORRIN_DIST_DIR "/sounds/") + name; }

// A 16-bit PCM wave of ms milliseconds holding one value (a flat level is easy to find again in
// the mixed output).
inline std::string FlatWave(uint32_t ms, int16_t value, uint32_t rate = 44100, uint16_t channels = 1) {
  std::vector<int16_t> pcm(static_cast<size_t>(rate) * ms / 1000 * channels, value);
  uint32_t size = 0;
  void* wave = SoundMakeWave(pcm.data(), static_cast<uint32_t>(pcm.size() * 2), rate, channels, 16, &size);
  std::string out(static_cast<const char*>(wave), size);
  ::operator delete(wave);
  return out;
}

// A format-0 MIDI file with one note.
inline std::string OneNoteMidi() {
  static const unsigned char kBytes[] = {
      'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 12,
      0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  return std::string(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
}

// A silent device that refuses formats, or any start at all, and counts its shut-downs.
class CFussySoundDevice : public CSilentSoundDevice {
 public:
  using TAccept = bool (*)(int32_t rate, int32_t bits, int32_t channels);
  explicit CFussySoundDevice(TAccept accept, bool starts = true) : m_Accept(accept), m_Starts(starts) {}
  const char* Name() const override { return "fussy"; }
  bool Startup() override { return m_Starts; }
  void Shutdown() override { ++m_Shutdowns; }
  bool OpenOutput(int32_t rate, int32_t bits, int32_t channels) override {
    m_Tried.push_back(std::to_string(rate) + "/" + std::to_string(bits) + "/" + std::to_string(channels));
    return m_Accept(rate, bits, channels) && CSilentSoundDevice::OpenOutput(rate, bits, channels);
  }

  std::vector<std::string> m_Tried;
  int m_Shutdowns = 0;

 private:
  TAccept m_Accept;
  bool m_Starts;
};
