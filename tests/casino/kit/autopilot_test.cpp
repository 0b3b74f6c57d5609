// The test kit itself: the autopilot answers a blocking window from inside its loop, clicks land
// on their buttons, and the frame budget ends a loop that would run for ever.
#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <chrono>

#include "casino/connection/messagewindow.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/sysservices.h"
#include "support/casinotest.h"
#include "support/controlreaders.h"

namespace {

class Kit : public CCasinoTest {};

TEST_F(Kit, TheAutopilotDrivesABlockingMessageWindowToItsEnd) {
  ASSERT_EQ(StartClient(), 1);
  std::string seen;
  Autopilot().Do(MESSAGEWINDOW_PLAIN, [&](CDialog&) { seen = ControlText(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_TEXT); },
                 "read")
      .Press(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK);
  MessageWindow window(nullptr);
  const uint32_t before = xGetTime();
  const uint64_t sleptBefore = m_pClock->Slept();
  EXPECT_EQ(window.Show("The cashier is closed."), 1);
  EXPECT_EQ(seen, "The cashier is closed.");
  EXPECT_TRUE(Autopilot().ScriptDone());
  EXPECT_FALSE(IsSectionShown(MESSAGEWINDOW_PLAIN));
  // Every pass slept its 20 ms on the test clock, which is all the time that went by.
  const uint64_t slept = m_pClock->Slept() - sleptBefore;
  EXPECT_EQ(xGetTime() - before, slept);
  EXPECT_EQ(slept % 20, 0u);
  EXPECT_GE(slept, 20u * static_cast<uint64_t>(Autopilot().Passes()));
}

TEST_F(Kit, AClickLandsOnTheButtonThroughTheWindowManager) {
  ASSERT_EQ(StartClient(), 1);
  Autopilot().Click(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK);
  MessageWindow window(nullptr);
  EXPECT_EQ(window.Show("Click me"), 1);
  EXPECT_EQ(Autopilot().Taken(), std::vector<std::string>{"click 4080.101"});
}

TEST_F(Kit, ALoopThatHonoursQuitFailsByTheBudgetInsteadOfHanging) {
  ASSERT_EQ(StartClient(), 1);
  Autopilot(50);
  EXPECT_NONFATAL_FAILURE(
      {
        while (!xDoUserWantToQuit()) xHandler();
      },
      "frame budget of 50 passes used up");
  EXPECT_EQ(Autopilot().Passes(), 50);
}

TEST_F(Kit, AWindowNobodyAnswersFailsByTheBudget) {
  ASSERT_EQ(StartClient(), 1);
  Autopilot(40).Press(MESSAGEWINDOW_SECOND, MESSAGEWINDOW_OK);
  MessageWindow window(nullptr);
  int32_t result = -1;
  EXPECT_NONFATAL_FAILURE(result = window.Show("Nobody reads this", MESSAGEWINDOW_PLAIN),
                          "waiting for: press 4081.101");
  EXPECT_EQ(result, 0);
}

// A pass held for a peer: the client's clock stands still while the test waits in real time.
TEST_F(Kit, AHeldPassWaitsInRealTimeWithoutMovingTheClock) {
  ASSERT_EQ(StartClient(), 1);
  const auto start = std::chrono::steady_clock::now();
  uint32_t heldAt = 0, after = 0;
  Autopilot()
      .When([] { return true; }, [&] { heldAt = xGetTime(); }, "note the time")
      .HoldUntil([&] { return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(150); },
                 "150 ms of real time")
      .When([] { return true; }, [&] { after = xGetTime(); }, "note the time again")
      .Press(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK);
  MessageWindow window(nullptr);
  EXPECT_EQ(window.Show("Waiting for the server"), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(after - heldAt, 40u);  // two passes of 20 ms: the hold took none of the clock's time
  EXPECT_NONFATAL_FAILURE(
      {
        CAutopilot pilot;
        pilot.HoldUntil([] { return false; }, "a peer that never answers", 30);
        MessageWindow again(nullptr);
        pilot.Press(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK);
        again.Show("x");
      },
      "held the pass 30 ms for a peer that never answers in vain");
}

using KitDeathTest = Kit;

TEST_F(KitDeathTest, ALoopThatIgnoresEverythingIsStoppedAfterTheGrace) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        StartClient();
        Autopilot(20);
        for (;;) xHandler();
      },
      "went on 100 passes after its budget of 20");
}

}  // namespace
