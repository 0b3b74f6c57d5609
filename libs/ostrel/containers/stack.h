// Last-in-first-out stack of data pointers on top of the list (the head is the top). Push and Pop
// hide the list's cursor Push and Pop.
#pragma once

#include "ostrel/containers/llist.h"

class CStack : public CLList {
 public:
  int16_t Push(void* data) { return InsertFirst(data, 0); }
  // The top's data, removed from the stack; null when empty.
  void* Pop() {
    if (!First()) return nullptr;
    void* data = CLList::Get();
    Delete(1);
    First();
    return data;
  }
  void* Top() { return First() ? CLList::Get() : nullptr; }
  int32_t IsEmpty() const { return GetNumNodes() == 0; }
};
