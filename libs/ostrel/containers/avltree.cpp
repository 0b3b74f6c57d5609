#include "ostrel/containers/avltree.h"

#include <algorithm>
#include <utility>

#include "ostrel/containers/nodesource.h"

using TNode = CAvlBinaryTreeNode;

namespace {
void* SysAllocNode() { return xSysAllocMemFunc(sizeof(TNode)); }
void ClearNode(void* node) { *static_cast<TNode*>(node) = TNode{}; }
void ClearAllButData(void* node) {
  TNode* n = static_cast<TNode*>(node);
  *n = TNode{n->m_pData, 0, nullptr, nullptr, nullptr};
}

CObjPool* s_pNodePool = nullptr;
CObjPool* NodePool() {
  return xMakeNodePool(s_pNodePool, SysAllocNode, ClearNode, ClearAllButData);
}

// Rotations keep the balances right from their old values alone (a the rotated node, b its
// child), whatever the heights below.
void RotateLeft(TNode*& link) {
  TNode* a = link;
  TNode* b = a->m_pRight;
  a->m_pRight = b->m_pLeft;
  b->m_pLeft = a;
  a->m_Balance = a->m_Balance - 1 - std::max(b->m_Balance, 0);
  b->m_Balance = b->m_Balance - 1 + std::min(a->m_Balance, 0);
  link = b;
}

void RotateRight(TNode*& link) {
  TNode* a = link;
  TNode* b = a->m_pLeft;
  a->m_pLeft = b->m_pRight;
  b->m_pRight = a;
  a->m_Balance = a->m_Balance + 1 - std::min(b->m_Balance, 0);
  b->m_Balance = b->m_Balance + 1 + std::max(a->m_Balance, 0);
  link = b;
}

void Rebalance(TNode*& link) {
  TNode* n = link;
  if (n->m_Balance > 1) {
    if (n->m_pRight->m_Balance < 0) RotateRight(n->m_pRight);
    RotateLeft(link);
  } else if (n->m_Balance < -1) {
    if (n->m_pLeft->m_Balance > 0) RotateLeft(n->m_pLeft);
    RotateRight(link);
  }
}

// After a subtree under link lost one level of height on the given side: true when the
// subtree under link lost a level too.
bool Shrunk(TNode*& link, int32_t towards) {
  link->m_Balance += towards;
  if (link->m_Balance == towards) return false;
  if (link->m_Balance == 0) return true;
  Rebalance(link);
  return link->m_Balance == 0;
}
bool LeftShrunk(TNode*& link) { return Shrunk(link, 1); }
bool RightShrunk(TNode*& link) { return Shrunk(link, -1); }

bool TakeLeftmost(TNode*& link, TNode*& taken) {
  if (!link->m_pLeft) {
    taken = link;
    link = link->m_pRight;
    return true;
  }
  return TakeLeftmost(link->m_pLeft, taken) && LeftShrunk(link);
}

// Unlinks one node equal to key into removed; true when the subtree lost a level.
bool RemoveAt(TNode*& link, void* key, TAvlCompareFunc compare, TNode*& removed) {
  TNode* n = link;
  if (!n) return false;
  int32_t c = compare(key, n->m_pData);
  if (c < 0) return RemoveAt(n->m_pLeft, key, compare, removed) && LeftShrunk(link);
  if (c > 0) return RemoveAt(n->m_pRight, key, compare, removed) && RightShrunk(link);
  removed = n;
  if (!n->m_pRight) {
    link = n->m_pLeft;
    return true;
  }
  TNode* successor;
  bool lower = TakeLeftmost(n->m_pRight, successor);
  successor->m_pLeft = n->m_pLeft;
  successor->m_pRight = n->m_pRight;
  successor->m_Balance = n->m_Balance;
  link = successor;
  return lower && RightShrunk(link);
}

void FreeSubtree(CObjPool* target, TNode* n) {
  while (n) {
    FreeSubtree(target, n->m_pLeft);
    TNode* right = n->m_pRight;
    xFreeNode(target, n);
    n = right;
  }
}

TNode* CopySubtree(const TNode* src, bool& ok) {
  if (!src || !ok) return nullptr;
  TNode* n = static_cast<TNode*>(xAllocNode<NodePool>(sizeof(TNode)));
  if (!n) {
    ok = false;
    return nullptr;
  }
  *n = *src;
  n->m_pLeft = CopySubtree(src->m_pLeft, ok);
  n->m_pRight = CopySubtree(src->m_pRight, ok);
  return n;
}
}  // namespace

