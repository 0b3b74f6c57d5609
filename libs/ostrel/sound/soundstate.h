// The sound objects' process-wide state: one per process, shared by every CMiles, kept inside
// libostrel so that modules share it too. Only the sound component includes this.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/containers/llist.h"
#include "platform/sound/sound.h"

class CMilesSample;

inline constexpr int32_t MILES_SAMPLE_HANDLES = 10;

struct SSoundState {
  int32_t milesCount = 0;
  int32_t available = 0;
  int32_t disabled = 0;  // the "nosound" switch
  CSoundDevice* device = nullptr;
  int32_t format = -1;  // index into the output formats

  // The sample pool: device handles and the sample that holds each (or none).
  TSoundHandle handles[MILES_SAMPLE_HANDLES] = {};
  CMilesSample* holders[MILES_SAMPLE_HANDLES] = {};
  int32_t handleCount = 0;
  CLList copies;  // CMilesSample*: extra copies started while their original played

  CLList cache;  // CMilesCachedFile*
  int32_t fileCount = 0;
  int32_t swept = 0;
  uint32_t lastSweep = 0;
};

SSoundState& xSoundState();
// The device when sound is available, else null.
CSoundDevice* xSoundDevice();

// Unlinks every entry that pick chooses and hands them back; callers delete them after the walk,
// so a destructor that touches the list again finds it consistent.
template <class T, class Pick>
std::vector<T*> xTakeFromList(CLList& list, Pick pick) {
  std::vector<T*> taken;
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) {
    if (pick(static_cast<T*>(n->m_pData))) taken.push_back(static_cast<T*>(n->m_pData));
  }
  for (T* entry : taken) list.DeleteItem(entry);
  return taken;
}
