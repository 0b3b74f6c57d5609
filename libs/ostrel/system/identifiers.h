// Identifiers, the machine's address and the process-wide flags.
#pragma once

#include <cstdint>

// a: the next value of the running counter of the globals (0 skipped, so the first is 1), or a
// random number 1..32767 while there are no globals; b: the process id; c: ((r1 + r2) << 10) + r3
// of three random numbers below 32768.
void xGetUID(uint32_t& a, uint32_t& b, uint32_t& c);
// buffer (XPUID_SIZE bytes) gets "<machine address>_<process id>_" and then decimal digits of
// the fallback generator's numbers, lowest digit first, up to 127 characters. Returns 1.
inline constexpr int XPUID_SIZE = 128;
int32_t xCreatePUID(char* buffer);

// The first IPv4 address that is not a loopback one on an interface that is up, as
// "%d.%d.%d.%d" in a library-wide buffer; "127.0.0.1" when there is none.
const char* xGetMachineIP();

// Flags 1 to 4095 of the globals. Other numbers are ignored; both tests give 0 for them and while
// there are no globals.
void GlobalVar_SetTrue(int32_t n);
void GlobalVar_SetFalse(int32_t n);
int32_t GlobalVar_IsTrue(int32_t n);
int32_t GlobalVar_IsFalse(int32_t n);
