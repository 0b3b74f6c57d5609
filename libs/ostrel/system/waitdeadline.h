// Time-outs of the operating-system objects, measured on the system clock (xGetTime) so that a
// test clock decides them. XINFINITE waits without limit.
#pragma once

#include <cstdint>

#include "ostrel/system/clock.h"

inline constexpr uint32_t XINFINITE = 0xFFFFFFFFu;

class CWaitDeadline {
 public:
  explicit CWaitDeadline(uint32_t ms) : m_Start(xGetTime()), m_Ms(ms) {}

  // Milliseconds left, for a kernel wait: -1 without limit, 0 once the time is up.
  int32_t Left() const {
    if (m_Ms == XINFINITE) return -1;
    uint32_t spent = xTimeDiff(m_Start, xGetTime());
    if (spent >= m_Ms) return 0;
    uint32_t left = m_Ms - spent;
    return left > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(left);
  }
  bool Expired() const { return Left() == 0; }

 private:
  uint32_t m_Start;
  uint32_t m_Ms;
};
