// The transfer rate of a download set, from samples of the bytes done: at most 30, taken at
// least 500 ms apart and only when the count moved, the 31st replacing the oldest.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int32_t BRATE_MAX_SAMPLES = 30;
inline constexpr uint32_t BRATE_SAMPLE_GAP_MS = 500;

class BDownloadRate {
 public:
  // Starts over from the bytes done now; what was kept stays until a new rate is had.
  void Clear(uint64_t done, uint32_t now);
  // Takes a sample when the count moved and more than the gap passed since the last one.
  void Sample(uint64_t done, uint32_t now);
  // (newest - oldest bytes) x 1000 / (newest - oldest time), in 64 bits; a non-zero result is
  // kept and returned, else the last kept one (0 when none). Negative when the count fell.
  int32_t Rate();
  int32_t GetSampleCount() const { return m_Count; }
  uint32_t GetLastSampleTime() const { return m_LastTime; }

 private:
  struct SSample {
    uint64_t m_Bytes;
    uint32_t m_Time;
  };
  std::array<SSample, BRATE_MAX_SAMPLES> m_Samples{};
  int32_t m_Count = 0;
  int32_t m_Newest = -1;
  uint64_t m_LastBytes = 0;
  uint32_t m_LastTime = 0;
  int32_t m_Kept = 0;
};

// "%ld.%02ld Kb/s": whole kilobytes and hundredths of a rate in bytes per second, a negative
// rate shown as 0.
void BFormatRate(int32_t rate, char* out, uint32_t size);
