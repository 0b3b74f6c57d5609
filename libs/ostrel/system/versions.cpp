#include "ostrel/system/versions.h"

#include "ostrel/system/debug.h"

void xShowVersionInfo(const char* name, const char* version) {
  xprintf("%s (%s)\n", name ? name : "", version ? version : "");
}

void xShowVersionInfoOstrel() { xShowVersionInfo("Version Info: Ostrel v3.0", __DATE__ ", " __TIME__); }
