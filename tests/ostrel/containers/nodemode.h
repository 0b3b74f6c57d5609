// glb for container tests: a scoped block, and a fixture that runs a test with nodes from the heap
// (no glb, or a glb with the pool flag off) or from the node pools (a glb with the flag on).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/memhooks.h"

enum class ENodeMode { NoGlobals, Heap, Pooled };

inline const char* NodeModeText(ENodeMode mode) {
  switch (mode) {
    case ENodeMode::NoGlobals: return "NoGlobals";
    case ENodeMode::Heap: return "Heap";
    case ENodeMode::Pooled: return "Pooled";
  }
  return "?";
}
inline void PrintTo(ENodeMode mode, std::ostream* os) { *os << NodeModeText(mode); }

// Points glb at a fresh block (pool flag as given) until Drop or the end of the scope.
class CGlobalsScope {
 public:
  explicit CGlobalsScope(int32_t poolFlag)
      : m_pSaved(glb), m_pGlobals(std::make_unique<SGlobals>(poolFlag)) {
    glb = m_pGlobals.get();
  }
  ~CGlobalsScope() {
    Drop();
    glb = m_pSaved;
  }
  CGlobalsScope(const CGlobalsScope&) = delete;
  CGlobalsScope& operator=(const CGlobalsScope&) = delete;

  // Deletes the block as a host does at exit; glb becomes null.
  void Drop() {
    if (m_pGlobals && glb == m_pGlobals.get()) {
      xFreeFramePools();
      glb = nullptr;
    }
    m_pGlobals.reset();
  }
  SGlobals* Get() const { return m_pGlobals.get(); }

 private:
  SGlobals* m_pSaved;
  std::unique_ptr<SGlobals> m_pGlobals;
};

// Gives every waiting object back to the system: the next node returned is the next one taken.
inline CObjPool* Drained(CObjPool* pool) {
  while (void* obj = pool->Dequeue()) xSysFreeMemFunc(obj);
  return pool;
}

class CNodeModeTest : public ::testing::TestWithParam<ENodeMode> {
 protected:
  void SetUp() override {
    m_pSaved = glb;
    glb = nullptr;
    if (GetParam() != ENodeMode::NoGlobals)
      m_pScope = std::make_unique<CGlobalsScope>(GetParam() == ENodeMode::Pooled ? 1 : 0);
  }
  void TearDown() override {
    m_pScope.reset();
    glb = m_pSaved;
  }

 private:
  SGlobals* m_pSaved = nullptr;
  std::unique_ptr<CGlobalsScope> m_pScope;
};

inline std::string NodeModeName(const ::testing::TestParamInfo<ENodeMode>& info) {
  return NodeModeText(info.param);
}

#define INSTANTIATE_NODE_MODES(suite)                                                           \
  INSTANTIATE_TEST_SUITE_P(Modes, suite,                                                         \
                           ::testing::Values(ENodeMode::NoGlobals, ENodeMode::Heap,              \
                                             ENodeMode::Pooled),                                 \
                           NodeModeName)

// Small integers as data pointers.
inline void* P(intptr_t n) { return reinterpret_cast<void*>(n); }
