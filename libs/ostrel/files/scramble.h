// The program's file scrambling: the plain contents followed by the 13 bytes "XICRYPTEDFILE",
// every byte of the whole XORed with 0x6B.
#pragma once

#include <cstdint>

class CFile;

inline constexpr uint32_t XCRYPT_MARKER_LEN = 13;

// XORs every byte with the key, in place; the same call scrambles and descrambles.
void xDecrypt(void* data, uint32_t len);
// 1 when the last 13 bytes, descrambled, are the marker.
int32_t xIsCrypt(const void* data, uint32_t len);
// The same test on the last 13 bytes inside the file's bounds; the file is left at its bound start.
int32_t xIsFileCrypt(CFile* file);
