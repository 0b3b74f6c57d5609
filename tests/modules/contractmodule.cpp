// A module that keeps the module contract and lets a test see how the host called it.
#include "ostrel/system/dynlib.h"

namespace {
int g_Result = 1;
int g_Calls = 0;
SGlobals* g_pSeen = nullptr;
SSysGlobals* g_pSeenSys = nullptr;
}  // namespace

extern "C" {

int DynamicInheritOstrel(SGlobals* g, SSysGlobals* s) {
  ++g_Calls;
  g_pSeen = g;
  g_pSeenSys = s;
  return g_Result ? xInheritOstrel(g, s) : 0;
}

// What the next contract call answers (the module refusing its host).
void ContractModuleSetResult(int result) { g_Result = result; }
int ContractModuleCalls() { return g_Calls; }
SGlobals* ContractModuleGlobals() { return g_pSeen; }
SSysGlobals* ContractModuleSysGlobals() { return g_pSeenSys; }
}
