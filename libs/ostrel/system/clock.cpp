#include "ostrel/system/clock.h"

#include "platform/clock/clock.h"

uint32_t xGetTime() { return PlatformClockNow(); }
uint32_t xTimeDiff(uint32_t start, uint32_t end) { return end - start; }
void xSleep(uint32_t ms) { PlatformSleep(ms); }
