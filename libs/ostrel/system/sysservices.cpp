#include "ostrel/system/sysservices.h"

#include "ostrel/system/globals.h"

uint8_t xDoUserWantToQuit() { return glb ? glb->m_UserWantsToQuit : 0; }

void xSetUserWantToQuit(uint8_t on) {
  if (glb) glb->m_UserWantsToQuit = on;
}
