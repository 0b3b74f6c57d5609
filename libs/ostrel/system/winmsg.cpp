#include "ostrel/system/winmsg.h"

#include <new>

#include "ostrel/system/dispatchlist.h"
#include "ostrel/system/sysservices.h"
#include "platform/display/messages.h"

namespace {
struct SWinMsgEntry : SDispatchEntry {
  CWinMsg* m_pReceiver;
  uint32_t m_Message;
};

int32_t g_DispatchDepth = 0;

CLList* WinMsgList() { return sglb ? sglb->m_pWinMsgList : nullptr; }

void EnsureWinMsgList() {
  if (sglb && !sglb->m_pWinMsgList) sglb->m_pWinMsgList = new (std::nothrow) CLList;
}

template <class Pred>
void RemoveWhere(Pred pred, bool firstOnly) {
  CLList* list = WinMsgList();
  if (!list) return;
  int16_t more = list->First();
  while (more) {
    auto* e = static_cast<SWinMsgEntry*>(list->Get());
    if (!e->m_Removed && pred(e)) {
      xRemoveCurrentDispatchEntry<SWinMsgEntry>(list, g_DispatchDepth);
      if (firstOnly) return;
      more = list->Exists();
    } else {
      more = list->Next();
    }
  }
}
}  // namespace

intptr_t CWinMsg::WinMsgHandler(TWindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }
CWinMsg::~CWinMsg() { UnRegisterWinMsgAll(this); }

int32_t RegisterWinMsg(CWinMsg* receiver, uint32_t message) {
  EnsureWinMsgList();
  CLList* list = WinMsgList();
  if (!list) return 0;
  for (CNode* n = list->HeadNode(); n; n = n->m_pNext) {
    auto* e = static_cast<SWinMsgEntry*>(n->m_pData);
    if (!e->m_Removed && e->m_pReceiver == receiver && e->m_Message == message) return 1;
  }
  auto* entry = new (std::nothrow) SWinMsgEntry;
  if (!entry) return 0;
  entry->m_Seq = xNextDispatchSeq();
  entry->m_pReceiver = receiver;
  entry->m_Message = message;
  if (!list->InsertLast(entry, 0)) {
    delete entry;
    return 0;
  }
  return 1;
}

void UnRegisterWinMsg(CWinMsg* receiver, uint32_t message) {
  RemoveWhere([&](SWinMsgEntry* e) { return e->m_pReceiver == receiver && e->m_Message == message; }, true);
}

void UnRegisterWinMsgAll(CWinMsg* receiver) {
  RemoveWhere([&](SWinMsgEntry* e) { return e->m_pReceiver == receiver; }, false);
}

intptr_t SystemWindowProc(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  EnsureWinMsgList();
  bool handled = false;
  if (message == XMSG_CLOSE) {
    xSetUserWantToQuit(1);
    handled = true;
  }
  intptr_t result = 0;
  xWalkDispatchList<SWinMsgEntry>(WinMsgList(), g_DispatchDepth, [&](SWinMsgEntry* e) {
    if (e->m_Message != message) return false;
    handled = true;
    const intptr_t r = e->m_pReceiver->WinMsgHandler(window, message, wParam, lParam);
    if (result == 0) result = r;
    return false;
  });
  // Without a receiver the system's default processing answers, which is 0 for every message
  // this window gets.
  return handled ? result : 0;
}

void xDeleteWinMsgEntries(CLList*& list) { xDeleteEntryList<SWinMsgEntry>(list); }
