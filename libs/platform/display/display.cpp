#include "platform/display/display.h"

#include "platform/display/headless.h"

namespace {
CDisplayBackend* g_Display = nullptr;
}  // namespace

CDisplayBackend* PlatformHeadlessDisplay() {
  static CHeadlessDisplay headless;
  return &headless;
}

CDisplayBackend* PlatformDisplay() { return g_Display ? g_Display : PlatformHeadlessDisplay(); }

void PlatformSetDisplay(CDisplayBackend* backend) { g_Display = backend; }

void PlatformPostQuit(int32_t code) {
  PlatformDisplay()->PostMessage({XMSG_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(code)), 0});
}
