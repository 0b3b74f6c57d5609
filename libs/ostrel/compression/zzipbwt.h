// The block sort (Burrows-Wheeler transform) over a suffix array, and its inverse.
//
// The sorted block of s[0..n) is the last column of the sorted rotations of s plus an end mark
// that sorts first, with the end mark itself left out; the primary index (1..n) is the row whose
// last column held it, the row of the whole text.
#pragma once

#include <cstdint>

// out receives n bytes; *primary the primary index. false when no work area could be had.
bool ZZipBlockSort(const uint8_t* s, uint32_t n, uint8_t* out, uint32_t* primary);

// Rebuilds n bytes from the sorted block l. counts[c] must hold the number of bytes c in l.
// 1; 0 when l with this primary index is no sorted block (the walk back from the end mark does
// not pass every row: no text sorts to it) or the index is out of range; -1 when no work area
// could be had. Whatever l holds, nothing outside the blocks is touched.
int32_t ZZipBlockUnsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out);

// Blocks shorter than this can be given to ZZipBlockUnsortLinks.
inline constexpr uint32_t ZZIP_MAX_LINKED = 1u << 24;

// The same from the block's links, which the stream decoder makes as it goes and so saves a pass:
// links[i] = (the number of bytes equal to byte i before it) << 8 | byte i. The links must be
// those of a block: each rank below its byte's count.
int32_t ZZipBlockUnsortLinks(const uint32_t* links, uint32_t n, uint32_t primary, const uint32_t counts[256],
                             uint8_t* out);
