#include "ostrel/containers/llist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "nodemode.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/containers/stack.h"

namespace {

static_assert(!std::is_copy_constructible_v<CLList> && !std::is_copy_assignable_v<CLList>);
static_assert(std::is_nothrow_move_constructible_v<CLList>);
static_assert(std::is_nothrow_move_assignable_v<CLList>);
static_assert(!std::is_copy_constructible_v<CStack>);

// The data of every node from head to tail, without moving the cursor.
std::string Order(CLList& list) {
  std::string out;
  EXPECT_TRUE(list.Push());
  for (list.First(); list.Exists(); list.Next()) {
    if (!out.empty()) out += ' ';
    out += std::to_string(reinterpret_cast<intptr_t>(list.Get()));
  }
  EXPECT_TRUE(list.Pop());
  return out;
}

// Same order walked backwards from the tail, reversed: checks the previous links.
std::string ReverseOrder(CLList& list) {
  std::vector<std::string> items;
  EXPECT_TRUE(list.Push());
  for (list.Last(); list.Exists(); list.Prev())
    items.insert(items.begin(), std::to_string(reinterpret_cast<intptr_t>(list.Get())));
  EXPECT_TRUE(list.Pop());
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : " ") + s;
  return out;
}

std::string Order(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
  return out;
}

void Fill(CLList& list, int n) {
  for (int i = 1; i <= n; ++i) ASSERT_TRUE(list.InsertLast(P(i)));
}

enum class EOp {
  First, Last, Next, Prev, Get, InsFirst, InsLast, InsBefore, InsAfter, IfNotFirst, IfNotLast,
  IfNotBefore, IfNotAfter, IsIn, Exists, DeleteItem, Delete1, MoveFirst, Push, Pop, KillAll
};

intptr_t RunOp(CLList& l, EOp op, intptr_t arg) {
  switch (op) {
    case EOp::First: return l.First();
    case EOp::Last: return l.Last();
    case EOp::Next: return l.Next();
    case EOp::Prev: return l.Prev();
    case EOp::Get: return reinterpret_cast<intptr_t>(l.Get(static_cast<int32_t>(arg)));
    case EOp::InsFirst: return l.InsertFirst(P(arg));
    case EOp::InsLast: return l.InsertLast(P(arg));
    case EOp::InsBefore: return l.InsertBefore(P(arg));
    case EOp::InsAfter: return l.InsertAfter(P(arg));
    case EOp::IfNotFirst: return l.IfNotInsertFirst(P(arg));
    case EOp::IfNotLast: return l.IfNotInsertLast(P(arg));
    case EOp::IfNotBefore: return l.IfNotInsertBefore(P(arg));
    case EOp::IfNotAfter: return l.IfNotInsertAfter(P(arg));
    case EOp::IsIn: return l.IsItemInList(P(arg));
    case EOp::Exists: return l.ItemExists(P(arg));
    case EOp::DeleteItem: return l.DeleteItem(P(arg));
    case EOp::Delete1: return l.Delete(1);
    case EOp::MoveFirst: return l.MoveFirst(static_cast<int32_t>(arg));
    case EOp::Push: return l.Push();
    case EOp::Pop: return l.Pop();
    case EOp::KillAll: l.KillAll(); return 0;
  }
  return -1;
}

struct SStep {
  EOp op;
  intptr_t arg;
  intptr_t result;
  int32_t count;
  int32_t number;
  intptr_t current;  // data under the cursor, 0 = no cursor
  const char* order;
};

