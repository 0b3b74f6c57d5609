// Named mutexes between processes: one lock file per name in the runtime folder, held with
// open-file-description locks. Byte 0 carries a shared lock for every handle that has the mutex
// open (so "does it exist" means "does anyone hold byte 0"), byte 1 the exclusive lock of the
// owner. The kernel drops both when the last descriptor closes, so a killed holder releases the
// mutex. Lock files stay behind: removing one would race with a process opening it.
#pragma once

#include <cstdint>

// A handle (>= 0) or -1. created becomes 1 when no other handle had the name open, else 0.
int PlatformNamedMutexCreate(const char* name, int32_t* created);
// A handle to a mutex that another handle has open; -1 when there is none.
int PlatformNamedMutexOpen(const char* name);
// Takes ownership without waiting: 1 when taken, 0 when another handle owns it.
int32_t PlatformNamedMutexTryAcquire(int handle);
int32_t PlatformNamedMutexRelease(int handle);
int32_t PlatformNamedMutexClose(int handle);
