// Sound effects. Samples share a process-wide pool of 10 output voices; a sample started again
// while it still plays starts an extra copy of itself, so both are heard to their ends.
#pragma once

#include <cstdint>

#include "ostrel/sound/miles.h"

class CMilesSample : public CMiles {
 public:
  explicit CMilesSample(const char* name = nullptr);
  // A sample sharing the other's file, with its volume and pan.
  explicit CMilesSample(CMilesSample* other);
  ~CMilesSample() override;

  int32_t Load(const char* name) override;
  // loop non-zero plays for ever; wait runs the frame loop until a finite play has ended.
  int32_t Start(int32_t loop = 0, int32_t wait = 0) override;
  int32_t Pause() override;
  int32_t Resume() override;
  int32_t Stop() override;
  int32_t IsPlaying() override;
  // Volumes on 0..255, pans on -128..127; the sample keeps half.
  int32_t SetVolume(int32_t volume) override;
  int32_t SetLoopCount(int32_t count) override;
  int32_t GetStatus() override;
  int32_t GetVolume() override;
  int32_t GetLoopCount() override;
  int32_t GetPosition() override;
  int32_t SetPosition(int32_t ms) override;
  int32_t SetPan(int32_t pan);
  int32_t GetPan();
  // Length of one play in ms.
  int32_t GetLength();

 private:
  int32_t Handle() const;
  void GiveBackHandle();
  // Deletes the extra copies that have ended (with null, all of them), or those of one original.
  static void DeleteCopies(const CMilesSample* original, bool finishedOnly);
  // Frees the voices of samples that no longer play.
  static void FreeIdleHandles();

  int32_t m_Volume = 127;  // 0..127
  int32_t m_Pan = 64;      // 0..127
  int32_t m_LoopCount = 1;
  int64_t m_EndTime = -1;  // the clock value when the play ends; -1 never
  int32_t m_Paused = 0;
  uint32_t m_PausedAt = 0;
  int32_t m_Slot = -1;     // index into the voice pool
  CMilesSample* m_pOriginal = nullptr;  // set on an extra copy
};
