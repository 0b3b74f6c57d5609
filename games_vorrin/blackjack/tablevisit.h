// The steps of one table visit that the module's entry takes in order: the flags word, the client
// table's hand-over values, the table's chat channel and the in-process server table.
#pragma once

#include <cstdint>

class CBlackJackClientTable;
class CBlackJackServerTable;
class CChatClient;
class CCommRemoteClient;
class CMilesMusic;
struct TServerMsg;

struct SKavoVisitFlags {
  int32_t m_Remote = 0;   // bit 0: the server half runs elsewhere, reached through the link
  int32_t m_Create = 0;   // bit 1: the player opened the table by creating it
  int32_t m_Log = 0;      // bit 2: packet logging of both halves
  int32_t m_Restore = 0;  // bit 3: the table is being restored; no chat then
};

// Other bits are ignored.
SKavoVisitFlags DecodeVisitFlags(int32_t flags);

struct SKavoVisitArgs {
  int32_t m_PlayerId = 0;
  CChatClient* m_pChat = nullptr;
  CCommRemoteClient* m_pLink = nullptr;
  CMilesMusic* m_pMusic = nullptr;
  TServerMsg* m_pServerMsg = nullptr;
  int32_t m_StartSlotPos = -1;
};

// What the client table gets before its InitTable; a restored table gets no chat.
void HandOverToClientTable(CBlackJackClientTable& client, const SKavoVisitArgs& args, const SKavoVisitFlags& flags);
// The chat joins the channel named by the table id; 0 when it refuses the name.
int32_t JoinTableChannel(CChatClient& chat, int32_t tableId);
// The seconds a for-fun round gives its players to bet.
inline constexpr int32_t KAVO_FOR_FUN_BET_SECONDS = 15;

// The in-process server table of the type with the limits of the client table's script, started;
// 0 (what was made stays in `server` for the caller's tear-down) on any failure.
int32_t StartServerTable(CBlackJackServerTable*& server, int32_t type, int32_t tableId,
                         CBlackJackClientTable& client, int32_t playerId, const SKavoVisitFlags& flags);
