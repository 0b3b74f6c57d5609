#include "tablevisit.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "client/clienttable.h"
#include "common/chat/chatclient.h"
#include "limitsscript.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"
#include "platform/display/display.h"
#include "server/servertable.h"
#include "tablefactory.h"
#include "tableloop.h"

SKavoVisitFlags DecodeVisitFlags(int32_t flags) {
  SKavoVisitFlags f;
  f.m_Remote = flags & (1 << 0) ? 1 : 0;
  f.m_Create = flags & (1 << 1) ? 1 : 0;
  f.m_Log = flags & (1 << 2) ? 1 : 0;
  f.m_Restore = flags & (1 << 3) ? 1 : 0;
  return f;
}

void HandOverToClientTable(CBlackJackClientTable& client, const SKavoVisitArgs& args, const SKavoVisitFlags& flags) {
  client.SetPlayerId(args.m_PlayerId);
  client.SetServerMsgPointer(args.m_pServerMsg);
  client.SetMusicObj(args.m_pMusic);
  client.SetStartSlotPos(args.m_StartSlotPos);
  client.SetChatObj(flags.m_Restore ? nullptr : args.m_pChat);
  client.SetCommObj(args.m_pLink);
}

int32_t JoinTableChannel(CChatClient& chat, int32_t tableId) {
  char channel[16];
  snprintf(channel, sizeof channel, "%d", tableId);
  return chat.ChangeChannel(channel);
}

int32_t StartServerTable(CBlackJackServerTable*& server, int32_t type, int32_t tableId,
                         CBlackJackClientTable& client, int32_t playerId, const SKavoVisitFlags& flags) {
  server = NewKavoServerTable(type);
  if (!server) return 0;
  SKavoLimits limits;
  const char* script = client.GetLimitsScriptName();
  if (script && !LoadLimitsScript(script, limits)) return 0;
  ApplyLimits(limits, *server);
  server->SetRestoreMode(flags.m_Restore);
  server->SetReserveId(playerId);
  server->SetBetTimeout(KAVO_FOR_FUN_BET_SECONDS);
  if (!server->InitTable(tableId, 0, 0, 0, 0)) return 0;
  server->SetLogStatus(flags.m_Log);
  server->SetMaxTimeOuts(5);
  return 1;
}

namespace {
bool FarSideKnows(CCommRemoteClient& link, const CCommNode* node) {
  return node && node->GetName() &&
         link.HasOtherSideNode(node->GetName(), static_cast<uint32_t>(std::strlen(node->GetName())), node->GetId(),
                               node->GetType()) != 0;
}
}  // namespace

int32_t LinkStillStands(CCommRemoteClient& link) { return link.IsConnected() && link.NonBlockedHandler() ? 1 : 0; }

int32_t AwaitServedTable(CBlackJackClientTable& client, CCommRemoteClient& link) {
  SetMinimumFrameTime(KAVO_FRAME_MS);
  const uint32_t start = xGetTime();
  for (;;) {
    if (!LinkStillStands(link)) return 0;
    if (FarSideKnows(link, client.GetSlotAllocNode()) && FarSideKnows(link, client.GetPlayerNode()) &&
        FarSideKnows(link, client.GetTableNode()))
      return 1;
    if (xTimeDiff(start, xGetTime()) >= KAVO_SERVED_TABLE_WAIT_MS) return 0;
    if (const int32_t quit = xHandler()) {
      PlatformPostQuit(quit);
      return 0;
    }
  }
}

namespace {
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

int32_t RunVisit(int32_t tableId, const char* userName, const SKavoVisitArgs& args, const SKavoVisitFlags& flags,
                 const TKavoClientMaker& makeClient) {
  const int32_t type = KavoTableType(tableId);
  if (!IsKavoTableType(type)) return 0;
  if (flags.m_Remote && args.m_pLink && !LinkStillStands(*args.m_pLink)) return 0;
  CTableVisit visit;
  visit.m_pClient.reset(makeClient ? makeClient(type) : NewKavoClientTable(type));
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
    if (!args.m_pLink || !AwaitServedTable(client, *args.m_pLink)) return 0;
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

int32_t RunTableVisit(int32_t tableId, const char* userName, const SKavoVisitArgs& args, const SKavoVisitFlags& flags,
                      const TKavoClientMaker& makeClient) {
  const int32_t result = RunVisit(tableId, userName, args, flags, makeClient);
  // The flip goes back on in every return path: the host draws its lobby next.
  SetFlip(1);
  return result;
}
