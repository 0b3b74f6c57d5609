// The stored form of a player's stake not yet settled, as a crash-recovery save leaves it: 28
// bytes, the money's 20 digits (one per byte, most significant first), its sign byte, three zero
// bytes and its error flag as a 32-bit little-endian word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/base/money.h"

inline constexpr size_t PENDINGCASH_SIZE = 28;

void xPendingCashToBytes(const CHugeFixedPoint<10, 10>& amount, uint8_t (&out)[PENDINGCASH_SIZE]);
// 1 and the amount when the bytes are such a record (right size, digits 0 to 9, a known sign,
// zero padding, a flag of 0 or 1); 0 and zero otherwise.
int32_t xPendingCashFromBytes(const uint8_t* data, size_t size, CHugeFixedPoint<10, 10>& amount);
