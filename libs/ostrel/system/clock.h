#pragma once

#include <cstdint>

// Milliseconds of the system clock; wraps at 2^32 like the multimedia timer it stands for.
uint32_t xGetTime();
// end - start in unsigned 32-bit arithmetic, right across a wrap of the clock.
uint32_t xTimeDiff(uint32_t start, uint32_t end);
void xSleep(uint32_t ms);
