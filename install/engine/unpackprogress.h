// The progress of the packages being unpacked, kept for the whole process: the bytes of the
// packages unpacked so far in this round. The archive reports each entry once, as it writes it
// (done = total = the entry's bytes, first = 1); a coder may report within an entry before that.
// Each entry's bytes are counted once.
#pragma once

#include <cstdint>

void BResetUnpackedBytes();
uint64_t BUnpackedBytes();
// The archive's progress callback: a pass of the loop whenever a frame is due, and the count.
void BOnUnpackProgress(int32_t done, int32_t total, int32_t first);
