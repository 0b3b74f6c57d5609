// The per-user folder where named system objects live: lock files of named mutexes and the
// sockets of named channels.
#pragma once

#include <string>

// $XDG_RUNTIME_DIR when it names a folder, else /tmp/vorrin-<uid> (made with mode 0700 and
// used only when it is this user's own folder and no link). Empty when neither can be had.
std::string PlatformRuntimeFolder();

// The file in the runtime folder that stands for a system object's name, ending in suffix.
// A leading "Global\" or "Local\" namespace is dropped (the folder is already per user);
// characters other than letters, digits, '.', '_' and '-' are written as %XX, so no name can
// leave the folder. Empty for a null or empty name, without a runtime folder, or when the
// result would be longer than maxLength.
std::string PlatformRuntimeObjectPath(const char* name, const char* suffix, size_t maxLength);
