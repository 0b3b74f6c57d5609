#include "ostrel/containers/avltree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <type_traits>
#include <vector>

#include "nodemode.h"
#include "ostrel/containers/objpool.h"

namespace {

static_assert(!std::is_copy_constructible_v<CAvlBinaryTree>);
static_assert(std::is_nothrow_move_constructible_v<CAvlBinaryTree>);

int32_t CompareInts(void* key, void* stored) {
  int a = *static_cast<int*>(key), b = *static_cast<int*>(stored);
  return a < b ? -1 : a > b ? 1 : 0;
}

int32_t CompareReversed(void* key, void* stored) { return CompareInts(stored, key); }

// Height of the subtree; fails the test where a balance is out of range or wrong.
int CheckedHeight(const CAvlBinaryTreeNode* n, int& bad) {
  if (!n) return 0;
  int l = CheckedHeight(n->m_pLeft, bad);
  int r = CheckedHeight(n->m_pRight, bad);
  if (n->m_Balance != r - l || n->m_Balance < -1 || n->m_Balance > 1) ++bad;
  return 1 + std::max(l, r);
}

void ExpectBalanced(const CAvlBinaryTree& tree) {
  int bad = 0;
  CheckedHeight(tree.GetRoot(), bad);
  EXPECT_EQ(bad, 0) << "nodes with a wrong balance";
}

std::vector<int> Walk(CAvlBinaryTree& tree) {
  std::vector<int> out;
  for (tree.FullTraversal_Init(); tree.FullTraversal_Exists(); tree.FullTraversal_Next())
    out.push_back(*static_cast<int*>(tree.FullTraversal_Get()));
  tree.FullTraversal_Exit();
  return out;
}

class AvlTreeTest : public CNodeModeTest {
 protected:
  AvlTreeTest() {
    for (int i = 0; i < kKeys; ++i) m_Keys[i] = i;
  }
  void* Key(int i) { return &m_Keys[i]; }

