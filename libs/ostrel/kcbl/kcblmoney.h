// Amounts of typed items as text (the money type's own text form).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/kcbl/kcbltags.h"

// Bytes, NUL included, that an amount's text with that many decimals needs.
size_t xKCBLMoneyTextSize(int32_t decimals);
// The amount with natural integer width and the given decimals; returns the length.
size_t xKCBLFormatMoney(const TKCBLMoney& amount, int32_t decimals, char* out, size_t size);
// Element e of an array of amounts.
const TKCBLMoney* xKCBLMoneyAt(const TKCBLMoney* base, int64_t e);
TKCBLMoney* xKCBLMoneyAt(TKCBLMoney* base, int64_t e);
// Parses text into amount; an invalid text leaves zero with the amount's error flag set.
void xKCBLParseMoney(const char* text, TKCBLMoney* amount);
