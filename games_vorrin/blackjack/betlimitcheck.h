// The check of a stake against the table's minimum and maximum and the player's free money,
// with the refusal text. Each instance formats into its own buffer, so the client table and the
// in-process server table never overwrite each other's message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/base/money.h"

class CBetLimitCheck {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  // The texts are kept, not copied; null ones count as empty.
  void SetTexts(const char* minPrefix, const char* minSuffix, const char* maxPrefix, const char* maxSuffix,
                const char* noMoney);
  // 1 when the bet passes. Else 0 with message pointing at the reason: the formatted minimum
  // (only with checkMinimum), the formatted maximum, or the not-enough-money text. message is
  // valid until the next Check of this instance.
  int32_t Check(const TMoney& bet, const TMoney& freeMoney, const TMoney& minimum, const TMoney& maximum,
                int32_t checkMinimum, const char*& message);

  // prefix, the amount (two decimals when it has a fraction, else none), then the suffix.
  const char* FormatAmount(const char* prefix, const TMoney& amount, const char* suffix);

 private:
  static constexpr size_t kTextSize = 512;
  const char* m_pMinPrefix = nullptr;
  const char* m_pMinSuffix = nullptr;
  const char* m_pMaxPrefix = nullptr;
  const char* m_pMaxSuffix = nullptr;
  const char* m_pNoMoney = nullptr;
  char m_Text[kTextSize] = {};
};
