// The process-wide dispatch lists (message bus, window-message receivers) are walked while the
// receivers they call may register or remove entries, their own or others'. During a walk a
// removal only marks its entry and entries added meanwhile wait for the next walk; the marked
// entries are swept once the outermost walk is over.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

struct SDispatchEntry {
  bool m_Removed = false;
  uint64_t m_Seq = 0;
};

// Stamps a new entry; entries stamped after a walk began are not called by it.
uint64_t xNextDispatchSeq();
uint64_t xCurrentDispatchSeq();

// Frees and unlinks every entry for which pred holds.
template <class Entry, class Pred>
void xDeleteEntriesWhere(CLList* list, Pred pred) {
  int16_t more = list->First();
  while (more) {
    auto* entry = static_cast<Entry*>(list->Get());
    if (pred(entry)) {
      delete entry;
      list->Delete(1);
      more = list->Exists();
    } else {
      more = list->Next();
    }
  }
}

template <class Entry>
void xSweepDispatchList(CLList* list) {
  xDeleteEntriesWhere<Entry>(list, [](const Entry* e) { return e->m_Removed; });
}

// Calls fn(entry) for each live entry that existed when the walk began; fn returns true to stop.
template <class Entry, class Fn>
void xWalkDispatchList(CLList* list, int32_t& depth, Fn&& fn) {
  if (!list) return;
  const uint64_t limit = xCurrentDispatchSeq();
  ++depth;
  for (CNode* node = list->HeadNode(); node; node = node->m_pNext) {
    auto* entry = static_cast<Entry*>(node->m_pData);
    if (entry->m_Removed || entry->m_Seq > limit) continue;
    if (fn(entry)) break;
  }
  if (--depth == 0) xSweepDispatchList<Entry>(list);
}

// Frees every entry and the list itself.
template <class Entry>
void xDeleteEntryList(CLList*& list) {
  if (!list) return;
  for (int16_t more = list->First(); more; more = list->Next()) delete static_cast<Entry*>(list->Get());
  delete list;
  list = nullptr;
}

// Removes the entry the list's cursor stands on: at once outside a walk, by marking inside one.
template <class Entry>
void xRemoveCurrentDispatchEntry(CLList* list, int32_t depth) {
  auto* entry = static_cast<Entry*>(list->Get());
  if (depth > 0) {
    entry->m_Removed = true;
    list->Next();
    return;
  }
  delete entry;
  list->Delete(1);
}
