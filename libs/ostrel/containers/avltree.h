// Height-balanced search tree of untyped data pointers, ordered by the caller's compare function,
// with an in-order walk and a free cursor. Equal keys are kept (they go to the right).
#pragma once

#include "ostrel/base/types.h"

class CObjPool;

// Negative when key orders before stored, 0 when equal, positive after.
using TAvlCompareFunc = int32_t (*)(void* key, void* stored);

struct CAvlBinaryTreeNode {
  void* GetValue() const { return m_pData; }

  void* m_pData;
  int32_t m_Balance;  // height(right) - height(left)
  CAvlBinaryTreeNode* m_pLeft;
  CAvlBinaryTreeNode* m_pRight;
  TAvlCompareFunc m_pCompare;
};

// Deeper than any tree that fits in memory (an AVL tree of height 64 needs over 10^13 nodes).
inline constexpr int AVL_WALK_DEPTH = 64;

class CAvlBinaryTree {
 public:
  explicit CAvlBinaryTree(TAvlCompareFunc compare) : m_pCompare(compare) {}
  ~CAvlBinaryTree() { DeleteTree(); }
  CAvlBinaryTree(const CAvlBinaryTree&) = delete;
  CAvlBinaryTree& operator=(const CAvlBinaryTree&) = delete;
  CAvlBinaryTree(CAvlBinaryTree&& other) noexcept;
  CAvlBinaryTree& operator=(CAvlBinaryTree&& other) noexcept;

  // 1, or 0 when no node could be had (the tree stays as it was).
  int32_t AddItem(void* data);
  // Removes one node that compares equal to key (the data is not freed); 1/0.
  int32_t Remove(void* key);
  int32_t Includes(void* key) const { return FindNode(key) != nullptr; }
  int32_t Find(void* key, void*& out) const {
    const CAvlBinaryTreeNode* node = FindNode(key);
    if (!node) return 0;
    out = node->m_pData;
    return 1;
  }
  int32_t IsEmpty() const { return m_pRoot == nullptr; }
  // Frees every node, not the data.
  void DeleteTree();
  // Becomes a node-by-node copy of other (data pointers shared, balances and compare function
  // copied). 0 when a node could not be had; the tree is then empty.
  int32_t Duplicate(const CAvlBinaryTree* other);

  // In-order walk: data come out in ascending order.
  void FullTraversal_Init() {
    m_WalkDepth = 0;
    PushLeftChain(m_pRoot);
  }
  int32_t FullTraversal_Exists() const { return m_WalkDepth > 0; }
  void* FullTraversal_Get() const {
    return m_WalkDepth ? m_Walk[m_WalkDepth - 1]->m_pData : nullptr;
  }
  void FullTraversal_Next() {
    if (m_WalkDepth) PushLeftChain(m_Walk[--m_WalkDepth]->m_pRight);
  }
  void FullTraversal_Exit() { m_WalkDepth = 0; }

  // Free walk from the root; the moves go to the child even when it is null.
  void Traversal_Init() { m_pCursor = m_pRoot; }
  int32_t Traversal_Exists() const { return m_pCursor != nullptr; }
  void* Traversal_Get() const { return m_pCursor ? m_pCursor->m_pData : nullptr; }
  int32_t Traversal_GoLeft() {
    if (!m_pCursor) return 0;
    m_pCursor = m_pCursor->m_pLeft;
    return 1;
  }
  int32_t Traversal_GoRight() {
    if (!m_pCursor) return 0;
    m_pCursor = m_pCursor->m_pRight;
    return 1;
  }
  int32_t Traversal_AbleToGoLeft() const { return m_pCursor && m_pCursor->m_pLeft; }
  int32_t Traversal_AbleToGoRight() const { return m_pCursor && m_pCursor->m_pRight; }

  // For checks: the root, to inspect the shape.
  const CAvlBinaryTreeNode* GetRoot() const { return m_pRoot; }

 private:
  const CAvlBinaryTreeNode* FindNode(void* key) const {
    const CAvlBinaryTreeNode* node = m_pRoot;
    while (node) {
      int32_t c = m_pCompare(key, node->m_pData);
      if (c == 0) return node;
      node = c < 0 ? node->m_pLeft : node->m_pRight;
    }
    return nullptr;
  }
  void PushLeftChain(CAvlBinaryTreeNode* node) {
    for (; node && m_WalkDepth < AVL_WALK_DEPTH; node = node->m_pLeft) m_Walk[m_WalkDepth++] = node;
  }
  void Forget(const CAvlBinaryTreeNode* node);

  CAvlBinaryTreeNode* m_pRoot = nullptr;
  CAvlBinaryTreeNode* m_pCursor = nullptr;
  TAvlCompareFunc m_pCompare;
  // The in-order walk's stack of pending nodes: fixed, so the walk never fails for memory.
  CAvlBinaryTreeNode* m_Walk[AVL_WALK_DEPTH];
  int32_t m_WalkDepth = 0;
};

// The process-wide pool of tree nodes, made on first need; null when it cannot be made.
CObjPool* AvlNodePool();
