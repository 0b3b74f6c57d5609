// The block sort (Burrows-Wheeler transform) over a suffix array, and its inverse.
//
// The sorted block of s[0..n) is the last column of the sorted rotations of s plus an end mark
// that sorts first, with the end mark itself left out; the primary index (1..n) is the row whose
// last column held it, the row of the whole text.
#pragma once

#include <cstddef>
#include <cstdint>

// out receives n bytes; *primary the primary index. false when no work area could be had.
bool ZZipBlockSort(const uint8_t* s, uint32_t n, uint8_t* out, uint32_t* primary);

// Rebuilds n bytes from the sorted block l. counts[c] must hold the number of bytes c in l.
// 1; 0 when l with this primary index is no sorted block (the walk back from the end mark does
// not pass every row: no text sorts to it) or the index is out of range; -1 when no work area
// could be had. Whatever l holds, nothing outside the blocks is touched.
int32_t ZZipBlockUnsort(const uint8_t* l, uint32_t n, uint32_t primary, const uint32_t counts[256], uint8_t* out);

// The same from the block's rows, which the stream decoder makes as it goes and so saves a pass:
// rows[r] for each of the n + 1 rows r but the primary one (whose entry is not read) =
// (the number of rows before r ending in the same byte, modulo 2^24) << 8 | the byte row r ends
// in; byte i of the sorted block ends row i before the primary index and row i + 1 after it.
// The rows must be those of a block: each count below its byte's count. scratch (room bytes,
// any number) is the walk's work area; the text is left in the rows' own memory, as n bytes from
// its start (the rows are used up). 1, 0 or -1 as above.
int32_t ZZipBlockUnsortRows(uint32_t* rows, uint32_t n, uint32_t primary, const uint32_t counts[256],
                            uint8_t* scratch, size_t room);
