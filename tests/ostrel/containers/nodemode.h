// Runs a test with container nodes from the heap (no glb, or a glb with the pool flag off) or from
// the process-wide node pools (a glb with the flag on). glb is restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"

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

class CNodeModeTest : public ::testing::TestWithParam<ENodeMode> {
 protected:
  void SetUp() override {
    m_pSaved = glb;
    glb = nullptr;
    if (GetParam() != ENodeMode::NoGlobals) {
      m_pGlobals = std::make_unique<SGlobals>(GetParam() == ENodeMode::Pooled ? 1 : 0);
      glb = m_pGlobals.get();
    }
  }
  void TearDown() override {
    if (glb && glb == m_pGlobals.get()) xFreeFramePools();
    glb = m_pSaved;
  }

 private:
  SGlobals* m_pSaved = nullptr;
  std::unique_ptr<SGlobals> m_pGlobals;
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
