// Path text helpers. Both '/' and '\' separate; results are new texts freed with String_Free.
#pragma once

#include <cstddef>
#include <cstdint>

char* String_MergeDirectoryAndFile(const char* dir, const char* file);
char* String_SubDir(const char* dir, const char* sub);
char* String_FileNamePath(const char* path);
// The last component up to its first blank; null when the path is empty or ends in a separator.
char* String_FileName(const char* path);
char* String_FileNameFirstName(const char* path);
// Empty when there is no extension, null when the name ends in '.'.
char* String_FileNameExtension(const char* path);
char* String_FullNameWithoutExtension(const char* path);
// mode 1: the folder above the one holding the file; other modes: the folder holding the last
// component.
char* String_ParentDir(const char* path, int32_t mode);
char* String_Alloc(size_t n);
void String_Free(void* p);

inline bool xIsPathSeparator(char c) { return c == '/' || c == '\\'; }
