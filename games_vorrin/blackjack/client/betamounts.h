// Whole-unit views of money amounts for the betting code: chips, stacks and the right-click rule
// work in whole units of the table's currency.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"

// The whole units of an amount, the fraction cut off; saturated at the int32 range. 0 for an
// amount that carries the error flag.
inline int32_t KavoWholeUnits(const CHugeFixedPoint<10, 10>& amount) {
  using TMoney = CHugeFixedPoint<10, 10>;
  if (amount.GetError()) return 0;
  int64_t whole = 0;
  for (int i = 0; i < TMoney::kIntDigits; ++i) whole = whole * 10 + amount.m_Digits[i];
  if (whole > INT32_MAX) whole = INT32_MAX;
  return static_cast<int32_t>(amount.IsNegative() ? -whole : whole);
}
