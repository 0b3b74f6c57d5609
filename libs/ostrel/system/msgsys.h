// The message bus: numbered messages with two arguments, delivered to every receiver registered
// for the number, highest priority first.
#pragma once

#include <cstdint>

#include "ostrel/base/types.h"

class CMsgSys {
 public:
  CMsgSys() = default;
  CMsgSys(const CMsgSys&) = delete;
  CMsgSys& operator=(const CMsgSys&) = delete;
  // The bus ignores the result.
  virtual int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b);
  virtual ~CMsgSys();
};

// Messages sent by a screen around a page flip.
inline constexpr uint32_t XMSG_BUS_DRAW = 2;
inline constexpr uint32_t XMSG_BUS_CLEAR = 3;

// 1 when the exact triple is already registered; equal priorities keep registration order.
int32_t xRegisterMsgHandler(CMsgSys* receiver, uint32_t message, int32_t priority);
// 1 when at least one receiver was called.
int32_t xSendMsg(uint32_t message, TMsgParam a, TMsgParam b);
// Removes one entry of receiver and message with that priority; -1 matches any priority.
void xRemoveMsgHandler(CMsgSys* receiver, uint32_t message, int32_t priority);
void xRemoveMsgHandlers(CMsgSys* receiver);
void xEnsureMsgList();

class CLList;
// Frees the bus list with its entries (at the release of the globals).
void xDeleteBusEntries(CLList*& list);
