// Reading a failed database call back: every error record the connection queued goes to the
// diagnostics, so the queue never carries one failure's records into the next call.
#pragma once

#include <cstdint>

class CStovaConnBase;

// 1 when the call succeeded (result and flag non-zero). Otherwise 0, after printing each queued
// error record through errorFormat (one "%s" for the record's text), or falseText when the call
// itself succeeded but its flag reports that nothing was found or written. A null connection
// prints falseText.
int32_t xStovaCallOk(CStovaConnBase* db, int32_t result, int32_t flag, const char* errorFormat,
                     const char* falseText);
// Prints every queued error record through format and empties the queue.
void xDrainStovaErrors(CStovaConnBase* db, const char* format);
