// Folders as the Windows-shaped functions see them: the working folder, listings, write times and
// the read-only mark. Names go through the path resolver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The working folder, whole; empty when it cannot be had (removed, out of memory).
std::string PlatformCurrentFolder();
bool PlatformSetCurrentFolder(const char* path);
// true when the folder could be made the working folder; the working folder does not change.
bool PlatformCanEnterFolder(const char* path);

struct TFolderEntry {
  std::string m_Name;
  bool m_Folder = false;
};
// The entries of a folder except "." (".." is listed, as on Windows), sorted by name without
// regard to ASCII case. false when the folder cannot be read.
bool PlatformListFolder(const char* folder, std::vector<TFolderEntry>& out);

// The last write time of a file that can be opened for reading, as a Windows file time (100 ns
// steps since 1 January 1601, UTC). Folders do not open.
bool PlatformFileWriteTime(const char* path, uint64_t& fileTime);
// Windows file time of a Unix time.
uint64_t PlatformUnixToFileTime(int64_t seconds, uint32_t nanoseconds);

// Creates the folder and every missing one above it (mode as for mkdir, before the umask).
bool PlatformMakeFolderPath(const std::string& path, uint32_t mode = 0777);

// Gives the owner read and write permission (the Windows read-only mark cleared).
bool PlatformMakeReadWrite(const char* path);
