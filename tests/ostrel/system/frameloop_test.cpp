#include <gtest/gtest.h>

#include <vector>

#include "ostrel/system/frameloop.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/winmsg.h"
#include "support/runtimefixture.h"

namespace {
class FrameLoop : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    SetMinimumFrameTime(20);
    SetUpdateTime(20);
    xHandler();  // settle the first pass's stall
  }

  // Runs one pass after `work` ms spent outside the loop; returns the ms the pass slept.
  uint64_t Pass(uint32_t work) {
    m_Clock.Advance(work);
    const uint64_t before = m_Clock.Slept();
    EXPECT_EQ(xHandler(), 0);
    return m_Clock.Slept() - before;
  }
};

std::vector<int32_t> g_CallbackWaits;
void RecordWait(int32_t ms) { g_CallbackWaits.push_back(ms); }
}  // namespace

TEST_F(FrameLoop, PacingWaitsOutTheRestOfTheMinimumFrame) {
  struct Case {
    uint32_t work;
    uint64_t slept;
  } cases[] = {{0, 20}, {5, 15}, {18, 2}, {19, 0}, {20, 0}, {300, 0}};
  for (const auto& c : cases) EXPECT_EQ(Pass(c.work), c.slept) << "work " << c.work;
}

TEST_F(FrameLoop, AStallMeasuresExactly250ms) {
  glb->m_UpdateRemainder = 0;
  Pass(1000);
  EXPECT_EQ(glb->m_UpdateSteps, 12);
  EXPECT_FLOAT_EQ(glb->m_UpdateRemainder, 10.0f);
  Pass(15);  // 15 + 10 = 25: one step, 5 left; the wait of 5 is not measured
  EXPECT_EQ(glb->m_UpdateSteps, 1);
  EXPECT_FLOAT_EQ(glb->m_UpdateRemainder, 5.0f);
}

TEST_F(FrameLoop, MaximumWaitRequestsHoldForOnePass) {
  xSetXHandlerMaxWaitTime(50);
  xSetXHandlerMaxWaitTime(10);
  EXPECT_EQ(Pass(0), 10u);
  xSetXHandlerMaxWaitTime(10);
  xSetXHandlerMaxWaitTime(50);
  EXPECT_EQ(Pass(0), 10u);
  EXPECT_EQ(Pass(0), 20u);  // no carry-over
  SetMinimumFrameTime(40);
  xSetXHandlerMaxWaitTime(-5);
  EXPECT_EQ(Pass(0), 20u);
  EXPECT_EQ(glb->m_MaxWaitFlag, 0);
}

TEST_F(FrameLoop, WaitModeDecidesBetweenSleepAndCallback) {
  g_CallbackWaits.clear();
  SetWaitTimeOrSocketsCallback(RecordWait);
  EXPECT_EQ(Pass(5), 15u);  // mode 0 sleeps even with a callback installed
  EXPECT_TRUE(g_CallbackWaits.empty());
  xSetXHandlerWaitMode(1);
  EXPECT_EQ(Pass(5), 0u);
  EXPECT_EQ(g_CallbackWaits, std::vector<int32_t>{15});
}

TEST_F(FrameLoop, NoPacingWithoutAMinimumFrameTime) {
  SetMinimumFrameTime(0);
  EXPECT_EQ(Pass(0), 0u);
}

TEST_F(FrameLoop, ZeroUpdateTimeCountsNoSteps) {
  SetUpdateTime(0);
  Pass(30);
  EXPECT_EQ(glb->m_UpdateSteps, 0);
}

TEST_F(FrameLoop, PacingIsRightAcrossTheClockWrap) {
  for (uint32_t start : {0xFFFFFFF0u, 0x7FFFFFF0u}) {
    m_Clock.Set(start);
    xHandler();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Pass(5), 15u) << std::hex << start << " pass " << i;
  }
}

TEST_F(FrameLoop, QuitEndsThePassAtOnceWithItsCode) {
  Post(XMSG_QUIT, 7);
  Post(XMSG_CLOSE);
  xSetXHandlerMaxWaitTime(5);
  const uint64_t before = m_Clock.Slept();
  EXPECT_EQ(xHandler(), 7);
  EXPECT_EQ(m_Clock.Slept(), before);   // no pacing
  EXPECT_EQ(glb->m_MaxWaitFlag, 1);     // the end of the pass did not run
  EXPECT_EQ(sglb->m_hDC, nullptr);
  EXPECT_EQ(xDoUserWantToQuit(), 0);    // later messages wait for the next pass
  EXPECT_EQ(xHandler(), 0);
  EXPECT_EQ(xDoUserWantToQuit(), 1);
}

TEST_F(FrameLoop, ClosingTheWindowOnlySetsTheQuitFlag) {
  Post(XMSG_CLOSE);
  EXPECT_EQ(xHandler(), 0);
  EXPECT_EQ(xDoUserWantToQuit(), 1);
  EXPECT_TRUE(PlatformDisplay()->IsWindowOpen());
  EXPECT_NE(sglb->m_hMainWnd, nullptr);
}

TEST_F(FrameLoop, GlobalsHoldTheSquaresTable) {
  ASSERT_NE(glb->m_pSquares, nullptr);
  EXPECT_EQ(glb->m_pSquares[0], 0);
  EXPECT_EQ(glb->m_pSquares[16], 256);
  EXPECT_EQ(glb->m_pSquares[255], 65025);
}

TEST(FrameLoopSetters, DoNothingWithoutGlobals) {
  SetMinimumFrameTime(20);
  xSetXHandlerMaxWaitTime(5);
  SetLoadDataCallback(nullptr);
  xCallLoadDataCallback();
  EXPECT_EQ(xHandler(), 0);
  EXPECT_EQ(xCreateGlobals(), 0);
  EXPECT_EQ(xInit(), 0);
}
