// The working folder, folder and drive listings, write times and the Start-menu folders.
#pragma once

#include <cstddef>
#include <cstdint>

class CLList;

// Room a caller gives for a path (the Windows limit, terminating zero included).
inline constexpr size_t XMAX_PATH = 260;

// The whole working folder in a new text (free with xFree); null when it cannot be had.
char* xGetWorkingDirectory();
int32_t xSetWorkingDirectory(const char* path);
int32_t xSys_SetCurrDir(const char* path);
// One library-wide slot for the working folder, kept whole.
int32_t xSys_SaveCurrDir();
int32_t xSys_RestoreCurrDir();

// 1 when the folder could be made the working folder (which stays as it was).
int32_t xDoDirectoryExists(const char* path);
// 1 for a folder; 0 for anything else and for null.
int32_t xFolderExists(const char* path);

// The last write time of a file as the two halves of a Windows file time; 0 when the file cannot
// be opened.
int32_t xFileGetLastWriteTime(const char* path, uint32_t& low, uint32_t& high);
// Makes an existing file readable and writable for its owner; 1 on success.
int32_t xRemoveReadOnly(const char* path);

// Appends a new text (xFree) "<root> (<name>)" per drive: the name is the volume label, else
// "Removable Disk", "Fixed Disk", "Remote Disk", "Compact Disc" or "Unknown Disk". The drives
// are lettered as Windows would: "/" is C, the further mounted file systems D, E, ... in mount
// order; those whose letter lies from first to last (either case) are listed.
void xAddDrives(CLList* list, char first, char last);

// Appends a new text (xFree) per entry of folder whose name matches pattern: files when files
// is set, folders when folders is set. "." and hidden entries (a leading dot) are left out, ".."
// is a folder. With withPath the folder and a separator stand in front of each name.
void xAddFolderContent(CLList* list, const char* folder, const char* pattern, int32_t files, int32_t folders,
                       int32_t withPath);
// Windows name patterns without regard to ASCII case: '*' any run, '?' one character, a pattern
// ending in ".*" also takes names without a dot ("*.*" is everything), one ending in a lone "."
// only names without a dot.
int32_t xMatchFilePattern(const char* name, const char* pattern);

// The Start menu of all users and of this user: the desktop's applications folders (the first
// of $XDG_DATA_DIRS, and $XDG_DATA_HOME, which is created when missing). path must hold
// XMAX_PATH bytes; 1 when it was filled.
int32_t xGetStartMenuForAllUsers(char* path);
int32_t xGetStartMenuForUser(char* path);
