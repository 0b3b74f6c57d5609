#include "cashierrequests.h"

#include "ostrel/kcbl/kcbl.h"

namespace {
// Text values may be missing; an empty text goes instead.
const char* Text(const char* text) { return text ? text : ""; }
}  // namespace

int32_t AddCashierRequest(CKCBL& record, const char* name) { return name ? record.NewItem(name, KEND) : 0; }

int32_t AddLoginRequest(CKCBL& record, const char* userName, const char* password, const char* machineAddress) {
  return record.NewItem(CASHIER_REQ_LOGIN, KSTRING, Text(userName), KSTRING, Text(password), KSTRING,
                        Text(machineAddress), KEND);
}

int32_t AddWireBankCountriesRequest(CKCBL& record) {
  return record.NewItem(CASHIER_REQ_WIREBANKCOUNTRIES, KSTRING, "", KEND);
}

int32_t AddStartupRequests(CKCBL& record) {
  for (const char* name : {CASHIER_REQ_TEXTCODES, CASHIER_REQ_CARDTYPES, CASHIER_REQ_REGGEDCARDS,
                           CASHIER_REQ_REGGEDWIREBANKS, CASHIER_REQ_TRANSFERINFO, CASHIER_REQ_OVERRIDES})
    if (!AddCashierRequest(record, name)) return 0;
  return AddWireBankCountriesRequest(record) && AddCashierRequest(record, CASHIER_REQ_COLLECTACCOUNTS) ? 1 : 0;
}

int32_t AddTextDataRequest(CKCBL& record, const char* windowName) {
  return record.NewItem(CASHIER_REQ_TEXTDATA, KSTRING, Text(windowName), KEND);
}

int32_t AddLogRequest(CKCBL& record, int32_t first, int32_t second) {
  return record.NewItem(CASHIER_REQ_LOG, KLONG, first, KLONG, second, KEND);
}
