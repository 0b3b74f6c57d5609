// Silent sound that counts what was started: the click sounds of the client's windows are heard
// by the test, not by a loudspeaker.
#pragma once

#include <cstdint>

#include "platform/sound/silent.h"

class CRecordingSound : public CSilentSoundDevice {
 public:
  void StartSample(TSoundHandle sample) override;
  // Samples started since construction or the last Forget.
  int32_t Starts() const { return m_Starts; }
  void Forget() { m_Starts = 0; }

 private:
  int32_t m_Starts = 0;
};