// One list through a sequence of operations; after each: result, node count, current number,
// data under the cursor and the order of the nodes.
const SStep kSteps[] = {
    {EOp::First, 0, 0, 0, 0, 0, ""},
    {EOp::Next, 0, 0, 0, 0, 0, ""},
    {EOp::Prev, 0, 0, 0, 0, 0, ""},
    {EOp::InsLast, 1, 1, 1, 0, 1, "1"},             // empty: head, tail and cursor; number kept
    {EOp::InsFirst, 2, 1, 2, 1, 1, "2 1"},          // cursor kept, number + 1
    {EOp::InsBefore, 3, 1, 3, 2, 1, "2 3 1"},       // in front of the cursor, number + 1
    {EOp::InsAfter, 4, 1, 4, 2, 4, "2 3 1 4"},      // behind the tail: new tail and cursor
    {EOp::First, 0, 1, 4, 0, 2, "2 3 1 4"},
    {EOp::InsBefore, 5, 1, 5, 1, 2, "5 2 3 1 4"},   // before the head: new head
    {EOp::InsAfter, 6, 1, 6, 1, 6, "5 2 6 3 1 4"},  // cursor onto the new node, number kept
    {EOp::First, 0, 1, 6, 0, 5, "5 2 6 3 1 4"},
    {EOp::Prev, 0, 0, 6, -1, 0, "5 2 6 3 1 4"},     // off the head
    {EOp::Prev, 0, 0, 6, -1, 0, "5 2 6 3 1 4"},     // no cursor: nothing moves
    {EOp::Next, 0, 0, 6, -1, 0, "5 2 6 3 1 4"},
    {EOp::InsBefore, 7, 1, 7, -1, 0, "7 5 2 6 3 1 4"},     // off the head: at the head
    {EOp::InsAfter, 8, 1, 8, 0, 8, "8 7 5 2 6 3 1 4"},     // at the head, cursor onto it
    {EOp::Last, 0, 1, 8, 8, 4, "8 7 5 2 6 3 1 4"},         // number = node count
    {EOp::Next, 0, 0, 8, 9, 0, "8 7 5 2 6 3 1 4"},         // off the tail
    {EOp::InsBefore, 9, 1, 9, 10, 0, "8 7 5 2 6 3 1 4 9"},    // off the tail: appended
    {EOp::InsAfter, 10, 1, 10, 10, 10, "8 7 5 2 6 3 1 4 9 10"},
    {EOp::IsIn, 99, 0, 10, 10, 0, "8 7 5 2 6 3 1 4 9 10"},  // failed search: off the tail
    {EOp::Exists, 99, 0, 10, 10, 0, "8 7 5 2 6 3 1 4 9 10"},
    {EOp::IfNotAfter, 11, 1, 11, 10, 11, "8 7 5 2 6 3 1 4 9 10 11"},
    {EOp::IfNotBefore, 12, 1, 12, 12, 0, "8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::IfNotBefore, 6, 1, 12, 4, 6, "8 7 5 2 6 3 1 4 9 10 11 12"},  // found: nothing added
    {EOp::IfNotFirst, 13, 1, 13, 13, 0, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::IfNotLast, 8, 1, 13, 1, 8, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::Exists, 3, 1, 13, 6, 3, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::Get, 3, 5, 13, 3, 5, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::Get, 20, 0, 13, 13, 0, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::Get, -1, 13, 13, 0, 13, "13 8 7 5 2 6 3 1 4 9 10 11 12"},
    {EOp::DeleteItem, 6, 1, 12, 5, 3, "13 8 7 5 2 3 1 4 9 10 11 12"},  // cursor to the next
    {EOp::DeleteItem, 6, 0, 12, 12, 0, "13 8 7 5 2 3 1 4 9 10 11 12"},
    {EOp::Last, 0, 1, 12, 12, 12, "13 8 7 5 2 3 1 4 9 10 11 12"},
    {EOp::Delete1, 0, 1, 11, 12, 11, "13 8 7 5 2 3 1 4 9 10 11"},      // tail: cursor to prev
    {EOp::First, 0, 1, 11, 0, 13, "13 8 7 5 2 3 1 4 9 10 11"},
    {EOp::Delete1, 0, 1, 10, 0, 8, "8 7 5 2 3 1 4 9 10 11"},           // head: next is head
    {EOp::Next, 0, 1, 10, 1, 7, "8 7 5 2 3 1 4 9 10 11"},
    {EOp::Next, 0, 1, 10, 2, 5, "8 7 5 2 3 1 4 9 10 11"},
    {EOp::MoveFirst, 3, 1, 10, 0, 5, "5 2 3 8 7 1 4 9 10 11"},
    {EOp::MoveFirst, 1, 0, 10, 0, 5, "5 2 3 8 7 1 4 9 10 11"},         // cursor on the head
    {EOp::Next, 0, 1, 10, 1, 2, "5 2 3 8 7 1 4 9 10 11"},
    {EOp::MoveFirst, 10, 0, 10, 1, 2, "5 2 3 8 7 1 4 9 10 11"},        // run longer than the rest
    {EOp::MoveFirst, 9, 1, 10, 0, 2, "2 3 8 7 1 4 9 10 11 5"},         // run to the tail
    {EOp::Push, 0, 1, 10, 0, 2, "2 3 8 7 1 4 9 10 11 5"},
    {EOp::Last, 0, 1, 10, 10, 5, "2 3 8 7 1 4 9 10 11 5"},
    {EOp::Pop, 0, 1, 10, 0, 2, "2 3 8 7 1 4 9 10 11 5"},
    {EOp::Pop, 0, 0, 10, 0, 2, "2 3 8 7 1 4 9 10 11 5"},
    {EOp::KillAll, 0, 0, 0, 0, 0, ""},
    {EOp::InsAfter, 1, 1, 1, 0, 1, "1"},
    {EOp::Delete1, 0, 0, 0, 0, 0, ""},   // the only node: removed, yet 0
    {EOp::Delete1, 0, 0, 0, 0, 0, ""},
    {EOp::InsFirst, 3, 1, 1, 1, 3, "3"}, // empty: number + 1
    {EOp::InsBefore, 4, 1, 2, 2, 3, "4 3"},
    {EOp::DeleteItem, 3, 1, 1, 1, 4, "4"},
    {EOp::DeleteItem, 4, 0, 0, 0, 0, ""},
};

class LListTest : public CNodeModeTest {};

TEST_P(LListTest, CursorAndNumberFollowTheTable) {
  CLList list;
  int row = 0;
  for (const SStep& s : kSteps) {
    SCOPED_TRACE("row " + std::to_string(row++));
    EXPECT_EQ(RunOp(list, s.op, s.arg), s.result);
    EXPECT_EQ(list.GetNumNodes(), s.count);
    EXPECT_EQ(list.GetCurrNodeNr(), s.number);
    EXPECT_EQ(reinterpret_cast<intptr_t>(list.Get()), s.current);
    EXPECT_EQ(list.Exists(), s.current != 0);
    EXPECT_EQ(Order(list), s.order);
    EXPECT_EQ(ReverseOrder(list), s.order);
  }
}

TEST_P(LListTest, GetPastTheEndLeavesNoCursor) {
  CLList list;
  Fill(list, 3);
  EXPECT_EQ(list.Get(2), P(3));
  EXPECT_EQ(list.Get(5), nullptr);
  EXPECT_FALSE(list.Exists());
  EXPECT_EQ(list.Get(), nullptr);
}

TEST_P(LListTest, MoveFirstOfARunInTheMiddle) {
  CLList list;
  Fill(list, 5);
  list.First();
  list.Next();
  list.Next();
  EXPECT_EQ(list.MoveFirst(2), 1);
  EXPECT_EQ(Order(list), Order({3, 4, 1, 2, 5}));
  EXPECT_EQ(ReverseOrder(list), Order({3, 4, 1, 2, 5}));
  EXPECT_EQ(list.Get(), P(3));
  EXPECT_EQ(list.GetCurrNodeNr(), 0);
  EXPECT_EQ(list.MoveFirst(1), 0);
  EXPECT_EQ(list.MoveFirst(0), 0);
}

// A number that lags the position (InsertAfter keeps it) must not let the run walk off the list.
TEST_P(LListTest, MoveFirstRefusesARunPastTheTail) {
  CLList list;
  Fill(list, 5);
  list.First();
  list.Next();
  ASSERT_TRUE(list.InsertAfter(P(9)));  // cursor on 9 (position 2), number still 1
  EXPECT_EQ(list.MoveFirst(5), 0);
  EXPECT_EQ(Order(list), Order({1, 2, 9, 3, 4, 5}));
  EXPECT_EQ(list.Get(), P(9));
  EXPECT_EQ(list.MoveFirst(4), 1);
  EXPECT_EQ(Order(list), Order({9, 3, 4, 5, 1, 2}));
  EXPECT_EQ(ReverseOrder(list), Order({9, 3, 4, 5, 1, 2}));
}

TEST_P(LListTest, MoveFirstLeavesAFullCursorStackAlone) {
  CLList list;
  Fill(list, 4);
  for (int i = 0; i < LLIST_CURSOR_STACK_SIZE; ++i) ASSERT_TRUE(list.Push());
  list.Last();
  list.Prev();  // number 3, cursor on 3: count - number = 1
  EXPECT_EQ(list.MoveFirst(1), 1);
  EXPECT_EQ(Order({3, 1, 2, 4}), [&] {
    std::string out;
    for (list.First(); list.Exists(); list.Next())
      out += (out.empty() ? "" : " ") + std::to_string(reinterpret_cast<intptr_t>(list.Get()));
    return out;
  }());
  for (int i = 0; i < LLIST_CURSOR_STACK_SIZE; ++i) EXPECT_TRUE(list.Pop());
  EXPECT_FALSE(list.Pop());
}

TEST_P(LListTest, CursorStackHolds32Levels) {
  CLList list;
  Fill(list, 40);
  list.First();
  for (int i = 0; i < LLIST_CURSOR_STACK_SIZE; ++i) {
    EXPECT_EQ(list.Push(), 1);
    list.Next();
  }
  EXPECT_EQ(list.Push(), 0);
  EXPECT_EQ(list.Get(), P(33));
  for (int i = LLIST_CURSOR_STACK_SIZE - 1; i >= 0; --i) {
    EXPECT_EQ(list.Pop(), 1);
    EXPECT_EQ(list.GetCurrNodeNr(), i);
    EXPECT_EQ(list.Get(), P(i + 1));
  }
  EXPECT_EQ(list.Pop(), 0);
  EXPECT_EQ(list.Get(), P(1));
}

// A saved cursor that stood off the head comes back off the head.
TEST_P(LListTest, PopRestoresWhichEndTheCursorLeft) {
  CLList list;
  Fill(list, 2);
  list.First();
  list.Prev();
  ASSERT_TRUE(list.Push());
  list.Last();
  list.Next();
  ASSERT_TRUE(list.Pop());
  ASSERT_TRUE(list.InsertBefore(P(7)));
  EXPECT_EQ(Order(list), Order({7, 1, 2}));
}

TEST_P(LListTest, KillAllKeepsTheCursorStack) {
  CLList list;
  Fill(list, 3);
  ASSERT_TRUE(list.Push());
  ASSERT_TRUE(list.Push());
  list.KillAll();
  EXPECT_EQ(list.GetNumNodes(), 0);
  EXPECT_FALSE(list.Exists());
  EXPECT_TRUE(list.Pop());
  EXPECT_TRUE(list.Pop());
  EXPECT_FALSE(list.Pop());
}

TEST_P(LListTest, RemovedNodeGoesBackWithItsData) {
  CLList list;
  Fill(list, 3);
  list.Get(1);
  CNode* node = list.RemoveNode();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->m_pData, P(2));
  EXPECT_EQ(list.GetNumNodes(), 2);
  EXPECT_EQ(list.Get(), P(3));
  ASSERT_TRUE(list.InsertFirst(node, 1));
  EXPECT_EQ(Order(list), Order({2, 1, 3}));
  EXPECT_EQ(list.InsertLast(nullptr, 1), 0);  // no node to link
  EXPECT_EQ(list.GetNumNodes(), 3);

  list.First();
  list.Next();
  list.Next();
  node = list.RemoveNode();
  list.First();
  EXPECT_TRUE(list.InsertAfter(node, 2));  // any non-zero flag links a prepared node
  EXPECT_EQ(Order(list), Order({2, 3, 1}));

  CLList single;
  Fill(single, 1);
  single.First();
  CNode* only = single.RemoveNode();
  EXPECT_EQ(single.GetNumNodes(), 0);
  EXPECT_EQ(single.RemoveNode(), nullptr);
  CLList::FreeNode(only);
}

