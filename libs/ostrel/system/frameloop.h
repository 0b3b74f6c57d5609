// The per-frame loop: xInit once, then xHandler and the program's own ticker once a frame, then
// xExit. Also the creation and release of the objects held in the process globals.
#pragma once

#include <cstdint>

#include "ostrel/system/globals.h"

int32_t xCreateGlobals();
void xFreeGlobals();
int32_t xInit();
// One pass: timers, page flip, window messages, pacing, buffer clear, music, object pools.
// 0 normally; the exit code when a quit request ends the pass early.
int32_t xHandler();
void xExit();

void SetMinimumFrameTime(int32_t ms);
void SetUpdateTime(int32_t ms);
void xSetXHandlerWaitMode(int32_t mode);
// Caps this pass's wait (negative counts as 20; the smaller of several requests wins). Cleared at
// the end of every pass.
void xSetXHandlerMaxWaitTime(int32_t ms);

void SetWaitTimeOrSocketsCallback(TWaitOrSocketsFunc callback);
void DefaultWaitTimeOrSocketsCallback(int32_t ms);
void SetLoadDataCallback(TLoadDataFunc callback);
void DefaultLoadDataCallback();
// Calls the load-data callback when one is set; loaders call it during long work.
void xCallLoadDataCallback();

void xShowSystemWindow();
[[noreturn]] void xExitProcessHard();
