// The blackjack module kavo.so: the host loads it, hands it the runtime's process blocks and runs
// one table visit inside xMain, which returns when the player leaves the table.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "client/clienttable.h"
#include "common/chat/chatclient.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "server/servertable.h"
#include "tablefactory.h"
#include "tableloop.h"
#include "tablevisit.h"

class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

namespace {
// The module serves one table at a time; these hold the host's blocks between the calls.
SGlobals* g_HostGlobals = nullptr;
SSysGlobals* g_HostSysGlobals = nullptr;

constexpr int32_t kWaitingWindowId = 3000;

void SetFlip(int32_t on) {
  if (glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->SetFlipScreen(on);
}

// The caller's waiting window stays up until the table is built; the table covers it.
void HideWaitingWindows() {
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  if (!windows) return;
  for (int32_t n = windows->NumWindows() - 1; n >= 0; --n) {
    CWindowBase* window = windows->GetWindowAt(n);
    if (window && window->GetID() == kWaitingWindowId) window->HideWindow();
  }
}

// Both halves of one visit; the destructor takes down what was built, in the module's order.
class CTableVisit {
 public:
  ~CTableVisit() {
    if (m_pClient) m_pClient->ExitTable();
    if (m_pServer) m_pServer->ExitTable();
    m_pClient.reset();
    m_pServer.reset();
  }
  std::unique_ptr<CBlackJackClientTable> m_pClient;
  std::unique_ptr<CBlackJackServerTable> m_pServer;
};

int32_t RunVisit(int32_t tableId, const char* userName, const SKavoVisitArgs& args, const SKavoVisitFlags& flags) {
  const int32_t type = KavoTableType(tableId);
  if (!IsKavoTableType(type)) return 0;
  CTableVisit visit;
  visit.m_pClient.reset(NewKavoClientTable(type));
  if (!visit.m_pClient) return 0;
  CBlackJackClientTable& client = *visit.m_pClient;
  CChatClient* chat = flags.m_Restore ? nullptr : args.m_pChat;
  HandOverToClientTable(client, args, flags);
  if (!flags.m_Create) SetFlip(0);
  HideWaitingWindows();
  if (!client.InitTable(tableId, flags.m_Remote, 0, 0, 0)) return 0;
  client.SetLogStatus(flags.m_Log);
  client.SetCreateMode(flags.m_Create);
  client.SetRestoreMode(flags.m_Restore);
  if (chat) JoinTableChannel(*chat, tableId);
  client.SetUserName(userName);
  if (flags.m_Remote) {
    if (!args.m_pLink) return 0;
  } else {
    CBlackJackServerTable* server = nullptr;
    const int32_t started = StartServerTable(server, type, tableId, client, args.m_PlayerId, flags);
    visit.m_pServer.reset(server);
    if (!started) return 0;
  }
  xHandler();
  // The half-built table stayed off the window; the built one is shown. (Left off, a table that
  // was not created by this player would never reach the window.)
  SetFlip(1);
  if (flags.m_Create && glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->SetSystemPalette();
  return RunTableLoop(client, visit.m_pServer.get(), flags.m_Remote, args.m_pLink);
}
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
  const int32_t result = RunVisit(tableId, userName, args, decoded);
  // The flip goes back on in every return path: the host draws its lobby next.
  SetFlip(1);
  return result;
}

}  // extern "C"
