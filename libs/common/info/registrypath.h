// The casino's per-user registry key, "Software\Casino\" and the application name, which is string
// 10001 of "xrs/common.xrs" (the client's window title too; string 10000 is the installer's).
#pragma once

#include <cstdint>

inline constexpr char COMMON_SCRIPT_FILE[] = "xrs/common.xrs";
inline constexpr int32_t COMMON_STRING_INSTALLER_TITLE = 10000;
inline constexpr int32_t COMMON_STRING_APPLICATION_NAME = 10001;
inline constexpr char CASINO_REGISTRY_BASE[] = "Software\\Casino\\";

// The key path into buffer, always ended with a zero. 0 for a null buffer or a size of 0, when
// the script or its string is missing, and when the path and its zero do not fit (the buffer then
// holds an empty text). The path is built on the first success and kept.
int32_t xGetCasinoRegistryPath(char* buffer, uint32_t size);
// The next call builds the path again (after the installer has written a new script).
void xForgetCasinoRegistryPath();
