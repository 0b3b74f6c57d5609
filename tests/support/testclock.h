// A hand-driven clock: while one lives, xGetTime reads it and xSleep advances it.
#pragma once

#include <cstdint>

class CTestClock {
 public:
  explicit CTestClock(uint32_t start = 1000);
  ~CTestClock();
  CTestClock(const CTestClock&) = delete;
  CTestClock& operator=(const CTestClock&) = delete;

  void Set(uint32_t now);
  void Advance(uint32_t ms);
  uint32_t Now() const;
  // Total milliseconds that xSleep was asked to wait since construction.
  uint64_t Slept() const;
};
