#include "tablevisit.h"

#include <cstdio>

#include "client/clienttable.h"
#include "common/chat/chatclient.h"
#include "limitsscript.h"
#include "server/servertable.h"
#include "tablefactory.h"

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
