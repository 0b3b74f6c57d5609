#include "install/engine/unpackprogress.h"

#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"

namespace {
uint64_t g_Unpacked = 0;
// The last position a coder reported within the current entry, and what of the entry it counted.
int32_t g_LastPosition = 0;
int64_t g_EntryCounted = 0;
}  // namespace

void BResetUnpackedBytes() {
  g_Unpacked = 0;
  g_LastPosition = 0;
  g_EntryCounted = 0;
}

uint64_t BUnpackedBytes() { return g_Unpacked; }

void BOnUnpackProgress(int32_t done, int32_t total, int32_t first) {
  // One pass of the loop when a frame is due: a pass before then would wait out the rest of the
  // frame, and a package of small files would unpack at one file a frame.
  if (glb && (glb->m_MinimumFrameTime <= 0 ||
              xTimeDiff(glb->m_LastFrameTime, xGetTime()) >= static_cast<uint32_t>(glb->m_MinimumFrameTime)))
    xHandler();
  if (first && done == total) {
    // The archive's report of a written entry: what the coder has not counted of it.
    if (done > g_EntryCounted) g_Unpacked += static_cast<uint64_t>(done - g_EntryCounted);
    g_EntryCounted = 0;
    g_LastPosition = 0;
  } else if (first) {
    g_LastPosition = done;
  } else if (done > g_LastPosition) {
    g_Unpacked += static_cast<uint64_t>(done - g_LastPosition);
    g_EntryCounted += done - g_LastPosition;
    g_LastPosition = done;
  }
}
