// The base of every sound object. The first one created starts the sound output (trying the
// output formats in order) and the last one destroyed stops it; objects made while there is no
// sound work as silent objects and their operations return at once.
#pragma once

#include <cstdint>

class CMilesFile;

class CMiles {
 public:
  CMiles();
  virtual ~CMiles();
  CMiles(const CMiles&) = delete;
  CMiles& operator=(const CMiles&) = delete;

  // The output's last error text; null without sound.
  virtual const char* GetLastError();
  virtual int32_t Load(const char* name);
  virtual int32_t Start(int32_t loop = 0, int32_t wait = 0) = 0;
  virtual int32_t Pause() = 0;
  virtual int32_t Resume() = 0;
  virtual int32_t Stop() = 0;
  virtual int32_t IsPlaying() = 0;
  virtual int32_t SetVolume(int32_t volume) = 0;
  // 0..255; the output keeps half of it.
  virtual int32_t SetMasterVolume(int32_t volume);
  virtual int32_t SetLoopCount(int32_t count) = 0;
  virtual int32_t GetStatus() = 0;
  virtual int32_t GetVolume() = 0;
  virtual int32_t GetMasterVolume();
  virtual int32_t GetLoopCount() = 0;
  virtual int32_t GetPosition() = 0;
  virtual int32_t SetPosition(int32_t ms) = 0;

  // The output format in use (0 without sound).
  static int32_t GetRate();
  static int32_t GetBits();
  static int32_t GetChannels();
  static int32_t IsSoundAvailable();

 protected:
  CMilesFile* m_pFile;
};

// Keeps sound off for the whole process when switched on before the first sound object starts
// the output (the debug option "nosound = on").
void xSetNoSound(int32_t on);
int32_t xGetNoSound();
