// The toolkit classes arrive each with its own component: the screens and window manager are not
// part of the runtime yet. Until a component exists its objects are simply absent, which every
// caller already tolerates.
#include "ostrel/system/runtimeobjects.h"

#include <new>

#include "ostrel/graphics/bmppic.h"
#include "ostrel/graphics/jpgpic.h"
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
  if (!glb || !sglb) return 0;
  // Each type registers itself; the JPEG type comes first in the list.
  if (!sglb->m_pJPGPic) sglb->m_pJPGPic = new (std::nothrow) CJPGPic;
  if (!sglb->m_pBMPPic) sglb->m_pBMPPic = new (std::nothrow) CBMPPic;
  // The input devices look at the display as they are made.
  PlatformChooseDisplay();
  if (!glb->m_pMouse) glb->m_pMouse = new (std::nothrow) CMouse;
  if (!glb->m_pKeyboard) glb->m_pKeyboard = new (std::nothrow) CKeyboard;
  return sglb->m_pJPGPic && sglb->m_pBMPPic && glb->m_pMouse && glb->m_pKeyboard ? 1 : 0;
}

void xProbeScreens() {}

void xDeleteSystemObjects() {
  if (sglb) {
    delete sglb->m_pJPGPic;
    sglb->m_pJPGPic = nullptr;
    delete sglb->m_pBMPPic;
    sglb->m_pBMPPic = nullptr;
  }
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
