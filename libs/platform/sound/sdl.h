// The device over SDL2 audio and SDL2_mixer: voices are mixer channels, music is the mixer's one
// music stream (MIDI through a General MIDI sound font, MPEG audio through the mixer's decoder).
// It starts only SDL's audio subsystem, so it works with or without a display. SDL's dummy
// driver counts as no output: the silent device then stands in.
#pragma once

#include <atomic>

#include "platform/sound/silent.h"

struct Mix_Chunk;
struct _Mix_Music;

class CSdlSoundDevice : public CSilentSoundDevice {
 public:
  CSdlSoundDevice();
  ~CSdlSoundDevice() override;
  const char* Name() const override { return "sdl"; }

  bool Startup() override;
  void Shutdown() override;
  bool OpenOutput(int32_t rate, int32_t bits, int32_t channels) override;
  void CloseOutput() override;
  bool IsSilent() const override { return false; }
  const char* LastError() const override;
  void SetMasterVolume(int32_t volume) override;
  bool DecodeToWave(const void* image, uint32_t size, void** wave, uint32_t* waveSize) override;

  void ReleaseSample(TSoundHandle sample) override;
  bool SetSampleFile(TSoundHandle sample, const void* wave, uint32_t size) override;
  void SetSampleVolume(TSoundHandle sample, int32_t volume) override;
  void SetSamplePan(TSoundHandle sample, int32_t pan) override;
  void StartSample(TSoundHandle sample) override;
  void StopSample(TSoundHandle sample) override;
  void ResumeSample(TSoundHandle sample) override;
  void EndSample(TSoundHandle sample) override;
  int32_t SampleStatus(TSoundHandle sample) override;
  void SampleMsPosition(TSoundHandle sample, int32_t* total, int32_t* current) override;
  void SetSampleMsPosition(TSoundHandle sample, int32_t ms) override;

  TSoundHandle OpenSequence(const void* midi, uint32_t size) override;
  TSoundHandle OpenStream(const char* path) override;
  void CloseMusic(TSoundHandle music) override;
  void StartMusic(TSoundHandle music) override;
  void PauseMusic(TSoundHandle music) override;
  void ResumeMusic(TSoundHandle music) override;
  void EndMusic(TSoundHandle music) override;
  int32_t MusicStatus(TSoundHandle music) override;
  void SetMusicVolume(TSoundHandle music, int32_t volume) override;
  void MusicMsPosition(TSoundHandle music, int32_t* total, int32_t* current) override;
  void SetMusicMsPosition(TSoundHandle music, int32_t ms) override;
  void DeliverEndNotices() override;

 private:
  struct SChannel {
    Mix_Chunk* chunk = nullptr;
    Mix_Chunk* part = nullptr;  // the rest of chunk after a seek, sharing its memory
    uint32_t offset = 0;        // bytes of chunk before part
    std::atomic<uint64_t> mixed{0};  // bytes mixed since the play began (audio thread)
  };

  TSoundHandle OpenMusicFrom(TSoundHandle music);
  void PlayChannel(TSoundHandle sample, uint32_t offset);
  void ApplyPan(TSoundHandle sample);
  void ApplyMusicVolume();
  void HaltMusic();
  void NoteNaturalEnd();
  void FreeChannel(int index);
  bool IsCurrent(TSoundHandle music) const { return music != 0 && music == m_Current; }

  bool m_SubsystemUp = false;
  bool m_Open = false;
  int32_t m_FrameBytes = 0;
  SChannel m_Mixer[kVoices];
  _Mix_Music* m_Tunes[kMusic] = {};
  TSoundHandle m_Current = 0;
};
