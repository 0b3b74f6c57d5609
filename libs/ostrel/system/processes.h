// The process: its ids, its priority on the 0-100 scale of the programs, and the new-process
// check.
#pragma once

#include <cstdint>

int32_t xGetProcessId();
int32_t xGetThreadID();

// Always allows: may = 1, reason = 0; returns 1.
int32_t TryCreateNewProcess(int32_t& may, int32_t& reason);

// The classes of the scale: idle for p <= 25, real-time for p >= 90, normal below 65, high
// otherwise. Idle is nice 19, normal nice 0, high nice -10, real-time the round-robin policy;
// a change the system refuses (an ordinary user cannot raise a priority) gives 0.
int32_t xSetPriority(int32_t p);
// Back onto the scale: idle 25, normal 50, high 65, real-time 90, any other nice value 50.
int32_t xGetPriority(int32_t& p);
// Read, add or subtract n, keep within 0..100, set.
int32_t xIncPriority(int32_t n);
int32_t xDecPriority(int32_t n);
