#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "ostrel/system/mutex.h"
#include "ostrel/system/semaphore.h"
#include "ostrel/system/thread.h"

namespace {

// A worker whose step is given by the test; it counts the calls and the threads they ran on.
class CStepThread : public CThread {
 public:
  explicit CStepThread(std::function<int(CStepThread&)> step) : m_Step(std::move(step)) {}
  ~CStepThread() override { Stop(); }
  int ThreadCallback(void*) override {
    ++m_Calls;
    {
      std::lock_guard<std::mutex> lock(m_IdsLock);
      m_Ids.insert(std::this_thread::get_id());
    }
    return m_Step(*this);
  }
  size_t Threads() {
    std::lock_guard<std::mutex> lock(m_IdsLock);
    return m_Ids.size();
  }

  std::atomic<int> m_Calls{0};

 private:
  std::function<int(CStepThread&)> m_Step;
  std::mutex m_IdsLock;
  std::set<std::thread::id> m_Ids;
};

// Waits (without measuring anything) until the condition holds; false after a generous bound.
template <class TCond>
bool Eventually(TCond cond) {
  for (int i = 0; i < 20000; ++i) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return cond();
}

TEST(Thread, AStepThatReturnsZeroEndsTheThread) {
  CStepThread t([](CStepThread&) { return 0; });
  EXPECT_EQ(t.Stop(), 1);  // none yet
  ASSERT_EQ(t.Start(0), 1);
  ASSERT_TRUE(Eventually([&] { return t.Running() == 0; }));
  EXPECT_EQ(t.Stop(), 1);
  EXPECT_EQ(t.m_Calls.load(), 1);
  EXPECT_EQ(t.ExitCode(), 0);
  // A worker that ended by itself is joined by the next Start, which runs a fresh one.
  ASSERT_EQ(t.Start(0), 1);
  ASSERT_TRUE(Eventually([&] { return t.Running() == 0; }));
  EXPECT_EQ(t.Stop(), 1);
  EXPECT_EQ(t.m_Calls.load(), 2);
}

TEST(Thread, StopEndsARunningWorkerAndStartDoesNotMakeASecond) {
  CStepThread t([](CStepThread&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
  });
  ASSERT_EQ(t.Start(0), 1);
  ASSERT_TRUE(Eventually([&] { return t.m_Calls.load() >= 3; }));
  EXPECT_EQ(t.Running(), 1);
  EXPECT_EQ(t.Start(0), 1);
  EXPECT_EQ(t.Stop(), 1);
  EXPECT_EQ(t.Running(), 0);
  EXPECT_EQ(t.ExitCode(), 1);
  EXPECT_EQ(t.Threads(), 1u);
  const int calls = t.m_Calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(t.m_Calls.load(), calls);
}

TEST(Thread, StopFromTheWorkerItselfIsRefused) {
  std::atomic<int> result{-1};
  CStepThread t([&](CStepThread& self) {
    result = self.Stop();
    return 0;
  });
  ASSERT_EQ(t.Start(0), 1);
  ASSERT_TRUE(Eventually([&] { return t.Running() == 0; }));
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(t.Stop(), 1);
}

TEST(Semaphore, CountsBetweenZeroAndItsCreationCount) {
  CSemaphore s;
  EXPECT_EQ(s.Wait(), 0);
  EXPECT_EQ(s.Release(), 0);
  EXPECT_EQ(s.Destroy(), 0);
  EXPECT_EQ(s.Create(0), 0);
  ASSERT_EQ(s.Create(2), 1);
  EXPECT_EQ(s.Release(), 0);  // at its highest
  EXPECT_EQ(s.Wait(), 1);
  EXPECT_EQ(s.Wait(), 1);
  EXPECT_EQ(s.Release(), 1);
  EXPECT_EQ(s.Release(), 1);
  EXPECT_EQ(s.Release(), 0);
  EXPECT_EQ(s.Destroy(), 1);
  EXPECT_EQ(s.Destroy(), 0);
}

TEST(Semaphore, AWaiterRunsOnRelease) {
  CSemaphore s;
  ASSERT_EQ(s.Create(1), 1);
  ASSERT_EQ(s.Wait(), 1);
  std::atomic<int> got{-1};
  std::thread waiter([&] { got = s.Wait(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(got.load(), -1);
  EXPECT_EQ(s.Release(), 1);
  waiter.join();
  EXPECT_EQ(got.load(), 1);
}

TEST(Mutex, AnUnnamedMutexNestsForItsOwnerAndExcludesOtherThreads) {
  CMutex m;
  EXPECT_EQ(m.Wait(0), 0);
  EXPECT_EQ(m.Release(), 1);
  uint32_t status = 9;
  ASSERT_EQ(m.Create(nullptr, status), 1);
  EXPECT_EQ(status, 1u);
  EXPECT_EQ(m.GetName(), nullptr);
  EXPECT_EQ(m.Open(""), 0);
  ASSERT_EQ(m.Create("", status), 1);

  auto other = [&](auto op) {
    int r = -1;
    std::thread t([&] { r = op(); });
    t.join();
    return r;
  };
  EXPECT_EQ(m.Wait(0), 1);
  EXPECT_EQ(m.Wait(0), 1);
  EXPECT_EQ(other([&] { return m.Wait(0); }), 0);
  EXPECT_EQ(other([&] { return m.Release(); }), 0);
  EXPECT_EQ(m.Release(), 1);
  EXPECT_EQ(other([&] { return m.Wait(0); }), 0);
  EXPECT_EQ(m.Release(), 1);
  EXPECT_EQ(m.Release(), 0);  // not owned any more
  EXPECT_EQ(other([&] { return m.Wait(0) + m.Release(); }), 2);
}

TEST(Mutex, AWaiterGetsTheMutexWhenItIsReleased) {
  CMutex m;
  uint32_t status = 0;
  ASSERT_EQ(m.Create(nullptr, status), 1);
  ASSERT_EQ(m.Wait(0), 1);
  std::atomic<int> got{-1};
  std::thread waiter([&] {
    got = m.Wait(60000);
    if (got == 1) m.Release();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(got.load(), -1);
  EXPECT_EQ(m.Release(), 1);
  waiter.join();
  EXPECT_EQ(got.load(), 1);
}

}  // namespace
