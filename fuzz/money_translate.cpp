// Money text from outside (records, packets, edit fields): Translate must never read past the
// text, and whatever it accepts must print and read back to the same value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/base/money.h"

using Money = CHugeFixedPoint<10, 10>;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);  // cut at the first zero byte
  Money m;
  int32_t ok = Money::Translate(text.c_str(), m);
  if (m.m_Sign != 0 && m.m_Sign != HFP_NEGATIVE) abort();
  if (m.IsZero() && m.m_Sign) abort();
  for (uint8_t d : m.m_Digits)
    if (d > 9) abort();
  if (!ok) {
    if (!m.IsZero()) abort();
    return 0;
  }
  char printed[32];
  if (!Money::Print(m, printed, -1, -1)) abort();
  Money back;
  if (!Money::Translate(printed, back) || back != m || back.m_Sign != m.m_Sign) abort();
  // Arithmetic on accepted values stays within the digits.
  Money sum = m + back, product = m * back;
  (void)sum.GetString(12, 2);
  (void)product.GetString(-1, -1);
  return 0;
}
