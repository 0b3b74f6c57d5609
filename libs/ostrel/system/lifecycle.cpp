#include <new>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/appname.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/memhooks.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/otherwindows.h"
#include "ostrel/system/runtimeobjects.h"
#include "ostrel/system/timers.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"

namespace {
constexpr int kSquaresCount = 256;
// The class atom only marks that the window's class was registered; there is no class table.
constexpr uint16_t kWindowClassAtom = 1;

template <class T>
void DeleteField(T*& field) {
  delete field;
  field = nullptr;
}
}  // namespace

int32_t xCreateGlobals() {
  if (!glb) return 0;
  if (!xCreateToolkitLists()) return 0;
  auto* squares = new (std::nothrow) uint16_t[kSquaresCount];
  if (!squares) return 0;
  for (int i = 0; i < kSquaresCount; ++i) squares[i] = static_cast<uint16_t>(i * i);
  glb->m_pSquares = squares;
  xCreateToolkitWindows();
  return 1;
}

void xFreeGlobals() {
  if (!glb) return;
  xFreeToolkitWindows();
  delete[] glb->m_pSquares;
  glb->m_pSquares = nullptr;
  xFreeToolkitLists();
  if (CLList* owned = glb->m_pOwnedEntries) {
    owned->KillAllData();
    DeleteField(glb->m_pOwnedEntries);
  }
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  xDeleteBusEntries(glb->m_pMsgSysList);
  DeleteField(glb->m_pNodeList);  // the nodes belong to their owners
}

int32_t xInit() {
  if (!glb || !sglb) return 0;
  if (!xCreateSystemObjects()) return 0;
  sglb->m_WndClassAtom = kWindowClassAtom;
  CDisplayBackend* display = PlatformDisplay();
  if (!display->OpenWindow(GetApplicationName(), 0, 0, 1, 1)) return 0;
  sglb->m_hMainWnd = display;
  // Other programs find the window by its title. When another program has the title already,
  // that one stays the window they find.
  xOpenWindowLink(GetApplicationName());
  // The window's drawing context is the window itself; screens present through the backend.
  sglb->m_hDC = display;
  xProbeScreens();
  // The C runtime is part of every process here; there is nothing to look for.
  return 1;
}

void xExit() {
  if (!sglb) return;
  sglb->m_SocketStartCount = 0;
  xCloseWindowLink();
  if (sglb->m_hMainWnd) PlatformDisplay()->CloseWindow();
  sglb->m_hMainWnd = nullptr;
  sglb->m_hDC = nullptr;
  sglb->m_WndClassAtom = 0;
  xDeleteSystemObjects();
  if (glb) {
    xSysFreeMemFunc(glb->m_pColourMapCache);
    glb->m_pColourMapCache = nullptr;
    xFreeFramePools();
  }
  xDeleteWinMsgEntries(sglb->m_pWinMsgList);
}
