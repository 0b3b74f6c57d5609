// The general container: a doubly linked list of untyped data pointers with a built-in cursor
// and a small stack on which the cursor can be saved. The list never copies or interprets its
// data; it frees data only when asked to (KillAllData, DeleteData).
#pragma once

#include "ostrel/base/types.h"

class CObjPool;

struct CNode {
  CNode* m_pNext;
  CNode* m_pPrev;
  void* m_pData;
};

inline constexpr int32_t LLIST_CURSOR_STACK_SIZE = 32;

// The current number counts cursor moves rather than positions: First() sets 0, Last() sets the
// node count, Next()/Prev() add and subtract one, and each insert moves it as noted there.
class CLList {
 public:
  CLList() = default;
  ~CLList() { KillAll(); }
  CLList(const CLList&) = delete;
  CLList& operator=(const CLList&) = delete;
  CLList(CLList&& other) noexcept;
  CLList& operator=(CLList&& other) noexcept;

  int16_t First() {
    m_pCurr = m_pHead;
    m_CurrNodeNr = 0;
    m_OffHead = false;
    return m_pCurr != nullptr;
  }
  int16_t Last() {
    m_pCurr = m_pTail;
    m_CurrNodeNr = m_NumNodes;
    m_OffHead = false;
    return m_pCurr != nullptr;
  }
  int16_t Next() {
    if (!m_pCurr) return 0;
    m_pCurr = m_pCurr->m_pNext;
    ++m_CurrNodeNr;
    m_OffHead = false;
    return m_pCurr != nullptr;
  }
  int16_t Prev() {
    if (!m_pCurr) return 0;
    m_pCurr = m_pCurr->m_pPrev;
    --m_CurrNodeNr;
    m_OffHead = m_pCurr == nullptr;
    return m_pCurr != nullptr;
  }
  int16_t Exists() const { return m_pCurr != nullptr; }
  void* Get() const { return m_pCurr ? m_pCurr->m_pData : nullptr; }
  // Data of node n counting from 0, null when the list is shorter; the cursor stays where the
  // walk stopped.
  void* Get(int32_t n);
  int32_t GetNumNodes() const { return m_NumNodes; }
  // The first node, for walks that must not move the cursor (dispatch lists whose receivers use
  // the same list meanwhile).
  CNode* HeadNode() const { return m_pHead; }
  int32_t GetCurrNodeNr() const { return m_CurrNodeNr; }

  // Save and restore the cursor; 32 levels.
  int16_t Push();
  int16_t Pop();

  // flag 0: data is the caller's pointer and a fresh node is taken. Non-zero: data is a node
  // that RemoveNode returned, linked in as it is. 0 only when no node could be had. Into an
  // empty list the node also becomes the cursor. With no cursor on a non-empty list, Before and
  // After insert at the end the cursor walked off.
  int16_t InsertFirst(void* data, int32_t flag = 0);   // number + 1, even into an empty list
  int16_t InsertLast(void* data, int32_t flag = 0);    // number kept
  int16_t InsertBefore(void* data, int32_t flag = 0);  // cursor kept, number + 1
  int16_t InsertAfter(void* data, int32_t flag = 0);   // cursor onto the node, number kept
  // 1 without inserting when data is already in the list, else the insert's result.
  int32_t IfNotInsertFirst(void* data);
  int32_t IfNotInsertLast(void* data);
  int32_t IfNotInsertBefore(void* data);
  int32_t IfNotInsertAfter(void* data);

  // Walk from First comparing data pointers; the cursor ends on the match or off the tail.
  int32_t IsItemInList(void* data) { return Find(data); }
  int16_t ItemExists(void* data) { return Find(data); }

  // Moves the run of k nodes starting at the cursor to the front; cursor on the new head.
  int32_t MoveFirst(int32_t k);
  // Unlinks the current node; flag exactly 1 also frees it. 0 when there is no cursor, and also
  // when the node removed was the only one.
  int16_t Delete(int32_t flag);
  // Unlinks the current node and hands it over (for a later insert with a non-zero flag).
  CNode* RemoveNode();
  int16_t DeleteItem(void* data);
  // Releases the current node's data (xFree, no destructor) and clears the pointer.
  int16_t DeleteData();
  void KillAll();
  // KillAll, releasing every data pointer with xFree first (no destructors run).
  void KillAllData();

  // Gives back a node that RemoveNode handed out and that will not be inserted again.
  static void FreeNode(CNode* node);

 private:
  struct SCursor {
    int32_t m_Nr;
    bool m_OffHead;
    CNode* m_pNode;
  };

  int16_t Find(void* data);
  void LinkOnly(CNode* node);
  void LinkHead(CNode* node);
  void LinkTail(CNode* node);
  void LinkBefore(CNode* at, CNode* node);
  void LinkAfter(CNode* at, CNode* node);
  void FreeAll(bool withData);

  int32_t m_NumNodes = 0;
  int32_t m_CurrNodeNr = 0;
  CNode* m_pHead = nullptr;
  CNode* m_pTail = nullptr;
  CNode* m_pCurr = nullptr;
  SCursor m_CursorStack[LLIST_CURSOR_STACK_SIZE] = {};
  int32_t m_StackDepth = 0;
  // Which end a null cursor walked off on a non-empty list: the head (Prev) or the tail.
  bool m_OffHead = false;
};

// The process-wide pool of list nodes, made on first need; null when it cannot be made.
CObjPool* ListNodePool();
