#include "betlimitcheck.h"

#include <cstdio>
#include <cstring>

namespace {
const char* OrEmpty(const char* text) { return text ? text : ""; }

bool HasFraction(const CHugeFixedPoint<10, 10>& amount) {
  char digits[64];
  CHugeFixedPoint<10, 10>::Print(amount, digits, -1, 10);
  const char* point = strchr(digits, '.');
  return point && strspn(point + 1, "0") != strlen(point + 1);
}
}  // namespace

void CBetLimitCheck::SetTexts(const char* minPrefix, const char* minSuffix, const char* maxPrefix,
                              const char* maxSuffix, const char* noMoney) {
  m_pMinPrefix = minPrefix;
  m_pMinSuffix = minSuffix;
  m_pMaxPrefix = maxPrefix;
  m_pMaxSuffix = maxSuffix;
  m_pNoMoney = noMoney;
}

const char* CBetLimitCheck::FormatAmount(const char* prefix, const TMoney& amount, const char* suffix) {
  // Printed from the exact digits, cut (not rounded) to cents like the stakes the chips make.
  char number[64];
  TMoney::Print(amount, number, -1, HasFraction(amount) ? 2 : 0);
  snprintf(m_Text, sizeof m_Text, "%s%s%s", OrEmpty(prefix), number, OrEmpty(suffix));
  return m_Text;
}

int32_t CBetLimitCheck::Check(const TMoney& bet, const TMoney& freeMoney, const TMoney& minimum,
                              const TMoney& maximum, int32_t checkMinimum, const char*& message) {
  message = "";
  if (checkMinimum && bet < minimum) {
    message = FormatAmount(m_pMinPrefix, minimum, m_pMinSuffix);
    return 0;
  }
  if (bet > maximum) {
    message = FormatAmount(m_pMaxPrefix, maximum, m_pMaxSuffix);
    return 0;
  }
  if (bet > freeMoney) {
    message = OrEmpty(m_pNoMoney);
    return 0;
  }
  return 1;
}
