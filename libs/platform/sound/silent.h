// The device without output. It keeps every handle and setting as a real device would, so the
// sound objects above it behave the same, but nothing plays: voices are done as soon as they
// start, and started music has reached its end by the next DeliverEndNotices. The SDL device
// builds its output on this bookkeeping.
#pragma once

#include <string>
#include <vector>

#include "platform/sound/sound.h"

class CSilentSoundDevice : public CSoundDevice {
 public:
  CSilentSoundDevice();
  const char* Name() const override { return "silent"; }

  bool Startup() override { return true; }
  void Shutdown() override {}
  bool OpenOutput(int32_t rate, int32_t bits, int32_t channels) override;
  void CloseOutput() override;
  bool IsSilent() const override { return true; }
  const char* LastError() const override { return m_LastError.c_str(); }
  void SetMasterVolume(int32_t volume) override;
  int32_t GetMasterVolume() const override { return m_MasterVolume; }
  // MPEG audio becomes silence of the same length in the output format.
  bool DecodeToWave(const void* image, uint32_t size, void** wave, uint32_t* waveSize) override;

  TSoundHandle AllocateSample() override;
  void ReleaseSample(TSoundHandle sample) override;
  bool SetSampleFile(TSoundHandle sample, const void* wave, uint32_t size) override;
  void SetSampleVolume(TSoundHandle sample, int32_t volume) override;
  void SetSamplePan(TSoundHandle sample, int32_t pan) override;
  void SetSampleLoopCount(TSoundHandle sample, int32_t loops) override;
  void StartSample(TSoundHandle) override {}
  void StopSample(TSoundHandle) override {}
  void ResumeSample(TSoundHandle) override {}
  void EndSample(TSoundHandle) override {}
  int32_t SampleStatus(TSoundHandle sample) override;
  void SampleMsPosition(TSoundHandle sample, int32_t* total, int32_t* current) override;
  void SetSampleMsPosition(TSoundHandle, int32_t) override {}

  TSoundHandle OpenSequence(const void* midi, uint32_t size) override;
  TSoundHandle OpenStream(const char* path) override;
  void CloseMusic(TSoundHandle music) override;
  void StartMusic(TSoundHandle music) override;
  void PauseMusic(TSoundHandle) override {}
  void ResumeMusic(TSoundHandle) override {}
  void EndMusic(TSoundHandle) override {}
  int32_t MusicStatus(TSoundHandle music) override;
  void SetMusicVolume(TSoundHandle music, int32_t volume) override;
  int32_t GetMusicVolume(TSoundHandle music) override;
  void SetMusicLoopCount(TSoundHandle music, int32_t loops) override;
  int32_t GetMusicLoopCount(TSoundHandle music) override;
  void MusicMsPosition(TSoundHandle music, int32_t* total, int32_t* current) override;
  void SetMusicMsPosition(TSoundHandle music, int32_t ms) override;
  void SetMusicEndCallback(TSoundHandle music, TSoundEndFunc callback, void* user) override;
  void DeliverEndNotices() override;

 protected:
  static constexpr int kVoices = 16;
  static constexpr int kMusic = 16;

  struct SVoice {
    bool allocated = false;
    bool loaded = false;
    int32_t volume = 127;
    int32_t pan = 64;
    int32_t loops = 1;
    int32_t lengthMs = 0;
  };
  struct SMusic {
    bool open = false;
    bool stream = false;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    std::vector<uint8_t> owned;  // a stream's file
    int32_t volume = 127;
    int32_t loops = 1;
    int32_t lengthMs = 0;
    int32_t startMs = 0;
    TSoundEndFunc callback = nullptr;
    void* user = nullptr;
  };

  // Null for a handle that is not in use.
  SVoice* Voice(TSoundHandle sample);
  SMusic* Music(TSoundHandle music);
  void QueueEndNotice(TSoundHandle music);

  int32_t m_Rate = 0;
  int32_t m_Bits = 0;
  int32_t m_Channels = 0;
  int32_t m_MasterVolume = 127;
  std::string m_LastError;
  std::vector<SVoice> m_Voices;
  std::vector<SMusic> m_Music;

 private:
  std::vector<TSoundHandle> m_Ended;
};