CObjPool* AvlNodePool() { return NodePool(); }

CAvlBinaryTree::CAvlBinaryTree(CAvlBinaryTree&& other) noexcept : m_pCompare(other.m_pCompare) {
  *this = std::move(other);
}

CAvlBinaryTree& CAvlBinaryTree::operator=(CAvlBinaryTree&& other) noexcept {
  if (this == &other) return *this;
  DeleteTree();
  m_pRoot = std::exchange(other.m_pRoot, nullptr);
  m_pCursor = std::exchange(other.m_pCursor, nullptr);
  m_pCompare = other.m_pCompare;
  m_WalkDepth = std::exchange(other.m_WalkDepth, 0);
  std::copy(other.m_Walk, other.m_Walk + m_WalkDepth, m_Walk);
  return *this;
}

// Iterative descent with the links on the way kept for the climb back: while a subtree grows,
// its parent leans one more step to that side; a step back to 0 or one rebalancing ends it.
int32_t CAvlBinaryTree::AddItem(void* data) {
  TNode* node = static_cast<TNode*>(xAllocNode<NodePool>(sizeof(TNode)));
  if (!node) return 0;
  *node = TNode{data, 0, nullptr, nullptr, m_pCompare};
  TNode** path[AVL_WALK_DEPTH];
  int depth = 0;
  TNode** link = &m_pRoot;
  while (TNode* n = *link) {
    path[depth++] = link;
    link = m_pCompare(data, n->m_pData) < 0 ? &n->m_pLeft : &n->m_pRight;
  }
  *link = node;
  while (depth > 0) {
    TNode** up = path[--depth];
    TNode* n = *up;
    n->m_Balance += link == &n->m_pLeft ? -1 : 1;
    if (n->m_Balance == 0) break;
    if (n->m_Balance < -1 || n->m_Balance > 1) {
      Rebalance(*up);
      break;
    }
    link = up;
  }
  return 1;
}

int32_t CAvlBinaryTree::Remove(void* key) {
  TNode* removed = nullptr;
  RemoveAt(m_pRoot, key, m_pCompare, removed);
  if (!removed) return 0;
  Forget(removed);
  xFreeNode(xNodeFreeTarget<NodePool>(), removed);
  return 1;
}

// Keeps the walks off a node that is about to be freed.
void CAvlBinaryTree::Forget(const CAvlBinaryTreeNode* node) {
  if (m_pCursor == node) m_pCursor = nullptr;
  if (std::find(m_Walk, m_Walk + m_WalkDepth, node) != m_Walk + m_WalkDepth) m_WalkDepth = 0;
}

void CAvlBinaryTree::DeleteTree() {
  if (m_pRoot) FreeSubtree(xNodeFreeTarget<NodePool>(), m_pRoot);
  m_pRoot = nullptr;
  m_pCursor = nullptr;
  m_WalkDepth = 0;
}

int32_t CAvlBinaryTree::Duplicate(const CAvlBinaryTree* other) {
  if (!other) return 0;
  if (other == this) return 1;
  DeleteTree();
  bool ok = true;
  TNode* root = CopySubtree(other->m_pRoot, ok);
  if (!ok) {
    if (root) FreeSubtree(xNodeFreeTarget<NodePool>(), root);
    return 0;
  }
  m_pRoot = root;
  m_pCompare = other->m_pCompare;
  return 1;
}
