#include "common/database/stovaerrors.h"

#include "ostrel/system/debug.h"
#include "stova/stova.h"

void xDrainStovaErrors(CStovaConnBase* db, const char* format) {
  if (!db) return;
  c2stovaError error;
  while (db->GetLastStovaError(error)) xprintf(format, error.GetText());
}

int32_t xStovaCallOk(CStovaConnBase* db, int32_t result, int32_t flag, const char* errorFormat,
                     const char* falseText) {
  if (result && flag) return 1;
  if (result || !db) {
    xprintf("%s", falseText);
    xDrainStovaErrors(db, errorFormat);
    return 0;
  }
  c2stovaError error;
  bool any = false;
  while (db->GetLastStovaError(error)) {
    any = true;
    xprintf(errorFormat, error.GetText());
  }
  if (!any) xprintf("%s", falseText);
  return 0;
}
