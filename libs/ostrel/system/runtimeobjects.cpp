// The toolkit classes arrive each with its own component: the picture types, screens and window
// manager are not part of the runtime yet (the picture-type list is). Until a component exists
// its objects are simply absent, which every caller already tolerates.
#include "ostrel/system/runtimeobjects.h"

#include <new>

#include "ostrel/graphics/pictype.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/input/mouse.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/system/globals.h"
#include "platform/display/display.h"

int32_t xCreateToolkitLists() {
  glb->m_pPicTypeList = new (std::nothrow) CPicTypeList;
  return glb->m_pPicTypeList != nullptr;
}
void xCreateToolkitWindows() {}
void xFreeToolkitWindows() {}
void xFreeToolkitLists() {
  delete glb->m_pPicTypeList;
  glb->m_pPicTypeList = nullptr;
}

int32_t xCreateSystemObjects() {
  if (!glb) return 0;
  // The input devices look at the display as they are made.
  PlatformChooseDisplay();
  if (!glb->m_pMouse) glb->m_pMouse = new (std::nothrow) CMouse;
  if (!glb->m_pKeyboard) glb->m_pKeyboard = new (std::nothrow) CKeyboard;
  return glb->m_pMouse && glb->m_pKeyboard ? 1 : 0;
}

void xProbeScreens() {}

void xDeleteSystemObjects() {
  if (glb) {
    delete glb->m_pMouse;
    glb->m_pMouse = nullptr;
    delete glb->m_pKeyboard;
    glb->m_pKeyboard = nullptr;
  }
  PlatformReleaseDisplay();
}

int32_t xCurrentScreenWindowKind() { return -1; }

int32_t xWindowManagerSendMessage(int32_t, int32_t, int32_t, int32_t, void*) { return 0; }

void xCurrentScreenFlipPage() {}
void xCurrentScreenClearBuffer() {}
void xMusicTicker() {
  if (sglb && sglb->m_pMusic) sglb->m_pMusic->Ticker();
}
int32_t xCurrentScreenActive() { return 1; }  // no screen yet
