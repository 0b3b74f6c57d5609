#include "ostrel/system/otherwindows.h"

#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"
#include "platform/ipc/windowlink.h"

namespace {
int64_t HandleRequest(const TWindowRequest& request) {
  switch (request.m_Kind) {
    case XWINREQ_RAISE:  // a minimised window comes back first: the player asked to see it
      if (PlatformDisplay()->IsWindowMinimized()) PlatformDisplay()->RestoreWindow();
      PlatformDisplay()->RaiseWindow();
      return 1;
    case XWINREQ_MINIMISE:
      PlatformDisplay()->MinimizeWindow();
      return 1;
    default:
      // The parameters arrive as the 32-bit WPARAM and LPARAM they were sent as.
      return SystemWindowProc(sglb ? sglb->m_hMainWnd : nullptr, request.m_Message,
                              static_cast<uintptr_t>(static_cast<uint32_t>(request.m_WParam)),
                              static_cast<intptr_t>(request.m_LParam));
  }
}
}  // namespace

int32_t xFindWindow(const char* name) { return PlatformWindowExists(name) ? 1 : 0; }
int32_t xSetForegroundWindow(const char* name) { return PlatformWindowNotify(name, XWINREQ_RAISE) ? 1 : 0; }
int32_t xSetWindowMiniMized(const char* name) { return PlatformWindowNotify(name, XWINREQ_MINIMISE) ? 1 : 0; }

int32_t xSendMessageToApplication(const char* name, uint32_t message, int32_t wParam, int32_t lParam,
                                  intptr_t* result) {
  int64_t answer = 0;
  const EWindowSendResult r =
      PlatformWindowSend(name, {XWINREQ_MESSAGE, message, wParam, lParam}, XSENDMESSAGE_TIMEOUT_MS, answer);
  if (r == XWINSEND_NO_ANSWER) xprintf("xSendMessageToApplication: '%s' did not answer message %u", name, message);
  if (r != XWINSEND_ANSWERED) return 0;
  if (result) *result = static_cast<intptr_t>(answer);
  return 1;
}

void xSetMainWindowTitle(const char* title) {
  if (!title) return;
  PlatformDisplay()->SetTitle(title);
  if (sglb && sglb->m_hMainWnd) xOpenWindowLink(title);
}

int32_t xOpenWindowLink(const char* title) {
  if (PlatformWindowListen(title, HandleRequest)) return 1;
  xprintf("xOpenWindowLink: another program has the window title '%s'", title ? title : "");
  return 0;
}

void xServeWindowLink() { PlatformWindowServe(); }
void xCloseWindowLink() { PlatformWindowStopListening(); }