  static constexpr int kKeys = 1001;
  int m_Keys[kKeys];
};

// Against std::multiset: random inserts and removes over a small key range (so duplicates and
// hits are common), the balance invariant after every step and the walk equal to the set.
TEST_P(AvlTreeTest, MatchesMultisetOverRandomOperations) {
  CAvlBinaryTree tree(CompareInts);
  std::multiset<int> oracle;
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> keyDist(0, 499);
  std::uniform_int_distribution<int> opDist(0, 99);
  for (int step = 0; step < 20000; ++step) {
    SCOPED_TRACE(step);
    int k = keyDist(rng);
    // Lean to inserts early and to removes late so the size rises and falls.
    int insertShare = step < 12000 ? 60 : 35;
    if (opDist(rng) < insertShare) {
      ASSERT_EQ(tree.AddItem(Key(k)), 1);
      oracle.insert(k);
    } else {
      auto it = oracle.find(k);
      ASSERT_EQ(tree.Remove(Key(k)), it != oracle.end() ? 1 : 0);
      if (it != oracle.end()) oracle.erase(it);
    }
    int probe = keyDist(rng);
    void* found = nullptr;
    ASSERT_EQ(tree.Includes(Key(probe)), oracle.count(probe) ? 1 : 0);
    ASSERT_EQ(tree.Find(Key(probe), found), oracle.count(probe) ? 1 : 0);
    if (oracle.count(probe)) {
      ASSERT_EQ(found, Key(probe));
    }
    ASSERT_EQ(tree.IsEmpty(), oracle.empty() ? 1 : 0);
    int bad = 0;
    CheckedHeight(tree.GetRoot(), bad);
    ASSERT_EQ(bad, 0);
    if (step % 10 == 0 || step > 19900) {
      ASSERT_EQ(Walk(tree), std::vector<int>(oracle.begin(), oracle.end()));
    }
  }
  EXPECT_EQ(Walk(tree), std::vector<int>(oracle.begin(), oracle.end()));
  while (!oracle.empty()) {
    ASSERT_EQ(tree.Remove(Key(*oracle.begin())), 1);
    oracle.erase(oracle.begin());
  }
  EXPECT_TRUE(tree.IsEmpty());
}

TEST_P(AvlTreeTest, AscendingInsertsStayBalancedAndKeepDuplicates) {
  CAvlBinaryTree tree(CompareInts);
  for (int i = 1; i <= 1000; ++i) ASSERT_EQ(tree.AddItem(Key(i)), 1);
  ExpectBalanced(tree);
  std::vector<int> expected;
  for (int i = 1; i <= 1000; ++i) expected.push_back(i);
  EXPECT_EQ(Walk(tree), expected);

  ASSERT_EQ(tree.AddItem(Key(5)), 1);
  ExpectBalanced(tree);
  expected.insert(expected.begin() + 4, 5);
  EXPECT_EQ(Walk(tree), expected);
  EXPECT_EQ(tree.Remove(Key(5)), 1);
  EXPECT_EQ(tree.Includes(Key(5)), 1);
  EXPECT_EQ(tree.Remove(Key(5)), 1);
  EXPECT_EQ(tree.Includes(Key(5)), 0);
  EXPECT_EQ(tree.Remove(Key(5)), 0);
  ExpectBalanced(tree);
}

TEST_P(AvlTreeTest, EmptyTreeFindsNothing) {
  CAvlBinaryTree tree(CompareInts);
  void* out = Key(7);
  EXPECT_EQ(tree.Find(Key(1), out), 0);
  EXPECT_EQ(out, Key(7));
  EXPECT_EQ(tree.Remove(Key(1)), 0);
  EXPECT_EQ(tree.Includes(Key(1)), 0);
  EXPECT_TRUE(tree.IsEmpty());
  tree.FullTraversal_Init();
  EXPECT_FALSE(tree.FullTraversal_Exists());
  EXPECT_EQ(tree.FullTraversal_Get(), nullptr);
  tree.Traversal_Init();
  EXPECT_FALSE(tree.Traversal_Exists());
  EXPECT_EQ(tree.Traversal_Get(), nullptr);
  EXPECT_EQ(tree.Traversal_GoLeft(), 0);
  EXPECT_EQ(tree.Traversal_GoRight(), 0);
}

TEST_P(AvlTreeTest, FreeWalkFollowsTheShape) {
  CAvlBinaryTree tree(CompareInts);
  for (int i : {2, 1, 3}) tree.AddItem(Key(i));
  tree.Traversal_Init();
  EXPECT_EQ(tree.Traversal_Get(), Key(2));
  EXPECT_TRUE(tree.Traversal_AbleToGoLeft());
  EXPECT_TRUE(tree.Traversal_AbleToGoRight());
  EXPECT_EQ(tree.Traversal_GoRight(), 1);
  EXPECT_EQ(tree.Traversal_Get(), Key(3));
  EXPECT_FALSE(tree.Traversal_AbleToGoLeft());
  EXPECT_EQ(tree.Traversal_GoLeft(), 1);  // onto null
  EXPECT_FALSE(tree.Traversal_Exists());
  EXPECT_EQ(tree.Traversal_GoLeft(), 0);
  EXPECT_FALSE(tree.Traversal_AbleToGoRight());
}

// Removing the node under a walk drops that walk rather than leaving it on freed memory.
TEST_P(AvlTreeTest, RemoveEndsWalksOnTheRemovedNode) {
  CAvlBinaryTree tree(CompareInts);
  for (int i = 1; i <= 7; ++i) tree.AddItem(Key(i));
  tree.Traversal_Init();
  tree.FullTraversal_Init();
  void* top = tree.FullTraversal_Get();
  EXPECT_EQ(top, Key(1));
  ASSERT_EQ(tree.Remove(Key(4)), 1);  // the root, on the walk's stack
  EXPECT_FALSE(tree.Traversal_Exists());
  EXPECT_FALSE(tree.FullTraversal_Exists());
  tree.FullTraversal_Init();
  tree.FullTraversal_Next();
  EXPECT_EQ(tree.FullTraversal_Get(), Key(2));
  ASSERT_EQ(tree.Remove(Key(7)), 1);  // not on the walk: it goes on
  EXPECT_EQ(tree.FullTraversal_Get(), Key(2));
  tree.DeleteTree();
  EXPECT_FALSE(tree.FullTraversal_Exists());
}

bool SameShape(const CAvlBinaryTreeNode* a, const CAvlBinaryTreeNode* b) {
  if (!a || !b) return a == b;
  return a != b && a->GetValue() == b->GetValue() && a->m_Balance == b->m_Balance &&
         a->m_pCompare == b->m_pCompare && SameShape(a->m_pLeft, b->m_pLeft) &&
         SameShape(a->m_pRight, b->m_pRight);
}

TEST_P(AvlTreeTest, DuplicateCopiesNodeByNode) {
  CAvlBinaryTree source(CompareInts);
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) source.AddItem(Key(static_cast<int>(rng() % 100)));
  CAvlBinaryTree copy(CompareInts);
  for (int i = 0; i < 10; ++i) copy.AddItem(Key(i));  // replaced
  ASSERT_EQ(copy.Duplicate(&source), 1);
  EXPECT_TRUE(SameShape(copy.GetRoot(), source.GetRoot()));
  EXPECT_EQ(Walk(copy), Walk(source));

