#include "install/engine/unpackprogress.h"

#include "ostrel/system/frameloop.h"

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
