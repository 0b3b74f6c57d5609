#include "support/recordingsound.h"

void CRecordingSound::StartSample(TSoundHandle sample) {
  CSilentSoundDevice::StartSample(sample);
  ++m_Starts;
}
