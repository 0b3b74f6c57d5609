// Whole-file helpers. Names go through the platform's resolver; results are 1 or 0.
#pragma once

#include <cstdint>

int32_t xFileExists(const char* path);  // a regular file that can be read
int32_t xFileDelete(const char* path);
// Renames oldName to newName (the new name comes first); fails when newName exists.
int32_t xFileRename(const char* newName, const char* oldName);
int32_t xFileSize(const char* path, uint32_t* size);
// Copies source to target, creating the target's missing folders.
int32_t xCopyFile(const char* target, const char* source);
// Exactly n bytes from the beginning of the file.
int32_t xReadFile(const char* path, void* buf, uint32_t n);
// Creates or empties the file (no folder creation) and writes n bytes.
int32_t xWriteFile(const char* path, const void* buf, uint32_t n);
// CRC-32 (xCalcCRC) of the whole file.
int32_t xCalcFileCrc(const char* path, uint32_t* crc, uint32_t poly);
// Creates every missing folder of the path's folder part, along the path as it is written
// (an absolute path stays absolute, ".." is honoured); the working folder is never changed.
int32_t xCreateDirsForFile(const char* path);
// 1 for a name that stays below the folder it is put in: not empty, not absolute, no drive
// prefix, no ".." component. Names from archives, lists and servers must pass it.
int32_t xIsSafeRelativePath(const char* name);
// 1 for a name that passes xIsSafeRelativePath and, below folder (the working folder when null or
// empty), meets no symbolic link that leads out of that folder or nowhere. Whatever is written,
// renamed or deleted under a name from an archive, a list or a server passes it first.
int32_t xStaysInFolder(const char* folder, const char* name);
