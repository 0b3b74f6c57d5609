#include "common/info/commonversion.h"

#include "ostrel/system/versions.h"
#include "stova/stovaconn.h"

void xShowVersionInfoCommonlib() {
  xShowVersionInfoStova();
  xShowVersionInfo("Version Info: Commonlib v3.0", __DATE__ ", " __TIME__);
}
