// The client's own program file, as the relaunch through the updater names it.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest path the client hands on (the platform's path limit of 260 bytes with its end).
inline constexpr size_t OWN_PROGRAM_PATH_MAX = 259;

// The path into buffer; 0 (buffer empty) when it cannot be had, is longer than
// OWN_PROGRAM_PATH_MAX characters or does not fit the buffer.
int32_t xGetOwnProgramPath(char* buffer, size_t size);
