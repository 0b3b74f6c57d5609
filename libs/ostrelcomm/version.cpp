#include "ostrelcomm/version.h"

#include "ostrel/system/debug.h"

void xShowVersionInfoOstrelcomm() { xprintf("%s (%s, %s)\n", "Version Info: OstrelComm v3.0", __DATE__, __TIME__); }
