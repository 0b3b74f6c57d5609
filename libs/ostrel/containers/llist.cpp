#include "ostrel/containers/llist.h"

#include <algorithm>
#include <utility>

#include "ostrel/containers/nodesource.h"

namespace {
void* SysAllocNode() { return xSysAllocMemFunc(sizeof(CNode)); }
void ClearNode(void* node) { *static_cast<CNode*>(node) = CNode{}; }

CObjPool* s_pNodePool = nullptr;
CObjPool* NodePool() { return xMakeNodePool(s_pNodePool, SysAllocNode, ClearNode, ClearNode); }

// flag 0: a fresh node for data; otherwise data is a node that RemoveNode handed out.
CNode* TakeNode(void* data, int32_t flag) {
  if (flag) return static_cast<CNode*>(data);
  CNode* node = static_cast<CNode*>(xAllocNode<NodePool>(sizeof(CNode)));
  if (node) *node = CNode{nullptr, nullptr, data};
  return node;
}
}  // namespace

CObjPool* ListNodePool() { return NodePool(); }

void CLList::FreeNode(CNode* node) {
  if (node) xFreeNode(xNodeFreeTarget<NodePool>(), node);
}

CLList::CLList(CLList&& other) noexcept { *this = std::move(other); }

CLList& CLList::operator=(CLList&& other) noexcept {
  if (this == &other) return *this;
  KillAll();
  m_NumNodes = std::exchange(other.m_NumNodes, 0);
  m_CurrNodeNr = std::exchange(other.m_CurrNodeNr, 0);
  m_pHead = std::exchange(other.m_pHead, nullptr);
  m_pTail = std::exchange(other.m_pTail, nullptr);
  m_pCurr = std::exchange(other.m_pCurr, nullptr);
  std::copy(other.m_CursorStack, other.m_CursorStack + LLIST_CURSOR_STACK_SIZE, m_CursorStack);
  m_StackDepth = std::exchange(other.m_StackDepth, 0);
  m_OffHead = std::exchange(other.m_OffHead, false);
  return *this;
}

void* CLList::Get(int32_t n) {
  First();
  for (int32_t i = 0; i < n && m_pCurr; ++i) Next();
  return Get();
}

int16_t CLList::Push() {
  if (m_StackDepth >= LLIST_CURSOR_STACK_SIZE) return 0;
  m_CursorStack[m_StackDepth++] = SCursor{m_CurrNodeNr, m_OffHead, m_pCurr};
  return 1;
}

int16_t CLList::Pop() {
  if (m_StackDepth < 1 || m_StackDepth > LLIST_CURSOR_STACK_SIZE) return 0;
  const SCursor& saved = m_CursorStack[--m_StackDepth];
  m_CurrNodeNr = saved.m_Nr;
  m_OffHead = saved.m_OffHead;
  m_pCurr = saved.m_pNode;
  return 1;
}

int16_t CLList::Find(void* data) {
  CNode* node = m_pHead;
  int32_t nr = 0;
  while (node && node->m_pData != data) {
    node = node->m_pNext;
    ++nr;
  }
  m_pCurr = node;
  m_CurrNodeNr = nr;
  m_OffHead = false;
  return node != nullptr;
}

void CLList::LinkOnly(CNode* node) {
  node->m_pNext = node->m_pPrev = nullptr;
  m_pHead = m_pTail = m_pCurr = node;
  ++m_NumNodes;
}

void CLList::LinkHead(CNode* node) {
  node->m_pPrev = nullptr;
  node->m_pNext = m_pHead;
  m_pHead->m_pPrev = node;
  m_pHead = node;
  ++m_NumNodes;
}

void CLList::LinkTail(CNode* node) {
  node->m_pNext = nullptr;
  node->m_pPrev = m_pTail;
  m_pTail->m_pNext = node;
  m_pTail = node;
  ++m_NumNodes;
}

void CLList::LinkBefore(CNode* at, CNode* node) {
  if (at == m_pHead) return LinkHead(node);
  node->m_pNext = at;
  node->m_pPrev = at->m_pPrev;
  at->m_pPrev->m_pNext = node;
  at->m_pPrev = node;
  ++m_NumNodes;
}

void CLList::LinkAfter(CNode* at, CNode* node) {
  if (at == m_pTail) return LinkTail(node);
  node->m_pPrev = at;
  node->m_pNext = at->m_pNext;
  at->m_pNext->m_pPrev = node;
  at->m_pNext = node;
  ++m_NumNodes;
}

int16_t CLList::InsertFirst(void* data, int32_t flag) {
  CNode* node = TakeNode(data, flag);
  if (!node) return 0;
  if (m_pHead)
    LinkHead(node);
  else
    LinkOnly(node);
  ++m_CurrNodeNr;
  return 1;
}

