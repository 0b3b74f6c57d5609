// The byte and text helpers every module calls instead of the C library directly.
#pragma once

#include <cstddef>
#include <cstdint>

// Memory
void* xMemchr(const void* p, int c, size_t n);
int xMemcmp(const void* a, const void* b, size_t n);
void* xMemset(void* p, int c, size_t n);
// Copies below XMEMCPY_FAST_LIMIT go through memcpy, longer ones through CFastMem::memcpy.
inline constexpr size_t XMEMCPY_FAST_LIMIT = 0x2C000;
void* xMemcpy(void* dst, const void* src, size_t n);
void xMemZero(void* p, size_t n);
// count 16-bit values / 3-byte groups (bits 16-23, 8-15, 0-7 of rgb); a count of 0 writes nothing.
void xMemset16(void* p, uint16_t value, uint32_t count);
void xMemset24(void* p, uint32_t rgb, uint32_t count);
int32_t xCheckForCharInBlock(const char* from, const char* to, char c);
int32_t xCheckForCharInBlock(const char* p, size_t n, char c);

// Text
size_t xStrlen(const char* s);
char* xStrcpy(char* dst, const char* src);
char* xStrncpy(char* dst, const char* src, size_t n);
char* xStrcat(char* dst, const char* src);
char* xStrncat(char* dst, const char* src, size_t n);
char* xStrchr(const char* s, int c);
char* xStrrchr(const char* s, int c);
int xStrcmp(const char* a, const char* b);
int xStricmp(const char* a, const char* b);
int xStrncmp(const char* a, const char* b, size_t n);
int xStrnicmp(const char* a, const char* b, size_t n);
char* xStrstr(const char* haystack, const char* needle);
char* xStrpbrk(const char* s, const char* accept);
char* xStrUpperCase(char* s);
char* xStrLowerCase(char* s);
int32_t xStrHasContent(const char* s);
// Content that is not the base-16 MD5 digest of empty input.
int32_t xStrHasContentMD5(const char* s);
char* xStrcatVariableTRUEFALSE(char* dst, const char* text, int32_t value);
char* xStrcatVariableSTRING(char* dst, const char* text, const char* value);
// New copies from the object allocation; free with xFree. Null gives null.
char* xStrdup(const char* s);
char* xStrndup(const char* s, size_t n);
// Replaces the heap text in field (freed with xFree) by a copy of text; null clears it. 0, with
// field unchanged, when the copy cannot be made.
int32_t xStrReplace(char*& field, const char* text);
int32_t xStrCntSet(const char* s, const char* set);
char* xStrRemoveSet(char* s, const char* set);
// Doubles every byte of src that is in set into dst; returns src untouched when there is nothing
// to do or when strlen(src) + 2 * count + 1 exceeds dstSize.
const char* xStuffSet(const char* src, char* dst, size_t dstSize, const char* set);

// Locale-free ASCII case helpers.
inline char xToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline char xToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
