// The frame loop of one table visit: both halves of the table driven until the player leaves.
#pragma once

#include <cstdint>

class CClientTableBase;
class CServerTableBase;
class CCommRemoteClient;

// The length of a frame: 50 frames a second.
inline constexpr int32_t KAVO_FRAME_MS = 20;

// What the loop answers to the module's caller.
enum : int32_t {
  KAVO_RESULT_ENDED = 0,    // the client table stopped, or the link was lost
  KAVO_RESULT_LEFT = 1,     // back to the lobby; also when the in-process server table stops
  KAVO_RESULT_RESTART = 2,  // the player wants a restart
  KAVO_RESULT_CASHIER = 3,  // the player wants the cashier
};

// 20 ms frames: the server half (when in this process) before the client half, then the wish
// flags, then the remote link. With `remote` a stopping client table first lets the link flush. A
// closed window or a quit request ends the visit as leaving; the host sees either afterwards.
int32_t RunTableLoop(CClientTableBase& client, CServerTableBase* server, int32_t remote, CCommRemoteClient* link);

// The loop's answer once the client table wants to leave.
int32_t ExitWish(CClientTableBase& client);
