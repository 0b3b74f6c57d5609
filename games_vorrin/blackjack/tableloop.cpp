#include "tableloop.h"

#include "common/tables/clienttablebase.h"
#include "common/tables/servertablebase.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/startuplog.h"
#include "ostrel/system/sysservices.h"
#include "ostrelcomm/commtcp.h"
#include "platform/display/display.h"

namespace {
// Queued packets (the leave message above all) must reach the server before the visit ends. The
// link's own handler writes them; a link that fails or drops counts as flushed.
void FlushLink(CCommRemoteClient* link) {
  while (link && !link->IsFlushed()) {
    if (xHandler() != 0 || !link->NonBlockedHandler()) break;
  }
}
}  // namespace

int32_t ExitWish(CClientTableBase& client) {
  if (client.WantRestart()) return KAVO_RESULT_RESTART;
  if (client.WantCashier()) return KAVO_RESULT_CASHIER;
  return KAVO_RESULT_LEFT;
}

int32_t RunTableLoop(CClientTableBase& client, CServerTableBase* server, int32_t remote, CCommRemoteClient* link) {
  SetMinimumFrameTime(KAVO_FRAME_MS);
  SetUpdateTime(KAVO_FRAME_MS);
  xLogStartupSuccess();
  for (;;) {
    // A closed window or a quit request ends the visit as leaving does. The closed window's flag
    // stays set and a quit request is posted again, so that the host ends too.
    const int32_t quit = xHandler();
    if (quit != 0 || xDoUserWantToQuit()) {
      if (remote) FlushLink(link);
      if (quit != 0) PlatformPostQuit(quit);
      return KAVO_RESULT_LEFT;
    }
    if (server && !server->ServerHandler()) return KAVO_RESULT_LEFT;
    if (!client.ClientHandler()) {
      if (remote) FlushLink(link);
      return KAVO_RESULT_ENDED;
    }
    if (client.WantExit()) return ExitWish(client);
    if (remote && (!link || !link->NonBlockedHandler())) return KAVO_RESULT_ENDED;
  }
}
