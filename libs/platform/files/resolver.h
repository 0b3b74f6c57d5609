// File names arrive in the Windows form the data files and servers use ("xrs\Common.XRS",
// "C:\games\x.dat"). Every file operation of the libraries passes its name through here first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// '\' becomes '/', a drive prefix ("C:") is dropped, repeated separators collapse.
std::string PlatformNormalizePath(const char* path);

// The normalized name; when it does not exist as written, each component is matched against its
// folder without regard to ASCII case. The first component without a match and everything behind
// it stay as written, so a create reuses every folder (and file) that already exists.
std::string PlatformResolvePath(const char* path);

// fopen on the resolved name; a folder never opens (as on Windows).
FILE* PlatformOpenFile(const char* path, const char* mode);

// 1 when the name is a regular file that can be opened for reading.
int32_t PlatformFileExists(const char* path);
// 1 when the name is a folder.
int32_t PlatformFolderExists(const char* path);
int32_t PlatformDeleteFile(const char* path);
// Renames; fails when newPath already exists (the Windows rule).
int32_t PlatformRenameNoReplace(const char* oldPath, const char* newPath);
// Creates one folder (its parent must exist); 1 also when it exists already as a folder.
int32_t PlatformMakeFolder(const char* path);
// Writes n bytes to a temporary file beside the target and renames it over the target, so a
// failure never leaves a half-written file under the target's name.
int32_t PlatformWriteFileReplacing(const char* path, const void* data, uint32_t n);
// 1 when both names lead to the same file.
int32_t PlatformSameFile(const char* a, const char* b);
// 1 when something (file, folder, link) carries the name.
int32_t PlatformPathExists(const char* path);
// 1 for an existing regular file that may be written: not marked read-only (no owner write bit,
// the Windows read-only attribute) and writable for this process.
int32_t PlatformFileWritable(const char* path);
// Cuts (or extends) a file to size bytes.
int32_t PlatformTruncateFile(const char* path, uint64_t size);
// 1 when every part of name below folder (the working folder when null or empty) that exists is
// a plain file or folder, or a symbolic link whose destination lies inside that folder; 0 for a
// link that leads out of it or nowhere, and for an absolute name or one with a ".." component.
// Parts that do not exist yet are made inside the folder.
int32_t PlatformStaysInsideFolder(const char* folder, const char* name);
