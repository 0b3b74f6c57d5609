// The blackjack module kavo.so: the host loads it, hands it the runtime's process blocks and runs
// one table visit inside xMain, which returns when the player leaves the table.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "client/clienttable.h"
#include "common/chat/chatclient.h"
#include "limitsscript.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "server/servertable.h"
#include "tablefactory.h"
#include "tableloop.h"

class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

namespace {
// The module serves one table at a time; these hold the host's blocks between the calls.
SGlobals* g_HostGlobals = nullptr;
SSysGlobals* g_HostSysGlobals = nullptr;

constexpr int32_t kFlagRemote = 1 << 0;
constexpr int32_t kFlagCreate = 1 << 1;
constexpr int32_t kFlagLog = 1 << 2;
constexpr int32_t kFlagRestore = 1 << 3;
constexpr int32_t kWaitingWindowId = 3000;

struct SModuleFlags {
  int32_t m_Remote, m_Create, m_Log, m_Restore;
};

SModuleFlags DecodeFlags(int32_t flags) {
  return {(flags & kFlagRemote) ? 1 : 0, (flags & kFlagCreate) ? 1 : 0, (flags & kFlagLog) ? 1 : 0,
          (flags & kFlagRestore) ? 1 : 0};
}

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

// The in-process server table of play for fun, with the limits of the client table's script.
int32_t StartServerTable(CTableVisit& visit, int32_t type, int32_t tableId, int32_t playerId,
                         const SModuleFlags& flags) {
  visit.m_pServer.reset(NewKavoServerTable(type));
  if (!visit.m_pServer) return 0;
  SKavoLimits limits;
  const char* script = visit.m_pClient->GetLimitsScriptName();
  if (script && !LoadLimitsScript(script, limits)) return 0;
  ApplyLimits(limits, *visit.m_pServer);
  CBlackJackServerTable& server = *visit.m_pServer;
  server.SetRestoreMode(flags.m_Restore);
  server.SetReserveId(playerId);
  if (!server.InitTable(tableId, 0, 0, 0, 0)) return 0;
  server.SetLogStatus(flags.m_Log);
  server.SetMaxTimeOuts(5);
  return 1;
}

int32_t PrepareClientTable(CBlackJackClientTable& client, int32_t playerId, CChatClient* chat,
                           CCommRemoteClient* link, CMilesMusic* music, TServerMsg* serverMsg, int32_t startSlotPos,
                           const SModuleFlags& flags) {
  client.SetPlayerId(playerId);
  client.SetServerMsgPointer(serverMsg);
  client.SetMusicObj(music);
  client.SetStartSlotPos(startSlotPos);
  client.SetChatObj(flags.m_Restore ? nullptr : chat);
  client.SetCommObj(link);
  return 1;
}

int32_t RunVisit(int32_t playerId, int32_t tableId, CChatClient* chat, CCommRemoteClient* link, const char* userName,
                 CMilesMusic* music, TServerMsg* serverMsg, int32_t startSlotPos, const SModuleFlags& flags) {
  const int32_t type = KavoTableType(tableId);
  if (!IsKavoTableType(type)) return 0;
  CTableVisit visit;
  visit.m_pClient.reset(NewKavoClientTable(type));
  if (!visit.m_pClient) return 0;
  CBlackJackClientTable& client = *visit.m_pClient;
  if (flags.m_Restore) chat = nullptr;
  PrepareClientTable(client, playerId, chat, link, music, serverMsg, startSlotPos, flags);
  if (!flags.m_Create) SetFlip(0);
  HideWaitingWindows();
  if (!client.InitTable(tableId, flags.m_Remote, 0, 0, 0)) return 0;
  client.SetLogStatus(flags.m_Log);
  client.SetCreateMode(flags.m_Create);
  client.SetRestoreMode(flags.m_Restore);
  if (chat) {
    char channel[16];
    snprintf(channel, sizeof channel, "%d", tableId);
    chat->ChangeChannel(channel);
  }
  client.SetUserName(userName);
  if (flags.m_Remote) {
    if (!link) return 0;
  } else if (!StartServerTable(visit, type, tableId, playerId, flags)) {
    return 0;
  }
  xHandler();
  if (flags.m_Create) {
    SetFlip(1);
    if (glb && glb->m_pCurrentScreen) glb->m_pCurrentScreen->SetSystemPalette();
  }
  return RunTableLoop(client, visit.m_pServer.get(), flags.m_Remote, link);
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
  const SModuleFlags decoded = DecodeFlags(flags);
  if (!xCommDllSetGlobals(g_HostGlobals, g_HostSysGlobals)) return 0;
  const int32_t result =
      RunVisit(playerId, tableId, chat, link, userName, music, serverMsg, startSlotPos, decoded);
  // The flip goes back on in every return path: the host draws its lobby next.
  SetFlip(1);
  return result;
}

}  // extern "C"