// Only a flag of exactly 1 frees; the node handed back is freed here once (a double free would
// show in the sanitizer run).
TEST_P(LListTest, DeleteWithAnotherFlagLeavesTheNodeToTheCaller) {
  CLList list;
  Fill(list, 2);
  for (int32_t flag : {2, -1}) {
    list.First();
    CNode* head = list.RemoveNode();
    ASSERT_TRUE(list.InsertFirst(head, 1));
    list.First();
    int16_t result = list.Delete(flag);
    EXPECT_EQ(result, flag == 2 ? 1 : 0);  // the second round removes the only node
    EXPECT_EQ(head->m_pData, flag == 2 ? P(1) : P(2));
    CLList::FreeNode(head);
  }
  EXPECT_EQ(list.GetNumNodes(), 0);
}

TEST_P(LListTest, DataReleaseWithoutDestructors) {
  CLList list;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(list.InsertLast(::operator new(16 + i)));
  ASSERT_TRUE(list.InsertLast(nullptr));
  list.First();
  EXPECT_EQ(list.DeleteData(), 1);
  EXPECT_EQ(list.Get(), nullptr);
  EXPECT_EQ(list.DeleteData(), 0);
  EXPECT_EQ(list.GetNumNodes(), 6);
  list.Last();
  list.Next();
  EXPECT_EQ(list.DeleteData(), 0);  // no cursor
  list.KillAllData();               // the leak checker sees any block left behind
  EXPECT_EQ(list.GetNumNodes(), 0);
  EXPECT_FALSE(list.First());
}

