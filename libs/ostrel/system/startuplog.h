// "startup.log": one line per event of a process's start and end, written by every program and
// library, so support can see how far a start-up got.
#pragma once

#include <cstdint>

void xLogStartupDelete();
void xLogStartupProcessStarted();
void xLogStartupProcessInit();
void xLogStartupSuccess();
void xLogStartupInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Always 0, so a caller can return it as its own failure.
int32_t xLogStartupError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void xLogStartupProcessExit();
// Forgets the success and error marks, as a new process starts with them clear (tests run many
// starts in one process).
void xLogStartupClearMarks();
