// Requests to the main window arrive on a socket from other programs.
#include <cstdint>

#include "platform/ipc/windowlink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TWindowRequest request;
  if (!PlatformDecodeWindowRequest(data, size, request)) return 0;
  uint8_t wire[XWINREQ_SIZE];
  PlatformEncodeWindowRequest(request, wire);
  TWindowRequest again;
  if (!PlatformDecodeWindowRequest(wire, sizeof wire, again) || again.m_Kind != request.m_Kind ||
      again.m_Message != request.m_Message || again.m_WParam != request.m_WParam || again.m_LParam != request.m_LParam)
    __builtin_trap();
  return 0;
}
