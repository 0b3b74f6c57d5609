#include "ostrelcomm/version.h"

#include "ostrel/system/versions.h"

void xShowVersionInfoOstrelcomm() { xShowVersionInfo("Version Info: OstrelComm v3.0", __DATE__ ", " __TIME__); }
