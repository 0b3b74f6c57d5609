// The total of a blackjack hand, the one rule both halves of the table count with.
#pragma once

#include <cstdint>

// soft counts the first ace as 11 (and may exceed 21), hard counts every ace as 1. A count below
// 1 (or no cards) leaves both 0. Always 1.
int32_t GetHandValue(const int32_t* cards, int32_t count, int32_t& soft, int32_t& hard);
