// The steps of one table visit that the module's entry takes in order: the flags word, the client
// table's hand-over values, the table's chat channel and the in-process server table.
#pragma once

#include <cstdint>
#include <functional>

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

// A link whose server no longer answers fails its first read: 1 while it still stands. The visit
// asks before it builds anything, so that a dead link costs no table set-up (which loads for a
// long time without looking at the link).
int32_t LinkStillStands(CCommRemoteClient& link);

// A remote table's client speaks only once the link knows the served table's nodes: a record sent
// to a node the far side has not announced yet is dropped, and the join would wait for an answer
// to it in vain. 1 once the nodes the client sends on are known; 0 when the link fails or drops,
// the program is asked to quit (posted again for the host), or they are not known within
// `KAVO_SERVED_TABLE_WAIT_MS` of the clock.
inline constexpr uint32_t KAVO_SERVED_TABLE_WAIT_MS = 30000;
int32_t AwaitServedTable(CBlackJackClientTable& client, CCommRemoteClient& link);

// Makes the client table of a table type; the module makes the game's own class.
using TKavoClientMaker = std::function<CBlackJackClientTable*(int32_t type)>;

// One table visit, from the table id to the end of the table loop, with the module's answers
// (0 to 3); nothing of the table is left when it returns. The screen's flip is off while the
// table is built (unless the player creates the table) and on again at every return.
int32_t RunTableVisit(int32_t tableId, const char* userName, const SKavoVisitArgs& args, const SKavoVisitFlags& flags,
                      const TKavoClientMaker& makeClient = {});
