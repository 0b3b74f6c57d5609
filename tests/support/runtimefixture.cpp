#include "support/runtimefixture.h"

#include <cstdlib>

void CRuntimeTest::SetUp() {
  // No test reaches a real sound device; one that wants SDL's disk output chooses it first.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCreateGlobals(), 1);
  ASSERT_EQ(xInit(), 1);
}

void CRuntimeTest::TearDown() {
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
}

void CRuntimeTest::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PlatformDisplay()->PostMessage({message, wParam, lParam});
}