int16_t CLList::InsertLast(void* data, int32_t flag) {
  CNode* node = TakeNode(data, flag);
  if (!node) return 0;
  if (m_pHead)
    LinkTail(node);
  else
    LinkOnly(node);
  return 1;
}

// A null cursor on a non-empty list stands just off the end it walked off (Next past the tail,
// a failed search, Prev past the head); the node goes in at that end, so nothing is dropped and
// repeated inserts keep their order. The number keeps counting that position (-1 before the
// head, the count past the tail): InsertBefore leaves the cursor off the end, InsertAfter puts
// it on the new node.
int16_t CLList::InsertBefore(void* data, int32_t flag) {
  CNode* node = TakeNode(data, flag);
  if (!node) return 0;
  if (!m_pHead) {
    LinkOnly(node);
  } else if (m_pCurr) {
    LinkBefore(m_pCurr, node);
    ++m_CurrNodeNr;
  } else if (m_OffHead) {
    LinkHead(node);
  } else {
    LinkTail(node);
    ++m_CurrNodeNr;
  }
  return 1;
}

int16_t CLList::InsertAfter(void* data, int32_t flag) {
  CNode* node = TakeNode(data, flag);
  if (!node) return 0;
  if (!m_pHead) {
    LinkOnly(node);
  } else if (m_pCurr) {
    LinkAfter(m_pCurr, node);
    m_pCurr = node;
  } else if (m_OffHead) {
    LinkHead(node);
    m_pCurr = node;
    ++m_CurrNodeNr;
  } else {
    LinkTail(node);
    m_pCurr = node;
  }
  return 1;
}

int32_t CLList::IfNotInsertFirst(void* data) { return Find(data) ? 1 : InsertFirst(data, 0); }
int32_t CLList::IfNotInsertLast(void* data) { return Find(data) ? 1 : InsertLast(data, 0); }
int32_t CLList::IfNotInsertBefore(void* data) { return Find(data) ? 1 : InsertBefore(data, 0); }
int32_t CLList::IfNotInsertAfter(void* data) { return Find(data) ? 1 : InsertAfter(data, 0); }

// The run's end is found by walking the links, so a current number that no longer matches the
// position (after Last or InsertAfter) can refuse the move but never run it off the list.
int32_t CLList::MoveFirst(int32_t k) {
  if (!m_pCurr || k < 1 || m_NumNodes - m_CurrNodeNr < k || !m_pCurr->m_pPrev) return 0;
  CNode* first = m_pCurr;
  CNode* last = first;
  for (int32_t i = 1; i < k; ++i) {
    last = last->m_pNext;
    if (!last) return 0;
  }
  CNode* before = first->m_pPrev;
  CNode* after = last->m_pNext;
  before->m_pNext = after;
  if (after)
    after->m_pPrev = before;
  else
    m_pTail = before;
  last->m_pNext = m_pHead;
  m_pHead->m_pPrev = last;
  first->m_pPrev = nullptr;
  m_pHead = first;
  First();
  return 1;
}

int16_t CLList::Delete(int32_t flag) {
  CNode* node = m_pCurr;
  if (!node) return 0;
  if (m_pHead == m_pTail) {
    m_NumNodes = 0;
    m_CurrNodeNr = 0;
    m_pHead = m_pTail = m_pCurr = nullptr;
    m_OffHead = false;
    if (flag == 1) FreeNode(node);
    return 0;
  }
  CNode* next = node->m_pNext;
  CNode* prev = node->m_pPrev;
  if (prev)
    prev->m_pNext = next;
  else
    m_pHead = next;
  if (next)
    next->m_pPrev = prev;
  else
    m_pTail = prev;
  m_pCurr = next ? next : prev;
  node->m_pNext = node->m_pPrev = nullptr;
  if (flag == 1) FreeNode(node);
  --m_NumNodes;
  return 1;
}

CNode* CLList::RemoveNode() {
  CNode* node = m_pCurr;
  if (node) Delete(0);
  return node;
}

int16_t CLList::DeleteItem(void* data) { return Find(data) ? Delete(1) : 0; }

int16_t CLList::DeleteData() {
  if (!m_pCurr || !m_pCurr->m_pData) return 0;
  xFree(m_pCurr->m_pData);
  m_pCurr->m_pData = nullptr;
  return 1;
}

void CLList::FreeAll(bool withData) {
  CObjPool* pool = m_pHead ? xNodeFreeTarget<NodePool>() : nullptr;
  CNode* node = m_pHead;
  while (node) {
    CNode* next = node->m_pNext;
    if (withData && node->m_pData) xFree(node->m_pData);
    xFreeNode(pool, node);  // a pooled node is cleared on its way back
    node = next;
  }
  m_NumNodes = 0;
  m_CurrNodeNr = 0;
  m_pHead = m_pTail = m_pCurr = nullptr;
  m_OffHead = false;
}

void CLList::KillAll() { FreeAll(false); }
void CLList::KillAllData() { FreeAll(true); }
