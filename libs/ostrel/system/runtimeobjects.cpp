// Most toolkit classes are not part of the runtime yet: the picture types, screens, window
// manager and input devices each arrive with their own component. Until a component exists its
// objects are simply absent, which every caller already tolerates.
#include "ostrel/system/runtimeobjects.h"

#include "ostrel/sound/milesmusic.h"
#include "ostrel/system/globals.h"

int32_t xCreateToolkitLists() { return 1; }
void xCreateToolkitWindows() {}
void xFreeToolkitWindows() {}
void xFreeToolkitLists() {}

int32_t xCreateSystemObjects() { return 1; }
void xProbeScreens() {}
void xDeleteSystemObjects() {}

void xCurrentScreenFlipPage() {}
void xCurrentScreenClearBuffer() {}
void xMusicTicker() {
  if (sglb && sglb->m_pMusic) sglb->m_pMusic->Ticker();
}
int32_t xCurrentScreenActive() { return 1; }  // no screen yet
