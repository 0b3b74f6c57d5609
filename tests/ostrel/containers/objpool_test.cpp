#include "ostrel/containers/objpool.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "nodemode.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/memhooks.h"
#include "support/testclock.h"

namespace {

// Counting system functions and hooks: every object a pool makes must come back exactly once.
struct SCounts {
  int allocs = 0;
  int releases = 0;
  int takes = 0;
  int returns = 0;
  bool failAlloc = false;
};
SCounts g_Counts;

void* CountAlloc() {
  if (g_Counts.failAlloc) return nullptr;
  ++g_Counts.allocs;
  return xSysAllocMemFunc(32);
}
void CountRelease(void* obj) {
  ++g_Counts.releases;
  xSysFreeMemFunc(obj);
}
void CountTake(void*) { ++g_Counts.takes; }
void CountReturn(void*) { ++g_Counts.returns; }

class ObjPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { g_Counts = SCounts{}; }
  int32_t Init(CObjPool& pool, int32_t minimum, uint32_t period, int32_t capacity) {
    return pool.Init(minimum, period, capacity, CountAlloc, CountRelease, CountTake, CountReturn);
  }
  int32_t Registered() const {
    CLList* list = m_Globals.Get()->m_pFramePools;
    return list ? list->GetNumNodes() : 0;
  }

  CTestClock m_Clock{5000};
  CGlobalsScope m_Globals{0};
};

TEST_F(ObjPoolTest, RingHoldsCapacityMinusOne) {
  {
    CObjPool pool;
    ASSERT_EQ(Init(pool, 0, XNONE32, 4), 1);
    std::vector<void*> objs;
    for (int i = 0; i < 4; ++i) objs.push_back(pool.Alloc());
    EXPECT_EQ(g_Counts.allocs, 4);
    EXPECT_EQ(g_Counts.takes, 4);
    for (int i = 0; i < 3; ++i) pool.Free(objs[i]);
    EXPECT_EQ(pool.GetNumObjects(), 3);
    EXPECT_EQ(g_Counts.releases, 0);
    pool.Free(objs[3]);  // ring full: to the system
    EXPECT_EQ(pool.GetNumObjects(), 3);
    EXPECT_EQ(g_Counts.releases, 1);
    EXPECT_EQ(g_Counts.returns, 4);
    EXPECT_EQ(pool.Alloc(), objs[0]);  // first in, first out
    EXPECT_EQ(pool.GetNumObjects(), 2);
    EXPECT_EQ(g_Counts.allocs, 4);
    pool.Free(objs[0]);
  }
  // The destructor gives the waiting objects back instead of losing them.
  EXPECT_EQ(g_Counts.releases, 4);
  EXPECT_EQ(g_Counts.allocs, 4);
}

TEST_F(ObjPoolTest, EnqueueAndDequeueKeepTheCount) {
  CObjPool pool;
  EXPECT_EQ(pool.Dequeue(), nullptr);  // before Init
  EXPECT_EQ(pool.Enqueue(&pool), 0);
  EXPECT_EQ(pool.Alloc(), nullptr);
  ASSERT_EQ(Init(pool, 0, XNONE32, 3), 1);
  int a, b, c;
  EXPECT_EQ(pool.Enqueue(&a), 1);
  EXPECT_EQ(pool.Enqueue(&b), 1);
  EXPECT_EQ(pool.Enqueue(&c), 0);
  EXPECT_EQ(pool.Enqueue(nullptr), 0);
  EXPECT_EQ(pool.GetNumObjects(), 2);
  // Wrap the indices round the ring a few times.
  for (int i = 0; i < 7; ++i) {
    void* obj = pool.Dequeue();
    EXPECT_EQ(obj, i % 2 ? static_cast<void*>(&b) : static_cast<void*>(&a));
    EXPECT_EQ(pool.Enqueue(obj), 1);
  }
  EXPECT_NE(pool.Dequeue(), nullptr);
  EXPECT_NE(pool.Dequeue(), nullptr);
  EXPECT_EQ(pool.Dequeue(), nullptr);
  EXPECT_EQ(pool.GetNumObjects(), 0);
}

// A minimum beyond what the ring holds stops at a full ring, without leaking or looping.
TEST_F(ObjPoolTest, InitFillsToTheMinimumOrAFullRing) {
  CObjPool pool;
  ASSERT_EQ(Init(pool, 10, XNONE32, 4), 1);
  EXPECT_EQ(pool.GetNumObjects(), 3);
  EXPECT_EQ(g_Counts.allocs, 4);
  EXPECT_EQ(g_Counts.releases, 1);
  EXPECT_EQ(g_Counts.takes, 0);

  ASSERT_EQ(Init(pool, 2, XNONE32, 8), 1);  // a second Init gives the old objects back
  EXPECT_EQ(g_Counts.releases, 4);
  EXPECT_EQ(pool.GetNumObjects(), 2);
  EXPECT_EQ(pool.GetCapacity(), 8);
}

