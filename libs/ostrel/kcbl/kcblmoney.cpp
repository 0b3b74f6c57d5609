// Stand-in until the money type is in: every amount fails.
#include "ostrel/kcbl/kcblmoney.h"

size_t xKCBLMoneyTextSize(int32_t) { return 1; }
size_t xKCBLFormatMoney(const TKCBLMoney&, int32_t, char* out, size_t) {
  *out = 0;
  return 0;
}
void xKCBLParseMoney(const char*, TKCBLMoney*) {}
const TKCBLMoney* xKCBLMoneyAt(const TKCBLMoney* base, int64_t) { return base; }
TKCBLMoney* xKCBLMoneyAt(TKCBLMoney* base, int64_t) { return base; }
