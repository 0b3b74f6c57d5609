// The picture type list is made here; the picture types themselves, the screens, window
// manager, input devices and music player each arrive with their own component. Until a
// component exists its objects are simply absent, which every caller already tolerates.
#include "ostrel/system/runtimeobjects.h"

#include <new>

#include "ostrel/graphics/pictype.h"
#include "ostrel/system/globals.h"

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

int32_t xCreateSystemObjects() { return 1; }
void xProbeScreens() {}
void xDeleteSystemObjects() {}

void xCurrentScreenFlipPage() {}
void xCurrentScreenClearBuffer() {}
void xMusicTicker() {}