TEST_F(ObjPoolTest, InitFailures) {
  CObjPool pool;
  EXPECT_EQ(Init(pool, 0, XNONE32, 0), 0);
  EXPECT_EQ(Init(pool, 0, XNONE32, -5), 0);
  g_Counts.failAlloc = true;
  EXPECT_EQ(Init(pool, 1, XNONE32, 4), 0);
  EXPECT_EQ(pool.GetNumObjects(), 0);
  EXPECT_EQ(pool.Alloc(), nullptr);
  EXPECT_EQ(xNewObjPool(1, XNONE32, 4, CountAlloc, CountRelease, nullptr, nullptr), nullptr);
  g_Counts.failAlloc = false;
  std::unique_ptr<CObjPool> made(
      xNewObjPool(1, XNONE32, 4, CountAlloc, CountRelease, nullptr, nullptr));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetNumObjects(), 1);
}

TEST_F(ObjPoolTest, HandlerGrowsToTheMinimumAndTrimsOncePerPeriod) {
  CObjPool pool;
  ASSERT_EQ(Init(pool, 2, 1000, 16), 1);
  void* a = pool.Alloc();
  void* b = pool.Alloc();
  EXPECT_EQ(pool.GetNumObjects(), 0);
  const int32_t growth[] = {1, 2, 2};
  for (int32_t expected : growth) {
    EXPECT_EQ(pool.Handler(), 1);
    EXPECT_EQ(pool.GetNumObjects(), expected);
  }
  pool.Free(a);
  pool.Free(b);
  ASSERT_EQ(pool.GetNumObjects(), 4);

  struct SStep {
    uint32_t advance;
    int32_t count;
  };
  const SStep steps[] = {{0, 4}, {1000, 4}, {1, 3}, {999, 3}, {2, 2}, {5000, 2}};
  for (const SStep& s : steps) {
    m_Clock.Advance(s.advance);
    pool.Handler();
    EXPECT_EQ(pool.GetNumObjects(), s.count) << "after " << s.advance;
  }
}

TEST_F(ObjPoolTest, TrimAcrossTheClockWrap) {
  m_Clock.Set(0xFFFFFF00u);
  CObjPool pool;
  ASSERT_EQ(Init(pool, 0, 1000, 8), 1);
  pool.Free(CountAlloc());
  m_Clock.Set(0x100u);  // 512 ms later
  pool.Handler();
  EXPECT_EQ(pool.GetNumObjects(), 1);
  m_Clock.Set(0x300u);
  pool.Handler();
  EXPECT_EQ(pool.GetNumObjects(), 0);
}

TEST_F(ObjPoolTest, TrimmingPoolsRunOncePerFrame) {
  xRunFramePools();  // empty: makes the list
  ASSERT_NE(m_Globals.Get()->m_pFramePools, nullptr);
  {
    CObjPool never;
    ASSERT_EQ(Init(never, 0, XNONE32, 4), 1);
    EXPECT_EQ(Registered(), 0);
    CObjPool grows;
    ASSERT_EQ(Init(grows, 3, 1000, 8), 1);
    CObjPool other;
    ASSERT_EQ(Init(other, 0, 50, 8), 1);
    EXPECT_EQ(Registered(), 2);
    ASSERT_EQ(Init(other, 0, 60, 8), 1);  // re-Init leaves and joins again
    EXPECT_EQ(Registered(), 2);

    while (void* obj = grows.Dequeue()) CountRelease(obj);
    xRunFramePools();
    EXPECT_EQ(grows.GetNumObjects(), 1);
    xRunFramePools();
    EXPECT_EQ(grows.GetNumObjects(), 2);
  }
  EXPECT_EQ(Registered(), 0);
}

// A pool only ever leaves the list of the current glb: one that outlives the block it joined
// (or meets another block) has nothing to leave.
TEST_F(ObjPoolTest, PoolOutlivesTheGlobalsItJoined) {
  auto first = std::make_unique<CObjPool>();
  auto second = std::make_unique<CObjPool>();
  {
    CGlobalsScope host(0);
    ASSERT_EQ(Init(*first, 0, 100, 4), 1);
    ASSERT_EQ(Init(*second, 0, 100, 4), 1);
    EXPECT_EQ(host.Get()->m_pFramePools->GetNumNodes(), 2);
    host.Drop();
    xRunFramePools();  // no glb: nothing to run
    first.reset();
  }
  second.reset();  // glb is the fixture's block now
  EXPECT_EQ(Registered(), 0);

  SGlobals* outer = glb;
  glb = nullptr;
  CObjPool unregistered;  // no glb: it works, but nothing drives it
  EXPECT_EQ(Init(unregistered, 0, 100, 4), 1);
  glb = outer;
  EXPECT_EQ(Registered(), 0);
}

}  // namespace
