// The toolkit objects that the process globals hold: picture types, screens, the window manager
// with its default window and stock controls, the input devices and the music player.
#include "ostrel/system/runtimeobjects.h"

#include <new>

#include "ostrel/controls/button.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bmppic.h"
#include "ostrel/graphics/jpgpic.h"
#include "ostrel/graphics/pictype.h"
#include "ostrel/graphics/sprite.h"
#include "ostrel/input/cursorsprite.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/system/globals.h"
#include "platform/display/display.h"

int32_t xCreateToolkitLists() {
  glb->m_pPicTypeList = new (std::nothrow) CPicTypeList;
  glb->m_pScreenList = new (std::nothrow) CScreenBaseList;
  glb->m_pWinCtrl = new (std::nothrow) CWinCtrl;
  if (!glb->m_pPicTypeList || !glb->m_pScreenList || !glb->m_pWinCtrl) return 0;
  return glb->m_pWinCtrl->Create();
}

void xCreateToolkitWindows() {
  glb->m_pDefaultWindow = new (std::nothrow) CWindow;
  glb->m_pStockStatic = new (std::nothrow) CStatic;
  glb->m_pStockButton = new (std::nothrow) CButton;
}

void xFreeToolkitWindows() {
  delete glb->m_pDefaultWindow;
  glb->m_pDefaultWindow = nullptr;
  delete glb->m_pStockStatic;
  glb->m_pStockStatic = nullptr;
  delete glb->m_pStockButton;
  glb->m_pStockButton = nullptr;
}

void xFreeToolkitLists() {
  delete glb->m_pScreenList;
  glb->m_pScreenList = nullptr;
  delete glb->m_pPicTypeList;
  glb->m_pPicTypeList = nullptr;
  delete glb->m_pWinCtrl;
  glb->m_pWinCtrl = nullptr;
}

int32_t xCreateSystemObjects() {
  if (!glb || !sglb) return 0;
  // Each type registers itself; the JPEG type comes first in the list.
  if (!sglb->m_pJPGPic) sglb->m_pJPGPic = new (std::nothrow) CJPGPic;
  if (!sglb->m_pBMPPic) sglb->m_pBMPPic = new (std::nothrow) CBMPPic;
  // The input devices look at the display as they are made.
  PlatformChooseDisplay();
  // The screen registers itself in the screen list.
  if (!sglb->m_pDibScreen) sglb->m_pDibScreen = new (std::nothrow) CDibScreen;
  xSetCursorPictures(xSpriteCursorPictures());
  if (!glb->m_pMouse) glb->m_pMouse = new (std::nothrow) CMouse;
  if (!glb->m_pKeyboard) glb->m_pKeyboard = new (std::nothrow) CKeyboard;
  return sglb->m_pJPGPic && sglb->m_pBMPPic && sglb->m_pDibScreen && glb->m_pMouse && glb->m_pKeyboard ? 1 : 0;
}

void xProbeScreens() {
  if (!sglb) return;
  if (CDibScreen* screen = sglb->m_pDibScreen) {
    if (screen->ScreenAvailable()) {
      screen->GetVideoModes();
    } else {
      delete screen;  // leaves the screen list as it goes
      sglb->m_pDibScreen = nullptr;
    }
  }
}

void xDeleteSystemObjects() {
  if (sglb) {
    delete sglb->m_pJPGPic;
    sglb->m_pJPGPic = nullptr;
    delete sglb->m_pBMPPic;
    sglb->m_pBMPPic = nullptr;
    delete sglb->m_pDibScreen;  // clears the current screen when it was this one
    sglb->m_pDibScreen = nullptr;
  }
  if (glb) {
    delete glb->m_pMouse;
    glb->m_pMouse = nullptr;
    delete glb->m_pKeyboard;
    glb->m_pKeyboard = nullptr;
  }
  xSetCursorPictures(nullptr);
  PlatformReleaseDisplay();
}

int32_t xCurrentScreenWindowKind() {
  const CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  const SVmode* mode = screen ? screen->GetActiveMode() : nullptr;
  return mode ? mode->WindowKind : -1;
}

int32_t xWindowManagerSendMessage(int32_t message, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  CWinCtrl* wc = xWinCtrl();
  return wc ? wc->SendMessage(message, windowId, controlId, value, user) : 0;
}

int32_t xWindowManagerValidateArea(CRect* area, int32_t index) {
  CWinCtrl* wc = xWinCtrl();
  return wc ? wc->Validate(area, index) : 0;
}

void xWindowManagerValidateAll() {
  if (CWinCtrl* wc = xWinCtrl()) wc->Validate();
}

void xWindowManagerRemapDefaults() {
  if (CWinCtrl* wc = xWinCtrl()) wc->RemapDefaults();
}

void xCurrentScreenFlipPage() {
  if (glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->FlipPage();
}
void xCurrentScreenClearBuffer() {
  if (glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->ClearBuffer();
}
void xMusicTicker() {
  if (sglb && sglb->m_pMusic) sglb->m_pMusic->Ticker();
}
int32_t xCurrentScreenActive() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  return screen ? screen->GetActive() : 1;
}
