// The sound output behind one table of operations: sample voices, music (MIDI sequences and
// MPEG streams) and the master volume, in the units the sound objects use (volumes 0..127, pans
// 0 left, 64 centre, 127 right, loop count 0 for ever, positions in ms). A loop count takes
// effect when the voice or the music next starts. A silent device stands
// in when no output exists; nothing then plays and everything reports its end at once, so no
// caller ever waits on silence.
#pragma once

#include <cstdint>

// 0 is no handle.
using TSoundHandle = int32_t;

// Status of a voice or of music. Paused counts as playing.
enum : int32_t {
  SOUND_STATUS_FREE = 1,
  SOUND_STATUS_DONE = 2,
  SOUND_STATUS_PLAYING = 4,
  SOUND_STATUS_PAUSED = 8,
};

// Clamps to 0..127, the range of every volume and pan of the layer.
inline int32_t SoundClamp127(int32_t v) { return v < 0 ? 0 : v > 127 ? 127 : v; }

// Runs on the main thread, from DeliverEndNotices, for music that played to its end.
using TSoundEndFunc = void (*)(TSoundHandle music, void* user);

class CSoundDevice {
 public:
  virtual ~CSoundDevice() = default;
  virtual const char* Name() const = 0;

  // Brings the device up; false when it has no output at all.
  virtual bool Startup() = 0;
  virtual void Shutdown() = 0;
  // Opens the output in one format (rate in Hz, 8 or 16 bits, 1 or 2 channels); false when the
  // device refuses it.
  virtual bool OpenOutput(int32_t rate, int32_t bits, int32_t channels) = 0;
  // Stops everything and releases every handle.
  virtual void CloseOutput() = 0;
  // True when nothing reaches a listener (no reason to let a tail ring out).
  virtual bool IsSilent() const = 0;
  virtual const char* LastError() const = 0;
  virtual void SetMasterVolume(int32_t volume) = 0;
  virtual int32_t GetMasterVolume() const = 0;

  // Decodes compressed sound (MPEG audio) into a PCM wave image made with ::operator new (the
  // caller frees it with ::operator delete); false when it cannot.
  virtual bool DecodeToWave(const void* image, uint32_t size, void** wave, uint32_t* waveSize) = 0;

  // Sample voices. A voice plays a PCM wave image; the image is copied when it is set.
  virtual TSoundHandle AllocateSample() = 0;  // 0 when every voice is taken
  virtual void ReleaseSample(TSoundHandle sample) = 0;
  // Stops the voice and gives it the image with volume 127, centre pan and one play.
  virtual bool SetSampleFile(TSoundHandle sample, const void* wave, uint32_t size) = 0;
  virtual void SetSampleVolume(TSoundHandle sample, int32_t volume) = 0;
  virtual void SetSamplePan(TSoundHandle sample, int32_t pan) = 0;
  virtual void SetSampleLoopCount(TSoundHandle sample, int32_t loops) = 0;
  virtual void StartSample(TSoundHandle sample) = 0;  // from the beginning
  virtual void StopSample(TSoundHandle sample) = 0;   // pauses where it is
  virtual void ResumeSample(TSoundHandle sample) = 0;
  virtual void EndSample(TSoundHandle sample) = 0;
  virtual int32_t SampleStatus(TSoundHandle sample) = 0;
  virtual void SampleMsPosition(TSoundHandle sample, int32_t* total, int32_t* current) = 0;
  virtual void SetSampleMsPosition(TSoundHandle sample, int32_t ms) = 0;

  // Music: a standard MIDI image (which must outlive the handle) or an MPEG audio file. One
  // piece plays at a time; starting another ends the one that plays.
  virtual TSoundHandle OpenSequence(const void* midi, uint32_t size) = 0;
  virtual TSoundHandle OpenStream(const char* path) = 0;
  virtual void CloseMusic(TSoundHandle music) = 0;
  virtual void StartMusic(TSoundHandle music) = 0;  // from the position set, else the beginning
  virtual void PauseMusic(TSoundHandle music) = 0;
  virtual void ResumeMusic(TSoundHandle music) = 0;
  virtual void EndMusic(TSoundHandle music) = 0;
  virtual int32_t MusicStatus(TSoundHandle music) = 0;
  virtual void SetMusicVolume(TSoundHandle music, int32_t volume) = 0;
  virtual int32_t GetMusicVolume(TSoundHandle music) = 0;
  virtual void SetMusicLoopCount(TSoundHandle music, int32_t loops) = 0;
  virtual int32_t GetMusicLoopCount(TSoundHandle music) = 0;
  virtual void MusicMsPosition(TSoundHandle music, int32_t* total, int32_t* current) = 0;
  virtual void SetMusicMsPosition(TSoundHandle music, int32_t ms) = 0;
  virtual void SetMusicEndCallback(TSoundHandle music, TSoundEndFunc callback, void* user) = 0;
  // Runs the end callbacks of music that reached its end since the last call.
  virtual void DeliverEndNotices() = 0;
};

// The device the sound objects start with: the installed one, else the SDL device.
CSoundDevice* PlatformSound();
// Installs a device (null returns to the SDL device). The caller keeps ownership.
void PlatformSetSound(CSoundDevice* device);
CSoundDevice* PlatformSdlSound();
// The device that stands in when the chosen one has no output.
CSoundDevice* PlatformSilentSound();
