// Names that module lists carry: a module, file, package or restart-file name from a list becomes
// a path on the player's disk, and the server's list arrives from the network.
#pragma once

#include <cstdint>

// 1 for a name that stays below the folder it is used in: not empty, not absolute, no drive
// prefix, no ".." component ("/" and "\" both separate) and no control character.
int32_t FVersion_IsSafeListName(const char* name);
