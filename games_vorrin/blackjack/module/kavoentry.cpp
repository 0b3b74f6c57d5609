// The blackjack module kavo.so: the host loads it, hands it the runtime's process blocks and runs
// one table visit inside xMain, which returns when the player leaves the table.
#include <cstdint>

#include "ostrel/system/dynlib.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "tablevisit.h"

class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

namespace {
// The module serves one table at a time; these hold the host's blocks between the calls.
SGlobals* g_HostGlobals = nullptr;
SSysGlobals* g_HostSysGlobals = nullptr;
}  // namespace

extern "C" {

int DynamicInheritOstrel(SGlobals* g, SSysGlobals* s) {
  g_HostGlobals = g;
  g_HostSysGlobals = s;
  return xInheritOstrel(g, s);
}

// One table visit: 0 when it could not start or ended (the table stopped, the link was lost), 1
// when the player left, 2 for a restart, 3 for the cashier.
int32_t xMain(int32_t playerId, int32_t tableId, CChatClient* chat, CCommRemoteClient* link, char* userName,
              CMilesMusic* music, TServerMsg* serverMsg, int32_t startSlotPos, int32_t reserved, int32_t flags) {
  (void)reserved;
  const SKavoVisitFlags decoded = DecodeVisitFlags(flags);
  if (!xCommDllSetGlobals(g_HostGlobals, g_HostSysGlobals)) return 0;
  SKavoVisitArgs args;
  args.m_PlayerId = playerId;
  args.m_pChat = chat;
  args.m_pLink = link;
  args.m_pMusic = music;
  args.m_pServerMsg = serverMsg;
  args.m_StartSlotPos = startSlotPos;
  return RunTableVisit(tableId, userName, args, decoded);
}

}  // extern "C"
