#include "common/tables/pendingcash.h"

#include "common/tables/statebytes.h"

namespace {
using TMoney = CHugeFixedPoint<10, 10>;
constexpr size_t kSignAt = TMoney::kDigits;
constexpr size_t kFlagAt = 24;
static_assert(kSignAt + 4 == kFlagAt && kFlagAt + 4 == PENDINGCASH_SIZE);
}  // namespace

void xPendingCashToBytes(const TMoney& amount, uint8_t (&out)[PENDINGCASH_SIZE]) {
  for (size_t i = 0; i < PENDINGCASH_SIZE; ++i) out[i] = 0;
  for (int i = 0; i < TMoney::kDigits; ++i) out[i] = amount.m_Digits[i];
  out[kSignAt] = amount.m_Sign;
  const uint32_t flag = static_cast<uint32_t>(amount.m_Error);
  for (int i = 0; i < 4; ++i) out[kFlagAt + static_cast<size_t>(i)] = static_cast<uint8_t>(flag >> (8 * i));
}

int32_t xPendingCashFromBytes(const uint8_t* data, size_t size, TMoney& amount) {
  amount = TMoney();
  if (!data || size != PENDINGCASH_SIZE) return 0;
  for (int i = 0; i < TMoney::kDigits; ++i)
    if (data[i] > 9) return 0;
  const uint8_t sign = data[kSignAt];
  if ((sign != 0 && sign != HFP_NEGATIVE) || data[kSignAt + 1] || data[kSignAt + 2] || data[kSignAt + 3]) return 0;
  const uint32_t flag = xStateGetLong(data + kFlagAt);
  if (flag > 1) return 0;
  for (int i = 0; i < TMoney::kDigits; ++i) amount.m_Digits[i] = data[i];
  amount.m_Sign = amount.IsZero() ? 0 : sign;
  amount.m_Error = static_cast<int32_t>(flag);
  return 1;
}
