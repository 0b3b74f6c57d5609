#include "install/engine/downloadrate.h"

#include <cstdio>
#include <limits>

#include "ostrel/system/clock.h"

void BDownloadRate::Clear(uint64_t done, uint32_t now) {
  m_Count = 0;
  m_Newest = -1;
  m_LastBytes = done;
  m_LastTime = now;
  // The starting point is the first sample: a rate comes with the first one after it.
  Sample(done, now);
}

void BDownloadRate::Sample(uint64_t done, uint32_t now) {
  if (m_Newest >= 0 && (done == m_LastBytes || xTimeDiff(m_LastTime, now) <= BRATE_SAMPLE_GAP_MS)) return;
  m_Newest = (m_Newest + 1) % BRATE_MAX_SAMPLES;
  m_Samples[static_cast<size_t>(m_Newest)] = {done, now};
  if (m_Count < BRATE_MAX_SAMPLES) ++m_Count;
  m_LastBytes = done;
  m_LastTime = now;
}

int32_t BDownloadRate::Rate() {
  if (m_Count < 2) return m_Kept;
  const SSample& newest = m_Samples[static_cast<size_t>(m_Newest)];
  const int32_t oldestAt = m_Count < BRATE_MAX_SAMPLES ? m_Newest - m_Count + 1 : (m_Newest + 1) % BRATE_MAX_SAMPLES;
  const SSample& oldest = m_Samples[static_cast<size_t>(oldestAt)];
  const uint32_t ms = xTimeDiff(oldest.m_Time, newest.m_Time);
  if (ms == 0) return m_Kept;
  const int64_t bytes = static_cast<int64_t>(newest.m_Bytes) - static_cast<int64_t>(oldest.m_Bytes);
  int64_t rate = bytes * 1000 / static_cast<int64_t>(ms);
  if (rate > std::numeric_limits<int32_t>::max()) rate = std::numeric_limits<int32_t>::max();
  if (rate < std::numeric_limits<int32_t>::min()) rate = std::numeric_limits<int32_t>::min();
  if (rate) m_Kept = static_cast<int32_t>(rate);
  return m_Kept;
}

void BFormatRate(int32_t rate, char* out, uint32_t size) {
  if (!out || !size) return;
  const long shown = rate < 0 ? 0 : rate;
  std::snprintf(out, size, "%ld.%02ld Kb/s", shown / 1024, (shown % 1024) * 100 / 1024);
}
