// A process with its globals created and the loop initialised on the headless display, driven by
// a test clock. Each test program runs one test per process, so the globals start fresh.
#pragma once

#include <gtest/gtest.h>

#include "ostrel/system/frameloop.h"
#include "platform/display/display.h"
#include "support/testclock.h"

class CHeadlessDisplay;

class CRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Called on the freshly reset headless display before the runtime starts.
  virtual void ConfigureDisplay(CHeadlessDisplay&) {}
  // Posts a message to the main window's queue as the display would.
  static void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

  CTestClock m_Clock{1000};
};