TEST_P(LListTest, MoveTakesTheNodesAndTheCursor) {
  CLList a;
  Fill(a, 3);
  a.Get(1);
  ASSERT_TRUE(a.Push());
  CLList b(std::move(a));
  EXPECT_EQ(a.GetNumNodes(), 0);
  EXPECT_FALSE(a.Exists());
  EXPECT_FALSE(a.Pop());
  EXPECT_EQ(b.GetNumNodes(), 3);
  EXPECT_EQ(b.Get(), P(2));
  EXPECT_TRUE(b.Pop());

  CLList c;
  Fill(c, 5);
  c = std::move(b);  // c's own nodes are freed
  EXPECT_EQ(Order(c), Order({1, 2, 3}));
  c = std::move(c);
  EXPECT_EQ(c.GetNumNodes(), 3);
  a.InsertLast(P(4));  // a moved-from list is an ordinary empty list
  EXPECT_EQ(Order(a), "4");
}

TEST_P(LListTest, StackIsLastInFirstOut) {
  CStack stack;
  EXPECT_TRUE(stack.IsEmpty());
  EXPECT_EQ(stack.Pop(), nullptr);
  EXPECT_EQ(stack.Top(), nullptr);
  EXPECT_EQ(stack.Push(P(1)), 1);
  EXPECT_EQ(stack.Push(P(2)), 1);
  EXPECT_FALSE(stack.IsEmpty());
  EXPECT_EQ(stack.Pop(), P(2));
  EXPECT_EQ(stack.Top(), P(1));
  EXPECT_EQ(stack.GetNumNodes(), 1);
  EXPECT_EQ(stack.Pop(), P(1));
  EXPECT_TRUE(stack.IsEmpty());
  stack.Push(P(3));  // freed by the destructor
}

