// Debug switches and sinks, the per-program debug options file, and the library's diagnostics.
#pragma once

#include <cstdint>

inline constexpr int32_t DBGL_NONE = 0;
inline constexpr int32_t DBGL_MEMORY = 1;
inline constexpr int32_t DBGL_RESDATA = 2;
inline constexpr int32_t DBGL_KCBL = 4;
inline constexpr int32_t DBGL_ALL = -1;

// Every switch does nothing while glb is null.
void xStartStdDebug(int32_t on);
void xSetDebugLevel(int32_t mask);
// 1 when any of bits is set in the level; 0 while glb is null.
int32_t xGetDebugLevel(int32_t bits);
void xSetDbgStdOut(void (*out)(const char* text));
void xSetDbgLvlOut(void (*out)(const char* text));
// The default sinks: append to "DbgStd.txt" / "DbgLevel.txt" (kept below 100 MiB) and stderr.
void xDefaultDbgStdOut(const char* text);
void xDefaultDbgLvlOut(const char* text);
void xDeleteDbgFiles();

using TDebugOptionFunc = void (*)(const char* key, const char* value);
// Reads "key = value" lines; known keys set the switches, others go to the callback.
void xGetDebugOptions(const char* fileName, TDebugOptionFunc callback);

// The library's diagnostic print: silent unless diagnostics are switched on (for development and
// tests), then to stderr. VORRIN_DIAGNOSTICS=1 in the environment switches them on at start.
void xprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void xSetDiagnostics(int32_t on);
