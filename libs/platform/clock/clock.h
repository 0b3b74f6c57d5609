// The millisecond clock every timer, pacing step, time-out and cache sweep reads. Tests install
// their own source so frames run without sleeping and the 2^32 wrap can be crossed on purpose.
#pragma once

#include <cstdint>

using TPlatformClockFunc = uint32_t (*)();
using TPlatformSleepFunc = void (*)(uint32_t ms);

// Monotonic milliseconds, wrapping at 2^32.
uint32_t PlatformClockNow();
void PlatformSleep(uint32_t ms);

// A null function restores the system clock (or the real sleep).
void PlatformSetClock(TPlatformClockFunc now);
void PlatformSetSleep(TPlatformSleepFunc sleep);