  std::vector<int> before = Walk(source);
  while (!copy.IsEmpty()) copy.Remove(copy.GetRoot()->GetValue());
  EXPECT_EQ(Walk(source), before);

  EXPECT_EQ(source.Duplicate(&source), 1);
  EXPECT_EQ(Walk(source), before);
  EXPECT_EQ(copy.Duplicate(nullptr), 0);

  CAvlBinaryTree reversed(CompareReversed);
  for (int i = 0; i < 5; ++i) reversed.AddItem(Key(i));
  ASSERT_EQ(copy.Duplicate(&reversed), 1);  // takes the order along with the nodes
  copy.AddItem(Key(9));
  EXPECT_EQ(Walk(copy), (std::vector<int>{9, 4, 3, 2, 1, 0}));
  CAvlBinaryTree empty(CompareInts);
  ASSERT_EQ(copy.Duplicate(&empty), 1);
  EXPECT_TRUE(copy.IsEmpty());
}

// Nodes left in a tree are freed with it (the leak checker watches).
TEST_P(AvlTreeTest, MoveAndDestructionTakeTheNodes) {
  CAvlBinaryTree a(CompareInts);
  for (int i = 0; i < 50; ++i) a.AddItem(Key(i));
  CAvlBinaryTree b(std::move(a));
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(Walk(b).size(), 50u);
  CAvlBinaryTree c(CompareInts);
  c.AddItem(Key(1));
  c = std::move(b);
  EXPECT_EQ(Walk(c).size(), 50u);
  a.AddItem(Key(3));
  EXPECT_EQ(Walk(a), std::vector<int>{3});
}

INSTANTIATE_NODE_MODES(AvlTreeTest);

TEST(AvlTreeNodes, SurviveGlbGoingAway) {
  int keys[400];
  CGlobalsScope pooled(1);
  CAvlBinaryTree tree(CompareInts);
  for (int i = 0; i < 400; ++i) {
    keys[i] = i;
    tree.AddItem(&keys[i]);
  }
  for (int i = 0; i < 300; ++i) tree.Remove(&keys[i]);  // 256 wait in the pool
  pooled.Drop();
  for (int i = 0; i < 50; ++i) tree.AddItem(&keys[i]);
}

// Returned nodes wait in the pool with their data pointer only; taken again they are clear.
TEST(AvlTreeNodes, PoolHooksClearTheNode) {
  CGlobalsScope pooled(1);
  ASSERT_NE(AvlNodePool(), nullptr);
  CObjPool* pool = Drained(AvlNodePool());
  int keys[3] = {1, 2, 3};
  CAvlBinaryTree tree(CompareInts);
  tree.AddItem(&keys[1]);
  tree.AddItem(&keys[0]);
  tree.AddItem(&keys[2]);
  const CAvlBinaryTreeNode* root = tree.GetRoot();
  ASSERT_EQ(tree.Remove(&keys[1]), 1);
  EXPECT_EQ(pool->GetNumObjects(), 1);
  EXPECT_EQ(root->m_pData, &keys[1]);
  EXPECT_EQ(root->m_Balance, 0);
  EXPECT_EQ(root->m_pLeft, nullptr);
  EXPECT_EQ(root->m_pRight, nullptr);
  EXPECT_EQ(root->m_pCompare, nullptr);
  tree.AddItem(&keys[1]);
  EXPECT_EQ(pool->GetNumObjects(), 0);
  EXPECT_EQ(root->m_pCompare, &CompareInts);  // the same node, filled afresh
  EXPECT_EQ(Walk(tree), (std::vector<int>{1, 2, 3}));
  ExpectBalanced(tree);
}

}  // namespace
