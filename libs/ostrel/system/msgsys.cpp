#include "ostrel/system/msgsys.h"

#include <new>

#include "ostrel/system/dispatchlist.h"
#include "ostrel/system/globals.h"

namespace {
struct SBusEntry : SDispatchEntry {
  CMsgSys* m_pReceiver;
  uint32_t m_Message;
  int32_t m_Priority;
};

int32_t g_SendDepth = 0;

CLList* BusList() { return glb ? glb->m_pMsgSysList : nullptr; }

bool Matches(const SBusEntry* e, CMsgSys* receiver, uint32_t message) {
  return !e->m_Removed && e->m_pReceiver == receiver && e->m_Message == message;
}
}  // namespace

int32_t CMsgSys::MsgHandler(uint32_t, TMsgParam, TMsgParam) { return 0; }
CMsgSys::~CMsgSys() { xRemoveMsgHandlers(this); }

void xEnsureMsgList() {
  if (glb && !glb->m_pMsgSysList) glb->m_pMsgSysList = new (std::nothrow) CLList;
}

int32_t xRegisterMsgHandler(CMsgSys* receiver, uint32_t message, int32_t priority) {
  xEnsureMsgList();
  CLList* list = BusList();
  if (!list) return 0;
  // Equal priorities stand together, so an exact duplicate lies before the insertion point.
  int16_t more = list->First();
  for (; more; more = list->Next()) {
    auto* e = static_cast<SBusEntry*>(list->Get());
    if (Matches(e, receiver, message) && e->m_Priority == priority) return 1;
    if (e->m_Priority < priority) break;
  }
  auto* entry = new (std::nothrow) SBusEntry;
  if (!entry) return 0;
  entry->m_Seq = xNextDispatchSeq();
  entry->m_pReceiver = receiver;
  entry->m_Message = message;
  entry->m_Priority = priority;
  const int16_t inserted = more ? list->InsertBefore(entry, 0) : list->InsertLast(entry, 0);
  if (!inserted) delete entry;
  return inserted;
}

int32_t xSendMsg(uint32_t message, TMsgParam a, TMsgParam b) {
  int32_t called = 0;
  xWalkDispatchList<SBusEntry>(BusList(), g_SendDepth, [&](SBusEntry* e) {
    if (e->m_Message == message) {
      called = 1;
      e->m_pReceiver->MsgHandler(message, a, b);
    }
    return false;
  });
  return called;
}

void xRemoveMsgHandler(CMsgSys* receiver, uint32_t message, int32_t priority) {
  CLList* list = BusList();
  if (!list) return;
  for (int16_t more = list->First(); more; more = list->Next()) {
    auto* e = static_cast<SBusEntry*>(list->Get());
    if (Matches(e, receiver, message) && (priority == -1 || e->m_Priority == priority)) {
      xRemoveCurrentDispatchEntry<SBusEntry>(list, g_SendDepth);
      return;
    }
  }
}

void xRemoveMsgHandlers(CMsgSys* receiver) {
  CLList* list = BusList();
  if (!list) return;
  int16_t more = list->First();
  while (more) {
    auto* e = static_cast<SBusEntry*>(list->Get());
    if (!e->m_Removed && e->m_pReceiver == receiver) {
      xRemoveCurrentDispatchEntry<SBusEntry>(list, g_SendDepth);
      more = list->Exists();
    } else {
      more = list->Next();
    }
  }
}

void xDeleteBusEntries(CLList*& list) { xDeleteEntryList<SBusEntry>(list); }
