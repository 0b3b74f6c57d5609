// The inverse colour table: the nearest palette index for every 15-bit colour (5-5-5, red
// highest). It is made once per process, kept in the globals' colour-map cache, and cached on
// disk as "<palette name>.tab" (32768 bytes, one index per colour) so later runs only read it.
#pragma once

#include <cstdint>

class CPalette;

inline constexpr int32_t INVERSE_TABLE_SIZE = 32768;

// The process's table, made from palette when there is none yet (a later palette gets the table
// of the first until it is discarded). A cache file that is missing, short, long or holds
// indices the palette would not give is recomputed and written again; a palette named "" writes
// none. 1 with *table set; 0 when the table cannot be allocated (*table null) or its cache file
// cannot be written (*table still set).
int32_t xGetInverseTable(const CPalette* palette, const uint8_t** table);
// Drops the table, so that the next use builds it for the palette it names (a screen palette
// change does this).
void xDiscardInverseTable();
// Fills a table for a palette: entry (r << 10) | (g << 5) | b is the palette's nearest entry
// to (r << 3, g << 3, b << 3).
void xComputeInverseTable(const CPalette& palette, uint8_t* table);
