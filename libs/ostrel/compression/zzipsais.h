// Suffix sorting by induced sorting (SA-IS): linear time, a few bytes of work area per symbol.
#pragma once

#include <cstdint>

// sa receives the start of every suffix of s[0..n) in ascending order; the end of the text sorts
// before every byte. false when no work area could be had.
bool ZZipSuffixArray(const uint8_t* s, int32_t* sa, int32_t n);
// The same, and bwt[i] receives s[sa[i] - 1] for every i but the one where sa[i] is 0, whose
// index goes to *zeroSlot.
bool ZZipSuffixArrayBwt(const uint8_t* s, int32_t* sa, int32_t n, uint8_t* bwt, int32_t* zeroSlot);
