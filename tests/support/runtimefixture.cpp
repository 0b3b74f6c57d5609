#include "support/runtimefixture.h"

#include <cstdlib>

#include "platform/display/headless.h"

void CRuntimeTest::SetUp() {
  // Headless whatever the machine offers, and fresh when several tests share the process.
  PlatformHeadless()->Reset();
  ConfigureDisplay(*PlatformHeadless());
  PlatformSetDisplay(PlatformHeadlessDisplay());
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
  PlatformSetDisplay(nullptr);
}

void CRuntimeTest::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PlatformDisplay()->PostMessage({message, wParam, lParam});
}
