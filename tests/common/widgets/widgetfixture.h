// The widgets' tests run on the headless GUI harness with the test clock, over the table script
// of tests/data/common.
#pragma once

#include <cstdint>
#include <string>

#include "ostrel/resources/resdata.h"
#include "support/guiharness.h"

// A timer object that counts its calls, so a test sees whether its timer runs.
template <class TTimer>
class CCountingTimer : public TTimer {
 public:
  void TimerHandler(uint32_t period) override {
    ++m_Calls;
    TTimer::TimerHandler(period);
  }
  int32_t m_Calls = 0;
};

class CWidgetTest : public CGuiTest {
 protected:
  static std::string TableScript();
  void LoadTable() { ASSERT_EQ(m_Res.Import(TableScript().c_str()), 1); }
  // ms of the test clock, then one pass of the loop.
  void Advance(uint32_t ms) {
    m_Clock.Advance(ms);
    Frame();
  }
  CResData m_Res;
};