INSTANTIATE_NODE_MODES(LListTest);

// Pool switching and glb going away while lists live: each node still goes back exactly once
// (the address and leak checkers watch the sanitizer run).
TEST(LListNodes, SurviveTheFlagAndGlbChanging) {
  CLList early, late;
  {
    CGlobalsScope pooled(1);
    Fill(early, 300);
    pooled.Drop();
    Fill(late, 10);
    early.Get(10);
    early.Delete(1);
    early.KillAll();
  }
  CGlobalsScope heap(0);
  Fill(early, 10);
  heap.Get()->m_PoolFlag = 1;
  early.KillAll();
  late.KillAll();
}

TEST(LListNodes, PooledNodeComesBackCleared) {
  CGlobalsScope pooled(1);
  ASSERT_NE(ListNodePool(), nullptr);
  CObjPool* pool = Drained(ListNodePool());

  CLList list;
  Fill(list, 2);
  list.First();
  CNode* node = list.RemoveNode();
  CLList::FreeNode(node);
  EXPECT_EQ(pool->GetNumObjects(), 1);
  CNode zero{};
  EXPECT_EQ(std::memcmp(node, &zero, sizeof(CNode)), 0);
  node->m_pData = P(77);  // scribble while it waits
  node->m_pNext = node;
  ASSERT_TRUE(list.InsertLast(P(5)));
  EXPECT_EQ(pool->GetNumObjects(), 0);
  list.Last();
  EXPECT_EQ(list.Get(), P(5));
  EXPECT_EQ(Order(list), Order({2, 5}));
  EXPECT_EQ(ReverseOrder(list), Order({2, 5}));
  list.KillAll();
  EXPECT_EQ(pool->GetNumObjects(), 2);
}

}  // namespace
