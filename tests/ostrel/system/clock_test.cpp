#include <gtest/gtest.h>

#include "ostrel/system/clock.h"
#include "support/testclock.h"

TEST(Clock, TestClockDrivesTimeAndSleep) {
  CTestClock clock(0xFFFFFFF0u);
  EXPECT_EQ(xGetTime(), 0xFFFFFFF0u);
  xSleep(0x20);
  EXPECT_EQ(xGetTime(), 0x10u);
  EXPECT_EQ(clock.Slept(), 0x20u);
}

TEST(Clock, DiffIsRightAcrossTheWrap) {
  EXPECT_EQ(xTimeDiff(0xFFFFFFF0u, 0x10u), 0x20u);
  EXPECT_EQ(xTimeDiff(100u, 250u), 150u);
}

TEST(Clock, SystemClockMovesForward) {
  uint32_t a = xGetTime();
  xSleep(2);
  EXPECT_GE(xTimeDiff(a, xGetTime()), 2u);
}
