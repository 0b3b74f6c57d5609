// List helpers of the module list's records.
#pragma once

#include "ostrel/containers/llist.h"

// Deletes every record (as T) and empties the list.
template <class T>
void FVDeleteRecords(CLList& list) {
  for (CNode* n = list.HeadNode(); n; n = n->m_pNext) delete static_cast<T*>(n->m_pData);
  list.KillAll();
}

// Unlinks data from list. A cursor standing on it moves on as a deletion at the cursor does; one
// standing elsewhere stays.
inline void FVUnlink(CLList& list, void* data) {
  if (list.Get() == data) {
    list.Delete(1);
    return;
  }
  const bool saved = list.Push();
  if (list.IsItemInList(data)) list.Delete(1);
  if (saved) list.Pop();
}
