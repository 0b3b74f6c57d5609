// A stand-in for the play-history viewer module: keeps the module contract and records how the
// host calls its three entry points. Built three ways: whole, without "Handler"
// (QUILLET_STUB_NO_HANDLER), and refusing the contract (QUILLET_STUB_REFUSE_CONTRACT).
#include <cstdint>
#include <cstdio>
#include <string>

#include "ostrel/system/dynlib.h"

class CCommNode;

namespace {
std::string g_Log;
}  // namespace

extern "C" {

int DynamicInheritOstrel(SGlobals* g, SSysGlobals* s) {
#ifdef QUILLET_STUB_REFUSE_CONTRACT
  (void)g;
  (void)s;
  return 0;
#else
  g_Log += "contract;";
  return xInheritOstrel(g, s);
#endif
}

int32_t Init(CCommNode* node, int32_t playerId, int32_t gameId) {
  char line[96];
  snprintf(line, sizeof line, "Init %p %d %d;", static_cast<void*>(node), playerId, gameId);
  g_Log += line;
  return 3;
}

#ifndef QUILLET_STUB_NO_HANDLER
int32_t Handler() {
  g_Log += "Handler;";
  return 4;
}
#endif

int32_t Exit() {
  g_Log += "Exit;";
  return 5;
}

// What the module was asked, in order.
const char* QuilletStubLog() { return g_Log.c_str(); }
}
